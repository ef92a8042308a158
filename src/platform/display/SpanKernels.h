#pragma once
// Block and row kernels of the software display. The caller picks one kernel
// per quad or blit, which then walks all of its rows, so that no choice is
// left inside a row and the call is paid once per block; each gives exactly
// the pixels of the per-pixel rules in Device.h and DirectDraw.h, doing the
// same arithmetic several pixels at a time where the processor allows.
#include <cstddef>
#include <cstdint>

namespace platform::display {

// How 32-bit ARGB source values land on a 32-bit target row.
struct SpanStore {
  std::uint32_t orMask = 0;              // forced into every value by CopyRect (texels made opaque)
  std::uint32_t storeMask = 0xFFFFFFFF;  // 0x00FFFFFF on X8R8G8B8, whose unused byte is written 0
  std::uint32_t underlay = 0;            // the raw pixel BlendOntoRect draws over
};

// A block of `rows` rows of `count` pixels; each pitch is the distance in
// bytes from one row to the next (negative walks upwards).
struct SpanRect {
  const std::uint8_t* source = nullptr;
  std::ptrdiff_t sourcePitch = 0;
  std::uint8_t* out = nullptr;
  std::ptrdiff_t outPitch = 0;
  int count = 0;
  int rows = 1;
};

// Draws a block of ARGB values onto 32-bit pixels.
using RectKernel = void (*)(const SpanRect& rect, const SpanStore& store);

// (source | orMask) & storeMask, whatever the target held.
void CopyRect(const SpanRect& rect, const SpanStore& store);
// Alpha blending over the target: alpha 0 leaves the pixel as it was, any
// other alpha blends over it (an X8R8G8B8 target reads as opaque).
void BlendRect(const SpanRect& rect, const SpanStore& store);
// BlendRect over a target that holds `underlay` in every pixel: a clear and
// a copy in one pass, writing every pixel.
void BlendOntoRect(const SpanRect& rect, const SpanStore& store);
// CopyRect on one row of `count` values.
void CopySpan(const std::uint8_t* source, std::uint8_t* out, int count, const SpanStore& store);

// DirectDraw rows of raw pixels `bytes` wide (1 to 4).
// Copies the pixels not equal to key; a row copied onto itself reads all of
// its pixels before writing any, as an unkeyed copy does.
void KeyedCopyRow(std::uint8_t* to, const std::uint8_t* from, int count, int bytes, std::uint32_t key);
// KeyedCopyRow on every row of the block, in order; rows that overlap the
// block's source read it before they are written.
void KeyedCopyRect(const SpanRect& rect, int bytes, std::uint32_t key);
// Sets `count` pixels to the raw value.
void FillRow(std::uint8_t* to, int count, int bytes, std::uint32_t pixel);

// Test-only: false keeps the kernels to the narrowest vectors (SSE2), so
// that both widths are tested on a processor with AVX2.
void AllowWideKernels(bool allow);

}  // namespace platform::display
