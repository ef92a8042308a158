// The start-up's display decision as a table: windowed flag, vertical sync,
// colour depth and the two refusals.
#include <gtest/gtest.h>

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
