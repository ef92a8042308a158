#include <algorithm>

#include "Audio.h"
#include "Bytes.h"

namespace mkproject {

namespace {

constexpr int kAmplitude = 9000;

}  // namespace

std::vector<std::int16_t> SynthTone(int startHz, int endHz, int milliseconds) {
  const int count = kSampleRate * milliseconds / 1000;
  std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
  // The phase runs in 1/kSampleRate steps of a cycle, so a frequency f adds f per sample.
  long long phase = 0;
  for (int i = 0; i < count; ++i) {
    const long long hz = startHz + static_cast<long long>(endHz - startHz) * i / count;
    phase = (phase + hz) % kSampleRate;
    const long long level = static_cast<long long>(kAmplitude) * (count - i) / count;
    samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(phase < kSampleRate / 2 ? level : -level);
  }
  return samples;
}

std::vector<std::int16_t> SynthTune(const std::vector<Note>& tune, int eighthMilliseconds) {
  // Frequencies of the keys 60..83 in hertz (equal temperament, rounded).
  static constexpr int kHz[24] = {262, 277, 294, 311, 330, 349, 370, 392, 415, 440, 466, 494,
                                  523, 554, 587, 622, 659, 698, 740, 784, 831, 880, 932, 988};
  std::vector<std::int16_t> samples;
  for (const Note& note : tune) {
    const int count = kSampleRate * eighthMilliseconds / 1000 * note.eighths;
    const int hz = note.key >= 60 && note.key < 84 ? kHz[note.key - 60] : 0;
    long long phase = 0;
    for (int i = 0; i < count; ++i) {
      phase = (phase + hz) % kSampleRate;
      // A triangle wave, faded out over the note's last quarter.
      const long long triangle = phase < kSampleRate / 2 ? 4 * phase - kSampleRate : 3 * kSampleRate - 4 * phase;
      const long long fade = std::min<long long>(count - i, count / 4 + 1);
      const long long value = hz ? triangle * kAmplitude / kSampleRate * fade / (count / 4 + 1) : 0;
      samples.push_back(static_cast<std::int16_t>(value));
    }
  }
  return samples;
}

std::vector<std::uint8_t> EncodeWave(const std::vector<std::int16_t>& samples) {
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out;
  for (char c : {'R', 'I', 'F', 'F'}) out.push_back(static_cast<std::uint8_t>(c));
  PutLe(out, 36 + dataBytes, 4);
  for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}) out.push_back(static_cast<std::uint8_t>(c));
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, 1, 2);  // mono
  PutLe(out, kSampleRate, 4);
  PutLe(out, kSampleRate * 2, 4);
  PutLe(out, 2, 2);
  PutLe(out, 16, 2);
  for (char c : {'d', 'a', 't', 'a'}) out.push_back(static_cast<std::uint8_t>(c));
  PutLe(out, dataBytes, 4);
  for (std::int16_t s : samples) PutLe(out, static_cast<std::uint16_t>(s), 2);
  return out;
}

}  // namespace mkproject
