#include "stage/StageDraw.h"

#include <algorithm>

#include "library/draw/Draw.h"
#include "library/util/Convert.h"
#include "library/util/FrameTiming.h"
#include "stage/CharaDraw.h"
#include "stage/StageResources.h"
#include "stage/StageRules.h"

namespace {

constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kMaxTiles = 1000;

DDSURFACEDATA* LayerSurface(int layer) {
  const int slot = kBgLayerFirstSlot + layer;
  if (!lpUserSD || layer >= kBgLayerSlots || slot >= nUserSD) return nullptr;
  DDSURFACEDATA* sd = &lpUserSD[slot];
  return sd->nWidth > 0 && sd->nHeight > 0 ? sd : nullptr;
}

// A remainder that is never negative, for any sign of the origin.
int Wrap(int value, int size) {
  int r = value % size;
  return r < 0 ? r + size : r;
}

double WrapOffset(double offset, int size) {
  if (size <= 0) return offset;  // no surface: nothing to wrap by
  while (offset < 0) offset += size;
  while (offset >= size) offset -= size;
  return offset;
}

// Tiles a layer's surface over the screen from the source position (sx, sy).
void TileLayer(DDSURFACEDATA* target, DDSURFACEDATA* src, int sx, int sy, int keyed) {
  const int w = src->nWidth, h = src->nHeight;
  DDBeginSpriteBatch(0);
  int y = -Wrap(sy, h);
  for (int row = 0; y < kScreenH && row < kMaxTiles; ++row, y += h) {
    int x = -Wrap(sx, w);
    for (int column = 0; x < kScreenW && column < kMaxTiles; ++column, x += w)
      DDBlt(target, x, y, w, h, src, 0, 0, keyed);
  }
  DDEndSpriteBatch();
}

int LayerOrigin(double scroll, double offset, double factor, int autoOn, double rounding) {
  if (autoOn) return DoubleToInt(scroll + offset - 320);
  return DoubleToInt((DoubleToInt(scroll + rounding) - 320) * factor);
}

int ZOrder(const cChara& chara) { return chara.m_Def.m_nZ; }

}  // namespace

void ScrollBgLayers(cStageData& stage) {
  for (int i = 0; i < static_cast<int>(stage.m_BgLayers.size()); ++i) {
    cBgLayer& layer = stage.m_BgLayers.VecAt(i);
    DDSURFACEDATA* sd = LayerSurface(i);
    if (layer.m_bAutoX) layer.m_dOffsetX = WrapOffset(layer.m_dOffsetX - layer.m_dFactorX, sd ? sd->nWidth : 0);
    if (layer.m_bAutoY) layer.m_dOffsetY = WrapOffset(layer.m_dOffsetY - layer.m_dFactorY, sd ? sd->nHeight : 0);
  }
}

void DrawBgLayers(const cStagePlayScene& scene, cStageData& stage, DDSURFACEDATA* target, int pass) {
  int drawn = 0;
  for (int i = 0; i < static_cast<int>(stage.m_BgLayers.size()); ++i) {
    const cBgLayer& layer = stage.m_BgLayers.VecAt(i);
    if (!layer.m_bShow || layer.m_bFront != pass) continue;
    if (layer.m_bFill) {
      DDFillRect(target, 0, 0, kScreenW, kScreenH, static_cast<DWORD>(layer.m_nFillColor));
    } else if (DDSURFACEDATA* sd = LayerSurface(i)) {
      const int ex = LayerOrigin(scene.m_ScrollX.dPos, layer.m_dOffsetX, layer.m_dFactorX, layer.m_bAutoX, 0.5);
      const int ey = LayerOrigin(scene.m_ScrollY.dPos, layer.m_dOffsetY, layer.m_dFactorY, layer.m_bAutoY, 0.0);
      TileLayer(target, sd, Wrap(ex, sd->nWidth), Wrap(ey, sd->nHeight), pass == 1 || drawn > 0);
    }
    ++drawn;
  }
  if (pass == 0 && drawn == 0) DDFillRect(target, 0, 0, kScreenW, kScreenH, kBackgroundColour);
}

void DrawBlocks(cStagePlayScene& scene, DDSURFACEDATA* target, int pass) {
  const int left = DoubleToInt(scene.m_ScrollX.dPos), top = DoubleToInt(scene.m_ScrollY.dPos);
  const int firstColumn = left >> 5, firstRow = top >> 5;
  const int columns = scene.m_ScrollX.nCells, rows = scene.m_ScrollY.nCells;
  DDBeginSpriteBatch(1);
  if (lpUserSD && nUserSD > kMarkSheetSurface) DDAddSpriteBatchTexture(&lpUserSD[kMarkSheetSurface]);
  for (int r = 0; r < 16; ++r) {
    const int row = firstRow + r;
    if (row < 0 || row >= rows) continue;
    for (int c = 0; c < 21; ++c) {
      const int column = firstColumn + c;
      if (column < 0 || column >= columns) continue;
      MAPCELL& cell = scene.CellAt(scene.CellIndex(column, row));
      const cBlockDef& block = cell.block;
      if (block.m_nChip == 0 || block.m_nLayer != pass || block.m_bHidden) continue;
      if (!CheckBlockAppear(scene, cell)) continue;
      DrawBlock(block, target, c * 32 - (left & 31), r * 32 - (top & 31));
    }
  }
  DDEndSpriteBatch();
}

void DrawTimeLimit(cStagePlayScene& scene, const cStageData& stage, DDSURFACEDATA* target, int bTimeWarn) {
  if (scene.m_bNoTimeLimit) return;
  constexpr int kWordSlot = 51, kDigitSize = 32;
  if (lpUserSD && kWordSlot < nUserSD)
    DDDrawNumber(target, 272, 24, kDigitSize, kDigitSize, &lpUserSD[kWordSlot], 0, 160, 1, scene.m_nTimeLeft, 3, 1);
  const bool low = scene.m_nTimeLeft > 0 && scene.m_nTimeLeft <= stage.m_nTimeWarning;
  if (low && bTimeWarn && FrameCounter(2, static_cast<DWORD>(std::max(stage.m_nFrameRate, 1))))
    scene.Hooks().RequestSe(13);
}

void DrawStage(cStagePlayScene& scene, cStageData& stage, DDSURFACEDATA* target, int frozen,
               DDSURFACEDATA* gaugeSheet) {
  RestoreShotSheets(lpUserSD, nUserSD);
  ScrollBgLayers(stage);
  DrawBgLayers(scene, stage, target, 0);
  DrawBlocks(scene, target, 0);
  const int layers = stage.m_bDrawLayers ? 8 : 1;
  for (int layer = 0; layer < layers; ++layer) {
    const bool every = layers == 1;
    if (scene.HasHero() && (every || ZOrder(scene.Hero()) == layer) && !scene.Hero().m_bDying) {
      cPlayer& hero = scene.Hero();
      hero.UpdateHeroScreenRect();
      DrawCharaBody(hero, target, frozen);
      DrawGauges(hero, target, hero.m_HpGauge, 0, gaugeSheet);
      DrawGauges(hero, target, hero.m_SpGauge, 1, gaugeSheet);
    }
    for (cItem& item : scene.ItemList)
      if (!item.m_bRemoved && item.m_bOnScreen && !item.m_bCarried && (every || item.m_Def.m_nZ == layer))
        DrawItem(item, target, frozen);
    for (cNpc& c : scene.CharaList) {
      if (c.m_bRemoved || !(every || ZOrder(c) == layer)) continue;
      if (DrawChara(c, target, frozen, gaugeSheet)) scene.EraseChara(c);
    }
  }
  DrawBlocks(scene, target, 1);
  DrawBgLayers(scene, stage, target, 1);
  scene.CollectRemoved();
}
