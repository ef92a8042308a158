// The common palette: file layout, entry 0, inheritance while it loads and
// the flags it clears, old versions.
#include <gtest/gtest.h>

#include "StageLayouts.h"
#include "records/Palette.h"
#include "records/StageData.h"

using namespace recordtest;

namespace {

Bytes SavePalette(cPalette& palette) {
  cRecordWriter out;
  out.WriteI32(nCurVersion);
  palette.Save(out, cLoadContext{});
  return out.Bytes();
}

bool LoadPalette(cPalette& palette, const Bytes& file) {
  return LoadDataBytes(file, "CommonPalette.cplt4", [&](cRecordReader& in) { palette.Load(in, cLoadContext{}); });
}

TEST(Palette, DefaultPaletteIsTwoDefaultEntriesPerList) {
  cPalette palette;
  EXPECT_EQ(palette.m_Blocks.size(), 1u);
  Bytes expected =
      PaletteFile(696, {DefaultBlock(), DefaultBlock()}, {DefaultBody<cCharaDef>(), DefaultBody<cCharaDef>()},
                  {DefaultBody<cItemDef>(), DefaultBody<cItemDef>()});
  Bytes saved = SavePalette(palette);
  EXPECT_EQ(saved, expected) << FirstDifference(saved, expected);
  EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 16), ByteBuilder().I32(696).U32(0).U32(0).U32(2).Get());
}

TEST(Palette, EntryZeroIsResetAndShortListsAreFilled) {
  Bytes wall = BlockDef(696, {{"chip", 4}, {"hitKind", 1}, {"passGroup", 255}}, Parts(NoFlags(11), "wall"));
  cPalette palette;
  ASSERT_TRUE(LoadPalette(palette, PaletteFile(696, {wall}, {}, {})));
  ASSERT_EQ(palette.m_Blocks.size(), 2u);
  EXPECT_EQ(palette.m_Blocks[0].m_nChip, 0);
  EXPECT_EQ(palette.m_Blocks[0].m_strName, "");
  EXPECT_EQ(palette.m_Charas.size(), 2u);
  EXPECT_EQ(palette.m_Items.size(), 2u);

  ASSERT_TRUE(LoadPalette(palette, PaletteFile(696, {wall, wall, wall, wall}, {}, {})));
  EXPECT_EQ(palette.m_Blocks.size(), 4u);
  EXPECT_EQ(palette.m_Blocks[3].m_strName, "wall");
}

TEST(Palette, EntriesInheritFromThePaletteAsLoadedThenForgetTheirFlags) {
  std::vector<int> flags = NoFlags(11);
  flags[2] = 1;  // the graphic
  Bytes rock = BlockDef(696, {{"chip", 12}, {"hitKind", 1}, {"passGroup", 255}}, Parts(NoFlags(11), "rock"));
  Bytes inheritsEarlier =
      BlockDef(696, {{"inheritSrc", 1}, {"inheritIdx", 1}, {"chip", 1}, {"passGroup", 255}}, Parts(flags, "a"));
  Bytes inheritsLater =
      BlockDef(696, {{"inheritSrc", 1}, {"inheritIdx", 4}, {"chip", 1}, {"passGroup", 255}}, Parts(flags, "b"));
  cPalette palette;
  ASSERT_TRUE(
      LoadPalette(palette, PaletteFile(696, {DefaultBlock(), rock, inheritsEarlier, inheritsLater, rock}, {}, {})));
  EXPECT_EQ(palette.m_Blocks[2].m_nChip, 12);
  // A later entry is still a default entry when an earlier one reads it.
  EXPECT_EQ(palette.m_Blocks[3].m_nChip, 0);
  for (const auto& block : palette.m_Blocks)
    for (BYTE flag : block.m_Inherit.InheritFlags) EXPECT_EQ(flag, 0);
}

TEST(Palette, OldPaletteMigratesItsEntries) {
  // Version 140: no field of a block depends on the version, but the shot
  // sheet's chips move one on below 219.
  Bytes shotBlock = BlockDef(140, {{"graphicSrc", SPRITEKIND_SHOT}, {"chip", 30}, {"hitKind", 1}, {"passGroup", 255}},
                             Parts(NoFlags(11)));
  cPalette palette;
  ASSERT_TRUE(LoadPalette(palette, PaletteFile(140, {DefaultBlock(), shotBlock}, {}, {})));
  EXPECT_EQ(palette.m_Blocks[1].m_nChip, 31);
  EXPECT_EQ(nFileVersion, 140);
}

TEST(Palette, AnEmptyListStillEndsWithTwoEntries) {
  cPalette palette;
  ASSERT_TRUE(LoadPalette(palette, PaletteFile(696, {}, {}, {})));
  EXPECT_EQ(palette.m_Blocks.size(), 2u);
}

TEST(Palette, OurOwnFilesLoadAndSaveByteIdentical) {
  cPalette palette;
  palette.m_Blocks.resize(3);
  palette.m_Blocks[2].m_strName = Sjis("岩");
  palette.m_Blocks[2].m_nChip = 3;
  palette.m_Items.resize(4);
  Bytes first = SavePalette(palette);
  cPalette loaded;
  ASSERT_TRUE(LoadPalette(loaded, first));
  EXPECT_EQ(SavePalette(loaded), first);
}

}  // namespace
