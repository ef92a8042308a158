// Hit resolution between the factions: shots against characters, bodies
// against bodies, shots against shots; and the death test after status changes.
// A shot that goes is only flagged and leaves the lists: the passes walk
// lists gathered at the start and skip it, and its node is freed after the frame.
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "flow/Interpreter.h"
#include "records/FlowEnums.h"
#include "stage/Collision.h"
#include "stage/StagePlayScene.h"

namespace {

bool Overlap(const RectD& a, const RectD& b) {
  return a.dLeft <= b.dRight && a.dRight >= b.dLeft && a.dTop <= b.dBottom && a.dBottom >= b.dTop;
}

// The characters of each faction, in the order of the scene's faction lists,
// looked up once per step. Nothing is freed while a step runs, so the
// pointers hold to its end; removed characters are skipped where they are read.
class FactionCharas {
 public:
  void Gather(cStagePlayScene& scene) {
    m_byNo.clear();
    for (cPlayer& hero : scene.Player) m_byNo.emplace_back(hero.m_nNo, &hero);
    for (cNpc& c : scene.CharaList)
      if (!c.m_bRemoved) m_byNo.emplace_back(c.m_nNo, &c);
    std::sort(m_byNo.begin(), m_byNo.end());
    for (size_t f = 0; f < kFactions; ++f) {
      m_lists[f].clear();
      for (int no : scene.m_CharaByFaction[f])
        if (cChara* c = Find(no)) m_lists[f].push_back(c);
    }
  }
  const std::vector<cChara*>& operator[](size_t faction) const { return m_lists[faction]; }

 private:
  cChara* Find(int no) const {
    auto it = std::lower_bound(m_byNo.begin(), m_byNo.end(), std::pair<int, cChara*>{no, nullptr});
    return it != m_byNo.end() && it->first == no ? it->second : nullptr;
  }
  std::vector<std::pair<int, cChara*>> m_byNo;
  std::array<std::vector<cChara*>, kFactions> m_lists;
};

bool TakesPart(const cChara& c, const cStageRules& rules) {
  return (!rules.bHitsOnScreenOnly || c.m_bOnScreen) && c.m_bActive && !c.m_bDying && !c.m_bRemoved;
}

// The live shots and swords of each faction, in the order of the scene's
// faction lists. A shot removed during the step stays here, flagged, and is
// skipped where it is read.
class FactionShots {
 public:
  void Gather(cStagePlayScene& scene) {
    for (size_t f = 0; f < kFactions; ++f) {
      m_lists[f].clear();
      for (int no : scene.m_ShotByFaction[f])
        if (cShot* shot = scene.FindShotByNo(no)) m_lists[f].push_back(shot);
    }
  }
  const std::vector<cShot*>& operator[](size_t faction) const { return m_lists[faction]; }

 private:
  std::array<std::vector<cShot*>, kFactions> m_lists;
};

bool HurtsOnContact(const cChara& c) { return c.m_Def.m_nBodyPower != 0 || c.m_Def.m_nBodyImpact != 0; }

// A character that took a hit: its death, or its immunity against the attacker.
int AfterBodyHit(cStagePlayScene& scene, cChara& victim, int died, int attackerNo) {
  if (!died) {
    AddImmunity(victim, attackerNo);
    return 0;
  }
  if (victim.m_nController == 1) scene.Hooks().RequestSe(9);
  return LoseChara(victim);
}

// Body contact between two characters of different factions.
int TouchBodies(cStagePlayScene& scene, cChara& o, cChara& q) {
  FireFlowTrigger(o, TRG_TOUCH_CHARA);
  FireFlowTrigger(q, TRG_TOUCH_CHARA);
  const bool hitO = HurtsOnContact(q) && !IsImmuneTo(o, q.m_nNo);
  const int diedO = hitO ? TakeCharaDamage(o, q) : 0;
  const bool hitQ = HurtsOnContact(o) && !IsImmuneTo(q, o.m_nNo);
  const int diedQ = hitQ ? TakeCharaDamage(q, o) : 0;
  if (hitO || hitQ) scene.Hooks().RequestSe(7);
  if (hitO)
    if (int result = AfterBodyHit(scene, o, diedO, q.m_nNo)) return result;
  if (hitQ)
    if (int result = AfterBodyHit(scene, q, diedQ, o.m_nNo)) return result;
  return 0;
}

int BodyPass(cStagePlayScene& scene, const FactionCharas& charas) {
  const cStageRules& rules = scene.m_Rules;
  auto takesPart = [&](const cChara* c) { return TakesPart(*c, rules) && !c->m_Def.m_bBlockChara; };
  for (size_t i = 0; i < kFactions; ++i) {
    for (size_t j = i + 1; j < kFactions; ++j) {
      if (charas[i].empty() || charas[j].empty()) continue;
      for (cChara* o : charas[i]) {
        for (cChara* q : charas[j]) {
          if (!takesPart(o) || !takesPart(q) || !Overlap(o->m_rcContact, q->m_rcContact)) continue;
          if (int result = TouchBodies(scene, *o, *q)) return result;
        }
      }
    }
  }
  return 0;
}

// Shots are tested in every step, or in the steps the stage's hit-step mask marks.
bool ShotTestStep(cStagePlayScene& scene) {
  return scene.m_Rules.nHitChecks == 0 || scene.m_HitStepMask.VecAt(scene.m_nLogicStep - 1) != 0;
}

bool ShotMeets(const cShot& shot, const cChara& k, const cStageRules& rules) {
  return TakesPart(k, rules) && k.m_Def.m_nInvincible != 2 && Overlap(k.m_rcDamage, shot.m_rcHit) &&
         std::find(shot.m_vHitList.begin(), shot.m_vHitList.end(), k.m_nNo) == shot.m_vHitList.end();
}

// A sword hits each character once; a shot flies on only through what it pierces.
void SpendOrPierce(cShot& shot, const cChara& k) {
  const cEdShot& settings = shot.m_Settings;
  const bool pierces = k.m_Def.m_bBlockChara ? settings.m_bPierceBlockChara != 0 : settings.m_bPierceChara != 0;
  if (!shot.IsShot() || pierces)
    shot.m_vHitList.push_back(k.m_nNo);
  else
    shot.m_bSpent = true;
}

// One shot or sword against one character: 0 go on, 1 clear, 2 the hero is lost.
int ShotHitsChara(cStagePlayScene& scene, cShot& shot, cChara& k) {
  FireFlowTrigger(k, TRG_HIT_BY_SHOT);
  const cEdShot& settings = shot.m_Settings;
  if ((settings.m_nPower == 0 && settings.m_nImpact == 0 && settings.m_nItemSource == 0) || IsInvincible(k)) return 0;
  if (TakeShotDamage(k, shot)) {
    if (k.m_nController == 1) scene.Hooks().RequestSe(9);
    if (int result = LoseChara(k)) return result;
  } else {
    scene.Hooks().RequestSe(7);
    StartInvincibility(k);
  }
  SpendOrPierce(shot, k);
  if (settings.m_nItemSource == 0 || !scene.HasHero()) return 0;
  const cItemDef* item = FindPaletteItem(settings.m_nItemSource, settings.m_nItemIndex);
  return item ? UseItemDef(*item, scene.Hero()) : 0;
}

// Spent shots leave every list once their pass is done with a faction (or ends early).
void RemoveSpent(cStagePlayScene& scene, const std::vector<cShot*>& shots) {
  for (cShot* shot : shots)
    if (shot->m_bSpent) scene.EraseShot(*shot);
}

int ShotsAgainstFaction(cStagePlayScene& scene, const std::vector<cShot*>& shots, const std::vector<cChara*>& charas) {
  const cStageRules& rules = scene.m_Rules;
  for (cShot* shot : shots) {
    if (shot->m_bRemoved || (rules.bHitsOnScreenOnly && !shot->m_bOnScreen)) continue;
    for (cChara* k : charas) {
      if (!ShotMeets(*shot, *k, rules)) continue;
      if (int result = ShotHitsChara(scene, *shot, *k)) return result;
    }
  }
  return 0;
}

int ShotPass(cStagePlayScene& scene, const FactionCharas& charas, const FactionShots& shots) {
  if (!ShotTestStep(scene)) return 0;
  for (size_t s = 0; s < kFactions; ++s) {
    if (shots[s].empty()) continue;
    for (size_t g = 0; g < kFactions; ++g) {
      if (g == s) continue;
      const int result = ShotsAgainstFaction(scene, shots[s], charas[g]);
      RemoveSpent(scene, shots[s]);
      if (result) return result;
    }
  }
  return 0;
}

bool Cancelable(const cShot& shot) { return shot.m_Settings.m_bCancelable != 0; }

// Two shots of different factions that meet, one of them cancelable: true
// when u is destroyed; s, when it goes, leaves at once.
bool Clash(cStagePlayScene& scene, const cShot& u, cShot& s) {
  const int uStrength = u.m_Settings.m_nStrength, sStrength = s.m_Settings.m_nStrength;
  const bool both = Cancelable(u) && Cancelable(s);
  const bool uGoes = both ? sStrength >= uStrength : Cancelable(u);
  const bool sGoes = both ? sStrength <= uStrength : Cancelable(s);
  if (sGoes) scene.EraseShot(s);
  return uGoes;
}

RectD Body(const cShot& shot) { return {shot.m_dX, shot.m_dY, shot.m_dRight, shot.m_dBottom}; }

void ClashPass(cStagePlayScene& scene, const FactionShots& shots) {
  for (size_t j = 0; j < kFactions; ++j) {
    for (size_t k = j + 1; k < kFactions; ++k) {
      if (shots[j].empty() || shots[k].empty()) continue;
      for (cShot* u : shots[j]) {
        if (u->m_bRemoved) continue;
        bool destroyed = false;
        for (cShot* s : shots[k]) {
          if (s->m_bRemoved || !(Cancelable(*u) || Cancelable(*s)) || !Overlap(Body(*u), Body(*s))) continue;
          destroyed = Clash(scene, *u, *s) || destroyed;
        }
        if (destroyed) scene.EraseShot(*u);
      }
    }
  }
}

}  // namespace

int ResolveHits() {
  cStagePlayScene& scene = Scene();
  thread_local FactionCharas charas;
  thread_local FactionShots shots;
  charas.Gather(scene);
  shots.Gather(scene);
  if (int result = ShotPass(scene, charas, shots)) return result;
  if (int result = BodyPass(scene, charas)) return result;
  ClashPass(scene, shots);
  return 0;
}

int CheckHeroDeath() {
  cStagePlayScene& scene = Scene();
  if (scene.HasHero() && scene.Hero().m_nHp <= 0) {
    scene.Hooks().RequestSe(8);
    return KillChara(scene.Hero()) == 1 ? RULE_CLEAR : RULE_HERO_LOST;
  }
  for (cNpc& c : scene.CharaList) {
    // A character already dying was handled when its HP ran out.
    if (c.m_bRemoved || c.m_bDying) continue;
    if (c.m_bVanished) {
      scene.EraseChara(c);
    } else if (c.m_nHp <= 0) {
      if (int result = CharaDown(c)) return result;
    }
  }
  return RULE_GO_ON;
}
