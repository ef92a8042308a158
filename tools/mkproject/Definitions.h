#pragma once
// The block, character and item definitions of the sample project: the
// common palette's entries, which stages copy into their own palettes and
// place on their maps.
#include "records/Palette.h"

namespace mkproject {

// Entries of every palette list (0 is the fixed empty entry).
enum PaletteBlock { kGroundBlock = 1, kHazardBlock, kJumpBlock, kBlockEntries };
enum PaletteChara { kHeroChara = 1, kSlowEnemy, kFastEnemy, kCharaEntries };
enum PaletteItem { kCoinItem = 1, kGoalItem, kItemEntries };

// Sound database entries the definitions play.
constexpr int kJumpSound = 1;
constexpr int kCoinSound = 2;

void FillPalette(cPalette& palette);

}  // namespace mkproject
