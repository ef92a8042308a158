#include "library/util/Text.h"

#include <cstdio>
#include <stdexcept>

#include "platform/TextCodec.h"

void StrAppendFormatV(std::string& out, const char* format, va_list args) {
  char buffer[5120];
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(buffer, sizeof buffer, format, copy);
  va_end(copy);
  if (length < 0) return;
  if (static_cast<size_t>(length) < sizeof buffer) {
    out.append(buffer, static_cast<size_t>(length));
    return;
  }
  size_t start = out.size();
  out.resize(start + static_cast<size_t>(length) + 1);
  std::vsnprintf(out.data() + start, static_cast<size_t>(length) + 1, format, args);
  out.resize(start + static_cast<size_t>(length));
}

std::string StrFormatV(const char* format, va_list args) {
  std::string text;
  StrAppendFormatV(text, format, args);
  return text;
}

void StrFormat(std::string& out, const char* format, ...) {
  std::string result;
  va_list args;
  va_start(args, format);
  StrAppendFormatV(result, format, args);
  va_end(args);
  out = std::move(result);
}

void StrAppendFormat(std::string& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  StrAppendFormatV(out, format, args);
  va_end(args);
}

std::string Sjis(std::string_view utf8) {
  auto converted = platform::Utf8ToCp932(utf8);
  if (!converted) throw std::logic_error("literal without a CP932 form");
  return *converted;
}
