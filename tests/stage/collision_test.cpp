// Block-map collision at 1, 2 and 4 logic steps per frame. Every expected
// position is computed here from the physics: gravity per step g = 0.4 / N²,
// velocity added before the move, and the snap rules of the contacts.
#include <cmath>

#include "library/util/Convert.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

class CollisionTest : public ::testing::TestWithParam<int> {
 protected:
  TinyStage stage{GetParam()};
};

// Free fall of a body whose bottom is `height - 1` below its top until its
// bottom enters row `floorRow` (map rows): returns the landed top and the steps.
double ExpectedLanding(double y, int height, int floorRow, double g, double maxSpeed, int& steps) {
  double vy = 0;
  for (steps = 1;; ++steps) {
    vy = std::min(vy + g, maxSpeed);
    y += vy;
    double bottom = y + height - 1;
    if ((DoubleToInt(bottom) >> 5) >= floorRow) return y - ((DoubleToInt(bottom) & 31) + 1);
  }
}

}  // namespace

TEST_P(CollisionTest, WalkerLandsOnTheLastDotAboveTheFloor) {
  stage.Floor(8);
  cNpc& npc = stage.AddNpc(5, 2);
  // Body 24 x 30 standing on the bottom of its cell: top at (10 + 2) * 32 + 2.
  ASSERT_EQ(npc.m_dY, 386.0);
  int expectedSteps = 0;
  double expectedY = ExpectedLanding(386.0, 30, 18, stage.G(), stage.scene.m_Rules.dMaxSpeedPerStep, expectedSteps);
  int steps = 0;
  while (!npc.m_bHitBottom && steps < 1000) {
    TinyStage::MoveChara(npc);
    ++steps;
  }
  EXPECT_EQ(steps, expectedSteps);
  EXPECT_EQ(npc.m_dY, expectedY);
  EXPECT_EQ(npc.m_dBottom, expectedY + 29);
  EXPECT_EQ(DoubleToInt(npc.m_dBottom), 575);
  EXPECT_EQ(npc.m_dVy, 0.0);
  EXPECT_EQ(npc.m_bAirborne, 0);
  EXPECT_EQ(npc.m_nLandedCell, stage.scene.CellIndex(484 >> 5, 18));
  // Standing still afterwards keeps it there.
  TinyStage::MoveChara(npc);
  EXPECT_EQ(DoubleToInt(npc.m_dBottom), 575);
}

TEST_P(CollisionTest, RisingHeadBumpsDownToTheNextCellBoundary) {
  stage.SetBlock(5, 3, kBlockHitSolid);  // map row 13: dots 416..447
  cNpc& npc = stage.AddNpc(5, 5);
  double y = npc.m_dY, vy = -8.0;
  npc.m_dVy = vy;
  double expected = 0;
  for (int guard = 0; guard < 100; ++guard) {
    vy = std::max(vy + stage.G(), -stage.scene.m_Rules.dMaxSpeedPerStep);
    y += vy;
    if ((DoubleToInt(y) >> 5) <= 13) {
      expected = y + 32 - (DoubleToInt(y) & 31);
      break;
    }
  }
  for (int i = 0; i < 100 && !npc.m_bHitTop; ++i) TinyStage::MoveChara(npc);
  ASSERT_EQ(npc.m_bHitTop, 1);
  EXPECT_EQ(npc.m_dY, expected);
  EXPECT_EQ(npc.m_dVy, 0.0);
  EXPECT_EQ(npc.m_bHeadBumped, 1);
  EXPECT_EQ(npc.m_bJumping, 1);
}

TEST_P(CollisionTest, SideContactsKeepTheFraction) {
  cCharaDef flyer = TinyStage::WalkerDef();
  flyer.m_nFlying = 2;  // flies, collides with blocks
  stage.SetBlock(8, 5, kBlockHitSolid);
  stage.SetBlock(2, 5, kBlockHitSolid);
  cNpc& right = stage.AddNpc(5, 5, flyer);
  double x = right.m_dX;
  double expected = 0;
  for (;;) {
    x += 3.3;
    double r = x + 23;
    if ((DoubleToInt(r) >> 5) >= 18) {
      expected = x - ((DoubleToInt(r) & 31) + 1);
      break;
    }
  }
  right.m_dVx = 3.3;
  for (int i = 0; i < 100 && !right.m_bHitRight; ++i) TinyStage::MoveChara(right);
  EXPECT_EQ(right.m_dX, expected);
  EXPECT_EQ(right.m_dX - std::floor(right.m_dX), expected - std::floor(expected));
  EXPECT_EQ(right.m_nLastContactSide, 1);

  cNpc& left = stage.AddNpc(5, 5, flyer);
  x = left.m_dX;
  for (;;) {
    x -= 2.7;
    if ((DoubleToInt(x) >> 5) <= 12) {
      expected = x + 32 - (DoubleToInt(x) & 31);
      break;
    }
  }
  left.m_dVx = -2.7;
  for (int i = 0; i < 100 && !left.m_bHitLeft; ++i) TinyStage::MoveChara(left);
  EXPECT_EQ(left.m_dX, expected);
  EXPECT_EQ(left.m_nLastContactSide, 0);
}

TEST_P(CollisionTest, DeadlyBlocksKillTheHeroAndCarryOthers) {
  stage.Floor(8, kBlockHitDeadly);
  cPlayer& hero = stage.AddHero(3, 6);
  cNpc& npc = stage.AddNpc(20, 6);
  int heroY = 0, x = 0;
  for (int i = 0; i < 1000 && heroY != 2; ++i) TinyStage::MoveChara(hero, x, heroY);
  EXPECT_EQ(heroY, 2);
  EXPECT_EQ(hero.m_nLandedCell, stage.scene.CellIndex(DoubleToInt(hero.m_dX) >> 5, 18));
  int npcY = 0;
  for (int i = 0; i < 1000 && !npc.m_bHitBottom; ++i) TinyStage::MoveChara(npc, x, npcY);
  EXPECT_EQ(npcY, 0);
  EXPECT_EQ(DoubleToInt(npc.m_dBottom), 575);
  // From the side too.
  stage.SetBlock(5, 5, kBlockHitDeadly);
  hero.m_dX = 5 * 32 + 320 - 24 + 0.5;
  hero.m_dY = 15 * 32 + 2;
  hero.OnMoveX();
  hero.OnMoveY();
  hero.m_dVx = 1;
  hero.m_dVy = 0;
  hero.MoveStepX();
  EXPECT_EQ(CollideMapX(hero), 2);
}

TEST_P(CollisionTest, MapEdgesAskForRemoval) {
  cNpc& npc = stage.AddNpc(5, 5);
  npc.m_dX = 2;
  npc.m_dVx = -5;
  EXPECT_EQ(npc.MoveStepX(), 4);
  EXPECT_EQ(npc.m_dX, 0.0);
  npc.m_dVx = 0;
  npc.m_dY = stage.scene.m_ScrollY.nFullUpper - 20;
  npc.m_dVy = 0;
  EXPECT_EQ(npc.MoveStepY(), 7);
  cCharaDef flyer = TinyStage::WalkerDef();
  flyer.m_nFlying = 1;
  cNpc& bird = stage.AddNpc(5, 5, flyer);
  bird.m_dY = 1;
  bird.m_dVy = -3;
  EXPECT_EQ(bird.MoveStepY(), 8);
}

TEST_P(CollisionTest, PassingFlightIgnoresBlocks) {
  cCharaDef ghost = TinyStage::WalkerDef();
  ghost.m_nFlying = 1;
  stage.SetBlock(6, 5, kBlockHitSolid);
  cNpc& npc = stage.AddNpc(5, 5, ghost);
  npc.m_dVx = 4;
  for (int i = 0; i < 20; ++i) TinyStage::MoveChara(npc);
  EXPECT_EQ(npc.m_bHitRight, 0);
  EXPECT_GT(npc.m_dX, (6 + 10 + 1) * 32.0);  // past the block's right edge
}

TEST_P(CollisionTest, AutoScrollHoldsTheHeroInTheView) {
  cPlayer& hero = stage.AddHero(5, 5);
  SCROLLDATA& y = stage.scene.m_ScrollY;
  y.bAutoScroll = 1;
  y.dPos = 320;
  hero.m_dY = y.dPos + 470;  // its bottom below the view
  EXPECT_EQ(KeepHeroInScreenY(hero), 2);
  EXPECT_EQ(hero.m_dY, y.dPos + 480 - hero.m_nHeight - 1);
  EXPECT_EQ(hero.m_bHitBottom, 1);
  hero.m_dY = y.dPos - 5;  // above it: pushed back in, alive
  EXPECT_EQ(KeepHeroInScreenY(hero), 0);
  EXPECT_EQ(hero.m_dY, y.dPos);
  EXPECT_EQ(hero.m_bHitTop, 1);
}

INSTANTIATE_TEST_SUITE_P(StepsPerFrame, CollisionTest, ::testing::Values(1, 2, 4));
