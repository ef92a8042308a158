#pragma once
// The movement commands (types 2 to 10) and their set-ups at installation.
#include "flow/RunningFlow.h"

class cChara;

int ExecStraightMove(cChara& c, cRunningCommand& cmd);
int ExecGroundTurnMove(cChara& c, cRunningCommand& cmd);
int ExecCircleMove(cChara& c, cRunningCommand& cmd);
int ExecChargeMove(cChara& c, cRunningCommand& cmd);
int ExecHomingMove(cChara& c, cRunningCommand& cmd);
int ExecOffscreenAvoidMove(cChara& c, cRunningCommand& cmd);
int ExecDisableMove(cChara& c, cRunningCommand& cmd);
int ExecTurn(cChara& c, cRunningCommand& cmd);
int ExecJump(cChara& c, cRunningCommand& cmd);

void SetupStraightMove(cRunningCommand& cmd, cChara& c, int mirror);
void SetupMoveTimeSpeed(cRunningCommand& cmd, cChara& c, int mirror);
void SetupCircleMove(cRunningCommand& cmd, cChara& c, int mirror);
void SetupChargeMove(cRunningCommand& cmd, cChara& c, int mirror);
void SetupHomingMove(cRunningCommand& cmd, cChara& c, int mirror);
void SetupJumpCommand(cRunningCommand& cmd, cChara& c, int mirror);

// Direction operations shared with the warp and shot commands.
int ResolveDirection(const cChara& c, int code);
void DirectionToVelocity(const cChara& c, double& outVx, double& outVy, int& outFacing, double speed, int code);
void DirectionToAngle(const cChara& c, double& outVx, double& outVy, int& outFacing, double speed, int code, int angle);
