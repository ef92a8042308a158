// The scene manager's life cycle of scene objects and its music request.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/Scene.h"
#include "app/Shell.h"
#include "gamedata/SystemData.h"
#include "library/draw/Draw.h"
#include "library/util/FrameTiming.h"
#include "library/util/MainWindow.h"
#include "platform/display/FrameHandOver.h"
#include "stage/StagePlayScene.h"

namespace {

struct Counter {
  std::vector<int> made, deleted;
};

class cProbeScene final : public cScene {
 public:
  cProbeScene(int index, Counter& counter) : m_index(index), m_counter(counter) { m_counter.made.push_back(index); }
  ~cProbeScene() override { m_counter.deleted.push_back(m_index); }

 private:
  int m_index;
  Counter& m_counter;
};

TEST(SceneManagerTest, SceneObjectsLiveExactlyAsLongAsTheyAreCurrent) {
  Counter counter;
  cSceneManager manager;
  manager.SetSceneFactory([&](int index) { return std::make_unique<cProbeScene>(index, counter); });

  manager.SwitchScene(SCENE_TITLE);
  cScene* title = manager.Scene(SCENE_TITLE);
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->m_nState, -1);
  manager.SwitchScene(SCENE_TITLE);  // the existing object stays
  EXPECT_EQ(manager.Scene(SCENE_TITLE), title);

  manager.SwitchScene(SCENE_OPTION);
  EXPECT_EQ(manager.Scene(SCENE_TITLE), nullptr);
  manager.SwitchScene(SCENE_TITLE);  // a fresh object, which enters again
  EXPECT_EQ(counter.made, (std::vector<int>{SCENE_TITLE, SCENE_OPTION, SCENE_TITLE}));
  EXPECT_EQ(counter.deleted, (std::vector<int>{SCENE_TITLE, SCENE_OPTION}));

  manager.SwitchScene(9);  // no such scene: every object goes, nothing is made
  EXPECT_EQ(manager.Scene(SCENE_TITLE), nullptr);
  EXPECT_EQ(counter.made.size(), 3u);
}

TEST(SceneManagerTest, LeavingStagePlayLeavesNoPointerToItsScene) {
  Counter counter;
  cSceneManager manager;
  manager.SetSceneFactory([&](int index) { return std::make_unique<cProbeScene>(index, counter); });
  cStagePlayScene stage;
  manager.SwitchScene(SCENE_STAGE_PLAY);
  CurrentPlayScene = &stage;  // as the stage scene sets it
  manager.SwitchScene(SCENE_STAGE_PLAY);
  EXPECT_EQ(CurrentPlayScene, &stage);
  manager.SwitchScene(SCENE_TITLE);
  EXPECT_EQ(CurrentPlayScene, nullptr);
}

// Each frame tells the stage-play scene the frame rate counted over the last
// second, whichever scene runs.
TEST(SceneManagerTest, RunFrameGivesTheStageSceneTheCountedFrameRate) {
  platform::display::FrameHandOver::Instance().ResetForTesting();
  ASSERT_TRUE(DDInit(1, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
  Counter counter;
  cSceneManager manager;
  manager.SetSceneFactory([&](int index) { return std::make_unique<cProbeScene>(index, counter); });
  cStagePlayScene stage;
  manager.m_nScene = SCENE_STAGE_PLAY;
  manager.SwitchScene(SCENE_STAGE_PLAY);
  CurrentPlayScene = &stage;  // as the stage scene sets it
  stage.m_nFps = -1;
  EXPECT_EQ(manager.RunFrame(), 1);
  EXPECT_EQ(stage.m_nFps, static_cast<int>(CountFps(false)));
  CurrentPlayScene = nullptr;
  DDUnInit();
}

TEST(SceneManagerTest, SceneMusicIsRequestedOnlyWhenTheTuneChangesOrIsNone) {
  std::vector<WPARAM> requests;
  platform::Window window(GetCurrentThreadId(), [&](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
    if (message == WM_PLAYBGM) requests.push_back(wParam);
    return 0;
  });
  hMainWnd = &window;
  cSystemData system;
  system.SetDefault();
  system.m_FrontBgm.assign(4, 0);
  system.m_FrontBgm[BGMCAT_TITLE] = 3;
  system.m_FrontBgm[BGMCAT_WORLDMAP] = 3;
  SystemData = &system;

  cSceneManager manager;
  manager.RequestSceneBgm(BGMCAT_TITLE);
  manager.RequestSceneBgm(BGMCAT_WORLDMAP);  // same tune: not restarted
  manager.RequestSceneBgm(BGMCAT_OPTION);    // no tune: always sent, to stop the music
  manager.RequestSceneBgm(BGMCAT_OPTION);
  manager.m_nTune = 0;  // after stage music
  manager.RequestSceneBgm(BGMCAT_WORLDMAP);
  EXPECT_EQ(requests, (std::vector<WPARAM>{BGMCAT_TITLE, BGMCAT_OPTION, BGMCAT_OPTION, BGMCAT_WORLDMAP}));

  SystemData = nullptr;
  hMainWnd = nullptr;
}

}  // namespace
