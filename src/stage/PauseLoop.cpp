#include "stage/PauseLoop.h"

#include "gamedata/SystemData.h"
#include "library/input/KeyInput.h"
#include "library/util/FrameTiming.h"
#include "platform/Clock.h"
#include "platform/input/VirtualKeys.h"
#include "stage/Replay.h"

namespace {

constexpr int kKindMessage = 1;
constexpr WORD kButton1 = 1;
// A loop that missed its quit message ends itself this long after it saw the quit flag.
constexpr DWORD kQuitGraceMs = 2000;
constexpr int kRefusalFrames = 60;

// The loop's own copy of the input: history and timelines start empty and no
// word is held, so the game's records are left exactly as they were.
cCheckedVector<cKeyInput> PrivateInput() {
  cCheckedVector<cKeyInput> input = KeyInputList;
  for (cKeyInput& record : input) {
    record.ClearInputHistory();
    record.TrimKeyTimelines();
    record.m_wDir = record.m_wButton = 0;
  }
  return input;
}

// One turn's decision: true when the request is fulfilled.
bool RequestDone(cStagePlayScene& scene, WORD button, WORD before) {
  PAUSEREQUEST& request = scene.m_PauseReq;
  if (request.nDelay > 0) {
    --request.nDelay;
    return false;
  }
  if (request.bWaitButton) {
    if (!(button & kButton1) || (before & kButton1)) return false;
    scene.Hooks().RequestSe(request.nKind == kKindMessage ? 12 : 1);
    scene.m_bButtonHold = 1;
    return true;
  }
  return --request.nFrames < 0;
}

}  // namespace

int PauseThreadProc(cStagePlayScene& scene, cStageShell& shell) {
  if (scene.m_bQuit) return 0;
  cCheckedVector<cKeyInput> input = PrivateInput();
  // A button already held when the loop starts needs letting go first.
  WORD before = KeyInputList.empty() ? 0 : KeyInputList.VecAt(0).m_wButton;
  bool quitSeen = false;
  DWORD quitSince = 0;
  while (!shell.TakeQuitMessage()) {
    if (!shell.AppActive()) {
      PauseFramePacing();
      Sleep(1);
      continue;
    }
    if (scene.m_bQuit) {
      // Real time: the virtual clock of a fast run moves only at frame gates.
      const DWORD now = shell.RealTimeMs();
      if (!quitSeen) {
        quitSeen = true;
        quitSince = now;
      }
      if (now - quitSince >= kQuitGraceMs) shell.PostQuitToSelf();
      Sleep(1);
      continue;
    }
    shell.WaitNextFrame();
    if (!shell.RestoreLostSurfaces()) shell.PostClose();
    shell.ReadInput(input);
    cKeyInput* record = input.empty() ? nullptr : &input.VecAt(0);
    if (record) record->RecordInputHistory();
    if (CheckReplaySaveKeys(scene, shell)) continue;
    const WORD button = record ? record->m_wButton : 0;
    const bool done = RequestDone(scene, button, before);
    before = button;
    if (done) break;
    shell.DrawStage(0, 1, 0, 1);
    shell.PresentFrame();
  }
  return 1;
}

int RunPauseLoop(cStagePlayScene& scene) { return scene.m_pShell ? scene.m_pShell->RunModalLoop(ModalLoop::Pause) : 0; }

void ForgetReleasedReplayKeys(cStagePlayScene& scene, cStageShell& shell) {
  if (!shell.KeyDown(VK_F1) && !shell.KeyDown(VK_F2)) scene.m_bReplayKeysHeld = 0;
}

int CheckReplaySaveKeys(cStagePlayScene& scene, cStageShell& shell) {
  if (shell.PlayMode() == kPlayModeReplay || !CurrentSystemData().m_bReplayRecording) return 0;
  if (scene.m_nReplayRefusal > 0) --scene.m_nReplayRefusal;
  const int held = shell.KeyDown(VK_F1) ? 1 : shell.KeyDown(VK_F2) ? 2 : 0;
  // A key acts when it goes down: held through the dialog it does not ask again.
  const bool pressed = held != 0 && held != scene.m_bReplayKeysHeld;
  scene.m_bReplayKeysHeld = held;
  if (!pressed) return 0;
  const cReplayData* replay = held == 1 ? ReplayData : ReplayDataPrev;
  if (!replay || replay->m_DirWords.empty()) {
    if (scene.m_nReplayRefusal <= 0) {
      scene.Hooks().RequestSe(3);
      scene.m_nReplayRefusal = kRefusalFrames;
    }
    return 0;
  }
  scene.Hooks().RequestSe(1);
  shell.SaveReplay(held - 1);
  return 1;
}
