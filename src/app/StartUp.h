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
