// The zdata tool on the game-data files of a project: JSON, re-saves and
// damaged files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "GameDataTestSupport.h"
#include "gamedata/Database.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"
#include "records/EdSettings.h"
#include "records/FlowEnums.h"
#include "records/StageData.h"
#include "support/TempDir.h"

#ifdef ZDATA_PROGRAM

using namespace gamedatatest;

namespace {

class GameDataZdata : public ::testing::Test {
 protected:
  int Run(const std::string& arguments) {
    std::string command = std::string(ZDATA_PROGRAM) + " " + arguments + " >" + (dir / "out.txt").string() + " 2>" +
                          (dir / "err.txt").string();
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Out() const { return dir.Read("out.txt"); }
  std::string Err() const { return dir.Read("err.txt"); }
  std::string Path(const std::string& relative) const { return (dir / relative).string(); }
  void Write(const std::string& relative, const Bytes& bytes) { dir.Write(relative, recordtest::AsString(bytes)); }
  // Resaves a file and expects the very same bytes back.
  void ExpectResaveIdentical(const std::string& relative) {
    ASSERT_EQ(Run("resave " + Path(relative) + " " + Path("again.out")), 0) << Err();
    EXPECT_EQ(dir.Read("again.out"), dir.Read(relative)) << relative;
  }

  testsupport::TempDir dir;
};

TEST_F(GameDataZdata, ShowsAndResavesEveryKind) {
  cSystemData system;
  Write("proj/data/System.dat", SavedRecord(system));
  ASSERT_EQ(Run("show " + Path("proj/data/System.dat")), 0) << Err();
  EXPECT_NE(Out().find("\"kind\": \"systemData\""), std::string::npos);
  EXPECT_NE(Out().find("はじめから"), std::string::npos);
  ExpectResaveIdentical("proj/data/System.dat");

  cDatabase db;
  Write("proj/data/database/AnimeSet.dat",
        SavedBytes([&](cRecordWriter& out) { SaveDatabaseList(db, DatabaseFile::AnimeSet, out, {}); }));
  ASSERT_EQ(Run("show " + Path("proj/data/database/AnimeSet.dat")), 0) << Err();
  EXPECT_NE(Out().find("飛行移動"), std::string::npos);
  EXPECT_NE(Out().find("\"frames\""), std::string::npos);
  ExpectResaveIdentical("proj/data/database/AnimeSet.dat");

  cWorldMap map;
  Write("proj/data/WorldMap.dat", SavedRecord(map));
  ExpectResaveIdentical("proj/data/WorldMap.dat");
  cSaveData save;
  save.UpdateStageScore("area.", 300);
  Write("proj/user_data/story/Story07.dat", SavedRecord(save));
  ASSERT_EQ(Run("show " + Path("proj/user_data/story/Story07.dat")), 0) << Err();
  EXPECT_NE(Out().find("\"stageScores\""), std::string::npos);
  ExpectResaveIdentical("proj/user_data/story/Story07.dat");
  cRanking ranking;
  InsertRanking(ranking.Tables[1], "abc", 42);
  Write("proj/user_data/free/area.rkg", SavedRecord(ranking));
  ExpectResaveIdentical("proj/user_data/free/area.rkg");
}

TEST_F(GameDataZdata, DamagedAndUnknownFiles) {
  cRanking ranking;
  Bytes bytes = SavedRecord(ranking);
  bytes.resize(bytes.size() / 2);
  Write("proj/user_data/free/cut.rkg", bytes);
  EXPECT_EQ(Run("show " + Path("proj/user_data/free/cut.rkg")), 1);
  EXPECT_NE(Err().find("offset"), std::string::npos);
  Write("notes.txt", Bytes{1, 2, 3});
  EXPECT_EQ(Run("show " + Path("notes.txt")), 2);
}

// A project whose databases hold 9 music entries and a sword type of 7
// tenths, and a stage of it using both, saved with that project's context.
TEST_F(GameDataZdata, ResavesAStageWithTheProjectsDatabases) {
  cDatabase db;
  db.Bgm.resize(9);
  db.SwordType.resize(2);
  db.SwordType[1].m_Parts.resize(2);
  db.SwordType[1].m_Parts[0].m_nDuration = 3;
  db.SwordType[1].m_Parts[1].m_nDuration = 4;
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
    const auto file = static_cast<DatabaseFile>(i);
    const std::string_view path = DatabasePath(file);
    Write("proj/data/database/" + std::string(path.substr(path.rfind('\\') + 1)),
          SavedBytes([&](cRecordWriter& out) { SaveDatabaseList(db, file, out, {}); }));
  }
  cLoadContext ctx;
  FillLoadContext(db, ctx);

  cStageData stage;
  stage.m_nBgm = 5;
  cFlowCommand sword;
  sword.m_nType = CMD_SWORD;
  NewEdShot(sword.m_pShot);
  sword.m_pShot->m_nTrajectory = 1;
  // Entry 0 of the palette is the empty entry.
  stage.m_PaletteCharas.resize(2);
  stage.m_PaletteCharas[1].m_vFlows.resize(1);
  stage.m_PaletteCharas[1].m_vFlows[0].m_vCommands.push_back(sword);
  Write("proj/data/stg4/forest.stg4_696", SavedRecord(stage, ctx));
  ASSERT_EQ(stage.m_PaletteCharas[1].m_vFlows[0].m_vCommands[0].m_nTime, 7);

  ExpectResaveIdentical("proj/data/stg4/forest.stg4_696");
  EXPECT_EQ(Err(), "");

  // A damaged database fails the project's context.
  Write("proj/data/database/Bgm.dat", recordtest::ByteBuilder().I32(696).U32(9).Get());
  EXPECT_EQ(Run("show " + Path("proj/data/stg4/forest.stg4_696")), 1);
  EXPECT_NE(Err().find("Bgm.dat"), std::string::npos) << Err();
}

}  // namespace

#endif
