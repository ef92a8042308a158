#include "stage/Collision.h"

#include <cstdlib>

#include "flow/Interpreter.h"
#include "library/util/Convert.h"
#include "records/FlowEnums.h"
#include "records/LoadContext.h"
#include "records/Palette.h"
#include "records/StageData.h"
#include "stage/BlockChara.h"
#include "stage/StagePlayScene.h"

namespace {

bool IsComputer(const cChara& c) { return c.m_nController == 1; }

int HitAt(int index, int faction) { return GetBlockHit(Scene().CellAt(index), faction); }

int CellOf(int x, int y) { return Scene().CellIndex(x >> 5, y >> 5); }

// The best sample along one edge: the highest kind, then (horizontal edges)
// the one nearest the centre; the first wins ties.
struct EdgeChoice {
  int cell = 0;
  int kind = -1;
  int distance = 0;
  void Offer(int index, int faction, int dist, bool byDistance) {
    int k = HitAt(index, faction);
    if (k > kind || (byDistance && k == kind && dist < distance)) cell = index, kind = k, distance = dist;
  }
};

bool FailsRisingTest(const cChara& c) { return !Scene().m_Rules.bLandWhileRising && !c.m_bFlying && c.m_dVy < 0; }

void HitSide(cChara& c, bool left) {
  if (left)
    c.m_bHitLeft = 1;
  else
    c.m_bHitRight = 1;
  c.m_dMoveVx = 0;
  if (left)
    c.m_dX = c.m_dX + 32 - (DoubleToInt(c.m_dX) & 31);
  else
    c.m_dX = c.m_dX - ((DoubleToInt(c.m_dRight) & 31) + 1);
  c.OnMoveX();
  c.m_nLastContactSide = left ? 0 : 1;
  for (int trigger : {static_cast<int>(TRG_BLOCK_HIT), static_cast<int>(TRG_BLOCK_HIT_SIDES),
                      static_cast<int>(left ? TRG_BLOCK_HIT_LEFT : TRG_BLOCK_HIT_RIGHT)})
    FireFlowTrigger(c, trigger);
}

int CollideSide(cChara& c, bool left) {
  if (c.m_nFlightMode == 0) return 0;
  int x = DoubleToInt(left ? c.m_dX : c.m_dRight);
  int kind = HitAt(PickEdgeCell(c, x, DoubleToInt(c.m_dY), x, DoubleToInt(c.m_dBottom)), c.m_nFaction);
  if (kind != kBlockHitSolid && kind != kBlockHitDeadly) return 0;
  if (kind == kBlockHitDeadly && !IsComputer(c)) return 2;
  if (c.m_nFlightMode == 2) return 2;
  HitSide(c, left);
  return 0;
}

int BottomEdgeCell(const cChara& c) {
  int y = DoubleToInt(c.m_dBottom);
  return PickEdgeCell(c, DoubleToInt(c.m_dX), y, DoubleToInt(c.m_dRight), y);
}

int Land(cChara& c, int cell) {
  c.m_nFootCell = c.m_nLandedCell = cell;
  c.LandOnBlock();
  return 0;
}

bool Overlaps(const RectD& a, const cGameObject& o) {
  return a.dLeft <= o.m_dRight && a.dRight >= o.m_dX && a.dTop <= o.m_dBottom && a.dBottom >= o.m_dY;
}

}  // namespace

int PickEdgeCell(const cChara& c, int x1, int y1, int x2, int /*y2*/) {
  int scale = c.m_Def.m_nGiant;
  if (scale < 0) return 0;
  EdgeChoice best;
  if (x1 == x2) {
    for (int k = 0, y = y1; k <= scale; ++k, y += c.m_nBaseHeight - 1)
      best.Offer(CellOf(x1, y), c.m_nFaction, 0, false);
  } else {
    int centre = (x1 + x2) >> 1;
    for (int k = 0, x = x1; k <= scale; ++k, x += c.m_nBaseWidth - 1)
      best.Offer(CellOf(x, y1), c.m_nFaction, std::abs(x - centre), true);
  }
  return best.cell;
}

int PickFootCell(const cChara& c) {
  int scale = c.m_Def.m_nGiant;
  int n = scale % 2 != 0 ? scale + 2 : scale + 1;
  if (n < 2) n = 2;  // at least the two ends: the step below divides by n - 1
  int left = DoubleToInt(c.m_dX), right = DoubleToInt(c.m_dRight), y = DoubleToInt(c.m_dBottom);
  int step = c.m_nWidth / (n - 1);
  int centre = (left + right) >> 1;
  EdgeChoice best;
  for (int k = 0; k < n; ++k) {
    int x = k == n - 1 ? right : left + k * step;
    best.Offer(CellOf(x, y), c.m_nFaction, std::abs(x - centre), true);
  }
  return best.cell;
}

int PickCornerCell(int left, int top, int right, int bottom, int faction) {
  cStagePlayScene& scene = Scene();
  EdgeChoice best;
  for (auto [cx, cy] : {std::pair{left, top}, {right, top}, {left, bottom}, {right, bottom}})
    best.Offer(scene.CellIndex(cx, cy), faction, 0, false);
  return best.cell;
}

int CollideMapLeft(cChara& c) { return CollideSide(c, true); }
int CollideMapRight(cChara& c) { return CollideSide(c, false); }

int CollideMapTop(cChara& c) {
  if (c.m_nFlightMode == 0) return 0;
  int y = DoubleToInt(c.m_dY);
  int kind = HitAt(PickEdgeCell(c, DoubleToInt(c.m_dX), y, DoubleToInt(c.m_dRight), y), c.m_nFaction);
  if (kind == kBlockHitSolid || (kind == kBlockHitDeadly && IsComputer(c))) {
    if (c.m_nFlightMode == 2) return 2;
    c.BumpBlockAbove();
  } else if (kind == kBlockHitDeadly) {
    return 2;
  }
  return 0;
}

int CollideMapBottom(cChara& c) {
  if (c.m_nFlightMode == 0) return 0;
  int cell = BottomEdgeCell(c);
  c.m_nFootCell = cell;
  int kind = HitAt(cell, c.m_nFaction);
  const cStageRules& rules = Scene().m_Rules;
  switch (kind) {
    case kBlockHitNone:
      c.m_nFootCell = kNoCell;
      if (++c.m_nFloorlessSteps >= 8 * rules.nSteps) {
        if (IsComputer(c)) {
          c.m_bAirborne = 1;
        } else if (!c.m_bRiding) {
          c.m_bAirborne = 1;
          if (c.IsPlayer()) static_cast<cPlayer&>(c).m_bJumpReady = 1;
        }
      }
      return 0;
    case kBlockHitSolid:
      if (c.m_nFlightMode == 2) return 2;
      if (FailsRisingTest(c)) return 0;
      if (c.m_nController == 0) cell = PickFootCell(c);
      return Land(c, cell);
    case kBlockHitDeadly:
      c.m_nLandedCell = cell;
      if (!IsComputer(c) || c.m_nFlightMode == 2) return 2;
      if (FailsRisingTest(c)) return 0;
      c.LandOnBlock();
      return 0;
    default:
      return 0;
  }
}

int RecheckMapY(cChara& c) {
  if (c.m_nFlightMode == 0) return 0;
  int cell = BottomEdgeCell(c);
  int kind = HitAt(cell, c.m_nFaction);
  if (kind == kBlockHitSolid) {
    if (c.m_nFlightMode == 2) return 2;
    if (FailsRisingTest(c)) return 0;
    if (c.m_nController == 0) cell = PickFootCell(c);
    Land(c, cell);
  } else if (kind == kBlockHitDeadly) {
    if (c.m_nController == 0) cell = PickFootCell(c);
    c.m_nFootCell = c.m_nLandedCell = cell;
    if (!IsComputer(c) || c.m_nFlightMode == 2) return 2;
    if (FailsRisingTest(c)) return 0;
    c.LandOnBlock();
  }
  return CollideMapTop(c);
}

int CollideMapX(cChara& c) {
  if (c.m_nFlightMode == 0) return 0;
  bool rightFirst = (c.m_bFlying && c.m_nFlightMode == 1) || c.m_dVx > 0;
  if (rightFirst) return CollideMapRight(c) == 2 ? 2 : CollideMapLeft(c);
  return CollideMapLeft(c) == 2 ? 2 : CollideMapRight(c);
}

int RecheckMapX(cChara& c) {
  if (c.m_nFlightMode == 0) return 0;
  int right = CollideMapRight(c);
  int left = CollideMapLeft(c);
  return right == 2 || left == 2 ? 2 : 0;
}

int CollideMapY(cChara& c) {
  c.m_nFootCell = kNoCell;
  bool bottomFirst = (c.m_bFlying && c.m_nFlightMode == 1) || c.m_dVy > 0;
  if (bottomFirst) return CollideMapBottom(c) == 2 ? 2 : CollideMapTop(c);
  return CollideMapTop(c) == 2 ? 2 : CollideMapBottom(c);
}

namespace {

// Holds the hero inside the view on one axis while that axis scrolls by
// itself or the hero flies: 1 when it was pushed in at the far edge.
int KeepInScreen(cPlayer& hero, bool yAxis) {
  const SCROLLDATA& axis = yAxis ? Scene().m_ScrollY : Scene().m_ScrollX;
  if (!axis.bAutoScroll && !hero.m_bFlying) return 0;
  hero.UpdateHeroScreenRect();
  int low = yAxis ? hero.m_rcScreen.nTop : hero.m_rcScreen.nLeft;
  int high = yAxis ? hero.m_rcScreen.nBottom : hero.m_rcScreen.nRight;
  int offset = yAxis ? hero.m_rcGfx.nY : hero.m_rcGfx.nX;
  int size = yAxis ? hero.m_nHeight : hero.m_nWidth;
  double& pos = yAxis ? hero.m_dY : hero.m_dX;
  int pushedFar = 0;
  if (low + offset < 0) {
    (yAxis ? hero.m_bHitTop : hero.m_bHitLeft) = 1;
    pos = axis.dPos;
  } else if (high - offset + 1 >= axis.nView) {
    (yAxis ? hero.m_bHitBottom : hero.m_bHitRight) = 1;
    pos = axis.dPos + axis.nView - size - 1;
    pushedFar = 1;
  } else {
    return 0;
  }
  if (yAxis)
    hero.OnMoveY();
  else
    hero.OnMoveX();
  return pushedFar;
}

}  // namespace

void KeepHeroInScreenX(cPlayer& hero) { KeepInScreen(hero, false); }

int KeepHeroInScreenY(cPlayer& hero) {
  // Pushed out at the bottom, a walking hero dies.
  return KeepInScreen(hero, true) && !hero.m_bFlying ? 2 : 0;
}

int CheckBlockOverlap(cChara& c) {
  if (c.m_nFlightMode == 0) return 0;
  int cell = PickCornerCell(c.m_nCellLeft, c.m_nCellTop, c.m_nCellRight, c.m_nCellBottom, c.m_nFaction);
  if (HitAt(cell, c.m_nFaction) != 0) return 1;
  return OverlapsBlockChara(c, Scene().BlockCharas);
}

int PickUpItems(cPlayer& hero) {
  cStagePlayScene& scene = Scene();
  for (cItem& item : scene.ItemList) {
    if (item.m_bRemoved || !item.m_bActive || item.m_bCarried || item.m_Def.m_nPickUpMode == 2) continue;
    int kind = item.m_Def.m_nPickUpMode;
    if (!Overlaps(hero.m_rcItem, item)) {
      if (kind == 1) hero.ForgetTouchedItem(item.m_nNo);
      continue;
    }
    FireFlowTrigger(hero, TRG_TOUCH_ITEM);
    if (kind == 1) {
      if (!hero.IsItemUntouched(item.m_nNo)) continue;
      hero.m_lTouchedItems.push_back(item.m_nNo);
    }
    int result = UseTouchedItem(&item, hero);
    if (kind == 0) scene.EraseItem(item);
    if (result != 0) return result;
  }
  return 0;
}

int UseTouchedItem(cItem* item, cPlayer& hero) {
  if (!item || item->m_bRemoved || !item->IsSetUp() || item->m_Def.m_nPickUpMode == 2 || !item->m_bActive) return 0;
  cStagePlayScene& scene = Scene();
  const cItemDef& def = item->m_Def;
  if (def.m_bShowGraphic) ShowPickupMessage(scene, hero, def.m_nGraphicSrc, def.m_nGraphic, def.m_nGraphicCol);
  scene.Hooks().RequestDbSe(def.m_nSound);
  return hero.RunItemCommands(def.m_vCommands);
}

const cItemDef* FindPaletteItem(int source, int index) {
  cLoadContext ctx;
  if (CommonPalette) ctx.commonPalette = CommonPalette->Lists();
  if (StageData) ctx.stagePalette = StageData->Palette();
  return GetItemDef(source, index, ctx);
}

int UseItemDef(const cItemDef& def, cPlayer& hero) {
  cItem item;
  cItemDef copy = def;
  item.InitItem(-1, copy, 0);
  item.m_bActive = 1;
  return UseTouchedItem(&item, hero);
}

int LoseChara(cChara& c) {
  if (c.m_nController == 0) return 2;
  if (!c.m_bDying) return KillChara(c);
  return 0;
}

// The clear itself is left to the caller, which reports every clear of a frame
// in one place: counting it here too would clear the stage twice.
int DefeatChara(cChara& c) {
  cStagePlayScene& scene = Scene();
  int result = LoseChara(c);
  if (result == 2 && scene.HasHero()) {
    scene.Hooks().RequestSe(8);
    if (KillChara(scene.Hero()) == 1) return 1;
  }
  return result;
}

int CharaDown(cNpc& c) {
  cStagePlayScene& scene = Scene();
  int result = DefeatChara(c);
  if (result == 1 || !scene.m_Rules.bKeepDefeated) {
    scene.EraseChara(c);
  } else if (result == 0) {
    scene.Hooks().RequestSe(9);
  }
  return result;
}
