#pragma once
// The play frame: N logic steps of the stage in their fixed order, and the
// end of the hero's loss once its vanish is over.
#include "stage/StagePlayScene.h"

// Runs the logic of one displayed frame. Returns the rule result that ended
// it (0 all steps ran, 1 the stage was cleared, 2 the hero was lost).
int RunPlayFrame(cStagePlayScene& scene);
// One frame of a dying hero's vanish without a chara effect: true once a
// second of frames (the frame rate) has passed.
bool AdvanceHeroVanish(cPlayer& hero, int frameRate);
