#include "stage/CharaDraw.h"

#include <algorithm>

#include "gamedata/Database.h"
#include "gamedata/SystemData.h"
#include "library/draw/Draw.h"
#include "library/util/Convert.h"
#include "stage/Collision.h"

namespace {

constexpr int kColourFlashCompat = 3;  // compatibility switch 4: flash colours under Direct3D
constexpr int kHintShowFrom = 64;
constexpr int kHintPeriod = 96;
constexpr int kMaxStretchGrowth = 1 << 16;

int Multiplier(int size) { return std::max(size, 1); }

bool IsStretched(const SPRITESOURCE& source, int multiplier) {
  return source.bBigCell ? source.nCellSize != multiplier : multiplier > 1;
}

// Runs a blit with the sprite's colour pair set on the drawing layer.
template <typename Blit>
void WithColourPair(bool coloured, const SPRITESOURCE& source, Blit blit) {
  if (!coloured) {
    blit();
    return;
  }
  DDSetDrawColor(source.dwColor);
  DDSetColorOp(static_cast<DWORD>(source.nColorOp));
  blit();
  DDResetDrawColor();
  DDResetColorOp();
}

// Copies the cell to (0, 0) of a work surface at the graphic size, without
// the colour key: stretched from the chosen sheet, else from the second-mode
// sheet.
void BltSpriteToWork(DDSURFACEDATA* work, const cChara& chara, const SPRITESOURCE& source) {
  const int w = chara.m_rcGfx.nW, h = chara.m_rcGfx.nH;
  WithColourPair(source.bColor != 0, source, [&] {
    if (IsStretched(source, Multiplier(chara.m_Def.m_nGiant))) {
      const int n = source.nCellSize;
      DDBltStretch(work, 0, 0, w, h, source.lpSurface, source.x, source.y, n * chara.m_rcGfxBase.nW,
                   n * chara.m_rcGfxBase.nH, 0);
    } else {
      DDBlt(work, 0, 0, w, h, source.lpCandidate[1], source.x, source.y, 0);
    }
  });
}

// Where a handler reads the sprite: the sheet of the given candidate at the
// cell, or the work copy of a stretched sprite (already coloured).
struct SpriteView {
  DDSURFACEDATA* lpSurface = nullptr;
  int x = 0, y = 0;
  bool bColor = false;
};

// The sheet an unstretched sprite is read from: the first-mode or the
// second-mode sheet of the facing, or the sheet the display mode chose.
enum SheetCandidate : int { SHEET_FIRST = 0, SHEET_SECOND = 1, SHEET_CHOSEN = 2 };

SpriteView ViewSprite(const cChara& chara, const SPRITESOURCE& source, SheetCandidate sheet) {
  if (!IsStretched(source, Multiplier(chara.m_Def.m_nGiant)))
    return {sheet == SHEET_CHOSEN ? source.lpSurface : source.lpCandidate[sheet], source.x, source.y,
            source.bColor != 0};
  DDSURFACEDATA* work = WorkSurface(0);
  BltSpriteToWork(work, chara, source);
  return {work, 0, 0, false};
}

void DrawPlain(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source, SheetCandidate sheet) {
  const SpriteView view = ViewSprite(chara, source, sheet);
  if (!view.lpSurface) return;
  const RectI& r = chara.m_rcScreen;
  WithColourPair(view.bColor, source, [&] {
    DDBlt(target, r.nLeft, r.nTop, chara.m_rcGfx.nW, chara.m_rcGfx.nH, view.lpSurface, view.x, view.y, 1);
  });
}

// The effect blits of the drawing layer that these handlers are waiting for.
enum class EffectBlit { QuadSplit, Split, Wave, Rotate, Flip, Circle, Lens, Tint, Half, Mosaic, Blur };

// Stands in for every effect blit the drawing layer does not offer yet: the
// body is drawn plainly from the sheet that blit would read.
void DrawWithEffectBlit(EffectBlit /*blit*/, const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source,
                        SheetCandidate sheet) {
  DrawPlain(chara, target, source, sheet);
}

int AdvanceEffect(cChara& chara, int noAdvance) { return noAdvance ? 0 : StepEffectProgress(chara.m_CharaEffect); }

int PlainHandler(cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE* source, int noAdvance, int draw) {
  if (draw) DrawPlain(chara, target, *source, SHEET_FIRST);
  return AdvanceEffect(chara, noAdvance);
}

template <EffectBlit blit, SheetCandidate sheet>
int EffectBlitHandler(cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE* source, int noAdvance, int draw) {
  if (draw) DrawWithEffectBlit(blit, chara, target, *source, sheet);
  return AdvanceEffect(chara, noAdvance);
}

// Waves keep their phase in the first slot, one degree per advance.
template <EffectBlit blit>
int WaveHandler(cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE* source, int noAdvance, int draw) {
  if (draw) DrawWithEffectBlit(blit, chara, target, *source, SHEET_FIRST);
  if (!noAdvance) {
    int& phase = chara.m_CharaEffect.Values.nSlot[0];
    phase = phase >= 359 ? 0 : phase + 1;
  }
  return AdvanceEffect(chara, noAdvance);
}

// The blink counter (first slot) flips the toggle (second slot) each time it
// reaches the entry's interval; returns the toggle for this call.
int BlinkToggle(EFFECTPROGRESS& effect) {
  const int interval = effect.lpEntry ? effect.lpEntry->m_nParam[1] : 0;
  int& counter = effect.Values.nSlot[0];
  int& toggle = effect.Values.nSlot[1];
  if (counter >= interval) counter = 0, toggle ^= 1;
  return toggle;
}

int BlinkHandler(cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE* source, int noAdvance, int draw) {
  const int shown = BlinkToggle(chara.m_CharaEffect) == 1;
  if (draw && shown) DrawPlain(chara, target, *source, SHEET_FIRST);
  if (!noAdvance) ++chara.m_CharaEffect.Values.nSlot[0];
  return AdvanceEffect(chara, noAdvance);
}

int HalfBlinkHandler(cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE* source, int noAdvance, int draw) {
  const int hidden = BlinkToggle(chara.m_CharaEffect) == 1;
  if (draw && !hidden) DrawWithEffectBlit(EffectBlit::Half, chara, target, *source, SHEET_SECOND);
  if (!noAdvance) ++chara.m_CharaEffect.Values.nSlot[0];
  return AdvanceEffect(chara, noAdvance);
}

// The value is the drawn width in dots (32 = unchanged), grown about the
// body's top-left by half the change.
void DrawStretched(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  const int multiplier = Multiplier(chara.m_Def.m_nGiant);
  const double grow = chara.m_CharaEffect.Values.dCurrent - 32;
  const bool stretched = IsStretched(source, multiplier);
  // Growth is bounded so that a hostile value cannot overflow the drawn size.
  const int e = std::min(stretched ? DoubleToInt(grow * multiplier) >> 1 : DoubleToInt(grow), kMaxStretchGrowth);
  const int w = chara.m_rcGfx.nW, h = chara.m_rcGfx.nH;
  if (w + e <= 0 || h + e <= 0) return;
  const SpriteView view = ViewSprite(chara, source, SHEET_SECOND);
  if (!view.lpSurface) return;
  const RectI& r = chara.m_rcScreen;
  WithColourPair(view.bColor, source, [&] {
    DDBltStretch(target, r.nLeft - (e >> 1), r.nTop - (e >> 1), w + e, h + e, view.lpSurface, view.x, view.y, w, h, 1);
  });
}

int StretchHandler(cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE* source, int noAdvance, int draw) {
  if (draw) DrawStretched(chara, target, *source);
  return AdvanceEffect(chara, noAdvance);
}

int RunningEffectType(const cChara& chara) {
  const EFFECTPROGRESS& effect = chara.m_CharaEffect;
  if (effect.nIndex == 0 || !effect.lpEntry) return 0;
  const int kind = effect.lpEntry->m_nKind;
  return kind >= 0 && kind < kCharaEffectTypes ? kind : 0;
}

// The handler of the running effect; its end clears the running number.
int RunCharaEffect(cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE* source, int noAdvance, int draw) {
  const int ended =
      CharaEffectFunc[static_cast<size_t>(RunningEffectType(chara))](chara, target, source, noAdvance, draw);
  if (ended) chara.m_CharaEffect.nIndex = 0;
  return ended;
}

void PinScreenRect(cChara& chara) {
  RectI& r = chara.m_rcScreen;
  if (chara.m_bPinnedX) r.nLeft = chara.m_nPinnedX, r.nRight = r.nLeft + chara.m_rcGfx.nW - 1;
  if (chara.m_bPinnedY) r.nTop = chara.m_nPinnedY, r.nBottom = r.nTop + chara.m_rcGfx.nH - 1;
}

void CharaSpriteSource(const cChara& chara, int pattern, SPRITESOURCE& source) {
  const int cellBase = GetCharaCellBase(chara, source);
  SetSpriteSource(source, SPRITEMODE_OBJECT, chara.m_Def.m_nGraphicSrc, chara.m_nGraphic, cellBase, &chara, pattern);
}

// A mark over an object, never distorted: unscaled from the first mark sheet
// at size 1, else stretched from the base size from the sheet the display picked.
void DrawMark(const cGameObject& object, int size, int mark, DDSURFACEDATA* target) {
  const POINT cell = MarkCell(mark);
  const RectI& r = object.m_rcScreen;
  if (size <= 1)
    DDBlt(target, r.nLeft, r.nTop, kSpriteCell, kSpriteCell, UserSurface(kMarkSheetSurface), cell.x, cell.y, 1);
  else
    DDBltStretch(target, r.nLeft, r.nTop, object.m_rcGfx.nW, object.m_rcGfx.nH, MarkSheetSurface(), cell.x, cell.y,
                 object.m_rcGfxBase.nW, object.m_rcGfxBase.nH, 1);
}

void DrawItemHint(cNpc& chara, DDSURFACEDATA* target) {
  const cItem& item = chara.m_Item;
  if (!item.m_bCarried || !chara.m_bOnScreen || chara.m_Def.m_bTransparent || item.m_Def.m_bHidden) return;
  if (++chara.m_nItemHintTimer >= kHintShowFrom) {
    const RectI& r = chara.m_rcScreen;
    DrawSpriteIcon(target, r.nLeft + (chara.m_rcGfx.nW >> 1) - (item.m_rcGfx.nW >> 2), r.nTop - (item.m_rcGfx.nH >> 1),
                   item.m_Def.m_nGraphicSrc, item.m_Def.m_nGraphic, item.m_Def.m_nGraphicCol);
  }
  if (chara.m_nItemHintTimer >= kHintPeriod) chara.m_nItemHintTimer = 0;
}

}  // namespace

const std::array<CharaEffectHandler, kCharaEffectTypes> CharaEffectFunc = {
    PlainHandler,
    EffectBlitHandler<EffectBlit::QuadSplit, SHEET_FIRST>,
    EffectBlitHandler<EffectBlit::Split, SHEET_FIRST>,
    EffectBlitHandler<EffectBlit::Split, SHEET_FIRST>,
    WaveHandler<EffectBlit::Wave>,
    WaveHandler<EffectBlit::Wave>,
    BlinkHandler,
    EffectBlitHandler<EffectBlit::Rotate, SHEET_SECOND>,
    EffectBlitHandler<EffectBlit::Rotate, SHEET_SECOND>,
    EffectBlitHandler<EffectBlit::Flip, SHEET_CHOSEN>,
    EffectBlitHandler<EffectBlit::Circle, SHEET_FIRST>,
    StretchHandler,
    EffectBlitHandler<EffectBlit::Lens, SHEET_FIRST>,
    EffectBlitHandler<EffectBlit::Tint, SHEET_SECOND>,
    HalfBlinkHandler,
    EffectBlitHandler<EffectBlit::Mosaic, SHEET_SECOND>,
    EffectBlitHandler<EffectBlit::Blur, SHEET_SECOND>,
};

int GetCharaCellBase(const cChara& chara, SPRITESOURCE& source) {
  const cCharaDef& def = chara.m_Def;
  int base = def.m_nGraphicCol;
  if (Database && !Database->AnimeSet.empty()) {
    const cDbAnimeSet& set = Database->AnimeSet.VecAt(def.m_nAnimeSet);
    if (def.m_nFlying != 0) base += set.m_nPatternOffset3;
    if (def.m_bBlockChara) base += set.m_nPatternOffset2;
    if (def.m_nInvincible != 0) base += set.m_nPatternOffset1;
  }
  source.bColor = 0;
  const bool flash = def.m_nInvincible != 0 && bDirect3D && CurrentSystemData().m_nCompat[kColourFlashCompat] &&
                     def.m_nInvincibleTint != 0;
  if (flash && CurrentPlayScene && Scene().Hooks().FlashColor(def.m_nInvincibleTint, source.dwColor, source.nColorOp))
    source.bColor = 1;
  return base;
}

void DrawCharaBody(cChara& chara, DDSURFACEDATA* target, int noAdvance) {
  const int pattern = UpdateFlowAnimes(chara, noAdvance);
  if (chara.m_Def.m_bTransparent) {
    RunCharaEffectOnly(chara, noAdvance);
    return;
  }
  chara.UpdateScreenRect();
  PinScreenRect(chara);
  SPRITESOURCE source;
  CharaSpriteSource(chara, pattern, source);
  RunCharaEffect(chara, target, &source, noAdvance, 1);
  if (chara.m_Def.m_bMark == 1) DrawMark(chara, chara.m_Def.m_nGiant, chara.m_Def.m_nMark, target);
}

void RunCharaEffectOnly(cChara& chara, int noAdvance) { RunCharaEffect(chara, nullptr, nullptr, noAdvance, 0); }

int DrawVanishingChara(cChara& chara, DDSURFACEDATA* target, int noAdvance, int frameRate) {
  SPRITESOURCE source;
  CharaSpriteSource(chara, 0, source);
  if (chara.m_CharaEffect.nIndex != 0) {
    const int ended = RunCharaEffect(chara, target, &source, noAdvance, 1);
    return chara.IsPlayer() ? 0 : ended;
  }
  if (!chara.IsPlayer()) return 1;
  if (noAdvance) return 0;
  return ++chara.m_nDeathWait > frameRate ? 1 : 0;
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
    const int change = DoubleToInt(gauge.dChange);
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

int DrawChara(cNpc& chara, DDSURFACEDATA* target, int frozen, DDSURFACEDATA* gaugeSheet) {
  if (chara.m_bDying) {
    chara.UpdateScreenRect();
    return DrawVanishingChara(chara, target, frozen, 0);
  }
  if (chara.m_bOnScreen) {
    chara.UpdateScreenRect();
    if (chara.m_Def.m_bTransparent) {
      UpdateFlowAnimes(chara, 0);
      RunCharaEffectOnly(chara, 0);
    } else {
      DrawCharaBody(chara, target, frozen);
    }
    DrawGauges(chara, target, chara.m_HpGauge, 0, gaugeSheet);
    DrawGauges(chara, target, chara.m_SpGauge, 1, gaugeSheet);
    DrawItemHint(chara, target);
  } else if (chara.m_bAwake) {
    chara.UpdateScreenRect();
    UpdateFlowAnimes(chara, 0);
    RunCharaEffectOnly(chara, 0);
  }
  return 0;
}

void DrawHeroBoxes(cPlayer& hero, DDSURFACEDATA* target, int frozen) {
  DrawCharaBody(hero, target, frozen);
  const bool steady = nBpp == 8 && Scene().m_Rules.bPaletteAnimation;
  for (BoxPart& part : hero.m_vBoxParts) {
    if (part.nMode != 1 && part.nMode != 2) continue;
    const BoxI box = hero.PartBox(part.nKind);
    part.nX = hero.m_rcScreen.nLeft + hero.m_rcGfx.nX + box.nX;
    part.nY = hero.m_rcScreen.nTop + hero.m_rcGfx.nY + box.nY;
    const int colour = steady ? part.nColour : part.nColour + (part.nBlink >> 3);
    if (part.nMode == 1)
      DDFillRect(target, part.nX, part.nY, part.nW, part.nH, static_cast<DWORD>(colour));
    else
      DDDrawFrame(target, part.nX, part.nY, part.nW, part.nH, 1, colour);
    part.nBlink = (part.nBlink + 1) % 32;
  }
}

void DrawItem(cItem& item, DDSURFACEDATA* target, int frozen) {
  const cItemDef& def = item.m_Def;
  if (def.m_bHidden) return;
  item.UpdateScreenRect();
  const int pattern = frozen ? item.m_Anime.GetAnimePattern() : item.m_Anime.UpdateAnime();
  SPRITESOURCE source;
  SetSpriteSource(source, SPRITEMODE_ITEM_FRAME, def.m_nGraphicSrc, item.m_nGraphic, def.m_nGraphicCol, &item, pattern);
  const int size = Multiplier(def.m_nSize);
  const RectI& r = item.m_rcScreen;
  const int w = item.m_rcGfx.nW, h = item.m_rcGfx.nH;
  if (IsStretched(source, size)) {
    const int n = source.nCellSize;
    DDBltStretch(target, r.nLeft, r.nTop, w, h, source.lpSurface, source.x, source.y, item.m_rcGfxBase.nW * n,
                 item.m_rcGfxBase.nH * n, 1);
  } else {
    DDBlt(target, r.nLeft, r.nTop, w, h, source.lpSurface, source.x, source.y, 1);
  }
  if (def.m_bMark == 1) DrawMark(item, def.m_nSize, def.m_nMark, target);
}
