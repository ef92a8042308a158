// Replay files from anywhere: loading never crashes, hangs or allocates
// without bound, a refused file changes nothing, and what loads saves back
// consistently.
#include "FuzzRecords.h"
#include "gamedata/SaveData.h"
#include "records/StageData.h"
#include "stage/Replay.h"

namespace {

struct Loaded {
  cReplayData replay;
  cStageData stage, settings;
  cSaveData record;

  bool Load(const std::uint8_t* data, std::size_t size) {
    return LoadReplayBytes(std::vector<std::uint8_t>(data, data + size), replay, stage, settings, record,
                           fuzzrecords::Context()) == 1;
  }
  std::vector<std::uint8_t> Save() {
    cRecordWriter out;
    out.WriteI32(nCurVersion);
    WriteReplay(out, replay, stage, settings, record, fuzzrecords::Context());
    return out.Bytes();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Loaded first;
  first.replay.m_nSeed = 12345;
  if (!first.Load(data, size)) {
    if (first.replay.m_nSeed != 12345 || !first.stage.m_PlacedCharas.empty()) std::abort();
    return 0;
  }
  std::vector<std::uint8_t> saved = first.Save();
  Loaded again;
  if (!again.Load(saved.data(), saved.size())) std::abort();
  if (again.Save() != saved) std::abort();
  return 0;
}
