#include <gtest/gtest.h>

#include <vector>

#include "library/util/FrameTiming.h"
#include "platform/Clock.h"

namespace {

// The times at which the rate limiter lets the frames through, paced on the
// injected clock.
std::vector<DWORD> LimitedFrames(FrameTiming& timing, int frames, DWORD fps) {
  std::vector<DWORD> passed;
  for (int frame = 0; frame < frames; ++frame) {
    timing.WaitFrameRate(fps);
    passed.push_back(timeGetTime());
  }
  return passed;
}

TEST(FrameTimingTest, GateSpacesFramesByWholeMilliseconds) {
  platform::InjectedClock clock(5000);
  FrameTiming timing;
  EXPECT_TRUE(timing.CheckFrameTime(60));
  clock.Advance(15);
  EXPECT_FALSE(timing.CheckFrameTime(60));
  clock.Advance(1);
  EXPECT_TRUE(timing.CheckFrameTime(60));
  EXPECT_TRUE(timing.CheckFrameTime(0)) << "0 frames per second never waits";
  timing.WaitFrameTime(60);
  EXPECT_EQ(timeGetTime(), 5032u) << "the wait moves the virtual clock to the due time";
}

TEST(FrameTimingTest, GatePacesAcrossTheClockWrap) {
  platform::InjectedClock clock(0xFFFFFFF0u);
  FrameTiming timing;
  for (int frame = 0; frame < 4; ++frame) timing.WaitFrameTime(60);
  EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u + 48u);
  EXPECT_FALSE(timing.CheckFrameTime(60));
}

TEST(FrameTimingTest, LimiterGivesExactlyTheRateWithoutDoubleFrames) {
  // Started far from and right before the wrap of the 32-bit clock.
  for (DWORD start : {1000u, 0xFFFFFFFFu - 1500u}) {
    platform::InjectedClock clock(start);
    FrameTiming timing;
    std::vector<DWORD> passed = LimitedFrames(timing, 181, 60);
    EXPECT_EQ(passed[180] - passed[0], 3000u) << start;
    EXPECT_EQ(passed[1] - passed[0], 17u) << "frame 1 is due 16.67 ms after the start";
    for (size_t i = 1; i < passed.size(); ++i) {
      DWORD gap = passed[i] - passed[i - 1];
      EXPECT_TRUE(gap == 16 || gap == 17) << "frame " << i << " after " << gap << " ms";
    }
    EXPECT_EQ(passed[60] - passed[0], 1000u) << "the next window starts one second after the last";
  }
}

TEST(FrameTimingTest, LimiterDoesNotRushAfterAStall) {
  platform::InjectedClock clock(0);
  FrameTiming timing;
  LimitedFrames(timing, 6, 60);
  clock.Advance(5000);
  timing.WaitFrameRate(60);
  DWORD resumed = timeGetTime();
  timing.WaitFrameRate(60);
  EXPECT_EQ(timeGetTime() - resumed, 17u);
  EXPECT_TRUE(timing.LimitFrameRate(0));
}

TEST(FrameTimingTest, LimiterDisplayShowsItsAverages) {
  struct Recorder : FpsDisplay {
    std::string last;
    void DrawText(int x, int y, const std::string& text) override {
      EXPECT_EQ(x, 0);
      EXPECT_EQ(y, 16);
      last = text;
    }
  } display;
  platform::InjectedClock clock(0);
  FrameTiming timing;
  timing.StartStopwatch();
  clock.Advance(4);
  timing.GetStopwatch(true);
  for (int frame = 0; frame < 16; ++frame) timing.WaitFrameRate(60, &display);
  EXPECT_EQ(display.last, "FPS-Ave 0(4)\ndwTime_OneSec 4\nnFrameCt_OneSec 16");
}

TEST(FrameTimingTest, FpsCountsTheLastWholeWindow) {
  platform::InjectedClock clock(100);
  FrameTiming timing;
  EXPECT_EQ(timing.CountFps(false), 0u);
  for (int frame = 0; frame < 30; ++frame) {
    EXPECT_EQ(timing.CountFps(true), 0u);
    clock.Advance(33);
  }
  clock.Set(100 + 1000);
  EXPECT_EQ(timing.CountFps(true), 30u) << "the frame that closes the window is not counted";
  EXPECT_EQ(timing.CountFps(false), 30u);
}

TEST(FrameTimingTest, FrameCounterDividesAndReportsTheWrap) {
  FrameTiming timing;
  EXPECT_EQ(timing.FrameCounter(2, 60), 1) << "fresh counter";
  int fired = 0;
  for (int call = 1; call <= 180; ++call) {
    int result = timing.FrameCounter(1, 60);
    fired += result;
    EXPECT_EQ(result, call % 60 == 0 ? 1 : 0) << call;
  }
  EXPECT_EQ(fired, 3);
  EXPECT_EQ(timing.FrameCounter(2, 60), 1);
  timing.FrameCounter(1, 60);
  EXPECT_EQ(timing.FrameCounter(2, 60), 0);
  EXPECT_EQ(timing.FrameCounter(0, 60), 0);
  EXPECT_EQ(timing.FrameCounter(2, 60), 1);
}

TEST(FrameTimingTest, StopwatchMeasuresOnRequest) {
  platform::InjectedClock clock(0xFFFFFFFEu);
  FrameTiming timing;
  EXPECT_EQ(timing.GetStopwatch(false), 1u);
  EXPECT_EQ(timing.StartStopwatch(), 0xFFFFFFFEu);
  clock.Advance(7);
  EXPECT_EQ(timing.GetStopwatch(false), 1u);
  EXPECT_EQ(timing.GetStopwatch(true), 7u);
  clock.Advance(7);
  EXPECT_EQ(timing.GetStopwatch(false), 7u);
}

}  // namespace

namespace {

TEST(FrameTimingTest, FastClockPacingNeverWaits) {
  platform::InjectedClock clock(1000, true);
  FrameTiming timing;
  std::vector<DWORD> gate, limiter;
  for (int frame = 0; frame < 4; ++frame) {
    EXPECT_TRUE(timing.CheckFrameTime(60));
    gate.push_back(timeGetTime());
  }
  for (int frame = 0; frame < 4; ++frame) {
    EXPECT_TRUE(timing.LimitFrameRate(60));
    limiter.push_back(timeGetTime());
  }
  EXPECT_EQ(gate, (std::vector<DWORD>{1000, 1016, 1032, 1048}));
  EXPECT_EQ(limiter, (std::vector<DWORD>{1048, 1065, 1082, 1098}));
}

}  // namespace
