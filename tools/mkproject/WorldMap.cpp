#include "gamedata/WorldMap.h"

#include "Project.h"
#include "gamedata/PathTable.h"
#include "library/util/Text.h"

namespace mkproject {

namespace {

// Chips of the default chip list: 0..4 impassable, 5..9 passable.
constexpr int kWater = 0;
constexpr int kGrass = 5;
constexpr int kPath = 6;
constexpr int kRow = 7;

cWorld World(int x, const char* name, const char* caption, const char* stageFile, int clearSwitch, int icon,
             int onClear) {
  cWorld world;
  world.nWorldX = x;
  world.nWorldY = kRow;
  world.WorldName = Sjis(name);
  cWorldStage stage;
  stage.nIcon = icon;
  stage.nClearSwitch = clearSwitch;
  stage.nOnClear = onClear;
  stage.StageCaption = Sjis(caption);
  stage.StageFile = stageFile;
  world.StageList.assign(1, stage);
  return world;
}

}  // namespace

void WriteWorldMap(const cLoadContext& ctx) {
  cWorldMap map;
  map.SetDefault();
  // An island of grass in the water with a path from the start to both worlds.
  for (int y = 0; y < map.nMapHeight; ++y)
    for (int x = 0; x < map.nMapWidth; ++x) map.Cell(x, y) = kWater;
  for (int y = 5; y < 10; ++y)
    for (int x = 3; x < 17; ++x) map.Cell(x, y) = kGrass;
  for (int x = 4; x < 16; ++x) map.Cell(x, kRow) = kPath;
  map.nMapStartX = 4;
  map.nMapStartY = kRow;
  map.MapName = Sjis("サンプルの島");
  // The first world opens the numbered series; the second plays the free
  // stage and returns to the title.
  map.Worlds.push_back(World(8, "草原", "ステージ 1", "data\\stg4\\s01-1.stg4", 1, 0, 0));
  map.Worlds.push_back(World(14, "丘", "おまけステージ", "data\\stg4\\Default.stg4", 2, 1, 2));
  SaveRecordFile(PathTable[PATH_WORLD_MAP], map.SaveToFile(PathTable[PATH_WORLD_MAP], ctx) != 0);
}

}  // namespace mkproject
