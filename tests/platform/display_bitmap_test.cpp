#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_EQ(bitmap->palette.size(), c.spec.palette.size());
  }
}

TEST(BitmapTest, PixelsBeyondAShortColourTableLoadAsBlack) {
  const std::vector<std::uint32_t> palette = {0xFF00FF, 0x102030, 0x405060};
  IndexedCase cases[] = {
      {"8-bit", {5, 3, 8, false, false, palette, Pattern(7)}},
      {"8-bit top-down", {5, 3, 8, true, false, palette, Pattern(200)}},
      {"4-bit", {5, 3, 4, false, false, palette, Pattern(16)}},
      {"1-bit", {5, 3, 1, false, false, {0x102030}, Pattern(2)}},
      {"RLE8", {5, 3, 8, false, false, palette, Pattern(9), true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string why;
    auto bitmap = Decode(testbmp::Write(c.spec), &why);
    ASSERT_TRUE(bitmap) << why;
    EXPECT_EQ(bitmap->palette, c.spec.palette);
    for (int i = 0; i < 15; ++i) {
      const std::uint32_t index = c.spec.pixels[i];
      EXPECT_EQ(bitmap->Index(i % 5, i / 5), index) << i;
      EXPECT_EQ(bitmap->Colour(i % 5, i / 5), index < c.spec.palette.size() ? c.spec.palette[index] : 0u) << i;
    }
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
      {good.substr(0, 60), "cut short"},
  };
  for (const auto& c : cases) {
    std::string why;
    EXPECT_FALSE(Decode(c.bytes, &why));
    EXPECT_NE(why.find(c.reason), std::string::npos) << why;
  }
}

// Tracks the largest single allocation SDL is asked for.
struct SdlAllocations {
  static inline SDL_malloc_func malloc = nullptr;
  static inline SDL_calloc_func calloc = nullptr;
  static inline SDL_realloc_func realloc = nullptr;
  static inline SDL_free_func free = nullptr;
  static inline std::size_t largest = 0;

  SdlAllocations() {
    SDL_GetMemoryFunctions(&malloc, &calloc, &realloc, &free);
    SDL_SetMemoryFunctions([](std::size_t n) { return malloc(Note(n)); },
                           [](std::size_t n, std::size_t size) {
                             Note(n * size);
                             return calloc(n, size);
                           },
                           [](void* p, std::size_t n) { return realloc(p, Note(n)); }, free);
  }
  ~SdlAllocations() { SDL_SetMemoryFunctions(malloc, calloc, realloc, free); }
  static std::size_t Note(std::size_t n) {
    largest = std::max(largest, n);
    return n;
  }
};

TEST(BitmapTest, AShortFileIsRefusedBeforeThePictureItClaimsIsAllocated) {
  // 4096 x 4096 32-bit headers, bottom-up and top-down, over a few bytes of pixels.
  auto claimSize = [](std::string file, std::int32_t height) {
    for (int i = 0; i < 4; ++i) {
      file[18 + i] = static_cast<char>(4096 >> (8 * i));
      file[22 + i] = static_cast<char>(static_cast<std::uint32_t>(height) >> (8 * i));
    }
    return file;
  };
  const std::string files[] = {claimSize(testbmp::Write({5, 3, 32, false, false, {}, Pattern(255)}), 4096),
                               claimSize(testbmp::Write({5, 3, 32, true, false, {}, Pattern(255)}), -4096)};
  std::string rle = claimSize(testbmp::Write({5, 3, 8, false, false, {0xFF00FF, 1}, Pattern(2), true}), 4096);
  SdlAllocations allocations;
  for (const std::string& file : files) {
    std::string why;
    EXPECT_FALSE(Decode(file, &why));
    EXPECT_NE(why.find("cut short"), std::string::npos) << why;
  }
  EXPECT_LT(SdlAllocations::largest, 1u << 20);
  // Run-length data may stand for a picture of any size, so its picture is
  // made (which also shows that the allocations are seen).
  EXPECT_TRUE(Decode(rle));
  EXPECT_GE(SdlAllocations::largest, 4096u * 4096);
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
