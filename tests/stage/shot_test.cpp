// Shots and swords as objects: the shot list and its faction lists, removal,
// targets lost with their character, set-up, lifetime and flight distance,
// the nearest-character search over a faction list, and the shot pass.
#include <algorithm>
#include <cmath>

#include "library/util/Log.h"
#include "stage/StagePlay.h"
#include "support/MainWindowProbe.h"
#include "support/ShotSupport.h"
#include "support/TempDir.h"

using namespace stagetest;

namespace {

std::vector<int> Numbers(const cStagePlayScene& scene, int faction) {
  return scene.m_ShotByFaction[static_cast<size_t>(faction)];
}

}  // namespace

TEST(ShotListTest, ShotsAreFiledByFactionAndLeaveAtOnceButAreFreedLater) {
  TinyStage stage;
  cNpc& shooter = stage.AddNpc(5, 5);
  shooter.m_nFaction = 3;
  cEdShot own = Straight();
  own.m_bUserFaction = 0;
  own.m_nFaction = 6;
  cShot& a = AddShot(stage, shooter, Straight(), Moving(1.0, 0));
  cShot& b = AddShot(stage, shooter, own, Moving(1.0, 0));
  cShot& c = AddShot(stage, shooter, Straight(), Moving(1.0, 0));
  EXPECT_EQ(a.m_nFaction, 3);
  EXPECT_EQ(b.m_nFaction, 6);
  EXPECT_EQ(Numbers(stage.scene, 3), (std::vector<int>{a.m_nNo, c.m_nNo}));
  EXPECT_EQ(Numbers(stage.scene, 6), (std::vector<int>{b.m_nNo}));

  const int no = a.m_nNo;
  stage.scene.EraseShot(a);
  EXPECT_EQ(Numbers(stage.scene, 3), (std::vector<int>{c.m_nNo}));
  EXPECT_EQ(stage.scene.FindShotByNo(no), nullptr);
  EXPECT_EQ(stage.scene.m_ShotList.size(), 3u);  // the node waits for the end of the frame
  stage.scene.CollectRemoved();
  EXPECT_EQ(stage.scene.m_ShotList.size(), 2u);
  EXPECT_EQ(stage.scene.FindShotByNo(c.m_nNo), &c);
}

TEST(ShotListTest, FactionOutsideTheListsIsReportedAndFiledUnderZero) {
  testsupport::TempDir dir{true};
  ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
  MainWindowProbe probe;
  TinyStage stage;
  cNpc& shooter = stage.AddNpc(5, 5);
  cEdShot settings = Straight();
  settings.m_bUserFaction = 0;
  settings.m_nFaction = 9;
  cShot& shot = AddShot(stage, shooter, settings, Moving(1.0, 0));
  EXPECT_EQ(Numbers(stage.scene, 0), (std::vector<int>{shot.m_nNo}));
  const std::string line = "err V[9] ( 8 , " + std::to_string(sizeof(std::vector<int>)) + " )\r\n";
  EXPECT_EQ(dir.Read("Report_Game.txt"), line);
  EXPECT_EQ(probe.CloseRequests(), 1);
  // Its removal finds it there again.
  stage.scene.EraseShot(shot);
  EXPECT_TRUE(Numbers(stage.scene, 0).empty());
}

TEST(ShotListTest, ShotsAimedAtACharacterLoseTheirTargetWhenItLeaves) {
  TinyStage stage;
  cNpc& shooter = stage.AddNpc(5, 5);
  for (bool killed : {false, true}) {
    cNpc& target = stage.AddNpc(12, 5);
    shooter.m_nTargetNo = target.m_nNo;
    cShot& homing = AddShot(stage, shooter, WithTrajectory(Straight(), 6), Moving(1.0, 0));
    target.m_vShots.push_back(homing.m_nNo);
    if (killed)
      KillChara(target);
    else
      stage.scene.EraseChara(target);
    EXPECT_EQ(homing.m_nTargetNo, kNoTarget) << killed;
    EXPECT_TRUE(target.m_vShots.empty());
  }
}

TEST(NearestCharaTest, SearchesAFactionListThatHoldsTheHero) {
  TinyStage stage;
  cPlayer& hero = stage.AddHero(4, 5);
  cNpc& far = stage.AddNpc(14, 5);
  cNpc& proof = stage.AddNpc(5, 5);
  proof.m_Def.m_nInvincible = 2;  // shots pass through it: never aimed at
  for (cChara* c : std::initializer_list<cChara*>{&hero, &far, &proof}) {
    c->m_bActive = c->m_bOnScreen = 1;
    c->UpdateScreenRect();
  }
  std::vector<int> list{far.m_nNo, proof.m_nNo, hero.m_nNo};
  cShot& shot = AddShot(stage, far, Straight(), Moving(-1.0, 0));
  shot.m_dX = (6 + 10) * 32;
  shot.UpdateScreenRect();
  EXPECT_EQ(shot.FindNearestCharaFrom(list), &hero);
  // Mode 0: an off-screen character counts only when none on screen passes.
  hero.m_bOnScreen = 0;
  EXPECT_EQ(shot.FindNearestCharaFrom(list), &far);
  far.m_bOnScreen = 0;
  EXPECT_EQ(shot.FindNearestCharaFrom(list), &hero);
  stage.scene.m_Rules.bAimOnScreenOnly = 1;
  EXPECT_EQ(shot.FindNearestCharaFrom(list), nullptr);
  stage.scene.m_Rules.bAimOnScreenOnly = 0;
  stage.scene.EraseChara(far);
  hero.m_bDying = 1;
  EXPECT_EQ(shot.FindNearestCharaFrom(list), nullptr);
}

TEST(ShotSetupTest, FacingBoxesScaleAndFaction) {
  TinyStage stage;
  stage.scene.m_Rules.ShotBox = {SizeRule{10, 6, 0}, SizeRule{12, 8, 0}};
  cPlayer& hero = stage.AddHero(4, 5);
  cNpc& npc = stage.AddNpc(8, 5);
  npc.m_bRight = 1;
  cShot& still = AddShot(stage, npc, Straight(), Fired(0, 0, 200, 100));
  EXPECT_EQ(still.m_bRight, 1);  // no horizontal speed: the shooter's facing
  EXPECT_EQ(still.m_boxHit.nX, 8 - 6);
  EXPECT_EQ(still.m_boxHit.nY, 8 - 4);
  EXPECT_EQ(still.m_boxHit.nW, 12);
  EXPECT_DOUBLE_EQ(still.m_rcHit.dLeft, 200 + 2);
  EXPECT_DOUBLE_EQ(still.m_rcHit.dBottom, 100 + 4 + 8 - 1);
  cShot& left = AddShot(stage, hero, Straight(), Fired(-3, 0, 200, 100));
  EXPECT_EQ(left.m_bRight, 0);
  EXPECT_EQ(left.m_boxHit.nW, 10);  // the player side's box
  EXPECT_EQ(left.m_nController, 0);

  cEdShot big = Straight();
  big.m_nScale = 2;
  cShot& twice = AddShot(stage, npc, big, Fired(3, 0, 200, 100));
  EXPECT_EQ(twice.m_nWidth, 32);
  EXPECT_EQ(twice.m_rcGfx.nW, 32);
  EXPECT_EQ(twice.m_boxHit.nW, 24);
  EXPECT_EQ(twice.m_boxHit.nX, 4);
  EXPECT_DOUBLE_EQ(twice.m_dY, 100);  // placed after the scale change
  EXPECT_DOUBLE_EQ(twice.m_dOwnVx, 3.0);
}

// Lifetime and distance in updates, at one and at two logic steps per frame.
TEST(ShotSetupTest, LifetimeAndDistanceCountLogicSteps) {
  struct Case {
    int level, lifetime, distance, speed;  // lifetime in tenths, distance in hbl, speed in tenths per frame
    int updates;                           // the update that removes the shot
    double ownVx;                          // the velocity it flies at
  };
  const Case cases[] = {
      {1, 1, 0, 10, 7, 1.0},   // 6 x 1 steps, removed at the 7th update
      {2, 1, 0, 10, 13, 0.5},  // 6 x 2 steps
      {1, 0, 2, 10, 16, 1.0},  // (32 - 16) / 1.0
      {2, 0, 2, 10, 32, 0.5},  // (32 - 16) / 0.5
      {2, 0, 1, 40, 2, 2.0},   // within the body: N steps at its own speed (2 x 2 dots, not over 16)
      {1, 0, 1, 200, 1, 0.0},  // a step longer than the body: it stands for N steps
      {2, 0, 1, 400, 2, 0.0},
  };
  for (const Case& c : cases) {
    TinyStage stage(c.level);
    cNpc& npc = stage.AddNpc(8, 5);
    cEdShot s = Straight();
    s.m_bLifetime = c.lifetime != 0;
    s.m_bRange = c.distance != 0;
    SHOTFIREDATA fire = Fired(c.speed * 0.1, 0, 400, 300);
    fire.dSpeed = c.speed * 0.1;
    fire.nLifetime = c.lifetime;
    fire.nDistance = c.distance;
    cShot& shot = AddShot(stage, npc, s, fire);
    EXPECT_DOUBLE_EQ(shot.m_dOwnVx, c.ownVx) << c.level << " " << c.speed;
    int removedAt = 0;
    for (int i = 1; i <= 100 && !removedAt; ++i)
      if (shot.UpdateShot()) removedAt = i;
    EXPECT_EQ(removedAt, c.updates) << c.level << " " << c.distance << " " << c.speed;
  }
}

TEST(ShotSetupTest, ADistanceWithoutADirectionStandsInsteadOfDividingByZero) {
  TinyStage stage;
  cNpc& npc = stage.AddNpc(8, 5);
  cEdShot s = Straight();
  s.m_bRange = 1;
  SHOTFIREDATA fire = Fired(0, 0, 400, 300);
  fire.dSpeed = 20;
  fire.nDistance = 1;
  cShot& shot = AddShot(stage, npc, s, fire);
  EXPECT_EQ(shot.m_dOwnVx, 0.0);
  EXPECT_EQ(shot.m_dOwnVy, 0.0);
}

TEST(ShotSetupTest, StopAtRangeStaysAndMovesWithTheScroll) {
  TinyStage stage;
  cNpc& npc = stage.AddNpc(8, 5);
  cEdShot s = Straight();
  s.m_bRange = s.m_bStopAtRange = 1;
  s.m_bScrollCarry = 1;
  SHOTFIREDATA fire = Fired(2, 0, 400, 300);
  fire.dSpeed = 2;
  fire.nDistance = 2;  // (32 - 16) / 2 = 8 steps
  cShot& shot = AddShot(stage, npc, s, fire);
  stage.scene.m_ScrollX.dAutoSpeed = 0.5;
  for (int i = 1; i <= 8; ++i) ASSERT_EQ(shot.UpdateShot(), 0);
  EXPECT_DOUBLE_EQ(shot.m_dVx, 0.5);  // the eighth: only the scroll moves it
  for (int i = 0; i < 50; ++i) ASSERT_EQ(shot.UpdateShot(), 0);
  EXPECT_DOUBLE_EQ(shot.m_dVx, 0.5);
  EXPECT_EQ(shot.m_dOwnVx, 0.0);
}

namespace {

// A shot fired left at 1 dot per frame from map (640, 480), with a trajectory.
cShot& Flying(TinyStage& stage, cChara& shooter, cEdShot s, double vx = -1.0, double vy = 0) {
  SHOTFIREDATA fire = Fired(vx, vy, 640, 480);
  fire.dSpeed = 1.0;
  return AddShot(stage, shooter, s, fire);
}

// The velocity per step from the shot's screen centre toward the character's at speed v.
std::pair<double, double> Toward(const cShot& shot, const cChara& c, double v) {
  const double dx = c.ScreenCentreX() - shot.ScreenCentreX(), dy = c.ScreenCentreY() - shot.ScreenCentreY();
  const double d = std::sqrt(dx * dx + dy * dy);
  return {dx / d * v, dy / d * v};
}

}  // namespace

class TrajectoryTest : public ::testing::TestWithParam<int> {
 protected:
  TinyStage stage{GetParam()};
  cPlayer& hero = stage.AddHero(6, 2);
  cNpc& shooter = stage.AddNpc(12, 5);
  int N() const { return stage.N(); }
};

INSTANTIATE_TEST_SUITE_P(Steps, TrajectoryTest, ::testing::Values(1, 2));

TEST_P(TrajectoryTest, AimTurnsOnceAtTheStartStep) {
  hero.UpdateScreenRect();
  const double v = 1.0 / N();
  for (int hbl : {0, 2}) {
    cShot& shot = Flying(stage, shooter, WithTrajectory(Straight(), 1, hbl));
    const int start = static_cast<int>(hbl * 16 / v);
    for (int i = 0; i < start; ++i) shot.UpdateShot();
    EXPECT_DOUBLE_EQ(shot.m_dOwnVx, -v) << hbl;
    shot.UpdateShot();
    auto [vx, vy] = Toward(shot, hero, v);
    EXPECT_DOUBLE_EQ(shot.m_dOwnVx, vx) << hbl;
    EXPECT_DOUBLE_EQ(shot.m_dOwnVy, vy) << hbl;
    // Never again, wherever the hero goes.
    hero.m_rcScreen.nTop += 100;
    for (int i = 0; i < 10; ++i) shot.UpdateShot();
    EXPECT_DOUBLE_EQ(shot.m_dOwnVy, vy);
    hero.UpdateScreenRect();
  }
  // Nobody of the faction to aim at: straight on, and it does not try again.
  cShot& lonely = Flying(stage, shooter, WithTrajectory(Straight(), 2, 0, 5));
  lonely.UpdateShot();
  EXPECT_EQ(lonely.m_bTrajDone, 1);
  EXPECT_DOUBLE_EQ(lonely.m_dOwnVx, -v);
  EXPECT_EQ(lonely.m_dOwnVy, 0.0);
}

TEST_P(TrajectoryTest, HomingRunsFromItsStartToItsEnd) {
  hero.UpdateScreenRect();
  const double v = 1.0 / N();
  // Homing from 1 hbl to 2 hbl of flight: steps 16 / v to 32 / v.
  cShot& shot = Flying(stage, shooter, WithTrajectory(Straight(), 4, 1, 2));
  const int start = static_cast<int>(16 / v), end = static_cast<int>(32 / v);
  for (int i = 0; i < start; ++i) shot.UpdateShot();
  EXPECT_EQ(shot.m_dOwnVy, 0.0);
  shot.UpdateShot();
  EXPECT_DOUBLE_EQ(shot.m_dOwnVy, Toward(shot, hero, v).second);
  for (int i = start + 1; i < end; ++i) {
    hero.m_rcScreen.nLeft -= 1;  // it follows the hero step by step
    shot.UpdateShot();
    EXPECT_DOUBLE_EQ(shot.m_dOwnVx, Toward(shot, hero, v).first) << i;
  }
  const double last = shot.m_dOwnVx;
  hero.m_rcScreen.nLeft += 300;
  shot.UpdateShot();
  EXPECT_EQ(shot.m_bTrajDone, 1);
  EXPECT_DOUBLE_EQ(shot.m_dOwnVx, last);
  // An end of 0 never homes.
  cShot& never = Flying(stage, shooter, WithTrajectory(Straight(), 4, 0, 0));
  for (int i = 0; i < 5; ++i) never.UpdateShot();
  EXPECT_EQ(never.m_dOwnVy, 0.0);
  // Both kinds of nearest-character homing turn alike.
  stage.scene.m_CharaByFaction[4] = {hero.m_nNo};
  hero.m_bActive = 1;
  cShot& five = Flying(stage, shooter, WithTrajectory(Straight(), 5, 0, 999, 4));
  cShot& seven = Flying(stage, shooter, WithTrajectory(Straight(), 7, 0, 999, 4));
  five.UpdateShot();
  seven.UpdateShot();
  EXPECT_DOUBLE_EQ(five.m_dOwnVx, seven.m_dOwnVx);
  EXPECT_DOUBLE_EQ(five.m_dOwnVy, Toward(five, hero, v).second);
}

TEST_P(TrajectoryTest, WaveWeavesAcrossTheLineMirroredByFacing) {
  // Amplitude 1 hbl, 4 degrees per frame, start angle 0: the first step is
  // w x cos(0) x 16 / N across the line, w = 4 degrees in radians.
  const double w = 4 * 3.14159265358979323846 / 180;
  cShot& right = Flying(stage, shooter, WithTrajectory(Straight(), 8, 1, 4, 0), 1.0);
  cShot& left = Flying(stage, shooter, WithTrajectory(Straight(), 8, 1, 4, 0), -1.0);
  right.UpdateShot();
  left.UpdateShot();
  EXPECT_NEAR(right.m_dOwnVy, -w * 16 / N(), 1e-9);  // across a rightward line is up
  for (int i = 0; i < 40; ++i) {
    EXPECT_NEAR(right.m_dOwnVy, left.m_dOwnVy, 1e-9) << i;
    EXPECT_NEAR(right.m_dOwnVx, -left.m_dOwnVx, 1e-9) << i;
    right.UpdateShot();
    left.UpdateShot();
  }
  // A wave that never advances leaves the shot on its line.
  cShot& flat = Flying(stage, shooter, WithTrajectory(Straight(), 8, 1, 0, 0));
  for (int i = 0; i < 5; ++i) flat.UpdateShot();
  EXPECT_EQ(flat.m_dOwnVy, 0.0);
}

TEST_P(TrajectoryTest, FallKeepsTheHorizontalFlightAndLetsGravityAct) {
  cShot& shot = Flying(stage, shooter, WithTrajectory(Straight(), 9, 0), -1.0, -0.5);
  shot.UpdateShot();
  EXPECT_EQ(shot.m_bFlying, 0);
  EXPECT_DOUBLE_EQ(shot.m_dVy, -0.5 / N());
  EXPECT_DOUBLE_EQ(shot.m_dVx, -1.0 / N());
  shot.AddGravity();
  shot.UpdateShot();
  EXPECT_DOUBLE_EQ(shot.m_dVy, -0.5 / N() + stage.G());
  EXPECT_DOUBLE_EQ(shot.m_dVx, -1.0 / N());
}

TEST(ShotPassTest, ShotsFlyOnWhileTheHeroDies) {
  TinyStage stage;
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& shooter = stage.AddNpc(12, 5);
  cShot& shot = Flying(stage, shooter, Straight());
  hero.m_bDying = 1;
  RunPlayFrame(stage.scene);
  EXPECT_DOUBLE_EQ(shot.m_dX, 639);
  EXPECT_EQ(shot.m_bOnScreen, 1);
}

TEST(ShotPassTest, BlocksUnderAWideShotAreFoundAcrossItsWholeBody) {
  TinyStage stage;
  stage.AddHero(2, 12);
  cNpc& shooter = stage.AddNpc(12, 5);
  cEdShot wide = Straight();
  wide.m_nScale = 3;  // 48 dots: cells at x offsets 0, 32 and 47
  // Map x 20 + 32k: the offsets land in three cells, the middle one only from offset 32.
  SHOTFIREDATA fire = Fired(0, 0, 32 * 18 + 20, 32 * 15);
  cShot& shot = AddShot(stage, shooter, wide, fire);
  EXPECT_EQ(shot.ShotHitsBlock(), 0);
  stage.SetBlock(19 - 10, 15 - 10, kBlockHitSolid);
  EXPECT_EQ(shot.ShotHitsBlock(), 1);
  shot.m_Settings.m_nBlockPass = 1;
  EXPECT_EQ(shot.ShotHitsBlock(), 0);
  shot.m_Settings.m_nBlockPass = 0;
  // The frame frees the shot: only its number is asked after it.
  const int no = shot.m_nNo;
  RunPlayFrame(stage.scene);
  EXPECT_EQ(stage.scene.FindShotByNo(no), nullptr);
}

TEST(ShotPassTest, OutOfAreaRulesOfTheTwoSides) {
  TinyStage stage;
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& npc = stage.AddNpc(12, 5);
  // Out by one cell to the left of the view: rule 3 (the player side) says out, rule 4 does not.
  stage.scene.m_OutAreaRules[3] = {1, 0, 0, 0, 1, 0, 0, 0};
  const int x = 320 - 32 - 16 - 8;
  cShot& mine = AddShot(stage, hero, Straight(), Fired(0, 0, x, 480));
  cShot& theirs = AddShot(stage, npc, Straight(), Fired(0, 0, x, 480));
  const int mineNo = mine.m_nNo;  // the frame frees the shot that went out
  RunPlayFrame(stage.scene);
  EXPECT_EQ(stage.scene.FindShotByNo(mineNo), nullptr);
  EXPECT_EQ(stage.scene.FindShotByNo(theirs.m_nNo), &theirs);
}
