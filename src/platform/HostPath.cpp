#include "platform/HostPath.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <system_error>
#include <unordered_map>

#include "platform/Diagnostics.h"
#include "platform/Harness.h"
#include "platform/TextCodec.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitComponents(std::string_view utf8) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : utf8) {
    if (c == '\\' || c == '/') {
      parts.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  parts.push_back(std::move(current));
  return parts;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Folded(std::string_view text) {
  std::string folded(text);
  std::transform(folded.begin(), folded.end(), folded.begin(), FoldAscii);
  return folded;
}

// Remembers which directory entry answered a name written in another case, so
// that a path is not resolved by reading its folders again at every open.
class ComponentCache {
 public:
  std::optional<std::string> Find(const std::string& key) {
    std::lock_guard lock(m_mutex);
    auto it = m_entries.find(key);
    if (it == m_entries.end()) return std::nullopt;
    return it->second;
  }
  void Store(const std::string& key, const std::string& entry) {
    std::lock_guard lock(m_mutex);
    if (m_entries.size() >= kLimit) m_entries.clear();
    m_entries[key] = entry;
  }

 private:
  static constexpr size_t kLimit = 4096;
  std::mutex m_mutex;
  std::unordered_map<std::string, std::string> m_entries;
};

ComponentCache& Cache() {
  static ComponentCache cache;
  return cache;
}

// The directory entry of dir named like name, or name itself when none is.
std::string ResolveComponent(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (fs::exists(dir / name, ec)) return name;
  const fs::path folder = dir.empty() ? fs::path(".") : dir;
  std::string key = folder.string() + '\0' + Folded(name);
  if (auto cached = Cache().Find(key); cached && fs::exists(dir / *cached, ec)) return *cached;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (!SameNameIgnoringCase(HostNameAsUtf8(entry), name)) continue;
    Cache().Store(key, entry);
    return entry;
  }
  return name;
}

// A stored path reduced for comparison: decoded, '/' separators, folded case,
// no leading "./".
std::string ComparablePath(std::string_view stored) {
  std::string text = Folded(Cp932ToUtf8(stored));
  std::replace(text.begin(), text.end(), '\\', '/');
  while (text.starts_with("./")) text.erase(0, 2);
  return text;
}

bool OpenFailureInjected(std::string_view stored) {
  const std::string& step = Harness().failStep;
  constexpr std::string_view prefix = "file:";
  if (!step.starts_with(prefix)) return false;
  return ComparablePath(std::string_view(step).substr(prefix.size())) == ComparablePath(stored);
}

// Name by name, as one folder's name can be UTF-8 and the next CP932.
std::optional<std::string> HeldInCp932(const fs::path& host) {
  std::string converted;
  for (const fs::path& part : host) {
    std::optional<std::string> name = HostNameToCp932(part.string());
    if (!name) return std::nullopt;
    if (!converted.empty() && converted.back() != '/') converted += '/';
    converted += *name;
  }
  return converted;
}

}  // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

std::string HostNameAsUtf8(const std::string& entry) { return IsCp932HostName(entry) ? Cp932ToUtf8(entry) : entry; }

fs::path ToHostPath(std::string_view stored, const fs::path& base) {
  std::vector<std::string> parts = SplitComponents(Cp932ToUtf8(stored));
  bool absolute = parts.size() > 1 && parts.front().empty();
  fs::path result = absolute ? fs::path("/") : base;
  bool current = false;
  for (size_t i = absolute ? 1 : 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    current = current || part == ".";
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      result /= "..";
      continue;
    }
    result /= ResolveComponent(result, part);
  }
  // ".\" names the current folder, which an empty path would not.
  if (result.empty() && current) return ".";
  return result;
}

std::optional<std::string> FromHostPath(const fs::path& host) {
  std::optional<std::string> converted = HeldInCp932(host);
  if (!converted) Diagnostic("path skipped: CP932 cannot hold the name " + Utf8ToCp932Lossy(host.string()));
  return converted;
}

std::optional<std::string> FromHostPathOrRelative(const fs::path& host) {
  if (std::optional<std::string> whole = HeldInCp932(host)) return whole;
  std::error_code ec;
  const fs::path relative = fs::relative(host, fs::current_path(ec), ec);
  return FromHostPath(ec || relative.empty() ? host : relative);
}

std::vector<std::string> ListDirectory(std::string_view storedFolder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(ToHostPath(storedFolder), ec), end; !ec && it != end; it.increment(ec)) {
    if (auto name = FromHostPath(it->path().filename())) names.push_back(std::move(*name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::FILE* OpenFile(std::string_view stored, const char* mode) {
  if (OpenFailureInjected(stored)) {
    Diagnostic("ZANDREL_FAIL: the open of " + std::string(stored) + " fails");
    errno = ENOENT;
    return nullptr;
  }
  std::FILE* file = std::fopen(ToHostPath(stored).c_str(), mode);
  // Linux opens a folder for reading; the data's own system never did, and a
  // loader must take its missing-file road rather than read nothing from it.
  struct stat status;
  if (file && fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
    std::fclose(file);
    errno = EISDIR;
    return nullptr;
  }
  return file;
}

}  // namespace platform
