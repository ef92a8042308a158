#pragma once
// Calls from the records up into stage play, which is built above them: stage
// play installs its implementation at start-up, tests install fakes. Without
// one installed, the defaults below stand in (every block appears).
struct MAPCELL;

class cRecordHooks {
 public:
  virtual ~cRecordHooks() = default;
  // Whether the block of a map cell appears now: its appearance conditions,
  // tested on the hero, hold (the cell's appeared latch may be set on the way).
  virtual bool CheckBlockAppear(MAPCELL& cell) = 0;
};

// Installs the hooks (null restores the defaults); the caller keeps them alive.
void SetRecordHooks(cRecordHooks* hooks);
cRecordHooks& RecordHooks();
