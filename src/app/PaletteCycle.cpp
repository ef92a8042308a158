#include "app/PaletteCycle.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "gamedata/SystemData.h"
#include "library/draw/Draw.h"
#include "library/util/Log.h"
#include "library/util/MesBox.h"

std::array<FLASHCOLOR, 10> FlashColorTable{};

namespace {

constexpr int kCycleStepIndex = 4;     // the system data's compatibility switch 5
constexpr int kPaletteCycleIndex = 5;  // switch 6

struct Pulse {
  int value = 0;
  int falling = 0;
};
struct CycleState {
  std::array<Pulse, 10> pulses{};
  int phase = 0;
  int frame = 0;
} cycle;

DWORD Argb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<DWORD>(r & 255) << 16) | (static_cast<DWORD>(g & 255) << 8) |
         static_cast<DWORD>(b & 255);
}

DWORD FlashColour(int entry, int v, int phase) {
  switch (entry) {
    case 1:
    case 2:
      return Argb(v, v, v);
    case 3:
      return Argb(v, 0, 0);
    case 4:
      return Argb(0, v, 0);
    case 5:
      return Argb(0, 0, v);
    case 6:
      return Argb(v, v, 0);
    case 7:
      return Argb(v, 0, v >> 2);
    case 8:
      return Argb(v >> 2, 0, v);
    default:
      return phase == 0 ? Argb(v, 0, 0) : phase == 1 ? Argb(0, v, 0) : phase == 2 ? Argb(0, 0, v) : Argb(v, v, 0);
  }
}

void PulseFlashColours(int step) {
  for (int k = 1; k <= 9; ++k) {
    Pulse& pulse = cycle.pulses[static_cast<size_t>(k)];
    FlashColorTable[static_cast<size_t>(k)] = {FlashColour(k, pulse.value, cycle.phase), k == 2 ? 10 : 7};
    if (PulseValue(pulse.value, pulse.falling, step, 0, 255) && k == 9) cycle.phase = (cycle.phase + 1) & 3;
  }
}

void RotatePaletteGroups() {
  if (++cycle.frame < 6) return;
  cycle.frame = 0;
  for (int g = 0; g < 8; ++g) DDPalRotate(DispColorPalette, 208 + 4 * g, 211 + 4 * g, 1, 1, DispColorPalette);
  if (lpDDPalette) lpDDPalette->SetEntries(208, 32, DispColorPalette + 208);
}

}  // namespace

bool PulseValue(int& value, int& falling, int step, int min, int max) {
  if (!falling) {
    value += step;
    if (value >= max) {
      value -= step;
      falling = 1;
    }
    return false;
  }
  value -= step;
  if (value > min) return false;
  value += step;
  falling = 0;
  return true;
}

bool LoadHbtPalette(int variant) {
  if (lpDTCon || nBpp != 8) return true;
  char path[64];
  std::snprintf(path, sizeof path, "bmp\\hbt\\hbt%02d.dat", variant);
  if (!DDLoadHbtTable(HbtTable, path)) {
    static const std::string kFailed = Sjis("%s の読み込みに失敗！");
    ErrMesBoxf(kFailed.c_str(), path);
    return false;
  }
  if (!DDLoadPaletteFromFile(ColorPalette, SurfaceDesc[0].szFileName)) {
    static const std::string kPaletteFailed = Sjis("DDLoadPaletteFromFile失敗");
    EcLog(kPaletteFailed);
    return false;
  }
  if (variant < 12) {
    DDPalRotate(ColorPalette, 16, 207, 16 * variant, 1, ColorPalette);
  } else {
    const PALETTEENTRY* group = ColorPalette + 16 + 16 * (variant - 12);
    PALETTEENTRY source[16];
    std::copy(group, group + 16, source);
    for (int g = 0; g < 12; ++g) std::copy(source, source + 16, ColorPalette + 16 + 16 * g);
  }
  std::copy(ColorPalette, ColorPalette + 256, DispColorPalette);
  if (lpDDPalette) lpDDPalette->SetEntries(0, 255, DispColorPalette);
  return true;
}

void CyclePaletteColors() {
  const cSystemData& system = CurrentSystemData();
  if (lpDTCon) {
    PulseFlashColours(system.m_nCompat[kCycleStepIndex]);
    return;
  }
  if (system.m_nCompat[kPaletteCycleIndex] != 0 && nBpp == 8) RotatePaletteGroups();
}

void ResetColorCycleForTesting() {
  cycle = {};
  FlashColorTable = {};
}
