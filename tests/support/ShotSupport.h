#pragma once
// Shots for the stage tests: settings of a plain straight shot and fire
// records, and a shot built in place in the scene's list and filed there.
#include "stage/Shot.h"
#include "support/TinyStage.h"

namespace stagetest {

// A shot flying straight to the left, one per firing, the shooter's faction.
inline cEdShot Straight() {
  cEdShot s;
  s.m_nShotCount = 1;
  s.m_nDirection = 2;
  s.m_nSpeed = 10;
  return s;
}

inline cEdShot WithTrajectory(cEdShot s, int trajectory, int p1 = 0, int p2 = 0, int p3 = 0) {
  s.m_nTrajectory = static_cast<std::int8_t>(trajectory);
  s.m_nTrajParam[0] = static_cast<std::int16_t>(p1);
  s.m_nTrajParam[1] = static_cast<std::int16_t>(p2);
  s.m_nTrajParam[2] = static_cast<std::int16_t>(p3);
  return s;
}

// A fire record at map position (x, y) with a velocity in dots per frame.
inline SHOTFIREDATA Fired(double vx, double vy, int x, int y) {
  SHOTFIREDATA fire;
  fire.dVx = vx;
  fire.dVy = vy;
  fire.nX = x;
  fire.nY = y;
  return fire;
}
inline SHOTFIREDATA Moving(double vx, double vy) { return Fired(vx, vy, 480, 480); }

inline cShot& AddShot(TinyStage& stage, const cChara& shooter, cEdShot settings, const SHOTFIREDATA& fire,
                      int commandType = kShotCommand) {
  cShot& shot = stage.scene.NewShot();
  shot.SetupShot(stage.scene.m_nNextShotId++, shooter, commandType, settings, fire);
  stage.scene.PushShot(shot);
  return shot;
}

}  // namespace stagetest
