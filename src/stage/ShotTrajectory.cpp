// Trajectories: how a shot's flight changes after it was fired. Distances in
// the settings become step numbers at the speed the shot was fired with.
#include <array>
#include <cmath>

#include "library/util/Convert.h"
#include "stage/Shot.h"
#include "stage/StagePlayScene.h"

namespace {

constexpr double kRadToDeg = 57.29577951308239;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kTwoPi = 6.283185307179586;

enum ShotTrajectory {
  SHOTTRAJ_STRAIGHT,
  SHOTTRAJ_AIM_HERO,
  SHOTTRAJ_AIM_NEAREST,
  SHOTTRAJ_AIM_TARGET,
  SHOTTRAJ_HOME_HERO,
  SHOTTRAJ_HOME_NEAREST,
  SHOTTRAJ_HOME_TARGET,
  SHOTTRAJ_HOME_NEAREST_RETARGET,
  SHOTTRAJ_WAVE,
  SHOTTRAJ_FALL,
  SHOTTRAJ_COUNT
};

int Param(const cShot& shot, int i) { return shot.m_Settings.m_nTrajParam[i]; }

// hbl of flight at speed v, in steps; 0 for a distance of 0 or a standing shot.
int StepsFor(int hbl, double v) { return hbl == 0 || v == 0 ? 0 : DoubleToInt(hbl * 16 / v); }

// At the first step: the fired speed and the step where the trajectory acts (and, homing, ends).
void StartTrajectory(cShot& shot, bool homing) {
  if (shot.m_nStepCount != 0) return;
  const cEdShot& s = shot.m_Settings;
  const double v = (s.m_nSpeed + s.m_nSpeedStep * shot.m_nTag) * 0.1 / Scene().m_Rules.dSteps;
  shot.m_dTrajSpeed = v;
  shot.m_nTrajStart = StepsFor(Param(shot, 0), v);
  if (homing) shot.m_nTrajEnd = StepsFor(Param(shot, 1), v);
}

cChara* HeroOf(cStagePlayScene& scene) { return scene.HasHero() ? &scene.Hero() : nullptr; }

cChara* NearestOfFaction(const cShot& shot, int faction) {
  if (faction < 0 || faction >= kFactions) return nullptr;  // no such list: nobody to aim at
  return shot.FindNearestCharaFrom(Scene().m_CharaByFaction[static_cast<size_t>(faction)]);
}

cChara* TargetOf(const cShot& shot) {
  cChara* target = Scene().FindCharaById(shot.m_nTargetNo);
  return target && !target->m_bDying ? target : nullptr;
}

// The character a trajectory of the given kind looks for: the hero, the
// nearest of a faction, or the shot's target.
cChara* Quarry(cShot& shot, int kind, int factionParam) {
  switch (kind) {
    case 0:
      return HeroOf(Scene());
    case 1:
      return NearestOfFaction(shot, Param(shot, factionParam));
    default:
      return TargetOf(shot);
  }
}

void Recompute(cShot& shot) {
  if (shot.m_bAccel) shot.DirToVelocity(shot.m_dMoveVx, shot.m_dMoveVy, shot.m_dOwnVx, shot.m_dOwnVy);
}

void AimAt(cShot& shot, const cChara& c, double& vx, double& vy) {
  int dir = 0;
  AimVelocity(vx, vy, dir, &shot, shot.ScreenCentreX(), shot.ScreenCentreY(), c.ScreenCentreX(), c.ScreenCentreY(),
              shot.m_dTrajSpeed, shot.m_bScrollCarried, 1, 0);
}

// Aim: one turn toward the character at the start step, then never again.
template <int kKind>
void TrajAim(cShot& shot) {
  if (shot.m_bTrajDone) return;
  StartTrajectory(shot, false);
  if (shot.m_nStepCount == shot.m_nTrajStart) {
    if (cChara* c = Quarry(shot, kKind, 1)) {
      shot.UpdateScreenRect();
      AimAt(shot, *c, shot.m_dOwnVx, shot.m_dOwnVy);
      Recompute(shot);
    }
    shot.m_bTrajDone = 1;
  }
  ++shot.m_nStepCount;
}

// Homing: every step from the start step to the end step.
template <int kKind>
void TrajHome(cShot& shot) {
  if (shot.m_bTrajDone) return;
  StartTrajectory(shot, true);
  if (shot.m_nStepCount >= shot.m_nTrajEnd) {
    shot.m_bTrajDone = 1;
  } else if (shot.m_nStepCount >= shot.m_nTrajStart) {
    shot.UpdateScreenRect();
    if (cChara* c = Quarry(shot, kKind, 2)) AimShotAtChara(shot, *c);
  }
  ++shot.m_nStepCount;
}

// Wave: a sine of parameter 1 hbl across the line of flight, at parameter 2
// degrees per frame, from the start angle of parameter 3.
void TrajWave(cShot& shot) {
  const int f = Param(shot, 1);
  if (f == 0) return;  // a wave that never advances: the shot flies straight
  const double n = Scene().m_Rules.dSteps;
  if (shot.m_nStepCount == 0) {
    const int a = Param(shot, 0);
    shot.m_Settings.m_nTrajParam[0] = static_cast<std::int16_t>(a * 16);
    shot.m_nStepCount = 1;
    const int start = shot.m_bRight ? Param(shot, 2) : Param(shot, 2) + 180;
    shot.m_dWavePhase = static_cast<double>(start) / f * n;
    const double w = WaveOffset(a * 16.0, f, shot.m_dWavePhase, 1.0, 0.0);
    double theta = std::atan2(shot.m_dOwnVy, shot.m_dOwnVx);
    if (theta < 0) theta += kTwoPi;
    const double across = (theta * kRadToDeg - 90) * kDegToRad;
    shot.m_dWaveCos = std::cos(across);
    shot.m_dWaveSin = std::sin(across);
    shot.m_dOwnVx += w * shot.m_dWaveCos;
    shot.m_dOwnVy += w * shot.m_dWaveSin;
  } else {
    const double g = WaveAcceleration(Param(shot, 0), f, shot.m_dWavePhase, 1.0, 0.0);
    const double vx = shot.m_dOwnVx, vy = shot.m_dOwnVy;
    shot.m_dOwnVx += g * shot.m_dWaveCos;
    shot.m_dOwnVy += g * shot.m_dWaveSin;
    auto flipped = [](double before, double after) { return (before < 0 && after > 0) || (before > 0 && after < 0); };
    if (flipped(vx, shot.m_dOwnVx)) shot.m_dOwnVx = 0;
    if (flipped(vy, shot.m_dOwnVy)) shot.m_dOwnVy = 0;
  }
  Recompute(shot);
}

// Fall: from the start step on, gravity takes over the vertical flight.
void TrajFall(cShot& shot) {
  if (shot.m_bTrajDone) return;
  StartTrajectory(shot, false);
  if (shot.m_nStepCount >= shot.m_nTrajStart) {
    shot.m_dVy = shot.m_dOwnVy;
    shot.m_bFlying = 0;
    shot.m_bTrajDone = 1;
  }
  ++shot.m_nStepCount;
}

void TrajStraight(cShot&) {}

using TrajectoryFunc = void (*)(cShot&);
// Entries 5 and 7 share one function: both look the nearest character up anew at every step.
constexpr std::array<TrajectoryFunc, SHOTTRAJ_COUNT> ShotTrajectoryFunc = {
    TrajStraight, TrajAim<0>,  TrajAim<1>,  TrajAim<2>, TrajHome<0>,
    TrajHome<1>,  TrajHome<2>, TrajHome<1>, TrajWave,   TrajFall};

}  // namespace

void RunTrajectory(cShot& shot) {
  const int kind = shot.m_Settings.m_nTrajectory;
  if (kind >= 0 && kind < SHOTTRAJ_COUNT) ShotTrajectoryFunc[static_cast<size_t>(kind)](shot);
}

void AimShotAtChara(cShot& shot, const cChara& chara) {
  double ux = 0, uy = 0;
  AimAt(shot, chara, ux, uy);
  if (!shot.m_bAccel || shot.m_nStepCount == shot.m_nTrajStart) shot.m_dOwnVx = ux, shot.m_dOwnVy = uy;
  if (shot.m_bAccel) shot.DirToVelocity(shot.m_dMoveVx, shot.m_dMoveVy, ux, uy);
}
