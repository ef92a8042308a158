#pragma once
// Threads of the player. No thread is ever killed or stopped mid-work: its
// waits (Sleep, PeekMessage, GetMessage, SendMessage to another thread) are
// its safe points. A suspended thread holds at its next one until resumed; a
// thread asked to quit unwinds there, as the wait throws ThreadCancelled.
#include <functional>
#include <memory>

#include "platform/WinTypes.h"

namespace platform {

namespace detail {
struct ThreadState;
}

// Deliberately not a std::exception: code that catches everything must
// rethrow it (catch (...) { ...; throw; }), or the thread cannot end.
struct ThreadCancelled {};

// The calling thread's safe point: holds while the thread is suspended (a
// request to quit ends the hold), then throws ThreadCancelled when it has
// been asked to quit.
void CancellationPoint();

// One started thread. Its id is known before it runs, so messages can be
// addressed to it at once; its end is polled without blocking.
class Thread {
 public:
  // Throws std::system_error when no thread can be created.
  explicit Thread(std::function<void()> body);
  // Joins an ended thread; a thread still running is abandoned.
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  DWORD Id() const;
  bool Ended() const;
  // Its next wait throws ThreadCancelled, and so does every wait after it.
  void RequestCancel();
  // Counted: the thread holds at its next wait until every suspend is
  // resumed. Both return the count before the call; Suspend refuses with -1
  // at kMaxSuspendCount, Resume of a running thread returns 0 and does nothing.
  static constexpr int kMaxSuspendCount = 127;
  int Suspend();
  int Resume();
  // Leaves a thread that would not end running: nothing is released under
  // it, and the process must then end through EndProcess.
  void Abandon();

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// Whether some thread was abandoned during this run.
bool ThreadsAbandoned();
// Ends the process with the code. After an abandoned thread the process ends
// with _exit, so no destructor frees what that thread may still touch (the
// logs are already on disk: every line is closed when written).
[[noreturn]] void EndProcess(int exitCode);

}  // namespace platform
