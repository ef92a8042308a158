// The object base and the character operations on a tiny stage: clamping and
// its location codes, the area tests, scaling, wave motion, knock-back speeds,
// the searches, landing and bumping, the jump arithmetic and the status points.
#include <cmath>

#include "stage/StageSetup.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

// Both axes get the same ranges: scroll limits [400, 1500), stage span
// [320, 1600), active world [0, 1920).
void SetRanges(cStagePlayScene& scene) {
  for (SCROLLDATA* axis : {&scene.m_ScrollX, &scene.m_ScrollY}) {
    axis->nLower = 400;
    axis->nUpper = 1500;
    axis->nMarginPx = 320;
    axis->nFullUpper = 1600;
    axis->nActiveRange = 1920;
  }
}

cGameObject Box32(double x, double y) {
  cGameObject object;
  object.m_nWidth = object.m_nBaseWidth = 32;
  object.m_nHeight = object.m_nBaseHeight = 32;
  object.m_rcGfx = object.m_rcGfxBase = {0, 0, 32, 32};
  object.m_dX = x;
  object.m_dY = y;
  object.m_dRight = x + 31;
  object.m_dBottom = y + 31;
  return object;
}

}  // namespace

TEST(ClampTest, EachModeMovesAndReportsAsItsTableSays) {
  TinyStage stage;
  SetRanges(stage.scene);
  struct Case {
    int mode;
    double pos, expectPos;
    int xCode, yCode;
  };
  const Case cases[] = {
      {0, 390, 400, 0, 0},   {0, 1480, 1468, 0, 0}, {0, 500, 500, 0, 0},     {1, 300, 320, 0, 0},
      {1, 1590, 1568, 0, 0}, {1, 350, 350, 1, 1},   {1, 1480, 1480, 1, 4},   {1, 500, 500, 0, 0},
      {2, -0.5, 0, 3, 3},    {2, 1889, 1888, 3, 6}, {2, 100, 100, 2, 2},     {2, 1590, 1590, 2, 5},
      {2, 350, 350, 1, 1},   {2, 1480, 1480, 1, 4}, {2, 500.5, 500.5, 0, 0}, {7, -40, -40, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " at " << c.pos);
    cGameObject object = Box32(c.pos, c.pos);
    EXPECT_EQ(object.ClampX(c.mode), c.xCode);
    EXPECT_EQ(object.ClampY(c.mode), c.yCode);
    EXPECT_EQ(object.m_dX, c.expectPos);
    EXPECT_EQ(object.m_dY, c.expectPos);
    EXPECT_EQ(object.m_dRight, 32 + c.expectPos - 1.0);
    EXPECT_EQ(object.m_dBottom, 32 + c.expectPos - 1.0);
    EXPECT_EQ(object.m_nCellLeft, static_cast<int>(c.expectPos) >> 5);
    EXPECT_EQ(object.m_nCellBottom, static_cast<int>(32 + c.expectPos - 1.0) >> 5);
  }
}

TEST(AreaTest, InAreaAndOutOfAreaFollowTheirEdges) {
  TinyStage stage;
  SetRanges(stage.scene);
  stage.scene.m_ScrollX.dPos = 400;
  stage.scene.m_ScrollY.dPos = 400;
  cGameObject margin = Box32(100, 500);
  EXPECT_EQ(margin.IsInArea(0), 0);
  EXPECT_EQ(margin.IsInArea(1), 1);

  // Rule 1 cuts 2 cells left of the view: truncate(400 - 64) = 336; rule 0 cuts nowhere.
  OutAreaRule& rule = stage.scene.m_OutAreaRules[1];
  rule.bLeft = 1;
  rule.nLeft = 2;
  struct Case {
    int rule;
    double x;
    int onScreen, out;
  };
  const Case cases[] = {
      {1, 305, 0, 1},   // right edge 336 is at the cut
      {1, 306, 0, 0},   // right edge 337 is inside
      {0, 305, 0, 0},   // no cut
      {0, 0, 0, 1},     // touches the outer edge of the active world
      {0, 0, 1, 0},     // on screen is never out
      {0, 1888, 0, 1},  // its right edge touches the far edge
      {0, 1887, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "rule " << c.rule << " x " << c.x << " on screen " << c.onScreen);
    cGameObject object = Box32(c.x, 500);
    object.m_bOnScreen = c.onScreen;
    EXPECT_EQ(object.IsOutOfArea(c.rule), c.out);
  }
}

TEST(ScaleTest, GrowsAroundItsMiddleAndStaysInTheWorld) {
  TinyStage stage;
  SetRanges(stage.scene);
  for (double x : {500.0, 10.0}) {
    cGameObject object = Box32(x, 500);
    object.m_rcGfx = object.m_rcGfxBase = {4, 2, 32, 32};
    object.SetScale(2, 1);
    EXPECT_EQ(object.m_nWidth, 64);
    EXPECT_EQ(object.m_nHeight, 64);
    EXPECT_EQ(object.m_rcGfx.nX, 8);
    EXPECT_EQ(object.m_rcGfx.nY, 4);
    EXPECT_EQ(object.m_rcGfx.nW, 64);
    EXPECT_EQ(object.m_dX, std::max(x - 16, 0.0));
    EXPECT_EQ(object.m_dRight, 64 + object.m_dX - 1.0);
  }
}

TEST(WaveTest, ValueUsesThePhaseBeforeItsWrap) {
  for (int level : {1, 2, 4}) {
    TinyStage stage(level);
    double n = stage.N();
    const double amplitude = 40, frequency = 90, step = 3, offset = 0.25;
    const double w = frequency * 0.017453292519943295;
    double phase = n * 360 - step;
    double t = phase / n + offset;
    double expectOffset = w * std::cos(w * t) * amplitude / n;
    double expectAccel = -(w * std::sin(w * t) * (w / n) * amplitude) / n;
    EXPECT_EQ(WaveOffset(amplitude, frequency, phase, step, offset), expectOffset);
    EXPECT_EQ(phase, 0);
    phase = n * 360 - step;
    EXPECT_EQ(WaveAcceleration(amplitude, frequency, phase, step, offset), expectAccel);
    EXPECT_EQ(phase, 0);
  }
}

TEST(AimTest, ArrivalOnTheSpotAndDiagonalFlight) {
  TinyStage stage;
  double vx = 9, vy = 9;
  int dir = 9;
  EXPECT_EQ(AimVelocity(vx, vy, dir, nullptr, 50, 60, 50, 60, 3, 0, 0, 1), 1);
  EXPECT_EQ(vx, 0);
  EXPECT_EQ(vy, 0);
  EXPECT_EQ(dir, 0);
  // Flight away: |speed| / sqrt(2) on each axis, away from the target.
  const double s = 4 * (1 / std::sqrt(2.0));
  EXPECT_EQ(AimVelocity(vx, vy, dir, nullptr, 50, 60, 80, 10, -4, 0, 0, 1), 0);
  EXPECT_EQ(vx, -s);
  EXPECT_EQ(vy, s);
  EXPECT_EQ(dir, 1);
}

TEST(ImpactSpeedTest, StrengthIsSplitAndTurnedIntoAStartSpeed) {
  for (int level : {1, 2, 4}) {
    TinyStage stage(level);
    double n = stage.N();
    auto start = [n](double d) {
      return d > 0 ? (std::sqrt(128 * n * d + 1) - 1) / (2 * n) : -(std::sqrt(1 - 128 * n * d) - 1) / (2 * n);
    };
    double vx = 7, vy = 7;
    CalcImpactSpeed(vx, vy, 0, 3, 1);
    EXPECT_EQ(vx, 7);
    EXPECT_EQ(vy, 7);
    CalcImpactSpeed(vx, vy, 10, 0, 0);
    EXPECT_EQ(vx, 0);
    EXPECT_EQ(vy, 0);
    CalcImpactSpeed(vx, vy, 10, 3, -1);
    EXPECT_EQ(vx, start(10 * 3.0 / 4));
    EXPECT_EQ(vy, start(10 * -1.0 / 4));
    CalcImpactSpeed(vx, vy, 0xF6, 2, 0);  // the strength is a signed byte: -10
    EXPECT_EQ(vx, start(-10.0));
    EXPECT_EQ(vy, 0);
  }
}

TEST(SearchTest, NearestPrefersOnScreenCharactersInModeZero) {
  TinyStage stage;
  cNpc& farOn = stage.AddNpc(15, 5);
  cNpc& nearOff = stage.AddNpc(2, 5);
  for (cNpc* c : {&farOn, &nearOff}) c->UpdateScreenRect();
  farOn.m_bOnScreen = 1;
  nearOff.m_bOnScreen = 0;
  int x = nearOff.ScreenCentreX(), y = nearOff.ScreenCentreY();
  EXPECT_EQ(FindNearestChara(x, y, stage.scene.CharaList, 0, {}), &farOn);
  EXPECT_EQ(FindNearestChara(x, y, stage.scene.CharaList, 1, {}), &nearOff);
  EXPECT_EQ(FindNearestChara(x, y, stage.scene.CharaList, 2, {}), &farOn);
  EXPECT_EQ(FindNearestChara(x, y, stage.scene.CharaList, 3, {}), nullptr);
  farOn.m_bOnScreen = 0;
  EXPECT_EQ(FindNearestChara(x, y, stage.scene.CharaList, 0, {}), &nearOff);
  EXPECT_EQ(FindNearestChara(x, y, stage.scene.CharaList, 2, {}), nullptr);
}

TEST(LandingTest, LandAndBumpPutTheEdgeOnTheCellBoundary) {
  TinyStage stage;
  cNpc& npc = stage.AddNpc(5, 5, [] {
    cCharaDef def = TinyStage::WalkerDef();
    def.m_nFlying = 2;  // no gravity, no collision pass in between
    return def;
  }());
  struct Case {
    double bottom, expectBottom;
  };
  for (Case c : {Case{95.0 + 320, 63.0 + 320}, Case{64.5 + 320, 63.5 + 320}}) {
    npc.m_dY = c.bottom - (npc.m_nHeight - 1);
    npc.OnMoveY();
    npc.m_dVy = 3;
    npc.m_bHeadBumped = npc.m_bJumping = npc.m_bKnocked = 1;
    npc.LandOnBlock();
    EXPECT_EQ(npc.m_dBottom, c.expectBottom);
    EXPECT_EQ(npc.m_dVy, 0);
    EXPECT_EQ(npc.m_bHitBottom, 1);
    EXPECT_EQ(npc.m_bHeadBumped + npc.m_bJumping + npc.m_bKnocked + npc.m_bAirborne, 0);
  }
  npc.m_dY = 320 + 70.25;
  npc.OnMoveY();
  npc.BumpBlockAbove();
  EXPECT_EQ(npc.m_dY, 320 + 96.25);  // 32 - (390 & 31) = 26 dots down
  EXPECT_EQ(npc.m_bHeadBumped + npc.m_bJumping + npc.m_bJumpStarted + npc.m_bHitTop, 4);
}

TEST(JumpArithmeticTest, SpeedsStepsAndTimesFollowTheGravity) {
  for (int level : {1, 2, 4}) {
    TinyStage stage(level);
    const double g = stage.G();
    const int n = stage.N();
    cNpc& npc = stage.AddNpc(5, 5);
    EXPECT_EQ(JumpSpeedForHeight(npc, 0), -g);
    // A negative height has nothing to rise through: its root counts as 0.
    for (int hbl : {1, 3, 8, -2}) {
      double h = hbl * 16;
      double v = (-g - std::sqrt(std::max(0.0, g * (8 * h + g)))) * 0.5;
      EXPECT_EQ(JumpSpeedForHeight(npc, hbl), v);
      int steps = static_cast<int>(n - v / g);
      EXPECT_EQ(JumpStepsForSpeed(v), steps);
      EXPECT_EQ(JumpTimeForHeight(npc, hbl), steps / n / 6 + 1);
    }
    // The hero's jump is damped by the stage's gravity.
    npc.m_nController = 0;
    double v = (-g - std::sqrt(g * (8 * 48.0 + g))) * 0.5;
    EXPECT_EQ(JumpSpeedForHeight(npc, 3), v * (0.99 - 0.4 * 0.025));
  }
}

TEST(StatusTest, HpAndSpChangesWithTheirGauges) {
  TinyStage stage;
  cNpc& npc = stage.AddNpc(5, 5);
  struct Case {
    int max, hp, invincible, delta, force;
    int expectHp, result;
    double expectChange;  // 0: no gauge started
  };
  const Case cases[] = {
      {100, 50, 1, -5, 0, 50, 0, 0},                // invincible: nothing
      {100, 50, 1, -5, 1, 45, 0, -5 * 50.0 / 100},  // forced
      {100, 97, 0, 10, 0, 100, 0, 3 * 50.0 / 100},  // limited to the maximum
      {100, 4, 0, -9, 0, 0, 1, 0},                  // dead: no gauge
      {0, 0, 0, 5, 0, 0, 1, 0},                     // no maximum
      {2000000000, 1900000000, 0, -100000000, 0, 1800000000, 0, -100000000 * 50.0 / 2000000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "max " << c.max << " hp " << c.hp << " delta " << c.delta);
    npc.m_Def.m_nMaxHp = c.max;
    npc.m_Def.m_nInvincible = static_cast<std::int8_t>(c.invincible);
    npc.m_nHp = c.hp;
    npc.m_HpGauge = {};
    EXPECT_EQ(npc.ChangeHp(c.delta, c.force, 1), c.result);
    EXPECT_EQ(npc.m_nHp, c.expectHp);
    EXPECT_EQ(npc.m_HpGauge.dChange, c.expectChange);
    if (c.expectChange != 0) {
      EXPECT_EQ(npc.m_HpGauge.nFramesLeft, 120);
      EXPECT_EQ(npc.m_HpGauge.nBarLength, static_cast<long long>(c.expectHp) * 50 / c.max);
      EXPECT_EQ(npc.m_HpGauge.dChangePerFrame, c.expectChange * 0.016666666666666666);
    }
  }
  npc.m_Def.m_nMaxSp = 0;
  npc.m_nSp = 0;
  EXPECT_EQ(npc.ChangeSp(5, 1), 1);
  EXPECT_EQ(npc.m_SpGauge.nFramesLeft, 0);
  npc.m_Def.m_nMaxSp = 2000000000;
  npc.m_nSp = 2000000000;
  EXPECT_EQ(npc.ChangeSp(-1000000000, 1), 0);
  EXPECT_EQ(npc.m_SpGauge.nBarLength, 25);
}

TEST(ImpactTest, AStrengthResistedToZeroStillStopsOpposingMotion) {
  TinyStage stage;
  cNpc& npc = stage.AddNpc(5, 5);
  npc.m_Def.m_nImpactResist = 9;
  npc.m_dImpactVx = 0.75;
  npc.m_dImpactVy = -0.5;
  npc.m_dMoveVx = -2;
  npc.m_dMoveVy = 2;
  npc.m_dVy = 1;
  npc.ApplyImpact(5, 1, 0);
  EXPECT_EQ(npc.m_dImpactVx, 0.75);  // strength 0: no new speed is written
  EXPECT_EQ(npc.m_dImpactVy, -0.5);
  EXPECT_EQ(npc.m_dMoveVx, 0);
  EXPECT_EQ(npc.m_dMoveVy, 0);
  EXPECT_EQ(npc.m_dVy, 0);
  EXPECT_EQ(npc.m_bKnocked, 1);
}

TEST(NpcTest, BlockCharactersMoveStepsAndRefusedJumps) {
  TinyStage stage;
  cCharaDef block = TinyStage::WalkerDef();
  block.m_bBlockChara = 1;
  cNpc& small = stage.AddNpc(3, 3, block);
  EXPECT_EQ(small.m_boxContact.nW * small.m_boxContact.nH, 0);
  EXPECT_EQ(small.m_boxDamage.nW, 32);
  EXPECT_EQ(small.m_boxDamage.nH, 32);
  block.m_nGiant = 2;
  cNpc& big = stage.AddNpc(6, 3, block);
  for (const BoxI& box : {big.m_boxContact, big.m_boxDamage}) {
    EXPECT_EQ(box.nX, 0);
    EXPECT_EQ(box.nY, 0);
    EXPECT_EQ(box.nW, 64);
    EXPECT_EQ(box.nH, 64);
  }

  cNpc& npc = stage.AddNpc(5, 5);
  npc.m_dX = 2;
  npc.m_dVx = -5;
  EXPECT_EQ(npc.MoveStepX(), 4);                    // beyond the active world
  npc.m_dY = kMapH * 32 + 320 - npc.m_nHeight + 1;  // its bottom below the stage span
  npc.m_dVy = 0;
  EXPECT_EQ(npc.MoveStepY(), 7);

  cRunningCommand cmd;
  cmd.dSpeed = -5;
  npc.m_bAirborne = 1;
  npc.m_dVy = 0;
  EXPECT_EQ(npc.Jump(cmd), 1);
  EXPECT_EQ(npc.m_dVy, 0);
  EXPECT_EQ(npc.m_bJumping, 0);
  npc.m_bAirborne = 0;
  npc.m_nFloorlessSteps = 3;
  EXPECT_EQ(npc.Jump(cmd), 3);
}

TEST(ItemObjectTest, SizeZeroIsOneAndCarriedItemsAreActiveUnscaled) {
  TinyStage stage;
  cItemDef def;
  def.m_nSize = 0;
  cItem placed;
  EXPECT_EQ(placed.InitItem(4, def, 0), 0);
  EXPECT_EQ(def.m_nSize, 1);
  EXPECT_EQ(placed.m_bActive, 0);
  EXPECT_EQ(placed.m_bFlying, 1);
  EXPECT_EQ(placed.m_nFlightMode, 0);
  def.m_nSize = 2;
  cItem carried;
  EXPECT_EQ(carried.InitItem(5, def, 1), 1);
  EXPECT_EQ(carried.m_bActive, 1);
  EXPECT_EQ(carried.m_nWidth, 16);
  cItem scaled;
  scaled.InitItem(6, def, 0);
  EXPECT_EQ(scaled.m_nWidth, 32);
}

TEST(HeroOverlayTest, StageRowsGiveBodyContactDamageAndItemSettings) {
  cStageData stage;
  stage.m_nDrawPartFactor = {2, 1, 0, 1};
  stage.m_nDrawPartSelector = {5, 6, 7, 3};
  cStageRules rules;
  RulesFromStage(stage, rules);
  struct Case {
    BOXPARTKIND kind;
    int mode, colour;
  };
  for (Case c :
       {Case{BOXPART_BODY, 2, 5}, Case{BOXPART_CONTACT, 1, 6}, Case{BOXPART_DAMAGE, 0, 7}, Case{BOXPART_ITEM, 1, 3}}) {
    EXPECT_EQ(rules.HeroBoxOverlay[c.kind].nMode, c.mode) << c.kind;
    EXPECT_EQ(rules.HeroBoxOverlay[c.kind].nColour, c.colour) << c.kind;
  }
}

TEST(HeroCameraTest, FollowsInsideTheScrollLimitsUnlessTheAxisScrollsByItself) {
  TinyStage stage;
  cPlayer& hero = stage.AddHero(10, 5);
  SCROLLDATA& axis = stage.scene.m_ScrollX;
  ASSERT_EQ(hero.m_nWidth, 24);
  struct Case {
    double x, dPos;
  };
  // dPos = x - (320 - 12), kept in [nLower, nUpper - 640].
  for (Case c : {Case{900, 900 - 308}, Case{400, static_cast<double>(axis.nLower)}, Case{1500, axis.nUpper - 640.0}}) {
    hero.m_dX = c.x;
    hero.OnMoveX();
    EXPECT_EQ(axis.dPos, c.dPos) << c.x;
    EXPECT_EQ(hero.m_dRight, hero.m_dX + 23);
  }
  axis.bAutoScroll = 1;
  hero.m_dX = 200;
  hero.OnMoveX();
  EXPECT_EQ(axis.dPos, axis.nUpper - 640.0);  // the camera stays
  EXPECT_EQ(hero.m_dX, axis.nMarginPx);       // a walking hero stays in the stage span
}

TEST(HeroMoveTest, SpeedChangeFloorScalesTheMovementVelocity) {
  for (int level : {1, 2, 4}) {
    TinyStage stage(level);
    const double n = stage.N();
    cPlayer& hero = stage.AddHero(10, 5);
    hero.m_nFloorTimer = 5;
    hero.m_nFloorEffect = 3;
    const double perStep = 4.0 / n / n * 0.016666666666666666;
    struct Case {
      double factor, move, expectMove;
    };
    for (Case c : {Case{1.5, 2, 2 + perStep * 0.5}, Case{0.5, -2, -2 + perStep * 0.5},
                   Case{0.0, -perStep / 4, 0}}) {  // slowed past zero: it stops
      hero.m_dFloorFactor = c.factor;
      hero.m_dMoveVx = c.move;
      hero.m_dVx = 0;
      double x = hero.m_dX;
      hero.MoveStepX();
      EXPECT_EQ(hero.m_dMoveVx, c.expectMove) << c.factor;
      EXPECT_EQ(hero.m_dVx, c.expectMove);
      EXPECT_EQ(hero.m_dX, x + c.expectMove);
    }
  }
}

TEST(HeroJumpTest, ATapHopsAtThirtyPercentAndARiddenJumpWaitsForTheLastStep) {
  for (int level : {1, 2, 4}) {
    TinyStage stage(level);
    const int n = stage.N();
    cPlayer& hero = stage.AddHero(10, 5);
    cFlowCommand def = MakeCommand(CMD_JUMP, 2, false, {1, 0, 3});  // kind 1: the key decides
    cKeyCondition button1;
    button1.m_vKeys[11] = 1;
    button1.m_bAnyLength = 1;
    cRunningFlow flow;
    flow.KeyConditions.push_back(&button1);
    stage.scene.m_pActFlow = &flow;
    cRunningCommand cmd;
    cmd.pDef = &def;
    cmd.nDuration = 12 * n;
    cmd.dSpeed = -4;
    auto step = [&](WORD button, int logicStep) {
      KeyInputList[0].m_wButton = button;
      KeyInputList[0].RecordKeyTimelines();
      stage.scene.m_nLogicStep = logicStep;
      hero.m_bJumpDone = 0;
      hero.Jump(cmd);
    };
    hero.m_bAirborne = 0;
    step(1, 1);
    EXPECT_EQ(hero.m_dVy, -4);
    EXPECT_EQ(hero.m_bJumping, 1);
    step(0, 2 % n + 1);
    EXPECT_EQ(hero.m_dVy, -4 * 0.3);
    EXPECT_EQ(hero.m_bJumpStarted, 1);
    EXPECT_EQ(hero.m_nJumpHold, 0);

    hero.m_dVy = 0;
    hero.m_bJumpStarted = hero.m_bJumping = 0;
    hero.m_bRiding = 1;
    cmd.bStarted = 0;
    for (int s = 1; s < n; ++s) {
      step(1, s);
      EXPECT_EQ(hero.m_dVy, 0) << s;
      EXPECT_EQ(hero.m_bRiding, 1);
    }
    step(1, n);
    EXPECT_EQ(hero.m_dVy, -4 * 1.0199999809265137);
    EXPECT_EQ(hero.m_bRiding, 0);
    stage.scene.m_pActFlow = nullptr;
  }
}

TEST(HeroPlaceTest, SizeZeroPlaysAtOneAndTheDefinitionKeepsOne) {
  TinyStage stage;
  cCharaDef def = TinyStage::HeroDef();
  def.m_nGiant = 0;
  cPlayer& hero = stage.scene.Player.emplace_back();
  hero.PlaceHero(0, def, 400, 400);
  EXPECT_EQ(def.m_nGiant, 1);
  EXPECT_EQ(hero.m_nWidth, 24);
  EXPECT_EQ(hero.m_nHeight, 30);
  EXPECT_EQ(hero.m_bJumpReady, 1);
  EXPECT_EQ(hero.m_dFloorSpeedStep, 4.0);
}

TEST(RangeTest, BackAndFrontWidenTheCentreAndExactTakesTheWholeBody) {
  // A body at 100 of size 20: centre 110, far edge 120.
  struct Case {
    int lo, hi, margin, back, front, exact, inRange;
  };
  const Case cases[] = {
      {105, 115, 0, 0, 0, 0, 1}, {111, 200, 0, 0, 0, 0, 0},  // only the centre
      {0, 95, 0, 5, 0, 0, 1},    {111, 200, 0, 5, 0, 0, 0},  // back: from 95 to the centre
      {121, 200, 0, 0, 5, 0, 1}, {121, 200, 5, 0, 5, 0, 0},  // front: to 125, entered by 5 or not
      {120, 130, 0, 0, 0, 1, 1}, {121, 130, 0, 0, 0, 1, 0},  // exact: the body 100..120
      {121, 200, 0, 0, 5, 1, 1},                             // exact with margins keeps the margins
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsInRange(100, 20, c.lo, c.hi, c.margin, c.back, c.front, c.exact), c.inRange)
        << c.lo << ".." << c.hi << " margin " << c.margin << " back " << c.back << " front " << c.front;
  }
}
