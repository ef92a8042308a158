#include "Definitions.h"

#include "Flows.h"
#include "library/util/Text.h"
#include "records/FlowEnums.h"

namespace mkproject {

namespace {

// Block effect kind 1: characters standing on the block jump X hbl high.
constexpr int kEffectJump = 1;

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

cCharaDef Hero() {
  cCharaDef hero = Chara("主人公", 1, 3);
  hero.m_nOperator = 0;
  hero.m_nGroup = 0;
  hero.m_nFacing = 1;
  hero.m_bFixedFacing = 0;
  hero.m_vFlows = HeroFlows();
  return hero;
}

cCharaDef Enemy(const char* name, int graphic, int speed) {
  cCharaDef enemy = Chara(name, graphic, 1);
  enemy.m_nBodyPower = 1;
  enemy.m_nScore = 100;
  enemy.m_vFlows = WalkerFlows(speed);
  return enemy;
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
  jump.m_nEffectValue = 10;
  palette.m_Blocks = {cBlockDef(), Block("地面", 1, kBlockHitSolid), Block("トゲ", 2, kBlockHitDeadly), jump};
  palette.m_Charas = {cCharaDef(), Hero(), Enemy("のろい敵", 2, 5), Enemy("速い敵", 3, 12)};
  palette.m_Items = {cItemDef(), Item("コイン", 1), Goal()};
}

}  // namespace mkproject
