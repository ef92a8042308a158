// The hero status carried from stage to stage: 25 items, each a group of the
// character definition's members or one of the player's live values.
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "records/StageData.h"

namespace {

using CharaCopy = void (*)(cCharaDef& to, const cCharaDef& from);

// The definition members of each item; null for the items of live values.
constexpr CharaCopy kCharaItems[CARRY_ITEM_COUNT] = {
    [](cCharaDef& t, const cCharaDef& f) {
      t.m_nGraphic = f.m_nGraphic;
      t.m_nGraphicSrc = f.m_nGraphicSrc;
      t.m_nGraphicCol = f.m_nGraphicCol;
    },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nAnimeSet = f.m_nAnimeSet; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nZ = f.m_nZ; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_bTransparent = f.m_bTransparent; },
    [](cCharaDef& t, const cCharaDef& f) {
      t.m_nSpawnEffect = f.m_nSpawnEffect;
      t.m_nSpawnEffectMode = f.m_nSpawnEffectMode;
      t.m_nSpawnEffectParam = f.m_nSpawnEffectParam;
    },
    [](cCharaDef& t, const cCharaDef& f) { t.m_bFixedFacing = f.m_bFixedFacing; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nFlying = f.m_nFlying; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nInvincible = f.m_nInvincible; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nGiant = f.m_nGiant; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_bScrollSync = f.m_bScrollSync; },
    [](cCharaDef& t, const cCharaDef& f) {
      t.m_nSightShape = f.m_nSightShape;
      t.m_nSight = f.m_nSight;
    },
    nullptr,  // 11: hit points
    nullptr,  // 12: SP
    [](cCharaDef& t, const cCharaDef& f) { t.m_nMaxHp = f.m_nMaxHp; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nMaxSp = f.m_nMaxSp; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nBoxChoice = f.m_nBoxChoice; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nBodyPower = f.m_nBodyPower; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nBodyImpact = f.m_nBodyImpact; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nDefence = f.m_nDefence; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nImpactResist = f.m_nImpactResist; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_nStopEase = f.m_nStopEase; },
    [](cCharaDef& t, const cCharaDef& f) { t.m_vFlows = f.m_vFlows; },
    nullptr,  // 22: time left
    nullptr,  // 23: lives
    nullptr,  // 24: stage music
};

constexpr int kItemGraphic = 0, kItemCharaEffect = 4, kItemHp = 11, kItemSp = 12, kItemTime = 22, kItemLives = 23,
              kItemBgm = 24;

bool CarryFlag(int item) { return CurrentSystemData().m_CarryFlags.VecAt(item) != 0; }

}  // namespace

bool cSaveData::IsCarried(int item) const { return CarryFlag(item) && CarrySwitch.VecAt(item) != 0; }

void cSaveData::StoreHeroStatus(int player, const cCharaDef& chara, const CarryLiveValues& live) {
  bHeroCarried = 1;
  cHeroStatus& status = HeroStatus.VecAt(player);
  for (int item = 0; item < CARRY_ITEM_COUNT; ++item) {
    if (!CarryFlag(item)) continue;
    switch (item) {
      case kItemCharaEffect:
        status.Chara.m_nSpawnEffect = live.nCharaEffect;
        status.Chara.m_nSpawnEffectMode = live.nCharaEffectMode;
        status.Chara.m_nSpawnEffectParam = live.nCharaEffectParam;
        break;
      case kItemHp:
        status.nHpCarry = live.nHp;
        break;
      case kItemSp:
        status.nSpCarry = live.nSp;
        break;
      case kItemTime:
        status.nTimeCarry = live.nTimeLeft;
        break;
      case kItemLives:
        status.nLifeCarry = live.nLives;
        break;
      case kItemBgm:
        status.nBgmCarry = live.nBgm;
        break;
      default:
        kCharaItems[item](status.Chara, chara);
        break;
    }
    CarrySwitch.VecAt(item) = 1;
  }
}

void cSaveData::RestoreHeroStatus(int player, cCharaDef& chara, cStageData& stage) {
  if (!bHeroCarried) return;
  const cHeroStatus& status = HeroStatus.VecAt(player);
  for (int item = 0; item < CARRY_ITEM_COUNT; ++item) {
    if (!IsCarried(item)) continue;
    if (kCharaItems[item]) kCharaItems[item](chara, status.Chara);
    if (item == kItemGraphic && chara.m_nGraphic == 0) chara.m_nGraphic = 1;
    if (item == kItemTime) stage.m_nTimeLimit = status.nTimeCarry;
    if (item == kItemLives) nLife = status.nLifeCarry;
    if (item == kItemBgm) stage.m_nBgm = status.nBgmCarry;
  }
}

void cSaveData::RestoreHeroExtra(int player, int& hp, int& sp) {
  if (!bHeroCarried) return;
  const cHeroStatus& status = HeroStatus.VecAt(player);
  if (IsCarried(kItemHp)) hp = status.nHpCarry;
  if (IsCarried(kItemSp)) sp = status.nSpCarry;
}
