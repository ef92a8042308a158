#pragma once
// Inside the platform layer only: what the platform keeps per thread (its
// message queue, the sends waiting for it, whether it is suspended or was
// asked to quit).
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/Messages.h"

namespace platform::detail {

struct ThreadState;

// A SendMessage waiting for the window's owner thread to serve it.
struct SendRequest {
  MSG msg;
  LRESULT result = 0;
  bool done = false;                    // guarded by the sender's mutex
  std::shared_ptr<ThreadState> sender;  // woken when done
};

struct ThreadState {
  explicit ThreadState(DWORD threadId) : id(threadId) {}

  const DWORD id;
  std::mutex mutex;
  // Woken for posted messages, sends to serve, finished sends, quit requests and resumes.
  std::condition_variable wake;
  std::deque<MSG> messages;
  std::deque<std::shared_ptr<SendRequest>> sends;
  // Posts by thread id fail until the thread has peeked or got once.
  bool hasQueue = false;
  // The thread has ended: sends to it are answered with 0 at once.
  bool ended = false;
  std::atomic<bool> cancelRequested{false};
  // Suspends not yet resumed: while above 0 the thread holds at its next wait.
  // Changed under the mutex, so a thread holding there never misses its resume.
  std::atomic<int> suspendCount{0};

  void Notify() {
    std::lock_guard lock(mutex);
    wake.notify_all();
  }
};

// The calling thread's state, made on first use.
ThreadState& Current();
std::shared_ptr<ThreadState> CurrentShared();
// The state of a live thread, or null.
std::shared_ptr<ThreadState> Find(DWORD threadId);
// Reserves an id and its state for a thread about to start; the new thread
// adopts it with Adopt before it runs anything else.
std::shared_ptr<ThreadState> Reserve();
void Adopt(std::shared_ptr<ThreadState> state);

}  // namespace platform::detail
