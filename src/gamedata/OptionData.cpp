#include "gamedata/OptionData.h"

#include <algorithm>

cOptionData* OptionData = nullptr;

cOptionData::cOptionData() {
  ResetFields();
  m_bMusicOn = 1;
  m_nVolume = 7;
  m_RankingName = "aaa";
}

void cOptionData::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_nPaletteVariant);
  AddField4(m_bMusicOn);
  AddField4(m_nVolume);
  AddField4(m_nRankingMode);
  AddStrField(m_RankingName);
}

void cOptionData::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  m_nPaletteVariant = std::clamp(m_nPaletteVariant, 0, PALETTE_VARIANT_COUNT - 1);
  m_nVolume = std::clamp(m_nVolume, 0, MAX_VOLUME);
  m_nRankingMode = std::clamp(m_nRankingMode, 0, RANKING_MODE_MAX);
}
