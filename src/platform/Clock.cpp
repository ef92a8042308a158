#include "platform/Clock.h"

#include <time.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Harness.h"
#include "platform/Thread.h"
#include "platform/ThreadState.h"

namespace {

std::atomic<bool> virtualActive{false};
std::atomic<bool> pacingMoves{false};
std::atomic<DWORD> virtualNow{0};

// ZANDREL_FAST is applied before the clock is first read.
void ConfigureOnce() {
  static const bool configured = [] {
    if (platform::Harness().fastClock) {
      virtualNow.store(platform::kFastClockStart);
      virtualActive.store(true);
      pacingMoves.store(true);
    }
    return true;
  }();
  (void)configured;
}

// Moves the virtual clock forward to due, never backwards.
void AdvanceVirtualTo(DWORD due) {
  DWORD now = virtualNow.load();
  while (!TimeReached(now, due) && !virtualNow.compare_exchange_weak(now, due)) {
  }
}

}  // namespace

namespace platform {

DWORD RealTimeMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<DWORD>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                            static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

bool VirtualClockActive() {
  ConfigureOnce();
  return virtualActive.load();
}

bool PacingMovesClock() {
  ConfigureOnce();
  return pacingMoves.load();
}

void WaitUntil(DWORD due) {
  if (VirtualClockActive()) {
    CancellationPoint();
    AdvanceVirtualTo(due);
    return;
  }
  for (DWORD now = RealTimeMs(); !TimeReached(now, due); now = RealTimeMs()) Sleep(due - now);
}

InjectedClock::InjectedClock(DWORD start, bool pacingMovesClock) {
  ConfigureOnce();
  m_wasVirtual = virtualActive.load();
  m_wasPacing = pacingMoves.load();
  m_previous = virtualNow.load();
  virtualNow.store(start);
  virtualActive.store(true);
  pacingMoves.store(pacingMovesClock);
}

InjectedClock::~InjectedClock() {
  virtualNow.store(m_previous);
  virtualActive.store(m_wasVirtual);
  pacingMoves.store(m_wasPacing);
}

void InjectedClock::Set(DWORD now) { virtualNow.store(now); }
void InjectedClock::Advance(DWORD milliseconds) { virtualNow.fetch_add(milliseconds); }

}  // namespace platform

DWORD timeGetTime() { return platform::VirtualClockActive() ? virtualNow.load() : platform::RealTimeMs(); }

void Sleep(DWORD milliseconds) {
  platform::CancellationPoint();
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  // Waits on the thread's own wake-up, so a request to quit ends the sleep early.
  auto& self = platform::detail::Current();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  {
    std::unique_lock lock(self.mutex);
    self.wake.wait_until(lock, deadline, [&] { return self.cancelRequested.load(); });
  }
  platform::CancellationPoint();
}
