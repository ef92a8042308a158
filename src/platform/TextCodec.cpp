#include "platform/TextCodec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace platform {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~Converter() {
    if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts the whole input; calls onInvalid with the output and the rest of
  // the input at each character it cannot take, which either supplies a
  // replacement and returns how many input bytes to skip, or returns 0 to end
  // the conversion.
  template <typename OnInvalid>
  bool Convert(std::string_view input, std::string& output, OnInvalid onInvalid) {
    if (m_cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
      char* out = buffer;
      size_t outLeft = sizeof buffer;
      size_t result = iconv(m_cd, &in, &inLeft, &out, &outLeft);
      output.append(buffer, out - buffer);
      if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
      size_t skip = onInvalid(output, std::string_view(in, inLeft));
      if (skip == 0) return false;
      skip = std::min(skip, inLeft);
      in += skip;
      inLeft -= skip;
      iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
  }

 private:
  iconv_t m_cd;
};

bool ConvertsWholly(Converter& converter, std::string_view text) {
  std::string ignored;
  return converter.Convert(text, ignored, [](std::string&, std::string_view) -> size_t { return 0; });
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  thread_local Converter converter("UTF-8", "CP932");
  std::string result;
  converter.Convert(cp932, result, [](std::string& out, std::string_view) -> size_t {
    out += "\xEF\xBF\xBD";
    return 1;
  });
  return result;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  thread_local Converter converter("CP932", "UTF-8");
  std::string result;
  if (!converter.Convert(utf8, result, [](std::string&, std::string_view) -> size_t { return 0; })) return std::nullopt;
  return result;
}

std::string Utf8ToCp932Lossy(std::string_view utf8) {
  thread_local Converter converter("CP932", "UTF-8");
  std::string result;
  converter.Convert(utf8, result, [](std::string& out, std::string_view rest) -> size_t {
    out += '?';
    // Skips the whole UTF-8 sequence: its lead byte and its continuation bytes.
    size_t length = 1;
    while (length < rest.size() && (static_cast<unsigned char>(rest[length]) & 0xC0) == 0x80) ++length;
    return length;
  });
  return result;
}

bool IsCp932HostName(std::string_view name) {
  // Plain ASCII, as most names are, is UTF-8 already.
  if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return false;
  thread_local Converter fromUtf8("UTF-32LE", "UTF-8");
  thread_local Converter fromCp932("UTF-32LE", "CP932");
  return !ConvertsWholly(fromUtf8, name) && ConvertsWholly(fromCp932, name);
}

std::optional<std::string> HostNameToCp932(std::string_view name) {
  if (std::optional<std::string> converted = Utf8ToCp932(name)) return converted;
  if (IsCp932HostName(name)) return std::string(name);
  return std::nullopt;
}

}  // namespace platform
