#include "stage/SpriteSource.h"

#include <algorithm>

#include "gamedata/Database.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "stage/GameObject.h"

namespace {

constexpr int kBlockSlot = 2;         // and 3 second-mode
constexpr int kCharaFirstSlot = 4;    // 4 + 2s + facing
constexpr int kCharaSecondSlot = 22;  // 22 + 2s + facing
constexpr int kItemSlot = 40;         // and 41 second-mode
constexpr int kItemMiniSlot = 42;
constexpr int kShotSheetSlot = 63;  // and 64 the other facing
constexpr int kCellsPerColumn = 15;
constexpr int kShotCellsPerColumn = 30;
constexpr int kSecondSheetFrom = 20;  // icon cells from 20 on are read from the mirrored sheet
constexpr int kSpecialCellsPerRow = 16;
constexpr int kIconSize = 16;

struct WorkSurfaceChoice {
  int bFirstMode = 0;
  int nMarkSheet = 44;
  int nWork[2] = {68, 70};
};
WorkSurfaceChoice Choice;

DDSURFACEDATA* SpecialSurface(int index) {
  return index >= 0 && index < static_cast<int>(SpecialBmpSD.size()) ? &SpecialBmpSD[static_cast<size_t>(index)]
                                                                     : nullptr;
}

bool HasPixels(const DDSURFACEDATA* sd) { return sd && sd->nWidth > 0; }

void SetCandidates(SPRITESOURCE& source, DDSURFACEDATA* first, DDSURFACEDATA* second, DDSURFACEDATA* otherFirst,
                   DDSURFACEDATA* otherSecond) {
  source.lpCandidate[0] = first;
  source.lpCandidate[1] = second;
  source.lpCandidate[2] = otherFirst;
  source.lpCandidate[3] = otherSecond;
}

void SetCharaSource(SPRITESOURCE& source, int mode, int a, int b, const cGameObject* object, int c) {
  const int sheet = a / kCellsPerColumn;
  int facing = 0, other = 0;
  if (mode == SPRITEMODE_OBJECT && object) {
    facing = object->m_bRight ? 1 : 0;
    other = 1 - facing;
    source.x = (b + c) * kSpriteCell;
  } else {
    facing = other = b >= kSecondSheetFrom ? 1 : 0;
    source.x = (b - kSecondSheetFrom * facing) * kSpriteCell;
  }
  source.y = a % kCellsPerColumn * kSpriteCell;
  const DDSURFACEDATA* sheetSurface = UserSurface(kCharaSecondSlot + 2 * sheet + facing);
  const bool outside = a < 0 || sheet >= kCharaSheetCount || source.x < 0 ||
                       (HasPixels(sheetSurface) && source.x + kSpriteCell > sheetSurface->nWidth);
  if (outside) {
    // The cell is not on any sheet: the first cell of the first sheet stands in.
    source.x = source.y = 0;
    SetCandidates(source, UserSurface(kCharaFirstSlot + facing), UserSurface(kCharaSecondSlot + facing),
                  UserSurface(kCharaFirstSlot + other), UserSurface(kCharaSecondSlot + other));
    return;
  }
  SetCandidates(source, UserSurface(kCharaFirstSlot + 2 * sheet + facing),
                UserSurface(kCharaSecondSlot + 2 * sheet + facing), UserSurface(kCharaFirstSlot + 2 * sheet + other),
                UserSurface(kCharaSecondSlot + 2 * sheet + other));
}

// The cell size of a special-bitmap entry with big cells, else 0.
int SpecialBigCellSize(int a) {
  if (!Database || a < 0 || a >= static_cast<int>(Database->Bmp_CharaExc.size())) return 0;
  const cDbBmpCharaExc& entry = Database->Bmp_CharaExc[static_cast<size_t>(a)];
  return entry.m_bLargeCell ? std::clamp(entry.m_nCellSize, MIN_LARGE_CELL_SIZE, MAX_LARGE_CELL_SIZE) : 0;
}

// The top-left pixel of cell b of a special bitmap with cells of n x 32 dots
// (n = 0 for the plain 32-dot grid).
POINT SpecialCell(int b, int n) {
  if (n == 0) return {b % kSpecialCellsPerRow * kSpriteCell, b / kSpecialCellsPerRow * kSpriteCell};
  const int perRow = kSpecialCellsPerRow / n;
  return {b % perRow * n * kSpriteCell, b / perRow * n * kSpriteCell};
}

void SetSpecialSource(SPRITESOURCE& source, int a, int b, const cGameObject* object, int c) {
  const int base = 4 * a - 4;
  if (object) {
    const int f = object->m_bRight ? 1 : 0;
    SetCandidates(source, SpecialSurface(base + f), SpecialSurface(base + 2 + f), SpecialSurface(base + 1 - f),
                  SpecialSurface(base + 3 - f));
    b += c;
  } else {
    SetCandidates(source, SpecialSurface(base), SpecialSurface(base + 2), SpecialSurface(base),
                  SpecialSurface(base + 2));
  }
  const int n = SpecialBigCellSize(a);
  if (n > 0) {
    source.bBigCell = 1;
    source.nCellSize = static_cast<BYTE>(n);
  }
  const POINT cell = SpecialCell(b, n);
  source.x = cell.x;
  source.y = cell.y;
}

}  // namespace

DDSURFACEDATA* UserSurface(int slot) { return lpUserSD && slot >= 0 && slot < nUserSD ? &lpUserSD[slot] : nullptr; }

void SetSpriteSource(SPRITESOURCE& source, int mode, int kind, int a, int b, const cGameObject* object, int c) {
  source.bBigCell = 0;
  source.nCellSize = 1;
  switch (kind) {
    case SPRITEKIND_BLOCK:
      SetCandidates(source, UserSurface(kBlockSlot), UserSurface(kBlockSlot + 1), UserSurface(kBlockSlot),
                    UserSurface(kBlockSlot + 1));
      source.x = a / kCellsPerColumn * kSpriteCell;
      source.y = a % kCellsPerColumn * kSpriteCell;
      break;
    case SPRITEKIND_CHARA:
      SetCharaSource(source, mode, a, b, object, c);
      break;
    case SPRITEKIND_ITEM:
      SetCandidates(source, UserSurface(kItemSlot), UserSurface(kItemSlot + 1), UserSurface(kItemSlot),
                    UserSurface(kItemSlot + 1));
      source.x = a / kCellsPerColumn * 2 * kSpriteCell + (mode == SPRITEMODE_ITEM_FRAME ? c * kSpriteCell : 0);
      source.y = a % kCellsPerColumn * kSpriteCell;
      break;
    case SPRITEKIND_SHOT: {
      const int f = mode == SPRITEMODE_OBJECT && object && object->m_bRight ? 1 : 0;
      const int other = mode == SPRITEMODE_OBJECT && object ? 1 - f : 0;
      SetCandidates(source, UserSurface(kShotSheetSlot + f), UserSurface(kShotSheetSlot + f),
                    UserSurface(kShotSheetSlot + other), UserSurface(kShotSheetSlot + other));
      source.x = a / kShotCellsPerColumn * 2 * kSpriteCell;
      source.y = a % kShotCellsPerColumn * kSpriteCell;
      break;
    }
    case SPRITEKIND_SPECIAL:
      SetSpecialSource(source, a, b, object, c);
      break;
    default:
      SetCandidates(source, nullptr, nullptr, nullptr, nullptr);
      break;
  }
  const int pair = Choice.bFirstMode ? 0 : 1;
  source.lpSurface = source.lpCandidate[pair];
  source.lpOtherSurface = source.lpCandidate[2 + pair];
}

void DrawSpriteIcon(DDSURFACEDATA* target, int x, int y, int kind, int a, int b) {
  DDSURFACEDATA* sheet = nullptr;
  POINT cell{};
  int size = kSpriteCell;
  switch (kind) {
    case SPRITEKIND_BLOCK:
      sheet = UserSurface(kBlockSlot + 1);
      cell = {a / kCellsPerColumn * kSpriteCell, a % kCellsPerColumn * kSpriteCell};
      break;
    case SPRITEKIND_CHARA:
      sheet = UserSurface(kCharaSecondSlot + 2 * (a / kCellsPerColumn));
      cell = {b * kSpriteCell, a % kCellsPerColumn * kSpriteCell};
      break;
    case SPRITEKIND_ITEM:
      // The small item sheet holds the icon itself: copied, not scaled.
      DDBlt(target, x, y, kIconSize, kIconSize, UserSurface(kItemMiniSlot), a / kCellsPerColumn * kSpriteCell,
            a % kCellsPerColumn * kIconSize, 1);
      return;
    case SPRITEKIND_SHOT:
      sheet = UserSurface(kShotSheetSlot);
      cell = {a / kShotCellsPerColumn * 2 * kSpriteCell, a % kShotCellsPerColumn * kSpriteCell};
      break;
    case SPRITEKIND_SPECIAL: {
      sheet = SpecialSurface(4 * a - 2);
      const int n = SpecialBigCellSize(a);
      cell = SpecialCell(b, n);
      if (n > 0) size = n * kSpriteCell;
      break;
    }
    default:
      return;
  }
  if (sheet) DDBltStretch(target, x, y, kIconSize, kIconSize, sheet, cell.x, cell.y, size, size, 1);
}

void SelectWorkSurfaces(int videoStretch) {
  const bool firstMode = !bDirect3D && videoStretch;
  Choice.bFirstMode = firstMode ? 1 : 0;
  Choice.nMarkSheet = firstMode ? 43 : 44;
  Choice.nWork[0] = firstMode ? 67 : 68;
  Choice.nWork[1] = bDirect3D ? 70 : 68;
}

bool FirstModeSheets() { return Choice.bFirstMode != 0; }

int SelectSheetVariant(int index, int mirrored) {
  if (bDirect3D) return index;
  const int copy = index + kSheetCopyOffset;
  auto holds = [](int slot) {
    const DDSURFACEDATA* sd = UserSurface(slot);
    return sd && sd->nWidth > 0 && sd->nHeight > 0;
  };
  if (mirrored) return holds(copy) ? copy : index;
  return holds(index) ? index : copy;
}

DDSURFACEDATA* MarkSheetSurface() { return UserSurface(Choice.nMarkSheet); }

DDSURFACEDATA* WorkSurface(int index) { return UserSurface(Choice.nWork[index == 0 ? 0 : 1]); }
