#include "Audio.h"
#include "Bytes.h"

namespace mkproject {

namespace {

constexpr int kTicksPerQuarter = 96;
constexpr int kChannel = 0;
constexpr int kProgram = 80;  // square lead
constexpr int kVelocity = 100;

void PutVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
  std::uint8_t bytes[5];
  int count = 0;
  do {
    bytes[count++] = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value);
  while (count--) out.push_back(static_cast<std::uint8_t>(bytes[count] | (count ? 0x80 : 0)));
}

void PutEvent(std::vector<std::uint8_t>& track, std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
  PutVarLen(track, delta);
  track.insert(track.end(), bytes);
}

}  // namespace

const std::vector<Note>& SampleTune() {
  static const std::vector<Note> tune = {
      {72, 2}, {76, 2}, {79, 2}, {76, 2}, {74, 2}, {77, 2}, {81, 2}, {77, 2},
      {76, 1}, {74, 1}, {72, 2}, {67, 2}, {72, 4}, {0, 2},  {79, 2}, {72, 4},
  };
  return tune;
}

std::vector<std::uint8_t> EncodeMidi(const std::vector<Note>& tune, int tempoBpm) {
  std::vector<std::uint8_t> track;
  PutEvent(track, 0, {0xFF, 0x51, 0x03});
  PutBe(track, static_cast<std::uint32_t>(60000000 / tempoBpm), 3);
  PutEvent(track, 0, {0xC0 | kChannel, kProgram});
  std::uint32_t rest = 0;
  for (const Note& note : tune) {
    const std::uint32_t ticks = static_cast<std::uint32_t>(note.eighths * kTicksPerQuarter / 2);
    if (note.key == 0) {
      rest += ticks;
      continue;
    }
    const auto key = static_cast<std::uint8_t>(note.key);
    PutEvent(track, rest, {0x90 | kChannel, key, kVelocity});
    PutEvent(track, ticks, {0x80 | kChannel, key, 0});
    rest = 0;
  }
  PutEvent(track, rest, {0xFF, 0x2F, 0x00});

  std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd'};
  PutBe(out, 6, 4);
  PutBe(out, 0, 2);  // format 0
  PutBe(out, 1, 2);
  PutBe(out, kTicksPerQuarter, 2);
  for (char c : {'M', 'T', 'r', 'k'}) out.push_back(static_cast<std::uint8_t>(c));
  PutBe(out, static_cast<std::uint32_t>(track.size()), 4);
  out.insert(out.end(), track.begin(), track.end());
  return out;
}

}  // namespace mkproject
