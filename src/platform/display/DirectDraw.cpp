#include "platform/display/DirectDraw.h"

#include <algorithm>
#include <cstring>

namespace platform::display {
namespace {

bool Inside(const RECT& r, const PixelBuffer& buffer) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= buffer.Width() &&
         r.bottom <= buffer.Height();
}

template <int kBytes>
void CopyRow(std::uint8_t* to, const std::uint8_t* from, int count, std::optional<std::uint32_t> key) {
  if (!key) {
    std::memmove(to, from, static_cast<std::size_t>(count) * kBytes);  // a surface may copy onto itself
    return;
  }
  // Without a branch per pixel: sprites alternate between kept and keyed pixels.
  const std::uint32_t skip = *key;
  if constexpr (kBytes == 4) {
    for (int k = 0; k < count; ++k) {
      std::uint32_t pixel, kept;
      std::memcpy(&pixel, from + 4 * k, 4);
      std::memcpy(&kept, to + 4 * k, 4);
      kept = pixel != skip ? pixel : kept;
      std::memcpy(to + 4 * k, &kept, 4);
    }
    return;
  }
  for (int k = 0; k < count; ++k, to += kBytes, from += kBytes) {
    const std::uint32_t pixel = PixelBuffer::ReadPixel(from, kBytes);
    PixelBuffer::WritePixel(to, kBytes, pixel != skip ? pixel : PixelBuffer::ReadPixel(to, kBytes));
  }
}

template <int kBytes>
void StretchRow(std::uint8_t* to, const std::uint8_t* from, int count, int sourceCount,
                std::optional<std::uint32_t> key) {
  for (int k = 0; k < count; ++k, to += kBytes) {
    const int sx = static_cast<int>(static_cast<long long>(k) * sourceCount / count);
    const std::uint32_t pixel = PixelBuffer::ReadPixel(from + sx * kBytes, kBytes);
    if (!key || pixel != *key) PixelBuffer::WritePixel(to, kBytes, pixel);
  }
}

template <int kBytes>
void CopyRows(PixelBuffer& dst, const RECT& d, const PixelBuffer& src, const RECT& s,
              std::optional<std::uint32_t> key) {
  const int w = d.Width(), h = d.Height(), sw = s.Width(), sh = s.Height();
  for (int row = 0; row < h; ++row) {
    const int sy = s.top + static_cast<int>(static_cast<long long>(row) * sh / h);
    const std::uint8_t* from = src.Row(sy) + s.left * kBytes;
    std::uint8_t* to = dst.Row(d.top + row) + d.left * kBytes;
    if (w == sw)
      CopyRow<kBytes>(to, from, w, key);
    else
      StretchRow<kBytes>(to, from, w, sw, key);
  }
}

}  // namespace

void DDSurface::InjectLoss() {
  m_lost = true;
  if (!m_systemMemory) std::fill(m_pixels.Bytes().begin(), m_pixels.Bytes().end(), std::uint8_t{0xCD});
}

HRESULT DDSurface::Restore() {
  m_lost = false;
  return DD_OK;
}

HRESULT Blt(DDSurface& dst, const RECT& dstRect, const DDSurface& src, const RECT& srcRect, bool keyed) {
  if (dst.IsLost() != DD_OK || src.IsLost() != DD_OK) return DDERR_SURFACELOST;
  if (!Inside(dstRect, dst.Pixels()) || !Inside(srcRect, src.Pixels())) return DDERR_INVALIDRECT;
  if (dst.Pixels().Format() != src.Pixels().Format()) return DDERR_INVALIDPARAMS;
  const auto key = keyed ? src.ColorKey() : std::nullopt;
  switch (dst.Pixels().BytesPerPixel()) {
    case 1:
      CopyRows<1>(dst.Pixels(), dstRect, src.Pixels(), srcRect, key);
      break;
    case 2:
      CopyRows<2>(dst.Pixels(), dstRect, src.Pixels(), srcRect, key);
      break;
    case 3:
      CopyRows<3>(dst.Pixels(), dstRect, src.Pixels(), srcRect, key);
      break;
    default:
      CopyRows<4>(dst.Pixels(), dstRect, src.Pixels(), srcRect, key);
      break;
  }
  return DD_OK;
}

HRESULT BltFast(DDSurface& dst, int x, int y, const DDSurface& src, const RECT& srcRect, bool keyed) {
  const RECT dstRect{x, y, x + srcRect.Width(), y + srcRect.Height()};
  return Blt(dst, dstRect, src, srcRect, keyed);
}

HRESULT ColorFill(DDSurface& dst, const RECT& rect, std::uint32_t pixel) {
  if (dst.IsLost() != DD_OK) return DDERR_SURFACELOST;
  if (!Inside(rect, dst.Pixels())) return DDERR_INVALIDRECT;
  dst.Pixels().Fill(rect.left, rect.top, rect.Width(), rect.Height(), pixel);
  return DD_OK;
}

void DDPalette::SetEntries(int start, int count, const PALETTEENTRY* entries) {
  start = std::clamp(start, 0, 256);
  count = std::clamp(count, 0, 256 - start);
  std::copy_n(entries, count, m_entries.begin() + start);
}

}  // namespace platform::display
