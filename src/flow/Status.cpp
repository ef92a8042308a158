#include "flow/Status.h"

#include <algorithm>
#include <cstdint>

#include "gamedata/SaveData.h"
#include "library/util/CheckedVector.h"
#include "library/util/Random.h"
#include "library/util/Text.h"
#include "platform/Trace.h"
#include "stage/Chara.h"
#include "stage/Darkness.h"
#include "stage/StagePlayScene.h"

namespace {

template <typename T>
StatusSlot Slot(T& store, int low, int high) {
  static_assert(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4);
  return {&store, static_cast<int>(sizeof(T)) * 8, low, high};
}

cChara* Owner(cStagePlayScene& scene, cChara& self, int owner) {
  if (owner == 0) return &self;
  if (owner == 1) return scene.FindCharaById(self.m_nTargetNo);
  return nullptr;
}

}  // namespace

int StatusSlot::Read() const {
  switch (nBits) {
    case 8:
      return *static_cast<const std::int8_t*>(pStore);
    case 16:
      return *static_cast<const std::int16_t*>(pStore);
    default:
      return *static_cast<const std::int32_t*>(pStore);
  }
}

void StatusSlot::Write(long long value) const {
  const int v = static_cast<int>(ClampToRange(value, nLow, nHigh));
  switch (nBits) {
    case 8:
      *static_cast<std::int8_t*>(pStore) = static_cast<std::int8_t>(v);
      break;
    case 16:
      *static_cast<std::int16_t*>(pStore) = static_cast<std::int16_t>(v);
      break;
    default:
      *static_cast<std::int32_t*>(pStore) = v;
      break;
  }
}

int CutToWidth(long long value, int bits) {
  if (bits == 8) return static_cast<std::int8_t>(value);
  if (bits == 16) return static_cast<std::int16_t>(value);
  return static_cast<std::int32_t>(value);
}

long long ClampToRange(long long value, long long low, long long high) {
  if (value > high) value = high;
  return value < low ? low : value;
}

cCheckedVector<int>& CommonVariables(cStagePlayScene& scene) { return scene.Record().GameValue; }
int& PlayScore(cStagePlayScene& scene) { return scene.Record().nScore; }
int& PlayLives(cStagePlayScene& scene) { return scene.Record().nLife; }

StatusSlot CharaStatusSlot(cChara& c, int selector, int varIndex) {
  cCharaDef& d = c.m_Def;
  switch (selector) {
    case 0:
      return Slot(c.m_vVars.VecAt(varIndex), -kMaxStatusValue, kMaxStatusValue);
    case 1:
      return Slot(c.m_nHp, 0, kMaxStatusValue);
    case 2:
      return Slot(c.m_nSp, 0, kMaxStatusValue);
    case 3:
      return Slot(d.m_nMaxHp, 0, kMaxStatusValue);
    case 4:
      return Slot(d.m_nMaxSp, 0, kMaxStatusValue);
    case 5:
      return Slot(d.m_nCharaId, 0, 99);
    case 6:
      return Slot(d.m_nZ, 0, 7);
    case 7:
      return Slot(d.m_nMark, 0, 119);
    case 8:
      return Slot(d.m_nSight, 0, 40);
    case 9:
      return Slot(d.m_nBodyPower, -kMaxStatusValue, kMaxStatusValue);
    case 10:
      return Slot(d.m_nBodyImpact, -20, 20);
    case 11:
      return Slot(d.m_nDefence, 0, kMaxStatusValue);
    case 12:
      return Slot(d.m_nImpactResist, 0, 20);
    case 13:
      return Slot(d.m_nStopEase, 0, 200);
    case 14:
      return Slot(d.m_nScore, -kMaxStatusValue, kMaxStatusValue);
    default:
      return {};
  }
}

StatusSlot SystemStatusSlot(cStagePlayScene& scene, int selector) {
  switch (selector) {
    case 0:
      return Slot(scene.m_nTimeLeft, 0, 999);
    case 1:
      return Slot(scene.m_nStageScrollSpeedX, -480, 480);
    case 2:
      return Slot(scene.m_nStageScrollSpeedY, -480, 480);
    case 3:
      return Slot(PlayScore(scene), 0, kMaxStatusValue);
    case 4:
      return Slot(PlayLives(scene), 0, 99);
    default:
      return {};
  }
}

StatusSlot VariableSlot(cStagePlayScene& scene, int kind, int index) {
  if (kind == 0) return Slot(CommonVariables(scene).VecAt(index), -kMaxStatusValue, kMaxStatusValue);
  if (kind == 1) return Slot(scene.m_StageVar.VecAt(index), -kMaxStatusValue, kMaxStatusValue);
  return {};
}

int ReadCharaStatus(cChara& c, int selector, int varIndex) {
  StatusSlot slot = CharaStatusSlot(c, selector, varIndex);
  if (!slot) return 0;
  if (selector == 13) AfterCharaStatusWrite(c, selector);
  return slot.Read();
}

bool ReadRightStatus(cStagePlayScene& scene, cChara& self, int owner, int selector, int varIndex, int& out) {
  if (owner == 2) {
    StatusSlot slot = SystemStatusSlot(scene, selector);
    out = slot ? slot.Read() : 0;
    if ((selector == 0 && scene.m_bNoTimeLimit) || (selector == 4 && out == kUnlimitedLives)) out = 0;
    return true;
  }
  cChara* c = Owner(scene, self, owner);
  if (!c || (selector == 8 && !c->IsPlayer())) return false;
  out = ReadCharaStatus(*c, selector, varIndex);
  return true;
}

int ReadRightVariable(cStagePlayScene& scene, int kind, int index) {
  StatusSlot slot = VariableSlot(scene, kind, index);
  return slot ? slot.Read() : 0;
}

long long RandomBetween(long long a, long long b) {
  const long long low = std::min(a, b);
  // The span may not fit 64 signed bits; a span above the largest draw leaves the draw as it is.
  const unsigned long long span =
      static_cast<unsigned long long>(std::max(a, b)) - static_cast<unsigned long long>(low);
  const unsigned long long draw = static_cast<unsigned long long>(crt::rand());
  return low + static_cast<long long>(span >= draw ? draw : draw % (span + 1));
}

void AfterCharaStatusWrite(cChara& c, int selector) {
  if (selector == 13) c.m_dMoveDecel = SpeedToDot(c.m_Def.m_nStopEase);
  if (selector == 8 && c.IsPlayer()) RefreshHeroLight(static_cast<cPlayer&>(c));
}

void AfterSystemStatusWrite(cStagePlayScene& scene, int selector) {
  const int steps = scene.m_Rules.nSteps;
  if (selector == 1) scene.m_ScrollX.SetAutoScroll(scene.m_bStageAutoScrollX, scene.m_nStageScrollSpeedX, steps);
  if (selector == 2) scene.m_ScrollY.SetAutoScroll(scene.m_bStageAutoScrollY, scene.m_nStageScrollSpeedY, steps);
}

void TraceSystemWrite(cStagePlayScene& scene, int selector) {
  StatusSlot slot = SystemStatusSlot(scene, selector);
  if (!platform::TraceOn() || !slot) return;
  std::string line;
  const std::string_view name = kSystemValueNames[static_cast<size_t>(selector)];
  StrFormat(line, "set %.*s %d", static_cast<int>(name.size()), name.data(), slot.Read());
  platform::TraceLine(line);
}

void TraceVariableWrite(int kind, int index, int value) {
  if (!platform::TraceOn()) return;
  std::string line;
  StrFormat(line, "set %c%d %d", kind == 0 ? 'C' : 'S', index, value);
  platform::TraceLine(line);
}
