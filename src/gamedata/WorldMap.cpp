#include "gamedata/WorldMap.h"

#include <algorithm>
#include <climits>
#include <cstdint>

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

namespace {

// The index of cell (x, y) on rows of 1 << shift cells; -1 (no cell) where it
// would not fit an int.
int CellIndex(int x, int y, int shift) {
  const long long index = (static_cast<long long>(y) << shift) + x;
  return index >= 0 && index <= INT_MAX ? static_cast<int>(index) : -1;
}

}  // namespace

void CalcPitch(int& pitch, int& shift, int width) {
  shift = 0;
  for (int n = width - 1; n != 0; n /= 2) ++shift;
  pitch = 1 << shift;
}

int cWorldMap::SetSize(int width, int height) {
  int pitch = 0, shift = 0;
  if (width > 0) CalcPitch(pitch, shift, width);
  // Sizes below 1, and grids larger than any file could hold, are refused like 0.
  if (width <= 0 || height <= 0 || (static_cast<long long>(height) << shift) > kMaxWorldMapCells) {
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
  nPitch = pitch;
  nPitch_Shift = shift;
  Cells.assign(static_cast<size_t>(height) << nPitch_Shift, 0);
  if (oldCells.empty()) return 1;
  for (int y = 0; y < std::min(oldHeight, height); ++y)
    for (int x = 0; x < std::min(oldWidth, width); ++x)
      Cells[(static_cast<size_t>(y) << nPitch_Shift) + x] = oldCells.VecAt(CellIndex(x, y, oldShift));
  return 1;
}

const cWorld* cWorldMap::FindWorldAt(int x, int y) const {
  for (const auto& world : Worlds)
    if (world.nWorldX == x && world.nWorldY == y) return &world;
  return nullptr;
}

int& cWorldMap::Cell(int x, int y) { return Cells.VecAt(CellIndex(x, y, nPitch_Shift)); }

namespace {

// A row of 2^26 cells is longer than any file holds, so no map needs a larger
// shift; below it, a row index shifted by it fits a long long.
constexpr int kMaxPitchShift = 26;
static_assert(kMaxWorldMapCells <= 1LL << kMaxPitchShift);

// The longest side any file can store: the cells the largest file could hold
// after its version word. It does not hang on this file's own size, so a map
// that loads saves into a file that loads again. Pixel positions (32 to a
// cell) of such a side fit an int.
constexpr long long kMaxWorldMapSide = (kMaxRecordFileBytes - sizeof(std::int32_t)) / sizeof(int);
static_assert(kMaxWorldMapSide * 32 <= INT_MAX);

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
  if (nMapWidth < 1 || nMapWidth > kMaxWorldMapSide || nMapHeight < 1 || nMapHeight > kMaxWorldMapSide)
    in.FailF("world map size %d x %d beyond what a file can hold", nMapWidth, nMapHeight);
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
