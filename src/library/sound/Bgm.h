#pragma once
// Background music: one tune at a time, an ogg file through the Vox players or
// a MIDI file through the stream player, chosen by the entry's file type, with
// a fallback from ogg to MIDI for entries of another extension.
#include <array>
#include <memory>
#include <span>
#include <string>

#include "library/sound/Midi.h"
#include "library/util/CheckedVector.h"
#include "platform/audio/Vox.h"

constexpr int BGMTYPE_NONE = 0;  // extension not recognised: ogg first, then MIDI
constexpr int BGMTYPE_OGG = 1;
constexpr int BGMTYPE_MID = 2;

class cVox {
 public:
  // Fails (with the error box "oggの初期化に失敗！") when the ogg player cannot start.
  int Init();
  // Replaces the players by n new ones.
  int SetChannels(int n);
  int Play(int channel, const std::string& path, int loop);
  void Stop();
  int UnInit();

 private:
  cCheckedVector<std::unique_ptr<platform::audio::VoxObject>> m_objects;
  int m_channels = 0;
  int m_playing = -1;
  bool m_started = false;
};

class cMidiChannelSet {
 public:
  void Resize(int channels) { m_players.resize(static_cast<size_t>(std::max(channels, 0))); }
  void Clear() { m_players.clear(); }
  void StopAll(int pause);
  // Ends every player, then plays a ".mid" file on the channel; 0 when it is
  // not one or does not load.
  int Play(int channel, const std::string& path, int loop);
  void DeleteAll();

 private:
  cCheckedVector<std::unique_ptr<cMidiPlayer>> m_players;
};

class cBgmPlayer {
 public:
  ~cBgmPlayer() { UnInit(); }

  // The name tables stay the caller's; SetBgmFile writes into them.
  int Init(int channels, std::span<std::string> oggNames, std::span<std::string> midiNames, int entries);
  int SetChannels(int n);
  int SetBgmFile(int entry, const std::string& path);
  int PlayBgm(int channel, int entry, int loop, int force);
  void StopBgm();
  void UnInit();

  bool IsOn() const { return on != 0; }
  int CurrentEntry() const { return m_current; }
  int ChannelType(int channel) const { return m_channelTypes.VecAt(channel); }
  int EntryType(int entry) const { return m_entryTypes.VecAt(entry); }

 private:
  // False (reported through the guarded access) for an entry outside the tables.
  bool ValidEntry(int entry) const;
  int Played(int channel, int type, const std::string& path, int entry, int loop);

  int on = 0;
  cVox m_Vox;
  std::span<std::string> m_oggNames;
  cMidiChannelSet m_midi;
  std::span<std::string> m_midiNames;
  int m_current = -1;
  cCheckedVector<int> m_entryTypes;
  cCheckedVector<int> m_channelTypes;
};

extern cBgmPlayer BgmPlayer;
// Title, world map and story save, challenge, options, stage.
extern std::array<std::string, 5> DefaultBgmOgg;
extern std::array<std::string, 5> DefaultBgmMid;
