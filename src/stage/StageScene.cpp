#include "stage/StageScene.h"

#include <string>

#include "gamedata/SaveData.h"
#include "library/input/KeyInput.h"
#include "platform/Trace.h"
#include "stage/StagePlay.h"
#include "stage/StageSetup.h"

namespace {

constexpr int kUnlimitedLives = 999999;
constexpr int kCaptionFrames = 80;

void TraceStageEnd(const char* how) {
  if (platform::TraceOn()) platform::TraceLine(std::string("Stage end ") + how);
}

// One caption counter: true while its caption still shows this frame.
bool CaptionShowing(int& counter) { return ++counter < kCaptionFrames; }

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

}  // namespace

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

void StateStart(cStagePlayScene& scene, cStageShell& shell) {
  shell.DrawStage(0, 1, 0, 1);
  if (!shell.DirectStart() && StageData) {
    if (StageData->m_bStageCaption && CaptionShowing(scene.m_nCaption1)) return;
    if (StageData->m_bSecondCaption && CaptionShowing(scene.m_nCaption2)) return;
  }
  if (scene.HasHero()) scene.Hero().m_Anime.SetAnime(scene.Hero().m_bFlying ? 2 : 0, 1);
  scene.m_nCaption1 = 0;
  scene.m_nState = PLAYSTATE_PLAY;
}

void StatePlay(cStagePlayScene& scene, cStageShell& shell) {
  if (scene.m_bQuit) {
    shell.PostClose();
    return;
  }
  if (CheckPauseKey(scene, shell)) {
    scene.m_nStep = 0;
    scene.m_nState = PLAYSTATE_PAUSE;
    return;
  }
  TakeFrameInput(scene);
  const int result = RunPlayFrame(scene);
  if (result == 1) {
    TraceStageEnd("clear");
    scene.m_nState = PLAYSTATE_CLEAR;
    return;
  }
  // A frame whose logic lost the hero is not drawn; the vanish runs from the next one.
  if (result == 2) return;
  shell.DrawStage(1, 0, 1, 1);
  if (scene.HasHero() && AdvanceHeroVanish(scene.Hero(), shell.FrameRate())) {
    if (PlayData && !LoseLife(*PlayData, shell.DirectStart())) {
      TraceStageEnd("gameover");
      scene.m_nState = PLAYSTATE_GAMEOVER;
      return;
    }
    TraceStageEnd("lost");
    SetStage(scene, 1, 0);
    scene.m_nState = PLAYSTATE_START;
  }
}

void StateGameOver(cStagePlayScene& scene, cStageShell& shell, bool button1) {
  if (CheckPauseKey(scene, shell)) {
    scene.m_nStep = 0;
    scene.m_nState = PLAYSTATE_PAUSE;
    return;
  }
  if (button1) {
    scene.Hooks().RequestSe(1);
    scene.m_nState = PLAYSTATE_FADEOUT;
    return;
  }
  shell.DrawStage(0, 1, 0, 1);
}

void RunStageState(cStagePlayScene& scene, cStageShell& shell, bool button1) {
  switch (scene.m_nState) {
    case PLAYSTATE_START:
      StateStart(scene, shell);
      break;
    case PLAYSTATE_PLAY:
      StatePlay(scene, shell);
      break;
    case PLAYSTATE_GAMEOVER:
      StateGameOver(scene, shell, button1);
      break;
    default:
      break;
  }
}
