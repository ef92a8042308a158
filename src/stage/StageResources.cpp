#include "stage/StageResources.h"

#include "library/draw/Draw.h"

namespace {

constexpr int kShotRows = 30, kShotColumns = 4, kHalf = 16;

void ComposeSheet(DDSURFACEDATA* sheet, DDSURFACEDATA* source) {
  DDFillRect(sheet, 0, 0, kShotSheetWidth, kShotSheetHeight, 0);
  for (int r = 0; r < kShotRows; ++r) {
    for (int k = 0; k < kShotColumns; ++k) {
      DDBlt(sheet, 8 + 64 * k, 8 + 32 * r, kHalf, kHalf, source, k * 32, r * kHalf, 1);
      DDBlt(sheet, 40 + 64 * k, 8 + 32 * r, kHalf, kHalf, source, k * 32 + kHalf, r * kHalf, 1);
    }
  }
}

}  // namespace

void BuildShotSheets(DDSURFACEDATA* userSD, int count) {
  if (!userSD || count <= kShotSheetSlot + 1) return;
  ComposeSheet(&userSD[kShotSheetSlot], &userSD[kShotSourceSlot]);
  ComposeSheet(&userSD[kShotSheetSlot + 1], &userSD[kShotSourceSlot + 1]);
}

bool RestoreShotSheets(DDSURFACEDATA* userSD, int count) {
  if (!userSD || count <= kShotSheetSlot + 1) return false;
  DDSURFACEDATA& sheet = userSD[kShotSheetSlot];
  DDSURFACEDATA& mirrored = userSD[kShotSheetSlot + 1];
  if (!sheet.bLost && !mirrored.bLost) return false;
  BuildShotSheets(userSD, count);
  sheet.bLost = mirrored.bLost = 0;
  return true;
}
