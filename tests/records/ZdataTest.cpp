// The zdata tool on files of a project folder: JSON with UTF-8 strings, a
// re-save, and a damaged file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "RecordTestSupport.h"
#include "records/StageData.h"
#include "support/TempDir.h"

#ifdef ZDATA_PROGRAM

namespace {

class Zdata : public ::testing::Test {
 protected:
  // Runs zdata with the arguments; its exit code.
  int Run(const std::string& arguments) {
    std::string command = std::string(ZDATA_PROGRAM) + " " + arguments + " >" + (dir / "out.txt").string() + " 2>" +
                          (dir / "err.txt").string();
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Out() const { return dir.Read("out.txt"); }
  std::string Err() const { return dir.Read("err.txt"); }

  void WriteStage(const std::string& relative, int bgm) {
    cStageData stage;
    stage.m_strName = Sjis("森のステージ");
    stage.m_nBgm = bgm;
    cLoadContext ctx;
    ctx.db.nBgm = 100;
    cRecordWriter out;
    out.WriteI32(nCurVersion);
    stage.Save(out, ctx);
    dir.Write(relative, recordtest::AsString(out.Bytes()));
  }

  testsupport::TempDir dir;
};

TEST_F(Zdata, ShowsAStageAsJsonWithUtf8Strings) {
  WriteStage("proj/data/stg4/forest.stg4_696", 0);
  ASSERT_EQ(Run("show " + (dir / "proj/data/stg4/forest.stg4_696").string()), 0) << Err();
  EXPECT_NE(Out().find("\"kind\": \"stage\""), std::string::npos);
  EXPECT_NE(Out().find("森のステージ"), std::string::npos);
  EXPECT_NE(Out().find("\"counterSwitches\""), std::string::npos);
}

TEST_F(Zdata, ResavesOutsideAProjectWithTheDefaultsAndTellsWhatItReset) {
  // The defaults hold 2 music entries.
  WriteStage("loose.stg4_696", 5);
  ASSERT_EQ(Run("resave " + (dir / "loose.stg4_696").string() + " " + (dir / "fixed.stg4_696").string()), 0);
  EXPECT_NE(Err().find("reset stage music: 5 -> 0"), std::string::npos) << Err();
}

TEST_F(Zdata, ADamagedFileExitsWithItsErrorLine) {
  WriteStage("cut.stg4_696", 0);
  std::string bytes = dir.Read("cut.stg4_696");
  dir.Write("cut.stg4_696", bytes.substr(0, 500));
  EXPECT_EQ(Run("show " + (dir / "cut.stg4_696").string()), 1);
  EXPECT_NE(Err().find("offset"), std::string::npos) << Err();
  EXPECT_EQ(Out(), "");
}

}  // namespace

#endif
