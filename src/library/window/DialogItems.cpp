#include "library/window/DialogItems.h"

#include <algorithm>
#include <array>

#include "platform/overlay/DialogItems.h"

void GetDlgItemString(HWND dialog, int id, std::string& text, int maxLength) {
  std::array<char, 5120> buffer{};
  const int limit = std::clamp(maxLength, 0, static_cast<int>(buffer.size()));
  const UINT length = GetDlgItemTextA(dialog, id, buffer.data(), limit);
  text.assign(buffer.data(), length);
}

BOOL SetDlgItemString(HWND dialog, int id, const std::string& text) {
  return SetDlgItemTextA(dialog, id, text.c_str());
}
