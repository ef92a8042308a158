#include "platform/HostPath.h"

#include <system_error>
#include <vector>

#include "platform/TextCodec.h"

namespace platform {
namespace {

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

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// The directory entry of dir named like name, or name itself when none is.
std::string ResolveComponent(const std::filesystem::path& dir, const std::string& name) {
  std::error_code ec;
  if (std::filesystem::exists(dir / name, ec)) return name;
  for (std::filesystem::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (EqualsIgnoringCase(entry, name)) return entry;
  }
  return name;
}

}  // namespace

std::filesystem::path ToHostPath(std::string_view stored) {
  std::vector<std::string> parts = SplitComponents(Cp932ToUtf8(stored));
  std::filesystem::path result;
  bool absolute = !parts.empty() && parts.front().empty() && parts.size() > 1;
  if (absolute) result = "/";
  for (size_t i = absolute ? 1 : 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      result /= "..";
      continue;
    }
    result /= ResolveComponent(result, part);
  }
  return result;
}

std::optional<std::string> FromHostPath(const std::filesystem::path& host) { return Utf8ToCp932(host.string()); }

std::FILE* OpenFile(std::string_view stored, const char* mode) { return std::fopen(ToHostPath(stored).c_str(), mode); }

}  // namespace platform
