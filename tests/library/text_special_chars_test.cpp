// Texts a game maker may write, in the real default font: the CP932
// extensions, half-width kana, control characters and broken pairs each take
// their cell of the grid, and nothing is drawn past the text.
#include <gtest/gtest.h>

#include "library/text_font_fixture.h"
#include "library/util/Text.h"

namespace texttest {
namespace {

constexpr int kPitch = 16;

struct Case {
  const char* what;
  std::string text;
  std::string inked;  // per grid cell of the first line: 'x' inked, '.' blank, '?' either
};

const Case kCases[] = {
    {"NEC row 13", "\x87\x40\x87\x8A\x87\x82", "xxx"},     // ① ㈱ №
    {"IBM extension kanji", "\xFA\x40\xFC\x4B", "xx"},     // ⅰ 黑
    {"half-width katakana", "\xB1\xB2\xDD", "xxx"},        // ｱ ｲ ﾝ
    {"full-width Latin", "\x82\x60\x82\x81", "xx"},        // Ａ ａ
    {"wave dash", "A\x81\x60\x42", "xxx"},                 // A～B
    {"user-defined area", "\xF0\x40\xF9\xFC\x42", "..x"},  // no glyph, then B
    {"lead byte at the end", "AB\x81", "xx?"},
    {"tab", "A\tB", "x.x"},
    {"carriage return", "A\rB", "x.x"},
    {"empty", "", ""},
};

class SpecialText : public FontTest {
 protected:
  // Whether any pixel of the rectangle differs from the cleared screen.
  bool Inked(const std::vector<std::uint32_t>& screen, int left, int top, int width, int height) const {
    for (int y = top; y < top + height; ++y)
      for (int x = left; x < left + width; ++x)
        if (PixelAt(screen, x, y) != kBlack) return true;
    return false;
  }

  void ExpectCells(Font& font, const Case& c) {
    ClearScreen();
    const int top = 40;
    ASSERT_EQ(font.Print(&BackBuffer, 0, top, c.text), 1);
    auto screen = Screen();
    const int cells = static_cast<int>(c.inked.size());
    for (int i = 0; i < cells; ++i) {
      if (c.inked[i] == '?') continue;
      EXPECT_EQ(Inked(screen, i * kPitch, top, kPitch, kPitch), c.inked[i] == 'x') << c.what << ", cell " << i;
    }
    EXPECT_FALSE(Inked(screen, cells * kPitch, 0, screenW - cells * kPitch, screenH)) << c.what << ": past the text";
    EXPECT_FALSE(Inked(screen, 0, 0, screenW, top)) << c.what << ": above the text";
    EXPECT_FALSE(Inked(screen, 0, top + kPitch, screenW, screenH - top - kPitch)) << c.what << ": below the text";
  }
};

TEST_P(SpecialText, EachCharacterTakesItsCellAndNothingFollowsTheText) {
  SetFontGlyphSource(nullptr);
  Font& plain = MakeFont(16, kPitch, 0);
  Font& fast = MakeFont(16, kPitch, 1);
  for (const Case& c : kCases) {
    ExpectCells(plain, c);
    ExpectCells(fast, c);
  }
}

// A long line without spaces runs past the screen's right edge, cut there;
// a CRLF pair ends the line.
TEST_P(SpecialText, LongLinesAreCutAtTheScreenEdgeAndCrLfBreaksTheLine) {
  SetFontGlyphSource(nullptr);
  Font& plain = MakeFont(16, kPitch, 0);
  Font& fast = MakeFont(16, kPitch, 1);
  const std::string line(40, 'W');
  for (Font* font : {&plain, &fast}) {
    ClearScreen();
    ASSERT_EQ(font->Print(&BackBuffer, 0, 40, line + "\r\n" + line), 1);
    auto screen = Screen();
    for (int cell = 0; cell < screenW / kPitch; ++cell) {
      EXPECT_TRUE(Inked(screen, cell * kPitch, 40, kPitch, kPitch)) << "first line, cell " << cell;
      EXPECT_TRUE(Inked(screen, cell * kPitch, 40 + kPitch, kPitch, kPitch)) << "second line, cell " << cell;
    }
    EXPECT_FALSE(Inked(screen, 0, 40 + 2 * kPitch, screenW, screenH - 40 - 2 * kPitch));
  }
}

INSTANTIATE_TEST_SUITE_P(AllConfigs, SpecialText, ::testing::ValuesIn(kConfigs), ConfigName);

}  // namespace
}  // namespace texttest
