#include "library/util/Path.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "library/util/Sjis.h"
#include "library/util/Text.h"
#include "platform/HostPath.h"
#include "platform/TextCodec.h"

namespace {

namespace fs = std::filesystem;

bool DoubleByteAt(std::string_view text, size_t i) {
  return i + 1 < text.size() && IsSjisLeadByte(static_cast<BYTE>(text[i])) &&
         IsSjisTrailByte(static_cast<BYTE>(text[i + 1]));
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The position of the last separator, walking the characters from the start
// so that a 0x5C trail byte is never taken for one.
size_t LastSeparator(std::string_view path) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (DoubleByteAt(path, i)) {
      ++i;
    } else if (IsSeparator(path[i])) {
      last = i;
    }
  }
  return last;
}

std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < path.size(); ++i) {
    if (DoubleByteAt(path, i)) {
      parts.back() += path.substr(i++, 2);
    } else if (IsSeparator(path[i])) {
      parts.emplace_back();
    } else {
      parts.back() += path[i];
    }
  }
  return parts;
}

// The folders and the name of a path, with "." and ".." worked out.
std::vector<std::string> Normalised(std::string_view path) {
  std::vector<std::string> result;
  for (std::string& part : Components(path)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!result.empty()) result.pop_back();
      continue;
    }
    result.push_back(std::move(part));
  }
  return result;
}

std::string Joined(const std::vector<std::string>& parts, size_t first, char separator) {
  std::string text;
  for (size_t i = first; i < parts.size(); ++i) {
    if (i > first) text += separator;
    text += parts[i];
  }
  return text;
}

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

bool IsAbsolute(std::string_view path) { return (!path.empty() && IsSeparator(path[0])) || HasDrive(path); }

// Compares names as Windows does: single-byte letters without regard to case.
bool SameComponent(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (DoubleByteAt(a, i)) {
      if (a.substr(i, 2) != b.substr(i, 2)) return false;
      ++i;
    } else if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<std::string> CurrentFolder() {
  std::error_code ec;
  fs::path current = fs::current_path(ec);
  if (ec) return std::nullopt;
  return platform::FromHostPath(current);
}

std::optional<int> VersionSuffix(std::string_view entry, std::string_view name) {
  if (entry.size() != name.size() + 4 || entry[name.size()] != '_') return std::nullopt;
  if (!platform::SameNameIgnoringCase(entry.substr(0, name.size()), name)) return std::nullopt;
  int version = 0;
  for (char digit : entry.substr(name.size() + 1)) {
    if (digit < '0' || digit > '9') return std::nullopt;
    version = version * 10 + (digit - '0');
  }
  return version;
}

// The highest version of the name in the folder (a file or a folder counts).
std::optional<int> LatestVersion(std::string_view folder, std::string_view name) {
  fs::path host = platform::ToHostPath(folder.empty() ? std::string_view(".") : folder);
  std::string hostName = platform::Cp932ToUtf8(name);
  std::optional<int> latest;
  std::error_code ec;
  for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
    auto version = VersionSuffix(platform::HostNameAsUtf8(it->path().filename().string()), hostName);
    if (version && (!latest || *version > *latest)) latest = version;
  }
  return latest;
}

std::string_view TextIn(std::span<const char> buffer) { return {buffer.data(), strnlen(buffer.data(), buffer.size())}; }

// Runs a string form on the text of a buffer and stores the result back when
// it fits with its NUL; otherwise the buffer stays as it was and the result is 0.
template <typename Operation>
int InBuffer(std::span<char> buffer, Operation operation) {
  std::string text(TextIn(buffer));
  int result = operation(text);
  if (text.size() >= buffer.size()) return 0;
  std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
  return result;
}

}  // namespace

int MakeFullPathStr(std::string& path) {
  if (IsAbsolute(path)) return 1;
  auto current = CurrentFolder();
  if (!current) return 0;
  bool folderForm = !path.empty() && LastSeparator(path) == path.size() - 1;
  path = "/" + Joined(Normalised(*current + "/" + path), 0, '/') + (folderForm ? "/" : "");
  return 1;
}

int MakeRelativePathStr(std::string& path) {
  if (!IsAbsolute(path)) return 1;
  // A drive letter names another drive than the host's one root.
  if (HasDrive(path)) return 0;
  auto current = CurrentFolder();
  if (!current) return 0;
  std::vector<std::string> from = Normalised(*current);
  std::vector<std::string> to = Normalised(path);
  if (to.empty()) return 0;
  size_t common = 0;
  while (common < from.size() && common + 1 < to.size() && SameComponent(from[common], to[common])) ++common;
  std::string relative = common == from.size() ? "." : "..";
  for (size_t up = common + 1; up < from.size(); ++up) relative += "\\..";
  path = relative + "\\" + Joined(to, common, '\\');
  return 1;
}

void StripDirectoryStr(std::string& path) {
  size_t separator = LastSeparator(path);
  if (separator != std::string::npos) path.erase(0, separator + 1);
}

int ChangeExtensionStr(std::string& destination, std::string_view source, const char* extension) {
  destination = source;
  size_t dot = destination.rfind('.');
  if (dot == std::string::npos) return 0;
  destination.resize(extension ? dot + 1 : dot);
  if (extension) destination += extension;
  return 1;
}

int StripExtensionStr(std::string& path) {
  std::string source = path;
  return ChangeExtensionStr(path, source, nullptr);
}

int GetExtensionStr(std::string& destination, std::string_view path) {
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return 0;
  destination = path.substr(dot + 1);
  return 1;
}

int InsertNumberBeforeExtStr(std::string& destination, std::string_view source, int firstDigit, int secondDigit) {
  size_t dot = source.rfind('.');
  bool digits = firstDigit >= 0 && firstDigit <= 9 && secondDigit >= 0 && secondDigit <= 9;
  if (dot == std::string_view::npos || !digits) {
    destination = source;
    return 0;
  }
  std::string numbered(source.substr(0, dot));
  numbered += '_';
  numbered += static_cast<char>('0' + firstDigit);
  numbered += static_cast<char>('0' + secondDigit);
  numbered += source.substr(dot);
  destination = std::move(numbered);
  return 1;
}

int FindLatestVersionFileStr(std::string& destination, std::string_view path, std::string_view extension) {
  std::string base;
  ChangeExtensionStr(base, path, std::string(extension).c_str());
  size_t separator = LastSeparator(base);
  std::string_view folder, name = base;
  if (separator != std::string::npos) {
    folder = std::string_view(base).substr(0, separator == 0 ? 1 : separator);
    name = std::string_view(base).substr(separator + 1);
  }
  auto version = LatestVersion(folder, name);
  if (!version) return 0;
  std::string found;
  StrFormat(found, "%s_%d%d%d", base.c_str(), *version / 100, *version / 10 % 10, *version % 10);
  destination = std::move(found);
  return 1;
}

int MakeRelativePath(std::span<char> path) { return InBuffer(path, MakeRelativePathStr); }
int MakeFullPath(std::span<char> path) { return InBuffer(path, MakeFullPathStr); }

void StripDirectory(std::span<char> path) {
  InBuffer(path, [](std::string& text) {
    StripDirectoryStr(text);
    return 1;
  });
}

int ChangeExtension(std::span<char> destination, std::string_view source, const char* extension) {
  return InBuffer(destination, [&](std::string& text) { return ChangeExtensionStr(text, source, extension); });
}

int StripExtension(std::span<char> path) { return InBuffer(path, StripExtensionStr); }

int GetExtension(std::span<char> destination, std::string_view path) {
  return InBuffer(destination, [&](std::string& text) { return GetExtensionStr(text, path); });
}

int InsertNumberBeforeExt(std::span<char> destination, std::string_view source, int firstDigit, int secondDigit) {
  return InBuffer(destination,
                  [&](std::string& text) { return InsertNumberBeforeExtStr(text, source, firstDigit, secondDigit); });
}

int FindLatestVersionFile(std::span<char> destination, std::string_view path, std::string_view extension) {
  return InBuffer(destination, [&](std::string& text) { return FindLatestVersionFileStr(text, path, extension); });
}
