#include "platform/display/Presenter.h"

#include <SDL.h>

#include <string>

#include "platform/Harness.h"
#include "platform/Trace.h"
#include "platform/display/Bitmap.h"
#include "platform/display/Pointer.h"
#include "platform/display/WindowReadBack.h"

namespace platform::display {

std::unique_ptr<Presenter> Presenter::Open(SDL_Window* window, int width, int height, bool vsync, std::string* why) {
  const Uint32 flags = vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, flags);
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer) {
    if (why) *why = SDL_GetError();
    return nullptr;
  }
  SDL_RenderSetLogicalSize(renderer, width, height);  // letterboxed scaling in any window size
  SDL_Texture* texture =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (!texture) {
    if (why) *why = SDL_GetError();
    SDL_DestroyRenderer(renderer);
    return nullptr;
  }
  return std::unique_ptr<Presenter>(new Presenter(window, renderer, texture));
}

Presenter::Presenter(SDL_Window* window, SDL_Renderer* renderer, SDL_Texture* texture)
    : m_window(window),
      m_renderer(renderer),
      m_texture(texture),
      m_turnTask(RegisterTurnTask([this] { ServeTurn(); })),
      m_eventHandler(RegisterSdlEventHandler([this](const SDL_Event& event) { HandleEvent(event); })) {}

bool Presenter::WaitsForVerticalBlank() const {
  SDL_RendererInfo info{};
  return SDL_GetRendererInfo(m_renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
}

Presenter::~Presenter() {
  SDL_DestroyTexture(m_texture);
  SDL_DestroyRenderer(m_renderer);
}

void Presenter::ServeTurn() {
  // While a dialog is drawn, the dialog shows the pointer.
  if (!m_overlay) ApplyPointer();
  if (!FrameHandOver::Instance().TakeNewer(m_frame)) return;
  Repaint();
  TakeWindowShot();
}

void Presenter::TakeWindowShot() {
  const HarnessSettings& harness = Harness();
  if (m_windowShotTaken || !harness.windowShotFrame || static_cast<long>(m_frame.serial) < *harness.windowShotFrame)
    return;
  m_windowShotTaken = true;
  const auto pixels = ReadWindowFromServer(m_window);
  if (!pixels || !WriteBitmap24(harness.windowShotFile, pixels->xrgb, pixels->width, pixels->height)) {
    TraceLine("WindowShot unreadable");
    return;
  }
  TraceLine("WindowShot frame=" + std::to_string(m_frame.serial) + " size=" + std::to_string(pixels->width) + "x" +
            std::to_string(pixels->height));
}

void Presenter::Repaint() {
  SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
  SDL_RenderClear(m_renderer);
  if (m_frame.serial != 0) {
    int textureWidth = 0, textureHeight = 0;
    SDL_QueryTexture(m_texture, nullptr, nullptr, &textureWidth, &textureHeight);
    if (m_frame.width == textureWidth && m_frame.height == textureHeight)
      SDL_UpdateTexture(m_texture, nullptr, m_frame.xrgb.data(), m_frame.width * 4);
    SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
  }
  if (m_overlay) m_overlay(m_renderer);
  SDL_RenderPresent(m_renderer);
}

bool Presenter::HandleEvent(const SDL_Event& event) {
  if (event.type != SDL_WINDOWEVENT) return false;
  switch (event.window.event) {
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      Repaint();
      return true;
    default:
      return false;
  }
}

}  // namespace platform::display
