// Mosaic and blur on every back end: the block cut and its colour by mode,
// the blur's box on a 2 x 2 source, sources that do not cover the
// rectangle, the refused 8-bit blur and hostile sizes.
#include <climits>
#include <fstream>
#include <sstream>

#include "draw_fixture.h"
#include "library/util/Text.h"

namespace drawtest {
namespace {

class AreaFilterTest : public DrawTest {
 protected:
  // A system-memory (software) source under Direct3D, filled per column.
  DDSURFACEDATA* Source(int w, int h, std::initializer_list<DWORD> columns) {
    surfaces.emplace_back();
    EXPECT_TRUE(DDCreateSurface(&surfaces.back(), w, h, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
    int x = 0;
    for (DWORD c : columns) DDFillRect(&surfaces.back(), x++, 0, 1, h, c);
    return &surfaces.back();
  }
  static DWORD Raw(int x, int y) {
    DDSURFACEDATA* sd = &BackBuffer;
    DDRedirectBackBuffer(&sd);
    cSurfaceLock lock(sd);
    const DWORD pixel = lock.Pixels()->Get(x, y);
    return nBpp == 32 ? pixel & 0xFFFFFF : pixel;
  }
  // The raw pixel of byte channels: packed to 5-6-5 (DirectDraw), 5-5-5
  // with the alpha bit (Direct3D textures and the windowed back buffer), or bytes.
  DWORD Pixel(int r, int g, int b) const {
    if (nBpp == 16 && D3D()) return 0x8000u | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    if (nBpp == 16) return static_cast<DWORD>(r * 31 / 255 << 11 | g * 63 / 255 << 5 | b * 31 / 255);
    return static_cast<DWORD>(r << 16 | g << 8 | b);
  }
  bool TopLeftBlocks() const { return nBpp == 8 || (D3D() && nBpp == 16); }
};

TEST_P(AreaFilterTest, MosaicCutsBlocksFromTheCornerAndColoursThemByMode) {
  // w 10, n 4: blocks at 0, 4 and 8, the last 2 wide.
  DDSURFACEDATA* src = Source(10, 1, {1, 1, 3, 3, 2, 2, 2, 2, 4, 6});
  DDFillSurface(&BackBuffer, 5);
  ASSERT_TRUE(DDMosaic(&BackBuffer, 0, 0, 10, 1, 4, src, 0, 0, 1));
  if (TopLeftBlocks()) {
    EXPECT_EQ(Row(0, 0, 11), (std::vector<std::uint32_t>{kRed, kRed, kRed, kRed, kGreen, kGreen, kGreen, kGreen, kWhite,
                                                         kWhite, kYellow}));
  } else {
    // Averages per channel: red and blue give (127, 0, 127), white and black (127, 127, 127).
    const DWORD purple = Pixel(127, 0, 127), grey = Pixel(127, 127, 127);
    for (int x : {0, 3}) EXPECT_EQ(Raw(x, 0), purple) << x;
    EXPECT_EQ(At(5, 0), kGreen);
    for (int x : {8, 9}) EXPECT_EQ(Raw(x, 0), grey) << x;
    EXPECT_EQ(At(10, 0), kYellow);
  }
}

TEST_P(AreaFilterTest, MosaicSkipsBlocksOutsideTheSourceAndRefusesBadSizes) {
  DDSURFACEDATA* src = Source(4, 1, {1, 1, 1, 1});
  DDFillSurface(&BackBuffer, 5);
  // The second block would read past the source's right edge: it is left alone.
  ASSERT_TRUE(DDMosaic(&BackBuffer, 0, 0, 8, 1, 4, src, 0, 0, 1));
  EXPECT_EQ(Row(0, 0, 8), (std::vector<std::uint32_t>{kRed, kRed, kRed, kRed, kYellow, kYellow, kYellow, kYellow}));
  // Size 0 and negative sizes draw nothing; hostile sizes finish at once.
  DDFillSurface(&BackBuffer, 5);
  EXPECT_TRUE(DDMosaic(&BackBuffer, 0, 0, 4, 1, 0, src, 0, 0, 1));
  EXPECT_TRUE(DDMosaic(&BackBuffer, 0, 0, 4, 1, -3, src, 0, 0, 1));
  EXPECT_EQ(At(0, 0), kYellow);
  EXPECT_TRUE(DDMosaic(&BackBuffer, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1, src, INT_MAX, 0, 1));
  EXPECT_EQ(At(0, 0), kYellow);
  // One block over the whole screen, coloured from the four source pixels it covers.
  EXPECT_TRUE(DDMosaic(&BackBuffer, 0, 0, INT_MAX, INT_MAX, INT_MAX, src, 0, 0, 1));
  EXPECT_EQ(At(63, 47), kRed);
}

TEST_P(AreaFilterTest, BlurAveragesTheBoxUpAndLeftOfEachPixel) {
  if (nBpp == 8) GTEST_SKIP() << "refused in 8-bit mode";
  // Red blue / green white: each pixel averages itself with its left, upper
  // and upper-left neighbours inside the rectangle.
  surfaces.emplace_back();
  DDSURFACEDATA* src = &surfaces.back();
  ASSERT_TRUE(DDCreateSurface(src, 2, 2, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  DDFillRect(src, 0, 0, 1, 1, 1);
  DDFillRect(src, 1, 0, 1, 1, 3);
  DDFillRect(src, 0, 1, 1, 1, 2);
  DDFillRect(src, 1, 1, 1, 1, 4);
  // Raw channels are averaged: 255 + 0 over 2 is 127, 31 + 0 over 2 is 15
  // in 5 bits (given here as the byte 15 << 3), 63 over 2 is 31 in 6.
  const int half = nBpp == 32 ? 127 : 15 << 3;
  for (int radius : {1, 100}) {
    SCOPED_TRACE(radius);
    DDFillSurface(&BackBuffer, 5);
    ASSERT_TRUE(DDBlur(&BackBuffer, 4, 4, 2, 2, radius, radius, src, 0, 0, 1));
    const DWORD all = nBpp == 16 && !D3D() ? 15u << 11 | 31u << 5 | 15u : Pixel(half, half, half);
    if (radius == 1) {
      EXPECT_EQ(At(4, 4), kRed);
      EXPECT_EQ(Raw(5, 4), nBpp == 16 && !D3D() ? 15u << 11 | 15u : Pixel(half, 0, half));
      EXPECT_EQ(Raw(4, 5), nBpp == 16 && !D3D() ? 15u << 11 | 31u << 5 : Pixel(half, half, 0));
    } else {
      EXPECT_EQ(Raw(4, 4), all);  // a box wider than the rectangle counts only the rectangle
    }
    EXPECT_EQ(Raw(5, 5), all);
    EXPECT_EQ(At(6, 6), kYellow);
  }
}

TEST_P(AreaFilterTest, BlurLeavesKeyedPixelsAndOutsideNeighboursOut) {
  if (nBpp == 8) GTEST_SKIP() << "refused in 8-bit mode";
  // Red, key, blue: the key pixel is skipped and not counted; the rectangle
  // reaches past the source's right edge, where nothing is read.
  DDSURFACEDATA* src = Source(3, 1, {1, 0, 3});
  DDFillSurface(&BackBuffer, 5);
  ASSERT_TRUE(DDBlur(&BackBuffer, 0, 0, 5, 1, 2, 1, src, 0, 0, 1));
  EXPECT_EQ(At(0, 0), kRed);
  EXPECT_EQ(At(1, 0), kYellow);
  const int half = nBpp == 32 ? 127 : 15 << 3;
  const DWORD purple = nBpp == 16 && !D3D() ? 15u << 11 | 15u : Pixel(half, 0, half);
  EXPECT_EQ(Raw(2, 0), purple);
  EXPECT_EQ(At(3, 0), kYellow);
  // Zero and negative radii draw nothing; hostile ones finish at once.
  DDFillSurface(&BackBuffer, 5);
  EXPECT_TRUE(DDBlur(&BackBuffer, 0, 0, 3, 1, 0, 1, src, 0, 0, 1));
  EXPECT_TRUE(DDBlur(&BackBuffer, 0, 0, 3, 1, -2, -2, src, 0, 0, 1));
  EXPECT_EQ(At(0, 0), kYellow);
  EXPECT_TRUE(DDBlur(&BackBuffer, 0, 0, INT_MAX, INT_MAX, INT_MAX, INT_MAX, &BackBuffer, 0, 0, 0));
  EXPECT_TRUE(DDBlur(&BackBuffer, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 1, src, INT_MAX, INT_MIN, 1));
}

TEST_P(AreaFilterTest, EightBitBlurIsRefusedWithItsLogLine) {
  if (nBpp != 8) GTEST_SKIP() << "8-bit only";
  EcLogInit(1, "EC_Game.txt");
  DDSURFACEDATA* src = Source(2, 2, {1, 3});
  DDFillSurface(&BackBuffer, 5);
  EXPECT_TRUE(DDBlur(&BackBuffer, 0, 0, 2, 2, 1, 1, src, 0, 0, 1));
  EcLogInit(0, "EC_Game.txt");
  EXPECT_EQ(At(0, 0), kYellow);
  std::ifstream log(dir.Path() / "EC_Game.txt", std::ios::binary);
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_NE(text.str().find(Sjis("8ビットぼかしは不可能！")), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, AreaFilterTest, ::testing::ValuesIn(kConfigs), ConfigName);

}  // namespace
}  // namespace drawtest
