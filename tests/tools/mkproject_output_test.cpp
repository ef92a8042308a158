// mkproject's output as a whole: the same bytes on every run, every file the
// records name present, the files that are no records in their formats, and
// its command line.
#include <gtest/gtest.h>

#include <cstdio>

#include "mkproject_support.h"
#include "platform/HostPath.h"
#include "platform/display/Bitmap.h"
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

// Options are never taken for the folder: help prints the usage, an unknown
// option is refused, and neither writes a file.
TEST(MkProjectOutput, HelpAndUnknownOptionsWriteNothing) {
  struct Case {
    const char* argument;
    int status;
    const char* stream;
    const char* text;
  } cases[] = {{"--help", 0, "out.txt", "usage: mkproject DIR"},
               {"-h", 0, "out.txt", "usage: mkproject DIR"},
               {"--frobnicate", 2, "err.txt", "unknown option --frobnicate"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    testsupport::TempDir dir;
    fs::create_directory(dir / "work");
    const std::string command = "cd '" + (dir / "work").string() + "' && " + MKPROJECT_PROGRAM + " " + c.argument;
    EXPECT_EQ(RunTool(command, dir / "out.txt", dir / "err.txt"), c.status);
    EXPECT_NE(ReadAll(dir / c.stream).find(c.text), std::string::npos) << ReadAll(dir / c.stream);
    EXPECT_TRUE(fs::is_empty(dir / "work"));
  }
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

namespace {

// The palette shown with a palette variant: entries 16..207 are twelve
// groups of 16; below variant 12 group g shows group (g + variant) mod 12,
// from 12 on every group shows group variant - 12.
std::vector<std::uint32_t> VariantPalette(const std::vector<std::uint32_t>& base, int variant) {
  std::vector<std::uint32_t> palette = base;
  for (int i = 16; i < 208; ++i) {
    const int group = (i - 16) / 16, shown = variant < 12 ? (group + variant) % 12 : variant - 12;
    palette[static_cast<std::size_t>(i)] = base[static_cast<std::size_t>(16 + shown * 16 + (i - 16) % 16)];
  }
  return palette;
}

// The entry nearest the half mix of colours a and b (on doubled channels, so
// the mix stays exact); never the key colour 0, the lower entry on a tie.
int NearestToHalfMix(const std::vector<std::uint32_t>& palette, int a, int b) {
  auto channel = [&](int entry, int shift) {
    return static_cast<long>(palette[static_cast<std::size_t>(entry)] >> shift & 255);
  };
  int best = -1;
  long bestDistance = 0;
  for (int i = 1; i < 256; ++i) {
    long distance = 0;
    for (int shift : {0, 8, 16}) {
      const long d = 2 * channel(i, shift) - channel(a, shift) - channel(b, shift);
      distance += d * d;
    }
    if (best < 0 || distance < bestDistance) best = i, bestDistance = distance;
  }
  return best;
}

}  // namespace

// The options offer variants 0..23 and the 8-bit mode loads the blend table of
// the chosen one, so each is made for the palette as that variant shows it.
TEST(MkProjectOutput, EveryPaletteVariantHasTheBlendTableOfItsOwnPalette) {
  const auto bitmap =
      platform::display::LoadBitmapFile(platform::FromHostPath(SampleProject() / "bmp/plt/Palette.bmp").value());
  ASSERT_TRUE(bitmap.has_value());
  ASSERT_EQ(bitmap->palette.size(), 256u);
  std::vector<std::string> tables;
  for (int variant = 0; variant < 24; ++variant) {
    char name[16];
    std::snprintf(name, sizeof name, "hbt%02d.dat", variant);
    tables.push_back(ReadAll(SampleProject() / "bmp" / "hbt" / name));
    ASSERT_EQ(tables.back().size(), 65536u) << name;
  }
  auto mix = [&](int variant, int a, int b) {
    return static_cast<unsigned char>(tables[static_cast<std::size_t>(variant)][static_cast<std::size_t>(a * 256 + b)]);
  };
  // Worked by hand: a colour blended with itself is the first entry showing it.
  struct Case {
    int variant, a, b, expected;
  } cases[] = {
      {0, 100, 100, 100},  // cube (2, 1, 5) at its own entry
      {1, 16, 16, 16},     // group 0 shows group 1: entry 32's cube (0, 2, 3), found nowhere lower
      {11, 32, 32, 32},    // group 1 shows group 0: entry 32 is black, and nothing before it is
      {12, 100, 100, 20},  // every group shows group 0: entry 100 shows entry 20's colour, first at 20
      {23, 16, 16, 16},    // every group shows group 11: entry 192's cube (4, 5, 1)
  };
  for (const Case& c : cases) EXPECT_EQ(mix(c.variant, c.a, c.b), c.expected) << c.variant << ": " << c.a << "+" << c.b;
  // Sampled pairs of several variants against the nearest entry of the variant's palette.
  const int entries[] = {0, 1, 16, 17, 31, 32, 100, 150, 207, 208, 233, 241, 255};
  for (int variant : {0, 1, 6, 11, 12, 18, 23}) {
    const std::vector<std::uint32_t> palette = VariantPalette(bitmap->palette, variant);
    for (int a : entries)
      for (int b : entries)
        EXPECT_EQ(mix(variant, a, b), NearestToHalfMix(palette, a, b)) << variant << ": " << a << "+" << b;
  }
}
