// The status operation: one value of a character, of the system or a variable
// changed by an operator with a right-hand value. Every operator is computed
// in 64 bits and then clamped, so an overflow lands on the bound its true
// result lies beyond instead of wrapping.
#include <algorithm>

#include "flow/Interpreter.h"
#include "flow/ObjectCommands.h"
#include "flow/Status.h"
#include "stage/Chara.h"
#include "stage/StagePlayScene.h"

namespace {

enum Operand { kConstant, kRandom, kStatus, kVariable };
enum HpMode { kPlain, kPercentOfMax, kPercentOfCurrent };

// The right-hand value, read as a status condition reads its right value;
// false when the value has no owner, which ends the operation.
bool RightHand(cStagePlayScene& scene, cChara& c, const cFlowCommand& cmd, int& r) {
  switch (CommandParam(cmd, 6)) {
    case kConstant:
      r = CommandParam(cmd, 7);
      return true;
    case kRandom:
      r = static_cast<int>(RandomBetween(CommandParam(cmd, 8), CommandParam(cmd, 9)));
      return true;
    case kStatus:
      return ReadRightStatus(scene, c, CommandParam(cmd, 12), CommandParam(cmd, 13), CommandParam(cmd, 11), r);
    case kVariable:
      r = ReadRightVariable(scene, CommandParam(cmd, 10), CommandParam(cmd, 11));
      return true;
    default:
      r = 0;
      return true;
  }
}

// The operator on a stored value at its width and range; with the percentage
// flag the right-hand value is that percentage of the current value.
void Operate(const StatusSlot& slot, int r, int op, bool percent) {
  const int current = slot.Read();
  if (percent) r = PercentOf(current, r);
  slot.Write(ApplyOperation(current, CutToWidth(r, slot.nBits), op, slot.nLow, slot.nHigh));
}

// HP (selector 1) or SP (2) by the HP mode; the change goes through the
// character's own HP and SP rules, forced, so a decrease reaches an invincible one.
void OperateHpOrSp(cChara& s, int selector, int r, int op, int mode, int gauge) {
  const int current = selector == 1 ? s.m_nHp : s.m_nSp;
  const int max = selector == 1 ? s.m_Def.m_nMaxHp : s.m_Def.m_nMaxSp;
  int x = current;
  if (mode == kPlain) x = ApplyOperation(current, r, op, 0, kMaxStatusValue);
  if (mode == kPercentOfMax) x = ApplyOperation(current, PercentOf(max, r), op, 0, kMaxStatusValue);
  if (mode == kPercentOfCurrent) x = ApplyOperation(current, PercentOf(current, r), op, 0, kMaxStatusValue);
  const long long delta = static_cast<long long>(x) - current;
  if (selector == 1)
    s.ChangeHp(static_cast<int>(delta), 1, gauge);
  else
    s.ChangeSp(static_cast<int>(delta), gauge);
}

int OperateSystem(cStagePlayScene& scene, int selector, int r, int op, bool percent) {
  StatusSlot slot = SystemStatusSlot(scene, selector);
  if (!slot || (selector == 4 && slot.Read() == kUnlimitedLives)) return 0;
  Operate(slot, r, op, percent);
  AfterSystemStatusWrite(scene, selector);
  TraceSystemWrite(scene, selector);
  return 1;
}

int OperateChara(cStagePlayScene& scene, cChara& c, cChara& s, const cFlowCommand& cmd, int r) {
  const int selector = CommandParam(cmd, 4), op = CommandParam(cmd, 5);
  const bool percent = CommandParam(cmd, 14) != 0;
  if (selector == 1 || selector == 2) {
    OperateHpOrSp(s, selector, r, op, CommandParam(cmd, 15), CommandParam(cmd, 16));
  } else {
    StatusSlot slot = CharaStatusSlot(s, selector, CommandParam(cmd, 2));
    if (!slot || (selector == 8 && !s.IsPlayer())) return 0;
    Operate(slot, r, op, percent);
    AfterCharaStatusWrite(s, selector);
    if (selector == 3) s.m_nHp = std::min(s.m_nHp, s.m_Def.m_nMaxHp);
    if (selector == 4) s.m_nSp = std::min(s.m_nSp, s.m_Def.m_nMaxSp);
  }
  // Another character's HP at 0 may be the hero's: the play frame then tests its death.
  if ((selector == 1 || selector == 3) && &s != &c && s.m_nHp <= 0) scene.m_bCheckHero = 1;
  return 1;
}

}  // namespace

int ApplyOperation(int v, int a, int op, int low, int high) {
  long long x = v;
  switch (op) {
    case 0:
      x = a;
      break;
    case 1:
      x += a;
      break;
    case 2:
      x -= a;
      break;
    case 3:
      x *= a;
      break;
    case 4:
      if (a != 0) x /= a;
      break;
    case 5:
      if (a != 0) x %= a;
      break;
    case 6:
      x = PercentOf(a, v);
      break;
    default:
      break;
  }
  return static_cast<int>(ClampToRange(x, low, high));
}

int DoStatusOperation(cChara& c, const cFlowCommand& cmd) {
  cStagePlayScene& scene = Scene();
  int r = 0;
  if (!RightHand(scene, c, cmd, r)) return 0;
  const int op = CommandParam(cmd, 5);
  const bool percent = CommandParam(cmd, 14) != 0;
  if (CommandParam(cmd, 0) == 1) {
    StatusSlot variable = VariableSlot(scene, CommandParam(cmd, 1), CommandParam(cmd, 2));
    if (!variable) return 0;
    Operate(variable, r, op, percent);
    TraceVariableWrite(CommandParam(cmd, 1), CommandParam(cmd, 2), variable.Read());
    return 1;
  }
  if (CommandParam(cmd, 0) != 0) return 0;
  const int whose = CommandParam(cmd, 3);
  if (whose == 2) return OperateSystem(scene, CommandParam(cmd, 4), r, op, percent);
  cChara* s = whose == 1 ? scene.FindCharaById(c.m_nTargetNo) : &c;
  if (!s || (CommandParam(cmd, 17) && s->m_Def.m_nInvincible != 0)) return 0;
  return OperateChara(scene, c, *s, cmd, r);
}
