#include "stage/Replay.h"

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "gamedata/SaveData.h"
#include "library/util/Path.h"
#include "library/util/Text.h"
#include "platform/HostPath.h"
#include "records/StageData.h"

cReplayData* ReplayData = nullptr;
cReplayData* ReplayDataPrev = nullptr;

namespace {

// Replay files from this version on carry the play record of the attempt's
// start, and their stage ends with its end mark.
constexpr int kRecordSinceVersion = 173;

template <typename T>
void ReadList(cRecordReader& in, cCheckedVector<T>& list, const char* what) {
  const std::uint32_t count = in.ReadCount(sizeof(T), what);
  list.assign(count, T{});
  if (count) in.ReadBytes(list.data(), count * sizeof(T));
}

template <typename T>
void WriteList(cRecordWriter& out, const cCheckedVector<T>& list) {
  out.WriteCount(list.size());
  if (!list.empty()) out.WriteBytes(list.data(), list.size() * sizeof(T));
}

void CheckRuns(cRecordReader& in, const cCheckedVector<std::uint32_t>& runs, std::size_t words, const char* what) {
  if (runs.size() != words) in.FailF("%zu %s run lengths for %zu words", runs.size(), what, words);
  for (std::uint32_t run : runs)
    if (run == 0) in.FailF("a %s run of no frames", what);
}

// One stream: the word of every run and how many frames each run lasts.
void AppendRun(cCheckedVector<WORD>& words, cCheckedVector<std::uint32_t>& runs, WORD word) {
  if (!words.empty() && words.back() == word && runs.back() < UINT32_MAX) {
    ++runs.back();
    return;
  }
  words.push_back(word);
  runs.push_back(1);
}

WORD NextWord(const cCheckedVector<WORD>& words, const cCheckedVector<std::uint32_t>& runs, int& index,
              std::uint32_t& position) {
  const WORD word = words.VecAt(index);
  if (++position >= runs.VecAt(index)) {
    position = 0;
    ++index;
  }
  return word;
}

// The whole file's content, read apart from what the program plays.
struct ReplayParts {
  cStageData stage;
  cReplayData replay;
  cSaveData record;
};

void ReadReplay(cRecordReader& in, ReplayParts& parts, const cLoadContext& ctx) {
  parts.stage.Load(in, ctx);
  if (in.Version() >= kRecordSinceVersion) {
    std::uint32_t mark = 0;
    std::memcpy(&mark, in.Data() + in.Offset() - sizeof mark, sizeof mark);
    if (mark != STAGE_END_MARK) in.FailF("the stage ends with %u instead of its end mark", mark);
  }
  if (!parts.stage.HasHero()) in.Fail("the stage has no hero");
  parts.replay.Load(in, ctx);
  if (in.Version() >= kRecordSinceVersion) parts.record.Load(in, ctx);
}

int LoadReplayWith(const std::function<bool(const std::function<void(cRecordReader&)>&)>& load, cReplayData& replay,
                   cStageData& stage, cStageData& stageOrg, cSaveData& record, const cLoadContext& ctx) {
  auto parts = std::make_unique<ReplayParts>();
  parts->record = record;  // an old file without a record leaves the play record as it is
  bool withRecord = false;
  if (!load([&](cRecordReader& in) {
        withRecord = in.Version() >= kRecordSinceVersion;
        ReadReplay(in, *parts, ctx);
      }))
    return 0;
  stage = std::move(parts->stage);
  stageOrg.CopySettings(stage);
  stageOrg.ClearDefinitions();
  replay = parts->replay;
  replay.m_bStartRecord = withRecord;
  RewindReplay(replay);
  if (withRecord) record = parts->record;
  return 1;
}

}  // namespace

cReplayData::cReplayData() { ResetFields(); }

void cReplayData::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_nSeed);
}

void cReplayData::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  ReadList(in, m_DirWords, "direction word");
  ReadList(in, m_ButtonWords, "button word");
  ReadList(in, m_DirRuns, "direction run");
  ReadList(in, m_ButtonRuns, "button run");
  CheckRuns(in, m_DirRuns, m_DirWords.size(), "direction");
  CheckRuns(in, m_ButtonRuns, m_ButtonWords.size(), "button");
}

void cReplayData::Save(cRecordWriter& out, const cLoadContext& ctx) {
  cDataRecord::Save(out, ctx);
  WriteList(out, m_DirWords);
  WriteList(out, m_ButtonWords);
  WriteList(out, m_DirRuns);
  WriteList(out, m_ButtonRuns);
}

void RewindReplay(cReplayData& replay) {
  replay.m_nDirIndex = replay.m_nButtonIndex = 0;
  replay.m_nDirRunPos = replay.m_nButtonRunPos = 0;
}

void ResetReplayData(cReplayData& replay) {
  replay.ResetFields();
  replay.m_DirWords.clear();
  replay.m_ButtonWords.clear();
  replay.m_DirRuns.clear();
  replay.m_ButtonRuns.clear();
  replay.m_bStartRecord = false;
  RewindReplay(replay);
}

void CopyReplay(cReplayData& destination, const cReplayData& source) {
  destination.m_DirWords = source.m_DirWords;
  destination.m_ButtonWords = source.m_ButtonWords;
  destination.m_DirRuns = source.m_DirRuns;
  destination.m_ButtonRuns = source.m_ButtonRuns;
  destination.m_nSeed = source.m_nSeed;
}

void RecordReplayFrame(cReplayData& replay, WORD dir, WORD button) {
  AppendRun(replay.m_DirWords, replay.m_DirRuns, dir);
  AppendRun(replay.m_ButtonWords, replay.m_ButtonRuns, button);
}

int PlayReplayFrame(cReplayData& replay, WORD& dir, WORD& button) {
  if (replay.m_nDirIndex >= static_cast<int>(replay.m_DirWords.size()) ||
      replay.m_nButtonIndex >= static_cast<int>(replay.m_ButtonWords.size()))
    return 1;
  dir = NextWord(replay.m_DirWords, replay.m_DirRuns, replay.m_nDirIndex, replay.m_nDirRunPos);
  button = NextWord(replay.m_ButtonWords, replay.m_ButtonRuns, replay.m_nButtonIndex, replay.m_nButtonRunPos);
  return 0;
}

void WriteReplay(cRecordWriter& out, cReplayData& replay, cStageData& stage, const cStageData& stageOrg,
                 cSaveData& record, const cLoadContext& ctx) {
  stage.SaveStageSnapshot(out, stageOrg, ctx);
  replay.Save(out, ctx);
  record.Save(out, ctx);
}

int SaveReplayFile(std::string_view path, cReplayData& replay, cStageData& stage, const cStageData& stageOrg,
                   cSaveData& record, const cLoadContext& ctx) {
  return SaveDataFile(path, [&](cRecordWriter& out) { WriteReplay(out, replay, stage, stageOrg, record, ctx); }) ? 1
                                                                                                                 : 0;
}

int LoadReplayFile(std::string_view path, cReplayData& replay, cStageData& stage, cStageData& stageOrg,
                   cSaveData& record, const cLoadContext& ctx) {
  return LoadReplayWith([&](const auto& read) { return LoadDataFile(path, read); }, replay, stage, stageOrg, record,
                        ctx);
}

int LoadReplayBytes(std::vector<std::uint8_t> bytes, cReplayData& replay, cStageData& stage, cStageData& stageOrg,
                    cSaveData& record, const cLoadContext& ctx) {
  return LoadReplayWith([&](const auto& read) { return LoadDataBytes(std::move(bytes), "replay", read); }, replay,
                        stage, stageOrg, record, ctx);
}

std::string ReplayExtension() {
  std::string extension;
  StrFormat(extension, "rpl4_%d", nCurVersion);
  return extension;
}

std::string DefaultReplayName(std::string_view stageName) {
  if (stageName.empty()) return {};
  std::string name;
  ChangeExtensionStr(name, stageName, ReplayExtension().c_str());
  StripDirectoryStr(name);
  const std::string path = "user_data\\rpl4\\" + name;
  std::string candidate;
  for (int n = 0; n <= 8; ++n) {
    for (int m = 0; m <= 8; ++m) {
      InsertNumberBeforeExtStr(candidate, path, n, m);
      if (!std::filesystem::exists(platform::ToHostPath(candidate))) {
        StripDirectoryStr(candidate);
        return candidate;
      }
    }
  }
  StripDirectoryStr(candidate);
  return candidate;
}
