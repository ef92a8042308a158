#include <array>
#include <string>

#include "Bitmaps.h"

namespace mkproject {

namespace {

void CentredText(cCanvas& c, int y, std::string_view text, int scale, std::uint8_t colour) {
  c.Text((c.Width() - cCanvas::TextWidth(text, scale)) / 2, y, text, scale, colour);
}

// A vertical blend through the colour cube's blues, in bands.
void Sky(cCanvas& c, int bands) {
  for (int band = 0; band < bands; ++band)
    c.Fill(0, band * c.Height() / bands, c.Width(), c.Height() / bands + 1,
           CubeColour(band * 2 / bands, 2 + band * 3 / bands, 5));
}

}  // namespace

cCanvas PaintWindow() {
  // The background every text window copies from its top-left corner.
  cCanvas c(640, 480, kDarkBlue);
  for (int y = 0; y < 480; y += 4) c.Fill(0, y, 640, 1, CubeColour(0, 0, 1));
  return c;
}

cCanvas PaintStatusWindow() {
  // The status bar: 640 x 20 from the top-left corner.
  cCanvas c(640, 32, kTransmit);
  c.Fill(0, 0, 640, 20, CubeColour(0, 0, 1));
  c.Outline(0, 0, 640, 20, kGrey);
  return c;
}

cCanvas PaintTitle() {
  cCanvas c(640, 480);
  Sky(c, 12);
  c.Fill(0, 400, 640, 80, CubeColour(1, 3, 0));
  for (int x = 0; x < 640; x += 32) c.Outline(x, 400, 32, 32, CubeColour(0, 2, 0));
  CentredText(c, 96, "ZANDREL", 12, kWhite);
  CentredText(c, 186, "SAMPLE PROJECT", 4, CubeColour(5, 5, 0));
  return c;
}

cCanvas PaintGameMode() {
  // The graphic title menu: one 32-pixel row a menu entry kind.
  static constexpr std::array<std::string_view, 7> kLabels = {"NEW GAME", "CONTINUE", "CHALLENGE", "FREE PLAY",
                                                              "RANKING",  "OPTIONS",  "EXIT"};
  cCanvas c(192, 32 * static_cast<int>(kLabels.size()));
  for (int row = 0; row < static_cast<int>(kLabels.size()); ++row) c.Text(8, row * 32 + 9, kLabels[row], 3, kWhite);
  return c;
}

cCanvas PaintAccessory() {
  cCanvas c(128, 192);
  // The menu cursor at (0, 0), the life icon at (48, 0), the small cursor and
  // its inactive twin at (64, 0) and (80, 0), the cleared mark at (96, 0).
  for (int i = 0; i < 8; ++i) c.Fill(2 + i, 2 + i, 1, 14 - 2 * i, kWhite);
  c.Disc(56, 8, 6, CubeColour(5, 1, 1));
  for (int i = 0; i < 6; ++i) {
    c.Fill(66 + i, 2 + i, 1, 12 - 2 * i, kWhite);
    c.Fill(82 + i, 2 + i, 1, 12 - 2 * i, kGrey);
  }
  c.Text(98, 9, "OK", 3, CubeColour(5, 5, 0));
  // The world map's walking figure: two frames a facing, down and up in the
  // row at y 64, right and left in the row at y 96.
  for (int frame = 0; frame < 8; ++frame) {
    const int x = frame % 4 * 32, y = 64 + frame / 4 * 32, step = frame % 2 * 4;
    c.Disc(x + 16, y + 10, 7, CubeColour(5, 4, 3));
    c.Fill(x + 10, y + 17, 12, 10, frame < 4 ? CubeColour(1, 1, 5) : CubeColour(5, 1, 1));
    c.Fill(x + 10 + step, y + 27, 4, 4, kBlack);
    c.Fill(x + 18 - step, y + 27, 4, 4, kBlack);
  }
  // Status icons at y 32 (score, stage score, HP, SP, lives), the extra-life
  // sign at (0, 48) and the ranking marker at (16, 48).
  for (int icon = 0; icon < 5; ++icon) c.NumberedCell(icon * 16, 32, 16, 16, icon, PickColour(icon), kBlack);
  c.Text(1, 53, "1UP", 1, CubeColour(5, 5, 0));
  c.Disc(24, 56, 6, CubeColour(5, 0, 0));
  // Gauge frames (50 x 16) at y 128 and their fills at y 144 (normal) and 160 (low).
  for (int gauge = 0; gauge < 2; ++gauge) {
    const int x = gauge * 64;
    c.Outline(x, 128, 50, 16, kWhite);
    c.Fill(x, 144, 50, 16, gauge == 0 ? CubeColour(0, 5, 0) : CubeColour(0, 2, 5));
    c.Fill(x, 160, 50, 16, CubeColour(5, 0, 0));
  }
  return c;
}

cCanvas PaintSymbols() {
  // The letters a to z stand for symbols in one row, at the 16-pixel pitch of the menu font.
  cCanvas c(26 * 32, 32);
  for (int letter = 0; letter < 26; ++letter) {
    c.Outline(letter * 16, 0, 16, 16, PickColour(letter));
    c.Text(letter * 16 + 6, 5, std::string(1, static_cast<char>('A' + letter)), 1, kWhite);
  }
  return c;
}

cCanvas PaintWords() {
  // Captions in 32-pixel rows: stage (y 0), replay (32), clear (64), game
  // over (96, 144 wide), time (128), then the digits 0 to 9 in 32 x 32 cells (160).
  static constexpr std::array<std::string_view, 5> kCaptions = {"STAGE", "REPLAY", "CLEAR!", "GAME OVER", "TIME"};
  cCanvas c(320, 192);
  for (int row = 0; row < static_cast<int>(kCaptions.size()); ++row) c.Text(4, row * 32 + 9, kCaptions[row], 3, kWhite);
  for (int digit = 0; digit < 10; ++digit) c.Text(digit * 32 + 7, 164, std::to_string(digit), 6, CubeColour(5, 5, 1));
  return c;
}

cCanvas PaintWorldMapChips() {
  // Chip n at column n mod 5, row n / 5. The map's chips 0..4 are impassable
  // (water and forest), 5..9 passable (grass and path).
  cCanvas c(160, 64);
  for (int chip = 0; chip < 10; ++chip) {
    const int x = chip % 5 * 32, y = chip / 5 * 32;
    const bool odd = chip % 2 != 0;
    const std::uint8_t ground = chip < 5 ? (odd ? CubeColour(0, 2, 0) : CubeColour(0, 1, 4))
                                         : (odd ? CubeColour(4, 3, 1) : CubeColour(1, 4, 1));
    c.Fill(x, y, 32, 32, ground);
    c.Outline(x, y, 32, 32, CubeColour(0, 0, 0));
  }
  return c;
}

cCanvas PaintWorldEvents() {
  // One row per world icon: column 0 not cleared, column 1 cleared.
  cCanvas c(64, 128);
  for (int row = 0; row < 4; ++row)
    for (int cleared = 0; cleared < 2; ++cleared) {
      c.Disc(cleared * 32 + 16, row * 32 + 16, 12, cleared ? CubeColour(5, 5, 0) : PickColour(row));
      c.Text(cleared * 32 + 12, row * 32 + 11, std::to_string(row + 1), 2, kBlack);
    }
  return c;
}

cCanvas PaintWorldBack() {
  cCanvas c(640, 480);
  Sky(c, 8);
  return c;
}

cCanvas PaintBackground(int layer) {
  // A tile of sky with hills, a different tint for every layer.
  cCanvas c(320, 240);
  Sky(c, 6);
  const std::uint8_t hill = CubeColour(layer % 3, 3 + layer % 2, layer / 3 % 2);
  for (int x = 0; x < 320; ++x) {
    const int top = 160 + ((x * (layer + 1)) % 80 < 40 ? (x * (layer + 1)) % 40 : 40 - (x * (layer + 1)) % 40);
    c.Fill(x, top, 1, 240 - top, hill);
  }
  return c;
}

cCanvas PaintPicture() {
  cCanvas c(160, 96, kDarkBlue);
  c.Outline(0, 0, 160, 96, kWhite);
  CentredText(c, 40, "PICTURE", 3, kWhite);
  return c;
}

}  // namespace mkproject
