#pragma once
// A bounded reader of RIFF WAVE images, in place of the multimedia file calls:
// it finds the "fmt " and "data" chunks and refuses what the player cannot use.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace platform::audio {

constexpr WORD WAVE_FORMAT_PCM = 1;

struct WAVEFORMATEX {
  WORD wFormatTag = 0;
  WORD nChannels = 0;
  DWORD nSamplesPerSec = 0;
  DWORD nAvgBytesPerSec = 0;
  WORD nBlockAlign = 0;
  WORD wBitsPerSample = 0;
  WORD cbSize = 0;
};

// Why an image was refused and where.
struct FileError {
  std::size_t offset = 0;
  std::string reason;
};

struct WaveImage {
  WAVEFORMATEX format;
  std::span<const std::uint8_t> samples;  // inside the bytes that were read
};

// Reads a PCM WAVE image. The RIFF size field is not trusted (the file's end
// bounds the form); a chunk running past the end, a missing or short format
// chunk, a missing data chunk or an encoding other than PCM is refused.
bool ReadWave(std::span<const std::uint8_t> file, WaveImage& image, FileError& error);

// The whole file at a stored path, or nothing when it cannot be opened (error
// without a reason) or is larger than maxBytes (error says so).
std::optional<std::vector<std::uint8_t>> ReadFileBytes(std::string_view storedPath, std::size_t maxBytes,
                                                       FileError& error);

}  // namespace platform::audio
