#pragma once
// The Effect database (animated effect graphics) and the CharaEffect and
// ScrEffect databases (a kind with five parameters, run over time).
#include <string>

#include "library/util/AnimeCtrl.h"
#include "records/DataRecord.h"

class cDbEffectFrame : public cDataRecord {
 public:
  cDbEffectFrame();
  void RegisterFields(int nVersion) override;
  void SetDefault();

  int m_nPattern = 0;
  int m_nDuration = 1;  // tenths of a second
};

// Cell edges outside this range are clamped at load: a cell of 0 dots cannot
// be drawn or scaled.
constexpr int MIN_EFFECT_CELL = 1;
constexpr int MAX_EFFECT_CELL = 4096;

class cDbEffect : public cDataRecord {
 public:
  cDbEffect();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();

  std::string m_Name;
  int m_nEditorValue = 0;
  std::string m_File;  // cells side by side in one row
  int m_nCellWidth = 32;
  int m_nCellHeight = 32;
  int m_bScale = 0;  // hit effects take the attacker's scale above 1
  cCheckedVector<cDbEffectFrame> m_Frames;
};

constexpr int EFFECT_PARAM_COUNT = 5;

// The common form of character and screen effects. Parameter 0 is the running
// time in tenths of a second; most kinds run parameter 1 (start) to 2 (end).
class cDbEffectEntry : public cDataRecord {
 public:
  cDbEffectEntry();
  void RegisterFields(int nVersion) override;
  void SetDefault();

  std::string m_Name;
  int m_nKind = 1;  // 0: no effect
  int m_nParam[EFFECT_PARAM_COUNT] = {};

 protected:
  // Parameters that files up to version 510 did not carry (the wave and circle
  // coarseness) take the default of their descriptor.
  struct OldFileParam {
    int nKind;
    int nParam;
  };
  template <size_t N, typename Descriptor>
  void ApplyOldFileDefaults(int version, const OldFileParam (&params)[N], Descriptor descriptor) {
    if (version > 510) return;
    for (const auto& fix : params)
      if (m_nKind == fix.nKind) m_nParam[fix.nParam] = descriptor(fix.nKind, fix.nParam).defaultValue;
  }
};

constexpr int CHARA_EFFECT_KIND_MAX = 16;
constexpr int SCR_EFFECT_KIND_MAX = 13;

class cDbCharaEffect final : public cDbEffectEntry {
 public:
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
};

class cDbScrEffect final : public cDbEffectEntry {
 public:
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
};

void BuildEffectSequences(const cCheckedVector<cDbEffect>& effects, AnimeTable& table);
