#include <gtest/gtest.h>

#include "platform/audio/SoundBuffer.h"
#include "platform/audio/Wave.h"
#include "platform/audio_fixtures.h"

using namespace audiotest;
using namespace platform::audio;

namespace {

std::unique_ptr<SoundBuffer> Buffer(const std::string& waveFile) {
  auto bytes = Bytes(waveFile);
  WaveImage image;
  FileError error;
  if (!ReadWave(bytes, image, error)) return nullptr;
  return SoundBuffer::Create(image.format, image.samples);
}

std::vector<std::int16_t> Frames(std::initializer_list<int> values) { return {values.begin(), values.end()}; }

TEST(AudioMixer, PlaysOnceThenFallsSilent) {
  auto sound = Buffer(Wave16(1, kMixRate, {1000, -2000, 3000}));
  ASSERT_TRUE(sound);
  EXPECT_EQ(RenderLeft(2), Frames({0, 0})) << "a stopped buffer is silent";
  sound->Play(0);
  EXPECT_EQ(RenderStereo(5), Frames({1000, 1000, -2000, -2000, 3000, 3000, 0, 0, 0, 0}));
  EXPECT_FALSE(sound->IsPlaying());
}

TEST(AudioMixer, ConvertsEightBitAndKeepsStereoSides) {
  auto bytes8 = Riff(FormatChunk(1, 1, kMixRate, 8) + Chunk("data", std::string("\x80\xFF\x00", 3)));
  auto mono8 = Buffer(bytes8);
  ASSERT_TRUE(mono8);
  mono8->Play(0);
  EXPECT_EQ(RenderLeft(3), Frames({0, 127 * 256, -128 * 256}));

  auto stereo = Buffer(Wave16(2, kMixRate, {100, -100, 200, -200}));
  ASSERT_TRUE(stereo);
  stereo->Play(0);
  EXPECT_EQ(RenderStereo(2), Frames({100, -100, 200, -200}));
}

TEST(AudioMixer, VolumeInHundredthsOfADecibel) {
  auto sound = Buffer(Wave16(1, kMixRate, {10000, -20000, 30000, 4000}));
  ASSERT_TRUE(sound);
  EXPECT_TRUE(sound->SetVolume(-2000));  // -20 dB: a tenth
  EXPECT_EQ(sound->GetVolume(), -2000);
  sound->Play(0);
  EXPECT_EQ(RenderLeft(2), Frames({1000, -2000}));
  EXPECT_TRUE(sound->SetVolume(-10000));
  EXPECT_EQ(RenderLeft(2), Frames({0, 0})) << "the lowest volume is silence";
  EXPECT_FALSE(sound->SetVolume(1));
  EXPECT_FALSE(sound->SetVolume(-10001));
  EXPECT_EQ(sound->GetVolume(), -10000);
}

TEST(AudioMixer, DuplicatesShareSamplesAndPlayAtOnce) {
  auto sound = Buffer(Wave16(1, kMixRate, {100, 200, 300, 400}));
  ASSERT_TRUE(sound);
  auto copy = sound->Duplicate();
  sound->Play(0);
  RenderLeft(2);
  copy->Play(0);
  EXPECT_EQ(RenderLeft(3), Frames({300 + 100, 400 + 200, 300}));
  copy.reset();  // a deleted copy leaves the mix at once
  sound->SetCurrentPosition(0);
  sound->Play(0);
  EXPECT_EQ(RenderLeft(2), Frames({100, 200}));
}

TEST(AudioMixer, LoopsUntilStoppedAndRewinds) {
  auto sound = Buffer(Wave16(1, kMixRate, {1, 2, 3}));
  ASSERT_TRUE(sound);
  sound->Play(DSBPLAY_LOOPING);
  EXPECT_EQ(RenderLeft(8), Frames({1, 2, 3, 1, 2, 3, 1, 2}));
  sound->Stop();
  EXPECT_EQ(RenderLeft(2), Frames({0, 0}));
  sound->Play(0);
  EXPECT_EQ(RenderLeft(2), Frames({3, 0})) << "play resumes where stop left it";
  sound->SetCurrentPosition(2);  // bytes: frame 1
  sound->Play(0);
  EXPECT_EQ(RenderLeft(3), Frames({2, 3, 0}));
}

TEST(AudioMixer, ResamplesOtherRatesLinearly) {
  auto sound = Buffer(Wave16(1, kMixRate / 2, {0, 1000, -1000}));
  ASSERT_TRUE(sound);
  sound->Play(0);
  EXPECT_EQ(RenderLeft(7), Frames({0, 500, 1000, 0, -1000, -1000, 0}));
}

TEST(AudioMixer, ClipsTheSum) {
  auto sound = Buffer(Wave16(1, kMixRate, {30000, -30000}));
  ASSERT_TRUE(sound);
  auto copy = sound->Duplicate();
  sound->Play(0);
  copy->Play(0);
  EXPECT_EQ(RenderLeft(2), Frames({32767, -32768}));
}

TEST(AudioMixer, RefusesFormatsItCannotPlay) {
  struct Case {
    const char* name;
    unsigned channels, rate, bits;
  } cases[] = {
      {"24-bit", 1, 8000, 24}, {"three channels", 3, 8000, 16}, {"rate 50", 1, 50, 8}, {"rate 250000", 1, 250000, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(Buffer(Riff(FormatChunk(1, c.channels, c.rate, c.bits) + Chunk("data", std::string(12, 'x')))));
  }
  WAVEFORMATEX inconsistent{1, 2, 8000, 16000, 1, 8, 0};
  std::vector<std::uint8_t> bytes(8);
  EXPECT_FALSE(SoundBuffer::Create(inconsistent, bytes)) << "block size must match";
  EXPECT_FALSE(Buffer(Wave16(2, 8000, {})));
  EXPECT_FALSE(Buffer(Riff(FormatChunk(1, 2, 8000, 16) + Chunk("data", "ab")))) << "no whole frame";
}

}  // namespace
