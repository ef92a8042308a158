// The start-up's display decision as a table: windowed flag, vertical sync,
// colour depth and the two refusals.
#include <gtest/gtest.h>

#include <array>

#include "app/StartUp.h"

namespace {

TEST(DisplayDecisionTest, Table) {
  constexpr const char* kWindowText =
      "画面モードが不正です！\nウインドウモードではSystem.iniの設定と画面の色の設定を合わせて下さい！";
  constexpr const char* kOtherText = "画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！";
  struct Case {
    const char* name;
    DisplaySettings in;
    int windowed, vsync, bpp;
    const char* error;
  };
  const Case cases[] = {
      {"D3D windowed, vsync auto", {1, 1, 0, 2, 0, 0, 0, 32, true}, 1, 1, 32, ""},
      {"DD windowed never syncs", {0, 1, 0, 1, 0, 0, 0, 32, true}, 1, 0, 32, ""},
      {"DD full screen auto on 6.0", {0, 0, 0, 2, 0, 0, 0, 32, true}, 0, 0, 32, ""},
      {"DD full screen auto before 6.0", {0, 0, 0, 2, 0, 0, 0, 32, false}, 0, 1, 32, ""},
      {"Bpp 0 windowed takes the desktop", {1, 1, 0, 0, 0, 0, 0, 16, true}, 1, 0, 16, ""},
      {"Bpp 16 on a 32-bit desktop", {1, 1, 16, 0, 0, 0, 0, 32, true}, 1, 0, 16, kWindowText},
      {"D3D full screen choice 1", {1, 0, 0, 0, 0, 1, 0, 32, true}, 0, 0, 16, ""},
      {"DD full screen choice 2", {0, 0, 0, 0, 0, 0, 2, 32, true}, 0, 0, 8, ""},
      {"DD choice 2 with full colour", {0, 0, 0, 0, 1, 0, 2, 32, true}, 0, 0, 32, ""},
      {"8 bits under D3D refused", {1, 0, 8, 0, 0, 0, 0, 32, true}, 0, 0, 8, kOtherText},
      {"24 bits windowed refused", {1, 1, 24, 0, 0, 0, 0, 24, true}, 1, 0, 24, kOtherText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DisplayDecision d = DecideDisplay(c.in);
    EXPECT_EQ(d.windowed, c.windowed);
    EXPECT_EQ(d.vsync, c.vsync);
    EXPECT_EQ(d.bpp, c.bpp);
    EXPECT_EQ(d.error, c.error);
  }
}

}  // namespace

namespace {

// DirectDraw's present: blit when windowed; full screen flips only with
// vertical sync on a monitor at least as fast as the 60 frames.
TEST(DisplayDecisionTest, BlitPresentTable) {
  struct Case {
    bool windowed, vsync;
    int hz, blit;
  } cases[] = {
      {true, true, 60, 1},  {false, true, 60, 0},  {false, true, 75, 0},
      {false, true, 59, 1}, {false, false, 60, 1}, {false, true, 0, 1},  // a rate that cannot be told
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecideBlitPresent(c.windowed, c.vsync, c.hz, 60), c.blit) << c.windowed << c.vsync << " " << c.hz;
}

// A stored window is held to a 1920 x 1080 desktop at (0, 0).
TEST(DisplayDecisionTest, StoredWindowIsHeldToTheDesktop) {
  const WindowRect desktop{0, 0, 1920, 1080};
  struct Case {
    WindowRect in, out;
  } cases[] = {
      {{100, 100, 640, 480}, {100, 100, 640, 480}},               // fits: unchanged
      {{5000, -300, 640, 480}, {1280, 0, 640, 480}},              // off the desktop: pulled back to its edge
      {{10, 10, 100000, 60000}, {0, 0, 1920, 1080}},              // larger than any display
      {{-2000000000, 2000000000, 640, 480}, {0, 600, 640, 480}},  // extremes do not overflow
  };
  for (const Case& c : cases) {
    const WindowRect r = HoldToDesktop(c.in, desktop);
    EXPECT_EQ((std::array<int, 4>{r.x, r.y, r.w, r.h}), (std::array<int, 4>{c.out.x, c.out.y, c.out.w, c.out.h}))
        << c.in.x << "," << c.in.y << " " << c.in.w << "x" << c.in.h;
  }
}

}  // namespace
