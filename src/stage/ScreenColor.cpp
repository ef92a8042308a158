#include "stage/ScreenColor.h"

#include <algorithm>

#include "library/draw/Draw.h"
#include "library/util/Convert.h"
#include "stage/SpriteSource.h"

namespace {

constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kColourWorkSlot = 67;

int ClampAlpha(double alpha) { return std::clamp(DoubleToInt(alpha), 0, 255); }

// Direct3D: the colour over the whole frame with transparency alpha. Through
// the virtual back buffer it is blended from a work surface filled with it.
void LayColour(int alpha, BYTE red, BYTE green, BYTE blue) {
  DDSURFACEDATA* work = lpDTCon->bVirBackBuffer ? UserSurface(kColourWorkSlot) : nullptr;
  if (!work) {
    DDChangeColor(&BackBuffer, 0, 0, kScreenW, kScreenH, alpha, red, green, blue);
    return;
  }
  DDFillSurfaceColor(work, 0xFF000000u | DWORD{red} << 16 | DWORD{green} << 8 | blue);
  DDBltAlpha(&BackBuffer, 0, 0, kScreenW, kScreenH, work, 0, 0, 0, HbtTable, alpha);
}

// 8-bit DirectDraw: the colour blended into the display palette. Alpha 255
// shows nothing of it, so the loaded palette comes back exactly (a blend at
// 255 would keep 1/256 of the colour after a flash or a take-back).
void BlendPalette(int alpha, BYTE red, BYTE green, BYTE blue) {
  if (alpha >= 255) return DDShowLoadedPalette();
  DDPalBlend(DispColorPalette, 0, 255, alpha, red, green, blue, ColorPalette);
  if (lpDDPalette) lpDDPalette->SetEntries(0, 256, DispColorPalette);
}

using Layer = void (*)(int, BYTE, BYTE, BYTE);

// One frame of the record through a layer; the 8-bit palette ends every run
// at its end, Direct3D keeps a laid colour on the screen.
void StepRecord(SCREENCOLOR& r, int bHold, Layer layer, bool keepLaid) {
  if (r.bFlash) {
    const bool rampDone = r.nFrame >= r.nDuration;
    r.nAlpha = rampDone ? 255 : ScreenColorAlpha(r, r.nFrame);
    layer(r.nAlpha, r.byRed, r.byGreen, r.byBlue);
    if (bHold) return;
    if (!rampDone) {
      ++r.nFrame;
    } else {
      r.nFrame = 0;
      if (++r.nFlashFrame >= r.nFlashCount) r.bActive = 0;
    }
    return;
  }
  const bool takeBack = r.nMode != 0;
  r.nAlpha = takeBack ? TakeBackAlpha(r, r.nFrame) : ScreenColorAlpha(r, r.nFrame);
  if (takeBack)
    layer(r.nAlpha, r.byPrevRed, r.byPrevGreen, r.byPrevBlue);
  else
    layer(r.nAlpha, r.byRed, r.byGreen, r.byBlue);
  if (bHold) return;
  if (r.nFrame < r.nDuration)
    ++r.nFrame;
  else if (takeBack || !keepLaid || r.nStrength == 0)
    r.bActive = 0;
}

}  // namespace

void SetScreenColor(SCREENCOLOR& record, const ScreenColorCommand& v) {
  // Direct3D lays the colour while active; 8-bit DirectDraw while its palette blend is pending.
  const bool laid = lpDTCon ? record.bActive != 0 : record.bPending != 0;
  if (v[4] != 0 && !laid) return;
  record.byPrevRed = record.byRed;
  record.byPrevGreen = record.byGreen;
  record.byPrevBlue = record.byBlue;
  record.nPrevStrength = record.nStrength;
  record.nPrevAlpha = record.nAlpha;
  record.byRed = static_cast<BYTE>(v[0]);
  record.byGreen = static_cast<BYTE>(v[1]);
  record.byBlue = static_cast<BYTE>(v[2]);
  record.nStrength = v[3];
  record.nMode = v[4];
  record.nDuration = v[5] * 6;
  record.bFlash = v[6];
  record.nFlashCount = v[7];
  record.bActive = 1;
  record.nFrame = record.nFlashFrame = 0;
  if (record.nMode == 0) {
    record.nAlpha = 0;
    record.bPending = 1;
    return;
  }
  record.byRed = record.byPrevRed;
  record.byGreen = record.byPrevGreen;
  record.byBlue = record.byPrevBlue;
  record.nStrength = record.nPrevStrength;
  record.nAlpha = record.nPrevAlpha;
}

int ScreenColorAlpha(const SCREENCOLOR& r, int frame) {
  if (r.nDuration == 0) return ClampAlpha(255 - r.nStrength * 2.55);
  return ClampAlpha(255 - static_cast<double>(frame) / r.nDuration * r.nStrength * 2.55);
}

int TakeBackAlpha(const SCREENCOLOR& r, int frame) {
  if (r.nDuration == 0) return 255;
  return ClampAlpha(r.nPrevAlpha + static_cast<double>(frame) / r.nDuration * (255 - r.nPrevAlpha));
}

void DrawScreenColor(SCREENCOLOR& record, int bHold) {
  if (!record.bActive) return;
  if (lpDTCon) {
    StepRecord(record, bHold, LayColour, true);
  } else if (nBpp == 8) {
    if (!bHold) StepRecord(record, 0, BlendPalette, false);
  } else if (!bHold) {
    record.bActive = 0;  // other DirectDraw depths cannot tint the screen
  }
}
