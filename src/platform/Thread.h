#pragma once
// Threads of the player. No thread is ever killed: a thread asked to quit
// unwinds at its next wait (Sleep, PeekMessage, GetMessage, the wait of
// SendMessage), which throws ThreadCancelled.
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

// Throws ThreadCancelled when the calling thread has been asked to quit.
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
