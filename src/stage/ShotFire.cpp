#include "stage/ShotFire.h"

#include <algorithm>
#include <cmath>

#include "flow/Interpreter.h"
#include "library/util/Convert.h"
#include "library/util/Random.h"
#include "records/FlowEnums.h"
#include "records/Palette.h"
#include "records/StageData.h"
#include "stage/Collision.h"
#include "stage/StagePlayScene.h"

namespace {

const double kDiagonal = 1 / std::sqrt(2.0);  // DIAGONAL_FACTOR
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

double Cos(double degrees) { return std::cos(degrees * kDegToRad); }
double Sin(double degrees) { return std::sin(degrees * kDegToRad); }

// One firing (or summon) with the shooter's world geometry: its screen
// rectangle plus the truncated scroll position.
class cVolley {
 public:
  cVolley(cChara& shooter, cRunningCommand& cmd, cEdShot& settings, SHOTFIREDATA& fire)
      : m_shooter(shooter), m_cmd(cmd), m_s(settings), m_f(fire) {
    const cStagePlayScene& scene = Scene();
    const RectI& rc = shooter.m_rcScreen;
    L = rc.nLeft, T = rc.nTop, R = rc.nRight, B = rc.nBottom;
    W = shooter.m_rcGfx.nW, H = shooter.m_rcGfx.nH;
    m_scrollX = scene.m_ScrollX.dPos, m_scrollY = scene.m_ScrollY.dPos;
    sx = DoubleToInt(m_scrollX), sy = DoubleToInt(m_scrollY);
    cx = L + sx + (W >> 1), cy = T + sy + (H >> 1);
    w = fire.nCellW, h = fire.nCellH;
    n = settings.m_nShotCount;
    S = settings.m_nPatternParam[0] * 16;
  }

  void RunPattern() {
    switch (m_s.m_nPattern) {
      case SHOTPATTERN_STRAIGHT_A:
        return PatternStraight(&cVolley::PlaceStraightAAngled, &cVolley::PlaceStraightA);
      case SHOTPATTERN_STRAIGHT_B:
        return PatternStraight(&cVolley::PlaceStraightBAngled, &cVolley::PlaceStraightB);
      case SHOTPATTERN_SPREAD:
        return PatternSpread();
      case SHOTPATTERN_THUNDER:
        return PatternThunder();
      case SHOTPATTERN_EXPLODE:
        return PatternExplode();
      case SHOTPATTERN_SURROUND:
        return PatternSurround();
      default:
        return;  // no such pattern: nothing is placed
    }
  }

 private:
  using Placement = void (cVolley::*)();

  int DirAngle() const { return DirectionAngle(m_f.nDirection); }
  bool Angled() const { return m_f.nAngle != 0 || m_s.m_bAim; }
  int StartCentreX() const { return m_f.nStartX + (w >> 1); }
  int StartCentreY() const { return m_f.nStartY + (h >> 1); }
  int Aim(int x, int y) { return CalcAimAngle(x, y, m_shooter, m_s, m_f); }
  // The angle from the start cell's centre when aiming, else the direction's.
  int AimFromStart() { return m_s.m_bAim ? Aim(StartCentreX(), StartCentreY()) : DirAngle(); }
  int AimFromShooter() { return m_s.m_bAim ? Aim(cx + m_f.nOffsetX, cy + m_f.nOffsetY) : DirAngle(); }

  void SetVelocity(double angle) {
    m_f.dVx = -Cos(angle) * m_f.dSpeed;
    m_f.dVy = -Sin(angle) * m_f.dSpeed;
  }
  void SetVelocity(double kx, double ky) { m_f.dVx = kx * m_f.dSpeed, m_f.dVy = ky * m_f.dSpeed; }
  void SetStart(int x, int y) { m_f.nStartX = x, m_f.nStartY = y; }
  void SetStep(int x, int y) { m_f.nStepX = x, m_f.nStepY = y; }
  void AddOffsets() { m_f.nStartX += m_f.nOffsetX, m_f.nStartY += m_f.nOffsetY; }

  void CreateShot();

  // The cells beside the shooter on its diagonals (the first cell's centre on
  // the diagonal through the shooter's centre).
  int DiagLeft() const { return DoubleToInt(cx - kDiagonal * ((W >> 1) + (w >> 1) - 1) - (w >> 1)); }
  int DiagRight() const { return DoubleToInt(cx + kDiagonal * (R - L - (W >> 1) + (w >> 1) + 1) - (w >> 1)); }
  int DiagTop() const { return DoubleToInt(cy - kDiagonal * ((H >> 1) + (h >> 1)) - (h >> 1)); }
  int DiagBottom() const { return DoubleToInt(cy + kDiagonal * (B - T - (H >> 1) + (h >> 1) + 1) - (h >> 1)); }

  void PatternStraight(Placement angled, Placement plain) {
    (this->*(Angled() ? angled : plain))();
    m_f.nX = m_f.nStartX, m_f.nY = m_f.nStartY;
    for (int i = 0; i < n; ++i) {
      CreateShot();
      m_f.nX += m_f.nStepX, m_f.nY += m_f.nStepY;
    }
  }

  // A row centred on the shooter's centre line, across the flight.
  void PlaceStraightA() {
    const int across = cy - (n - 1) * (S / 2) - n * (h >> 1);
    const int along = cx - (n - 1) * (S / 2) - n * (w >> 1);
    const double a = kDiagonal * (n - 1) * (S / 2 + (w >> 1));
    const double b = kDiagonal * (n - 1) * (S / 2 + (h >> 1));
    const int px = DoubleToInt(kDiagonal * (w + S)), py = DoubleToInt(kDiagonal * (h + S));
    switch (m_f.nDirection) {
      case 2:
        SetStart(L + sx + 1 - w, across), SetStep(0, S + h), SetVelocity(-1.0, 0.0);
        break;
      case 3:
        SetStart(R + sx + 1, across), SetStep(0, S + h), SetVelocity(1.0, 0.0);
        break;
      case 6:
        SetStart(along, T + sy - h), SetStep(S + w, 0), SetVelocity(0.0, -1.0);
        break;
      case 7:
        SetStart(along, B + sy + 1), SetStep(S + w, 0), SetVelocity(0.0, 1.0);
        break;
      case 8:
        SetStart(DoubleToInt(DiagLeft() - a), DoubleToInt(DiagTop() + b)), SetStep(px, -py);
        SetVelocity(-kDiagonal, -kDiagonal);
        break;
      case 9:
        SetStart(DoubleToInt(DiagLeft() - a), DoubleToInt(DiagBottom() - b)), SetStep(px, py);
        SetVelocity(-kDiagonal, kDiagonal);
        break;
      case 10:
        SetStart(DoubleToInt(DiagRight() - a), DoubleToInt(DiagTop() - b)), SetStep(px, py);
        SetVelocity(kDiagonal, -kDiagonal);
        break;
      case 11:
        SetStart(DoubleToInt(DiagRight() - a), DoubleToInt(DiagBottom() + b)), SetStep(px, -py);
        SetVelocity(kDiagonal, kDiagonal);
        break;
      default:
        break;
    }
    AddOffsets();
  }

  void PlaceStraightAAngled() {
    if (!m_s.m_bRotateRow) {
      PlaceStraightA();
      SetVelocity(AimFromStart() + m_f.nAngle);
      return;
    }
    int c = AimFromShooter() + m_f.nAngle;
    PlaceRotatedStart(c);
    if (m_s.m_bAim) c = Aim(StartCentreX() + m_f.nOffsetX, StartCentreY() + m_f.nOffsetY) + m_f.nAngle;
    const double s = Sin(c), k = Cos(c);
    const int m = n - 1;
    const double halfX = S / 2 + (w >> 1), halfY = S / 2 + (h >> 1);
    if ((s >= 0 && k >= 0) || (s < 0 && k < 0)) {
      m_f.nStartX = DoubleToInt(m_f.nStartX - s * halfX * m);
      m_f.nStartY = DoubleToInt(m_f.nStartY + k * halfY * m);
      SetStep(DoubleToInt(s * (S + w)), DoubleToInt(k * (-S - h)));
    } else {
      m_f.nStartX = DoubleToInt(m_f.nStartX + s * halfX * m);
      m_f.nStartY = DoubleToInt(m_f.nStartY - k * halfY * m);
      SetStep(DoubleToInt(s * (-S - w)), DoubleToInt(k * (S + h)));
    }
    AddOffsets();
    SetVelocity(-k, -s);
  }

  // The start cell turned around the shooter to the angle c; c = 0 puts it
  // just left of the shooter, centred on it.
  void PlaceRotatedStart(double c) {
    const double rr = kDiagonal * (B + (h >> 1) - T - (H >> 1) + 1);
    const double tt = kDiagonal * ((w >> 1) + R - L - (W >> 1) + 1);
    const double turned = c + 225;
    SetStart(DoubleToInt(L + (W >> 1) + sx + rr * Sin(turned) + tt * Cos(turned) - (w >> 1)),
             DoubleToInt(T + (H >> 1) + sy + tt * Sin(turned) - rr * Cos(turned) - (h >> 1)));
  }

  // A column standing on the shooter's bottom line.
  void PlaceStraightB() {
    const int before = L + sx + 1 - w, after = R + sx + 1;
    m_f.nStartY = B + sy - h + 1;
    SetStep(0, -S - h);
    const double k = kDiagonal;
    switch (m_f.nDirection) {
      case 2:
        m_f.nStartX = before, SetVelocity(-1.0, 0.0);
        break;
      case 3:
        m_f.nStartX = after, SetVelocity(1.0, 0.0);
        break;
      case 6:
      case 7:
        m_f.nStartX = m_shooter.m_bRight ? after : before;
        SetVelocity(0.0, m_f.nDirection == 6 ? -1.0 : 1.0);
        break;
      case 8:
        m_f.nStartX = before, SetVelocity(-k, -k);
        break;
      case 9:
        m_f.nStartX = before, SetVelocity(-k, k);
        break;
      case 10:
        m_f.nStartX = after, SetVelocity(k, -k);
        break;
      case 11:
        m_f.nStartX = after, SetVelocity(k, k);
        break;
      default:
        break;
    }
    AddOffsets();
  }

  void PlaceStraightBAngled() {
    PlaceStraightB();
    SetVelocity(AimFromStart() + m_f.nAngle);
  }

  // Every shot from one cell, fanned g degrees apart around the centre angle.
  void PatternSpread() {
    if (Angled())
      PlaceSpreadAngled();
    else
      PlaceSpread();
    const int c = AimFromStart();
    const int g = m_s.m_nPatternParam[0];
    const double half = n % 2 ? (n >> 1) : (n >> 1) - 0.5;
    int angle = DoubleToInt(c + m_f.nAngle - g * half);
    m_f.nX = m_f.nStartX, m_f.nY = m_f.nStartY;
    for (int i = 0; i < n; ++i, angle += g) {
      SetVelocity(angle);
      CreateShot();
    }
  }

  void PlaceSpread() {
    switch (m_f.nDirection) {
      case 2:
        SetStart(L + sx + 1 - w, cy - (h >> 1));
        break;
      case 3:
        SetStart(R + sx + 1, cy - (h >> 1));
        break;
      case 6:
        SetStart(cx - (w >> 1), T + sy - h);
        break;
      case 7:
        SetStart(cx - (w >> 1), B + sy + 1);
        break;
      case 8:
        SetStart(DiagLeft(), DiagTop());
        break;
      case 9:
        SetStart(DiagLeft(), DiagBottom());
        break;
      case 10:
        SetStart(DiagRight(), DiagTop());
        break;
      case 11:
        SetStart(DiagRight(), DiagBottom());
        break;
      default:
        break;
    }
    AddOffsets();
  }

  void PlaceSpreadAngled() {
    if (!m_s.m_bRotateRow) return PlaceSpread();
    PlaceRotatedStart(AimFromShooter() + m_f.nAngle);
    AddOffsets();
  }

  // The thunder and surround patterns' reference: the target, the hero or the shooter.
  const cChara* Reference() const {
    cStagePlayScene& scene = Scene();
    switch (m_s.m_nPatternBase) {
      case 0:
        return scene.FindCharaById(m_shooter.m_nTargetNo);
      case 1:
        return scene.HasHero() ? &scene.Hero() : nullptr;
      default:
        return &m_shooter;
    }
  }

  // Rows that enter from the view's edge toward the reference, c columns each.
  void PatternThunder() {
    const cChara* ref = Reference();
    if (!ref) return;
    // The editor allows 1..50 columns; more would let one command fill the memory.
    const int columns = std::min<int>(m_s.m_nPatternParam[1], kMaxThunderColumns);
    if (m_f.nAngle != 0)
      PlaceThunderAngled(*ref);
    else
      PlaceThunder(*ref);
    for (int row = 0; row < n; ++row) {
      m_f.nX = m_f.nStartX + row * m_f.nStepX;
      m_f.nY = m_f.nStartY + row * m_f.nStepY;
      for (int column = 0; column < columns; ++column) {
        CreateShot();
        m_f.nX += m_f.nColumnStepX, m_f.nY += m_f.nColumnStepY;
      }
    }
  }

  void PlaceThunder(const cChara& ref) {
    const double rx = ref.ScreenCentreX(), ry = ref.ScreenCentreY();
    const double fx = m_scrollX, fy = m_scrollY;
    const int gap = Scene().m_Rules.bThunderNoGap ? 0 : S;
    const double t = w + gap, u = h + gap, k = kDiagonal;
    auto start = [&](double x, double y) { SetStart(DoubleToInt(x), DoubleToInt(y)); };
    switch (m_f.nDirection) {
      case 2:
        start(fx + 640 - w, fy + ry - (h >> 1)), SetStep(-w - gap, 0), SetVelocity(-1.0, 0.0);
        break;
      case 3:
        start(fx, fy + ry - (h >> 1)), SetStep(w + gap, 0), SetVelocity(1.0, 0.0);
        break;
      case 6:
        start(fx + rx - (w >> 1), fy + 480 - h), SetStep(0, -h - gap), SetVelocity(0.0, -1.0);
        break;
      case 7:
        start(fx + rx - (w >> 1), fy), SetStep(0, h + gap), SetVelocity(0.0, 1.0);
        break;
      case 8:
        if (640 - rx < 480 - ry)
          start(fx + 640 - w, fy + ry + (640 - rx) - h);
        else
          start(fx + rx + (480 - ry) - w, fy + 480 - h);
        SetStep(DoubleToInt(-t * k), DoubleToInt(-u * k)), SetVelocity(-k, -k);
        break;
      case 9:
        if (640 - rx < ry)
          start(fx + 640 - w, fy + ry - (640 - rx));
        else
          start(fx + rx + ry - w, fy);
        SetStep(DoubleToInt(-t * k), DoubleToInt(u * k)), SetVelocity(-k, k);
        break;
      case 10:
        if (rx < 480 - ry)
          start(fx, fy + ry + rx - h);
        else
          start(fx + rx - (480 - ry), fy + 480 - h);
        SetStep(DoubleToInt(t * k), DoubleToInt(-u * k)), SetVelocity(k, -k);
        break;
      case 11:
        if (rx < ry)
          start(fx, fy + ry - rx);
        else
          start(fx + rx - ry, fy);
        SetStep(DoubleToInt(t * k), DoubleToInt(u * k)), SetVelocity(k, k);
        break;
      default:
        break;
    }
    PlaceThunderColumns();
    AddOffsets();
  }

  // Columns side by side across the flight, centred on the reference's line.
  void PlaceThunderColumns() {
    m_f.nColumnStepX = m_f.nColumnStepY = 0;
    const int c = m_s.m_nPatternParam[1];
    if (c < 2) return;
    const int p = m_s.m_nPatternParam[2];
    const int cs = p * 16;
    const int e = ((c - 1) >> 1) * cs;
    const int f = c % 2 ? e : e + p * 8;
    const int kc = DoubleToInt(kDiagonal * cs), kf = DoubleToInt(kDiagonal * f);
    switch (m_f.nDirection) {
      case 2:
      case 3:
        m_f.nColumnStepY = cs, m_f.nStartY -= f;
        break;
      case 6:
      case 7:
        m_f.nColumnStepX = cs, m_f.nStartX -= f;
        break;
      case 8:
      case 11:
        m_f.nColumnStepX = kc, m_f.nColumnStepY = -kc, m_f.nStartX -= kf, m_f.nStartY += kf;
        break;
      case 9:
      case 10:
        m_f.nColumnStepX = kc, m_f.nColumnStepY = kc, m_f.nStartX -= kf, m_f.nStartY -= kf;
        break;
      default:
        break;
    }
  }

  void PlaceThunderAngled(const cChara& ref) {
    PlaceThunder(ref);
    SetVelocity(DirAngle() + m_f.nAngle);
  }

  // 360 / n whole degrees between the shots of a ring or a burst; no shot for n <= 0.
  int RingStep() const { return 360 / n; }

  void PatternExplode() {
    if (n <= 0) return;
    PlaceAtShooterCentre();
    m_f.nX = m_f.nStartX, m_f.nY = m_f.nStartY;
    for (int i = 0, angle = DirAngle() + m_f.nAngle; i < n; ++i, angle += RingStep()) {
      SetVelocity(angle);
      CreateShot();
    }
  }

  void PlaceAtShooterCentre() {
    SetStart(L + (W >> 1) + sx - (w >> 1) + m_f.nOffsetX, T + (H >> 1) + sy - (h >> 1) + m_f.nOffsetY);
  }

  // A ring of shots around the reference, each flying toward its centre.
  void PatternSurround() {
    const cChara* ref = Reference();
    if (!ref || n <= 0) return;
    const double r = m_s.m_nPatternParam[0] * 16.0;
    SetStart(DoubleToInt(m_scrollX + ref->ScreenCentreX() - (w >> 1) + m_f.nOffsetX),
             DoubleToInt(m_scrollY + ref->ScreenCentreY() - (h >> 1) + m_f.nOffsetY));
    for (int i = 0, u = DirAngle() + m_f.nAngle; i < n; ++i, u += RingStep()) {
      m_f.nX = DoubleToInt(r * Cos(u) + 0.5) + m_f.nStartX;
      m_f.nY = DoubleToInt(r * Sin(u) + 0.5) + m_f.nStartY;
      SetVelocity(u);
      CreateShot();
    }
  }

  cChara& m_shooter;
  cRunningCommand& m_cmd;
  cEdShot& m_s;
  SHOTFIREDATA& m_f;
  double m_scrollX = 0, m_scrollY = 0;
  int L = 0, T = 0, R = 0, B = 0, W = 0, H = 0;
  int sx = 0, sy = 0, cx = 0, cy = 0;
  int w = 0, h = 0, n = 0, S = 0;
};

// A summon's palette list: the common palette's (0) or the stage's (1); an
// empty list where there is none, so that a bad index is only reported.
template <typename Def>
const cCheckedVector<Def>& PaletteList(const cCheckedVector<Def>* common, const cCheckedVector<Def>* stage, int which) {
  static const cCheckedVector<Def> none;
  const cCheckedVector<Def>* list = which == 0 ? common : stage;
  return list ? *list : none;
}
const cCheckedVector<cCharaDef>& CharaPalette(int which) {
  return PaletteList(CommonPalette ? &CommonPalette->m_Charas : nullptr,
                     StageData ? &StageData->m_PaletteCharas : nullptr, which);
}
const cCheckedVector<cItemDef>& ItemPalette(int which) {
  return PaletteList(CommonPalette ? &CommonPalette->m_Items : nullptr,
                     StageData ? &StageData->m_PaletteItems : nullptr, which);
}
const cCheckedVector<cBlockDef>& BlockPalette(int which) {
  return PaletteList(CommonPalette ? &CommonPalette->m_Blocks : nullptr,
                     StageData ? &StageData->m_PaletteBlocks : nullptr, which);
}

template <typename Def>
const Def* PaletteEntry(const cCheckedVector<Def>& list, int index) {
  return index >= 0 && index < static_cast<int>(list.size()) ? &list[static_cast<size_t>(index)] : nullptr;
}

int SummonFaction(const cChara& summoner, const cEdShot& s, const cCharaDef& def) {
  switch (s.m_nSummonFactionMode) {
    case 0:
      return def.m_nGroup;
    case 1:
      return summoner.m_nFaction;
    default:
      return s.m_nFaction;
  }
}

void cVolley::CreateShot() {
  cStagePlayScene& scene = Scene();
  const double x = m_f.nX, y = m_f.nY;
  const int right = m_shooter.m_bRight;
  switch (m_cmd.pDef ? m_cmd.pDef->m_nType : -1) {
    case CMD_SHOT: {
      cShot& shot = scene.NewShot();
      shot.SetupShot(scene.m_nNextShotId, m_shooter, kShotCommand, m_s, m_f);
      scene.PushShot(shot);
      ++scene.m_nNextShotId;
      const int trajectory = shot.m_Settings.m_nTrajectory;
      cChara* target = trajectory == 3 || trajectory == 6 ? scene.FindCharaById(shot.m_nTargetNo) : nullptr;
      if (!target) {
        shot.m_nTargetNo = kNoTarget;
      } else if (std::find(target->m_vShots.begin(), target->m_vShots.end(), shot.m_nNo) == target->m_vShots.end()) {
        target->m_vShots.push_back(shot.m_nNo);
      }
      return;
    }
    case CMD_SUMMON_BLOCK:
      SetBlockAt(x, y, right, m_s, BlockPalette(m_s.m_nSummonPalette).VecAt(m_s.m_nSummonIndex));
      return;
    case CMD_SUMMON_CHARA: {
      const cCharaDef& def = CharaPalette(m_s.m_nSummonPalette).VecAt(m_s.m_nSummonIndex);
      const int facing = m_s.m_bSummonReverse ? !right : right;
      SummonCharaAt(x, y, SummonFaction(m_shooter, m_s, def), facing, right, m_s, def, scene.m_nNextCharaId);
      return;
    }
    case CMD_SUMMON_ITEM:
      SummonItemAt(x, y, right, m_s, ItemPalette(m_s.m_nSummonPalette).VecAt(m_s.m_nSummonIndex), scene.m_nNextItemId);
      return;
    default:
      return;
  }
}

// The fire angle of repeat n: the settings' angle, mirrored for a shooter
// facing right, and the random spread drawn anew.
int FireAngle(const cEdShot& s, int n, int right) {
  int angle = s.m_nAngle + s.m_nAngleStep * n;
  if (s.m_bMirrorAngle && right) angle = 360 - angle;
  if (s.m_nSpread != 0) angle += crt::rand() % (2 * s.m_nSpread + 1) - s.m_nSpread;
  return angle;
}

void SetOffsets(SHOTFIREDATA& fire, const cEdShot& s, int n, int right) {
  fire.nOffsetX = DoubleToInt(s.GetStepX(n, right));
  fire.nOffsetY = DoubleToInt(s.GetStepY(n, right));
}

int PressedDirection() {
  const cRunningFlow* flow = Scene().m_pActFlow;
  return flow ? flow->nPressedDir : 0;
}

// One summon: the palette entry placed by the settings' pattern, once.
void Summon(cChara& summoner, cRunningCommand& cmd, cEdShot& settings, int cellW, int cellH) {
  SHOTFIREDATA fire;
  fire.nCellW = cellW, fire.nCellH = cellH;
  fire.nDirection = ResolveShotDirection(settings.m_nDirection, summoner.m_bRight);
  fire.dSpeed = 1.0;
  SetOffsets(fire, settings, 0, summoner.m_bRight);
  summoner.UpdateScreenRect();
  cVolley(summoner, cmd, settings, fire).RunPattern();
}

}  // namespace

int ResolveShotDirection(int direction, int facingRight) {
  switch (direction) {
    case 0:
      return facingRight ? 3 : 2;
    case 1:
      return facingRight ? 2 : 3;
    case 4:
      return facingRight ? 7 : 6;
    case 5:
      return facingRight ? 6 : 7;
    case 12:
      return DirectionFromKeyIndex(PressedDirection(), facingRight);
    default:
      return direction;
  }
}

int DirectionAngle(int direction) {
  switch (direction) {
    case 3:
      return 180;
    case 6:
      return 90;
    case 7:
      return 270;
    case 8:
      return 45;
    case 9:
      return 315;
    case 10:
      return 135;
    case 11:
      return 225;
    default:
      return 0;
  }
}

int CalcAimAngle(int x, int y, const cChara& shooter, cEdShot& settings, SHOTFIREDATA& fire) {
  cStagePlayScene& scene = Scene();
  const cChara* target = scene.FindCharaById(shooter.m_nTargetNo);
  if (!target) return shooter.m_bRight ? 180 : 0;
  const int sx = DoubleToInt(scene.m_ScrollX.dPos), sy = DoubleToInt(scene.m_ScrollY.dPos);
  const bool scrolls = scene.m_ScrollX.EffectiveAutoSpeed() != 0 || scene.m_ScrollY.EffectiveAutoSpeed() != 0;
  if (!scrolls || settings.m_bScrollCarry || !target->m_bScrollCarried) {
    const double tx = sx + target->ScreenCentreX(), ty = sy + target->ScreenCentreY();
    return DoubleToInt(std::atan2(ty - y, tx - x) * kRadToDeg + 180 + 0.5);
  }
  // Leading a carried target: the trial shot's velocity toward it, in screen coordinates.
  cShot trial;
  trial.SetupShot(0, shooter, kShotCommand, settings, fire);
  const double n = scene.m_Rules.dSteps;
  const double d = (settings.m_nSpeed + fire.nRepeat * settings.m_nSpeedStep) * 0.1 / n;
  double vx = 0, vy = 0;
  int dir = 0;
  AimVelocity(vx, vy, dir, &trial, x - sx, y - sy, target->ScreenCentreX(), target->ScreenCentreY(), d, 0, 1, 0);
  fire.dSpeed = std::sqrt(vx * vx + vy * vy) * n;
  return DoubleToInt(std::atan2(vy, vx) * kRadToDeg + 180);
}

void FireShot(cChara& shooter, cRunningCommand& cmd, cEdShot& settings) {
  cStagePlayScene& scene = Scene();
  if (settings.m_nScale < 1) settings.m_nScale = 1;
  const int right = shooter.m_bRight;
  SHOTFIREDATA fire;
  fire.nCellW = fire.nCellH = 16 * settings.m_nScale;
  fire.nDirection = ResolveShotDirection(settings.m_nDirection, right);
  if (shooter.m_nController == 1) {
    shooter.UpdateScreenRect();
    if (cChara* target = scene.FindCharaById(shooter.m_nTargetNo); target && target->m_nController == 1)
      target->UpdateScreenRect();
  }
  double speed = settings.m_nSpeed * 0.1;
  int angle = FireAngle(settings, 0, right);
  int distance = settings.m_nRange, lifetime = settings.m_nLifetime;
  for (int n = 0; n <= settings.m_nRepeat; ++n) {
    fire.nRepeat = static_cast<std::int16_t>(n);
    fire.dSpeed = speed, fire.nAngle = angle, fire.nDistance = distance, fire.nLifetime = lifetime;
    SetOffsets(fire, settings, n, right);
    cVolley(shooter, cmd, settings, fire).RunPattern();
    speed += settings.m_nSpeedStep * 0.1;
    angle = FireAngle(settings, n + 1, right);
    distance += settings.m_nRangeStep;
    lifetime += settings.m_nLifetimeStep;
  }
}

void SummonChara(cChara& summoner, cRunningCommand& cmd, cEdShot& settings) {
  const cCharaDef* def = PaletteEntry(CharaPalette(settings.m_nSummonPalette), settings.m_nSummonIndex);
  if (!def || def->m_nOperator != 1) return;
  Summon(summoner, cmd, settings, def->m_nGiant * 32, def->m_nGiant * 32);
}

void SummonItem(cChara& summoner, cRunningCommand& cmd, cEdShot& settings) {
  const cItemDef* def = PaletteEntry(ItemPalette(settings.m_nSummonPalette), settings.m_nSummonIndex);
  if (!def) return;
  Summon(summoner, cmd, settings, def->m_nSize * 32, def->m_nSize * 32);
}

void SummonBlock(cChara& summoner, cRunningCommand& cmd, cEdShot& settings) {
  const cBlockDef* def = PaletteEntry(BlockPalette(settings.m_nSummonPalette), settings.m_nSummonIndex);
  if (!def) return;
  if (settings.m_nBlockSummonMode == 2) Scene().m_BlockToggle.clear();
  Summon(summoner, cmd, settings, 32, 32);
}
