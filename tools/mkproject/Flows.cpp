#include "Flows.h"

#include <string>

#include "Definitions.h"
#include "library/util/Text.h"
#include "records/FlowEnums.h"

namespace mkproject {

namespace {

// Key slots of a key condition: directions 0..9, then no button and buttons 1..8.
constexpr int kKeyLeft = 1;
constexpr int kKeyRight = 2;
constexpr int kKeyButton1 = 11;
constexpr int kKeyButton2 = 12;
constexpr int kKeyButton3 = 13;
constexpr std::int8_t kPressed = 1;
// Direction codes of the movement settings.
constexpr int kDirectionLeft = 2;
constexpr int kDirectionRight = 3;

constexpr int kWalkSpeed = 25;        // tenths of a dot per frame
constexpr int kJumpKindHeld = 1;      // the height grows while the key is held
constexpr int kJumpHeight = 9;        // hbl (16 dots): over the four cells up to the lower platforms
constexpr int kTurnAwayFromWall = 5;  // turn mode: away from the side of the last block contact
constexpr int kHopPause = 15;         // tenths of a second between an enemy's hops
constexpr int kHopHeight = 4;         // hbl
constexpr int kDirectionUp = 6;
constexpr int kBlinkPause = 30;  // tenths of a second between a hopper's warps
constexpr int kBlinkHeight = 2;  // hbl it warps up, then falls back
constexpr int kWalkFlowId = 1;   // "A": the walk a patroller's rest pauses and resumes
constexpr int kPatrolWalk = 40;  // tenths of a second of walking ...
constexpr int kPatrolRest = 10;  // ... and of resting
// Status-operation and flow-operation parameters.
enum FlowOperationKind { kFlowPause = 2, kFlowResume = 3 };
constexpr int kFlowById = 2;
constexpr int kSystemStatus = 2;
constexpr int kScore = 3;
constexpr int kOperatorAdd = 1;
constexpr int kOpeningWait = 5;  // tenths of a second the game holds before play
// A hop starts when the enemy's score (100) is at least a draw between these:
// about every other try, so that the stage's play depends on the random seed.
constexpr int kHopDrawLow = 50, kHopDrawHigh = 149;
constexpr int kStatusScore = 14;
constexpr int kAtLeast = 2;

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

cFlowCommand FlowOperation(FlowOperationKind operation, int id) {
  cFlowCommand command = Command(CMD_FLOW_OPERATION, 0);
  command.m_vParams = {operation, kFlowById, id};
  return command;
}

// An item command of the item type that stands for flow command `type`.
cFlowCommand ItemCommand(FlowCommandType type) {
  const int itemType = type - kItemCommandTypeOffset;
  cFlowCommand command;
  command.m_bItemCommand = 1;
  command.m_nType = static_cast<std::int8_t>(itemType);
  command.m_vParams.assign(static_cast<std::size_t>(ItemCommandParamCounts[static_cast<std::size_t>(itemType)]), 0);
  return command;
}

cKeyCondition KeyHeld(int slot) {
  cKeyCondition key;
  key.m_vKeys[static_cast<std::size_t>(slot)] = kPressed;
  key.m_bAnyLength = 1;
  return key;
}

// Shot settings: one shot ahead ("前") at a speed, from a graphic of the shot sheet.
cFlowCommand Shot(FlowCommandType type, int speed, int graphic, int sound) {
  cFlowCommand command = Command(type, 0);
  NewEdShot(command.m_pShot);
  cEdShot& s = *command.m_pShot;
  s.m_nShotCount = 1;
  s.m_nSpeed = static_cast<std::int16_t>(speed);
  s.m_nShotGraphic = static_cast<std::int16_t>(graphic);
  s.m_nPower = 1;
  command.m_nSound = static_cast<std::int16_t>(sound);
  return command;
}

// The hero's attacks strike a spark where they hit.
cFlowCommand Striking(cFlowCommand attack) {
  attack.m_pShot->m_nHitEffect = kSparkEffect;
  return attack;
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
  flows.push_back(OnKey(kKeyButton2, false, Striking(Shot(CMD_SWORD, 0, 0, 0))));
  flows.push_back(OnKey(kKeyButton3, false, Striking(Shot(CMD_SHOT, kHeroShotSpeed, kHeroShotGraphic, kShotSound))));
  return flows;
}

cCheckedVector<cFlow> ShooterFlows() {
  cFlowCommand shot = Shot(CMD_SHOT, kShooterShotSpeed, kShooterShotGraphic, kShotSound);
  shot.m_pShot->m_bAim = 1;
  shot.m_pShot->m_bPierceChara = 1;
  cFlow fire;
  fire.m_nTrigger = TRG_ALWAYS;
  fire.m_vCommands = {shot, Command(CMD_WAIT, kShooterPause)};
  return {fire};
}

cCheckedVector<cFlow> WalkerFlows(int speed) {
  cFlow walk;
  walk.m_nTrigger = TRG_ALWAYS;
  walk.m_vCommands.assign(1, Move(CMD_GROUND_TURN_MOVE, 0, speed, 10));
  cFlow turn;
  turn.m_nTrigger = TRG_BLOCK_HIT_SIDES;
  turn.m_vCommands.assign(1, Command(CMD_TURN, 0));
  turn.m_vCommands.front().m_vParams[0] = kTurnAwayFromWall;
  return {walk, turn};
}

cCheckedVector<cFlow> PatrolFlows(int speed) {
  cCheckedVector<cFlow> flows = WalkerFlows(speed);
  flows.front().m_nId = kWalkFlowId;
  cFlow rest;
  rest.m_nTrigger = TRG_ALWAYS;
  rest.m_vCommands = {Command(CMD_WAIT, kPatrolWalk), FlowOperation(kFlowPause, kWalkFlowId),
                      Command(CMD_WAIT, kPatrolRest), FlowOperation(kFlowResume, kWalkFlowId)};
  flows.push_back(rest);
  return flows;
}

cCheckedVector<cFlow> HopperFlows(int speed) {
  cFlow hop;
  hop.m_nTrigger = TRG_ALWAYS;
  hop.m_vCommands = {Command(CMD_WAIT, kHopPause), Command(CMD_JUMP, 0)};
  hop.m_vCommands.back().m_vParams[2] = kHopHeight;
  cCondition draw;
  draw.m_nKind = COND_STATUS;
  draw.m_nSelector = kStatusScore;
  draw.m_nOperator = kAtLeast;
  draw.m_nRightSource = 1;
  draw.m_nRandomLow = kHopDrawLow;
  draw.m_nRandomHigh = kHopDrawHigh;
  hop.m_vConditions.assign(1, draw);
  cFlowCommand warp = Command(CMD_WARP, 0);
  NewEdMove(warp.m_pMove);
  warp.m_pMove->m_nDirection = kDirectionUp;
  warp.m_pMove->m_nDistance = kBlinkHeight;
  cFlow blink;
  blink.m_nTrigger = TRG_ALWAYS;
  blink.m_vCommands = {Command(CMD_WAIT, kBlinkPause), warp};
  cCheckedVector<cFlow> flows = WalkerFlows(speed);
  flows.push_back(hop);
  flows.push_back(blink);
  return flows;
}

cFlow OpeningWait() {
  cFlowCommand wait = Command(CMD_GAME_WAIT, 0);
  wait.m_vParams[0] = kOpeningWait;
  wait.m_bNonBlocking = 1;  // a before-stage flow runs only its non-blocking commands
  cFlow flow;
  flow.m_nTrigger = TRG_BEFORE_STAGE_START;
  flow.m_vCommands.assign(1, wait);
  return flow;
}

cCheckedVector<cFlow> LiftFlows(int speed, int tenths, int rest) {
  cFlow shuttle;
  shuttle.m_nTrigger = TRG_ALWAYS;
  shuttle.m_vCommands = {Move(CMD_STRAIGHT_MOVE, kDirectionRight, speed, tenths),
                         Move(CMD_STRAIGHT_MOVE, kDirectionLeft, speed, tenths), Command(CMD_WAIT, rest)};
  return {shuttle};
}

cCheckedVector<cFlowCommand> CoinCommands() {
  cFlowCommand score = ItemCommand(CMD_STATUS_OPERATION);
  score.m_vParams[3] = kSystemStatus;
  score.m_vParams[4] = kScore;
  score.m_vParams[5] = kOperatorAdd;
  score.m_vParams[7] = kCoinScore;
  cFlowCommand count = ItemCommand(CMD_CODE_EXECUTION);
  const std::string variable = "C" + std::to_string(kCoinCountVariable);
  count.m_strText = variable + " = " + variable + " + 1";
  return {score, count};
}

namespace {

// Message and picture parameters.
constexpr int kMessageAtScreenCell = 7;  // "画面座標で指定"
constexpr int kPictureAtStageCell = 4;   // "ステージ座標で指定"
constexpr int kShownForTime = 2;         // "時間で指定"
constexpr int kShownUntilStageEnd = 1;   // "ステージ終了まで表示"
constexpr int kCoinMessageTenths = 10;
constexpr int kCoinMessageId = 1;
// The hit flash: red at 60 % over 0.2 s, twice.
constexpr int kFlashStrength = 60;
constexpr int kFlashTenths = 2;
constexpr int kFlashCount = 2;

// The before-stage trigger runs only non-blocking commands.
cFlowCommand NonBlocking(cFlowCommand command) {
  command.m_bNonBlocking = 1;
  return command;
}

}  // namespace

cFlowCommand CoinMessage() {
  cFlowCommand message = ItemCommand(CMD_MESSAGE);
  auto& p = message.m_vParams;
  p[0] = kMessageAtScreenCell;
  p[1] = p[2] = 1;  // one cell in from the left and from the top
  p[6] = kShownForTime;
  p[7] = kCoinMessageTenths;
  p[9] = 1;   // the '#' escapes show the variable
  p[10] = 1;  // fixed on the screen
  p[12] = 1;  // has an ID
  p[13] = kCoinMessageId;
  p[14] = 1;  // in a window
  message.m_strText = Sjis("コイン ") + "#C" + std::to_string(kCoinCountVariable) + "." + Sjis("枚");
  return message;
}

cFlow StageOpening(int signX, int signY) {
  cFlowCommand sign = Command(CMD_PICTURE, 0);
  auto& p = sign.m_vParams;
  p[0] = kSignPicture;
  p[1] = kPictureAtStageCell;
  p[2] = signX;
  p[3] = signY;
  p[7] = 100;  // its own size
  p[8] = kShownUntilStageEnd;
  cFlowCommand circle = Command(CMD_SCREEN_EFFECT, 0);
  circle.m_vParams[0] = kOpeningCircle;
  cFlow flow;
  flow.m_nTrigger = TRG_BEFORE_STAGE_START;
  flow.m_vCommands = {NonBlocking(sign), NonBlocking(circle)};
  return flow;
}

cFlow HitFlash() {
  cFlowCommand flash = Command(CMD_SCREEN_COLOR, 0);
  flash.m_vParams = {255, 0, 0, kFlashStrength, 0, kFlashTenths, 1, kFlashCount};
  cFlowCommand shake = Command(CMD_SCREEN_EFFECT, 0);
  shake.m_vParams[0] = kShakeEffect;
  cFlow flow;
  flow.m_nTrigger = TRG_DAMAGED;
  flow.m_vCommands = {flash, shake};
  return flow;
}

}  // namespace mkproject
