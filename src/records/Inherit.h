#pragma once
// How block, character and item definitions take groups of their properties
// from a palette entry. A definition names an entry by a source (1 the common
// palette, 2 the stage palette) and an index; one flag per property group says
// which groups come from that entry. Each class has a table of copy operations,
// one per group, walked in step with its flags at the end of its load.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "library/util/CheckedVector.h"
#include "platform/WinTypes.h"
#include "records/LoadContext.h"
#include "records/RecordIo.h"

// The reference a definition inherits through. Source and index are fields of
// the definition's body (registered by the class in its place); the flags are a
// list written after the body.
struct cInheritLink {
  std::int8_t nInheritSrc = kPaletteNone;
  std::int16_t nInheritIdx = 0;
  cCheckedVector<BYTE> InheritFlags;

  void ClearFlags() { std::fill(InheritFlags.begin(), InheritFlags.end(), BYTE{0}); }

  // Reads the flag list (u32 count, one byte each). The list keeps exactly one
  // flag per group of the class's table: flags beyond it mean nothing and are
  // dropped, missing ones are 0.
  void LoadFlags(cRecordReader& in, std::size_t groups) {
    std::uint32_t count = in.ReadCount(1, "inherit flag");
    InheritFlags.assign(count, 0);
    if (count) in.ReadBytes(InheritFlags.data(), count);
    InheritFlags.resize(groups, 0);
  }
  void SaveFlags(cRecordWriter& out) const {
    out.WriteCount(InheritFlags.size());
    if (!InheritFlags.empty()) out.WriteBytes(InheritFlags.data(), InheritFlags.size());
  }
};

// One copy operation of an inherit table: the members of one group, from the
// palette entry into the definition.
template <typename Def>
using InheritCopy = void (*)(Def& self, const Def& source);

template <typename Def, std::size_t Groups>
using InheritTable = std::array<InheritCopy<Def>, Groups>;

// Copies the flagged groups from the referenced palette entry. Nothing happens
// without a source or with index 0; a reference to no entry (an index beyond the
// list, or negative) loses its source and copies nothing.
template <typename Def, std::size_t Groups>
void InheritFromPalette(Def& self, cInheritLink& link, const cLoadContext& ctx,
                        const InheritTable<Def, Groups>& table) {
  if (link.nInheritIdx == 0 || link.nInheritSrc == kPaletteNone) return;
  if (link.nInheritSrc != kPaletteCommon && link.nInheritSrc != kPaletteStage) return;
  const Def* source = ctx.PaletteEntry<Def>(link.nInheritSrc, link.nInheritIdx);
  if (!source) {
    ctx.NoteReset("inherit source", link.nInheritSrc, kPaletteNone);
    link.nInheritSrc = kPaletteNone;
    return;
  }
  // An entry that names itself has nothing to take.
  if (source == &self) return;
  std::size_t groups = std::min(link.InheritFlags.size(), Groups);
  for (std::size_t i = 0; i < groups; ++i)
    if (link.InheritFlags[i]) table[i](self, *source);
}

// A palette reference (source 1 or 2 and an index) that names no entry of its
// list loses both source and index; other sources are left alone.
template <typename Def, typename Source, typename Index>
void ValidatePaletteRef(Source& source, Index& index, const cLoadContext& ctx, std::string_view field) {
  if (source != kPaletteCommon && source != kPaletteStage) return;
  if (ctx.IsPaletteEntry<Def>(source, index)) return;
  ctx.NoteReset(field, index, 0);
  source = kPaletteNone;
  index = 0;
}

template <typename Def>
void ValidateInheritRef(cInheritLink& link, const cLoadContext& ctx) {
  ValidatePaletteRef<Def>(link.nInheritSrc, link.nInheritIdx, ctx, "inherit index");
}
