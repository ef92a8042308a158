#pragma once
// The one conversion of a double to an int used everywhere: it truncates
// toward zero like the compiled code the data was made with, and gives
// INT_MIN (the processor's "integer indefinite") for NaN and for values
// outside the int range, where a plain cast would be undefined.
#include <climits>

constexpr int DoubleToInt(double value) {
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int>(value);
  return INT_MIN;
}
