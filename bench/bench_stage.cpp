// The play frames of the dense stage, in memory: logic only, nothing drawn;
// once as it is, once with shooters that keep about 500 shots in flight, and
// once with those shots hitting every walker they cross, on screen or not.
// "x_realtime" is how many times faster than 60 frames a second they run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>

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

// A burst of ten shots that live a second, then a second's rest, for ever.
cFlow BurstFlow() {
  cFlowCommand shot;
  shot.m_nType = CMD_SHOT;
  shot.m_vParams.resize(16, 0);
  NewEdShot(shot.m_pShot);
  cEdShot& s = *shot.m_pShot;
  s.m_nPattern = 4;  // explode
  s.m_nShotCount = 10;
  s.m_nSpeed = 20;
  s.m_bLifetime = 1;
  s.m_nLifetime = 10;
  cFlowCommand wait;
  wait.m_nType = CMD_WAIT;
  wait.m_nTime = 10;
  wait.m_vParams.resize(16, 0);
  cFlow flow;
  flow.m_nTrigger = TRG_ALWAYS;
  flow.m_vCommands = {shot, wait};
  return flow;
}

constexpr int kShooters = 50;

enum class Shots { kNone, kFlying, kHitting };

// Hits on: the shooters are a side of their own whose piercing shots hurt
// every walker they cross, anywhere on the map; the walkers take it for the
// whole run, and the hero, hit as well, loses no HP.
void ArmForHits(cStageData& stage, cCharaDef& hero, cCharaDef& walker, cCharaDef& shooter) {
  stage.m_bActiveHitsOnly = 0;
  stage.m_CharaBox[4] = stage.m_HeroBox[4] = {24, 24};  // damage boxes: the dense stage has none
  hero.m_nInvincible = 1;
  walker.m_nMaxHp = 999999;
  shooter.m_nGroup = 2;  // the others are of faction 1
  cEdShot& s = *shooter.m_vFlows.VecAt(0).m_vCommands.VecAt(0).m_pShot;
  s.m_nPower = 1;
  s.m_bPierceChara = 1;
}

// The hero (controller 0) and walkers of controller 1 on a floor of chip 1;
// with shots, 50 flying characters in the walkers' wake group fire bursts.
void BuildDenseStage(cStageData& stage, Shots shots) {
  cBlockDef floor;
  floor.m_nChip = 1;
  cCharaDef hero = Chara(0);
  cCharaDef walker = Chara(1);
  walker.m_vFlows.push_back(PatrolFlow());
  cCharaDef shooter = Chara(1);
  shooter.m_vFlows.push_back(BurstFlow());
  if (shots == Shots::kHitting) ArmForHits(stage, hero, walker, shooter);
  bench::BuildDenseStage(stage, floor, hero, walker);
  if (shots == Shots::kNone) return;
  // Shots off screen fly on until their lifetime ends, as most shooters are off screen.
  for (int rule : {3, 4}) stage.m_OutAreaRules[static_cast<std::size_t>(rule)].m_bSwitch.fill(0);
  shooter.m_nFlying = 1;
  shooter.m_bGroupActivation = 1, shooter.m_nActivationGroup = bench::kDenseWakeGroup;
  for (int i = 0; i < kShooters; ++i)
    stage.m_PlacedCharas.push_back(mkproject::PlacedAt(shooter, 6 + i * 3, 2 + i % 6));
}

void StageFrames(benchmark::State& state, Shots shots) {
  cStageData stage;
  BuildDenseStage(stage, shots);
  StageData = StageDataOrg = &stage;
  KeyInputList.assign(1, cKeyInput{});
  cStagePlayScene scene;
  SetStage(scene, 1, 1);
  int awake = 0;
  for (const cNpc& c : scene.CharaList) awake += c.m_bAwake;
  std::chrono::steady_clock::duration spent{};
  long long frames = 0;
  std::size_t liveShots = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (RunPlayFrame(scene) != 0 || scene.Hero().m_bDying) SetStage(scene, 1, 0);
    spent += std::chrono::steady_clock::now() - start;
    ++frames;
    liveShots += scene.m_ShotList.size();
  }
  const double seconds = std::chrono::duration<double>(spent).count();
  // The HP the characters lost since the last set-up: the shots do hit.
  long long hpLost = 0;
  for (const cNpc& c : scene.CharaList) hpLost += c.m_Def.m_nMaxHp - c.m_nHp;
  state.counters["awake"] = awake;
  state.counters["hp_lost"] = static_cast<double>(hpLost);
  state.counters["live_shots"] = frames ? static_cast<double>(liveShots) / static_cast<double>(frames) : 0.0;
  state.counters["x_realtime"] = seconds > 0 ? static_cast<double>(frames) / seconds / 60.0 : 0.0;
  CurrentPlayScene = nullptr;
  StageData = StageDataOrg = nullptr;
  KeyInputList.clear();
}

void DenseStageFrames(benchmark::State& state) { StageFrames(state, Shots::kNone); }
void DenseStageWithShotsFrames(benchmark::State& state) { StageFrames(state, Shots::kFlying); }
void DenseStageWithShotHitsFrames(benchmark::State& state) { StageFrames(state, Shots::kHitting); }

BENCHMARK(DenseStageFrames);
BENCHMARK(DenseStageWithShotsFrames);
BENCHMARK(DenseStageWithShotHitsFrames);

}  // namespace
