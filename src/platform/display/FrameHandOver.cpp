#include "platform/display/FrameHandOver.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "platform/Harness.h"
#include "platform/Trace.h"
#include "platform/display/Bitmap.h"
#include "platform/display/SpanKernels.h"

namespace platform::display {
namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr auto kCrcTable = MakeCrcTable();

std::uint32_t FrameCrc(std::span<const std::uint32_t> xrgb) {
  std::uint32_t crc = 0;
  for (std::uint32_t pixel : xrgb) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(pixel), static_cast<std::uint8_t>(pixel >> 8),
                                   static_cast<std::uint8_t>(pixel >> 16), 0};
    crc = Crc32(bytes, crc);
  }
  return crc;
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
  crc = ~crc;
  for (std::uint8_t b : bytes) crc = kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void ToXrgbInto(const PixelBuffer& frame, std::span<const PALETTEENTRY> palette, std::vector<std::uint32_t>& out) {
  out.resize(static_cast<std::size_t>(frame.Width()) * frame.Height());
  auto* to = out.data();
  const bool xrgb32 = frame.Format() == PixelFormat::X8R8G8B8 || frame.Format() == PixelFormat::A8R8G8B8;
  for (int y = 0; y < frame.Height(); ++y) {
    if (xrgb32) {
      // The usual frame: the same layout already, less its top byte.
      CopySpan(frame.Row(y), reinterpret_cast<std::uint8_t*>(to), frame.Width(), SpanStore{0, 0x00FFFFFF, 0});
      to += frame.Width();
      continue;
    }
    for (int x = 0; x < frame.Width(); ++x) {
      const std::uint32_t pixel = frame.Get(x, y);
      if (frame.Format() == PixelFormat::Index8) {
        const PALETTEENTRY e = pixel < palette.size() ? palette[pixel] : PALETTEENTRY{};
        *to++ = static_cast<std::uint32_t>(e.peRed) << 16 | e.peGreen << 8 | e.peBlue;
      } else {
        *to++ = ToArgb(frame.Format(), pixel) & 0xFFFFFF;
      }
    }
  }
}

std::vector<std::uint32_t> ToXrgb(const PixelBuffer& frame, std::span<const PALETTEENTRY> palette) {
  std::vector<std::uint32_t> out;
  ToXrgbInto(frame, palette, out);
  return out;
}

FrameHandOver& FrameHandOver::Instance() {
  static FrameHandOver instance;
  return instance;
}

int FrameHandOver::FreeBuffer() const {
  int buffer = 0;
  while (buffer == m_latestBuffer || buffer == m_readBuffer) ++buffer;
  return buffer;
}

bool FrameHandOver::Shown(std::uint64_t serial) const {
  const HarnessSettings& harness = Harness();
  if (!harness.fastClock || !harness.frameLog.empty() || harness.shotFrame || harness.windowShotFrame) return true;
  const bool last = harness.frameLimit && static_cast<long>(serial) >= *harness.frameLimit;
  return last || m_latestBuffer < 0;
}

HandOverResult FrameHandOver::HandOver(const PixelBuffer& frame, std::span<const PALETTEENTRY> palette) {
  const auto& limit = Harness().frameLimit;
  int target = 0;
  std::uint64_t serial = 0;
  {
    std::lock_guard lock(m_mutex);
    if (limit && static_cast<long>(m_serial) >= *limit) return HandOverResult::Refused;
    serial = ++m_serial;
    if (!Shown(serial)) return HandOverResult::Taken;
    target = FreeBuffer();
  }
  // Converted into a buffer of an earlier frame, so that a frame costs no
  // allocation; the main thread starts copying only the latest buffer.
  std::vector<std::uint32_t>& xrgb = m_buffers[static_cast<std::size_t>(target)];
  ToXrgbInto(frame, palette, xrgb);
  RecordForHarness(xrgb, frame.Width(), frame.Height(), serial);
  {
    std::lock_guard lock(m_mutex);
    m_latestBuffer = target;
    m_width = frame.Width();
    m_height = frame.Height();
    m_latestSerial = serial;
  }
  if (!limit || static_cast<long>(serial) < *limit) return HandOverResult::Taken;
  EndTrace();
  return HandOverResult::TakenLast;
}

void FrameHandOver::RecordForHarness(std::span<const std::uint32_t> xrgb, int width, int height, std::uint64_t serial) {
  const HarnessSettings& harness = Harness();
  if (harness.shotFrame && static_cast<std::uint64_t>(*harness.shotFrame) == serial)
    WriteBitmap24(harness.shotFile, xrgb, width, height);
  if (harness.frameLog.empty()) return;
  std::string scene;
  {
    std::lock_guard lock(m_mutex);
    if (m_sceneName) scene = m_sceneName();
  }
  if (std::FILE* log = std::fopen(harness.frameLog.c_str(), "a")) {
    std::fprintf(log, "%llu %s %08x\n", static_cast<unsigned long long>(serial), scene.empty() ? "-" : scene.c_str(),
                 FrameCrc(xrgb));
    std::fclose(log);
  }
}

bool FrameHandOver::TakeNewer(ShownFrame& out) {
  int source = 0;
  {
    std::lock_guard lock(m_mutex);
    if (m_latestSerial == out.serial) return false;
    source = m_readBuffer = m_latestBuffer;
    out.width = m_width;
    out.height = m_height;
    out.serial = m_latestSerial;
  }
  if (source < 0) {  // the hand-over was reset: no frame yet
    out.xrgb.clear();
    return true;
  }
  // Swapped outside the lock, the drawing thread leaving this buffer alone
  // meanwhile: the frame moves to its one reader without a copy, and the
  // reader's previous frame becomes storage for a later one.
  out.xrgb.swap(m_buffers[static_cast<std::size_t>(source)]);
  std::lock_guard lock(m_mutex);
  m_readBuffer = -1;
  if (m_latestBuffer == source) m_latestBuffer = -1;  // its pixels are the reader's now
  return true;
}

std::uint64_t FrameHandOver::FramesHandedOver() const {
  std::lock_guard lock(m_mutex);
  return m_serial;
}

void FrameHandOver::SetSceneNameHook(std::function<std::string()> hook) {
  std::lock_guard lock(m_mutex);
  m_sceneName = std::move(hook);
}

void FrameHandOver::ResetForTesting() {
  std::lock_guard lock(m_mutex);
  m_latestBuffer = m_readBuffer = -1;
  m_width = m_height = 0;
  m_serial = m_latestSerial = 0;
  RestartTraceForTesting();
}

}  // namespace platform::display
