#include "platform/MainThread.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Thread.h"

namespace {

TEST(MainThreadTest, TheTestRunsOnTheMainThread) {
  EXPECT_TRUE(platform::IsMainThread());
  std::atomic<bool> onMain{true};
  platform::Thread other([&] { onMain = platform::IsMainThread(); });
  while (!other.Ended()) Sleep(1);
  EXPECT_FALSE(onMain);
}

TEST(MainThreadTest, TasksRunEachTurnWhileRegisteredAndAreNotReentered) {
  int runs = 0;
  int nested = 0;
  {
    platform::TurnRegistration task = platform::RegisterTurnTask([&] {
      ++runs;
      platform::ServiceTurn();  // a task running a loop of its own
    });
    platform::TurnRegistration counter = platform::RegisterTurnTask([&] { ++nested; });
    platform::ServiceTurn();
    platform::ServiceTurn();
  }
  platform::ServiceTurn();
  EXPECT_EQ(runs, 2) << "re-entered from its own loop";
  EXPECT_EQ(nested, 4) << "the other task runs in the nested turn too";
}

TEST(MainThreadTest, SdlEventsGoToEveryHandlerInOrder) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
  std::vector<int> seen;
  {
    platform::TurnRegistration first =
        platform::RegisterSdlEventHandler([&](const SDL_Event& event) { seen.push_back(event.user.code * 10 + 1); });
    platform::TurnRegistration second =
        platform::RegisterSdlEventHandler([&](const SDL_Event& event) { seen.push_back(event.user.code * 10 + 2); });
    for (int code : {1, 2}) {
      SDL_Event event{};
      event.type = SDL_USEREVENT;
      event.user.code = code;
      SDL_PushEvent(&event);
    }
    platform::ServiceTurn();
  }
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
  EXPECT_EQ(seen, (std::vector<int>{11, 12, 21, 22}));
}

TEST(MainThreadTest, GetMessageKeepsTheTurnGoing) {
  int turns = 0;
  platform::TurnRegistration task = platform::RegisterTurnTask([&] {
    if (++turns == 3) PostThreadMessage(GetCurrentThreadId(), WM_APP, 0, 0);
  });
  MSG msg;
  ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_APP);
  EXPECT_EQ(turns, 3);
}

}  // namespace
