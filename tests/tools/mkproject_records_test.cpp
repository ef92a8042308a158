// The record files of the generated project: each loads with the project's
// loaders and saves back to the same bytes, zdata shows each, and the
// stages, world map and system data hold what the sample game needs.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "gamedata/Database.h"
#include "gamedata/PathTable.h"
#include "gamedata/ProjectContext.h"
#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"
#include "mkproject_support.h"
#include "platform/HostPath.h"
#include "records/FlowEnums.h"
#include "records/Palette.h"
#include "records/StageData.h"
#include "records/StandaloneContext.h"
#include "support/TempDir.h"

using namespace mkprojecttest;

namespace {

// One record file loaded by its loader, saved again by its Save.
struct RecordFile {
  std::function<bool(const std::string&, const cLoadContext&)> load;
  std::function<bool(const std::string&, const cLoadContext&)> save;
};

template <typename Record>
RecordFile WholeRecord(std::shared_ptr<Record> record) {
  return {[record](const std::string& path, const cLoadContext& ctx) { return record->LoadFromFile(path, ctx) != 0; },
          [record](const std::string& path, const cLoadContext& ctx) { return record->SaveToFile(path, ctx) != 0; }};
}

RecordFile DatabaseRecord(DatabaseFile file) {
  auto db = std::make_shared<cDatabase>();
  return {[db, file](const std::string& path, const cLoadContext& ctx) {
            return LoadDataFile(path, [&](cRecordReader& in) { LoadDatabaseList(*db, file, in, ctx); });
          },
          [db, file](const std::string& path, const cLoadContext& ctx) {
            return SaveDataFile(path, [&](cRecordWriter& out) { SaveDatabaseList(*db, file, out, ctx); });
          }};
}

std::optional<RecordFile> LoaderFor(const fs::path& relative) {
  const std::string name = relative.filename().string();
  if (relative.extension().string().rfind(".stg4_", 0) == 0) return WholeRecord(std::make_shared<cStageData>());
  if (name == "CommonPalette.cplt4") return WholeRecord(std::make_shared<cPalette>());
  if (name == "System.dat") return WholeRecord(std::make_shared<cSystemData>());
  if (name == "WorldMap.dat") return WholeRecord(std::make_shared<cWorldMap>());
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
    const auto file = static_cast<DatabaseFile>(i);
    if (fs::path(platform::ToHostPath(DatabasePath(file))).filename() == name) return DatabaseRecord(file);
  }
  return std::nullopt;
}

class MkProjectRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    m_previous = fs::current_path();
    fs::current_path(SampleProject());
    ASSERT_TRUE(LoadProjectContext(m_context));
    m_context.Get().onReset = [this](std::string_view field, long, long) { m_resets.emplace_back(field); };
  }
  void TearDown() override { fs::current_path(m_previous); }

  static std::string Stored(const fs::path& path) { return platform::FromHostPath(path).value(); }

  testsupport::TempDir m_out;
  cStandaloneContext m_context;
  std::vector<std::string> m_resets;

 private:
  fs::path m_previous;
};

TEST_F(MkProjectRecords, EveryRecordFileSavesBackToItsOwnBytes) {
  const auto files = RecordFiles(SampleProject());
  ASSERT_EQ(files.size(), 2u * (DATABASE_FILE_COUNT + 3 + 5));
  for (const fs::path& relative : files) {
    SCOPED_TRACE(relative.string());
    auto record = LoaderFor(relative);
    ASSERT_TRUE(record) << "no loader for the file";
    ASSERT_TRUE(record->load(Stored(relative), m_context.Get()));
    const fs::path again = m_out / "again";
    ASSERT_TRUE(record->save(Stored(again), m_context.Get()));
    EXPECT_TRUE(ReadAll(again) == ReadAll(relative)) << "the re-saved file differs";
  }
  EXPECT_TRUE(m_resets.empty()) << "validation reset " << m_resets.front();
}

TEST_F(MkProjectRecords, ZdataShowsEveryRecordFile) {
  for (const fs::path& relative : RecordFiles(SampleProject())) {
    SCOPED_TRACE(relative.string());
    EXPECT_EQ(RunTool(std::string(ZDATA_PROGRAM) + " show '" + relative.string() + "'", m_out / "out.json",
                      m_out / "err.txt"),
              0)
        << ReadAll(m_out / "err.txt");
    EXPECT_EQ(ReadAll(m_out / "err.txt"), "");
    EXPECT_EQ(ReadAll(m_out / "out.json").front(), '{');
  }
}

cStageData LoadStage(const std::string& stored, const cLoadContext& ctx) {
  cStageData stage;
  EXPECT_EQ(stage.LoadFromFile(stored, ctx), 1) << stored;
  return stage;
}

bool HasKeyFlow(const cCharaDef& hero, int keySlot, int commandType) {
  for (const cFlow& flow : hero.m_vFlows)
    if (!flow.m_vKeyConditions.empty() &&
        flow.m_vKeyConditions.back().m_vKeys.at(static_cast<std::size_t>(keySlot)) == 1 && !flow.m_vCommands.empty() &&
        flow.m_vCommands.front().m_nType == commandType)
      return true;
  return false;
}

TEST_F(MkProjectRecords, StagesHoldAPlayableHeroWalkingEnemiesItemsAndGround) {
  for (const char* name : {"Default", "s01-1", "s01-2", "c01-1", "c02-1"}) {
    SCOPED_TRACE(name);
    std::string path;
    StrFormat(path, "data\\stg4\\%s.stg4_%03d", name, nCurVersion);
    const cStageData stage = LoadStage(path, m_context.Get());
    const int hero = stage.FindHero();
    ASSERT_GE(hero, 0);
    const cCharaDef& heroDef = stage.m_PlacedCharas.at(static_cast<std::size_t>(hero));
    EXPECT_EQ(heroDef.m_nOperator, 0);
    EXPECT_NE(heroDef.m_nGraphic, 0);
    EXPECT_TRUE(HasKeyFlow(heroDef, 1, CMD_STRAIGHT_MOVE));  // left
    EXPECT_TRUE(HasKeyFlow(heroDef, 2, CMD_STRAIGHT_MOVE));  // right
    EXPECT_TRUE(HasKeyFlow(heroDef, 11, CMD_JUMP));          // button 1
    int walkers = 0;
    for (const cCharaDef& chara : stage.m_PlacedCharas) {
      EXPECT_EQ(chara.m_nCarriedItem, -1);
      if (chara.m_nOperator == 1 && !chara.m_vFlows.empty() && chara.m_vFlows.front().m_vCommands.front().m_pMove)
        ++walkers;
    }
    EXPECT_GE(walkers, 2);
    EXPECT_FALSE(stage.m_PlacedItems.empty());
    // The active world (extent + 640 dots on each axis) is the map with its 10-cell margins.
    EXPECT_EQ(stage.m_nExtentX + 640, (stage.m_nMapWidth + 20) * 32);
    EXPECT_EQ(stage.m_nExtentY + 640, (stage.m_nMapHeight + 20) * 32);
    // The hero stands on the floor: a solid block right below its cell.
    bool floor = false;
    for (const cBlockDef& block : stage.m_PlacedBlocks)
      floor = floor || (block.m_nMapX == heroDef.m_nMapX && block.m_nMapY == heroDef.m_nMapY + 1 &&
                        block.m_nHitKind == kBlockHitSolid);
    EXPECT_TRUE(floor);
  }
}

TEST_F(MkProjectRecords, WorldMapAndSystemDataNameFilesThatExist) {
  cWorldMap map;
  ASSERT_EQ(map.LoadFromFile(PathTable[PATH_WORLD_MAP], m_context.Get()), 1);
  ASSERT_EQ(map.Worlds.size(), 4u);
  for (const cWorld& world : map.Worlds)
    for (const cWorldStage& stage : world.StageList) {
      if (stage.nKind != 0) continue;  // a wall plays nothing
      std::string newest = stage.StageFile + "_" + std::to_string(nCurVersion);
      EXPECT_TRUE(fs::exists(platform::ToHostPath(newest))) << newest;
      EXPECT_EQ(map.MapChips.at(static_cast<std::size_t>(map.Cell(world.nWorldX, world.nWorldY))).bImpassable, 0);
    }

  cSystemData system;
  ASSERT_EQ(system.LoadFromFile(PathTable[PATH_SYSTEM], m_context.Get()), 1);
  EXPECT_FALSE(system.m_GameTitle.empty());
  for (const std::string& sound : system.m_SystemSounds) EXPECT_TRUE(fs::exists(platform::ToHostPath(sound))) << sound;
  for (int n = 1; n <= system.m_nChallengeCount; ++n) {
    std::string path;
    StrFormat(path, "%s%02d-1.stg4_%03d", PathTable[PATH_CHALLENGE_STAGE_PREFIX], n, nCurVersion);
    EXPECT_TRUE(fs::exists(platform::ToHostPath(path))) << path;
  }
}

TEST_F(MkProjectRecords, DatabasesNameFilesThatExistAndBothTuneKinds) {
  cDatabase db;
  cLoadContext ctx = m_context.Get();
  ASSERT_EQ(LoadDatabase(db, ctx), 1);
  std::vector<std::string> files;
  for (std::size_t i = 1; i < db.Bgm.size(); ++i) files.push_back(db.Bgm[i].m_File);
  EXPECT_EQ(files, (std::vector<std::string>{"bgm\\Sample.mid", "bgm\\Sample.ogg"}));
  for (std::size_t i = 1; i < db.Sound.size(); ++i) files.push_back(db.Sound[i].m_File);
  for (std::size_t i = 1; i < db.Picture.size(); ++i) files.push_back(db.Picture[i].m_File);
  for (std::size_t i = 1; i < db.Effect.size(); ++i) files.push_back(db.Effect[i].m_File);
  for (std::size_t i = 1; i < db.Bmp_CharaExc.size(); ++i) files.push_back(db.Bmp_CharaExc[i].m_File);
  for (const auto& sword : db.SwordType) files.insert(files.end(), std::begin(sword.m_Image), std::end(sword.m_Image));
  for (const std::string& file : files) EXPECT_TRUE(fs::exists(platform::ToHostPath(file))) << file;
  EXPECT_GE(db.AnimeSet.size(), 2u);
}

}  // namespace
