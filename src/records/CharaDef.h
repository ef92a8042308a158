#pragma once
// A character definition: graphic and animation set, statuses, states, where
// the copies of a placement stand, appearance conditions and flows. The
// entries of the palettes' character lists and the placed characters of a
// stage are character definitions.
#include <cstdint>
#include <string>

#include "library/util/CheckedVector.h"
#include "records/DataRecord.h"
#include "records/Flow.h"
#include "records/Inherit.h"

// Property groups a character can take from a palette entry, one flag each.
constexpr std::size_t kCharaInheritGroups = 37;

class cCharaDef final : public cDataRecord {
 public:
  cCharaDef() { SetDefault(); }
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();

  void Inherit(const cLoadContext& ctx);
  // Database references brought into range, empty flows removed.
  void Validate(const cLoadContext& ctx);
  // References into the palettes; run once whole palettes or stages are read.
  void ValidatePaletteRefs(const cLoadContext& ctx);

  // Offset of copy n of a placement (the step rule, mirrored when facing right).
  double GetStepX(int n, int facing) const;
  double GetStepY(int n, int facing) const;

  std::int16_t m_nMapX = 0;
  std::int16_t m_nMapY = 0;
  std::int32_t m_nCarriedItem = 0;  // index in the stage's placed items, -1 none
  cInheritLink m_Inherit;
  std::string m_strName;
  cCheckedVector<cCondition> m_vConditions;
  std::int8_t m_nCondMode = 0;
  std::int8_t m_bCondLatch = 0;
  std::int8_t m_nFacing = 0;  // 0 left, 1 right
  std::int8_t m_nExtraCopies = 0;
  std::int16_t m_nStepXBase = 0;
  std::int16_t m_nStepX = 0;
  std::int16_t m_nStepYBase = 0;
  std::int16_t m_nStepY = 0;
  std::int8_t m_bMirrorX = 0;
  std::int8_t m_bMirrorY = 0;
  std::int16_t m_nGraphic = 0;
  std::int8_t m_nGraphicSrc = 0;  // sprite kind: 0 block, 1 chara, 2 item, 3 shot, 4 special bitmap
  std::int16_t m_nGraphicCol = 0;
  std::int16_t m_nAnimeSet = 0;
  std::int8_t m_nZ = 0;
  std::int8_t m_bTransparent = 0;
  std::int16_t m_nSpawnEffect = 0;  // CharaEffect entry
  std::int8_t m_nSpawnEffectMode = 0;
  std::int8_t m_nSpawnEffectParam = 0;
  std::int16_t m_nVanishEffect = 0;  // CharaEffect entry
  std::int8_t m_nVanishEffectMode = 0;
  std::int8_t m_bMark = 0;
  std::int16_t m_nMark = 0;
  std::int8_t m_nOperator = 0;  // 0 the player, 1 the computer
  std::int8_t m_nPlayerNo = 0;
  std::int8_t m_nGroup = 0;
  std::int8_t m_nCharaId = 0;
  std::int8_t m_nFlying = 0;
  std::int8_t m_bFixedFacing = 0;
  std::int8_t m_nInvincible = 0;
  std::int8_t m_nInvincibleTint = 0;
  std::int8_t m_bBlockChara = 0;
  std::int8_t m_nGiant = 0;  // size factor 1..10
  std::int8_t m_bScrollSync = 0;
  std::int8_t m_nSightShape = 0;
  std::int8_t m_nSight = 0;
  std::int32_t m_nMaxHp = 0;
  std::int32_t m_nMaxSp = 0;
  std::int16_t m_nStopEase = 0;
  std::int8_t m_nBoxChoice = 0;
  std::int32_t m_nBodyPower = 0;
  std::int8_t m_nBodyImpact = 0;
  std::int16_t m_nEffect = 0;  // Effect entry
  std::int32_t m_nDefence = 0;
  std::int8_t m_nImpactResist = 0;
  std::int32_t m_nScore = 0;
  std::int8_t m_nSetting55 = 0;  // kept, inherited and copied; the player does not read it
  std::int8_t m_bGroupActivation = 0;
  std::int16_t m_nActivationGroup = 0;
  std::int8_t m_nActiveRange = 0;
  std::int8_t m_nActivationRule = 0;
  cCheckedVector<cFlow> m_vFlows;

 private:
  void Upgrade(int version);
};
