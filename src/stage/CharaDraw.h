#pragma once
// Drawing characters: the body from its sheet through the handler of its
// running chara effect, its mark, the HP and SP gauges with their change
// animation, the vanish of a defeated character, and items with their
// animation and mark.
#include <array>

#include "records/StageData.h"
#include "stage/SpriteSource.h"
#include "stage/StagePlayScene.h"

struct DDSURFACEDATA;

constexpr int kGaugeWidth = 50;
constexpr int kCharaEffectTypes = 17;

// One chara-effect handler: draws the body at its screen rectangle when
// `draw` is set (target and source are null otherwise), advances the run
// unless `noAdvance`, and returns 1 when the effect has ended.
using CharaEffectHandler = int (*)(cChara& chara, DDSURFACEDATA* target, const SPRITESOURCE* source, int noAdvance,
                                   int draw);
// Indexed by the chara-effect type 0..16.
extern const std::array<CharaEffectHandler, kCharaEffectTypes> CharaEffectFunc;

// The first cell of the character's current graphic state (the cell base
// plus the animation set's offsets while flying, as a block character and
// while invincible); sets the colour members of `source`.
int GetCharaCellBase(const cChara& chara, SPRITESOURCE& source);
void DrawCharaBody(cChara& chara, DDSURFACEDATA* target, int noAdvance);
// Advances the running chara effect without drawing.
void RunCharaEffectOnly(cChara& chara, int noAdvance);
// The vanish of a dying character, drawn and advanced: 1 once it has ended.
// A computer character ends with its effect (at once without one); the hero
// ends only without an effect, after `frameRate` frames of waiting.
int DrawVanishingChara(cChara& chara, DDSURFACEDATA* target, int noAdvance, int frameRate);
// Draws one gauge from `sheet` (the gauge images: column 0 HP, 64 SP) and
// advances its change animation; kind 0 HP, 1 SP.
void DrawGauges(cChara& chara, DDSURFACEDATA* target, GaugeAnime& gauge, int kind, DDSURFACEDATA* sheet);
// A computer character with its gauges and carried-item hint, or its vanish:
// 1 when the vanish has ended and it must leave the stage.
int DrawChara(cNpc& chara, DDSURFACEDATA* target, int frozen, DDSURFACEDATA* gaugeSheet);
// The hero's body, then its box overlay: each shown box filled or framed in its
// colour, blinking unless an 8-bit display animates the palette itself.
void DrawHeroBoxes(cPlayer& hero, DDSURFACEDATA* target, int frozen);
// An item of the stage with its animation (kept still while `frozen`) and mark.
void DrawItem(cItem& item, DDSURFACEDATA* target, int frozen);
