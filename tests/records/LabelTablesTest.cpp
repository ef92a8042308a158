// The enumerations and label tables: the parameter counts that size command
// records, the effect defaults that old effect entries take, and labels that
// all have a stored (CP932) form.
#include <gtest/gtest.h>

#include "records/EffectParams.h"
#include "records/FlowEnums.h"
#include "records/Labels.h"
#include "records/PropertyLabels.h"

namespace {

TEST(FlowEnums, ItemCommandsMirrorTheirFlowCommands) {
  EXPECT_EQ(ItemCommandParamCounts[ITEMCMD_NONE], 0);
  EXPECT_EQ(ItemCommandParamCounts[ITEMCMD_CHANGE_FLOW], 2);
  for (int type = ITEMCMD_STAGE_CLEAR; type < ITEMCMD_COUNT; ++type) {
    EXPECT_EQ(ItemCommandParamCounts[type], CommandParamCounts[type + 15]) << type;
    EXPECT_EQ(flowlabels::ItemCommand[type], flowlabels::FlowCommand[type + 15]) << type;
  }
  EXPECT_EQ(CommandParamCount(false, CMD_MESSAGE), 17);
  EXPECT_EQ(CommandParamCount(true, ITEMCMD_MESSAGE), 17);
  EXPECT_EQ(CommandParamCount(false, CMD_STATUS_OPERATION), 18);
  EXPECT_EQ(CommandParamCount(false, CMD_COUNT), -1);
  EXPECT_EQ(CommandParamCount(true, ITEMCMD_COUNT), -1);
  EXPECT_EQ(CommandParamCount(false, -1), -1);
  EXPECT_EQ(FlowTypeOfItemCommand(ITEMCMD_ITEM_GET), CMD_ITEM_GET);
  EXPECT_EQ(FlowTypeOfItemCommand(ITEMCMD_CHANGE_FLOW), -1);
}

TEST(EffectParams, DefaultsThatOldEffectEntriesTake) {
  EXPECT_EQ(CharaEffectParam(4, 4).defaultValue, 2);
  EXPECT_EQ(CharaEffectParam(5, 4).defaultValue, 2);
  EXPECT_EQ(CharaEffectParam(10, 3).defaultValue, 2);
  EXPECT_EQ(ScrEffectParam(6, 4).defaultValue, 8);
  EXPECT_EQ(ScrEffectParam(7, 4).defaultValue, 10);
  EXPECT_EQ(ScrEffectParam(10, 3).defaultValue, 8);
  // Unused parameters and pairs outside the tables are empty descriptors.
  EXPECT_TRUE(CharaEffectParam(1, 3).label.empty());
  EXPECT_EQ(CharaEffectParam(17, 0).maximum, 0);
  EXPECT_EQ(ScrEffectParam(-1, 0).maximum, 0);
  EXPECT_EQ(ScrEffectParam(1, 5).maximum, 0);
  EXPECT_EQ(ScrEffectParam(12, 3).minimum, -320);
}

TEST(LabelTables, EveryLabelHasAStoredForm) {
  const std::vector<std::span<const std::string_view>> tables = {
      flowlabels::FlowCommand, flowlabels::ItemCommand,     flowlabels::Trigger,         flowlabels::ConditionKind,
      flowlabels::CompareOp,   flowlabels::StatusOperator,  flowlabels::CalculationMode, flowlabels::StateGiant,
      flowlabels::PictureShow, flowlabels::MessagePosition, flowlabels::SearchRange,     proplabels::BoxChoice,
      proplabels::Trajectory,  proplabels::BlockSummonMode, proplabels::Giant,           CharaEffectNameTable,
      ScrEffectNameTable};
  for (auto table : tables) {
    auto labels = Cp932Labels(table);
    ASSERT_EQ(labels.size(), table.size());
    // Converting again hands back the same table.
    EXPECT_EQ(Cp932Labels(table).data(), labels.data());
  }
  // "ウエイト" in code page 932.
  EXPECT_EQ(Cp932Labels(flowlabels::FlowCommand)[CMD_WAIT], "\x83\x45\x83\x47\x83\x43\x83\x67");
  for (const PARAMDATA& param : CharaEffectParamTable) EXPECT_EQ(Cp932Labels(std::span(&param.label, 1)).size(), 1u);
}

}  // namespace
