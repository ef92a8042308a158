#pragma once
// A rectangle of pixels in one format: the storage of every surface, texture
// and back buffer of the software display. Rows are padded to 4 bytes, as the
// locked surfaces of the original back ends were.
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "platform/display/PixelFormat.h"

namespace platform::display {

// Bytes that start as zeros without being written: large blocks come from
// the system already zeroed, so a surface that is drawn over at once is
// never cleared first, and pages nobody touches cost nothing. Until the
// bytes are first handed out for writing they are known to be all zeros.
class ZeroedBytes {
 public:
  ZeroedBytes() = default;
  explicit ZeroedBytes(std::size_t size);
  ZeroedBytes(const ZeroedBytes& other);
  ZeroedBytes& operator=(const ZeroedBytes& other);
  ZeroedBytes(ZeroedBytes&& other) noexcept;
  ZeroedBytes& operator=(ZeroedBytes&& other) noexcept;
  ~ZeroedBytes();

  std::uint8_t* Data() {
    m_neverWritten = false;
    return m_data;
  }
  const std::uint8_t* Data() const { return m_data; }
  std::size_t Size() const { return m_size; }
  bool NeverWritten() const { return m_neverWritten; }

 private:
  std::uint8_t* m_data = nullptr;
  std::size_t m_size = 0;
  bool m_neverWritten = true;
};

class PixelBuffer {
 public:
  PixelBuffer() = default;
  PixelBuffer(PixelFormat format, int width, int height);

  PixelFormat Format() const { return m_format; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  int BytesPerPixel() const { return display::BytesPerPixel(m_format); }
  // Bytes from one row to the next.
  int Pitch() const { return m_pitch; }
  bool Empty() const { return m_width == 0 || m_height == 0; }

  std::uint8_t* Row(int y) { return m_bytes.Data() + static_cast<std::size_t>(y) * m_pitch; }
  const std::uint8_t* Row(int y) const { return m_bytes.Data() + static_cast<std::size_t>(y) * m_pitch; }
  std::span<std::uint8_t> Bytes() { return {m_bytes.Data(), m_bytes.Size()}; }
  std::span<const std::uint8_t> Bytes() const { return {m_bytes.Data(), m_bytes.Size()}; }

  std::uint32_t Get(int x, int y) const { return ReadPixel(Row(y) + x * BytesPerPixel(), BytesPerPixel()); }
  void Put(int x, int y, std::uint32_t pixel) { WritePixel(Row(y) + x * BytesPerPixel(), BytesPerPixel(), pixel); }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

  // Sets every pixel of the rectangle, cut to the buffer, to the raw value.
  void Fill(int x, int y, int w, int h, std::uint32_t pixel);
  // Maps the pages of rows [first, first + count) in one call, for a caller
  // about to write them all: a page fault per page costs far more, above all in a VM.
  void PrefaultRows(int first, int count);

  static std::uint32_t ReadPixel(const std::uint8_t* p, int bytes) {
    switch (bytes) {
      case 1:
        return *p;
      case 2:
        return static_cast<std::uint32_t>(p[0] | p[1] << 8);
      case 3:
        return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
      default: {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
      }
    }
  }
  static void WritePixel(std::uint8_t* p, int bytes, std::uint32_t v) {
    switch (bytes) {
      case 1:
        *p = static_cast<std::uint8_t>(v);
        break;
      case 2:
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        break;
      case 3:
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        p[2] = static_cast<std::uint8_t>(v >> 16);
        break;
      default:
        std::memcpy(p, &v, 4);
    }
  }

 private:
  PixelFormat m_format = PixelFormat::X8R8G8B8;
  int m_width = 0;
  int m_height = 0;
  int m_pitch = 0;
  ZeroedBytes m_bytes;
};

// The intersection of a rectangle with [0, width) x [0, height); false when empty.
bool ClipToArea(int& x, int& y, int& w, int& h, int width, int height);

}  // namespace platform::display
