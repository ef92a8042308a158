// The command tables: one executor per flow command type, one per item
// command type, and the per-type preparation at installation.
#include <algorithm>
#include <array>
#include <climits>
#include <utility>

#include "flow/Interpreter.h"
#include "flow/MoveCommands.h"
#include "flow/ObjectCommands.h"
#include "flow/PresentCommands.h"
#include "flow/ShotCommands.h"
#include "gamedata/SaveData.h"
#include "gamedata/WorldMap.h"
#include "records/FlowEnums.h"
#include "stage/Chara.h"
#include "stage/StagePlayScene.h"

namespace {

int ExecNothing(cChara&, cRunningCommand&) { return 0; }

int ExecStageClear(cChara& chara, cRunningCommand& cmd) {
  Scene().m_nEndRequest = DoStageClear(chara, *cmd.pDef);
  return 0;
}
int ItemExecStageClear(cPlayer& hero, const cFlowCommand& def) { return DoStageClear(hero, def); }
int ExecItemNone(cPlayer&, const cFlowCommand&) { return 0; }
int ExecChangeFlow(cPlayer& hero, const cFlowCommand& def) { return DoChangeFlow(hero, def, 0), 0; }

struct CommandTables {
  std::array<CommandExec, CMD_COUNT> flow;
  std::array<ItemCommandExec, ITEMCMD_COUNT> item;
};

const CommandTables ExecTables = [] {
  // Filled first so that no type is ever without an executor; the types that
  // do nothing are named below all the same.
  CommandTables t;
  t.flow.fill(ExecNothing);
  t.item.fill(ExecItemNone);
  auto& table = t.flow;
  table[CMD_NONE] = ExecNothing;
  table[CMD_WAIT] = ExecNothing;
  table[CMD_STRAIGHT_MOVE] = ExecStraightMove;
  table[CMD_GROUND_TURN_MOVE] = ExecGroundTurnMove;
  table[CMD_CIRCLE_MOVE] = ExecCircleMove;
  table[CMD_CHARGE_MOVE] = ExecChargeMove;
  table[CMD_HOMING_MOVE] = ExecHomingMove;
  table[CMD_OFFSCREEN_AVOID_MOVE] = ExecOffscreenAvoidMove;
  table[CMD_DISABLE_MOVE] = ExecDisableMove;
  table[CMD_TURN] = ExecTurn;
  table[CMD_JUMP] = ExecJump;
  table[CMD_SHOT] = ExecShot;
  table[CMD_SWORD] = ExecSword;
  table[CMD_STAGE_CLEAR] = ExecStageClear;
  table[CMD_SUMMON_BLOCK] = ExecSummonBlock;
  table[CMD_SUMMON_CHARA] = ExecSummonChara;
  table[CMD_SUMMON_ITEM] = ExecSummonItem;
  table[CMD_FLOW_OPERATION] = ExecFlowOperation;
  table[CMD_GAME_WAIT] = ExecGameWait;
  table[CMD_WARP] = ExecWarp;
  table[CMD_SET_TARGET] = ExecSetTarget;
  table[CMD_STATUS_OPERATION] = ExecStatusOperation;
  table[CMD_STATUS_OPERATION2] = ExecStatusOperation2;
  table[CMD_ITEM_GET] = ExecItemGet;
  table[CMD_CODE_EXECUTION] = ExecCodeExecution;
  auto& item = t.item;
  item[ITEMCMD_NONE] = ExecItemNone;
  item[ITEMCMD_CHANGE_FLOW] = ExecChangeFlow;
  item[ITEMCMD_STAGE_CLEAR] = ItemExecStageClear;
  item[ITEMCMD_GAME_WAIT] = ItemExecGameWait;
  item[ITEMCMD_WARP] = ItemExecWarp;
  item[ITEMCMD_SET_TARGET] = ItemExecSetTarget;
  item[ITEMCMD_STATUS_OPERATION] = ItemExecStatusOperation;
  item[ITEMCMD_STATUS_OPERATION2] = ItemExecStatusOperation2;
  item[ITEMCMD_ITEM_GET] = ItemExecItemGet;
  item[ITEMCMD_CODE_EXECUTION] = ItemExecCodeExecution;
  InstallPresentCommands(t.flow, t.item);
  return t;
}();

const std::array<CommandExec, CMD_COUNT>& CommandExecTable = ExecTables.flow;
const std::array<ItemCommandExec, ITEMCMD_COUNT>& ItemCommandExecTable = ExecTables.item;

const std::array<CommandSetup, CMD_COUNT> CommandSetupTable = [] {
  std::array<CommandSetup, CMD_COUNT> table{};
  table[CMD_STRAIGHT_MOVE] = SetupStraightMove;
  table[CMD_GROUND_TURN_MOVE] = SetupMoveTimeSpeed;
  table[CMD_CIRCLE_MOVE] = SetupCircleMove;
  table[CMD_CHARGE_MOVE] = SetupChargeMove;
  table[CMD_HOMING_MOVE] = SetupHomingMove;
  table[CMD_OFFSCREEN_AVOID_MOVE] = SetupMoveTimeSpeed;
  table[CMD_JUMP] = SetupJumpCommand;
  return table;
}();

}  // namespace

int CommandParam(const cFlowCommand& def, int index) {
  if (index < 0 || static_cast<size_t>(index) >= def.m_vParams.size()) return 0;
  return def.m_vParams[static_cast<size_t>(index)];
}

int DispatchFlowCommand(cChara& chara, cRunningCommand& cmd) {
  // The loader refuses other types; nothing to run.
  const CommandExec exec = CommandExecFor(cmd.pDef ? cmd.pDef->FlowType() : -1);
  return exec ? exec(chara, cmd) : 0;
}

CommandExec CommandExecFor(int type) {
  if (type < 0 || type >= CMD_COUNT) return nullptr;
  return CommandExecTable[static_cast<size_t>(type)];
}

CommandSetup CommandSetupFor(int type) {
  if (type < 0 || type >= CMD_COUNT) return nullptr;
  return CommandSetupTable[static_cast<size_t>(type)];
}

ItemCommandExec ItemCommandExecFor(int itemType) {
  if (itemType < 0 || itemType >= ITEMCMD_COUNT) return nullptr;
  return ItemCommandExecTable[static_cast<size_t>(itemType)];
}

void StartCommandAnimes(cChara& chara) {
  cStagePlayScene& scene = Scene();
  for (const cRunningFlow& flow : chara.m_vFlows) {
    if (!flow.bRunning || flow.bPaused) continue;
    for (const ScheduledAnime& entry : flow.Animes) {
      if (entry.nStart != flow.nSteps) continue;
      AnimeSequence frames = scene.AnimeFrameTable.VecAt(entry.nAnime);
      if (entry.nCmdTime >= 2 && entry.bHold) {
        for (ANIMEFRAMEDATA& frame : frames) {
          if (frame.nPattern < 0) break;
          if (frame.bLock) {
            frame.nDuration += entry.nCmdTime - 1;
            break;
          }
        }
      }
      // Newest first: the drawing's choice walks the list from the front.
      FlowAnimeEntry& anime = chara.m_lAnimes.emplace_front();
      anime.bPriority = 1;
      anime.nCounter = entry.nShow;
      anime.nLength = entry.nCmdTime;
      anime.nSerial = flow.nSerial;
      anime.Anime.SetAnimeTable(AnimeTable{std::move(frames)});
      anime.Anime.SetAnime(0, 1);
      if (entry.nSkip != 0) anime.Anime.SkipTicks(entry.nSkip);
    }
  }
}

int DoStageClear(cChara&, const cFlowCommand& def) {
  cStagePlayScene& scene = Scene();
  cSaveData& record = scene.Record();
  switch (CommandParam(def, 0)) {
    case 0:  // the next stage of the series
      scene.m_nNextStage = record.nSeriesNo < INT_MAX ? record.nSeriesNo + 1 : INT_MAX;
      break;
    case 1:  // a stage by its number
      scene.m_nNextStage = CommandParam(def, 1);
      break;
    case 2:  // the world is cleared: no next stage
      scene.m_nNextStage = 0;
      break;
    default:
      break;
  }
  if (CommandParam(def, 2)) {
    // The map cursor stays on the map on both sides.
    const cWorldMap& map = CurrentWorldMap();
    record.nMapX = std::clamp(CommandParam(def, 3), 0, std::max(map.nMapWidth - 1, 0));
    record.nMapY = std::clamp(CommandParam(def, 4), 0, std::max(map.nMapHeight - 1, 0));
    record.nStageCursor = 0;
  }
  record.bStartPos = CommandParam(def, 5) != 0 ? 1 : 0;
  if (record.bStartPos) {
    record.nStartX = CommandParam(def, 6);
    record.nStartY = CommandParam(def, 7);
    const int facing = CommandParam(def, 8);
    record.nStartDir = facing == 2 && scene.HasHero() ? scene.Hero().m_bRight : facing;
  }
  return 1;
}

int DoChangeFlow(cChara& chara, const cFlowCommand& def, int applyNow) {
  cStagePlayScene& scene = Scene();
  if (!applyNow && scene.HasHero() && scene.m_pActChara == &scene.Hero()) {
    scene.Hero().m_vPendingChangeFlows.push_back(def);
    return 0;
  }
  int facing = chara.m_Def.m_nFacing;
  switch (CommandParam(def, 0)) {
    case 0:
      chara.InstallFlows(def.m_vFlows, facing, 1, -1);
      break;
    case 1:
      chara.InstallFlows(def.m_vFlows, facing, 1, chara.DeleteFlows(CommandParam(def, 1)));
      break;
    case 2:
      chara.DeleteFlows(CommandParam(def, 1));
      break;
    default:
      break;
  }
  return 0;
}
