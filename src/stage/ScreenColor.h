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

// The transparency of the laid colour at frame c of its duration: 255 shows
// nothing of it, 0 the colour alone; held inside 0..255 whatever the strength.
int ScreenColorAlpha(const SCREENCOLOR& record, int frame);
// The transparency of a take-back at frame c: from the laid alpha back to 255.
int TakeBackAlpha(const SCREENCOLOR& record, int frame);

// One drawn frame of the screen colour over the back buffer: laid, taken
// back or flashed; with bHold the picture is drawn but nothing advances.
void DrawScreenColor(SCREENCOLOR& record, int bHold);
