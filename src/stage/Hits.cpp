// Hit resolution between the factions: shots against characters, bodies
// against bodies, shots against shots; and the death test after status changes.
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

}  // namespace

int ResolveHits() {
  cStagePlayScene& scene = Scene();
  thread_local FactionCharas charas;
  charas.Gather(scene);
  return BodyPass(scene, charas);
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
