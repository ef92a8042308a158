#pragma once
// The millisecond clock (wraps after 49.7 days: compare with TimeReached,
// never with <) and sleeping.
#include "platform/WinTypes.h"

DWORD timeGetTime();
void Sleep(DWORD milliseconds);

// True once now has reached due, across the 32-bit wrap.
constexpr bool TimeReached(DWORD now, DWORD due) { return static_cast<std::int32_t>(now - due) >= 0; }
