#include "gamedata/OptionData.h"

#include <algorithm>

#include "library/util/Sjis.h"

cOptionData* OptionData = nullptr;

namespace {

// The longest head of a CP932 text within `limit` bytes that cuts no
// double-byte character in half.
std::string SjisHead(const std::string& text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t next = end + (IsSjisDoubleByte(text.c_str() + end) ? 2 : 1);
    if (next > limit) break;
    end = next;
  }
  return text.substr(0, end);
}

}  // namespace

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
  m_bMusicOn = std::clamp(m_bMusicOn, 0, 1);
  m_nVolume = std::clamp(m_nVolume, 0, MAX_VOLUME);
  m_nRankingMode = std::clamp(m_nRankingMode, 0, RANKING_MODE_MAX);
  m_RankingName = SjisHead(m_RankingName, RANKING_NAME_BYTES);
}
