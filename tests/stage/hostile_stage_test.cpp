// Stage files come from users: values no editor writes must still set up and
// play within bounds, or be refused with a log line.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <limits>
#include <vector>

#include "TinyStage.h"
#include "library/draw/Draw.h"
#include "library/input/KeyInput.h"
#include "records/StageData.h"
#include "stage/Collision.h"
#include "stage/StageDraw.h"
#include "stage/StagePlay.h"
#include "stage/StageRules.h"
#include "stage/StageSetup.h"

namespace {

class HostileStageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tinystage::Build(stage, kBlockHitSolid);
    StageData = StageDataOrg = &stage;
    KeyInputList.assign(1, cKeyInput{});
  }
  void TearDown() override {
    StageData = StageDataOrg = nullptr;
    CurrentPlayScene = nullptr;
    KeyInputList.clear();
  }

  cStageData stage;
  cStagePlayScene scene;
};

TEST_F(HostileStageTest, MapsWithoutCellsOrTooLargeToStoreAreRefused) {
  struct Case {
    int width, height;
  };
  const Case refused[] = {{0, 15},       {40, 0},       {-5, 15},      {40, -1},         {-30, -30},
                          {INT_MAX, 15}, {40, INT_MAX}, {INT_MIN, 15}, {100000, 100000}, {4000, 1000}};
  for (const Case& c : refused) {
    stage.m_nMapWidth = c.width;
    stage.m_nMapHeight = c.height;
    EXPECT_FALSE(SetStage(scene, 1, 1)) << c.width << " x " << c.height;
  }
  // A long but thin map fits.
  stage.m_nMapWidth = 2000;
  stage.m_nMapHeight = 15;
  ASSERT_TRUE(SetStage(scene, 1, 1));
  EXPECT_EQ(RunPlayFrame(scene), 0);
}

// Boxes and extents far past any map are held to sizes whose dot arithmetic
// cannot overflow, and the stage plays.
TEST_F(HostileStageTest, HugeBoxesAndExtentsAreHeldWithinBounds) {
  struct Case {
    int box, extent;
    int width, activeRange;
  };
  const Case cases[] = {{INT_MAX, INT_MAX, 1024, 1 << 28}, {INT_MIN, INT_MIN, 1, -(1 << 28)}, {0, -640, 1, 0}};
  for (const Case& c : cases) {
    for (BoxSize& box : stage.m_HeroBox) box = {c.box, c.box};
    stage.m_nExtentX = stage.m_nExtentY = c.extent;
    ASSERT_TRUE(SetStage(scene, 1, 1));
    EXPECT_EQ(scene.Hero().m_nWidth, c.width) << c.box;
    EXPECT_EQ(scene.m_ScrollX.nActiveRange, c.activeRange) << c.extent;
    for (int frame = 0; frame < 3; ++frame) RunPlayFrame(scene);
  }
}

// Hit times beyond a day of play are held to a day: counted in steps they
// cannot overflow.
TEST_F(HostileStageTest, HitTimesAreHeldToADayOfPlay) {
  const int day = 60 * 60 * 60 * 24;
  for (int frames : {INT_MAX, INT_MIN}) {
    stage.m_nCollisionLevel = 10;
    stage.m_nHitTimes = {frames, frames, frames, frames};
    ASSERT_TRUE(SetStage(scene, 1, 1));
    cPlayer& hero = scene.Hero();
    StartInvincibility(hero);
    EXPECT_EQ(hero.m_nInvincible, (frames > 0 ? day : -day) * 10);
  }
}

// Out-of-area margins of any size: a bound past the int range converts to
// INT_MIN, below every object, so only the right and bottom edges remove.
TEST_F(HostileStageTest, OutOfAreaMarginsOfAnySizeCompareWithoutOverflow) {
  stage.m_PlacedCharas.push_back(tinystage::Placed(30, 11, 1));
  struct Case {
    int edge, margin, out;
  };
  const Case cases[] = {{0, INT_MAX, 0}, {0, INT_MIN, 0}, {1, INT_MAX, 1}, {1, INT_MIN, 1},
                        {2, INT_MAX, 0}, {2, INT_MIN, 0}, {3, INT_MAX, 1}, {3, INT_MIN, 1}};
  for (const Case& c : cases) {
    std::array<int, 4> on{}, margins{};
    on[static_cast<size_t>(c.edge)] = 1;
    margins[static_cast<size_t>(c.edge)] = c.margin;
    stage.m_OutAreaRules[0].Set(on, margins);
    ASSERT_TRUE(SetStage(scene, 1, 1));
    ASSERT_EQ(scene.CharaList.size(), 1u);
    const cNpc& chara = scene.CharaList.front();
    ASSERT_EQ(chara.m_bOnScreen, 0);
    EXPECT_EQ(chara.IsOutOfArea(0), c.out) << "edge " << c.edge << " margin " << c.margin;
  }
}

// Scroll limit cells far before the map stop at its outer edge.
TEST_F(HostileStageTest, FarLimitCellsStopAtTheMapsOuterEdge) {
  stage.m_bScrollLimit = {1, 1, 1, 1};
  stage.m_nScrollLimit = {INT_MIN, INT_MIN, -1000, -11};
  ASSERT_TRUE(SetStage(scene, 1, 1));
  EXPECT_EQ(scene.m_ScrollX.nLower, 0);
  EXPECT_EQ(scene.m_ScrollX.nUpper, 32);
  EXPECT_EQ(scene.m_ScrollY.nLower, 0);
  EXPECT_EQ(scene.m_ScrollY.nUpper, 32);
  EXPECT_EQ(RunPlayFrame(scene), 0);
}

TEST_F(HostileStageTest, NonFiniteGravityIsRefused) {
  for (double g : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                   -std::numeric_limits<double>::infinity()}) {
    stage.m_dGravity = g;
    EXPECT_FALSE(SetStage(scene, 1, 1)) << g;
  }
}

TEST_F(HostileStageTest, TimeLimitsOfAnySizeCountDownWithinTheClock) {
  struct Case {
    int limit, left, result;
  };
  for (const Case& c : {Case{INT_MIN, 0, 1}, Case{-5, 0, 1}, Case{INT_MAX, 999, 0}}) {
    stage.m_bTimeLimit = 1;
    stage.m_nTimeLimit = c.limit;
    ASSERT_TRUE(SetStage(scene, 1, 1));
    for (int frame = 1; frame < 60; ++frame) ASSERT_EQ(UpdateTimeLimit(scene, -1), 0);
    EXPECT_EQ(UpdateTimeLimit(scene, -1), c.result) << c.limit;
    EXPECT_EQ(scene.m_nTimeLeft, c.left) << c.limit;
  }
}

// A layer scrolling by itself wraps its offset into its picture, however far
// a huge or endless speed from the stage file takes it, and at once.
TEST(HostileBgScrollTest, FarOffsetsWrapIntoThePicture) {
  std::vector<DDSURFACEDATA> user(kBgLayerFirstSlot + 1);
  user.back().nWidth = user.back().nHeight = 16;
  lpUserSD = user.data();
  nUserSD = static_cast<int>(user.size());
  struct Case {
    double factor, offset;
  };
  const Case cases[] = {{2.5, 13.5},
                        {-40, 8},
                        {1e300, -1},
                        {-1e300, -1},
                        {std::numeric_limits<double>::infinity(), 0},
                        {std::numeric_limits<double>::quiet_NaN(), 0}};
  for (const Case& c : cases) {
    cStageData stage;
    cBgLayer& layer = stage.m_BgLayers.front();
    layer.m_bFill = 0;
    layer.m_bAutoX = 1;
    layer.m_dFactorX = c.factor;
    ScrollBgLayers(stage);
    const double offset = layer.m_dOffsetX;
    if (c.offset >= 0)
      EXPECT_DOUBLE_EQ(offset, c.offset) << c.factor;
    else
      EXPECT_TRUE(offset >= 0 && offset < 16) << c.factor << " gave " << offset;
  }
  lpUserSD = nullptr;
  nUserSD = 0;
}

}  // namespace
