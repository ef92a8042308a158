#pragma once
// The bridge between stored paths (CP932, backslashes, any letter case, as the
// project files and the program hold them) and the host file system.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Decodes CP932 first (a trail byte may be 0x5C), then takes both '\' and '/'
// as separators and resolves every existing component without regard to
// letter case. Components that do not exist are kept as written.
std::filesystem::path ToHostPath(std::string_view stored);

// A host path as the program holds it: CP932 with the host's '/' separators.
// Empty when CP932 cannot hold the name.
std::optional<std::string> FromHostPath(const std::filesystem::path& host);

// fopen on a stored path.
std::FILE* OpenFile(std::string_view stored, const char* mode);

}  // namespace platform
