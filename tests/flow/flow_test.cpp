// The interpreter, triggers and movement commands on a tiny stage. Times are
// in tenths of a second: a command of time t runs t x 6 x N logic steps.
#include <cmath>

#include "flow/MoveCommands.h"
#include "library/util/Convert.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

cCharaDef WithFlows(cCharaDef def, std::initializer_list<cFlow> flows) {
  for (const cFlow& f : flows) def.m_vFlows.push_back(f);
  return def;
}

cCharaDef Flyer() {
  cCharaDef def = TinyStage::WalkerDef();
  def.m_nFlying = 1;  // passes blocks: only the commands move it
  return def;
}

}  // namespace

class FlowStepTest : public ::testing::TestWithParam<int> {
 protected:
  TinyStage stage{GetParam()};
};

TEST_P(FlowStepTest, ACommandRunsOncePerLogicStep) {
  int n = stage.N();
  cNpc& npc = stage.AddNpc(5, 5, WithFlows(Flyer(), {MakeFlow(TRG_ALWAYS, {MakeCommand(CMD_WAIT, 1)})}));
  cRunningFlow& flow = npc.m_vFlows[0];
  ResetFlowFrameFlags(npc);
  for (int step = 1; step <= 6 * n; ++step) {
    stage.scene.m_nLogicStep = (step - 1) % n + 1;
    if (stage.scene.m_nLogicStep == 1 && step > 1) ResetFlowFrameFlags(npc);
    stage.StepNpc(npc);
    if (step < 6 * n) {
      EXPECT_EQ(flow.bRunning, 1) << step;
    }
  }
  EXPECT_EQ(flow.bRunning, 0);
  EXPECT_EQ(flow.nSteps, 6 * n - 1);
  // Examined once per frame: not started again in the frame it ended in.
  FireFlowTrigger(npc, TRG_ALWAYS);
  EXPECT_EQ(flow.bRunning, 0);
  ResetFlowFrameFlags(npc);
  FireFlowTrigger(npc, TRG_ALWAYS);
  EXPECT_EQ(flow.bRunning, 1);
}

TEST_P(FlowStepTest, BlockingAndNonBlockingCommands) {
  int n = stage.N();
  cFlow sequence = MakeFlow(TRG_NONE, {MakeCommand(CMD_WAIT, 1), MakeCommand(CMD_WAIT, 1)});
  cFlow overlap = MakeFlow(TRG_NONE, {MakeCommand(CMD_WAIT, 5, true), MakeCommand(CMD_WAIT, 1)});
  cNpc& npc = stage.AddNpc(5, 5, WithFlows(Flyer(), {sequence, overlap}));
  stage.scene.m_pActChara = &npc;
  for (cRunningFlow& f : npc.m_vFlows) StartFlow(f);
  int ended[2] = {0, 0};
  for (int step = 1; step <= 12 * n; ++step)
    for (int i = 0; i < 2; ++i) {
      cRunningFlow& f = npc.m_vFlows[static_cast<size_t>(i)];
      if (f.bRunning && StepFlow(f)) {
        StopFlow(f, npc);
        ended[i] = step;
      }
    }
  EXPECT_EQ(ended[0], 12 * n);
  EXPECT_EQ(npc.m_vFlows[0].nSteps, 12 * n - 1);
  EXPECT_EQ(ended[1], 6 * n);  // the long non-blocking wait is cut off with the flow
}

INSTANTIATE_TEST_SUITE_P(StepsPerFrame, FlowStepTest, ::testing::Values(1, 2, 4));

TEST(TriggerTest, LetterFlowsExcludeEachOtherInListOrder) {
  TinyStage stage;
  cFlow first = MakeFlow(TRG_ALWAYS, {MakeCommand(CMD_WAIT, 1)});
  first.m_nLetter = 3;
  cFlow second = first;
  cFlow conditional = MakeFlow(TRG_ALWAYS, {MakeCommand(CMD_WAIT, 1)});
  cCondition var;
  var.m_nKind = COND_STAGE_VAR;
  var.m_nIndex = 4;
  var.m_nValue = 1;
  conditional.m_vConditions.push_back(var);
  cNpc& npc = stage.AddNpc(5, 5, WithFlows(Flyer(), {first, second, conditional}));
  FireFlowTrigger(npc, TRG_ALWAYS);
  EXPECT_EQ(npc.m_vFlows[0].bRunning, 1);
  EXPECT_EQ(npc.m_vFlows[1].bRunning, 0);
  EXPECT_EQ(npc.m_vFlows[2].bRunning, 0);
  stage.scene.m_StageVar[4] = 1;
  FireFlowTrigger(npc, TRG_ALWAYS);  // already examined this frame
  EXPECT_EQ(npc.m_vFlows[2].bRunning, 0);
  ResetFlowFrameFlags(npc);
  FireFlowTrigger(npc, TRG_ALWAYS);
  EXPECT_EQ(npc.m_vFlows[1].bRunning, 0);  // letter c is still held by the first
  EXPECT_EQ(npc.m_vFlows[2].bRunning, 1);
}

TEST(TriggerTest, LandingFiresTheBlockTriggers) {
  TinyStage stage;
  stage.Floor(8);
  cNpc& npc =
      stage.AddNpc(5, 7,
                   WithFlows(TinyStage::WalkerDef(), {MakeFlow(TRG_BLOCK_HIT, {MakeCommand(CMD_WAIT, 1)}),
                                                      MakeFlow(TRG_BLOCK_HIT_TOP, {MakeCommand(CMD_WAIT, 1)}),
                                                      MakeFlow(TRG_BLOCK_HIT_VERTICAL, {MakeCommand(CMD_WAIT, 1)}),
                                                      MakeFlow(TRG_BLOCK_HIT_BOTTOM, {MakeCommand(CMD_WAIT, 1)})}));
  for (int i = 0; i < 200 && !npc.m_bHitBottom; ++i) TinyStage::MoveChara(npc);
  EXPECT_EQ(npc.m_vFlows[0].bRunning, 1);
  EXPECT_EQ(npc.m_vFlows[1].bRunning, 0);
  EXPECT_EQ(npc.m_vFlows[2].bRunning, 1);
  EXPECT_EQ(npc.m_vFlows[3].bRunning, 1);
}

TEST(TriggerTest, BeforeStageFlowsRunOnlyNonBlockingLaterCommands) {
  TinyStage stage;
  cFlowCommand move = MakeMove(CMD_STRAIGHT_MOVE, 1, 3, 10);
  move.m_bNonBlocking = 1;
  cNpc& npc = stage.AddNpc(
      5, 5, WithFlows(Flyer(), {MakeFlow(TRG_BEFORE_STAGE_START, {MakeCommand(CMD_STAGE_CLEAR, 0), move})}));
  FireFlowTrigger(npc, TRG_BEFORE_STAGE_START);
  EXPECT_EQ(stage.scene.m_nEndRequest, 0);
  EXPECT_EQ(npc.m_dVx, 0.0);
  EXPECT_EQ(npc.m_vFlows[0].bRunning, 0);
  cNpc& clearer = stage.AddNpc(
      6, 5, WithFlows(Flyer(), {MakeFlow(TRG_BEFORE_STAGE_START, {MakeCommand(CMD_STAGE_CLEAR, 0, true)})}));
  FireFlowTrigger(clearer, TRG_BEFORE_STAGE_START);
  EXPECT_EQ(stage.scene.m_nEndRequest, 1);
}

class MoveTest : public ::testing::TestWithParam<int> {
 protected:
  TinyStage stage{GetParam()};
  // Runs the character's flows and moves for `steps` logic steps.
  void Run(cNpc& npc, int steps) {
    for (int s = 0; s < steps; ++s) {
      if (s % stage.N() == 0) ResetFlowFrameFlags(npc);
      stage.scene.m_nLogicStep = s % stage.N() + 1;
      stage.StepNpc(npc);
    }
  }
};

TEST_P(MoveTest, StraightMoveFrontForALeftFacingCharacter) {
  int n = stage.N();
  cCharaDef def = WithFlows(Flyer(), {MakeFlow(TRG_ALWAYS, {MakeMove(CMD_STRAIGHT_MOVE, 1, 0, 10)})});
  def.m_nFacing = 0;
  cNpc& npc = stage.AddNpc(10, 5, def);
  double x = npc.m_dX;
  Run(npc, 1);
  EXPECT_EQ(npc.m_dVx, -(10 * 0.1 / n));
  EXPECT_EQ(npc.m_bRight, 0);
  Run(npc, 6 * n - 1);
  double expected = x;
  for (int s = 0; s < 6 * n; ++s) expected += -(10 * 0.1 / n);
  EXPECT_EQ(npc.m_dX, expected);
}

TEST_P(MoveTest, DiagonalOfAWalkerKeepsOnlyItsXPart) {
  stage.Floor(8);
  cNpc& npc = stage.AddNpc(
      10, 7, WithFlows(TinyStage::WalkerDef(), {MakeFlow(TRG_ALWAYS, {MakeMove(CMD_STRAIGHT_MOVE, 1, 10, 10)})}));
  Run(npc, 1);
  double s = 10 * 0.1 / stage.N();
  EXPECT_EQ(npc.m_dVx, s * (1 / std::sqrt(2.0)));
}

TEST_P(MoveTest, TargetPointEndsOnArrival) {
  int n = stage.N();
  cFlowCommand move = MakeMove(CMD_STRAIGHT_MOVE, 50, 0, 10 * n);  // one dot per step
  move.m_pMove->m_nTargetMode = 1;
  move.m_pMove->m_nCoordMode = 1;
  move.m_pMove->m_nTargetDotX = 40;
  move.m_pMove->m_bUseTargetX = 1;
  move.m_pMove->m_bStopOnArrival = 1;
  move.m_pMove->m_bMirrorX = 0;
  cNpc& npc = stage.AddNpc(10, 5, WithFlows(Flyer(), {MakeFlow(TRG_ALWAYS, {move})}));
  npc.UpdateScreenRect();
  double x = npc.m_dX;
  Run(npc, 40);
  EXPECT_EQ(npc.m_vFlows[0].bRunning, 0);
  EXPECT_DOUBLE_EQ(npc.m_dX, x + 40);
}

TEST_P(MoveTest, TurnFacesAsAskedAndRepeatsEveryTenth) {
  cFlowCommand turn = MakeCommand(CMD_TURN, 3, false, {1});
  cCharaDef def = WithFlows(Flyer(), {MakeFlow(TRG_ALWAYS, {turn})});
  def.m_nFacing = 0;
  def.m_bFixedFacing = 1;
  cNpc& npc = stage.AddNpc(10, 5, def);
  Run(npc, 1);
  EXPECT_EQ(npc.m_bRight, 1);
  npc.m_bRight = 0;
  Run(npc, 6 * stage.N() - 1);
  EXPECT_EQ(npc.m_bRight, 0);
  Run(npc, 1);
  EXPECT_EQ(npc.m_bRight, 1);
  // Without the fixed-facing switch the command does nothing.
  cCharaDef free = def;
  free.m_bFixedFacing = 0;
  cNpc& other = stage.AddNpc(12, 5, free);
  Run(other, 1);
  EXPECT_EQ(other.m_bRight, 0);
}

TEST_P(MoveTest, CircleComesBackToItsStart) {
  int n = stage.N();
  cFlowCommand circle = MakeMove(CMD_CIRCLE_MOVE, 0, 0, 100);
  circle.m_pMove->m_nRadius = 2;
  circle.m_pMove->m_nAngle = 0;
  circle.m_pMove->m_nDistance = 360;
  circle.m_pMove->m_nTimeMode = 1;
  cNpc& npc = stage.AddNpc(10, 5, WithFlows(Flyer(), {MakeFlow(TRG_ALWAYS, {circle})}));
  cRunningCommand& cmd = npc.m_vFlows[0].Commands[0];
  EXPECT_EQ(cmd.nRadius, 2 * 16 * n);
  EXPECT_EQ(cmd.nDuration, std::abs(DoubleToInt(360.0 * n / (100 * 0.1 / n) / n)));
  double x = npc.m_dX, y = npc.m_dY, minX = x;
  for (int s = 0; s < cmd.nDuration; ++s) {
    Run(npc, 1);
    minX = std::min(minX, npc.m_dX);
  }
  EXPECT_NEAR(npc.m_dX, x, 1e-6);
  EXPECT_NEAR(npc.m_dY, y, 1e-6);
  // The leftmost point is the radius, up to one step's arc (10 / N degrees).
  EXPECT_NEAR(x - minX, 32.0, 32.0 * (10.0 / n) * 0.017453292519943295);
  // Radius 0 does nothing; 25 is used as 20.
  circle.m_pMove->m_nRadius = 25;
  cNpc& big = stage.AddNpc(12, 5, WithFlows(Flyer(), {MakeFlow(TRG_ALWAYS, {circle})}));
  EXPECT_EQ(big.m_vFlows[0].Commands[0].nRadius, 20 * 16 * n);
}

TEST_P(MoveTest, GroundTurnAroundTurnsAtTheLedge) {
  for (int x = 3; x <= 7; ++x) stage.SetBlock(x, 8, kBlockHitSolid);
  cNpc& npc = stage.AddNpc(
      6, 7, WithFlows(TinyStage::WalkerDef(), {MakeFlow(TRG_ALWAYS, {MakeMove(CMD_GROUND_TURN_MOVE, 50, 0, 10)})}));
  ASSERT_EQ(npc.m_bRight, 1);
  int turnedAt = -1;
  for (int s = 0; s < 200 && turnedAt < 0; ++s) {
    Run(npc, 1);
    if (!npc.m_bRight) turnedAt = s;
  }
  ASSERT_GE(turnedAt, 0);
  // It turned in the step its right foot column lost the floor below.
  EXPECT_EQ(npc.m_nCellRight, 18);
  double x = npc.m_dX;
  Run(npc, 2);
  EXPECT_LT(npc.m_dX, x);
}

TEST_P(MoveTest, ChargeWithoutTargetStaysStill) {
  cNpc& npc = stage.AddNpc(10, 5, WithFlows(Flyer(), {MakeFlow(TRG_ALWAYS, {MakeMove(CMD_CHARGE_MOVE, 1, 0, 30)})}));
  npc.m_nTargetNo = kNoTarget;
  double x = npc.m_dX;
  Run(npc, 6 * stage.N());
  EXPECT_EQ(npc.m_dX, x);
}

TEST_P(MoveTest, ChargeAimsAtTheTargetOnce) {
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& npc = stage.AddNpc(10, 5, WithFlows(Flyer(), {MakeFlow(TRG_ALWAYS, {MakeMove(CMD_CHARGE_MOVE, 1, 0, 30)})}));
  hero.UpdateScreenRect();
  npc.UpdateScreenRect();
  double x = npc.m_dX;
  Run(npc, 1);
  EXPECT_LT(npc.m_dX, x);
  EXPECT_EQ(npc.m_bRight, 0);
}

// Homing re-aims every step without an interval; with one of k frames it
// heads, every k x N steps, for where the target was k x N steps before.
TEST_P(MoveTest, HomingFollowsTheTargetOrItsPlaceOneIntervalAgo) {
  const int n = stage.N();
  for (const int frames : {0, 2}) {
    TinyStage fresh{n};
    cPlayer& hero = fresh.AddHero(2, 5);
    cFlowCommand homing = MakeMove(CMD_HOMING_MOVE, 50, 0, 10);
    homing.m_pMove->m_nRadius = static_cast<std::int16_t>(frames);
    cNpc& npc = fresh.AddNpc(10, 5, WithFlows(Flyer(), {MakeFlow(TRG_ALWAYS, {homing})}));
    const cRunningCommand& cmd = npc.m_vFlows[0].Commands[0];
    auto step = [&] {
      hero.UpdateScreenRect();
      npc.UpdateScreenRect();
      if (fresh.scene.m_nLogicStep % n == 0) ResetFlowFrameFlags(npc);
      fresh.scene.m_nLogicStep = fresh.scene.m_nLogicStep % n + 1;
      fresh.StepNpc(npc);
    };
    step();  // level with the target: straight left
    EXPECT_LT(cmd.dVx, 0.0);
    EXPECT_EQ(cmd.dVy, 0.0);
    hero.m_dY -= 160;  // the target rises five cells
    hero.m_dBottom -= 160;
    if (frames == 0) {
      step();
      EXPECT_LT(cmd.dVy, 0.0) << "without an interval the next step turns up";
      continue;
    }
    const int interval = frames * n;
    for (int k = 1; k <= interval; ++k) step();  // steps 1 .. interval: kept, then the old place
    EXPECT_EQ(cmd.dVy, 0.0) << "one interval on, it heads for where the target was";
    for (int k = 0; k < interval; ++k) step();  // the next re-aim: the risen target
    EXPECT_LT(cmd.dVy, 0.0);
  }
}

TEST_P(MoveTest, JumpReachesItsComputedHeight) {
  stage.Floor(8);
  cFlowCommand jump = MakeCommand(CMD_JUMP, 0, false, {0, 0, 3});
  cNpc& npc = stage.AddNpc(10, 5, WithFlows(TinyStage::WalkerDef(), {}));
  for (int i = 0; i < 200 && !npc.m_bHitBottom; ++i) TinyStage::MoveChara(npc);
  npc.InstallFlows(WithFlows(TinyStage::WalkerDef(), {MakeFlow(TRG_ALWAYS, {jump})}).m_vFlows, 1, 1, -1);
  double g = stage.G();
  double v = (-g - std::sqrt(g * (8 * 48.0 + g))) * 0.5;
  EXPECT_EQ(npc.m_vFlows[0].Commands[0].dSpeed, v);
  // The rise: velocity v, plus g before each move, while it still rises.
  double rise = 0;
  for (double vy = v + g; vy < 0; vy += g) rise -= vy;
  double y0 = npc.m_dY, top = y0;
  Run(npc, 1);
  for (int s = 0; s < 400 && npc.m_dVy < 0; ++s) {
    top = std::min(top, npc.m_dY);
    Run(npc, 1);
  }
  EXPECT_NEAR(y0 - top, rise, 1e-9);  // the same sum, added in another order
  EXPECT_NEAR(rise, 48.0, std::fabs(v));
}

INSTANTIATE_TEST_SUITE_P(StepsPerFrame, MoveTest, ::testing::Values(1, 2, 4));

TEST_P(MoveTest, TheHerosHeldJumpReachesItsHeightWithTheHeroFactor) {
  stage.Floor(8);
  cCharaDef def = TinyStage::HeroDef();
  def.m_vFlows.push_back(MakeFlow(TRG_ALWAYS, {MakeCommand(CMD_JUMP, 0, false, {0, 0, 3})}));
  cPlayer& hero = stage.AddHero(10, 5, def);
  for (int i = 0; i < 200 && !hero.m_bHitBottom; ++i) TinyStage::MoveChara(hero);
  double g = stage.G();
  double v = (-g - std::sqrt(g * (8 * 48.0 + g))) * 0.5 * (0.99 - 0.4 * 0.025);
  double rise = 0;
  for (double vy = v + g; vy < 0; vy += g) rise -= vy;
  auto step = [&](int s) {
    if (s % stage.N() == 0) ResetFlowFrameFlags(hero);
    stage.scene.m_nLogicStep = s % stage.N() + 1;
    hero.ClearBlockContactFlags();
    FireFlowTrigger(hero, TRG_ALWAYS);
    hero.RunFlows(0);
    TinyStage::MoveChara(hero);
  };
  double y0 = hero.m_dY, top = y0;
  step(0);
  EXPECT_EQ(hero.m_dVy, v + g);
  for (int s = 1; s < 400 && hero.m_dVy < 0; ++s) {
    top = std::min(top, hero.m_dY);
    step(s);
  }
  EXPECT_NEAR(y0 - top, rise, 1e-9);
}

// A jump under a key command jumps at every new press: each start of its
// flow gives the command a fresh jump, not only the first one of the stage.
TEST_P(MoveTest, TheHerosKeyedJumpJumpsAgainAtEachPress) {
  stage.Floor(8);
  cFlow flow = MakeFlow(TRG_ALWAYS, {MakeCommand(CMD_JUMP, 0, false, {1, 0, 3})});
  cKeyCondition button1;
  button1.m_vKeys[11] = 1;
  button1.m_bAnyLength = 1;
  flow.m_vKeyConditions.push_back(button1);
  cCharaDef def = TinyStage::HeroDef();
  def.m_vFlows.push_back(flow);
  cPlayer& hero = stage.AddHero(10, 5, def);
  for (int i = 0; i < 200 && !hero.m_bHitBottom; ++i) TinyStage::MoveChara(hero);
  const double ground = hero.m_dY;
  // Frames of the held or released button; the lowest y reached.
  auto frames = [&](WORD button, int count) {
    double top = hero.m_dY;
    for (int f = 0; f < count; ++f) {
      cKeyInput& input = KeyInputList[0];
      input.m_wButton = button;
      input.RecordKeyTimelines();
      ResetFlowFrameFlags(hero);
      for (int s = 1; s <= stage.N(); ++s) {
        stage.scene.m_nLogicStep = s;
        hero.ClearBlockContactFlags();
        FireFlowTrigger(hero, TRG_ALWAYS);
        hero.RunFlows(0);
        TinyStage::MoveChara(hero);
        top = std::min(top, hero.m_dY);
      }
    }
    return top;
  };
  for (int press = 0; press < 3; ++press) {
    SCOPED_TRACE(press);
    EXPECT_LT(frames(1, 40), ground - 32);
    frames(0, 60);
    EXPECT_NEAR(hero.m_dY, ground, 1.0) << "back on the floor";
  }
}

TEST(MoveSetupTest, ZeroTimesAndSpeedsDivideNothing) {
  TinyStage stage;
  cNpc& npc = stage.AddNpc(5, 5);
  cFlowCommand byTime = MakeMove(CMD_STRAIGHT_MOVE, 0, 0, 10);
  byTime.m_pMove->m_nTimeMode = 1;  // time and distance, with a time of 0
  byTime.m_pMove->m_nDistance = 4;
  cFlowCommand bySpeed = MakeMove(CMD_STRAIGHT_MOVE, 2, 0, 0);
  bySpeed.m_pMove->m_nTimeMode = 2;  // speed and distance, with a speed of 0
  bySpeed.m_pMove->m_nDistance = 4;
  cFlowCommand circle = MakeMove(CMD_CIRCLE_MOVE, 0, 0, 0);
  circle.m_pMove->m_nRadius = 2;
  circle.m_pMove->m_nDistance = 90;
  cFlowCommand circleBySpeed = circle;
  circleBySpeed.m_pMove->m_nTimeMode = 1;
  npc.InstallFlows(cCheckedVector<cFlow>{MakeFlow(TRG_NONE, {byTime, bySpeed, circle, circleBySpeed})}, 1, 1, -1);
  const auto& cmds = npc.m_vFlows.back().Commands;
  EXPECT_EQ(cmds[0].dSpeed, 1.0);  // keeps its given speed
  EXPECT_EQ(cmds[1].nDuration, 2 * 6);
  EXPECT_EQ(cmds[2].dSpeed, 0.0);
  EXPECT_EQ(cmds[3].nDuration, 0);
  // With a time, the distance sets the speed: 4 hbl over 12 steps.
  byTime.m_nTime = 2;
  npc.InstallFlows(cCheckedVector<cFlow>{MakeFlow(TRG_NONE, {byTime})}, 1, 1, -1);
  EXPECT_EQ(npc.m_vFlows.back().Commands[0].dSpeed, 64.0 / 12);
}

TEST(AimTest, AnUnreachableCarriedAimStaysFinite) {
  TinyStage stage;
  cNpc& npc = stage.AddNpc(5, 5);
  npc.m_bScrollCarried = 1;
  stage.scene.m_ScrollX.dAutoSpeed = 5;
  stage.scene.m_ScrollX.bAtEdge = 0;
  double vx = 0, vy = 0;
  int dir = 0;
  AimVelocity(vx, vy, dir, &npc, 0, 0, 10, 100, 1, 0, 0, 0);
  EXPECT_TRUE(std::isfinite(vx));
  EXPECT_TRUE(std::isfinite(vy));
  // Reachable: at the speed's magnitude, the velocity less the scroll meets the target.
  stage.scene.m_ScrollX.dAutoSpeed = 0.5;
  AimVelocity(vx, vy, dir, &npc, 0, 0, 30, 40, 2, 0, 0, 0);
  double t = 40 / vy;
  EXPECT_NEAR((vx - 0.5) * t, 30, 1e-9);
  EXPECT_NEAR(std::sqrt(vx * vx + vy * vy), 2.0, 1e-9);
}

TEST(InstallTest, InsertedFlowsTakeTheirPlaceSerialAndLatch) {
  TinyStage stage;
  cFlow a = MakeFlow(TRG_NONE, {MakeCommand(CMD_WAIT, 1)});
  a.m_nId = 1;
  cFlow keyed = a;
  keyed.m_nId = 2;
  keyed.m_vKeyConditions.push_back(cKeyCondition{});
  cNpc& npc = stage.AddNpc(5, 5, WithFlows(Flyer(), {a, a, a}));
  ASSERT_EQ(npc.m_nFlowSerial, 3);
  EXPECT_EQ(npc.InstallFlows(cCheckedVector<cFlow>{keyed, keyed}, 1, 1, 1), 2);
  ASSERT_EQ(npc.m_vFlows.size(), 5u);
  ASSERT_EQ(npc.m_Def.m_vFlows.size(), 5u);
  int serials[5] = {0, 3, 4, 1, 2};
  for (int i = 0; i < 5; ++i) {
    const cRunningFlow& r = npc.m_vFlows[static_cast<size_t>(i)];
    EXPECT_EQ(r.nIndex, i);
    EXPECT_EQ(r.nSerial, serials[i]);
    EXPECT_EQ(r.pFlow, &npc.m_Def.m_vFlows[static_cast<size_t>(i)]);
    EXPECT_EQ(r.Commands[0].pDef, &npc.m_Def.m_vFlows[static_cast<size_t>(i)].m_vCommands[0]);
  }
  EXPECT_EQ(npc.m_vFlows[1].bKeyLatch, 1);
  EXPECT_EQ(npc.m_vFlows[1].KeyConditions[0], &npc.m_Def.m_vFlows[1].m_vKeyConditions[0]);
  // Appended for an index outside the list.
  npc.InstallFlows(cCheckedVector<cFlow>{a}, 1, 1, -5);
  EXPECT_EQ(npc.m_vFlows.back().nSerial, 5);
  EXPECT_EQ(npc.m_vFlows.back().nIndex, 5);
  // Deleting by ID gives the first removed index; ID 0 empties everything.
  EXPECT_EQ(npc.DeleteFlows(2), 1);
  EXPECT_EQ(npc.m_vFlows.size(), 4u);
  EXPECT_EQ(npc.m_vFlows[1].pFlow, &npc.m_Def.m_vFlows[1]);
  EXPECT_EQ(npc.DeleteFlows(9), -1);
  EXPECT_EQ(npc.DeleteFlows(0), 0);
  EXPECT_TRUE(npc.m_vFlows.empty());
  EXPECT_TRUE(npc.m_Def.m_vFlows.empty());
}

TEST(InstallTest, CommandAnimationsAreScheduledAheadOfTheirCommand) {
  TinyStage stage(2);
  int n = stage.N();
  // Animation 1: two frames of 18 ticks (3 tenths) before its first locked frame.
  stage.scene.AnimeFrameTable = {AnimeSequence{{0, 6, 0}},
                                 AnimeSequence{{1, 18, 0}, {2, 18, 0}, {3, 6, 1}, {ANIME_END, 0, 1}}};
  cFlowCommand animated = MakeCommand(CMD_WAIT, 1);
  animated.m_nAnime = 1;
  auto schedule = [&](int before) {
    cFlow flow =
        before ? MakeFlow(TRG_NONE, {MakeCommand(CMD_WAIT, before), animated}) : MakeFlow(TRG_NONE, {animated});
    cNpc& npc = stage.AddNpc(5, 5, WithFlows(Flyer(), {flow}));
    return npc.m_vFlows[0].Animes.at(0);
  };
  ScheduledAnime first = schedule(0);
  EXPECT_EQ(first.nStart, 0);
  EXPECT_EQ(first.nSkip, 36);
  EXPECT_EQ(first.nShow, 0);
  ScheduledAnime late = schedule(10);  // 60 x N steps before it
  EXPECT_EQ(late.nStart, 60 * n - 36 * n);
  EXPECT_EQ(late.nSkip, 0);
  EXPECT_EQ(late.nShow, 36);
  ScheduledAnime cut = schedule(2);  // 12 x N steps before it
  EXPECT_EQ(cut.nStart, 0);
  EXPECT_EQ(cut.nSkip, 24);
  EXPECT_EQ(cut.nShow, 12);
  EXPECT_EQ(cut.nCmdTime, 6);
  EXPECT_EQ(cut.bHold, 1);
}

TEST(FlowAnimeTest, StartedAtTheirStepHeldForTheCommandAndPausedWithTheFlow) {
  TinyStage stage;
  stage.scene.AnimeFrameTable = {AnimeSequence{{0, 6, 0}}, AnimeSequence{{1, 6, 0}, {2, 6, 1}, {ANIME_END, 0, 1}}};
  cFlowCommand animated = MakeCommand(CMD_WAIT, 10);  // one second: 60 frames
  animated.m_nAnime = 1;
  cNpc& npc = stage.AddNpc(5, 5, WithFlows(Flyer(), {MakeFlow(TRG_NONE, {animated})}));
  cRunningFlow& flow = npc.m_vFlows[0];
  const int own = UpdateFlowAnimes(npc, 1);
  stage.scene.m_pActChara = &npc;
  StartFlow(flow);
  StartCommandAnimes(npc);
  ASSERT_EQ(npc.m_lAnimes.size(), 1u);
  const FlowAnimeEntry& entry = npc.m_lAnimes.front();
  EXPECT_EQ(entry.nSerial, flow.nSerial);
  // The 6-frame lead-in does not fit before the first command: all of it is
  // skipped, nothing is left to show, and the command lasts 60 frames.
  EXPECT_EQ(entry.bPriority, 1);
  EXPECT_EQ(entry.nCounter, 0);
  EXPECT_EQ(entry.nLength, 60);
  EXPECT_EQ(entry.Anime.Table()[0][1].nDuration, 6 + 59);  // the locked frame lasts the command's time
  EXPECT_EQ(entry.Anime.CurrentTick(), 6);                 // its lead-in was skipped
  EXPECT_EQ(UpdateFlowAnimes(npc, 0), 2);
  // 60 + (-1) - 1 still reaches 0: pausing keeps the entry and sets it aside.
  PauseFlowAnimes(npc, flow.nSerial);
  ASSERT_EQ(npc.m_lAnimes.size(), 1u);
  EXPECT_EQ(npc.m_lAnimes.front().bPaused, 1);
  EXPECT_EQ(UpdateFlowAnimes(npc, 1), own);
  ResumeFlowAnimes(npc, flow.nSerial);
  EXPECT_EQ(UpdateFlowAnimes(npc, 1), 2);
}

TEST(FlowAnimeTest, NewestFirstAndAPausedEntryWhoseTimeIsOverEnds) {
  TinyStage stage;
  stage.scene.AnimeFrameTable = {AnimeSequence{{0, 6, 0}}, AnimeSequence{{1, 6, 1}, {ANIME_LOOP, 0, 0}},
                                 AnimeSequence{{4, 6, 1}, {ANIME_LOOP, 0, 0}}};
  auto flowWith = [](int anime, int tenths) {
    cFlowCommand cmd = MakeCommand(CMD_WAIT, tenths);
    cmd.m_nAnime = static_cast<std::int16_t>(anime);
    return MakeFlow(TRG_NONE, {cmd});
  };
  // Flow 0 holds its animation for no time at all; flow 1 for a second.
  cNpc& npc = stage.AddNpc(5, 5, WithFlows(Flyer(), {flowWith(1, 0), flowWith(2, 10)}));
  stage.scene.m_pActChara = &npc;
  for (cRunningFlow& flow : npc.m_vFlows) StartFlow(flow);
  StartCommandAnimes(npc);
  ASSERT_EQ(npc.m_lAnimes.size(), 2u);
  EXPECT_EQ(npc.m_lAnimes.front().nSerial, npc.m_vFlows[1].nSerial);  // started last, listed first
  EXPECT_EQ(npc.m_lAnimes.back().nLength, 0);
  UpdateFlowAnimes(npc, 0);                       // both counters drop to -1
  PauseFlowAnimes(npc, npc.m_vFlows[0].nSerial);  // 0 + (-1) - 1 < 0: ends
  PauseFlowAnimes(npc, npc.m_vFlows[1].nSerial);  // 60 + (-1) - 1 >= 0: kept
  ASSERT_EQ(npc.m_lAnimes.size(), 1u);
  EXPECT_EQ(npc.m_lAnimes.front().nSerial, npc.m_vFlows[1].nSerial);
  EXPECT_EQ(npc.m_lAnimes.front().bPaused, 1);
}

TEST(FlowAnimeTest, PriorityEntriesWinTheDrawnPattern) {
  TinyStage stage;
  cNpc& npc = stage.AddNpc(5, 5);
  auto add = [&](int pattern, int priority, int counter) {
    FlowAnimeEntry& e = npc.m_lAnimes.emplace_front();
    e.Anime.SetAnimeTable(AnimeTable{AnimeSequence{{pattern, 100, 0}, {ANIME_LOOP, 0, 0}}});
    e.bPriority = priority;
    e.nCounter = counter;
  };
  add(7, 0, 5);
  EXPECT_EQ(UpdateFlowAnimes(npc, 1), 7);
  add(8, 1, 3);
  add(9, 1, 2);  // newest first: 9 is chosen, and 8 (counter 3) is not below it
  EXPECT_EQ(UpdateFlowAnimes(npc, 1), 9);
  npc.m_lAnimes.front().bPaused = 1;
  EXPECT_EQ(UpdateFlowAnimes(npc, 1), 8);
  ResumeFlowAnimes(npc, 0);
  RemoveFlowAnimes(npc, 0);
  EXPECT_TRUE(npc.m_lAnimes.empty());
}
