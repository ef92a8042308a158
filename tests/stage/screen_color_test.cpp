// The screen-colour command's record: laying a colour, taking it back, and a
// take-back with nothing laid.
#include <gtest/gtest.h>

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
