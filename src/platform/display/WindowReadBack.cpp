#include "platform/display/WindowReadBack.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

#include <bit>
#include <memory>

namespace platform::display {

std::optional<WindowPixels> ReadWindowFromServer([[maybe_unused]] SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return std::nullopt;
  Display* display = info.info.x11.display;
  XSync(display, False);  // every request of the present has reached the server
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, info.info.x11.window, &attributes)) return std::nullopt;
  auto destroy = [](XImage* image) { XDestroyImage(image); };  // a macro in Xlib
  std::unique_ptr<XImage, decltype(destroy)> image(
      XGetImage(display, info.info.x11.window, 0, 0, static_cast<unsigned>(attributes.width),
                static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap),
      destroy);
  if (!image) return std::nullopt;
  // Each channel of the visual, widened or narrowed to 8 bits.
  auto channel = [](unsigned long pixel, unsigned long mask) -> std::uint32_t {
    if (mask == 0) return 0;
    const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
    const int bits = std::popcount(mask);
    return static_cast<std::uint32_t>(bits >= 8 ? value >> (bits - 8) : value * 255 / ((1ul << bits) - 1));
  };
  WindowPixels pixels{attributes.width, attributes.height, {}};
  pixels.xrgb.reserve(static_cast<std::size_t>(pixels.width) * pixels.height);
  for (int y = 0; y < pixels.height; ++y)
    for (int x = 0; x < pixels.width; ++x) {
      const unsigned long p = XGetPixel(image.get(), x, y);
      pixels.xrgb.push_back(channel(p, image->red_mask) << 16 | channel(p, image->green_mask) << 8 |
                            channel(p, image->blue_mask));
    }
  return pixels;
#else
  return std::nullopt;
#endif
}

}  // namespace platform::display
