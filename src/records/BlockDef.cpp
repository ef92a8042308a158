#include "records/BlockDef.h"

#include "library/draw/Draw.h"
#include "records/DefinitionGroups.h"
#include "records/ItemDef.h"
#include "records/RecordHooks.h"

namespace {

const InheritTable<cBlockDef, kBlockInheritGroups> BlockInheritTable = {
    CopyNameGroup<cBlockDef>,
    CopyAppearanceGroup<cBlockDef>,
    +[](cBlockDef& d, const cBlockDef& s) {
      d.m_nGraphicSrc = s.m_nGraphicSrc;
      d.m_nChip = s.m_nChip;
      d.m_nColumn = s.m_nColumn;
    },
    +[](cBlockDef& d, const cBlockDef& s) { d.m_nLayer = s.m_nLayer; },
    +[](cBlockDef& d, const cBlockDef& s) { d.m_bHidden = s.m_bHidden; },
    +[](cBlockDef& d, const cBlockDef& s) {
      d.m_bOverlay = s.m_bOverlay;
      d.m_nOverlayMark = s.m_nOverlayMark;
    },
    +[](cBlockDef& d, const cBlockDef& s) { d.m_nHitKind = s.m_nHitKind; },
    +[](cBlockDef& d, const cBlockDef& s) { d.m_nPassGroup = s.m_nPassGroup; },
    +[](cBlockDef& d, const cBlockDef& s) {
      d.m_nEffectKind = s.m_nEffectKind;
      d.m_nEffectValue = s.m_nEffectValue;
    },
    +[](cBlockDef& d, const cBlockDef& s) {
      d.m_nItemSrc = s.m_nItemSrc;
      d.m_nItemIdx = s.m_nItemIdx;
    },
    +[](cBlockDef& d, const cBlockDef& s) { d.m_bProtected = s.m_bProtected; },
};

}  // namespace

void cBlockDef::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField1(m_Inherit.nInheritSrc);
  AddField2(m_Inherit.nInheritIdx);
  AddField1(m_nCondMode);
  AddField1(m_bCondLatch);
  AddField2(m_nChip);
  AddField1(m_nGraphicSrc);
  AddField2(m_nColumn);
  AddField1(m_nLayer);
  AddField1(m_bHidden);
  AddField1(m_bOverlay);
  AddField2(m_nOverlayMark);
  AddField1(m_nHitKind);
  AddField1(m_nPassGroup);
  AddField1(m_nEffectKind);
  AddField4(m_nEffectValue);
  AddField1(m_nItemSrc);
  AddField2(m_nItemIdx);
  AddField1(m_bProtected);
  AddStrField(m_strName);
}

void cBlockDef::SetDefault() {
  ResetFields();
  m_nMapX = m_nMapY = 0;
  m_Inherit.InheritFlags.assign(kBlockInheritGroups, 0);
  m_vConditions.clear();
  m_nHitKind = kBlockHitSolid;
  m_nPassGroup = -1;
}

void cBlockDef::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  m_nMapX = in.Read<std::int16_t>();
  m_nMapY = in.Read<std::int16_t>();
  m_Inherit.LoadFlags(in, kBlockInheritGroups);
  LoadConditions(m_vConditions, in, ctx);
  m_nChip = UpgradeDefinitionChip(in.Version(), m_nGraphicSrc, m_nChip);
  Inherit(ctx);
  Validate(ctx);
}

void cBlockDef::Save(cRecordWriter& out, const cLoadContext& ctx) {
  Validate(ctx);
  cDataRecord::Save(out, ctx);
  out.Write(m_nMapX);
  out.Write(m_nMapY);
  m_Inherit.SaveFlags(out);
  SaveRecordList(out, ctx, m_vConditions);
}

void cBlockDef::Inherit(const cLoadContext& ctx) { InheritFromPalette(*this, m_Inherit, ctx, BlockInheritTable); }

void cBlockDef::Validate(const cLoadContext& ctx) {
  ValidateInheritRef<cBlockDef>(m_Inherit, ctx);
  // An empty cell neither collides nor needs protecting.
  if (m_nChip == 0) {
    m_nHitKind = 0;
    m_bProtected = 0;
  }
}

void cBlockDef::ValidatePaletteRefs(const cLoadContext& ctx) {
  ValidatePaletteRef<cItemDef>(m_nItemSrc, m_nItemIdx, ctx, "item index");
}

BYTE GetBlockHit(MAPCELL& cell, int group) {
  const cBlockDef& block = cell.block;
  if (!block.m_vConditions.empty() && !RecordHooks().CheckBlockAppear(cell)) return 0;
  if (block.m_nPassGroup == group) return 0;
  return static_cast<BYTE>(block.m_nHitKind);
}

void DrawBlock(const cBlockDef& block, DDSURFACEDATA* target, int x, int y) {
  SPRITESOURCE source;
  if (RecordHooks().SetSpriteSource(block.m_nGraphicSrc, block.m_nChip, block.m_nColumn, source) && source.lpSurface)
    DDBlt(target, x, y, kBlockCellSize, kBlockCellSize, source.lpSurface, source.x, source.y, 1);
  if (block.m_bOverlay != 1 || !lpUserSD) return;
  const POINT mark = MarkCell(block.m_nOverlayMark);
  DDBlt(target, x, y, kBlockCellSize, kBlockCellSize, &lpUserSD[kMarkSheetSurface], mark.x, mark.y, 1);
}
