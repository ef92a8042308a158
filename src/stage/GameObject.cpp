#include "stage/GameObject.h"

#include <cmath>
#include <cstdlib>

#include "library/util/Convert.h"
#include "stage/StagePlayScene.h"

namespace {

const double kInvSqrt2 = 1 / std::sqrt(2.0);
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kOneSixtieth = 0.016666666666666666;

struct AxisRanges {
  int lower, upper, spanLow, spanHigh, active;
};

AxisRanges Ranges(const SCROLLDATA& axis) {
  return {axis.nLower, axis.nUpper, axis.nMarginPx, axis.nFullUpper, axis.nActiveRange};
}

// The clamp of one axis; codes are the x codes, the y twin maps them.
int ClampAxis(double& pos, int size, int mode, const AxisRanges& r, bool yAxis) {
  double far = pos + size - 1;
  switch (mode) {
    case 0:
      if (r.lower > pos)
        pos = r.lower;
      else if (far >= r.upper)
        pos = r.upper - size;
      return 0;
    case 1:
      if (r.spanLow > pos)
        pos = r.spanLow;
      else if (far >= r.spanHigh)
        pos = r.spanHigh - size;
      else if (pos < r.lower)
        return 1;
      else if (far >= r.upper)
        return yAxis ? 4 : 1;
      return 0;
    case 2:
      if (pos < 0) return pos = 0, 3;
      if (far >= r.active) return pos = r.active - size, yAxis ? 6 : 3;
      if (pos < r.spanLow) return 2;
      if (far >= r.spanHigh) return yAxis ? 5 : 2;
      if (pos < r.lower) return 1;
      if (far >= r.upper) return yAxis ? 4 : 1;
      return 0;
    default:
      return 0;
  }
}

}  // namespace

void cGameObject::SetupObject(int no, int controller, int playerNo, int faction, int graphic,
                              const AnimeTable* frameTable, int animeNo, int gfxOffX, int gfxOffY, int width,
                              int height, int gfxWidth, int gfxHeight, int right, int flight, int tag) {
  m_nNo = no;
  m_nController = controller;
  m_nPlayerNo = playerNo;
  m_nFaction = faction;
  m_nGraphic = graphic;
  m_nLifeSteps = kUnlimitedLife;
  m_nTag = static_cast<std::int16_t>(tag);
  m_bRight = right;
  m_rcGfxBase = m_rcGfx = {gfxOffX, gfxOffY, gfxWidth, gfxHeight};
  m_nBaseWidth = m_nWidth = width;
  m_nBaseHeight = m_nHeight = height;
  if (frameTable) {
    m_Anime.SetAnimeTable(*frameTable);
    m_Anime.SetAnime(animeNo, 1);
  }
  m_dVx = m_dVy = m_dMoveVx = m_dMoveVy = 0;
  m_bActive = m_bOnScreen = 0;
  m_bAppeared = 0;
  SetMoveType(flight);
}

void cGameObject::SetMoveType(int type) {
  static constexpr int kFlying[] = {0, 1, 1, 1};
  static constexpr std::uint8_t kMode[] = {1, 0, 1, 2};
  if (type < 0 || type > 3) return;
  m_bFlying = kFlying[type];
  m_nFlightMode = kMode[type];
}

int cGameObject::ClampX(int mode) {
  int code = ClampAxis(m_dX, m_nWidth, mode, Ranges(Scene().m_ScrollX), false);
  m_dRight = m_nWidth + m_dX - 1.0;
  UpdateRectX();
  m_nCellLeft = DoubleToInt(m_dX) >> 5;
  m_nCellRight = DoubleToInt(m_dRight) >> 5;
  return code;
}

int cGameObject::ClampY(int mode) {
  int code = ClampAxis(m_dY, m_nHeight, mode, Ranges(Scene().m_ScrollY), true);
  m_dBottom = m_nHeight + m_dY - 1.0;
  UpdateRectY();
  m_nCellTop = DoubleToInt(m_dY) >> 5;
  m_nCellBottom = DoubleToInt(m_dBottom) >> 5;
  return code;
}

int cGameObject::ApplySpeedX(int mode) {
  double max = Scene().m_Rules.dMaxSpeedPerStep;
  if (m_dVx > max)
    m_dVx = max;
  else if (m_dVx < -max)
    m_dVx = -max;
  m_dX += m_dVx;
  return ClampX(mode);
}

int cGameObject::ApplySpeedY(int mode) {
  double max = Scene().m_Rules.dMaxSpeedPerStep;
  if (m_dVy > max)
    m_dVy = max;
  else if (m_dVy < -max)
    m_dVy = -max;
  m_dY += m_dVy;
  return ClampY(mode);
}

void cGameObject::AddGravity() {
  if (!m_bFlying) m_dVy += Scene().m_Rules.dGravityPerStep;
}

void cGameObject::ApplyFriction(double& value, int enabled) const {
  if (!enabled || value == 0) return;
  if (value > 0)
    value = value - m_dMoveDecel < 0 ? 0 : value - m_dMoveDecel;
  else
    value = value + m_dMoveDecel > 0 ? 0 : value + m_dMoveDecel;
}

void cGameObject::UpdateScreenRect() {
  const cStagePlayScene& scene = Scene();
  m_rcScreen.nLeft = DoubleToInt((m_dX - m_rcGfx.nX) - DoubleToInt(scene.m_ScrollX.dPos));
  m_rcScreen.nTop = DoubleToInt((m_dY - m_rcGfx.nY) - DoubleToInt(scene.m_ScrollY.dPos));
  m_rcScreen.nRight = m_rcScreen.nLeft + m_rcGfx.nW - 1;
  m_rcScreen.nBottom = m_rcScreen.nTop + m_rcGfx.nH - 1;
}

int cGameObject::IsOnScreenAxis(int ignoreX, int ignoreY) const {
  const cStagePlayScene& scene = Scene();
  double sx = scene.m_ScrollX.dPos, sy = scene.m_ScrollY.dPos;
  bool inX = ignoreX || (m_dRight >= sx && m_dX < sx + 640);
  bool inY = ignoreY || (m_dBottom >= sy && m_dY < sy + 480);
  return inX && inY;
}

int cGameObject::IsOnScreen() const { return IsOnScreenAxis(0, 0); }

int cGameObject::IsInArea(int whole) const {
  const SCROLLDATA& x = Scene().m_ScrollX;
  const SCROLLDATA& y = Scene().m_ScrollY;
  if (whole) return m_dX >= 0 && m_dRight < x.nActiveRange && m_dY >= 0 && m_dBottom < y.nActiveRange;
  return m_dX >= x.nMarginPx && m_dRight < x.nFullUpper && m_dY >= y.nMarginPx && m_dBottom < y.nFullUpper;
}

int cGameObject::IsOutOfArea(int rule) const {
  if (m_bOnScreen) return 0;
  const cStagePlayScene& scene = Scene();
  const SCROLLDATA& x = scene.m_ScrollX;
  const SCROLLDATA& y = scene.m_ScrollY;
  const OutAreaRule& r = scene.m_OutAreaRules[rule < 0 || rule >= kOutAreaRuleCount ? 0 : rule];
  // Margins in cells come from the stage file: scaled to dots as doubles,
  // which hold any of them exactly.
  if (r.bLeft && DoubleToInt(x.dPos - r.nLeft * 32.0) >= m_dRight) return 1;
  if (r.bRight && DoubleToInt(x.dPos + r.nRight * 32.0 + 640) <= m_dX) return 1;
  if (r.bBottom && DoubleToInt(y.dPos + r.nBottom * 32.0 + 480) <= m_dY) return 1;
  if (r.bTop && DoubleToInt(y.dPos - r.nTop * 32.0) >= m_dBottom) return 1;
  return m_dX <= 0 || m_dRight >= x.nActiveRange - 1 || m_dY <= 0 || m_dBottom >= y.nActiveRange - 1;
}

int cGameObject::IsInBlock() const {
  cStagePlayScene& scene = Scene();
  int left = m_nCellLeft, right = m_nCellRight, top = m_nCellTop, bottom = m_nCellBottom;
  for (auto [cx, cy] : {std::pair{left, top}, {left, bottom}, {right, top}, {right, bottom}})
    if (GetBlockHit(scene.CellAt(scene.CellIndex(cx, cy)), m_nFaction)) return 1;
  return 0;
}

void cGameObject::SetScale(int newScale, int oldScale) {
  if (newScale == oldScale) return;
  m_nWidth = m_nBaseWidth * newScale;
  m_nHeight = m_nBaseHeight * newScale;
  m_rcGfx = {m_rcGfxBase.nX * newScale, m_rcGfxBase.nY * newScale, m_rcGfxBase.nW * newScale,
             m_rcGfxBase.nH * newScale};
  ApplyScaleChange(newScale, oldScale);
  ScaleBoxes(newScale);
}

void cGameObject::ApplyScaleChange(int newScale, int oldScale) {
  if (newScale == oldScale) return;
  RecentreXForScale(newScale, oldScale);
  AdjustForScale(newScale, oldScale);
}

void cGameObject::RecentreXForScale(int newScale, int oldScale) {
  if (newScale == oldScale) return;
  m_dX = m_dX - (newScale - oldScale) * (m_nBaseWidth >> 1);
  ClampX(2);
}

double PerSecondToPerFrame(double value) { return value / Scene().m_Rules.dSteps * kOneSixtieth; }

void CalcImpactSpeed(double& outVx, double& outVy, int strength, double dirX, double dirY) {
  strength = static_cast<std::int8_t>(strength);
  if (strength == 0) return;
  double s = std::fabs(dirX) + std::fabs(dirY);
  if (s == 0) {
    outVx = outVy = 0;
    return;
  }
  // The start speed whose decay of 1/N per step (DecayImpactX/Y) covers the
  // share d in hbl (16 dots): N v² + v = 32 d, so the divisor is 2N.
  double n = Scene().m_Rules.dSteps;
  auto speed = [&](double d) {
    if (d > 0) return (std::sqrt(128 * n * d + 1) - 1) / (2 * n);
    if (d < 0) return -(std::sqrt(1 - 128 * n * d) - 1) / (2 * n);
    return 0.0;
  };
  outVx = speed(strength * dirX / s);
  outVy = speed(strength * dirY / s);
}

int IsInRange(int pos, int size, int lo, int hi, int margin, int back, int front, int exact) {
  int half = size >> 1;
  int centre = pos + half;
  int low = centre, high = centre;
  if (exact && back == 0 && front == 0) {
    low = pos;
    high = centre + half;
  } else {
    if (back > 0) low = pos;
    if (front > 0) high = centre + half;
    low -= back;
    high += front;
  }
  return low <= hi - margin && high >= lo + margin;
}

namespace {

double AdvancePhase(double& phase, double step) {
  double before = phase;
  double n = Scene().m_Rules.dSteps;
  phase += step;
  if (phase >= n * 360) phase -= n * 360;
  return before;
}

}  // namespace

double WaveOffset(double amplitude, double frequency, double& phase, double step, double offset) {
  double n = Scene().m_Rules.dSteps;
  double w = frequency * kDegToRad;
  double t = AdvancePhase(phase, step) / n + offset;
  return w * std::cos(w * t) * amplitude / n;
}

double WaveAcceleration(double amplitude, double frequency, double& phase, double step, double offset) {
  double n = Scene().m_Rules.dSteps;
  double w = frequency * kDegToRad;
  double t = AdvancePhase(phase, step) / n + offset;
  return -(w * std::sin(w * t) * (w / n) * amplitude) / n;
}

namespace {

int DirectionCode(double vx) { return vx < 0 ? 1 : vx > 0 ? 2 : 0; }

// Solves the velocity that reaches (dx, dy) at speed v while the scroll moves
// the carried character by (q, o) per step; false when there is no solution.
// The quadratic's discriminant is not negative for a reachable target; an
// unreachable one (the scroll outruns the speed) keeps the plain aim.
bool SolveCarriedAim(double& vx, double& vy, double dx, double dy, double v, double q, double o) {
  bool yMajor = std::fabs(dy) >= std::fabs(dx);
  if (!yMajor) std::swap(dx, dy), std::swap(q, o);
  double p = dx * dx, d = dy * dy;
  double rr = p * o * o + d * q * q - 2 * dx * dy * o * q;
  if (d == 0) return false;
  double w = p / d + 1;
  if (w == 0) return false;
  double y = (2 * o * p - 2 * dx * dy * q) / d;
  double disc = y * y - 4 * w * (rr / d - v * v);
  if (disc < 0) return false;
  double major = (y + std::sqrt(disc)) / (2 * w);
  if (dy < 0) major = -major;
  if (o - major == 0) return false;
  double t = -dy / (o - major);
  if (t == 0) return false;
  double minor = (dx + t * q) / t;
  if (yMajor)
    vx = minor, vy = major;
  else
    vx = major, vy = minor;
  return true;
}

}  // namespace

int AimVelocity(double& outVx, double& outVy, int& outDir, const cGameObject* chara, double curX, double curY,
                double tgtX, double tgtY, double speed, int keepCarry, int noFlee, int arriveTest) {
  const cStagePlayScene& scene = Scene();
  double sx = scene.m_ScrollX.EffectiveAutoSpeed();
  double sy = scene.m_ScrollY.EffectiveAutoSpeed();
  bool relative = scene.m_Rules.bScrollRelativeMove;
  bool carried = chara && chara->m_bScrollCarried;
  outVx = outVy = 0;
  if (!noFlee && speed < 0) {
    double s = -speed * kInvSqrt2;
    outVx = curX >= tgtX ? s : -s;
    outVy = curY >= tgtY ? s : -s;
    outDir = DirectionCode(outVx);
    if (relative)
      outVx += sx, outVy += sy;
    else if (chara && (keepCarry ? !carried : carried))
      outVx -= sx, outVy -= sy;
    return 0;
  }
  double dx = tgtX - curX, dy = tgtY - curY;
  double d = std::sqrt(dx * dx + dy * dy);
  if (d == 0) d = 1;
  outVx = dx / d * speed;
  outVy = dy / d * speed;
  if (relative) {
    outVx += sx, outVy += sy;
  } else if (chara && (keepCarry || !carried)) {
    if (!carried) outVx -= sx, outVy -= sy;
  } else if (chara && (sx != 0 || sy != 0)) {
    double v = std::sqrt(outVx * outVx + outVy * outVy);
    if (!SolveCarriedAim(outVx, outVy, dx, dy, v, sx, sy)) return 0;
  }
  outDir = DirectionCode(outVx);
  if (arriveTest) return std::fabs(dx) < std::fabs(speed) && std::fabs(dy) < std::fabs(speed);
  return 0;
}

namespace {

int StepToward(double& along, int& outDir, const cGameObject* chara, double cur, double tgt, double speed,
               int keepCarry, int arriveTest, const SCROLLDATA& axis) {
  if (cur < tgt)
    along = speed, outDir = 2;
  else
    along = -speed, outDir = 1;
  if (!keepCarry && chara && chara->m_bScrollCarried && Scene().m_Rules.bScrollRelativeMove && axis.dAutoSpeed != 0 &&
      !axis.bAtEdge)
    along += axis.dAutoSpeed;
  return arriveTest && std::fabs(speed) > std::fabs(cur - tgt);
}

}  // namespace

int StepTowardX(double& outVx, double& outVy, int& outDir, const cGameObject* chara, double cur, double tgt,
                double speed, int keepCarry, int arriveTest) {
  outVy = 0;
  return StepToward(outVx, outDir, chara, cur, tgt, speed, keepCarry, arriveTest, Scene().m_ScrollX);
}

int StepTowardY(double& outVx, double& outVy, int& outDir, const cGameObject* chara, double cur, double tgt,
                double speed, int keepCarry, int arriveTest) {
  outVx = 0;
  int result = StepToward(outVy, outDir, chara, cur, tgt, speed, keepCarry, arriveTest, Scene().m_ScrollY);
  outDir = 0;
  return result;
}

namespace {

bool PassesFilter(const cChara& c, const CharaFilter& f) {
  if (c.m_bRemoved || c.m_bDying) return false;
  if (f.useId && c.m_Def.m_nCharaId != f.id) return false;
  if (f.excludeSelf && c.m_nNo == f.selfNo) return false;
  if (f.skipInvincible && c.m_Def.m_nInvincible == 1) return false;
  if (f.skipShotProof && c.m_Def.m_nInvincible == 2) return false;
  return !(f.skipBlockCharas && c.m_Def.m_bBlockChara);
}

// The nearest-character rule over any sequence of characters: distance by the
// screen centre, a tie keeps the earlier one, mode 0 falls back to characters off screen.
template <typename T>
class NearestSearch {
 public:
  NearestSearch(int x, int y, int mode, const CharaFilter& filter) : m_x(x), m_y(y), m_mode(mode), m_filter(filter) {}

  void Consider(T& c) {
    if (m_mode < 0 || m_mode > 2 || !PassesFilter(c, m_filter) || !c.m_bActive) return;
    long long d = std::llabs(static_cast<long long>(c.ScreenCentreX()) - m_x) +
                  std::llabs(static_cast<long long>(c.ScreenCentreY()) - m_y);
    bool counts = m_mode == 1 || c.m_bOnScreen;
    if (counts && (!m_on || d < m_distOn)) m_on = &c, m_distOn = d;
    if (!counts && m_mode == 0 && (!m_off || d < m_distOff)) m_off = &c, m_distOff = d;
  }
  T* Result() const { return m_on ? m_on : m_off; }

 private:
  int m_x, m_y, m_mode;
  const CharaFilter& m_filter;
  T* m_on = nullptr;
  T* m_off = nullptr;
  long long m_distOn = 0, m_distOff = 0;
};

CharaFilter TargetFilter() {
  CharaFilter filter;
  filter.skipShotProof = 1;
  return filter;
}

int TargetMode() { return Scene().m_Rules.bAimOnScreenOnly ? 2 : 0; }

}  // namespace

cNpc* FindChara(std::list<cNpc>& list, const CharaFilter& filter) {
  for (cNpc& c : list)
    if (PassesFilter(c, filter)) return &c;
  return nullptr;
}

cNpc* FindNearestChara(int x, int y, std::list<cNpc>& list, int mode, const CharaFilter& filter) {
  NearestSearch<cNpc> search(x, y, mode, filter);
  for (cNpc& c : list) search.Consider(c);
  return search.Result();
}

cNpc* FindNearestTarget(int x, int y, std::list<cNpc>& list) {
  return FindNearestChara(x, y, list, TargetMode(), TargetFilter());
}

cChara* FindChara(const std::vector<int>& list, const CharaFilter& filter) {
  cStagePlayScene& scene = Scene();
  for (int no : list)
    if (cChara* c = scene.FindCharaById(no); c && PassesFilter(*c, filter)) return c;
  return nullptr;
}

cChara* FindNearestChara(int x, int y, const std::vector<int>& list, int mode, const CharaFilter& filter) {
  cStagePlayScene& scene = Scene();
  NearestSearch<cChara> search(x, y, mode, filter);
  for (int no : list)
    if (cChara* c = scene.FindCharaById(no)) search.Consider(*c);
  return search.Result();
}

cChara* cGameObject::FindNearestCharaFrom(const std::vector<int>& list) const {
  return FindNearestChara(ScreenCentreX(), ScreenCentreY(), list, TargetMode(), TargetFilter());
}
