// Ogg files as the music player loads them from memory, decoded into the mix.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/Vox.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto vox = platform::audio::CreateVox();
  std::string problem;
  if (!vox->LoadFromMemory({data, data + size}, problem)) return 0;
  vox->SetLoop(1);
  vox->Play();
  std::vector<std::int16_t> out(2 * 4096);
  for (int i = 0; i < 8 && vox->IsPlaying(); ++i) platform::audio::TheMixer().Render(out);
  return 0;
}
