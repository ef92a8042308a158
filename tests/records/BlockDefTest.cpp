// Block definitions: stored layout, inheritance from palettes, validation,
// the shot-sheet upgrade and the collision kind of a map cell.
#include <gtest/gtest.h>

#include <array>

#include "StageLayouts.h"
#include "records/BlockDef.h"
#include "records/ItemDef.h"
#include "records/RecordHooks.h"

using namespace recordtest;

namespace {

bool LoadBlock(cDataRecord& record, int version, const Bytes& body, const cLoadContext& ctx = {}) {
  Bytes file = ByteBuilder().I32(version).Append(body).Get();
  return LoadDataBytes(file, "block", [&](cRecordReader& in) { record.Load(in, ctx); });
}

// A palette of blocks to inherit from: entry 1 is a distinctive block.
struct BlockPalette {
  cCheckedVector<cBlockDef> blocks = cCheckedVector<cBlockDef>(2);
  cLoadContext ctx;
  BlockPalette() {
    cBlockDef& source = blocks[1];
    source.m_strName = "rock";
    source.m_nChip = 7;
    source.m_nGraphicSrc = SPRITEKIND_ITEM;
    source.m_nColumn = 3;
    source.m_nLayer = 1;
    source.m_nHitKind = kBlockHitDeadly;
    source.m_nPassGroup = 4;
    ctx.stagePalette.blocks = &blocks;
  }
};

TEST(BlockDef, DefaultBlockHasTheTabledLayout) {
  cBlockDef block;
  block.RegisterFields(nCurVersion);
  EXPECT_EQ(block.Fields().size(), 18u);
  EXPECT_EQ(block.FieldBytes(), 26u);
  EXPECT_EQ(FieldBytes(kBlockLayout, 696), 26u);
  // A default block has chip 0, so it is stored with hit kind 0.
  EXPECT_EQ(SaveBody(block), DefaultBlock());
}

TEST(BlockDef, LoadsEveryMemberFromItsOffset) {
  Values values = {{"inheritSrc", 0}, {"condMode", 1},  {"condLatch", 1},  {"chip", 300},        {"graphicSrc", 4},
                   {"column", -2},    {"layer", 1},     {"hidden", 1},     {"overlay", 1},       {"overlayMark", 17},
                   {"hitKind", 2},    {"passGroup", 3}, {"effectKind", 3}, {"effectValue", 150}, {"protected", 1}};
  cBlockDef block;
  ASSERT_TRUE(LoadBlock(block, 696, BlockDef(696, values, Parts(NoFlags(11), "wall", 12, -1))));
  EXPECT_EQ(block.m_strName, "wall");
  EXPECT_EQ(block.m_nMapX, 12);
  EXPECT_EQ(block.m_nMapY, -1);
  EXPECT_EQ(block.m_nChip, 300);
  EXPECT_EQ(block.m_nColumn, -2);
  EXPECT_EQ(block.m_nOverlayMark, 17);
  EXPECT_EQ(block.m_nHitKind, 2);
  EXPECT_EQ(block.m_nPassGroup, 3);
  EXPECT_EQ(block.m_nEffectValue, 150);
  EXPECT_EQ(block.m_bProtected, 1);
  EXPECT_EQ(SaveBody(block), BlockDef(696, values, Parts(NoFlags(11), "wall", 12, -1)));
}

TEST(BlockDef, FlaggedGroupsComeFromThePaletteEntry) {
  BlockPalette palette;
  std::vector<int> flags(11, 0);
  flags[0] = flags[2] = flags[7] = 1;  // name; graphic; pass-through group
  cBlockDef block;
  ASSERT_TRUE(LoadBlock(
      block, 696,
      BlockDef(696, {{"inheritSrc", 2}, {"inheritIdx", 1}, {"chip", 1}, {"layer", 0}, {"hitKind", 1}}, Parts(flags)),
      palette.ctx));
  EXPECT_EQ(block.m_strName, "rock");
  EXPECT_EQ(block.m_nChip, 7);
  EXPECT_EQ(block.m_nGraphicSrc, SPRITEKIND_ITEM);
  EXPECT_EQ(block.m_nColumn, 3);
  EXPECT_EQ(block.m_nPassGroup, 4);
  EXPECT_EQ(block.m_nLayer, 0);    // not flagged
  EXPECT_EQ(block.m_nHitKind, 1);  // not flagged
  EXPECT_EQ(block.m_Inherit.nInheritSrc, kPaletteStage);
}

TEST(BlockDef, ReferencesThatNameNoEntryCopyNothing) {
  struct Case {
    const char* what;
    int source, index;
    int sourceAfter, indexAfter;
  };
  const Case cases[] = {
      {"index 0 never inherits", 2, 0, 2, 0},
      {"source 0 never inherits", 0, 1, 0, 1},
      // The load drops the source; validation then leaves the index alone.
      {"index beyond the list", 2, 2, 0, 2},
      {"negative index", 2, -1, 0, -1},
      {"unknown source", 3, 1, 3, 1},
      {"common palette not there", 1, 1, 0, 1},
  };
  for (const Case& c : cases) {
    BlockPalette palette;
    cBlockDef block;
    ASSERT_TRUE(LoadBlock(block, 696,
                          BlockDef(696, {{"inheritSrc", c.source}, {"inheritIdx", c.index}, {"chip", 1}},
                                   Parts(std::vector<int>(11, 1), "own")),
                          palette.ctx))
        << c.what;
    EXPECT_EQ(block.m_strName, "own") << c.what;
    EXPECT_EQ(block.m_nChip, 1) << c.what;
    EXPECT_EQ(block.m_Inherit.nInheritSrc, c.sourceAfter) << c.what;
    EXPECT_EQ(block.m_Inherit.nInheritIdx, c.indexAfter) << c.what;
  }
}

TEST(BlockDef, FlagListsKeepOneFlagPerGroup) {
  BlockPalette palette;
  std::vector<int> flags(40, 0);
  flags[0] = 1;
  flags[30] = 1;  // beyond the table: means nothing
  cBlockDef block;
  ASSERT_TRUE(LoadBlock(block, 696, BlockDef(696, {{"inheritSrc", 2}, {"inheritIdx", 1}, {"chip", 1}}, Parts(flags)),
                        palette.ctx));
  EXPECT_EQ(block.m_strName, "rock");
  EXPECT_EQ(block.m_Inherit.InheritFlags.size(), kBlockInheritGroups);

  ASSERT_TRUE(LoadBlock(block, 696, BlockDef(696, {{"chip", 1}}, Parts({1, 0}))));
  EXPECT_EQ(block.m_Inherit.InheritFlags.size(), kBlockInheritGroups);
}

TEST(BlockDef, EmptyCellsNeitherHitNorProtect) {
  cBlockDef block;
  block.m_nChip = 0;
  block.m_nHitKind = 1;
  block.m_bProtected = 1;
  Bytes saved = SaveBody(block);
  EXPECT_EQ(saved, DefaultBlock());
  EXPECT_EQ(block.m_nHitKind, 0);
  EXPECT_EQ(block.m_bProtected, 0);
}

TEST(BlockDef, ItemReferencesBeyondThePaletteAreCleared) {
  cCheckedVector<cItemDef> items(3);
  cLoadContext ctx;
  ctx.commonPalette.items = &items;
  cBlockDef block;
  block.m_nItemSrc = kPaletteCommon;
  block.m_nItemIdx = 2;
  block.ValidatePaletteRefs(ctx);
  EXPECT_EQ(block.m_nItemIdx, 2);
  block.m_nItemIdx = 3;
  block.ValidatePaletteRefs(ctx);
  EXPECT_EQ(block.m_nItemSrc, kPaletteNone);
  EXPECT_EQ(block.m_nItemIdx, 0);
}

TEST(BlockDef, OldShotSheetChipsMoveOneOn) {
  struct Case {
    int version, graphicSrc, chip, expected;
  };
  for (Case c :
       {Case{200, SPRITEKIND_SHOT, 5, 6}, Case{200, SPRITEKIND_SHOT, 119, 119}, Case{218, SPRITEKIND_SHOT, 118, 119},
        Case{219, SPRITEKIND_SHOT, 5, 5}, Case{200, SPRITEKIND_BLOCK, 5, 5}}) {
    cBlockDef block;
    ASSERT_TRUE(LoadBlock(block, c.version,
                          BlockDef(c.version, {{"graphicSrc", c.graphicSrc}, {"chip", c.chip}}, Parts(NoFlags(11)))));
    EXPECT_EQ(block.m_nChip, c.expected) << c.version << " " << c.chip;
  }
}

class FakeHooks final : public cRecordHooks {
 public:
  bool appears = true;
  int asked = 0;
  std::vector<std::array<int, 3>> sources;
  bool CheckBlockAppear(MAPCELL&) override {
    ++asked;
    return appears;
  }
  bool SetSpriteSource(int kind, int cell, int column, SPRITESOURCE&) override {
    sources.push_back({kind, cell, column});
    return false;
  }
};

class BlockHit : public ::testing::Test {
 protected:
  void SetUp() override { SetRecordHooks(&hooks); }
  void TearDown() override { SetRecordHooks(nullptr); }
  FakeHooks hooks;
};

TEST_F(BlockHit, PassThroughGroupLetsOnlyItsOwnGroupThrough) {
  MAPCELL cell;
  cell.block.m_nChip = 1;
  cell.block.m_nHitKind = kBlockHitSolid;
  EXPECT_EQ(GetBlockHit(cell, 3), kBlockHitSolid);  // 255: nothing passes
  cell.block.m_nPassGroup = 3;
  EXPECT_EQ(GetBlockHit(cell, 3), 0);
  EXPECT_EQ(GetBlockHit(cell, 2), kBlockHitSolid);
  EXPECT_EQ(hooks.asked, 0);  // no conditions: stage play is not asked
}

TEST_F(BlockHit, StagePlayDecidesWhetherAConditionalBlockIsThere) {
  MAPCELL cell;
  cell.block.m_nHitKind = kBlockHitDeadly;
  cell.block.m_vConditions.resize(1);
  hooks.appears = false;
  EXPECT_EQ(GetBlockHit(cell, 0), 0);
  hooks.appears = true;
  EXPECT_EQ(GetBlockHit(cell, 0), kBlockHitDeadly);
  EXPECT_EQ(hooks.asked, 2);
}

TEST_F(BlockHit, DrawingAsksStagePlayForTheGraphicOfTheChip) {
  cBlockDef block;
  block.m_nGraphicSrc = SPRITEKIND_SPECIAL;
  block.m_nChip = 21;
  block.m_nColumn = 2;
  DrawBlock(block, nullptr, 64, 96);
  ASSERT_EQ(hooks.sources.size(), 1u);
  EXPECT_EQ(hooks.sources[0], (std::array<int, 3>{SPRITEKIND_SPECIAL, 21, 2}));
}

TEST(BlockDraw, MarksAreCutFifteenToAColumn) {
  EXPECT_EQ(MarkCell(17), (POINT{32, 64}));
  EXPECT_EQ(MarkCell(0), (POINT{0, 0}));
  EXPECT_EQ(MarkCell(14), (POINT{0, 448}));
  EXPECT_EQ(MarkCell(15), (POINT{32, 0}));
}

}  // namespace
