// The pulse of the per-frame colour animation.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/PaletteCycle.h"

namespace {

std::vector<int> Pulse(int step, int calls, int* turns) {
  int value = 0, falling = 0;
  std::vector<int> values;
  *turns = 0;
  for (int i = 0; i < calls; ++i) {
    if (PulseValue(value, falling, step, 0, 255)) ++*turns;
    values.push_back(value);
  }
  return values;
}

TEST(PaletteCycleTest, PulseRisesToBelowMaxFallsAndTurnsAtTheBottom) {
  int turns = 0;
  auto values = Pulse(8, 70, &turns);
  EXPECT_EQ(values[0], 8);
  EXPECT_EQ(values[30], 248);  // the last step under 255
  EXPECT_EQ(values[31], 248);  // 256 is taken back: the pulse turns
  EXPECT_EQ(values[32], 240);
  EXPECT_EQ(values[61], 8);
  EXPECT_EQ(values[62], 8);  // 0 is taken back: the turn at the bottom
  EXPECT_EQ(turns, 1);

  values = Pulse(16, 40, &turns);
  EXPECT_EQ(*std::max_element(values.begin(), values.end()), 240);
  EXPECT_EQ(*std::min_element(values.begin(), values.end()), 16);

  values = Pulse(0, 5, &turns);
  EXPECT_EQ(values, std::vector<int>(5, 0));
}

}  // namespace
