#include "Flows.h"

#include "Definitions.h"
#include "records/FlowEnums.h"

namespace mkproject {

namespace {

// Key slots of a key condition: directions 0..9, then no button and buttons 1..8.
constexpr int kKeyLeft = 1;
constexpr int kKeyRight = 2;
constexpr int kKeyButton1 = 11;
constexpr std::int8_t kPressed = 1;
// Direction codes of the movement settings.
constexpr int kDirectionLeft = 2;
constexpr int kDirectionRight = 3;

constexpr int kWalkSpeed = 25;    // tenths of a dot per frame
constexpr int kJumpKindHeld = 1;  // the height grows while the key is held
constexpr int kJumpHeight = 7;    // hbl (16 dots)

cFlowCommand Command(FlowCommandType type, int tenths) {
  cFlowCommand command;
  command.m_nType = static_cast<std::int8_t>(type);
  command.m_vParams.assign(static_cast<std::size_t>(CommandParamCounts[type]), 0);
  command.m_nTime = static_cast<std::int16_t>(tenths);
  return command;
}

cFlowCommand Move(FlowCommandType type, int direction, int speed, int tenths) {
  cFlowCommand command = Command(type, tenths);
  NewEdMove(command.m_pMove);
  command.m_pMove->m_nDirection = static_cast<std::int8_t>(direction);
  command.m_pMove->m_nSpeed = static_cast<std::int16_t>(speed);
  return command;
}

cKeyCondition KeyHeld(int slot) {
  cKeyCondition key;
  key.m_vKeys[static_cast<std::size_t>(slot)] = kPressed;
  key.m_bAnyLength = 1;
  return key;
}

cFlow OnKey(int slot, bool continuous, cFlowCommand command) {
  cFlow flow;
  flow.m_nTrigger = TRG_ALWAYS;
  flow.m_bKeyContinuous = continuous ? 1 : 0;
  flow.m_vKeyConditions.assign(1, KeyHeld(slot));
  flow.m_vCommands.assign(1, std::move(command));
  return flow;
}

}  // namespace

cCheckedVector<cFlow> HeroFlows() {
  cFlowCommand jump = Command(CMD_JUMP, 0);
  jump.m_vParams[0] = kJumpKindHeld;
  jump.m_vParams[2] = kJumpHeight;
  jump.m_nSound = kJumpSound;
  cCheckedVector<cFlow> flows;
  flows.push_back(OnKey(kKeyLeft, true, Move(CMD_STRAIGHT_MOVE, kDirectionLeft, kWalkSpeed, 1)));
  flows.push_back(OnKey(kKeyRight, true, Move(CMD_STRAIGHT_MOVE, kDirectionRight, kWalkSpeed, 1)));
  flows.push_back(OnKey(kKeyButton1, false, std::move(jump)));
  return flows;
}

cCheckedVector<cFlow> WalkerFlows(int speed) {
  cFlow walk;
  walk.m_nTrigger = TRG_ALWAYS;
  walk.m_vCommands.assign(1, Move(CMD_GROUND_TURN_MOVE, 0, speed, 10));
  return cCheckedVector<cFlow>(1, walk);
}

}  // namespace mkproject
