#pragma once
// The stage-play scene's states as the shell drives them: once per frame the
// shell's scene object calls `RunStageState`; the fade-in (state 0) and the
// fade-out (state 7) stay with the shell's common scene code.
#include <string>

#include "library/util/CheckedVector.h"
#include "platform/WinTypes.h"
#include "stage/StagePlayScene.h"

class cSaveData;
class cKeyInput;

// The modal frame loops that run on threads of their own while the game thread waits.
enum class ModalLoop { Pause, Ranking };

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

  // What the replay keys, the clear screen and the modal loops need; the
  // defaults suit a program without a window (tests).
  // A key held now (the replay-save keys F1 and F2, F3 on the clear screen).
  virtual bool KeyDown(int /*virtualKey*/) { return false; }
  // The window thread's save dialog for replay slot 0 (this attempt) or 1 (the
  // attempt before); returns once it has ended.
  virtual void SaveReplay(int /*slot*/) {}
  // Runs the loop on its own thread (thPause, thRanking) and waits for it; the loop's result.
  virtual int RunModalLoop(ModalLoop /*loop*/) { return 0; }
  // The frame driver's pacing, surface recovery, presenting and input, for the modal loops.
  virtual void WaitNextFrame() {}
  virtual bool RestoreLostSurfaces() { return true; }
  virtual void PresentFrame() {}
  virtual void ReadInput(cCheckedVector<cKeyInput>& /*input*/) {}
  virtual bool AppActive() const { return true; }
  // Takes the calling thread's waiting message: true when it was WM_QUIT.
  virtual bool TakeQuitMessage() { return false; }
  virtual void PostQuitToSelf() {}
  // The rankings of this play are on (the title's choice for the game mode).
  virtual bool RankingOn() const { return false; }
  // The name-entry dialog on the window thread, on `name`; returns once it has ended.
  virtual void EnterRankingName(std::string& /*name*/) {}
  // The real-time millisecond clock, which ZANDREL_FAST leaves running.
  virtual DWORD RealTimeMs() const { return 0; }
  // The "English" start-up setting.
  virtual bool English() const { return false; }
};

struct MenuWords {
  WORD m_wDir = 0;
  WORD m_wButton = 0;
};
// The menus' input from record 0: a press acts once and directions repeat.
// Empty words when there is no input record.
MenuWords MenuInput(WORD latchedButtons = 3);

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
// The pause menu: quit, resume and, where the game mode offers it, retry.
void StatePause(cStagePlayScene& scene, cStageShell& shell);
// The pause menu's items: 3 with retry, else 2.
int PauseMenuItems(cStagePlayScene& scene, cStageShell& shell);
// Runs the handler of the scene's current state (states 1 to 6).
void RunStageState(cStagePlayScene& scene, cStageShell& shell);
