#pragma once
// The drawing layer started in one configuration (with the drawing tests'
// palette, whose colours show exactly at every depth) and the fonts' surfaces:
// a window sheet and a symbol sheet whose cells have distinct colours.
#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "library/draw/Draw.h"
#include "library/draw_fixture.h"
#include "library/text/Font.h"
#include "library/text_fake_glyphs.h"
#include "library/util/Log.h"
#include "platform/display/FrameHandOver.h"
#include "support/TempDir.h"

namespace texttest {

using drawtest::Config;
using drawtest::ConfigName;
using drawtest::kBlack, drawtest::kBlue, drawtest::kGreen, drawtest::kRed, drawtest::kWhite, drawtest::kYellow;
using drawtest::kConfigs;

// Palette numbers of the drawing tests' palette.
constexpr int kRedNo = 1, kBlueNo = 3, kTextNo = 4, kBorderNo = 5, kBlackNo = 6;
constexpr int kScreenW = 320, kScreenH = 240;

class FontTest : public ::testing::TestWithParam<Config> {
 protected:
  int screenW = kScreenW;
  int screenH = kScreenH;
  testsupport::TempDir dir{true};
  FakeGlyphSource fakeGlyphs;
  DDSURFACEDATA windowSheet;
  DDSURFACEDATA symbolSheet;

  void SetUp() override {
    ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
    dir.Write("bmp/plt/Palette.bmp", drawtest::PaletteBitmap());
    platform::display::FrameHandOver::Instance().ResetForTesting();
    const Config& c = GetParam();
    ASSERT_TRUE(DDInit(c.direct3D, nullptr, screenW, screenH, c.bpp, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
    ASSERT_TRUE(DDLoadPaletteFromFile(ColorPalette, "bmp\\plt\\Palette.bmp"));
    std::copy(std::begin(ColorPalette), std::end(ColorPalette), DispColorPalette);
    if (lpDDPalette) lpDDPalette->SetEntries(0, 256, DispColorPalette);
    ASSERT_EQ(DDSetTransmit("bmp\\plt\\Palette.bmp"), 1);
    SetFontGlyphSource(&fakeGlyphs);
    ASSERT_TRUE(DDCreateSurface(&windowSheet, screenW, screenH, 0, 0, 0, 0, 0));
    DDFillRect(&windowSheet, 0, 0, screenW, screenH, kBlueNo);
    // Symbol cells a, b, c, ... are red, green, blue, red, ...
    ASSERT_TRUE(DDCreateSurface(&symbolSheet, 26 * 16, 16, 1, 0, 0, 0, 0));
    for (int k = 0; k < 26; ++k) DDFillRect(&symbolSheet, k * 16, 0, 16, 16, kRedNo + k % 3);
    ClearScreen();
  }
  void TearDown() override {
    for (Font& font : fonts) font.Release();
    ReleaseDigitSurfaces(DigitSD, FONT_COUNT);
    DDReleaseSurface(&windowSheet);
    DDReleaseSurface(&symbolSheet);
    SetFontGlyphSource(nullptr);
    DDUnInit();
  }

  bool D3D() const { return GetParam().direct3D != 0; }

  Font& MakeFont(int height, int pitch, int fast, bool symbols = false) {
    Font& font = fonts.emplace_back();
    EXPECT_EQ(font.Create("", 0, height, pitch, pitch, kTextNo, &windowSheet, 1, kBorderNo,
                          symbols ? &symbolSheet : nullptr, fast),
              1);
    return font;
  }

  void ClearScreen() { DDFillRect(&BackBuffer, 0, 0, screenW, screenH, kBlackNo); }

  // The pixels of a surface as 0xRRGGBB, row by row (the back buffer as it would be shown).
  static std::vector<std::uint32_t> Pixels(DDSURFACEDATA* sd) {
    if (sd == &BackBuffer) DDRedirectBackBuffer(&sd);
    cSurfaceLock lock(sd);
    std::span<const PALETTEENTRY> palette;
    if (lpDDPalette && nBpp == 8) palette = lpDDPalette->Entries();
    return platform::display::ToXrgb(*lock.Pixels(), palette);
  }
  std::vector<std::uint32_t> Screen() const { return Pixels(&BackBuffer); }
  std::uint32_t At(int x, int y) const { return PixelAt(Screen(), x, y); }
  // One pixel of a screen read before, so that many checks read the screen once.
  std::uint32_t PixelAt(const std::vector<std::uint32_t>& screen, int x, int y) const {
    return screen[static_cast<std::size_t>(y) * screenW + x];
  }

  std::list<Font> fonts;
};

}  // namespace texttest
