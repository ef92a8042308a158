#include <array>
#include <string>

#include "Bitmaps.h"

namespace mkproject {

namespace {

constexpr std::uint8_t kSkin = CubeColour(5, 4, 3);
constexpr std::uint8_t kHair = CubeColour(2, 1, 0);
constexpr std::uint8_t kTunic = CubeColour(1, 1, 5);

void CentredText(cCanvas& c, int y, std::string_view text, int scale, std::uint8_t colour) {
  c.Text((c.Width() - cCanvas::TextWidth(text, scale)) / 2, y, text, scale, colour);
}

// A vertical blend through the colour cube's blues, in bands.
void Sky(cCanvas& c, int bands) {
  for (int band = 0; band < bands; ++band)
    c.Fill(0, band * c.Height() / bands, c.Width(), c.Height() / bands + 1,
           CubeColour(band * 2 / bands, 2 + band * 3 / bands, 5));
}

// The world map's walking figure seen from the front: blue tunic, eyes
// looking out; frame 1 puts the other foot forward.
void FrontFigure(cCanvas& c, int x, int y, int frame) {
  c.Disc(x + 16, y + 10, 7, kSkin);
  c.Fill(x + 10, y + 3, 13, 3, kHair);
  c.Fill(x + 12, y + 9, 2, 2, kBlack);
  c.Fill(x + 19, y + 9, 2, 2, kBlack);
  c.Fill(x + 10, y + 17, 13, 10, kTunic);
  const int step = frame * 4;
  c.Fill(x + 11 + step, y + 27, 4, 4, kBlack);
  c.Fill(x + 18 - step, y + 27, 4, 4, kBlack);
}

// From behind: the back of the head all hair, and a belt across the tunic.
void BackFigure(cCanvas& c, int x, int y, int frame) {
  FrontFigure(c, x, y, frame);
  c.Disc(x + 16, y + 10, 7, kHair);
  c.Fill(x + 10, y + 23, 13, 2, kBlack);
}

// Seen from its left, walking right: hair at the back of the head, one eye,
// an arm swinging and the feet apart (frame 0) or together (frame 1).
void SideFigure(cCanvas& c, int x, int y, int frame) {
  c.Disc(x + 16, y + 10, 7, kHair);
  c.Disc(x + 18, y + 11, 5, kSkin);
  c.Fill(x + 20, y + 9, 2, 2, kBlack);
  c.Fill(x + 11, y + 17, 11, 10, kTunic);
  c.Fill(x + 15 + (frame == 0 ? 3 : 0), y + 19, 3, 6, kSkin);
  if (frame == 0) {
    c.Fill(x + 9, y + 27, 5, 4, kBlack);
    c.Fill(x + 19, y + 27, 5, 4, kBlack);
  } else {
    c.Fill(x + 14, y + 27, 5, 4, kBlack);
  }
}

// Two frames a facing at the places the world map reads them: down (0, 64),
// up (64, 64), right (0, 96), left (64, 96), each frame's second 32 pixels to
// the right. Left is right seen in a mirror.
void PaintWalkingFigure(cCanvas& c) {
  for (int frame = 0; frame < 2; ++frame) {
    FrontFigure(c, frame * 32, 64, frame);
    BackFigure(c, 64 + frame * 32, 64, frame);
    SideFigure(c, frame * 32, 96, frame);
    c.CopyMirrored(frame * 32, 96, 32, 32, 64 + frame * 32, 96);
  }
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
                                                              "REPLAY",   "OPTIONS",  "EXIT"};
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
  PaintWalkingFigure(c);
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
  // over (96, 144 wide); then two rows of the digits 0 to 9 in 32 x 32
  // cells: the stage number that follows the stage caption (128) and the
  // time left (160).
  static constexpr std::array<std::string_view, 3> kCaptions = {"REPLAY", "CLEAR!", "GAME OVER"};
  constexpr int kCaptionScale = 3, kCaptionY = 9, kDigitRow = 128, kTimeRow = 160;
  cCanvas c(320, 192);
  // "STAGE" ends at the right of its 128-pixel caption so that the number drawn next to it reads on.
  c.Text(128 - cCanvas::TextWidth("STAGE", kCaptionScale) - 6, kCaptionY, "STAGE", kCaptionScale, kWhite);
  for (int row = 0; row < static_cast<int>(kCaptions.size()); ++row)
    c.Text(4, (row + 1) * 32 + kCaptionY, kCaptions[row], kCaptionScale, kWhite);
  for (int digit = 0; digit < 10; ++digit) {
    c.Text(digit * 32 + 4, kDigitRow + kCaptionY, std::to_string(digit), kCaptionScale, kWhite);
    // 18 x 30 pixels, centred in the cell.
    c.Text(digit * 32 + 7, kTimeRow + 1, std::to_string(digit), 6, CubeColour(5, 5, 1));
  }
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
