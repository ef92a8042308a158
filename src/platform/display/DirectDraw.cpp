#include "platform/display/DirectDraw.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/display/SpanKernels.h"

namespace platform::display {
namespace {

bool Inside(const RECT& r, const PixelBuffer& buffer) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= buffer.Width() &&
         r.bottom <= buffer.Height();
}

// A stretched row: pixel k reads source column columns[k]; keyed pixels are skipped.
template <int kBytes>
void StretchRow(std::uint8_t* to, const std::uint8_t* from, const std::vector<int>& columns,
                std::optional<std::uint32_t> key) {
  for (const int column : columns) {
    const std::uint32_t pixel = PixelBuffer::ReadPixel(from + column * kBytes, kBytes);
    if (!key || pixel != *key) PixelBuffer::WritePixel(to, kBytes, pixel);
    to += kBytes;
  }
}

void StretchRow(int bytes, std::uint8_t* to, const std::uint8_t* from, const std::vector<int>& columns,
                std::optional<std::uint32_t> key) {
  switch (bytes) {
    case 1:
      return StretchRow<1>(to, from, columns, key);
    case 2:
      return StretchRow<2>(to, from, columns, key);
    case 3:
      return StretchRow<3>(to, from, columns, key);
    default:
      return StretchRow<4>(to, from, columns, key);
  }
}

void CopyRows(PixelBuffer& dst, const RECT& d, const PixelBuffer& src, const RECT& s,
              std::optional<std::uint32_t> key) {
  const int w = d.Width(), h = d.Height(), sw = s.Width(), sh = s.Height(), bytes = dst.BytesPerPixel();
  // The source column of every destination column, worked out once per blit and only when scaled.
  thread_local std::vector<int> columns;
  if (w != sw) {
    columns.resize(static_cast<std::size_t>(w));
    for (int k = 0; k < w; ++k)
      columns[static_cast<std::size_t>(k)] = s.left + static_cast<int>(static_cast<long long>(k) * sw / w);
  }
  // A surface copied onto itself lower down goes bottom up, so that no row is read after it was written.
  const bool bottomUp = &dst == &src && d.top > s.top;
  const int step = bottomUp ? -1 : 1;
  const std::ptrdiff_t toStep = static_cast<std::ptrdiff_t>(step) * dst.Pitch();
  std::uint8_t* to = dst.Row(d.top + (bottomUp ? h - 1 : 0)) + d.left * bytes;
  if (key && w == sw && h == sh) {
    const std::uint8_t* from = src.Row(s.top + (bottomUp ? h - 1 : 0)) + s.left * bytes;
    KeyedCopyRect({from, static_cast<std::ptrdiff_t>(step) * src.Pitch(), to, toStep, w, h}, bytes, *key);
    return;
  }
  for (int i = 0, row = bottomUp ? h - 1 : 0; i < h; ++i, row += step, to += toStep) {
    const int sy = s.top + (sh == h ? row : static_cast<int>(static_cast<long long>(row) * sh / h));
    if (w != sw)
      StretchRow(bytes, to, src.Row(sy), columns, key);
    else if (key)
      KeyedCopyRow(to, src.Row(sy) + s.left * bytes, w, bytes, *key);
    else
      std::memmove(to, src.Row(sy) + s.left * bytes,
                   static_cast<std::size_t>(w) * bytes);  // a surface may copy onto itself
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
  CopyRows(dst.Pixels(), dstRect, src.Pixels(), srcRect, key);
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
