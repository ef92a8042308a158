// References of commands into the palettes, checked once whole palettes are read.
#include <gtest/gtest.h>

#include "records/BlockDef.h"
#include "records/CharaDef.h"
#include "records/FlowEnums.h"
#include "records/ItemDef.h"

namespace {

// A common palette of 2 blocks, 3 characters and 4 items; a stage palette of 5, 6 and 7.
struct Palettes {
  cCheckedVector<cBlockDef> commonBlocks{2}, stageBlocks{5};
  cCheckedVector<cCharaDef> commonCharas{3}, stageCharas{6};
  cCheckedVector<cItemDef> commonItems{4}, stageItems{7};
  cLoadContext ctx;
  Palettes() {
    ctx.commonPalette = {&commonBlocks, &commonCharas, &commonItems};
    ctx.stagePalette = {&stageBlocks, &stageCharas, &stageItems};
  }
};

cFlowCommand ShotCommand(int type) {
  cFlowCommand command;
  command.m_nType = static_cast<std::int8_t>(type);
  NewEdShot(command.m_pShot);
  return command;
}

TEST(PaletteRefs, ShotAndSwordItemsNameAnEntryOrNothing) {
  Palettes palettes;
  struct Case {
    int type, source, index, expectedSource, expectedIndex;
  };
  for (Case c : {Case{CMD_SHOT, 1, 4, 0, 0}, Case{CMD_SHOT, 1, 3, 1, 3}, Case{CMD_SWORD, 2, 6, 2, 6},
                 Case{CMD_SWORD, 2, 7, 0, 0}, Case{CMD_SHOT, 2, -1, 0, 0}, Case{CMD_SHOT, 3, 99, 3, 99},
                 Case{CMD_SUMMON_ITEM, 1, 99, 1, 99}}) {
    cFlowCommand command = ShotCommand(c.type);
    command.m_pShot->m_nItemSource = static_cast<std::int8_t>(c.source);
    command.m_pShot->m_nItemIndex = static_cast<std::int16_t>(c.index);
    ValidateCommandPaletteRefs(command, palettes.ctx);
    EXPECT_EQ(command.m_pShot->m_nItemSource, c.expectedSource) << c.type << " " << c.source << " " << c.index;
    EXPECT_EQ(command.m_pShot->m_nItemIndex, c.expectedIndex) << c.type << " " << c.source << " " << c.index;
  }
}

TEST(PaletteRefs, SummonsNameAnEntryOfTheirPaletteOrTheFirstRealOne) {
  Palettes palettes;
  struct Case {
    int type, palette, index, expected;
  };
  for (Case c : {Case{CMD_SUMMON_BLOCK, 0, 2, 1}, Case{CMD_SUMMON_BLOCK, 1, 4, 4}, Case{CMD_SUMMON_CHARA, 0, 2, 2},
                 Case{CMD_SUMMON_CHARA, 1, 6, 1}, Case{CMD_SUMMON_ITEM, 0, 4, 1}, Case{CMD_SUMMON_ITEM, 1, 6, 6},
                 Case{CMD_SUMMON_ITEM, 1, -5, 1}, Case{CMD_SUMMON_ITEM, 2, 50, 50}, Case{CMD_SHOT, 0, 50, 50}}) {
    cFlowCommand command = ShotCommand(c.type);
    command.m_pShot->m_nSummonPalette = static_cast<std::int8_t>(c.palette);
    command.m_pShot->m_nSummonIndex = static_cast<std::int16_t>(c.index);
    ValidateCommandPaletteRefs(command, palettes.ctx);
    EXPECT_EQ(command.m_pShot->m_nSummonIndex, c.expected) << c.type << " " << c.palette << " " << c.index;
  }
}

TEST(PaletteRefs, ItemGetOfFlowsAndItemsAndNestedFlows) {
  Palettes palettes;
  cFlowCommand get;
  get.m_nType = CMD_ITEM_GET;
  get.m_vParams = {1, 7};
  cFlowCommand itemGet;
  itemGet.m_bItemCommand = 1;
  itemGet.m_nType = ITEMCMD_ITEM_GET;
  itemGet.m_vParams = {0, 4};
  cFlowCommand otherPalette = get;
  otherPalette.m_vParams = {2, 700};

  // Nested in a change-flow item command held by an item definition.
  cItemDef item;
  cFlowCommand change;
  change.m_bItemCommand = 1;
  change.m_nType = ITEMCMD_CHANGE_FLOW;
  change.m_vFlows.resize(1);
  change.m_vFlows[0].m_vCommands = {get, otherPalette};
  item.m_vCommands = {change, itemGet};
  item.ValidatePaletteRefs(palettes.ctx);
  const auto& nested = item.m_vCommands[0].m_vFlows[0].m_vCommands;
  EXPECT_EQ(nested[0].m_vParams[1], 1);
  EXPECT_EQ(nested[1].m_vParams[1], 700);
  EXPECT_EQ(item.m_vCommands[1].m_vParams[1], 1);

  cCharaDef chara;
  chara.m_vFlows.resize(1);
  get.m_vParams = {1, 6};
  chara.m_vFlows[0].m_vCommands = {get};
  chara.ValidatePaletteRefs(palettes.ctx);
  EXPECT_EQ(chara.m_vFlows[0].m_vCommands[0].m_vParams[1], 6);
}

}  // namespace
