#include "platform/audio/Mixer.h"

#include <algorithm>
#include <cmath>

namespace platform::audio {

void Mixer::Attach(MixSource* source) {
  std::lock_guard lock(m_mutex);
  m_sources.push_back(source);
}

void Mixer::Detach(MixSource* source) {
  std::lock_guard lock(m_mutex);
  std::erase(m_sources, source);
}

void Mixer::Render(std::span<std::int16_t> interleaved) {
  std::lock_guard lock(m_mutex);
  const int frames = static_cast<int>(interleaved.size() / kMixChannels);
  m_scratch.assign(interleaved.size(), 0.0f);
  for (MixSource* source : m_sources) source->MixInto(m_scratch.data(), frames);
  for (size_t i = 0; i < interleaved.size(); ++i) {
    float scaled = std::nearbyint(m_scratch[i] * 32768.0f);
    interleaved[i] = static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
  }
}

Mixer& TheMixer() {
  // Never destroyed: sounds held by other statics detach from it at exit.
  static Mixer& mixer = *new Mixer;
  return mixer;
}

float VolumeToGain(LONG hundredthsOfDb) {
  if (hundredthsOfDb <= -10000) return 0.0f;
  if (hundredthsOfDb >= 0) return 1.0f;
  return static_cast<float>(std::pow(10.0, hundredthsOfDb / 2000.0));
}

void Resampler::SetRate(int sourceRate) {
  m_step = (static_cast<std::uint64_t>(sourceRate) << 32) / static_cast<std::uint64_t>(kMixRate);
}

int Resampler::MixInto(const PcmSamples& pcm, float* out, int frames, float gain, bool looping) {
  const std::int64_t total = pcm.Frames();
  if (total == 0) return 0;
  const int channels = pcm.channels;
  const float scale = gain / 32768.0f;
  for (int i = 0; i < frames; ++i) {
    std::int64_t frame = Frame();
    if (frame >= total) {
      if (!looping) return i;
      frame %= total;
      m_position = (static_cast<std::uint64_t>(frame) << 32) | (m_position & 0xFFFFFFFFu);
    }
    std::int64_t next = frame + 1 < total ? frame + 1 : (looping ? 0 : frame);
    float fraction = static_cast<float>(m_position & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
    for (int c = 0; c < kMixChannels; ++c) {
      int channel = std::min(c, channels - 1);
      float a = pcm.samples[static_cast<size_t>(frame * channels + channel)];
      float b = pcm.samples[static_cast<size_t>(next * channels + channel)];
      out[i * kMixChannels + c] += (a + (b - a) * fraction) * scale;
    }
    m_position += m_step;
  }
  return frames;
}

}  // namespace platform::audio
