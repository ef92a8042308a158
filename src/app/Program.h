#pragma once
// The program: entry on the main thread (the window thread, with SDL) and the
// game thread that runs the scenes.
#include <string_view>

// The whole run; returns the process's exit status.
int RunPlayer(std::string_view commandLine, int showCommand);
// The game thread: one frame of the scene manager per turn.
unsigned GameLoop(void* argument);
