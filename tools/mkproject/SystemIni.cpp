#include <string_view>

#include "Project.h"

namespace mkproject {

void WriteSystemIni() {
  // A window on the Direct3D path without the start-up dialog, no frame-rate
  // overlay, no vertical sync; reading stops at "Exit".
  constexpr std::string_view kIni =
      "Direct3D=1\n"
      "WindowMode=1\n"
      "VSync=0\n"
      "D3D_FontCache=0\n"
      "DD_FontCache=1\n"
      "DD_VideoStretch=0\n"
      "ShowFps=0\n"
      "English=0\n"
      "Exit\n";
  WriteFile("System.ini", std::vector<std::uint8_t>(kIni.begin(), kIni.end()));
}

}  // namespace mkproject
