#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "library/util/Convert.h"
#include "library/util/Random.h"

namespace {

TEST(DoubleToIntTest, TruncatesAndDefinesTheRest) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double value;
    int expected;
  } cases[] = {
      {1.9, 1},
      {-1.9, -1},
      {-0.5, 0},
      {2147483647.9, 2147483647},
      {-2147483648.9, INT_MIN},
      {2147483648.0, INT_MIN},
      {-2147483649.0, INT_MIN},
      {1e300, INT_MIN},
      {nan, INT_MIN},
      {inf, INT_MIN},
      {-inf, INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(DoubleToInt(c.value), c.expected) << c.value;
  EXPECT_EQ(DoubleToInt(-2147483647.5), -2147483647);
}

TEST(RandomTest, RepeatsTheRunTimeSequence) {
  crt::srand(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int value : expected) EXPECT_EQ(crt::rand(), value);
  crt::srand(12345);
  EXPECT_EQ(crt::rand(), 7584);  // ((12345 * 214013 + 2531011) mod 2^32 >> 16) & 32767
}

TEST(RandomTest, EachThreadStartsAtOne) {
  crt::srand(999);
  crt::rand();
  int first = -1;
  std::thread([&] { first = crt::rand(); }).join();
  EXPECT_EQ(first, 41);
}

}  // namespace
