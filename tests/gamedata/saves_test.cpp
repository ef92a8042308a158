// Options, world map, rankings and saves: default files byte for byte from the
// layout tables, old versions, and the operations on them.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

#include "GameDataTestSupport.h"
#include "gamedata/OptionData.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveSlots.h"
#include "gamedata/WorldMap.h"
#include "library/util/Text.h"
#include "records/StageData.h"
#include "support/TempDir.h"

using namespace gamedatatest;

namespace {

// A damaged Option.dat leaves every option as it was, not half-read values.
TEST(OptionDataTest, DamagedFileKeepsTheDefaults) {
  testsupport::TempDir dir{true};
  Bytes cut = ByteBuilder().I32(696).U32(4).I32(5).I32(0).Get();  // the volume and the rest are missing
  dir.Write("Option.dat", std::string(cut.begin(), cut.end()));
  cOptionData options;
  recordtest::LogCapture log;
  EXPECT_EQ(LoadFromFileOrKeep(options, "Option.dat", cLoadContext{}), 0);
  EXPECT_EQ(options.m_nPaletteVariant, 0);
  EXPECT_EQ(options.m_bMusicOn, 1);
  EXPECT_EQ(options.m_nVolume, 7);
  EXPECT_EQ(options.m_RankingName, "aaa");
}

TEST(OptionDataTest, DefaultFile) {
  cOptionData options;
  EXPECT_EQ(SavedRecord(options), ByteBuilder().I32(696).U32(4).I32(0).I32(1).I32(7).I32(0).U32(1).Str("aaa").Get());
  options.m_RankingName.clear();
  EXPECT_EQ(SavedRecord(options), ByteBuilder().I32(696).U32(4).I32(0).I32(1).I32(7).I32(0).U32(1).U32(1).Get());
}

// Every value an options file holds is brought into the range the options page
// offers: variant 0..23, music 0..1, volume 0..10, mode 0..3, a name of at
// most 3 bytes cut before a double-byte character that would not fit whole.
TEST(OptionDataTest, LoadedValuesAreClampedToTheirRanges) {
  struct Case {
    int stored[4];  // variant, music, volume, mode
    const char* name;
    int expected[4];
    const char* expectedName;
  };
  const Case cases[] = {
      {{0, 1, 7, 0}, "aaa", {0, 1, 7, 0}, "aaa"},
      {{23, 0, 10, 3}, "", {23, 0, 10, 3}, ""},
      {{99, 7, -4, 7}, "ZANDREL", {23, 1, 0, 3}, "ZAN"},
      {{24, -1, 11, 4}, "abcd", {23, 0, 10, 3}, "abc"},
      {{-1, 2, 100, -1}, "\x82\xa0\x82\xa2\x82\xa4", {0, 1, 10, 0}, "\x82\xa0"},  // "あいう" -> "あ"
      {{INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX}, "a\x82\xa0\x82\xa2", {0, 1, 0, 3}, "a\x82\xa0"},
      {{1, 1, 1, 1}, "ab\x82\xa0", {1, 1, 1, 1}, "ab"},  // "abあ": the "あ" would take bytes 3 and 4
      {{1, 1, 1, 1},
       "\x82\xa0"
       "b",
       {1, 1, 1, 1},
       "\x82\xa0"
       "b"},
  };
  for (const Case& c : cases) {
    Bytes file = ByteBuilder()
                     .I32(696)
                     .U32(4)
                     .I32(c.stored[0])
                     .I32(c.stored[1])
                     .I32(c.stored[2])
                     .I32(c.stored[3])
                     .U32(1)
                     .Str(c.name)
                     .Get();
    cOptionData options;
    ASSERT_TRUE(LoadRecord(options, file)) << c.name;
    EXPECT_EQ(options.m_nPaletteVariant, c.expected[0]) << c.name;
    EXPECT_EQ(options.m_bMusicOn, c.expected[1]) << c.name;
    EXPECT_EQ(options.m_nVolume, c.expected[2]) << c.name;
    EXPECT_EQ(options.m_nRankingMode, c.expected[3]) << c.name;
    EXPECT_EQ(options.m_RankingName, c.expectedName) << c.name;
  }
}

ByteBuilder& WorldStageBody(ByteBuilder& b, int version) {
  b.U32(version > 208 ? 11 : 10);
  for (int i = 0; i < (version > 208 ? 11 : 10); ++i) b.I32(i == 10 ? 500 : 0);
  return b.U32(2).Str("").Str("stage.stg4");
}

TEST(WorldMapTest, DefaultFile) {
  ByteBuilder b;
  b.I32(696).U32(8).I32(20).I32(15).I32(32).I32(5).I32(9).I32(7).I32(16).I32(0).U32(2).Str(Sjis("ワールド")).Str("");
  b.U32(10);
  for (int i = 0; i < 10; ++i)
    b.U32(3).I32(0).I32(i < 5).I32(i).U32(2).Str("").Str(Sjis(i < 5 ? "通行不可" : "通行可"));
  b.U32(480).Append(Bytes(480 * 4, 0));
  b.U32(0);
  b.U32(1)
      .U32(2)
      .I32(0)
      .I32(0)
      .U32(1)
      .Str(Sjis("デフォルト"))
      .U32(1)
      .U32(11)
      .Append(Bytes(44, 0))
      .U32(2)
      .Str("")
      .Str("");
  cWorldMap map;
  EXPECT_EQ(SavedRecord(map), b.Get());
}

Bytes WorldMapFile(int version, int width, int pitch, int shift, int startX, std::vector<int> worldXs) {
  ByteBuilder b;
  b.I32(version).U32(8).I32(width).I32(2).I32(pitch).I32(shift).I32(startX).I32(-1).I32(0).I32(0).U32(2).Str("m").Str(
      "");
  b.U32(1).U32(3).I32(0).I32(0).I32(0).U32(2).Str("").Str("");
  b.U32(2 * pitch);
  for (int i = 0; i < 2 * pitch; ++i) b.I32(i == 1 ? 7 : 0);
  b.U32(worldXs.size());
  for (int x : worldXs) {
    b.U32(2).I32(x).I32(0).U32(1).Str("w").U32(1);
    WorldStageBody(b, version);
  }
  return b.U32(0).Get();
}

TEST(WorldMapTest, LoadNormalisesAndChecksPitch) {
  cWorldMap map;
  ASSERT_TRUE(LoadRecord(map, WorldMapFile(208, 20, 32, 5, 25, {20, 19, 3})));
  EXPECT_EQ(map.nMapStartX, 19);
  EXPECT_EQ(map.nMapStartY, 0);
  ASSERT_EQ(map.Worlds.size(), 2u);
  EXPECT_EQ(map.Worlds[0].nWorldX, 19);
  EXPECT_EQ(map.Worlds[0].StageList[0].nNeedTotal, 0);
  EXPECT_EQ(map.Cells[1], 0);  // chip 7 does not exist
  ASSERT_TRUE(LoadRecord(map, WorldMapFile(209, 20, 32, 5, 0, {1})));
  EXPECT_EQ(map.Worlds[0].StageList[0].nNeedTotal, 500);
  // A stored pitch that differs from the width's, with its own cell count, is
  // taken as stored: the count is not compared.
  ASSERT_TRUE(LoadRecord(map, WorldMapFile(696, 20, 16, 4, 0, {})));
  EXPECT_EQ(map.nPitch, 16);
  EXPECT_EQ(map.nPitch_Shift, 4);
  EXPECT_EQ(map.Cells.size(), 32u);
  // A shift no map needs is replaced by the width's own (20 wide: 32, 5).
  ASSERT_TRUE(LoadRecord(map, WorldMapFile(696, 20, 1, 40, 0, {})));
  EXPECT_EQ(map.nPitch, 32);
  EXPECT_EQ(map.nPitch_Shift, 5);
  recordtest::LogCapture log;
  EXPECT_FALSE(LoadRecord(map, WorldMapFile(696, 0, 1, 0, 0, {})));
  EXPECT_EQ(log.Lines().size(), 1u);
}

// A valid world map of about 20 MB: 2000 worlds of 150 whole stage entries.
Bytes LargeWorldMap() {
  ByteBuilder b;
  b.I32(696).U32(8).I32(20).I32(15).I32(32).I32(5).I32(0).I32(0).I32(0).I32(0).U32(2).Str("m").Str("");
  b.U32(1).U32(3).I32(0).I32(0).I32(0).U32(2).Str("").Str("");
  b.U32(15 * 32).Append(Bytes(15 * 32 * 4, 0));
  b.U32(2000);
  for (int world = 0; world < 2000; ++world) {
    b.U32(2).I32(world % 20).I32(world / 20 % 15).U32(1).Str("w").U32(150);
    for (int entry = 0; entry < 150; ++entry) WorldStageBody(b, 696);
  }
  return b.U32(0).Get();
}

TEST(WorldMapTest, LargeMapLoadsWithinMemoryProportionalToItsSize) {
  if (kUnderAddressSanitizer) GTEST_SKIP() << "the address sanitizer's shadow memory has no address-space bound";
  const Bytes file = LargeWorldMap();
  ASSERT_GT(file.size(), 19u << 20);
  GTEST_FLAG_SET(death_test_style, "fast");
  auto load = [&] {
    cWorldMap map;
    return LoadRecord(map, file) && map.Worlds.size() == 2000 && map.Worlds[1999].StageList.size() == 150;
  };
  // Each stage entry of 76 bytes in the file takes a few hundred in memory.
  EXPECT_EXIT(LoadWithinBound(file.size(), 8, load), ::testing::ExitedWithCode(kLoaded), "");
}

TEST(WorldMapTest, SetSizeKeepsCells) {
  const std::tuple<int, int, int> pitches[] = {{1, 1, 0}, {16, 16, 4}, {17, 32, 5}, {20, 32, 5}};
  for (auto [width, pitch, shift] : pitches) {
    int p = 0, s = 0;
    CalcPitch(p, s, width);
    EXPECT_EQ(p, pitch);
    EXPECT_EQ(s, shift);
  }
  cWorldMap map;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) map.Cell(x, y) = x * 100 + y;
  ASSERT_EQ(map.SetSize(33, 15), 1);
  EXPECT_EQ(map.nPitch, 64);
  EXPECT_EQ(map.Cell(19, 14), 1914);
  EXPECT_EQ(map.Cell(32, 0), 0);
  ASSERT_EQ(map.SetSize(10, 5), 1);
  EXPECT_EQ(map.Cell(9, 4), 904);
  EXPECT_EQ(map.Cells.size(), 5u * 16);
  EXPECT_EQ(map.SetSize(0, 5), 0);
  EXPECT_EQ(map.nMapWidth, 10);
}

TEST(RankingTest, DefaultFileAndOldFile) {
  ByteBuilder b;
  b.I32(696).U32(0).U32(0).U32(5);
  for (int flag : {1, 1, 0, 1, 1}) {
    b.U32(1).I32(flag).U32(0).U32(20);
    for (int i = 0; i < 20; ++i) b.U32(2).I32(0).I32(0).U32(1).U32(1);
  }
  cRanking ranking;
  EXPECT_EQ(SavedRecord(ranking), b.Get());

  ByteBuilder old;
  old.I32(180).U32(0).U32(0).U32(3);
  for (int flag : {0, 0, 0}) old.U32(1).I32(flag).U32(0).U32(1).U32(2).I32(1).I32(77).U32(1).Str("abc");
  ASSERT_TRUE(LoadRecord(ranking, old.Get()));
  ASSERT_EQ(ranking.Tables.size(), 5u);
  EXPECT_EQ(ranking.Tables[0].bHigherBetter, 0);
  EXPECT_EQ(ranking.Tables[3].bHigherBetter, 1);
  EXPECT_EQ(ranking.Tables[4].bHigherBetter, 1);
  EXPECT_EQ(ranking.Tables[4].Entries.size(), 20u);
  EXPECT_EQ(ranking.Tables[1].Entries[0].EntryName, "abc");
  EXPECT_EQ(ranking.Tables[1].Entries.size(), 1u);  // a stored table keeps its own count
}

cRankingTable TableOf(int higherBetter, std::initializer_list<int> values) {
  cRankingTable table;
  table.bHigherBetter = higherBetter;
  int i = 0;
  for (int value : values) {
    table.Entries[i].bValid = 1;
    table.Entries[i++].nValue = value;
  }
  return table;
}

TEST(RankingTest, FindAndInsert) {
  cRankingTable scores = TableOf(1, {500, 300, 300});
  EXPECT_EQ(FindRankPosition(scores, 300), 3);
  EXPECT_EQ(FindRankPosition(scores, 301), 1);
  EXPECT_EQ(FindRankPosition(scores, 500), 1);
  cRankingTable times = TableOf(0, {1234, 2000});
  EXPECT_EQ(FindRankPosition(times, 1234), 1);
  EXPECT_EQ(FindRankPosition(times, 1000), 0);

  cRankingTable full = TableOf(1, {});
  for (int i = 0; i < 20; ++i) InsertRanking(full, "n" + std::to_string(i), 100 - i);
  EXPECT_EQ(full.Entries[19].nValue, 81);
  EXPECT_EQ(FindRankPosition(full, 50), -1);
  InsertRanking(full, "low", 50);
  EXPECT_EQ(full.Entries[19].nValue, 81);
  InsertRanking(full, "top", 1000);
  EXPECT_EQ(full.Entries.size(), 20u);
  EXPECT_EQ(full.Entries[0].EntryName, "top");
  EXPECT_EQ(full.Entries[1].nValue, 100);
  EXPECT_EQ(full.Entries[19].nValue, 82);  // the old 20th is gone
}

class FolderTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  void SetUp() override {
    for (const char* folder : {"user_data/story", "user_data/challenge", "user_data/free"})
      std::filesystem::create_directories(dir / folder);
  }
};

TEST_F(FolderTest, RankingsOfEveryGenreSaveAndLoad) {
  std::string path;
  EXPECT_EQ(GetRankingPath(path, 3, "area."), 0);
  ASSERT_EQ(GetRankingPath(path, 1, "data\\stg4\\area."), 1);
  EXPECT_EQ(path, "user_data\\challenge\\area.rkg");
  cRanking ranking;
  for (int genre = 0; genre < RANKING_GENRE_COUNT; ++genre) {
    InsertRanking(ranking.Tables[genre], "aaa", 10 + genre);
    InsertRanking(ranking.Tables[genre], "bbb", 20 + genre);
  }
  for (int mode = 0; mode < 3; ++mode) ASSERT_EQ(SaveRanking(ranking, mode, "area."), 1);
  cRanking loaded;
  ASSERT_EQ(LoadRanking(loaded, 2, "area."), 1);
  for (int genre = 0; genre < RANKING_GENRE_COUNT; ++genre) {
    bool lowerFirst = genre == 2;
    EXPECT_EQ(loaded.Tables[genre].Entries[0].nValue, (lowerFirst ? 10 : 20) + genre);
    EXPECT_EQ(loaded.Tables[genre].Entries[1].EntryName, lowerFirst ? "bbb" : "aaa");
  }
  EXPECT_EQ(LoadRanking(loaded, 0, "other."), 0);
  EXPECT_EQ(loaded.Tables[0].Entries[0].bValid, 0);
  EXPECT_EQ(SaveRanking(loaded, 3, "area."), 0);
}

TEST(SaveDataTest, DefaultFile) {
  cSaveData save;
  ByteBuilder b;
  b.I32(696).U32(32);
  for (int i = 0; i < 32; ++i) b.I32(i == 23 ? 1 : i == 24 ? -1 : 0);  // nChallengeOpen, nSaveSlot
  b.U32(2).Str("").Str("aaa").Append(Bytes(16, 0));
  b.U32(25).Append(Bytes(100, 0));
  // The hero's character definition follows its body as its own class writes it.
  cCharaDef chara;
  Bytes charaBody = SavedRecord(chara);
  charaBody.erase(charaBody.begin(), charaBody.begin() + 4);
  b.U32(1).U32(5).Append(Bytes(20, 0)).U32(0).Append(charaBody);
  b.U32(0).U32(40);
  for (int i = 0; i < 40; ++i) b.U32(2).I32(0).I32(0).U32(0);
  b.U32(1000).I32(1).Append(Bytes(999 * 4, 0)).U32(256).Append(Bytes(1024, 0));
  EXPECT_EQ(SavedRecord(save), b.Get());
  cSaveData loaded;
  ASSERT_TRUE(LoadRecord(loaded, b.Get()));
  EXPECT_EQ(SavedRecord(loaded), b.Get());
}

// The numeric fields a save of `version` stores, counted from the save layout's
// registration list: each group with the version that added it.
std::uint32_t SaveFieldCount(int v) {
  return 5 + 9 + (v > 181 ? 2 : 0) + 2 + (v > 165) + (v > 193) + (v >= 190) + (v > 190 ? 2 : 0) + 2 + (v > 168) + 2 +
         (v >= 678 ? 3 : 0) + (v > 678);
}

// A save of an old version: the fields that version stores, written in order.
Bytes OldSave(int version, int fieldValue) {
  const std::uint32_t fields = SaveFieldCount(version);
  ByteBuilder b;
  b.I32(version).U32(fields);
  for (std::uint32_t i = 0; i < fields; ++i) b.I32(fieldValue);
  b.U32(2).Str("st.").Str("xyz").Append(Bytes(16, 0));
  if (version > 500) b.U32(25).Append(Bytes(100, 0));
  b.U32(0).U32(0).U32(0).U32(0).U32(0);
  return b.Get();
}

TEST(SaveDataTest, MigrationOfOldSaves) {
  ASSERT_EQ(SaveFieldCount(696), 32u);  // the current layout of the default file
  cSaveData save;
  ASSERT_TRUE(LoadRecord(save, OldSave(165, 3)));
  EXPECT_EQ(save.nBgmParam, 1);
  EXPECT_EQ(save.nHpLeftTotal, 0);
  EXPECT_EQ(save.bAutoSave, 0);
  ASSERT_TRUE(LoadRecord(save, OldSave(189, 3)));
  EXPECT_EQ(save.bReenter, 0);
  EXPECT_EQ(save.nHpLeftTotal, 3);
  ASSERT_TRUE(LoadRecord(save, OldSave(193, 3)));
  EXPECT_EQ(save.nStageCursor, 0);
  EXPECT_EQ(save.bReenter, 3);
  EXPECT_EQ(save.nReturnX, 3);
  EXPECT_EQ(save.CarrySwitch, cCheckedVector<int>(25, 1));
  ASSERT_TRUE(LoadRecord(save, OldSave(501, 3)));
  EXPECT_EQ(save.CarrySwitch, cCheckedVector<int>(25, 0));
  save.nStartDir = 9;
  ASSERT_TRUE(LoadRecord(save, OldSave(678, 4)));
  EXPECT_EQ(save.bStartPos, 4);
  EXPECT_EQ(save.nStartY, 4);
  EXPECT_EQ(save.nStartDir, 9);
  // Lists the program indexes are full length whatever the file held.
  EXPECT_EQ(save.Switch.size(), 1000u);
  EXPECT_EQ(save.GameValue.size(), 256u);
  EXPECT_EQ(save.HeroStatus.size(), 1u);
  EXPECT_EQ(save.ClearList.size(), 40u);
  EXPECT_EQ(save.nChallengeOpen, 4);
  EXPECT_EQ(save.nRankGenre, 4);
  // Stored indexes beyond what they index are brought back.
  ASSERT_TRUE(LoadRecord(save, OldSave(696, 500)));
  EXPECT_EQ(save.nRankGenre, 0);
  EXPECT_EQ(save.nSaveSlot, -1);
  EXPECT_EQ(save.nMapX, 9);
}

TEST(SaveDataTest, NormaliseCutsChallengeRecords) {
  cSaveData save;
  save.ClearList.resize(45);
  save.nChallengeOpen = 45;
  save.nMapX = 20;
  save.nMapY = -3;
  save.NormalizeSaveData();
  EXPECT_EQ(save.ClearList.size(), 40u);
  EXPECT_EQ(save.nChallengeOpen, 40);
  EXPECT_EQ(save.nMapX, 9);
  EXPECT_EQ(save.nMapY, 7);
}

TEST(SaveDataTest, StageNamesAndScores) {
  const std::pair<const char*, const char*> names[] = {{"area-1.stg4_696", "area."},
                                                       {"area.stg4_696", "area."},
                                                       {"stage-12.stg4_696", "stage."},
                                                       {"a-1-2.x", "a."},
                                                       {"plain", ""},
                                                       {"", ""}};
  cSaveData save;
  for (auto [name, base] : names) {
    save.SetStageFileName(name);
    EXPECT_EQ(save.StageName, base) << name;
  }
  save.SetStageFileName("x-1.stg4");
  EXPECT_EQ(save.bSeriesStart, 1);
  save.UpdateStageScore("a.", 100);
  save.UpdateStageScore("a.", 50);
  save.UpdateStageScore("a.", 150);
  save.UpdateStageScore("b.", 10);
  EXPECT_EQ(save.GetStageScore("a."), 150);
  EXPECT_EQ(save.GetStageScore("A."), 0);
  EXPECT_EQ(save.nBestTotal, 160);

  cWorldMap map;
  map.Worlds.resize(1);
  map.Worlds[0].StageList[0].StageFile = "a-1.stg4_696";
  WorldMap = &map;
  save.CalcTotalScore();
  WorldMap = nullptr;
  EXPECT_EQ(save.nBestTotal, 150);
}

TEST(SaveDataTest, StartStateGenresAndLaps) {
  cSaveData save;
  save.GameValue[3] = 7;
  save.nLife = 4;
  save.nScore = 100;
  save.StoreStageStartState();
  save.GameValue[3] = 9;
  save.nLife = 2;
  save.nScore = 300;
  EXPECT_EQ(save.RestoreStageStartState(0, 0, false), 100);
  EXPECT_EQ(save.GameValue[3], 7);
  EXPECT_EQ(save.nLife, 2);
  save.nLife = 1;
  save.RestoreStageStartState(1, 0, false);
  EXPECT_EQ(save.nLife, 4);

  cSystemData system;
  system.m_ModeRankings[0].m_Genres = {0, 1, 0, 1, 0};
  SystemData = &system;
  save.nRankGenre = 3;
  save.SelectRankingGenre(0, 1);
  EXPECT_EQ(save.nRankGenre, 1);
  save.nRankGenre = 2;
  save.SelectRankingGenre(0, 0);
  EXPECT_EQ(save.nRankGenre, 3);
  save.SelectRankingGenre(0, -1);
  EXPECT_EQ(save.nRankGenre, 1);
  system.m_ModeRankings[0].m_Genres = {0, 0, 0, 0, 0};
  save.SelectRankingGenre(0, 1);
  EXPECT_EQ(save.nRankGenre, 1);
  save.CarrySwitch.assign(25, 1);
  save.ResetCarryOnMiss();
  EXPECT_EQ(save.CarrySwitch[11], 0);
  EXPECT_EQ(save.CarrySwitch[10], 1);
  SystemData = nullptr;

  save.nMapX = 3;
  save.EnterNextRound();
  EXPECT_EQ(save.nLap, 1);
  EXPECT_EQ(save.Switch[0], 0);
  EXPECT_EQ(save.nMapX, 9);
}

TEST_F(FolderTest, StorySlotsSaveListAndLoad) {
  std::string path;
  GetStoryPath(path, 0);
  EXPECT_EQ(path, "user_data\\story\\Story01.dat");
  GetStoryPath(path, 98);
  EXPECT_EQ(path, "user_data\\story\\Story99.dat");

  SaveSlotVector slots(STORY_SLOT_COUNT);
  SaveSlotList = &slots;
  cSaveData save;
  for (int slot : {0, 41, 98}) {
    save.nScore = slot;
    ASSERT_EQ(save.SaveStory(slot, {}), 1);
    EXPECT_EQ(slots[slot].bUsed, 1);
  }
  SaveSlotList = nullptr;
  SaveSlotVector scanned(STORY_SLOT_COUNT);
  ScanStorySlots(scanned, {});
  for (int i = 0; i < STORY_SLOT_COUNT; ++i) EXPECT_EQ(scanned[i].bUsed, i == 0 || i == 41 || i == 98) << i;
  EXPECT_EQ(scanned[41].SaveTime.wYear, save.SaveTime.wYear);
  cSaveData loaded;
  ASSERT_EQ(loaded.LoadStory(41, {}), 1);
  EXPECT_EQ(loaded.nScore, 41);
  EXPECT_EQ(loaded.nLife, UNLIMITED_LIVES);  // story lives are unlimited by default
  EXPECT_EQ(loaded.LoadStory(5, {}), 0);
}

// A slot whose file is there but damaged still holds a save: it lists as used,
// with the time stamp when the file reaches that far, and it does not load.
TEST_F(FolderTest, DamagedSlotFilesListAsUsedAndDoNotLoad) {
  cSaveData save;
  ASSERT_EQ(save.SaveStory(0, {}), 1);
  const std::string whole = dir.Read("user_data/story/Story01.dat");
  // The time stamp follows the 32 numeric fields and the two strings ("" and
  // "aaa" with their lengths): 8 + 32 * 4 + 4 + 4 + 8 = 152, 16 bytes long.
  constexpr size_t kTimeStamp = 152;
  struct Case {
    int slot;
    size_t bytes;  // kept of the whole file
    bool dated;
  };
  const Case cases[] = {{1, kTimeStamp + 16 + 30, true}, {2, kTimeStamp + 8, false}, {3, 2, false}};
  for (const Case& c : cases)
    dir.Write("user_data/story/Story0" + std::to_string(c.slot + 1) + ".dat", whole.substr(0, c.bytes));
  recordtest::LogCapture log;
  SaveSlotVector slots(STORY_SLOT_COUNT);
  ScanStorySlots(slots, {});
  EXPECT_EQ(slots[0].bUsed, 1);
  EXPECT_TRUE(slots[0].HasSaveTime());
  EXPECT_EQ(slots[4].bUsed, 0);
  for (const Case& c : cases) {
    EXPECT_EQ(slots[c.slot].bUsed, 1) << c.slot;
    EXPECT_EQ(slots[c.slot].HasSaveTime(), c.dated) << c.slot;
    if (c.dated) {
      EXPECT_EQ(std::memcmp(&slots[c.slot].SaveTime, &save.SaveTime, sizeof save.SaveTime), 0);
    }
    cSaveData play;
    EXPECT_EQ(play.LoadStory(c.slot, {}), 0) << c.slot;
  }
}

TEST_F(FolderTest, LivesFollowTheModeSettingsOnLoad) {
  cSystemData system;
  system.m_UnlimitedLives[0] = 0;
  system.m_InitialLives[0] = 3;
  SystemData = &system;
  cSaveData save;
  save.nLife = save.nEntryLife = UNLIMITED_LIVES;
  ASSERT_EQ(save.SaveStory(0, {}), 1);
  cSaveData loaded;
  ASSERT_EQ(loaded.LoadStory(0, {}), 1);
  SystemData = nullptr;
  EXPECT_EQ(loaded.nLife, 3);
  EXPECT_EQ(loaded.nEntryLife, UNLIMITED_LIVES);
}

TEST_F(FolderTest, DamagedOrInterruptedSavesLeaveThePlayAndTheOldFile) {
  cSaveData save;
  save.nScore = 1;
  ASSERT_EQ(save.SaveStory(2, {}), 1);
  std::string before = dir.Read("user_data/story/Story03.dat");
  // A write that stops part of the way (a file size limit below the save's size).
  save.nScore = 2;
  struct rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 1000;
  setrlimit(RLIMIT_FSIZE, &small);
  int result = save.SaveStory(2, {});
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(dir.Read("user_data/story/Story03.dat"), before);

  dir.Write("user_data/story/Story04.dat", before.substr(0, 200));
  recordtest::LogCapture log;
  cSaveData play;
  play.nScore = 77;
  EXPECT_EQ(play.LoadStory(3, {}), 0);
  EXPECT_EQ(play.nScore, 77);
  EXPECT_EQ(play.LoadChallenge({}), 0);
  for (const auto& entry : std::filesystem::directory_iterator(dir / "user_data/story"))
    EXPECT_EQ(entry.path().filename().string().rfind(".zandrel-tmp-", 0), std::string::npos);
}

}  // namespace

namespace {

TEST(HeroCarryTest, StoreAndRestoreFollowFlagsAndSwitches) {
  cSystemData system;  // carries items 0, 1, 13, 14, 16, 17, 19, 20, 21
  system.m_CarryFlags[11] = 1;
  system.m_CarryFlags[22] = 1;
  SystemData = &system;
  cSaveData save;
  cCharaDef hero;
  hero.m_nGraphic = 0;
  hero.m_nAnimeSet = 5;
  hero.m_nZ = 3;
  hero.m_nMaxHp = 50;
  CarryLiveValues live;
  live.nHp = 17;
  live.nTimeLeft = 99;
  save.StoreHeroStatus(0, hero, live);
  EXPECT_EQ(save.bHeroCarried, 1);
  EXPECT_EQ(save.CarrySwitch[1], 1);
  EXPECT_EQ(save.CarrySwitch[2], 0);

  cCharaDef next;
  next.m_nAnimeSet = 1;
  next.m_nZ = 7;
  next.m_nGraphic = 9;
  cStageData stage;
  save.CarrySwitch[13] = 0;  // dropped after a miss
  save.RestoreHeroStatus(0, next, stage);
  EXPECT_EQ(next.m_nGraphic, 1);  // a carried graphic 0 becomes 1
  EXPECT_EQ(next.m_nAnimeSet, 5);
  EXPECT_EQ(next.m_nZ, 7);
  EXPECT_EQ(next.m_nMaxHp, cCharaDef().m_nMaxHp);  // item 13 switched off
  EXPECT_EQ(stage.m_nTimeLimit, 99);
  int hp = 1, sp = 2;
  save.RestoreHeroExtra(0, hp, sp);
  EXPECT_EQ(hp, 17);
  EXPECT_EQ(sp, 2);
  SystemData = nullptr;

  cSaveData fresh;
  cCharaDef untouched;
  untouched.m_nAnimeSet = 4;
  fresh.RestoreHeroStatus(0, untouched, stage);
  EXPECT_EQ(untouched.m_nAnimeSet, 4);
}

}  // namespace

namespace {

TEST(WorldStageTest, CurrentEntryIsTheFirstWhoseConditionsHold) {
  cWorld world;
  world.StageList.resize(4);
  world.StageList[0].nNeedSwitch = 5;
  world.StageList[1].nCondValue = 3;
  world.StageList[1].nCondOp = 6;  // divisible by
  world.StageList[1].nCondRef = 4;
  world.StageList[2].nNeedTotal = 100;
  world.StageList[3].nCondValue = 9999;  // beyond the game values: never holds
  cSaveData play;
  play.GameValue[3] = -6;
  EXPECT_EQ(FindCurrentStage(world, play), nullptr);
  play.GameValue[3] = -8;
  EXPECT_EQ(FindCurrentStage(world, play), &world.StageList[1]);
  play.Switch[5] = 1;
  EXPECT_EQ(FindCurrentStage(world, play), &world.StageList[0]);
  play.Switch[5] = 0;
  play.GameValue[3] = 1;
  play.nBestTotal = 100;
  EXPECT_EQ(FindCurrentStage(world, play), &world.StageList[2]);
  world.StageList[1].nCondRef = 0;  // a reference of 0 counts as dividing
  EXPECT_EQ(FindCurrentStage(world, play), &world.StageList[1]);
}

}  // namespace
