// The whole player, the real program started headless with the virtual
// clock on a copy of the sample project. The stage benchmarks play a stage
// named on the command line for a fixed number of frames, timed by the wall
// clock from start to exit: beside the logic of bench_stage this counts
// start-up, set-up, drawing every frame and shutting down, and "x_realtime"
// is how many times faster than 60 frames a second the run goes. FirstFrame
// times the start up to the first frame handed over.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

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

// A copy of the sample project in a folder of its own, entered, with a
// runtime folder and a trace file for the runs in it.
class ProjectCopy {
 public:
  ProjectCopy() : m_project(/*enter=*/true) {
    std::error_code copied;
    fs::copy(SAMPLE_PROJECT_DIR, m_project.Path(), fs::copy_options::recursive, copied);
    if (copied) m_error = "the sample project does not copy: " + copied.message();
  }
  const std::string& Error() const { return m_error; }
  fs::path File(const char* name) const { return m_project / name; }

  // The variables of a headless run on the virtual clock for the frames.
  std::map<std::string, std::string> Env(int frames) const {
    return {{"ZANDREL_HEADLESS", "1"},
            {"ZANDREL_FAST", "1"},
            {"ZANDREL_FRAMES", std::to_string(frames)},
            {"ZANDREL_RUNTIME_DIR", m_runtime.Path().string()},
            {"ZANDREL_TRACE", File("trace.txt").string()},
            {"SDL_VIDEODRIVER", "dummy"},
            {"SDL_AUDIODRIVER", "dummy"}};
  }
  // Runs the player to its end: its exit status and the wall-clock seconds.
  std::pair<int, double> Run(const std::string& argument, const std::map<std::string, std::string>& env) const {
    const auto start = std::chrono::steady_clock::now();
    const int status = testsupport::RunProgram(ZANDREL_PROGRAM, argument, m_project.Path(), env);
    return {status, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
  }

 private:
  TempDir m_project;
  TempDir m_runtime;
  std::string m_error;
};

std::string StageArgument(const char* stage) { return std::string(stage) + "." + ExtensionTable[EXT_STAGE]; }

// Plays `frames` frames of the stage per iteration; "x_realtime" counts them against 60 a second.
void StageProgram(benchmark::State& state, const ProjectCopy& project, const char* stage, int frames, int minCharas) {
  const fs::path trace = project.File("trace.txt");
  double seconds = 0;
  TracedRun traced;
  for (auto _ : state) {
    fs::remove(trace);
    const auto [status, run] = project.Run(StageArgument(stage), project.Env(frames));
    if (status != 0) {
      state.SkipWithError(("the player exited with status " + std::to_string(status)).c_str());
      return;
    }
    traced = ReadTrace(ReadFile(trace));
    if (traced.charas < minCharas || traced.playFrames == 0) {
      state.SkipWithError("the trace shows no play of the stage");
      return;
    }
    state.SetIterationTime(run);
    seconds += run;
  }
  state.counters["frames"] = frames;
  state.counters["play_frames"] = traced.playFrames;
  state.counters["charas"] = traced.charas;
  state.counters["x_realtime"] = static_cast<double>(frames) * static_cast<double>(state.iterations()) / seconds / 60.0;
}

void DenseStageProgram(benchmark::State& state) {
  ProjectCopy project;
  std::string error = project.Error();
  if (error.empty()) error = WriteDenseStage();
  if (!error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  StageProgram(state, project, kStageFile, kFrames, kMinCharas);
}
BENCHMARK(DenseStageProgram)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The sample's first stage, as a player meets it: a minute of play.
void SampleStageProgram(benchmark::State& state) {
  ProjectCopy project;
  if (!project.Error().empty()) {
    state.SkipWithError(project.Error().c_str());
    return;
  }
  StageProgram(state, project, "data\\stg4\\s01-1", 3600, 1);
}
BENCHMARK(SampleStageProgram)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The wall-clock time from starting the player to its first frame handed
// over, read from the frame log as soon as it has a line: the title (no
// argument) or a stage named on the command line.
void FirstFrame(benchmark::State& state, const char* stage) {
  ProjectCopy project;
  if (!project.Error().empty()) {
    state.SkipWithError(project.Error().c_str());
    return;
  }
  const fs::path log = project.File("frames.txt");
  auto env = project.Env(1);
  env["ZANDREL_FRAME_LOG"] = log.string();
  for (auto _ : state) {
    fs::remove(log);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child =
        testsupport::StartProgram(ZANDREL_PROGRAM, *stage ? StageArgument(stage) : "", fs::current_path(), env);
    while (ReadFile(log).find('\n') == std::string::npos && waitpid(child, nullptr, WNOHANG) == 0)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int status = testsupport::WaitProgram(child);
    if (ReadFile(log).empty() || status > 0) {
      state.SkipWithError("the player handed over no frame");
      return;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK_CAPTURE(FirstFrame, title, "")->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstFrame, stage, "data\\stg4\\s01-1")
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
