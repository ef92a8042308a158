// Shots and swords as objects: the shot list and its faction lists, removal,
// targets lost with their character, set-up, lifetime and flight distance,
// the nearest-character search over a faction list, and the shot pass.
#include <algorithm>

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
