#include "gamedata/DbEffect.h"

#include <algorithm>

#include "gamedata/DbAnime.h"
#include "records/EffectParams.h"

cDbEffectFrame::cDbEffectFrame() { SetDefault(); }

void cDbEffectFrame::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_nPattern);
  AddField4(m_nDuration);
}

void cDbEffectFrame::SetDefault() {
  ResetFields();
  m_nDuration = 1;
}

cDbEffect::cDbEffect() { SetDefault(); }

void cDbEffect::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddStrField(m_Name);
  AddField4(m_nEditorValue, 151);
  AddStrField(m_File);
  AddField4(m_nCellWidth);
  AddField4(m_nCellHeight);
  AddField4(m_bScale);
}

void cDbEffect::SetDefault() {
  ResetFields();
  m_nCellWidth = 32;
  m_nCellHeight = 32;
  m_bScale = 0;
}

void cDbEffect::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  LoadRecordList(in, ctx, m_Frames, cDbEffectFrame(), kMinRecordBodyBytes, "effect frame");
  if (in.Version() < 153) m_nEditorValue = 0;
  m_nCellWidth = std::clamp(m_nCellWidth, MIN_EFFECT_CELL, MAX_EFFECT_CELL);
  m_nCellHeight = std::clamp(m_nCellHeight, MIN_EFFECT_CELL, MAX_EFFECT_CELL);
}

void cDbEffect::Save(cRecordWriter& out, const cLoadContext& ctx) {
  cDataRecord::Save(out, ctx);
  SaveRecordList(out, ctx, m_Frames);
}

cDbEffectEntry::cDbEffectEntry() { SetDefault(); }

void cDbEffectEntry::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddStrField(m_Name);
  AddField4(m_nKind);
  AddField4(m_nParam);
}

void cDbEffectEntry::SetDefault() {
  ResetFields();
  m_nKind = 1;
}

void cDbCharaEffect::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  static constexpr OldFileParam params[] = {{4, 4}, {5, 4}, {10, 3}};
  ApplyOldFileDefaults(in.Version(), params, CharaEffectParam);
}

void cDbScrEffect::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  static constexpr OldFileParam params[] = {{6, 4}, {7, 4}, {10, 3}};
  ApplyOldFileDefaults(in.Version(), params, ScrEffectParam);
}

void BuildEffectSequences(const cCheckedVector<cDbEffect>& effects, AnimeTable& table) {
  BuildOneShotSequences(effects, table);
}
