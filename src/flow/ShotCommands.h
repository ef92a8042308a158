#pragma once
// The shot and sword commands (types 11 and 12): a volley at the first step
// and every tenth of a second while the command runs, or one sword.
#include "flow/RunningFlow.h"

class cChara;

int ExecShot(cChara& c, cRunningCommand& cmd);
int ExecSword(cChara& c, cRunningCommand& cmd);
