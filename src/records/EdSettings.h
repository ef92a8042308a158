#pragma once
// Settings of the movement commands and of the warp (cEdMove), and of the
// shot, sword and summon commands (cEdShot). A flow command owns each through
// a Boost shared pointer; an empty pointer means the command has none.
#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>
#include <cstdint>

#include "records/DataRecord.h"

// The step rule: the value for copy index or repeat n is n x step + base,
// negated when mirrored (a character facing right with the axis' mirror flag set).
inline double StepOffset(int n, int step, int base, bool mirrored) {
  double offset = static_cast<double>(n) * step + base;
  return mirrored ? -offset : offset;
}

class cEdMove final : public cDataRecord {
 public:
  cEdMove() { SetDefault(); }

  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void SetDefault();

  std::int8_t m_nTargetMode = 0;  // straight move: 0 direction, 1 coordinates; warp: 0..2
  std::int8_t m_nDirection = 0;   // direction code 0..12
  std::int16_t m_nAngle = 0;
  std::int16_t m_nAngleStep = 0;
  std::int8_t m_bMirrorAngle = 0;
  std::int8_t m_bUseTargetX = 0;
  std::int8_t m_bUseTargetY = 0;
  std::int16_t m_nTargetCellX = 0;
  std::int16_t m_nTargetCellY = 0;
  std::int16_t m_nTargetDotX = 0;
  std::int16_t m_nTargetDotY = 0;
  std::int8_t m_nCoordMode = 0;
  std::int8_t m_bStopOnArrival = 0;
  std::int8_t m_bNoMoveX = 0;
  std::int8_t m_bNoMoveY = 0;
  std::int8_t m_bMirrorX = 0;
  std::int8_t m_bMirrorY = 0;
  std::int8_t m_bReverseOnTurn = 0;
  std::int8_t m_bSnap = 0;
  std::int8_t m_bKeepFacing = 0;
  std::int8_t m_nTimeMode = 0;
  std::int16_t m_nSpeed = 0;
  std::int16_t m_nSpeedStep = 0;
  std::int16_t m_nDistance = 0;
  std::int16_t m_nDistanceStep = 0;
  std::int8_t m_nDistanceUnit = 0;
  std::int16_t m_nRadius = 0;
  std::int16_t m_nRadiusStep = 0;
  std::int8_t m_bInertia = 0;
  std::int16_t m_nMaxSpeed = 0;
  double m_dBrake = 0;
  std::int8_t m_bNoMoveAnime = 0;
};

class cEdShot final : public cDataRecord {
 public:
  cEdShot() { SetDefault(); }

  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();
  // Size 0 or below becomes 1; a hit effect outside the Effect database becomes 0.
  void Normalize(const cLoadContext& ctx);

  // Offset of repeat n: n x step + base, negated when facing right (1) with the mirror flag set.
  double GetStepX(int n, int facing) const;
  double GetStepY(int n, int facing) const;

  std::int8_t m_nShotCount = 0;
  std::int8_t m_nPattern = 0;  // index into ShotPatternFunc
  std::int16_t m_nPatternParam[3] = {};
  std::int8_t m_nPatternBase = 0;  // reference object: 0 target, 1 hero, 2 shooter
  std::int8_t m_nDirection = 0;
  std::int8_t m_bAim = 0;
  std::int16_t m_nAngle = 0;
  std::int16_t m_nAngleStep = 0;
  std::int8_t m_bMirrorAngle = 0;
  std::int16_t m_nSpread = 0;
  std::int8_t m_bRotateRow = 0;  // turned start
  std::int8_t m_nRepeat = 0;
  std::int16_t m_nOffsetX = 0;
  std::int16_t m_nOffsetXStep = 0;
  std::int16_t m_nOffsetY = 0;
  std::int16_t m_nOffsetYStep = 0;
  std::int8_t m_bMirrorOffsetX = 0;
  std::int8_t m_bMirrorOffsetY = 0;
  std::int16_t m_nShotGraphic = 0;
  std::int8_t m_nDrawLayer = 0;  // the shot's Z order
  std::int8_t m_bHidden = 0;
  std::int8_t m_bUserFaction = 0;  // the shot takes the shooter's group
  std::int8_t m_nFaction = 0;
  std::int8_t m_nSetting24 = 0;  // kept and copied; the player does not read it
  std::int8_t m_nScale = 0;
  std::int8_t m_nSetting26 = 0;   // kept and copied; the player does not read it
  std::int8_t m_nTrajectory = 0;  // the SwordType entry for the sword command
  std::int16_t m_nTrajParam[3] = {};
  std::int8_t m_bScrollCarry = 0;
  std::int16_t m_nSpeed = 0;
  std::int16_t m_nSpeedStep = 0;
  std::int8_t m_bAccel = 0;
  std::int16_t m_nAccel = 0;
  std::int16_t m_nAccelStep = 0;
  std::int8_t m_bRange = 0;
  std::int16_t m_nRange = 0;
  std::int16_t m_nRangeStep = 0;
  std::int8_t m_bStopAtRange = 0;
  std::int8_t m_bLifetime = 0;
  std::int16_t m_nLifetime = 0;
  std::int16_t m_nLifetimeStep = 0;
  std::int8_t m_nBlockPass = 0;
  std::int8_t m_bPierceChara = 0;
  std::int8_t m_bPierceBlockChara = 0;
  std::int8_t m_bCancelable = 0;  // clash flag
  std::int8_t m_nStrength = 0;    // clash strength
  std::int32_t m_nPower = 0;
  std::int16_t m_nSetting48 = 0;  // kept and copied; the player does not read it
  std::int8_t m_nImpact = 0;      // a hit also fires the impact trigger
  std::int16_t m_nHitEffect = 0;
  std::int8_t m_nItemSource = 0;
  std::int16_t m_nItemIndex = 0;
  std::int8_t m_nBlockSummonMode = 0;
  std::int8_t m_nSummonPalette = 0;  // 0 common, 1 stage
  std::int16_t m_nSummonIndex = 0;
  std::int8_t m_nSummonFactionMode = 0;
  std::int8_t m_bNotOverHero = 0;
  std::int8_t m_bNotOverChara = 0;
  std::int8_t m_bNoScore = 0;
  std::int8_t m_bSummonReverse = 0;
};

// A settings pointer that copies of its command never share: copying it gives
// the copy its own object with the same contents (or none).
template <typename T>
class cOwnedSettingsPtr : public boost::shared_ptr<T> {
 public:
  cOwnedSettingsPtr() = default;
  cOwnedSettingsPtr(const cOwnedSettingsPtr& other) : boost::shared_ptr<T>(Clone(other)) {}
  cOwnedSettingsPtr& operator=(const cOwnedSettingsPtr& other) {
    if (this != &other) boost::shared_ptr<T>::operator=(Clone(other));
    return *this;
  }
  cOwnedSettingsPtr(cOwnedSettingsPtr&&) noexcept = default;
  cOwnedSettingsPtr& operator=(cOwnedSettingsPtr&&) noexcept = default;

 private:
  static boost::shared_ptr<T> Clone(const boost::shared_ptr<T>& other) {
    return other ? boost::make_shared<T>(*other) : boost::shared_ptr<T>();
  }
};

using EdMovePtr = cOwnedSettingsPtr<cEdMove>;
using EdShotPtr = cOwnedSettingsPtr<cEdShot>;

// A new object with its defaults, owned by `ptr` alone (what it held is released).
void NewEdMove(boost::shared_ptr<cEdMove>& ptr);
void NewEdShot(boost::shared_ptr<cEdShot>& ptr);
// Empties the pointer, destroying the object when it was the last owner.
template <typename T>
void ResetEdPtr(boost::shared_ptr<T>& ptr) {
  ptr.reset();
}
