#include <gtest/gtest.h>

#include <set>

#include "library/text/FontDesc.h"
#include "library/text/GlyphPixels.h"
#include "library/text_fake_glyphs.h"
#include "library/util/Text.h"

namespace {

TEST(FontDesc, DefaultsOfTheThreeFonts) {
  auto desc = DefaultFontDesc();
  const int heights[] = {9, 16, 30}, pitches[] = {10, 16, 32}, fast[] = {2, 2, 0};
  for (int i = 0; i < FONT_COUNT; ++i) {
    EXPECT_EQ(std::string(desc[i].szFaceName), Sjis("ＭＳ ゴシック"));
    EXPECT_EQ(desc[i].nWidth, 0);
    EXPECT_EQ(desc[i].nHeight, heights[i]);
    EXPECT_EQ(desc[i].nPitchX, pitches[i]);
    EXPECT_EQ(desc[i].nPitchY, pitches[i]);
    EXPECT_EQ(desc[i].nColor, 241);
    EXPECT_EQ(desc[i].nWindowSD, 45);
    EXPECT_EQ(desc[i].nBorder, 1);
    EXPECT_EQ(desc[i].nBorderColor, 240);
    EXPECT_EQ(desc[i].nSymbolSD, 50);
    EXPECT_EQ(desc[i].bFastFont, fast[i]);
  }
}

TEST(FontDesc, LongFaceNamesAreCutOnACharacterBoundary) {
  FONTDESCDATA desc;
  SetFontFace(desc, std::string(300, 'x'));
  EXPECT_EQ(std::string(desc.szFaceName), std::string(255, 'x'));
  // 254 single bytes and a double-byte character that would need bytes 255 and 256.
  SetFontFace(desc, std::string(254, 'x') + Sjis("字"));
  EXPECT_EQ(std::string(desc.szFaceName), std::string(254, 'x'));
  SetFontFace(desc, "IPAGothic");
  EXPECT_EQ(std::string(desc.szFaceName), "IPAGothic");
}

TEST(FontDesc, FontIndexesOutsideTheListAreClamped) {
  std::vector<std::string> faces{"System", "Terminal", ""};
  EXPECT_EQ(FontFaceAt(faces, 1), "Terminal");
  EXPECT_EQ(FontFaceAt(faces, 3), "");
  EXPECT_EQ(FontFaceAt(faces, 1000000), "");
  EXPECT_EQ(FontFaceAt(faces, -7), "System");
  EXPECT_EQ(FontFaceAt({}, 5), "");
}

TEST(FontDesc, StartUpTakesTheChosenFaceAndTheConfiguredFastFonts) {
  auto desc = DefaultFontDesc();
  std::vector<std::string> faces{"System", Sjis("ＭＳ Ｐゴシック")};
  PrepareFontDesc(desc, faces, 1, 0);
  for (const FONTDESCDATA& d : desc) EXPECT_EQ(std::string(d.szFaceName), Sjis("ＭＳ Ｐゴシック"));
  EXPECT_EQ(desc[0].bFastFont, 0);
  EXPECT_EQ(desc[1].bFastFont, 0);
  desc = DefaultFontDesc();
  PrepareFontDesc(desc, faces, 99, 1);
  EXPECT_EQ(std::string(desc[2].szFaceName), Sjis("ＭＳ Ｐゴシック"));
  EXPECT_EQ(desc[1].bFastFont, 1);
  EXPECT_EQ(desc[2].bFastFont, 0);  // the large font never has atlases
}

TEST(GlyphPixels, InkIsPlacedFromTheCellAndCutToTheTarget) {
  FakeGlyphFace face{4};  // full-width glyph: a 2 x 2 box at (1, 1) of its cell
  const auto& glyph = face.GetGlyph("\x82\xA0", platform::GlyphMode::Monochrome);
  auto inked = [&](int x, int y, int w, int h) {
    std::set<std::pair<int, int>> at;
    ForEachGlyphPixel(glyph, x, y, w, h, [&](int px, int py, BYTE c) {
      EXPECT_EQ(c, 255);
      at.insert({px, py});
    });
    return at;
  };
  EXPECT_EQ(inked(10, 20, 100, 100), (std::set<std::pair<int, int>>{{11, 21}, {12, 21}, {11, 22}, {12, 22}}));
  EXPECT_EQ(inked(-2, -2, 100, 100), (std::set<std::pair<int, int>>{{0, 0}}));
  EXPECT_EQ(inked(8, 8, 10, 10), (std::set<std::pair<int, int>>{{9, 9}}));
  EXPECT_TRUE(inked(20, 0, 10, 10).empty());
}

}  // namespace
