// The story save menu: its items from the system data, saving in a slot,
// auto-save, back to the map and back to the title.
#include <gtest/gtest.h>

#include <filesystem>

#include "FrontEndFixture.h"
#include "app/StorySaveScene.h"

namespace {

using namespace frontendtest;
namespace fs = std::filesystem;

constexpr int kTop = 1, kSlots = 2, kAutoSave = 3, kBack = 4, kExit = 5, kFadeOut = 6;

class StorySaveTest : public FrontEnd {
 protected:
  void SetUp() override {
    FrontEnd::SetUp();
    fs::create_directories("user_data/story");
  }
  // Down `rows` times, one frame each with the key let go between.
  void Down(cScene& scene, int rows) {
    for (int i = 0; i < rows; ++i) {
      Frame(scene, kDown);
      Frame(scene);
    }
  }
};

TEST_F(StorySaveTest, SavingInSlot5WritesStory06AndMakesItTheCurrentSlot) {
  cStorySaveScene scene;
  ASSERT_TRUE(FadeIn(scene));
  Press(scene, kB1);  // "セーブ"
  ASSERT_EQ(scene.m_nState, kSlots);
  // Never saved (slot -1): the list starts on slot 0 at the top.
  EXPECT_EQ(MenuCursor.Current().nY, 0);
  EXPECT_EQ(scene.m_nListTop, 0);
  EXPECT_EQ(scene.m_nListRows, 10);
  Down(scene, 5);
  Press(scene, kB1);
  EXPECT_EQ(scene.m_nStep, 2);
  EXPECT_EQ(MenuCursor.Current().nY, 1);  // the confirmation starts on "no"
  Press(scene, kB1);
  EXPECT_FALSE(fs::exists("user_data/story/Story06.dat"));
  Press(scene, kB1);
  Frame(scene, kUp);
  Press(scene, kB1);
  EXPECT_EQ(sounds.back(), 5);
  EXPECT_EQ(play.nSaveSlot, 5);
  EXPECT_TRUE(fs::exists("user_data/story/Story06.dat"));
  EXPECT_TRUE(slots.VecAt(5).bUsed);
  EXPECT_EQ(scene.m_nStep, 1);

  // A later auto-save "ON" writes slot 5 at once.
  fs::remove("user_data/story/Story06.dat");
  Press(scene, kB2);
  ASSERT_EQ(scene.m_nState, kTop);
  Frame(scene, kDown);
  Press(scene, kB1);  // "オートセーブ"
  ASSERT_EQ(scene.m_nState, kAutoSave);
  Frame(scene);
  EXPECT_EQ(MenuCursor.Current().nY, 1);  // off so far
  Frame(scene, kUp);
  Press(scene, kB1);
  EXPECT_EQ(play.bAutoSave, 1);
  EXPECT_TRUE(fs::exists("user_data/story/Story06.dat"));
  EXPECT_EQ(scene.m_nState, kTop);
}

TEST_F(StorySaveTest, AutoSaveBeforeAnySaveOnlyShowsTheNotice) {
  cStorySaveScene scene;
  ASSERT_TRUE(FadeIn(scene));
  Frame(scene, kDown);
  Press(scene, kB1);
  ASSERT_EQ(scene.m_nState, kAutoSave);
  Frame(scene);
  EXPECT_EQ(scene.m_nStep, 2);
  Frame(scene, kUp);
  Press(scene, kB1);
  EXPECT_EQ(scene.m_nState, kTop);
  EXPECT_EQ(play.bAutoSave, 0);
  EXPECT_TRUE(fs::is_empty("user_data/story"));
}

TEST_F(StorySaveTest, Button2AndTheBackItemReturnToTheMap) {
  for (bool item : {false, true}) {
    SceneManager.m_nNextScene = SCENE_TITLE;
    cStorySaveScene scene;
    ASSERT_TRUE(FadeIn(scene));
    if (item) {
      Down(scene, 2);
      Press(scene, kB1);
    } else {
      Press(scene, kB2);
    }
    EXPECT_EQ(scene.m_nState, kFadeOut) << item;
    EXPECT_EQ(SceneManager.m_nNextScene, SCENE_WORLDMAP) << item;
  }
}

TEST_F(StorySaveTest, TheExitMenuStartsOnNoAndYesLeavesForTheTitle) {
  cStorySaveScene scene;
  ASSERT_TRUE(FadeIn(scene));
  Down(scene, 3);
  Press(scene, kB1);
  ASSERT_EQ(scene.m_nState, kExit);
  EXPECT_EQ(MenuCursor.Current().nY, 1);
  Press(scene, kB1);
  EXPECT_EQ(scene.m_nState, kTop);
  Press(scene, kB1);
  Frame(scene, kUp);
  Press(scene, kB1);
  EXPECT_EQ(scene.m_nState, kFadeOut);
  EXPECT_EQ(SceneManager.m_nNextScene, SCENE_TITLE);
}

TEST_F(StorySaveTest, ItemsKeepTheirKindsAndOnlyFourKindsCount) {
  struct Case {
    const char* name;
    std::vector<int> shown;  // the shown flag of each entry
    int items;
    std::array<int, 4> kinds;
  };
  const Case cases[] = {
      {"all four", {1, 1, 1, 1}, 4, {0, 1, 2, 3}},
      {"save hidden", {0, 1, 1, 1}, 3, {1, 2, 3, 0}},
      {"none shown", {0, 0, 0, 0}, 1, {0, 0, 0, 0}},
      // Entries of kinds 4 and 5 have no state: they are left out.
      {"six entries", {1, 1, 1, 1, 1, 1}, 4, {0, 1, 2, 3}},
      {"only extra entries", {0, 0, 0, 0, 1, 1}, 1, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    system.m_SaveMenu.assign(c.shown.size(), cMenuEntryData());
    for (size_t i = 0; i < c.shown.size(); ++i) system.m_SaveMenu[i].m_bShown = c.shown[i];
    cStorySaveScene scene;
    scene.Enter();
    EXPECT_EQ(scene.m_nItems, c.items) << c.name;
    for (int k = 0; k < c.items; ++k)
      EXPECT_EQ(scene.m_Item[static_cast<size_t>(k)], c.kinds[static_cast<size_t>(k)]) << c.name;
  }
  // With "セーブ" hidden the first row is auto-save.
  system.m_SaveMenu.assign(4, cMenuEntryData());
  system.m_SaveMenu[0].m_bShown = 0;
  cStorySaveScene scene;
  ASSERT_TRUE(FadeIn(scene));
  Press(scene, kB1);
  EXPECT_EQ(scene.m_nState, kAutoSave);
}

}  // namespace
