// The whole player on the dense stage: the real program started headless
// with the virtual clock on a copy of the sample project, the stage given on
// its command line, for a fixed number of frames, timed by the wall clock
// from its start to its exit. Beside the logic of bench_stage this counts
// start-up, set-up, drawing every frame and shutting down. "x_realtime" is
// how many times faster than 60 frames a second the run goes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <system_error>

#include "DenseStage.h"
#include "gamedata/PathTable.h"
#include "gamedata/ProjectContext.h"
#include "library/util/Text.h"
#include "mkproject/Definitions.h"
#include "records/Palette.h"
#include "records/StageData.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

constexpr int kFrames = 3000;
constexpr int kMinCharas = 200;
constexpr const char* kStageFile = "data\\stg4\\Dense";

// The dense stage made of the sample palette's ground, hero and slow walker,
// saved in the project of the current folder. The walkers are made harmless
// so that the hero is never lost and the whole run plays one attempt.
std::string WriteDenseStage() {
  cStandaloneContext context;
  if (!LoadProjectContext(context)) return "the sample project's databases or palette do not load";
  const cPalette& palette = context.CommonPalette();
  if (palette.m_Blocks.size() <= mkproject::kGroundBlock || palette.m_Charas.size() <= mkproject::kSlowEnemy)
    return "the sample palette lacks its ground block or its walker";
  cStageData stage;
  stage.SetDefault();
  stage.m_strName = "Dense";
  stage.m_PaletteBlocks = palette.m_Blocks;
  stage.m_PaletteCharas = palette.m_Charas;
  stage.m_PaletteItems = palette.m_Items;
  cCharaDef walker = palette.m_Charas.VecAt(mkproject::kSlowEnemy);
  walker.m_nBodyPower = 0;
  bench::BuildDenseStage(stage, palette.m_Blocks.VecAt(mkproject::kGroundBlock),
                         palette.m_Charas.VecAt(mkproject::kHeroChara), walker);
  std::string path;
  StrFormat(path, "%s.%s_%03d", kStageFile, ExtensionTable[EXT_STAGE], nCurVersion);
  if (!stage.SaveToFile(path, context.Get())) return "the dense stage does not save";
  return "";
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// What the trace of a run tells: the characters the set-up placed and the
// frames of stage play.
struct TracedRun {
  int charas = -1;
  int playFrames = 0;
};

TracedRun ReadTrace(const std::string& trace) {
  TracedRun run;
  std::istringstream lines(trace);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("SetStage seed=", 0) == 0)
      std::sscanf(line.c_str() + line.find(" charas="), " charas=%d", &run.charas);
    if (line.rfind("Frame ", 0) == 0) ++run.playFrames;
  }
  return run;
}

void DenseStageProgram(benchmark::State& state) {
  TempDir project(/*enter=*/true);
  TempDir runtime;
  std::error_code copied;
  fs::copy(SAMPLE_PROJECT_DIR, project.Path(), fs::copy_options::recursive, copied);
  if (copied) {
    state.SkipWithError(("the sample project does not copy: " + copied.message()).c_str());
    return;
  }
  if (const std::string error = WriteDenseStage(); !error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  const fs::path trace = project / "trace.txt";
  const std::map<std::string, std::string> env = {{"ZANDREL_HEADLESS", "1"},
                                                  {"ZANDREL_FAST", "1"},
                                                  {"ZANDREL_FRAMES", std::to_string(kFrames)},
                                                  {"ZANDREL_RUNTIME_DIR", runtime.Path().string()},
                                                  {"ZANDREL_TRACE", trace.string()},
                                                  {"SDL_VIDEODRIVER", "dummy"},
                                                  {"SDL_AUDIODRIVER", "dummy"}};
  const std::string argument = std::string(kStageFile) + "." + ExtensionTable[EXT_STAGE];
  double seconds = 0;
  TracedRun traced;
  for (auto _ : state) {
    fs::remove(trace);
    const auto start = std::chrono::steady_clock::now();
    const int status = testsupport::RunProgram(ZANDREL_PROGRAM, argument, project.Path(), env);
    const double run = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) {
      state.SkipWithError(("the player exited with status " + std::to_string(status)).c_str());
      return;
    }
    traced = ReadTrace(ReadFile(trace));
    if (traced.charas < kMinCharas || traced.playFrames == 0) {
      state.SkipWithError("the trace shows no play of the dense stage");
      return;
    }
    state.SetIterationTime(run);
    seconds += run;
  }
  state.counters["frames"] = kFrames;
  state.counters["play_frames"] = traced.playFrames;
  state.counters["charas"] = traced.charas;
  state.counters["x_realtime"] = static_cast<double>(kFrames) * state.iterations() / seconds / 60.0;
}

BENCHMARK(DenseStageProgram)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
