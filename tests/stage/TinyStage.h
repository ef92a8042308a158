#pragma once
// The tiny stage the stage-play tests build in memory: 40 x 15 cells at
// collision level 1, a floor on row 12 and the hero standing on it at (2, 11).
#include <cstdint>

#include "records/StageData.h"

namespace tinystage {

constexpr int kW = 40, kH = 15;

inline cCharaDef Placed(int x, int y, int controller) {
  cCharaDef def;
  def.m_nMapX = static_cast<std::int16_t>(x);
  def.m_nMapY = static_cast<std::int16_t>(y);
  def.m_nOperator = static_cast<std::int8_t>(controller);
  def.m_nCarriedItem = -1;
  def.m_nMaxHp = 10;
  def.m_nGraphic = 1;  // a placement without a graphic is not the hero
  return def;
}

inline cBlockDef Block(int x, int y, int hitKind) {
  cBlockDef block;
  block.m_nMapX = static_cast<std::int16_t>(x);
  block.m_nMapY = static_cast<std::int16_t>(y);
  block.m_nChip = 1;
  block.m_nHitKind = static_cast<std::int8_t>(hitKind);
  return block;
}

// The floor's blocks are of the given hit kind.
inline void Build(cStageData& stage, int floorHitKind) {
  stage.m_nMapWidth = kW;
  stage.m_nMapHeight = kH;
  stage.m_nCollisionLevel = 1;
  stage.m_dGravity = 0.4;
  // The active world (extent + 640 dots) covers the whole map with its margins.
  stage.m_nExtentX = (kW + 20) * 32 - 640;
  stage.m_nExtentY = (kH + 20) * 32 - 640;
  for (int x = 0; x < kW; ++x) stage.m_PlacedBlocks.push_back(Block(x, 12, floorHitKind));
  stage.m_PlacedCharas.push_back(Placed(2, 11, 0));
}

}  // namespace tinystage
