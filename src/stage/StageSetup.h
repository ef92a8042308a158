#pragma once
// Stage set-up: the block map, the hero, the placed characters and items, the
// camera, the pace and the counters of one attempt, built from `StageData`.
#include "records/StageData.h"
#include "stage/StagePlayScene.h"

class cSaveData;
class cSystemData;

// The pace, physics, sizes and hit times that objects read, from the stage.
void RulesFromStage(const cStageData& stage, cStageRules& rules);
// The project's rule switches (its compatibility switches and the marked
// flows' switch), which stage play reads from the rules.
void RulesFromSystemData(const cSystemData& system, cStageRules& rules);
// Per logic step of a frame, whether hits are resolved in it: R checks spread over N steps.
cCheckedVector<int> MakeHitStepMask(int steps, int checks);
// Builds the attempt from `StageData`; bReload first restores its settings
// from `StageDataOrg`. False when the stage cannot be built (no hero).
bool SetStage(cStagePlayScene& scene, int bReload, int bFirst);
// A fresh entry from a menu: the play record's lives and totals start over
// and the scene's counters are cleared; a direct start plays stage 1.
void ResetPlay(cStagePlayScene& scene, cSaveData& record, bool directStart);
