#pragma once
// What the system report and the Direct3D start-up learn about the display.
// The drawing layer installs a probe that describes its state once the display
// is set up; until then the probe describes the desktop and the software
// device with its defaults: driver version 9, ample video memory.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace platform {

enum class DisplayBackEnd { None, DirectDraw, Direct3D };

// One display device as the diagnostics list it.
struct DisplayAdapter {
  std::string chipType = "Zandrel software device";
  std::string displayMemory = "512.0 MB";
  std::string driverName = "zandrel";
  std::array<WORD, 4> driverVersion{9, 0, 0, 0};  // high part first
  std::string ddiVersion = "9";
  int maxTextureWidth = 4096, maxTextureHeight = 4096;
  int maxTextureBlendStages = 8, maxSimultaneousTextures = 8;
  // Names of the capabilities present ("D3DPTEXTURECAPS_POW2", ...).
  std::vector<std::string> capabilities;
  // Lines written only for a detailed report: the capabilities record and
  // the format table.
  std::vector<std::string> capabilityDump;
  std::vector<std::string> formatTable;
  std::optional<bool> directDrawAcceleration = true, direct3DAcceleration = true, agp;
};

struct DisplayInfo {
  DisplayBackEnd backEnd = DisplayBackEnd::None;
  bool windowed = true;
  int bpp = 32;
  std::uint64_t videoMemoryTotal = 512ull << 20, videoMemoryFree = 512ull << 20;
  unsigned refreshRate = 60;  // 0 when the display does not tell
  std::string directXVersion = "DirectX 9.0c (software device)";
  std::uint64_t textureMemory = 512ull << 20;
  std::vector<DisplayAdapter> adapters{DisplayAdapter{}};
};

void SetDisplayProbe(std::function<DisplayInfo()> probe);
// The installed probe's answer; without one, the defaults with the desktop's
// depth and refresh rate when SDL video is up.
DisplayInfo ProbeDisplay();

}  // namespace platform
