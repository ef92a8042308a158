// Conditions on variables, statuses, state flags and distances. All arithmetic
// on values from the data (percentages, random spans, |x| mod y) is done in
// 64 bits, so extreme values compare instead of overflowing.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "flow/Interpreter.h"
#include "flow/Status.h"
#include "library/util/Convert.h"
#include "records/FlowEnums.h"
#include "stage/Chara.h"
#include "stage/StagePlayScene.h"

namespace {

// The left side of a status condition: its value and width, and the maximum a
// percentage on the right is taken of (HP and SP only; 0 otherwise).
struct LeftValue {
  long long value = 0;
  int bits = 32;
  long long low = 0, high = 0;
  long long max = 0;
};

cChara* Subject(cStagePlayScene& scene, cChara& self, int subject) {
  if (subject == 0) return &self;
  if (subject == 1) return scene.FindCharaById(self.m_nTargetNo);
  return nullptr;
}

bool RightValue(cStagePlayScene& scene, const cCondition& c, cChara& self, long long& y) {
  switch (c.m_nRightSource) {
    case 0:
      y = c.m_nValue;
      return true;
    case 1:
      y = RandomBetween(c.m_nRandomLow, c.m_nRandomHigh);
      return true;
    case 2: {
      int value = 0;
      if (!ReadRightStatus(scene, self, c.m_nRightOwner, c.m_nRightSelector, c.m_nRightIndex, value)) return false;
      y = value;
      return true;
    }
    case 3:
      y = ReadRightVariable(scene, c.m_nRightVarKind, c.m_nRightIndex);
      return true;
    default:
      y = 0;
      return true;
  }
}

bool LeftStatus(cStagePlayScene& scene, const cCondition& c, cChara& self, LeftValue& x) {
  StatusSlot slot;
  if (c.m_nSubject == 2) {
    slot = SystemStatusSlot(scene, c.m_nSelector);
    if (!slot || (c.m_nSelector == 4 && slot.Read() == kUnlimitedLives)) return false;
    x.value = slot.Read();
  } else {
    cChara* subject = Subject(scene, self, c.m_nSubject);
    if (!subject) return false;
    slot = CharaStatusSlot(*subject, c.m_nSelector, c.m_nIndex);
    x.value = ReadCharaStatus(*subject, c.m_nSelector, c.m_nIndex);
    if (c.m_nSelector == 1) x.max = subject->m_Def.m_nMaxHp;
    if (c.m_nSelector == 2) x.max = subject->m_Def.m_nMaxSp;
  }
  x.bits = slot.nBits;
  x.low = slot.nLow;
  x.high = slot.nHigh;
  return true;
}

bool CheckStatusCondition(cStagePlayScene& scene, const cCondition& c, cChara& self) {
  long long y = 0;
  if (!RightValue(scene, c, self, y)) return false;
  if (c.m_nLeftClass == 1) {
    StatusSlot variable = VariableSlot(scene, c.m_nLeftVarKind, c.m_nIndex);
    if (!variable) return false;
    return CompareByOperator(variable.Read(), c.m_bPercent ? 0 : y, c.m_nOperator);
  }
  if (c.m_nLeftClass != 0) return false;
  if (c.m_nSubject != 2 && c.m_nSelector > 14 && Subject(scene, self, c.m_nSubject)) return true;
  LeftValue x;
  if (!LeftStatus(scene, c, self, x)) return false;
  if (c.m_bPercent) y = std::clamp<long long>(PercentOf(static_cast<int>(x.max), static_cast<int>(y)), x.low, x.high);
  return CompareByOperator(x.value, CutToWidth(y, x.bits), c.m_nOperator);
}

bool CheckStatusCondition2(cStagePlayScene& scene, const cCondition& c, cChara& self) {
  long long v = 0;
  if (c.m_nSubject == 2) {
    if (c.m_nSelector == 0)
      v = scene.m_bStageAutoScrollX;
    else if (c.m_nSelector == 1)
      v = scene.m_bStageAutoScrollY;
    else
      return false;
  } else {
    cChara* subject = Subject(scene, self, c.m_nSubject);
    if (!subject) return false;
    const cCharaDef& d = subject->m_Def;
    switch (c.m_nSelector) {
      case 1:
        v = d.m_bTransparent;
        break;
      case 2:
        v = d.m_bFixedFacing;
        break;
      case 3:
        v = d.m_nFlying;
        break;
      case 4:
        v = d.m_nInvincible;
        break;
      case 5:
        v = d.m_nGiant;
        break;
      case 6:
        v = d.m_bScrollSync;
        break;
      default:
        return false;
    }
  }
  return CompareByOperator(v, c.m_nIndex, c.m_nOperator);
}

bool CheckStatusCondition3(cStagePlayScene& scene, const cCondition& c, cChara& self) {
  cChara* subject = c.m_nSubject == 1 ? scene.FindCharaById(self.m_nTargetNo) : &self;
  if (!subject) return false;
  bool result;
  switch (c.m_nSelector) {
    case 0:
      result = subject->m_bRight == 0;
      break;
    case 1:
      result = subject->m_bRight == 1;
      break;
    case 2:
      result = subject->m_Def.m_nFlying == 0 && (subject->m_bRiding || (!subject->m_bJumping && !subject->m_bAirborne));
      break;
    case 3:
      result = subject->IsPlayer() ? subject->IsOnScreen() != 0 : subject->m_bOnScreen != 0;
      break;
    default:
      return false;
  }
  return c.m_nOperator == 1 ? !result : result;
}

struct Interval {
  long long low, high;
};

// The character's range on one axis by the shape (see the distance condition).
Interval ShapeRange(int shape, long long start, long long size, long long r, bool right) {
  long long mid = start + size / 2, end = mid + size / 2;
  switch (shape) {
    case 0:
    case 3:
      return r == 0 ? Interval{start, end} : Interval{start - r, end + r};
    case 1:
    case 4:
      return right ? Interval{mid, end + r} : Interval{start - r, mid};
    case 2:
    case 5:
      return right ? Interval{start - r, mid} : Interval{mid, end + r};
    default:
      return {0, -1};
  }
}

bool CheckDistanceCondition(cStagePlayScene& scene, const cCondition& c, cChara& self) {
  cChara* other = c.m_nSubject == 0   ? (scene.HasHero() ? &scene.Hero() : nullptr)
                  : c.m_nSubject == 1 ? scene.FindCharaById(self.m_nTargetNo)
                                      : nullptr;
  if (!other) return false;
  long long r = static_cast<long long>(c.m_nValue) * 16;
  bool inside;
  if (c.m_nShape == 6) {
    double dx = (self.m_dX + (self.m_nWidth >> 1)) - (other->m_dX + (other->m_nWidth >> 1));
    double dy = (self.m_dY + (self.m_nHeight >> 1)) - (other->m_dY + (other->m_nHeight >> 1));
    inside = std::sqrt(dx * dx + dy * dy) <= static_cast<double>(r);
  } else if (c.m_nShape >= 0 && c.m_nShape <= 5) {
    self.UpdateScreenRect();
    bool vertical = c.m_nShape >= 3;
    const RectI& s = self.m_rcScreen;
    const RectI& o = other->m_rcScreen;
    Interval mine = vertical ? ShapeRange(c.m_nShape, s.nTop, self.m_rcGfx.nH, r, self.m_bRight != 0)
                             : ShapeRange(c.m_nShape, s.nLeft, self.m_rcGfx.nW, r, self.m_bRight != 0);
    Interval theirs = vertical ? Interval{o.nTop + other->m_rcGfx.nY, o.nBottom - other->m_rcGfx.nY}
                               : Interval{o.nLeft + other->m_rcGfx.nX, o.nRight - other->m_rcGfx.nX};
    inside = mine.low <= theirs.high && mine.high >= theirs.low;
  } else {
    return false;
  }
  if (c.m_nOperator == 0) return inside;
  if (c.m_nOperator == 1) return !inside;
  return false;
}

}  // namespace

bool CompareByOperator(long long x, long long y, int op) {
  switch (op) {
    case 0:
      return x == y;
    case 1:
      return x != y;
    case 2:
      return x >= y;
    case 3:
      return x <= y;
    case 4:
      return x > y;
    case 5:
      return x < y;
    case 6:
      return y == 0 || std::llabs(x) % y == 0;
    case 7:
      return y != 0 && std::llabs(x) % y != 0;
    default:
      return false;
  }
}

int PercentOf(int a, int b) {
  double product = static_cast<double>(static_cast<long long>(a) * b) * 0.01;
  return DoubleToInt(std::clamp(std::round(product), -2147483648.0, 2147483647.0));
}

bool CheckCondition(cStagePlayScene& scene, const cCondition& c, cChara& chara) {
  switch (c.m_nKind) {
    case COND_COMMON_VAR:
      return CompareByOperator(CommonVariables(scene).VecAt(c.m_nIndex), c.m_nValue, c.m_nOperator);
    case COND_STAGE_VAR:
      return CompareByOperator(scene.m_StageVar.VecAt(c.m_nIndex), c.m_nValue, c.m_nOperator);
    case COND_CHARA_VAR:
      return CompareByOperator(chara.m_vVars.VecAt(c.m_nIndex), c.m_nValue, c.m_nOperator);
    case COND_STATUS:
      return CheckStatusCondition(scene, c, chara);
    case COND_STATUS2:
      return CheckStatusCondition2(scene, c, chara);
    case COND_STATUS3:
      return CheckStatusCondition3(scene, c, chara);
    case COND_DISTANCE:
      return CheckDistanceCondition(scene, c, chara);
    default:
      return false;
  }
}

bool CheckConditionList(cStagePlayScene& scene, const cCheckedVector<cCondition>& list, int mode, cChara& chara) {
  if (mode == 0) {
    for (const cCondition& c : list)
      if (!CheckCondition(scene, c, chara)) return false;
    return true;
  }
  if (mode == 1) {
    for (const cCondition& c : list)
      if (CheckCondition(scene, c, chara)) return true;
  }
  return false;
}

bool CheckFlowConditions(cStagePlayScene& scene, cRunningFlow& flow, cChara& chara) {
  const cFlow& f = *flow.pFlow;
  if (f.m_vConditions.empty()) return true;
  if (f.m_bLatch && flow.bCondLatched) return true;
  if (!CheckConditionList(scene, f.m_vConditions, f.m_nConditionMode, chara)) return false;
  flow.bCondLatched = 1;
  return true;
}
