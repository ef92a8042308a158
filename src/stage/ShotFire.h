#pragma once
// Firing: one shot command (or one summon command) turned into the objects it
// creates. The six firing patterns work out where each object starts and how
// fast it flies; shots are built in place in the scene's shot list, summoned
// characters, items and blocks through the spawn code.
#include "flow/RunningFlow.h"
#include "stage/Shot.h"

enum ShotPattern {
  SHOTPATTERN_STRAIGHT_A,
  SHOTPATTERN_STRAIGHT_B,
  SHOTPATTERN_SPREAD,
  SHOTPATTERN_THUNDER,
  SHOTPATTERN_EXPLODE,
  SHOTPATTERN_SURROUND,
  SHOTPATTERN_COUNT
};

// The most columns a thunder pattern places per row, as the editor allows.
constexpr int kMaxThunderColumns = 50;

// One firing of a shot command: the pattern once per repeat.
void FireShot(cChara& shooter, cRunningCommand& cmd, cEdShot& settings);
// One summon command each: the definition of the settings' palette entry,
// placed by the settings' pattern.
void SummonChara(cChara& summoner, cRunningCommand& cmd, cEdShot& settings);
void SummonItem(cChara& summoner, cRunningCommand& cmd, cEdShot& settings);
void SummonBlock(cChara& summoner, cRunningCommand& cmd, cEdShot& settings);

// Resolves the facing-relative direction codes (0, 1, 4, 5, 12) to an absolute one.
int ResolveShotDirection(int direction, int facingRight);
// Degrees of an absolute direction code: 0 points left and angles grow clockwise.
int DirectionAngle(int direction);
// The integer angle from (x, y) to the shooter's target, leading a carried
// target on a scrolling stage; 180 or 0 by the facing when there is none.
int CalcAimAngle(int x, int y, const cChara& shooter, cEdShot& settings, SHOTFIREDATA& fire);
