#include "platform/TextCodec.h"

#include <iconv.h>

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

  // Converts the whole input; calls onInvalid for each byte it cannot take,
  // which either supplies a replacement (true) or ends the conversion (false).
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
      if (!onInvalid(output)) return false;
      ++in;
      --inLeft;
      iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
  }

 private:
  iconv_t m_cd;
};

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  thread_local Converter converter("UTF-8", "CP932");
  std::string result;
  converter.Convert(cp932, result, [](std::string& out) {
    out += "\xEF\xBF\xBD";
    return true;
  });
  return result;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  thread_local Converter converter("CP932", "UTF-8");
  std::string result;
  if (!converter.Convert(utf8, result, [](std::string&) { return false; })) return std::nullopt;
  return result;
}

}  // namespace platform
