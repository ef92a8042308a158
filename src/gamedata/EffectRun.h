#pragma once
// Run data of character and screen effects. The values each run needs are
// prepared once at start-up, for every database entry and both directions
// (the reversed tables come from start-up copies of the lists whose start and
// end values are exchanged), so starting an effect is one copy and each frame
// only adds a step.
#include "gamedata/DbEffect.h"
#include "library/util/CheckedVector.h"

// The run values of one effect. Character effects use start, end, current,
// step and the slots; screen effects current, second, step and the slots.
struct EFFECTVALUES {
  int nStart = 0;
  int nEnd = 0;
  double dCurrent = 0.0;
  double dSecond = 0.0;
  double dStep = 0.0;
  int nSlot[2] = {};
};

struct EFFECTRUNDATA {
  int nIndex = 0;
  // The record the entry was set up from: of the database list (forward
  // tables) or of its reversed start-up copy (reversed tables).
  const cDbEffectEntry* lpEntry = nullptr;
  EFFECTVALUES Values;
};

using EffectRunTable = cCheckedVector<EFFECTRUNDATA>;

enum EffectRunMode : int { EFFECTMODE_NORMAL = 0, EFFECTMODE_REVERSED = 1, EFFECTMODE_BACK_AND_FORTH = 2 };

// The state of one running effect, in a character or in the scene.
struct EFFECTPROGRESS {
  int nIndex = 0;  // 0: none
  const cDbEffectEntry* lpEntry = nullptr;
  int nMode = EFFECTMODE_NORMAL;
  int nRepeat = 0;
  int nReversed = 0;  // 1 while the reversed table is in use
  int nCounter = 0;   // frames, for the drawing handlers; 0 at every start
  EFFECTVALUES Values;
  int nHandlerState[2] = {};
};

extern EffectRunTable CharaEffectRuns;
extern EffectRunTable CharaEffectRunsRev;
extern EffectRunTable ScrEffectRuns;
extern EffectRunTable ScrEffectRunsRev;

// Prepare one entry from `record` (of the list, or of the reversed copy when
// `reversed`, whose start and end values are exchanged here in place).
void InitCharaEffectRunner(EFFECTRUNDATA& run, int index, cDbCharaEffect& record, int reversed);
void InitScrEffectRunner(EFFECTRUNDATA& run, int index, cDbScrEffect& record, int reversed);

// Fill both tables of a family, index for index, from the list and its
// reversed copy (which must have as many entries).
void SetupCharaEffects(cCheckedVector<cDbCharaEffect>& list, cCheckedVector<cDbCharaEffect>& reversedCopy,
                       EffectRunTable& forward, EffectRunTable& reversed);
void SetupScrEffects(cCheckedVector<cDbScrEffect>& list, cCheckedVector<cDbScrEffect>& reversedCopy,
                     EffectRunTable& forward, EffectRunTable& reversed);

void CopyEffectRunData(EFFECTPROGRESS& progress, const EFFECTRUNDATA& run);
void StartCharaEffect(EFFECTPROGRESS& progress, int index, int mode, int repeat);
void StartScrEffect(EFFECTPROGRESS& progress, int index, int mode, int repeat);
void RestartCharaEffect(EFFECTPROGRESS& progress);
void RestartScrEffect(EFFECTPROGRESS& progress);

// One record into another: the copy goes on from the same point of the same run.
void AssignEffectProgress(EFFECTPROGRESS& target, const EFFECTPROGRESS& source);
// No effect runs: the entry, its pointer, the repeat switch and the reversed
// flag are cleared; the mode, the counter and the values stay.
void ResetEffectState(EFFECTPROGRESS& progress);
// One frame of a character effect: 0 while it runs, 1 once it has ended.
int StepEffectProgress(EFFECTPROGRESS& progress);
// One frame of a screen effect, run by its handler from a to b by step.
int StepScrEffectProgress(EFFECTPROGRESS& progress, int a, int b, double step);
