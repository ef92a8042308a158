#include <gtest/gtest.h>

#include <span>

#include "platform/display/Bitmap.h"
#include "support/BmpWriter.h"
#include "support/TempDir.h"

namespace {

using platform::display::Bitmap;
using platform::display::DecodeBitmap;

std::optional<Bitmap> Decode(const std::string& file, std::string* why = nullptr) {
  return DecodeBitmap(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()), why);
}

// 5 x 3 patterns: odd widths exercise row padding and partial bytes.
std::vector<std::uint32_t> Pattern(std::uint32_t modulo) {
  std::vector<std::uint32_t> p;
  for (std::uint32_t i = 0; i < 15; ++i) p.push_back((i * 7 + 3) % modulo);
  return p;
}

struct IndexedCase {
  const char* name;
  testbmp::Spec spec;
};

TEST(BitmapTest, PaletteBitmapsKeepTheirIndicesAndShortPalettes) {
  const std::vector<std::uint32_t> palette16 = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x112233, 0x445566,
                                                0x778899, 0xAABBCC, 0xDDEEFF, 0x102030, 0x405060, 0x708090,
                                                0xA0B0C0, 0xD0E0F0, 0x010203, 0x040506};
  IndexedCase cases[] = {
      {"1-bit", {5, 3, 1, false, false, {0xFF00FF, 0x00FF00}, Pattern(2)}},
      {"4-bit short palette", {5, 3, 4, false, false, {0xFF00FF, 1, 2, 3, 4, 5, 6, 7, 8, 9}, Pattern(10)}},
      {"8-bit short palette", {5, 3, 8, false, false, {0xFF00FF, 0x010101, 0x020202, 0x030303, 0x040404}, Pattern(5)}},
      {"8-bit top-down", {5, 3, 8, true, false, {0xFF00FF, 0x010101, 0x020202, 0x030303, 0x040404}, Pattern(5)}},
      {"RLE8",
       {5, 3, 8, false, false, {0xFF00FF, 0x010101, 0x020202}, {0, 0, 0, 1, 2, 1, 1, 1, 1, 1, 2, 0, 2, 0, 2}, true}},
      {"OS/2 4-bit", {5, 3, 4, false, true, palette16, Pattern(16)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto bitmap = Decode(testbmp::Write(c.spec));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->bitCount, c.spec.bitCount);
    ASSERT_EQ(bitmap->width, 5);
    ASSERT_EQ(bitmap->height, 3);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(bitmap->Index(i % 5, i / 5), c.spec.pixels[i]) << i;
    EXPECT_EQ(bitmap->Colour(0, 0), c.spec.palette[c.spec.pixels[0]]);
  }
}

TEST(BitmapTest, ColourBitmapsReadAsRgb) {
  const std::vector<std::uint32_t> colours = {0xFF00FF, 0x123456, 0xFFFFFF, 0x000000, 0x80FF10,
                                              0x0A0B0C, 0xF8F8F8, 0x081018, 0x102030, 0xC8C8C8,
                                              0x404040, 0x00FF00, 0xFF0000, 0x0000FF, 0x777777};
  for (int bits : {24, 32}) {
    for (bool topDown : {false, true}) {
      auto bitmap = Decode(testbmp::Write({5, 3, bits, topDown, false, {}, colours}));
      ASSERT_TRUE(bitmap) << bits;
      EXPECT_EQ(bitmap->bitCount, bits);
      for (int i = 0; i < 15; ++i) EXPECT_EQ(bitmap->Colour(i % 5, i / 5), colours[i]) << bits << " " << i;
    }
  }
  // 16 bits keep 5 bits a channel, which SDL widens as c * 255 / 31.
  auto bitmap = Decode(testbmp::Write({5, 3, 16, false, false, {}, colours}));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Colour(0, 0), 0xFF00FFu);
  EXPECT_EQ(bitmap->Colour(1, 0), 0x103152u);  // 0x123456 as 2, 6, 10 in five bits
  EXPECT_EQ(bitmap->Colour(2, 0), 0xFFFFFFu);
  EXPECT_EQ(bitmap->Colour(4, 1), 0xCDCDCDu);  // 0xC8 is 25 in five bits
}

TEST(BitmapTest, DamagedFilesFailWithAReason) {
  const std::string good = testbmp::Write({5, 3, 24, false, false, {}, Pattern(255)});
  std::string huge = good;
  huge[18] = '\x7F';  // width 0x7F05
  huge[21] = '\x40';
  std::string badDepth = good;
  badDepth[28] = 7;
  struct {
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"", "not a bitmap"},
      {"BZ" + good.substr(2), "not a bitmap"},
      {huge, "bad size"},
      {badDepth, "unsupported bit count"},
      {good.substr(0, 60), "damaged"},
  };
  for (const auto& c : cases) {
    std::string why;
    EXPECT_FALSE(Decode(c.bytes, &why));
    EXPECT_NE(why.find(c.reason), std::string::npos) << why;
  }
}

TEST(BitmapTest, FilesLoadThroughStoredPaths) {
  testsupport::TempDir dir(true);
  dir.Write("bmp/Sheet.bmp", testbmp::Write({5, 3, 24, false, false, {}, Pattern(255)}));
  auto bitmap = platform::display::LoadBitmapFile("BMP\\sheet.bmp");
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Colour(1, 0), 10u);
  std::string why;
  EXPECT_FALSE(platform::display::LoadBitmapFile("bmp\\Missing.bmp", &why));
  EXPECT_EQ(why, "cannot open the file");
}

}  // namespace
