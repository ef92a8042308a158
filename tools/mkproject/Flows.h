#pragma once
// The flows that move the sample characters (the hero's walking and jumping
// under the keys, and the enemies' walking, resting, hopping and warping) and
// the coins' item commands.
#include "library/util/CheckedVector.h"
#include "records/Flow.h"

namespace mkproject {

// Walks and jumps under the keys; button 2 swings the sword, button 3 shoots ahead.
cCheckedVector<cFlow> HeroFlows();
// Walks ahead and turns at walls and ledges, `speed` tenths of a dot a frame.
cCheckedVector<cFlow> WalkerFlows(int speed);
// Walks as a walker and rests now and then: a flow operation pauses its walk
// and resumes it.
cCheckedVector<cFlow> PatrolFlows(int speed);
// Walks as a walker, hops on a timer and now and then warps up.
cCheckedVector<cFlow> HopperFlows(int speed);
// A before-stage flow that holds the game still for a moment before play.
cFlow OpeningWait();
// Flies `speed` tenths of a dot a frame to the right for `tenths`, as long
// back, then rests `rest` tenths.
cCheckedVector<cFlow> LiftFlows(int speed, int tenths, int rest);
// Fires a shot aimed at the hero every kShooterPause tenths of a second.
cCheckedVector<cFlow> ShooterFlows();
// A coin's item commands: the score grows and the coin counts itself.
cCheckedVector<cFlowCommand> CoinCommands();
// A coin's message: the coins taken so far, near the screen's top-left corner
// for a second; each coin updates the one message under kCoinMessageId.
cFlowCommand CoinMessage();
// A before-stage flow: the sign picture stands at stage cell (x, y) until the
// stage ends, and the screen opens from a circle around the hero.
cFlow StageOpening(int signX, int signY);
// The hero's reaction to a hit: the screen flashes red twice and shakes.
cFlow HitFlash();

}  // namespace mkproject
