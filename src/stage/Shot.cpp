#include "stage/Shot.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "gamedata/Database.h"
#include "library/util/Convert.h"
#include "stage/StagePlayScene.h"

namespace {

int StepsOf(long long tenths) {
  const long long steps = tenths * Scene().m_Rules.nSteps * 6;
  return static_cast<int>(std::clamp<long long>(steps, INT_MIN, INT_MAX));
}

BoxI ScaledBox(const BoxI& box, int scale) { return {box.nX * scale, box.nY * scale, box.nW * scale, box.nH * scale}; }

}  // namespace

const AnimeTable& ShotAnimeTable() {
  static const AnimeTable table = {AnimeSequence{{0, 7, 0}, {1, 7, 0}, {2, 7, 0}, {ANIME_END, 0, 0}},
                                   AnimeSequence{{0, 8, 0}, {1, 8, 0}, {ANIME_LOOP, 0, 0}}};
  return table;
}

const cDbSwordPart& SwordPart(int type, int part) {
  static const cDbSwordType none;
  const cDbSwordType& sword = Database ? Database->SwordType.VecAt(type) : none;
  return sword.m_Parts.VecAt(part);
}

int SwordPartCount(int type) { return Database ? static_cast<int>(Database->SwordType.VecAt(type).m_Parts.size()) : 0; }

void cShot::ScaleBoxes(int scale) { m_boxHit = ScaledBox(m_boxHitBase, scale); }

void cShot::AdjustForScale(int newScale, int oldScale) {
  if (newScale == oldScale) return;
  m_dY -= (newScale - oldScale) * (m_nBaseHeight >> 1);
  ClampY(2);
}

void cShot::UpdateRectX() {
  m_rcHit.dLeft = DoubleToInt(m_dX) + m_boxHit.nX;
  m_rcHit.dRight = m_rcHit.dLeft + m_boxHit.nW - 1;
}

void cShot::UpdateRectY() {
  m_rcHit.dTop = DoubleToInt(m_dY) + m_boxHit.nY;
  m_rcHit.dBottom = m_rcHit.dTop + m_boxHit.nH - 1;
}

void cShot::SetupShot(int serial, const cChara& shooter, int commandType, cEdShot& settings, const SHOTFIREDATA& fire) {
  const cStageRules& rules = Scene().m_Rules;
  const double n = rules.dSteps;
  if (settings.m_nScale < 1) settings.m_nScale = 1;  // a negative size would turn every box inside out
  m_Settings = settings;
  const bool sword = commandType == kSwordCommand;
  int bodyW = 16, bodyH = 16;
  if (sword) {
    const cDbSwordPart& part = SwordPart(settings.m_nTrajectory, 0);
    bodyW = part.m_nWidth, bodyH = part.m_nHeight;
  }
  const int right = fire.dVx > 0 ? 1 : fire.dVx < 0 ? 0 : shooter.m_bRight;
  m_nShooterNo = shooter.m_nNo;
  m_bIsShot = sword ? 0 : 1;
  SetupObject(serial, shooter.m_nController, shooter.m_nPlayerNo, settings.m_nFaction, settings.m_nShotGraphic,
              &ShotAnimeTable(), sword ? 0 : 1, 0, 0, bodyW, bodyH, 16, 16, right, 1, fire.nRepeat);
  if (settings.m_bUserFaction) {
    m_Settings.m_nFaction = static_cast<std::int8_t>(shooter.m_nFaction);
    m_nFaction = shooter.m_nFaction;
  }
  if (sword) {
    m_boxHit = {0, 0, bodyW, bodyH};
  } else {
    const SizeRule& box = rules.ShotBox[shooter.m_nController == 0 ? 0 : 1];
    m_boxHit = {8 - (box.nWidth >> 1), 8 - (box.nHeight >> 1), box.nWidth, box.nHeight};
  }
  m_boxHitBase = m_boxHit;
  SetScale(m_Settings.m_nScale, 1);
  m_dX = fire.nX;
  ClampShotX();
  m_dY = fire.nY;
  ClampY(2);
  m_dOwnVx = fire.dVx / n;
  m_dOwnVy = fire.dVy / n;
  if (m_Settings.m_bAccel) {
    m_bAccel = 1;
    m_dAccel = (m_Settings.m_nAccel + m_Settings.m_nAccelStep * fire.nRepeat) * 0.1 / n;
    DirToVelocity(m_dMoveVx, m_dMoveVy, fire.dVx, fire.dVy);
  } else {
    m_bAccel = 0;
    m_dAccel = m_dMoveVx = m_dMoveVy = 0;
  }
  m_dVx = m_dVy = 0;
  m_bScrollCarried = m_Settings.m_bScrollCarry;
  if (m_Settings.m_bLifetime) m_nLifeCounter = StepsOf(fire.nLifetime);
  if (m_Settings.m_bRange) SetupRange(fire);
  m_nStepCount = m_nSwordPart = m_nTrajStart = m_nTrajEnd = m_bTrajDone = 0;
  m_nTargetNo = shooter.m_nTargetNo;
}

// The flight distance in steps. A distance that a step would overshoot is
// flown in N steps at the speed that covers it exactly.
void cShot::SetupRange(const SHOTFIREDATA& fire) {
  const int steps = Scene().m_Rules.nSteps;
  const double n = steps;
  const double a = std::max(fire.nDistance * 16.0 - m_nWidth, 0.0);
  const double v = std::fabs(fire.dSpeed / n);
  if (a > 0 && v > 0) {
    m_nRangeSteps = DoubleToInt(a / v);
  } else {
    m_nRangeSteps = steps;
    if (DoubleToInt(n * v) > m_nWidth) m_nRangeSteps = DoubleToInt(m_nWidth / v);
  }
  if (m_nRangeSteps >= steps) return;
  const double s = a / n;
  const double sum = std::fabs(fire.dVx) + std::fabs(fire.dVy);
  // Without a direction there is nothing to spread the distance over: the shot stands.
  m_dOwnVx = sum == 0 ? 0 : s * fire.dVx / sum;
  m_dOwnVy = sum == 0 ? 0 : s * fire.dVy / sum;
  m_nRangeSteps = steps;
}

void cShot::DirToVelocity(double& outX, double& outY, double dx, double dy) const {
  const double m = m_dAccel;
  if (dx == 0 && dy == 0) {
    outX = outY = 0;
  } else if (dx == 0) {
    outX = 0;
    outY = dy < 0 ? -PerSecondToPerFrame(m) : PerSecondToPerFrame(m);
  } else if (dy == 0) {
    outY = 0;
    outX = dx < 0 ? -PerSecondToPerFrame(m) : PerSecondToPerFrame(m);
  } else {
    const double d = std::sqrt(dx * dx + dy * dy);
    outX = PerSecondToPerFrame(dx / d * m);
    outY = PerSecondToPerFrame(dy / d * m);
  }
}

int cShot::ClampShotX() {
  const int world = Scene().m_ScrollX.nActiveRange;
  int result = 0;
  if (m_dX < 0) {
    m_dX = 0;
    result = 3;
  } else if (m_dX + m_nWidth - 1 >= world) {
    m_dX = world - m_nWidth;
    result = 3;
  }
  m_dRight = m_nWidth + m_dX - 1.0;
  UpdateRectX();
  m_nCellLeft = DoubleToInt(m_dX) >> 5;
  m_nCellRight = DoubleToInt(m_dRight) >> 5;
  return result;
}

int cShot::MoveShotX() {
  if (m_dMoveVx != 0) m_dVx += m_dMoveVx;
  if (m_dVx == 0) return 0;
  const double max = Scene().m_Rules.dMaxSpeedPerStep;
  m_dVx = std::clamp(m_dVx, -max, max);
  m_dX += m_dVx;
  ClampShotX();
  return 0;
}

int cShot::MoveShotY() {
  if (m_dMoveVy != 0) m_dVy += m_dMoveVy;
  if (m_dVy != 0) {
    ApplySpeedY(2);
    ClampY(2);
  }
  return 0;
}

// The velocity the automatic scroll gives a carried shot: none while an axis rests on its limit.
void cShot::CarryWithScroll() {
  const cStagePlayScene& scene = Scene();
  if (scene.m_Rules.bScrollRelativeMove || !m_bScrollCarried) {
    m_dVx = 0;
    if (m_bFlying) m_dVy = 0;
    return;
  }
  m_dVx = scene.m_ScrollX.EffectiveAutoSpeed();
  if (m_bFlying) m_dVy = scene.m_ScrollY.EffectiveAutoSpeed();
}

int cShot::UpdateShot() {
  if (!IsShot()) return UpdateSword();
  CarryWithScroll();
  RunTrajectory(*this);
  if (m_bAccel) {
    m_dOwnVx += m_dMoveVx;
    if (m_bFlying)
      m_dOwnVy += m_dMoveVy;
    else
      m_dVy += m_dMoveVy;
  }
  m_dVx += m_dOwnVx;
  if (m_bFlying) m_dVy += m_dOwnVy;
  if (m_Settings.m_bLifetime) {
    if (m_nLifeCounter <= 0) return 1;
    --m_nLifeCounter;
  }
  if (m_dVx != 0) m_bRight = m_dVx > 0;
  if (m_Settings.m_bRange) {
    if (m_nRangeSteps > 0) --m_nRangeSteps;
    if (m_nRangeSteps <= 0) {
      if (!m_Settings.m_bStopAtRange) return 1;
      StopAtRange();
    }
  }
  return 0;
}

// The distance is used up: the shot stands where it is and moves only with the scroll.
void cShot::StopAtRange() {
  const cStagePlayScene& scene = Scene();
  m_dOwnVx = m_dOwnVy = 0;
  m_Settings.m_nTrajectory = 0;
  if (!m_bScrollCarried) {
    m_dVx = m_dVy = 0;
    return;
  }
  if (!scene.m_ScrollX.bAtEdge) m_dVx = scene.m_ScrollX.dAutoSpeed;
  if (m_bFlying && !scene.m_ScrollY.bAtEdge) m_dVy = scene.m_ScrollY.dAutoSpeed;
}

int cShot::UpdateSword() {
  cStagePlayScene& scene = Scene();
  cChara* wielder = scene.FindCharaById(m_nShooterNo);
  if (!wielder) return 1;
  wielder->UpdateScreenRect();
  m_bRight = wielder->m_bRight;
  const int type = m_Settings.m_nTrajectory;
  const cDbSwordPart& part = SwordPart(type, m_nSwordPart);
  const int scale = m_Settings.m_nScale;
  if (m_nStepCount == 0) {
    m_nBaseWidth = m_rcGfxBase.nW = m_boxHitBase.nW = part.m_nWidth;
    m_nBaseHeight = m_rcGfxBase.nH = m_boxHitBase.nH = part.m_nHeight;
    m_nWidth = m_rcGfx.nW = m_boxHit.nW = part.m_nWidth * scale;
    m_nHeight = m_rcGfx.nH = m_boxHit.nH = part.m_nHeight * scale;
  }
  AttachToWielder(*wielder, part);
  ClampShotX();
  ClampY(2);
  if (++m_nStepCount <= StepsOf(part.m_nDuration)) return 0;
  m_nStepCount = 0;
  return ++m_nSwordPart >= SwordPartCount(type) ? 1 : 0;
}

void cShot::AttachToWielder(const cChara& wielder, const cDbSwordPart& part) {
  const cStagePlayScene& scene = Scene();
  const RectI& rc = wielder.m_rcScreen;
  const double sx = scene.m_ScrollX.dPos, sy = scene.m_ScrollY.dPos;
  const int w = m_rcGfx.nW, h = m_rcGfx.nH;
  const double besideY = rc.nTop + sy + (wielder.m_rcGfx.nH >> 1) - (h >> 1);
  const double centredX = rc.nLeft + sx + (wielder.m_rcGfx.nW >> 1) - (w >> 1);
  const double before = wielder.m_bRight ? rc.nRight + sx + 1 : rc.nLeft + sx - w;
  const double behind = wielder.m_bRight ? rc.nLeft + sx - w : rc.nRight + sx + 1;
  switch (part.m_nPlacement) {
    case 0:
      m_dX = before, m_dY = besideY;
      break;
    case 1:
      m_bRight = !m_bRight;
      m_dX = behind, m_dY = besideY;
      break;
    case 2:
      m_dX = centredX, m_dY = rc.nTop + sy - h;
      break;
    case 3:
      m_dX = centredX, m_dY = rc.nBottom + sy + 1;
      break;
    default:
      break;
  }
  const int scale = m_Settings.m_nScale;
  const bool flipX = wielder.m_bRight && part.m_bMirrorX;
  const bool flipY = wielder.m_bRight && part.m_bMirrorY;
  m_dX += flipX ? -scale * part.m_nOffsetX : scale * part.m_nOffsetX;
  m_dY += flipY ? -scale * part.m_nOffsetY : scale * part.m_nOffsetY;
}

int cShot::ShotHitsBlock() const {
  if (m_Settings.m_nBlockPass == 1) return 0;
  cStagePlayScene& scene = Scene();
  auto blocks = [&](int column, int row) {
    return GetBlockHit(scene.CellAt(scene.CellIndex(column, row)), m_nFaction) != 0;
  };
  if (m_nWidth <= 32) {
    for (auto [cx, cy] : {std::pair{m_nCellLeft, m_nCellTop},
                          {m_nCellLeft, m_nCellBottom},
                          {m_nCellRight, m_nCellTop},
                          {m_nCellRight, m_nCellBottom}})
      if (blocks(cx, cy)) return 1;
    return 0;
  }
  // Every cell under the body: runs in 32-dot steps that end exactly on the far edge.
  auto run = [](double from, double to, auto&& visit) {
    const int last = DoubleToInt(to);
    for (int p = DoubleToInt(from);; p += 32) {
      if (p >= last) return visit(last >> 5);
      if (visit(p >> 5)) return true;
    }
  };
  return run(m_dY, m_dBottom,
             [&](int row) { return run(m_dX, m_dRight, [&](int column) { return blocks(column, row); }); });
}
