#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "gamedata/NumberText.h"

namespace {

TEST(NumberText, CountDigits) {
  const std::pair<int, int> cases[] = {{0, 1}, {9, 1}, {10, 2}, {-10, 2}, {2147483647, 10}, {INT_MIN, 10}};
  for (auto [value, digits] : cases) EXPECT_EQ(CountDigits(value), digits) << value;
}

TEST(NumberText, FormatNumber) {
  struct Case {
    int value, digits, zeroPad, plus;
    const char* text;
  };
  const Case cases[] = {
      {7, 3, 1, 0, "007"},   {7, 3, 0, 0, "  7"},
      {-7, 3, 0, 0, "-  7"}, {1234, 2, 1, 0, "1234"},
      {5, 2, 1, 1, "+05"},   {0, 3, 0, 0, "  0"},
      {42, 0, 1, 0, "42"},   {105, 4, 0, 0, " 105"},
      {-3, 0, 1, 1, "-3"},   {INT_MIN, 0, 1, 0, "-2147483648"},
  };
  for (const Case& c : cases) {
    std::string out = "junk";
    FormatNumber(out, c.value, c.digits, c.zeroPad, c.plus);
    EXPECT_EQ(out, c.text) << c.value << " " << c.digits;
  }
}

TEST(NumberText, FormatTimeText) {
  const std::pair<int, const char*> cases[] = {
      {12345, "02:03.45"}, {600000, "100:00.00"}, {5, "00:00.05"}, {6000, "01:00.00"}, {99, "00:00.99"}};
  for (auto [hundredths, text] : cases) {
    std::string out;
    FormatTimeText(out, hundredths);
    EXPECT_EQ(out, text);
  }
}

TEST(NumberText, CountEqual) {
  std::vector<int> places{-1, 3, -1, 0, -1};
  EXPECT_EQ(CountEqual(places, -1), 3);
  EXPECT_EQ(CountEqual(places, 7), 0);
}

}  // namespace
