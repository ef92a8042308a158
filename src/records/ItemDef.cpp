#include "records/ItemDef.h"

#include "records/DefinitionGroups.h"
#include "records/SpriteKind.h"
#include "records/Validate.h"

namespace {

using Item = cItemDef;

const InheritTable<Item, kItemInheritGroups> ItemInheritTable = {
    CopyNameGroup<Item>,
    CopyAppearanceGroup<Item>,
    [](Item& d, const Item& s) { d.m_nDrawOffsetX = s.m_nDrawOffsetX; },
    [](Item& d, const Item& s) { d.m_nDrawOffsetY = s.m_nDrawOffsetY; },
    [](Item& d, const Item& s) {
      d.m_nGraphicSrc = s.m_nGraphicSrc;
      d.m_nGraphic = s.m_nGraphic;
      d.m_nGraphicCol = s.m_nGraphicCol;
    },
    [](Item& d, const Item& s) { d.m_nZ = s.m_nZ; },
    [](Item& d, const Item& s) { d.m_bHidden = s.m_bHidden; },
    [](Item& d, const Item& s) {
      d.m_bMark = s.m_bMark;
      d.m_nMark = s.m_nMark;
    },
    [](Item& d, const Item& s) { d.m_nSize = s.m_nSize; },
    [](Item& d, const Item& s) { d.m_nPickUpMode = s.m_nPickUpMode; },
    [](Item& d, const Item& s) { d.m_bShowGraphic = s.m_bShowGraphic; },
    [](Item& d, const Item& s) { d.m_nSound = s.m_nSound; },
    // Command copies own their own settings objects.
    [](Item& d, const Item& s) { d.m_vCommands = s.m_vCommands; },
};

}  // namespace

void cItemDef::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField1(m_Inherit.nInheritSrc);
  AddField2(m_Inherit.nInheritIdx);
  AddField1(m_nCondMode);
  AddField1(m_bCondLatch);
  AddField2(m_nDrawOffsetX);
  AddField2(m_nDrawOffsetY);
  AddField2(m_nGraphic);
  AddField1(m_nGraphicSrc);
  AddField2(m_nGraphicCol);
  AddField1(m_nZ);
  AddField1(m_bHidden);
  AddField1(m_bMark);
  AddField2(m_nMark);
  // The show-graphic flag is stored before the pick-up mode.
  AddField1(m_bShowGraphic);
  AddField1(m_nPickUpMode);
  AddField1(m_nSize);
  AddField2(m_nSound);
  AddStrField(m_strName);
}

void cItemDef::SetDefault() {
  ResetFields();
  m_nMapX = m_nMapY = 0;
  m_Inherit.InheritFlags.assign(kItemInheritGroups, 0);
  m_vConditions.clear();
  m_vCommands.clear();
  m_nGraphicSrc = 2;
  m_bShowGraphic = 1;
  m_nSize = 1;
  m_nZ = 6;
}

void cItemDef::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  m_nMapX = in.Read<std::int16_t>();
  m_nMapY = in.Read<std::int16_t>();
  m_Inherit.LoadFlags(in, kItemInheritGroups);
  LoadConditions(m_vConditions, in, ctx);
  LoadCommands(m_vCommands, in, ctx);
  m_nGraphic = UpgradeDefinitionChip(in.Version(), m_nGraphicSrc, m_nGraphic);
  Inherit(ctx);
  Validate(ctx);
}

void cItemDef::Save(cRecordWriter& out, const cLoadContext& ctx) {
  Validate(ctx);
  cDataRecord::Save(out, ctx);
  out.Write(m_nMapX);
  out.Write(m_nMapY);
  m_Inherit.SaveFlags(out);
  SaveRecordList(out, ctx, m_vConditions);
  SaveRecordList(out, ctx, m_vCommands);
}

void cItemDef::Inherit(const cLoadContext& ctx) { InheritFromPalette(*this, m_Inherit, ctx, ItemInheritTable); }

void cItemDef::Validate(const cLoadContext& ctx) {
  ValidateInheritRef<cItemDef>(m_Inherit, ctx);
  RaiseIfBelow(m_nSize, 1, 1, "item size", ctx);
  ResetIndexIfOutside(m_nSound, ctx.db.nSound, 0, "item sound", ctx);
  for (cFlowCommand& command : m_vCommands) ValidateCommand(command, ctx);
}

const cItemDef* GetItemDef(int kind, int index, const cLoadContext& ctx) {
  if (kind != kPaletteCommon && kind != kPaletteStage) return nullptr;
  return ctx.PaletteEntry<cItemDef>(kind, index);
}
