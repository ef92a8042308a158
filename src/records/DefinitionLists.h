#pragma once
// Reading, saving and normalising the block, character and item definition
// lists that palettes and stages hold.
#include <cstddef>
#include <cstdint>

#include "library/util/CheckedVector.h"
#include "records/BlockDef.h"
#include "records/CharaDef.h"
#include "records/DataRecord.h"
#include "records/ItemDef.h"

// Every palette list keeps the fixed empty entry 0 and at least one more.
constexpr std::size_t kMinPaletteEntries = 2;

// The fewest bytes one entry of each kind takes in a file: its body's two
// counts, the words that follow the body, and the counts of its lists.
template <typename Def>
constexpr std::size_t kMinDefinitionBytes = 0;
template <>
inline constexpr std::size_t kMinDefinitionBytes<cBlockDef> = kMinRecordBodyBytes + 4 + 4 + 4;
template <>
inline constexpr std::size_t kMinDefinitionBytes<cCharaDef> = kMinRecordBodyBytes + 4 + 4 + 4 + 4 + 4;
template <>
inline constexpr std::size_t kMinDefinitionBytes<cItemDef> = kMinRecordBodyBytes + 4 + 4 + 4 + 4;

template <typename Def>
const char* DefinitionKind() {
  if constexpr (std::is_same_v<Def, cBlockDef>)
    return "block";
  else if constexpr (std::is_same_v<Def, cCharaDef>)
    return "character";
  else
    return "item";
}

// A u32 count and that many entries. An entry inheriting from a later entry of
// its own list takes that entry's defaults, as the list promises it.
template <typename Def>
void LoadDefinitionList(cRecordReader& in, const cLoadContext& ctx, cCheckedVector<Def>& list) {
  cLoadContext reading = ctx;
  reading.readingList = &list;
  reading.readingCount = in.ReadCount(kMinDefinitionBytes<Def>, DefinitionKind<Def>());
  ReadRecordEntries(in, list, static_cast<std::uint32_t>(reading.readingCount), Def(),
                    [&](Def& entry) { entry.Load(in, reading); });
}

// Placed objects: per entry a word (written 0, ignored) before the definition.
template <typename Def>
void LoadPlacedList(cRecordReader& in, const cLoadContext& ctx, cCheckedVector<Def>& list) {
  std::uint32_t count = in.ReadCount(4 + kMinDefinitionBytes<Def>, DefinitionKind<Def>());
  ReadRecordEntries(in, list, count, Def(), [&](Def& entry) {
    in.ReadU32();
    entry.Load(in, ctx);
  });
}

template <typename Def>
void SavePlacedList(cRecordWriter& out, const cLoadContext& ctx, cCheckedVector<Def>& list) {
  out.WriteCount(list.size());
  for (auto& entry : list) {
    out.WriteU32(0);
    entry.Save(out, ctx);
  }
}

// Entry 0 is the fixed empty entry, whatever the file holds for it. A list
// without entries has none to reset; normalisation fills it.
template <typename Def>
void ResetEntryZero(cCheckedVector<Def>& list) {
  if (!list.empty()) list.front() = Def();
}

template <typename Def>
void FillToMinimum(cCheckedVector<Def>& list) {
  if (list.size() < kMinPaletteEntries) list.resize(kMinPaletteEntries);
}

// Both validations of every entry: its own values, then its references into
// the palettes (which need every list read first).
template <typename Def>
void ValidateDefinitions(cCheckedVector<Def>& list, const cLoadContext& ctx) {
  for (auto& entry : list) {
    entry.Validate(ctx);
    entry.ValidatePaletteRefs(ctx);
  }
}
