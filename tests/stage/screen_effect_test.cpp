// Screen effects and the screen colour over frames: the shake's swing, the
// move's path, the blink's hidden frames, the split band, the zoom's source
// kept inside the screen; the colour laid, flashed and taken back, held
// while frozen, and drawn by the back ends that can tint.
#include <gtest/gtest.h>

#include "gamedata/EffectRun.h"
#include "library/draw_fixture.h"
#include "stage/ScreenColor.h"
#include "stage/ScreenEffect.h"
#include "support/TinyStage.h"

namespace {

using stagetest::TinyStage;

// Steps until a value running from start by step has passed end: the
// truncated value must go beyond it, with the step added in doubles.
int StepsToPass(double start, int end, double step) {
  int steps = 0;
  for (double v = start; static_cast<int>(v) <= end; v += step) ++steps;
  return steps;
}

// A screen effect of the kind and parameters, started on the scene as its
// run data prepares it (forward, no repeat).
class ScreenEffectTest : public ::testing::Test {
 protected:
  void Start(int kind, std::array<int, 5> params) {
    entry.m_nKind = kind;
    for (int i = 0; i < 5; ++i) entry.m_nParam[i] = params[static_cast<size_t>(i)];
    EFFECTRUNDATA run;
    InitScrEffectRunner(run, 1, entry, 0);
    EFFECTPROGRESS& p = stage.scene.m_ScrEffect;
    p = EFFECTPROGRESS{};
    CopyEffectRunData(p, run);
    p.nIndex = 1;
  }
  EFFECTPROGRESS& Progress() { return stage.scene.m_ScrEffect; }
  // Frames until the effect word returns to 0 (at most limit).
  int FramesToEnd(int limit) {
    int frames = 0;
    while (Progress().nIndex != 0 && frames < limit) DrawScrEffect(stage.scene, 0), ++frames;
    return frames;
  }

  cDbScrEffect entry;
  TinyStage stage;
};

TEST_F(ScreenEffectTest, ShakeSwingsItsAmplitudeTheGivenTimesOverTheDuration) {
  EXPECT_NEAR(ShakeStep(4, 4, 10), 64.0 / 60.0, 1e-12);  // 4 x 4 x 4 / 60 dots a frame
  Start(SCREFFECT_SHAKE_H, {10, 4, 4, 0, 0});
  DrawScrEffect(stage.scene, 0);
  EXPECT_DOUBLE_EQ(Progress().Values.dSecond, 64.0 / 60.0);
  DrawScrEffect(stage.scene, 1);  // held: nothing moves
  EXPECT_DOUBLE_EQ(Progress().Values.dSecond, 64.0 / 60.0);
  for (int i = 0; i < 3; ++i) DrawScrEffect(stage.scene, 0);
  EXPECT_DOUBLE_EQ(Progress().Values.dSecond, 4.0);  // held at the amplitude, turning back
  EXPECT_EQ(Progress().Values.nSlot[0], 1);
  // The value counts tenths from 0 by 1/6 until it has passed 10.
  EXPECT_EQ(FramesToEnd(1000), StepsToPass(0, 10, 1.0 / 6) - 4);
}

TEST_F(ScreenEffectTest, MoveFollowsItsLineInRealDivisionAndSurvivesADurationOfZero) {
  Start(SCREFFECT_MOVE, {10, 0, 100, 640, -480});
  EXPECT_EQ(Progress().Values.nSlot[0], 0);
  EXPECT_EQ(Progress().Values.nSlot[1], 100);
  DrawScrEffect(stage.scene, 0);  // computed from v = 0
  DrawScrEffect(stage.scene, 0);  // v = 1/6: 640 / 10 x 1/6 and 1/6 x (-580) / 10 + 100
  EXPECT_EQ(Progress().Values.nSlot[0], 10);
  EXPECT_EQ(Progress().Values.nSlot[1], 90);
  Start(SCREFFECT_MOVE, {0, 0, 0, 640, 0});
  EXPECT_EQ(FramesToEnd(100), StepsToPass(0, 0, 1.0 / 6));
}

TEST_F(ScreenEffectTest, BlinkStartsWithElevenHiddenFrames) {
  Start(SCREFFECT_BLINK, {100, 10, 0, 0, 0});
  for (int frame = 1; frame <= 11; ++frame) {
    EXPECT_EQ(Progress().Values.nSlot[1], 0) << frame;  // hidden while this frame draws
    DrawScrEffect(stage.scene, 0);
  }
  EXPECT_EQ(Progress().Values.nSlot[1], 1);
}

TEST_F(ScreenEffectTest, ValueEffectsRunFromStartToEndThenEnd) {
  Start(SCREFFECT_MOSAIC, {10, 1, 60, 0, 0});  // 59 over 60 frames
  DrawScrEffect(stage.scene, 0);
  EXPECT_NEAR(Progress().Values.dCurrent, 1 + 59.0 / 60, 1e-12);
  EXPECT_EQ(FramesToEnd(1000), StepsToPass(1, 60, 59.0 / 60) - 1);
  entry.m_nKind = 99;  // a kind nobody writes runs as none and never ends
  Start(99, {10, 0, 0, 0, 0});
  EXPECT_EQ(FramesToEnd(50), 50);
}

TEST(ScreenEffectShapeTest, SplitBandsAndZoomSources) {
  EXPECT_EQ(SplitBand(480, 15), 32);
  EXPECT_EQ(SplitBand(480, 7), 69);  // rounded up
  EXPECT_EQ(SplitBand(640, 20), 32);
  EXPECT_EQ(SplitBand(640, 0), 0);  // no parts: a plain copy
  EXPECT_EQ(SplitBand(640, -3), 0);
  struct Case {
    double z;
    int hx, hy;
    int x, y, w, h;
  };
  const Case cases[] = {
      {1.0, 320, 240, 0, 0, 640, 480},
      {2.0, 320, 240, 160, 120, 320, 240},
      {2.0, 600, 100, 320, 0, 320, 240},  // right edge and top edge hold it inside
      {2.0, 10, 470, 0, 240, 320, 240},
  };
  for (const Case& c : cases) {
    const ZoomSource s = ZoomSourceRect(c.z, c.hx, c.hy);
    EXPECT_EQ(s.x, c.x) << c.z << " " << c.hx;
    EXPECT_EQ(s.y, c.y) << c.z << " " << c.hy;
    EXPECT_EQ(s.w, c.w);
    EXPECT_EQ(s.h, c.h);
  }
}

// ---- The screen colour on the back ends ----

class ScreenColorDrawTest : public drawtest::DrawTest {};

TEST_P(ScreenColorDrawTest, LaidFlashedHeldAndEndedAsTheBackEndAllows) {
  const bool tints = D3D() || GetParam().bpp == 8;
  SCREENCOLOR lay;
  SetScreenColor(lay, {255, 0, 0, 100, 0, 10, 0, 0});
  for (int frame = 0; frame <= 60; ++frame) DrawScreenColor(lay, 0);
  DDFillRect(&BackBuffer, 0, 0, screenW, screenH, 4);  // white, filtered to the colour alone
  DrawScreenColor(lay, 1);
  if (D3D()) {
    EXPECT_EQ(lay.nAlpha, 0);  // the colour alone, and it stays
    EXPECT_EQ(lay.bActive, 1);
    EXPECT_EQ(At(5, 5), drawtest::kRed);
  } else {
    EXPECT_EQ(lay.bActive, 0);  // 8 bits: the palette keeps the tint; others never show it
  }
  // Held, nothing advances.
  SCREENCOLOR held;
  SetScreenColor(held, {0, 0, 255, 100, 0, 10, 0, 0});
  for (int i = 0; i < 5; ++i) DrawScreenColor(held, 1);
  EXPECT_EQ(held.nFrame, 0);
  EXPECT_EQ(held.bActive, 1);

  // A flash of count 3 over 6 frames: three ramps, each with one clear frame.
  SCREENCOLOR flash;
  SetScreenColor(flash, {255, 255, 255, 100, 0, 1, 1, 3});
  for (int frame = 1; frame <= 20; ++frame) DrawScreenColor(flash, 0);
  EXPECT_EQ(flash.bActive, tints ? 1 : 0);
  DrawScreenColor(flash, 0);
  EXPECT_EQ(flash.bActive, 0);

  // Strength 0 shows nothing and ends after its time.
  SCREENCOLOR none;
  SetScreenColor(none, {255, 0, 0, 0, 0, 1, 0, 0});
  for (int frame = 0; frame <= 6; ++frame) DrawScreenColor(none, 0);
  EXPECT_EQ(none.bActive, 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, ScreenColorDrawTest, ::testing::ValuesIn(drawtest::kConfigs), drawtest::ConfigName);

}  // namespace
