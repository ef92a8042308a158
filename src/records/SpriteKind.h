#pragma once
// Sprite kinds of a graphic source, and the shift of shot sheet chips that
// files older than the sheet's first cell need.
#include <cstdint>

constexpr int SPRITEKIND_BLOCK = 0;
constexpr int SPRITEKIND_CHARA = 1;
constexpr int SPRITEKIND_ITEM = 2;
constexpr int SPRITEKIND_SHOT = 3;
constexpr int SPRITEKIND_SPECIAL = 4;

// The shot sheet gained a first cell at 219; older files point one cell
// before the one they mean. The last cell stays the last.
constexpr int kShotChipShiftVersion = 219;
constexpr int kLastShotChip = 119;

// Written without chip + 1, which overflows on the largest value a file can hold.
constexpr int ShiftedShotChip(int chip) { return chip < kLastShotChip ? chip + 1 : kLastShotChip; }

// The chip of a definition's graphic as a file of `version` means it.
constexpr std::int16_t UpgradeDefinitionChip(int version, int graphicSrc, std::int16_t chip) {
  return version < kShotChipShiftVersion && graphicSrc == SPRITEKIND_SHOT
             ? static_cast<std::int16_t>(ShiftedShotChip(chip))
             : chip;
}
