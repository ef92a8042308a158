#pragma once
// The names of the standard window messages, for the message trace.
#include <string>

#include "platform/WinTypes.h"

// "WM_COMMAND" for 0x0111; a message without a standard name in decimal.
std::string GetMsgName(UINT message);
// How many standard names the table holds.
size_t MsgNameCount();
