#pragma once
// A screen for the overlay toolkit in tests: SDL's dummy video driver, a
// hidden window for ImGui's SDL back end, and a software renderer on a
// 640 x 480 surface that a test can save as a BMP. Each repaint calls the
// test's callback with the repaint's number, on the main thread, inside the
// dialog's own loop.
#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/Harness.h"
#include "platform/overlay/Overlay.h"

namespace testsupport {

class OverlayScreen final : public platform::overlay::Screen {
 public:
  using OnRepaint = std::function<void(int repaint, OverlayScreen& screen)>;

  explicit OverlayScreen(OnRepaint onRepaint) : m_onRepaint(std::move(onRepaint)) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    EXPECT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS), 0) << SDL_GetError();
    m_window = SDL_CreateWindow("test", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
    m_surface = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_XRGB8888);
    m_renderer = SDL_CreateSoftwareRenderer(m_surface);
    EXPECT_TRUE(m_window && m_surface && m_renderer) << SDL_GetError();
    platform::overlay::SetScreen(this);
    // Not headless, no answers: the dialogs wait for the (pushed) user.
    platform::SetHarnessForTesting(platform::HarnessSettings{});
  }
  ~OverlayScreen() override {
    platform::overlay::SetScreen(nullptr);
    SDL_DestroyRenderer(m_renderer);
    SDL_FreeSurface(m_surface);
    SDL_DestroyWindow(m_window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  }
  OverlayScreen(const OverlayScreen&) = delete;
  OverlayScreen& operator=(const OverlayScreen&) = delete;

  SDL_Window* Window() override { return m_window; }
  SDL_Renderer* Renderer() override { return m_renderer; }
  void Repaint(const std::function<void(SDL_Renderer*)>& drawOverlay) override {
    // A grey frame stands for the game's last frame under the overlay.
    SDL_SetRenderDrawColor(m_renderer, 40, 60, 90, 255);
    SDL_RenderClear(m_renderer);
    drawOverlay(m_renderer);
    SDL_RenderPresent(m_renderer);
    m_onRepaint(++m_repaints, *this);
  }

  SDL_Surface* Surface() const { return m_surface; }
  bool SaveBmp(const std::string& path) const { return SDL_SaveBMP(m_surface, path.c_str()) == 0; }
  // Pixels that differ from the background inside the rectangle.
  int PaintedPixels(const SDL_Rect& area) const {
    int painted = 0;
    for (int y = area.y; y < area.y + area.h; ++y) {
      const auto* row =
          reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(m_surface->pixels) + y * m_surface->pitch);
      for (int x = area.x; x < area.x + area.w; ++x) painted += (row[x] & 0xFFFFFF) != 0x283C5A;
    }
    return painted;
  }

  // Pixels of exactly this colour (0xRRGGBB) inside the rectangle.
  int PixelsOf(const SDL_Rect& area, Uint32 rgb) const {
    return CountPixels(area, [rgb](Uint32 pixel) { return pixel == rgb; });
  }
  // Pixels darker than mid-grey in every channel: text on a dialog's light face.
  int DarkPixels(const SDL_Rect& area) const {
    return CountPixels(area, [](Uint32 pixel) {
      return ((pixel >> 16) & 0xFF) < 0x80 && ((pixel >> 8) & 0xFF) < 0x80 && (pixel & 0xFF) < 0x80;
    });
  }

  template <typename Test>
  int CountPixels(const SDL_Rect& area, Test test) const {
    int count = 0;
    for (int y = area.y; y < area.y + area.h; ++y) {
      const auto* row =
          reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(m_surface->pixels) + y * m_surface->pitch);
      for (int x = area.x; x < area.x + area.w; ++x) count += test(row[x] & 0xFFFFFF);
    }
    return count;
  }

  // A key at a place; the layout puts `letter` on it (the US one when not given).
  static void PushKey(SDL_Scancode scancode, SDL_Keycode letter = SDLK_UNKNOWN) {
    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
      SDL_Event event{};
      event.type = type;
      event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
      event.key.keysym.scancode = scancode;
      event.key.keysym.sym = letter != SDLK_UNKNOWN ? letter : SDL_GetKeyFromScancode(scancode);
      SDL_PushEvent(&event);
    }
  }
  static void PushText(const char* utf8) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, utf8, sizeof(event.text.text));
    SDL_PushEvent(&event);
  }

 private:
  OnRepaint m_onRepaint;
  SDL_Window* m_window = nullptr;
  SDL_Surface* m_surface = nullptr;
  SDL_Renderer* m_renderer = nullptr;
  int m_repaints = 0;
};

}  // namespace testsupport
