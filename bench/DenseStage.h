#pragma once
// The dense stage the stage benchmarks run: a wide map whose floor has gaps
// the walkers turn at, the hero at its left end and 240 walkers spread over
// it, dropped in from staggered heights. The walkers share a wake group, so
// the one in view wakes them all and every one of them acts every frame.
#include "mkproject/Definitions.h"
#include "records/StageData.h"

namespace bench {

constexpr int kDenseMapWidth = 200;
constexpr int kDenseMapHeight = 15;
constexpr int kDenseFloorRow = 12;
constexpr int kDenseWalkers = 240;
constexpr int kDenseWakeGroup = 1;

// Sizes `stage`'s map and places copies of `floor`, `hero` and `walker` on it.
inline void BuildDenseStage(cStageData& stage, const cBlockDef& floor, const cCharaDef& hero, const cCharaDef& walker) {
  stage.m_nMapWidth = kDenseMapWidth, stage.m_nMapHeight = kDenseMapHeight;
  // The active world covers the map with its 10-cell margins; two logic steps a frame.
  stage.m_nExtentX = (kDenseMapWidth + 20) * 32 - 640, stage.m_nExtentY = (kDenseMapHeight + 20) * 32 - 640;
  stage.m_nCollisionLevel = 2, stage.m_dGravity = 0.4;
  for (int x = 0; x < kDenseMapWidth; ++x)
    if (x % 17 != 9) stage.m_PlacedBlocks.push_back(mkproject::PlacedAt(floor, x, kDenseFloorRow));
  stage.m_PlacedCharas.push_back(mkproject::PlacedAt(hero, 2, kDenseFloorRow - 1));
  cCharaDef waking = walker;
  waking.m_bGroupActivation = 1, waking.m_nActivationGroup = kDenseWakeGroup;
  for (int i = 0; i < kDenseWalkers; ++i)
    stage.m_PlacedCharas.push_back(mkproject::PlacedAt(waking, 4 + (i * 7) % (kDenseMapWidth - 8), 3 + i % 8));
}

}  // namespace bench
