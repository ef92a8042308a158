#include "platform/DisplayProbe.h"

#include <SDL.h>

#include <algorithm>

#include "platform/Hook.h"

namespace platform {
namespace {

Hook<std::function<DisplayInfo()>> displayProbe;

// A 24-bit desktop with 4 bytes per pixel counts as 32 bits.
int DesktopBpp(Uint32 format) {
  int bytes = SDL_BYTESPERPIXEL(format);
  return bytes == 4 ? 32 : static_cast<int>(SDL_BITSPERPIXEL(format));
}

DisplayInfo Desktop() {
  DisplayInfo info;
  SDL_DisplayMode mode{};
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    info.bpp = DesktopBpp(mode.format);
    info.refreshRate = static_cast<unsigned>(std::max(0, mode.refresh_rate));  // 0: not told
  }
  return info;
}

}  // namespace

void SetDisplayProbe(std::function<DisplayInfo()> probe) { displayProbe.Set(std::move(probe)); }

DisplayInfo ProbeDisplay() {
  auto probe = displayProbe.Get();
  return probe ? probe() : Desktop();
}

}  // namespace platform
