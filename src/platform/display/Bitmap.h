#pragma once
// Bitmap files as the player reads them: every BMP variant SDL reads (1, 4,
// 8, 16, 24 and 32 bits, RLE, OS/2 and newer headers, top-down), held as
// palette indices (for palette bitmaps) or as RGB colours.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/display/PixelBuffer.h"

namespace platform::display {

struct Bitmap {
  int width = 0;
  int height = 0;
  int bitCount = 0;                    // bits per pixel stored in the file
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB; only for bitmaps of 8 bits or fewer
  std::vector<std::uint8_t> indices;   // width * height, top row first; palette bitmaps
  std::vector<std::uint32_t> colours;  // width * height 0x00RRGGBB, top row first; the others

  bool Indexed() const { return bitCount <= 8; }
  // The colour at (x, y), top row 0; an index beyond a short palette reads black.
  std::uint32_t Colour(int x, int y) const;
  std::uint8_t Index(int x, int y) const { return indices[static_cast<std::size_t>(y) * width + x]; }
};

// Largest bitmap side and area accepted; bigger files are refused before any
// pixel memory is taken.
constexpr int kMaxBitmapSide = 16384;
constexpr long long kMaxBitmapPixels = 16LL * 1024 * 1024;

// Reads a bitmap from memory; on failure logs nothing and sets *why.
std::optional<Bitmap> DecodeBitmap(std::span<const std::uint8_t> bytes, std::string* why = nullptr);
// Reads a stored (CP932, backslash) path; on failure sets *why.
std::optional<Bitmap> LoadBitmapFile(std::string_view storedPath, std::string* why = nullptr);

// Writes 32-bit XRGB pixels (width * height, top row first) as a 24-bit BMP.
bool WriteBitmap24(const std::string& hostPath, std::span<const std::uint32_t> xrgb, int width, int height);

}  // namespace platform::display
