#include <string>

#include "Bitmaps.h"

namespace mkproject {

namespace {

// Block, character, item and mark sheets number their graphics down a column
// of 15 cells, then on to the next column.
constexpr int kCellsPerColumn = 15;
constexpr int kCell = 32;

// A small figure facing left (eye and nose on the left), so that a mirrored
// cell shows.
void Figure(cCanvas& c, int x, int y, int graphic, int cell) {
  const std::uint8_t body = PickColour(graphic);
  const int bob = cell % 2;
  c.Fill(x + 8, y + 6 + bob, 16, 20, body);
  c.Outline(x + 8, y + 6 + bob, 16, 20, kBlack);
  c.Fill(x + 11, y + 10 + bob, 3, 3, kWhite);
  c.Fill(x + 6, y + 14 + bob, 2, 2, kBlack);
  c.Fill(x + 10 + (cell % 4) * 2, y + 26, 4, 6, kBlack);
  c.Text(x + 14, y + 17 + bob, std::to_string(cell % 100), 1, kWhite);
}

}  // namespace

cCanvas PaintPalette() {
  // Rows 8..23 are the swatch the palette is read from: pixel (x, 8 + y) is
  // colour 16y + x. The rows above hold colour 0, so the top-left pixel names
  // the transmit colour.
  cCanvas c(16, 24, kTransmit);
  for (int i = 0; i < 256; ++i) c.Set(i % 16, 8 + i / 16, static_cast<std::uint8_t>(i));
  return c;
}

cCanvas PaintDebugFont() {
  // 16 columns of 8 x 16 cells addressed by character code.
  cCanvas c(128, 256);
  for (int code = 0x20; code < 0x7F; ++code)
    c.Text((code % 16) * 8 + 1, (code / 16) * 16 + 3, std::string(1, static_cast<char>(code)), 1, kWhite);
  return c;
}

cCanvas PaintBlocks() {
  cCanvas c(8 * kCell, kCellsPerColumn * kCell);
  for (int chip = 1; chip < 8 * kCellsPerColumn; ++chip)
    c.NumberedCell(chip / kCellsPerColumn * kCell, chip % kCellsPerColumn * kCell, kCell, kCell, chip, PickColour(chip),
                   kBlack);
  return c;
}

cCanvas PaintCharacters(int sheet) {
  // 15 graphics a sheet, one a row; 20 animation cells a row.
  cCanvas c(20 * kCell, kCellsPerColumn * kCell);
  for (int row = 0; row < kCellsPerColumn; ++row)
    for (int cell = 0; cell < 20; ++cell) Figure(c, cell * kCell, row * kCell, sheet * kCellsPerColumn + row, cell);
  return c;
}

cCanvas PaintShots() {
  // 30 rows of 16 x 16 cells; each shot graphic takes two cells side by side.
  cCanvas c(8 * 16, 30 * 16);
  for (int row = 0; row < 30; ++row)
    for (int cell = 0; cell < 8; ++cell)
      c.Disc(cell * 16 + 8, row * 16 + 8, 3 + cell % 2 * 2, PickColour(row + cell / 2));
  return c;
}

cCanvas PaintItems() {
  // Two 32-pixel frames a graphic, graphics down columns of 15.
  cCanvas c(8 * kCell, kCellsPerColumn * kCell);
  for (int item = 1; item < 4 * kCellsPerColumn; ++item)
    for (int frame = 0; frame < 2; ++frame) {
      const int x = item / kCellsPerColumn * 2 * kCell + frame * kCell, y = item % kCellsPerColumn * kCell;
      c.Disc(x + 16, y + 16, 10 - frame * 2, PickColour(item));
      c.Text(x + 13, y + 14, std::to_string(item % 10), 1, kBlack);
    }
  return c;
}

cCanvas PaintItemMinis() {
  cCanvas c(4 * kCell, kCellsPerColumn * 16);
  for (int item = 1; item < 4 * kCellsPerColumn; ++item)
    c.Disc(item / kCellsPerColumn * kCell + 8, item % kCellsPerColumn * 16 + 8, 6, PickColour(item));
  return c;
}

cCanvas PaintMarks() {
  // Marks are drawn over blocks and characters: a corner badge, the rest clear.
  cCanvas c(4 * kCell, kCellsPerColumn * kCell);
  for (int mark = 1; mark < 4 * kCellsPerColumn; ++mark) {
    const int x = mark / kCellsPerColumn * kCell, y = mark % kCellsPerColumn * kCell;
    c.Outline(x, y, kCell, kCell, PickColour(mark));
    c.Fill(x + 20, y + 2, 10, 9, kWhite);
    c.Text(x + 22, y + 4, std::to_string(mark % 10), 1, kBlack);
  }
  return c;
}

cCanvas PaintSword(int facing) {
  // One 32 x 32 blade, pointing to the side the character faces.
  cCanvas c(32, 32);
  c.Fill(facing == 0 ? 2 : 10, 14, 20, 4, kGrey);
  c.Fill(facing == 0 ? 22 : 6, 11, 4, 10, CubeColour(3, 2, 0));
  return c;
}

cCanvas PaintSpecial() {
  // A special character bitmap of big cells: 2 x 32 = 64 pixels, 8 a row.
  cCanvas c(512, 128);
  for (int cell = 0; cell < 16; ++cell)
    c.NumberedCell(cell % 8 * 64, cell / 8 * 64, 64, 64, cell, PickColour(cell), kBlack);
  return c;
}

cCanvas PaintEffect() {
  // Four 32 x 32 frames in a row: a growing spark.
  cCanvas c(128, 32);
  for (int frame = 0; frame < 4; ++frame) c.Disc(frame * 32 + 16, 16, 4 + frame * 3, CubeColour(5, 5 - frame, 1));
  return c;
}

}  // namespace mkproject
