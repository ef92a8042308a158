// The screen-colour command's record: laying a colour, taking it back, a
// take-back with nothing laid, and the 8-bit palette a flash tints.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "library/draw/Draw.h"
#include "platform/display/DirectDraw.h"
#include "stage/ScreenColor.h"

TEST(ScreenColorTest, LaidColoursAreTakenBackToWhatWasBefore) {
  SCREENCOLOR record;
  SetScreenColor(record, {10, 20, 30, 40, 1, 5, 0, 0});  // a take-back with nothing laid
  EXPECT_EQ(record.bActive, 0);
  EXPECT_EQ(record.nMode, 0);

  SetScreenColor(record, {200, 100, 50, 75, 0, 3, 1, 4});
  EXPECT_EQ(record.byRed, 200);
  EXPECT_EQ(record.byGreen, 100);
  EXPECT_EQ(record.byBlue, 50);
  EXPECT_EQ(record.nStrength, 75);
  EXPECT_EQ(record.nDuration, 18);  // tenths of a second in frames
  EXPECT_EQ(record.bFlash, 1);
  EXPECT_EQ(record.nFlashCount, 4);
  EXPECT_EQ(record.bActive, 1);
  EXPECT_EQ(record.bPending, 1);
  EXPECT_EQ(record.nAlpha, 0);
  EXPECT_EQ(record.nPrevAlpha, 0);  // the fresh record's alpha

  record.nAlpha = 120;  // as the drawing would have brought it up
  record.nFrame = 9;
  SetScreenColor(record, {1, 2, 3, 4, 1, 2, 0, 0});
  // The take-back keeps the laid colour and alpha to fade from, with its own pace.
  EXPECT_EQ(record.nMode, 1);
  EXPECT_EQ(record.byRed, 200);
  EXPECT_EQ(record.nStrength, 75);
  EXPECT_EQ(record.nAlpha, 120);
  EXPECT_EQ(record.nPrevAlpha, 120);
  EXPECT_EQ(record.nDuration, 12);
  EXPECT_EQ(record.nFrame, 0);
}

TEST(ScreenColorTest, LaidAlphaRampsByStrengthAndIsHeldInsideItsRange) {
  SCREENCOLOR record;
  SetScreenColor(record, {255, 0, 0, 100, 0, 10, 0, 0});  // strength 100 over 10 tenths: 60 frames
  // 255 - c / 60 x 100 x 2.55, truncated.
  const std::pair<int, int> ramp[] = {{0, 255}, {1, 250}, {2, 246}, {30, 127}, {59, 4}, {60, 0}};
  for (auto [frame, alpha] : ramp) EXPECT_EQ(ScreenColorAlpha(record, frame), alpha) << frame;
  record.nStrength = 150;  // 255 - 382.5 would be below 0
  EXPECT_EQ(ScreenColorAlpha(record, 60), 0);
  record.nStrength = -20;  // 255 + 51 would be above 255
  EXPECT_EQ(ScreenColorAlpha(record, 60), 255);
  record.nDuration = 0;
  record.nStrength = 50;
  EXPECT_EQ(ScreenColorAlpha(record, 0), 127);

  // Taking back a 50 % tint: from its 127 back to 255 over the take-back's time.
  SCREENCOLOR tint;
  SetScreenColor(tint, {0, 0, 255, 50, 0, 0, 0, 0});
  tint.nAlpha = 127;
  SetScreenColor(tint, {0, 0, 0, 0, 1, 10, 0, 0});
  const std::pair<int, int> back[] = {{0, 127}, {30, 127 + 64}, {60, 255}};
  for (auto [frame, alpha] : back) EXPECT_EQ(TakeBackAlpha(tint, frame), alpha) << frame;
}

// 8-bit DirectDraw tints the display palette: a flash ramps the colour in and
// its clear frame brings the loaded palette back, entry for entry, as does
// the end of a take-back.
TEST(ScreenColorTest, AnEightBitFlashOrTakeBackEndsOnTheLoadedPalette) {
  platform::display::DDPalette palette;
  const int savedBpp = nBpp;
  platform::display::DDPalette* const savedPalette = lpDDPalette;
  std::array<PALETTEENTRY, 256> savedColours;
  std::copy(ColorPalette, ColorPalette + 256, savedColours.begin());
  nBpp = 8;
  lpDDPalette = &palette;
  for (int i = 0; i < 256; ++i) ColorPalette[i] = {BYTE(i), BYTE(255 - i), BYTE(i / 2), 0};
  ASSERT_EQ(lpDTCon, nullptr);

  // Entries of the palette object that differ from the loaded palette.
  auto tintedEntries = [&] {
    int n = 0;
    for (int i = 0; i < 256; ++i) {
      const PALETTEENTRY& shown = palette.Entries()[static_cast<size_t>(i)];
      const PALETTEENTRY& loaded = ColorPalette[i];
      n += shown.peRed != loaded.peRed || shown.peGreen != loaded.peGreen || shown.peBlue != loaded.peBlue;
    }
    return n;
  };
  SCREENCOLOR record;
  SetScreenColor(record, {255, 0, 0, 100, 0, 1, 1, 1});  // one flash of red over 1 tenth: 6 frames
  DrawScreenColor(record, 0);                            // frame 0: alpha 255, nothing of the red
  DrawScreenColor(record, 0);                            // frame 1: alpha 255 - 1/6 x 255 = 212
  // Entry 0 (0, 255, 0): red (0 x 212 + 255 x 44) >> 8, green (255 x 212) >> 8.
  EXPECT_EQ(palette.Entries()[0].peRed, 43);
  EXPECT_EQ(palette.Entries()[0].peGreen, 211);
  DrawScreenColor(record, 1);  // held: nothing changes in 8 bits
  EXPECT_EQ(record.nFrame, 2);
  for (int frame = 2; frame <= 6; ++frame) DrawScreenColor(record, 0);
  EXPECT_EQ(record.bActive, 0);
  EXPECT_EQ(tintedEntries(), 0);

  // A laid tint stays in the palette; taking it back ends on the loaded colours too.
  SetScreenColor(record, {0, 0, 255, 50, 0, 1, 0, 0});
  for (int frame = 0; frame <= 6; ++frame) DrawScreenColor(record, 0);
  EXPECT_EQ(record.bActive, 0);
  EXPECT_NE(palette.Entries()[0].peBlue, ColorPalette[0].peBlue);
  SetScreenColor(record, {0, 0, 0, 0, 1, 1, 0, 0});
  for (int frame = 0; frame <= 6; ++frame) DrawScreenColor(record, 0);
  EXPECT_EQ(record.bActive, 0);
  EXPECT_EQ(tintedEntries(), 0);
  nBpp = savedBpp;
  lpDDPalette = savedPalette;
  std::copy(savedColours.begin(), savedColours.end(), ColorPalette);
}
