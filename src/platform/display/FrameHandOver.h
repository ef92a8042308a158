#pragma once
// The hand-over of finished frames from the drawing thread to the main
// thread, which presents them. The harness counts, logs and writes frames
// here, as they are handed over:
// - ZANDREL_FRAMES=N: frame N is the last one taken; the caller is told so
//   (and closes the program), later frames are refused.
// - ZANDREL_SHOT=N:FILE: frame N is written to FILE as a 24-bit BMP.
// - ZANDREL_FRAME_LOG=FILE: one line per frame, "<frame> <scene> <crc>\n":
//   the frame number from 1, the current scene's name ("-" when none is
//   known) and the CRC-32 (IEEE, as zlib computes it) of the frame as shown:
//   its XRGB pixels, row by row, each as four little-endian bytes B, G, R, 0.
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/display/PixelBuffer.h"

namespace platform::display {

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

// The frame as shown: 0x00RRGGBB per pixel, rows packed; 8-bit frames are
// looked up in the palette (256 entries).
std::vector<std::uint32_t> ToXrgb(const PixelBuffer& frame, std::span<const PALETTEENTRY> palette);
// The same into `out`, reusing its storage.
void ToXrgbInto(const PixelBuffer& frame, std::span<const PALETTEENTRY> palette, std::vector<std::uint32_t>& out);

enum class HandOverResult {
  Taken,
  TakenLast,  // the frame limit is reached with this frame: close the program
  Refused,    // the frame limit was already reached
};

struct ShownFrame {
  std::vector<std::uint32_t> xrgb;
  int width = 0;
  int height = 0;
  std::uint64_t serial = 0;  // 1 for the first frame handed over
};

class FrameHandOver {
 public:
  static FrameHandOver& Instance();

  // Drawing thread. palette: 256 entries for an 8-bit frame, else empty.
  HandOverResult HandOver(const PixelBuffer& frame, std::span<const PALETTEENTRY> palette = {});
  // Main thread (one reader only): moves the latest frame into *out when it
  // is newer than out->serial; the reader keeps *out between calls.
  bool TakeNewer(ShownFrame& out);
  std::uint64_t FramesHandedOver() const;

  // The shell names the current scene for the frame log.
  void SetSceneNameHook(std::function<std::string()> hook);
  // Tests start from frame 0 with the harness settings of the moment.
  void ResetForTesting();

 private:
  void RecordForHarness(std::span<const std::uint32_t> xrgb, int width, int height, std::uint64_t serial);
  // A buffer that is neither the latest frame nor being copied out.
  int FreeBuffer() const;
  // Whether frame `serial` is made ready to be shown. On the fast clock the
  // game draws far quicker than the window takes frames, so a frame is only
  // converted once the window has taken the one before, unless the harness
  // records every frame or this is the last one.
  bool Shown(std::uint64_t serial) const;

  mutable std::mutex m_mutex;
  // Three buffers, so that the drawing thread converts a frame while the main
  // thread copies the latest one out and neither waits for the other's copy:
  // the latest frame, the one being copied out, and the one converted into.
  // Only the drawing thread writes a buffer, and never those two.
  std::array<std::vector<std::uint32_t>, 3> m_buffers;
  int m_latestBuffer = -1;  // -1 before the first frame
  int m_readBuffer = -1;    // the main thread's copy source, -1 when none
  int m_width = 0;
  int m_height = 0;
  std::uint64_t m_serial = 0;        // frames handed over; written by the drawing thread only
  std::uint64_t m_latestSerial = 0;  // the serial of the latest frame converted
  std::function<std::string()> m_sceneName;
};

}  // namespace platform::display
