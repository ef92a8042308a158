// mkproject's output as a whole: the same bytes on every run, every file the
// records name present, and the files that are no records in their formats.
#include <gtest/gtest.h>

#include "mkproject_support.h"
#include "support/TempDir.h"

using namespace mkprojecttest;

namespace {

TEST(MkProjectOutput, TwoRunsIntoEmptyFoldersWriteTheSameBytes) {
  testsupport::TempDir dir;
  const std::string program = MKPROJECT_PROGRAM;
  for (const char* name : {"first", "second"})
    ASSERT_EQ(RunTool(program + " '" + (dir / name).string() + "'", dir / "out.txt", dir / "err.txt"), 0)
        << ReadAll(dir / "err.txt");
  const auto first = Tree(dir / "first");
  const auto second = Tree(dir / "second");
  EXPECT_GT(first.size(), 80u);
  ASSERT_EQ(first.size(), second.size());
  for (const auto& [name, bytes] : first) {
    auto other = second.find(name);
    ASSERT_NE(other, second.end()) << name;
    EXPECT_TRUE(bytes == other->second) << name << " differs between the runs";
  }
  // The build's own project is written by the same program.
  EXPECT_EQ(first, Tree(SampleProject()));
}

TEST(MkProjectOutput, RefusesAFolderItCannotWrite) {
  testsupport::TempDir dir;
  std::ofstream(dir / "file") << "x";
  EXPECT_EQ(
      RunTool(std::string(MKPROJECT_PROGRAM) + " '" + (dir / "file").string() + "'", dir / "out.txt", dir / "err.txt"),
      1);
  EXPECT_NE(ReadAll(dir / "err.txt").find("mkproject:"), std::string::npos);
  EXPECT_EQ(RunTool(MKPROJECT_PROGRAM, dir / "out.txt", dir / "err.txt"), 2);
}

TEST(MkProjectOutput, DefaultFolderIsACopyOfData) {
  const auto data = Tree(SampleProject() / "data");
  EXPECT_FALSE(data.empty());
  EXPECT_EQ(data, Tree(SampleProject() / "default"));
}

std::uint32_t Le32(const std::string& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes.at(offset + static_cast<std::size_t>(i)));
  return value;
}

TEST(MkProjectOutput, SoundsAndMusicAreInTheirFormats) {
  for (const auto& entry : fs::directory_iterator(SampleProject() / "wave")) {
    const std::string wave = ReadAll(entry.path());
    SCOPED_TRACE(entry.path().string());
    ASSERT_GT(wave.size(), 44u);
    EXPECT_EQ(wave.substr(0, 4), "RIFF");
    EXPECT_EQ(wave.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le32(wave, 4), wave.size() - 8);
    EXPECT_EQ(Le32(wave, 40), wave.size() - 44);  // data chunk to the end
  }
  const std::string midi = ReadAll(SampleProject() / "bgm" / "Sample.mid");
  ASSERT_GT(midi.size(), 22u);
  EXPECT_EQ(midi.substr(0, 4), "MThd");
  EXPECT_EQ(midi.substr(8, 2), std::string("\0\0", 2));  // format 0
  EXPECT_EQ(midi.substr(14, 4), "MTrk");
  EXPECT_EQ(midi.substr(midi.size() - 3), std::string("\xFF\x2F\x00", 3));  // end of track
  const std::string ogg = ReadAll(SampleProject() / "bgm" / "Sample.ogg");
  EXPECT_EQ(ogg.substr(0, 4), "OggS");
  EXPECT_NE(ogg.find("vorbis"), std::string::npos);
}

TEST(MkProjectOutput, SystemIniAsksForAWindowOnDirect3DWithoutOverlayOrVSync) {
  const std::string ini = ReadAll(SampleProject() / "System.ini");
  for (const char* line : {"Direct3D=1\n", "WindowMode=1\n", "ShowFps=0\n", "VSync=0\n"})
    EXPECT_NE(ini.find(line), std::string::npos) << line;
  ASSERT_GE(ini.size(), 5u);
  EXPECT_EQ(ini.substr(ini.size() - 5), "Exit\n");
}

}  // namespace

// Entries worked out by hand from the project palette: 0 magenta (the key),
// 1..15 greys of 16 * i, 16 black, 17..232 the 6 x 6 x 6 cube of steps of 51,
// 241 white.
TEST(MkProjectOutput, BlendTableMapsEachPairToThePaletteEntryNearestTheirHalfBlend) {
  const std::string table = ReadAll(SampleProject() / "bmp" / "hbt" / "hbt00.dat");
  ASSERT_EQ(table.size(), 65536u);
  auto mix = [&](int a, int b) { return static_cast<unsigned char>(table[static_cast<std::size_t>(a * 256 + b)]); };
  const int kMagenta = 0, kBlack = 16, kRed = 17 + 5 * 36, kWhite = 241;
  struct Case {
    int a, b, expected;
  } cases[] = {
      {kBlack, kBlack, 16},                   // black itself, the first entry of that colour
      {kWhite, kWhite, 232},                  // cube white (5,5,5) stands before entry 241
      {kWhite, kBlack, 8},                    // 127.5 grey: ramp entry 8 (128) ties 248 and comes first
      {kRed, kBlack, 17 + 2 * 36},            // 127.5 red: cube reds 102 and 153 tie, the lower entry wins
      {kMagenta, kMagenta, 17 + 5 * 36 + 5},  // the key colour is never a result: cube magenta
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mix(c.a, c.b), c.expected) << c.a << "+" << c.b;
    EXPECT_EQ(mix(c.b, c.a), c.expected) << c.b << "+" << c.a;
  }
}
