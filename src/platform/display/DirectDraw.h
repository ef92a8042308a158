#pragma once
// The DirectDraw-shaped half of the software display: plain surfaces in the
// display's format with a source colour key, the blits and fills of the
// DirectDraw back end, and the 256-entry palette of 8-bit mode.
#include <array>
#include <cstdint>
#include <optional>

#include "platform/display/PixelBuffer.h"

using HRESULT = std::int32_t;
constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2u);
constexpr HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096u);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);

namespace platform::display {

class DDSurface {
 public:
  DDSurface(PixelFormat format, int width, int height, bool systemMemory)
      : m_pixels(format, width, height), m_systemMemory(systemMemory) {}

  PixelBuffer& Pixels() { return m_pixels; }
  const PixelBuffer& Pixels() const { return m_pixels; }
  int Width() const { return m_pixels.Width(); }
  int Height() const { return m_pixels.Height(); }
  bool SystemMemory() const { return m_systemMemory; }

  void SetColorKey(std::uint32_t key) { m_colorKey = key; }
  std::optional<std::uint32_t> ColorKey() const { return m_colorKey; }

  HRESULT IsLost() const { return m_lost ? DDERR_SURFACELOST : DD_OK; }
  // Test-only: takes the surface away as a mode switch of the original did;
  // a video-memory surface loses its pixels.
  void InjectLoss();
  // Gives the surface back; what a lost video-memory surface held is gone.
  HRESULT Restore();

 private:
  PixelBuffer m_pixels;
  bool m_systemMemory;
  bool m_lost = false;
  std::optional<std::uint32_t> m_colorKey;
};

// Copies src's source rectangle onto dst's destination rectangle, scaled
// when the sizes differ (destination column k reads source column
// left + k * srcWidth / dstWidth, truncated; rows alike). With keyed, source
// pixels equal to src's colour key are skipped. Both rectangles must lie
// inside their surfaces and be non-empty (no mirroring): else DDERR_INVALIDRECT.
HRESULT Blt(DDSurface& dst, const RECT& dstRect, const DDSurface& src, const RECT& srcRect, bool keyed);
// The unscaled copy to (x, y).
HRESULT BltFast(DDSurface& dst, int x, int y, const DDSurface& src, const RECT& srcRect, bool keyed);
// Sets every pixel of the rectangle (inside the surface) to the raw value.
HRESULT ColorFill(DDSurface& dst, const RECT& rect, std::uint32_t pixel);

// The palette of 8-bit mode, shown when the frame is presented.
class DDPalette {
 public:
  void SetEntries(int start, int count, const PALETTEENTRY* entries);
  const std::array<PALETTEENTRY, 256>& Entries() const { return m_entries; }

 private:
  std::array<PALETTEENTRY, 256> m_entries{};
};

}  // namespace platform::display
