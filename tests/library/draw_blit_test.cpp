#include "draw_fixture.h"
#include "library/util/Text.h"
#include "platform/MessageBox.h"

namespace drawtest {
namespace {

using Pixels = std::vector<std::uint32_t>;

class BlitTest : public DrawTest {};

TEST_P(BlitTest, KeyedAndOpaqueCopiesOfEightAnd24BitSheets) {
  for (const char* file : {"bmp\\Sheet8.bmp", "bmp\\Sheet24.bmp"}) {
    SCOPED_TRACE(file);
    DDSURFACEDATA* sheet = Load(file, 1);
    DDFillSurface(&BackBuffer, 5);
    DDBlt(&BackBuffer, 10, 10, 4, 2, sheet, 0, 0, 1);
    DDBlt(&BackBuffer, 20, 10, 4, 2, sheet, 0, 0, 0);
    // Keyed: the background shows through; black stays black (never keyed).
    EXPECT_EQ(Row(10, 10, 4), (Pixels{kRed, kYellow, kGreen, kBlue}));
    EXPECT_EQ(Row(11, 10, 4), (Pixels{kYellow, kWhite, kBlack, kYellow}));
    // Opaque onto the screen: the transmit colour itself shows.
    EXPECT_EQ(Row(10, 20, 4), (Pixels{kRed, kMagenta, kGreen, kBlue}));
    EXPECT_EQ(Row(11, 20, 4), (Pixels{kMagenta, kWhite, kBlack, kMagenta}));
  }
}

TEST_P(BlitTest, CopiesAreCutOnEverySide) {
  DDSURFACEDATA* sheet = Load("bmp\\Sheet8.bmp", 0);
  DDFillSurface(&BackBuffer, 6);
  // x = -2, w = 4: the right two columns land at x = 0.
  EXPECT_EQ(DDBlt(&BackBuffer, -2, 0, 4, 2, sheet, 0, 0, 0), 1);
  EXPECT_EQ(Row(0, 0, 3), (Pixels{kGreen, kBlue, kBlack}));
  // A copy hanging over the left and the right edge at once still draws.
  DDSURFACEDATA* wide = Blank(80, 2, 0);
  DDFillSurface(wide, 1);
  EXPECT_EQ(DDBlt(&BackBuffer, -8, 20, 80, 2, wide, 0, 0, 0), 1);
  EXPECT_EQ(At(0, 20), kRed);
  EXPECT_EQ(At(63, 21), kRed);
  EXPECT_EQ(At(0, 22), kBlack);
  EXPECT_EQ(DDBlt(&BackBuffer, 64, 0, 4, 2, sheet, 0, 0, 0), 0);  // wholly outside
}

TEST_P(BlitTest, StretchDoublesAndMirrorDiffersByBackEnd) {
  DDSURFACEDATA* sheet = Load("bmp\\Sheet8.bmp", 1);
  DDFillSurface(&BackBuffer, 6);
  EXPECT_EQ(DDBltStretch(&BackBuffer, 0, 0, 8, 4, sheet, 0, 0, 4, 2, 1), 1);
  EXPECT_EQ(Row(0, 0, 8), (Pixels{kRed, kRed, kBlack, kBlack, kGreen, kGreen, kBlue, kBlue}));
  EXPECT_EQ(Row(3, 0, 8), (Pixels{kBlack, kBlack, kWhite, kWhite, kBlack, kBlack, kBlack, kBlack}));
  // A negative source width mirrors under Direct3D; DirectDraw refuses it.
  const int drawn = DDBltStretch(&BackBuffer, 20, 0, 4, 1, sheet, 4, 0, -4, 1, 0);
  if (D3D()) {
    EXPECT_EQ(drawn, 1);
    EXPECT_EQ(Row(0, 20, 4), (Pixels{kBlue, kGreen, kMagenta, kRed}));
  } else {
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(Row(0, 20, 4), (Pixels{kBlack, kBlack, kBlack, kBlack}));
  }
}

TEST_P(BlitTest, MirroredSheetsReadEachCellBackwardsInBothBackEnds) {
  // Entry 1 mirrors entry 0 in cells of 2: linked under Direct3D, a mirrored copy under DirectDraw.
  SURFACEDESCDATA descs[2];
  SetSurfaceDesc(&descs[0], "bmp\\Sheet8.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSurfaceDesc(&descs[1], "bmp\\Sheet8.bmp", 1, 0, 0, 1, 0, 0, 2, 0, 0, 0);
  DDSURFACEDATA user[2];
  user[1].lpLinkSD = &user[0];
  lpSurfaceDesc = descs;
  nUserSD = 2;
  const int both[] = {0, 1};
  ASSERT_TRUE(DDLoadSurfaces(user, both, 2));
  DDFillSurface(&BackBuffer, 6);
  DDBlt(&BackBuffer, 0, 0, 2, 1, &user[1], 0, 0, 1);
  DDBlt(&BackBuffer, 2, 0, 2, 1, &user[1], 2, 0, 1);
  EXPECT_EQ(Row(0, 0, 4), (Pixels{kBlack, kRed, kBlue, kGreen}));
  DDReleaseSurface(&user[1]);
  EXPECT_TRUE(user[0].lpDT || user[0].lpDDS);  // freeing the link leaves its sheet
  DDReleaseSurface(&user[0]);
  lpSurfaceDesc = nullptr;
  nUserSD = 0;
}

TEST_P(BlitTest, AMirroredSheetOfItsOwnReadsEachWholeCellBackwards) {
  surfaces.emplace_back();
  DDSURFACEDATA* sheet = &surfaces.back();
  ASSERT_EQ(DDCreateSurfaceFromFile(sheet, "bmp\\Sheet8.bmp", 1, nBpp, 0, 0, 0, 0, 3, 0, 0), 0);
  DDFillSurface(&BackBuffer, 6);
  DDBlt(&BackBuffer, 0, 0, 4, 1, sheet, 0, 0, 1);
  // Red, transmit, green backwards; the keyed pixel lets the black screen show.
  EXPECT_EQ(Row(0, 0, 3), (Pixels{kGreen, kBlack, kRed}));
  // The fourth column is a cell cut short: Direct3D keeps the sheet's own pixel there.
  if (D3D()) EXPECT_EQ(At(3, 0), kBlue);
}

TEST_P(BlitTest, FillsAreCutAndColourZeroFollowsTheBackEnd) {
  DDFillSurface(&BackBuffer, 4);
  EXPECT_EQ(DDFillRect(&BackBuffer, 60, -2, 10, 4, 3), 1);
  EXPECT_EQ(Row(1, 58, 6), (Pixels{kWhite, kWhite, kBlue, kBlue, kBlue, kBlue}));
  EXPECT_EQ(At(60, 2), kWhite);
  // Colour 0: transparent under Direct3D (the screen stays), the transmit colour under DirectDraw.
  DDFillRect(&BackBuffer, 0, 0, 2, 2, 0);
  EXPECT_EQ(At(0, 0), D3D() ? kWhite : kMagenta);
}

TEST_P(BlitTest, KeyedWorkSurfacesStartAndClearTransparent) {
  DDSURFACEDATA* sheet = Load("bmp\\Sheet8.bmp", 1);
  DDSURFACEDATA* work = Blank(8, 2, 1);
  DDBlt(work, 0, 0, 4, 2, sheet, 0, 0, 0);  // an opaque copy keeps the sheet's holes transparent
  DDFillSurface(&BackBuffer, 5);
  DDBlt(&BackBuffer, 0, 0, 8, 2, work, 0, 0, 1);
  EXPECT_EQ(Row(0, 0, 8), (Pixels{kRed, kYellow, kGreen, kBlue, kYellow, kYellow, kYellow, kYellow}));
  DDFillSurface(work, 0);
  DDFillSurface(&BackBuffer, 6);
  DDBlt(&BackBuffer, 0, 0, 8, 2, work, 0, 0, 1);
  EXPECT_EQ(Row(0, 0, 4), (Pixels{kBlack, kBlack, kBlack, kBlack}));
}

TEST_P(BlitTest, ColourBlitsTintUnderDirect3DOnly) {
  DDSURFACEDATA* sheet = Load("bmp\\Sheet8.bmp", 1);
  DDFillSurface(&BackBuffer, 6);
  DDBltColor(&BackBuffer, 0, 0, 4, 1, sheet, 0, 0, 1, {0xFF808080, D3DTOP_MODULATE});
  DDBltColor(&BackBuffer, 0, 1, 4, 1, sheet, 0, 0, 1, {0x80FFFFFF, D3DTOP_MODULATE});
  const std::uint32_t halfRed = GetParam().bpp == 16 ? 0x840000 : 0x800000;  // 16 of 31 widens to 132
  EXPECT_EQ(At(0, 0), D3D() ? halfRed : kRed);
  EXPECT_EQ(At(0, 1), kRed);  // the alpha of the colour does not blend with the default alpha operation
  EXPECT_EQ(lpDTCon ? lpDTCon->dwDrawColor : 0xFFFFFFFFu, 0xFFFFFFFFu);
  DDFillRect(&BackBuffer, 0, 1, 4, 1, 6);
  DDSetAlphaOp(D3DTOP_MODULATE);
  DDBltColor(&BackBuffer, 0, 1, 4, 1, sheet, 0, 0, 1, {0x80FFFFFF, D3DTOP_MODULATE});
  DDResetAlphaOp();
  const std::uint32_t halfOverBlack = GetParam().bpp == 16 ? 0x840000 : 0x800000;
  EXPECT_EQ(At(0, 1), D3D() ? halfOverBlack : kRed);
}

TEST_P(BlitTest, TransmitFormsOfTheMode) {
  switch (GetParam().bpp * (D3D() ? -1 : 1)) {
    case -16:
      EXPECT_EQ(lpDTCon->dwTransmitKey, 0xFFFF00FFu);  // built from 8-bit channels
      EXPECT_EQ(lpDTCon->wTransmit_16A, 0xFC1F);
      EXPECT_EQ(dwTransmit, 0xFC1Fu);
      break;
    case -32:
      EXPECT_EQ(lpDTCon->dwTransmitKey, 0xFFFF00FFu);
      EXPECT_EQ(dwTransmit, 0u);
      break;
    case 8:
      EXPECT_EQ(dwTransmit, 0u);
      break;
    case 16:
      EXPECT_EQ(dwTransmit, 0xF81Fu);
      EXPECT_EQ(lpDDCon->rgbPalette0, (RGBTRIPLE{255, 0, 255}));
      break;
    case 32:
      EXPECT_EQ(dwTransmit, 0xFF00FFu);
      break;
  }
  EXPECT_EQ(PalNumToRGB(1) & 0xFFFFFF, GetParam().bpp == 8 && !D3D()    ? 1u
                                       : GetParam().bpp == 16 && !D3D() ? 0xF800u
                                                                        : 0xFF0000u);
}

INSTANTIATE_TEST_SUITE_P(Configurations, BlitTest, ::testing::ValuesIn(kConfigs), ConfigName);

// In 16-bit DirectDraw a 24-bit colour that lands on the transmit pixel
// without being the transmit colour moves one blue step, staying visible.
TEST(SixteenBitDirectDrawTest, NearTransmitColoursStayVisible) {
  testsupport::TempDir dir(true);
  ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
  dir.Write("bmp/plt/Palette.bmp", PaletteBitmap());
  dir.Write("bmp/Near.bmp", testbmp::Write({2, 1, 24, false, false, {}, {0xFF02FF, 0xFF00FF}}));
  ASSERT_TRUE(DDInit(0, nullptr, 8, 8, 16, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
  ASSERT_EQ(DDSetTransmit("bmp\\plt\\Palette.bmp"), 1);
  DDSURFACEDATA near;
  ASSERT_EQ(DDCreateSurfaceFromFile(&near, "bmp\\Near.bmp", 1, 16, 0, 0, 0, 0, 0, 0, 0), 0);
  cSurfaceLock lock(&near);
  EXPECT_EQ(lock.Pixels()->Get(0, 0), 0xF81Eu);
  EXPECT_EQ(lock.Pixels()->Get(1, 0), 0xF81Fu);
  DDReleaseSurface(&near);
  DDUnInit();
}

// The RGB form in 16-bit DirectDraw scales the colour into the display's
// 5-6-5 pixel and says, in the second log and its developer box, that it does
// not really support this depth. 255, 128, 0 -> red 31, green 128 * 63 / 255
// = 31, blue 0: pixel 31 << 11 | 31 << 5 = 64480; scaled back 255, 125, 0.
TEST(TransmitTest, SixteenBitDirectDrawRgbFormShowsItsDeveloperBox) {
  testsupport::TempDir dir(true);
  ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
  ASSERT_TRUE(DDInit(0, nullptr, 8, 8, 16, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
  // The second log's state is the process's own: it is switched on in a child process only.
  EXPECT_EXIT(
      {
        std::string box;
        platform::SetMessageBoxSink([&](std::string_view text, std::string_view, UINT) {
          box = std::string(text);
          return IDOK;
        });
        dir.Write("EC_Game.txt", "");
        EcLogInit(1, "EC_Game.txt");
        DDSetTransmit(BYTE{255}, BYTE{128}, BYTE{0});
        const bool logged = dir.Read("EC_Game.txt").find(Sjis("は未対応！")) != std::string::npos;
        std::exit(dwTransmit == 64480 && logged && box == "Tr 64480 RGB32(255,128,0) -> RGB16(255,125,0)" ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  DDUnInit();
}

// A system-memory texture that cannot be made ends the program in order, with
// the message start-up gave the drawing layer.
TEST(TextureFailureTest, FatalTextureFailureShowsTheKeptMessage) {
  testsupport::TempDir dir(true);
  ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
  ASSERT_TRUE(DDInit(1, nullptr, 8, 8, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
  std::vector<std::string> boxes;
  platform::SetMessageBoxSink([&](std::string_view text, std::string_view, UINT) {
    boxes.emplace_back(text);
    return IDOK;
  });
  DDSURFACEDATA sd;
  EXPECT_FALSE(DDCreateSurface(&sd, 0, 4, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  EXPECT_TRUE(boxes.empty()) << "no message kept, none shown";
  lpDTCon->szTextureErrMes = "video card too weak";
  EXPECT_FALSE(DDCreateSurface(&sd, 0, 4, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  EXPECT_EQ(boxes, std::vector<std::string>{"video card too weak"});
  platform::SetMessageBoxSink(nullptr);
  DDReleaseSurface(&sd);
  DDUnInit();
}

}  // namespace
}  // namespace drawtest
