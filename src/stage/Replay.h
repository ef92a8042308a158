#pragma once
// Replays: the input of one stage attempt with its random seed, run-length
// coded, and the replay file that keeps it together with the stage and the
// play record at the attempt's start, so that playback repeats the attempt.
#include <cstdint>
#include <string>
#include <string_view>

#include "library/util/CheckedVector.h"
#include "platform/WinTypes.h"
#include "records/DataRecord.h"

class cSaveData;
class cStageData;

class cReplayData final : public cDataRecord {
 public:
  cReplayData();
  void RegisterFields(int nVersion) override;
  // The record body and the four streams. A damaged stream (a run-length
  // list not as long as its word list, a run of no frames) fails the load.
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;

  cCheckedVector<WORD> m_DirWords;
  cCheckedVector<WORD> m_ButtonWords;
  cCheckedVector<std::uint32_t> m_DirRuns;
  cCheckedVector<std::uint32_t> m_ButtonRuns;
  std::int32_t m_nSeed = 0;
  // Playback cursors; never saved.
  int m_nDirIndex = 0;
  int m_nButtonIndex = 0;
  std::uint32_t m_nDirRunPos = 0;
  std::uint32_t m_nButtonRunPos = 0;
  // Set by a load from a file that carries the play record of the attempt's
  // start (files from version 173 on); never saved.
  bool m_bStartRecord = false;
};

// The attempt in progress (F1 saves it) and the previous one (F2).
extern cReplayData* ReplayData;
extern cReplayData* ReplayDataPrev;

// Seed 0, the streams emptied, the cursors at the start.
void ResetReplayData(cReplayData& replay);
void RewindReplay(cReplayData& replay);
// The streams and the seed; the cursors stay.
void CopyReplay(cReplayData& destination, const cReplayData& source);
void RecordReplayFrame(cReplayData& replay, WORD dir, WORD button);
// 1 when either stream is used up (the words are left alone), else 0.
int PlayReplayFrame(cReplayData& replay, WORD& dir, WORD& button);

// The replay file: the version word, the stage (the definitions of the stage
// being played with the settings of the stage as loaded), the replay, the
// play record. WriteReplay writes what follows the version word; SaveReplayFile
// gives 0 when the file cannot be written (an old file stays whole).
void WriteReplay(cRecordWriter& out, cReplayData& replay, cStageData& stage, const cStageData& stageOrg,
                 cSaveData& record, const cLoadContext& ctx);
int SaveReplayFile(std::string_view path, cReplayData& replay, cStageData& stage, const cStageData& stageOrg,
                   cSaveData& record, const cLoadContext& ctx);
// Reads everything into scratch objects and commits only a whole, sound file:
// `stage` takes the stage, `stageOrg` its settings, `record` the play record
// (files from version 173 on). 0, with nothing changed, when the file cannot be
// opened or is damaged.
int LoadReplayFile(std::string_view path, cReplayData& replay, cStageData& stage, cStageData& stageOrg,
                   cSaveData& record, const cLoadContext& ctx);
// The same over bytes in memory (fuzz targets, tests).
int LoadReplayBytes(std::vector<std::uint8_t> bytes, cReplayData& replay, cStageData& stage, cStageData& stageOrg,
                    cSaveData& record, const cLoadContext& ctx);

// "rpl4_" and the data version: the extension replay files are written with.
std::string ReplayExtension();
// The name the save dialog proposes for a stage: the stage's name with the
// replay extension in "user_data\rpl4\", with the first of the suffixes _00 ..
// _88 that no file has yet (_88 when all have), without its folder; empty
// without a stage name.
std::string DefaultReplayName(std::string_view stageName);
