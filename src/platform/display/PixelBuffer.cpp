#include "platform/display/PixelBuffer.h"

#include <algorithm>

#include "platform/display/SpanKernels.h"

namespace platform::display {

PixelBuffer::PixelBuffer(PixelFormat format, int width, int height)
    : m_format(format),
      m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_pitch((m_width * display::BytesPerPixel(format) + 3) & ~3),
      m_bytes(static_cast<std::size_t>(m_pitch) * m_height) {}

void PixelBuffer::Fill(int x, int y, int w, int h, std::uint32_t pixel) {
  if (!ClipToArea(x, y, w, h, m_width, m_height)) return;
  for (int row = y; row < y + h; ++row) FillRow(Row(row) + x * BytesPerPixel(), w, BytesPerPixel(), pixel);
}

bool ClipToArea(int& x, int& y, int& w, int& h, int width, int height) {
  // In 64 bits so that no caller's rectangle can overflow.
  const long long left = std::max(x, 0), top = std::max(y, 0);
  const long long right = std::min<long long>(static_cast<long long>(x) + w, width);
  const long long bottom = std::min<long long>(static_cast<long long>(y) + h, height);
  if (right <= left || bottom <= top) return false;
  x = static_cast<int>(left);
  y = static_cast<int>(top);
  w = static_cast<int>(right - left);
  h = static_cast<int>(bottom - top);
  return true;
}

}  // namespace platform::display
