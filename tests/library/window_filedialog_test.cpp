#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "library/util/Text.h"
#include "library/window/FileDialog.h"
#include "platform/Harness.h"
#include "platform/MessageBox.h"
#include "support/TempDir.h"

namespace {

const char kReplayFilter[] = "ReplayFile ( *.rpl4_* )\0*.rpl4_*\0";
const char kStageFilter[] = "StageFile ( *.stg4_*;*.rpl4_* )\0*.stg4_*;*.rpl4_*\0";

// A project folder of its own, with the answers given, headless.
class FileDialogs : public ::testing::Test {
 protected:
  FileDialogs() : m_dir(true) {
    m_dir.Write("data/stg4/a.stg4_100", "x");
    m_dir.Write("user_data/rpl4/old.rpl4_100", "x");
  }

  void Answers(const std::vector<std::string>& lines) {
    const std::filesystem::path file = m_dir / ("answers" + std::to_string(++m_scripts) + ".txt");
    std::ofstream out(file);
    for (const std::string& line : lines) out << line << "\n";
    out.close();
    platform::HarnessSettings settings;
    settings.headless = true;
    settings.answerScript = file.string();
    platform::SetHarnessForTesting(settings);
  }

  std::string Full(const std::string& relative) const { return (m_dir.Path() / relative).lexically_normal().string(); }

  int Save(char* buffer) {
    return SaveFileDialog(nullptr, buffer, "user_data\\rpl4\\", "save", kReplayFilter, "rpl4_*", true);
  }

  testsupport::TempDir m_dir;
  int m_scripts = 0;
};

TEST_F(FileDialogs, OpenReturnsTheChosenFileAsAFullPath) {
  Answers({"file data\\stg4\\a.stg4_100"});
  char buffer[MAX_PATH];
  std::vector<std::string> chosen;
  const auto before = std::filesystem::current_path();
  ASSERT_EQ(
      OpenFileDialog(nullptr, buffer, MAX_PATH, "data\\stg4\\", "open", kStageFilter, "stg4_*;rpl4_*", true, &chosen),
      1);
  EXPECT_EQ(std::string(buffer), Full("data/stg4/a.stg4_100"));
  EXPECT_EQ(chosen, std::vector<std::string>{Full("data/stg4/a.stg4_100")});
  EXPECT_EQ(std::filesystem::current_path(), before);
}

// Several files of one folder: the buffer holds the folder and each name, and
// the list each as folder\name, in the order they were named.
TEST_F(FileDialogs, SeveralFilesComeBackAsTheirFolderAndNames) {
  m_dir.Write("data/stg4/b.stg4_100", "x");
  Answers({"file data\\stg4\\ \"b.stg4_100\" \"a.stg4_100\""});
  char buffer[MAX_PATH];
  std::vector<std::string> chosen;
  ASSERT_EQ(OpenFileDialog(nullptr, buffer, MAX_PATH, "data\\stg4\\", "open", kStageFilter, "", true, &chosen), 1);
  const std::string folder = Full("data/stg4");
  EXPECT_EQ(chosen, (std::vector<std::string>{folder + "\\b.stg4_100", folder + "\\a.stg4_100"}));
  const std::string packed = folder + '\0' + "b.stg4_100" + '\0' + "a.stg4_100" + '\0' + '\0';
  EXPECT_EQ(std::string(buffer, packed.size()), packed);
}

TEST_F(FileDialogs, SeveralFilesEdgeCases) {
  struct Case {
    const char* name;
    std::vector<std::string> answers;
    int bufferSize;
    int result;
    std::vector<std::string> chosen;
  } cases[] = {
      {"one quoted name is its full path",
       {"file data/stg4 \"a.stg4_100\""},
       MAX_PATH,
       1,
       {Full("data/stg4/a.stg4_100")}},
      {"a missing name refuses the choice",
       {"file data/stg4 \"a.stg4_100\" \"none\"", "button OK", "button CANCEL"},
       MAX_PATH,
       0,
       {}},
      {"a name in another folder refuses the choice",
       {"file data \"stg4/a.stg4_100\" \"stg4/b.stg4_100\"", "button OK", "button CANCEL"},
       MAX_PATH,
       0,
       {}},
      {"a list longer than the buffer is a cancel", {"file data/stg4 \"a.stg4_100\" \"b.stg4_100\""}, 24, 0, {}},
  };
  m_dir.Write("data/stg4/b.stg4_100", "x");
  for (const Case& c : cases) {
    Answers(c.answers);
    std::vector<char> buffer(static_cast<size_t>(c.bufferSize));
    std::vector<std::string> chosen;
    EXPECT_EQ(
        OpenFileDialog(nullptr, buffer.data(), c.bufferSize, "data\\stg4\\", "open", kStageFilter, "", true, &chosen),
        c.result)
        << c.name;
    EXPECT_EQ(chosen, c.chosen) << c.name;
  }
}

TEST_F(FileDialogs, OpenRefusesAMissingFileAndCancelReturnsZero) {
  Answers({"file data/stg4/none.stg4_100", "button OK", "button CANCEL"});
  char buffer[MAX_PATH] = "keep";
  EXPECT_EQ(OpenFileDialog(nullptr, buffer, MAX_PATH, "data\\stg4\\", "open", kReplayFilter, "", false, nullptr), 0);
  EXPECT_EQ(buffer[0], '\0');
}

TEST_F(FileDialogs, SavingOverAFileAsksFirst) {
  char buffer[MAX_PATH] = "";
  Answers({"file user_data/rpl4/old.rpl4_100", "button NO", "button CANCEL"});
  EXPECT_EQ(Save(buffer), 0);
  Answers({"file user_data/rpl4/old.rpl4_100", "button YES"});
  ASSERT_EQ(Save(buffer), 1);
  EXPECT_EQ(std::string(buffer), Full("user_data/rpl4/old.rpl4_100"));
}

TEST_F(FileDialogs, SavingANewFileNeedsNoFileThereAndAsksNothing) {
  char buffer[MAX_PATH] = "";
  Answers({"file user_data/rpl4/new.rpl4_100", "button YES"});
  ASSERT_EQ(Save(buffer), 1);
  EXPECT_EQ(std::string(buffer), Full("user_data/rpl4/new.rpl4_100"));
  // The Yes was not taken by a question: the next box gets it.
  EXPECT_EQ(platform::ShowMessageBox("q", "c", MB_YESNO), IDYES);
}

TEST_F(FileDialogs, SavingIntoAMissingFolderIsRefused) {
  char buffer[MAX_PATH] = "";
  Answers({"file nowhere/new.rpl4_100", "button OK", "button CANCEL"});
  EXPECT_EQ(Save(buffer), 0);
}

TEST_F(FileDialogs, HeadlessWithoutAnAnswerCancels) {
  Answers({});
  char buffer[MAX_PATH] = "offered.rpl4_100";
  EXPECT_EQ(Save(buffer), 0);
}

}  // namespace
