#pragma once
// The player's own settings that the options scene edits.
#include <string>

#include "records/DataRecord.h"

constexpr int PALETTE_VARIANT_COUNT = 24;
constexpr int MAX_VOLUME = 10;
constexpr int RANKING_MODE_MAX = 3;
constexpr int RANKING_NAME_BYTES = 3;

class cOptionData : public cDataRecord {
 public:
  cOptionData();
  void RegisterFields(int nVersion) override;
  // Values outside the ranges the options page offers are clamped, and a
  // longer ranking name is cut to its first whole characters that fit.
  void Load(cRecordReader& in, const cLoadContext& ctx) override;

  int m_nPaletteVariant = 0;  // 8-bit palette variant 0..23
  int m_bMusicOn = 1;
  int m_nVolume = 7;       // 0..10, index into the volume table
  int m_nRankingMode = 0;  // 0..3
  std::string m_RankingName;
};

// The player's options, set by the application shell at start-up.
extern cOptionData* OptionData;
