#include <gtest/gtest.h>

#include "library/draw/Draw.h"
#include "library/util/Log.h"
#include "library/util/MesBox.h"
#include "library/util/SystemReport.h"
#include "library/util/Text.h"
#include "platform/Clock.h"
#include "platform/DisplayProbe.h"
#include "platform/Harness.h"
#include "platform/display/Pointer.h"
#include "support/TempDir.h"

namespace {

class DrawInitTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  void SetUp() override { ASSERT_EQ(ReportInit("Report_Game.txt"), 1); }
  void TearDown() override {
    DDUnInit();
    platform::SetHarnessForTesting({});
    platform::SetDisplayProbe(nullptr);
  }
  static bool Init(int direct3D, int bpp, int windowed, int vsync = 0) {
    return DDInit(direct3D, nullptr, 64, 48, bpp, vsync, windowed, 1, 60, vsync, nullptr, nullptr, 0, 0);
  }
  static void ProbeRefreshRate(unsigned rate) {
    platform::SetDisplayProbe([rate] {
      platform::DisplayInfo info;
      info.refreshRate = rate;
      return info;
    });
  }
};

TEST_F(DrawInitTest, DepthsEachBackEndAccepts) {
  struct Case {
    int direct3D, bpp;
    bool ok;
  } cases[] = {{1, 16, true}, {1, 32, true}, {1, 24, false}, {1, 8, false},
               {0, 8, true},  {0, 16, true}, {0, 24, true},  {0, 32, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(Init(c.direct3D, c.bpp, 1), c.ok) << c.direct3D << " " << c.bpp;
    DDUnInit();
    EXPECT_FALSE(lpDTCon || lpDDCon);
  }
}

TEST_F(DrawInitTest, FailedDirect3DFallsBackToDirectDraw) {
  platform::HarnessSettings settings;
  settings.failStep = "direct3d";
  platform::SetHarnessForTesting(settings);
  EXPECT_FALSE(Init(1, 32, 1));
  DDUnInit();
  ASSERT_TRUE(Init(0, 32, 1));
  EXPECT_FALSE(lpDTCon);
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 4, 4, 0, 0, 0, 0, 0));
  EXPECT_TRUE(sd.lpDDS && !sd.lpDT);  // every later call takes the DirectDraw path
  DDReleaseSurface(&sd);
}

TEST_F(DrawInitTest, OldDriverFailsBeforeAnyDirect3DObject) {
  platform::SetDisplayProbe([] {
    platform::DisplayInfo info;
    info.adapters.front().ddiVersion = "8";
    return info;
  });
  EXPECT_FALSE(Init(1, 32, 1));
  EXPECT_FALSE(lpDTCon);
}

TEST_F(DrawInitTest, DisplayReportDescribesTheLayer) {
  ASSERT_TRUE(Init(1, 16, 0));
  const platform::DisplayInfo info = platform::ProbeDisplay();
  EXPECT_EQ(info.backEnd, platform::DisplayBackEnd::Direct3D);
  EXPECT_EQ(info.bpp, 16);
  EXPECT_FALSE(info.windowed);
  ASSERT_EQ(ReportDisplayInfo(1), 1);
  const std::string report = dir.Read("Report_Game.txt");
  EXPECT_NE(report.find("Mode : Fullscreen\r\nBpp : 16\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("D3DCAPS2_DYNAMICTEXTURES"), std::string::npos);
  EXPECT_NE(report.find("R5G6B5"), std::string::npos);  // the device's back-buffer format at start-up
}

TEST_F(DrawInitTest, FullScreenBoxesPassTheChosenButtonOn) {
  ASSERT_TRUE(Init(0, 16, 0));
  EXPECT_EQ(MesBox("question", "caption", MB_YESNO), IDNO);  // headless: the default answer
  EXPECT_EQ(SurfaceFormat.nRedShift, 11);
  EXPECT_EQ(SurfaceFormat.nGreenMask, 63);
  EXPECT_TRUE(DDSetDialogMode(1));
}

// Vertical sync gives 60 frames a second only on a 60 Hz display; the
// display's rate cannot be changed, in a window or in full screen.
TEST_F(DrawInitTest, Direct3DKeepsVerticalSyncOnlyAtSixtyHertz) {
  static const std::string kNoVSync = Sjis("リフレッシュレートの変更に失敗しました！垂直同期が無効になります！");
  struct Case {
    unsigned rate;
    int windowed;
    int vsync;
  } cases[] = {{60, 1, 1}, {60, 0, 1}, {75, 1, 0}, {75, 0, 0}, {0, 1, 0}};
  for (const Case& c : cases) {
    ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
    ProbeRefreshRate(c.rate);
    ASSERT_TRUE(Init(1, 32, c.windowed, 1));
    EXPECT_EQ(bVSync, c.vsync) << c.rate << " Hz, windowed " << c.windowed;
    const std::string report = dir.Read("Report_Game.txt");
    EXPECT_NE(report.find("RefreshRate : " + std::to_string(c.rate) + "\r\n"), std::string::npos) << report;
    EXPECT_EQ(report.find(kNoVSync) != std::string::npos, c.vsync == 0) << report;
    DDUnInit();
  }
}

// The drawing thread never waits for the vertical blank (the window's present
// does), so the rate limiter paces its frames with vsync on too: 60 frames
// after any frame take one second, frame k of a window due k * 1000 / 60 ms
// after its start.
TEST_F(DrawInitTest, PresentPacesFramesWithVerticalSyncOn) {
  ProbeRefreshRate(60);
  ASSERT_TRUE(Init(1, 32, 1, 1));
  ASSERT_EQ(bVSync, 1);
  platform::InjectedClock clock(platform::RealTimeMs() + 0x40000000u, true);
  ASSERT_TRUE(DDPresent(60, 0, nullptr));
  const DWORD first = timeGetTime();
  for (int frame = 0; frame < 60; ++frame) ASSERT_TRUE(DDPresent(60, 0, nullptr));
  EXPECT_EQ(timeGetTime() - first, 1000u);
}

// Hidden in full screen; shown in a DirectDraw window and over boxes in
// full screen; a Direct3D window leaves it as it is.
TEST_F(DrawInitTest, PointerHiddenInFullScreenAndShownOverBoxes) {
  struct Case {
    int direct3D, windowed;
    bool before, after;
  } cases[] = {{1, 0, true, false}, {0, 0, true, false}, {0, 1, false, true}, {1, 1, false, false}};
  for (const Case& c : cases) {
    platform::display::ShowPointer(c.before);
    ASSERT_TRUE(Init(c.direct3D, 32, c.windowed));
    EXPECT_EQ(platform::display::PointerShown(), c.after) << c.direct3D << " " << c.windowed;
    DDUnInit();
  }
  ASSERT_TRUE(Init(1, 32, 0));
  EXPECT_TRUE(DDSetDialogMode(1));
  EXPECT_TRUE(platform::display::PointerShown());
  EXPECT_TRUE(DDSetDialogMode(0));
  EXPECT_FALSE(platform::display::PointerShown());
  platform::display::ShowPointer(true);
}

}  // namespace
