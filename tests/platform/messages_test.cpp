#include "platform/Messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "platform/Clock.h"
#include "platform/MainThread.h"
#include "platform/Thread.h"

namespace {

// A window of the calling thread that records on which thread it was called.
struct RecordingWindow {
  std::atomic<DWORD> calledOn{0};
  platform::Window window{GetCurrentThreadId(), [this](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
                            calledOn = GetCurrentThreadId();
                            return static_cast<LRESULT>(message + wParam);
                          }};
};

void WaitForEnd(const platform::Thread& thread) {
  while (!thread.Ended()) Sleep(1);
}

TEST(MessagesTest, ThreadPostFailsUntilTheTargetHasAQueue) {
  std::atomic<bool> makeQueue{false};
  std::atomic<UINT> received{0};
  platform::Thread thread([&] {
    while (!makeQueue) Sleep(1);
    MSG msg;
    GetMessage(&msg, nullptr, 0, 0);
    received = msg.message;
  });
  EXPECT_FALSE(PostThreadMessage(thread.Id(), WM_APP, 0, 0));
  makeQueue = true;
  while (!PostThreadMessage(thread.Id(), WM_APP + 1, 0, 0)) Sleep(0);
  WaitForEnd(thread);
  EXPECT_EQ(received, WM_APP + 1);
  EXPECT_FALSE(PostThreadMessage(thread.Id(), WM_APP, 0, 0)) << "an ended thread takes no posts";
}

TEST(MessagesTest, PeekFiltersAndKeepsOrder) {
  const DWORD self = GetCurrentThreadId();
  PeekMessage(nullptr, nullptr, 0, 0, PM_NOREMOVE);
  PostThreadMessage(self, WM_APP + 2, 0, 0);
  PostThreadMessage(self, WM_APP + 1, 1, 0);
  PostThreadMessage(self, WM_APP + 1, 2, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_APP + 1, WM_APP + 1, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 1u);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_APP + 1, WM_APP + 1, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 1u);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_APP + 2);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessagesTest, SendToOwnWindowIsADirectCall) {
  RecordingWindow target;
  EXPECT_EQ(SendMessage(&target.window, WM_APP, 5, 0), static_cast<LRESULT>(WM_APP + 5));
  EXPECT_EQ(target.calledOn, GetCurrentThreadId());
  EXPECT_EQ(SendMessage(nullptr, WM_APP, 0, 0), 0);
}

TEST(MessagesTest, SendWaitsUntilTheOwnerServesIt) {
  RecordingWindow target;
  std::atomic<LRESULT> reply{-1};
  platform::Thread sender([&] { reply = SendMessage(&target.window, WM_APP, 7, 0); });
  Sleep(5);
  EXPECT_EQ(target.calledOn, 0u) << "served before the owner took a turn";
  EXPECT_EQ(reply, -1);
  while (reply == -1) platform::ServiceTurn();
  EXPECT_EQ(reply, static_cast<LRESULT>(WM_APP + 7));
  EXPECT_EQ(target.calledOn, GetCurrentThreadId());
  WaitForEnd(sender);
}

TEST(MessagesTest, GetMessageServesSendsWhileItWaits) {
  RecordingWindow target;
  const DWORD owner = GetCurrentThreadId();
  platform::Thread sender([&] {
    SendMessage(&target.window, WM_APP, 0, 0);
    PostThreadMessage(owner, WM_APP + 3, 0, 0);
  });
  MSG msg;
  ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_APP + 3);
  EXPECT_EQ(target.calledOn, owner);
  WaitForEnd(sender);
}

TEST(MessagesTest, APostMadeWhileTheFirstSendIsServedIsKept) {
  std::atomic<DWORD> ownerId{0};
  std::atomic<bool> sendQueued{false};
  std::atomic<UINT> received{0};
  std::unique_ptr<platform::Window> target;
  platform::Thread owner([&] {
    // Serving the send posts to this very thread before it ever looked at its queue.
    target = std::make_unique<platform::Window>(GetCurrentThreadId(), [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
      PostThreadMessage(GetCurrentThreadId(), WM_APP + 7, 0, 0);
      return 1;
    });
    ownerId = GetCurrentThreadId();
    while (!sendQueued) Sleep(1);
    Sleep(20);
    MSG msg{};
    PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE);
    if (msg.message != WM_APP + 7) PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE);
    received = msg.message;
  });
  while (!ownerId) Sleep(0);
  platform::Thread sender([&] {
    sendQueued = true;
    SendMessage(target.get(), WM_APP, 0, 0);
  });
  WaitForEnd(owner);
  WaitForEnd(sender);
  EXPECT_EQ(received, WM_APP + 7);
}

TEST(MessagesTest, SendsCrossingBetweenTwoThreadsDoNotDeadlock) {
  RecordingWindow mine;
  std::atomic<HWND> workerWindow{nullptr};
  std::atomic<bool> done{false};
  platform::Thread worker([&] {
    RecordingWindow theirs;
    workerWindow = &theirs.window;
    // Waits for its own reply while the test thread's send to it waits too.
    EXPECT_EQ(SendMessage(&mine.window, WM_APP, 1, 0), static_cast<LRESULT>(WM_APP + 1));
    while (!done) PeekMessage(nullptr, nullptr, 0, 0, PM_NOREMOVE);
  });
  while (!workerWindow) Sleep(0);
  EXPECT_EQ(SendMessage(workerWindow, WM_APP, 2, 0), static_cast<LRESULT>(WM_APP + 2));
  while (mine.calledOn == 0) platform::ServiceTurn();
  done = true;
  WaitForEnd(worker);
}

TEST(MessagesTest, AWindowOfAnEndedThreadTakesNothing) {
  std::unique_ptr<platform::Window> orphan;
  {
    platform::Thread owner([&] {
      orphan = std::make_unique<platform::Window>(GetCurrentThreadId(),
                                                  [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
    });
    WaitForEnd(owner);
  }
  EXPECT_EQ(SendMessage(orphan.get(), WM_APP, 0, 0), 0);
  EXPECT_FALSE(PostMessage(orphan.get(), WM_APP, 0, 0));
}

TEST(CancellationTest, EveryWaitUnwindsAThreadAskedToQuit) {
  enum Wait { kSleep, kPeek, kGet, kSend };
  platform::Window neverServed(GetCurrentThreadId(), [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
  for (Wait wait : {kSleep, kPeek, kGet, kSend}) {
    std::atomic<bool> started{false};
    std::atomic<bool> unwound{false};
    std::atomic<bool> returned{false};
    platform::Thread thread([&] {
      struct Guard {
        std::atomic<bool>& flag;
        ~Guard() { flag = true; }
      } guard{unwound};
      started = true;
      switch (wait) {
        case kSleep:
          for (;;) Sleep(1000);
        case kPeek:
          for (;;) PeekMessage(nullptr, nullptr, 0, 0, PM_NOREMOVE);
        case kGet:
          GetMessage(nullptr, nullptr, 0, 0);
          break;
        case kSend:
          SendMessage(&neverServed, WM_APP, 0, 0);
          break;
      }
      returned = true;
    });
    while (!started) Sleep(0);
    thread.RequestCancel();
    WaitForEnd(thread);
    EXPECT_TRUE(unwound) << wait;
    EXPECT_FALSE(returned) << wait;
  }
  EXPECT_FALSE(platform::ServeSends()) << "the withdrawn send was served after all";
}

// One turn of the test thread for a worker in any of the waits: a message for
// its GetMessage, its send served, then 1 ms.
void Drive(const platform::Thread& worker) {
  PostThreadMessage(worker.Id(), WM_APP, 0, 0);
  platform::ServeSends();
  Sleep(1);
}

TEST(SuspensionTest, EveryWaitHoldsASuspendedThreadUntilResumedAndQuitEndsTheHold) {
  enum Wait { kSleep, kPeek, kGet, kSend };
  platform::Window served(GetCurrentThreadId(), [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
  for (Wait wait : {kSleep, kPeek, kGet, kSend}) {
    std::atomic<int> turns{0};
    platform::Thread thread([&] {
      for (;; ++turns) {
        if (wait == kSleep) Sleep(1);
        if (wait == kPeek) PeekMessage(nullptr, nullptr, 0, 0, PM_REMOVE);
        if (wait == kGet) GetMessage(nullptr, nullptr, 0, 0);
        if (wait == kSend) SendMessage(&served, WM_APP, 0, 0);
      }
    });
    // Runs the worker for 100 turns of the test thread; the turns it made.
    auto driveAndCount = [&] {
      const int before = turns;
      for (int i = 0; i < 100; ++i) Drive(thread);
      return turns - before;
    };
    while (turns == 0) Drive(thread);
    EXPECT_EQ(thread.Suspend(), 0) << wait;
    driveAndCount();  // the turn it was in when suspended ends at its next wait
    EXPECT_EQ(driveAndCount(), 0) << wait << ": went on while suspended";
    EXPECT_EQ(thread.Resume(), 1) << wait;
    const int resumedAt = turns;
    while (turns == resumedAt) Drive(thread);
    EXPECT_EQ(thread.Suspend(), 0) << wait;
    driveAndCount();
    thread.RequestCancel();
    while (!thread.Ended()) Drive(thread);
  }
}

}  // namespace
