// Flow operations, warps, the second status operation and item gets on a tiny
// stage, through the interpreter where the order within a step matters.
#include <cmath>

#include "flow/ObjectCommands.h"
#include "gamedata/SaveData.h"
#include "records/Palette.h"
#include "records/StageData.h"
#include "stage/PauseLoop.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

enum FlowOp { kStart, kEnd, kPause, kResume, kDelete, kStopForever };
enum Selection { kThisFlow, kAllButThis, kById };

cFlowCommand FlowOperation(int op, int selection, int id, bool nonBlocking = false, int time = 0) {
  return MakeCommand(CMD_FLOW_OPERATION, time, nonBlocking, {op, selection, id});
}

cFlow WithId(cFlow flow, int id) {
  flow.m_nId = static_cast<std::int8_t>(id);
  return flow;
}

cCharaDef Flyer(std::initializer_list<cFlow> flows = {}) {
  cCharaDef def = TinyStage::WalkerDef();
  def.m_nFlying = 1;
  for (const cFlow& f : flows) def.m_vFlows.push_back(f);
  return def;
}

}  // namespace

TEST(FlowOperationTest, SelectsFlowsAndActsOnThem) {
  struct Case {
    int op, selection, id;
    // Per flow (IDs 1, 2, 2, then the acting flow): running, paused, stopped forever, deleted, break.
    const char* expected[4];
  };
  const Case cases[] = {
      {kEnd, kAllButThis, 0, {"00001", "00001", "00001", "10000"}},
      {kPause, kById, 2, {"10000", "11001", "11001", "10000"}},
      {kDelete, kById, 2, {"10000", "10011", "10011", "10000"}},
      {kStopForever, kThisFlow, 0, {"10000", "10000", "10000", "00101"}},
      {kEnd, kById, 0, {"10000", "10000", "10000", "10000"}},  // ID 0 selects no flow
      {kStart, kById, 1, {"10001", "10000", "10000", "10000"}},
      {kResume, kAllButThis, 0, {"10000", "10000", "10000", "10000"}},
      {kEnd, 3, 0, {"10000", "10000", "10000", "10000"}},  // an unknown selection
  };
  for (const Case& c : cases) {
    TinyStage stage;
    // The acting flow comes last, so that the others are not stepped after it.
    cFlow wait = MakeFlow(TRG_NONE, {MakeCommand(CMD_WAIT, 5)});
    cNpc& npc = stage.AddNpc(5, 5,
                             Flyer({WithId(wait, 1), WithId(wait, 2), WithId(wait, 2),
                                    MakeFlow(TRG_NONE, {FlowOperation(c.op, c.selection, c.id, false, 5)})}));
    for (cRunningFlow& f : npc.m_vFlows) {
      StartFlow(f);
      f.bPaused = c.op == kResume && &f != &npc.m_vFlows[3];
    }
    npc.StepFlows(0);
    for (size_t i = 0; i < 4; ++i) {
      const cRunningFlow& f = npc.m_vFlows[i];
      const char state[] = {static_cast<char>('0' + f.bRunning),        static_cast<char>('0' + f.bPaused),
                            static_cast<char>('0' + f.bStoppedForever), static_cast<char>('0' + f.bDeleted),
                            static_cast<char>('0' + f.bBreak),          0};
      EXPECT_STREQ(state, c.expected[i]) << "op " << c.op << " selection " << c.selection << " flow " << i;
    }
    EXPECT_EQ(npc.m_bFlowsDeleted, c.op == kDelete ? 1 : 0);
  }
}

TEST(FlowOperationTest, StartingItsOwnFlowRestartsItFromTheFirstCommand) {
  TinyStage stage(2);
  const int n = stage.N();
  cNpc& npc = stage.AddNpc(5, 5,
                           Flyer({MakeFlow(TRG_NONE, {MakeCommand(CMD_WAIT, 1), FlowOperation(kStart, kThisFlow, 0),
                                                      MakeCommand(CMD_WAIT, 1)})}));
  cRunningFlow& flow = npc.m_vFlows[0];
  StartFlow(flow);
  int steps = 0;
  while (flow.bRunning && steps < 100 * n) {
    npc.StepFlows(0);
    ++steps;
  }
  // The first wait (6N steps), the restart, the first wait again, then the last
  // wait: the restart command itself stays done for the rest of this run.
  EXPECT_EQ(steps, 6 * n + 1 + 6 * n + 6 * n);
}

TEST(FlowOperationTest, APausedFlowStopsAtOnceAndGoesOnWhereItStopped) {
  TinyStage stage;
  cNpc& npc =
      stage.AddNpc(5, 5,
                   Flyer({WithId(MakeFlow(TRG_NONE, {FlowOperation(kPause, kThisFlow, 0, true),
                                                     MakeVariableOp(1, 0, 1, 1, true), MakeCommand(CMD_WAIT, 1)}),
                                 1),
                          MakeFlow(TRG_NONE, {MakeCommand(CMD_WAIT, 1), FlowOperation(kResume, kById, 1, true)})}));
  for (cRunningFlow& f : npc.m_vFlows) StartFlow(f);
  npc.StepFlows(0);
  EXPECT_EQ(npc.m_vFlows[0].bPaused, 1);
  EXPECT_EQ(stage.scene.m_StageVar[0], 0);  // the pause ended the step before the next command
  for (int s = 0; s < 6 * stage.N(); ++s) npc.StepFlows(0);
  EXPECT_EQ(npc.m_vFlows[0].bPaused, 0);
  npc.StepFlows(0);
  EXPECT_EQ(stage.scene.m_StageVar[0], 1);
}

TEST(FlowOperationTest, ABeforeStageStartLeavesTheStartingFlowActing) {
  TinyStage stage;
  cFlow first = MakeFlow(TRG_BEFORE_STAGE_START,
                         {FlowOperation(kStart, kById, 2, true), FlowOperation(kStopForever, kThisFlow, 0, true)});
  cFlow second = WithId(MakeFlow(TRG_BEFORE_STAGE_START, {MakeVariableOp(1, 1, 0, 5, true)}), 2);
  cNpc& npc = stage.AddNpc(5, 5, Flyer({first, second}));
  stage.scene.m_pActChara = &npc;
  StartFlow(npc.m_vFlows[0]);
  EXPECT_EQ(stage.scene.m_StageVar[1], 5);
  EXPECT_EQ(npc.m_vFlows[0].bStoppedForever, 1);
  EXPECT_EQ(npc.m_vFlows[1].bStoppedForever, 0);
}

// A program whose pause loop runs at once on the calling thread and counts the frames it shows.
class WaitShell final : public cStageShell {
 public:
  explicit WaitShell(cStagePlayScene& scene) : m_scene(scene) {}
  bool PauseKeyDown() override { return false; }
  void DrawStage(int, int, int, int) override {}
  int FrameRate() const override { return 60; }
  bool DirectStart() const override { return true; }
  bool TestPlay() const override { return false; }
  int PlayMode() const override { return kPlayModeFree; }
  int GameMode() const override { return 2; }
  void SetNextScene(int) override {}
  void PlayCursorSe(WORD) override {}
  void CyclePalette() override {}
  void PostClose() override {}
  int RunModalLoop(ModalLoop loop) override { return loop == ModalLoop::Pause ? PauseThreadProc(m_scene, *this) : 0; }
  void PresentFrame() override { ++presents; }

  int presents = 0;

 private:
  cStagePlayScene& m_scene;
};

class GameWaitTest : public ::testing::TestWithParam<int> {};

TEST_P(GameWaitTest, HoldsTheGameForItsTimeInFrames) {
  TinyStage stage(GetParam());
  WaitShell shell(stage.scene);
  stage.scene.m_pShell = &shell;
  cNpc& npc = stage.AddNpc(
      5, 5, Flyer({MakeFlow(TRG_NONE, {MakeCommand(CMD_GAME_WAIT, 0, false, {15}), MakeVariableOp(1, 0, 1, 1)})}));
  StartFlow(npc.m_vFlows[0]);
  npc.StepFlows(0);
  EXPECT_EQ(shell.presents, 90);  // 1.5 s at 60 frames a second, whatever the logic steps per frame
  EXPECT_EQ(stage.scene.m_PauseReq.nKind, 0);
  EXPECT_EQ(stage.scene.m_PauseReq.bWaitButton, 0);
  EXPECT_EQ(stage.scene.m_StageVar[0], 0);
  // Its timer message stood in the message list while the game waited, and is gone.
  ASSERT_EQ(stage.scene.m_MessageList.size(), 1u);
  EXPECT_EQ(stage.scene.m_MessageList.front().Settings().nKind, MSGKIND_TIMER);
  EXPECT_EQ(stage.scene.m_MessageList.front().Settings().nFrames, 90);
  EXPECT_TRUE(stage.scene.m_MessageList.front().Removed());
  npc.StepFlows(0);  // the flow goes on after the wait
  EXPECT_EQ(stage.scene.m_StageVar[0], 1);
}

INSTANTIATE_TEST_SUITE_P(StepsPerFrame, GameWaitTest, ::testing::Values(1, 2, 3));

class WarpTest : public ::testing::Test {
 protected:
  cFlowCommand Warp(int mode, int direction, int distance) {
    cFlowCommand c = MakeMove(CMD_WARP, 0, direction, 10);
    c.m_pMove->m_nTargetMode = static_cast<std::int8_t>(mode);
    c.m_pMove->m_nDistance = static_cast<std::int16_t>(distance);
    return c;
  }
  TinyStage stage;
  cNpc& npc = stage.AddNpc(10, 5, Flyer());
};

TEST_F(WarpTest, ByDirectionAndDistance) {
  const double diagonal = 32 / std::sqrt(2.0);
  struct Case {
    int direction, facing;
    double dx, dy;
  };
  const Case cases[] = {{2, 0, -32, 0},
                        {3, 0, 32, 0},
                        {6, 0, 0, -32},
                        {7, 0, 0, 32},
                        {0, 1, 32, 0},
                        {1, 1, -32, 0},  // front and back of a right-facing one
                        {8, 0, -diagonal, -diagonal},
                        {11, 0, diagonal, diagonal},
                        {13, 0, 0, 0}};
  for (const Case& c : cases) {
    npc.m_bRight = c.facing;
    const double x = npc.m_dX, y = npc.m_dY;
    npc.m_dVy = 3;
    EXPECT_EQ(DoWarp(npc, Warp(0, c.direction, 2)), 2);
    EXPECT_DOUBLE_EQ(npc.m_dX, x + c.dx) << c.direction;
    EXPECT_DOUBLE_EQ(npc.m_dY, y + c.dy) << c.direction;
    EXPECT_DOUBLE_EQ(npc.m_dRight, npc.m_dX + npc.m_nWidth - 1);
    npc.m_dX = x, npc.m_dY = y;
    npc.OnMoveX(), npc.OnMoveY();
  }
  // The distance per copy counts by the copy index.
  npc.m_nTag = 2;
  cFlowCommand perCopy = Warp(0, 3, 1);
  perCopy.m_pMove->m_nDistanceStep = 3;
  const double x = npc.m_dX;
  DoWarp(npc, perCopy);
  EXPECT_DOUBLE_EQ(npc.m_dX, x + (1 + 3 * 2) * 16);
}

TEST_F(WarpTest, RefusedIntoWallsAndOutOfTheStage) {
  npc.m_Def.m_nFlying = 0;
  npc.SetMoveType(0);  // a walker collides with blocks
  stage.SetBlock(12, 5, kBlockHitSolid);
  const double x = npc.m_dX, y = npc.m_dY;
  npc.m_dVy = 3;
  DoWarp(npc, Warp(0, 3, 4));  // two cells right: into the wall
  EXPECT_EQ(npc.m_dX, x);
  EXPECT_EQ(npc.m_dVy, 3);
  DoWarp(npc, Warp(0, 2, 2 * 12));  // twelve cells left: out of the stage
  EXPECT_EQ(npc.m_dX, x);
  EXPECT_EQ(npc.m_dY, y);
  DoWarp(npc, Warp(0, 3, 6));  // three cells right: past the wall
  EXPECT_EQ(npc.m_dX, x + 96);
  EXPECT_EQ(npc.m_dVy, 0);  // a landing walker stops falling
}

TEST_F(WarpTest, FromTheTargetAndToPoints) {
  cPlayer& hero = stage.AddHero(20, 8);
  npc.m_nTargetNo = hero.m_nNo;
  hero.m_bRight = 0;
  // Centred on the target, then in front of it: the target faces left.
  DoWarp(npc, Warp(1, 0, 4));
  const double centreX = hero.m_dX - hero.m_rcGfx.nX + (hero.m_rcGfx.nW >> 1) + npc.m_rcGfx.nX - (npc.m_rcGfx.nW >> 1);
  const double centreY = hero.m_dY - hero.m_rcGfx.nY + (hero.m_rcGfx.nH >> 1) + npc.m_rcGfx.nY - (npc.m_rcGfx.nH >> 1);
  EXPECT_DOUBLE_EQ(npc.m_dX, centreX - 64);
  EXPECT_DOUBLE_EQ(npc.m_dY, centreY);

  // Relative, mirrored for a right-facing character; absolute cells plus dots.
  cFlowCommand point = Warp(2, 0, 0);
  point.m_pMove->m_nTargetCellX = 2;
  point.m_pMove->m_nTargetDotX = 5;
  point.m_pMove->m_nTargetCellY = 1;
  point.m_pMove->m_bMirrorX = 1;
  npc.m_bRight = 1;
  double x = npc.m_dX, y = npc.m_dY;
  DoWarp(npc, point);
  EXPECT_DOUBLE_EQ(npc.m_dX, x - 69);
  EXPECT_DOUBLE_EQ(npc.m_dY, y + 32);
  point.m_pMove->m_nCoordMode = 1;
  DoWarp(npc, point);
  npc.m_dX -= 5;
  x = npc.m_dX;
  npc.SetBlockX(2);
  EXPECT_DOUBLE_EQ(x, npc.m_dX);
  EXPECT_EQ(npc.m_bPinnedX, 0);
}

TEST_F(WarpTest, ScreenCoordinatesPinWhileTheViewScrolls) {
  cFlowCommand screen = Warp(2, 0, 0);
  screen.m_pMove->m_nCoordMode = 2;
  screen.m_pMove->m_nTargetCellX = 3;
  screen.m_pMove->m_nTargetCellY = 2;
  screen.m_pMove->m_bMirrorX = 0;
  for (double scroll : {0.0, 64.0, 96.0}) {
    stage.scene.m_ScrollX.dPos = stage.scene.m_ScrollX.nLower + scroll;
    EXPECT_EQ(DoWarp(npc, screen), 1);
    EXPECT_EQ(npc.m_bPinnedX, 1);
    EXPECT_EQ(npc.m_bPinnedY, 1);
    EXPECT_EQ(npc.m_nPinnedX, 96);
    EXPECT_EQ(npc.m_nPinnedY, 64);
    EXPECT_DOUBLE_EQ(npc.m_dX, npc.m_rcGfx.nX + stage.scene.m_ScrollX.dPos + 96);
  }
}

TEST(StatusOperation2Test, SwitchesOfCharactersAndTheSystem) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& npc = stage.AddNpc(5, 5);
  auto op2 = [](int subject, int item, int value) {
    return MakeCommand(CMD_STATUS_OPERATION2, 0, false, {subject, item, value});
  };
  DoStatusOperation2(npc, op2(0, 1, 1));
  DoStatusOperation2(npc, op2(0, 2, 1));
  DoStatusOperation2(npc, op2(0, 4, 2));
  DoStatusOperation2(npc, op2(0, 6, 1));
  EXPECT_EQ(npc.m_Def.m_bTransparent, 1);
  EXPECT_EQ(npc.m_Def.m_bFixedFacing, 1);
  EXPECT_EQ(npc.m_Def.m_nInvincible, 2);
  EXPECT_EQ(npc.m_Def.m_bScrollSync, 1);
  EXPECT_EQ(npc.m_bScrollCarried, 1);
  EXPECT_EQ(scene.m_bCheckHero, 0);

  const int width = npc.m_nWidth;
  DoStatusOperation2(npc, op2(0, 5, 2));
  EXPECT_EQ(npc.m_Def.m_nGiant, 2);
  EXPECT_EQ(npc.m_nWidth, 2 * width);
  DoStatusOperation2(npc, op2(0, 5, -4));  // no size below 1
  EXPECT_EQ(npc.m_Def.m_nGiant, 1);
  EXPECT_EQ(npc.m_nWidth, width);

  DoStatusOperation2(npc, op2(0, 3, 1));  // flight is the hero's only
  EXPECT_EQ(npc.m_Def.m_nFlying, 0);
  DoStatusOperation2(hero, op2(0, 3, 1));
  EXPECT_EQ(hero.m_Def.m_nFlying, 1);
  EXPECT_EQ(hero.m_bFlying, 1);

  DoStatusOperation2(npc, op2(0, 0, 0));
  EXPECT_EQ(npc.m_bVanished, 1);
  EXPECT_EQ(npc.m_nHp, npc.m_Def.m_nMaxHp);
  npc.m_nTargetNo = hero.m_nNo;
  DoStatusOperation2(npc, op2(1, 0, 0));  // on the hero by another character: its HP ends
  EXPECT_EQ(hero.m_nHp, 0);
  EXPECT_EQ(hero.m_bVanished, 0);
  EXPECT_EQ(scene.m_bCheckHero, 1);
  npc.m_nTargetNo = kNoTarget;
  EXPECT_EQ(DoStatusOperation2(npc, op2(1, 1, 1)), 0);

  scene.m_nStageScrollSpeedY = 30;
  DoStatusOperation2(npc, op2(2, 1, 1));
  EXPECT_EQ(scene.m_bStageAutoScrollY, 1);
  EXPECT_DOUBLE_EQ(scene.m_ScrollY.dAutoSpeed, 3.0 / stage.N());
  DoStatusOperation2(npc, op2(2, 1, 0));
  EXPECT_EQ(scene.m_ScrollY.bAutoScroll, 0);
}

TEST(ItemGetTest, RunsAnItemOfEitherPaletteOnTheHero) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& npc = stage.AddNpc(5, 5);
  auto itemWith = [](std::initializer_list<cFlowCommand> commands) {
    cItemDef item;
    for (cFlowCommand c : commands) {
      c.m_bItemCommand = 1;
      c.m_nType = static_cast<std::int8_t>(c.m_nType - kItemCommandTypeOffset);
      item.m_vCommands.push_back(c);
    }
    return item;
  };
  cPalette common;
  common.m_Items.assign(3, cItemDef{});
  common.m_Items[2] = itemWith({MakeVariableOp(0, 4, 1, 10)});
  cStageData stageData;
  stageData.m_PaletteItems.assign(2, cItemDef{});
  stageData.m_PaletteItems[1] = itemWith({MakeVariableOp(0, 4, 1, 100), MakeCommand(CMD_STAGE_CLEAR, 0)});
  CommonPalette = &common;
  StageData = &stageData;

  auto get = [](int palette, int item) { return MakeCommand(CMD_ITEM_GET, 0, false, {palette, item}); };
  scene.m_nEndRequest = 1;  // a stage clear asked for earlier in this step
  EXPECT_EQ(DoItemGet(npc, get(0, 2)), 0);
  EXPECT_EQ(scene.Record().GameValue[4], 10);
  EXPECT_EQ(scene.m_nEndRequest, 1);
  scene.m_nEndRequest = 0;
  EXPECT_EQ(DoItemGet(npc, get(1, 1)), 1);
  EXPECT_EQ(scene.Record().GameValue[4], 110);
  EXPECT_EQ(scene.m_nEndRequest, 1);
  DoItemGet(npc, get(2, 1));  // no such palette
  EXPECT_EQ(scene.Record().GameValue[4], 110);
  // The hero at 0 HP after an item's commands is lost.
  hero.m_nHp = 0;
  scene.m_nEndRequest = 0;
  EXPECT_EQ(DoItemGet(npc, get(0, 0)), 2);
  EXPECT_EQ(scene.m_nEndRequest, 2);
  CommonPalette = nullptr;
  StageData = nullptr;
}

namespace {

class SoundHooks final : public cStagePlayHooks {
 public:
  void RequestDbSe(int sound) override { sounds.push_back(sound); }
  std::vector<int> sounds;
};

}  // namespace

class SummonTest : public ::testing::TestWithParam<int> {};

// A summon acts at its first step and every tenth of a second while its time runs.
TEST_P(SummonTest, ActsOncePerTenthOfItsTime) {
  TinyStage stage(GetParam());
  SoundHooks hooks;
  stage.scene.SetHooks(&hooks);
  cPalette palette;
  palette.m_Items.assign(2, cItemDef{});
  CommonPalette = &palette;
  auto summon = [](int tenths) {
    cFlowCommand c = MakeCommand(CMD_SUMMON_ITEM, tenths);
    NewEdShot(c.m_pShot);
    c.m_pShot->m_nShotCount = 1;
    c.m_pShot->m_nDirection = 2;
    c.m_pShot->m_nSummonIndex = 1;
    c.m_nSound = 4;
    c.m_bSoundOnScreen = 0;
    return c;
  };
  cNpc& npc = stage.AddNpc(10, 5, Flyer({MakeFlow(TRG_NONE, {summon(0)}), MakeFlow(TRG_NONE, {summon(10)})}));
  stage.scene.m_pActChara = &npc;
  StartFlow(npc.m_vFlows[0]);
  npc.StepFlows(0);
  const size_t perAct = stage.scene.ItemList.size();
  ASSERT_GT(perAct, 0u);
  EXPECT_EQ(hooks.sounds, std::vector<int>{4});
  StartFlow(npc.m_vFlows[1]);
  int steps = 0;
  while (npc.m_vFlows[1].bRunning && steps < 1000) {
    npc.StepFlows(0);
    ++steps;
  }
  EXPECT_EQ(steps, 60 * stage.N());
  EXPECT_EQ(stage.scene.ItemList.size(), perAct * 11);
  EXPECT_EQ(hooks.sounds.size(), 11u);
  // A sound only on screen stays silent for a character off it.
  cFlowCommand quiet = summon(0);
  quiet.m_bSoundOnScreen = 1;
  cRunningCommand run;
  run.pDef = &quiet;
  npc.m_bOnScreen = 0;
  ExecSummonItem(npc, run);
  EXPECT_EQ(hooks.sounds.size(), 11u);
  EXPECT_EQ(stage.scene.ItemList.size(), perAct * 12);
  CommonPalette = nullptr;
}

INSTANTIATE_TEST_SUITE_P(StepsPerFrame, SummonTest, ::testing::Values(1, 2));

TEST(SetTargetTest, TheHeroItselfOrASearchOverTheFactions) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  auto inFaction = [](int faction, int id) {
    cCharaDef def = Flyer();
    def.m_nGroup = static_cast<std::int8_t>(faction);
    def.m_nCharaId = static_cast<std::int8_t>(id);
    return def;
  };
  cPlayer& hero = stage.AddHero(30, 5);
  cNpc& self = stage.AddNpc(10, 5, inFaction(3, 0));
  cNpc& far = stage.AddNpc(15, 5, inFaction(1, 7));
  cNpc& near = stage.AddNpc(12, 5, inFaction(2, 7));
  for (cChara* c : std::initializer_list<cChara*>{&hero, &self, &far, &near}) c->UpdateScreenRect();
  hero.m_bActive = 1;
  auto setTarget = [](int choice, int faction, int all, int mode, int useId, int id) {
    return MakeCommand(CMD_SET_TARGET, 0, false, {choice, faction, all, mode, 1, 0, 0, 0, useId, id});
  };
  struct Case {
    cFlowCommand command;
    const cChara* expected;
  };
  const Case cases[] = {
      {setTarget(0, 0, 0, 0, 0, 0), &hero},      {setTarget(1, 0, 0, 0, 0, 0), &self},
      {setTarget(2, 1, 0, 1, 0, 0), &far},        // the nearest of faction 1
      {setTarget(2, 0, 1, 1, 0, 0), &near},       // the nearest of all factions
      {setTarget(2, 3, 0, 1, 0, 0), nullptr},     // its own faction holds only itself
      {setTarget(3, 0, 1, 0, 1, 7), &far},        // by ID: the first found in faction order
      {setTarget(3, 0, 1, 0, 1, 7 + 256), &far},  // the ID is a byte
      {setTarget(2, 0, 1, 1, 1, 9), nullptr},     // no candidate: no target, not the old one
      {setTarget(2, 9, 0, 1, 0, 0), nullptr},     // no such faction
  };
  for (const Case& c : cases) {
    for (cChara* other : std::initializer_list<cChara*>{&self, &far, &near}) other->m_vTargetedBy.clear();
    self.m_nTargetNo = hero.m_nNo;
    hero.m_vTargetedBy = {self.m_nNo};
    DoSetTarget(self, c.command);
    EXPECT_EQ(scene.FindCharaById(self.m_nTargetNo), c.expected) << CommandParam(c.command, 0);
    // Listed once with its new target, and with no other.
    for (cChara* other : std::initializer_list<cChara*>{&hero, &self, &far, &near}) {
      const auto n = std::count(other->m_vTargetedBy.begin(), other->m_vTargetedBy.end(), self.m_nNo);
      EXPECT_EQ(n, other == c.expected ? 1 : 0);
    }
  }
  // Another choice keeps the target.
  DoSetTarget(self, setTarget(0, 0, 0, 0, 0, 0));
  DoSetTarget(self, setTarget(7, 0, 0, 0, 0, 0));
  EXPECT_EQ(self.m_nTargetNo, hero.m_nNo);
  EXPECT_EQ(hero.m_vTargetedBy, std::vector<int>{self.m_nNo});
}

// Every command type but "none" and the wait has an executor of its own, in
// both tables: no command is skipped any more.
TEST(CommandTableTest, EveryTypeActs) {
  for (int type = CMD_NONE; type < CMD_COUNT; ++type) {
    ASSERT_NE(CommandExecFor(type), nullptr) << type;
    if (type != CMD_NONE && type != CMD_WAIT) {
      EXPECT_NE(CommandExecFor(type), CommandExecFor(CMD_NONE)) << type;
    }
  }
  for (int type = ITEMCMD_CHANGE_FLOW; type < ITEMCMD_COUNT; ++type)
    EXPECT_NE(ItemCommandExecFor(type), ItemCommandExecFor(ITEMCMD_NONE)) << type;
  EXPECT_EQ(CommandExecFor(CMD_COUNT), nullptr);
}
