#include "draw_fixture.h"

namespace drawtest {
namespace {

using Pixels = std::vector<std::uint32_t>;

// Sheets of every variant real projects hold, all showing red, transmit,
// green, blue / transmit, white, black, transmit, keyed onto yellow.
class BitmapVariantTest : public DrawTest {};

TEST_P(BitmapVariantTest, EveryVariantLoadsWithItsPixelsAndTransmitColour) {
  const auto palette = PaletteColours();
  std::vector<std::uint32_t> colours;
  for (auto i : kSheetIndices) colours.push_back(palette[i]);
  const std::vector<std::uint32_t> shortPalette(palette.begin(), palette.begin() + 7);
  const std::vector<std::uint32_t> sixteen(palette.begin(), palette.begin() + 16);
  struct Variant {
    const char* name;
    testbmp::Spec spec;
    Pixels expected;
  } variants[] = {
      {"1-bit",
       {4, 2, 1, false, false, {kMagenta, kRed}, {1, 0, 1, 1, 0, 1, 1, 0}},
       {kRed, kYellow, kRed, kRed, kYellow, kRed, kRed, kYellow}},
      {"4-bit short palette", {4, 2, 4, false, false, shortPalette, kSheetIndices}, {}},
      {"8-bit RLE", {4, 2, 8, false, false, shortPalette, kSheetIndices, true}, {}},
      {"8-bit top-down", {4, 2, 8, true, false, palette, kSheetIndices}, {}},
      {"4-bit OS/2", {4, 2, 4, false, true, sixteen, kSheetIndices}, {}},
      {"16-bit", {4, 2, 16, false, false, {}, colours}, {}},
      {"24-bit padded", {4, 2, 24, false, false, {}, colours}, {}},
      {"32-bit", {4, 2, 32, false, false, {}, colours}, {}},
  };
  const Pixels sheet{kRed, kYellow, kGreen, kBlue, kYellow, kWhite, kBlack, kYellow};
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    dir.Write("bmp/Variant.bmp", testbmp::Write(v.spec));
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\Variant.bmp", 1, nBpp, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(sd.nWidth, 4);
    DDFillSurface(&BackBuffer, 5);
    DDBlt(&BackBuffer, 0, 0, 4, 2, &sd, 0, 0, 1);
    Pixels shown = Row(0, 0, 4);
    const Pixels second = Row(1, 0, 4);
    shown.insert(shown.end(), second.begin(), second.end());
    EXPECT_EQ(shown, v.expected.empty() ? sheet : v.expected);
    DDReleaseSurface(&sd);
  }
}

INSTANTIATE_TEST_SUITE_P(Configurations, BitmapVariantTest, ::testing::ValuesIn(kConfigs), ConfigName);

}  // namespace
}  // namespace drawtest
