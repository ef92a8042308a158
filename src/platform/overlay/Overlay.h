#pragma once
// The overlay toolkit's screen: dialogs and boxes drawn with Dear ImGui over
// the game's window on the main thread, in the project's Japanese font. The
// game's presenter lends its renderer and repaints the last frame under the
// overlay; before the game presents, its window is lent and shown on a blank
// frame, and before the game has a window at all an early window is opened
// (and can be handed to the game when it makes its own).
#include <functional>

#include "platform/overlay/DialogBox.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Surface;

namespace platform::overlay {

// Where the overlay is shown: a renderer of logical size 640 x 480 on a window,
// and a repaint that draws the last frame, then the overlay, and presents.
class Screen {
 public:
  virtual ~Screen() = default;
  virtual SDL_Window* Window() = 0;
  virtual SDL_Renderer* Renderer() = 0;
  virtual void Repaint(const std::function<void(SDL_Renderer*)>& drawOverlay) = 0;
  // The last box or dialog has closed: the screen shows the game alone again.
  virtual void EndOverlay() {}
};

// The game's screen, once it has one (null: none).
void SetScreen(Screen* screen);
// The game's window before it presents: boxes and dialogs shown meanwhile are
// drawn there on a blank frame, showing it. Null takes it back, with the
// renderer the overlay made on it gone, so that the game can make its own.
void LendWindow(SDL_Window* window);
// The early window, when a dialog opened one before the game had a window;
// the caller takes it over (its renderer is gone) and the overlay forgets it.
SDL_Window* TakeEarlyWindow();

// The innermost box on the screen, null when none is shown.
DialogBox* TopDialog();

// The desktop's work area in dots (the first display's usable bounds; 640 x 480
// before SDL video is up).
RECT DesktopWorkArea();

// Installs the toolkit on the main thread: message boxes from any thread are
// shown on it through the main thread. Idempotent.
void InstallOverlay();

// Shows the dialog on the screen until it ends, serving the main thread's
// turns meanwhile (ServiceTurn). A quit request from the desktop (SDL_QUIT:
// the window's close, SIGTERM) cancels every box shown, so that the program
// can close: as Escape closes it where it can, else with result 0.
void ShowModal(DialogBox& box);

// How many boxes and dialogs have ended since the start, from any thread: a
// key still held after one ended was pressed for it, not for the game.
unsigned DialogsEnded();

// Draws one frame of the dialog into a surface (software renderer, no window),
// as it would appear over a black frame; for tests and screenshots.
bool RenderDialogToSurface(DialogBox& box, SDL_Surface* target);

}  // namespace platform::overlay

// Moves the pointer to a point of the game area (the program's screen
// coordinates, Input.h), through the window's scaling. Before the window is
// shown the move waits until a box or dialog shows it. FALSE without a window.
BOOL SetCursorPos(int x, int y);
