#pragma once
// The story's world map: a grid of chip cells and the worlds placed on it,
// each with its list of stage entries.
#include <string>

#include "records/DataRecord.h"

class cMapChip : public cDataRecord {
 public:
  cMapChip();
  void RegisterFields(int nVersion) override;

  int nChipExtra = 0;
  int bImpassable = 0;
  int nChipPicture = 0;  // cell of the chip sheet, 5 to a row
  std::string ChipNote;
  std::string ChipName;
};

class cWorldStage : public cDataRecord {
 public:
  cWorldStage();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;

  int nKind = 0;  // 0 world, 1 road, 2 wall
  int nIcon = 0;
  int nClearSwitch = 0;
  int bNoAutoEntry = 0;
  int bReplayable = 0;
  int nOnClear = 0;  // 0 none, 1 next lap, 2 back to the title
  int nNeedSwitch = 0;
  int nCondValue = 0;
  int nCondRef = 0;
  int nCondOp = 0;
  int nNeedTotal = 0;
  std::string StageCaption;
  std::string StageFile;
};

class cWorld : public cDataRecord {
 public:
  cWorld();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;

  int nWorldX = 0;
  int nWorldY = 0;
  std::string WorldName;
  cCheckedVector<cWorldStage> StageList;
};

// The most cells a map may have: what the largest record file could hold.
constexpr long long kMaxWorldMapCells = kMaxRecordFileBytes / sizeof(int);

class cWorldMap : public cDataRecord {
 public:
  cWorldMap();
  void RegisterFields(int nVersion) override;
  // Fails on a side below 1 or longer than the cells the whole file could
  // hold; the cell list is taken at its stored length.
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();

  int SetSize(int width, int height);
  const cWorld* FindWorldAt(int x, int y) const;
  void NormalizeWorldMap();
  int& Cell(int x, int y);

  int nMapWidth = 0;
  int nMapHeight = 0;
  int nPitch = 0;
  int nPitch_Shift = 0;
  cCheckedVector<cMapChip> MapChips;
  cCheckedVector<int> Cells;
  cCheckedVector<cWorld> Worlds;
  cCheckedVector<cWorld> DefaultWorlds;
  int nMapStartX = 0;
  int nMapStartY = 0;
  int nBgColor = 0;
  int bBgPicture = 0;
  std::string MapName;
  std::string BgPictureName;
};

extern cWorldMap* WorldMap;
// WorldMap, or the defaults where none is set (tools, tests).
const cWorldMap& CurrentWorldMap();

void CalcPitch(int& pitch, int& shift, int width);
