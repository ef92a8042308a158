#pragma once
// The small set of Windows-shaped value types the player's code is written in.
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using BOOL = int;
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr int MAX_PATH = 260;

namespace platform {
class Window;
}
// A window handle; null means no window.
using HWND = platform::Window*;

struct POINT {
  LONG x = 0;
  LONG y = 0;
  constexpr bool operator==(const POINT&) const = default;
};

struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
  constexpr LONG Width() const { return right - left; }
  constexpr LONG Height() const { return bottom - top; }
  constexpr bool operator==(const RECT&) const = default;
};
