// The challenge stage select: the stage file names, the rows listed, starting
// a stage with the challenge lives, and an empty list.
#include <gtest/gtest.h>

#include "FrontEndFixture.h"
#include "app/ChallengeScene.h"

namespace {

using namespace frontendtest;

constexpr int kList = 1, kFadeOut = 2;

class ChallengeTest : public FrontEnd {
 protected:
  void SetUp() override {
    FrontEnd::SetUp();
    SceneManager.GameMode = GAMEMODE_CHALLENGE;
    system.m_nChallengeCount = 25;
    system.m_bAllChallenges = 0;
    system.m_UnlimitedLives.VecAt(GAMEMODE_CHALLENGE) = 0;
    system.m_InitialLives.VecAt(GAMEMODE_CHALLENGE) = 4;
    play.ClearList.assign(25, cClearRecord());
  }
};

TEST(ChallengeStageNameTest, TwoDigitNumbersUnderTheChallengePrefix) {
  EXPECT_EQ(ChallengeStageName(3), "data\\stg4\\c03-1.stg4");
  EXPECT_EQ(ChallengeStageName(7), "data\\stg4\\c07-1.stg4");
  EXPECT_EQ(ChallengeStageName(12), "data\\stg4\\c12-1.stg4");
}

TEST_F(ChallengeTest, RowsFollowTheOpenStagesOrTheWholeCount) {
  struct Case {
    const char* name;
    int all, reached, top;
    int stages, rows;
  };
  const Case cases[] = {
      {"fresh save: one stage open", 0, 1, 0, 1, 1},
      {"all stages", 1, 1, 0, 25, 10},
      {"25 stages from row 20", 1, 1, 20, 25, 5},
      {"twelve open", 0, 12, 0, 12, 10},
      {"none open", 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    system.m_bAllChallenges = c.all;
    play.nChallengeOpen = c.reached;
    cChallengeSelectScene scene;
    scene.m_nListTop = c.top;
    scene.UpdateListWindow();
    EXPECT_EQ(scene.m_nStages, c.stages) << c.name;
    EXPECT_EQ(scene.m_nListRows, c.rows) << c.name;
  }
  system.m_bAllChallenges = 1;
  system.m_nChallengeCount = 0;
  cChallengeSelectScene scene;
  scene.UpdateListWindow();
  EXPECT_EQ(scene.m_nListRows, 0);
}

TEST_F(ChallengeTest, ChoosingAStageLoadsItsNewestVersionWithTheChallengeLives) {
  WriteStage("c02-1");
  dir.Write("data/stg4/c02-1.stg4_650", "not a stage");
  play.nChallengeOpen = 2;
  {
    cChallengeSelectScene scene;
    ASSERT_TRUE(FadeIn(scene));
    Frame(scene, kDown);
    EXPECT_EQ(play.StageName, "data\\stg4\\c02.");  // the stage under the cursor
    Press(scene, kB1);
    EXPECT_EQ(scene.m_nState, kFadeOut);
    EXPECT_EQ(sounds.back(), 1);
  }
  EXPECT_EQ(StageData->m_strPath, "data\\stg4\\c02-1.stg4_696");
  EXPECT_EQ(SceneManager.m_nNextScene, SCENE_STAGE_PLAY);
  EXPECT_EQ(play.nStageNo, 2);
  EXPECT_EQ(play.nSeriesNo, 1);
  EXPECT_EQ(play.bSeriesStart, 1);
  EXPECT_EQ(play.nEntryLife, 4);
  EXPECT_EQ(play.nLife, 3);
  // The cursor comes back on the stage played.
  EXPECT_EQ(SceneManager.m_nChallengeRow, 1);
  MenuCursor.ResetCursor();
  cChallengeSelectScene again;
  ASSERT_TRUE(FadeIn(again));
  EXPECT_EQ(MenuCursor.Current().nY, 1);
}

TEST_F(ChallengeTest, AStageThatDoesNotLoadIsRefusedAndTheListStays) {
  play.nChallengeOpen = 1;
  cChallengeSelectScene scene;
  ASSERT_TRUE(FadeIn(scene));
  Press(scene, kB1);
  EXPECT_EQ(scene.m_nState, kList);
  EXPECT_EQ(sounds.back(), 3);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("c01-1.stg4"), std::string::npos);
}

TEST_F(ChallengeTest, WithNoStageOpenOnlyTheBackButtonActs) {
  WriteStage("c01-1");
  WriteStage("c00-1");
  play.nChallengeOpen = 0;
  cChallengeSelectScene scene;
  ASSERT_TRUE(FadeIn(scene));
  Frame(scene, kDown);
  Press(scene, kB1);
  Press(scene, kB3);
  EXPECT_EQ(scene.m_nState, kList);
  EXPECT_TRUE(sounds.empty());
  EXPECT_TRUE(boxes.empty());
  Press(scene, kB2);
  EXPECT_EQ(scene.m_nState, kFadeOut);
  EXPECT_EQ(SceneManager.m_nNextScene, SCENE_TITLE);
  EXPECT_EQ(sounds.back(), 2);
}

TEST_F(ChallengeTest, RankingButtonWithRankingsOffClearsTheDisplaySilently) {
  system.m_ModeRankings.VecAt(GAMEMODE_CHALLENGE).m_bRankingOn = 0;
  play.nChallengeOpen = 1;
  play.bShowRanking = 1;
  cChallengeSelectScene scene;
  ASSERT_TRUE(FadeIn(scene));
  Press(scene, kB3);
  EXPECT_EQ(play.bShowRanking, 0);
  EXPECT_TRUE(sounds.empty());
  system.m_ModeRankings.VecAt(GAMEMODE_CHALLENGE).m_bRankingOn = 1;
  Press(scene, kB3);
  EXPECT_EQ(play.bShowRanking, 1);
  EXPECT_EQ(sounds.back(), 6);
}

}  // namespace
