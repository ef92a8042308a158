#pragma once
// printf-style formatting into the program's byte strings, and the one way
// Japanese literals (UTF-8 in the source) become CP932 text.
#include <cstdarg>
#include <string>
#include <string_view>

#define ZANDREL_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))

// Formats into out. The whole result is kept, however long.
void StrFormat(std::string& out, const char* format, ...) ZANDREL_PRINTF(2, 3);
void StrAppendFormat(std::string& out, const char* format, ...) ZANDREL_PRINTF(2, 3);
void StrAppendFormatV(std::string& out, const char* format, va_list args) ZANDREL_PRINTF(2, 0);
std::string StrFormatV(const char* format, va_list args) ZANDREL_PRINTF(1, 0);

// A UTF-8 literal of the source as CP932 bytes. Every literal passed here must
// be representable; call it once per literal (keep the result in a static).
std::string Sjis(std::string_view utf8);
