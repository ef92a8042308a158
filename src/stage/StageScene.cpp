#include "stage/StageScene.h"

#include <string>

#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "gamedata/panels/Panels.h"
#include "library/draw/Draw.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "library/util/Log.h"
#include "platform/Trace.h"
#include "stage/PauseLoop.h"
#include "stage/Replay.h"
#include "stage/StageClear.h"
#include "stage/StagePlay.h"
#include "stage/StageResources.h"
#include "stage/StageSetup.h"

namespace {

constexpr int kUnlimitedLives = 999999;
constexpr int kCaptionFrames = 80;
constexpr int kCaptionY = 224;
constexpr WORD kButton1 = 1, kButton2 = 2;
constexpr int kMenuCentreX = 320, kMenuY = 272, kMenuRow = 16;
constexpr int kContinueTexts = 22;  // "retry" and "back to the map"
constexpr int kPauseTexts = 19;     // "quit", "resume", "retry"
constexpr int kPauseQuit = 0, kPauseResume = 1;
constexpr int kGameModeChallenge = 1, kGameModeFree = 2;

void TraceStageEnd(const char* how) {
  if (platform::TraceOn()) platform::TraceLine(std::string("Stage end ") + how);
}

// One caption counter: true while its caption still shows this frame.
bool CaptionShowing(int& counter) { return ++counter < kCaptionFrames; }

// A region of the word graphic, keyed, at (x, y) of the screen.
void DrawWord(int x, int y, int w, int h, int sx, int sy) {
  DDBlt(&BackBuffer, x, y, w, h, StageSurface(kWordSlot), sx, sy, 1);
}

// The frame's input as the flows read it: the words the hero's commands block
// are dropped, a button still held from the pause is ignored until every
// button is let go, and what is left joins the history and the key timelines.
void TakeFrameInput(cStagePlayScene& scene) {
  if (KeyInputList.empty()) return;
  cKeyInput& input = KeyInputList.VecAt(0);
  if (scene.HasHero()) {
    if (scene.Hero().m_bDirBlocked) input.ClearDirInput();
    if (scene.Hero().m_bButtonBlocked) input.ClearButtonInput();
  }
  if (input.m_wButton == 0)
    scene.m_bButtonHold = 0;
  else if (scene.m_bButtonHold)
    input.ClearButtonInput();
  input.RecordInputHistory();
  input.RecordKeyTimelines();
}

void LeaveTo(cStagePlayScene& scene, cStageShell& shell, int next) {
  shell.SetNextScene(next);
  MenuCursor.Current().nY = shell.PlayMode();
  scene.m_nStep = 0;
  scene.m_nState = PLAYSTATE_FADEOUT;
}

// The frame's input in replay playback: the recorded words; false at the end
// of the record, where the attempt starts over from its snapshot.
bool TakeReplayInput(cStagePlayScene& scene, cStageShell& shell) {
  if (KeyInputList.empty() || !ReplayData) return true;
  cKeyInput& input = KeyInputList.VecAt(0);
  input.m_wDir = input.m_wButton = 0;
  if (PlayReplayFrame(*ReplayData, input.m_wDir, input.m_wButton)) {
    scene.Record().RestoreStageStartState(1, shell.GameMode(), shell.DirectStart());
    SetStage(scene, 1, 1);
    scene.m_nState = PLAYSTATE_START;
    return false;
  }
  input.m_nDirNumber = DirBitsToNumber(input.m_wDir);
  input.RecordInputHistory();
  input.RecordKeyTimelines();
  return true;
}

void RecordFrameInput() {
  if (!ReplayData || KeyInputList.empty() || !CurrentSystemData().m_bReplayRecording) return;
  const cKeyInput& input = KeyInputList.VecAt(0);
  RecordReplayFrame(*ReplayData, input.m_wDir, input.m_wButton);
}

// Retry is offered in free play, in a story stage cleared before and in a
// cleared challenge stage when the project's switch allows it; never in playback.
bool RetryOffered(cStagePlayScene& scene, cStageShell& shell) {
  const cSaveData& record = scene.Record();
  const cSystemData& system = CurrentSystemData();
  switch (shell.GameMode()) {
    case kGameModeStory:
      return system.m_bStorySwitch[3] && record.nStageNo >= 0 &&
             record.nStageNo < static_cast<int>(record.Switch.size()) && record.Switch.VecAt(record.nStageNo);
    case kGameModeChallenge: {
      const int index = record.nStageNo - 1;
      return system.m_bChallengeSwitch[3] && index >= 0 && index < static_cast<int>(record.ClearList.size()) &&
             record.ClearList.VecAt(index).bCleared;
    }
    case kGameModeFree:
      return true;
    default:
      return false;
  }
}

void ResumeFromPause(cStagePlayScene& scene, int step) {
  scene.m_bButtonHold = 1;
  scene.m_nState = scene.m_nSavedState;
  scene.m_nStep = step;
}

void ChoosePauseItem(cStagePlayScene& scene, cStageShell& shell, int item) {
  scene.Hooks().RequestSe(1);
  if (item == kPauseQuit) {
    if (shell.DirectStart()) {
      scene.m_nState = PLAYSTATE_FADEOUT;
      shell.PostClose();
      return;
    }
    LeaveTo(scene, shell, kSceneTitle);
    return;
  }
  if (item == kPauseResume) return ResumeFromPause(scene, scene.m_nSavedStep);
  scene.m_bButtonHold = 1;
  scene.Record().RestoreStageStartState(1, shell.GameMode(), shell.DirectStart());
  SetStage(scene, 1, 0);
  scene.m_nStep = 0;
  scene.m_nState = PLAYSTATE_START;
}

}  // namespace

MenuWords MenuInput(WORD latchedButtons) {
  if (KeyInputList.empty()) return {};
  cKeyInput& input = KeyInputList.VecAt(0);
  input.ApplyKeyRepeat();
  input.LatchButtons(latchedButtons);
  return {input.m_wDir, input.m_wButton};
}

int LoseLife(cSaveData& record, bool directStart) {
  if (directStart || record.nLife == kUnlimitedLives) return 1;
  if (record.nLife <= 0) return 0;
  --record.nLife;
  return 1;
}

int CheckPauseKey(cStagePlayScene& scene, cStageShell& shell) {
  if (!shell.PauseKeyDown()) return 0;
  scene.Hooks().RequestSe(4);
  scene.m_nSavedState = scene.m_nState;
  scene.m_nSavedStep = scene.m_nStep;
  return 1;
}

// Replay playback sets the stage up as at its entry: the replay starts over.
void ConcludeHeroLoss(cStagePlayScene& scene, cStageShell& shell) {
  const bool playback = shell.PlayMode() == kPlayModeReplay;
  if (PlayData && !LoseLife(*PlayData, shell.DirectStart())) {
    TraceStageEnd("gameover");
    scene.m_nState = PLAYSTATE_GAMEOVER;
    return;
  }
  TraceStageEnd("lost");
  if (PlayData) {
    if (StageData && StageData->m_bTakeCarriedStatus) PlayData->ResetCarryOnMiss();
    PlayData->RestoreStageStartState(0, shell.GameMode(), shell.DirectStart());
  }
  if (shell.GameMode() == kGameModeStory && CurrentSystemData().m_bContinueMenu) {
    scene.m_nStep = 0;
    scene.m_nState = PLAYSTATE_CONTINUE;
    return;
  }
  SetStage(scene, 1, playback ? 1 : 0);
  scene.m_nState = PLAYSTATE_START;
}

void StateStart(cStagePlayScene& scene, cStageShell& shell) {
  shell.DrawStage(0, 1, 0, 1);
  if (StageData && !(shell.TestPlay() && shell.DirectStart())) {
    if (shell.PlayMode() == kPlayModeReplay) {
      if (CaptionShowing(scene.m_nCaption1)) return DrawWord(256, kCaptionY, 128, 32, 0, 32);
    } else {
      if (StageData->m_bStageCaption && CaptionShowing(scene.m_nCaption1)) {
        DrawWord(256, kCaptionY, 128, 32, 0, 0);
        DDDrawNumber(&BackBuffer, 384, kCaptionY, 32, 32, StageSurface(kWordSlot), 0, 128, 1, scene.Record().nSeriesNo,
                     0, 0);
        return;
      }
      if (StageData->m_bSecondCaption && CaptionShowing(scene.m_nCaption2))
        return DrawWord(280, kCaptionY, 80, 32, 160, 0);
    }
  }
  if (scene.HasHero()) scene.Hero().m_Anime.SetAnime(scene.Hero().m_bFlying ? 2 : 0, 1);
  scene.m_nCaption1 = 0;
  scene.m_nState = PLAYSTATE_PLAY;
}

void StatePlay(cStagePlayScene& scene, cStageShell& shell) {
  if (CheckPauseKey(scene, shell)) {
    scene.m_nStep = 0;
    scene.m_nState = PLAYSTATE_PAUSE;
    return;
  }
  if (CheckReplaySaveKeys(scene, shell)) return;
  if (shell.PlayMode() == kPlayModeReplay) {
    if (!TakeReplayInput(scene, shell)) return;
  } else {
    TakeFrameInput(scene);
    RecordFrameInput();
  }
  const int result = RunPlayFrame(scene);
  if (result == 1) {
    TraceStageEnd("clear");
    scene.m_nState = PLAYSTATE_CLEAR;
    return;
  }
  // A frame whose logic lost the hero is not drawn; its vanish, and what
  // follows the vanish, run while the next frames draw.
  if (result == 2) return;
  shell.DrawStage(1, 0, 1, 1);
}

void StateContinue(cStagePlayScene& scene, cStageShell& shell) {
  if (CheckReplaySaveKeys(scene, shell)) return;
  if (scene.m_nStep == 0) {
    MenuCursor.Current().nX = MenuCursor.Current().nY = 0;
    scene.m_nStep = 1;
  }
  const MenuWords input = MenuInput();
  const int left = CurrentSystemData().GetMenuTextLeft(kMenuCentreX, kContinueTexts, 2, 1);
  MenuCursor.MoveCursorGrid(input.m_wDir, left, kMenuY, 0, kMenuRow, 1, 2);
  shell.PlayCursorSe(input.m_wDir);
  if (input.m_wButton & kButton1) {
    scene.Hooks().RequestSe(1);
    if (MenuCursor.Current().nY == 0) {
      SetStage(scene, 1, 0);
      scene.m_nState = PLAYSTATE_START;
      return;
    }
    if (PlayData) PlayData->bReenter = 1;
    LeaveTo(scene, shell, kSceneWorldMap);
    return;
  }
  shell.DrawStage(0, 1, 0, 1);
  DrawMenuText(left, kMenuY, kContinueTexts, 2, 1);
  const CURSORDATA& cursor = MenuCursor.Current();
  DDBlt(&BackBuffer, cursor.nPosX, cursor.nPosY, 16, 16, StageSurface(kAccessorySlot), 64, 0, 1);
}

void StateGameOver(cStagePlayScene& scene, cStageShell& shell) {
  if (CheckPauseKey(scene, shell)) {
    scene.m_nStep = 0;
    scene.m_nState = PLAYSTATE_PAUSE;
    return;
  }
  if (CheckReplaySaveKeys(scene, shell)) return;
  if (MenuInput().m_wButton & kButton1) {
    scene.Hooks().RequestSe(1);
    shell.SetNextScene(kSceneTitle);
    scene.m_nState = PLAYSTATE_FADEOUT;
    return;
  }
  shell.DrawStage(0, 1, 0, 1);
  if (StageData && StageData->m_bGameOverCaption) DrawWord(248, kCaptionY, 144, 32, 0, 96);
}

int PauseMenuItems(cStagePlayScene& scene, cStageShell& shell) { return RetryOffered(scene, shell) ? 3 : 2; }

void StatePause(cStagePlayScene& scene, cStageShell& shell) {
  if (CheckReplaySaveKeys(scene, shell)) return;
  const int items = PauseMenuItems(scene, shell);
  if (scene.m_nStep == 0) {
    MenuCursor.Current().nX = 0;
    MenuCursor.Current().nY = kPauseResume;
    scene.m_nStep = 1;
  }
  const MenuWords input = MenuInput();
  // The two-item menu stands where the three-item one does.
  const int left = CurrentSystemData().GetMenuTextLeft(kMenuCentreX, kPauseTexts, 3, 1);
  MenuCursor.MoveCursorGrid(input.m_wDir, left, kMenuY, 0, kMenuRow, 1, items);
  shell.PlayCursorSe(input.m_wDir);
  if (input.m_wButton & kButton1) return ChoosePauseItem(scene, shell, MenuCursor.Current().nY);
  if (input.m_wButton & kButton2) {
    scene.Hooks().RequestSe(2);
    return ResumeFromPause(scene, items == 3 ? scene.m_nSavedStep : 0);
  }
  shell.DrawStage(0, 1, 0, 1);
  DrawMenuText(left, kMenuY, kPauseTexts, items, 1);
  const CURSORDATA& cursor = MenuCursor.Current();
  DDBlt(&BackBuffer, cursor.nPosX, cursor.nPosY, 16, 16, StageSurface(kAccessorySlot), 64, 0, 1);
}

void RunStageState(cStagePlayScene& scene, cStageShell& shell) {
  scene.m_pShell = &shell;
  // A close that met a modal loop is carried out now, whatever the state.
  if (scene.m_bQuit) {
    shell.PostClose();
    return;
  }
  ForgetReleasedReplayKeys(scene, shell);
  switch (scene.m_nState) {
    case PLAYSTATE_START:
      StateStart(scene, shell);
      break;
    case PLAYSTATE_PLAY:
      StatePlay(scene, shell);
      break;
    case PLAYSTATE_PAUSE:
      StatePause(scene, shell);
      break;
    case PLAYSTATE_CLEAR:
      StateClear(scene, shell);
      break;
    case PLAYSTATE_CONTINUE:
      StateContinue(scene, shell);
      break;
    case PLAYSTATE_GAMEOVER:
      StateGameOver(scene, shell);
      break;
    default:
      break;
  }
}
