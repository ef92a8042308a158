#include "platform/display/VideoStart.h"

#include <SDL.h>

#include <string_view>

namespace platform::display {

bool StartVideo() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  const std::string_view driver = SDL_GetCurrentVideoDriver();
  const bool unseen = driver == "offscreen" || driver == "dummy";
  if (!unseen || SDL_GetHint(SDL_HINT_VIDEODRIVER)) return true;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_SetError("no display to show the game on (DISPLAY or WAYLAND_DISPLAY is not set or cannot be reached)");
  return false;
}

}  // namespace platform::display
