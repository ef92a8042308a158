#include <algorithm>

#include "library/util/Convert.h"
#include "records/RecordHooks.h"
#include "stage/Collision.h"
#include "stage/StagePlayScene.h"

namespace {

// Moves a copy by its placement offset, both edges of its rectangle with it.
void ShiftBy(cGameObject& o, double dx, double dy) {
  o.m_dX += dx;
  o.m_dRight += dx;
  o.m_dY += dy;
  o.m_dBottom += dy;
}

void SetRectAt(cGameObject& o, double x, double y) {
  o.m_dX = x;
  o.m_dY = y;
  o.m_dRight = x + o.m_nWidth - 1;
  o.m_dBottom = y + o.m_nHeight - 1;
}

void Finish(cGameObject& o) {
  o.UpdateRectX();
  o.UpdateRectY();
  o.UpdateScreenRect();
}

// A removed placement leaves no trace: not even in the hero's list of the
// characters that target it.
void DropNewChara(std::list<cNpc>& list) {
  cStagePlayScene& scene = Scene();
  if (scene.HasHero()) std::erase(scene.Hero().m_vTargetedBy, list.back().m_nNo);
  list.pop_back();
}

int LifeSteps(int tenths) { return tenths * Scene().m_Rules.nSteps * 6; }

bool BlockAppears(MAPCELL& cell) {
  return cell.block.m_nChip != 0 && (cell.block.m_vConditions.empty() || RecordHooks().CheckBlockAppear(cell));
}

void PutBlock(MAPCELL& cell, const cBlockDef& def) {
  cell.block = def;
  cell.nAppeared = 0;
}

}  // namespace

void SpawnCharas(int cellX, int cellY, int& counter, const cCharaDef& def, const cItem* item) {
  cStagePlayScene& scene = Scene();
  cCharaDef copy = def;
  double cx = ((cellX + 10) * 32) | 16, cy = ((cellY + 10) * 32) | 16;
  for (int i = 0; i <= copy.m_nExtraCopies; ++i) {
    cNpc& npc = scene.CharaList.emplace_back();
    npc.InitNpc(counter, copy, item, cx, cy, i);
    npc.PlaceOnCell(cellX, cellY);
    ShiftBy(npc, copy.GetStepX(i, copy.m_nFacing), copy.GetStepY(i, copy.m_nFacing));
    if (!npc.IsInArea(1)) {
      DropNewChara(scene.CharaList);
      continue;
    }
    Finish(npc);
    ++counter;
  }
}

void SpawnItems(int cellX, int cellY, int& counter, const cItemDef& def) {
  cStagePlayScene& scene = Scene();
  cItemDef copy = def;
  cItem& item = scene.ItemList.emplace_back();
  item.InitItem(counter, copy, 0);
  item.PlaceItemOnCell(cellX, cellY);
  ShiftBy(item, copy.m_nDrawOffsetX, copy.m_nDrawOffsetY);
  if (!item.IsInArea(1)) {
    scene.ItemList.pop_back();
    return;
  }
  Finish(item);
  ++counter;
}

void SummonCharaAt(double x, double y, int faction, int facing, int /*summonerFacing*/, const cEdShot& settings,
                   const cCharaDef& def, int& counter) {
  cStagePlayScene& scene = Scene();
  cCharaDef copy = def;
  copy.m_nFacing = static_cast<std::int8_t>(facing);
  copy.m_nGroup = static_cast<std::int8_t>(faction);
  if (settings.m_bNoScore) copy.m_nScore = 0;
  for (int i = 0; i <= copy.m_nExtraCopies; ++i) {
    cNpc& npc = scene.CharaList.emplace_back();
    npc.InitNpc(counter, copy, nullptr, x + 320 + 16, y + 320 + 16, i);
    SetRectAt(npc, x + copy.GetStepX(i, facing), y + copy.GetStepY(i, facing));
    if (!npc.IsInArea(1)) {
      DropNewChara(scene.CharaList);
      continue;
    }
    npc.ClampX(2);
    npc.ClampY(2);
    Finish(npc);
    if (CheckBlockOverlap(npc)) {
      DropNewChara(scene.CharaList);
      continue;
    }
    if (settings.m_bRange) npc.m_nLifeSteps = LifeSteps(settings.m_nRange);
    scene.AddToFactionList(npc);
    ++counter;
  }
}

void SummonItemAt(double x, double y, int /*summonerFacing*/, const cEdShot& settings, const cItemDef& def,
                  int& counter) {
  cStagePlayScene& scene = Scene();
  cItemDef copy = def;
  cItem& item = scene.ItemList.emplace_back();
  item.InitItem(counter, copy, 0);
  SetRectAt(item, x + copy.m_nDrawOffsetX, y + copy.m_nDrawOffsetY);
  if (!item.IsInArea(1)) {
    scene.ItemList.pop_back();
    return;
  }
  item.ClampX(2);
  item.ClampY(2);
  Finish(item);
  if (settings.m_bRange) item.m_nLifeSteps = LifeSteps(settings.m_nRange);
  ++counter;
}

void SetBlockAt(double x, double y, int /*summonerFacing*/, const cEdShot& settings, const cBlockDef& def) {
  cStagePlayScene& scene = Scene();
  int cx = DoubleToInt(x + 16.5) >> 5, cy = DoubleToInt(y + 16.5) >> 5;
  // A cell outside the map is refused: the index would land in another row or past the map.
  if (cx < 0 || cx >= scene.m_ScrollX.nCells || cy < 0 || cy >= scene.m_ScrollY.nCells) return;
  int index = scene.CellIndex(cx, cy);
  MAPCELL& cell = scene.CellAt(index);
  bool refused =
      scene.m_Rules.bStrictProtect ? cell.block.m_bProtected != 0 : cell.block.m_bProtected && BlockAppears(cell);
  if (refused) return;
  bool guarded = settings.m_bNotOverHero || settings.m_bNotOverChara;
  switch (settings.m_nBlockSummonMode) {
    case 1:
      PutBlock(cell, scene.EmptyBlock());
      return;
    case 2: {
      auto& toggled = scene.m_BlockToggle;
      if (std::find(toggled.begin(), toggled.end(), index) != toggled.end()) return;
      if (BlockAppears(cell)) {
        PutBlock(cell, scene.EmptyBlock());
        toggled.push_back(index);
        return;
      }
      MAPCELL old = guarded ? cell : MAPCELL{};
      PutBlock(cell, def);
      if (MarkBlockOverlaps(index, cx, cy, settings))
        cell = old;
      else
        toggled.push_back(index);
      return;
    }
    case 0: {
      MAPCELL old = guarded ? cell : MAPCELL{};
      PutBlock(cell, def);
      if (MarkBlockOverlaps(index, cx, cy, settings) && guarded) cell = old;
      return;
    }
    default:
      return;
  }
}

int MarkBlockOverlaps(int cellIndex, int cellX, int cellY, const cEdShot& settings) {
  cStagePlayScene& scene = Scene();
  RectD rc{cellX * 32.0, cellY * 32.0, cellX * 32 + 32 - 0.1, cellY * 32 + 32 - 0.1};
  MAPCELL& cell = scene.CellAt(cellIndex);
  auto crushes = [&](cChara& c) {
    return GetBlockHit(cell, c.m_nFaction) && c.m_dX <= rc.dRight && c.m_dRight >= rc.dLeft && c.m_dY <= rc.dBottom &&
           c.m_dBottom >= rc.dTop;
  };
  for (cPlayer& hero : scene.Player) {
    if (hero.m_bDying || !crushes(hero)) continue;
    hero.m_nCountdown = 2;
    if (settings.m_bNotOverHero) return 1;
  }
  for (cNpc& npc : scene.CharaList) {
    if (npc.m_bRemoved || !npc.m_bActive || npc.m_bDying || !crushes(npc)) continue;
    npc.m_nCountdown = 2;
    if (settings.m_bNotOverChara) return 1;
  }
  return 0;
}
