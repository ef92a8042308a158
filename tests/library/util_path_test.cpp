#include <gtest/gtest.h>

#include <cstring>

#include "library/util/Path.h"
#include "platform/HostPath.h"
#include "platform/WinTypes.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

TEST(PathTest, ExtensionsAndNames) {
  std::string out;
  EXPECT_EQ(ChangeExtensionStr(out, ".\\data\\file", "x"), 1);
  EXPECT_EQ(out, ".x") << "the dot of the leading .\\ is the last one";
  EXPECT_EQ(ChangeExtensionStr(out, "a\\b.stg4_100", "stg4"), 1);
  EXPECT_EQ(out, "a\\b.stg4");
  EXPECT_EQ(ChangeExtensionStr(out, "name", "x"), 0);
  EXPECT_EQ(out, "name");
  EXPECT_EQ(ChangeExtensionStr(out, "a.b.c", nullptr), 1);
  EXPECT_EQ(out, "a.b");
  out = "rep.rpl4_696";
  EXPECT_EQ(StripExtensionStr(out), 1);
  EXPECT_EQ(out, "rep");
  EXPECT_EQ(StripExtensionStr(out), 0);
  EXPECT_EQ(GetExtensionStr(out, "dir.x\\rep.rpl4_696"), 1);
  EXPECT_EQ(out, "rpl4_696");
  EXPECT_EQ(InsertNumberBeforeExtStr(out, "rep.rpl4_696", 0, 7), 1);
  EXPECT_EQ(out, "rep_07.rpl4_696");
  EXPECT_EQ(InsertNumberBeforeExtStr(out, "rep", 0, 7), 0);
}

TEST(PathTest, StripDirectoryNeverCutsInsideACharacter) {
  struct Case {
    std::string path, name;
  } cases[] = {
      {"data\\\x83\x5C\\\x95\x5C.txt", "\x95\x5C.txt"},  // ソ\表.txt: both trail bytes are 0x5C
      {"data\\\x81\x81\\a", "a"},                        // a separator right after a double-byte character
      {"/home/u/game/a.bmp", "a.bmp"},
      {"plain", "plain"},
      {"\x83\x5C", "\x83\x5C"},
  };
  for (auto& c : cases) {
    std::string path = c.path;
    StripDirectoryStr(path);
    EXPECT_EQ(path, c.name) << c.path;
  }
}

TEST(PathTest, BufferFormsNeverOverflow) {
  char buffer[16] = "rep.rpl4_696";
  EXPECT_EQ(InsertNumberBeforeExt(buffer, buffer, 1, 2), 1);
  EXPECT_STREQ(buffer, "rep_12.rpl4_696");
  EXPECT_EQ(InsertNumberBeforeExt(buffer, buffer, 3, 4), 0) << "does not fit";
  EXPECT_STREQ(buffer, "rep_12.rpl4_696");
  char small[8] = "x";
  EXPECT_EQ(ChangeExtension(small, "a_long_name.dat", "bmp"), 0);
  EXPECT_STREQ(small, "x");
  StripDirectory(buffer);
  EXPECT_STREQ(buffer, "rep_12.rpl4_696");
}

class PathFolderTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  std::string Cwd() { return platform::FromHostPath(fs::current_path()).value(); }
};

TEST_F(PathFolderTest, FullAndRelativeForms) {
  std::string path = "data\\stg4\\..\\a.stg4_696";
  EXPECT_EQ(MakeFullPathStr(path), 1);
  EXPECT_EQ(path, Cwd() + "/data/a.stg4_696");
  EXPECT_EQ(MakeFullPathStr(path), 1) << "an absolute path stays";
  EXPECT_EQ(MakeRelativePathStr(path), 1);
  EXPECT_EQ(path, ".\\data\\a.stg4_696");
  EXPECT_EQ(MakeRelativePathStr(path), 1) << "a relative path stays";
  EXPECT_EQ(path, ".\\data\\a.stg4_696");

  std::string outside = (dir.Path().parent_path() / "other" / "x.bmp").string();
  EXPECT_EQ(MakeRelativePathStr(outside), 1);
  EXPECT_EQ(outside, "..\\other\\x.bmp");

  std::string otherDrive = "D:\\games\\x.bmp";
  EXPECT_EQ(MakeRelativePathStr(otherDrive), 0);
  EXPECT_EQ(otherDrive, "D:\\games\\x.bmp");

  char buffer[MAX_PATH] = "Report_Game.txt";
  EXPECT_EQ(MakeFullPath(buffer), 1);
  EXPECT_EQ(std::string(buffer), Cwd() + "/Report_Game.txt");
}

TEST_F(PathFolderTest, FindsTheLatestVersionOnDisk) {
  std::string out = "unchanged";
  EXPECT_EQ(FindLatestVersionFileStr(out, "data\\stg4\\a.stg4_100", "stg4"), 0) << "no folder";
  EXPECT_EQ(out, "unchanged");
  dir.Write("data/stg4/a.stg4_000", "");
  EXPECT_EQ(FindLatestVersionFileStr(out, "data\\stg4\\a.stg4_100", "stg4"), 1);
  EXPECT_EQ(out, "data\\stg4\\a.stg4_000");
  dir.Write("data/stg4/a.stg4_100", "");
  dir.Write("data/stg4/A.STG4_101", "");
  dir.Write("data/stg4/a.stg4_1000", "");  // four digits: never a version
  dir.Write("data/stg4/a.stg4_9x9", "");   // not digits
  dir.Write("data/stg4/b.stg4_999", "");   // another name
  dir.Write("data/stg4/ab.stg4_999", "");  // a longer name
  EXPECT_EQ(FindLatestVersionFileStr(out, "data\\stg4\\a.stg4_100", "stg4"), 1);
  EXPECT_EQ(out, "data\\stg4\\a.stg4_101");
  fs::create_directories(dir / "data/stg4/a.stg4_500");
  char buffer[MAX_PATH] = "DATA\\STG4\\a.txt";
  EXPECT_EQ(FindLatestVersionFile(buffer, buffer, "stg4"), 1) << "a folder counts; the buffer may be the path";
  EXPECT_STREQ(buffer, "DATA\\STG4\\a.stg4_500");
  EXPECT_EQ(FindLatestVersionFileStr(out, "data\\stg4\\c.stg4_100", "stg4"), 0);
  EXPECT_EQ(out, "data\\stg4\\a.stg4_101");
  // A name in CP932 bytes, as a project unpacked from a Windows archive holds it.
  const std::string stage = "\x83X\x83\x65\x81[\x83W";  // "ステージ"
  dir.Write("data/stg4/" + stage + ".STG4_123", "");
  EXPECT_EQ(FindLatestVersionFileStr(out, "data\\stg4\\" + stage + ".stg4_100", "stg4"), 1);
  EXPECT_EQ(out, "data\\stg4\\" + stage + ".stg4_123");
}

}  // namespace
