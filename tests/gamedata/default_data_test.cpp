#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "gamedata/DefaultData.h"
#include "gamedata/FontFaceList.h"
#include "gamedata/PathTable.h"
#include "library/util/Text.h"
#include "platform/MessageBox.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class DefaultDataTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  int questions = 0;
  DefaultDataQuestion Answer(bool yes) {
    return [this, yes](HWND) {
      ++questions;
      return yes;
    };
  }
  void MakeDefaultFolder() {
    dir.Write("default/System.dat", "system");
    dir.Write("default/database/Anime.dat", "anime");
  }
};

TEST_F(DefaultDataTest, ExistingDataFolderAsksNothing) {
  fs::create_directory(dir / "data");
  EXPECT_EQ(CreateDefaultData(nullptr, Answer(false)), 1);
  EXPECT_EQ(questions, 0);
}

TEST_F(DefaultDataTest, NeitherFolderFailsWithoutAQuestion) {
  EXPECT_EQ(CreateDefaultData(nullptr, Answer(true)), 0);
  EXPECT_EQ(questions, 0);
}

TEST_F(DefaultDataTest, AnswerNoLeavesTheDiskUnchanged) {
  MakeDefaultFolder();
  EXPECT_EQ(CreateDefaultData(nullptr, Answer(false)), 0);
  EXPECT_EQ(questions, 1);
  EXPECT_FALSE(fs::exists(dir / "data"));
}

TEST_F(DefaultDataTest, AnswerYesCopiesDefaultThenTheFoldersFollow) {
  MakeDefaultFolder();
  EXPECT_EQ(CreateDefaultData(nullptr, Answer(true)), 1);
  EXPECT_EQ(dir.Read("data/System.dat"), "system");
  EXPECT_EQ(dir.Read("data/database/Anime.dat"), "anime");
  CreateFolderList();
  CreateFolderList();  // again, over existing folders
  for (const char* folder : FolderList) {
    std::string host = folder;
    std::replace(host.begin(), host.end(), '\\', '/');
    EXPECT_TRUE(fs::is_directory(dir / host)) << host;
  }
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    EXPECT_EQ(entry.path().filename().string().rfind(".zandrel-tmp-", 0), std::string::npos);
}

TEST_F(DefaultDataTest, FailedCopyLeavesNoDataFolder) {
  MakeDefaultFolder();
  fs::create_symlink(dir / "nowhere", dir / "default/broken");
  EXPECT_EQ(CreateDefaultData(nullptr, Answer(true)), 0);
  EXPECT_FALSE(fs::exists(dir / "data"));
  EXPECT_FALSE(fs::exists(dir / ".zandrel-tmp-data.tmp"));
}

TEST(PathTableTest, EntriesTheSavesRelyOn) {
  EXPECT_STREQ(PathTable[40], "user_data\\free\\");
  EXPECT_STREQ(PathTable[PATH_STORY_SLOT_PREFIX], "user_data\\story\\Story");
  EXPECT_STREQ(PathTable[PATH_SYSTEM], "data\\System.dat");
  EXPECT_STREQ(ExtensionTable[EXT_RANKING], "rkg");
}

TEST(FontFaceListTest, DefaultAndLastFaces) {
  auto faces = FontFaceList();
  ASSERT_EQ(faces.size(), 123u);
  EXPECT_EQ(faces[DEFAULT_FONT_INDEX], Sjis("ＭＳ Ｐゴシック"));
  EXPECT_EQ(faces[100], Sjis("メイリオ"));
  EXPECT_EQ(faces[122], "");
}

}  // namespace

namespace {

// The question goes through the message-box sink: its answer decides.
TEST_F(DefaultDataTest, QuestionIsAYesNoBox) {
  MakeDefaultFolder();
  std::string caption;
  UINT type = 0;
  platform::SetMessageBoxSink([&](std::string_view, std::string_view boxCaption, UINT boxType) {
    caption = boxCaption;
    type = boxType;
    return IDNO;
  });
  EXPECT_EQ(CreateDefaultData(nullptr), 0);
  EXPECT_EQ(caption, Sjis("デフォルトデータ作成の確認"));
  EXPECT_EQ(type, MB_YESNO);
  platform::SetMessageBoxSink([](std::string_view, std::string_view, UINT) { return IDYES; });
  EXPECT_EQ(CreateDefaultData(nullptr), 1);
  platform::SetMessageBoxSink(nullptr);
  EXPECT_EQ(dir.Read("data/System.dat"), "system");
}

}  // namespace
