// The shot and sword commands run by a flow: volleys per command time, the
// command's sound, and swords that follow their wielder through their parts.
#include "gamedata/Database.h"
#include "stage/ShotFire.h"
#include "support/ShotSupport.h"

using namespace stagetest;

namespace {

class SoundHooks : public cStagePlayHooks {
 public:
  void RequestDbSe(int sound) override { sounds.push_back(sound); }
  std::vector<int> sounds;
};

cFlowCommand ShotCommand(int type, int time, cEdShot settings) {
  cFlowCommand c = MakeCommand(type, time);
  NewEdShot(c.m_pShot);
  *c.m_pShot = settings;
  return c;
}

cCharaDef Shooter(cFlowCommand command) {
  cCharaDef def = TinyStage::WalkerDef();
  def.m_nFlying = 1;
  def.m_vFlows.push_back(MakeFlow(TRG_NONE, {command}));
  return def;
}

// Runs the shooter's one flow from its start to its end; the steps at which shots appeared.
std::vector<int> RunFlow(TinyStage& stage, cNpc& npc) {
  StartFlow(npc.m_vFlows[0]);
  std::vector<int> fired;
  size_t shots = stage.scene.m_ShotList.size();
  for (int step = 0; step < 10000 && npc.m_vFlows[0].bRunning; ++step) {
    stage.scene.m_nLogicStep = step % stage.N() + 1;
    npc.RunFlows(0);
    if (stage.scene.m_ShotList.size() != shots) fired.push_back(step);
    shots = stage.scene.m_ShotList.size();
  }
  return fired;
}

}  // namespace

class ShotCommandTest : public ::testing::TestWithParam<int> {
 protected:
  TinyStage stage{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Steps, ShotCommandTest, ::testing::Values(1, 2));

TEST_P(ShotCommandTest, AVolleyAtTheFirstStepAndEveryTenthOfASecond) {
  const int n = stage.N();
  for (auto [time, volleys] : {std::pair{0, 1}, {5, 5}, {10, 10}}) {
    cNpc& npc = stage.AddNpc(8, 5, Shooter(ShotCommand(CMD_SHOT, time, Straight())));
    std::vector<int> expected;
    for (int v = 0; v < volleys; ++v) expected.push_back(v * 6 * n);
    EXPECT_EQ(RunFlow(stage, npc), expected) << time;
  }
}

TEST_P(ShotCommandTest, TheSoundOfAnOnScreenOnlyCommandIsSilentOffScreen) {
  SoundHooks hooks;
  stage.scene.SetHooks(&hooks);
  cFlowCommand command = ShotCommand(CMD_SHOT, 0, Straight());
  command.m_nSound = 7;
  command.m_bSoundOnScreen = 1;
  cNpc& npc = stage.AddNpc(8, 5, Shooter(command));
  npc.m_bOnScreen = 0;
  EXPECT_EQ(RunFlow(stage, npc).size(), 1u);
  EXPECT_TRUE(hooks.sounds.empty());
  npc.m_bOnScreen = 1;
  RunFlow(stage, npc);
  EXPECT_EQ(hooks.sounds, std::vector<int>{7});
  stage.scene.SetHooks(nullptr);
}

class SwordTest : public ::testing::Test {
 protected:
  SwordTest() {
    Database = &db;
    db.SwordType.resize(2);
    db.SwordType[1].m_Parts.clear();  // a new type comes with one empty part
    // Type 1: in front, 4 dots ahead and 2 down (mirrored in x), then above, then below.
    for (int placement : {0, 2, 3}) {
      cDbSwordPart part;
      part.m_nPlacement = placement;
      part.m_nWidth = 20, part.m_nHeight = 10;
      part.m_nOffsetX = 4, part.m_nOffsetY = 2;
      part.m_bMirrorX = 1, part.m_bMirrorY = 0;
      db.SwordType[1].m_Parts.push_back(part);
    }
  }
  ~SwordTest() override { Database = nullptr; }

  static cEdShot SwordSettings() {
    cEdShot s;
    s.m_nTrajectory = 1;
    return s;
  }

  cDatabase db;
  TinyStage stage;
};

TEST_F(SwordTest, ASwordFollowsItsWielderThroughItsParts) {
  cNpc& target = stage.AddNpc(3, 5);
  cNpc& npc = stage.AddNpc(8, 5, Shooter(ShotCommand(CMD_SWORD, 20, SwordSettings())));
  npc.m_bRight = 1;
  npc.m_nTargetNo = target.m_nNo;
  EXPECT_EQ(RunFlow(stage, npc), std::vector<int>{0});  // one sword for the whole 2 seconds
  cShot& sword = stage.scene.m_ShotList.back();
  EXPECT_FALSE(sword.IsShot());
  EXPECT_EQ(sword.m_nTargetNo, kNoTarget);

  // Part 0, in front of a wielder facing right: right + scroll + 1, less the mirrored offset.
  npc.UpdateScreenRect();
  const RectI rc = npc.m_rcScreen;
  const int gfxW = npc.m_rcGfx.nW, gfxH = npc.m_rcGfx.nH;
  EXPECT_EQ(sword.UpdateShot(), 0);
  EXPECT_DOUBLE_EQ(sword.m_dX, rc.nRight + 320 + 1 - 4);
  EXPECT_DOUBLE_EQ(sword.m_dY, rc.nTop + 320 + (gfxH >> 1) - 5 + 2);
  EXPECT_EQ(sword.m_nWidth, 20);
  EXPECT_EQ(sword.m_boxHit.nH, 10);
  // Part 1, above; part 2, below; each part of duration 0 lasts one step.
  EXPECT_EQ(sword.UpdateShot(), 0);
  EXPECT_DOUBLE_EQ(sword.m_dX, rc.nLeft + 320 + (gfxW >> 1) - 10 - 4);
  EXPECT_DOUBLE_EQ(sword.m_dY, rc.nTop + 320 - 10 + 2);
  EXPECT_EQ(sword.UpdateShot(), 1);
  EXPECT_DOUBLE_EQ(sword.m_dY, rc.nBottom + 320 + 1 + 2);

  // A restarted command swings a second sword.
  RunFlow(stage, npc);
  EXPECT_EQ(stage.scene.m_ShotList.size(), 2u);
}

TEST_F(SwordTest, ASwordOfAGoneWielderEndsAndFacingLeftAddsTheOffset) {
  cNpc& npc = stage.AddNpc(8, 5, Shooter(ShotCommand(CMD_SWORD, 0, SwordSettings())));
  npc.m_bRight = 0;
  RunFlow(stage, npc);
  cShot& sword = stage.scene.m_ShotList.back();
  npc.UpdateScreenRect();
  sword.UpdateShot();
  EXPECT_DOUBLE_EQ(sword.m_dX, npc.m_rcScreen.nLeft + 320 - 20 + 4);
  stage.scene.EraseChara(npc);
  EXPECT_EQ(sword.UpdateShot(), 1);
}
