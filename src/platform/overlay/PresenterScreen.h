#pragma once
// The game's presenter as the overlay's screen: the dialogs are drawn over
// the last frame it shows, and go on being drawn over newer frames until the
// last dialog closes.
#include "platform/display/Presenter.h"
#include "platform/overlay/Overlay.h"

namespace platform::overlay {

class PresenterScreen final : public Screen {
 public:
  PresenterScreen(SDL_Window* window, display::Presenter& presenter) : m_window(window), m_presenter(presenter) {}

  SDL_Window* Window() override { return m_window; }
  SDL_Renderer* Renderer() override { return m_presenter.Renderer(); }
  void Repaint(const std::function<void(SDL_Renderer*)>& drawOverlay) override {
    m_presenter.SetOverlay(drawOverlay);
    m_presenter.Repaint();
  }
  void EndOverlay() override {
    m_presenter.SetOverlay({});
    m_presenter.Repaint();
  }

 private:
  SDL_Window* m_window;
  display::Presenter& m_presenter;
};

}  // namespace platform::overlay
