// References into the palettes, checked once whole palettes or stages are read.
#include "records/BlockDef.h"
#include "records/CharaDef.h"
#include "records/Flow.h"
#include "records/FlowEnums.h"
#include "records/Inherit.h"
#include "records/ItemDef.h"
#include "records/Validate.h"

namespace {

// Summon and item-get commands name their palette 0 common, 1 stage.
int PaletteSourceOfChoice(int choice) {
  return choice == 0 ? kPaletteCommon : choice == 1 ? kPaletteStage : kPaletteNone;
}

template <typename Def>
void ResetSummonIndex(cEdShot& shot, const cLoadContext& ctx) {
  int source = PaletteSourceOfChoice(shot.m_nSummonPalette);
  if (source != kPaletteNone)
    ResetIndexIfOutside(shot.m_nSummonIndex, ctx.PaletteCount<Def>(source), 1, "summon index", ctx);
}

}  // namespace

void ValidateCommandPaletteRefs(cFlowCommand& command, const cLoadContext& ctx) {
  const int type = command.FlowType();
  cEdShot* shot = command.m_bItemCommand ? nullptr : command.m_pShot.get();
  if (shot && (type == CMD_SHOT || type == CMD_SWORD))
    ValidatePaletteRef<cItemDef>(shot->m_nItemSource, shot->m_nItemIndex, ctx, "shot item index");
  if (shot && type == CMD_SUMMON_BLOCK) ResetSummonIndex<cBlockDef>(*shot, ctx);
  if (shot && type == CMD_SUMMON_CHARA) ResetSummonIndex<cCharaDef>(*shot, ctx);
  if (shot && type == CMD_SUMMON_ITEM) ResetSummonIndex<cItemDef>(*shot, ctx);
  if (type == CMD_ITEM_GET) {
    auto& params = command.m_vParams;
    int source = PaletteSourceOfChoice(params.VecAt(0));
    if (source != kPaletteNone)
      ResetIndexIfOutside(params.VecAt(1), ctx.PaletteCount<cItemDef>(source), 1, "item-get index", ctx);
  }
  for (cFlow& flow : command.m_vFlows) ValidateFlowPaletteRefs(flow, ctx);
}

void ValidateFlowPaletteRefs(cFlow& flow, const cLoadContext& ctx) {
  for (cFlowCommand& command : flow.m_vCommands) ValidateCommandPaletteRefs(command, ctx);
}

void cCharaDef::ValidatePaletteRefs(const cLoadContext& ctx) {
  for (cFlow& flow : m_vFlows) ValidateFlowPaletteRefs(flow, ctx);
}

void cItemDef::ValidatePaletteRefs(const cLoadContext& ctx) {
  for (cFlowCommand& command : m_vCommands) ValidateCommandPaletteRefs(command, ctx);
}
