// The ten databases: default files byte for byte from their layout tables,
// migrations of old files, the loader's order and failures, and the sequences
// and run tables built at start-up.
#include "gamedata/Database.h"

#include <gtest/gtest.h>

#include "GameDataTestSupport.h"
#include "gamedata/EffectRun.h"
#include "library/util/Log.h"
#include "library/util/Text.h"
#include "support/TempDir.h"

using namespace gamedatatest;

namespace {

Bytes SaveList(cDatabase& db, DatabaseFile file) {
  return SavedBytes([&](cRecordWriter& out) { SaveDatabaseList(db, file, out, {}); });
}

bool LoadList(cDatabase& db, DatabaseFile file, const Bytes& bytes) {
  return LoadBytes(bytes, [&](cRecordReader& in) { LoadDatabaseList(db, file, in, {}); });
}

// Body of a cDbAnime at 696: three editor values, the name, the frames.
ByteBuilder& DefaultAnime(ByteBuilder& b, std::string_view name) {
  b.U32(3).I16(0).U8(1).I16(0).U32(1).Str(name);
  return b.U32(1).U32(3).I32(0).I32(1).I32(0).U32(0);
}

TEST(DatabaseGolden, DefaultAnimeSetAndAnime) {
  cDatabase db;
  ByteBuilder set;
  set.I32(696).U32(1).U32(3).I32(4).I32(8).I32(0).U32(1).Str("").U32(4);
  for (const char* name : {"立ち", "立ち移動", "飛行", "飛行移動"}) DefaultAnime(set, Sjis(name));
  EXPECT_EQ(SaveList(db, DatabaseFile::AnimeSet), set.Get());

  ByteBuilder anime;
  anime.I32(696).U32(2);
  DefaultAnime(anime, Sjis("なし"));
  DefaultAnime(anime, Sjis("アクションA"));
  EXPECT_EQ(SaveList(db, DatabaseFile::Anime), anime.Get());
}

TEST(DatabaseGolden, DefaultEffectFiles) {
  cDatabase db;
  ByteBuilder effect;
  effect.I32(696).U32(2);
  for (int i = 0; i < 2; ++i) effect.U32(4).I32(0).I32(32).I32(32).I32(0).U32(2).Str("").Str("").U32(0);
  EXPECT_EQ(SaveList(db, DatabaseFile::Effect), effect.Get());

  ByteBuilder entries;
  entries.I32(696).U32(2);
  for (int i = 0; i < 2; ++i) entries.U32(2).I32(1).I32(0).I32(0).I32(0).I32(0).I32(0).U32(1).Str("");
  EXPECT_EQ(SaveList(db, DatabaseFile::CharaEffect), entries.Get());
  EXPECT_EQ(SaveList(db, DatabaseFile::ScrEffect), entries.Get());
}

TEST(DatabaseGolden, DefaultMediaFiles) {
  cDatabase db;
  ByteBuilder bmp;
  bmp.I32(696).U32(2);
  for (int i = 0; i < 2; ++i) bmp.U32(3).I32(0).I32(0).I32(2).U32(2).Str("").Str("");
  EXPECT_EQ(SaveList(db, DatabaseFile::BmpCharaExc), bmp.Get());

  ByteBuilder sword;
  sword.I32(696).U32(1).U32(1).I32(0).U32(3).Str("").Str("").Str("");
  sword.U32(1).U32(10).I32(0).I32(0).I32(1).I32(0).I32(0).I32(0).I32(0).I32(0).I32(0).I32(1).U32(0);
  EXPECT_EQ(SaveList(db, DatabaseFile::SwordType), sword.Get());

  ByteBuilder media;
  media.I32(696).U32(2);
  for (int i = 0; i < 2; ++i) media.U32(1).I32(0).U32(2).Str("").Str("");
  for (DatabaseFile file : {DatabaseFile::Picture, DatabaseFile::Sound, DatabaseFile::Bgm})
    EXPECT_EQ(SaveList(db, file), media.Get());
}

TEST(DatabaseMigration, AnimeSetBelow128HasFourBasicAnimations) {
  // Version 118: two set fields, the animations without editor values.
  auto oldSet = [](int version, int animations) {
    ByteBuilder b;
    b.I32(version).U32(1).U32(version >= 119 ? 3 : 2).I32(5).I32(9);
    if (version >= 119) b.I32(3);
    b.U32(1).Str("set").U32(animations);
    for (int i = 0; i < animations; ++i)
      b.U32(0).U32(1).Str("a" + std::to_string(i)).U32(1).U32(3).I32(10 + i).I32(2).I32(0).U32(0);
    return b.Get();
  };
  cDatabase db;
  ASSERT_TRUE(LoadList(db, DatabaseFile::AnimeSet, oldSet(118, 2)));
  const cDbAnimeSet& set = db.AnimeSet[0];
  ASSERT_EQ(set.m_Animes.size(), 4u);
  EXPECT_EQ(set.m_Animes[1].m_Name, "a1");
  EXPECT_EQ(set.m_Animes[2].m_Name, Sjis("飛行"));
  EXPECT_EQ(set.m_Animes[3].m_Name, Sjis("飛行移動"));
  EXPECT_EQ(set.m_Animes[3].m_Frames.size(), 1u);
  EXPECT_EQ(set.m_Animes[3].m_Frames[0].m_nDuration, 1);
  EXPECT_EQ(set.m_nPatternOffset3, 0);
  EXPECT_EQ(set.m_Animes[0].m_byEditorValue2, 1);

  ASSERT_TRUE(LoadList(db, DatabaseFile::AnimeSet, oldSet(127, 6)));
  ASSERT_EQ(db.AnimeSet[0].m_Animes.size(), 4u);
  EXPECT_EQ(db.AnimeSet[0].m_Animes[2].m_Name, Sjis("飛行"));
  EXPECT_EQ(db.AnimeSet[0].m_Animes[2].m_Frames[0].m_nPattern, 12);
  EXPECT_EQ(db.AnimeSet[0].m_nPatternOffset3, 3);

  ASSERT_TRUE(LoadList(db, DatabaseFile::AnimeSet, oldSet(128, 6)));
  ASSERT_EQ(db.AnimeSet[0].m_Animes.size(), 6u);
  EXPECT_EQ(db.AnimeSet[0].m_Animes[2].m_Name, "a2");
}

TEST(DatabaseMigration, EffectConversionOfOldFiles) {
  auto file = [](int version, int kind) {
    ByteBuilder b;
    b.I32(version).U32(2);
    for (int i = 0; i < 2; ++i) b.U32(2).I32(kind).I32(10).I32(1).I32(2).I32(7).I32(7).U32(1).Str("");
    return b.Get();
  };
  struct Case {
    DatabaseFile file;
    int version, kind, param3, param4;
  };
  const Case cases[] = {
      {DatabaseFile::CharaEffect, 510, 4, 7, 2}, {DatabaseFile::CharaEffect, 511, 4, 7, 7},
      {DatabaseFile::CharaEffect, 510, 5, 7, 2}, {DatabaseFile::CharaEffect, 510, 10, 2, 7},
      {DatabaseFile::CharaEffect, 510, 3, 7, 7}, {DatabaseFile::ScrEffect, 500, 7, 7, 10},
      {DatabaseFile::ScrEffect, 500, 6, 7, 8},   {DatabaseFile::ScrEffect, 500, 10, 8, 7},
      {DatabaseFile::ScrEffect, 500, 8, 7, 7},
  };
  for (const Case& c : cases) {
    cDatabase db;
    ASSERT_TRUE(LoadList(db, c.file, file(c.version, c.kind)));
    const cDbEffectEntry& entry =
        c.file == DatabaseFile::CharaEffect ? static_cast<cDbEffectEntry&>(db.CharaEffect[1]) : db.ScrEffect[1];
    EXPECT_EQ(entry.m_nParam[3], c.param3) << c.version << " kind " << c.kind;
    EXPECT_EQ(entry.m_nParam[4], c.param4) << c.version << " kind " << c.kind;
  }
}

TEST(DatabaseMigration, MediaEditorValuesAndOldLayouts) {
  cDatabase db;
  auto swords = [](int version) {
    ByteBuilder b;
    b.I32(version).U32(1).U32(1).I32(5).U32(3).Str("s").Str("i0").Str("i1").U32(1);
    b.U32(version >= 138 ? 10 : 8).I32(1).I32(2);
    if (version >= 138) b.I32(0).I32(1);
    b.I32(3).I32(4).I32(5).I32(6).I32(7).I32(8).U32(0);
    return b.Get();
  };
  ASSERT_TRUE(LoadList(db, DatabaseFile::SwordType, swords(152)));
  EXPECT_EQ(db.SwordType[0].m_nEditorValue, 0);
  ASSERT_TRUE(LoadList(db, DatabaseFile::SwordType, swords(153)));
  EXPECT_EQ(db.SwordType[0].m_nEditorValue, 5);
  EXPECT_EQ(db.SwordType[0].m_Parts[0].m_bMirrorX, 0);
  // Version 137: eight part fields, no editor value, mirror flags at their defaults.
  ByteBuilder old;
  old.I32(137).U32(1).U32(0).U32(3).Str("s").Str("").Str("").U32(2);
  for (int i = 0; i < 2; ++i) old.U32(8).I32(1).I32(2).I32(3).I32(4).I32(5).I32(6).I32(7).I32(8).U32(0);
  ASSERT_TRUE(LoadList(db, DatabaseFile::SwordType, old.Get()));
  for (const auto& part : db.SwordType[0].m_Parts) {
    EXPECT_EQ(part.m_bMirrorX, 1);
    EXPECT_EQ(part.m_bMirrorY, 0);
    EXPECT_EQ(part.m_nDuration, 8);
  }
  ByteBuilder bmp171;
  bmp171.I32(171).U32(1).U32(1).I32(4).U32(2).Str("b").Str("f.bmp");
  ASSERT_TRUE(LoadList(db, DatabaseFile::BmpCharaExc, bmp171.Get()));
  EXPECT_EQ(db.Bmp_CharaExc[0].m_bLargeCell, 0);
  EXPECT_EQ(db.Bmp_CharaExc[0].m_nCellSize, 2);
  EXPECT_EQ(db.Bmp_CharaExc[0].m_nEditorValue, 4);  // cleared only below 153
  ByteBuilder sound150;
  sound150.I32(150).U32(1).U32(0).U32(2).Str("n").Str("a.wav");
  ASSERT_TRUE(LoadList(db, DatabaseFile::Sound, sound150.Get()));
  EXPECT_EQ(db.Sound[0].m_File, "a.wav");
  EXPECT_EQ(db.Sound[0].m_nEditorValue, 0);
  ByteBuilder anime54;
  anime54.I32(54).U32(1).U32(0).U32(1).Str("walk").U32(1).U32(3).I32(4).I32(2).I32(0).U32(0);
  ASSERT_TRUE(LoadList(db, DatabaseFile::Anime, anime54.Get()));
  EXPECT_EQ(db.Anime[0].m_Name, "walk");
  EXPECT_EQ(db.Anime[0].m_byEditorValue2, 1);
}

TEST(DatabaseHardening, BadValuesAreClampedOrPadded) {
  cDatabase db;
  ByteBuilder bmp;
  bmp.I32(696).U32(1).U32(3).I32(0).I32(1).I32(0).U32(2).Str("").Str("");
  ASSERT_TRUE(LoadList(db, DatabaseFile::BmpCharaExc, bmp.Get()));
  EXPECT_EQ(db.Bmp_CharaExc[0].m_nCellSize, 1);  // 16 / 0 cells a row cannot stand
  ByteBuilder effect;
  effect.I32(696).U32(1).U32(4).I32(0).I32(0).I32(-3).I32(0).U32(2).Str("").Str("").U32(0);
  ASSERT_TRUE(LoadList(db, DatabaseFile::Effect, effect.Get()));
  EXPECT_EQ(db.Effect[0].m_nCellWidth, 1);
  EXPECT_EQ(db.Effect[0].m_nCellHeight, 1);
  // No entry at all: one default entry stands in for entry 0.
  ASSERT_TRUE(LoadList(db, DatabaseFile::CharaEffect, ByteBuilder().I32(696).U32(0).Get()));
  EXPECT_EQ(db.CharaEffect.size(), 1u);
  ByteBuilder shortSet;
  shortSet.I32(696).U32(1).U32(3).I32(4).I32(8).I32(0).U32(1).Str("").U32(1);
  DefaultAnime(shortSet, "only");
  ASSERT_TRUE(LoadList(db, DatabaseFile::AnimeSet, shortSet.Get()));
  EXPECT_EQ(db.AnimeSet[0].m_Animes.size(), 4u);
}

TEST(DatabaseHardening, DamagedFileFailsAndKeepsTheList) {
  recordtest::LogCapture log;
  cDatabase db;
  ByteBuilder huge;
  huge.I32(696).U32(0xFFFFFFFF);
  EXPECT_FALSE(LoadList(db, DatabaseFile::Anime, huge.Get()));
  ByteBuilder cut;
  cut.I32(696).U32(2).U32(2).I32(5);
  EXPECT_FALSE(LoadList(db, DatabaseFile::CharaEffect, cut.Get()));
  EXPECT_EQ(db.Anime.size(), 2u);
  EXPECT_EQ(db.CharaEffect.size(), 2u);
  EXPECT_EQ(log.Lines().size(), 2u);
}

class DatabaseFilesTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  void SetUp() override {
    std::filesystem::create_directories(dir / "data/database");
    ReportInit("Report_Game.txt");
  }
  void WriteAll(cDatabase& db) {
    for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
      auto file = static_cast<DatabaseFile>(i);
      ASSERT_TRUE(SaveDataFile(DatabasePath(file), [&](cRecordWriter& out) { SaveDatabaseList(db, file, out, {}); }));
    }
  }
};

TEST_F(DatabaseFilesTest, LoadsAllTenAndFixesEntryZero) {
  cDatabase source;
  source.CharaEffect[0].m_nKind = 5;
  source.CharaEffect[1].m_nKind = 7;
  source.Sound.resize(5);
  source.Anime[1].m_Name = "x\r\ny";
  WriteAll(source);
  cDatabase db;
  ASSERT_EQ(LoadDatabase(db, {}), 1);
  EXPECT_EQ(db.CharaEffect[0].m_nKind, 0);
  EXPECT_EQ(db.CharaEffect[1].m_nKind, 7);
  EXPECT_EQ(db.Sound.size(), 5u);
  EXPECT_EQ(db.Anime[1].m_Name, "x\ny");
  cLoadContext ctx;
  FillLoadContext(db, ctx);
  EXPECT_EQ(ctx.db.nSound, 5);
  EXPECT_EQ(ctx.swordTypeDurations, std::vector<int>{1});
}

TEST_F(DatabaseFilesTest, MissingSoundFileStopsBeforeSoundAndBgm) {
  cDatabase source;
  source.Picture.resize(4);
  source.Bgm.resize(6);
  WriteAll(source);
  std::filesystem::remove(dir / "data/database/Sound.dat");
  cDatabase db;
  db.Picture.clear();
  EXPECT_EQ(LoadDatabase(db, {}), 0);
  EXPECT_EQ(db.Picture.size(), 4u);
  EXPECT_EQ(db.Bgm.size(), 2u);
  EXPECT_NE(dir.Read("Report_Game.txt").find("data\\database\\Sound.dat"), std::string::npos);
}

TEST(DatabaseSequences, AnimationSequencesFromFrames) {
  cCheckedVector<cDbAnime> animes(6);
  auto setFrames = [](cDbAnime& anime, std::initializer_list<std::pair<int, int>> durationsAndFlags) {
    anime.m_Frames.clear();
    for (auto [duration, flag] : durationsAndFlags) {
      cDbAnimeFrame frame;
      frame.m_nPattern = 3;
      frame.m_nDuration = duration;
      frame.m_nFlag = flag;
      anime.m_Frames.push_back(frame);
    }
  };
  setFrames(animes[0], {{1, 0}, {2, 0}});
  setFrames(animes[5], {{1, 0}, {2, 1}, {3, 0}});
  animes[4].m_Frames.clear();
  AnimeTable table;
  BuildAnimeSequences(animes, table);
  ASSERT_EQ(table.size(), 6u);
  EXPECT_EQ(table[0], (AnimeSequence{{3, 0, 1}, {3, 0, 1}, {ANIME_LOOP, 0, 1}}));
  EXPECT_EQ(table[5], (AnimeSequence{{3, 6, 0}, {3, 12, 1}, {3, 18, 1}, {ANIME_END, 0, 0}}));
  EXPECT_EQ(table[4], (AnimeSequence{{ANIME_END, 0, 0}}));
}

TEST(DatabaseSequences, EffectSequencesAndReversedCopies) {
  cDatabase db;
  db.Effect.resize(5);
  cDbEffectFrame frame;
  frame.m_nPattern = 2;
  frame.m_nDuration = 2;
  db.Effect[4].m_Frames = {frame, frame};
  db.Effect[4].m_Frames[1].m_nDuration = 3;
  db.Effect[0].m_Frames = {frame};
  db.CharaEffect.resize(3);
  db.CharaEffect[1].m_nParam[1] = 0;
  db.CharaEffect[1].m_nParam[2] = 100;
  db.CharaEffect[1].m_nParam[0] = 10;
  FixDatabaseEntry0(db);
  AnimeTable animes, effects;
  PrepareDatabase(db, animes, effects);
  EXPECT_EQ(effects[4], (AnimeSequence{{2, 12, 0}, {2, 18, 0}, {ANIME_END, 0, 0}}));
  EXPECT_EQ(effects[0], (AnimeSequence{{2, 0, 1}, {ANIME_LOOP, 0, 1}}));
  EXPECT_EQ(animes.size(), db.Anime.size());
  ASSERT_EQ(db.CharaEffectRev.size(), 3u);
  EXPECT_EQ(db.CharaEffect[1].m_nParam[1], 0);
  EXPECT_EQ(db.CharaEffectRev[1].m_nParam[1], 100);
  EXPECT_EQ(db.CharaEffectRev[1].m_nParam[2], 0);
  ASSERT_EQ(CharaEffectRuns.size(), 3u);
  EXPECT_EQ(CharaEffectRuns[0].lpEntry, &db.CharaEffect[0]);
  EXPECT_EQ(CharaEffectRunsRev[2].lpEntry, &db.CharaEffectRev[2]);
  EXPECT_EQ(CharaEffectRuns[0].Values.dStep, 0.0);  // kind 0 carries only index and record
  // The defaults leave the copies alone.
  db.SetDefault();
  EXPECT_EQ(db.CharaEffectRev.size(), 3u);
}

}  // namespace
