// Colour effect blits on every back end, with expected pixels worked out
// from the tint levels, the halving rules and the blend weights: the
// software paths (DirectDraw, and Direct3D reading a system-memory texture)
// and the Direct3D quad path (a render-target source).
#include "draw_fixture.h"
#include "platform/display/Device.h"

namespace drawtest {
namespace {

// The blend table of these tests: entry [a * 256 + b] is a + 1, so that n
// lookups from index a give a + n.
const HBTTABLE& StepTable() {
  static const HBTTABLE table = [] {
    HBTTABLE t{};
    for (int a = 0; a < 256; ++a)
      for (int b = 0; b < 256; ++b) t[static_cast<size_t>(a * 256 + b)] = static_cast<BYTE>(a + 1);
    return t;
  }();
  return table;
}

class ColourEffectTest : public DrawTest {
 protected:
  // A w x h source filled with palette colour `fill`; under Direct3D a
  // system-memory texture (software path) or a render target (quad path).
  DDSURFACEDATA* Source(DWORD fill, bool quadPath = false, int w = 4, int h = 4) {
    surfaces.emplace_back();
    EXPECT_TRUE(DDCreateSurface(&surfaces.back(), w, h, 1, quadPath ? 0 : 1,
                                quadPath ? DTMEMORYTYPE_VIDEO_RT : DTMEMORYTYPE_SYSTEM, 0, 0));
    DDFillSurface(&surfaces.back(), fill);
    return &surfaces.back();
  }
  // The raw pixel; 32-bit pixels without their fourth byte.
  static DWORD Raw(DDSURFACEDATA* sd, int x, int y) {
    DDRedirectBackBuffer(&sd);
    cSurfaceLock lock(sd);
    const DWORD pixel = lock.Pixels()->Get(x, y);
    return nBpp == 32 ? pixel & 0xFFFFFF : pixel;
  }
  // Raw pixels of the mode from channels in the mode's own range: 5-bit
  // channels with the alpha bit for Direct3D 16-bit textures and the
  // windowed back buffer, 5-6-5 for DirectDraw, bytes for 32 bits.
  DWORD Pixel(int r, int g, int b) const {
    if (nBpp == 16 && D3D()) return 0x8000u | r << 10 | g << 5 | b;
    if (nBpp == 16) return static_cast<DWORD>(r << 11 | g << 5 | b);
    return static_cast<DWORD>(r << 16 | g << 8 | b);
  }
  // A byte channel as the DirectDraw 16-bit packing stores it.
  static int Pack(int c8, int mask) { return c8 * mask / 255; }
};

TEST_P(ColourEffectTest, TintLevelsOneToFourOnTheSoftwarePaths) {
  // Black toward white (palette 4).
  DDSURFACEDATA* src = Source(6);
  for (int level = 1; level <= 4; ++level) {
    SCOPED_TRACE(level);
    DDFillSurface(&BackBuffer, 3);
    ASSERT_TRUE(DDBltTint(&BackBuffer, 2, 2, 2, 2, src, 0, 0, 1, ColorPalette, StepTable(), 4, level));
    DWORD expected = 0;
    if (D3D()) {
      // Level 1 halves the sum; the others take the integer part of
      // source * f + colour * (1 - f) in single precision, f = 64, 32, 16 over 255.
      const int weights[] = {128, 64, 32, 16};
      const float f = static_cast<float>(weights[level - 1]) / 255.0f;
      auto mix = [&](int colour) { return level == 1 ? colour >> 1 : static_cast<int>(colour * (1 - f)); };
      expected = nBpp == 16 ? Pixel(mix(31), mix(31), mix(31)) : Pixel(mix(255), mix(255), mix(255));
      const int singlePrecision[] = {127, 191, 223, 239};
      if (nBpp == 32) {
        EXPECT_EQ(mix(255), singlePrecision[level - 1]);
      }
    } else if (nBpp == 8) {
      expected = static_cast<DWORD>(6 + level);  // `level` lookups in the step table
    } else {
      const int halved[] = {127, 191, 223, 239};  // 0 halfway toward 255, `level` times
      const int c = halved[level - 1];
      expected = nBpp == 16 ? Pixel(Pack(c, 31), Pack(c, 63), Pack(c, 31)) : Pixel(c, c, c);
    }
    EXPECT_EQ(Raw(&BackBuffer, 3, 3), expected);
    EXPECT_EQ(At(1, 1), kBlue);  // outside the rectangle
  }
}

TEST_P(ColourEffectTest, TintLevelZeroDrawsNothingAndANegativeLevelDiffersByBackEnd) {
  DDSURFACEDATA* src = Source(6);
  // One pixel of raw green 1: 16-bit DirectDraw's widen and narrow lowers it to 0.
  DDFillRectColor(src, 0, 0, 1, 1, nBpp == 16 && !D3D() ? 1u << 5 : PalNumToRGB(2));
  DDFillSurface(&BackBuffer, 3);
  const DWORD blue = Raw(&BackBuffer, 0, 0);
  EXPECT_TRUE(DDBltTint(&BackBuffer, 0, 0, 4, 4, src, 0, 0, 1, ColorPalette, StepTable(), 4, 0));
  EXPECT_EQ(Raw(&BackBuffer, 1, 1), blue);
  EXPECT_TRUE(DDBltTint(&BackBuffer, 0, 0, 4, 4, src, 0, 0, 1, ColorPalette, StepTable(), 4, -1));
  if (D3D()) {
    EXPECT_EQ(Raw(&BackBuffer, 1, 1), blue);
  } else {
    EXPECT_EQ(At(1, 1), kBlack);  // the source, untinted
    if (nBpp == 16) {
      EXPECT_EQ(Raw(&BackBuffer, 0, 0), 0u);
    }
  }
}

TEST_P(ColourEffectTest, TintOnTheQuadPathBlendsByTheTextureFactor) {
  if (!D3D()) GTEST_SKIP() << "Direct3D only";
  DDSURFACEDATA* src = Source(6, true);
  DDFillRect(src, 0, 0, 1, 1, 0);  // one keyed texel
  struct Case {
    int level;
    int channel;  // of white over black: 255 * (255 - k) / 255 rounded by the device
  };
  // k = 128, 80, 48, 16 for levels 1..4, 0 above: (255 * (255 - k) + 127) / 255.
  for (const Case c : {Case{1, 127}, Case{2, 175}, Case{4, 239}, Case{5, 255}}) {
    SCOPED_TRACE(c.level);
    DDFillSurface(&BackBuffer, 3);
    DDBltTint(&BackBuffer, 0, 0, 4, 4, src, 0, 0, 1, ColorPalette, StepTable(), 4, c.level);
    const int v = nBpp == 16 ? c.channel >> 3 : c.channel;
    EXPECT_EQ(Raw(&BackBuffer, 1, 1), Pixel(v, v, v));
    EXPECT_EQ(At(0, 0), kBlue);  // the texture's alpha: the keyed texel stays out
  }
  DDFillSurface(&BackBuffer, 3);
  DDBltTint(&BackBuffer, 0, 0, 4, 4, src, 0, 0, 1, ColorPalette, StepTable(), 4, 0);
  EXPECT_EQ(At(1, 1), kBlue);
}

TEST_P(ColourEffectTest, SoftwareAlphaIsAlwaysTheHalfBlend) {
  // Red over blue, whatever the transparency.
  DDSURFACEDATA* src = Source(1);
  for (int alpha : {0, 128, 255}) {
    SCOPED_TRACE(alpha);
    DDFillSurface(&BackBuffer, 3);
    ASSERT_TRUE(DDBltAlpha(&BackBuffer, 0, 0, 2, 2, src, 0, 0, 1, StepTable(), alpha));
    DWORD expected;
    if (nBpp == 8)
      expected = StepTable()[3 * 256 + 1];  // the table's mix of target 3 and source 1
    else if (nBpp == 16 && !D3D())
      expected = Pixel(Pack(127, 31), 0, Pack(127, 31));  // (255 + 0) >> 1 widened, packed back
    else
      expected = nBpp == 16 ? Pixel(15, 0, 15) : Pixel(127, 0, 127);
    EXPECT_EQ(Raw(&BackBuffer, 1, 1), expected);
  }
}

TEST_P(ColourEffectTest, HalfBlendOntoAnEmptyTargetTakesTheSource) {
  if (D3D()) GTEST_SKIP() << "DirectDraw's empty target: index 0 or the transmit colour";
  DDSURFACEDATA* src = Source(1);
  DDFillSurface(&BackBuffer, 0);
  ASSERT_TRUE(DDBltHalf(&BackBuffer, 0, 0, 2, 2, src, 0, 0, 1, StepTable()));
  EXPECT_EQ(At(1, 1), kRed);
  // 8-bit: a keyed source index 0 is skipped, and taken without the key.
  if (nBpp == 8) {
    DDSURFACEDATA* key = Source(0);
    DDFillSurface(&BackBuffer, 3);
    DDBltHalf(&BackBuffer, 0, 0, 2, 2, key, 0, 0, 1, StepTable());
    EXPECT_EQ(Raw(&BackBuffer, 0, 0), 3u);
    DDBltHalf(&BackBuffer, 0, 0, 2, 2, key, 0, 0, 0, StepTable());
    EXPECT_EQ(Raw(&BackBuffer, 0, 0), 4u);
  }
}

TEST_P(ColourEffectTest, QuadPathAlphaScalesTheSourcesOpacity) {
  if (!D3D()) GTEST_SKIP() << "Direct3D only";
  DDSURFACEDATA* src = Source(1, true);
  struct Case {
    int alpha, red, blue;
  };
  // Opacity 255 - a: red (255 (255 - a) + 127) / 255, blue (255 a + 127) / 255.
  for (const Case c : {Case{0, 255, 0}, Case{128, 127, 128}, Case{255, 0, 255}}) {
    SCOPED_TRACE(c.alpha);
    DDFillSurface(&BackBuffer, 3);
    DDBltAlpha(&BackBuffer, 0, 0, 2, 2, src, 0, 0, 1, StepTable(), c.alpha);
    EXPECT_EQ(Raw(&BackBuffer, 1, 1), nBpp == 16 ? Pixel(c.red >> 3, 0, c.blue >> 3) : Pixel(c.red, 0, c.blue));
  }
}

TEST_P(ColourEffectTest, ColourFilterModulatesTheWholeTargetUnderDirect3DOnly) {
  DDFillSurface(&BackBuffer, 4);
  EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 64, 48, 0, 255, 0, 0), 1);
  if (!D3D()) {
    EXPECT_EQ(At(5, 5), kWhite);
    return;
  }
  EXPECT_EQ(At(5, 5), kRed);
  EXPECT_EQ(At(63, 47), kRed);
  // Half strength over itself: red stays, green (0 * 127 + 255 * 128 + 127) / 255 = 128.
  DDFillSurface(&BackBuffer, 4);
  DDChangeColor(&BackBuffer, 0, 0, 64, 48, 128, 255, 0, 0);
  EXPECT_EQ(Raw(&BackBuffer, 5, 5), nBpp == 16 ? Pixel(31, 128 >> 3, 128 >> 3) : 0x00FF8080u);
}

TEST_P(ColourEffectTest, BlendTableLoadFillsWhatTheFileHolds) {
  HBTTABLE table{};
  table[5] = 9;
  dir.Write("short.dat", std::string("\x01\x02\x03", 3));
  EXPECT_EQ(DDLoadHbtTable(table, "missing.dat"), D3D());
  EXPECT_TRUE(DDLoadHbtTable(table, "short.dat"));
  const BYTE expected[] = {1, 2, 3, 0, 0, 9};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(table[static_cast<size_t>(i)], D3D() && i < 3 ? 0 : expected[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(BackEnds, ColourEffectTest, ::testing::ValuesIn(kConfigs), ConfigName);

}  // namespace
}  // namespace drawtest
