#pragma once
// Fixed-width numbers and clear-time text.
#include <span>
#include <string>

// Decimal digits of the value, 1 to 10; the sign is not counted.
int CountDigits(int value);
// The value with at least `digits` digits (0: its own count). Without zero
// padding, leading zeros become blanks; the sign goes in front of them.
void FormatNumber(std::string& out, int value, int digits, int zeroPad, int plusSign);
// Hundredths of a second as "mm:ss.hh" (more minute digits when needed).
void FormatTimeText(std::string& out, int hundredths);
int CountEqual(std::span<const int> values, int value);
