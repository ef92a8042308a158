#pragma once
// Start-up and shutdown of the player. InitGame stops at its first failure
// after showing or logging why; UnInitGame then releases only what exists.
#include <string>
#include <string_view>

struct SDL_Window;

bool InitGame(std::string_view commandLine, int showCommand);
void UnInitGame();

// The display decision of start-up, apart so that its table can be tested.
struct DisplaySettings {
  int direct3D = 0;    // D
  int windowMode = 0;  // W
  int bpp = 0;         // B
  int vsync = 0;       // V
  int fullColour = 0;  // the system data's switch: no 8-bit palette mode
  int d3dDepthChoice = 0;
  int ddDepthChoice = 0;
  int desktopBpp = 32;
  bool vistaOrLater = true;
};
struct DisplayDecision {
  int windowed = 0;
  int vsync = 0;
  int bpp = 0;
  // Empty when the mode is allowed, else the message shown (UTF-8).
  std::string error;
};
DisplayDecision DecideDisplay(const DisplaySettings& settings);

// DirectDraw presents by blit when windowed, and full screen unless vertical
// sync is on and the monitor keeps up with the frame rate.
int DecideBlitPresent(bool windowed, bool vsync, int monitorHz, int frameRate);

struct WindowRect {
  int x = 0, y = 0, w = 0, h = 0;
};
// A stored window placement brought onto the desktop: no larger than it and
// not beyond its edges, so a damaged or foreign Window.dat cannot make the
// window unusable (and be saved back that way).
WindowRect HoldToDesktop(WindowRect window, const WindowRect& desktop);
