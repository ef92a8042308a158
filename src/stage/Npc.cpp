#include <atomic>

#include "flow/Interpreter.h"
#include "library/util/Convert.h"
#include "stage/Chara.h"
#include "stage/StagePlayScene.h"

namespace {

void SetBoxRect(RectD& rect, const BoxI& box, double pos, bool xAxis) {
  double start = DoubleToInt(pos) + (xAxis ? box.nX : box.nY);
  double size = xAxis ? box.nW : box.nH;
  if (xAxis)
    rect.dLeft = start, rect.dRight = start + size - 1;
  else
    rect.dTop = start, rect.dBottom = start + size - 1;
}

BoxI Scaled(const BoxI& box, int scale) { return {box.nX * scale, box.nY * scale, box.nW * scale, box.nH * scale}; }

}  // namespace

std::uint64_t NewNpcSerial() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

void cNpc::ScaleBoxes(int scale) {
  if (m_Def.m_bBlockChara) {
    m_boxContact = m_boxDamage = {0, 0, m_nWidth, m_nHeight};
    return;
  }
  m_boxContact = Scaled(m_boxContactBase, scale);
  m_boxDamage = Scaled(m_boxDamageBase, scale);
}

void cNpc::UpdateRectX() {
  SetBoxRect(m_rcContact, m_boxContact, m_dX, true);
  SetBoxRect(m_rcDamage, m_boxDamage, m_dX, true);
}

void cNpc::UpdateRectY() {
  SetBoxRect(m_rcContact, m_boxContact, m_dY, false);
  SetBoxRect(m_rcDamage, m_boxDamage, m_dY, false);
}

void cNpc::InitNpc(int no, cCharaDef& def, const cItem* item, double x, double y, int copyIndex) {
  if (def.m_nGiant == 0) def.m_nGiant = 1;
  m_nNo = no;
  ResetChara(&def, x, y, copyIndex);
  const cStageRules& rules = Scene().m_Rules;
  int flying = m_Def.m_nFlying != 0;
  int w = 32, h = 32, offX = 0, offY = 0;
  if (!m_Def.m_bBlockChara) {
    const SizeRule& body = rules.CharaBody[static_cast<size_t>(flying)];
    w = body.nWidth, h = body.nHeight;
    offX = (32 - w) >> 1;
    offY = body.bBottom ? 32 - h : (32 - h) >> 1;
  }
  SetupObject(no, m_Def.m_nOperator, m_Def.m_nPlayerNo, m_Def.m_nGroup, m_Def.m_nGraphic, nullptr, 0, offX, offY, w, h,
              32, 32, m_Def.m_nFacing, m_Def.m_nFlying, copyIndex);
  m_nGraphicKind = m_Def.m_nGraphicSrc;
  if (m_Def.m_bBlockChara) {
    m_boxContact = m_boxContactBase = {0, 0, 0, 0};
    m_boxDamage = m_boxDamageBase = {0, 0, 32, 32};
  } else {
    SetContactBoxByChoice(rules.CharaContact[static_cast<size_t>(flying)], rules.CharaDamage, rules.CharaContact2);
    int dw = rules.CharaDamage.nWidth, dh = rules.CharaDamage.nHeight;
    m_boxDamage = m_boxDamageBase = {16 - (dw >> 1) - m_rcGfx.nX, 16 - (dh >> 1) - m_rcGfx.nY, dw, dh};
  }
  SetScale(m_Def.m_nGiant, 1);
  m_bAwake = 0;
  m_nItemHintTimer = 0;
  if (item)
    m_Item = *item;
  else
    m_Item.m_Def.m_nGraphic = 0;
  static constexpr int kIgnoreX[] = {0, 0, 1, 1};
  static constexpr int kIgnoreY[] = {0, 1, 0, 1};
  int range = m_Def.m_nActiveRange;
  if (range >= 0 && range <= 3) m_bIgnoreViewX = kIgnoreX[range], m_bIgnoreViewY = kIgnoreY[range];
  m_bWasAwake = 0;
  m_Anime.SetAnime(m_bFlying ? 0 : 1, 1);
  InstallFlows(m_Def.m_vFlows, m_bRight, 0, -1);
}

void cNpc::PlaceOnCell(int column, int row) {
  const cStagePlayScene& scene = Scene();
  m_dX = (scene.m_ScrollX.nMarginCells + column) * 32 + m_rcGfxBase.nX + 0.5;
  m_dY = (scene.m_ScrollY.nMarginCells + row) * 32 + m_rcGfxBase.nY;
  ApplyScaleChange(m_Def.m_nGiant, 1);
  OnMoveX();
  OnMoveY();
}

int cNpc::UpdateInView(cCheckedVector<BYTE>& groupAwake) {
  if (IsOnScreenAxis(m_bIgnoreViewX, m_bIgnoreViewY)) {
    m_bInView = 1;
    if (m_Def.m_bGroupActivation) groupAwake.VecAt(m_Def.m_nActivationGroup) = 1;
    return 1;
  }
  m_bInView = 0;
  return 0;
}

int cNpc::IsAwake(cCheckedVector<BYTE>& groupAwake) {
  bool awake = m_bInView || (m_Def.m_bGroupActivation && groupAwake.VecAt(m_Def.m_nActivationGroup));
  if (!awake) {
    if (m_bFlying) return 0;
    if (!m_bJumping && !(m_bAirborne && m_bWasAwake)) return 0;
  }
  if (m_Def.m_nActivationRule == 1) m_bIgnoreViewX = m_bIgnoreViewY = 1;
  m_bWasAwake = 1;
  UpdateScreenRect();
  return 1;
}

int cNpc::OverlapsRect(double left, double top, double right, double bottom) const {
  return m_dX <= right && m_dRight >= left && m_dY <= bottom && m_dBottom >= top;
}

int cNpc::MoveStepX() {
  if (m_dImpactVx != 0) {
    m_dVx = m_dImpactVx;
  } else if (m_dMoveVx != 0) {
    ApplyFriction(m_dMoveVx, m_bDecelX);
    m_dVx += m_dMoveVx;
  }
  int code = ApplySpeedX(2);
  OnMoveX();
  return code == 3 ? 4 : code;
}

int cNpc::MoveStepY() {
  ApplyVerticalImpact();
  if (m_dImpactVy == 0 && m_bFlying && m_dMoveVy != 0) {
    ApplyFriction(m_dMoveVy, m_bDecelY);
    m_dVy += m_dMoveVy;
  }
  int code = ApplySpeedY(2);
  OnMoveY();
  if (m_bFlying) return code == 3 || code == 6 ? 8 : code;
  return code == 5 || code == 6 ? 7 : code;
}

namespace {

// The velocity a character starts its step with: the automatic scroll's for a
// carried one, none otherwise.
void SetScrollBaseVelocity(cChara& c, bool heroRules) {
  const cStagePlayScene& scene = Scene();
  double sx = scene.m_ScrollX.EffectiveAutoSpeed(), sy = scene.m_ScrollY.EffectiveAutoSpeed();
  if (scene.m_Rules.bScrollRelativeMove) {
    if (heroRules && c.m_bFlying)
      c.m_dVx = sx, c.m_dVy = sy;
    else if (heroRules)
      c.m_dVx = 0;
    else {
      c.m_dVx = 0;
      if (c.m_bFlying) c.m_dVy = 0;
    }
    return;
  }
  c.m_dVx = c.m_bScrollCarried ? sx : 0;
  if (c.m_bFlying) c.m_dVy = c.m_bScrollCarried ? sy : 0;
}

}  // namespace

void BeginCharaAction(cChara& c, bool heroRules) {
  cStagePlayScene& scene = Scene();
  scene.m_pActChara = &c;
  scene.m_bCheckHero = 0;
  SetScrollBaseVelocity(c, heroRules);
  c.m_bHeld = 0;
  c.m_bDecelX = c.m_bDecelY = 1;
  c.m_bMovedByCommand = 0;
  if (c.m_nCountdown > 0) --c.m_nCountdown;
}

void SelectStandingAnime(cChara& c) {
  if (!c.m_bMovedByCommand && c.m_dMoveVx == 0 && c.m_dMoveVy == 0) c.m_Anime.ChangeAnime(c.m_bFlying ? 2 : 0, 1);
}

int cNpc::RunFlows(int deathOnly) {
  BeginCharaAction(*this, false);
  if (StepFlows(deathOnly)) return 1;
  ClearEndedLetters();
  SelectStandingAnime(*this);
  return m_nHp <= 0;
}

int cNpc::Jump(cRunningCommand& cmd) {
  for (int blocker : {m_bAirborne, m_bHeadBumped, m_bKnocked, m_nFloorlessSteps})
    if (blocker) return blocker;
  Scene().Hooks().RequestDbSe(cmd.pDef ? cmd.pDef->m_nSound : 0);
  m_dVy = cmd.dSpeed;
  m_bJumping = m_bJumpStarted = 1;
  m_bRiding = 0;
  return 1;
}
