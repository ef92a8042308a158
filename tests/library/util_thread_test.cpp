#include <gtest/gtest.h>

#include <atomic>

#include "library/util/Log.h"
#include "library/util/Thread.h"
#include "platform/Clock.h"
#include "support/TempDir.h"

namespace {

// What a thread procedure saw and how it ended.
struct Probe {
  std::atomic<bool> sawStart{false};
  std::atomic<bool> returned{false};
  std::atomic<bool> unwound{false};
  std::atomic<bool> release{false};
  std::atomic<int> turns{0};
  HWND sendTarget = nullptr;
};

struct UnwindGuard {
  Probe& probe;
  ~UnwindGuard() {
    if (!probe.returned) probe.unwound = true;
  }
};

// The shape of the program's thread procedures: a message loop that ends on WM_QUIT.
unsigned MessageLoop(void* argument) {
  auto& probe = *static_cast<Probe*>(argument);
  UnwindGuard guard{probe};
  for (;;) {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_THREADSTART) probe.sawStart = true;
      if (msg.message == WM_QUIT) {
        probe.returned = true;
        return 0;
      }
    }
    if (probe.sendTarget) SendMessage(std::exchange(probe.sendTarget, nullptr), WM_APP, 0, 0);
    ++probe.turns;
    Sleep(1);
  }
}

// Never reads its queue: only the request to quit at its next sleep ends it.
unsigned IgnoresQuit(void* argument) {
  auto& probe = *static_cast<Probe*>(argument);
  UnwindGuard guard{probe};
  for (;;) Sleep(1);
}

// Reaches no wait at all until released.
unsigned Spins(void* argument) {
  auto& probe = *static_cast<Probe*>(argument);
  while (!probe.release) {
  }
  probe.returned = true;
  return 0;
}

TEST(ThreadTest, UnstartedObjectReturnsAtOnce) {
  cThread thread;
  thread.Wait();
  thread.Exit();
  EXPECT_EQ(thread.Suspend(), TRUE);
  EXPECT_EQ(thread.Resume(), TRUE);
  EXPECT_EQ(thread.m_hThread, nullptr);
}

TEST(ThreadTest, StartHandshakeThenOrderedExit) {
  Probe probe;
  cThread thread;
  ASSERT_EQ(thread.Start(MessageLoop, &probe), 1);
  EXPECT_NE(thread.m_hThread, nullptr);
  EXPECT_NE(thread.m_dwThreadId, 0u);
  thread.PostStart();
  while (!probe.sawStart) Sleep(1);
  thread.Exit();
  EXPECT_TRUE(probe.returned);
  EXPECT_FALSE(probe.unwound);
  EXPECT_EQ(thread.m_hThread, nullptr);
}

// Sends to the starter's window before its first peek.
unsigned SendsFirst(void* argument) {
  auto& probe = *static_cast<Probe*>(argument);
  SendMessage(std::exchange(probe.sendTarget, nullptr), WM_APP, 0, 0);
  return MessageLoop(argument);
}

TEST(ThreadTest, StarterServesSendsWhileItPostsTheStart) {
  platform::Window starterWindow(GetCurrentThreadId(), [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
  Probe probe;
  probe.sendTarget = &starterWindow;
  cThread thread;
  thread.Start(SendsFirst, &probe);
  thread.PostStart();
  while (!probe.sawStart) Sleep(1);
  thread.Exit();
  EXPECT_TRUE(probe.returned);
}

TEST(ThreadTest, WaitReturnsWhenTheProcedureHasReturned) {
  Probe probe;
  cThread thread;
  thread.Start(MessageLoop, &probe);
  thread.PostStart();
  PostThreadMessage(thread.m_dwThreadId, WM_QUIT, 0, 0);
  thread.Wait();
  EXPECT_TRUE(probe.returned);
  EXPECT_EQ(thread.m_hThread, nullptr);
  thread.Exit();  // nothing left to end
}

TEST(ThreadTest, SendToTheClosingMainWindowDoesNotDeadlock) {
  std::atomic<int> served{0};
  platform::Window mainWindow(GetCurrentThreadId(), [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return ++served; });
  Probe probe;
  probe.sendTarget = &mainWindow;
  cThread thread;
  thread.Start(MessageLoop, &probe);
  // The main thread goes straight to ending the thread, which is (or soon
  // will be) waiting in a send to the main thread's window.
  thread.Exit();
  EXPECT_TRUE(probe.returned) << "the thread was not left to end on its quit message";
  EXPECT_LE(served, 1);
}

// The worker makes no turn in 100 ms once it has had 100 ms to reach its next wait.
void ExpectHeld(const Probe& probe, const char* why) {
  Sleep(100);
  const int held = probe.turns;
  Sleep(100);
  EXPECT_EQ(probe.turns, held) << why;
}

TEST(ThreadTest, SuspendsCountUpToTheirBoundAndExitStillEndsTheThreadOnItsQuit) {
  Probe probe;
  cThread thread;
  thread.Start(MessageLoop, &probe);
  thread.PostStart();
  while (probe.turns == 0) Sleep(1);
  for (int i = 0; i < platform::Thread::kMaxSuspendCount; ++i) ASSERT_EQ(thread.Suspend(), TRUE) << i;
  EXPECT_EQ(thread.Suspend(), FALSE) << "one suspend beyond the bound";
  ExpectHeld(probe, "suspended");
  for (int i = 2; i < platform::Thread::kMaxSuspendCount; ++i) EXPECT_EQ(thread.Resume(), TRUE);
  ExpectHeld(probe, "resumed twice less than suspended");
  thread.Exit();
  EXPECT_TRUE(probe.returned) << "the thread did not see its quit message";
  EXPECT_FALSE(probe.unwound);
  EXPECT_EQ(thread.m_hThread, nullptr);
}

TEST(ThreadTest, AThreadThatIgnoresQuitUnwindsAtItsNextWait) {
  Probe probe;
  cThread thread;
  thread.Start(IgnoresQuit, &probe);
  thread.Exit();
  EXPECT_TRUE(probe.unwound);
  EXPECT_EQ(thread.m_hThread, nullptr);
}

TEST(ThreadTest, AThreadStillRunningAfterTheLastPollIsLoggedAndLeft) {
  testsupport::TempDir dir(true);
  ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
  Probe probe;
  {
    cThread thread;
    thread.Start(Spins, &probe);
    DWORD id = thread.m_dwThreadId;
    thread.Exit();
    EXPECT_EQ(thread.m_hThread, nullptr);
    EXPECT_FALSE(probe.returned) << "the thread was ended mid-work";
    EXPECT_TRUE(platform::ThreadsAbandoned());
    EXPECT_EQ(dir.Read("Report_Game.txt"), "thread " + std::to_string(id) + " did not end and is left running\r\n");
  }
  probe.release = true;
  while (!probe.returned) Sleep(1);
}

}  // namespace
