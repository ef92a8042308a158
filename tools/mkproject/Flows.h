#pragma once
// The flows that move the sample characters: the hero's walking and jumping
// under the keys, and the enemies' walking and hopping.
#include "library/util/CheckedVector.h"
#include "records/Flow.h"

namespace mkproject {

cCheckedVector<cFlow> HeroFlows();
// Walks ahead and turns at walls and ledges, `speed` tenths of a dot a frame.
cCheckedVector<cFlow> WalkerFlows(int speed);
// Walks as a walker and hops on a timer.
cCheckedVector<cFlow> HopperFlows(int speed);
// Flies `speed` tenths of a dot a frame to the right for `tenths`, as long
// back, then rests `rest` tenths.
cCheckedVector<cFlow> LiftFlows(int speed, int tenths, int rest);

}  // namespace mkproject
