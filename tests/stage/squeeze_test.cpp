// A hero caught between two contacts on one axis is lost, named in the trace
// with its four contacts, and put back where the step began.
#include <string>

#include "platform/Harness.h"
#include "stage/StagePlay.h"
#include "support/TempDir.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

class SqueezeTest : public ::testing::TestWithParam<int> {
 protected:
  TinyStage stage{GetParam()};
};

}  // namespace

TEST_P(SqueezeTest, ScrollingViewPushesTheHeroIntoAWall) {
  testsupport::TempDir dir;
  platform::HarnessSettings settings;
  settings.trace = (dir / "trace.txt").string();
  platform::SetHarnessForTesting(settings);

  stage.Floor(8);
  stage.SetBlock(6, 7, kBlockHitSolid);  // a wall right of the hero
  cPlayer& hero = stage.AddHero(5, 7);
  SCROLLDATA& x = stage.scene.m_ScrollX;
  x.bAutoScroll = 1;
  x.dAutoSpeed = 0;
  // The view's left edge lies 4 dots inside the hero: the view pushes it right,
  // the wall pushes it back.
  x.dPos = hero.m_dX + hero.m_rcGfx.nX + 4;
  const double startX = hero.m_dX, startY = hero.m_dY;

  int result = 0;
  for (int frame = 0; frame < 3 && result == 0; ++frame) result = RunPlayFrame(stage.scene);
  platform::SetHarnessForTesting({});

  EXPECT_EQ(result, 2);
  EXPECT_EQ(hero.m_bDying, 1);
  EXPECT_EQ(hero.m_dX, startX);
  EXPECT_EQ(hero.m_dY, startY);
  const std::string trace = dir.Read("trace.txt");
  EXPECT_NE(trace.find("Dead SP\nPlayer[P1].LRUD = 1,1,"), std::string::npos) << trace;
}

INSTANTIATE_TEST_SUITE_P(StepsPerFrame, SqueezeTest, ::testing::Values(1, 2, 4));
