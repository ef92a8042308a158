#include "records/StageData.h"

#include <algorithm>
#include <memory>

#include "records/DefinitionLists.h"

namespace {

std::unique_ptr<cStageData> stageData;
std::unique_ptr<cStageData> stageDataOrg;

// Collision levels beyond these cannot run: 0 and below divide by zero, above
// 100 asks for more logic steps per frame than any stage can run.
constexpr int kMinCollisionLevel = 1;
constexpr int kMaxCollisionLevel = 100;

// The visible area in cells, which the scroll limits must leave room for.
constexpr int kScreenCellsX = 20;
constexpr int kScreenCellsY = 15;

// Lowers a limit cell to size - less, never raising it; computed wide, as a
// stored size may be anything (the lowest int stands for anything below it).
void LowerTo(std::int32_t& limit, std::int32_t size, int less) {
  const std::int64_t bound = std::max<std::int64_t>(std::int64_t{size} - less, INT32_MIN);
  limit = static_cast<std::int32_t>(std::min<std::int64_t>(limit, bound));
}

}  // namespace

cStageData* StageData = nullptr;
cStageData* StageDataOrg = nullptr;

void CreateStageGlobals() {
  stageData = std::make_unique<cStageData>();
  stageDataOrg = std::make_unique<cStageData>();
  StageData = stageData.get();
  StageDataOrg = stageDataOrg.get();
}

void DestroyStageGlobals() {
  StageData = StageDataOrg = nullptr;
  stageDataOrg.reset();
  stageData.reset();
}

cStageData::cStageData() { SetDefault(); }

void cStageData::AddBox(BoxSize& box, int from) {
  AddField4(box.cx, from);
  AddField4(box.cy, from);
}

void cStageData::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddStrField(m_strName);
  AddField4(m_nMapWidth);
  AddField4(m_nReserved2);
  AddField4(m_nReserved3);
  AddField4(m_nMapHeight);
  for (auto& on : m_bScrollLimit) AddField4(on);
  for (auto& cell : m_nScrollLimit) AddField4(cell);
  AddField4(m_nFrameRate);
  AddField4(m_bTimeLimit);
  AddField4(m_nTimeLimit);
  AddField4(m_nTimeWarning);
  AddField4(m_nScrollModeX);
  AddField4(m_nScrollModeY);
  AddField4(m_nScrollSpeedX);
  AddField4(m_nScrollSpeedY);
  AddField8(m_dGravity);
  AddField4(m_nCollisionLevel);
  AddField4(m_nHitPasses);
  AddField4(m_nBgm);
  AddField4(m_bBgmLoop, 166);
  AddField4(m_bKeepBgm, 199);
  AddField4(m_bDrawLayers);
  AddField4(m_bTakeCarriedStatus);
  AddField4(m_bStoreStatus);
  AddField4(m_bShowStatus, 183);
  AddField4(m_bQuickClear, 184);
  AddField4(m_bStageCaption);
  AddField4(m_bSecondCaption, 225);
  AddField4(m_bClearCaption);
  AddField4(m_bGameOverCaption);
  AddBox(m_HeroBox[0], 200);
  AddBox(m_HeroBox[1], 200);
  AddBox(m_HeroBox[2]);
  AddBox(m_HeroBox[3], 155);
  AddBox(m_HeroBox[4]);
  AddBox(m_HeroBox[5]);
  for (auto& align : m_nHeroBoxAlign) AddField4(align, 200);
  for (auto& align : m_nSizeBoxAlign) AddField4(align, 155);
  for (int i = 0; i < 4; ++i) AddField4(m_nDrawPartFactor[i], i == 0 ? 200 : 0);
  for (int i = 0; i < 4; ++i) AddField4(m_nDrawPartSelector[i], i == 0 ? 200 : 0);
  AddBox(m_CharaBox[0], 200);
  AddBox(m_CharaBox[1], 200);
  AddBox(m_CharaBox[2]);
  AddBox(m_CharaBox[3], 155);
  AddBox(m_CharaBox[4]);
  for (auto& align : m_nCharaBoxAlign) AddField4(align, 200);
  for (auto& align : m_nCharaBoxAlign2) AddField4(align, 155);
  AddBox(m_ItemBox);
  for (auto& box : m_ExtraBox) AddBox(box);
  AddField4(m_bReserved84);
  AddField4(m_nExtentX);
  AddField4(m_nExtentY);
  AddField4(m_nSteps);
  AddField8(m_dSteps);
  AddField8(m_dSteps2);
  AddField8(m_dSpeedLimit);
  AddField8(m_dGravityPerStep);
  AddField8(m_dSpeedLimitPerStep);
  AddField4(m_nSteps8);
  AddField4(m_bActiveHitsOnly);
  for (auto& time : m_nHitTimes) AddField4(time);
}

void cStageData::SetDefault() {
  ResetFields();
  ClearDefinitions();
  m_PaletteBlocks.assign(1, cBlockDef());
  m_PaletteCharas.assign(1, cCharaDef());
  m_PaletteItems.assign(1, cItemDef());

  m_nFrameRate = 60;
  m_bTimeLimit = 0;
  m_nTimeLimit = 200;
  m_nTimeWarning = 20;
  m_dGravity = 0.4;
  m_nCollisionLevel = 10;
  m_nHitPasses = 0;
  m_bDrawLayers = 1;
  m_bShowStatus = 1;
  m_bQuickClear = 0;
  m_bStageCaption = 0;
  m_bSecondCaption = 1;
  m_bClearCaption = 1;
  m_bGameOverCaption = 1;
  m_bActiveHitsOnly = 1;
  m_nHitTimes = {30, 0, 30, 0};
  m_HeroBox = {BoxSize{16, 24}, {16, 16}, {16, 24}, {16, 16}, {12, 8}, {16, 16}};
  m_nHeroBoxAlign = {1, 0};
  m_nSizeBoxAlign = {1, 0};
  m_CharaBox = {BoxSize{16, 24}, {16, 16}, {12, 24}, {12, 16}, {30, 30}};
  m_nCharaBoxAlign = {1, 0};
  m_nCharaBoxAlign2 = {1, 0};
  m_ItemBox = {28, 28};
  m_ExtraBox.fill(BoxSize{16, 16});
  m_bReserved84 = 1;

  m_BgLayers.assign(1, cBgLayer());
  m_BgLayers.front().m_bFill = 1;
  m_NameRecords.clear();
  m_CounterSwitches.assign(kCounterSwitches, 1);
  SetDefaultRules();
}

void cStageData::SetDefaultRules() {
  for (int i = 0; i < 3; ++i) m_OutAreaRules[i].Set({0, 0, 0, 0}, {0, 0, 0, 0});
  m_OutAreaRules[3].Set({1, 1, 1, 1}, {0, 0, 0, 0});
  m_OutAreaRules[4].Set({1, 1, 1, 1}, {10, 10, 10, 10});
}

cLoadContext cStageData::WithThisStage(const cLoadContext& ctx) const {
  cLoadContext own = ctx;
  own.stagePalette = Palette();
  return own;
}

void cStageData::Load(cRecordReader& in, const cLoadContext& outer) {
  // Definitions of this stage inherit from and refer to this stage's palette,
  // whatever stage is being played meanwhile.
  const cLoadContext ctx = WithThisStage(outer);
  cDataRecord::Load(in, ctx);
  std::uint32_t switches = in.ReadCount(4, "counter switch");
  m_CounterSwitches.assign(switches, 0);
  for (auto& value : m_CounterSwitches) value = in.ReadI32();
  // Files below 125 store only the left switch of a rule: the other three take
  // their defaults, never what an earlier stage left in this object.
  if (in.Version() < 125) SetDefaultRules();
  for (auto& rule : m_OutAreaRules) rule.Load(in, ctx);
  LoadDefinitionList(in, ctx, m_PaletteBlocks);
  LoadDefinitionList(in, ctx, m_PaletteCharas);
  LoadDefinitionList(in, ctx, m_PaletteItems);
  ResetEntryZero(m_PaletteBlocks);
  ResetEntryZero(m_PaletteCharas);
  ResetEntryZero(m_PaletteItems);
  LoadPlacedList(in, ctx, m_PlacedBlocks);
  LoadPlacedList(in, ctx, m_PlacedCharas);
  LoadPlacedList(in, ctx, m_PlacedItems);
  LoadRecordList(in, ctx, m_BgLayers, cBgLayer(), kMinRecordBodyBytes, "background layer");
  LoadRecordList(in, ctx, m_NameRecords, cNameRecord(), kMinRecordBodyBytes, "name record");
  if (in.Version() >= 173) in.ReadU32();  // the end mark, checked before the load
  if (in.Version() < nCurVersion) MigrateHeader(in.Version());
  if (m_nCollisionLevel < kMinCollisionLevel || m_nCollisionLevel > kMaxCollisionLevel)
    in.FailF("collision level %d outside %d to %d", m_nCollisionLevel, kMinCollisionLevel, kMaxCollisionLevel);
  NormalizeStage(ctx);
}

void cStageData::MigrateHeader(int version) {
  if (version < 155) {
    m_HeroBox[3] = m_HeroBox[2];
    m_CharaBox[3] = m_CharaBox[2];
    m_nSizeBoxAlign = {0, 0};
    m_nCharaBoxAlign2 = {0, 0};
  }
  if (version < 166) m_bBgmLoop = 1;
  if (version < 181) {
    m_CounterSwitches.resize(kCounterSwitches, 0);
    m_CounterSwitches[3] = m_CounterSwitches[4] = 0;
  }
  if (version < 183) m_bShowStatus = 1;
  if (version < 184) m_bQuickClear = 0;
  if (version < 199) m_bKeepBgm = 0;
  if (version < 200) {
    m_HeroBox[0] = {16, 24};
    m_HeroBox[1] = {16, 16};
    m_nHeroBoxAlign = {1, 0};
    m_nDrawPartFactor[0] = 0;
    m_nDrawPartSelector[0] = 5;
    m_CharaBox[0] = {16, 30};
    m_CharaBox[1] = {16, 30};
    m_nCharaBoxAlign = {1, 1};
  }
  if (version < 225) m_bSecondCaption = 0;
}

void cStageData::SetCollisionLevel(int level) {
  m_nCollisionLevel = level;
  const bool speedCapped = level >= 11 && level <= 19;
  const int steps = speedCapped ? level - 10 : level;
  m_nSteps = steps;
  m_dSteps = steps;
  m_nSteps6 = 6 * steps;
  m_dSteps2 = m_dSteps * m_dSteps;
  m_nSteps8 = 8 * steps;
  m_dSpeedLimit = speedCapped ? 60.0 : 6.0 * steps;
  m_dSpeedLimitPerStep = m_dSpeedLimit / m_dSteps;
  m_dGravityPerStep = m_dGravity / m_dSteps2;
}

void cStageData::NormalizeStage(const cLoadContext& outer) {
  const cLoadContext ctx = WithThisStage(outer);
  LowerTo(m_nScrollLimit[0], m_nMapWidth, kScreenCellsX);
  LowerTo(m_nScrollLimit[1], m_nMapWidth, 1);
  LowerTo(m_nScrollLimit[2], m_nMapHeight, kScreenCellsY);
  LowerTo(m_nScrollLimit[3], m_nMapHeight, 1);
  // This stage's own level: normalising a stage never touches the one in play.
  SetCollisionLevel(m_nCollisionLevel);
  if (m_nBgm < 0 || m_nBgm >= ctx.db.nBgm) {
    ctx.NoteReset("stage music", m_nBgm, 0);
    m_nBgm = 0;
  }
  FillToMinimum(m_PaletteBlocks);
  FillToMinimum(m_PaletteCharas);
  FillToMinimum(m_PaletteItems);
  ValidateDefinitions(m_PaletteBlocks, ctx);
  ValidateDefinitions(m_PaletteCharas, ctx);
  ValidateDefinitions(m_PaletteItems, ctx);
  ValidateDefinitions(m_PlacedBlocks, ctx);
  ValidateDefinitions(m_PlacedCharas, ctx);
  ValidateDefinitions(m_PlacedItems, ctx);
}

void cStageData::SaveSettings(cRecordWriter& out, const cLoadContext& ctx) {
  cDataRecord::Save(out, ctx);
  out.WriteCount(m_CounterSwitches.size());
  for (std::int32_t value : m_CounterSwitches) out.WriteI32(value);
  for (auto& rule : m_OutAreaRules) rule.Save(out, ctx);
}

void cStageData::SaveDefinitions(cRecordWriter& out, const cLoadContext& ctx) {
  SaveRecordList(out, ctx, m_PaletteBlocks);
  SaveRecordList(out, ctx, m_PaletteCharas);
  SaveRecordList(out, ctx, m_PaletteItems);
  SavePlacedList(out, ctx, m_PlacedBlocks);
  SavePlacedList(out, ctx, m_PlacedCharas);
  SavePlacedList(out, ctx, m_PlacedItems);
}

void cStageData::SaveLayersAndNames(cRecordWriter& out, const cLoadContext& ctx) {
  SaveRecordList(out, ctx, m_BgLayers);
  SaveRecordList(out, ctx, m_NameRecords);
}

void cStageData::Save(cRecordWriter& out, const cLoadContext& outer) {
  const cLoadContext ctx = WithThisStage(outer);
  NormalizeStage(ctx);
  SaveSettings(out, ctx);
  SaveDefinitions(out, ctx);
  SaveLayersAndNames(out, ctx);
  out.WriteU32(STAGE_END_MARK);
}

void cStageData::SaveStageSnapshot(cRecordWriter& out, const cStageData& settings, const cLoadContext& outer) {
  const cLoadContext ctx = WithThisStage(outer);
  NormalizeStage(ctx);
  cStageData copy;
  copy.CopySettings(settings);
  copy.SaveSettings(out, ctx);
  SaveDefinitions(out, ctx);
  copy.SaveLayersAndNames(out, ctx);
  out.WriteU32(STAGE_END_MARK);
}

void cStageData::CopySettings(const cStageData& other) {
  CopyFields(other);
  m_BgLayers = other.m_BgLayers;
  m_NameRecords = other.m_NameRecords;
  m_OutAreaRules = other.m_OutAreaRules;
  m_CounterSwitches = other.m_CounterSwitches;
}

void cStageData::ClearDefinitions() {
  m_PlacedBlocks.clear();
  m_PlacedCharas.clear();
  m_PlacedItems.clear();
  m_PaletteBlocks.clear();
  m_PaletteCharas.clear();
  m_PaletteItems.clear();
}

int cStageData::FindHero() const {
  for (std::size_t i = 0; i < m_PlacedCharas.size(); ++i) {
    const cCharaDef& chara = m_PlacedCharas[i];
    if (chara.m_nGraphic != 0 && chara.m_nOperator == 0) return static_cast<int>(i);
  }
  return -1;
}
