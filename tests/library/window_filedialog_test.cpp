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
  static const char filter[] = "StageFile ( *.stg4_*;*.rpl4_* )\0*.stg4_*;*.rpl4_*\0";
  ASSERT_EQ(OpenFileDialog(nullptr, buffer, MAX_PATH, "data\\stg4\\", "open", filter, "stg4_*;rpl4_*", true, &chosen),
            1);
  EXPECT_EQ(std::string(buffer), Full("data/stg4/a.stg4_100"));
  EXPECT_EQ(chosen, std::vector<std::string>{Full("data/stg4/a.stg4_100")});
  EXPECT_EQ(std::filesystem::current_path(), before);
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
