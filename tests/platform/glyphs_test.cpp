#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "platform/Harness.h"
#include "platform/TextCodec.h"
#include "platform/glyphs/GlyphSource.h"

namespace {

using platform::GlyphMode;

std::string Cp932(std::string_view utf8) { return platform::Utf8ToCp932(utf8).value(); }

std::unique_ptr<platform::GlyphFace> OpenGothic(int height) {
  return platform::SystemGlyphSource().OpenFace(Cp932("ＭＳ ゴシック"), height, 0);
}

int Ink(const platform::Glyph& glyph) {
  return static_cast<int>(std::count_if(glyph.coverage.begin(), glyph.coverage.end(), [](BYTE c) { return c != 0; }));
}

TEST(GlyphFaceNames, WindowsNamesMapToInstalledJapaneseFamilies) {
  struct Case {
    std::string_view stored;
    std::vector<std::string> families;
  };
  const Case cases[] = {
      {"ＭＳ ゴシック", {"IPAGothic"}},
      {"MS Gothic", {"IPAGothic"}},
      {"ＭＳ Ｐゴシック", {"IPAPGothic", "IPAGothic"}},
      {"MS UI Gothic", {"IPAPGothic", "IPAGothic"}},
      {"ＭＳ 明朝", {"IPAMincho", "IPAGothic"}},
      {"ＭＳ Ｐ明朝", {"IPAPMincho", "IPAGothic"}},
      {"メイリオ", {"IPAPGothic", "IPAGothic"}},
      {"HGP創英角ｺﾞｼｯｸUB", {"IPAPGothic", "IPAGothic"}},
      {"HG明朝B", {"IPAMincho", "IPAGothic"}},
      {"Arial", {"Arial", "IPAGothic"}},
      {"", {"IPAGothic"}},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::HostFamiliesFor(c.stored), c.families) << c.stored;
}

// The set-up started ahead (twice, as a careless caller might) is waited for by
// the first users, here two threads at once, each getting its font.
TEST(GlyphSource, SetUpStartedAheadServesTheFirstFonts) {
  platform::StartFontSetUp();
  platform::StartFontSetUp();
  std::string file;
  std::thread other([&] { file = platform::HostFontFile("ＭＳ ゴシック"); });
  auto face = OpenGothic(16);
  other.join();
  ASSERT_TRUE(face);
  EXPECT_EQ(face->CellHeight(), 16);
  EXPECT_TRUE(!file.empty() && std::filesystem::is_regular_file(file)) << file;
}

TEST(GlyphSource, DefaultGothicKeepsGdiCellMetrics) {
  auto face = OpenGothic(16);
  ASSERT_TRUE(face);
  EXPECT_EQ(face->CellHeight(), 16);
  const auto& latin = face->GetGlyph("A", GlyphMode::Monochrome);
  const auto& kana = face->GetGlyph(Cp932("あ"), GlyphMode::Monochrome);
  const auto& halfKana = face->GetGlyph("\xB1", GlyphMode::Monochrome);  // ｱ
  EXPECT_EQ(latin.advance, 8);
  EXPECT_EQ(kana.advance, 16);
  EXPECT_EQ(halfKana.advance, 8);
  for (const auto* glyph : {&latin, &kana, &halfKana}) {
    EXPECT_GT(Ink(*glyph), 10);
    EXPECT_GE(glyph->top, 0);
    EXPECT_LE(glyph->top + glyph->height, 16);
    EXPECT_GE(glyph->left, 0);
    EXPECT_LE(glyph->left + glyph->width, glyph->advance + 1);
  }
}

TEST(GlyphSource, MonochromeIsHardEdgedAndAntialiasedIsSmooth) {
  auto face = OpenGothic(30);
  ASSERT_TRUE(face);
  const auto& hard = face->GetGlyph(Cp932("漢"), GlyphMode::Monochrome);
  const auto& smooth = face->GetGlyph(Cp932("漢"), GlyphMode::Antialiased);
  EXPECT_TRUE(std::all_of(hard.coverage.begin(), hard.coverage.end(), [](BYTE c) { return c == 0 || c == 255; }));
  EXPECT_TRUE(std::any_of(smooth.coverage.begin(), smooth.coverage.end(), [](BYTE c) { return c > 0 && c < 255; }));
  EXPECT_EQ(hard.advance, smooth.advance);
  // The same character again is the cached glyph.
  EXPECT_EQ(&face->GetGlyph(Cp932("漢"), GlyphMode::Monochrome), &hard);
}

TEST(GlyphSource, FacesWithoutJapaneseFallBackToGothic) {
  auto face = platform::SystemGlyphSource().OpenFace("No Such Face At All", 16, 0);
  ASSERT_TRUE(face);
  EXPECT_GT(Ink(face->GetGlyph(Cp932("字"), GlyphMode::Monochrome)), 10);
}

TEST(GlyphSource, UndefinedBytesDrawNothingButStillAdvance) {
  auto face = OpenGothic(16);
  ASSERT_TRUE(face);
  for (std::string_view bad : {"\x80", "\xA0", "\xFD"}) {
    const auto& glyph = face->GetGlyph(bad, GlyphMode::Monochrome);
    EXPECT_GT(glyph.advance, 0) << static_cast<int>(static_cast<BYTE>(bad[0]));
  }
}

TEST(GlyphSource, InjectedFontFailureAndBadSizesOpenNothing) {
  EXPECT_FALSE(platform::SystemGlyphSource().OpenFace("", 0, 0));
  EXPECT_FALSE(platform::SystemGlyphSource().OpenFace("", -5, 0));
  platform::HarnessSettings failing;
  failing.failStep = "font";
  platform::SetHarnessForTesting(failing);
  EXPECT_FALSE(OpenGothic(16));
  platform::SetHarnessForTesting({});
  EXPECT_TRUE(OpenGothic(16));
}

}  // namespace
