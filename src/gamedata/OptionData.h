#pragma once
// The player's own settings that the options scene edits.
#include <string>

#include "records/DataRecord.h"

constexpr int PALETTE_VARIANT_COUNT = 24;
constexpr int MAX_VOLUME = 10;
constexpr int RANKING_MODE_MAX = 3;

class cOptionData : public cDataRecord {
 public:
  cOptionData();
  void RegisterFields(int nVersion) override;
  // Values outside their ranges (they index tables) are clamped.
  void Load(cRecordReader& in, const cLoadContext& ctx) override;

  int m_nPaletteVariant = 0;  // 8-bit palette variant 0..23
  int m_bMusicOn = 1;
  int m_nVolume = 7;       // 0..10, index into the volume table
  int m_nRankingMode = 0;  // 0..3
  std::string m_RankingName;
};

// The player's options, set by the application shell at start-up.
extern cOptionData* OptionData;
