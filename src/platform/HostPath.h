#pragma once
// The bridge between stored paths (CP932, backslashes, any letter case, as the
// project files and the program hold them) and the host file system.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Decodes CP932 first (a trail byte may be 0x5C), then takes both '\' and '/'
// as separators and resolves every existing component without regard to
// letter case (ASCII letters, as the names of the projects use them).
// Components that do not exist are kept as written. Resolved components are
// cached; a cached name is checked again before it is used. A relative path
// is resolved under base (the current folder when empty) and joined to it.
std::filesystem::path ToHostPath(std::string_view stored, const std::filesystem::path& base = {});

// A host path as the program holds it: CP932 with the host's '/' separators.
// None, with a log line, when CP932 cannot hold the name.
std::optional<std::string> FromHostPath(const std::filesystem::path& host);
// The same, but a path CP932 cannot hold whole is given relative to the
// current folder where that form can be held (a project kept under a folder
// named in another script).
std::optional<std::string> FromHostPathOrRelative(const std::filesystem::path& host);

// The names in a stored folder as CP932, sorted; a name CP932 cannot hold is
// skipped with a log line.
std::vector<std::string> ListDirectory(std::string_view storedFolder);

// Whether two host names (UTF-8) are the same name without regard to case.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// A directory entry's name as UTF-8, for comparing with a decoded stored name:
// a name in CP932 bytes (unpacked from a Windows archive as it was) decoded.
std::string HostNameAsUtf8(const std::string& entry);

// fopen on a stored path. ZANDREL_FAIL=file:PATH makes the open of that
// stored path fail (compared without regard to case and separator).
std::FILE* OpenFile(std::string_view stored, const char* mode);

}  // namespace platform
