#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {

TEST(ClockTest, TimeReachedAcrossTheWrap) {
  struct Case {
    DWORD now, due;
    bool reached;
  } cases[] = {
      {100, 100, true}, {99, 100, false}, {5, 0xFFFFFFF0u, true}, {0xFFFFFFF0u, 5, false}, {0, 0xFFFFFFFFu, true},
  };
  for (const auto& c : cases) EXPECT_EQ(TimeReached(c.now, c.due), c.reached) << c.now << " " << c.due;
}

TEST(ClockTest, InjectedClockMovesOnlyWhenTold) {
  {
    platform::InjectedClock clock(0xFFFFFFF0u);
    EXPECT_TRUE(platform::VirtualClockActive());
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
    Sleep(2);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u) << "a real sleep leaves the virtual clock alone";
    platform::WaitUntil(0xFFFFFFF8u);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF8u);
    platform::WaitUntil(10);  // across the wrap
    EXPECT_EQ(timeGetTime(), 10u);
    platform::WaitUntil(3);  // already reached: never backwards
    EXPECT_EQ(timeGetTime(), 10u);
    clock.Advance(5);
    EXPECT_EQ(timeGetTime(), 15u);
  }
  EXPECT_FALSE(platform::VirtualClockActive());
}

TEST(ClockTest, RealWaitReturnsOnceDue) {
  DWORD due = timeGetTime() + 3;
  platform::WaitUntil(due);
  EXPECT_TRUE(TimeReached(timeGetTime(), due));
}

}  // namespace
