#pragma once
// The pixels of a window as the X server holds them, read back after a
// present: the proof, in whole-program tests, that what the player handed
// over reached the screen. Only windows of SDL's X11 video driver can be read.
#include <cstdint>
#include <optional>
#include <vector>

struct SDL_Window;

namespace platform::display {

struct WindowPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> xrgb;  // 0x00RRGGBB, rows packed, top row first
};

// Main thread only; nothing when the window is not an X11 window.
std::optional<WindowPixels> ReadWindowFromServer(SDL_Window* window);

}  // namespace platform::display
