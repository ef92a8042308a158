// The stage's music at set-up: requested at the first set-up unless a kept
// tune already plays, at a restart only when it differs, with its second
// value stored in the play record before the request.
#include <gtest/gtest.h>

#include <vector>

#include "TinyStage.h"
#include "gamedata/SaveData.h"
#include "library/input/KeyInput.h"
#include "records/StageData.h"
#include "stage/StageSetup.h"

namespace {

class TuneHooks : public cStagePlayHooks {
 public:
  void PlayStageBgm(int tune) override {
    tunes.push_back(tune);
    params.push_back(PlayData ? PlayData->nBgmParam : -1);
  }
  std::vector<int> tunes, params;
};

}  // namespace

TEST(StageMusicTest, RequestedByTheFirstSetUpAndByChangesOnly) {
  struct Case {
    int bFirst, keep, tune, playing;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {1, 0, 5, 5, {5}}, {1, 1, 5, 5, {}}, {1, 1, 5, 3, {5}}, {1, 1, 0, 0, {0}},
      {1, 0, 0, 7, {0}}, {0, 0, 5, 5, {}}, {0, 0, 5, 3, {5}}, {0, 1, 5, 3, {5}},
  };
  for (const Case& c : cases) {
    cStageData stage;
    tinystage::Build(stage, kBlockHitSolid);
    stage.m_nBgm = c.tune;
    stage.m_bKeepBgm = c.keep;
    stage.m_bBgmLoop = 1;
    StageData = StageDataOrg = &stage;
    KeyInputList.assign(1, cKeyInput{});
    cSaveData record;
    record.nBgmNo = c.playing;
    record.nBgmParam = 0;
    PlayData = &record;
    cStagePlayScene scene;
    TuneHooks hooks;
    scene.SetHooks(&hooks);
    ASSERT_TRUE(SetStage(scene, 1, c.bFirst));
    EXPECT_EQ(hooks.tunes, c.expected) << c.bFirst << c.keep << c.tune << c.playing;
    for (int param : hooks.params) EXPECT_EQ(param, 1);
    PlayData = nullptr;
    StageData = StageDataOrg = nullptr;
    CurrentPlayScene = nullptr;
    KeyInputList.clear();
  }
}
