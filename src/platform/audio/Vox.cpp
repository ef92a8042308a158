#include "platform/audio/Vox.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/audio/Wave.h"

namespace platform::audio {

namespace {

// No tune of a game comes near this; it bounds what a damaged file can make us hold.
constexpr std::size_t kMaxOggFileBytes = 64u << 20;
constexpr int kBlockFrames = 4096;
// Gaps in a damaged stream are skipped, but not without end.
constexpr int kMaxHoles = 64;

bool PlayableRate(long rate) { return rate >= 1000 && rate <= 192000; }

}  // namespace

// An open vorbisfile stream over the file's bytes in memory.
struct VoxObject::Decoder {
  std::vector<std::uint8_t> bytes;
  std::size_t at = 0;
  OggVorbis_File file{};

  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  explicit Decoder(std::vector<std::uint8_t> data) : bytes(std::move(data)) {}
  ~Decoder() { ov_clear(&file); }

  static size_t Read(void* out, size_t size, size_t count, void* source) {
    auto* self = static_cast<Decoder*>(source);
    const std::size_t wanted = size * count, left = self->bytes.size() - self->at;
    const std::size_t taken = std::min(wanted, left);
    if (taken != 0) std::memcpy(out, self->bytes.data() + self->at, taken);
    self->at += taken;
    return size ? taken / size : 0;
  }
  static int Seek(void* source, ogg_int64_t offset, int whence) {
    auto* self = static_cast<Decoder*>(source);
    const ogg_int64_t base = whence == SEEK_CUR   ? static_cast<ogg_int64_t>(self->at)
                             : whence == SEEK_END ? static_cast<ogg_int64_t>(self->bytes.size())
                                                  : 0;
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(self->bytes.size())) return -1;
    self->at = static_cast<std::size_t>(target);
    return 0;
  }
  static long Tell(void* source) { return static_cast<long>(static_cast<Decoder*>(source)->at); }
};

VoxObject::VoxObject() { TheMixer().Attach(this); }

VoxObject::~VoxObject() { TheMixer().Detach(this); }

bool VoxObject::Load(std::string_view storedPath, std::string& problem) {
  FileError error;
  auto bytes = ReadFileBytes(storedPath, kMaxOggFileBytes, error);
  if (!bytes) {
    problem = error.reason;
    return false;
  }
  return LoadFromMemory(std::move(*bytes), problem);
}

bool VoxObject::LoadFromMemory(std::vector<std::uint8_t> bytes, std::string& problem) {
  Release();
  auto decoder = std::make_unique<Decoder>(std::move(bytes));
  const ov_callbacks callbacks{Decoder::Read, Decoder::Seek, nullptr, Decoder::Tell};
  if (ov_open_callbacks(decoder.get(), &decoder->file, nullptr, 0, callbacks) != 0) {
    decoder->file = {};  // nothing of it is open, and ov_clear must find nothing
    problem = "not an Ogg Vorbis file";
    return false;
  }
  const vorbis_info* info = ov_info(&decoder->file, -1);
  if (!info || info->channels < 1 || !PlayableRate(info->rate)) {
    problem = "unsupported channel count or rate";
    return false;
  }
  // Opening a chained file leaves it past its first link: play from the start.
  ov_raw_seek(&decoder->file, 0);
  std::lock_guard lock(m_mutex);
  m_block = {std::min(info->channels, 2), static_cast<int>(info->rate), 0, {}};
  m_voice.SetRate(m_block.rate);
  m_voice.Seek(0);
  m_decoder = std::move(decoder);
  return true;
}

void VoxObject::Play() {
  std::lock_guard lock(m_mutex);
  m_playing = m_decoder != nullptr;
}

void VoxObject::Stop() {
  std::lock_guard lock(m_mutex);
  m_playing = false;
}

void VoxObject::Release() {
  std::lock_guard lock(m_mutex);
  m_playing = false;
  m_decoder.reset();
  m_block.samples.clear();
  m_voice.Seek(0);
}

void VoxObject::SetLoop(int count) {
  std::lock_guard lock(m_mutex);
  m_loops = std::max(count, 0);
}

bool VoxObject::IsPlaying() const {
  std::lock_guard lock(m_mutex);
  return m_playing;
}

bool VoxObject::DecodeBlock() {
  m_voice.Rebase(m_block.Frames());
  m_block.samples.clear();
  bool rewound = false;
  for (int holes = 0; holes < kMaxHoles;) {
    float** pcm = nullptr;
    int section = 0;
    const long frames = ov_read_float(&m_decoder->file, &pcm, kBlockFrames, &section);
    if (frames == OV_HOLE) {
      ++holes;
      continue;
    }
    if (frames < 0) return false;
    if (frames == 0) {
      // The end: round again while repeats remain, unless a pass holds nothing.
      if (rewound || m_loops == 0 || ov_pcm_seek(&m_decoder->file, 0) != 0) return false;
      if (m_loops != kEndless) --m_loops;
      rewound = true;
      continue;
    }
    // A change of layout in a chained file is played in the first link's
    // layout, but each link at its own rate.
    const vorbis_info* link = ov_info(&m_decoder->file, -1);
    const int channels = std::min(link->channels, m_block.channels);
    if (link->rate != m_block.rate && PlayableRate(link->rate)) {
      m_block.rate = static_cast<int>(link->rate);
      m_voice.SetRate(m_block.rate);
    }
    for (long i = 0; i < frames; ++i) {
      for (int c = 0; c < m_block.channels; ++c) {
        float sample = std::clamp(pcm[std::min(c, channels - 1)][i], -1.0f, 1.0f);
        m_block.samples.push_back(static_cast<std::int16_t>(std::lrint(sample * 32767.0f)));
      }
    }
    return true;
  }
  return false;
}

void VoxObject::MixInto(float* out, int frames) {
  std::lock_guard lock(m_mutex);
  int done = 0;
  while (m_playing && done < frames) {
    done += m_voice.MixInto(m_block, out + done * kMixChannels, frames - done, 1.0f, false);
    if (done < frames && !DecodeBlock()) m_playing = false;
  }
}

std::unique_ptr<VoxObject> CreateVox() { return std::make_unique<VoxObject>(); }

}  // namespace platform::audio
