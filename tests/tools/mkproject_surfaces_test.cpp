// Every entry of the surface descriptor table loads from the generated
// project through the drawing layer, in both back ends, at least as large as
// the regions the player's drawing code reads from it.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "library/draw/Draw.h"
#include "library/util/Log.h"
#include "library/util/Text.h"
#include "mkproject_support.h"
#include "platform/display/FrameHandOver.h"
#include "support/TempDir.h"

using namespace mkprojecttest;

namespace {

struct Extent {
  int width;
  int height;
  bool exact;
};

// The regions read from each sheet: cell grids of the sprite sheets (graphics
// down columns of 15 cells), the status bar's 640 x 20, the word graphic's
// digit row of 32 x 32 cells at y 160, the accessory graphic's world-map
// figure 128 wide and its gauges' fills down to y 176, the symbol letters of
// the 32-pixel font, 5 chips a row of the world map sheet, two icon columns of
// the world icons in the four rows the sample's worlds use, and full screens
// for the title, window and map back.
const std::map<std::string, Extent>& ExpectedExtents() {
  static const std::map<std::string, Extent> extents = {
      {"bmp\\plt\\Palette.bmp", {16, 24, true}},   {"bmp\\Debug.bmp", {128, 256, true}},
      {"bmp\\Block.bmp", {32, 480, false}},        {"bmp\\Shot.bmp", {128, 480, false}},
      {"bmp\\Item.bmp", {64, 480, false}},         {"bmp\\Item_Mini.bmp", {32, 240, false}},
      {"bmp\\Mark.bmp", {32, 480, false}},         {"bmp\\Window.bmp", {640, 480, false}},
      {"bmp\\StatusWindow.bmp", {640, 20, false}}, {"bmp\\Title.bmp", {640, 480, true}},
      {"bmp\\GameMode.bmp", {32, 7 * 32, false}},  {"bmp\\Accessory.bmp", {128, 176, false}},
      {"bmp\\Symbol.bmp", {26 * 32, 32, false}},   {"bmp\\Word.bmp", {320, 192, false}},
      {"bmp\\WorldMapChip.bmp", {160, 32, false}}, {"bmp\\WorldEvent.bmp", {64, 128, false}},
      {"bmp\\WorldBack.bmp", {640, 480, false}},
  };
  return extents;
}

Extent ExpectedExtent(const SURFACEDESCDATA& desc) {
  if (desc.szFileName == "E") return {desc.nWidth, desc.nHeight, true};
  // A character sheet: 15 graphics of 20 cells for each facing.
  if (desc.szFileName.rfind("bmp\\Character", 0) == 0) return {20 * 32, 15 * 32, true};
  // The background layers are tiled: any size will do.
  if (desc.szFileName.find(".bmp") != std::string::npos && desc.szFileName.rfind("bmp\\", 0) != 0) return {1, 1, false};
  auto found = ExpectedExtents().find(desc.szFileName);
  return found != ExpectedExtents().end() ? found->second : Extent{-1, -1, true};
}

struct Config {
  const char* name;
  int direct3D;
  int bpp;
};

class MkProjectSurfaces : public ::testing::TestWithParam<Config> {
 protected:
  void SetUp() override {
    m_previous = fs::current_path();
    fs::current_path(SampleProject());
    ASSERT_EQ(ReportInit((m_log.Path() / "Report_Game.txt").string()), 1);
    platform::display::FrameHandOver::Instance().ResetForTesting();
    ASSERT_TRUE(DDInit(GetParam().direct3D, nullptr, 640, 480, GetParam().bpp, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
    ASSERT_TRUE(DDLoadPaletteFromFile(ColorPalette, SurfaceDesc[0].szFileName));
    std::copy(std::begin(ColorPalette), std::end(ColorPalette), DispColorPalette);
    ASSERT_EQ(DDSetTransmit(SurfaceDesc[0].szFileName), 1);
  }
  void TearDown() override {
    for (auto& sd : m_user) DDReleaseSurface(&sd);
    lpSurfaceDesc = nullptr;
    nUserSD = 0;
    DDUnInit();
    fs::current_path(m_previous);
  }

  testsupport::TempDir m_log;
  DDSURFACEDATA m_user[71];

 private:
  fs::path m_previous;
};

TEST_P(MkProjectSurfaces, EveryDescriptorEntryLoadsWithItsSize) {
  // The palette comes from the bitmap's swatch and the transmit colour from
  // its top-left pixel: colour 0, magenta.
  EXPECT_EQ(ColorPalette[0].peRed, GetParam().bpp == 16 ? 31 : 255);
  EXPECT_EQ(ColorPalette[0].peGreen, 0);
  EXPECT_EQ(ColorPalette[0].peBlue, GetParam().bpp == 16 ? 31 : 255);
  EXPECT_EQ(ColorPalette[241].peGreen, GetParam().bpp == 16 ? 63 : 255);  // the fonts' white
  EXPECT_EQ(PalNumToRGB(0), dwTransmit);

  LinkUserSurfaces(m_user);
  lpSurfaceDesc = SurfaceDesc;
  nUserSD = 71;
  for (int i = 0; i < 71; ++i) {
    const SURFACEDESCDATA& desc = SurfaceDesc[i];
    SCOPED_TRACE(std::to_string(i) + " " + desc.szFileName);
    // Each on its own, so that an optional entry cannot fail unseen.
    ASSERT_TRUE(DDLoadSurfaces(m_user, &i, 1));
    const DDSURFACEDATA& sd = m_user[i];
    ASSERT_TRUE(sd.lpDT || sd.lpDDS) << "not loaded";
    const Extent expected = ExpectedExtent(desc);
    ASSERT_GT(expected.width, 0) << "no expectation for this file";
    if (expected.exact) {
      EXPECT_EQ(sd.nWidth, expected.width);
      EXPECT_EQ(sd.nHeight, expected.height);
    } else {
      EXPECT_GE(sd.nWidth, expected.width);
      EXPECT_GE(sd.nHeight, expected.height);
    }
  }
}

const Config kConfigs[] = {{"D3D32", 1, 32}, {"DD8", 0, 8}, {"DD16", 0, 16}};

INSTANTIATE_TEST_SUITE_P(BackEnds, MkProjectSurfaces, ::testing::ValuesIn(kConfigs),
                         [](const ::testing::TestParamInfo<Config>& info) { return info.param.name; });

}  // namespace
