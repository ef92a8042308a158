#pragma once
// Builders of the sound files the audio tests read, and a way to hear the mix.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/Mixer.h"

namespace audiotest {

inline std::string Le16(unsigned value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)};
}
inline std::string Le32(std::uint32_t value) { return Le16(value & 0xFFFF) + Le16(value >> 16); }
inline std::string Be16(unsigned value) {
  return {static_cast<char>(value >> 8 & 0xFF), static_cast<char>(value & 0xFF)};
}
inline std::string Be32(std::uint32_t value) { return Be16(value >> 16) + Be16(value & 0xFFFF); }

// A RIFF chunk, padded to an even length.
inline std::string Chunk(const std::string& id, const std::string& body) {
  return id + Le32(static_cast<std::uint32_t>(body.size())) + body + (body.size() % 2 ? std::string(1, '\0') : "");
}

inline std::string FormatChunk(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits) {
  unsigned block = channels * bits / 8;
  return Chunk("fmt ", Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * block) + Le16(block) + Le16(bits));
}

// "RIFF" size "WAVE" and the chunks; the size field is right unless given.
inline std::string Riff(const std::string& chunks, std::optional<std::uint32_t> size = std::nullopt) {
  return "RIFF" + Le32(size.value_or(static_cast<std::uint32_t>(chunks.size() + 4))) + "WAVE" + chunks;
}

inline std::string Samples16(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += Le16(static_cast<unsigned>(v) & 0xFFFF);
  return bytes;
}

inline std::string Wave16(unsigned channels, std::uint32_t rate, std::initializer_list<int> samples) {
  return Riff(FormatChunk(1, channels, rate, 16) + Chunk("data", Samples16(samples)));
}

// Renders frames of the mix; returns the left channel and checks nothing of the right.
inline std::vector<std::int16_t> RenderStereo(int frames) {
  std::vector<std::int16_t> out(static_cast<size_t>(frames) * platform::audio::kMixChannels);
  platform::audio::TheMixer().Render(out);
  return out;
}

inline std::vector<std::int16_t> RenderLeft(int frames) {
  std::vector<std::int16_t> stereo = RenderStereo(frames), left;
  for (size_t i = 0; i < stereo.size(); i += 2) left.push_back(stereo[i]);
  return left;
}

inline std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace audiotest

namespace audiotest {

inline std::string VarLen(std::uint32_t value) {
  std::string bytes(1, static_cast<char>(value & 0x7F));
  while (value >>= 7) bytes.insert(bytes.begin(), static_cast<char>((value & 0x7F) | 0x80));
  return bytes;
}

inline std::string Track(const std::string& events) {
  return "MTrk" + Be32(static_cast<std::uint32_t>(events.size())) + events;
}

// A standard MIDI file with the given chunks after the header.
inline std::string Smf(unsigned format, unsigned tracks, unsigned division, const std::string& chunks) {
  return "MThd" + Be32(6) + Be16(format) + Be16(tracks) + Be16(division) + chunks;
}

inline std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

}  // namespace audiotest
