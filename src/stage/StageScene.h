#pragma once
// The stage-play scene's states as the shell drives them: once per frame the
// shell's scene object calls `RunStageState`; the fade-in (state 0) and the
// fade-out (state 7) stay with the shell's common scene code, and so do the
// pause, clear and continue menus until they land here.
#include "stage/StagePlayScene.h"

class cSaveData;

// What the states need of the program around them.
class cStageShell {
 public:
  virtual ~cStageShell() = default;
  virtual bool PauseKeyDown() = 0;
  // DrawStage's switches: playing, frozen, low-time warning, footer.
  virtual void DrawStage(int bPlaying, int bFrozen, int bTimeWarn, int bFooter) = 0;
  virtual int FrameRate() const = 0;
  // Started directly on a stage file: no captions, and no life is ever taken.
  virtual bool DirectStart() const = 0;
  virtual void PostClose() = 0;
};

// 1 and one life taken, or 0 when none is left; 999999 lives are unlimited.
int LoseLife(cSaveData& record, bool directStart);
// The pause key: saves the state and sub-step; the caller enters the pause.
int CheckPauseKey(cStagePlayScene& scene, cStageShell& shell);
void StateStart(cStagePlayScene& scene, cStageShell& shell);
void StatePlay(cStagePlayScene& scene, cStageShell& shell);
void StateGameOver(cStagePlayScene& scene, cStageShell& shell, bool button1);
// Runs the handler of the scene's current state (states 1, 2 and 6).
void RunStageState(cStagePlayScene& scene, cStageShell& shell, bool button1);
