// A dense stage run headless: 240 patrolling characters, all awake through
// their wake group, on a floor with gaps, and the hero walking. "x_realtime"
// is how many times faster than 60 frames a second the play frames run.
#include <benchmark/benchmark.h>

#include <chrono>

#include "library/input/KeyInput.h"
#include "records/FlowEnums.h"
#include "records/StageData.h"
#include "stage/StagePlay.h"
#include "stage/StageSetup.h"

namespace {

constexpr int kMapW = 200, kMapH = 15, kCharas = 240;

// A placement of the hero (controller 0) or of a walker of wake group 1.
cCharaDef Placement(int x, int y, int controller) {
  cCharaDef def;
  def.m_nOperator = static_cast<std::int8_t>(controller);
  def.m_nMapX = static_cast<std::int16_t>(x), def.m_nMapY = static_cast<std::int16_t>(y);
  def.m_nGraphic = 1, def.m_nMaxHp = 10, def.m_nCarriedItem = -1;
  def.m_bGroupActivation = 1, def.m_nActivationGroup = 1;
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

void BuildDenseStage(cStageData& stage) {
  stage.m_nMapWidth = kMapW, stage.m_nMapHeight = kMapH;
  // The active world covers the map with its margins; two logic steps a frame.
  stage.m_nExtentX = (kMapW + 20) * 32 - 640, stage.m_nExtentY = (kMapH + 20) * 32 - 640;
  stage.m_nCollisionLevel = 2, stage.m_dGravity = 0.4;
  for (int x = 0; x < kMapW; ++x) {
    if (x % 17 == 9) continue;  // gaps the walkers turn at
    cBlockDef block;
    block.m_nMapX = static_cast<std::int16_t>(x);
    block.m_nMapY = 12;
    block.m_nChip = 1;
    stage.m_PlacedBlocks.push_back(block);
  }
  stage.m_PlacedCharas.push_back(Placement(2, 11, 0));
  for (int i = 0; i < kCharas; ++i) {
    cCharaDef walker = Placement(4 + (i * 7) % (kMapW - 8), 3 + i % 8, 1);
    walker.m_vFlows.push_back(PatrolFlow());
    stage.m_PlacedCharas.push_back(walker);
  }
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
