// Drawing a shot from the shot sheet (two animation frames per graphic) or a
// sword part from its sword type's graphics.
#include "gamedata/DbMedia.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "stage/Shot.h"
#include "stage/SpriteSource.h"
#include "stage/StageResources.h"

namespace {

constexpr int kShotCell = 16;
constexpr int kShotRows = 30;

DDSURFACEDATA* SwordSurface(int index) {
  return index >= 0 && index < static_cast<int>(SwordSD.size()) ? &SwordSD[static_cast<size_t>(index)] : nullptr;
}

}  // namespace

void cShot::DrawShot(DDSURFACEDATA* target, int paused) {
  if (m_Settings.m_bHidden) return;
  const int x = m_rcScreen.nLeft, y = m_rcScreen.nTop, w = m_rcGfx.nW, h = m_rcGfx.nH;
  const bool stretched = m_Settings.m_nScale > 1;
  const int facing = m_bRight ? 1 : 0;
  if (IsShot()) {
    const int pattern = paused ? m_Anime.GetAnimePattern() : m_Anime.UpdateAnime();
    const int g = m_Settings.m_nShotGraphic;
    const int sx = ((g / kShotRows) * 2 + pattern) * kShotCell, sy = (g % kShotRows) * kShotCell;
    const int variant = stretched && !FirstModeSheets() ? 1 : 0;
    DDSURFACEDATA* sheet = UserSurface(SelectSheetVariant(kShotSourceSlot + facing, variant));
    if (!sheet) return;
    if (stretched)
      DDBltStretch(target, x, y, w, h, sheet, sx, sy, kShotCell, kShotCell, 1);
    else
      DDBlt(target, x, y, w, h, sheet, sx, sy, 1);
    return;
  }
  const int type = m_Settings.m_nTrajectory;
  const cDbSwordPart& part = SwordPart(type, m_nSwordPart);
  const int first = type * 4 + facing;
  DDSURFACEDATA* image = SwordSurface(stretched && !FirstModeSheets() ? first + 2 : first);
  if (!image) return;
  if (stretched)
    DDBltStretch(target, x, y, w, h, image, part.m_nSourceX, part.m_nSourceY, part.m_nWidth, part.m_nHeight, 1);
  else
    DDBlt(target, x, y, w, h, image, part.m_nSourceX, part.m_nSourceY, 1);
}
