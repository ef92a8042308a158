#pragma once
// The millisecond clock (32 bits: it wraps after 49.7 days, so compare with
// TimeReached, never with <) and sleeping.
//
// Tests, and runs with ZANDREL_FAST=1, replace the clock by a virtual one that
// moves only when told: by WaitUntil (the frame gate and the rate limiter
// wait there) or by a test. Every Sleep stays real and leaves it alone.
#include "platform/WinTypes.h"

DWORD timeGetTime();
// A cancellation point (see platform/Thread.h); Sleep(0) yields.
void Sleep(DWORD milliseconds);

// True once now has reached due, across the 32-bit wrap.
constexpr bool TimeReached(DWORD now, DWORD due) { return static_cast<std::int32_t>(now - due) >= 0; }

namespace platform {

// Where the virtual clock of ZANDREL_FAST starts.
constexpr DWORD kFastClockStart = 1000000;

// Returns once the clock has reached due: the real clock sleeps until then,
// the virtual clock jumps there (never backwards). A cancellation point.
void WaitUntil(DWORD due);

// The real clock in milliseconds, for probes whose value is only logged.
DWORD RealTimeMs();

bool VirtualClockActive();
// True on the virtual clock of ZANDREL_FAST: a frame gate or rate limiter that
// is not yet due moves the clock to its due time and lets the frame through
// at once, so no caller's wait loop ever sleeps for it.
bool PacingMovesClock();

// A virtual clock for the lifetime of the object (tests); with
// pacingMovesClock it behaves as the clock of ZANDREL_FAST.
class InjectedClock {
 public:
  explicit InjectedClock(DWORD start, bool pacingMovesClock = false);
  ~InjectedClock();
  InjectedClock(const InjectedClock&) = delete;
  InjectedClock& operator=(const InjectedClock&) = delete;

  void Set(DWORD now);
  void Advance(DWORD milliseconds);

 private:
  bool m_wasVirtual;
  bool m_wasPacing;
  DWORD m_previous;
};

}  // namespace platform
