#pragma once
// Calls from the records up into stage play, which is built above them: stage
// play installs its implementation at start-up, tests install fakes. Without
// one installed, the defaults stand in: every block appears, no graphic has
// a sheet.
#include "platform/WinTypes.h"

struct MAPCELL;
struct DDSURFACEDATA;

// Where a graphic's cell lies: the candidate sheets, the pair chosen for the
// display mode, how to colour it and the cell's top-left pixel.
struct SPRITESOURCE {
  // First-mode and second-mode sheet for the object's facing, then the same
  // two for the other facing.
  DDSURFACEDATA* lpCandidate[4] = {};
  DDSURFACEDATA* lpSurface = nullptr;       // the chosen sheet
  DDSURFACEDATA* lpOtherSurface = nullptr;  // the chosen sheet of the other facing
  int bColor = 0;                           // 1: drawn with the colour pair
  DWORD dwColor = 0;
  int nColorOp = 0;
  int bBigCell = 0;
  BYTE nCellSize = 1;  // in 32-dot units
  int x = 0;
  int y = 0;
};

class cRecordHooks {
 public:
  virtual ~cRecordHooks() = default;
  // Whether the block of a map cell appears now: its appearance conditions,
  // tested on the hero, hold (the cell's appeared latch may be set on the way).
  virtual bool CheckBlockAppear(MAPCELL& cell) = 0;
  // The sheet and cell of a graphic (sprite kind, cell, column); false when
  // there is none to draw.
  virtual bool SetSpriteSource(int spriteKind, int cell, int column, SPRITESOURCE& source) = 0;
};

// Installs the hooks (null restores the defaults); the caller keeps them alive.
void SetRecordHooks(cRecordHooks* hooks);
cRecordHooks& RecordHooks();
