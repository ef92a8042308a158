// Stage files come from users: values no editor writes must still set up and
// play within bounds, or be refused with a log line.
#include <gtest/gtest.h>

#include <climits>

#include "TinyStage.h"
#include "library/input/KeyInput.h"
#include "records/StageData.h"
#include "stage/StagePlay.h"
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

}  // namespace
