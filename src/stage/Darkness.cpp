#include "stage/Darkness.h"

#include <algorithm>

#include "library/draw/Draw.h"
#include "library/util/MesBox.h"

namespace {

constexpr int kScreenW = 640, kScreenH = 480;
constexpr DWORD kDarkColour = 16, kHoleColour = 0;
enum SightShape { kWholeScreen = 0, kCircleCentred = 1, kCircleAhead = 2, kSquareCentred = 3, kSquareAhead = 4 };

}  // namespace

bool SetupDarkness(DDSURFACEDATA* mask, DDSURFACEDATA* circle, const cPlayer& hero) {
  DDReleaseSurface(mask);
  DDReleaseSurface(circle);
  const int r = std::max(hero.m_nLightRadius, 0);
  const int w = 2 * r + 2 * kScreenW, h = 2 * r + 2 * kScreenH;
  if (!DDCreateSurface(mask, w, h, 1, 0, 0, 0, 0)) {
    ErrOutOfMemory();
    return false;
  }
  DDFillRect(mask, 0, 0, w, h, kDarkColour);
  if (r == 0) return true;
  const int shape = hero.m_Def.m_nSightShape;
  if (shape != kCircleCentred && shape != kCircleAhead) {
    DDFillRect(mask, w / 2 - r, h / 2 - r, 2 * r, 2 * r, kHoleColour);
    return true;
  }
  if (!DDCreateSurface(circle, 2 * r, 2 * r, 1, 0, 0, 0, 0)) {
    ErrOutOfMemory();
    return false;
  }
  // The system data stores no transparent-darkness switch, so the hole is
  // always see-through: it takes the colour key.
  DDFillRectColor(circle, 0, 0, 2 * r, 2 * r, dwTransmit);
  DDBltCircle(mask, w / 2, h / 2, r, r, r, 1, circle, r, r, 0);
  return true;
}

void DrawDarkness(const cPlayer& hero, DDSURFACEDATA* target, DDSURFACEDATA* mask) {
  const int shape = hero.m_Def.m_nSightShape;
  if (!target || !mask || shape == kWholeScreen || mask->nWidth <= 0) return;
  const int w = mask->nWidth, h = mask->nHeight;
  const int gfxW = hero.m_rcGfx.nW, gfxH = hero.m_rcGfx.nH;
  int sx = (w >> 1) - (gfxW >> 1) - hero.m_rcScreen.nLeft;
  if (shape == kCircleAhead || shape == kSquareAhead) {
    const int sign = hero.GetFacingSign();
    sx += sign * (gfxW >> 1) - sign * hero.m_nLightRadius;
  }
  sx = std::clamp(sx, 0, std::max(w - kScreenW, 0));
  const int sy = std::clamp((h >> 1) - (gfxH >> 1) - hero.m_rcScreen.nTop, 0, std::max(h - kScreenH, 0));
  DDBlt(target, 0, 0, kScreenW, kScreenH, mask, sx, sy, 1);
}

void RefreshHeroLight(cPlayer& hero) {
  hero.m_nLightRadius = HblToDot(hero.m_Def.m_nSight);
  if (hero.m_Def.m_nSightShape != 0 && lpUserSD && nUserSD > kDarknessCircleSlot)
    SetupDarkness(&lpUserSD[kDarknessMaskSlot], &lpUserSD[kDarknessCircleSlot], hero);
}
