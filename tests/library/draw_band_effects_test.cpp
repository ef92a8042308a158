// Effects made of moved copies, on every back end: split bands, the wave's
// column offsets, the flip's steps, the pushed-apart quarters and the
// circle's chords, including radii and sizes from hostile data.
#include <climits>

#include "draw_fixture.h"

namespace drawtest {
namespace {

using Pixels = std::vector<std::uint32_t>;

class BandEffectTest : public DrawTest {
 protected:
  BandEffectTest() { screenW = 128, screenH = 64; }

  // A source whose columns [0, 30), [30, 60), [60, 90), [90, w) are red, green, blue, white.
  DDSURFACEDATA* Columns(int w, int h) {
    DDSURFACEDATA* sd = Blank(w, h, 1);
    const DWORD colours[] = {1, 2, 3, 4};
    for (int k = 0; k * 30 < w; ++k) DDFillRect(sd, k * 30, 0, 30, h, colours[std::min(k, 3)]);
    return sd;
  }
  // The colour of column x over rows [top, top + count).
  Pixels Column(int x, int top, int count) const {
    Pixels out;
    for (int y = top; y < top + count; ++y) out.push_back(At(x, y));
    return out;
  }
  // The first and one-past-last column of `colour` on row y, or {-1, -1}.
  std::pair<int, int> Span(int y, std::uint32_t colour) const {
    const Pixels row = Row(y, 0, screenW);
    int first = -1, last = -1;
    for (int x = 0; x < screenW; ++x)
      if (row[static_cast<size_t>(x)] == colour) {
        if (first < 0) first = x;
        last = x + 1;
      }
    return {first, last};
  }
};

TEST_P(BandEffectTest, SplitMovesOddBandsOneWayEvenBandsTheOtherAndDropsTheRest) {
  // w 100 in bands of 30: bands 0, 1 and 2; columns 90..99 are not drawn.
  DDSURFACEDATA* src = Columns(100, 4);
  DDFillSurface(&BackBuffer, 6);
  DDDrawSplit(&BackBuffer, 10, 20, 100, 4, 30, 5, src, 0, 0, 1, 1);
  const Pixels down{kBlack, kBlack, kBlack, kBlack, kBlack, kRed, kRed, kRed, kRed};
  EXPECT_EQ(Column(10, 20, 9), down);  // band 0 at y + 5
  EXPECT_EQ(Column(39, 20, 9), down);
  EXPECT_EQ(Column(40, 15, 5), (Pixels{kGreen, kGreen, kGreen, kGreen, kBlack}));  // band 1 at y - 5
  EXPECT_EQ(At(70, 25), kBlue);                                                    // band 2 at y + 5
  EXPECT_EQ(At(99, 28), kBlue);
  for (int y = 10; y < 35; ++y) EXPECT_EQ(At(100, y), kBlack) << y;

  // Horizontal: 4 rows in bands of 2, band 0 right, band 1 left.
  DDFillSurface(&BackBuffer, 6);
  DDDrawSplit(&BackBuffer, 10, 40, 30, 4, 2, 3, src, 0, 0, 1, 0);
  EXPECT_EQ(Span(40, kRed), std::make_pair(13, 43));
  EXPECT_EQ(Span(41, kRed), std::make_pair(13, 43));
  EXPECT_EQ(Span(42, kRed), std::make_pair(7, 37));
  EXPECT_EQ(Span(43, kRed), std::make_pair(7, 37));
}

TEST_P(BandEffectTest, SplitWithoutBandsIsAPlainCopyAndNegativeBandsDrawNothing) {
  DDSURFACEDATA* src = Columns(40, 2);
  DDFillSurface(&BackBuffer, 6);
  EXPECT_EQ(DDDrawSplit(&BackBuffer, 0, 0, 40, 2, 0, 9, src, 0, 0, 1, 1), 1);
  EXPECT_EQ(Span(0, kRed), std::make_pair(0, 30));
  EXPECT_EQ(Span(1, kGreen), std::make_pair(30, 40));
  DDFillSurface(&BackBuffer, 6);
  DDDrawSplit(&BackBuffer, 0, 0, 40, 2, -5, 9, src, 0, 0, 1, 1);
  DDDrawSplit(&BackBuffer, 0, 0, 40, 2, -5, 9, src, 0, 0, 1, 0);
  for (int y = 0; y < 12; ++y) EXPECT_EQ(Row(y, 0, 128), Pixels(128, kBlack)) << y;
}

TEST_P(BandEffectTest, WaveShiftsEachColumnOrBandBySineOfPhasePlusRunningAngle) {
  // One wave across 8 columns: the angle runs 45, 90, ... 360 degrees, and
  // int(4 sin a) is 2, 4, 2, 0, -2, -4, -2, 0.
  DDSURFACEDATA* src = Blank(8, 1, 1);
  DDFillSurface(src, 1);
  struct Case {
    int band;
    int phase;
    std::vector<int> offsets;  // of each column
  };
  const Case cases[] = {
      {1, 0, {2, 4, 2, 0, -2, -4, -2, 0}},
      {1, 90, {2, 0, -2, -4, -2, 0, 2, 4}},  // sin(135) .. sin(450)
      // Bands of 3: angles 135, 270, 405, the last band 2 wide.
      {3, 0, {2, 2, 2, -4, -4, -4, 2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.band * 1000 + c.phase);
    DDFillSurface(&BackBuffer, 6);
    DDDrawWave(&BackBuffer, 10, 20, 8, 1, 1, 4.0, c.phase, c.band, src, 0, 0, 1, 1);
    for (int i = 0; i < 8; ++i) {
      Pixels column(13, kBlack);
      column[static_cast<size_t>(6 + c.offsets[static_cast<size_t>(i)])] = kRed;
      EXPECT_EQ(Column(10 + i, 14, 13), column) << i;
    }
  }
  // Rows shifted sideways, and amplitude 0 draws the source where it is.
  DDSURFACEDATA* tall = Blank(1, 8, 1);
  DDFillSurface(tall, 2);
  DDFillSurface(&BackBuffer, 6);
  DDDrawWave(&BackBuffer, 20, 10, 1, 8, 1, 4.0, 0, 1, tall, 0, 0, 1, 0);
  const int rowOffsets[] = {2, 4, 2, 0, -2, -4, -2, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Span(10 + i, kGreen), std::make_pair(20 + rowOffsets[i], 21 + rowOffsets[i]));
  DDFillSurface(&BackBuffer, 6);
  DDDrawWave(&BackBuffer, 20, 10, 1, 8, 3, 0.0, 17, 1, tall, 0, 0, 1, 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Span(10 + i, kGreen), std::make_pair(20, 21));
  DDFillSurface(&BackBuffer, 6);
  DDDrawWave(&BackBuffer, 20, 10, 1, 8, 3, 0.0, 17, 0, tall, 0, 0, 1, 0);  // no bands: nothing
  EXPECT_EQ(Span(10, kGreen), std::make_pair(-1, -1));
}

TEST_P(BandEffectTest, FlipNarrowsOneImageThenWidensTheOther) {
  DDSURFACEDATA* a = Blank(64, 4, 1);
  DDSURFACEDATA* b = Blank(64, 4, 1);
  DDFillSurface(a, 1);
  DDFillSurface(b, 2);
  struct Case {
    int step;
    std::uint32_t colour;
    int from, to;
  };
  // u = 32: steps 0..31 narrow A, 32..63 widen B, 64..95 narrow B.
  const Case cases[] = {{0, kRed, 10, 74},    {31, kRed, 41, 43},   {32, kGreen, 41, 43}, {63, kGreen, 10, 74},
                        {64, kGreen, 10, 74}, {95, kGreen, 41, 43}, {96, kRed, 41, 43}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    DDFillSurface(&BackBuffer, 6);
    DDDrawFlip(&BackBuffer, 10, 5, 64, 4, a, 0, 0, b, 0, 0, 64, 4, 1, c.step, 0);
    EXPECT_EQ(Span(5, c.colour), std::make_pair(c.from, c.to));
    EXPECT_EQ(Span(8, c.colour), std::make_pair(c.from, c.to));
  }
  // Vertical squash: 4 rows, u = 2; step 1 draws A 2 rows high at y + 1.
  DDFillSurface(&BackBuffer, 6);
  DDDrawFlip(&BackBuffer, 10, 5, 64, 4, a, 0, 0, b, 0, 0, 64, 4, 1, 1, 1);
  EXPECT_EQ(Column(20, 5, 4), (Pixels{kBlack, kRed, kRed, kBlack}));
  // Other modes draw nothing and return mode - 1; sizes below 2 draw nothing.
  DDFillSurface(&BackBuffer, 6);
  EXPECT_EQ(DDDrawFlip(&BackBuffer, 10, 5, 64, 4, a, 0, 0, b, 0, 0, 64, 4, 1, 3, 2), 1);
  EXPECT_EQ(DDDrawFlip(&BackBuffer, 10, 5, 1, 4, a, 0, 0, b, 0, 0, 64, 4, 1, 3, 0), 0);
  EXPECT_EQ(DDDrawFlip(&BackBuffer, 10, 5, 64, 0, a, 0, 0, b, 0, 0, 64, 4, 1, 3, 1), 0);
  EXPECT_EQ(Span(5, kRed), std::make_pair(-1, -1));
}

TEST_P(BandEffectTest, QuadSplitPushesTheQuartersApartAndDropsAnOddLastColumn) {
  DDSURFACEDATA* src = Blank(5, 4, 1);
  DDFillRect(src, 0, 0, 2, 2, 1);
  DDFillRect(src, 2, 0, 3, 2, 2);
  DDFillRect(src, 0, 2, 2, 2, 3);
  DDFillRect(src, 2, 2, 3, 2, 4);
  DDFillSurface(&BackBuffer, 6);
  DDDrawQuadSplit(&BackBuffer, 20, 20, 5, 4, src, 0, 0, 3, 1);
  EXPECT_EQ(Span(17, kRed), std::make_pair(17, 19));
  EXPECT_EQ(Span(18, kGreen), std::make_pair(25, 27));  // w2 = 2: column 4 is dropped
  EXPECT_EQ(Span(25, kBlue), std::make_pair(17, 19));
  EXPECT_EQ(Span(26, kWhite), std::make_pair(25, 27));
  EXPECT_EQ(Span(19, kRed), std::make_pair(-1, -1));
}

TEST_P(BandEffectTest, CircleCopiesChordsCutToTheHalfSizes) {
  DDSURFACEDATA* src = Blank(10, 10, 1);
  DDFillSurface(src, 4);
  // r 5: half chords floor(sqrt(25 - m^2)) capped at 4, for m = 4 .. -5.
  auto chord = [](int m) { return m == 4 || m == -4 ? 3 : m == -5 ? 0 : 4; };
  DDFillSurface(&BackBuffer, 6);
  DDBltCircle(&BackBuffer, 30, 20, 100, 100, 5, 1, src, 5, 5, 1);
  for (int m = -6; m <= 5; ++m) {
    const int hc = m >= -5 && m <= 4 ? chord(m) : 0;
    EXPECT_EQ(Span(20 + m, kWhite), hc ? std::make_pair(30 - hc, 30 + hc) : std::make_pair(-1, -1)) << m;
  }
  // hh 3 keeps rows -3 .. 2; hw 2 keeps source columns 3 .. 6, moving the strip right.
  DDFillSurface(&BackBuffer, 6);
  DDBltCircle(&BackBuffer, 30, 20, 2, 3, 5, 1, src, 5, 5, 1);
  for (int m = -6; m <= 5; ++m)
    EXPECT_EQ(Span(20 + m, kWhite), m >= -3 && m <= 2 ? std::make_pair(28, 32) : std::make_pair(-1, -1)) << m;
  // Bands of 2 from h = 3 down: [3, 5) m 4, [1, 3) m 2, [-1, 1) m 0, [-3, -1) m -2, [-5, -3) m -4.
  DDFillSurface(&BackBuffer, 6);
  DDBltCircle(&BackBuffer, 30, 20, 100, 100, 5, 2, src, 5, 5, 1);
  for (int m = -6; m <= 5; ++m) {
    const int hc = m == 3 || m == 4 || m == -5 || m == -4 ? 3 : m >= -3 && m <= 2 ? 4 : 0;
    EXPECT_EQ(Span(20 + m, kWhite), hc ? std::make_pair(30 - hc, 30 + hc) : std::make_pair(-1, -1)) << m;
  }
  // Bands of 3 with hh 2: the band at 2 is skipped, [-1, 2) is drawn, and
  // [-4, -1), which starts above -2, is moved to [-2, 1).
  DDFillSurface(&BackBuffer, 6);
  DDBltCircle(&BackBuffer, 30, 20, 100, 2, 5, 3, src, 5, 5, 1);
  for (int m = -6; m <= 5; ++m)
    EXPECT_EQ(Span(20 + m, kWhite), m >= -2 && m <= 1 ? std::make_pair(26, 34) : std::make_pair(-1, -1)) << m;
  // r 1 makes strips of width 0.
  DDFillSurface(&BackBuffer, 6);
  EXPECT_EQ(DDBltCircle(&BackBuffer, 30, 20, 100, 100, 0, 1, src, 5, 5, 1), 0);
  DDBltCircle(&BackBuffer, 30, 20, 100, 100, 1, 1, src, 5, 5, 1);
  EXPECT_EQ(Span(20, kWhite), std::make_pair(-1, -1));
  EXPECT_EQ(Span(19, kWhite), std::make_pair(-1, -1));
}

TEST_P(BandEffectTest, HostileCircleSizesFinishAtOnceAndDrawTheVisibleRows) {
  // A radius whose square overflows 32 bits; one past INT_MAX's root.
  DDSURFACEDATA* src = Blank(128, 64, 1);
  DDFillSurface(src, 4);
  for (int r : {46341, INT_MAX}) {
    SCOPED_TRACE(r);
    DDFillSurface(&BackBuffer, 6);
    DDBltCircle(&BackBuffer, 64, 32, INT_MAX, INT_MAX, r, 1, src, 64, 32, 1);
    for (int y : {0, 31, 63}) EXPECT_EQ(Span(y, kWhite), std::make_pair(0, 128)) << y;
    DDFillSurface(&BackBuffer, 6);
    DDBltCircle(&BackBuffer, 64, 32, INT_MAX, INT_MAX, r, 7, src, 64, 32, 1);
    for (int y : {0, 31, 63}) EXPECT_EQ(Span(y, kWhite), std::make_pair(0, 128)) << y;
  }
  DDBltCircle(&BackBuffer, INT_MIN, INT_MAX, INT_MIN, INT_MIN, INT_MAX, 1, src, INT_MAX, INT_MIN, 1);
  DDBltCircle(&BackBuffer, INT_MAX, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX, src, INT_MIN, INT_MAX, 1);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, BandEffectTest, ::testing::ValuesIn(kConfigs), ConfigName);

}  // namespace
}  // namespace drawtest
