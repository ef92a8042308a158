#include <vorbis/vorbisenc.h>

#include <stdexcept>

#include "Audio.h"

namespace mkproject {

namespace {

constexpr int kStreamSerial = 0x5A4E44;  // fixed, so that every run writes the same bytes
constexpr float kQuality = 0.3f;

// The encoder's states, cleared in reverse order of their set-up.
struct VorbisEncoder {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;

  VorbisEncoder() {
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, kSampleRate, kQuality) != 0) {
      vorbis_info_clear(&info);
      throw std::runtime_error("the Vorbis encoder refuses the tune's format");
    }
    vorbis_comment_init(&comment);
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_init(&stream, kStreamSerial);
  }
  ~VorbisEncoder() {
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
  }
  VorbisEncoder(const VorbisEncoder&) = delete;
  VorbisEncoder& operator=(const VorbisEncoder&) = delete;
};

void AppendPage(std::vector<std::uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<std::uint8_t> EncodeOgg(const std::vector<std::int16_t>& samples) {
  VorbisEncoder encoder;
  std::vector<std::uint8_t> out;
  ogg_page page;

  ogg_packet header, commentHeader, codeHeader;
  vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &header, &commentHeader, &codeHeader);
  ogg_stream_packetin(&encoder.stream, &header);
  ogg_stream_packetin(&encoder.stream, &commentHeader);
  ogg_stream_packetin(&encoder.stream, &codeHeader);
  while (ogg_stream_flush(&encoder.stream, &page)) AppendPage(out, page);

  const int frames = static_cast<int>(samples.size());
  float** buffer = vorbis_analysis_buffer(&encoder.dsp, frames);
  for (int i = 0; i < frames; ++i) buffer[0][i] = static_cast<float>(samples[static_cast<std::size_t>(i)]) / 32768.0f;
  vorbis_analysis_wrote(&encoder.dsp, frames);
  vorbis_analysis_wrote(&encoder.dsp, 0);

  while (vorbis_analysis_blockout(&encoder.dsp, &encoder.block) == 1) {
    vorbis_analysis(&encoder.block, nullptr);
    vorbis_bitrate_addblock(&encoder.block);
    ogg_packet packet;
    while (vorbis_bitrate_flushpacket(&encoder.dsp, &packet)) {
      ogg_stream_packetin(&encoder.stream, &packet);
      while (ogg_stream_pageout(&encoder.stream, &page)) AppendPage(out, page);
    }
  }
  while (ogg_stream_flush(&encoder.stream, &page)) AppendPage(out, page);
  return out;
}

}  // namespace mkproject
