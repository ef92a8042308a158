#include "records/EdSettings.h"

#include "records/Validate.h"

void cEdMove::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField1(m_nTargetMode);
  AddField1(m_nDirection);
  AddField2(m_nAngle);
  AddField2(m_nAngleStep);
  AddField1(m_bMirrorAngle, 158);
  AddField1(m_bUseTargetX);
  AddField1(m_bUseTargetY);
  AddField2(m_nTargetCellX);
  AddField2(m_nTargetCellY);
  AddField2(m_nTargetDotX);
  AddField2(m_nTargetDotY);
  AddField1(m_nCoordMode);
  AddField1(m_bStopOnArrival);
  AddField1(m_bNoMoveX);
  AddField1(m_bNoMoveY);
  AddField1(m_bMirrorX);
  AddField1(m_bMirrorY);
  AddField1(m_bReverseOnTurn);
  AddField1(m_bSnap);
  AddField1(m_bKeepFacing, 162);
  AddField1(m_nTimeMode);
  AddField2(m_nSpeed);
  AddField2(m_nSpeedStep);
  AddField2(m_nDistance);
  AddField2(m_nDistanceStep);
  AddField1(m_nDistanceUnit, 159);
  AddField2(m_nRadius);
  AddField2(m_nRadiusStep);
  AddField1(m_bInertia);
  AddField2(m_nMaxSpeed);
  AddField8(m_dBrake);
  AddField1(m_bNoMoveAnime, 162);
}

void cEdMove::SetDefault() {
  ResetFields();
  m_bMirrorAngle = 1;
  m_bUseTargetX = 1;
  m_bUseTargetY = 1;
  m_bStopOnArrival = 1;
  m_bMirrorX = 1;
  m_bReverseOnTurn = 1;
  m_nSpeed = 10;
  m_dBrake = 1.0;
}

void cEdMove::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  // Members that older files lack would otherwise keep the new record's defaults.
  const int version = in.Version();
  if (version >= nCurVersion) return;
  if (version < 158) m_bMirrorAngle = 0;
  if (version < 159) m_nDistanceUnit = 0;
  if (version < 162) {
    m_bKeepFacing = 0;
    m_bNoMoveAnime = 0;
  }
}

void cEdShot::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField1(m_nShotCount);
  AddField1(m_nPattern);
  AddField2(m_nPatternParam);
  AddField1(m_nPatternBase, 671);
  AddField1(m_nDirection);
  AddField1(m_bAim);
  AddField2(m_nAngle);
  AddField2(m_nAngleStep);
  AddField1(m_bMirrorAngle, 158);
  AddField2(m_nSpread);
  AddField1(m_bRotateRow);
  AddField1(m_nRepeat);
  AddField2(m_nOffsetX);
  AddField2(m_nOffsetXStep);
  AddField2(m_nOffsetY);
  AddField2(m_nOffsetYStep);
  AddField1(m_bMirrorOffsetX);
  AddField1(m_bMirrorOffsetY);
  AddField2(m_nShotGraphic);
  AddField1(m_nDrawLayer);
  AddField1(m_bHidden);
  AddField1(m_bUserFaction);
  AddField1(m_nFaction);
  AddField1(m_nSetting24);
  AddField1(m_nScale);
  AddField1(m_nSetting26);
  AddField1(m_nTrajectory);
  AddField2(m_nTrajParam);
  AddField1(m_bScrollCarry, 211);
  AddField2(m_nSpeed);
  AddField2(m_nSpeedStep);
  AddField1(m_bAccel, 213);
  AddField2(m_nAccel, 213);
  AddField2(m_nAccelStep, 213);
  // The range is stored before its flag.
  AddField2(m_nRange);
  AddField1(m_bRange);
  AddField2(m_nRangeStep);
  AddField1(m_bStopAtRange);
  AddField1(m_bLifetime);
  AddField2(m_nLifetime);
  AddField2(m_nLifetimeStep);
  AddField1(m_nBlockPass);
  AddField1(m_bPierceChara);
  AddField1(m_bPierceBlockChara, 636);
  AddField1(m_bCancelable);
  AddField1(m_nStrength);
  AddField4(m_nPower);
  AddField2(m_nSetting48);
  AddField1(m_nImpact);
  AddField2(m_nHitEffect);
  AddField1(m_nItemSource);
  AddField2(m_nItemIndex);
  AddField1(m_nBlockSummonMode);
  // The two guards are stored before the summon palette.
  AddField1(m_bNotOverHero);
  AddField1(m_bNotOverChara, 197);
  AddField1(m_nSummonPalette);
  AddField2(m_nSummonIndex);
  AddField1(m_nSummonFactionMode);
  AddField1(m_bNoScore);
  AddField1(m_bSummonReverse);
}

void cEdShot::SetDefault() {
  ResetFields();
  m_bUserFaction = 1;
  m_bMirrorAngle = 1;
  m_bMirrorOffsetX = 1;
  m_nScale = 1;
}

void cEdShot::Normalize(const cLoadContext& ctx) {
  RaiseIfBelow(m_nScale, 1, 1, "shot size", ctx);
  ResetIndexIfOutside(m_nHitEffect, ctx.db.nEffect, 0, "shot hit effect", ctx);
}

void cEdShot::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  const int version = in.Version();
  if (version < nCurVersion) {
    if (version < 158) m_bMirrorAngle = 0;
    if (version < 197) m_bNotOverChara = m_bNotOverHero;
    if (version < 212) m_bScrollCarry = m_nTrajectory >= 4 && m_nTrajectory <= 7 ? 1 : 0;
    if (version < 213) {
      m_bAccel = 0;
      m_nAccel = 0;
      m_nAccelStep = 0;
    }
    if (version < 636) m_bPierceBlockChara = m_bPierceChara;
    if (version < 671) m_nPatternBase = 0;
  }
  Normalize(ctx);
}

void cEdShot::Save(cRecordWriter& out, const cLoadContext& ctx) {
  Normalize(ctx);
  cDataRecord::Save(out, ctx);
}

double cEdShot::GetStepX(int n, int facing) const {
  return StepOffset(n, m_nOffsetXStep, m_nOffsetX, facing == 1 && m_bMirrorOffsetX);
}
double cEdShot::GetStepY(int n, int facing) const {
  return StepOffset(n, m_nOffsetYStep, m_nOffsetY, facing == 1 && m_bMirrorOffsetY);
}

void NewEdMove(boost::shared_ptr<cEdMove>& ptr) { ptr = boost::make_shared<cEdMove>(); }
void NewEdShot(boost::shared_ptr<cEdShot>& ptr) { ptr = boost::make_shared<cEdShot>(); }
