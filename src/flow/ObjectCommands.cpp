#include "flow/ObjectCommands.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "flow/Interpreter.h"
#include "flow/MoveCommands.h"
#include "flow/Status.h"
#include "records/Palette.h"
#include "records/StageData.h"
#include "stage/Collision.h"
#include "stage/Message.h"
#include "stage/PauseLoop.h"
#include "stage/ShotFire.h"
#include "stage/StagePlayScene.h"

namespace {

constexpr int kPauseGameWait = 0;  // the pause request's kind

enum FlowOperation { kStart, kEnd, kPause, kResume, kDelete, kStopForever };
enum FlowSelection { kThisFlow, kAllButThis, kById };

void OperateOnFlow(cChara& c, cRunningFlow& f, int operation) {
  cStagePlayScene& scene = Scene();
  switch (operation) {
    case kStart: {
      StopFlow(f, c);
      RemoveFlowAnimes(c, f.nSerial);
      // A before-stage flow runs at once and names itself the acting flow; the
      // flow running this command is the acting one again afterwards.
      cRunningFlow* actFlow = scene.m_pActFlow;
      cRunningCommand* actCommand = scene.m_pActCommand;
      StartFlow(f);
      scene.m_pActFlow = actFlow;
      scene.m_pActCommand = actCommand;
      break;
    }
    case kEnd:
      StopFlow(f, c);
      RemoveFlowAnimes(c, f.nSerial);
      break;
    case kPause:
      PauseFlow(f);
      PauseFlowAnimes(c, f.nSerial);
      break;
    case kResume:
      ResumeFlow(f);
      ResumeFlowAnimes(c, f.nSerial);
      return;  // no break: resuming never ends the step of the flow that runs this command
    case kDelete:
      c.m_bFlowsDeleted = 1;
      f.bDeleted = 1;
      break;
    case kStopForever:
      StopFlowForever(f, c);
      RemoveFlowAnimes(c, f.nSerial);
      break;
    default:
      return;
  }
  f.bBreak = 1;
}

// Moves the character by d dots in a resolved direction; diagonals move d/sqrt(2) on both axes.
void WarpBy(cChara& c, int direction, double d) {
  const double diagonal = d / std::sqrt(2.0);
  double dx = 0, dy = 0;
  switch (direction) {
    case 2:
      dx = -d;
      break;
    case 3:
      dx = d;
      break;
    case 6:
      dy = -d;
      break;
    case 7:
      dy = d;
      break;
    case 8:
    case 9:
    case 10:
    case 11:
      dx = direction <= 9 ? -diagonal : diagonal;
      dy = direction == 8 || direction == 10 ? -diagonal : diagonal;
      break;
    default:
      return;
  }
  if (dx != 0) {
    c.m_dX += dx;
    c.OnMoveX();
  }
  if (dy != 0) {
    c.m_dY += dy;
    c.OnMoveY();
  }
}

enum WarpMode { kByDirection, kFromTarget, kToPoint };
enum WarpCoordinates { kRelative, kAbsolute, kScreen };

// The target point of a warp; false when there is nothing to warp to.
bool WarpToPoint(cChara& c, const cEdMove& m) {
  double tx = m.m_nTargetDotX + m.m_nTargetCellX * 32, ty = m.m_nTargetDotY + m.m_nTargetCellY * 32;
  if (c.m_bRight && m.m_bMirrorX) tx = -tx;
  if (c.m_bRight && m.m_bMirrorY) ty = -ty;
  const cStagePlayScene& scene = Scene();
  switch (m.m_nCoordMode) {
    case kRelative:
      c.m_dX += tx;
      c.m_dY += ty;
      break;
    case kAbsolute:
      c.SetBlockX(m.m_nTargetCellX);
      c.SetBlockY(m.m_nTargetCellY);
      c.m_dX += m.m_nTargetDotX;
      c.m_dY += m.m_nTargetDotY;
      break;
    case kScreen:
      c.m_dX = c.m_rcGfx.nX + scene.m_ScrollX.dPos + tx;
      c.m_dY = c.m_rcGfx.nY + scene.m_ScrollY.dPos + ty;
      break;
    default:
      return false;
  }
  c.OnMoveX();
  c.OnMoveY();
  return true;
}

void WarpFromTarget(cChara& c, const cChara& target, int direction, double d) {
  c.m_dX = target.m_dX - target.m_rcGfx.nX + (target.m_rcGfx.nW >> 1) + c.m_rcGfx.nX - (c.m_rcGfx.nW >> 1);
  c.m_dY = target.m_dY - target.m_rcGfx.nY + (target.m_rcGfx.nH >> 1) + c.m_rcGfx.nY - (c.m_rcGfx.nH >> 1);
  c.OnMoveX();
  c.OnMoveY();
  WarpBy(c, ResolveDirection(target, direction), d);
}

enum TargetChoice { kTargetHero, kTargetSelf, kTargetNearest, kTargetById };

// The target search over the faction lists: one faction, or all eight.
cChara* SearchTarget(cStagePlayScene& scene, cChara& c, const cFlowCommand& cmd) {
  CharaFilter filter;
  filter.excludeSelf = CommandParam(cmd, 4);
  filter.skipInvincible = CommandParam(cmd, 5);
  filter.skipShotProof = CommandParam(cmd, 6);
  filter.skipBlockCharas = CommandParam(cmd, 7);
  filter.useId = CommandParam(cmd, 8);
  filter.id = static_cast<std::int8_t>(CommandParam(cmd, 9));
  filter.selfNo = c.m_nNo;
  const bool nearest = CommandParam(cmd, 0) == kTargetNearest;
  const int x = c.ScreenCentreX(), y = c.ScreenCentreY(), mode = CommandParam(cmd, 3);
  auto search = [&](const std::vector<int>& list) {
    return nearest ? FindNearestChara(x, y, list, mode, filter) : FindChara(list, filter);
  };
  if (CommandParam(cmd, 2) == 0) {
    const int faction = CommandParam(cmd, 1);
    return faction >= 0 && faction < kFactions ? search(scene.m_CharaByFaction[static_cast<size_t>(faction)]) : nullptr;
  }
  // All factions: the first found in faction order, or the nearest of each faction's nearest.
  std::vector<int> candidates;
  for (const std::vector<int>& list : scene.m_CharaByFaction) {
    if (list.empty()) continue;
    cChara* found = search(list);
    if (found && !nearest) return found;
    if (found) candidates.push_back(found->m_nNo);
  }
  return nearest ? FindNearestChara(x, y, candidates, mode, filter) : nullptr;
}

// The summon commands act at their first step and every tenth of a second while they run.
template <void (*Summon)(cChara&, cRunningCommand&, cEdShot&)>
int ExecSummon(cChara& c, cRunningCommand& cmd) {
  cStagePlayScene& scene = Scene();
  const cFlowCommand& def = *cmd.pDef;
  if (cmd.nStepCount == 0) {
    if (!def.m_bSoundOnScreen || c.m_bOnScreen) scene.Hooks().RequestDbSe(def.m_nSound);
    if (cEdShot* settings = def.m_pShot.get()) Summon(c, cmd, *settings);
  }
  if (++cmd.nStepCount >= 6 * scene.m_Rules.nSteps) cmd.nStepCount = 0;
  return 0;
}

}  // namespace

int ExecSummonBlock(cChara& c, cRunningCommand& cmd) { return ExecSummon<SummonBlock>(c, cmd); }
int ExecSummonChara(cChara& c, cRunningCommand& cmd) { return ExecSummon<SummonChara>(c, cmd); }
int ExecSummonItem(cChara& c, cRunningCommand& cmd) { return ExecSummon<SummonItem>(c, cmd); }

int ExecFlowOperation(cChara& c, cRunningCommand& cmd) {
  const cFlowCommand& def = *cmd.pDef;
  const int operation = CommandParam(def, 0), selection = CommandParam(def, 1), id = CommandParam(def, 2);
  cRunningFlow* acting = Scene().m_pActFlow;
  if (selection == kThisFlow) {
    if (acting) OperateOnFlow(c, *acting, operation);
    return 0;
  }
  if (selection != kAllButThis && selection != kById) return 0;
  for (cRunningFlow& f : c.m_vFlows) {
    const bool selected =
        selection == kAllButThis ? &f != acting : f.pFlow && f.pFlow->m_nId != 0 && f.pFlow->m_nId == id;
    if (selected) OperateOnFlow(c, f, operation);
  }
  return 0;
}

int DoGameWait(cChara&, const cFlowCommand& cmd) {
  cStagePlayScene& scene = Scene();
  // Tenths of a second in frames, whatever the logic steps per frame.
  const int frames = static_cast<int>(std::clamp<long long>(CommandParam(cmd, 0) * 6LL, 0, INT_MAX));
  const int timer = scene.AddMessage(GameWaitTimer(frames)).Serial();
  scene.SetPauseRequest(kPauseGameWait, 0, frames, 0);
  RunPauseLoop(scene);
  // By its serial: the loop's drawing may have ended the timer already.
  if (cMessage* message = scene.FindMessage(timer)) message->Remove();
  return 0;
}

int DoWarp(cChara& c, const cFlowCommand& cmd) {
  if (!cmd.m_pMove) return 2;
  const cEdMove& m = *cmd.m_pMove;
  const double d = (m.m_nDistance + m.m_nDistanceStep * static_cast<double>(c.m_nTag)) * 16;
  c.m_bPinnedX = c.m_bPinnedY = 0;
  const double x = c.m_dX, y = c.m_dY, right = c.m_dRight, bottom = c.m_dBottom;
  if (m.m_nTargetMode == kByDirection) {
    WarpBy(c, ResolveDirection(c, m.m_nDirection), d);
  } else if (m.m_nTargetMode == kFromTarget) {
    const cChara* target = Scene().FindCharaById(c.m_nTargetNo);
    if (!target) return 2;
    WarpFromTarget(c, *target, m.m_nDirection, d);
  } else if (m.m_nTargetMode != kToPoint || !WarpToPoint(c, m)) {
    return 2;
  }
  c.UpdateScreenRect();
  if (!c.IsInArea(0) || CheckBlockOverlap(c)) {
    c.m_dX = x, c.m_dY = y, c.m_dRight = right, c.m_dBottom = bottom;
    c.OnMoveY();
    c.OnMoveX();
    c.UpdateScreenRect();
    return 2;
  }
  if (!c.m_bFlying) c.m_dVy = 0;
  if (m.m_nTargetMode != kToPoint || m.m_nCoordMode != kScreen) return 2;
  c.m_nPinnedX = c.m_rcScreen.nLeft;
  c.m_nPinnedY = c.m_rcScreen.nTop;
  c.m_bPinnedX = c.m_bPinnedY = 1;
  return 1;
}

int DoSetTarget(cChara& c, const cFlowCommand& cmd) {
  cStagePlayScene& scene = Scene();
  cChara* target = scene.FindCharaById(c.m_nTargetNo);
  if (target) std::erase(target->m_vTargetedBy, c.m_nNo);
  switch (CommandParam(cmd, 0)) {
    case kTargetHero:
      target = scene.HasHero() ? &scene.Hero() : nullptr;
      break;
    case kTargetSelf:
      target = &c;
      break;
    case kTargetNearest:
    case kTargetById:
      target = SearchTarget(scene, c, cmd);
      break;
    default:
      break;
  }
  c.m_nTargetNo = target ? target->m_nNo : kNoTarget;
  if (target &&
      std::find(target->m_vTargetedBy.begin(), target->m_vTargetedBy.end(), c.m_nNo) == target->m_vTargetedBy.end())
    target->m_vTargetedBy.push_back(c.m_nNo);
  return 0;
}

int DoStatusOperation2(cChara& c, const cFlowCommand& cmd) {
  cStagePlayScene& scene = Scene();
  const int subject = CommandParam(cmd, 0), item = CommandParam(cmd, 1), v = CommandParam(cmd, 2);
  if (subject == 2) {
    if (item == 0) {
      scene.m_bStageAutoScrollX = v;
      scene.m_ScrollX.SetAutoScroll(v, scene.m_nStageScrollSpeedX, scene.m_Rules.nSteps);
    } else if (item == 1) {
      scene.m_bStageAutoScrollY = v;
      scene.m_ScrollY.SetAutoScroll(v, scene.m_nStageScrollSpeedY, scene.m_Rules.nSteps);
    }
    return item == 0 || item == 1;
  }
  cChara* s = subject == 1 ? scene.FindCharaById(c.m_nTargetNo) : &c;
  if (!s) return 0;
  cCharaDef& def = s->m_Def;
  const auto byte = static_cast<std::int8_t>(v);
  switch (item) {
    case 0:
      if (s->m_nController == 0)
        s->m_nHp = 0;
      else
        s->m_bVanished = 1;
      break;
    case 1:
      def.m_bTransparent = byte;
      break;
    case 2:
      def.m_bFixedFacing = byte;
      break;
    case 3:
      if (s->IsPlayer()) static_cast<cPlayer*>(s)->SetHeroFlight(byte, 1);
      break;
    case 4:
      def.m_nInvincible = byte;
      break;
    case 5: {
      // A size below 1 would collapse the character; the definitions hold no such size either.
      const std::int8_t size = std::max<std::int8_t>(byte, 1);
      s->SetScale(size, def.m_nGiant);
      def.m_nGiant = size;
      if (s->IsPlayer()) static_cast<cPlayer*>(s)->BuildPartList();
      break;
    }
    case 6:
      def.m_bScrollSync = byte;
      s->m_bScrollCarried = byte;
      break;
    default:
      return 0;
  }
  if (s != &c) scene.m_bCheckHero = 1;
  return 1;
}

int DoItemGet(cChara&, const cFlowCommand& cmd) {
  cStagePlayScene& scene = Scene();
  const int palette = CommandParam(cmd, 0);
  cCheckedVector<cItemDef>* items = nullptr;
  if (palette == 0 && CommonPalette) items = &CommonPalette->m_Items;
  if (palette == 1 && StageData) items = &StageData->m_PaletteItems;
  if (!items || !scene.HasHero()) return 0;
  const int result = scene.Hero().RunItemCommands(items->VecAt(CommandParam(cmd, 1)).m_vCommands);
  // A stage clear asked for earlier in this step stands unless the item asks for an end itself.
  if (result != 0) scene.m_nEndRequest = result;
  return result;
}

int ExecGameWait(cChara& c, cRunningCommand& cmd) { return DoGameWait(c, *cmd.pDef); }
int ExecWarp(cChara& c, cRunningCommand& cmd) { return DoWarp(c, *cmd.pDef); }
int ExecSetTarget(cChara& c, cRunningCommand& cmd) { return DoSetTarget(c, *cmd.pDef); }
int ExecStatusOperation(cChara& c, cRunningCommand& cmd) { return DoStatusOperation(c, *cmd.pDef); }
int ExecStatusOperation2(cChara& c, cRunningCommand& cmd) { return DoStatusOperation2(c, *cmd.pDef); }
int ExecItemGet(cChara& c, cRunningCommand& cmd) { return DoItemGet(c, *cmd.pDef); }
int ExecCodeExecution(cChara& c, cRunningCommand& cmd) { return ExecuteCode(cmd.pDef->m_strText, c); }

int ItemExecGameWait(cPlayer& hero, const cFlowCommand& cmd) { return DoGameWait(hero, cmd), 0; }
int ItemExecWarp(cPlayer& hero, const cFlowCommand& cmd) { return DoWarp(hero, cmd), 0; }
int ItemExecSetTarget(cPlayer& hero, const cFlowCommand& cmd) { return DoSetTarget(hero, cmd), 0; }
int ItemExecStatusOperation(cPlayer& hero, const cFlowCommand& cmd) { return DoStatusOperation(hero, cmd), 0; }
int ItemExecStatusOperation2(cPlayer& hero, const cFlowCommand& cmd) { return DoStatusOperation2(hero, cmd), 0; }
int ItemExecItemGet(cPlayer& hero, const cFlowCommand& cmd) { return DoItemGet(hero, cmd), 0; }
int ItemExecCodeExecution(cPlayer& hero, const cFlowCommand& cmd) { return ExecuteCode(cmd.m_strText, hero), 0; }
