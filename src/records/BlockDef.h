#pragma once
// A kind of map block: graphic, layer, collision, the effect on characters
// standing on it, the item it hands out and its appearance conditions. Palette
// entries, placed blocks and map cells are all block definitions.
#include <cstdint>
#include <string>

#include "library/util/CheckedVector.h"
#include "records/DataRecord.h"
#include "records/Flow.h"
#include "records/Inherit.h"
#include "records/SpriteKind.h"

// Hit kinds of a block.
constexpr int kBlockHitNone = 0;
constexpr int kBlockHitSolid = 1;
constexpr int kBlockHitDeadly = 2;

constexpr std::size_t kBlockInheritGroups = 11;

class cBlockDef final : public cDataRecord {
 public:
  cBlockDef() { SetDefault(); }
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();

  void Inherit(const cLoadContext& ctx);
  void Validate(const cLoadContext& ctx);
  void ValidatePaletteRefs(const cLoadContext& ctx);

  std::int16_t m_nMapX = 0;  // cell of a placed block, stored after the body
  std::int16_t m_nMapY = 0;
  cInheritLink m_Inherit;
  std::string m_strName;
  cCheckedVector<cCondition> m_vConditions;  // appearance conditions
  std::int8_t m_nCondMode = 0;               // 0 all must hold, 1 at least one
  std::int8_t m_bCondLatch = 0;              // 1: once appeared, it stays
  std::int16_t m_nChip = 0;                  // 0: no block
  std::int8_t m_nGraphicSrc = SPRITEKIND_BLOCK;
  std::int16_t m_nColumn = 0;
  std::int8_t m_nLayer = 0;  // 0 behind the characters, 1 in front
  std::int8_t m_bHidden = 0;
  std::int8_t m_bOverlay = 0;
  std::int16_t m_nOverlayMark = 0;  // cell of the mark sheet
  std::int8_t m_nHitKind = kBlockHitSolid;
  std::int8_t m_nPassGroup = -1;  // stored 255: no group passes
  std::int8_t m_nEffectKind = 0;
  std::int32_t m_nEffectValue = 0;
  std::int8_t m_nItemSrc = kPaletteNone;
  std::int16_t m_nItemIdx = 0;
  std::int8_t m_bProtected = 0;  // the block-summon command leaves it alone
};

// One cell of the running stage's map.
struct MAPCELL {
  cBlockDef block;
  std::int32_t nAppeared = 0;  // 1 once the appearance conditions have held
};

// The collision kind of a map cell for an object of group `group`.
BYTE GetBlockHit(MAPCELL& cell, int group);

struct DDSURFACEDATA;
// The user surface of the mark sheet ("bmp\Mark.bmp"); 15 marks a column.
constexpr int kMarkSheetSurface = 43;
constexpr int kMarksPerColumn = 15;
constexpr int kBlockCellSize = 32;
// The top-left pixel of a mark in the mark sheet.
constexpr POINT MarkCell(int mark) {
  return {(mark / kMarksPerColumn) * kBlockCellSize, (mark % kMarksPerColumn) * kBlockCellSize};
}
// Draws the block's chip at pixel (x, y) of `target` with the colour key, then
// its overlay mark when it has one.
void DrawBlock(const cBlockDef& block, DDSURFACEDATA* target, int x, int y);
