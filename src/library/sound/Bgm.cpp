#include "library/sound/Bgm.h"

#include <algorithm>
#include <utility>

#include "library/util/Log.h"
#include "library/util/MesBox.h"
#include "library/util/Path.h"
#include "library/util/Text.h"
#include "platform/Harness.h"
#include "platform/Trace.h"

cBgmPlayer BgmPlayer;
std::array<std::string, 5> DefaultBgmOgg = {"bgm\\Title.ogg", "bgm\\WorldMap.ogg", "bgm\\Challenge.ogg",
                                            "bgm\\Option.ogg", "bgm\\Stage.ogg"};
std::array<std::string, 5> DefaultBgmMid = {"bgm\\Title.mid", "bgm\\WorldMap.mid", "bgm\\Challenge.mid",
                                            "bgm\\Option.mid", "bgm\\Stage.mid"};

int cVox::Init() {
  // The ogg player is part of the program; only an injected failure stops it.
  if (platform::FailureInjected("music")) {
    static const std::string message = Sjis("oggの初期化に失敗！");
    ErrMesBoxf("%s", message.c_str());
    return 0;
  }
  m_started = true;
  return 1;
}

int cVox::SetChannels(int n) {
  m_objects.clear();
  m_channels = std::max(n, 0);
  for (int i = 0; i < m_channels; ++i) m_objects.push_back(platform::audio::CreateVox());
  m_playing = -1;
  return 1;
}

int cVox::Play(int channel, const std::string& path, int loop) {
  if (path.empty()) return 0;
  Stop();
  platform::audio::VoxObject* vox = m_objects.VecAt(channel).get();
  if (!vox) return 0;
  vox->Release();
  std::string problem;
  if (!vox->Load(path, problem)) {
    if (!problem.empty()) ReportLog("Ogg %s: %s", path.c_str(), problem.c_str());
    m_playing = -1;
    return 0;
  }
  vox->SetLoop(loop ? platform::audio::VoxObject::kEndless : 0);
  vox->Play();
  m_playing = channel;
  return 1;
}

void cVox::Stop() {
  if (m_playing < 0) return;
  if (auto& vox = m_objects.VecAt(m_playing)) vox->Stop();
  m_playing = -1;
}

int cVox::UnInit() {
  m_objects.clear();
  m_playing = -1;
  return std::exchange(m_started, false) ? 1 : 0;
}

void cMidiChannelSet::StopAll(int pause) {
  for (auto& player : m_players)
    if (player) player->Stop(pause);
}

void cMidiChannelSet::DeleteAll() {
  for (auto& player : m_players) player.reset();
}

int cMidiChannelSet::Play(int channel, const std::string& path, int loop) {
  StopAll(1);
  DeleteAll();
  std::string extension;
  if (!GetExtensionStr(extension, path) || extension != "mid") return 0;
  auto& slot = m_players.VecAt(channel);
  slot = std::make_unique<cMidiPlayer>(path);
  if (slot->Image().empty()) return 0;
  slot->Play(loop);
  return 1;
}

int cBgmPlayer::Init(int channels, std::span<std::string> oggNames, std::span<std::string> midiNames, int entries) {
  on = 1;
  m_midi.Clear();
  if (!m_Vox.Init()) {
    static const std::string message = Sjis("m_Vox.Init失敗！");
    EcLogStr(message);
    on = 0;
    return 0;
  }
  SetChannels(channels);
  // Tables shorter than the entry count are only used as far as they go.
  const size_t count = std::min({static_cast<size_t>(std::max(entries, 0)), oggNames.size(), midiNames.size()});
  m_oggNames = oggNames.first(count);
  m_midiNames = midiNames.first(count);
  m_entryTypes.assign(count, BGMTYPE_NONE);
  return 1;
}

int cBgmPlayer::SetChannels(int n) {
  m_midi.Clear();
  m_midi.Resize(n);
  m_channelTypes.assign(static_cast<size_t>(std::max(n, 0)), 0);
  m_Vox.SetChannels(n);
  return 1;
}

bool cBgmPlayer::ValidEntry(int entry) const {
  m_entryTypes.VecAt(entry);
  return entry >= 0 && entry < static_cast<int>(m_entryTypes.size());
}

int cBgmPlayer::SetBgmFile(int entry, const std::string& path) {
  if (!on) return 1;
  if (!ValidEntry(entry)) return 0;
  std::string& ogg = m_oggNames[static_cast<size_t>(entry)];
  std::string& midi = m_midiNames[static_cast<size_t>(entry)];
  int& type = m_entryTypes.VecAt(entry);
  std::string extension;
  if (!GetExtensionStr(extension, path)) {
    ogg.clear();
    midi.clear();
    type = BGMTYPE_NONE;
    return 0;
  }
  if (extension == "mid" || extension == "MID") {
    ChangeExtensionStr(midi, path, "mid");
    type = BGMTYPE_MID;
    return 1;
  }
  if (extension == "ogg" || extension == "OGG") {
    ogg = path;
    type = BGMTYPE_OGG;
    return 1;
  }
  ogg = path;
  midi = path;
  type = BGMTYPE_NONE;
  return 0;
}

int cBgmPlayer::Played(int channel, int type, const std::string& path, int entry, int loop) {
  m_channelTypes.VecAt(channel) = type;
  if (type == BGMTYPE_OGG) m_midi.StopAll(0);
  if (type == BGMTYPE_MID) m_Vox.Stop();
  if (platform::TraceOn()) {
    std::string line;
    StrFormat(line, "music play %d loop %d %s %s", entry, loop, type == BGMTYPE_OGG ? "ogg" : "mid", path.c_str());
    platform::TraceLine(line);
  }
  return 1;
}

int cBgmPlayer::PlayBgm(int channel, int entry, int loop, int force) {
  if (!on || (entry == m_current && !force)) return 1;
  m_current = entry;
  if (ValidEntry(entry)) {
    const int type = m_entryTypes.VecAt(entry);
    const std::string& ogg = m_oggNames[static_cast<size_t>(entry)];
    const std::string& midi = m_midiNames[static_cast<size_t>(entry)];
    if (type != BGMTYPE_MID && m_Vox.Play(channel, ogg, loop)) return Played(channel, BGMTYPE_OGG, ogg, entry, loop);
    if (type != BGMTYPE_OGG && m_midi.Play(channel, midi, loop)) return Played(channel, BGMTYPE_MID, midi, entry, loop);
  }
  m_channelTypes.VecAt(channel) = 0;
  m_current = -1;
  m_Vox.Stop();
  m_midi.StopAll(0);
  if (platform::TraceOn()) {
    std::string line;
    StrFormat(line, "music play %d loop %d none", entry, loop);
    platform::TraceLine(line);
  }
  return 0;
}

void cBgmPlayer::StopBgm() {
  if (!on) return;
  m_midi.StopAll(0);
  m_Vox.Stop();
  platform::TraceLine("music stop");
}

void cBgmPlayer::UnInit() {
  if (!on) return;
  m_Vox.UnInit();
  m_midi.Clear();
  on = 0;
}
