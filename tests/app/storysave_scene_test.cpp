// The story save menu: its items from the system data, saving in a slot,
// auto-save, back to the map and back to the title.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "FrontEndFixture.h"
#include "app/StorySaveScene.h"
#include "library/util/Text.h"

namespace {

using namespace frontendtest;
namespace fs = std::filesystem;

constexpr int kTop = 1, kSlots = 2, kAutoSave = 3, kBack = 4, kExit = 5, kFadeOut = 6;

// A save file's 32-bit field at a byte offset.
std::int32_t FieldAt(const std::string& file, size_t offset) {
  std::int32_t value = 0;
  if (file.size() >= offset + 4) std::memcpy(&value, file.data() + offset, 4);
  return value;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Where a save file keeps the current slot and the auto-save switch: after
// the version and the field count, the numeric fields in their order, of
// which 24 (5 + 9 + 2 + 2 + 1 + 1 + 3 + 1) come before the slot.
constexpr size_t kSaveSlotOffset = 8 + 24 * 4, kAutoSaveOffset = kSaveSlotOffset + 4;

// Files written while it lives cannot grow beyond `bytes`: a save stops part
// of the way, even for a user whom no folder permission stops.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : m_previousSignal(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &m_previous);
    rlimit small = m_previous;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_previousSignal);
  }

 private:
  rlimit m_previous{};
  void (*m_previousSignal)(int);
};

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

TEST_F(StorySaveTest, AutoSaveOnIsSetInTheFileItWrites) {
  play.nSaveSlot = 4;
  cStorySaveScene scene;
  ASSERT_TRUE(FadeIn(scene));
  Frame(scene, kDown);
  Press(scene, kB1);  // "オートセーブ"
  Frame(scene);
  Frame(scene, kUp);
  Press(scene, kB1);  // "オートセーブＯＮ"
  EXPECT_EQ(sounds.back(), 1);
  EXPECT_EQ(play.bAutoSave, 1);
  const std::string file = ReadFile("user_data/story/Story05.dat");
  EXPECT_EQ(FieldAt(file, kSaveSlotOffset), 4);
  EXPECT_EQ(FieldAt(file, kAutoSaveOffset), 1);
}

// A save that cannot be written is refused with a box that names the file and
// the reason; the slot's old file, its list entry, the current slot and the
// auto-save switch all stay as they were.
TEST_F(StorySaveTest, ASaveThatFailsIsRefusedAndChangesNothing) {
  struct Case {
    const char* name;
    bool oldFile;      // slot 5 holds an earlier save
    bool folder;       // a folder stands in the file's place
    rlim_t sizeLimit;  // 0: none
    const char* reason;
  };
  const Case cases[] = {
      {"a folder in the file's place", false, true, 0, "同じ名前のフォルダがあります"},
      {"a file size limit stops the write", true, false, 1000, "ファイルの大きさの上限を超えました"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all("user_data/story");
    fs::create_directories("user_data/story");
    slots.assign(STORY_SLOT_COUNT, cSaveSlot());
    play.nSaveSlot = 2;
    play.bAutoSave = 0;
    if (c.oldFile) {
      ASSERT_EQ(play.SaveStory(5, {}), 1);
    }
    if (c.folder) fs::create_directories("user_data/story/Story06.dat");
    const std::string before = c.oldFile ? ReadFile("user_data/story/Story06.dat") : "";
    const cSaveSlot entry = slots.VecAt(5);
    sounds.clear();
    boxes.clear();
    {
      std::optional<FileSizeLimit> limit;
      if (c.sizeLimit) limit.emplace(c.sizeLimit);
      cStorySaveScene scene;
      ASSERT_TRUE(FadeIn(scene));
      Press(scene, kB1);  // "セーブ": the list starts on slot 2
      Down(scene, 3);
      Press(scene, kB1);
      Frame(scene, kUp);
      Press(scene, kB1);  // yes
      EXPECT_EQ(scene.m_nStep, 1);
      ASSERT_FALSE(sounds.empty());
      EXPECT_EQ(sounds.back(), 3);
      EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 5), 0);
      EXPECT_EQ(play.nSaveSlot, 2);

      // Auto-save ON into the same slot fails the same way and stays off.
      play.nSaveSlot = 5;
      Press(scene, kB2);
      Frame(scene, kDown);
      Press(scene, kB1);
      Frame(scene);
      Frame(scene, kUp);
      Press(scene, kB1);
      EXPECT_EQ(sounds.back(), 3);
      EXPECT_EQ(play.bAutoSave, 0);
    }
    ASSERT_EQ(boxes.size(), 2u);
    for (const std::string& box : boxes) {
      EXPECT_NE(box.find("user_data\\story\\Story06.dat"), std::string::npos) << box;
      EXPECT_NE(box.find(Sjis(c.reason)), std::string::npos) << box;
    }
    EXPECT_EQ(slots.VecAt(5).bUsed, entry.bUsed);
    EXPECT_EQ(std::memcmp(&slots.VecAt(5).SaveTime, &entry.SaveTime, sizeof entry.SaveTime), 0);
    if (c.oldFile) {
      EXPECT_EQ(ReadFile("user_data/story/Story06.dat"), before);
    } else {
      EXPECT_TRUE(fs::is_directory("user_data/story/Story06.dat"));
    }
  }
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
