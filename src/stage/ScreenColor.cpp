#include "stage/ScreenColor.h"

#include "library/draw/Draw.h"

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
