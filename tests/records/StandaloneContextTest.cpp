// Loading outside a running player: the context of a project folder, and the
// defaults outside one.
#include <gtest/gtest.h>

#include "StageLayouts.h"
#include "records/Palette.h"
#include "records/StandaloneContext.h"
#include "support/TempDir.h"

using namespace recordtest;

namespace {

TEST(StandaloneContext, DefaultsOutsideAProject) {
  cStandaloneContext context;
  const cLoadContext& ctx = context.Get();
  EXPECT_EQ(ctx.db.nBgm, 2);
  EXPECT_EQ(ctx.db.nSwordType, 1);
  EXPECT_EQ(ctx.PaletteCount<cBlockDef>(kPaletteCommon), 1);
  // The start-up stage: one entry per list.
  EXPECT_EQ(ctx.PaletteCount<cItemDef>(kPaletteStage), 1);
}

TEST(StandaloneContext, AProjectGivesItsCommonPalette) {
  testsupport::TempDir dir;
  Bytes rock = BlockDef(696, {{"chip", 3}, {"hitKind", 1}, {"passGroup", 255}}, Parts(NoFlags(11), "rock"));
  dir.Write("data/CommonPalette.cplt4", AsString(PaletteFile(696, {DefaultBlock(), rock, rock}, {}, {})));
  dir.Write("data/stg4/a.stg4_696", "");

  auto root = cStandaloneContext::FindProjectRoot(dir / "data/stg4/a.stg4_696");
  ASSERT_TRUE(root);
  EXPECT_EQ(*root, dir.Path());
  cStandaloneContext context;
  ASSERT_TRUE(context.LoadCommonPalette(*root));
  EXPECT_EQ(context.Get().PaletteCount<cBlockDef>(kPaletteCommon), 3);
  EXPECT_EQ(context.CommonPalette().m_Blocks[2].m_strName, "rock");
}

TEST(StandaloneContext, TheCommonPaletteChecksStageReferencesAgainstTheStartUpStage) {
  // A block handing out stage-palette item 1: the start-up stage has only item 0.
  Bytes giver = BlockDef(696, {{"chip", 3}, {"hitKind", 1}, {"passGroup", 255}, {"itemSrc", 2}, {"itemIdx", 1}},
                         Parts(NoFlags(11)));
  cStandaloneContext context;
  cPalette palette;
  ASSERT_TRUE(LoadDataBytes(PaletteFile(696, {DefaultBlock(), giver}, {}, {}), "palette",
                            [&](cRecordReader& in) { palette.Load(in, context.Get()); }));
  EXPECT_EQ(palette.m_Blocks[1].m_nItemSrc, kPaletteNone);
  EXPECT_EQ(palette.m_Blocks[1].m_nItemIdx, 0);
}

TEST(StandaloneContext, ADamagedProjectPaletteFailsTheContext) {
  testsupport::TempDir dir;
  dir.Write("data/CommonPalette.cplt4", AsString(ByteBuilder().I32(696).U32(0).Get()));
  LogCapture log;
  cStandaloneContext context;
  EXPECT_FALSE(context.LoadCommonPalette(dir.Path()));
  EXPECT_EQ(log.Lines().size(), 1u);
}

}  // namespace
