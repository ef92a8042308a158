#include "library/sound/Sound.h"

#include <algorithm>
#include <functional>

#include "library/util/Log.h"
#include "library/util/Text.h"
#include "platform/Harness.h"
#include "platform/Trace.h"
#include "platform/audio/AudioOutput.h"

using platform::audio::SoundBuffer;

cCheckedVector<SOUNDDATA> SoundList;
cCheckedVector<SOUNDDEFDATA> SoundDefList;

namespace {

// No sound file of a game comes near this; it bounds what a damaged file can make us allocate.
constexpr std::size_t kMaxWaveFileBytes = 64u << 20;

struct DirectSoundState {
  bool running = false;
  HWND window = nullptr;
  cCheckedVector<SOUNDDATA>* sounds = nullptr;
  cCheckedVector<SOUNDDEFDATA>* definitions = nullptr;
} ds;

void EcLogFile(const std::string& format, const std::string& file) {
  std::string text;
  StrFormat(text, format.c_str(), file.c_str());
  EcLogStr(text);
}

SoundBuffer* CopyOf(SOUNDDATA& sound, int copy) {
  if (!ds.running || copy < 0 || copy >= static_cast<int>(sound.buffers.size())) return nullptr;
  return sound.buffers[static_cast<size_t>(copy)].get();
}

// The sound's index in the remembered sound table, -1 when it is not in it.
long IndexInTable(const SOUNDDATA& sound) {
  if (!ds.sounds) return -1;
  const SOUNDDATA* first = ds.sounds->data();
  const SOUNDDATA* end = first + ds.sounds->size();
  const bool inside = std::greater_equal<>{}(&sound, first) && std::less<>{}(&sound, end);
  return inside ? &sound - first : -1;
}

}  // namespace

cCheckedVector<SOUNDDEFDATA> MakeSoundDefList(std::span<const std::string> systemSoundFiles,
                                              std::span<const std::string> databaseSoundFiles) {
  const size_t databaseCount = databaseSoundFiles.empty() ? 0 : databaseSoundFiles.size() - 1;
  cCheckedVector<SOUNDDEFDATA> definitions(kSystemSoundCount + databaseCount);
  for (size_t i = 0; i < kSystemSoundCount && i < systemSoundFiles.size(); ++i)
    definitions[i].file = systemSoundFiles[i];
  for (size_t k = 1; k <= databaseCount; ++k) definitions[kDatabaseSoundBase + k].file = databaseSoundFiles[k];
  return definitions;
}

bool DS_Init(HWND window, int, int, int) {
  if (platform::FailureInjected("sound")) {
    EcLogStr("DIRECTSOUNDCREATE_ERR!");
    return false;
  }
  // The output always mixes at its own rate in 16-bit stereo, as current
  // systems do whatever format the primary buffer asks for.
  platform::audio::OutputState output = platform::audio::OpenOutput();
  if (!output.device && !platform::Harness().headless)
    ReportLog("No audio device (%s): sound effects and music play silently", output.reason.c_str());
  ds.running = true;
  ds.window = window;
  ds.sounds = nullptr;
  ds.definitions = nullptr;
  return true;
}

void DS_UnInit() {
  if (ds.sounds) {
    for (SOUNDDATA& sound : *ds.sounds) DS_FreeSound(sound);
  }
  platform::audio::CloseOutput();
  ds = {};
}

int DS_LoadSounds(cCheckedVector<SOUNDDATA>& sounds, cCheckedVector<SOUNDDEFDATA>& definitions, int masterVolume) {
  ds.sounds = &sounds;
  ds.definitions = &definitions;
  for (int i = 0; i < static_cast<int>(sounds.size()); ++i) {
    SOUNDDATA& sound = sounds.VecAt(i);
    if (!sound.buffers.empty()) continue;
    const SOUNDDEFDATA& definition = definitions.VecAt(i);
    DS_CreateSound(sound, definition.file, definition.copies, masterVolume != 0 ? masterVolume : definition.volume);
  }
  return 1;
}

bool DS_CreateSound(SOUNDDATA& sound, const std::string& file, int copies, int volume) {
  if (!ds.running) return true;
  DS_FreeSound(sound);
  sound = SOUNDDATA{};
  // A definition asking for no copy still gets the one buffer the file makes.
  copies = std::max(copies, 1);
  sound.buffers.resize(static_cast<size_t>(copies));
  bool made = DS_LoadWaveBuffer(sound.buffers[0], file);
  for (int i = 1; made && i < copies; ++i) {
    made = DS_DuplicateBuffer(sound.buffers[static_cast<size_t>(i)], *sound.buffers[0]);
    if (!made) {
      static const std::string message = Sjis("%sのメモリ共用バッファの生成失敗！");
      EcLogFile(message, file);
    }
  }
  if (!made) {
    // Nothing half made stays behind: the sound is simply not loaded.
    sound.buffers.clear();
    return false;
  }
  sound.count = copies;
  sound.name = file;
  if (volume != 0) {
    for (int j = 0; j < copies; ++j) DS_SetVolume(sound, j, volume, 0);
  }
  return true;
}

void DS_FreeSound(SOUNDDATA& sound) {
  if (!ds.running || sound.buffers.empty()) return;
  for (size_t i = sound.buffers.size(); i-- > 1;) sound.buffers[i].reset();
  sound.buffers[0].reset();
  sound.buffers.clear();
}

bool DS_LoadWaveBuffer(std::unique_ptr<SoundBuffer>& slot, const std::string& file) {
  if (!ds.running) return true;
  WAVEFILEDATA wave;
  if (!LoadWaveFile(file, wave)) {
    static const std::string message = Sjis("%s読み込み失敗！");
    EcLogFile(message, file);
    return false;
  }
  slot = SoundBuffer::Create(wave.format, wave.data);
  FreeWaveFile(wave);
  if (!slot) {
    static const std::string message = Sjis("%s生成失敗！");
    EcLogFile(message, file);
    return false;
  }
  return true;
}

bool DS_DuplicateBuffer(std::unique_ptr<SoundBuffer>& slot, const SoundBuffer& source) {
  if (!ds.running) return true;
  slot = source.Duplicate();
  return slot != nullptr;
}

void DS_Play(SOUNDDATA& sound, DWORD flags) {
  if (platform::TraceOn()) platform::TraceLine("sound " + std::to_string(IndexInTable(sound)));
  SoundBuffer* copy = CopyOf(sound, sound.next);
  if (!copy) return;
  copy->Stop();
  copy->SetCurrentPosition(0);
  copy->Play(flags);
  sound.next = (sound.next + 1) % sound.count;
}

int DS_SetVolume(SOUNDDATA& sound, int copy, int volume, int relative) {
  SoundBuffer* buffer = CopyOf(sound, copy);
  if (!buffer) return 0;
  if (relative == 1) volume += buffer->GetVolume();
  volume = std::clamp(volume, platform::audio::DSBVOLUME_MIN, platform::audio::DSBVOLUME_MAX);
  buffer->SetVolume(volume);
  return volume;
}

int DS_GetVolume(SOUNDDATA& sound, int copy) {
  SoundBuffer* buffer = CopyOf(sound, copy);
  return buffer ? buffer->GetVolume() : 0;
}

void DS_PlayCursorSe(int input, int which, int soundIndex) {
  if ((which & 1) && (input & 3)) DS_Play(SoundList.VecAt(soundIndex), 0);
  if ((which & 2) && (input & 12)) DS_Play(SoundList.VecAt(soundIndex), 0);
}

bool ParseWaveFile(std::span<const std::uint8_t> bytes, const std::string& name, WAVEFILEDATA& wave) {
  platform::audio::WaveImage image;
  platform::audio::FileError error;
  if (!platform::audio::ReadWave(bytes, image, error)) {
    ReportLog("WAVE %s: offset %zu: %s", name.c_str(), error.offset, error.reason.c_str());
    return false;
  }
  wave.format = image.format;
  wave.data.assign(image.samples.begin(), image.samples.end());
  return true;
}

bool LoadWaveFile(const std::string& file, WAVEFILEDATA& wave) {
  platform::audio::FileError error;
  auto bytes = platform::audio::ReadFileBytes(file, kMaxWaveFileBytes, error);
  if (!bytes) {
    if (!error.reason.empty()) ReportLog("WAVE %s: offset %zu: %s", file.c_str(), error.offset, error.reason.c_str());
    return false;
  }
  return ParseWaveFile(*bytes, file, wave);
}

void FreeWaveFile(WAVEFILEDATA& wave) { wave.data = {}; }
