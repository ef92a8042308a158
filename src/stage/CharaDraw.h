#pragma once
// Drawing characters: the body from its sheet with its mark, the HP and SP
// gauges with their change animation, and the end of a defeated character's
// vanish. Chara effects other than none are drawn plainly until their blits
// land.
#include "records/StageData.h"
#include "stage/StagePlayScene.h"

struct DDSURFACEDATA;

constexpr int kGaugeWidth = 50;

// The first cell of the character's current graphic.
int GetCharaCellBase(const cChara& chara);
// The sheet surface and the cell's top-left pixel of a character drawn for
// itself (its facing picks the mirrored sheet); false without a sheet.
bool CharaSheetCell(const cChara& chara, int pattern, DDSURFACEDATA*& sheet, int& sx, int& sy);
void DrawCharaBody(cChara& chara, DDSURFACEDATA* target, int noAdvance);
// Draws one gauge from `sheet` (the gauge images: column 0 HP, 64 SP) and
// advances its change animation; kind 0 HP, 1 SP.
void DrawGauges(cChara& chara, DDSURFACEDATA* target, GaugeAnime& gauge, int kind, DDSURFACEDATA* sheet);
// 1 when the vanish of a dying computer character has ended.
int DrawVanishingChara(cNpc& chara);
// 1 when the character's vanish has ended and it must leave the stage.
int DrawChara(cNpc& chara, DDSURFACEDATA* target, int frozen, DDSURFACEDATA* gaugeSheet);
// An item of the stage from its sheet, with its animation.
void DrawItem(cItem& item, DDSURFACEDATA* target);
