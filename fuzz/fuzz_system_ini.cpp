#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/SystemIni.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<std::string> names = {
      "Direct3D",     "WindowMode",      "Bpp",     "VSync",     "D3D_FontCache",
      "DD_FontCache", "DD_VideoStretch", "ShowFps", "FreeStage", "English"};
  INISETTINGS settings;
  ParseSystemIni(std::string_view(reinterpret_cast<const char*>(data), size), settings, names);
  return 0;
}
