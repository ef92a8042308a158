#pragma once
// The painters of the project's bitmaps, one per sheet; the sizes and cell
// layouts are those the drawing code of the player reads from each sheet.
#include "Canvas.h"

namespace mkproject {

// Sheets of sprite cells.
cCanvas PaintPalette();
cCanvas PaintDebugFont();
cCanvas PaintBlocks();
cCanvas PaintCharacters(int sheet);
cCanvas PaintShots();
cCanvas PaintItems();
cCanvas PaintItemMinis();
cCanvas PaintMarks();

// Screens, windows and panels.
cCanvas PaintWindow();
cCanvas PaintStatusWindow();
cCanvas PaintTitle();
cCanvas PaintGameMode();
cCanvas PaintAccessory();
cCanvas PaintSymbols();
cCanvas PaintWords();
cCanvas PaintWorldMapChips();
cCanvas PaintWorldEvents();
cCanvas PaintWorldBack();
cCanvas PaintBackground(int layer);

// Graphics the databases name.
cCanvas PaintSword(int facing);
cCanvas PaintSpecial();
cCanvas PaintEffect();
cCanvas PaintPicture();

}  // namespace mkproject
