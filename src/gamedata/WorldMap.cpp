#include "gamedata/WorldMap.h"

#include <algorithm>

#include "library/util/MesBox.h"
#include "library/util/Text.h"

cWorldMap* WorldMap = nullptr;

const cWorldMap& CurrentWorldMap() {
  static const cWorldMap defaults;
  return WorldMap ? *WorldMap : defaults;
}

cMapChip::cMapChip() { ResetFields(); }

void cMapChip::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(nChipExtra);
  AddField4(bImpassable);
  AddField4(nChipPicture);
  AddStrField(ChipNote);
  AddStrField(ChipName);
}

cWorldStage::cWorldStage() { ResetFields(); }

void cWorldStage::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  for (int* field : {&nKind, &nIcon, &nClearSwitch, &bNoAutoEntry, &bReplayable, &nOnClear, &nNeedSwitch, &nCondValue,
                     &nCondRef, &nCondOp})
    AddField4(*field);
  AddField4(nNeedTotal, 209);
  AddStrField(StageCaption);
  AddStrField(StageFile);
}

void cWorldStage::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  if (in.Version() <= 208) nNeedTotal = 0;
}

cWorld::cWorld() : StageList(1) { ResetFields(); }

void cWorld::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(nWorldX);
  AddField4(nWorldY);
  AddStrField(WorldName);
}

void cWorld::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  LoadRecordList(in, ctx, StageList, cWorldStage(), kMinRecordBodyBytes, "world stage");
}

void cWorld::Save(cRecordWriter& out, const cLoadContext& ctx) {
  cDataRecord::Save(out, ctx);
  SaveRecordList(out, ctx, StageList);
}

cWorldMap::cWorldMap() { SetDefault(); }

void cWorldMap::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  for (int* field : {&nMapWidth, &nMapHeight, &nPitch, &nPitch_Shift, &nMapStartX, &nMapStartY, &nBgColor, &bBgPicture})
    AddField4(*field);
  AddStrField(MapName);
  AddStrField(BgPictureName);
}

void cWorldMap::SetDefault() {
  ResetFields();
  static const std::string worldName = Sjis("ワールド"), impassable = Sjis("通行不可"), passable = Sjis("通行可"),
                           defaultWorld = Sjis("デフォルト");
  MapName = worldName;
  nMapStartX = 9;
  nMapStartY = 7;
  nBgColor = 16;
  bBgPicture = 0;
  MapChips.assign(10, cMapChip());
  for (int i = 0; i < 10; ++i) {
    MapChips[i].nChipPicture = i;
    MapChips[i].bImpassable = i < 5 ? 1 : 0;
    MapChips[i].ChipName = i < 5 ? impassable : passable;
  }
  SetSize(20, 15);
  Worlds.clear();
  DefaultWorlds.assign(1, cWorld());
  DefaultWorlds[0].WorldName = defaultWorld;
}

void CalcPitch(int& pitch, int& shift, int width) {
  shift = 0;
  for (int n = width - 1; n != 0; n /= 2) ++shift;
  pitch = 1 << shift;
}

int cWorldMap::SetSize(int width, int height) {
  // Sizes below 1 (and beyond what a map can hold) are refused like 0.
  if (width <= 0 || height <= 0 || width > MAX_WORLD_MAP_SIDE || height > MAX_WORLD_MAP_SIDE) {
    EcMesBoxf("%s", Sjis("SetSize()で 0 を指定しました！").c_str());
    return 0;
  }
  cCheckedVector<int> oldCells;
  int oldWidth = nMapWidth, oldHeight = nMapHeight, oldShift = nPitch_Shift;
  if (!Cells.empty()) {
    EcMesBoxf("nBeforeWidth = %d,nBeforePitch = %d,nBeforePitch_Shift = %d", nMapWidth, nPitch, nPitch_Shift);
    oldCells = std::move(Cells);
  }
  nMapWidth = width;
  nMapHeight = height;
  CalcPitch(nPitch, nPitch_Shift, width);
  Cells.assign(static_cast<size_t>(height) << nPitch_Shift, 0);
  if (oldCells.empty()) return 1;
  for (int y = 0; y < std::min(oldHeight, height); ++y)
    for (int x = 0; x < std::min(oldWidth, width); ++x)
      Cells[(static_cast<size_t>(y) << nPitch_Shift) + x] = oldCells.VecAt((y << oldShift) + x);
  return 1;
}

const cWorld* cWorldMap::FindWorldAt(int x, int y) const {
  for (const auto& world : Worlds)
    if (world.nWorldX == x && world.nWorldY == y) return &world;
  return nullptr;
}

namespace {

// 4096 rows of 65536 cells: the largest index still fits an int.
constexpr int kMaxPitchShift = 16;

}  // namespace

void cWorldMap::NormalizeWorldMap() {
  // Negative positions are brought in too: nothing may index before the map.
  nMapStartX = std::clamp(nMapStartX, 0, std::max(nMapWidth - 1, 0));
  nMapStartY = std::clamp(nMapStartY, 0, std::max(nMapHeight - 1, 0));
  std::erase_if(Worlds, [&](const cWorld& world) {
    return world.nWorldX < 0 || world.nWorldY < 0 || world.nWorldX >= nMapWidth || world.nWorldY >= nMapHeight;
  });
}

void cWorldMap::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  if (nMapWidth < 1 || nMapWidth > MAX_WORLD_MAP_SIDE || nMapHeight < 1 || nMapHeight > MAX_WORLD_MAP_SIDE)
    in.FailF("world map size %d x %d", nMapWidth, nMapHeight);
  // Cells are indexed with the stored row shift, whatever the width; only a
  // shift that no map side needs (it would overflow the index) takes the width's.
  if (nPitch_Shift < 0 || nPitch_Shift > kMaxPitchShift) CalcPitch(nPitch, nPitch_Shift, nMapWidth);
  LoadRecordList(in, ctx, MapChips, cMapChip(), kMinRecordBodyBytes, "map chip");
  // The count is the file's own: a grid of another size is read as it stands
  // and every cell access goes through the guarded vector.
  std::uint32_t cells = in.ReadCount(4, "map cell");
  Cells.assign(cells, 0);
  in.ReadBytes(Cells.data(), cells * sizeof(int));
  LoadRecordList(in, ctx, Worlds, cWorld(), kMinRecordBodyBytes + 4, "world");
  LoadRecordList(in, ctx, DefaultWorlds, cWorld(), kMinRecordBodyBytes + 4, "default world");
  // Cells name chips by index: a map without chips gets one, and values
  // outside the chip list become chip 0.
  if (MapChips.empty()) MapChips.resize(1);
  for (int& cell : Cells)
    if (cell < 0 || cell >= static_cast<int>(MapChips.size())) cell = 0;
  NormalizeWorldMap();
}

void cWorldMap::Save(cRecordWriter& out, const cLoadContext& ctx) {
  NormalizeWorldMap();
  cDataRecord::Save(out, ctx);
  SaveRecordList(out, ctx, MapChips);
  out.WriteCount(Cells.size());
  if (!Cells.empty()) out.WriteBytes(Cells.data(), Cells.size() * sizeof(int));
  SaveRecordList(out, ctx, Worlds);
  SaveRecordList(out, ctx, DefaultWorlds);
}
