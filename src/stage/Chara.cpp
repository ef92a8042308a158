#include "stage/Chara.h"

#include <algorithm>
#include <cmath>

#include "flow/Interpreter.h"
#include "library/input/KeyInput.h"
#include "library/util/Convert.h"
#include "records/FlowEnums.h"
#include "stage/Collision.h"
#include "stage/StagePlayScene.h"

namespace {

constexpr double kOneSixtieth = 0.016666666666666666;
constexpr double kZeroBand = 1e-08;

bool OppositeSigns(double a, double b) {
  return (a > kZeroBand && b < -kZeroBand) || (a < -kZeroBand && b > kZeroBand);
}

void StartGauge(GaugeAnime& gauge, int delta, int value, int max) {
  if (delta == 0) return;
  gauge.nFramesLeft = 120;
  // In 64 bits: the points may be large enough for value x 50 to leave the int range.
  gauge.nBarLength = static_cast<int>(static_cast<long long>(value) * 50 / max);
  gauge.dChange = static_cast<double>(delta) * 50 / max;
  gauge.dChangePerFrame = gauge.dChange * kOneSixtieth;
}

void DecayToward0(double& value, double step) {
  if (value > 0)
    value = value - step < 0 ? 0 : value - step;
  else if (value < 0)
    value = value + step > 0 ? 0 : value + step;
}

}  // namespace

double JumpSpeedForDots(const cChara& chara, double h) {
  double g = Scene().m_Rules.dGravityPerStep;
  // A negative height leaves nothing to rise through: its root counts as 0, never NaN.
  double v = (-g - std::sqrt(std::max(0.0, g * (8 * h + g)))) * 0.5;
  if (chara.m_nController == 0) v *= 0.99 - Scene().m_Rules.dGravity * 0.025;
  return v;
}

double JumpSpeedForHeight(const cChara& chara, int n) {
  return JumpSpeedForDots(chara, static_cast<std::int8_t>(n) * 16);
}

int JumpStepsForSpeed(double v) {
  const cStageRules& rules = Scene().m_Rules;
  return DoubleToInt(rules.dSteps - v / rules.dGravityPerStep);
}

int JumpTimeForHeight(const cChara& chara, int n) {
  int s = JumpStepsForSpeed(JumpSpeedForHeight(chara, n));
  return s / Scene().m_Rules.nSteps / 6 + 1;
}

int HblToDot(int n) { return static_cast<std::int8_t>(n) * 16; }
double SpeedToDot(int n) { return static_cast<std::int16_t>(n) * 0.01 / Scene().m_Rules.dSteps2; }

void cChara::ResetChara(const cCharaDef* def, double x, double y, int copyIndex) {
  cStagePlayScene& scene = Scene();
  m_nTag = static_cast<std::int16_t>(copyIndex);
  m_vTargetedBy.clear();
  m_vShots.clear();
  m_nTargetNo = kNoTarget;
  if (scene.HasHero()) {
    cPlayer& hero = scene.Hero();
    m_nTargetNo = hero.m_nNo;
    if (std::find(hero.m_vTargetedBy.begin(), hero.m_vTargetedBy.end(), m_nNo) == hero.m_vTargetedBy.end())
      hero.m_vTargetedBy.push_back(m_nNo);
  }
  m_nFlowSerial = 0;
  for (auto* letters : {&m_vLetterRunning, &m_vLetterEnded, &m_vLetterStarted}) letters->assign(kLetterSlots, 0);
  m_bLettersEnded = m_bFlowsDeleted = 0;
  m_dImpactVx = m_dImpactVy = 0;
  m_bKnocked = 0;
  m_dImpactApplied = 0;
  m_bHeld = m_bJumpStarted = m_bJumping = m_bHeadBumped = m_nFloorlessSteps = 0;
  m_nFootCell = m_nLandedCell = m_nPrevLandedCell = kNoCell;
  m_nCountdown = m_bPinnedX = m_bPinnedY = m_nPinnedX = m_nPinnedY = 0;
  m_bDying = m_nDeathWait = 0;
  ClearBlockContactFlags();
  m_bPushed = m_bRiding = m_nRiddenNo = 0;
  m_nHp = m_nSp = 0;
  m_HpGauge = m_SpGauge = GaugeAnime{};
  m_bVanished = 0;
  m_nLastContactSide = -1;
  m_bAirborne = 1;
  m_dSpawnX = x;
  m_dSpawnY = y;
  m_vVars.assign(kCharaVars, 0);
  if (def) {
    m_Def = *def;
    m_nHp = m_Def.m_nMaxHp;
    m_nSp = m_Def.m_nMaxSp;
  }
  m_bScrollCarried = m_Def.m_bScrollSync;
  m_nLightRadius = HblToDot(m_Def.m_nSight);
  m_dMoveDecel = SpeedToDot(m_Def.m_nStopEase);
  m_CharaEffect = {};
  if (m_Def.m_nSpawnEffect != 0)
    StartCharaEffect(m_CharaEffect, m_Def.m_nSpawnEffect, m_Def.m_nSpawnEffectMode, m_Def.m_nSpawnEffectParam);
  m_nInvincible = 0;
  m_lHitBy.clear();
  SetAnimeSet(m_Def.m_nAnimeSet, 1);
  m_lAnimes.clear();
}

namespace {

// Frames of animation `anime` before its first locked frame (all of them when none is locked).
int AnimeLeadIn(int anime) {
  const AnimeSequence& frames = Scene().AnimeFrameTable.VecAt(anime);
  int lead = 0;
  for (const ANIMEFRAMEDATA& frame : frames) {
    if (frame.nPattern < 0 || frame.bLock) break;
    lead += frame.nDuration;
  }
  return lead;
}

void BuildAnimeSchedule(cRunningFlow& flow) {
  int n = Scene().m_Rules.nSteps;
  flow.Animes.clear();
  int start = 0;
  for (const cRunningCommand& cmd : flow.Commands) {
    const cFlowCommand& def = *cmd.pDef;
    if (def.m_nAnime != 0) {
      int lead = AnimeLeadIn(def.m_nAnime);
      int leadSteps = lead * n;
      ScheduledAnime entry;
      entry.nAnime = def.m_nAnime;
      entry.nCmdTime = static_cast<std::int16_t>(def.m_nTime * 6);
      entry.bHold = def.FlowType() != CMD_JUMP && def.FlowType() != CMD_SWORD;
      if (start >= leadSteps) {
        entry.nStart = start - leadSteps;
        entry.nShow = static_cast<std::int16_t>(lead);
      } else {
        int skip = std::min((leadSteps - start) / n, lead);
        entry.nSkip = static_cast<std::int16_t>(skip);
        entry.nShow = static_cast<std::int16_t>(lead - skip);
      }
      flow.Animes.push_back(entry);
    }
    if (!def.m_bNonBlocking) start += cmd.nDuration;
  }
}

}  // namespace

int cChara::InstallFlows(const cCheckedVector<cFlow>& flows, int facing, int insert, int index) {
  int given = static_cast<int>(flows.size());
  // The given list may be m_Def's own list, which an insertion changes.
  cCheckedVector<cFlow> copies;
  const cCheckedVector<cFlow>* source = &flows;
  int base = 0;
  if (!insert) {
    m_vFlows.clear();
    m_vFlows.resize(flows.size());
  } else {
    copies = flows;
    source = &copies;
    int count = static_cast<int>(m_Def.m_vFlows.size());
    base = index >= 0 && index < count ? index : static_cast<int>(m_vFlows.size());
    m_Def.m_vFlows.insert(m_Def.m_vFlows.begin() + std::min(base, count), copies.begin(), copies.end());
    m_vFlows.insert(m_vFlows.begin() + base, static_cast<size_t>(given), cRunningFlow{});
  }
  int n = Scene().m_Rules.nSteps;
  for (int i = 0; i < given; ++i) {
    cRunningFlow& r = m_vFlows.VecAt(base + i);
    const cFlow& flow = insert ? m_Def.m_vFlows.VecAt(base + i) : source->VecAt(i);
    r.nIndex = base + i;
    r.pFlow = &flow;
    r.nSerial = m_nFlowSerial++;
    r.KeyConditions.clear();
    for (const cKeyCondition& key : flow.m_vKeyConditions) r.KeyConditions.push_back(&key);
    r.Commands.assign(flow.m_vCommands.size(), cRunningCommand{});
    for (size_t c = 0; c < flow.m_vCommands.size(); ++c) {
      cRunningCommand& cmd = r.Commands[c];
      const cFlowCommand& def = flow.m_vCommands[c];
      cmd.pDef = &def;
      cmd.nDuration = (def.m_nTime + def.m_nTimeStep * m_nTag) * n * 6;
      if (def.m_pMove) {
        const cEdMove& m = *def.m_pMove;
        cmd.dSpeed = (m.m_nSpeed + m.m_nSpeedStep * m_nTag) * 0.1 / n;
        if (m.m_bInertia) cmd.dSecondSpeed = m.m_nMaxSpeed * 0.1 / n;
        cmd.nMoveKind = static_cast<std::uint8_t>(m.m_nDirection);
      }
      if (CommandSetup setup = CommandSetupFor(def.FlowType())) setup(cmd, *this, facing);
    }
    if (insert) r.bKeyLatch = !flow.m_bKeyContinuous;
  }
  if (insert) RelinkFlows();
  for (int i = 0; i < given; ++i) BuildAnimeSchedule(m_vFlows.VecAt(base + i));
  return given;
}

void cChara::RelinkFlows() {
  for (int i = 0; i < static_cast<int>(m_vFlows.size()); ++i) {
    cRunningFlow& r = m_vFlows.VecAt(i);
    const cFlow& flow = m_Def.m_vFlows.VecAt(i);
    r.nIndex = i;
    r.pFlow = &flow;
    r.KeyConditions.clear();
    for (const cKeyCondition& key : flow.m_vKeyConditions) r.KeyConditions.push_back(&key);
    for (size_t c = 0; c < r.Commands.size() && c < flow.m_vCommands.size(); ++c)
      r.Commands[c].pDef = &flow.m_vCommands[c];
  }
}

void cChara::AssignRunningFlows(const cChara& source) {
  m_vFlows = source.m_vFlows;
  RelinkFlows();
}

void cChara::CopyFrom(const cChara& source) {
  if (&source == this) return;
  *this = source;
  RelinkFlows();
}

namespace {

void EraseFlowAt(cChara& chara, int i) {
  if (i < 0 || i >= static_cast<int>(chara.m_vFlows.size())) return;
  if (i < static_cast<int>(chara.m_Def.m_vFlows.size())) chara.m_Def.m_vFlows.erase(chara.m_Def.m_vFlows.begin() + i);
  chara.m_vFlows.erase(chara.m_vFlows.begin() + i);
}

}  // namespace

void cChara::RemoveRunningFlow(int i) {
  cRunningFlow& flow = m_vFlows.VecAt(i);
  StopFlow(flow, *this);
  RemoveFlowAnimes(*this, flow.nSerial);
  EraseFlowAt(*this, flow.nIndex);
  RelinkFlows();
}

int cChara::DeleteFlows(int id) {
  int first = -1;
  if (id == 0) {
    for (cRunningFlow& flow : m_vFlows) StopFlow(flow, *this);
    m_vFlows.clear();
    m_Def.m_vFlows.clear();
    m_lAnimes.clear();
    first = 0;
  } else {
    for (int i = 0; i < static_cast<int>(m_vFlows.size());) {
      cRunningFlow& flow = m_vFlows[static_cast<size_t>(i)];
      if (!flow.pFlow || flow.pFlow->m_nId != id) {
        ++i;
        continue;
      }
      StopFlow(flow, *this);
      RemoveFlowAnimes(*this, flow.nSerial);
      if (first < 0) first = i;
      EraseFlowAt(*this, i);
      RelinkFlows();  // the erase moved the flows the others point at
    }
  }
  RelinkFlows();
  return first;
}

void cChara::SetAnimeSet(int set, int force) {
  if (!force && set == m_Def.m_nAnimeSet) return;
  m_Def.m_nAnimeSet = static_cast<std::int16_t>(set);
  cCheckedVector<AnimeSetRecord>& sets = Scene().AnimeSets;
  AnimeTable table;
  if (!sets.empty()) {
    const AnimeSetRecord& record = sets.VecAt(set);
    for (const auto& frames : record.vAnimes) {
      AnimeSequence& sequence = table.emplace_back();
      for (const ANIMEFRAMEDATA& frame : frames) sequence.push_back({frame.nPattern, frame.nDuration * 6, 1});
      sequence.push_back({ANIME_LOOP, 0, 1});
    }
  }
  int anime = m_Anime.CurrentAnime();
  m_Anime.SetAnimeTable(std::move(table));
  m_Anime.SetAnime(anime, 1);
}

void cChara::SetContactBox(int bottomAligned, int w, int h) {
  int x = 16 - m_rcGfx.nX - (w >> 1);
  int y = bottomAligned ? 32 - m_rcGfx.nY - h : 16 - m_rcGfx.nY - (h >> 1);
  m_boxContact = m_boxContactBase = {x, y, w, h};
}

void cChara::SetContactBoxByChoice(const SizeRule& contact, const SizeRule& damage, const SizeRule& second) {
  switch (m_Def.m_nBoxChoice) {
    case 0:
      SetContactBox(contact.bBottom, contact.nWidth, contact.nHeight);
      break;
    case 1:
      SetContactBox(0, damage.nWidth, damage.nHeight);
      break;
    case 2:
      SetContactBox(0, second.nWidth, second.nHeight);
      break;
    case 3:
      SetContactBox(0, 32, 32);
      break;
    default:
      break;
  }
}

void cChara::AdjustForScale(int newScale, int oldScale) {
  if (newScale == oldScale) return;
  int d = newScale - oldScale;
  if (Scene().m_Rules.bScaleFromBody)
    m_dY -= m_nBaseHeight * d;
  else
    m_dY = m_dY - (m_rcGfxBase.nH * d) + (m_rcGfxBase.nY * d);
  OnMoveY();
}

void cChara::SetBlockX(int column) {
  m_dX = (Scene().m_ScrollX.nMarginCells + column) * 32 + m_rcGfxBase.nX + 0.5;
  RecentreXForScale(m_Def.m_nGiant, 1);
  OnMoveX();
}

void cChara::SetBlockY(int row) {
  m_dY = (Scene().m_ScrollY.nMarginCells + row) * 32 + m_rcGfxBase.nY;
  AdjustForScale(m_Def.m_nGiant, 1);
  OnMoveY();
}

void cChara::CentreX(int x) {
  int c = m_rcScreen.nLeft + (m_rcGfx.nW >> 1);
  m_dX += x - c;
  OnMoveX();
}

void cChara::CentreY(int y) {
  int c = m_rcScreen.nTop + (m_rcGfx.nH >> 1);
  m_dY += y - c;
  OnMoveY();
}

void cChara::CentreAtAndStop(int x, int y, cRunningCommand& cmd) {
  CentreAt(x, y);
  cmd.dVx = cmd.dVy = 0;
}
void cChara::CentreXAndStop(int x, cRunningCommand& cmd) {
  CentreX(x);
  cmd.dVx = cmd.dVy = 0;
}
void cChara::CentreYAndStop(int y, cRunningCommand& cmd) {
  CentreY(y);
  cmd.dVx = cmd.dVy = 0;
}

void cChara::ApplyGravity() {
  if (!m_bFlying && !m_bRiding && !m_bHeld && !(m_dImpactVy < 0)) m_dVy += Scene().m_Rules.dGravityPerStep;
}

bool cChara::IsOnGround() {
  if (m_nFootCell != kNoCell && GetBlockHit(Scene().CellAt(m_nFootCell), m_nFaction)) return true;
  return m_bRiding != 0;
}

void cChara::LandOnBlock() {
  m_dVy = m_dMoveVy = 0;
  m_bHitBottom = 1;
  m_nFloorlessSteps = 0;
  m_bAirborne = 0;
  m_bJumpStarted = m_bJumping = 0;
  m_bKnocked = 0;
  if (m_nController == 1) m_bHeadBumped = 0;
  m_dY -= (DoubleToInt(m_dBottom) & 31) + 1;
  OnMoveY();
  for (int trigger : {TRG_BLOCK_HIT, TRG_BLOCK_HIT_VERTICAL, TRG_BLOCK_HIT_BOTTOM}) FireFlowTrigger(*this, trigger);
}

void cChara::BumpBlockAbove() {
  m_bJumpStarted = m_bJumping = 1;
  m_bHitTop = 1;
  m_bHeadBumped = 1;
  m_dVy = m_dMoveVy = 0;
  m_dY += 32 - (DoubleToInt(m_dY) & 31);
  OnMoveY();
  for (int trigger : {TRG_BLOCK_HIT, TRG_BLOCK_HIT_VERTICAL, TRG_BLOCK_HIT_TOP}) FireFlowTrigger(*this, trigger);
}

void cChara::StopRiding(int pushed) {
  m_bRiding = 0;
  if (m_dImpactVy == 0) m_dVy = 0;
  if (pushed) m_bPushed = 1;
}

void cChara::RestorePreviousBounds() {
  m_dX = m_rcPrev.dLeft;
  m_dY = m_rcPrev.dTop;
  m_dRight = m_rcPrev.dRight;
  m_dBottom = m_rcPrev.dBottom;
}

int cChara::ChangeHp(int delta, int force, int animate) {
  if (!force && delta <= 0 && m_Def.m_nInvincible != 0) return 0;
  int max = m_Def.m_nMaxHp;
  // Sums in 64 bits: a delta near the int range must not wrap.
  long long hp = m_nHp;
  if (delta > 0) delta = static_cast<int>(std::min<long long>(delta, static_cast<long long>(max) - hp));
  hp = std::clamp<long long>(hp + delta, 0, std::max(max, 0));
  m_nHp = static_cast<int>(hp);
  if (m_nHp <= 0) {
    m_nHp = 0;
    return 1;
  }
  if (animate) StartHpGaugeAnime(delta);
  return 0;
}

void cChara::StartHpGaugeAnime(int delta) { StartGauge(m_HpGauge, delta, m_nHp, m_Def.m_nMaxHp); }

int cChara::ChangeSp(int delta, int animate) {
  int max = m_Def.m_nMaxSp;
  long long sp = m_nSp;
  if (delta > 0) delta = static_cast<int>(std::min<long long>(delta, static_cast<long long>(max) - sp));
  m_nSp = static_cast<int>(std::clamp<long long>(sp + delta, 0, std::max(max, 0)));
  if (max <= 0) return 1;
  if (animate) StartSpGaugeAnime(delta);
  return 0;
}

void cChara::StartSpGaugeAnime(int delta) { StartGauge(m_SpGauge, delta, m_nSp, m_Def.m_nMaxSp); }

void cChara::ApplyImpact(int strength, double dirX, double dirY) {
  strength = static_cast<std::int8_t>(strength);
  if (strength == 0) return;
  int resist = m_Def.m_nImpactResist;
  if (strength < 0)
    strength = std::clamp(strength + resist, -20, 0);
  else
    strength = std::clamp(strength - resist, 0, 20);
  CalcImpactSpeed(m_dImpactVx, m_dImpactVy, strength, dirX, dirY);
  if (OppositeSigns(m_dMoveVx, m_dImpactVx)) m_dMoveVx = 0;
  if (OppositeSigns(m_dMoveVy, m_dImpactVy)) m_dMoveVy = 0;
  if (OppositeSigns(m_dVy, m_dImpactVy)) m_dVy = 0;
  m_bKnocked = 1;
}

void cChara::ApplyImpactFromChara(const cChara& attacker) {
  const cStageRules& rules = Scene().m_Rules;
  double dirY = attacker.m_dVy;
  if (attacker.m_Def.m_nFlying == 0 && attacker.m_dVy < 8 * rules.dSteps * rules.dGravityPerStep) dirY = 0;
  ApplyImpact(attacker.m_Def.m_nBodyImpact, attacker.m_dVx, dirY);
}

void cChara::ApplyImpactFromShot(const cShot& shot) {
  const int strength = shot.m_Settings.m_nImpact;
  if (shot.IsShot())
    ApplyImpact(strength, shot.m_dVx, shot.m_dVy);
  else
    ApplyImpact(strength, shot.GetFacingSign(), 0);
}

void cChara::ApplyVerticalImpact() {
  if (m_dImpactVy != 0) {
    if (m_bFlying)
      m_dVy += m_dImpactVy;
    else if (m_dImpactVy > 0 && IsOnGround())
      m_dImpactVy = 0;
    else
      m_dVy = m_dVy - m_dImpactApplied + m_dImpactVy;
  }
  m_dImpactApplied = m_dImpactVy;
}

void cChara::DecayImpactX() { DecayToward0(m_dImpactVx, 1 / Scene().m_Rules.dSteps); }
void cChara::DecayImpactY() { DecayToward0(m_dImpactVy, 1 / Scene().m_Rules.dSteps); }

cKeyInput* cChara::FlowKeyInput() const {
  if (KeyInputList.empty()) return nullptr;
  int player = IsPlayer() ? m_nPlayerNo : 0;
  return &KeyInputList.VecAt(player);
}

int cChara::StepFlows(int deathOnly) {
  cStagePlayScene& scene = Scene();
  scene.m_pActChara = this;
  StartCommandAnimes(*this);
  int ended = 0;
  for (size_t i = 0; i < m_vFlows.size(); ++i) {
    cRunningFlow& flow = m_vFlows[i];
    if (!flow.bRunning) continue;
    if (flow.Commands.empty()) {
      StopFlow(flow, *this);
      continue;
    }
    if (flow.bPaused || flow.bStoppedForever || (deathOnly && flow.Trigger() != TRG_DEATH)) continue;
    if (StepFlow(flow)) StopFlow(flow, *this);
    bool hpGone = !deathOnly && flow.Trigger() != TRG_DEATH && m_nHp <= 0;
    bool vanished = !IsPlayer() && m_bVanished;
    if (hpGone || vanished) {
      ended = 1;
      break;
    }
  }
  scene.m_pActChara = nullptr;
  scene.m_pActFlow = nullptr;
  scene.m_pActCommand = nullptr;
  return ended;
}

void cChara::ClearEndedLetters() {
  if (m_bFlowsDeleted) {
    for (int i = static_cast<int>(m_vFlows.size()) - 1; i >= 0; --i)
      if (m_vFlows[static_cast<size_t>(i)].bDeleted) RemoveRunningFlow(i);
    m_bFlowsDeleted = 0;
  }
  if (m_bLettersEnded) {
    for (int letter = 0; letter < kLetterSlots; ++letter)
      if (m_vLetterEnded.VecAt(letter)) m_vLetterRunning.VecAt(letter) = m_vLetterEnded.VecAt(letter) = 0;
    m_bLettersEnded = 0;
  }
}
