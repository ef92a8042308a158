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

#include <vorbis/vorbisenc.h>

#include <cmath>

namespace audiotest {

// An Ogg Vorbis file of a 440 Hz tone at half scale, encoded here; files of
// different serial numbers put one after the other make a chained file.
inline std::string EncodeOgg(int rate, int channels, int frames, int serial = 1) {
  vorbis_info info;
  vorbis_info_init(&info);
  vorbis_encode_init_vbr(&info, channels, rate, 0.4f);
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, serial);
  std::string out;
  ogg_page page;
  auto append = [&] {
    out.append(reinterpret_cast<char*>(page.header), static_cast<size_t>(page.header_len))
        .append(reinterpret_cast<char*>(page.body), static_cast<size_t>(page.body_len));
  };
  ogg_packet header, commentHeader, codeHeader;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentHeader);
  ogg_stream_packetin(&stream, &codeHeader);
  while (ogg_stream_flush(&stream, &page)) append();
  float** buffer = vorbis_analysis_buffer(&dsp, frames);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) buffer[c][i] = 0.5f * std::sin(2.0f * 3.14159265f * 440.0f * i / rate);
  vorbis_analysis_wrote(&dsp, frames);
  vorbis_analysis_wrote(&dsp, 0);
  while (vorbis_analysis_blockout(&dsp, &block) == 1) {
    vorbis_analysis(&block, nullptr);
    vorbis_bitrate_addblock(&block);
    ogg_packet packet;
    while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
      ogg_stream_packetin(&stream, &packet);
      while (ogg_stream_pageout(&stream, &page)) append();
    }
  }
  while (ogg_stream_flush(&stream, &page)) append();
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

// The loudest sample of the left channel in [from, to) of rendered frames.
inline int Loudest(const std::vector<std::int16_t>& left, size_t from, size_t to) {
  int loudest = 0;
  for (size_t i = from; i < to && i < left.size(); ++i) loudest = std::max(loudest, std::abs(int{left[i]}));
  return loudest;
}

}  // namespace audiotest
