#pragma once
// The player's palette variants (8-bit DirectDraw) and the per-frame colour
// animation: palette rotation at 8 bits, pulsing flash colours under Direct3D.
#include <array>
#include <vector>

#include "platform/WinTypes.h"

struct FLASHCOLOR {
  DWORD dwColor = 0;  // ARGB
  int nDrawMode = 0;
};
extern std::array<FLASHCOLOR, 10> FlashColorTable;
// Loads the blend table and the palette of the variant (8-bit DirectDraw only).
bool LoadHbtPalette(int variant);
void CyclePaletteColors();
// One step of a pulse; true when it has just turned at the bottom.
bool PulseValue(int& value, int& falling, int step, int min, int max);
// Back to the start of the program's colour animation (tests).
void ResetColorCycleForTesting();
