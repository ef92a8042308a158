#include <gtest/gtest.h>

#include "platform/audio/Wave.h"
#include "platform/audio_fixtures.h"

using namespace audiotest;
using platform::audio::FileError;
using platform::audio::ReadWave;
using platform::audio::WaveImage;

namespace {

struct GoodWave {
  const char* name;
  std::string file;
  unsigned channels, rate, bits;
  std::string samples;
};

TEST(AudioWave, ReadsPcmOfEveryLayoutAndToleratesLooseFiles) {
  const std::string pcm8("\x80\xFF\x00\x10\x20", 5);
  const std::string stereo16 = Samples16({1, -1, 300, -300});
  const std::string list = Chunk("LIST", "INFOtest");
  const GoodWave cases[] = {
      {"8-bit mono 11025", Riff(FormatChunk(1, 1, 11025, 8) + Chunk("data", pcm8)), 1, 11025, 8, pcm8},
      {"16-bit stereo 44100", Riff(FormatChunk(1, 2, 44100, 16) + Chunk("data", stereo16)), 2, 44100, 16, stereo16},
      {"8-bit stereo 22050", Riff(FormatChunk(1, 2, 22050, 8) + Chunk("data", "\x01\x02")), 2, 22050, 8, "\x01\x02"},
      {"odd data then more chunks", Riff(FormatChunk(1, 1, 8000, 8) + Chunk("data", pcm8) + list), 1, 8000, 8, pcm8},
      {"chunk before fmt", Riff(list + FormatChunk(1, 1, 8000, 8) + Chunk("data", pcm8)), 1, 8000, 8, pcm8},
      {"RIFF size zero", Riff(FormatChunk(1, 1, 8000, 8) + Chunk("data", pcm8), 0), 1, 8000, 8, pcm8},
      {"RIFF size huge", Riff(FormatChunk(1, 1, 8000, 8) + Chunk("data", pcm8), 0xFFFFFFF0), 1, 8000, 8, pcm8},
      {"last pad byte missing", Riff(FormatChunk(1, 1, 8000, 8) + "data" + Le32(5) + pcm8), 1, 8000, 8, pcm8},
      {"long PCM format chunk",
       Riff(Chunk("fmt ", FormatChunk(1, 1, 8000, 8).substr(8) + Le16(0) + std::string(22, 'x')) + Chunk("data", pcm8)),
       1, 8000, 8, pcm8},
  };
  for (const GoodWave& c : cases) {
    SCOPED_TRACE(c.name);
    auto bytes = Bytes(c.file);
    WaveImage image;
    FileError error;
    ASSERT_TRUE(ReadWave(bytes, image, error)) << error.reason;
    EXPECT_EQ(image.format.wFormatTag, 1);
    EXPECT_EQ(image.format.nChannels, c.channels);
    EXPECT_EQ(image.format.nSamplesPerSec, c.rate);
    EXPECT_EQ(image.format.wBitsPerSample, c.bits);
    EXPECT_EQ(image.format.nBlockAlign, c.channels * c.bits / 8);
    EXPECT_EQ(std::string(image.samples.begin(), image.samples.end()), c.samples);
  }
}

struct BadWave {
  const char* name;
  std::string file;
  std::size_t offset;
  const char* reason;
};

TEST(AudioWave, RefusesWhatItCannotPlayWithOffsetAndReason) {
  const std::string fmt = FormatChunk(1, 1, 8000, 8);
  const BadWave cases[] = {
      {"empty", "", 0, "not a RIFF WAVE file"},
      {"not RIFF", "RIFX" + Le32(4) + "WAVE", 0, "not a RIFF WAVE file"},
      {"not WAVE", Riff("").replace(8, 4, "AVI "), 0, "not a RIFF WAVE file"},
      {"float samples", Riff(FormatChunk(3, 1, 8000, 32) + Chunk("data", "abcd")), 12, "not PCM (format tag 3)"},
      {"extensible", Riff(FormatChunk(0xFFFE, 2, 8000, 16) + Chunk("data", "abcd")), 12, "not PCM (format tag 65534)"},
      {"data longer than the file", Riff(fmt + "data" + Le32(100) + "abcd"), 36, "chunk longer than the file"},
      {"format longer than the file", Riff("fmt " + Le32(0xFFFFFFFF) + "x"), 12, "chunk longer than the file"},
      {"no format chunk", Riff(Chunk("data", "abcd")), 12, "no format chunk"},
      {"short format chunk", Riff(Chunk("fmt ", Le16(1) + Le16(1)) + Chunk("data", "ab")), 12,
       "format chunk too short"},
      {"no data chunk", Riff(fmt + Chunk("LIST", "xy")), 12, "no data chunk"},
  };
  for (const BadWave& c : cases) {
    SCOPED_TRACE(c.name);
    auto bytes = Bytes(c.file);
    WaveImage image;
    FileError error;
    ASSERT_FALSE(ReadWave(bytes, image, error));
    EXPECT_EQ(error.offset, c.offset);
    EXPECT_EQ(error.reason, c.reason);
  }
}

}  // namespace
