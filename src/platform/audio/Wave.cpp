#include "platform/audio/Wave.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/HostPath.h"

namespace platform::audio {
namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
}
WORD Le16(const std::uint8_t* p) { return static_cast<WORD>(p[0] | p[1] << 8); }

bool IsId(const std::uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// The format record from a chunk of at least 16 bytes; only the bytes the
// record holds are read, however long the chunk is.
WAVEFORMATEX ReadFormat(std::span<const std::uint8_t> chunk) {
  WAVEFORMATEX f;
  const std::uint8_t* p = chunk.data();
  f.wFormatTag = Le16(p);
  f.nChannels = Le16(p + 2);
  f.nSamplesPerSec = Le32(p + 4);
  f.nAvgBytesPerSec = Le32(p + 8);
  f.nBlockAlign = Le16(p + 12);
  f.wBitsPerSample = Le16(p + 14);
  if (chunk.size() >= 18) f.cbSize = Le16(p + 16);
  return f;
}

bool Fail(FileError& error, std::size_t offset, std::string reason) {
  error = {offset, std::move(reason)};
  return false;
}

}  // namespace

bool ReadWave(std::span<const std::uint8_t> file, WaveImage& image, FileError& error) {
  if (file.size() < 12 || !IsId(file.data(), "RIFF") || !IsId(file.data() + 8, "WAVE"))
    return Fail(error, 0, "not a RIFF WAVE file");
  std::optional<std::span<const std::uint8_t>> format, data;
  std::size_t formatOffset = 0;
  std::size_t at = 12;
  while ((!format || !data) && file.size() - at >= 8) {
    const std::uint32_t size = Le32(file.data() + at + 4);
    if (size > file.size() - at - 8) return Fail(error, at, "chunk longer than the file");
    auto body = file.subspan(at + 8, size);
    if (!format && IsId(file.data() + at, "fmt ")) {
      format = body;
      formatOffset = at;
    } else if (!data && IsId(file.data() + at, "data")) {
      data = body;
    }
    at += 8 + static_cast<std::size_t>(size) + (size & 1);
    if (at > file.size()) break;  // the pad byte of the last chunk may be missing
  }
  if (!format) return Fail(error, 12, "no format chunk");
  if (format->size() < 16) return Fail(error, formatOffset, "format chunk too short");
  image.format = ReadFormat(*format);
  if (image.format.wFormatTag != WAVE_FORMAT_PCM)
    return Fail(error, formatOffset, "not PCM (format tag " + std::to_string(image.format.wFormatTag) + ")");
  if (!data) return Fail(error, 12, "no data chunk");
  image.samples = *data;
  return true;
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(std::string_view storedPath, std::size_t maxBytes,
                                                       FileError& error) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFile(storedPath, "rb"), std::fclose);
  if (!file) {
    error = {};
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t block[65536];
  while (std::size_t got = std::fread(block, 1, sizeof block, file.get())) {
    if (bytes.size() + got > maxBytes) {
      error = {bytes.size(), "file larger than " + std::to_string(maxBytes) + " bytes"};
      return std::nullopt;
    }
    bytes.insert(bytes.end(), block, block + got);
  }
  return bytes;
}

}  // namespace platform::audio
