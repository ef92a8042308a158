#include "platform/display/Pointer.h"

#include <SDL.h>

#include <atomic>

#include "platform/MainThread.h"

namespace platform::display {
namespace {

std::atomic<bool> pointerShown{true};

}  // namespace

void ShowPointer(bool shown) {
  pointerShown = shown;
  if (IsMainThread()) ApplyPointer();
}

bool PointerShown() { return pointerShown; }

void ApplyPointer() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  const int wanted = pointerShown ? SDL_ENABLE : SDL_DISABLE;
  if (SDL_ShowCursor(SDL_QUERY) != wanted) SDL_ShowCursor(wanted);
}

}  // namespace platform::display
