#pragma once
// The stage of the hit tests: a tiny stage whose characters take part in hits
// where they stand, with hit effects to make, a play record to score in, and
// the sounds requested kept in order.
#include <cstdint>
#include <vector>

#include "gamedata/Database.h"
#include "gamedata/DbEffect.h"
#include "gamedata/SaveData.h"
#include "support/TinyStage.h"

namespace stagetest {

class HitHooks : public cStagePlayHooks {
 public:
  void RequestSe(int sound) override { sounds.push_back(sound); }
  void RequestDbSe(int sound) override { dbSounds.push_back(sound); }
  std::vector<int> sounds;
  std::vector<int> dbSounds;
};

// A tiny stage whose characters take part in hits where they stand.
class HitStage : public TinyStage {
 public:
  explicit HitStage(int level = 1) : TinyStage(level) {
    scene.SetHooks(&hooks);
    PlayData = &record;
    // Hit effects 0..12: one frame on 32 x 32 cells; entry 12 grows with the attacker's size.
    db.Effect.resize(13);
    cDbEffectFrame frame;
    frame.m_nDuration = 1;
    for (cDbEffect& effect : db.Effect) {
      effect.m_nCellWidth = effect.m_nCellHeight = 32;
      effect.m_Frames = {frame};
    }
    db.Effect[12].m_bScale = 1;
    Database = &db;
    BuildEffectSequences(db.Effect, EffectSequences);
  }
  ~HitStage() {
    scene.SetHooks(nullptr);
    PlayData = nullptr;
    Database = nullptr;
    EffectSequences.clear();
  }
  HitStage(const HitStage&) = delete;
  HitStage& operator=(const HitStage&) = delete;

  static cCharaDef Fighter(int faction, int power) {
    cCharaDef def = WalkerDef();
    def.m_nGroup = static_cast<std::int8_t>(faction);
    def.m_nBodyPower = power;
    def.m_nMaxHp = 1000;
    return def;
  }
  cNpc& AddFighter(int cellX, const cCharaDef& def) {
    cNpc& c = AddNpc(cellX, 8, def);
    c.m_bOnScreen = 1;
    return c;
  }
  cNpc& AddFighter(int cellX, int faction, int power) { return AddFighter(cellX, Fighter(faction, power)); }
  cPlayer& AddFightingHero(int cellX, int power) {
    cCharaDef def = HeroDef();
    def.m_nBodyPower = power;
    def.m_nMaxHp = 1000;
    cPlayer& hero = AddHero(cellX, 8, def);
    hero.m_bActive = hero.m_bOnScreen = 1;
    return hero;
  }

  HitHooks hooks;
  cSaveData record;
  cDatabase db;
};

inline bool Overlap(const RectD& a, const RectD& b) {
  return a.dLeft <= b.dRight && a.dRight >= b.dLeft && a.dTop <= b.dBottom && a.dBottom >= b.dTop;
}

}  // namespace stagetest
