#pragma once
// What a record needs of the world around it while it loads, saves or
// validates: the database sizes its indexes are clamped to, the switches that
// change what a load keeps, and the palettes that definitions inherit from and
// refer to. Passing it in (instead of reading the player's globals) lets tools,
// fuzz targets and tests load records outside a running player.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "library/util/CheckedVector.h"

class cBlockDef;
class cCharaDef;
class cItemDef;

// Entry counts of the database lists, as the validators clamp to them. The
// defaults are the counts of freshly defaulted databases.
struct DatabaseSizes {
  int nAnimeSet = 1;
  int nAnime = 2;
  int nBmpCharaExc = 2;
  int nSwordType = 1;
  int nEffect = 2;
  int nCharaEffect = 2;
  int nScrEffect = 2;
  int nPicture = 2;
  int nSound = 2;
  int nBgm = 2;
};

// The three definition lists of one palette (the common palette, or the stage
// palette of the stage being loaded). Null lists count as empty.
struct PaletteLists {
  const cCheckedVector<cBlockDef>* blocks = nullptr;
  const cCheckedVector<cCharaDef>* charas = nullptr;
  const cCheckedVector<cItemDef>* items = nullptr;
};

// Palette sources of definitions and references.
constexpr int kPaletteNone = 0;
constexpr int kPaletteCommon = 1;
constexpr int kPaletteStage = 2;

struct cLoadContext {
  DatabaseSizes db;
  // Per SwordType entry, the sum of its parts' durations (the sword command's
  // time is derived from it).
  std::vector<int> swordTypeDurations;
  // The system data's switch that keeps flows marked for removal.
  bool bKeepMarkedFlows = false;
  // The player runs as the editor's test play (marked flows are kept too).
  bool bTestPlay = false;
  PaletteLists commonPalette;
  // The palette of the stage being loaded (not the stage being played).
  PaletteLists stagePalette;
  // The definition list being read and the entries its count promises: an
  // entry not read yet counts as there, a default entry, as if the list had
  // been filled with defaults before its first entry read (a list grows as it
  // reads, so that a count the file does not hold costs nothing).
  const void* readingList = nullptr;
  std::size_t readingCount = 0;
  // Told of every value that validation resets (tools report them); may be empty.
  std::function<void(std::string_view field, long oldValue, long newValue)> onReset;

  // The list of Def of palette `source` (1 common, 2 stage); null for any other
  // source or a palette that is not there.
  template <typename Def>
  const cCheckedVector<Def>* PaletteList(int source) const {
    const PaletteLists* palette = source == kPaletteCommon  ? &commonPalette
                                  : source == kPaletteStage ? &stagePalette
                                                            : nullptr;
    if (!palette) return nullptr;
    if constexpr (std::is_same_v<Def, cBlockDef>)
      return palette->blocks;
    else if constexpr (std::is_same_v<Def, cCharaDef>)
      return palette->charas;
    else
      return palette->items;
  }
  // Entries in that list (0 when there is none).
  template <typename Def>
  int PaletteCount(int source) const {
    const auto* list = PaletteList<Def>(source);
    if (list && list == readingList) return static_cast<int>(readingCount);
    return list ? static_cast<int>(list->size()) : 0;
  }
  // Whether `index` names an entry of that list; a negative index never does.
  template <typename Def>
  bool IsPaletteEntry(int source, int index) const {
    return index >= 0 && index < PaletteCount<Def>(source);
  }
  // The entry `index` names in that list, or null when it names none.
  template <typename Def>
  const Def* PaletteEntry(int source, int index) const {
    if (!IsPaletteEntry<Def>(source, index)) return nullptr;
    const auto& list = *PaletteList<Def>(source);
    static const Def unread;
    return static_cast<std::size_t>(index) < list.size() ? &list[static_cast<std::size_t>(index)] : &unread;
  }
  // Marked flows are erased on loading unless either switch keeps them.
  bool ErasesMarkedFlows() const { return !bTestPlay && !bKeepMarkedFlows; }
  // Validation calls this for every value it resets.
  void NoteReset(std::string_view field, long oldValue, long newValue) const {
    if (onReset && oldValue != newValue) onReset(field, oldValue, newValue);
  }
};
