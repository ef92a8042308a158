#include "stage/StageRules.h"

#include <algorithm>

#include "flow/Interpreter.h"
#include "gamedata/SaveData.h"
#include "library/draw/Draw.h"
#include "library/util/FrameTiming.h"
#include "stage/Collision.h"
#include "stage/SpriteSource.h"

namespace {

constexpr int kClearTimeCap = 599999;

// Shared by blocks, characters and items: an empty list always holds, a latched
// appearance holds while the latch switch is on, and holding sets the latch.
template <typename Def, typename Latch>
int CheckAppear(cStagePlayScene& scene, const Def& def, Latch& latched, cChara& subject) {
  if (def.m_vConditions.empty()) return 1;
  if (def.m_bCondLatch && latched) return 1;
  if (!CheckConditionList(scene, def.m_vConditions, def.m_nCondMode, subject)) return 0;
  latched = 1;
  return 1;
}

}  // namespace

int CheckBlockAppear(cStagePlayScene& scene, MAPCELL& cell) {
  // Without a hero there is no subject to test the conditions on: the block stands as placed.
  if (!scene.HasHero()) return 1;
  return CheckAppear(scene, cell.block, cell.nAppeared, scene.Hero());
}

int CheckCharaAppear(cStagePlayScene& scene, cNpc& chara) {
  return CheckAppear(scene, chara.m_Def, chara.m_bAppeared, chara);
}

int CheckItemAppear(cStagePlayScene& scene, cItem& item) {
  if (!scene.HasHero()) return item.m_Def.m_vConditions.empty();
  return CheckAppear(scene, item.m_Def, item.m_bAppeared, scene.Hero());
}

void UpdateActiveFlags(cStagePlayScene& scene) {
  if (scene.HasHero()) scene.Hero().m_bActive = scene.Hero().m_bOnScreen = 1;
  scene.m_GroupAwake.assign(kWakeGroups, 0);
  for (cNpc& c : scene.CharaList) {
    if (c.m_bRemoved) continue;
    if (CheckCharaAppear(scene, c)) {
      c.m_bActive = 1;
      c.m_bOnScreen = c.IsOnScreen();
      c.UpdateInView(scene.m_GroupAwake);
    } else {
      c.m_bActive = c.m_bOnScreen = 0;
    }
  }
  // After every character was seen, so that one member in view wakes its whole group.
  for (cNpc& c : scene.CharaList)
    if (!c.m_bRemoved) c.m_bAwake = c.m_bActive && c.IsAwake(scene.m_GroupAwake) ? 1 : 0;
  for (cItem& item : scene.ItemList) {
    if (item.m_bRemoved) continue;
    item.m_bActive = CheckItemAppear(scene, item);
    item.m_bOnScreen = item.m_bActive && item.IsOnScreen();
  }
  for (cShot& shot : scene.m_ShotList) {
    if (shot.m_bRemoved) continue;
    shot.m_bActive = 1;
    shot.m_bOnScreen = shot.IsOnScreen();
  }
}

void RequestBgm(cStagePlayScene& scene, int tune, int value) {
  if (PlayData) PlayData->nBgmParam = value;
  scene.Hooks().PlayStageBgm(tune);
}

void UpdatePlayTime(cStagePlayScene& scene) {
  if (scene.m_nClearTime >= kClearTimeCap) return;
  ++scene.m_nPlayFrames;
  // Hundredths of a second at 60 frames a second, whatever the stage's own rate.
  scene.m_nClearTime =
      std::min(static_cast<int>(static_cast<long long>(scene.m_nPlayFrames) * 100 / 60), kClearTimeCap);
}

int UpdateTimeLimit(cStagePlayScene& scene, int change) {
  if (scene.m_bNoTimeLimit) return 0;
  if (!FrameCounter(1, 60)) return 0;
  // In 64 bits: the time left starts wherever the stage file says.
  const long long left = static_cast<long long>(scene.m_nTimeLeft) + change;
  scene.m_nTimeLeft = static_cast<int>(std::clamp<long long>(left, 0, 999));
  return left > 0 ? 0 : 1;
}

namespace {

enum BlockEffect : int {
  EFFECT_NONE,
  EFFECT_SPRING,
  EFFECT_NO_JUMP,
  EFFECT_SPEED,
  EFFECT_PUSH_LEFT,
  EFFECT_PUSH_RIGHT
};

void StartBlockEffect(cStagePlayScene& scene, cPlayer& hero, const cBlockDef& block) {
  const int steps = scene.m_Rules.nSteps;
  const int kind = block.m_nEffectKind;
  switch (kind) {
    case EFFECT_SPRING: {
      scene.Hooks().RequestSe(10);
      const int height = static_cast<std::int8_t>(block.m_nEffectValue & 0xFF);
      hero.m_dVy = JumpSpeedForHeight(hero, height);
      hero.m_bJumpStarted = hero.m_bJumping = 1;
      hero.m_bJumpReady = 0;
      hero.m_nJumpHold = JumpStepsForSpeed(hero.m_dVy);
      break;
    }
    case EFFECT_NO_JUMP:
      hero.m_bJumpForbidden = 1;
      break;
    case EFFECT_SPEED:
      hero.m_nFloorEffect = kind;
      hero.m_dFloorFactor = block.m_nEffectValue * 0.01;
      hero.m_nFloorTimer = steps;
      break;
    case EFFECT_PUSH_LEFT:
    case EFFECT_PUSH_RIGHT:
      hero.m_nFloorEffect = kind;
      hero.m_dFloorFactor = block.m_nEffectValue * 0.1 / steps;
      hero.m_nFloorTimer = steps;
      break;
    default:
      break;
  }
  if (kind != EFFECT_NO_JUMP) hero.m_bJumpForbidden = 0;
}

void RunFloorEffect(cPlayer& hero) {
  switch (hero.m_nFloorEffect) {
    case EFFECT_SPEED:
      hero.m_dVx *= hero.m_dFloorFactor;
      break;
    case EFFECT_PUSH_LEFT:
      hero.m_dVx -= hero.m_dFloorFactor;
      if (hero.m_dMoveVx > 0) hero.m_dMoveVx = 0;
      break;
    case EFFECT_PUSH_RIGHT:
      hero.m_dVx += hero.m_dFloorFactor;
      if (hero.m_dMoveVx < 0) hero.m_dMoveVx = 0;
      break;
    default:
      break;
  }
  if (--hero.m_nFloorTimer == 0 && hero.m_dVy >= 0) hero.m_dVy += 1;
}

}  // namespace

int ApplyBlockEffect(cStagePlayScene& scene, cPlayer& hero) {
  if (hero.m_bFlying) return 0;
  if (hero.m_nFootCell != kNoCell && hero.m_nFloorTimer <= 0) {
    MAPCELL& cell = scene.CellAt(hero.m_nFootCell);
    if (GetBlockHit(cell, hero.m_nFaction)) StartBlockEffect(scene, hero, cell.block);
  }
  if (hero.m_nFloorTimer > 0) RunFloorEffect(hero);
  return 0;
}

int ApplyBlockItem(cStagePlayScene& scene, cPlayer& hero) {
  if (hero.m_bFlying) return 0;
  bool used = false;
  if (hero.m_nFootCell != kNoCell && hero.m_nItemBlockCooldown == 0) {
    MAPCELL& cell = scene.CellAt(hero.m_nFootCell);
    const cItemDef* def =
        GetBlockHit(cell, hero.m_nFaction) ? FindPaletteItem(cell.block.m_nItemSrc, cell.block.m_nItemIdx) : nullptr;
    if (def) {
      if (int result = UseItemDef(*def, hero)) return result;
      hero.m_nItemBlockCooldown = scene.m_Rules.nSteps * 60;
      used = true;
    }
  }
  if (hero.m_nItemBlockCooldown <= 0) return 0;
  if (hero.m_bAirborne) {
    hero.m_nItemBlockCooldown = 0;
    return 0;
  }
  if (hero.m_nItemBlockCooldown > 0) --hero.m_nItemBlockCooldown;
  // Stepping onto another cell ends the wait, so that a neighbouring item block acts next.
  if (!used && hero.m_nFootCell != kNoCell && hero.m_nLandedCell != hero.m_nPrevLandedCell) {
    hero.m_nItemBlockCooldown = 0;
    if (hero.m_dVy >= 0) hero.m_dVy += 1;
  }
  return 0;
}

bool cStageRecordHooks::CheckBlockAppear(MAPCELL& cell) {
  return CurrentPlayScene && ::CheckBlockAppear(*CurrentPlayScene, cell);
}

bool cStageRecordHooks::SetSpriteSource(int spriteKind, int a, int b, SPRITESOURCE& source) {
  ::SetSpriteSource(source, SPRITEMODE_ICON, spriteKind, a, b, nullptr, 0);
  return source.lpSurface != nullptr;
}
