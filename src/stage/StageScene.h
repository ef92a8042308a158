#pragma once
// The stage-play scene's states as the shell drives them: once per frame the
// shell's scene object calls `RunStageState`; the fade-in (state 0) and the
// fade-out (state 7) stay with the shell's common scene code.
#include "platform/WinTypes.h"
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
  // Started directly on a stage file: no life is ever taken, and quitting closes the program.
  virtual bool DirectStart() const = 0;
  // An editor's test play.
  virtual bool TestPlay() const = 0;
  virtual int PlayMode() const = 0;
  virtual int GameMode() const = 0;
  virtual void SetNextScene(int scene) = 0;
  // The menu cursor's sound for a vertical move of the direction word.
  virtual void PlayCursorSe(WORD dir) = 0;
  // The program's palette colour animation, once per drawn frame.
  virtual void CyclePalette() = 0;
  virtual void PostClose() = 0;
};

// The play modes and game modes the states tell apart.
constexpr int kPlayModeFree = 3;
constexpr int kPlayModeReplay = 4;
constexpr int kGameModeStory = 0;
constexpr int kSceneTitle = 0;
constexpr int kSceneWorldMap = 1;
constexpr int kSceneStagePlay = 4;

// 1 and one life taken, or 0 when none is left; 999999 lives are unlimited.
int LoseLife(cSaveData& record, bool directStart);
// The pause key: saves the state and sub-step; the caller enters the pause.
int CheckPauseKey(cStagePlayScene& scene, cStageShell& shell);
// Once the hero's vanish is over: a life is taken and the stage starts again
// (state 1), or the continue menu (5) or the game over (6) follows.
void ConcludeHeroLoss(cStagePlayScene& scene, cStageShell& shell);
void StateStart(cStagePlayScene& scene, cStageShell& shell);
void StatePlay(cStagePlayScene& scene, cStageShell& shell);
void StateContinue(cStagePlayScene& scene, cStageShell& shell);
void StateGameOver(cStagePlayScene& scene, cStageShell& shell);
// Runs the handler of the scene's current state (states 1 to 6).
void RunStageState(cStagePlayScene& scene, cStageShell& shell);
