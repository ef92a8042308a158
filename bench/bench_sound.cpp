// The mix per callback against a plain copy of the same output bytes, and a
// song's conversion into one track against a copy of the file.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "library/sound/Midi.h"
#include "platform/audio/SoundBuffer.h"

namespace {

constexpr int kFrames = 1024;

std::vector<std::uint8_t> Samples(std::size_t bytes) {
  std::vector<std::uint8_t> samples(bytes);
  for (std::size_t i = 0; i < bytes; ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
  return samples;
}

void BM_MixEightVoices(benchmark::State& state) {
  const platform::audio::WAVEFORMATEX format{1, 1, 22050, 44100, 2, 16, 0};
  const auto samples = Samples(2 * 22050);
  std::vector<std::unique_ptr<platform::audio::SoundBuffer>> voices;
  for (int i = 0; i < 8; ++i) {
    voices.push_back(platform::audio::SoundBuffer::Create(format, samples));
    voices.back()->SetVolume(-600);
    voices.back()->Play(platform::audio::DSBPLAY_LOOPING);
  }
  std::vector<std::int16_t> out(2 * kFrames);
  for (auto _ : state) {
    platform::audio::TheMixer().Render(out);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_MixEightVoices);

void BM_CopyMixOutput(benchmark::State& state) {
  std::vector<std::int16_t> from(2 * kFrames, 3), out(2 * kFrames);
  for (auto _ : state) {
    std::memcpy(out.data(), from.data(), out.size() * sizeof out[0]);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_CopyMixOutput);

std::vector<std::uint8_t> Song() {
  const int tracks = 8, notes = 2000;
  std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, tracks, 1, 0xE0};
  for (int t = 0; t < tracks; ++t) {
    std::vector<std::uint8_t> events;
    for (int n = 0; n < notes; ++n) {
      events.insert(events.end(), {0x30, static_cast<std::uint8_t>(0x90 | t), static_cast<std::uint8_t>(n % 100), 90});
    }
    events.insert(events.end(), {0, 0xFF, 0x2F, 0});
    const auto size = static_cast<std::uint32_t>(events.size());
    file.insert(file.end(),
                {'M', 'T', 'r', 'k', static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
                 static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
    file.insert(file.end(), events.begin(), events.end());
  }
  return file;
}

void BM_MergeSong(benchmark::State& state) {
  const auto file = Song();
  for (auto _ : state) benchmark::DoNotOptimize(cMidiFile::CheckMidiHeader(file, "bench.mid"));
}
BENCHMARK(BM_MergeSong);

void BM_CopySong(benchmark::State& state) {
  const auto file = Song();
  for (auto _ : state) {
    std::vector<std::uint8_t> copy(file);
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_CopySong);

}  // namespace
