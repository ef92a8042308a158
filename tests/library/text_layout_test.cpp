#include <gtest/gtest.h>

#include <vector>

#include "library/text/FastFont.h"
#include "library/text/SjisText.h"
#include "library/text/TextLayout.h"
#include "library/text_fake_glyphs.h"
#include "library/util/Text.h"

namespace {

// Every call of the engine, as one comparable line.
struct Op {
  enum Kind { Glyph, AtlasGlyph, Cell, Symbol } kind;
  int x, y, sx, sy;
  std::string what;  // the character, or "half"/"full" for atlas cells
  bool operator==(const Op&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Op& op) {
  return out << "{" << op.kind << " " << op.x << "," << op.y << " from " << op.sx << "," << op.sy << " " << op.what
             << "}";
}

class Recorder final : public GlyphOutput {
 public:
  void DrawGlyph(cFastFont* atlas, int x, int y, std::string_view c) override {
    ops.push_back({atlas ? Op::AtlasGlyph : Op::Glyph, x, y, 0, 0, std::string(c)});
  }
  void CopyAtlasCell(cFastFont& atlas, int sx, int sy, int x, int y) override {
    ops.push_back({Op::Cell, x, y, sx, sy, atlas.Mode() == FastFontMode::SingleByte ? "half" : "full"});
  }
  void CopySymbolCell(int sx, int sy, int x, int y) override { ops.push_back({Op::Symbol, x, y, sx, sy, ""}); }
  std::vector<Op> ops;
};

Op Drawn(int x, int y, std::string c) { return {Op::Glyph, x, y, 0, 0, std::move(c)}; }
Op Rendered(int x, int y, std::string c) { return {Op::AtlasGlyph, x, y, 0, 0, std::move(c)}; }
Op Copied(int x, int y, int sx, int sy, std::string atlas) { return {Op::Cell, x, y, sx, sy, std::move(atlas)}; }
Op Symbol(int x, int y, int sx) { return {Op::Symbol, x, y, sx, 0, ""}; }

const std::string& A() {
  static const std::string a = Sjis("あ");
  return a;
}

class PlainLayout : public ::testing::Test {
 protected:
  FakeGlyphFace face{16};
  FontLayout layout{16, 16, 0, nullptr, nullptr};
  Recorder out;
  void Print(std::string_view text, bool symbols = false) {
    PrintChars(layout, face, out, 100, 50, 0, 0, text, symbols);
  }
};

TEST_F(PlainLayout, HalfAndFullWidthCharactersShareOnePitch) {
  Print("A" + A() + "B");
  // A single byte sits at (pitch / 8, pitch / 16 - 1) in its cell, a double byte at the cell's corner.
  EXPECT_EQ(out.ops, (std::vector<Op>{Drawn(102, 50, "A"), Drawn(116, 50, A()), Drawn(134, 50, "B")}));
}

TEST_F(PlainLayout, LineFeedsSpacesAndTheFullWidthSpace) {
  Print("A B\n" + Sjis("　") + "C\n\nD");
  EXPECT_EQ(out.ops, (std::vector<Op>{Drawn(102, 50, "A"), Drawn(134, 50, "B"), Drawn(100, 66, Sjis("　")),
                                      Drawn(118, 66, "C"), Drawn(102, 98, "D")}));
}

TEST_F(PlainLayout, SymbolLettersOnlyAdvanceAndComeFromTheSheet) {
  Print("abZ", true);
  EXPECT_EQ(out.ops, (std::vector<Op>{Drawn(134, 50, "Z")}));
  DrawSymbols(layout, out, 100, 50, "ab" + A() + "z\nc");
  EXPECT_EQ(out.ops, (std::vector<Op>{Drawn(134, 50, "Z"), Symbol(100, 50, 0), Symbol(116, 50, 16),
                                      Symbol(148, 50, 25 * 16), Symbol(100, 66, 32)}));
  out.ops.clear();
  Print("abc", false);
  EXPECT_EQ(out.ops, (std::vector<Op>{Drawn(102, 50, "a"), Drawn(118, 50, "b"), Drawn(134, 50, "c")}));
}

TEST_F(PlainLayout, CentredGlyphsSitInTheMiddleOfTheirCells) {
  layout = {20, 24, 1, nullptr, nullptr};
  Print("A" + A());
  // Extents from the face: 8 x 16 and 16 x 16.
  EXPECT_EQ(out.ops, (std::vector<Op>{Drawn(106, 54, "A"), Drawn(122, 54, A())}));
}

TEST_F(PlainLayout, ShiftJisPairsNeedALeadAndATrailByte) {
  // 表 ends in 0x5C, a lead byte before a line feed and at the end stands alone.
  Print(Sjis("表") + "\x88\n\x88");
  EXPECT_EQ(out.ops, (std::vector<Op>{Drawn(100, 50, Sjis("表")), Drawn(118, 50, "\x88"), Drawn(102, 66, "\x88")}));
  EXPECT_EQ(CountSjisChars(Sjis("AB") + A() + "\n" + Sjis("い")), 4);
  EXPECT_EQ(CountSjisChars("A\r\x88"), 3);
}

TEST_F(PlainLayout, ProportionalTextGoesLineByLineAtTheFaceAdvances) {
  layout = {0, 0, 0, nullptr, nullptr};
  Print("A" + A() + "B\nC");
  // Without a line pitch the lines are one cell height apart instead of on top of each other.
  EXPECT_EQ(out.ops,
            (std::vector<Op>{Drawn(100, 50, "A"), Drawn(108, 50, A()), Drawn(124, 50, "B"), Drawn(100, 66, "C")}));
  DrawSymbols(layout, out, 0, 0, "abc");
  EXPECT_EQ(out.ops.size(), 4u);
}

TEST(TextMeasure, PitchedAndProportionalExtents) {
  FakeGlyphFace face{16};
  FontLayout pitched{16, 20, 0, nullptr, nullptr};
  FontLayout proportional{0, 0, 0, nullptr, nullptr};
  struct Case {
    const FontLayout* layout;
    std::string text;
    platform::TextExtent extent;
  };
  const Case cases[] = {
      {&pitched, "AB\n" + A() + A() + A(), {48, 40}},
      {&pitched, "", {0, 20}},
      {&pitched, "ABC\n", {48, 40}},
      {&proportional, "AB\n" + A() + A() + A(), {48, 32}},
      {&proportional, "A" + A(), {24, 16}},
  };
  for (const Case& c : cases) EXPECT_EQ(MeasureFontText(*c.layout, face, c.text), c.extent) << c.text;
  // Lines far longer than any fixed buffer are measured whole.
  EXPECT_EQ(MeasureFontText(pitched, face, std::string(5000, 'x')).width, 5000 * 16);
  EXPECT_EQ(GetLineLength("abc\ndef"), 3);
  EXPECT_EQ(GetLineLength("abc"), 3);
  EXPECT_EQ(GetLineLength(""), 0);
}

// The fast-font cases run for both back ends, whose double-byte atlases differ in size.
class FastLayout : public ::testing::TestWithParam<bool> {
 protected:
  bool Direct3D() const { return GetParam(); }
  FakeGlyphFace face{16};
  cFastFont half{FastFontMode::SingleByte, 16, 16, kHalfAtlasGrid};
  cFastFont full{FastFontMode::GlyphList, 16, 16, FullAtlasGrid(Direct3D(), 16, 16, 640, 480)};
  FontLayout layout{16, 16, 0, &half, &full};
  Recorder out;
  void SetUp() override { AddPresetGlyphs(full); }
  void Print(std::string_view text, bool symbols = false) {
    PrintChars(layout, face, out, 0, 0, 300, 200, text, symbols);
  }
};

TEST_P(FastLayout, AtlasSizes) {
  EXPECT_EQ(half.PixelWidth(), 256);
  EXPECT_EQ(half.PixelHeight(), 256);
  EXPECT_EQ(full.Columns(), 32);
  EXPECT_EQ(full.Rows(), Direct3D() ? 32 : 30);
  EXPECT_EQ(full.GlyphCount(), 256);
  EXPECT_EQ(full.Capacity() - full.GlyphCount(), Direct3D() ? 768 : 704);
}

TEST_P(FastLayout, CharactersAreCopiedFromTheirCells) {
  Print("A" + Sjis("　") + Sjis("０") + Sjis("あ") + " \xB1");
  // あ is preset cell 86: column 22, row 2. ｱ (0xB1) is row 11, column 1 of the half atlas.
  EXPECT_EQ(out.ops,
            (std::vector<Op>{Copied(300, 200, 16, 64, "half"), Drawn(16, 0, Sjis("　")), Copied(332, 200, 0, 0, "full"),
                             Copied(348, 200, 352, 32, "full"), Copied(380, 200, 16, 176, "half")}));
}

TEST_P(FastLayout, ANewCharacterIsAddedOnceAndReused) {
  std::string kanji = Sjis("漢");
  Print(kanji + kanji + "\n" + kanji);
  // Cell 256 is the first of row 8 in both atlases.
  EXPECT_EQ(out.ops, (std::vector<Op>{Rendered(0, 128, kanji), Copied(300, 200, 0, 128, "full"),
                                      Copied(316, 200, 0, 128, "full"), Copied(300, 216, 0, 128, "full")}));
  EXPECT_EQ(full.GlyphCount(), 257);
}

TEST_P(FastLayout, AFullAtlasDrawsNewCharactersDirectlyEveryTime) {
  std::string first = Sjis("亜");
  while (full.GlyphCount() < full.Capacity()) ASSERT_EQ(full.AddGlyph(first), 1);
  std::string kanji = Sjis("漢");
  EXPECT_EQ(full.AddGlyph(kanji), 0);
  Print(kanji + kanji);
  EXPECT_EQ(out.ops, (std::vector<Op>{Drawn(0, 0, kanji), Drawn(16, 0, kanji)}));
  EXPECT_EQ(full.GlyphCount(), full.Capacity());
  EXPECT_FALSE(full.FindGlyph(kanji));
}

TEST_P(FastLayout, TheFullAtlasTextPutsEveryCharacterInItsCell) {
  std::string kanji = Sjis("漢");
  Print(kanji);
  out.ops.clear();
  FontLayout plain{16, 16, 0, nullptr, nullptr};
  PrintChars(plain, face, out, 0, 0, 0, 0, FullAtlasText(full), false);
  ASSERT_EQ(out.ops.size(), full.Glyphs().size());
  for (const GLYPHDATA& glyph : full.Glyphs()) {
    EXPECT_EQ(out.ops[glyph.nIndex], Drawn(glyph.x, glyph.y, std::string(glyph.Character()))) << glyph.nIndex;
  }
}

INSTANTIATE_TEST_SUITE_P(BothBackEnds, FastLayout, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Direct3D" : "DirectDraw"; });

TEST(FastFontAtlas, HalfAtlasTextPutsEachCodeInItsCell) {
  FakeGlyphFace face{10};
  FontLayout plain{10, 10, 0, nullptr, nullptr};
  Recorder out;
  PrintChars(plain, face, out, 0, 0, 0, 0, HalfAtlasText(), false);
  auto findOp = [&](std::string c) {
    for (const Op& op : out.ops)
      if (op.what == c) return op;
    return Op{};
  };
  // A single byte sits at (pitch / 8, pitch / 16 - 1) of its cell.
  EXPECT_EQ(findOp("A"), Drawn(1 * 10 + 1, 4 * 10 - 1, "A"));
  EXPECT_EQ(findOp("\xB1"), Drawn(1 * 10 + 1, 11 * 10 - 1, "\xB1"));
  EXPECT_EQ(findOp("~"), Drawn(14 * 10 + 1, 7 * 10 - 1, "~"));
  // Lead bytes take the next byte along: 0x81 0x82 is one character in cell 1 of row 8.
  EXPECT_EQ(findOp("\x81\x82"), Drawn(10, 80, "\x81\x82"));
  EXPECT_EQ(findOp(" ").what, "");
}

TEST(FastFontAtlas, GridsAndPreset) {
  EXPECT_EQ(FullAtlasGrid(true, 10, 10, 640, 480), (AtlasGrid{32, 32}));
  EXPECT_EQ(FullAtlasGrid(false, 10, 10, 640, 480), (AtlasGrid{32, 30}));
  EXPECT_EQ(FullAtlasGrid(true, 32, 32, 640, 480), (AtlasGrid{32, 32}));
  EXPECT_EQ(FullAtlasGrid(false, 32, 32, 640, 480), (AtlasGrid{20, 15}));
  EXPECT_EQ(FullAtlasGrid(true, 0, 16, 640, 480), (AtlasGrid{0, 0}));
  EXPECT_EQ(CountSjisChars(FullAtlasPreset()), 256);
  // The preset holds ト twice (cells 185 and 226); lookups find the first.
  cFastFont big{FastFontMode::GlyphList, 16, 16, {32, 32}};
  AddPresetGlyphs(big);
  ASSERT_TRUE(big.FindGlyph(Sjis("ト")));
  EXPECT_EQ(big.FindGlyph(Sjis("ト"))->nIndex, 185);
  EXPECT_EQ(big.Glyphs()[226].Character(), Sjis("ト"));
  EXPECT_FALSE(big.FindGlyph(Sjis("ド")));
  cFastFont small{FastFontMode::GlyphList, 10, 10, {2, 2}};
  AddPresetGlyphs(small);
  ASSERT_EQ(small.GlyphCount(), 4);
  EXPECT_EQ(small.Glyphs()[3].Character(), Sjis("３"));
  EXPECT_EQ(small.Glyphs()[3].x, 10);
  EXPECT_EQ(small.Glyphs()[3].y, 10);
  EXPECT_EQ(FullAtlasText(small), Sjis("０１\n２３\n"));
}

TEST(BmpText, CellsOfTheSixteenColumnSheet) {
  std::vector<std::array<int, 4>> cells;
  auto record = [&](int x, int y, int sx, int sy) { cells.push_back({x, y, sx, sy}); };
  LayoutBmpText(10, 16, 8, 16, 640, "A\xA6\xC0\n\xDD\xDE", record);
  EXPECT_EQ(cells, (std::vector<std::array<int, 4>>{
                       {10, 16, 1 * 8, 4 * 16},   // A
                       {18, 16, 6 * 8, 0 * 16},   // ｦ from row 0
                       {26, 16, 0 * 8, 8 * 16},   // ﾀ from row 8
                       {10, 32, 13 * 8, 9 * 16},  // ﾝ from row 9
                       {18, 32, 14 * 8, 13 * 16}  // ﾞ keeps its own row
                   }));
}

TEST(BmpText, AnOffsetReachingTheScreenWidthContinuesBelowAtItsOwnX) {
  std::vector<std::array<int, 2>> at;
  LayoutBmpText(4, 0, 8, 16, 40, std::string(6, '0'), [&](int x, int y, int, int) { at.push_back({x, y}); });
  // Offsets 0, 8, ... 32: the fifth cell brings the offset to 40, the width.
  EXPECT_EQ(at, (std::vector<std::array<int, 2>>{{4, 0}, {12, 0}, {20, 0}, {28, 0}, {36, 0}, {4, 16}}));
}

}  // namespace
