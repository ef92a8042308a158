#pragma once
// Conversions between the program's CP932 byte text and UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Undecodable bytes become U+FFFD, so a damaged name still shows.
std::string Cp932ToUtf8(std::string_view cp932);
// Empty when some character has no CP932 form.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);
// For log lines: a character without a CP932 form becomes "?".
std::string Utf8ToCp932Lossy(std::string_view utf8);

// A file name as the host holds it, as CP932: a UTF-8 name converted, a name
// that is not UTF-8 but CP932 already (as an archive made on Windows unpacks
// without conversion) kept as it is; empty when it is neither, or when a
// UTF-8 name has a character without a CP932 form.
std::optional<std::string> HostNameToCp932(std::string_view name);
// Whether a host name is in CP932 bytes rather than UTF-8.
bool IsCp932HostName(std::string_view name);

}  // namespace platform
