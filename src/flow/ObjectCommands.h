#pragma once
// The commands that act on objects and flows rather than on motion or
// presentation: summons, flow operations, the game wait, warps, targets, the
// two status operations, item gets and code execution. Each flow executor is
// an adapter around a worker that takes the command's definition, which the
// item-command table calls too.
#include <string>

#include "flow/RunningFlow.h"

class cChara;
class cPlayer;

// One operator of a status operation on v with the right-hand value a,
// computed exactly and clamped to [low, high]. Values of a byte or 16 bits
// take both operands at that width first.
int ApplyOperation(int v, int a, int op, int low, int high);

// 1 when a value was changed, 0 when the operation had nothing to act on.
int DoStatusOperation(cChara& c, const cFlowCommand& cmd);
int DoStatusOperation2(cChara& c, const cFlowCommand& cmd);
// Runs one statement for the character: 1 when it ran, 0 after an error,
// which a message box has shown.
int ExecuteCode(const std::string& statement, cChara& c);
// Holds the game, drawn but still, in the pause loop for the command's time.
int DoGameWait(cChara& c, const cFlowCommand& cmd);
int DoWarp(cChara& c, const cFlowCommand& cmd);
// The character's target: the hero, itself, or found in the faction lists.
int DoSetTarget(cChara& c, const cFlowCommand& cmd);
int DoItemGet(cChara& c, const cFlowCommand& cmd);

int ExecSummonBlock(cChara& c, cRunningCommand& cmd);
int ExecSummonChara(cChara& c, cRunningCommand& cmd);
int ExecSummonItem(cChara& c, cRunningCommand& cmd);
int ExecFlowOperation(cChara& c, cRunningCommand& cmd);
int ExecGameWait(cChara& c, cRunningCommand& cmd);
int ExecWarp(cChara& c, cRunningCommand& cmd);
int ExecSetTarget(cChara& c, cRunningCommand& cmd);
int ExecStatusOperation(cChara& c, cRunningCommand& cmd);
int ExecStatusOperation2(cChara& c, cRunningCommand& cmd);
int ExecItemGet(cChara& c, cRunningCommand& cmd);
int ExecCodeExecution(cChara& c, cRunningCommand& cmd);

int ItemExecGameWait(cPlayer& hero, const cFlowCommand& cmd);
int ItemExecWarp(cPlayer& hero, const cFlowCommand& cmd);
int ItemExecSetTarget(cPlayer& hero, const cFlowCommand& cmd);
int ItemExecStatusOperation(cPlayer& hero, const cFlowCommand& cmd);
int ItemExecStatusOperation2(cPlayer& hero, const cFlowCommand& cmd);
int ItemExecItemGet(cPlayer& hero, const cFlowCommand& cmd);
int ItemExecCodeExecution(cPlayer& hero, const cFlowCommand& cmd);
