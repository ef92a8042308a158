#pragma once
// Sound buffers in the shape the player's sound effects use them: made once
// from PCM bytes, duplicated so one effect can overlap itself, played once or
// looping, stopped, rewound, and set to a volume in hundredths of a decibel.
#include <memory>
#include <span>

#include "platform/audio/Mixer.h"
#include "platform/audio/Wave.h"

namespace platform::audio {

constexpr DWORD DSBPLAY_LOOPING = 1;
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;

class SoundBuffer final : public MixSource {
 public:
  // Null when the format cannot be played: PCM of 8 or 16 bits, 1 or 2
  // channels, 100 to 200000 frames a second, a consistent block size, and at
  // least one whole frame are needed.
  static std::unique_ptr<SoundBuffer> Create(const WAVEFORMATEX& format, std::span<const std::uint8_t> bytes,
                                             Mixer& mixer = TheMixer());
  ~SoundBuffer() override;
  SoundBuffer(const SoundBuffer&) = delete;
  SoundBuffer& operator=(const SoundBuffer&) = delete;

  // A second buffer on the same samples, stopped, at full volume.
  std::unique_ptr<SoundBuffer> Duplicate() const;

  void Play(DWORD flags);
  void Stop();
  // Byte offset in the buffer's own format.
  void SetCurrentPosition(DWORD byteOffset);
  // Out-of-range volumes are refused (false), as the original interface does.
  bool SetVolume(LONG volume);
  LONG GetVolume() const;
  bool IsPlaying() const;

  void MixInto(float* out, int frames) override;

 private:
  SoundBuffer(Mixer& mixer, std::shared_ptr<const PcmSamples> pcm);

  Mixer& m_mixer;
  std::shared_ptr<const PcmSamples> m_pcm;
  Resampler m_voice;
  bool m_playing = false;
  bool m_looping = false;
  LONG m_volume = DSBVOLUME_MAX;
  float m_gain = 1.0f;
};

}  // namespace platform::audio
