#pragma once
// Where the stage's graphics come from: the sheets and the cell of a graphic
// of any kind, the 16 x 16 icons of graphics, and the sheets the display mode
// picks for marks and for the work copies of stretched or distorted sprites.
#include "records/RecordHooks.h"
#include "records/SpriteKind.h"

class cGameObject;

// Modes of SetSpriteSource: an object drawn for itself (its facing and its
// animation pattern), an item with its animation frame, anything else is an
// icon or a block.
constexpr int SPRITEMODE_ICON = 0;
constexpr int SPRITEMODE_OBJECT = 1;
constexpr int SPRITEMODE_ITEM_FRAME = 2;

constexpr int kCharaSheetCount = 8;
constexpr int kSpriteCell = 32;

// The surface of the user table at a slot; null before the stage surfaces exist.
DDSURFACEDATA* UserSurface(int slot);

// Fills the surfaces, the cell size and the source position of graphic a,
// cell b (plus c where the mode adds the object's pattern or frame) of a
// sprite kind. The colour members are left as they are (GetCharaCellBase
// sets them). A character cell outside its sheets falls back to sheet 0 at
// (0, 0); a missing surface leaves the chosen surface null.
void SetSpriteSource(SPRITESOURCE& source, int mode, int kind, int a, int b, const cGameObject* object, int c);

// A 16 x 16 icon of graphic a, cell b, facing 0, from the second-mode sheets.
void DrawSpriteIcon(DDSURFACEDATA* target, int x, int y, int kind, int a, int b);

// Chooses the mark sheet, the two work surfaces and which sheets sprites are
// read from for this display (DirectDraw with video stretching reads the
// first-mode sheets); run at each entry of the stage scene.
void SelectWorkSurfaces(int videoStretch);
DDSURFACEDATA* MarkSheetSurface();
// DirectDraw with video stretching: sheets are read (and stretched) as loaded.
bool FirstModeSheets();

// The slot of a shot or sword sheet's second copy: the sheet's slot + 18.
constexpr int kSheetCopyOffset = 18;
// The slot to draw a sheet from: with DirectDraw, a mirrored (stretched) draw
// takes the second copy where it exists and a plain draw the sheet itself
// where it exists, each falling back on the other; with Direct3D, the sheet.
int SelectSheetVariant(int index, int mirrored);
// Work surface 0 or 1.
DDSURFACEDATA* WorkSurface(int index);
