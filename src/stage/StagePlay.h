#pragma once
// The play frame: N logic steps of the stage in their fixed order.
#include "stage/StagePlayScene.h"

// Runs the logic of one displayed frame. Returns the rule result that ended
// it (0 all steps ran, 1 the stage was cleared, 2 the hero was lost).
int RunPlayFrame(cStagePlayScene& scene);
