#pragma once
// The wrapper of one worker thread: start, wait, suspend, resume and an
// orderly exit. Exit never kills: a thread that ignores its quit message is
// asked to quit at its next wait, and one that still runs after the last poll
// is logged and left running (the process then ends through
// platform::EndProcess).
#include <atomic>
#include <memory>

#include "platform/Messages.h"
#include "platform/Thread.h"

// Posted to a new thread until its queue takes it; thread procedures ignore it.
constexpr UINT WM_THREADSTART = WM_APP;

using ThreadProc = unsigned (*)(void*);

class cThread {
 public:
  // Where Exit stops waiting politely and where it stops waiting at all.
  static constexpr int kCancelPoll = 200;
  static constexpr int kLastPoll = 1000;

  cThread() = default;
  ~cThread() { Exit(); }
  cThread(const cThread&) = delete;
  cThread& operator=(const cThread&) = delete;

  // 1, or 0 when no thread can be created. A thread still attached is
  // replaced (joined when it has ended, else left running).
  int Start(ThreadProc proc, void* argument);
  // Polls every millisecond until the thread has ended, serving the calling
  // thread's turn meanwhile; then releases it.
  void Wait();
  // The thread holds at its next wait (sleep, message peek or get, a send)
  // until resumed as often as it was suspended. TRUE unless the suspend count
  // is full; TRUE without a thread.
  BOOL Suspend();
  BOOL Resume();
  // Resumes the thread fully, so it sees its quit message, then ends it.
  void Exit();
  // Posts WM_THREADSTART until the thread's queue takes it (or it has ended).
  void PostStart();

  DWORD m_dwThreadId = 0;
  // Non-null while a thread is attached; other threads test it.
  std::atomic<platform::Thread*> m_hThread{nullptr};

 private:
  // One poll of a wait: the caller's service turn, then 1 ms of sleep.
  static void PollOnce();
  void Release();

  std::unique_ptr<platform::Thread> m_thread;
};
