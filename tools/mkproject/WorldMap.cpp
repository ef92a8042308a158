#include "gamedata/WorldMap.h"

#include "Project.h"
#include "gamedata/PathTable.h"
#include "library/util/Text.h"

namespace mkproject {

namespace {

// Chips of the default chip list: 0..4 impassable, 5..9 passable.
constexpr int kWater = 0;
constexpr int kForest = 1;
constexpr int kGrass = 5;
constexpr int kPath = 6;
constexpr int kRow = 7;

// The common variable the coins count in; the third world's first entry opens
// once three have been taken.
constexpr int kCoinCounter = 1;
constexpr int kCompareAtLeast = 2;  // the comparison ">="

struct Entry {
  const char* caption;
  const char* stageFile;
  int clearSwitch;
  int icon;
  int onClear = 0;
  int manual = 0;
  int needSwitch = 0;
  int needCoins = 0;
  int kind = 0;
};

cWorldStage Stage(const Entry& entry) {
  cWorldStage stage;
  stage.nKind = entry.kind;
  stage.nIcon = entry.icon;
  stage.nClearSwitch = entry.clearSwitch;
  stage.nOnClear = entry.onClear;
  stage.bNoAutoEntry = entry.manual;
  stage.bReplayable = entry.manual;
  stage.nNeedSwitch = entry.needSwitch;
  if (entry.needCoins) {
    stage.nCondValue = kCoinCounter;
    stage.nCondOp = kCompareAtLeast;
    stage.nCondRef = entry.needCoins;
  }
  stage.StageCaption = Sjis(entry.caption);
  stage.StageFile = entry.stageFile;
  return stage;
}

cWorld World(int x, int y, const char* name, std::initializer_list<Entry> entries) {
  cWorld world;
  world.nWorldX = x;
  world.nWorldY = y;
  world.WorldName = Sjis(name);
  world.StageList.clear();
  for (const Entry& entry : entries) world.StageList.push_back(Stage(entry));
  return world;
}

}  // namespace

void WriteWorldMap(const cLoadContext& ctx) {
  cWorldMap map;
  map.SetDefault();
  // An island of grass in the water with a path from the start past the three
  // worlds; a wall stands above the path and a forest cell below it.
  for (int y = 0; y < map.nMapHeight; ++y)
    for (int x = 0; x < map.nMapWidth; ++x) map.Cell(x, y) = kWater;
  for (int y = 5; y < 10; ++y)
    for (int x = 3; x < 17; ++x) map.Cell(x, y) = kGrass;
  for (int x = 4; x < 16; ++x) map.Cell(x, kRow) = kPath;
  map.Cell(6, kRow + 1) = kForest;
  map.nMapStartX = 4;
  map.nMapStartY = kRow;
  map.MapName = Sjis("サンプルの島");
  map.bBgPicture = 1;
  map.BgPictureName = "bmp\\WorldBack.bmp";
  // The first world, where a new story starts, plays the numbered series s01;
  // the second, a stage that is only chosen by hand, appears once the first
  // is cleared; the third offers its bonus stage once three coins are
  // counted, else its own stage.
  map.Worlds.push_back(World(6, kRow - 1, "壁", {{"", "", 0, 3, 0, 0, 0, 0, 2}}));
  map.Worlds.push_back(World(4, kRow, "草原", {{"ステージ 1", "data\\stg4\\s01-1.stg4", 1, 0}}));
  map.Worlds.push_back(World(9, kRow, "森", {{"おまけステージ", "data\\stg4\\Default.stg4", 2, 1, 0, 1, 1}}));
  map.Worlds.push_back(World(
      14, kRow, "丘",
      {{"ボーナス", "data\\stg4\\Default.stg4", 3, 2, 2, 0, 0, 3}, {"ステージ 3", "data\\stg4\\s01-2.stg4", 4, 3}}));
  SaveRecordFile(PathTable[PATH_WORLD_MAP], map.SaveToFile(PathTable[PATH_WORLD_MAP], ctx) != 0);
}

}  // namespace mkproject
