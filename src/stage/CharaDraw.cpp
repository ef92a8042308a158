#include "stage/CharaDraw.h"

#include <algorithm>

#include "gamedata/SystemData.h"
#include "library/draw/Draw.h"
#include "stage/Collision.h"
#include "stage/StageDraw.h"
#include "stage/StageResources.h"

namespace {

constexpr int kCharaSheets = 8;
constexpr int kCharaSheetSlot = 22;  // the second-mode sheets, two slots (as drawn, mirrored) a sheet
constexpr int kItemSheetSlot = 41;

DDSURFACEDATA* Slot(int slot) { return lpUserSD && slot >= 0 && slot < nUserSD ? &lpUserSD[slot] : nullptr; }

void DrawMark(const cChara& chara, DDSURFACEDATA* target) {
  DDSURFACEDATA* marks = Slot(kMarkSheetSurface);
  if (chara.m_Def.m_bMark != 1 || !marks) return;
  const POINT cell = MarkCell(chara.m_Def.m_nMark);
  const RectI& r = chara.m_rcScreen;
  const int w = chara.m_rcGfx.nW, h = chara.m_rcGfx.nH;
  if (chara.m_Def.m_nGiant <= 1)
    DDBlt(target, r.nLeft, r.nTop, kBlockCellSize, kBlockCellSize, marks, cell.x, cell.y, 1);
  else
    DDBltStretch(target, r.nLeft, r.nTop, w, h, marks, cell.x, cell.y, kBlockCellSize, kBlockCellSize, 1);
}

void PinScreenRect(cChara& chara) {
  RectI& r = chara.m_rcScreen;
  if (chara.m_bPinnedX) r.nLeft = chara.m_nPinnedX, r.nRight = r.nLeft + chara.m_rcGfx.nW - 1;
  if (chara.m_bPinnedY) r.nTop = chara.m_nPinnedY, r.nBottom = r.nTop + chara.m_rcGfx.nH - 1;
}

}  // namespace

int GetCharaCellBase(const cChara& chara) { return chara.m_Def.m_nGraphicCol; }

bool CharaSheetCell(const cChara& chara, int pattern, DDSURFACEDATA*& sheet, int& sx, int& sy) {
  const int a = chara.m_nGraphic;
  int s = a / 15;
  sx = (GetCharaCellBase(chara) + pattern) * 32;
  sy = a % 15 * 32;
  if (a < 0 || s >= kCharaSheets || sx < 0) s = 0, sx = sy = 0;  // outside the sheets: sheet 0 at its origin
  sheet = Slot(kCharaSheetSlot + 2 * s + (chara.m_bRight ? 1 : 0));
  return sheet != nullptr;
}

void DrawCharaBody(cChara& chara, DDSURFACEDATA* target, int noAdvance) {
  const int pattern = UpdateFlowAnimes(chara, noAdvance);
  if (chara.m_Def.m_bTransparent) return;
  chara.UpdateScreenRect();
  PinScreenRect(chara);
  DDSURFACEDATA* sheet = nullptr;
  int sx = 0, sy = 0;
  if (CharaSheetCell(chara, pattern, sheet, sx, sy)) {
    const RectI& r = chara.m_rcScreen;
    if (chara.m_Def.m_nGiant <= 1)
      DDBlt(target, r.nLeft, r.nTop, chara.m_rcGfx.nW, chara.m_rcGfx.nH, sheet, sx, sy, 1);
    else
      DDBltStretch(target, r.nLeft, r.nTop, chara.m_rcGfx.nW, chara.m_rcGfx.nH, sheet, sx, sy, 32, 32, 1);
  }
  DrawMark(chara, target);
}

void DrawGauges(cChara& chara, DDSURFACEDATA* target, GaugeAnime& gauge, int kind, DDSURFACEDATA* sheet) {
  if (gauge.nFramesLeft <= 0 || chara.m_bDying) return;
  const int x = chara.m_rcScreen.nLeft + chara.m_rcGfx.nW / 2 - 25;
  const int y = chara.m_rcScreen.nTop - (kind == 0 ? 3 : 7);
  if (sheet) {
    const int column = kind == 0 ? 0 : 64;
    const int base = sheet->nHeight > 208 ? 208 : 128;
    const int step = base == 208 ? 2 : 16;
    const int frameRow = base, barRow = base + step, lowRow = base + 2 * step, gainRow = base + 3 * step,
              lossRow = base + 4 * step;
    const int value = kind == 0 ? chara.m_nHp : chara.m_nSp;
    const int maximum = kind == 0 ? chara.m_Def.m_nMaxHp : chara.m_Def.m_nMaxSp;
    const bool low = SystemData && SystemData->IsGaugeLow(kind == 0 ? 2 : 3, value, maximum);
    DDBlt(target, x, y, kGaugeWidth, 2, sheet, column, frameRow, 1);
    DDBlt(target, x, y, gauge.nBarLength, 2, sheet, column, low ? lowRow : barRow, 1);
    const int change = static_cast<int>(gauge.dChange);
    if (gauge.dChange >= 0)
      DDBlt(target, x + gauge.nBarLength - change, y, change, 2, sheet, column, lossRow, 1);
    else
      DDBlt(target, x + gauge.nBarLength, y, -change, 2, sheet, column, gainRow, 1);
  }
  --gauge.nFramesLeft;
  if (gauge.nFramesLeft < 60)
    gauge.dChange = 0;
  else
    gauge.dChange -= gauge.dChangePerFrame;
}

int DrawVanishingChara(cNpc& chara) {
  chara.UpdateScreenRect();
  // A vanish effect would run here; without one the vanish ends at once.
  return 1;
}

int DrawChara(cNpc& chara, DDSURFACEDATA* target, int frozen, DDSURFACEDATA* gaugeSheet) {
  if (chara.m_bDying) return DrawVanishingChara(chara);
  if (chara.m_bOnScreen) {
    chara.UpdateScreenRect();
    if (chara.m_Def.m_bTransparent)
      UpdateFlowAnimes(chara, 0);
    else
      DrawCharaBody(chara, target, frozen);
    DrawGauges(chara, target, chara.m_HpGauge, 0, gaugeSheet);
    DrawGauges(chara, target, chara.m_SpGauge, 1, gaugeSheet);
  } else if (chara.m_bAwake) {
    chara.UpdateScreenRect();
    UpdateFlowAnimes(chara, 0);
  }
  return 0;
}

void DrawItem(cItem& item, DDSURFACEDATA* target) {
  DDSURFACEDATA* sheet = Slot(kItemSheetSlot);
  if (!sheet || item.m_Def.m_bHidden) return;
  item.UpdateScreenRect();
  const int a = item.m_nGraphic;
  const int frame = std::max(item.m_Anime.GetAnimePattern(), 0);
  DDBlt(target, item.m_rcScreen.nLeft, item.m_rcScreen.nTop, 32, 32, sheet, a / 15 * 64 + frame * 32, a % 15 * 32, 1);
}
