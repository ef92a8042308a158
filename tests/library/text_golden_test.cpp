// Real Japanese and English text in the default font, one image per back end,
// compared with a small tolerance (FreeType versions differ in the last bit of
// a smoothed edge). ZANDREL_UPDATE_GOLDEN=1 writes the images instead.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "library/text_font_fixture.h"
#include "library/util/Text.h"

namespace texttest {
namespace {

constexpr int kGoldenW = 320, kGoldenH = 80;

std::filesystem::path GoldenPath(const char* config) {
  return std::filesystem::path(TEXT_GOLDEN_DIR) / (std::string("text_") + config + ".bmp");
}

void WriteBmp(const std::filesystem::path& path, const std::vector<std::uint32_t>& xrgb) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kGoldenW, kGoldenH, 24, SDL_PIXELFORMAT_RGB24);
  ASSERT_TRUE(surface);
  for (int y = 0; y < kGoldenH; ++y) {
    auto* row = static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch;
    for (int x = 0; x < kGoldenW; ++x) {
      std::uint32_t c = xrgb[static_cast<size_t>(y) * kGoldenW + x];
      row[x * 3] = static_cast<std::uint8_t>(c >> 16);
      row[x * 3 + 1] = static_cast<std::uint8_t>(c >> 8);
      row[x * 3 + 2] = static_cast<std::uint8_t>(c);
    }
  }
  std::filesystem::create_directories(path.parent_path());
  EXPECT_EQ(SDL_SaveBMP(surface, path.c_str()), 0);
  SDL_FreeSurface(surface);
}

std::vector<std::uint32_t> ReadBmp(const std::filesystem::path& path) {
  SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
  if (!loaded) return {};
  SDL_Surface* surface = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0);
  SDL_FreeSurface(loaded);
  std::vector<std::uint32_t> xrgb;
  if (surface && surface->w == kGoldenW && surface->h == kGoldenH) {
    for (int y = 0; y < kGoldenH; ++y) {
      auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(surface->pixels) +
                                                         y * surface->pitch);
      for (int x = 0; x < kGoldenW; ++x) xrgb.push_back(row[x] & 0xFFFFFF);
    }
  }
  SDL_FreeSurface(surface);
  return xrgb;
}

int ChannelDifference(std::uint32_t a, std::uint32_t b) {
  int most = 0;
  for (int shift : {0, 8, 16}) most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  return most;
}

class FontGolden : public FontTest {};

TEST_P(FontGolden, JapaneseAndEnglishInTheDefaultFont) {
  SetFontGlyphSource(nullptr);
  Font& small = MakeFont(9, 10, 0);
  Font& fast = MakeFont(16, 16, 1);
  Font& large = MakeFont(30, 32, 0);
  small.Print(&BackBuffer, 4, 2, Sjis("Score 0123456789 スコア：ハイスコア"));
  fast.Print(&BackBuffer, 4, 14, Sjis("ゲームオーバー！ Ranking 漢字"));
  fast.Print(&BackBuffer, 4, 30, Sjis("ｱｲｳｴｵ ﾀﾁﾂﾃﾄ ~!?@#$%"));
  large.Print(&BackBuffer, 4, 46, Sjis("はじめから Zandrel"));
  std::vector<std::uint32_t> image;
  auto screen = Screen();
  for (int y = 0; y < kGoldenH; ++y)
    image.insert(image.end(), screen.begin() + y * kScreenW, screen.begin() + y * kScreenW + kGoldenW);

  auto path = GoldenPath(GetParam().name);
  if (std::getenv("ZANDREL_UPDATE_GOLDEN")) {
    WriteBmp(path, image);
    GTEST_SKIP() << "wrote " << path;
  }
  auto golden = ReadBmp(path);
  ASSERT_EQ(golden.size(), image.size()) << "missing or damaged " << path;
  int inked = 0, differing = 0;
  for (size_t i = 0; i < image.size(); ++i) {
    inked += golden[i] != kBlack;
    differing += ChannelDifference(golden[i], image[i]) > 48;
  }
  EXPECT_GT(inked, 2000);  // the image does hold text
  EXPECT_LE(differing, inked / 50) << "pixels differing from " << path;
}

const Config kGoldenConfigs[] = {{"D3D32", 1, 32}, {"DD32", 0, 32}};
INSTANTIATE_TEST_SUITE_P(BothBackEnds, FontGolden, ::testing::ValuesIn(kGoldenConfigs), ConfigName);

}  // namespace
}  // namespace texttest
