#pragma once
// The ogg player objects the music manager drives, over libvorbisfile: each
// loads one Ogg Vorbis file, plays it into the mixer a given number of times
// (or without end) and stops. The file is read whole and decoded as it plays.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/audio/Mixer.h"

namespace platform::audio {

class VoxObject final : public MixSource {
 public:
  // How often a tune repeats after its first pass; this many means without end.
  static constexpr int kEndless = 0x7FFFFFFF;

  VoxObject();
  ~VoxObject() override;
  VoxObject(const VoxObject&) = delete;
  VoxObject& operator=(const VoxObject&) = delete;

  // Loads the file at a stored path; false (with the reason, empty when the
  // file cannot be opened) when it is not a playable Ogg Vorbis file.
  bool Load(std::string_view storedPath, std::string& problem);
  bool LoadFromMemory(std::vector<std::uint8_t> bytes, std::string& problem);
  void Play();
  void Stop();
  // Drops the loaded file (stopping it first).
  void Release();
  void SetLoop(int count);
  bool IsPlaying() const;

  void MixInto(float* out, int frames) override;

 private:
  struct Decoder;
  // Decodes the next block, going round to the start while repeats remain.
  bool DecodeBlock();

  mutable std::mutex m_mutex;
  std::unique_ptr<Decoder> m_decoder;
  PcmSamples m_block;
  Resampler m_voice;
  bool m_playing = false;
  int m_loops = 0;
};

std::unique_ptr<VoxObject> CreateVox();

}  // namespace platform::audio
