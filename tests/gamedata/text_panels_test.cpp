#include <gtest/gtest.h>

#include "gamedata/panels/Panels.h"
#include "library/text/SjisText.h"
#include "library/text_font_fixture.h"
#include "library/util/Text.h"

namespace texttest {
namespace {

// The panels on the fixed-metric glyphs: a half-width glyph printed at pen
// (x, y) inks [x + 3, x + 9) x [y + 1, y + 15), a full-width one [x + 1, x + 15).
// Text is white, the window blue, its border yellow, the separators and
// everything past entry 6 of the palette cyan, the marker red.
class Panels : public FontTest {
 protected:
  Panels() { screenH = 400; }  // the ranking table is 350 high
  void SetUp() override {
    FontTest::SetUp();
    ASSERT_EQ(Fonts[1].Create("", 0, 16, 16, 16, kTextNo, &windowSheet, 1, kBorderNo, &symbolSheet, 0), 1);
    user.resize(71);
    ASSERT_TRUE(DDCreateSurface(&user[ACCESSORY_SURFACE], 64, 64, 1, 0, 0, 0, 0));
    DDFillRect(&user[ACCESSORY_SURFACE], 0, 0, 64, 64, 0);
    DDFillRect(&user[ACCESSORY_SURFACE], 16, 48, 16, 16, kRedNo);
    lpUserSD = user.data();
    nUserSD = 71;
    SystemData = &system;
  }
  void TearDown() override {
    SystemData = nullptr;
    lpUserSD = nullptr;
    nUserSD = 0;
    DDReleaseSurface(&user[ACCESSORY_SURFACE]);
    Fonts[1].Release();
    FontTest::TearDown();
  }

  // Text ink: white, or white blended over the window (red channel up).
  static bool Ink(std::uint32_t colour) { return (colour >> 16) >= 0x40 && colour != kYellow && colour != kRed; }
  // A half-width glyph was printed with its pen exactly at (x, y).
  void ExpectHalfAt(int x, int y) {
    auto s = Screen();
    auto at = [&](int px, int py) { return PixelAt(s, px, py); };
    EXPECT_TRUE(Ink(at(x + 5, y + 8))) << x << "," << y;
    EXPECT_FALSE(Ink(at(x + 2, y + 8))) << x << "," << y;
    EXPECT_FALSE(Ink(at(x + 5, y))) << x << "," << y;
  }
  void ExpectFullAt(int x, int y) {
    auto s = Screen();
    auto at = [&](int px, int py) { return PixelAt(s, px, py); };
    EXPECT_TRUE(Ink(at(x + 7, y + 8))) << x << "," << y;
    EXPECT_FALSE(Ink(at(x, y + 8))) << x << "," << y;
  }
  void ExpectNothingAt(int x, int y) { EXPECT_FALSE(Ink(At(x + 5, y + 8))) << x << "," << y; }

  cSystemData system;
  std::vector<DDSURFACEDATA> user;
};

TEST_P(Panels, MenuTextWindowFitsTheLongestTextAndItsCursorColumn) {
  // Pause menu: "しゅうりょう" (6 characters) and "つづける" (4) after a cursor column.
  DrawMenuText(100, 50, 19, 2, 1);
  EXPECT_EQ(At(99, 60), kYellow);
  EXPECT_EQ(At(100 + 7 * 16, 60), kYellow);
  EXPECT_EQ(At(150, 50 + 32), kYellow);
  ExpectFullAt(116, 50);
  ExpectFullAt(116, 66);
  EXPECT_EQ(At(104, 58), kBlue);  // the cursor column stays empty
  // Texts from the data are printed as they are, '%' and all.
  system.m_UiTexts.VecAt(19) = "1%s%n";
  DrawMenuText(100, 100, 19, 1, 0);
  ExpectHalfAt(100, 100);
  ExpectHalfAt(116, 100);
  DrawMenuText(0, 0, 0, 0, 0);
}

TEST_P(Panels, SaveSlotListRowsStopAtTheEndOfTheList) {
  SaveSlotVector slots(STORY_SLOT_COUNT);
  slots.VecAt(96).bUsed = 1;
  slots.VecAt(96).SaveTime.wYear = 2026;
  slots.VecAt(97).bUsed = 1;  // a damaged file that ended before its time stamp
  DrawSaveSlotList(&BackBuffer, 20, 10, slots, 95, 10);
  // A window 160 high; separators under rows 0 to 4, none under rows 5 to 8.
  EXPECT_EQ(At(100, 10 + 160), kYellow);
  for (int r = 0; r <= 4; ++r) EXPECT_EQ(At(100, 10 + 16 * r + 15), drawtest::kCyan) << r;
  EXPECT_EQ(At(100, 10 + 16 * 5 + 15), kBlue);
  ExpectHalfAt(36, 10);  // "96"
  ExpectHalfAt(52, 10);
  ExpectNothingAt(84, 10);  // slot 96 is empty: no date
  ExpectHalfAt(84, 26);     // slot 97 was saved: "2026/..."
  ExpectHalfAt(84, 42);     // slot 98 is used but has no date: dashes mark it as taken
  ExpectHalfAt(36, 58);     // "99"
  ExpectNothingAt(36, 74);  // nothing past the list
}

class RankingPanel : public Panels {
 protected:
  void SetUp() override {
    Panels::SetUp();
    table.Entries.VecAt(0) = Valid("abc", 12345);
    table.Entries.VecAt(1) = Valid("xy", 7);
  }
  static cRankingEntry Valid(const char* name, int value) {
    cRankingEntry entry;
    entry.bValid = 1;
    entry.EntryName = name;
    entry.nValue = value;
    return entry;
  }
  cRankingTable table;
};

TEST_P(RankingPanel, ValuesEndInOneColumnAndTheMarkerSitsOnItsPlace) {
  DrawRankingTable(table, &BackBuffer, 10, 0, 0, 1, 0, 0);
  ExpectFullAt(10, 0);   // "ランキング ..."
  ExpectHalfAt(26, 16);  // place "1"
  ExpectHalfAt(26, 32);
  ExpectHalfAt(10 + 144, 16);       // 12345 fills the 5-cell column from x + 144
  ExpectHalfAt(10 + 144 + 64, 32);  // 7 ends under its last digit
  ExpectNothingAt(10 + 144, 32);
  EXPECT_EQ(At(18, 16 + 16 + 8), kRed);  // marker on place 2's row
  // Five genres ranked in story mode: the hint is centred under the 20 places.
  int hintChars = CountSjisChars(system.m_UiTexts.VecAt(24));
  ExpectHalfAt(10 + 136 - hintChars * 8, 16 * 21);
}

TEST_P(RankingPanel, ClearTimesAndEnglishCaptionsWithSymbolLetters) {
  system.m_bFontSwitchA = 1;
  Fonts[1].bSymbols = 1;
  DrawRankingTable(table, &BackBuffer, 10, 0, 2, -1, 3, 1);
  // "Ranking": the lowercase letters stay letters while the switch asks it; so do names.
  ExpectHalfAt(10 + 16, 0);
  ExpectHalfAt(10 + 64, 16);
  EXPECT_EQ(Fonts[1].bSymbols, 1);
  // 12345 hundredths as "02:03.45" from x + 144; no hint (replay mode ranks nothing).
  ExpectHalfAt(10 + 144, 16);
  ExpectHalfAt(10 + 144 + 16 * 7, 16);
  ExpectNothingAt(10 + 136 - 8, 16 * 21);
  // Without the switch the letters print as symbols.
  system.m_bFontSwitchA = 0;
  ClearScreen();
  DrawRankingTable(table, &BackBuffer, 10, 0, 2, -1, 3, 1);
  EXPECT_EQ(At(10 + 64 + 8, 16 + 8), kRed);  // 'a' is symbol 0
}

TEST_P(Panels, StatusPanelShowsRankedCountersWithMarkersOnTheirRows) {
  cSaveData play;
  play.nScore = 12345;
  play.nClearTimeTotal = 6000;
  StatusPanelInputs inputs;
  inputs.counterSwitches = {1, 0, 1, 0, 0};
  const int places[] = {-1, -1, 3, -1, -1};
  DrawStatusPanel(&BackBuffer, 20, 30, places, play, inputs);
  // Labels "スコア" and "クリア時間": L = 5; the clear time makes W = 8: (8 + 5 + 3) cells wide, two rows.
  EXPECT_EQ(At(20 + 16 * 16, 40), kYellow);
  EXPECT_EQ(At(20 + 16 * 16 - 1, 40), kBlue);
  EXPECT_EQ(At(40, 30 + 32), kYellow);
  ExpectFullAt(36, 30);
  ExpectFullAt(36, 46);
  ExpectHalfAt(20 + 32 + 80, 30);  // 12345
  ExpectHalfAt(20 + 32 + 80, 46);  // 01:00.00
  // Genre 2 placed: its marker is on its own (second) row.
  EXPECT_EQ(At(28, 46 + 8), kRed);
  EXPECT_NE(At(28, 30 + 8), kRed);
}

TEST_P(Panels, StatusPanelNeedsACounterSwitchAndARankedGenre) {
  cSaveData play;
  StatusPanelInputs inputs;
  const int places[] = {0, 0, 0, 0, 0};
  auto before = Screen();
  DrawStatusPanel(&BackBuffer, 20, 30, places, play, inputs);
  EXPECT_EQ(Screen(), before);
  // Mode 3 ranks nothing, unless the program started with a stage file.
  inputs.counterSwitches = {0, 0, 1, 0, 0};
  inputs.nGameMode = 3;
  DrawStatusPanel(&BackBuffer, 20, 30, places, play, inputs);
  EXPECT_EQ(Screen(), before);
  inputs.bFreeStageStart = 1;
  DrawStatusPanel(&BackBuffer, 20, 30, places, play, inputs);
  // Only the clear time: W = 8 plus L = 5 ("クリア時間") plus 3 cells wide, one row.
  EXPECT_EQ(At(20 + 16 * 16, 38), kYellow);
  ExpectHalfAt(20 + 32 + 80, 30);
  EXPECT_EQ(At(28, 38), kRed);
}

const Config kPanelConfigs[] = {{"D3D32", 1, 32}, {"DD32", 0, 32}};
INSTANTIATE_TEST_SUITE_P(BothBackEnds, Panels, ::testing::ValuesIn(kPanelConfigs), ConfigName);
INSTANTIATE_TEST_SUITE_P(BothBackEnds, RankingPanel, ::testing::ValuesIn(kPanelConfigs), ConfigName);

}  // namespace
}  // namespace texttest
