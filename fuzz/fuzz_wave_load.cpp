// WAVE files as the sound effects load them, played into the mix.
#include <cstddef>
#include <cstdint>
#include <span>

#include "library/sound/Sound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WAVEFILEDATA wave;
  if (!ParseWaveFile(std::span(data, size), "fuzz.wav", wave)) return 0;
  if (auto buffer = platform::audio::SoundBuffer::Create(wave.format, wave.data)) {
    buffer->Play(0);
    std::int16_t out[2 * 512];
    platform::audio::TheMixer().Render(out);
  }
  return 0;
}
