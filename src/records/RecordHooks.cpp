#include "records/RecordHooks.h"

#include <atomic>

namespace {

class cDefaultHooks final : public cRecordHooks {
 public:
  bool CheckBlockAppear(MAPCELL& /*cell*/) override { return true; }
  bool SetSpriteSource(int, int, int, SPRITESOURCE&) override { return false; }
};

cDefaultHooks defaultHooks;
std::atomic<cRecordHooks*> installed{nullptr};

}  // namespace

void SetRecordHooks(cRecordHooks* hooks) { installed = hooks; }

cRecordHooks& RecordHooks() {
  cRecordHooks* hooks = installed.load();
  return hooks ? *hooks : defaultHooks;
}
