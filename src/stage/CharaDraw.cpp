#include "stage/CharaDraw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

// Copies the cell to (x, y) of a work surface at the graphic size, without
// the colour key: stretched from the chosen sheet, else from the second-mode
// sheet.
void BltSpriteToWork(DDSURFACEDATA* work, const cChara& chara, const SPRITESOURCE& source, int x = 0, int y = 0) {
  const int w = chara.m_rcGfx.nW, h = chara.m_rcGfx.nH;
  WithColourPair(source.bColor != 0, source, [&] {
    if (IsStretched(source, Multiplier(chara.m_Def.m_nGiant))) {
      const int n = source.nCellSize;
      DDBltStretch(work, x, y, w, h, source.lpSurface, source.x, source.y, n * chara.m_rcGfxBase.nW,
                   n * chara.m_rcGfxBase.nH, 0);
    } else {
      DDBlt(work, x, y, w, h, source.lpCandidate[1], source.x, source.y, 0);
    }
  });
}

// Copies the cell unscaled from the first-mode sheet with the colour pair to
// (0, 0) of a work surface.
void BltSpriteColored(DDSURFACEDATA* work, const cChara& chara, const SPRITESOURCE& source) {
  WithColourPair(true, source, [&] {
    DDBlt(work, 0, 0, chara.m_rcGfx.nW, chara.m_rcGfx.nH, source.lpCandidate[0], source.x, source.y, 0);
  });
}

// Where a handler reads the sprite: the sheet of the given candidate at the
// cell, or a work copy (already coloured); sizes taken from a stretched copy
// scale by the multiplier.
struct SpriteView {
  DDSURFACEDATA* lpSurface = nullptr;
  int x = 0, y = 0;
  bool bColor = false;
  int nScale = 1;
};

// The sheet an unstretched sprite is read from: the first-mode or the
// second-mode sheet of the facing, or the sheet the display mode chose.
enum SheetCandidate : int { SHEET_FIRST = 0, SHEET_SECOND = 1, SHEET_CHOSEN = 2 };

// How a handler's effect may read an unstretched sprite: straight from the
// sheet, from a work copy when the drawing layer cannot read sheets, or from
// a coloured work copy when the colour pair is on.
enum class SheetAccess { Direct, WhenSupported, ColouredCopy };

bool EffectsReadSheets() {
  if (lpDTCon) return lpDTCon->bEffectFromSheet != 0;
  return lpDDCon && lpDDCon->bEffectFromSheet != 0;
}

SpriteView ViewSprite(const cChara& chara, const SPRITESOURCE& source, SheetCandidate sheet,
                      SheetAccess access = SheetAccess::Direct) {
  const int multiplier = Multiplier(chara.m_Def.m_nGiant);
  const bool stretched = IsStretched(source, multiplier);
  DDSURFACEDATA* work = WorkSurface(0);
  if (!stretched && access == SheetAccess::ColouredCopy && source.bColor) {
    BltSpriteColored(work, chara, source);
    return {work, 0, 0, false, 1};
  }
  if (!stretched && (access != SheetAccess::WhenSupported || EffectsReadSheets()))
    return {sheet == SHEET_CHOSEN ? source.lpSurface : source.lpCandidate[sheet], source.x, source.y,
            source.bColor != 0, 1};
  BltSpriteToWork(work, chara, source);
  return {work, 0, 0, false, stretched ? multiplier : 1};
}

// The body's place on the screen.
struct Body {
  int x, y, w, h;
  int CentreX() const { return x + (w >> 1); }
  int CentreY() const { return y + (h >> 1); }
};
Body BodyOf(const cChara& chara) {
  return {chara.m_rcScreen.nLeft, chara.m_rcScreen.nTop, chara.m_rcGfx.nW, chara.m_rcGfx.nH};
}

double EffectValue(const cChara& chara) { return chara.m_CharaEffect.Values.dCurrent; }
// Further parameter k of the running record (3: the fourth, 4: the fifth).
int EffectParam(const cChara& chara, int k) {
  const cDbEffectEntry* entry = chara.m_CharaEffect.lpEntry;
  return entry ? entry->m_nParam[k] : 0;
}
int Scaled(double value, int scale) { return DoubleToInt(value * scale); }

// Draws with `blit` (view, body) from the view of the sprite, with the
// sprite's colour pair set around it when the view reads the sheet.
template <typename Blit>
void DrawFromView(const cChara& chara, const SPRITESOURCE& source, SheetCandidate sheet, SheetAccess access,
                  Blit blit) {
  const SpriteView view = ViewSprite(chara, source, sheet, access);
  if (!view.lpSurface) return;
  const Body body = BodyOf(chara);
  WithColourPair(view.bColor, source, [&] { blit(view, body); });
}

void DrawPlain(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source, SheetCandidate sheet) {
  DrawFromView(chara, source, sheet, SheetAccess::Direct, [&](const SpriteView& v, const Body& b) {
    DDBlt(target, b.x, b.y, b.w, b.h, v.lpSurface, v.x, v.y, 1);
  });
}

// ---- The effect of each type, drawn at the body with the colour key ----

void DrawQuarters(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  DrawFromView(chara, source, SHEET_FIRST, SheetAccess::Direct, [&](const SpriteView& v, const Body& b) {
    DDDrawQuadSplit(target, b.x, b.y, b.w, b.h, v.lpSurface, v.x, v.y, Scaled(EffectValue(chara), v.nScale), 1);
  });
}

// Strips of the graphic's height over the split count, one more on a
// remainder; a count of 0 or less gives no strips (a plain copy).
template <int vertical>
void DrawSplit(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  const int count = EffectParam(chara, 3);
  const int h = chara.m_rcGfx.nH;
  const int strip = count > 0 ? h / count + (h % count ? 1 : 0) : 0;
  DrawFromView(chara, source, SHEET_FIRST, SheetAccess::Direct, [&](const SpriteView& v, const Body& b) {
    DDDrawSplit(target, b.x, b.y, b.w, b.h, strip, Scaled(EffectValue(chara), v.nScale), v.lpSurface, v.x, v.y, 1,
                vertical);
  });
}

template <int vertical>
void DrawWave(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  DrawFromView(chara, source, SHEET_FIRST, SheetAccess::Direct, [&](const SpriteView& v, const Body& b) {
    DDDrawWave(target, b.x, b.y, b.w, b.h, EffectParam(chara, 3), EffectValue(chara) * v.nScale,
               chara.m_CharaEffect.Values.nSlot[0], EffectParam(chara, 4) * v.nScale, v.lpSurface, v.x, v.y, 1,
               vertical);
  });
}

// Turned about the body's centre, which the pivot (the centre of the
// graphic) lands on.
void DrawTurned(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  DrawFromView(chara, source, SHEET_SECOND, SheetAccess::Direct, [&](const SpriteView& v, const Body& b) {
    DDBltRotate(target, b.CentreX(), b.CentreY(), b.w, b.h, b.w >> 1, b.h >> 1, DoubleToInt(EffectValue(chara)),
                v.lpSurface, v.x, v.y, 1);
  });
}

// DirectDraw turns a stretched sprite's cell unscaled inside a square large
// enough for its corners, then stretches that square over the body.
void DrawTurnedInSquare(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  if (lpDTCon || !IsStretched(source, Multiplier(chara.m_Def.m_nGiant))) {
    DrawTurned(chara, target, source);
    return;
  }
  DDSURFACEDATA* work = WorkSurface(0);
  const int cw = source.nCellSize * chara.m_rcGfxBase.nW, ch = source.nCellSize * chara.m_rcGfxBase.nH;
  const int side = DoubleToInt(std::sqrt(2.0) * cw), shown = DoubleToInt(std::sqrt(2.0) * chara.m_rcGfx.nW);
  DDFillRect(work, 0, 0, side, side, 0);
  DDBltRotate(work, side >> 1, side >> 1, cw, ch, cw >> 1, ch >> 1, DoubleToInt(EffectValue(chara)), source.lpSurface,
              source.x, source.y, 1);
  const Body b = BodyOf(chara);
  DDBltStretch(target, b.CentreX() - (shown >> 1), b.CentreY() - (shown >> 1), shown, shown, work, 0, 0, side, side, 1);
}

// The card flip between the sprite and its other-facing image, read from
// the chosen sheets at the cell's full size and drawn at the graphic size.
void DrawFlipped(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  if (!source.lpSurface || !source.lpOtherSurface) return;
  const Body b = BodyOf(chara);
  const int n = source.nCellSize;
  const int step = Scaled(EffectValue(chara), Multiplier(chara.m_Def.m_nGiant));
  WithColourPair(source.bColor != 0, source, [&] {
    DDDrawFlip(target, b.x, b.y, b.w, b.h, source.lpSurface, source.x, source.y, source.lpOtherSurface, source.x,
               source.y, n * chara.m_rcGfxBase.nW, n * chara.m_rcGfxBase.nH, 1, step, 0);
  });
}

void DrawCircle(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  DrawFromView(chara, source, SHEET_FIRST, SheetAccess::WhenSupported, [&](const SpriteView& v, const Body& b) {
    DDBltCircle(target, b.CentreX(), b.CentreY(), b.w >> 1, b.h >> 1, Scaled(EffectValue(chara), v.nScale),
                EffectParam(chara, 3) * v.nScale, v.lpSurface, v.x + (b.w >> 1), v.y + (b.h >> 1), 1);
  });
}

// The lens, centred on the body's centre moved by the offsets, reads a work
// copy in which the sprite lies inside a cleared square of twice its radius.
void DrawLens(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  // Offsets from hostile data are held to a radius the work surface arithmetic can take.
  constexpr long long kMaxLensRadius = 1 << 20;
  const int multiplier = Multiplier(chara.m_Def.m_nGiant);
  auto offset = [&](int k) {
    return std::clamp(static_cast<long long>(EffectParam(chara, k)) * multiplier, -kMaxLensRadius, kMaxLensRadius);
  };
  const long long dx = offset(3), dy = offset(4);
  const Body b = BodyOf(chara);
  const int r = static_cast<int>(std::min<long long>(
      static_cast<long long>(std::sqrt(2.0) * static_cast<double>(std::max(std::llabs(dx), std::llabs(dy)) + b.w / 2)),
      kMaxLensRadius));
  DDSURFACEDATA* work = WorkSurface(0);
  DDFillRect(work, 0, 0, 2 * r, 2 * r, 0);
  BltSpriteToWork(work, chara, source, static_cast<int>(r - (b.w >> 1) - dx), static_cast<int>(r - (b.h >> 1) - dy));
  DDBltLens(target, static_cast<int>(b.CentreX() + dx), static_cast<int>(b.CentreY() + dy), r,
            DoubleToInt(EffectValue(chara)), work, r, r, 1, 0);
}

void DrawTinted(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  DrawFromView(chara, source, SHEET_SECOND, SheetAccess::ColouredCopy, [&](const SpriteView& v, const Body& b) {
    DDBltTint(target, b.x, b.y, b.w, b.h, v.lpSurface, v.x, v.y, 1, ColorPalette, HbtTable,
              EffectParam(chara, 3) & 0xFF, DoubleToInt(EffectValue(chara)));
  });
}

void DrawHalf(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  DrawFromView(chara, source, SHEET_SECOND, SheetAccess::ColouredCopy, [&](const SpriteView& v, const Body& b) {
    DDBltHalf(target, b.x, b.y, b.w, b.h, v.lpSurface, v.x, v.y, 1, HbtTable);
  });
}

void DrawMosaic(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  const SheetAccess access = source.bColor ? SheetAccess::ColouredCopy : SheetAccess::WhenSupported;
  DrawFromView(chara, source, SHEET_SECOND, access, [&](const SpriteView& v, const Body& b) {
    DDMosaic(target, b.x, b.y, b.w, b.h, Scaled(EffectValue(chara), v.nScale), v.lpSurface, v.x, v.y, 1);
  });
}

// 8-bit displays cannot blur: they tint toward colour 31 instead.
void DrawBlurred(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source) {
  const SheetAccess access = source.bColor ? SheetAccess::ColouredCopy : SheetAccess::WhenSupported;
  DrawFromView(chara, source, SHEET_SECOND, access, [&](const SpriteView& v, const Body& b) {
    const int strength = Scaled(EffectValue(chara), v.nScale);
    if (nBpp == 8)
      DDBltTint(target, b.x, b.y, b.w, b.h, v.lpSurface, v.x, v.y, 1, ColorPalette, HbtTable, 31,
                DoubleToInt(EffectValue(chara)));
    else
      DDBlur(target, b.x, b.y, b.w, b.h, strength, strength, v.lpSurface, v.x, v.y, 1);
  });
}

using EffectDraw = void (*)(const cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE& source);

int AdvanceEffect(cChara& chara, int noAdvance) { return noAdvance ? 0 : StepEffectProgress(chara.m_CharaEffect); }

int PlainHandler(cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE* source, int noAdvance, int draw) {
  if (draw) DrawPlain(chara, target, *source, SHEET_FIRST);
  return AdvanceEffect(chara, noAdvance);
}

template <EffectDraw drawEffect>
int EffectBlitHandler(cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE* source, int noAdvance, int draw) {
  if (draw) drawEffect(chara, target, *source);
  return AdvanceEffect(chara, noAdvance);
}

// Waves keep their phase in the first slot, one degree per advance.
template <EffectDraw drawEffect>
int WaveHandler(cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE* source, int noAdvance, int draw) {
  if (draw) drawEffect(chara, target, *source);
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
  if (draw && !hidden) DrawHalf(chara, target, *source);
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
  DrawFromView(chara, source, SHEET_SECOND, SheetAccess::Direct, [&](const SpriteView& v, const Body& b) {
    DDBltStretch(target, b.x - (e >> 1), b.y - (e >> 1), w + e, h + e, v.lpSurface, v.x, v.y, w, h, 1);
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
    EffectBlitHandler<DrawQuarters>,
    EffectBlitHandler<DrawSplit<0>>,
    EffectBlitHandler<DrawSplit<1>>,
    WaveHandler<DrawWave<0>>,
    WaveHandler<DrawWave<1>>,
    BlinkHandler,
    EffectBlitHandler<DrawTurnedInSquare>,
    EffectBlitHandler<DrawTurned>,
    EffectBlitHandler<DrawFlipped>,
    EffectBlitHandler<DrawCircle>,
    StretchHandler,
    EffectBlitHandler<DrawLens>,
    EffectBlitHandler<DrawTinted>,
    HalfBlinkHandler,
    EffectBlitHandler<DrawMosaic>,
    EffectBlitHandler<DrawBlurred>,
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
