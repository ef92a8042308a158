#include "Definitions.h"

#include <utility>

#include "Flows.h"
#include "library/util/Text.h"
#include "records/FlowEnums.h"

namespace mkproject {

namespace {

// Block effect kind 1: the hero standing on the block jumps X hbl (16 dots) high.
constexpr int kEffectJump = 1;
// High enough to land on the upper platforms, seven cells above the floor.
constexpr int kJumpBlockHeight = 16;
// System value 0 of a status condition: the seconds left.
constexpr int kSystemTimeLeft = 0;
// Enemy walking speeds, tenths of a dot per frame.
constexpr int kSlowWalk = 10;
constexpr int kFastWalk = 15;

cBlockDef Block(const char* name, int chip, int hitKind) {
  cBlockDef block;
  block.m_strName = Sjis(name);
  block.m_nChip = static_cast<std::int16_t>(chip);
  block.m_nHitKind = static_cast<std::int8_t>(hitKind);
  return block;
}

// Character graphics are numbered down the sheets' rows; 0 is left unused.
cCharaDef Chara(const char* name, int graphic, int hp) {
  cCharaDef chara;
  chara.m_strName = Sjis(name);
  chara.m_nGraphic = static_cast<std::int16_t>(graphic);
  chara.m_nGraphicSrc = SPRITEKIND_CHARA;
  chara.m_nAnimeSet = 1;
  chara.m_nMaxHp = hp;
  chara.m_nCarriedItem = -1;
  return chara;
}

// A bridge is there once the stage's time has run down by kBridgeSeconds.
cBlockDef Bridge() {
  cBlockDef bridge = Block("橋", 4, kBlockHitSolid);
  cCondition timeLeft;
  timeLeft.m_nKind = COND_STATUS;
  timeLeft.m_nSubject = 2;  // the system
  timeLeft.m_nSelector = kSystemTimeLeft;
  timeLeft.m_nOperator = CMP_LESS_EQUAL;
  timeLeft.m_nValue = kStageTimeLimit - kBridgeSeconds;
  bridge.m_vConditions.assign(1, timeLeft);
  bridge.m_bCondLatch = 1;
  return bridge;
}

cCharaDef Hero() {
  cCharaDef hero = Chara("主人公", 1, 3);
  hero.m_nOperator = 0;
  hero.m_nGroup = 0;
  hero.m_nFacing = 1;
  hero.m_bFixedFacing = 0;
  hero.m_vFlows = HeroFlows();
  hero.m_nVanishEffect = kMosaicVanish;
  hero.m_vFlows.push_back(HitFlash());
  return hero;
}

// The enemies' side: they hurt the hero on contact, and its attacks hurt them.
constexpr int kEnemyFaction = 1;
// Flight setting 2: flies, and collides with blocks.
constexpr int kFlyingColliding = 2;

// Enemies keep their facing fixed so that their turn command turns them at walls.
cCharaDef Enemy(const char* name, int graphic, cCheckedVector<cFlow> flows) {
  cCharaDef enemy = Chara(name, graphic, 1);
  enemy.m_nGroup = kEnemyFaction;
  enemy.m_nBodyPower = 1;
  enemy.m_nScore = 100;
  enemy.m_bFixedFacing = 1;
  enemy.m_nEffect = kSparkEffect;  // sparks where it touches
  enemy.m_vFlows = std::move(flows);
  return enemy;
}

// A block character the hero stands on and rides.
cCharaDef Lift() {
  cCharaDef lift = Chara("リフト", 5, 1);
  lift.m_bBlockChara = 1;
  lift.m_nFlying = kFlyingColliding;
  lift.m_nInvincible = 2;   // shots pass through it
  lift.m_nActiveRange = 3;  // acts from the first frame on, seen or not: its timetable is the stage's
  lift.m_vFlows = LiftFlows(kLiftSpeed, kLiftTenths, kLiftRestTenths);
  return lift;
}

cItemDef Item(const char* name, int graphic) {
  cItemDef item;
  item.m_strName = Sjis(name);
  item.m_nGraphic = static_cast<std::int16_t>(graphic);
  item.m_nSound = kCoinSound;
  return item;
}

cItemDef Goal() {
  cItemDef goal = Item("ゴール", 2);
  cFlowCommand clear;
  clear.m_bItemCommand = 1;
  clear.m_nType = ITEMCMD_STAGE_CLEAR;
  clear.m_vParams.assign(static_cast<std::size_t>(ItemCommandParamCounts[ITEMCMD_STAGE_CLEAR]), 0);
  goal.m_vCommands.assign(1, clear);
  return goal;
}

}  // namespace

void FillPalette(cPalette& palette) {
  cBlockDef jump = Block("ジャンプ台", 3, kBlockHitSolid);
  jump.m_nEffectKind = kEffectJump;
  jump.m_nEffectValue = kJumpBlockHeight;
  palette.m_Blocks = {cBlockDef(), Block("地面", 1, kBlockHitSolid), Block("トゲ", 2, kBlockHitDeadly), jump, Bridge()};
  palette.m_Charas = {cCharaDef(),
                      Hero(),
                      Enemy("のろい敵", 2, PatrolFlows(kSlowWalk)),
                      Enemy("跳ねる敵", 3, HopperFlows(kFastWalk)),
                      Lift(),
                      Enemy("撃つ敵", 4, ShooterFlows())};
  palette.m_Charas[kSlowEnemy].m_nVanishEffect = kTurningVanish;
  palette.m_Charas[kHoppingEnemy].m_nVanishEffect = kTintVanish;
  cItemDef coin = Item("コイン", 1);
  coin.m_vCommands = CoinCommands();
  coin.m_vCommands.push_back(CoinMessage());
  coin.m_bShowGraphic = 1;  // its icon rises over the hero
  palette.m_Items = {cItemDef(), coin, Goal()};
}

}  // namespace mkproject
