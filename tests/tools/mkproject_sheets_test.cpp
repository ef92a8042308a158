// The sample's sheets show what the player reads from them: the words and
// digits are read back from the pixels against the 3 x 5 dot shapes of the
// sample's lettering, at the places the player takes each region from.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>

#include "mkproject_support.h"
#include "platform/HostPath.h"
#include "platform/display/Bitmap.h"

using namespace mkprojecttest;
using platform::display::Bitmap;

namespace {

// The shapes of the characters the tests read, a row of dots a string.
const std::map<char, std::array<const char*, 5>> kShapes = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"###", "..#", "###", "#..", "###"}}, {'3', {"###", "..#", "###", "..#", "###"}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}}, {'5', {"###", "#..", "###", "..#", "###"}},
    {'6', {"###", "#..", "###", "#.#", "###"}}, {'7', {"###", "..#", "..#", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}}, {'9', {"###", "#.#", "###", "..#", "###"}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}}, {'E', {"###", "#..", "##.", "#..", "###"}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}}, {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'P', {"##.", "#.#", "##.", "#..", "#.."}}, {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}}, {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}},
};

Bitmap LoadSheet(const std::string& name) {
  auto bitmap = platform::display::LoadBitmapFile(platform::FromHostPath(SampleProject() / "bmp" / name).value());
  EXPECT_TRUE(bitmap.has_value()) << name;
  return bitmap ? *bitmap : Bitmap{};
}

// The transmit colour: the palette bitmap's top-left pixel.
std::uint32_t KeyColour() { return LoadSheet("plt/Palette.bmp").Colour(0, 0); }

struct Region {
  int x, y, w, h;
};

// The text drawn in a region: the ink's height gives the dot size, each glyph
// takes four dots of width; a glyph of no known shape reads '?'.
std::string ReadText(const Bitmap& sheet, Region r, std::uint32_t key) {
  int left = r.x + r.w, right = -1, top = r.y + r.h, bottom = -1;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x)
      if (sheet.Colour(x, y) != key) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  if (right < 0) return "";
  const int dot = (bottom - top + 1) / 5;
  std::string text;
  for (int glyphX = left; glyphX <= right; glyphX += 4 * dot) {
    std::array<std::string, 5> rows;
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < 3; ++col)
        rows[row] += sheet.Colour(glyphX + col * dot + dot / 2, top + row * dot + dot / 2) != key ? '#' : '.';
    char read = '?';
    for (const auto& [c, shape] : kShapes)
      if (std::equal(rows.begin(), rows.end(), shape.begin())) read = c;
    text += read;
  }
  return text;
}

// The word sheet's stage caption is followed by the stage number in digits
// from (0, 128); the time left is drawn in digits from (0, 160); the replay
// caption is the 128 x 32 region at (0, 32).
TEST(MkProjectSheets, WordSheetHoldsTheCaptionDigitsAndTheTimeDigitsWhereThePlayerReadsThem) {
  const Bitmap word = LoadSheet("Word.bmp");
  const std::uint32_t key = KeyColour();
  ASSERT_GE(word.width, 320);
  ASSERT_GE(word.height, 192);
  EXPECT_EQ(ReadText(word, {0, 0, 128, 32}, key), "STAGE");
  EXPECT_EQ(ReadText(word, {0, 32, 128, 32}, key), "REPLAY");
  for (int digit = 0; digit < 10; ++digit) {
    SCOPED_TRACE(digit);
    EXPECT_EQ(ReadText(word, {digit * 32, 128, 32, 32}, key), std::to_string(digit));
    EXPECT_EQ(ReadText(word, {digit * 32, 160, 32, 32}, key), std::to_string(digit));
  }
}

// Title item kind 4 opens the replay dialog; its row of the graphic menu is
// the 32-pixel row at y 128.
TEST(MkProjectSheets, TitleMenuLabelsItemFourAsTheReplay) {
  const Bitmap menu = LoadSheet("GameMode.bmp");
  EXPECT_EQ(ReadText(menu, {0, 4 * 32, menu.width, 32}, KeyColour()), "REPLAY");
}

// Whether the 32 x 32 cells at a and b hold the same pixels, b read mirrored left to right when asked.
bool SameCell(const Bitmap& sheet, std::array<int, 2> a, std::array<int, 2> b, bool mirrored) {
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (sheet.Colour(a[0] + x, a[1] + y) != sheet.Colour(b[0] + (mirrored ? 31 - x : x), b[1] + y)) return false;
  return true;
}

// The world map's figure: two 32 x 32 frames a facing, down at (0, 64), up at
// (64, 64), left at (64, 96), right at (0, 96), the second frame 32 further right.
TEST(MkProjectSheets, WalkingFigureShowsFourDifferentFacingsLeftMirroringRight) {
  const Bitmap sheet = LoadSheet("Accessory.bmp");
  enum { kDown, kUp, kLeft, kRight };
  auto cell = [](int facing, int frame) {
    static constexpr std::array<std::array<int, 2>, 4> kOrigin = {{{0, 64}, {64, 64}, {64, 96}, {0, 96}}};
    return std::array<int, 2>{kOrigin[facing][0] + frame * 32, kOrigin[facing][1]};
  };
  for (int frame = 0; frame < 2; ++frame) {
    SCOPED_TRACE(frame);
    for (int a = 0; a < 4; ++a)
      for (int b = a + 1; b < 4; ++b)
        EXPECT_FALSE(SameCell(sheet, cell(a, frame), cell(b, frame), false)) << "facings " << a << " and " << b;
    EXPECT_TRUE(SameCell(sheet, cell(kLeft, frame), cell(kRight, frame), true));
  }
  // Each facing walks: its two frames differ.
  for (int facing = kDown; facing <= kRight; ++facing)
    EXPECT_FALSE(SameCell(sheet, cell(facing, 0), cell(facing, 1), false)) << "facing " << facing;
}

}  // namespace
