#pragma once
// The screen colour that flows lay over the whole stage and take back.
#include <array>

#include "stage/StagePlayScene.h"

// A screen-colour command: red, green, blue, strength (percent), mode (0 lays
// the colour, otherwise takes it back), duration (tenths of a second), flash
// switch, flash count.
using ScreenColorCommand = std::array<int, 8>;

// Starts the command on the record; a take-back while no colour is laid is ignored.
void SetScreenColor(SCREENCOLOR& record, const ScreenColorCommand& command);
