// Rotation and lens on every back end. The rotation tables are the
// fixed-point rule worked out by hand for a 3 x 2 source turned about its
// pixel (1, 1): sin and cos in 1/1024 are (0, 1024), (724, 724), (1024, 0),
// (0, -1024) and (-1024, 0) for 0, 45, 90, 180 and 270 degrees.
#include <climits>

#include "draw_fixture.h"

namespace drawtest {
namespace {

using Pixels = std::vector<std::uint32_t>;

class GeometricEffectTest : public DrawTest {
 protected:
  // Source rows red green blue / white yellow cyan; under Direct3D a
  // system-memory texture unless the quad path is wanted.
  DDSURFACEDATA* Source(bool quadPath = false) {
    surfaces.emplace_back();
    EXPECT_TRUE(DDCreateSurface(&surfaces.back(), 3, 2, 1, quadPath ? 0 : 1,
                                quadPath ? DTMEMORYTYPE_VIDEO_RT : DTMEMORYTYPE_SYSTEM, 0, 0));
    const DWORD colours[] = {1, 2, 3, 4, 5, 7};
    for (int k = 0; k < 6; ++k) DDFillRect(&surfaces.back(), k % 3, k / 3, 1, 1, colours[k]);
    return &surfaces.back();
  }
  // The 7 x 7 pixels around (x, y).
  std::vector<Pixels> Around(int x, int y) const {
    std::vector<Pixels> rows;
    for (int dy = -3; dy <= 3; ++dy) rows.push_back(Row(y + dy, x - 3, 7));
    return rows;
  }
};

constexpr std::uint32_t R = kRed, G = kGreen, B = kBlue, W = kWhite, Y = kYellow, C = kCyan, _ = kBlack;

TEST_P(GeometricEffectTest, SoftwareRotationByTheFixedPointRule) {
  DDSURFACEDATA* src = Source();
  struct Case {
    int angle;
    std::vector<Pixels> around;
  };
  const Case cases[] = {
      {0,
       {{_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _},
        {_, _, R, G, B, _, _},
        {_, _, W, Y, C, _, _},
        {_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _}}},
      {45,
       {{_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _},
        {_, _, _, R, _, _, _},
        {_, _, W, Y, G, _, _},
        {_, _, _, Y, C, _, _},
        {_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _}}},
      {90,
       {{_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _},
        {_, _, _, W, R, _, _},
        {_, _, _, Y, G, _, _},
        {_, _, _, C, B, _, _},
        {_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _}}},
      {180,
       {{_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _},
        {_, _, C, Y, W, _, _},
        {_, _, B, G, R, _, _},
        {_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _}}},
      {270,
       {{_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _},
        {_, _, B, C, _, _, _},
        {_, _, G, Y, _, _, _},
        {_, _, R, W, _, _, _},
        {_, _, _, _, _, _, _},
        {_, _, _, _, _, _, _}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    DDFillSurface(&BackBuffer, 6);
    EXPECT_TRUE(DDBltRotate(&BackBuffer, 20, 20, 3, 2, 1, 1, c.angle, src, 0, 0, 1));
    EXPECT_EQ(Around(20, 20), c.around);
  }
}

TEST_P(GeometricEffectTest, RotationSkipsKeyedPixelsByEachPathsOwnTest) {
  // The keyed pixel is the sheet's colour key; under 16-bit Direct3D that is
  // 0x0000, which equals no transmit value and must still stay out.
  DDSURFACEDATA* src = Source();
  DDFillRect(src, 1, 1, 1, 1, 0);
  DDFillSurface(&BackBuffer, 6);
  DDBltRotate(&BackBuffer, 20, 20, 3, 2, 1, 1, 0, src, 0, 0, 1);
  EXPECT_EQ(Row(20, 19, 3), (Pixels{W, _, C}));
  // Without the key the pixel is copied as it stands: the transmit colour, or a texture's transparent black.
  DDBltRotate(&BackBuffer, 20, 20, 3, 2, 1, 1, 0, src, 0, 0, 0);
  EXPECT_EQ(At(20, 20), D3D() ? kBlack : kMagenta);
}

TEST_P(GeometricEffectTest, QuadPathAtZeroDegreesMatchesTheSoftwarePath) {
  if (!D3D()) GTEST_SKIP() << "Direct3D only";
  DDFillSurface(&BackBuffer, 6);
  DDBltRotate(&BackBuffer, 20, 20, 3, 2, 1, 1, 0, Source(), 0, 0, 1);
  const auto software = Around(20, 20);
  DDFillSurface(&BackBuffer, 6);
  DDBltRotate(&BackBuffer, 20, 20, 3, 2, 1, 1, 0, Source(true), 0, 0, 1);
  EXPECT_EQ(Around(20, 20), software);
  // Turned half way about the point (1, 1), the quad covers the six pixels up and left of (x, y).
  DDFillSurface(&BackBuffer, 6);
  DDBltRotate(&BackBuffer, 20, 20, 3, 2, 1, 1, 180, Source(true), 0, 0, 1);
  EXPECT_EQ(Row(19, 18, 3), (Pixels{C, Y, W}));
  EXPECT_EQ(Row(20, 18, 3), (Pixels{B, G, R}));
  EXPECT_TRUE(DDBltRotate(&BackBuffer, 20, 20, 3, 2, 1, 1, 0, nullptr, 0, 0, 1));
}

TEST_P(GeometricEffectTest, LensMagnifiesTowardTheCentreAndJoinsAtTheRim) {
  // Source columns 0..6 in seven colours, every row alike.
  surfaces.emplace_back();
  DDSURFACEDATA* src = &surfaces.back();
  ASSERT_TRUE(DDCreateSurface(src, 7, 7, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  const std::uint32_t colours[] = {kRed, kGreen, kBlue, kWhite, kYellow, kBlack, kCyan};
  const DWORD indices[] = {1, 2, 3, 4, 5, 6, 7};
  for (int k = 0; k < 7; ++k) DDFillRect(src, k, 0, 1, 7, indices[k]);
  // r 3, d 2: R = int(sqrt 13) = 3; on row 0, j -> int(j * 2 / sqrt(9 - j^2) + 0.5),
  // toward zero, and the rim (Z = 0) keeps its offset: -3 -1 0 0 1 2 3.
  DDFillSurface(&BackBuffer, 1);
  EXPECT_TRUE(DDBltLens(&BackBuffer, 20, 20, 3, 2, src, 3, 3, 1, 0));
  const int offsets[] = {-3, -1, 0, 0, 1, 2, 3};
  Pixels expected;
  for (int u : offsets) expected.push_back(colours[3 + u]);
  EXPECT_EQ(Row(20, 17, 7), expected);
  EXPECT_EQ(At(17, 17), kRed);  // outside the circle: untouched
  // d 0: the disc shows the centre pixel, the rim points their own.
  DDFillSurface(&BackBuffer, 1);
  EXPECT_TRUE(DDBltLens(&BackBuffer, 20, 20, 2, 0, src, 3, 3, 1, 0));
  EXPECT_EQ(Row(20, 18, 5), (Pixels{kGreen, kWhite, kWhite, kWhite, kBlack}));
  // r 0, a negative r or d, or R <= d: nothing, false.
  EXPECT_FALSE(DDBltLens(&BackBuffer, 20, 20, 0, 1, src, 3, 3, 1, 0));
  EXPECT_FALSE(DDBltLens(&BackBuffer, 20, 20, -1, 1, src, 3, 3, 1, 0));
  EXPECT_FALSE(DDBltLens(&BackBuffer, 20, 20, 1, -1, src, 3, 3, 1, 0));
  EXPECT_TRUE(DDBltLens(&BackBuffer, INT_MAX, INT_MIN, INT_MAX, 5, src, INT_MIN, INT_MAX, 1, 1));
}

TEST_P(GeometricEffectTest, LensKeyAndClearDifferByMode) {
  surfaces.emplace_back();
  DDSURFACEDATA* src = &surfaces.back();
  ASSERT_TRUE(DDCreateSurface(src, 7, 7, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  DDFillSurface(src, 0);
  DDFillSurface(&BackBuffer, 1);
  DDBltLens(&BackBuffer, 20, 20, 3, 2, src, 3, 3, 0, 1);
  // DirectDraw never draws the transmit colour. Direct3D 16-bit without the
  // key copies the keyed texel (transparent black); 32-bit with clearing
  // writes 0 for it and for the square around the circle.
  EXPECT_EQ(At(20, 20), D3D() ? kBlack : kRed);
  EXPECT_EQ(At(17, 17), D3D() && nBpp == 32 ? kBlack : kRed);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, GeometricEffectTest, ::testing::ValuesIn(kConfigs), ConfigName);

}  // namespace
}  // namespace drawtest
