// Standard MIDI files as the music player reads them, merged and cut into
// stream buffers to the end of the song.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "library/sound/Midi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> image = cMidiFile::CheckMidiHeader(std::span(data, size), "fuzz.mid");
  if (image.empty()) return 0;
  std::vector<char> buffer(cMidiPlayer::kBufferSize);
  MIDIHDR header;
  header.lpData = buffer.data();
  header.dwBufferLength = cMidiPlayer::kBufferSize;
  DWORD at = kMidiImageHeader;
  while (at < image.size()) {
    const DWORD consumed = cMidiPlayer::FillBuffer(image, at, header);
    if (consumed == 0) __builtin_trap();  // every buffer must move the song on
    at += consumed;
  }
  return 0;
}
