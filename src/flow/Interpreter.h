#pragma once
// The flow interpreter, the triggers that start flows, and the command tables.
// Flows run on the acting character of the live scene (`m_pActChara`).
#include <vector>

#include "flow/RunningFlow.h"

class cChara;
class cPlayer;
class cKeyInput;

// Interpreter.
void StartFlow(cRunningFlow& flow);
int StepFlow(cRunningFlow& flow);
int RunFlowCommand(cRunningCommand& cmd);
void ResetRunningCommand(cRunningCommand& cmd);
int StopFlow(cRunningFlow& flow, cChara& chara);
void PauseFlow(cRunningFlow& flow);
void ResumeFlow(cRunningFlow& flow);
void StopFlowForever(cRunningFlow& flow, cChara& chara);
void ComputeMoveSpeedOrTime(cRunningCommand& cmd, const cFlowCommand& def, int copyIndex);

// Triggers.
void FireFlowTrigger(cChara& chara, int trigger);
void ResetFlowFrameFlags(cChara& chara);
int GetFirstPressedDirection(const cKeyInput& input);
int DirectionFromKeyIndex(int slot, int facingRight);

// Conditions and key commands.
class cStagePlayScene;
bool CheckFlowConditions(cStagePlayScene& scene, cRunningFlow& flow, cChara& chara);
bool CheckConditionList(cStagePlayScene& scene, const cCheckedVector<cCondition>& list, int mode, cChara& chara);
bool CheckCondition(cStagePlayScene& scene, const cCondition& condition, cChara& chara);
bool CompareByOperator(long long x, long long y, int op);
int PercentOf(int a, int b);
bool CheckKeyCommand(cChara& chara, cRunningFlow& flow);
bool MatchKeyCommand(cChara& chara, const std::vector<const cKeyCondition*>& steps, int allowance);
bool CheckKeyCondition(const cKeyInput& input, const cKeyCondition& step);

// Dispatch.
using CommandExec = int (*)(cChara&, cRunningCommand&);
using CommandSetup = void (*)(cRunningCommand&, cChara&, int mirror);
using ItemCommandExec = int (*)(cPlayer&, const cFlowCommand&);
int DispatchFlowCommand(cChara& chara, cRunningCommand& cmd);
CommandExec CommandExecFor(int type);
CommandSetup CommandSetupFor(int type);
ItemCommandExec ItemCommandExecFor(int itemType);
void StartCommandAnimes(cChara& chara);
int DoChangeFlow(cChara& chara, const cFlowCommand& def, int applyNow);
// Stage clear: the series' next stage, the world-map cursor and the hero's start
// position the next set-up takes. Always 1, the end request of a clear.
int DoStageClear(cChara& chara, const cFlowCommand& def);
// A command's integer parameter, 0 when the command has fewer.
int CommandParam(const cFlowCommand& def, int index);
