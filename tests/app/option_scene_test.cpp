// The options screen: the values' ranges and wraps, cancelling an edit, the
// items of the system data, and Option.dat as written on leaving.
#include <gtest/gtest.h>

#include <filesystem>

#include "FrontEndFixture.h"
#include "app/OptionScene.h"
#include "gamedata/PathTable.h"

namespace {

using namespace frontendtest;
namespace fs = std::filesystem;

constexpr int kMenu = 1, kFadeOut = 2;

class OptionTest : public FrontEnd {
 protected:
  void SetUp() override {
    FrontEnd::SetUp();
    SceneManager.PlayMode = PLAYMODE_OPTION;
    fs::create_directories("user_data");
  }
  void Down(cScene& scene, int rows) {
    for (int i = 0; i < rows; ++i) {
      Frame(scene, kDown);
      Frame(scene);
    }
  }
};

TEST(OptionValueTest, EachKindWrapsAtBothEndsOfItsRange) {
  cOptionData options;
  struct Case {
    int kind, min, max;
  };
  // Palette variant 0..23, music 0..1, volume 0..10, ranking mode 0..3.
  for (const Case& c : {Case{0, 0, 23}, Case{1, 0, 1}, Case{2, 0, 10}, Case{3, 0, 3}}) {
    const OptionValueRef ref = OptionValueOf(options, c.kind);
    ASSERT_NE(ref.value, nullptr) << c.kind;
    EXPECT_EQ(ref.min, c.min) << c.kind;
    EXPECT_EQ(ref.max, c.max) << c.kind;
    EXPECT_EQ(StepOptionValue(c.max, ref.min, ref.max, KEYBIT_UP), c.min) << c.kind;
    EXPECT_EQ(StepOptionValue(c.min, ref.min, ref.max, KEYBIT_DOWN), c.max) << c.kind;
    EXPECT_EQ(StepOptionValue(c.min, ref.min, ref.max, KEYBIT_UP), c.min + 1) << c.kind;
  }
  EXPECT_EQ(OptionValueOf(options, 4).value, nullptr);
  EXPECT_EQ(OptionValueOf(options, 5).value, nullptr);
  // Up and down in one frame: up first, then down.
  EXPECT_EQ(StepOptionValue(23, 0, 23, KEYBIT_UP | KEYBIT_DOWN), 23);
  // A value beyond its range comes back in at the other end.
  EXPECT_EQ(StepOptionValue(40, 0, 23, KEYBIT_UP), 0);
  EXPECT_EQ(StepOptionValue(-5, 0, 23, KEYBIT_DOWN), 23);
}

TEST_F(OptionTest, CancellingAnEditRestoresTheValueAndConfirmingKeepsIt) {
  cOptionScene scene;
  ASSERT_TRUE(FadeIn(scene));
  Down(scene, 2);  // volume
  Press(scene, kB1);
  ASSERT_EQ(scene.m_nStep, 2);
  for (int i = 0; i < 3; ++i) {
    Frame(scene, kUp);
    Frame(scene);
  }
  EXPECT_EQ(options.m_nVolume, 10);
  Press(scene, kB2);
  EXPECT_EQ(options.m_nVolume, 7);
  EXPECT_EQ(scene.m_nStep, 1);
  Press(scene, kB1);
  Frame(scene, kUp);
  Frame(scene);
  Frame(scene, kUp);
  Press(scene, kB1);
  EXPECT_EQ(options.m_nVolume, 9);
  EXPECT_EQ(scene.m_nState, kMenu);
}

TEST_F(OptionTest, LeavingWritesOptionDatAsTheRecordFileLaysItOut) {
  SceneManager.m_nScene = SCENE_OPTION;
  cOptionScene scene;
  ASSERT_TRUE(FadeIn(scene));
  Press(scene, kB1);  // palette variant 0 -> 23
  Frame(scene, kDown);
  Press(scene, kB1);
  Down(scene, 1);  // music on -> off
  Press(scene, kB1);
  Frame(scene, kUp);
  Press(scene, kB1);
  Down(scene, 2);  // ranking mode 0 -> 1
  Press(scene, kB1);
  Frame(scene, kUp);
  Press(scene, kB1);
  Down(scene, 1);  // the name: the dialog is asked for and waited on
  Press(scene, kB1);
  EXPECT_EQ(scene.m_nState, kMenu);
  Down(scene, 1);
  Press(scene, kB1);  // back
  ASSERT_EQ(scene.m_nState, kFadeOut);
  EXPECT_EQ(SceneManager.m_nNextScene, SCENE_TITLE);
  for (int i = 0; i < 100 && SceneManager.m_nScene != SCENE_TITLE; ++i) Frame(scene);
  ASSERT_EQ(SceneManager.m_nPrevScene, SCENE_OPTION);

  // Version 696, four ints (variant 23, music 0, volume 7, mode 1), one
  // string "aaa" with its NUL.
  const std::vector<std::uint8_t> expected = {0xB8, 2, 0, 0, 4, 0, 0, 0, 23, 0, 0, 0, 0, 0, 0,   0,   7,   0,
                                              0,    0, 1, 0, 0, 0, 1, 0, 0,  0, 4, 0, 0, 0, 'a', 'a', 'a', 0};
  const std::string written = dir.Read("user_data/Option.dat");
  EXPECT_EQ(std::vector<std::uint8_t>(written.begin(), written.end()), expected);
}

TEST_F(OptionTest, ItemsOfKindsAboveFiveAndBeyondTheSixthAreLeftOut) {
  struct Case {
    const char* name;
    std::vector<int> shown;
    std::vector<int> kinds;
  };
  const Case cases[] = {
      {"six", {1, 1, 1, 1, 1, 1}, {0, 1, 2, 3, 4, 5}},
      {"eight", {1, 1, 1, 1, 1, 1, 1, 1}, {0, 1, 2, 3, 4, 5}},
      {"music and back", {0, 1, 0, 0, 0, 1, 1}, {1, 5}},
      {"none shown", {0, 0, 0, 0, 0, 0, 1}, {0}},
  };
  for (const Case& c : cases) {
    system.m_OptionMenu.assign(c.shown.size(), cMenuEntryData());
    for (size_t i = 0; i < c.shown.size(); ++i) system.m_OptionMenu[i].m_bShown = c.shown[i];
    cOptionScene scene;
    scene.Enter();
    ASSERT_EQ(scene.m_nItems, static_cast<int>(c.kinds.size())) << c.name;
    for (size_t k = 0; k < c.kinds.size(); ++k) EXPECT_EQ(scene.m_Item[k], c.kinds[k]) << c.name;
  }
}

}  // namespace
