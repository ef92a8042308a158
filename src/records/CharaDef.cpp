#include "records/CharaDef.h"

#include <algorithm>

#include "records/DefinitionGroups.h"
#include "records/SpriteKind.h"
#include "records/Validate.h"

namespace {

using Chara = cCharaDef;

const InheritTable<Chara, kCharaInheritGroups> CharaInheritTable = {
    CopyNameGroup<Chara>,
    [](Chara& d, const Chara& s) {
      d.m_nOperator = s.m_nOperator;
      d.m_nPlayerNo = s.m_nPlayerNo;
    },
    [](Chara& d, const Chara& s) { d.m_nGroup = s.m_nGroup; },
    [](Chara& d, const Chara& s) { d.m_nCharaId = s.m_nCharaId; },
    CopyAppearanceGroup<Chara>,
    [](Chara& d, const Chara& s) { d.m_nFacing = s.m_nFacing; },
    [](Chara& d, const Chara& s) { d.m_nExtraCopies = s.m_nExtraCopies; },
    [](Chara& d, const Chara& s) {
      d.m_nStepXBase = s.m_nStepXBase;
      d.m_nStepX = s.m_nStepX;
      d.m_bMirrorX = s.m_bMirrorX;
    },
    [](Chara& d, const Chara& s) {
      d.m_nStepYBase = s.m_nStepYBase;
      d.m_nStepY = s.m_nStepY;
      d.m_bMirrorY = s.m_bMirrorY;
    },
    [](Chara& d, const Chara& s) {
      d.m_nGraphicSrc = s.m_nGraphicSrc;
      d.m_nGraphic = s.m_nGraphic;
      d.m_nGraphicCol = s.m_nGraphicCol;
    },
    [](Chara& d, const Chara& s) { d.m_nAnimeSet = s.m_nAnimeSet; },
    [](Chara& d, const Chara& s) { d.m_nZ = s.m_nZ; },
    [](Chara& d, const Chara& s) { d.m_bTransparent = s.m_bTransparent; },
    [](Chara& d, const Chara& s) {
      d.m_nSpawnEffect = s.m_nSpawnEffect;
      d.m_nSpawnEffectMode = s.m_nSpawnEffectMode;
      d.m_nSpawnEffectParam = s.m_nSpawnEffectParam;
    },
    [](Chara& d, const Chara& s) {
      d.m_nVanishEffect = s.m_nVanishEffect;
      d.m_nVanishEffectMode = s.m_nVanishEffectMode;
    },
    [](Chara& d, const Chara& s) {
      d.m_bMark = s.m_bMark;
      d.m_nMark = s.m_nMark;
    },
    [](Chara& d, const Chara& s) { d.m_bFixedFacing = s.m_bFixedFacing; },
    [](Chara& d, const Chara& s) { d.m_nFlying = s.m_nFlying; },
    [](Chara& d, const Chara& s) {
      d.m_nInvincible = s.m_nInvincible;
      d.m_nInvincibleTint = s.m_nInvincibleTint;
    },
    [](Chara& d, const Chara& s) { d.m_bBlockChara = s.m_bBlockChara; },
    [](Chara& d, const Chara& s) { d.m_nGiant = s.m_nGiant; },
    [](Chara& d, const Chara& s) { d.m_bScrollSync = s.m_bScrollSync; },
    [](Chara& d, const Chara& s) {
      d.m_nSightShape = s.m_nSightShape;
      d.m_nSight = s.m_nSight;
    },
    [](Chara& d, const Chara& s) { d.m_nMaxHp = s.m_nMaxHp; },
    [](Chara& d, const Chara& s) { d.m_nMaxSp = s.m_nMaxSp; },
    [](Chara& d, const Chara& s) { d.m_nBoxChoice = s.m_nBoxChoice; },
    [](Chara& d, const Chara& s) { d.m_nBodyPower = s.m_nBodyPower; },
    [](Chara& d, const Chara& s) { d.m_nBodyImpact = s.m_nBodyImpact; },
    [](Chara& d, const Chara& s) { d.m_nEffect = s.m_nEffect; },
    [](Chara& d, const Chara& s) { d.m_nDefence = s.m_nDefence; },
    [](Chara& d, const Chara& s) { d.m_nImpactResist = s.m_nImpactResist; },
    [](Chara& d, const Chara& s) { d.m_nStopEase = s.m_nStopEase; },
    [](Chara& d, const Chara& s) {
      d.m_nActiveRange = s.m_nActiveRange;
      d.m_nActivationRule = s.m_nActivationRule;
    },
    [](Chara& d, const Chara& s) {
      d.m_nActivationGroup = s.m_nActivationGroup;
      d.m_bGroupActivation = s.m_bGroupActivation;
    },
    [](Chara& d, const Chara& s) { d.m_nScore = s.m_nScore; },
    [](Chara& d, const Chara& s) { d.m_nSetting55 = s.m_nSetting55; },
    [](Chara& d, const Chara& s) { d.m_vFlows = s.m_vFlows; },
};

// Files older than a group's version lack its flag: the flags from `group` on
// move up one place (the last is lost) and the new group is inherited.
void InsertInheritedGroup(cCheckedVector<BYTE>& flags, size_t group) {
  flags.resize(kCharaInheritGroups, 0);
  std::copy_backward(flags.begin() + static_cast<std::ptrdiff_t>(group), flags.end() - 1, flags.end());
  flags[group] = 1;
}

}  // namespace

void cCharaDef::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField1(m_Inherit.nInheritSrc);
  AddField2(m_Inherit.nInheritIdx);
  AddField1(m_nCondMode);
  AddField1(m_bCondLatch);
  AddField1(m_nFacing);
  AddField1(m_nExtraCopies);
  AddField2(m_nStepXBase);
  AddField2(m_nStepX);
  AddField2(m_nStepYBase);
  AddField2(m_nStepY);
  AddField1(m_bMirrorX);
  AddField1(m_bMirrorY);
  AddField2(m_nGraphic);
  AddField1(m_nGraphicSrc);
  AddField2(m_nGraphicCol);
  AddField2(m_nAnimeSet);
  AddField1(m_nZ);
  AddField1(m_bTransparent);
  AddField2(m_nSpawnEffect);
  AddField1(m_nSpawnEffectMode, 196);
  AddField1(m_nSpawnEffectParam);
  AddField2(m_nVanishEffect);
  AddField1(m_nVanishEffectMode, 196);
  AddField1(m_bMark);
  AddField2(m_nMark);
  AddField1(m_nOperator);
  AddField1(m_nPlayerNo);
  AddField1(m_nGroup);
  AddField1(m_nCharaId);
  AddField1(m_nFlying);
  AddField1(m_bFixedFacing);
  AddField1(m_nInvincible);
  AddField1(m_nInvincibleTint, 285);
  AddField1(m_bBlockChara);
  AddField1(m_nGiant);
  AddField1(m_bScrollSync, 210);
  AddField1(m_nSightShape);
  AddField1(m_nSight);
  AddField4(m_nMaxHp);
  AddField4(m_nMaxSp);
  AddField2(m_nStopEase);
  AddField1(m_nBoxChoice, 201);
  AddField4(m_nBodyPower);
  AddField1(m_nBodyImpact);
  AddField2(m_nEffect);
  AddField4(m_nDefence, 168);
  AddField1(m_nImpactResist);
  AddField4(m_nScore);
  AddField1(m_nSetting55);
  AddField1(m_bGroupActivation);
  AddField2(m_nActivationGroup);
  AddField1(m_nActiveRange);
  AddField1(m_nActivationRule);
  AddStrField(m_strName);
}

void cCharaDef::SetDefault() {
  ResetFields();
  m_nMapX = m_nMapY = 0;
  m_nCarriedItem = 0;
  m_Inherit.InheritFlags.assign(kCharaInheritGroups, 0);
  m_vConditions.clear();
  m_vFlows.clear();
  m_nMaxHp = 10;
  m_nStopEase = 10;
  m_nOperator = 1;
  m_nGroup = 1;
  m_nZ = 3;
  m_nSpawnEffectParam = 1;
  m_nGraphicSrc = 1;
  m_nGiant = 1;
  m_bFixedFacing = 1;
  m_nSetting55 = 1;
}

void cCharaDef::Upgrade(int version) {
  auto& flags = m_Inherit.InheritFlags;
  if (version < 168) {
    m_nDefence = 0;
    InsertInheritedGroup(flags, 27);
  }
  if (version < 196) m_nSpawnEffectMode = m_nVanishEffectMode = 0;
  if (version < 201) {
    m_nBoxChoice = 0;
    InsertInheritedGroup(flags, 24);
  }
  // The whole-cell box moved from 2 to 3.
  if (version < 206 && m_nBoxChoice > 1) ++m_nBoxChoice;
  if (version < 210) {
    m_bScrollSync = 0;
    InsertInheritedGroup(flags, 21);
  }
  m_nGraphic = UpgradeDefinitionChip(version, m_nGraphicSrc, m_nGraphic);
  if (version < 285) m_nInvincibleTint = 1;
}

void cCharaDef::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  m_nMapX = in.Read<std::int16_t>();
  m_nMapY = in.Read<std::int16_t>();
  m_nCarriedItem = in.ReadI32();
  m_Inherit.LoadFlags(in, kCharaInheritGroups);
  LoadConditions(m_vConditions, in, ctx);
  LoadFlows(m_vFlows, in, ctx);
  if (ctx.ErasesMarkedFlows()) EraseMarkedFlows(m_vFlows);
  if (in.Version() < nCurVersion) Upgrade(in.Version());
  Inherit(ctx);
  Validate(ctx);
}

void cCharaDef::Save(cRecordWriter& out, const cLoadContext& ctx) {
  Validate(ctx);
  cDataRecord::Save(out, ctx);
  out.Write(m_nMapX);
  out.Write(m_nMapY);
  out.Write(m_nCarriedItem);
  m_Inherit.SaveFlags(out);
  SaveRecordList(out, ctx, m_vConditions);
  SaveRecordList(out, ctx, m_vFlows);
}

void cCharaDef::Inherit(const cLoadContext& ctx) { InheritFromPalette(*this, m_Inherit, ctx, CharaInheritTable); }

void cCharaDef::Validate(const cLoadContext& ctx) {
  ValidateInheritRef<cCharaDef>(m_Inherit, ctx);
  if (m_nGraphicSrc == SPRITEKIND_SPECIAL)
    ResetIndexIfOutside(m_nGraphic, ctx.db.nBmpCharaExc, 1, "chara special bitmap", ctx);
  RaiseIfBelow(m_nGiant, 1, 1, "chara giant", ctx);
  ResetIndexIfOutside(m_nAnimeSet, ctx.db.nAnimeSet, 0, "chara anime set", ctx);
  ResetIndexIfOutside(m_nSpawnEffect, ctx.db.nCharaEffect, 0, "chara spawn effect", ctx);
  ResetIndexIfOutside(m_nVanishEffect, ctx.db.nCharaEffect, 0, "chara vanish effect", ctx);
  ResetIndexIfOutside(m_nEffect, ctx.db.nEffect, 0, "chara effect", ctx);
  for (cFlow& flow : m_vFlows) ValidateFlow(flow, ctx);
  std::erase_if(m_vFlows, [](const cFlow& flow) { return flow.IsEmpty(); });
}

double cCharaDef::GetStepX(int n, int facing) const {
  return StepOffset(n, m_nStepX, m_nStepXBase, facing == 1 && m_bMirrorX);
}
double cCharaDef::GetStepY(int n, int facing) const {
  return StepOffset(n, m_nStepY, m_nStepYBase, facing == 1 && m_bMirrorY);
}
