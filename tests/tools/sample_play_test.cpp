// The sample project's stages played in-process from their files: the
// enemies patrol and turn at ledges and one hops, the bridge over a pit
// appears in the frame its seconds run out, and the hero's jump reaches the
// lower platforms and their coins. Expected places come from the stage files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "gamedata/Database.h"
#include "gamedata/ProjectContext.h"
#include "library/input/KeyInput.h"
#include "library/util/Text.h"
#include "mkproject_support.h"
#include "records/FlowEnums.h"
#include "records/RecordHooks.h"
#include "records/StageData.h"
#include "records/StandaloneContext.h"
#include "stage/StagePlay.h"
#include "stage/StageRules.h"
#include "stage/StageSetup.h"

using namespace mkprojecttest;

namespace {

constexpr int kMargin = 10;  // cells of the map's margin on every side
constexpr WORD kRight = 2, kButton1 = 1;

double CellLeft(int column) { return (column + kMargin) * 32.0; }

class SamplePlay : public ::testing::Test {
 protected:
  void SetUp() override {
    m_previous = fs::current_path();
    fs::current_path(SampleProject());
    ASSERT_TRUE(LoadProjectContext(m_context));
    // The running database: the enemies' touches make hit effects from it.
    ASSERT_EQ(LoadDatabase(m_database, m_context.Get()), 1);
    Database = &m_database;
    BuildEffectSequences(m_database.Effect, EffectSequences);
    KeyInputList.assign(1, cKeyInput{});
    SetRecordHooks(&m_hooks);
  }
  void TearDown() override {
    EffectSequences.clear();
    Database = nullptr;
    SetRecordHooks(nullptr);
    StageData = StageDataOrg = nullptr;
    CurrentPlayScene = nullptr;
    KeyInputList.clear();
    fs::current_path(m_previous);
  }
  void Load(const char* name) {
    std::string path;
    StrFormat(path, "data\\stg4\\%s.stg4_%03d", name, nCurVersion);
    ASSERT_EQ(m_stage.LoadFromFile(path, m_context.Get()), 1);
    StageData = StageDataOrg = &m_stage;
    ASSERT_TRUE(SetStage(m_scene, 1, 1));
  }
  // One play frame with these keys held.
  int Frame(WORD dir = 0, WORD buttons = 0) {
    cKeyInput& input = KeyInputList.VecAt(0);
    input.m_wDir = dir;
    input.m_wButton = buttons;
    input.RecordInputHistory();
    input.RecordKeyTimelines();
    return RunPlayFrame(m_scene);
  }
  // The solid blocks of `row` next to each other that hold `column`: first and one past the last column.
  std::pair<int, int> SolidRun(int column, int row) const {
    auto solid = [&](int x) {
      return std::any_of(m_stage.m_PlacedBlocks.begin(), m_stage.m_PlacedBlocks.end(), [&](const cBlockDef& b) {
        return b.m_nMapX == x && b.m_nMapY == row && b.m_nHitKind == kBlockHitSolid && b.m_vConditions.empty();
      });
    };
    int first = column, last = column;
    while (solid(first - 1)) --first;
    while (solid(last + 1)) ++last;
    return {first, last + 1};
  }
  // The walking speed of a placed character's ground-turn command, dots per frame.
  static double WalkSpeed(const cCharaDef& def) {
    for (const cFlow& flow : def.m_vFlows)
      for (const cFlowCommand& command : flow.m_vCommands)
        if (command.m_nType == CMD_GROUND_TURN_MOVE) return command.m_pMove->m_nSpeed * 0.1;
    return 0;
  }
  // The placed block that appears by its conditions.
  const cBlockDef& Bridge() const {
    auto bridge = std::find_if(m_stage.m_PlacedBlocks.begin(), m_stage.m_PlacedBlocks.end(),
                               [](const cBlockDef& b) { return !b.m_vConditions.empty(); });
    EXPECT_NE(bridge, m_stage.m_PlacedBlocks.end());
    return bridge == m_stage.m_PlacedBlocks.end() ? m_stage.m_PlacedBlocks.front() : *bridge;
  }
  // The bridge stands from the frame in which the seconds left fall to its
  // condition's value: the time limit counts down once every 60 frames.
  int BridgeFrame() const {
    const cBlockDef& bridge = Bridge();
    return bridge.m_vConditions.empty() ? 0 : (m_stage.m_nTimeLimit - bridge.m_vConditions.front().m_nValue) * 60;
  }
  static bool Hops(const cCharaDef& def) {
    for (const cFlow& flow : def.m_vFlows)
      for (const cFlowCommand& command : flow.m_vCommands)
        if (command.m_nType == CMD_JUMP) return true;
    return false;
  }
  cNpc& Placed(bool hopper) {
    for (cNpc& c : m_scene.CharaList)
      if (Hops(c.m_Def) == hopper) return c;
    ADD_FAILURE() << "no such enemy";
    return m_scene.CharaList.front();
  }

  cStandaloneContext m_context;
  cDatabase m_database;
  cStageRecordHooks m_hooks;
  cStageData m_stage;
  cStagePlayScene m_scene;

 private:
  fs::path m_previous;
};

// The slow enemy walks its platform end to end, turning within a frame's walk
// of each ledge; the hopper leaves the floor and turns at the pit's ledge and
// at the wall. The stage's shooter hits the idle hero every two seconds: with
// invincibility setting 1 the hero is hit but loses no HP, and stays for the run.
TEST_F(SamplePlay, EnemiesPatrolTurnAtLedgesAndOneHops) {
  Load("c02-1");
  m_scene.Hero().m_Def.m_nInvincible = 1;
  cNpc& walker = Placed(false);
  cNpc& hopper = Placed(true);
  const auto [first, end] = SolidRun(walker.m_Def.m_nMapX, walker.m_Def.m_nMapY + 1);
  const double speed = WalkSpeed(walker.m_Def);
  ASSERT_GT(speed, 0);
  const double floorY = hopper.m_dY;
  double minX = walker.m_dX, maxRight = walker.m_dRight, hopperTop = floorY, hopperMinX = hopper.m_dX;
  // On the hopper's right a wall: the first block on the row it walks in.
  int wall = 99;
  for (const cBlockDef& b : m_stage.m_PlacedBlocks)
    if (b.m_nMapY == hopper.m_Def.m_nMapY && b.m_nMapX > hopper.m_Def.m_nMapX) wall = std::min<int>(wall, b.m_nMapX);
  ASSERT_LT(wall, 99);
  const double hopperSpeed = WalkSpeed(hopper.m_Def);
  double hopperMaxRight = hopper.m_dRight, backFromWall = CellLeft(wall);
  bool atWall = false;
  int walkerTurns = 0;
  const int bridgeFrame = BridgeFrame();
  for (int frame = 1; frame <= 400; ++frame) {
    const int facing = walker.m_bRight;
    ASSERT_EQ(Frame(), 0);
    walkerTurns += walker.m_bRight != facing;
    minX = std::min(minX, walker.m_dX);
    maxRight = std::max(maxRight, walker.m_dRight);
    hopperTop = std::min(hopperTop, hopper.m_dY);
    if (frame < bridgeFrame) hopperMinX = std::min(hopperMinX, hopper.m_dX);
    hopperMaxRight = std::max(hopperMaxRight, hopper.m_dRight);
    atWall = atWall || hopper.m_dRight + 1 >= CellLeft(wall) - hopperSpeed;
    if (atWall) backFromWall = std::min(backFromWall, hopper.m_dX);
  }
  EXPECT_GE(walkerTurns, 3);
  EXPECT_NEAR(minX, CellLeft(first), speed);
  EXPECT_NEAR(maxRight + 1, CellLeft(end), speed);
  // It hops at least a cell high, and the pit (spikes on the row below the
  // floor) turns it back before its bridge is there.
  EXPECT_LT(hopperTop, floorY - 32);
  int pitEnd = 0;
  for (const cBlockDef& b : m_stage.m_PlacedBlocks)
    if (b.m_nHitKind == kBlockHitDeadly) pitEnd = std::max(pitEnd, b.m_nMapX + 1);
  EXPECT_NEAR(hopperMinX, CellLeft(pitEnd), hopperSpeed);
  // The wall stops it and it walks back from there.
  EXPECT_NEAR(hopperMaxRight + 1, CellLeft(wall), hopperSpeed);
  EXPECT_LT(backFromWall, CellLeft(wall) - 64);
}

TEST_F(SamplePlay, BridgeAppearsInTheFrameItsSecondsRunOut) {
  Load("c02-1");
  const cBlockDef& bridge = Bridge();
  const int appears = BridgeFrame();
  ASSERT_GT(appears, 0);
  MAPCELL& cell = m_scene.CellAt(m_scene.CellIndex(bridge.m_nMapX + kMargin, bridge.m_nMapY + kMargin));
  for (int frame = 1; frame <= appears + 60; ++frame) {
    ASSERT_EQ(Frame(), 0);
    ASSERT_EQ(GetBlockHit(cell, 0), frame >= appears ? kBlockHitSolid : kBlockHitNone) << "frame " << frame;
  }
}

// Walking right and jumping from two cells before the first platform, the hero
// lands on it, four cells above the floor, and takes the coins above it.
TEST_F(SamplePlay, HeroJumpsOntoTheLowerPlatformAndTakesItsCoins) {
  Load("Default");
  const int platform = m_stage.m_PlacedCharas.at(static_cast<size_t>(m_stage.FindHero())).m_nMapX;
  cPlayer& hero = m_scene.Hero();
  // The first platform: the lowest row of solid blocks above the floor, right of the hero.
  int row = 0, column = 99;
  for (const cBlockDef& b : m_stage.m_PlacedBlocks)
    if (b.m_nMapX > platform && b.m_nMapY < hero.m_Def.m_nMapY && b.m_nMapY >= row &&
        (b.m_nMapY > row || b.m_nMapX < column))
      row = b.m_nMapY, column = b.m_nMapX;
  const auto [first, end] = SolidRun(column, row);
  int coins = 0;
  for (const cItemDef& item : m_stage.m_PlacedItems)
    coins += item.m_nMapY == row - 1 && item.m_nMapX >= first && item.m_nMapX < end;
  ASSERT_GT(coins, 0);
  const size_t items = m_scene.ItemList.size();

  while (hero.m_dRight + 1 < CellLeft(first) - 64) ASSERT_EQ(Frame(kRight), 0);
  for (int frame = 0; frame < 40; ++frame) ASSERT_EQ(Frame(kRight, kButton1), 0);
  const double onPlatform = CellLeft(row) - hero.m_nHeight;
  EXPECT_NEAR(hero.m_dY, onPlatform, 1.0);
  while (hero.m_dX < CellLeft(end) - 8 && hero.m_dY < onPlatform + 1) ASSERT_EQ(Frame(kRight), 0);
  EXPECT_EQ(m_scene.ItemList.size(), items - static_cast<size_t>(coins));
}

// The spring set into the floor throws the hero that walks onto it up to the
// upper platform, seven cells above the floor, while Right stays held.
TEST_F(SamplePlay, SpringThrowsTheWalkingHeroOntoTheUpperPlatform) {
  Load("Default");
  auto spring = std::find_if(m_stage.m_PlacedBlocks.begin(), m_stage.m_PlacedBlocks.end(),
                             [](const cBlockDef& b) { return b.m_nEffectKind == 1; });
  ASSERT_NE(spring, m_stage.m_PlacedBlocks.end());
  // The highest row of solid blocks right of the spring.
  int row = spring->m_nMapY;
  for (const cBlockDef& b : m_stage.m_PlacedBlocks)
    if (b.m_nMapX > spring->m_nMapX && b.m_nHitKind == kBlockHitSolid) row = std::min<int>(row, b.m_nMapY);
  ASSERT_LE(row, spring->m_nMapY - 7);
  cPlayer& hero = m_scene.Hero();
  const double onPlatform = CellLeft(row) - hero.m_nHeight;
  bool landed = false;
  for (int frame = 0; frame < 600 && !landed; ++frame) {
    ASSERT_EQ(Frame(kRight), 0);
    landed = hero.m_bHitBottom && std::fabs(hero.m_dY - onPlatform) < 1;
  }
  EXPECT_TRUE(landed) << "the hero ended at " << hero.m_dX << "," << hero.m_dY;
}

}  // namespace
