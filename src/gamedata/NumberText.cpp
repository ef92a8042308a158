#include "gamedata/NumberText.h"

#include <algorithm>
#include <cstdint>

#include "library/util/Text.h"

int CountDigits(int value) {
  int n = 0;
  for (;;) {
    value /= 10;
    if (value == 0) break;
    if (++n == 10) break;
  }
  return n + 1;
}

void FormatNumber(std::string& out, int value, int digits, int zeroPad, int plusSign) {
  int own = CountDigits(value);
  if (digits <= 0 || digits < own) digits = own;
  out.clear();
  bool negative = value < 0;
  // 64 bits, so that the most negative int has an absolute value too.
  std::int64_t rest = value;
  if (negative) rest = -rest;
  for (int i = 0; i < digits; ++i) {
    out.insert(out.begin(), static_cast<char>('0' + rest % 10));
    rest /= 10;
  }
  if (!zeroPad)
    for (size_t i = 0; i + 1 < out.size() && out[i] == '0'; ++i) out[i] = ' ';
  if (negative)
    out.insert(out.begin(), '-');
  else if (plusSign)
    out.insert(out.begin(), '+');
}

void FormatTimeText(std::string& out, int hundredths) {
  int seconds = hundredths / 100;
  std::string minuteText, secondText, hundredthText;
  FormatNumber(minuteText, seconds / 60, 2, 1, 0);
  FormatNumber(secondText, seconds % 60, 2, 1, 0);
  FormatNumber(hundredthText, hundredths % 100, 2, 1, 0);
  StrFormat(out, "%s:%s.%s", minuteText.c_str(), secondText.c_str(), hundredthText.c_str());
}

int CountEqual(std::span<const int> values, int value) {
  return static_cast<int>(std::count(values.begin(), values.end(), value));
}
