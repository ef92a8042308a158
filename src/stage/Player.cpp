#include <algorithm>
#include <cmath>

#include "flow/Interpreter.h"
#include "library/input/KeyInput.h"
#include "library/util/Convert.h"
#include "library/util/Log.h"
#include "stage/Chara.h"
#include "stage/StagePlayScene.h"

namespace {

// Item commands may take further items; a chain deeper than this is cut.
constexpr int kMaxItemCommandDepth = 8;
thread_local int itemCommandDepth = 0;

BoxI Scaled(const BoxI& box, int scale) { return {box.nX * scale, box.nY * scale, box.nW * scale, box.nH * scale}; }

void SetBoxRect(RectD& rect, const BoxI& box, int pos, bool xAxis) {
  double start = pos + (xAxis ? box.nX : box.nY);
  double size = xAxis ? box.nW : box.nH;
  if (xAxis)
    rect.dLeft = start, rect.dRight = start + size - 1;
  else
    rect.dTop = start, rect.dBottom = start + size - 1;
}

// Keeps the hero's body centred in the view, inside the scroll limits.
void FollowCamera(SCROLLDATA& axis, double pos, int size, int half) {
  if (axis.bAutoScroll) return;
  axis.dPos = pos - (half - (size >> 1));
  if (axis.nLower > axis.dPos)
    axis.dPos = axis.nLower;
  else if (axis.dPos + axis.nView >= axis.nUpper)
    axis.dPos = axis.nUpper - axis.nView;
}

}  // namespace

void cPlayer::ScaleBoxes(int scale) {
  m_boxContact = Scaled(m_boxContactBase, scale);
  m_boxDamage = Scaled(m_boxDamageBase, scale);
  m_boxItem = Scaled(m_boxItemBase, scale);
}

void cPlayer::UpdateRectX() {
  int x = DoubleToInt(m_dX);
  SetBoxRect(m_rcContact, m_boxContact, x, true);
  SetBoxRect(m_rcDamage, m_boxDamage, x, true);
  SetBoxRect(m_rcItem, m_boxItem, x, true);
}

void cPlayer::UpdateRectY() {
  int y = DoubleToInt(m_dY);
  SetBoxRect(m_rcContact, m_boxContact, y, false);
  SetBoxRect(m_rcDamage, m_boxDamage, y, false);
  SetBoxRect(m_rcItem, m_boxItem, y, false);
}

int cPlayer::OnMoveX() {
  FollowCamera(Scene().m_ScrollX, m_dX, m_nWidth, 320);
  ClampX(m_bFlying ? 0 : 1);
  m_dRight = m_nWidth + m_dX - 1.0;
  return 0;
}

int cPlayer::OnMoveY() {
  FollowCamera(Scene().m_ScrollY, m_dY, m_nHeight, 240);
  ClampY(m_bFlying ? 0 : 1);
  m_dBottom = m_nHeight + m_dY - 1.0;
  return 0;
}

void cPlayer::GetHeroBodyLayout(int& offX, int& offY, int& w, int& h) const {
  const SizeRule& body = Scene().m_Rules.HeroBody[m_bFlying ? 1 : 0];
  w = body.nWidth;
  h = body.nHeight;
  offX = (32 - w) >> 1;
  offY = body.bBottom ? 32 - h : (32 - h) >> 1;
}

void cPlayer::PlaceHero(int no, cCharaDef& def, double x, double y) {
  if (def.m_nGiant == 0) def.m_nGiant = 1;
  m_nNo = no;
  ResetChara(&def, x, y, 0);
  int offX, offY, w, h;
  GetHeroBodyLayout(offX, offY, w, h);
  SetupObject(no, m_Def.m_nOperator, m_Def.m_nPlayerNo, m_Def.m_nGroup, m_Def.m_nGraphic, nullptr, 0, offX, offY, w, h,
              32, 32, 1, 0, 0);
  m_nGraphicKind = m_Def.m_nGraphicSrc;
  m_pKeyInput = KeyInputList.empty() ? nullptr : &KeyInputList.VecAt(m_Def.m_nPlayerNo);
  SetHeroFlight(m_Def.m_nFlying, 0);
  SetScale(m_Def.m_nGiant, 1);
  m_dFloorSpeedStep = 4.0 / Scene().m_Rules.dSteps;
  m_bRight = m_nPrevFacing = m_Def.m_nFacing;
  m_dFloorFactor = 0;
  m_bHeadBumped = m_bJumpForbidden = m_nJumpHold = m_bDirBlocked = m_bButtonBlocked = 0;
  m_nFloorEffect = m_nFloorTimer = m_nItemBlockCooldown = 0;
  m_bJumpReady = 1;
  BuildPartList();
  m_lTouchedItems.clear();
  InstallFlows(m_Def.m_vFlows, m_bRight, 0, -1);
}

void cPlayer::SetHeroFlight(int setting, int applyScale) {
  const cStageRules& rules = Scene().m_Rules;
  m_Def.m_nFlying = static_cast<std::int8_t>(setting);
  int wasFlying = m_bFlying;
  SetMoveType(setting);
  if (m_bFlying != wasFlying) m_nCountdown = 2;
  if (wasFlying && !m_bFlying) m_dVx = m_dVy = m_dMoveVx = m_dMoveVy = 0;
  int offX, offY, w, h;
  GetHeroBodyLayout(offX, offY, w, h);
  m_nBaseWidth = m_nWidth = w;
  m_nBaseHeight = m_nHeight = h;
  m_rcGfxBase = m_rcGfx = {offX, offY, 32, 32};
  SetContactBoxByChoice(rules.HeroContact[m_bFlying ? 1 : 0], rules.HeroDamage, rules.HeroContact2);
  auto centred = [&](const SizeRule& size) {
    return BoxI{16 - (size.nWidth >> 1) - m_rcGfx.nX, 16 - (size.nHeight >> 1) - m_rcGfx.nY, size.nWidth, size.nHeight};
  };
  m_boxDamage = m_boxDamageBase = centred(rules.HeroDamage);
  m_boxItem = m_boxItemBase = centred(rules.HeroItemBox);
  if (applyScale) {
    int s = m_Def.m_nGiant;
    m_nWidth *= s, m_nHeight *= s, m_nBaseWidth *= s, m_nBaseHeight *= s;
    m_rcGfx = m_rcGfxBase = Scaled(m_rcGfxBase, s);
    m_boxContact = m_boxContactBase = Scaled(m_boxContactBase, s);
    m_boxDamage = m_boxDamageBase = Scaled(m_boxDamageBase, s);
    m_boxItem = m_boxItemBase = Scaled(m_boxItemBase, s);
  }
  BuildPartList();
}

BoxI cPlayer::PartBox(int kind) const {
  switch (kind) {
    case BOXPART_CONTACT:
      return m_boxContact;
    case BOXPART_ITEM:
      return m_boxItem;
    case BOXPART_DAMAGE:
      return m_boxDamage;
    default:
      return {0, 0, m_nWidth, m_nHeight};
  }
}

void cPlayer::BuildPartList() {
  static constexpr int kColours[] = {0xD0, 0xD4, 0xD8, 0xDC, 0xE0, 0xE4, 0xE8, 0xEC};
  const auto& overlay = Scene().m_Rules.HeroBoxOverlay;
  m_vBoxParts.clear();
  for (int kind : {BOXPART_BODY, BOXPART_ITEM, BOXPART_CONTACT, BOXPART_DAMAGE}) {
    const BoxOverlayRule& rule = overlay[static_cast<size_t>(kind)];
    const BoxI box = PartBox(kind);
    const int choice = rule.nColour >= 0 && rule.nColour < 8 ? rule.nColour : 0;
    m_vBoxParts.push_back({kind, rule.nMode, kColours[choice], 0, 0, box.nW, box.nH, 0});
  }
  // Stable: boxes of equal area keep the order above.
  std::stable_sort(m_vBoxParts.begin(), m_vBoxParts.end(), [](const BoxPart& a, const BoxPart& b) {
    return static_cast<long long>(a.nW) * a.nH > static_cast<long long>(b.nW) * b.nH;
  });
}

void cPlayer::UpdateHeroScreenRect() {
  const cStagePlayScene& scene = Scene();
  auto edge = [](const SCROLLDATA& axis, double pos, int offset) {
    if (axis.bAutoScroll) return DoubleToInt(pos) - DoubleToInt(axis.dPos) - offset;
    return DoubleToInt(pos - axis.dPos - offset);
  };
  m_rcScreen.nLeft = edge(scene.m_ScrollX, m_dX, m_rcGfx.nX);
  m_rcScreen.nTop = edge(scene.m_ScrollY, m_dY, m_rcGfx.nY);
  m_rcScreen.nRight = m_rcScreen.nLeft + m_rcGfx.nW - 1;
  m_rcScreen.nBottom = m_rcScreen.nTop + m_rcGfx.nH - 1;
}

int cPlayer::MoveStepX() {
  if (m_dImpactVx != 0) {
    m_dVx = m_dImpactVx;
  } else if (m_dMoveVx != 0) {
    ApplyFriction(m_dMoveVx, m_bDecelX);
    if (m_nFloorTimer != 0 && m_nFloorEffect == 3) {
      double c = PerSecondToPerFrame(m_dFloorSpeedStep) * (m_dFloorFactor - 1.0);
      double before = m_dMoveVx;
      m_dMoveVx += before > 0 ? c : -c;
      if ((before > 0 && m_dMoveVx < 0) || (before < 0 && m_dMoveVx > 0)) m_dMoveVx = 0;
    }
    m_dVx += m_dMoveVx;
  }
  double max = Scene().m_Rules.dMaxSpeedPerStep;
  m_dVx = std::clamp(m_dVx, -max, max);
  m_dX += m_dVx;
  OnMoveX();
  return 0;
}

int cPlayer::MoveStepY() {
  ApplyVerticalImpact();
  if (m_dImpactVy == 0 && m_bFlying && m_dMoveVy != 0) {
    ApplyFriction(m_dMoveVy, m_bDecelY);
    m_dVy += m_dMoveVy;
  }
  int code = ApplySpeedY(m_bFlying ? 0 : 2);
  OnMoveY();
  if (!m_bFlying && (code == 5 || code == 6)) return 7;
  return code;
}

int cPlayer::RunFlows(int deathOnly) {
  BeginCharaAction(*this, true);
  m_bDirBlocked = m_bButtonBlocked = 0;
  m_bJumpDone = 0;
  if (StepFlows(deathOnly)) return 1;
  std::vector<cFlowCommand> pending = std::move(m_vPendingChangeFlows);
  m_vPendingChangeFlows.clear();
  for (const cFlowCommand& change : pending) DoChangeFlow(*this, change, 1);
  ClearEndedLetters();
  SelectStandingAnime(*this);
  if (!m_bJumpDone) {
    m_nJumpHold = 0;
    m_bJumpReady = 1;
    m_bHeadBumped = 0;
  }
  return m_nHp <= 0;
}

namespace {

bool JumpKeyHeld(cPlayer& hero, int kind) {
  if (kind == 0) return true;
  const cRunningFlow* flow = Scene().m_pActFlow;
  if (!flow || flow->KeyConditions.empty() || !hero.m_pKeyInput) return false;
  return CheckKeyCondition(*hero.m_pKeyInput, *flow->KeyConditions.back());
}

}  // namespace

int cPlayer::Jump(cRunningCommand& cmd) {
  if (m_bFlying || m_bJumpDone) return 0;
  cStagePlayScene& scene = Scene();
  const cStageRules& rules = scene.m_Rules;
  const cFlowCommand& def = *cmd.pDef;
  int kind = CommandParam(def, 0);
  bool held = JumpKeyHeld(*this, kind);
  if (kind == 2) {
    // The height follows the walking speed, between a low and a high height.
    double v = std::fabs(m_dMoveVx);
    double hi = CommandParam(def, 1) / (rules.dSteps * 10);
    double lo = CommandParam(def, 3) / (rules.dSteps * 10);
    int p2 = CommandParam(def, 2), p4 = CommandParam(def, 4);
    int height = p4;
    if (v >= hi)
      height = p2;
    else if (v > lo)
      height = DoubleToInt(p4 + (p2 - p4) * (v / hi));
    cmd.dSpeed = JumpSpeedForDots(*this, height * 16);
  }
  if (held && !m_bJumpForbidden) {
    ++m_nJumpHold;
    bool rising = m_dVy < 0 || m_bRiding;
    if (m_nJumpHold >= cmd.nDuration && (!m_bJumpStarted || m_bRiding) && m_bJumpReady && !m_bHeadBumped && rising) {
      m_bJumpStarted = 1;
      m_bJumpReady = 0;
    } else if (!m_bAirborne && m_nJumpHold <= rules.nSteps && (!m_bJumpStarted || m_bRiding) && m_bJumpReady &&
               !m_bHeadBumped && !m_bKnocked && !cmd.bStarted) {
      m_bJumping = 1;
      if (!m_bRiding) {
        m_dVy = cmd.dSpeed;
        cmd.bStarted = 1;
        scene.Hooks().RequestDbSe(def.m_nSound);
      } else if (scene.m_nLogicStep == rules.nSteps) {
        m_bRiding = 0;
        m_dVy = cmd.dSpeed * 1.0199999809265137;
        cmd.bStarted = 1;
        scene.Hooks().RequestDbSe(def.m_nSound);
      }
    }
  } else {
    if (m_nJumpHold > 0 && m_nJumpHold < cmd.nDuration && !m_bJumpStarted && !m_bHeadBumped && !m_bJumpForbidden &&
        !m_bKnocked) {
      m_bRiding = 0;
      if (m_dVy < 0) m_dVy *= 0.3;
      m_bJumpStarted = 1;
    }
    m_nJumpHold = 0;
    m_bJumpReady = 1;
    m_bHeadBumped = 0;
  }
  const cRunningFlow* flow = scene.m_pActFlow;
  bool keyed = flow && !flow->KeyConditions.empty();
  if (IsOnGround() && m_dVy >= 0 && (!keyed || !held)) {
    m_nJumpHold = 0;
    m_bJumpReady = 1;
    m_bHeadBumped = 0;
    m_bKnocked = 0;
    if (keyed)
      cmd.nRemaining = 0;
    else
      cmd.bStarted = 0;
  }
  m_bJumpDone = 1;
  return 0;
}

int cPlayer::RunItemCommands(const cCheckedVector<cFlowCommand>& commands) {
  if (itemCommandDepth >= kMaxItemCommandDepth) {
    EcLogf("Item commands nested deeper than %d: cut", kMaxItemCommandDepth);
    return 0;
  }
  ++itemCommandDepth;
  Scene().m_bItemMsgShown = 0;
  int result = 0;
  for (const cFlowCommand& command : commands) {
    int r = 0;
    if (ItemCommandExec exec = ItemCommandExecFor(command.m_bItemCommand ? command.m_nType : -1))
      r = exec(*this, command);
    if (m_nHp <= 0) {
      result = 2;
      break;
    }
    if (r != 0) {
      result = r;
      break;
    }
  }
  --itemCommandDepth;
  if (result == 0 && m_nHp <= 0) result = 2;
  return result;
}

int cPlayer::IsItemUntouched(int itemNo) const {
  return std::find(m_lTouchedItems.begin(), m_lTouchedItems.end(), itemNo) == m_lTouchedItems.end();
}

void cPlayer::ForgetTouchedItem(int itemNo) { std::erase(m_lTouchedItems, itemNo); }
