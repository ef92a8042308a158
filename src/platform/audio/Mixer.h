#pragma once
// The one software mixer behind every sound of the program: sound buffers and
// music streams add into it, and the audio device (or a test, through Render)
// pulls finished 16-bit stereo frames from it.
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "platform/WinTypes.h"

namespace platform::audio {

constexpr int kMixRate = 44100;
constexpr int kMixChannels = 2;

// Something that adds its sound into the mix. MixInto runs with the mixer
// locked, on whichever thread renders; a source detaches itself in its own
// destructor, which waits for a render in progress to end.
class MixSource {
 public:
  virtual ~MixSource() = default;
  // Adds `frames` interleaved stereo frames into out.
  virtual void MixInto(float* out, int frames) = 0;
};

class Mixer {
 public:
  void Attach(MixSource* source);
  void Detach(MixSource* source);
  // Renders the next interleaved.size() / 2 frames of the mix.
  void Render(std::span<std::int16_t> interleaved);
  std::unique_lock<std::mutex> Lock() { return std::unique_lock(m_mutex); }

 private:
  std::mutex m_mutex;
  std::vector<MixSource*> m_sources;
  std::vector<float> m_scratch;
};

// The mixer every part of the program plays into.
Mixer& TheMixer();

// A volume in hundredths of a decibel (-10000 silent .. 0 full) as a factor.
float VolumeToGain(LONG hundredthsOfDb);

// Frames at some rate and channel count, 16-bit, as the voices read them.
struct PcmSamples {
  int channels = 1;
  int rate = kMixRate;
  int bytesPerFrame = 2;  // of the format the samples came in, for byte positions
  std::vector<std::int16_t> samples;
  std::int64_t Frames() const { return static_cast<std::int64_t>(samples.size()) / channels; }
};

// Reads PCM frames from a start position at their own rate and adds them to
// the mix rate with linear interpolation; a voice of the mix rate copies exactly.
class Resampler {
 public:
  void SetRate(int sourceRate);
  void Seek(std::int64_t frame) { m_position = static_cast<std::uint64_t>(frame) << 32; }
  std::int64_t Frame() const { return static_cast<std::int64_t>(m_position >> 32); }
  // Moves the position back by whole frames, keeping its fraction (for
  // samples that arrive block by block).
  void Rebase(std::int64_t frames) { m_position -= static_cast<std::uint64_t>(frames) << 32; }
  // Adds up to `frames` frames times gain; returns the frames produced before
  // the samples ran out (looping wraps to the start instead).
  int MixInto(const PcmSamples& pcm, float* out, int frames, float gain, bool looping);

 private:
  std::uint64_t m_position = 0;  // frames, 32.32 fixed point
  std::uint64_t m_step = std::uint64_t{1} << 32;
};

}  // namespace platform::audio
