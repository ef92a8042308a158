// Replays: the run-length input streams, the replay file's bytes (its parts
// in order, a save of a load identical to the first save, a file cut anywhere
// refused with nothing changed) and the names the save dialog proposes.
#include "stage/Replay.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "TinyStage.h"
#include "gamedata/SaveData.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

TEST(ReplayStreamTest, RunsOfEqualWordsAreCounted) {
  cReplayData replay;
  for (int i = 0; i < 1000; ++i) RecordReplayFrame(replay, 4, 0);
  ASSERT_EQ(replay.m_DirWords.size(), 1u);
  EXPECT_EQ(replay.m_DirRuns[0], 1000u);
  ASSERT_EQ(replay.m_ButtonWords.size(), 1u);
  EXPECT_EQ(replay.m_ButtonRuns[0], 1000u);

  // Right twice, then left with button 1 twice, then right again.
  cReplayData mixed;
  for (auto [dir, button] : {std::pair<WORD, WORD>{8, 0}, {8, 0}, {4, 1}, {4, 1}, {8, 0}})
    RecordReplayFrame(mixed, dir, button);
  EXPECT_EQ(mixed.m_DirWords, (cCheckedVector<WORD>{8, 4, 8}));
  EXPECT_EQ(mixed.m_DirRuns, (cCheckedVector<std::uint32_t>{2, 2, 1}));
  EXPECT_EQ(mixed.m_ButtonWords, (cCheckedVector<WORD>{0, 1, 0}));
  EXPECT_EQ(mixed.m_ButtonRuns, (cCheckedVector<std::uint32_t>{2, 2, 1}));

  // Played back frame by frame, then the end.
  WORD dir = 99, button = 99;
  const WORD wantDir[] = {8, 8, 4, 4, 8}, wantButton[] = {0, 0, 1, 1, 0};
  for (int frame = 0; frame < 5; ++frame) {
    ASSERT_EQ(PlayReplayFrame(mixed, dir, button), 0) << frame;
    EXPECT_EQ(dir, wantDir[frame]) << frame;
    EXPECT_EQ(button, wantButton[frame]) << frame;
  }
  EXPECT_EQ(PlayReplayFrame(mixed, dir, button), 1);
  EXPECT_EQ(dir, 8);  // the words are left alone at the end
}

TEST(ReplayStreamTest, PlaybackEndsWhenEitherStreamIsUsedUp) {
  cReplayData replay;
  replay.m_DirWords = {1};
  replay.m_DirRuns = {10};
  replay.m_ButtonWords = {2};
  replay.m_ButtonRuns = {3};
  WORD dir = 0, button = 0;
  for (int frame = 0; frame < 3; ++frame) ASSERT_EQ(PlayReplayFrame(replay, dir, button), 0);
  EXPECT_EQ(PlayReplayFrame(replay, dir, button), 1);

  // A copy takes the streams and the seed, not the cursors.
  cReplayData copy;
  replay.m_nSeed = 77;
  CopyReplay(copy, replay);
  EXPECT_EQ(copy.m_nSeed, 77);
  EXPECT_EQ(copy.m_DirRuns, replay.m_DirRuns);
  EXPECT_EQ(copy.m_nButtonIndex, 0);
  ResetReplayData(replay);
  EXPECT_TRUE(replay.m_DirWords.empty() && replay.m_ButtonRuns.empty());
  EXPECT_EQ(replay.m_nSeed, 0);
  EXPECT_EQ(replay.m_nButtonIndex, 0);
}

class ReplayFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stage.SetDefault();
    tinystage::Build(stage, kBlockHitSolid);
    stage.m_strName = "tiny";
    // As a loaded stage is: its settings normalised.
    stage.NormalizeStage({});
    settings.CopySettings(stage);
    settings.ClearDefinitions();
    replay.m_nSeed = 0x01020304;
    RecordReplayFrame(replay, 8, 0);
    RecordReplayFrame(replay, 8, 1);
    RecordReplayFrame(replay, 2, 1);
    record.nLife = 3;
    record.nScore = 450;
    record.bStartPos = 1;
    record.nStartX = 7;
  }
  fs::path Save(const std::string& name) {
    const fs::path file = dir.Path() / name;
    EXPECT_EQ(SaveReplayFile(file.string(), replay, stage, settings, record, {}), 1);
    return file;
  }

  testsupport::TempDir dir;
  cStageData stage, settings;
  cReplayData replay;
  cSaveData record;
};

TEST_F(ReplayFileTest, PartsFollowTheStageInOrder) {
  const std::vector<std::uint8_t> bytes = ReadAll(Save("a.rpl4_696"));
  EXPECT_EQ(U32At(bytes, 0), 696u);
  // The stage snapshot as a stage file writes it, end mark included.
  cRecordWriter stageBytes;
  cStageData copy = stage;
  copy.SaveStageSnapshot(stageBytes, settings, {});
  const size_t stageEnd = 4 + stageBytes.Bytes().size();
  ASSERT_GT(bytes.size(), stageEnd);
  EXPECT_EQ(std::memcmp(bytes.data() + 4, stageBytes.Bytes().data(), stageBytes.Bytes().size()), 0);
  EXPECT_EQ(U32At(bytes, stageEnd - 4), STAGE_END_MARK);
  // The replay record: one field (the seed), no strings, then the four streams.
  const std::uint8_t replayPart[] = {1, 0, 0, 0, 4, 3, 2, 1, 0, 0, 0, 0,   // body
                                     2, 0, 0, 0, 8, 0, 2, 0,               // direction words
                                     2, 0, 0, 0, 0, 0, 1, 0,               // button words
                                     2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0,   // direction runs
                                     2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0};  // button runs
  ASSERT_GE(bytes.size(), stageEnd + sizeof replayPart);
  EXPECT_EQ(std::memcmp(bytes.data() + stageEnd, replayPart, sizeof replayPart), 0);
  // Then the play record, as its own save writes it.
  cRecordWriter recordBytes;
  cSaveData recordCopy = record;
  recordCopy.Save(recordBytes, {});
  EXPECT_EQ(bytes.size(), stageEnd + sizeof replayPart + recordBytes.Bytes().size());
}

TEST_F(ReplayFileTest, ALoadSavesTheSameBytes) {
  const std::vector<std::uint8_t> first = ReadAll(Save("a.rpl4_696"));
  cStageData loadedStage, loadedSettings;
  cReplayData loaded;
  cSaveData loadedRecord;
  ASSERT_EQ(LoadReplayFile((dir.Path() / "a.rpl4_696").string(), loaded, loadedStage, loadedSettings, loadedRecord, {}),
            1);
  EXPECT_EQ(loaded.m_nSeed, 0x01020304);
  EXPECT_EQ(loadedRecord.nLife, 3);
  EXPECT_EQ(loadedRecord.nStartX, 7);
  EXPECT_TRUE(loadedSettings.m_PlacedCharas.empty());  // the settings without definitions
  EXPECT_EQ(loadedSettings.m_strName, "tiny");
  const fs::path again = dir.Path() / "b.rpl4_696";
  ASSERT_EQ(SaveReplayFile(again.string(), loaded, loadedStage, loadedSettings, loadedRecord, {}), 1);
  EXPECT_EQ(ReadAll(again), first);
}

// Whatever the length a file is cut to, the load refuses it and the objects
// keep what they held.
TEST_F(ReplayFileTest, AFileCutAnywhereIsRefusedWithNothingChanged) {
  const std::vector<std::uint8_t> whole = ReadAll(Save("a.rpl4_696"));
  cReplayData kept;
  kept.m_nSeed = 5;
  RecordReplayFrame(kept, 1, 1);
  cStageData keptStage;
  keptStage.m_strName = "kept";
  cStageData keptSettings;
  cSaveData keptRecord;
  keptRecord.nLife = 42;
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    std::vector<std::uint8_t> bytes(whole.begin(), whole.begin() + static_cast<long>(cut));
    ASSERT_EQ(LoadReplayBytes(bytes, kept, keptStage, keptSettings, keptRecord, {}), 0) << cut;
    ASSERT_EQ(kept.m_nSeed, 5) << cut;
    ASSERT_EQ(kept.m_DirWords.size(), 1u) << cut;
    ASSERT_EQ(keptStage.m_strName, "kept") << cut;
    ASSERT_EQ(keptRecord.nLife, 42) << cut;
  }
  EXPECT_EQ(LoadReplayBytes(whole, kept, keptStage, keptSettings, keptRecord, {}), 1);
  EXPECT_EQ(kept.m_nSeed, 0x01020304);
}

TEST_F(ReplayFileTest, DamagedStreamsAndEndMarksAreRefused) {
  const std::vector<std::uint8_t> whole = ReadAll(Save("a.rpl4_696"));
  cRecordWriter stageBytes;
  cStageData copy = stage;
  copy.SaveStageSnapshot(stageBytes, settings, {});
  const size_t stageEnd = 4 + stageBytes.Bytes().size();
  struct Case {
    const char* name;
    size_t at;
    std::uint8_t value;
  };
  const Case cases[] = {
      {"the stage's end mark", stageEnd - 4, 0},
      {"a direction run of no frames", stageEnd + 12 + 8 + 8 + 4, 0},
      {"fewer button runs than button words", stageEnd + 12 + 8 + 8 + 12, 1},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes = whole;
    bytes[c.at] = c.value;
    cReplayData replay;
    cStageData loadedStage, loadedSettings;
    cSaveData loadedRecord;
    EXPECT_EQ(LoadReplayBytes(bytes, replay, loadedStage, loadedSettings, loadedRecord, {}), 0) << c.name;
  }
}

TEST(ReplayNameTest, TheFirstFreeNumberedNameIsProposed) {
  testsupport::TempDir dir;
  const fs::path previous = fs::current_path();
  fs::current_path(dir.Path());
  fs::create_directories("user_data/rpl4");
  EXPECT_EQ(ReplayExtension(), "rpl4_696");
  EXPECT_EQ(DefaultReplayName("data\\stg4\\s01."), "s01_00.rpl4_696");
  EXPECT_EQ(DefaultReplayName("data\\stg4\\Default.stg4_696"), "Default_00.rpl4_696");
  EXPECT_EQ(DefaultReplayName(""), "");
  std::ofstream("user_data/rpl4/s01_00.rpl4_696") << "x";
  std::ofstream("user_data/rpl4/s01_01.rpl4_696") << "x";
  EXPECT_EQ(DefaultReplayName("data\\stg4\\s01."), "s01_02.rpl4_696");
  for (int n = 0; n <= 8; ++n)
    for (int m = 0; m <= 8; ++m)
      std::ofstream("user_data/rpl4/s01_" + std::to_string(n) + std::to_string(m) + ".rpl4_696") << "x";
  EXPECT_EQ(DefaultReplayName("data\\stg4\\s01."), "s01_88.rpl4_696");
  fs::current_path(previous);
}

}  // namespace
