#include "gamedata/DbMedia.h"

#include <algorithm>

namespace {

// The editor value gained its meaning at version 153; older files hold noise.
void ClearOldEditorValue(int version, int& value) {
  if (version < 153) value = 0;
}

}  // namespace

cDbBmpCharaExc::cDbBmpCharaExc() { SetDefault(); }

void cDbBmpCharaExc::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddStrField(m_Name);
  AddField4(m_nEditorValue, 152);
  AddStrField(m_File);
  AddField4(m_bLargeCell, 172);
  AddField4(m_nCellSize, 172);
}

void cDbBmpCharaExc::SetDefault() {
  ResetFields();
  m_nCellSize = 2;
}

void cDbBmpCharaExc::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  ClearOldEditorValue(in.Version(), m_nEditorValue);
  m_nCellSize = std::clamp(m_nCellSize, MIN_LARGE_CELL_SIZE, MAX_LARGE_CELL_SIZE);
}

cDbSwordPart::cDbSwordPart() { SetDefault(); }

void cDbSwordPart::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_nOffsetX);
  AddField4(m_nOffsetY);
  AddField4(m_bMirrorX, 138);
  AddField4(m_bMirrorY, 138);
  AddField4(m_nPlacement);
  AddField4(m_nSourceX);
  AddField4(m_nSourceY);
  AddField4(m_nWidth);
  AddField4(m_nHeight);
  AddField4(m_nDuration);
}

void cDbSwordPart::SetDefault() {
  ResetFields();
  m_bMirrorX = 1;
}

cDbSwordType::cDbSwordType() { SetDefault(); }

void cDbSwordType::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddStrField(m_Name);
  AddField4(m_nEditorValue, 151);
  AddStrField(m_Image[0]);
  AddStrField(m_Image[1]);
}

void cDbSwordType::SetDefault() {
  ResetFields();
  m_Parts.assign(1, cDbSwordPart());
  m_Parts[0].m_nDuration = 1;
}

void cDbSwordType::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  LoadRecordList(in, ctx, m_Parts, cDbSwordPart(), kMinRecordBodyBytes, "sword part");
  ClearOldEditorValue(in.Version(), m_nEditorValue);
}

void cDbSwordType::Save(cRecordWriter& out, const cLoadContext& ctx) {
  cDataRecord::Save(out, ctx);
  SaveRecordList(out, ctx, m_Parts);
}

int cDbSwordType::TotalDuration() const {
  long long total = 0;
  for (const auto& part : m_Parts) total += part.m_nDuration;
  return static_cast<int>(std::clamp<long long>(total, 0, 9999));
}

cDbMediaFile::cDbMediaFile() { ResetFields(); }

void cDbMediaFile::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddStrField(m_Name);
  AddField4(m_nEditorValue, 151);
  AddStrField(m_File);
}

void cDbMediaFile::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  ClearOldEditorValue(in.Version(), m_nEditorValue);
}
