// Movement commands: each computes a velocity for this step and hands it to
// ApplyCommandVelocity; the character's own movement step then moves it.
#include "flow/MoveCommands.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "flow/Interpreter.h"
#include "library/util/Convert.h"
#include "stage/Chara.h"
#include "stage/StagePlayScene.h"

namespace {

const double kInvSqrt2 = 1 / std::sqrt(2.0);
constexpr double kDegToRad = 0.017453292519943278;
constexpr double kRadToDeg = 57.29577951308239;
constexpr double kZeroBand = 1e-8;

int Steps() { return Scene().m_Rules.nSteps; }
bool FixedFacing(const cChara& c) { return c.m_Def.m_bFixedFacing != 0; }
void SetFacing(const cChara& c, int& out, int value) {
  if (!FixedFacing(c)) out = value;
}

void ApplyCommandVelocity(cChara& c, double vx, double vy, int facing, cRunningCommand& cmd, const cEdMove& m,
                          int force) {
  if ((!FixedFacing(c) || force) && !m.m_bKeepFacing) {
    if (facing == 1)
      c.m_bRight = 0;
    else if (facing == 2)
      c.m_bRight = 1;
  }
  if (m.m_bInertia) {
    auto accelerate = [&](double& move, int& decel, double v) {
      if ((move < 0 && v > 0) || (move > 0 && v < 0)) {
        move += PerSecondToPerFrame(v) * m.m_dBrake;
      } else {
        decel = 0;
        move += PerSecondToPerFrame(v);
      }
      move = std::clamp(move, -cmd.dSecondSpeed, cmd.dSecondSpeed);
    };
    accelerate(c.m_dMoveVx, c.m_bDecelX, vx);
    accelerate(c.m_dMoveVy, c.m_bDecelY, vy);
  } else {
    c.m_dVx += vx;
    c.m_dVy += vy;
  }
  if (!m.m_bNoMoveAnime) {
    c.m_bMovedByCommand = 1;
    c.m_Anime.ChangeAnime(c.m_bFlying ? 3 : 1, 1);
  }
}

void Apply(cChara& c, cRunningCommand& cmd, int force = 0) {
  ApplyCommandVelocity(c, cmd.dVx, cmd.dVy, cmd.nFacingRequest, cmd, cmd.Move(), force);
}

void ReleasePins(cChara& c) { c.m_bPinnedX = c.m_bPinnedY = 0; }

// The target's centre plus the command's offsets, on the axes the command moves on.
void GetMoveTarget(const cChara& target, const cRunningCommand& cmd, double& outX, double& outY) {
  const cEdMove& m = cmd.Move();
  outX = target.ScreenCentreX();
  outY = target.ScreenCentreY();
  if (!m.m_bNoMoveX && !m.m_bNoMoveY) {
    outX += cmd.nTargetX;
    outY += cmd.nTargetY;
  } else if (m.m_bNoMoveY) {
    outX += cmd.nTargetX;
  } else {
    outY += cmd.nTargetY;
  }
}

void MoveToward(cRunningCommand& cmd, cChara& c, double x, double y, int keepCarry, int arriveTest) {
  if (AimVelocity(cmd.dVx, cmd.dVy, cmd.nFacingRequest, &c, c.ScreenCentreX(), c.ScreenCentreY(), x, y, cmd.dSpeed,
                  keepCarry, 0, arriveTest) &&
      cmd.Move().m_bSnap)
    c.CentreAtAndStop(DoubleToInt(x), DoubleToInt(y), cmd);
}

void MoveTowardX(cRunningCommand& cmd, cChara& c, double x, int keepCarry, int arriveTest) {
  if (StepTowardX(cmd.dVx, cmd.dVy, cmd.nFacingRequest, &c, c.ScreenCentreX(), x, cmd.dSpeed, keepCarry, arriveTest) &&
      cmd.Move().m_bSnap)
    c.CentreXAndStop(DoubleToInt(x), cmd);
}

void MoveTowardY(cRunningCommand& cmd, cChara& c, double y, int keepCarry, int arriveTest) {
  if (StepTowardY(cmd.dVx, cmd.dVy, cmd.nFacingRequest, &c, c.ScreenCentreY(), y, cmd.dSpeed, keepCarry, arriveTest) &&
      cmd.Move().m_bSnap)
    c.CentreYAndStop(DoubleToInt(y), cmd);
}

void ChooseMoveToward(cRunningCommand& cmd, cChara& c, double x, double y) {
  const cEdMove& m = cmd.Move();
  if (m.m_bNoMoveX && !m.m_bNoMoveY)
    MoveTowardY(cmd, c, y, c.m_bScrollCarried, m.m_bSnap);
  else if (!m.m_bNoMoveX && !m.m_bNoMoveY)
    MoveToward(cmd, c, x, y, c.m_bScrollCarried, m.m_bSnap);
  else
    MoveTowardX(cmd, c, x, c.m_bScrollCarried, m.m_bSnap);
}

void TargetPointVelocity(cChara& c, cRunningCommand& cmd) {
  const cStagePlayScene& scene = Scene();
  const cEdMove& m = cmd.Move();
  double s = cmd.dSpeed;
  double centreX = c.ScreenCentreX() + scene.m_ScrollX.dPos, centreY = c.ScreenCentreY() + scene.m_ScrollY.dPos;
  double tx = cmd.nTargetX, ty = cmd.nTargetY, dx = 0, dy = 0;
  switch (m.m_nCoordMode) {
    case 0:
      dx = tx + c.m_dSpawnX - centreX, dy = ty + c.m_dSpawnY - centreY;
      break;
    case 1:
      dx = tx, dy = ty;
      break;
    case 2:
      dx = scene.m_ScrollX.nMarginCells * 32 + tx + 16 - centreX;
      dy = scene.m_ScrollY.nMarginCells * 32 + ty + 16 - centreY;
      break;
    case 3:
      dx = tx + scene.m_ScrollX.dPos + 16 - centreX, dy = ty + scene.m_ScrollY.dPos + 16 - centreY;
      break;
    default:
      break;
  }
  if (!m.m_bUseTargetX) dx = 0;
  if (!m.m_bUseTargetY) dy = 0;
  double d = std::sqrt(dx * dx + dy * dy);
  cmd.dVx = cmd.dVy = 0;
  if (d != 0) {
    if (!m.m_bNoMoveX) cmd.dVx = dx / d * s;
    if (!m.m_bNoMoveY) cmd.dVy = dy / d * s;
  }
  SetFacing(c, cmd.nFacingRequest, cmd.dVx < -kZeroBand ? 1 : cmd.dVx > kZeroBand ? 2 : 0);
  if (m.m_bStopOnArrival && s != 0) {
    int n = DoubleToInt(std::fabs(d) / std::fabs(s));
    cmd.nRemaining = n;
    if (n < 1 && m.m_bSnap) {
      if (m.m_bUseTargetX && !m.m_bNoMoveX) cmd.dVx = 0, SetFacing(c, cmd.nFacingRequest, 0);
      if (m.m_bUseTargetY && !m.m_bNoMoveY) cmd.dVy = 0;
    }
  }
}

void SetTargetOffsets(cRunningCommand& cmd, const cEdMove& m, int mirror) {
  cmd.nTargetX = m.m_nTargetDotX + m.m_nTargetCellX * 32;
  cmd.nTargetY = m.m_nTargetDotY + m.m_nTargetCellY * 32;
  if (mirror == 1 && m.m_bMirrorX) cmd.nTargetX = -cmd.nTargetX;
  if (mirror == 1 && m.m_bMirrorY) cmd.nTargetY = -cmd.nTargetY;
}

void SetMirroredAngle(cRunningCommand& cmd, const cEdMove& m, int copy, int mirror) {
  int angle = m.m_nAngle + m.m_nAngleStep * copy;
  if (mirror == 1 && m.m_bMirrorAngle) angle = 360 - angle;
  while (angle >= 360) angle -= 360;
  cmd.nAngle = angle;
}

void TimeSpeedIfAsked(cRunningCommand& cmd, const cChara& c) {
  if (cmd.Move().m_nTimeMode != 0) ComputeMoveSpeedOrTime(cmd, *cmd.pDef, c.m_nTag);
}

cChara* LiveTarget(cChara& c) {
  cChara* target = Scene().FindCharaById(c.m_nTargetNo);
  return target;
}

void GroundTurnStep(cChara& c, cRunningCommand& cmd) {
  cStagePlayScene& scene = Scene();
  cmd.dVy = 0;
  cmd.nFacingRequest = 0;
  cmd.dVx = c.GetFacingSign() * cmd.dSpeed;
  if (c.m_bPushed) {
    cmd.nFacingRequest = c.m_bRight ? 1 : 2;
    cmd.dVx = -cmd.dVx;
    if (cChara* ridden = scene.FindCharaById(c.m_nRiddenNo); ridden && !ridden->IsPlayer()) {
      double d = ridden->m_dX - c.m_rcRidden.dLeft;
      bool against = (c.m_bRight && d < 0) || (!c.m_bRight && d > 0);
      cmd.dVx = against ? cmd.dVx + 2 * d : cmd.dVx + d;
    }
    c.m_bPushed = 0;
    return;
  }
  // The row under the feet, kept inside the map on both sides.
  int row = std::clamp(DoubleToInt(c.m_dBottom + 1.1) >> 5, 0, scene.MapRows() - 1);
  bool left = GetBlockHit(scene.CellAt(scene.CellIndex(c.m_nCellLeft, row)), c.m_nFaction) != 0;
  bool right = GetBlockHit(scene.CellAt(scene.CellIndex(c.m_nCellRight, row)), c.m_nFaction) != 0;
  if (left && !right)
    cmd.nFacingRequest = 1;
  else if (!left && right)
    cmd.nFacingRequest = 2;
}

bool InDirection(int d, std::initializer_list<int> set) { return std::find(set.begin(), set.end(), d) != set.end(); }

// Velocity along one axis that brings the character back into the view.
double AvoidAxis(const SCROLLDATA& axis, int d, int nearEdge, int farEdge, double speed, int screenLow, int screenHigh,
                 std::initializer_list<int> lowDirs, std::initializer_list<int> highDirs) {
  double s = axis.dAutoSpeed;
  if (s == 0 || axis.bAtEdge) {
    if (InDirection(d, lowDirs) && screenLow > nearEdge) return -speed;
    if (InDirection(d, highDirs) && screenHigh < 32) return speed;
    return 0;
  }
  double x = axis.dPos;
  double span = axis.nActiveRange - farEdge;
  if (InDirection(d, lowDirs) && screenLow > nearEdge - std::fabs(s + 1) && x > 0 && s + x <= span) return s - speed;
  if (InDirection(d, highDirs) && screenHigh < std::fabs(s + 1) + 32 && s + x > 0 && x < span) return s + speed;
  return 0;
}

}  // namespace

int ResolveDirection(const cChara& c, int code) {
  bool right = c.m_bRight != 0;
  switch (code) {
    case 0:
      return right ? 3 : 2;
    case 1:
      return right ? 2 : 3;
    case 4:
      return right ? 7 : 6;
    case 5:
      return right ? 6 : 7;
    case 12: {
      const cRunningFlow* flow = Scene().m_pActFlow;
      int d = DirectionFromKeyIndex(flow ? flow->nPressedDir : 0, right);
      if (!c.m_bFlying) {
        if (d == 8 || d == 9)
          d = 2;
        else if (d == 10 || d == 11)
          d = 3;
      }
      return d;
    }
    default:
      return code;
  }
}

void DirectionToVelocity(const cChara& c, double& vx, double& vy, int& facing, double s, int code) {
  vx = vy = 0;
  int d = ResolveDirection(c, code);
  double fly = c.m_bFlying ? 1 : 0;
  double diag = s * kInvSqrt2;
  switch (d) {
    case 2:
      vx = -s, SetFacing(c, facing, 1);
      break;
    case 3:
      vx = s, SetFacing(c, facing, 2);
      break;
    case 6:
      vy = c.m_bFlying ? -s : 0, SetFacing(c, facing, 0);
      break;
    case 7:
      vy = c.m_bFlying ? s : 0, SetFacing(c, facing, 0);
      break;
    case 8:
      vx = -diag, vy = fly ? -diag : 0, SetFacing(c, facing, 1);
      break;
    case 9:
      vx = -diag, vy = fly ? diag : 0, SetFacing(c, facing, 1);
      break;
    case 10:
      vx = diag, vy = fly ? -diag : 0, SetFacing(c, facing, 2);
      break;
    case 11:
      vx = diag, vy = fly ? diag : 0, SetFacing(c, facing, 2);
      break;
    default:
      break;
  }
}

void DirectionToAngle(const cChara& c, double& vx, double& vy, int& facing, double s, int code, int angle) {
  struct Base {
    int degrees, facing;
  };
  vx = vy = 0;
  int d = ResolveDirection(c, code);
  Base base{0, -1};
  switch (d) {
    case 2:
      base = {0, 1};
      break;
    case 3:
      base = {180, 2};
      break;
    case 6:
      base = {90, 0};
      break;
    case 7:
      base = {270, 0};
      break;
    case 8:
      base = {45, 1};
      break;
    case 9:
      base = {315, 1};
      break;
    case 10:
      base = {135, 2};
      break;
    case 11:
      base = {225, 2};
      break;
    default:
      break;
  }
  if (base.facing >= 0) SetFacing(c, facing, base.facing);
  double theta = (base.degrees + angle) * kDegToRad;
  vx = -std::cos(theta) * s;
  if (c.m_bFlying) vy = -std::sin(theta) * s;
}

void SetupStraightMove(cRunningCommand& cmd, cChara& c, int mirror) {
  const cEdMove& m = cmd.Move();
  SetMirroredAngle(cmd, m, c.m_nTag, mirror);
  if (m.m_nTargetMode == 1) SetTargetOffsets(cmd, m, mirror);
  TimeSpeedIfAsked(cmd, c);
}

void SetupMoveTimeSpeed(cRunningCommand& cmd, cChara& c, int /*mirror*/) { TimeSpeedIfAsked(cmd, c); }

void SetupChargeMove(cRunningCommand& cmd, cChara& c, int mirror) {
  const cEdMove& m = cmd.Move();
  SetMirroredAngle(cmd, m, c.m_nTag, mirror);
  SetTargetOffsets(cmd, m, mirror);
  TimeSpeedIfAsked(cmd, c);
}

void SetupHomingMove(cRunningCommand& cmd, cChara& c, int mirror) {
  const cEdMove& m = cmd.Move();
  SetTargetOffsets(cmd, m, mirror);
  cmd.nRadius = (m.m_nRadius + m.m_nRadiusStep * c.m_nTag) * Steps();
  TimeSpeedIfAsked(cmd, c);
}

void SetupCircleMove(cRunningCommand& cmd, cChara& c, int mirror) {
  const cEdMove& m = cmd.Move();
  int n = Steps(), copy = c.m_nTag, offset = 0;
  // Mirroring swaps the two fixed senses; the facing-dependent ones mirror themselves.
  auto swapSense = [&cmd] {
    if (cmd.nMoveKind <= 1) cmd.nMoveKind ^= 1;
  };
  if (mirror == 1 && m.m_bMirrorX) swapSense(), offset = 180;
  if (mirror == 1 && m.m_bMirrorY) swapSense();
  int r = std::clamp(m.m_nRadius + m.m_nRadiusStep * copy, 0, 20);
  cmd.nRadius = r * 16 * n;
  cmd.nStartAngle = (offset + m.m_nAngle + m.m_nAngleStep * copy) * n;
  cmd.nEndAngle = (offset + m.m_nDistance + m.m_nDistanceStep * copy) * n;
  int range = m.m_nDistance > m.m_nAngle ? cmd.nEndAngle - cmd.nStartAngle : cmd.nStartAngle - cmd.nEndAngle;
  // A time or speed of 0 has no circle to derive: the command keeps the other value.
  if (m.m_nTimeMode == 0 && cmd.nDuration != 0) {
    cmd.dSpeed = static_cast<double>(range) / cmd.nDuration / n;
  } else if (m.m_nTimeMode == 1 && cmd.dSpeed != 0) {
    cmd.nDuration = std::abs(DoubleToInt(range / cmd.dSpeed / n));
  }
}

void SetupJumpCommand(cRunningCommand& cmd, cChara& c, int /*mirror*/) {
  int height = CommandParam(*cmd.pDef, 2);
  cmd.dSpeed = JumpSpeedForHeight(c, height);
  // The time to the top of the jump replaces the command's time in the
  // character's own copy of the flow, which the running command points into.
  int time = JumpTimeForHeight(c, height);
  const_cast<cFlowCommand*>(cmd.pDef)->m_nTime = static_cast<std::int16_t>(time);
  cmd.nDuration = time * 6 * Steps();
}

int ExecStraightMove(cChara& c, cRunningCommand& cmd) {
  ReleasePins(c);
  const cEdMove& m = cmd.Move();
  if (!cmd.bStarted) {
    cmd.bStarted = 1;
    if (m.m_nTargetMode == 0) {
      if (cmd.nAngle != 0)
        DirectionToAngle(c, cmd.dVx, cmd.dVy, cmd.nFacingRequest, cmd.dSpeed, cmd.nMoveKind, cmd.nAngle);
      else
        DirectionToVelocity(c, cmd.dVx, cmd.dVy, cmd.nFacingRequest, cmd.dSpeed, cmd.nMoveKind);
    } else {
      TargetPointVelocity(c, cmd);
    }
    if (!c.m_bFlying) cmd.dVy = 0;
  } else {
    if (!c.m_bFlying) cmd.dVy = 0;
    if (m.m_bReverseOnTurn && FixedFacing(c) && c.m_bRight != cmd.nPrevFacing) cmd.dVx = -cmd.dVx, cmd.dVy = -cmd.dVy;
  }
  Apply(c, cmd);
  cmd.nPrevFacing = c.m_bRight;
  return 0;
}

int ExecGroundTurnMove(cChara& c, cRunningCommand& cmd) {
  ReleasePins(c);
  if (c.m_bFlying) return 0;
  if (c.m_dImpactVx == 0 && c.m_dImpactVy == 0) {
    GroundTurnStep(c, cmd);
  } else {
    cmd.dVx = c.GetFacingSign() * cmd.dSpeed;
    cmd.dVy = 0;
    cmd.nFacingRequest = 0;
  }
  Apply(c, cmd, 1);
  return 0;
}

int ExecCircleMove(cChara& c, cRunningCommand& cmd) {
  ReleasePins(c);
  if (cmd.nRadius == 0) return 0;
  const cEdMove& m = cmd.Move();
  if (!cmd.bStarted) {
    cmd.bStarted = 1;
    cmd.dPhaseX = cmd.dPhaseY = cmd.nStartAngle;
  }
  int r = cmd.nMoveKind;
  if (r == 2)
    r = c.m_bRight != 0;
  else if (r == 3)
    r = c.m_bRight == 0;
  cmd.dVx = cmd.dVy = 0;
  double step = Steps() * cmd.dSpeed;
  if (!m.m_bNoMoveX) cmd.dVx = -WaveOffset(cmd.nRadius, 1, cmd.dPhaseX, step, 0) * cmd.dSpeed;
  if (!m.m_bNoMoveY && c.m_bFlying)
    cmd.dVy = -WaveOffset(cmd.nRadius, 1, cmd.dPhaseY, step, r != 0 ? 90 : 270) * cmd.dSpeed;
  ApplyCommandVelocity(c, cmd.dVx, cmd.dVy, 0, cmd, m, 0);
  return 0;
}

int ExecChargeMove(cChara& c, cRunningCommand& cmd) {
  ReleasePins(c);
  const cEdMove& m = cmd.Move();
  if (!cmd.bStarted) {
    cmd.bStarted = 1;
    cChara* target = LiveTarget(c);
    if (!target) {
      cmd.dVx = cmd.dVy = 0;
      return 0;
    }
    if (target->m_bDying) return 0;
    if (c.m_bFlying) {
      double x, y;
      GetMoveTarget(*target, cmd, x, y);
      ChooseMoveToward(cmd, c, x, y);
    } else if (m.m_bNoMoveX) {
      cmd.dVx = 0;
    } else {
      StepTowardX(cmd.dVx, cmd.dVy, cmd.nFacingRequest, &c, c.ScreenCentreX(), target->ScreenCentreX() + cmd.nTargetX,
                  cmd.dSpeed, c.m_bScrollCarried, 0);
    }
    if (cmd.nAngle != 0) {
      int a = static_cast<std::int16_t>(DoubleToInt(std::atan2(cmd.dVx, cmd.dVy) * kRadToDeg + 90)) + cmd.nAngle;
      cmd.dVx = cmd.dSpeed * std::cos(a * kDegToRad);
      if (c.m_bFlying) cmd.dVy = -cmd.dSpeed * std::sin(a * kDegToRad);
    }
  } else if (!c.m_bFlying) {
    cmd.dVy = 0;
  }
  Apply(c, cmd);
  return 0;
}

int ExecHomingMove(cChara& c, cRunningCommand& cmd) {
  ReleasePins(c);
  cChara* target = LiveTarget(c);
  if (!target || target->m_bDying) return 0;
  const cEdMove& m = cmd.Move();
  if (!c.m_bFlying && m.m_bNoMoveX) return 0;
  double x, y;
  GetMoveTarget(*target, cmd, x, y);
  if (!c.m_bFlying) x = target->ScreenCentreX() + cmd.nTargetX;
  auto aim = [&](double px, double py) {
    if (c.m_bFlying)
      ChooseMoveToward(cmd, c, px, py);
    else
      MoveTowardX(cmd, c, px, c.m_bScrollCarried, m.m_bSnap);
  };
  int interval = cmd.nRadius, k = cmd.nStepCount;
  if (interval == 0) {
    aim(x, y);
  } else if (k == 0) {
    cmd.TargetQueue.clear();
    cmd.TargetQueue.emplace_back(x, y);
    aim(x, y);
  } else if (k % interval == 0) {
    auto [oldX, oldY] = cmd.TargetQueue.empty() ? std::pair{x, y} : cmd.TargetQueue.front();
    aim(oldX, oldY);
    cmd.TargetQueue.emplace_back(x, y);
    if (!cmd.TargetQueue.empty()) cmd.TargetQueue.pop_front();
  }
  if (!c.m_bFlying) cmd.dVy = 0;
  Apply(c, cmd);
  ++cmd.nStepCount;
  return 0;
}

int ExecOffscreenAvoidMove(cChara& c, cRunningCommand& cmd) {
  ReleasePins(c);
  const cStagePlayScene& scene = Scene();
  int d = cmd.Move().m_nDirection;
  d = d == 12 ? d : ResolveDirection(c, d);
  const RectI& s = c.m_rcScreen;
  cmd.dVx = AvoidAxis(scene.m_ScrollX, d, 608, 640, cmd.dSpeed, s.nLeft, s.nRight, {2, 8, 9}, {3, 10, 11});
  cmd.dVy = AvoidAxis(scene.m_ScrollY, d, 448, 480, cmd.dSpeed, s.nTop, s.nBottom, {6, 8, 10}, {7, 9, 11});
  cmd.nFacingRequest = 0;
  if (!c.m_bFlying) cmd.dVy = 0;
  Apply(c, cmd);
  ++cmd.nStepCount;
  return 0;
}

int ExecDisableMove(cChara& c, cRunningCommand& /*cmd*/) {
  c.m_dVx = c.m_dVy = c.m_dMoveVx = c.m_dMoveVy = c.m_dImpactVx = c.m_dImpactVy = 0;
  ReleasePins(c);
  c.m_bHeld = 1;
  return 0;
}

int ExecTurn(cChara& c, cRunningCommand& cmd) {
  if (!FixedFacing(c)) return 0;
  if (cmd.nStepCount == 0) {
    Scene().Hooks().RequestDbSe(cmd.pDef->m_nSound);
    auto centre = [](const cChara& o) { return o.m_dX + (o.m_nWidth >> 1); };
    switch (CommandParam(*cmd.pDef, 0)) {
      case 0:
        c.m_bRight = 0;
        break;
      case 1:
        c.m_bRight = 1;
        break;
      case 2:
      case 3: {
        cChara* target = LiveTarget(c);
        if (!target) return 0;
        bool toward = centre(*target) > centre(c);
        c.m_bRight = CommandParam(*cmd.pDef, 0) == 2 ? toward : !toward;
        break;
      }
      case 4:
      case 5: {
        int side = c.m_nLastContactSide;
        if (side == 0 || side == 1) c.m_bRight = CommandParam(*cmd.pDef, 0) == 4 ? side : !side;
        break;
      }
      default:
        break;
    }
  }
  if (++cmd.nStepCount >= 6 * Steps()) cmd.nStepCount = 0;
  return 0;
}

int ExecJump(cChara& c, cRunningCommand& cmd) {
  ReleasePins(c);
  c.Jump(cmd);
  ++cmd.nStepCount;
  return 0;
}
