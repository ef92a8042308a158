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

}  // namespace platform
