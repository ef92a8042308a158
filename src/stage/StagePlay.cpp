#include "stage/StagePlay.h"

#include <cstdint>

#include "flow/Interpreter.h"
#include "gamedata/SaveData.h"
#include "library/util/Random.h"
#include "library/util/Text.h"
#include "platform/Trace.h"
#include "records/FlowEnums.h"
#include "stage/BlockChara.h"
#include "stage/Collision.h"
#include "stage/StageClear.h"
#include "stage/StageRules.h"

namespace {

void TraceHero(cStagePlayScene& scene) {
  if (!platform::TraceOn() || !scene.HasHero()) return;
  std::string line;
  StrFormat(line, "Frame %d hero %.3f,%.3f", scene.m_nFrame, scene.Hero().m_dX, scene.Hero().m_dY);
  platform::TraceLine(line);
}

// FNV-1a over the bytes of the values that decide the play, so that two runs
// of one attempt can be compared frame by frame.
class cDigest {
 public:
  template <typename T>
  void Add(const T& value) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
    for (size_t i = 0; i < sizeof value; ++i) m_hash = (m_hash ^ bytes[i]) * 1099511628211ULL;
  }
  template <typename List>
  void AddAll(const List& values) {
    for (const auto& value : values) Add(value);
  }
  std::uint64_t Value() const { return m_hash; }

 private:
  std::uint64_t m_hash = 14695981039346656037ULL;
};

void AddChara(cDigest& digest, const cChara& c) {
  digest.Add(c.m_nNo);
  digest.Add(c.m_dX);
  digest.Add(c.m_dY);
  digest.Add(c.m_nHp);
  digest.Add(c.m_nSp);
}

// "Digest N H": after frame N every object's place and hit points, the
// variables, the score and lives, the time and the random state, hashed.
void TraceDigest(cStagePlayScene& scene) {
  if (!platform::TraceOn()) return;
  cDigest digest;
  for (const cPlayer& hero : scene.Player) AddChara(digest, hero);
  for (const cNpc& c : scene.CharaList)
    if (!c.m_bRemoved) AddChara(digest, c);
  for (const cItem& item : scene.ItemList) {
    if (item.m_bRemoved) continue;
    digest.Add(item.m_nNo);
    digest.Add(item.m_dX);
    digest.Add(item.m_dY);
  }
  const cSaveData& record = scene.Record();
  digest.AddAll(record.GameValue);
  digest.AddAll(scene.m_StageVar);
  digest.Add(record.nScore);
  digest.Add(record.nStageScore);
  digest.Add(record.nLife);
  digest.Add(scene.m_nTimeLeft);
  digest.Add(crt::randstate());
  std::string line;
  StrFormat(line, "Digest %d %016llx", scene.m_nFrame, static_cast<unsigned long long>(digest.Value()));
  platform::TraceLine(line);
}

void TraceLoss(const char* name) {
  if (platform::TraceOn()) platform::TraceLine(name);
}

// A character's lifetime counts down per step; below 0 it leaves the stage.
void CountLifetimes(cStagePlayScene& scene) {
  for (cNpc& c : scene.CharaList)
    if (!c.m_bRemoved && !c.m_bDying && c.m_nLifeSteps != kUnlimitedLife && --c.m_nLifeSteps < 0) scene.EraseChara(c);
  for (cItem& item : scene.ItemList)
    if (!item.m_bRemoved && item.m_nLifeSteps != kUnlimitedLife && --item.m_nLifeSteps < 0) scene.EraseItem(item);
}

void BeginStep(cChara& c) {
  UpdateInvincibility(c);
  c.ClearBlockContactFlags();
  c.SavePreviousBounds();
}

bool Squeezed(const cChara& c) { return (c.m_bHitLeft && c.m_bHitRight) || (c.m_bHitTop && c.m_bHitBottom); }

// A hero caught between contacts on both sides: the loss is named with the
// four contacts, and the hero goes back to where the step began.
int HeroSqueezed(cPlayer& hero, const char* name) {
  TraceLoss(name);
  if (platform::TraceOn()) {
    std::string line;
    StrFormat(line, "Player[P1].LRUD = %d,%d,%d,%d", hero.m_bHitLeft, hero.m_bHitRight, hero.m_bHitTop,
              hero.m_bHitBottom);
    platform::TraceLine(line);
  }
  hero.RestorePreviousBounds();
  return 2;
}

// After a character's flows: the deaths its status changes caused elsewhere
// (non-zero ends the frame).
int DeathsAfterFlows(cStagePlayScene& scene) { return scene.m_bCheckHero ? CheckHeroDeath() : 0; }

// One step of a computer character (block characters and the others differ
// only in what ends their step); non-zero ends the frame.
int StepChara(cStagePlayScene& scene, cNpc& c, bool blockChara) {
  FireFlowTrigger(c, TRG_ALWAYS);
  if (c.RunFlows(0)) {
    if (c.m_bVanished && !blockChara) {
      scene.EraseChara(c);
      return 0;
    }
    return CharaDown(c);
  }
  if (int result = DeathsAfterFlows(scene)) return result;
  // Removal is deferred: a character those deaths removed just ends its step.
  if (c.m_bRemoved || c.m_bDying) return 0;
  if (!blockChara && c.m_bRiding) CarryRider(c, scene.BlockCharas);
  int moveX = c.MoveStepX();
  int mapX = CollideMapX(c);
  c.ApplyGravity();
  int moveY = c.MoveStepY();
  int mapY = CollideMapY(c);
  bool crushed = mapX == 2 || mapY == 2 || moveY == 7;
  if (!blockChara) {
    crushed = ResolveBlockCharas(c, scene.BlockCharas) == 2 || crushed;
    RecheckMapX(c);
    RecheckMapY(c);
    crushed = crushed || Squeezed(c);
  }
  if (crushed) {
    scene.Hooks().RequestSe(9);
    return CharaDown(c);
  }
  if (moveX == 4 || moveY == 8) {
    scene.EraseChara(c);
    return 0;
  }
  c.DecayImpactX();
  c.DecayImpactY();
  return 0;
}

int CharaPass(cStagePlayScene& scene, bool blockCharas) {
  for (cNpc& c : scene.CharaList) {
    if (c.m_bRemoved || c.m_bDying || !c.m_bActive || !c.m_bAwake) continue;
    if ((c.m_Def.m_bBlockChara != 0) != blockCharas) continue;
    if (int result = StepChara(scene, c, blockCharas)) return result;
  }
  return 0;
}

// The hero's step: its flows, the block under its feet, its moves and map
// collisions in their order. 1 clears the stage, 2 loses the hero.
int StepHero(cStagePlayScene& scene, cPlayer& hero) {
  FireFlowTrigger(hero, TRG_ALWAYS);
  if (hero.RunFlows(0)) return 2;
  if (scene.m_nEndRequest) return scene.m_nEndRequest;
  if (int result = DeathsAfterFlows(scene)) return result;
  if (int result = ApplyBlockEffect(scene, hero)) return result;
  if (hero.m_bRiding) CarryRider(hero, scene.BlockCharas);
  hero.MoveStepX();
  KeepHeroInScreenX(hero);
  if (CollideMapX(hero) == 2) return TraceLoss("Dead 1"), 2;
  KeepHeroInScreenX(hero);
  hero.ApplyGravity();
  if (hero.MoveStepY() == 7) return TraceLoss("Dead 2"), 2;
  if (KeepHeroInScreenY(hero) == 2) return TraceLoss("Dead 3"), 2;
  if (CollideMapY(hero) == 2) return TraceLoss("Dead 4"), 2;
  if (KeepHeroInScreenY(hero) == 2) return TraceLoss("Dead 5"), 2;
  if (Squeezed(hero) && hero.m_nCountdown == 0) return HeroSqueezed(hero, "Dead SP");
  if (ResolveBlockCharas(hero, scene.BlockCharas) == 2 && !hero.m_bDying && hero.m_nCountdown == 0)
    return TraceLoss("Dead 6"), 2;
  if ((hero.m_bHitLeft || hero.m_bHitRight) && RecheckMapX(hero) == 2 && hero.m_nCountdown == 0)
    return TraceLoss("Dead 7"), 2;
  if ((hero.m_bHitTop || hero.m_bHitBottom) && RecheckMapY(hero) == 2 && hero.m_nCountdown == 0)
    return TraceLoss("Dead 8"), 2;
  if (Squeezed(hero) && hero.m_nCountdown == 0) return HeroSqueezed(hero, "Dead 9");
  hero.DecayImpactX();
  hero.DecayImpactY();
  return 0;
}

// In the first step of a frame: what left the area by the stage's rules goes.
void RemoveOutOfArea(cStagePlayScene& scene) {
  for (cNpc& c : scene.CharaList) {
    if (c.m_bRemoved || c.m_bDying || !c.m_bActive) continue;
    const int rule = c.m_Def.m_bBlockChara ? 1 : 0;
    if (scene.m_bOutRule[static_cast<size_t>(rule)] && c.IsOutOfArea(rule)) scene.EraseChara(c);
  }
  if (!scene.m_bOutRule[2]) return;
  for (cItem& item : scene.ItemList)
    if (!item.m_bRemoved && item.IsOutOfArea(2)) scene.EraseItem(item);
}

// A shot's out-of-area rule: 3 for the player side's shots, 4 for the others.
int ShotOutRule(const cShot& shot) { return shot.m_nController == 0 ? 3 : 4; }

// One step of every shot and sword, in firing order.
void ShotPass(cStagePlayScene& scene, int step) {
  for (cShot& shot : scene.m_ShotList) {
    if (shot.m_bRemoved) continue;
    if (shot.UpdateShot()) {
      scene.EraseShot(shot);
      continue;
    }
    shot.AddGravity();
    shot.MoveShotY();
    shot.MoveShotX();
    if ((step == 1 && shot.IsShot() && shot.IsOutOfArea(ShotOutRule(shot))) || shot.ShotHitsBlock())
      scene.EraseShot(shot);
  }
}

int LogicStep(cStagePlayScene& scene, int step) {
  cPlayer& hero = scene.Hero();
  scene.m_nLogicStep = step;
  UpdateActiveFlags(scene);
  if (!hero.m_bDying) CountLifetimes(scene);
  for (cNpc& c : scene.CharaList)
    if (!c.m_bRemoved) BeginStep(c);
  BeginStep(hero);
  hero.SavePrevFacing();
  hero.SavePrevLandedCell();
  scene.m_ScrollX.StepAutoScroll();
  scene.m_ScrollY.StepAutoScroll();
  if (hero.m_bDying) {
    // A dying hero stops the characters, but shots fly on.
    ShotPass(scene, step);
    return 0;
  }
  if (int result = CharaPass(scene, true)) return result;
  if (int result = StepHero(scene, hero)) return result;
  if (int result = CharaPass(scene, false)) return result;
  ShotPass(scene, step);
  if (step == 1) RemoveOutOfArea(scene);
  if (int result = ApplyBlockItem(scene, hero)) return result;
  if (int result = ResolveHits()) return result;
  return PickUpItems(hero);
}

}  // namespace

int RunPlayFrame(cStagePlayScene& scene) {
  if (!scene.HasHero()) return 0;
  cPlayer& hero = scene.Hero();
  ++scene.m_nFrame;
  UpdatePlayTime(scene);
  int result = 0;
  if (UpdateTimeLimit(scene, -1) && !hero.m_bDying) result = 2;
  if (result == 0) {
    if (!hero.m_bDying) ResetFlowFrameFlags(hero);
    for (cNpc& c : scene.CharaList)
      if (!c.m_bRemoved && !c.m_bDying) ResetFlowFrameFlags(c);
    hero.m_bPinnedX = hero.m_bPinnedY = 0;
    for (cNpc& c : scene.CharaList) c.m_bPinnedX = c.m_bPinnedY = 0;
    for (int s = 1; s <= scene.m_Rules.nSteps && result == 0; ++s) result = LogicStep(scene, s);
  }
  if (result == 2 && !hero.m_bDying) {
    scene.Hooks().RequestSe(8);
    if (KillChara(hero) == 1) result = 1;
  }
  if (result == 1) StageClear(scene);
  scene.CollectRemoved();
  TraceHero(scene);
  TraceDigest(scene);
  return result;
}
