#pragma once
// Calls from the records up into stage play, which is built above them: stage
// play installs its implementation at start-up, tests install fakes. Without
// one installed, the defaults stand in: every block appears, no graphic has
// a sheet.
struct MAPCELL;
struct DDSURFACEDATA;

// Where a graphic's 32 x 32 cell lies: a sheet and the cell's top-left pixel.
struct SPRITESOURCE {
  DDSURFACEDATA* lpSurface = nullptr;
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
