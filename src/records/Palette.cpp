#include "records/Palette.h"

#include <memory>

#include "records/DefinitionLists.h"

namespace {

std::unique_ptr<cPalette> commonPalette;

template <typename Def>
void ClearInheritFlags(cCheckedVector<Def>& list) {
  for (auto& entry : list) entry.m_Inherit.ClearFlags();
}

}  // namespace

cPalette* CommonPalette = nullptr;

void CreatePaletteGlobals() {
  commonPalette = std::make_unique<cPalette>();
  CommonPalette = commonPalette.get();
}

void DestroyPaletteGlobals() {
  CommonPalette = nullptr;
  commonPalette.reset();
}

cPalette::cPalette() : m_Blocks(1), m_Charas(1), m_Items(1) { ResetFields(); }

cLoadContext cPalette::AsCommonPalette(const cLoadContext& ctx) const {
  cLoadContext own = ctx;
  own.commonPalette = Lists();
  return own;
}

void cPalette::Load(cRecordReader& in, const cLoadContext& outer) {
  // Entries inherit from this palette as it is filled, never from another.
  const cLoadContext ctx = AsCommonPalette(outer);
  cDataRecord::Load(in, ctx);
  LoadDefinitionList(in, ctx, m_Blocks);
  LoadDefinitionList(in, ctx, m_Charas);
  LoadDefinitionList(in, ctx, m_Items);
  ResetEntryZero(m_Blocks);
  ResetEntryZero(m_Charas);
  ResetEntryZero(m_Items);
  // Entries of the common palette never inherit.
  ClearInheritFlags(m_Blocks);
  ClearInheritFlags(m_Charas);
  ClearInheritFlags(m_Items);
  NormalizePalette(ctx);
}

void cPalette::Save(cRecordWriter& out, const cLoadContext& outer) {
  const cLoadContext ctx = AsCommonPalette(outer);
  NormalizePalette(ctx);
  cDataRecord::Save(out, ctx);
  SaveRecordList(out, ctx, m_Blocks);
  SaveRecordList(out, ctx, m_Charas);
  SaveRecordList(out, ctx, m_Items);
}

void cPalette::NormalizePalette(const cLoadContext& outer) {
  const cLoadContext ctx = AsCommonPalette(outer);
  FillToMinimum(m_Blocks);
  FillToMinimum(m_Charas);
  FillToMinimum(m_Items);
  ValidateDefinitions(m_Blocks, ctx);
  ValidateDefinitions(m_Charas, ctx);
  ValidateDefinitions(m_Items, ctx);
}
