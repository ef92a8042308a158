#pragma once
// Moving text between dialog items and strings.
#include <string>

#include "platform/WinTypes.h"

// The item's text, at most maxLength bytes (and never more than 5119).
void GetDlgItemString(HWND dialog, int id, std::string& text, int maxLength);
BOOL SetDlgItemString(HWND dialog, int id, const std::string& text);
