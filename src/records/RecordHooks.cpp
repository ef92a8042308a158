#include "records/RecordHooks.h"

#include <atomic>

namespace {

class cDefaultHooks final : public cRecordHooks {
 public:
  bool CheckBlockAppear(MAPCELL& /*cell*/) override { return true; }
};

cDefaultHooks defaultHooks;
std::atomic<cRecordHooks*> installed{nullptr};

}  // namespace

void SetRecordHooks(cRecordHooks* hooks) { installed = hooks; }

cRecordHooks& RecordHooks() {
  cRecordHooks* hooks = installed.load();
  return hooks ? *hooks : defaultHooks;
}
