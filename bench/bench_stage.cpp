// The play frames of the dense stage, in memory: logic only, nothing drawn.
// "x_realtime" is how many times faster than 60 frames a second they run.
#include <benchmark/benchmark.h>

#include <chrono>

#include "DenseStage.h"
#include "library/input/KeyInput.h"
#include "records/FlowEnums.h"
#include "records/StageData.h"
#include "stage/StagePlay.h"
#include "stage/StageSetup.h"

namespace {

cCharaDef Chara(int controller) {
  cCharaDef def;
  def.m_nOperator = static_cast<std::int8_t>(controller);
  def.m_nGraphic = 1, def.m_nMaxHp = 10, def.m_nCarriedItem = -1;
  return def;
}

// Walks and turns around at ledges and walls, for ever.
cFlow PatrolFlow() {
  cFlowCommand move;
  move.m_nType = CMD_GROUND_TURN_MOVE;
  move.m_nTime = 100;
  move.m_vParams.resize(16, 0);
  NewEdMove(move.m_pMove);
  move.m_pMove->m_nSpeed = 15;
  cFlow flow;
  flow.m_nTrigger = TRG_ALWAYS;
  flow.m_vCommands.push_back(move);
  return flow;
}

// The hero (controller 0) and walkers of controller 1 on a floor of chip 1.
void BuildDenseStage(cStageData& stage) {
  cBlockDef floor;
  floor.m_nChip = 1;
  cCharaDef walker = Chara(1);
  walker.m_vFlows.push_back(PatrolFlow());
  bench::BuildDenseStage(stage, floor, Chara(0), walker);
}

void DenseStageFrames(benchmark::State& state) {
  cStageData stage;
  BuildDenseStage(stage);
  StageData = StageDataOrg = &stage;
  KeyInputList.assign(1, cKeyInput{});
  cStagePlayScene scene;
  SetStage(scene, 1, 1);
  int awake = 0;
  for (const cNpc& c : scene.CharaList) awake += c.m_bAwake;
  std::chrono::steady_clock::duration spent{};
  long long frames = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (RunPlayFrame(scene) != 0 || scene.Hero().m_bDying) SetStage(scene, 1, 0);
    spent += std::chrono::steady_clock::now() - start;
    ++frames;
  }
  const double seconds = std::chrono::duration<double>(spent).count();
  state.counters["awake"] = awake;
  state.counters["x_realtime"] = seconds > 0 ? static_cast<double>(frames) / seconds / 60.0 : 0.0;
  CurrentPlayScene = nullptr;
  StageData = StageDataOrg = nullptr;
  KeyInputList.clear();
}

BENCHMARK(DenseStageFrames);

}  // namespace
