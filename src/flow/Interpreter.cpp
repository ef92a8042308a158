#include "flow/Interpreter.h"

#include <cstdlib>
#include <string>

#include "library/util/Convert.h"
#include "library/util/Log.h"
#include "library/util/MesBox.h"
#include "library/util/Text.h"
#include "records/FlowEnums.h"
#include "stage/Chara.h"
#include "stage/StagePlayScene.h"

namespace {

// Before-stage flows may start each other (or themselves) through flow
// operations; a chain deeper than this is cut so that it cannot recurse forever.
constexpr int kMaxBeforeStageDepth = 8;
thread_local int beforeStageDepth = 0;

bool IsPlainMessage(const cFlowCommand& def) {
  return def.FlowType() == CMD_MESSAGE && CommandParam(def, 15) == 0 && CommandParam(def, 6) == 0;
}

void RunBeforeStageFlow(cRunningFlow& flow) {
  cStagePlayScene& scene = Scene();
  if (beforeStageDepth >= kMaxBeforeStageDepth) {
    EcLogf("Before-stage flows nested deeper than %d: cut", kMaxBeforeStageDepth);
  } else {
    ++beforeStageDepth;
    scene.m_pActFlow = &flow;
    flow.bBreak = 0;
    for (flow.nCurrent = 0; flow.nCurrent < static_cast<int>(flow.Commands.size()); ++flow.nCurrent) {
      cRunningCommand& cmd = flow.Commands[static_cast<size_t>(flow.nCurrent)];
      if (cmd.pDef->m_nType < CMD_FLOW_OPERATION || !cmd.pDef->m_bNonBlocking) continue;
      if (!RunFlowCommand(cmd)) {
        static const std::string unfinished = Sjis("使用時間0なので、ここにくることはあり得ないはず！");
        EcMesBoxf("%s", unfinished.c_str());
      }
      if (flow.bBreak) break;
      cmd.bDone = 1;
    }
    --beforeStageDepth;
  }
  if (scene.m_pActChara) StopFlow(flow, *scene.m_pActChara);
}

}  // namespace

void StartFlow(cRunningFlow& flow) {
  cStagePlayScene& scene = Scene();
  flow.bRunning = 1;
  flow.nCurrent = 0;
  flow.nSteps = 0;
  flow.bMsgContinuation = 0;
  for (cRunningCommand& cmd : flow.Commands) cmd.bDone = 0;
  flow.bStartedThisFrame = 1;
  int letter = flow.Letter();
  if (flow.Trigger() == TRG_ALWAYS && letter > 0 && letter < kLetterSlots && scene.m_pActChara) {
    scene.m_pActChara->m_vLetterRunning.VecAt(letter) = 1;
    scene.m_pActChara->m_vLetterStarted.VecAt(letter) = 1;
  }
  if (!flow.Commands.empty() && flow.Trigger() == TRG_BEFORE_STAGE_START) RunBeforeStageFlow(flow);
}

void ResetRunningCommand(cRunningCommand& cmd) {
  cmd.nRemaining = cmd.nDuration;
  cmd.bDone = 0;
  cmd.nStepCount = 0;
  cmd.bStarted = 0;
  cmd.dPhaseX = cmd.dPhaseY = 0;
}

int RunFlowCommand(cRunningCommand& cmd) {
  cStagePlayScene& scene = Scene();
  scene.m_pActCommand = &cmd;
  if (scene.m_pActChara) DispatchFlowCommand(*scene.m_pActChara, cmd);
  if (--cmd.nRemaining > 0) return 0;
  cmd.nRemaining = 0;
  return 1;
}

int StepFlow(cRunningFlow& flow) {
  Scene().m_pActFlow = &flow;
  flow.bBreak = 0;
  int last = static_cast<int>(flow.Commands.size()) - 1;
  for (int i = 0; i <= flow.nCurrent; ++i) {
    if (i > last) continue;
    cRunningCommand& cmd = flow.Commands[static_cast<size_t>(i)];
    if (cmd.bDone) continue;
    const cFlowCommand& def = *cmd.pDef;
    if (cmd.nRemaining == 0) {
      ResetRunningCommand(cmd);
      if (!def.m_bNonBlocking && !IsPlainMessage(def)) flow.bMsgContinuation = 0;
    }
    int done = RunFlowCommand(cmd);
    if (def.m_bNonBlocking) {
      if (done) {
        cmd.bDone = 1;
        if (i == last) return 1;
      }
      if (i == flow.nCurrent) ++flow.nCurrent;
      if (flow.bBreak) return 0;
      continue;
    }
    if (!done) {
      if (flow.bBreak) return 0;
      continue;
    }
    cmd.bDone = 1;
    if (IsPlainMessage(def)) flow.bMsgContinuation = 1;
    if (i == last) return 1;
    ++flow.nCurrent;
    break;
  }
  if (last >= 0 && flow.Commands[static_cast<size_t>(last)].bDone) return 1;
  ++flow.nSteps;
  return 0;
}

int StopFlow(cRunningFlow& flow, cChara& chara) {
  if (!flow.bRunning) return 0;
  flow.bRunning = 0;
  for (cRunningCommand& cmd : flow.Commands) cmd.nRemaining = 0;
  int letter = flow.Letter();
  if (letter > 0 && letter < kLetterSlots) {
    chara.m_vLetterEnded.VecAt(letter) = 1;
    chara.m_bLettersEnded = 1;
  }
  return 1;
}

void PauseFlow(cRunningFlow& flow) { flow.bPaused = 1; }
void ResumeFlow(cRunningFlow& flow) { flow.bPaused = 0; }

void StopFlowForever(cRunningFlow& flow, cChara& chara) {
  flow.bStoppedForever = 1;
  StopFlow(flow, chara);
}

void ComputeMoveSpeedOrTime(cRunningCommand& cmd, const cFlowCommand& def, int copyIndex) {
  if (!def.m_pMove) return;
  const cEdMove& m = *def.m_pMove;
  long long d = m.m_nDistance;
  if (m.m_nDistanceStep != 0) d += static_cast<long long>(copyIndex) * m.m_nDistanceStep;
  if (m.m_nDistanceUnit != 1) d *= 16;
  // A zero time or speed has no defined result: the command then keeps its
  // speed (or its time) instead of dividing by zero.
  if (m.m_nTimeMode == 1) {
    if (cmd.nDuration != 0) cmd.dSpeed = static_cast<double>(d) / cmd.nDuration;
  } else if (m.m_nTimeMode == 2) {
    if (cmd.dSpeed == 0) return;
    cmd.nDuration = DoubleToInt(static_cast<double>(d) / cmd.dSpeed);
    if (!Scene().m_Rules.bKeepNegativeMoveTime && cmd.nDuration < 0) cmd.nDuration = -cmd.nDuration;
  }
}

const cEdMove& cRunningCommand::Move() const {
  static const cEdMove defaults;
  return pDef && pDef->m_pMove ? *pDef->m_pMove : defaults;
}
