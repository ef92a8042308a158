#pragma once
// A drawing layer started in one configuration on a small palette and
// sprite sheet written by the test, with helpers to read the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/draw/Draw.h"
#include "library/util/Log.h"
#include "platform/display/FrameHandOver.h"
#include "support/BmpWriter.h"
#include "support/TempDir.h"

namespace drawtest {

struct Config {
  const char* name;
  int direct3D;
  int bpp;
};

inline const Config kConfigs[] = {{"D3D16", 1, 16}, {"D3D32", 1, 32}, {"DD8", 0, 8}, {"DD16", 0, 16}, {"DD32", 0, 32}};

inline std::string ConfigName(const ::testing::TestParamInfo<Config>& info) { return info.param.name; }

// Palette: 0 magenta (the transmit colour), 1 red, 2 green, 3 blue, 4 white,
// 5 yellow, 6 black, the rest cyan. Channels are 0 or 255 so every depth
// shows them exactly.
constexpr std::uint32_t kMagenta = 0xFF00FF, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF,
                        kYellow = 0xFFFF00, kBlack = 0x000000, kCyan = 0x00FFFF;

inline std::vector<std::uint32_t> PaletteColours() {
  std::vector<std::uint32_t> p(256, kCyan);
  const std::uint32_t first[] = {kMagenta, kRed, kGreen, kBlue, kWhite, kYellow, kBlack};
  std::copy(std::begin(first), std::end(first), p.begin());
  return p;
}

// The palette bitmap: 16 x 24, rows 8..23 the swatch of entries 0..255.
inline std::string PaletteBitmap() {
  testbmp::Spec spec{16, 24, 8, false, false, PaletteColours(), std::vector<std::uint32_t>(16 * 24, 0)};
  for (int i = 0; i < 256; ++i)
    spec.pixels[static_cast<std::size_t>(8 + i / 16) * 16 + i % 16] = static_cast<std::uint32_t>(i);
  return testbmp::Write(spec);
}

// The sheet: 4 x 2 cells of red, transmit, green, blue / transmit, white, black, transmit.
inline const std::vector<std::uint32_t> kSheetIndices = {1, 0, 2, 3, 0, 4, 6, 0};
inline std::string Sheet8() { return testbmp::Write({4, 2, 8, false, false, PaletteColours(), kSheetIndices}); }
inline std::string Sheet24() {
  std::vector<std::uint32_t> colours;
  for (auto i : kSheetIndices) colours.push_back(PaletteColours()[i]);
  return testbmp::Write({4, 2, 24, false, false, {}, colours});
}

class DrawTest : public ::testing::TestWithParam<Config> {
 protected:
  testsupport::TempDir dir{true};
  // The screen's size; a fixture may set a larger one in its constructor.
  int screenW = 64, screenH = 48;

  void SetUp() override {
    ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
    dir.Write("bmp/plt/Palette.bmp", PaletteBitmap());
    dir.Write("bmp/Sheet8.bmp", Sheet8());
    dir.Write("bmp/Sheet24.bmp", Sheet24());
    platform::display::FrameHandOver::Instance().ResetForTesting();
    const Config& c = GetParam();
    ASSERT_TRUE(DDInit(c.direct3D, nullptr, screenW, screenH, c.bpp, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
    ASSERT_TRUE(DDLoadPaletteFromFile(ColorPalette, "bmp\\plt\\Palette.bmp"));
    std::copy(std::begin(ColorPalette), std::end(ColorPalette), DispColorPalette);
    ASSERT_EQ(DDSetTransmit("bmp\\plt\\Palette.bmp"), 1);
  }
  void TearDown() override {
    for (auto& sd : surfaces) DDReleaseSurface(&sd);
    DDUnInit();
  }

  bool D3D() const { return GetParam().direct3D != 0; }

  // The screen as it would be shown now.
  std::vector<std::uint32_t> Screen() const {
    DDSURFACEDATA* target = &BackBuffer;
    DDRedirectBackBuffer(&target);
    cSurfaceLock lock(target);
    if (!lock.Pixels()) return std::vector<std::uint32_t>(static_cast<std::size_t>(screenW) * screenH, 0xDEAD);
    std::span<const PALETTEENTRY> palette;
    if (lpDDPalette && nBpp == 8) palette = lpDDPalette->Entries();
    auto all = platform::display::ToXrgb(*lock.Pixels(), palette);
    return all;
  }
  std::uint32_t At(int x, int y) const { return Screen()[static_cast<std::size_t>(y) * screenW + x]; }
  std::vector<std::uint32_t> Row(int y, int x0, int count) const {
    auto s = Screen();
    return {s.begin() + y * screenW + x0, s.begin() + y * screenW + x0 + count};
  }

  DDSURFACEDATA* Load(const char* file, int transmit) {
    surfaces.emplace_back();
    EXPECT_EQ(DDCreateSurfaceFromFile(&surfaces.back(), file, transmit, nBpp, 0, 0, 0, 0, 0, 0, 0), 0);
    return &surfaces.back();
  }
  DDSURFACEDATA* Blank(int w, int h, int transmit) {
    surfaces.emplace_back();
    EXPECT_TRUE(DDCreateSurface(&surfaces.back(), w, h, transmit, 0, 0, 0, 0));
    return &surfaces.back();
  }

  std::list<DDSURFACEDATA> surfaces;
};

}  // namespace drawtest
