#pragma once
// A palette: ready-made block, character and item definitions that stages
// place and other definitions inherit from. The project's one common palette
// lives in "data\CommonPalette.cplt4"; each stage carries its own palette.
#include "library/util/CheckedVector.h"
#include "records/BlockDef.h"
#include "records/CharaDef.h"
#include "records/DataRecord.h"
#include "records/ItemDef.h"

class cPalette final : public cDataRecord {
 public:
  cPalette();
  // Registers nothing: the palette is its three lists.
  void RegisterFields(int nVersion) override { ClearFields(nVersion); }
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;

  // Fills each list up to its two entries and validates every entry.
  void NormalizePalette(const cLoadContext& ctx);
  PaletteLists Lists() const { return {&m_Blocks, &m_Charas, &m_Items}; }
  // `ctx` with this palette as the common palette.
  cLoadContext AsCommonPalette(const cLoadContext& ctx) const;

  cCheckedVector<cBlockDef> m_Blocks;
  cCheckedVector<cCharaDef> m_Charas;
  cCheckedVector<cItemDef> m_Items;
};

// The project's common palette, built by the application's start-up sequence
// (CreatePaletteGlobals) and destroyed at its shutdown.
extern cPalette* CommonPalette;
void CreatePaletteGlobals();
void DestroyPaletteGlobals();
