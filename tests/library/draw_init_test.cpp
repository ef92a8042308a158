#include <gtest/gtest.h>

#include "library/draw/Draw.h"
#include "library/util/Log.h"
#include "library/util/MesBox.h"
#include "library/util/SystemReport.h"
#include "platform/DisplayProbe.h"
#include "platform/Harness.h"
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
  static bool Init(int direct3D, int bpp, int windowed) {
    return DDInit(direct3D, nullptr, 64, 48, bpp, 0, windowed, 1, 60, 0, nullptr, nullptr, 0, 0);
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

}  // namespace
