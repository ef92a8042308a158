#include "platform/display/PixelBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

#include "platform/display/SpanKernels.h"

namespace platform::display {

ZeroedBytes::ZeroedBytes(std::size_t size)
    : m_data(size ? static_cast<std::uint8_t*>(std::calloc(size, 1)) : nullptr), m_size(size) {
  if (size && !m_data) throw std::bad_alloc();
}

ZeroedBytes::ZeroedBytes(const ZeroedBytes& other) : ZeroedBytes() { *this = other; }

ZeroedBytes& ZeroedBytes::operator=(const ZeroedBytes& other) {
  if (this == &other) return *this;
  ZeroedBytes copy(other.m_size);
  if (other.m_size && !other.m_neverWritten) std::memcpy(copy.Data(), other.m_data, other.m_size);
  return *this = std::move(copy);
}

ZeroedBytes::ZeroedBytes(ZeroedBytes&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_neverWritten(std::exchange(other.m_neverWritten, true)) {}

ZeroedBytes& ZeroedBytes::operator=(ZeroedBytes&& other) noexcept {
  std::swap(m_data, other.m_data);
  std::swap(m_size, other.m_size);
  std::swap(m_neverWritten, other.m_neverWritten);
  return *this;
}

ZeroedBytes::~ZeroedBytes() { std::free(m_data); }

PixelBuffer::PixelBuffer(PixelFormat format, int width, int height)
    : m_format(format),
      m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_pitch((m_width * display::BytesPerPixel(format) + 3) & ~3),
      m_bytes(static_cast<std::size_t>(m_pitch) * m_height) {}

void PixelBuffer::Fill(int x, int y, int w, int h, std::uint32_t pixel) {
  if (!ClipToArea(x, y, w, h, m_width, m_height)) return;
  // Zeros over bytes never written change nothing, and leave their pages untouched.
  const int bytes = BytesPerPixel();
  const std::uint32_t stored = bytes == 4 ? pixel : pixel & ((1u << (8 * bytes)) - 1);
  if (stored == 0 && m_bytes.NeverWritten()) return;
  // A first fill of whole rows writes every page of them.
  if (m_bytes.NeverWritten() && w == m_width) PrefaultRows(y, h);
  for (int row = y; row < y + h; ++row) FillRow(Row(row) + x * bytes, w, bytes, pixel);
}

void PixelBuffer::PrefaultRows(int first, int count) {
  int x = 0, width = 1;
  if (!ClipToArea(x, first, width, count, 1, m_height)) return;
  const std::size_t size = static_cast<std::size_t>(count) * m_pitch;
  // Whole pages only: the partial ones at the ends may hold other blocks.
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(Row(first));
  const std::uintptr_t begin = (start + page - 1) & ~(page - 1), end = (start + size) & ~(page - 1);
  // Only a hint: where the kernel cannot, the pages fault in one by one.
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
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
