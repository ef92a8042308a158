#include <algorithm>
#include <climits>
#include <string>

#include "flow/Interpreter.h"
#include "gamedata/SaveData.h"
#include "platform/Trace.h"
#include "records/FlowEnums.h"
#include "stage/Collision.h"
#include "stage/StagePlayScene.h"

namespace {

constexpr int kMaxStatus = 999999;

int InvincibleSteps(const cChara& c) {
  const cStageRules& rules = Scene().m_Rules;
  return (c.m_nController == 1 ? rules.nCharaInvincible : rules.nHeroInvincible) * rules.nSteps;
}

int ImmuneSteps(const cChara& c) {
  const cStageRules& rules = Scene().m_Rules;
  return (c.m_nController == 1 ? rules.nCharaImmune : rules.nHeroImmune) * rules.nSteps;
}

void ReleaseLinks(cChara& c) {
  cStagePlayScene& scene = Scene();
  for (int no : c.m_vTargetedBy)
    if (cChara* other = scene.FindCharaById(no)) other->m_nTargetNo = kNoTarget;
  c.m_vTargetedBy.clear();
  if (c.m_nTargetNo != kNoTarget) {
    if (cChara* target = scene.FindCharaById(c.m_nTargetNo)) std::erase(target->m_vTargetedBy, c.m_nNo);
    c.m_nTargetNo = kNoTarget;
  }
  scene.ReleaseShotTargets(c);
}

// Whole-program tests follow hits and defeats: "Hit N hp H", "Down N score S".
void TraceChara(const char* event, const cChara& c, const char* what, int value) {
  if (platform::TraceOn())
    platform::TraceLine(std::string(event) + " " + std::to_string(c.m_nNo) + " " + what + " " + std::to_string(value));
}

// The HP an attack of this power takes: the defence first, the loss held to
// 0..999999; a power of 0 or below reaches the HP unchanged (it heals).
int LoseHpTo(cChara& victim, long long power) {
  if (power > 0) power = std::clamp<long long>(power - victim.m_Def.m_nDefence, 0, kMaxStatus);
  // The most negative power heals by the most an int holds, never turning into a loss.
  const int result = victim.ChangeHp(static_cast<int>(std::min<long long>(-power, INT_MAX)), 0, 1);
  TraceChara("Hit", victim, "hp", victim.m_nHp);
  return result;
}

void FireDamageTriggers(cChara& victim, int power, int impact) {
  if (power != 0) FireFlowTrigger(victim, TRG_DAMAGED);
  if (impact != 0) FireFlowTrigger(victim, TRG_IMPACT);
}

}  // namespace

int TakeCharaDamage(cChara& victim, cChara& attacker) {
  const cCharaDef& def = attacker.m_Def;
  const int result = LoseHpTo(victim, def.m_nBodyPower);
  if (def.m_nEffect != 0) MakeHitEffect(Scene(), def.m_nEffect, victim.m_rcContact, attacker.m_rcContact, def.m_nGiant);
  victim.ApplyImpactFromChara(attacker);
  FireDamageTriggers(victim, def.m_nBodyPower, def.m_nBodyImpact);
  return result;
}

int TakeShotDamage(cChara& victim, const cShot& shot) {
  const cEdShot& settings = shot.m_Settings;
  const int result = LoseHpTo(victim, settings.m_nPower);
  if (settings.m_nHitEffect != 0)
    MakeHitEffect(Scene(), settings.m_nHitEffect, victim.m_rcDamage, shot.m_rcHit, settings.m_nScale);
  victim.ApplyImpactFromShot(shot);
  FireDamageTriggers(victim, settings.m_nPower, settings.m_nImpact);
  return result;
}

void StartInvincibility(cChara& c) { c.m_nInvincible = InvincibleSteps(c); }

void AddImmunity(cChara& c, int attackerNo) {
  StartInvincibility(c);
  c.m_lHitBy.push_back({attackerNo, ImmuneSteps(c)});
}

void UpdateInvincibility(cChara& c) {
  if (c.m_nInvincible > 0) --c.m_nInvincible;
  for (HitByEntry& entry : c.m_lHitBy) --entry.nStepsLeft;
  c.m_lHitBy.remove_if([](const HitByEntry& e) { return e.nStepsLeft <= 0; });
}

int IsInvincible(const cChara& c) { return c.m_nInvincible > 0; }

int IsImmuneTo(const cChara& c, int attackerNo) {
  if (IsInvincible(c)) return 1;
  return std::any_of(c.m_lHitBy.begin(), c.m_lHitBy.end(),
                     [&](const HitByEntry& e) { return e.nAttacker == attackerNo; });
}

int KillChara(cChara& c) {
  cStagePlayScene& scene = Scene();
  FireFlowTrigger(c, TRG_DEATH);
  c.RunFlows(1);
  scene.AddStageScore(c.m_Def.m_nScore);
  TraceChara("Down", c, "score", scene.Record().nStageScore);
  int itemResult = 0;
  cItem* item = c.GetItem();
  if (item && item->m_bCarried && scene.HasHero()) itemResult = UseTouchedItem(item, scene.Hero());
  if (scene.m_nEndRequest == 1 || itemResult == 1) return 1;
  ReleaseLinks(c);
  c.m_bDying = 1;
  StartCharaEffect(c.m_CharaEffect, c.m_Def.m_nVanishEffect, c.m_Def.m_nVanishEffectMode, 0);
  return 0;
}

void RemoveFlowAnimes(cChara& c, int serial) {
  c.m_lAnimes.remove_if([serial](const FlowAnimeEntry& e) { return e.nSerial == serial; });
}

void PauseFlowAnimes(cChara& c, int serial) {
  c.m_lAnimes.remove_if(
      [serial](const FlowAnimeEntry& e) { return e.nSerial == serial && e.nLength + e.nCounter - 1 < 0; });
  for (FlowAnimeEntry& e : c.m_lAnimes)
    if (e.nSerial == serial) e.bPaused = 1;
}

void ResumeFlowAnimes(cChara& c, int serial) {
  for (FlowAnimeEntry& e : c.m_lAnimes)
    if (e.nSerial == serial) e.bPaused = 0;
}

int UpdateFlowAnimes(cChara& c, int skipUpdate) {
  if (!skipUpdate) {
    c.m_Anime.UpdateAnime();
    for (auto it = c.m_lAnimes.begin(); it != c.m_lAnimes.end();) {
      if (it->bPaused) {
        ++it;
        continue;
      }
      if (it->Anime.UpdateAnime() == ANIME_END) {
        it = c.m_lAnimes.erase(it);
        continue;
      }
      --it->nCounter;
      ++it;
    }
  }
  const FlowAnimeEntry* choice = nullptr;
  int best = INT_MAX;
  bool finalMode = false;
  for (const FlowAnimeEntry& e : c.m_lAnimes) {
    if (e.bPaused) continue;
    if (finalMode) {
      if (e.nCounter <= 0 && best <= 0 && best < e.nCounter) choice = &e, best = e.nCounter;
    } else if (e.bPriority && e.nCounter <= 0 && best <= 0) {
      choice = &e, best = e.nCounter, finalMode = true;
    } else if (e.bPriority && e.nCounter < best) {
      choice = &e, best = e.nCounter;
    } else if (!e.bPriority && !choice) {
      choice = &e;
    }
  }
  return choice ? choice->Anime.GetAnimePattern() : c.m_Anime.GetAnimePattern();
}
