#pragma once
// Sound effects: WAVE files loaded once into sound buffers, each with copies so
// that one effect can overlap itself, played by their index in SoundList.
#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "library/util/CheckedVector.h"
#include "platform/audio/SoundBuffer.h"

// A WAVE file as read: its format and its sample bytes.
struct WAVEFILEDATA {
  platform::audio::WAVEFORMATEX format;
  std::vector<std::uint8_t> data;
};

// One loaded sound; without buffers it is not loaded.
struct SOUNDDATA {
  std::string name;
  std::vector<std::unique_ptr<platform::audio::SoundBuffer>> buffers;  // copy 0 and its duplicates
  int count = 0;
  int next = 0;  // the copy to play next
};

struct SOUNDDEFDATA {
  std::string file;
  int copies = 1;
  int volume = 0;  // hundredths of a decibel, -10000 .. 0; 0 keeps the buffer's full volume
  int flag = 1;
};

// Entries 0 to 16: the system sounds; 16 + k: sound k of the Sound database.
constexpr int kSystemSoundCount = 17;
constexpr int kDatabaseSoundBase = 16;

extern cCheckedVector<SOUNDDATA> SoundList;
extern cCheckedVector<SOUNDDEFDATA> SoundDefList;

// The master volume by the option volume 0 to 10.
constexpr std::array<int, 11> VolumeTable = {-10000, -3000, -2000, -1300, -800, -500, -300, -150, -80, -30, 0};

// The definitions of the sound table: the system sounds (missing names stay
// empty), then database sound k (k from 1; entry 0 means none) at 16 + k;
// one copy each at the buffer's own volume. The table always holds the 17
// system sounds, whatever the database's size.
cCheckedVector<SOUNDDEFDATA> MakeSoundDefList(std::span<const std::string> systemSoundFiles,
                                              std::span<const std::string> databaseSoundFiles);

// Opens the audio output. No device is no failure: the output is silent and
// one line says why.
bool DS_Init(HWND window, int samplesPerSec, int bitsPerSample, int channels);
void DS_UnInit();
int DS_LoadSounds(cCheckedVector<SOUNDDATA>& sounds, cCheckedVector<SOUNDDEFDATA>& definitions, int masterVolume);
bool DS_CreateSound(SOUNDDATA& sound, const std::string& file, int copies, int volume);
void DS_FreeSound(SOUNDDATA& sound);
bool DS_LoadWaveBuffer(std::unique_ptr<platform::audio::SoundBuffer>& slot, const std::string& file);
bool DS_DuplicateBuffer(std::unique_ptr<platform::audio::SoundBuffer>& slot,
                        const platform::audio::SoundBuffer& source);
void DS_Play(SOUNDDATA& sound, DWORD flags);
int DS_SetVolume(SOUNDDATA& sound, int copy, int volume, int relative);
int DS_GetVolume(SOUNDDATA& sound, int copy);
// The menu cursor's sound: once for a left/right input when which has bit 1,
// once more for an up/down input when which has bit 2.
void DS_PlayCursorSe(int input, int which, int soundIndex);

bool LoadWaveFile(const std::string& file, WAVEFILEDATA& wave);
void FreeWaveFile(WAVEFILEDATA& wave);
// The same from bytes already in memory; name is only used in log lines.
bool ParseWaveFile(std::span<const std::uint8_t> bytes, const std::string& name, WAVEFILEDATA& wave);
