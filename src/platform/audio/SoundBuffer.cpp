#include "platform/audio/SoundBuffer.h"

namespace platform::audio {
namespace {

bool Playable(const WAVEFORMATEX& f) {
  return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
         (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nSamplesPerSec >= 100 && f.nSamplesPerSec <= 200000 &&
         f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

std::shared_ptr<const PcmSamples> Decode(const WAVEFORMATEX& f, std::span<const std::uint8_t> bytes) {
  auto pcm = std::make_shared<PcmSamples>();
  pcm->channels = f.nChannels;
  pcm->rate = static_cast<int>(f.nSamplesPerSec);
  pcm->bytesPerFrame = f.nBlockAlign;
  const size_t frames = bytes.size() / f.nBlockAlign;
  const size_t count = frames * f.nChannels;
  pcm->samples.resize(count);
  for (size_t i = 0; i < count; ++i) {
    pcm->samples[i] = f.wBitsPerSample == 8 ? static_cast<std::int16_t>((bytes[i] - 128) * 256)
                                            : static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return pcm;
}

}  // namespace

std::unique_ptr<SoundBuffer> SoundBuffer::Create(const WAVEFORMATEX& format, std::span<const std::uint8_t> bytes,
                                                 Mixer& mixer) {
  if (!Playable(format) || bytes.size() < format.nBlockAlign) return nullptr;
  return std::unique_ptr<SoundBuffer>(new SoundBuffer(mixer, Decode(format, bytes)));
}

SoundBuffer::SoundBuffer(Mixer& mixer, std::shared_ptr<const PcmSamples> pcm) : m_mixer(mixer), m_pcm(std::move(pcm)) {
  m_voice.SetRate(m_pcm->rate);
  m_mixer.Attach(this);
}

SoundBuffer::~SoundBuffer() { m_mixer.Detach(this); }

std::unique_ptr<SoundBuffer> SoundBuffer::Duplicate() const {
  return std::unique_ptr<SoundBuffer>(new SoundBuffer(m_mixer, m_pcm));
}

void SoundBuffer::Play(DWORD flags) {
  auto lock = m_mixer.Lock();
  m_playing = true;
  m_looping = (flags & DSBPLAY_LOOPING) != 0;
}

void SoundBuffer::Stop() {
  auto lock = m_mixer.Lock();
  m_playing = false;
}

void SoundBuffer::SetCurrentPosition(DWORD byteOffset) {
  auto lock = m_mixer.Lock();
  m_voice.Seek(std::min<std::int64_t>(byteOffset / m_pcm->bytesPerFrame, m_pcm->Frames()));
}

bool SoundBuffer::SetVolume(LONG volume) {
  if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return false;
  float gain = VolumeToGain(volume);
  auto lock = m_mixer.Lock();
  m_volume = volume;
  m_gain = gain;
  return true;
}

LONG SoundBuffer::GetVolume() const {
  auto lock = m_mixer.Lock();
  return m_volume;
}

bool SoundBuffer::IsPlaying() const {
  auto lock = m_mixer.Lock();
  return m_playing;
}

void SoundBuffer::MixInto(float* out, int frames) {
  if (!m_playing) return;
  if (m_voice.MixInto(*m_pcm, out, frames, m_gain, m_looping) < frames) m_playing = false;
}

}  // namespace platform::audio
