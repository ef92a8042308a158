#include "draw_fixture.h"
#include "platform/Messages.h"

namespace drawtest {
namespace {

using Pixels = std::vector<std::uint32_t>;

// A small descriptor table: a sheet, its linked mirror, a system-memory
// sheet, a keyed blank work surface and an optional missing file.
class RestoreTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    SetSurfaceDesc(&descs[0], "bmp\\Sheet8.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    SetSurfaceDesc(&descs[1], "bmp\\Sheet8.bmp", 1, 0, 0, 1, 0, 0, 2, 0, 0, 0);
    SetSurfaceDesc(&descs[2], "bmp\\Sheet24.bmp", 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0, 0, 0, 0);
    SetSurfaceDesc(&descs[3], "E", 1, 0, 0, 0, 0, 0, 0, 0, 4, 2);
    SetSurfaceDesc(&descs[4], "bmp\\Missing.bmp", 1, 0, 0, 0, 0, 1, 0, 0, 0, 0);
    user[1].lpLinkSD = &user[0];
    lpUserSD = user;
    lpSurfaceDesc = descs;
    nUserSD = 5;
    const int all[] = {0, 1, 2, 3, 4};
    ASSERT_TRUE(DDLoadSurfaces(user, all, 5));
  }
  void TearDown() override {
    DrawTest::TearDown();
    lpUserSD = nullptr;
    lpSurfaceDesc = nullptr;
    nUserSD = 0;
  }

  // Rows 0..2 of the screen: each file surface copied opaquely.
  std::vector<Pixels> DrawAll() {
    DDFillSurface(&BackBuffer, 6);
    DDBlt(&BackBuffer, 0, 0, 4, 1, &user[0], 0, 0, 0);
    DDBlt(&BackBuffer, 0, 1, 2, 1, &user[1], 0, 0, 1);
    DDBlt(&BackBuffer, 0, 2, 4, 1, &user[2], 0, 0, 0);
    return {Row(0, 0, 4), Row(1, 0, 2), Row(2, 0, 4)};
  }

  SURFACEDESCDATA descs[5];
  DDSURFACEDATA user[5];
};

TEST_P(RestoreTest, OptionalMissingFileLeavesItsEntryEmpty) {
  EXPECT_FALSE(user[4].lpDT || user[4].lpDDS);
  const std::string report = dir.Read("Report_Game.txt");
  EXPECT_NE(report.find("LoadImage Err bmp\\Missing.bmp"), std::string::npos);
  EXPECT_NE(report.find("cannot open the file"), std::string::npos);
}

TEST_P(RestoreTest, EverySurfaceIsRebuiltFromItsFileAfterALoss) {
  const auto before = DrawAll();
  EXPECT_EQ(before[0], (Pixels{kRed, kMagenta, kGreen, kBlue}));
  EXPECT_EQ(before[1], (Pixels{kBlack, kRed}));
  DDFillSurface(&user[3], 1);
  DDInjectLoss();
  if (D3D()) {
    EXPECT_FALSE(DDPresent(60, 0, nullptr));
    EXPECT_EQ(DDRestoreSurface(), 0);  // still lost: nothing can be made yet
    EXPECT_FALSE(user[0].lpDT->lpTexture);
    EXPECT_TRUE(user[2].lpDT->lpTexture);  // system memory stays
    DDAllowDeviceReset();
    EXPECT_EQ(DDRestoreSurface(), 1);
    EXPECT_TRUE(DDPresent(60, 0, nullptr));
  } else {
    EXPECT_EQ(DDBlt(&SysBackBuffer, 0, 0, 4, 1, &user[0], 0, 0, 0), 0);  // lost surfaces draw nothing
    EXPECT_TRUE(DDRestore());
  }
  EXPECT_EQ(DrawAll(), before);
  EXPECT_EQ(user[0].bLost, 0);
  EXPECT_EQ(user[3].bLost, 1);  // a blank surface comes back for its owner to redraw
  if (D3D()) {
    DDFillSurface(&BackBuffer, 6);
    DDBlt(&BackBuffer, 0, 5, 4, 2, &user[3], 0, 0, 1);
    EXPECT_EQ(Row(5, 0, 4), (Pixels{kBlack, kBlack, kBlack, kBlack}));  // made again blank and keyed
  }
}

TEST_P(RestoreTest, NothingLostMeansNothingTouched) {
  if (D3D()) {
    EXPECT_TRUE(DDRestore());  // the DirectDraw recovery does nothing under Direct3D
    return;
  }
  DDFillSurface(&user[3], 1);
  PALETTEENTRY shown = DispColorPalette[1];
  DispColorPalette[1] = {1, 2, 3, 0};
  EXPECT_TRUE(DDRestore());
  EXPECT_EQ(user[3].bLost, 0);
  if (nBpp == 8) {
    EXPECT_EQ(lpDDPalette->Entries()[1], shown);  // the palette stays as it was
  }
  DispColorPalette[1] = shown;
}

// After a recovery a full-screen window is shown again (it may have been
// minimised when the device went); a windowed one is left as it is.
TEST_P(RestoreTest, FullScreenRecoveryShowsTheWindowAgain) {
  if (!D3D()) GTEST_SKIP() << "the Direct3D recovery";
  int shows = 0;
  platform::Window window(GetCurrentThreadId(), [&](HWND, UINT message, WPARAM, LPARAM) {
    shows += message == WM_SHOWWINDOW;
    return LRESULT{0};
  });
  hDDWnd = &window;
  for (int windowed : {1, 0}) {
    bWindowMode = windowed;
    DDInjectLoss();
    DDAllowDeviceReset();
    EXPECT_EQ(DDRestoreSurface(), 1);
    EXPECT_EQ(shows, windowed ? 0 : 1) << "windowed " << windowed;
  }
  bWindowMode = 1;
  hDDWnd = nullptr;
}

class EightBitRestoreTest : public RestoreTest {};

TEST_P(EightBitRestoreTest, RecoveryGivesBackTheShownPalette) {
  DDFadeOut(DispColorPalette, 0, 255, 0, 0, 0, 10.0, ColorPalette, false);
  DDFadeOut(DispColorPalette, 0, 255, 0, 0, 0, 10.0, ColorPalette, false);  // 80 degrees: entries dimmed
  DDInjectLoss();
  lpDDPalette->SetEntries(0, 256, ColorPalette);
  EXPECT_TRUE(DDRestore());
  EXPECT_EQ(lpDDPalette->Entries()[4], DispColorPalette[4]);
  EXPECT_NE(DispColorPalette[4], ColorPalette[4]);
  DDFadeOut(DispColorPalette, 0, 255, 0, 0, 0, 10.0, ColorPalette, true);
}

INSTANTIATE_TEST_SUITE_P(Configurations, RestoreTest, ::testing::ValuesIn(kConfigs), ConfigName);
INSTANTIATE_TEST_SUITE_P(DirectDraw8, EightBitRestoreTest, ::testing::Values(kConfigs[2]), ConfigName);

TEST(BitmapLoadTest, DamagedBitmapFailsWithItsLogLine) {
  testsupport::TempDir dir(true);
  ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
  dir.Write("bmp/plt/Palette.bmp", PaletteBitmap());
  std::string damaged = Sheet8();
  damaged[28] = 3;  // bit count
  dir.Write("bmp/Bad.bmp", damaged);
  for (int direct3D : {1, 0}) {
    ASSERT_TRUE(DDInit(direct3D, nullptr, 8, 8, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
    DDSURFACEDATA sd;
    EXPECT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\Bad.bmp", 1, 32, 0, 0, 0, 0, 0, 0, 0), LOADIMAGE_ERR);
    EXPECT_FALSE(DDCheckSurfaceError(LOADIMAGE_ERR));
    EXPECT_TRUE(DDCheckSurfaceError(0));
    EXPECT_TRUE(DDCheckSurfaceError(1));
    DDReleaseSurface(&sd);
    DDUnInit();
  }
  const std::string report = dir.Read("Report_Game.txt");
  EXPECT_NE(report.find("bmp\\Bad.bmp: unsupported bit count 3 (offset 28)"), std::string::npos) << report;
}

TEST(TextureSizeTest, PowerOfTwoAndSquareDevicesRoundUp) {
  ASSERT_TRUE(DDInit(1, nullptr, 8, 8, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
  struct Case {
    int pow2, square, w, h, texW, texH;
  } cases[] = {
      {0, 0, 300, 200, 300, 200}, {1, 0, 300, 200, 512, 256}, {1, 1, 300, 200, 512, 512}, {1, 0, 256, 0, 256, 0}};
  for (const Case& c : cases) {
    lpDTCon->bPow2 = c.pow2;
    lpDTCon->bSquareOnly = c.square;
    int w = c.w, h = c.h;
    DDAdjustTextureSize(&w, &h);
    EXPECT_EQ(w, c.texW);
    EXPECT_EQ(h, c.texH);
  }
  lpDTCon->bPow2 = 1;
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 300, 200, 0, 0, 0, 0, 0));
  EXPECT_EQ(sd.nWidth, 300);
  EXPECT_EQ(sd.nTexWidth, 512);
  DDReleaseSurface(&sd);
  DDUnInit();
}

}  // namespace
}  // namespace drawtest
