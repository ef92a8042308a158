#include <gtest/gtest.h>

#include <cstdlib>

#include "library/text/Font.h"
#include "library/text_font_fixture.h"
#include "library/util/Log.h"
#include "library/util/Text.h"
#include "platform/Harness.h"

namespace texttest {
namespace {

// The fake glyph of a half-width character printed at pen (x, y) with pitch 16
// covers [x + 3, x + 9) x [y + 1, y + 15): the cell offset (2, 0) plus the box
// one pixel inside its 8 x 16 advance. A full-width one covers [x + 1, x + 15).
struct Box {
  int left, top, right, bottom;
};
Box HalfBox(int x, int y) { return {x + 3, y + 1, x + 9, y + 15}; }
Box FullBox(int x, int y) { return {x + 1, y + 1, x + 15, y + 15}; }

class FontPrint : public FontTest {
 protected:
  struct Expected {
    int x, y;
    std::uint32_t colour;
  };
  void ExpectColours(std::initializer_list<Expected> expected) {
    auto screen = Screen();
    for (const Expected& e : expected) EXPECT_EQ(PixelAt(screen, e.x, e.y), e.colour) << e.x << "," << e.y;
  }

  // The box's inner pixels carry the text colour and the pixels around it are untouched.
  void ExpectInked(const Box& box, std::uint32_t around = kBlack) {
    auto screen = Screen();
    auto at = [&](int x, int y) { return PixelAt(screen, x, y); };
    for (int y = box.top + 1; y < box.bottom - 1; ++y)
      for (int x = box.left + 1; x < box.right - 1; ++x) ASSERT_EQ(at(x, y), kWhite) << x << "," << y;
    EXPECT_EQ(at(box.left - 1, box.top + 3), around);
    EXPECT_EQ(at(box.right, box.top + 3), around);
    EXPECT_EQ(at(box.left + 2, box.top - 1), around);
    EXPECT_EQ(at(box.left + 2, box.bottom), around);
    // The edge is full colour under DirectDraw; under Direct3D it is blended
    // (and gone where it went through a texture with one bit of alpha).
    std::uint32_t edge = at(box.left, box.top + 3);
    if (D3D()) {
      EXPECT_NE(edge, kWhite);
    } else {
      EXPECT_EQ(edge, kWhite);
    }
  }
};

TEST_P(FontPrint, HalfAndFullWidthCharactersOnTheGrid) {
  Font& font = MakeFont(16, 16, 0);
  EXPECT_EQ(font.Print(&BackBuffer, 100, 50, "A" + Sjis("あ")), 1);
  ExpectInked(HalfBox(100, 50));
  ExpectInked(FullBox(116, 50));
  EXPECT_EQ(At(140, 58), kBlack);
}

TEST_P(FontPrint, SymbolLettersComeFromTheSymbolSheet) {
  Font& symbols = MakeFont(16, 16, 0, true);
  symbols.Print(&BackBuffer, 16, 16, "abcA");
  EXPECT_EQ(At(16 + 8, 24), kRed);
  EXPECT_EQ(At(32 + 8, 24), kGreen);
  EXPECT_EQ(At(48 + 8, 24), kBlue);
  ExpectInked(HalfBox(64, 16));
  // Without the switch the letters are letters; plain letters skip the sheet.
  symbols.bSymbols = 0;
  symbols.Print(&BackBuffer, 16, 48, "a");
  ExpectInked(HalfBox(16, 48));
  symbols.bSymbols = 1;
  symbols.Print(&BackBuffer, 16, 80, "a", 1);
  ExpectInked(HalfBox(16, 80));
}

TEST_P(FontPrint, WindowFitsTheTextWithItsMargin) {
  Font& font = MakeFont(16, 16, 0);
  font.PrintInWindow(&BackBuffer, 20, 30, 0, 0, "AB", 8);
  // Text 32 wide: a window of 40 x 16 with its 1-pixel border outside.
  ExpectColours({{19, 35, kYellow},
                 {60, 35, kYellow},
                 {40, 29, kYellow},
                 {40, 46, kYellow},
                 {20, 35, kBlue},
                 {59, 35, kBlue},
                 {61, 35, kBlack}});
  ExpectInked(HalfBox(28, 30), kBlue);
  ExpectInked(HalfBox(44, 30), kBlue);
}

TEST_P(FontPrint, TenThousandCentresOnTheWindowSheet) {
  Font& font = MakeFont(16, 16, 0);
  font.DrawWindow(&BackBuffer, 10000, 10000, 40, 20);
  // The sheet is 320 x 240: x = 160 - 20, y = 120 - 10.
  ExpectColours({{139, 115, kYellow},
                 {140, 115, kBlue},
                 {179, 115, kBlue},
                 {180, 115, kYellow},
                 {150, 109, kYellow},
                 {150, 130, kYellow}});
}

TEST_P(FontPrint, FastFontsDrawTheSameTextFromTheirAtlases) {
  Font& fast = MakeFont(16, 16, 1);
  ASSERT_TRUE(fast.m_lpFastFont_Half && fast.m_lpFastFont_FullAdd);
  int preset = fast.m_lpFastFont_FullAdd->GlyphCount();
  std::string text = "A" + Sjis("あ漢漢") + "\n" + Sjis("漢");
  fast.Print(&BackBuffer, 100, 50, text);
  EXPECT_EQ(fast.m_lpFastFont_FullAdd->GlyphCount(), preset + 1);
  ExpectInked(HalfBox(100, 50));
  for (int x : {116, 132, 148}) ExpectInked(FullBox(x, 50));
  ExpectInked(FullBox(100, 66));
  if (!D3D()) {
    // Hard-edged glyphs copy exactly: the same text rasterised directly matches.
    auto fromAtlas = Screen();
    ClearScreen();
    MakeFont(16, 16, 0).Print(&BackBuffer, 100, 50, text);
    EXPECT_EQ(Screen(), fromAtlas);
  }
}

TEST_P(FontPrint, LongFormattedTextIsPrintedWhole) {
  Font& font = MakeFont(16, 16, 0);
  std::string longLine(600, 'x');
  EXPECT_EQ(font.Printf(&BackBuffer, 0, 0, "%s\n%s", longLine.c_str(), "A"), 1);
  ExpectInked(HalfBox(0, 16));
  font.PrintfInWindow(&BackBuffer, 0, 100, 0, 0, "%s%s", longLine.c_str(), longLine.c_str());
  EXPECT_EQ(At(97, 105), kBlue);  // between two glyphs, on the window
}

TEST_P(FontPrint, DigitSheetsHoldTheTenDigits) {
  std::array<FONTDESCDATA, FONT_COUNT> desc = DefaultFontDesc();
  std::array<SURFACEDESCDATA, FONT_COUNT> sheets{};
  for (auto& sheet : sheets) sheet.bTransmit = 1;
  for (auto& d : desc) d.nColor = kTextNo;
  Font three[FONT_COUNT];
  ASSERT_EQ(CreateFonts(three, desc.data(), FONT_COUNT), 1);
  ASSERT_EQ(CreateDigitSurfaces(DigitSD, sheets.data(), FONT_COUNT, three, desc.data()), 1);
  EXPECT_EQ(DigitSD[1].nWidth, 160);
  EXPECT_EQ(DigitSD[1].nHeight, 16);
  EXPECT_EQ(DigitSD[2].nWidth, 320);
  // The sheet copied to the screen shows digit 3's box in cell 3.
  DDBlt(&BackBuffer, 0, 0, 160, 16, &DigitSD[1], 0, 0, 1);
  ExpectInked(HalfBox(48, 0));
  ReleaseDigitSurfaces(DigitSD, FONT_COUNT);
  ReleaseFonts(three, FONT_COUNT);
}

INSTANTIATE_TEST_SUITE_P(AllConfigs, FontPrint, ::testing::ValuesIn(kConfigs), ConfigName);

class FontRecovery : public FontTest {};

TEST_P(FontRecovery, AtlasesAndDigitSheetsAreDrawnAgainAfterALoss) {
  Font& fast = MakeFont(16, 16, 1);
  fast.Print(&BackBuffer, 0, 0, Sjis("漢字"));
  std::array<FONTDESCDATA, FONT_COUNT> desc = DefaultFontDesc();
  SURFACEDESCDATA sheet;
  sheet.bTransmit = 1;
  ASSERT_EQ(CreateDigitSurfaces(DigitSD, &sheet, 1, &fast, desc.data() + 1), 1);
  auto half = Pixels(&fast.m_lpFastFont_Half->Surface());
  auto full = Pixels(&fast.m_lpFastFont_FullAdd->Surface());
  auto digits = Pixels(&DigitSD[0]);
  int glyphs = fast.m_lpFastFont_FullAdd->GlyphCount();
  DDSetFontRestoreHook(RestoreFonts);

  DDInjectLoss();
  if (D3D()) {
    DDAllowDeviceReset();
    ASSERT_EQ(DDRestoreSurface(), 1);
  } else {
    ASSERT_TRUE(DDRestore());
  }
  EXPECT_EQ(Pixels(&fast.m_lpFastFont_Half->Surface()), half);
  EXPECT_EQ(Pixels(&fast.m_lpFastFont_FullAdd->Surface()), full);
  EXPECT_EQ(Pixels(&DigitSD[0]), digits);
  EXPECT_EQ(fast.m_lpFastFont_FullAdd->GlyphCount(), glyphs);
  EXPECT_EQ(fast.m_lpFastFont_FullAdd->Surface().bLost, 0);
  // And text printed after the recovery comes out as before it.
  ClearScreen();
  fast.Print(&BackBuffer, 0, 0, Sjis("漢字"));
  auto after = Screen();
  EXPECT_EQ(PixelAt(after, 8, 8), kWhite);
  EXPECT_EQ(PixelAt(after, 24, 8), kWhite);
}

// A lost Direct3D device is told to each font before the reset, one log line
// per font in the order the fonts were made.
TEST_P(FontRecovery, EachFontIsLoggedWhenTheDeviceIsLost) {
  if (!D3D()) GTEST_SKIP() << "the Direct3D recovery";
  MakeFont(16, 16, 1);
  MakeFont(10, 10, 0);
  DDSetFontLostHook(LoseFonts);
  auto loggedInOrder = [&] {
    dir.Write("EC_Game.txt", "");
    EcLogInit(1, "EC_Game.txt");
    DDInjectLoss();
    DDAllowDeviceReset();
    const int restored = DDRestoreSurface();
    const std::string log = dir.Read("EC_Game.txt");
    const auto first = log.find("Font i = 0"), second = log.find("Font i = 1"), reset = log.find("a-");
    return restored == 1 && first != std::string::npos && second != std::string::npos && first < second &&
           second < reset && log.find("Font i = 2") == std::string::npos;
  };
  // The second log's state is the process's own: it is switched on in a child
  // process only, which ends without running the fixture's and the globals' exit.
  EXPECT_EXIT(std::_Exit(loggedInOrder() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(AllConfigs, FontRecovery, ::testing::ValuesIn(kConfigs), ConfigName);

class FontCreation : public FontTest {};

TEST_P(FontCreation, CreateFontsTakesItsSurfacesFromTheUserTable) {
  std::vector<DDSURFACEDATA> user(71);
  lpUserSD = user.data();
  nUserSD = 71;
  std::array<FONTDESCDATA, FONT_COUNT> desc = DefaultFontDesc();
  desc[2].nSymbolSD = 500;  // beyond the table: no symbol sheet rather than a wild pointer
  Font made[FONT_COUNT];
  ASSERT_EQ(CreateFonts(made, desc.data(), FONT_COUNT), 1);
  EXPECT_EQ(made[1].lpWindowSD, &user[45]);
  EXPECT_EQ(made[1].lpSymbolSD, &user[50]);
  EXPECT_EQ(made[1].bSymbols, 1);
  EXPECT_EQ(made[2].lpSymbolSD, nullptr);
  EXPECT_EQ(made[2].bSymbols, 0);
  // The configured choice (2) still means atlases; the 30-pixel font has none.
  EXPECT_TRUE(made[1].Layout().Fast());
  EXPECT_FALSE(made[2].Layout().Fast());
  ReleaseFonts(made, FONT_COUNT);
  lpUserSD = nullptr;
  nUserSD = 0;
}

TEST_P(FontCreation, ANamedFailureOfTheFontsFailsTheirCreation) {
  SetFontGlyphSource(nullptr);
  platform::HarnessSettings failing;
  failing.failStep = "font";
  platform::SetHarnessForTesting(failing);
  Font font;
  EXPECT_EQ(font.Create("", 0, 16, 16, 16, kTextNo, nullptr, 1, kBorderNo, nullptr, 0), 0);
  EXPECT_EQ(font.Print(&BackBuffer, 0, 0, "A"), 0);
  platform::SetHarnessForTesting({});
}

INSTANTIATE_TEST_SUITE_P(AllConfigs, FontCreation, ::testing::ValuesIn(kConfigs), ConfigName);

}  // namespace
}  // namespace texttest
