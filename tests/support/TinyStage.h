#pragma once
// A tiny stage built in memory: a 40 x 15 cell map with no blocks, the pace of
// a collision level, body sizes, and helpers that place blocks, characters,
// items and flows and run the per-step order of the play frame on them.
#include <gtest/gtest.h>

#include <initializer_list>

#include "flow/Interpreter.h"
#include "library/input/KeyInput.h"
#include "records/FlowEnums.h"
#include "stage/Collision.h"
#include "stage/StagePlayScene.h"

namespace stagetest {

constexpr int kMapW = 40;
constexpr int kMapH = 15;

class TinyStage {
 public:
  explicit TinyStage(int level = 1) {
    CurrentPlayScene = &scene;
    cStageRules& r = scene.m_Rules;
    r.SetCollisionLevel(level, 0.4);
    r.nMapWidth = kMapW;
    r.nMapHeight = kMapH;
    r.HeroBody = {SizeRule{24, 30, 1}, SizeRule{24, 24, 0}};
    r.HeroContact = {SizeRule{20, 28, 1}, SizeRule{20, 20, 0}};
    r.HeroDamage = {20, 28, 0};
    r.HeroItemBox = {24, 30, 0};
    r.CharaBody = {SizeRule{24, 30, 1}, SizeRule{24, 24, 0}};
    r.CharaContact = {SizeRule{20, 28, 1}, SizeRule{20, 20, 0}};
    r.CharaDamage = {20, 28, 0};
    r.ItemBody = {16, 16, 0};
    scene.BuildEmptyMap();
    for (SCROLLDATA* axis : {&scene.m_ScrollX, &scene.m_ScrollY}) {
      axis->nActiveRange = axis->nCells * 32;
      axis->SetScrollLimits(0, 0, 0, 0);
      axis->dPos = axis->nLower;
    }
    KeyInputList.assign(1, cKeyInput{});
  }
  ~TinyStage() {
    CurrentPlayScene = nullptr;
    KeyInputList.clear();
  }
  TinyStage(const TinyStage&) = delete;
  TinyStage& operator=(const TinyStage&) = delete;

  int N() const { return scene.m_Rules.nSteps; }
  double G() const { return scene.m_Rules.dGravityPerStep; }

  // A block of the given hit kind at stage cell (cx, cy).
  MAPCELL& SetBlock(int cx, int cy, int hitKind) {
    MAPCELL& cell = scene.CellAt(scene.CellIndex(cx + 10, cy + 10));
    cell.block.m_nChip = 1;
    cell.block.m_nHitKind = static_cast<std::int8_t>(hitKind);
    return cell;
  }
  void Floor(int row, int hitKind = kBlockHitSolid) {
    for (int x = 0; x < kMapW; ++x) SetBlock(x, row, hitKind);
  }

  static cCharaDef WalkerDef() {
    cCharaDef def;
    def.m_nOperator = 1;
    def.m_nFacing = 1;
    def.m_nMaxHp = 10;
    def.m_bFixedFacing = 0;
    return def;
  }

  cPlayer& AddHero(int cellX, int cellY, cCharaDef def = HeroDef()) {
    cPlayer& hero = scene.Player.emplace_back();
    hero.PlaceHero(scene.m_nNextCharaId++, def, ((cellX + 10) * 32) + 16, ((cellY + 10) * 32) + 16);
    hero.SetBlockX(cellX);
    hero.SetBlockY(cellY);
    scene.AddToFactionList(hero);
    return hero;
  }
  static cCharaDef HeroDef() {
    cCharaDef def = WalkerDef();
    def.m_nOperator = 0;
    def.m_nGroup = 0;
    return def;
  }

  cNpc& AddNpc(int cellX, int cellY, cCharaDef def = WalkerDef()) {
    def.m_nMapX = static_cast<std::int16_t>(cellX);
    def.m_nMapY = static_cast<std::int16_t>(cellY);
    SpawnCharas(cellX, cellY, scene.m_nNextCharaId, def, nullptr);
    cNpc& npc = scene.CharaList.back();
    scene.AddToFactionList(npc);
    npc.m_bActive = 1;
    return npc;
  }

  // The collision order of a computer character's logic step, without its flows.
  static void MoveChara(cChara& c, int& xResult, int& yResult) {
    c.ClearBlockContactFlags();
    c.SavePreviousBounds();
    c.MoveStepX();
    xResult = CollideMapX(c);
    c.ApplyGravity();
    int move = c.MoveStepY();
    yResult = CollideMapY(c);
    if (move == 7) yResult = 7;
  }
  static void MoveChara(cChara& c) {
    int x, y;
    MoveChara(c, x, y);
  }
  // One whole logic step of a computer character: trigger 0, its flows, its moves.
  void StepNpc(cNpc& npc) {
    npc.ClearBlockContactFlags();
    FireFlowTrigger(npc, TRG_ALWAYS);
    npc.RunFlows(0);
    MoveChara(npc);
  }
  // The per-frame part: the frame marks cleared, then N logic steps.
  void Frame(cNpc& npc) {
    ResetFlowFrameFlags(npc);
    for (int s = 1; s <= N(); ++s) {
      scene.m_nLogicStep = s;
      StepNpc(npc);
    }
  }

  cStagePlayScene scene;
};

// A flow with the given trigger and commands.
inline cFlow MakeFlow(int trigger, std::initializer_list<cFlowCommand> commands) {
  cFlow flow;
  flow.m_nTrigger = static_cast<std::int8_t>(trigger);
  for (const cFlowCommand& c : commands) flow.m_vCommands.push_back(c);
  return flow;
}

inline cFlowCommand MakeCommand(int type, int time, bool nonBlocking = false, std::initializer_list<int> params = {}) {
  cFlowCommand c;
  c.m_nType = static_cast<std::int8_t>(type);
  c.m_nTime = static_cast<std::int16_t>(time);
  c.m_bNonBlocking = nonBlocking;
  c.m_vParams.assign(params.begin(), params.end());
  c.m_vParams.resize(16, 0);
  return c;
}

// A status operation with a constant right-hand value on common (kind 0) or
// stage (kind 1) variable `index`; op 0 "=", 1 "+", 2 "-", 3 "x", 4 "/", 5 "%", 6 "X %".
inline cFlowCommand MakeVariableOp(int kind, int index, int op, int value, bool nonBlocking = false) {
  cFlowCommand c = MakeCommand(CMD_STATUS_OPERATION, 0, nonBlocking);
  c.m_vParams.assign(18, 0);
  c.m_vParams[0] = 1;
  c.m_vParams[1] = kind;
  c.m_vParams[2] = index;
  c.m_vParams[5] = op;
  c.m_vParams[7] = value;
  return c;
}

inline cFlowCommand MakeMove(int type, int time, int direction, int speed) {
  cFlowCommand c = MakeCommand(type, time);
  NewEdMove(c.m_pMove);
  c.m_pMove->m_nDirection = static_cast<std::int8_t>(direction);
  c.m_pMove->m_nSpeed = static_cast<std::int16_t>(speed);
  return c;
}

}  // namespace stagetest
