#pragma once
// Pixel formats of the software display and the colour conversions between
// them. Colours travel between formats as ARGB 8888 words.
#include <cstdint>

#include "platform/WinTypes.h"

struct PALETTEENTRY {
  BYTE peRed = 0;
  BYTE peGreen = 0;
  BYTE peBlue = 0;
  BYTE peFlags = 0;
  constexpr bool operator==(const PALETTEENTRY&) const = default;
};

struct RGBTRIPLE {
  BYTE rgbtBlue = 0;
  BYTE rgbtGreen = 0;
  BYTE rgbtRed = 0;
  constexpr bool operator==(const RGBTRIPLE&) const = default;
};

namespace platform::display {

enum class PixelFormat : std::uint8_t {
  Index8,    // palette index
  R5G6B5,    // 16-bit display and full-screen back buffer
  A1R5G5B5,  // 16-bit textures and the windowed back buffer
  R8G8B8,    // 24-bit, blue byte first
  X8R8G8B8,  // 32-bit display and back buffer
  A8R8G8B8,  // 32-bit textures
};

constexpr int BytesPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Index8:
      return 1;
    case PixelFormat::R5G6B5:
    case PixelFormat::A1R5G5B5:
      return 2;
    case PixelFormat::R8G8B8:
      return 3;
    case PixelFormat::X8R8G8B8:
    case PixelFormat::A8R8G8B8:
      return 4;
  }
  return 4;
}

constexpr std::uint32_t Expand5(std::uint32_t c) { return (c << 3) | (c >> 2); }
constexpr std::uint32_t Expand6(std::uint32_t c) { return (c << 2) | (c >> 4); }

// A pixel of the format as ARGB 8888. 5- and 6-bit channels are widened by
// repeating their top bits, so 31 becomes 255; formats without alpha read as
// opaque. Index8 has no colour of its own and reads as the index in blue.
constexpr std::uint32_t ToArgb(PixelFormat format, std::uint32_t pixel) {
  switch (format) {
    case PixelFormat::Index8:
      return 0xFF000000u | (pixel & 0xFF);
    case PixelFormat::R5G6B5:
      return 0xFF000000u | Expand5((pixel >> 11) & 31) << 16 | Expand6((pixel >> 5) & 63) << 8 | Expand5(pixel & 31);
    case PixelFormat::A1R5G5B5:
      return ((pixel & 0x8000) ? 0xFF000000u : 0u) | Expand5((pixel >> 10) & 31) << 16 |
             Expand5((pixel >> 5) & 31) << 8 | Expand5(pixel & 31);
    case PixelFormat::R8G8B8:
    case PixelFormat::X8R8G8B8:
      return 0xFF000000u | (pixel & 0xFFFFFF);
    case PixelFormat::A8R8G8B8:
      return pixel;
  }
  return pixel;
}

// ARGB 8888 as a pixel of the format; channels narrow by truncation (the
// low bits are dropped), a 1-bit alpha is the top bit of the alpha byte, and
// the unused byte of X8R8G8B8 is 0, as in a 32-bit DIB.
constexpr std::uint32_t FromArgb(PixelFormat format, std::uint32_t argb) {
  const std::uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  switch (format) {
    case PixelFormat::Index8:
      return b;
    case PixelFormat::R5G6B5:
      return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
    case PixelFormat::A1R5G5B5:
      return (a >> 7) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    case PixelFormat::R8G8B8:
      return argb & 0xFFFFFF;
    case PixelFormat::X8R8G8B8:
      return argb & 0xFFFFFF;
    case PixelFormat::A8R8G8B8:
      return argb;
  }
  return argb;
}

// x / 255 rounded down, exact for 0 <= x < 65535 (the range of a product of
// two bytes plus a rounding term), without a division.
constexpr std::uint32_t Div255(std::uint32_t x) { return (x + 1 + (x >> 8)) >> 8; }

}  // namespace platform::display
