#include "platform/HostPath.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "platform/Diagnostics.h"
#include "platform/Harness.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// "ソ表" in CP932: both characters have 0x5C ('\') as their second byte.
const std::string kSoHyo = "\x83\x5C\x95\x5C";
const std::string kSoHyoUtf8 = "\xE3\x82\xBD\xE8\xA1\xA8";

class HostPathTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  std::vector<std::string> logged;
  void SetUp() override {
    platform::SetDiagnosticSink([this](std::string_view line) { logged.emplace_back(line); });
  }
  void TearDown() override { platform::SetDiagnosticSink(nullptr); }
};

TEST_F(HostPathTest, StoredPathsResolve) {
  dir.Write("Data/Stg4/" + kSoHyoUtf8 + "/Stage.STG4_696", "x");
  struct Case {
    std::string stored;
    std::string host;
  } cases[] = {
      {"data\\stg4\\" + kSoHyo + "\\stage.stg4_696", "Data/Stg4/" + kSoHyoUtf8 + "/Stage.STG4_696"},
      {".\\DATA\\STG4\\" + kSoHyo + "\\STAGE.stg4_696", "Data/Stg4/" + kSoHyoUtf8 + "/Stage.STG4_696"},
      {"data/stg4//missing\\new.dat", "Data/Stg4/missing/new.dat"},  // a missing component stays as written
      {"data\\stg4\\..\\STG4", "Data/Stg4/../Stg4"},
      {".", "."},  // the current folder, as a folder of a versioned-name search
      {".\\", "."},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::ToHostPath(c.stored), fs::path(c.host)) << c.host;
  EXPECT_EQ(platform::ToHostPath((dir.Path() / "data").string()), dir.Path() / "Data") << "host absolute path";
}

TEST_F(HostPathTest, CachedNamesAreCheckedAgain) {
  dir.Write("Bmp/Chara.bmp", "x");
  EXPECT_EQ(platform::ToHostPath("bmp\\chara.bmp"), fs::path("Bmp/Chara.bmp"));
  fs::rename(dir / "Bmp/Chara.bmp", dir / "Bmp/CHARA.bmp");
  EXPECT_EQ(platform::ToHostPath("bmp\\chara.bmp"), fs::path("Bmp/CHARA.bmp"));
}

TEST_F(HostPathTest, OpenFileReadsAndWritesThroughTheBridge) {
  dir.Write("User_Data/Option.dat", "old");
  std::FILE* file = platform::OpenFile("user_data\\option.dat", "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("new", file);
  std::fclose(file);
  EXPECT_EQ(dir.Read("User_Data/Option.dat"), "new");
  EXPECT_FALSE(fs::exists(dir / "user_data"));
}

// A folder is no file to read, as on the system the data comes from: each
// loader then takes its missing-file road instead of reading nothing.
TEST_F(HostPathTest, AFolderDoesNotOpenAsAFile) {
  fs::create_directories(dir / "User_Data/Option.dat");
  for (const char* mode : {"rb", "r+b", "wb"}) {
    errno = 0;
    std::FILE* file = platform::OpenFile("user_data\\option.dat", mode);
    EXPECT_EQ(file, nullptr) << mode;
    EXPECT_EQ(errno, EISDIR) << mode;
    if (file) std::fclose(file);
  }
}

TEST_F(HostPathTest, InjectedFailureRefusesOneFile) {
  dir.Write("bmp/a.bmp", "x");
  dir.Write("bmp/b.bmp", "x");
  platform::HarnessSettings saved = platform::Harness();
  platform::HarnessSettings failing;
  failing.failStep = "file:BMP/A.bmp";
  platform::SetHarnessForTesting(failing);
  std::FILE* refused = platform::OpenFile(".\\bmp\\a.bmp", "rb");
  std::FILE* opened = platform::OpenFile("bmp\\b.bmp", "rb");
  platform::SetHarnessForTesting(saved);
  EXPECT_EQ(refused, nullptr);
  ASSERT_NE(opened, nullptr);
  std::fclose(opened);
  EXPECT_EQ(logged, std::vector<std::string>{"ZANDREL_FAIL: the open of .\\bmp\\a.bmp fails"});
}

TEST_F(HostPathTest, HostNamesCp932CannotHoldAreSkippedWithALogLine) {
  dir.Write("names/" + kSoHyoUtf8 + ".txt", "");
  dir.Write("names/plain.txt", "");
  dir.Write("names/caf\xC3\xA9\xF0\x9F\x98\x80.txt", "");  // "café😀.txt"
  EXPECT_EQ(platform::ListDirectory("NAMES"), (std::vector<std::string>{"plain.txt", kSoHyo + ".txt"}));
  EXPECT_EQ(logged, std::vector<std::string>{"path skipped: CP932 cannot hold the name caf??.txt"});
  EXPECT_EQ(platform::FromHostPath(dir.Path() / (kSoHyoUtf8 + ".txt")),
            platform::FromHostPath(dir.Path()).value() + "/" + kSoHyo + ".txt");
}

// A project unpacked from a Windows archive without conversion has its names
// in CP932 bytes: they answer to the stored names in any letter case, are
// listed and held as they are, and a name in neither encoding is skipped.
TEST_F(HostPathTest, NamesInCp932BytesAnswerToTheirStoredNames) {
  const std::string folder = kSoHyo + "Stg";  // a raw CP932 folder name
  dir.Write(folder + "/Stage.dat", "stage");
  dir.Write(kSoHyoUtf8 + "/" + kSoHyo + "A.txt", "");  // a UTF-8 folder holding a CP932 file
  dir.Write("\x83\x20.txt", "");                       // a lead byte without its trail byte
  EXPECT_EQ(platform::ToHostPath(kSoHyo + "STG\\stage.DAT"), fs::path(folder + "/Stage.dat"));
  EXPECT_EQ(platform::ToHostPath("stage.dat", dir.Path() / folder), dir.Path() / folder / "Stage.dat");
  std::FILE* file = platform::OpenFile(kSoHyo + "stg\\STAGE.dat", "rb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_EQ(platform::ListDirectory("."), (std::vector<std::string>{kSoHyo, kSoHyo + "Stg"}));
  EXPECT_EQ(platform::ListDirectory(kSoHyo), std::vector<std::string>{kSoHyo + "A.txt"});
  EXPECT_EQ(platform::FromHostPath(dir.Path() / kSoHyoUtf8 / (kSoHyo + "A.txt")),
            platform::FromHostPath(dir.Path()).value() + "/" + kSoHyo + "/" + kSoHyo + "A.txt");
  EXPECT_EQ(logged, std::vector<std::string>{"path skipped: CP932 cannot hold the name ? .txt"});
}

}  // namespace
