#pragma once
// The main thread's side of presenting: the latest frame handed over is
// uploaded into one streaming texture and shown, scaled to the window with
// letterboxing. No other thread touches SDL video.
#include <functional>
#include <memory>
#include <string>

#include "platform/MainThread.h"
#include "platform/display/FrameHandOver.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace platform::display {

class Presenter {
 public:
  // A renderer and a width x height streaming texture on the window; null
  // (with *why) when SDL refuses. Main thread only. The presenter serves
  // every turn of the main thread (ServiceTurn) and its window events for
  // as long as it lives.
  static std::unique_ptr<Presenter> Open(SDL_Window* window, int width, int height, bool vsync, std::string* why);
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // One turn of the main thread: shows a frame newer than the one on screen,
  // and, unless a dialog is drawn, the pointer as the game wants it.
  void ServeTurn();
  // Whether a present waits for the display's vertical blank: asked for at
  // Open, and given by the renderer SDL found.
  bool WaitsForVerticalBlank() const;
  // Shows the last frame again; window events that expose or resize call it.
  void Repaint();
  // Handles the window events that concern the picture; true when it was one.
  bool HandleEvent(const SDL_Event& event);

  SDL_Renderer* Renderer() const { return m_renderer; }
  // Drawn over the frame in every repaint, before presenting (the dialogs'
  // overlay); an empty function draws nothing.
  void SetOverlay(std::function<void(SDL_Renderer*)> draw) { m_overlay = std::move(draw); }
  std::uint64_t ShownSerial() const { return m_frame.serial; }

 private:
  Presenter(SDL_Window* window, SDL_Renderer* renderer, SDL_Texture* texture);
  // ZANDREL_WINDOW_SHOT=N:FILE: once frame N or a later one is on screen, the
  // window's pixels as the X server holds them go to FILE, and the trace says
  // which frame they show.
  void TakeWindowShot();

  SDL_Window* m_window;
  SDL_Renderer* m_renderer;
  SDL_Texture* m_texture;
  ShownFrame m_frame;
  TurnRegistration m_turnTask;
  TurnRegistration m_eventHandler;
  std::function<void(SDL_Renderer*)> m_overlay;
  bool m_windowShotTaken = false;
};

}  // namespace platform::display
