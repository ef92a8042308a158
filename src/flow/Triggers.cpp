#include <string>

#include "flow/Interpreter.h"
#include "library/input/KeyInput.h"
#include "platform/Trace.h"
#include "records/FlowEnums.h"
#include "stage/Chara.h"
#include "stage/StagePlayScene.h"

namespace {

// Direction codes of the direction slots 1..9 (slot 0 is the facing side).
constexpr int KeyDirectionTable[10] = {0, 2, 3, 6, 7, 8, 9, 10, 11, 0};

bool LetterBusy(const cChara& c, int letter) {
  if (letter <= 0 || letter >= kLetterSlots) return false;
  return c.m_vLetterRunning.VecAt(letter) || c.m_vLetterStarted.VecAt(letter);
}

}  // namespace

void FireFlowTrigger(cChara& c, int trigger) {
  cStagePlayScene& scene = Scene();
  scene.m_pActChara = &c;
  bool everyStep = scene.m_Rules.bTriggerEveryStep == 1;
  // Starting a flow never adds or removes running flows, so the index walk holds.
  for (size_t i = 0; i < c.m_vFlows.size(); ++i) {
    cRunningFlow& f = c.m_vFlows[i];
    if (f.Trigger() != trigger) continue;
    if (!everyStep) {
      if (f.bFiredThisFrame) continue;
      f.bFiredThisFrame = 1;
    }
    if (f.bRunning || f.bPaused || f.bStoppedForever || f.bStartedThisFrame) continue;
    if (trigger == TRG_ALWAYS && LetterBusy(c, f.Letter())) continue;
    if (!CheckFlowConditions(scene, f, c)) continue;
    if (!CheckKeyCommand(c, f)) continue;
    const cKeyInput* input = c.FlowKeyInput();
    f.nPressedDir = input ? GetFirstPressedDirection(*input) : 0;
    if (platform::TraceOn())
      platform::TraceLine("flow start " + std::to_string(c.m_nNo) + " " + std::to_string(f.nIndex) + " trigger " +
                          std::to_string(trigger));
    scene.m_pActChara = &c;
    StartFlow(f);
  }
  scene.m_pActChara = nullptr;
  scene.m_pActFlow = nullptr;
  scene.m_pActCommand = nullptr;
}

void ResetFlowFrameFlags(cChara& c) {
  for (cRunningFlow& f : c.m_vFlows) f.bFiredThisFrame = 0;
  for (cRunningFlow& f : c.m_vFlows) f.bStartedThisFrame = 0;
  c.m_vLetterStarted.assign(kLetterSlots, 0);
}

int GetFirstPressedDirection(const cKeyInput& input) {
  for (int slot = 0; slot < kDirTimelineCount; ++slot)
    if (input.KeyTimeline(slot)[0].nState != 0) return slot;
  return 0;
}

int DirectionFromKeyIndex(int slot, int facingRight) {
  if (slot >= 1 && slot <= 9) return KeyDirectionTable[slot];
  return facingRight ? 3 : 2;
}
