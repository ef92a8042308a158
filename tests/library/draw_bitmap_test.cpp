#include "draw_fixture.h"
#include "library/draw/DrawInternal.h"

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

// A 3 x 2 sheet (odd width) of the transmit colour, two colours and black,
// as a palette bitmap (with a short palette) and as a 24-bit one, converted into textures of each format larger and
// smaller than the sheet. Texels worked out by hand from the format's bit layout.
TEST(TextureFillTest, EverySourceKindFillsEveryFormatKeyedAndCut) {
  using platform::display::PixelBuffer;
  using platform::display::PixelFormat;
  constexpr std::uint32_t kColourA = 0x123456, kColourB = 0xF8FC08, kKey = 0xFF000000u | kMagenta;
  const std::vector<std::uint32_t> indices = {0, 1, 2, 3, 1, 0};
  const std::vector<std::uint32_t> colours = {kMagenta, kColourA, kColourB, kBlack, kColourA, kMagenta};
  const std::string sources[] = {
      testbmp::Write({3, 2, 8, false, false, {kMagenta, kColourA, kColourB, kBlack}, indices}),
      testbmp::Write({3, 2, 24, false, false, {}, colours})};
  struct Texels {
    PixelFormat format;
    std::uint32_t magenta, a, b, black, sentinel;
  } formats[] = {
      {PixelFormat::A8R8G8B8, 0xFFFF00FF, 0xFF123456, 0xFFF8FC08, 0xFF000000, 0xA5A5A5A5},
      {PixelFormat::X8R8G8B8, 0xFF00FF, 0x123456, 0xF8FC08, 0, 0xA5A5A5A5},
      {PixelFormat::R8G8B8, 0xFF00FF, 0x123456, 0xF8FC08, 0, 0xA5A5A5},
      // 0x12, 0x34, 0x56 keep their top bits: 2, 6, 10 in five bits (13 in six for green).
      {PixelFormat::A1R5G5B5, 0xFC1F, 0x88CA, 0xFFE1, 0x8000, 0xA5A5},
      {PixelFormat::R5G6B5, 0xF81F, 0x11AA, 0xFFE1, 0, 0xA5A5},
      {PixelFormat::Index8, 0xFF, 0x56, 0x08, 0, 0xA5},
  };
  for (const std::string& file : sources) {
    const auto bitmap =
        platform::display::DecodeBitmap(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()));
    ASSERT_TRUE(bitmap);
    for (const Texels& t : formats) {
      SCOPED_TRACE(testing::Message() << "bits " << bitmap->bitCount << " format " << static_cast<int>(t.format));
      for (const DWORD key : {kKey, 0u}) {
        const std::uint32_t m = key ? 0 : t.magenta, s = t.sentinel;
        // Wider and taller than the sheet: the rest keeps what it held.
        PixelBuffer large(t.format, 5, 3);
        large.Fill(0, 0, 5, 3, s);
        FillTextureFromBitmap(large, *bitmap, key);
        const std::vector<std::uint32_t> expectLarge = {m,       t.a, t.b, s, s,  //
                                                        t.black, t.a, m,   s, s,  //
                                                        s,       s,   s,   s, s};
        std::vector<std::uint32_t> got;
        for (int i = 0; i < 15; ++i) got.push_back(large.Get(i % 5, i / 5));
        EXPECT_EQ(got, expectLarge) << "key " << key;
        // Narrower, then shorter: the sheet is cut, the rest still kept.
        PixelBuffer narrow(t.format, 2, 3), shallow(t.format, 5, 1);
        narrow.Fill(0, 0, 2, 3, s);
        shallow.Fill(0, 0, 5, 1, s);
        FillTextureFromBitmap(narrow, *bitmap, key);
        FillTextureFromBitmap(shallow, *bitmap, key);
        got.clear();
        for (int i = 0; i < 6; ++i) got.push_back(narrow.Get(i % 2, i / 2));
        EXPECT_EQ(got, (std::vector<std::uint32_t>{m, t.a, t.black, t.a, s, s})) << "key " << key;
        got.clear();
        for (int x = 0; x < 5; ++x) got.push_back(shallow.Get(x, 0));
        EXPECT_EQ(got, (std::vector<std::uint32_t>{m, t.a, t.b, s, s})) << "key " << key;
      }
    }
  }
  // A black key hides black and leaves the rest.
  const auto sheet = platform::display::DecodeBitmap(
      std::span(reinterpret_cast<const std::uint8_t*>(sources[0].data()), sources[0].size()));
  PixelBuffer texture(PixelFormat::A8R8G8B8, 3, 2);
  FillTextureFromBitmap(texture, *sheet, 0xFF000000u);
  EXPECT_EQ(texture.Get(0, 1), 0u);
  EXPECT_EQ(texture.Get(0, 0), 0xFFFF00FFu);
}

}  // namespace
}  // namespace drawtest
