#include "stage/StageDraw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "library/draw/Draw.h"
#include "library/text/Font.h"
#include "library/text/SjisText.h"
#include "library/util/Convert.h"
#include "library/util/FrameTiming.h"
#include "stage/CharaDraw.h"
#include "stage/Darkness.h"
#include "stage/ScreenColor.h"
#include "stage/ScreenEffect.h"
#include "stage/StageResources.h"
#include "stage/StageRules.h"
#include "stage/StageScene.h"

namespace {

constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kMaxTiles = 1000;

DDSURFACEDATA* LayerSurface(int layer) {
  return layer < kBgLayerSlots ? StageSurface(kBgLayerFirstSlot + layer) : nullptr;
}

// A remainder that is never negative, for any sign of the origin.
int Wrap(int value, int size) {
  int r = value % size;
  return r < 0 ? r + size : r;
}

double WrapOffset(double offset, int size) {
  if (size <= 0) return offset;  // no surface: nothing to wrap by
  // A far or endless offset, from a stage file's huge speed, is brought near
  // first: stepping there one size at a time would never end.
  if (!std::isfinite(offset)) return 0.0;
  if (std::fabs(offset) >= 2.0 * size) offset = std::fmod(offset, size);
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
  constexpr int kDigitSize = 32;
  DDDrawNumber(target, 272, 24, kDigitSize, kDigitSize, StageSurface(kWordSlot), 0, 160, 1, scene.m_nTimeLeft, 3, 1);
  const bool low = scene.m_nTimeLeft > 0 && scene.m_nTimeLeft <= stage.m_nTimeWarning;
  if (low && bTimeWarn && FrameCounter(2, static_cast<DWORD>(std::max(stage.m_nFrameRate, 1))))
    scene.Hooks().RequestSe(13);
}

namespace {

constexpr int kStatusBarWidth = 638;  // the bar's inner width that the gaps share
constexpr int kStatusY = 3;
constexpr int kIcon = 16;
constexpr int kScoreItem = 0, kStageScoreItem = 1, kHpItem = 2, kSpItem = 3, kLivesItem = 4;
constexpr int kUnlimitedLives = 999999;
constexpr int kFooterY = 456;
constexpr int kFooterForDirectStart = 26, kFooterForTestPlay = 25;

// The darkness of a dark stage over everything but the front pictures.
void DrawHeroOverlay(cStagePlayScene& scene, DDSURFACEDATA* target) {
  if (scene.HasHero() && lpUserSD && nUserSD > kDarknessMaskSlot)
    DrawDarkness(scene.Hero(), target, &lpUserSD[kDarknessMaskSlot]);
}

void DrawPictures(cStagePlayScene& scene, DDSURFACEDATA* target, int pass, int bFrozen) {
  for (cPicture& picture : scene.m_PictureList)
    if (!picture.Removed() && picture.Settings().nPass == pass && picture.DrawPicture(scene, target, bFrozen))
      picture.Remove();
}

void DrawEffects(cStagePlayScene& scene, DDSURFACEDATA* target, int bFrozen) {
  DDBeginSpriteBatch(0);
  for (cEffect& effect : scene.m_EffectList)
    if (!effect.m_bRemoved && effect.DrawEffect(scene, target, bFrozen)) effect.m_bRemoved = 1;
  DDEndSpriteBatch();
}

void DrawMessages(cStagePlayScene& scene, DDSURFACEDATA* target, int bFrozen) {
  for (cMessage& message : scene.m_MessageList)
    if (!message.Removed()) message.DrawMessage(scene, target, bFrozen);
}

Font& LargeFont() { return Fonts[1]; }
Font& SmallFont() { return Fonts[0]; }

bool IsGaugeItem(int item) { return item == kHpItem || item == kSpItem; }

// What an item shows before its value: the icon, or the label's characters.
int CaptionWidth(const cGaugeData& item) { return item.m_bIcon ? kIcon : kIcon * CountSjisChars(item.m_Label); }

int StatusItemWidth(const cGaugeData& item, int index) {
  return CaptionWidth(item) + (IsGaugeItem(index) ? kGaugeWidth : kIcon * item.m_nValueWidth);
}

// Item i's icon is the i-th 16-dot cell of the accessory graphic's icon row.
void DrawIcon(DDSURFACEDATA* target, int x, int item) {
  DDBlt(target, x, kStatusY, kIcon, kIcon, StageSurface(kAccessorySlot), kIcon * item, 32, 1);
}

// Score, stage score and lives: the icon and the value, or the label and the value.
void DrawCountItem(DDSURFACEDATA* target, const cGaugeData& item, int index, int x, int value) {
  char number[16] = "-";
  if (index != kLivesItem || value != kUnlimitedLives) std::snprintf(number, sizeof number, "%d", value);
  if (item.m_bIcon) {
    DrawIcon(target, x, index);
    LargeFont().Print(target, x + kIcon, kStatusY, number);
  } else {
    LargeFont().Printf(target, x, kStatusY, "%s%s", item.m_Label.c_str(), number);
  }
}

// HP and SP: the icon or the label, then the gauge's frame and its fill.
void DrawGaugeItem(DDSURFACEDATA* target, const cSystemData& system, int index, int x, int value, int maximum) {
  const cGaugeData& item = system.m_StatusItems.VecAt(index);
  if (item.m_bIcon)
    DrawIcon(target, x, index);
  else
    LargeFont().Printf(target, x, kStatusY, "%s", item.m_Label.c_str());
  const int gaugeX = x + CaptionWidth(item);
  const int column = index == kHpItem ? 0 : 64;
  DDSURFACEDATA* sheet = StageSurface(kAccessorySlot);
  DDBlt(target, gaugeX, kStatusY, kGaugeWidth, 16, sheet, column, 128, 1);
  // A value beyond its maximum (or below 0) never fills past the frame.
  const long long fill = maximum > 0 ? static_cast<long long>(value) * kGaugeWidth / maximum : 0;
  const int fillY = system.IsGaugeLow(index, value, maximum) ? 160 : 144;
  DDBlt(target, gaugeX, kStatusY, static_cast<int>(std::clamp<long long>(fill, 0, kGaugeWidth)), 16, sheet, column,
        fillY, 1);
  if (item.m_bShowValue) SmallFont().Printf(target, gaugeX, 6, "%d", value);
}

void DrawFooter(cStageShell& shell, DDSURFACEDATA* target) {
  const int index = FooterText(shell.DirectStart(), shell.TestPlay());
  if (index >= 0) DrawFooterText(target, index);
}

void DrawItems(cStagePlayScene& scene, DDSURFACEDATA* target, int layer, bool every, int bFrozen) {
  DDBeginSpriteBatch(1);
  if (DDSURFACEDATA* marks = StageSurface(kMarkSheetSurface)) DDAddSpriteBatchTexture(marks);
  for (cItem& item : scene.ItemList)
    if (!item.m_bRemoved && item.m_bOnScreen && !item.m_bCarried && (every || item.m_Def.m_nZ == layer))
      DrawItem(item, target, bFrozen);
  DDEndSpriteBatch();
}

// The shots of a draw layer that are on screen, in firing order, in an unsorted batch.
void DrawShots(cStagePlayScene& scene, DDSURFACEDATA* target, int layer, bool every, int bFrozen) {
  DDBeginSpriteBatch(0);
  for (cShot& shot : scene.m_ShotList) {
    if (shot.m_bRemoved || !(every || shot.m_Settings.m_nDrawLayer == layer) || !shot.IsOnScreen()) continue;
    shot.UpdateScreenRect();
    shot.DrawShot(target, bFrozen);
  }
  DDEndSpriteBatch();
}

// The objects by their Z order: layer 0 first; with the stage's layer switch
// off, one pass in list order whatever their Z order.
void DrawObjects(cStagePlayScene& scene, cStageShell& shell, const cStageData& stage, DDSURFACEDATA* target,
                 int bFrozen) {
  DDSURFACEDATA* gauges = StageSurface(kAccessorySlot);
  const int layers = stage.m_bDrawLayers ? 8 : 1;
  const bool every = layers == 1;
  for (int layer = 0; layer < layers; ++layer) {
    if (scene.HasHero() && (every || ZOrder(scene.Hero()) == layer)) DrawHero(scene, shell, target, bFrozen);
    DrawItems(scene, target, layer, every, bFrozen);
    for (cNpc& c : scene.CharaList) {
      if (c.m_bRemoved || !(every || ZOrder(c) == layer)) continue;
      if (DrawChara(c, target, bFrozen, gauges)) scene.EraseChara(c);
    }
    DrawShots(scene, target, layer, every, bFrozen);
  }
}

}  // namespace

std::array<int, kStatusItems> StatusItemLeft(const cSystemData& system) {
  std::array<int, kStatusItems> left{};
  left.fill(-1);
  int widths = 0, shown = 0;
  for (int i = 0; i < kStatusItems; ++i) {
    const cGaugeData& item = system.m_StatusItems.VecAt(i);
    if (!item.m_bShown) continue;
    widths += StatusItemWidth(item, i);
    ++shown;
  }
  if (shown == 0) return left;
  const int gap = (kStatusBarWidth - widths) / (shown + 1);
  int x = gap;
  for (int i = 0; i < kStatusItems; ++i) {
    const cGaugeData& item = system.m_StatusItems.VecAt(i);
    if (!item.m_bShown) continue;
    left[static_cast<size_t>(i)] = x;
    x += StatusItemWidth(item, i) + gap;
  }
  return left;
}

void DrawStatus(cStagePlayScene& scene, DDSURFACEDATA* target) {
  if (!scene.m_bShowStatus) return;
  const cSystemData& system = CurrentSystemData();
  const std::array<int, kStatusItems> left = StatusItemLeft(system);
  if (std::all_of(left.begin(), left.end(), [](int x) { return x < 0; })) return;
  DDBlt(target, 0, 0, kScreenW, 20, StageSurface(kStatusWindowSlot), 0, 0, 1);
  for (int i = 0; i < kStatusItems; ++i) {
    const int x = left[static_cast<size_t>(i)];
    if (x < 0) continue;
    if (IsGaugeItem(i)) {
      if (!scene.HasHero()) continue;
      const cPlayer& hero = scene.Hero();
      if (i == kHpItem)
        DrawGaugeItem(target, system, i, x, hero.m_nHp, hero.m_Def.m_nMaxHp);
      else
        DrawGaugeItem(target, system, i, x, hero.m_nSp, hero.m_Def.m_nMaxSp);
      continue;
    }
    const cSaveData& record = scene.Record();
    const int value = i == kScoreItem ? record.nScore : i == kStageScoreItem ? record.nStageScore : record.nLife;
    DrawCountItem(target, system.m_StatusItems.VecAt(i), i, x, value);
  }
}

void DrawFooterText(DDSURFACEDATA* target, int uiText) {
  const std::string& text = CurrentSystemData().m_UiTexts.VecAt(uiText);
  LargeFont().Print(target, 320 - 8 * CountSjisChars(text), kFooterY, text);
}

int FooterText(bool directStart, bool testPlay) {
  if (directStart) return kFooterForDirectStart;
  return testPlay ? kFooterForTestPlay : -1;
}

void DrawHero(cStagePlayScene& scene, cStageShell& shell, DDSURFACEDATA* target, int bFrozen) {
  cPlayer& hero = scene.Hero();
  hero.UpdateHeroScreenRect();
  if (!hero.m_bDying) {
    DDSURFACEDATA* gauges = StageSurface(kAccessorySlot);
    DrawHeroBoxes(hero, target, bFrozen);
    DrawGauges(hero, target, hero.m_HpGauge, 0, gauges);
    DrawGauges(hero, target, hero.m_SpGauge, 1, gauges);
    return;
  }
  if (DrawVanishingChara(hero, target, bFrozen, shell.FrameRate())) ConcludeHeroLoss(scene, shell);
}

void DrawStage(cStagePlayScene& scene, cStageShell& shell, int bPlaying, int bFrozen, int bTimeWarn, int bFooter) {
  if (!StageData) return;
  cStageData& stage = *StageData;
  DDSURFACEDATA* target = &BackBuffer;
  RestoreShotSheets(lpUserSD, nUserSD);
  if (scene.m_ScrEffect.nIndex != 0) DDSetVirBackBuffer(1);
  ScrollBgLayers(stage);
  DrawBgLayers(scene, stage, target, 0);
  if (!bPlaying && scene.m_nState == PLAYSTATE_PAUSE && CurrentSystemData().m_bPauseBackdrop) {
    // The pause hides the stage behind its backdrop.
    DrawBgLayers(scene, stage, target, 1);
  } else {
    DrawPictures(scene, target, 0, bFrozen);
    DrawBlocks(scene, target, 0);
    DrawObjects(scene, shell, stage, target, bFrozen);
    DrawBlocks(scene, target, 1);
    DrawBgLayers(scene, stage, target, 1);
    DrawHeroOverlay(scene, target);
    DrawPictures(scene, target, 1, bFrozen);
    DrawEffects(scene, target, bFrozen);
    DrawMessages(scene, target, bFrozen);
    DrawScrEffect(scene, bFrozen);
    DrawStatus(scene, target);
    DrawTimeLimit(scene, stage, target, bTimeWarn);
    if (bFooter) DrawFooter(shell, target);
    shell.CyclePalette();
  }
  DrawScreenColor(scene.m_ScreenColor, bFrozen);
  scene.CollectRemoved();
}
