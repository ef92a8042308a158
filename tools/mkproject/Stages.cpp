#include <array>
#include <string>
#include <string_view>

#include "Definitions.h"
#include "Flows.h"
#include "Project.h"
#include "gamedata/PathTable.h"
#include "library/util/Text.h"
#include "records/StageData.h"

namespace mkproject {

namespace {

constexpr int kMapWidth = 60;
constexpr int kMapHeight = 15;
constexpr int kFloorRow = 13;  // the floor's top row; the hero stands on row 12
constexpr int kStandRow = kFloorRow - 1;

// What tells the stages apart: where the platforms, pits and enemies are.
struct Layout {
  const char* file;  // below data\stg4\, without the extension
  const char* name;
  int bgm;
  int background;                // 1..8
  bool timeLimit;                // such a stage also bridges its pit after a few seconds
  std::array<int, 3> platforms;  // first column of a four-cell platform each, row 9 and 6 alternating
  int pit;                       // first column of a three-cell pit lined with spikes, 0 for none
  int hopper;                    // column of the hopping enemy on the floor; the slow one patrols the first platform
  int wall;                      // column of a wall three cells high on the floor, 0 for none
  bool lift;                     // a lift shuttles over the pit at the floor's height
  bool quickClear;               // no clear banner; the clear screen goes on by itself
  int shooter;                   // column of the shooter enemy on the floor, 0 for none
  bool dark = false;             // the hero sees a circle of kLightRadius hbl around it, the rest is dark
};

constexpr std::array<Layout, 5> kLayouts = {{
    {"Default", "フリーステージ", 1, 1, false, {12, 24, 38}, 0, 44, 0, false, false, 0},
    {"s01-1", "ステージ 1-1", 1, 2, false, {10, 22, 36}, 28, 44, 0, true, false, 0},
    {"s01-2", "ステージ 1-2", 2, 3, false, {6, 18, 40}, 24, 48, 0, false, false, 0, true},
    {"c01-1", "チャレンジ 1", 2, 4, true, {12, 26, 38}, 32, 46, 0, false, true, 0},
    {"c02-1", "チャレンジ 2", 1, 5, true, {14, 22, 36}, 9, 16, 18, false, false, 7},
}};

constexpr int kPitWidth = 3;
constexpr int kLightRadius = 4;
constexpr int kSightCircle = 1;
constexpr int kPlatformWidth = 4;
constexpr int kWallHeight = 3;
constexpr int PlatformRow(std::size_t i) { return i % 2 ? 6 : 9; }

// The floor's top row: ground, a spring set into it three cells before the
// upper platform, and over a pit nothing, or the bridge where time runs.
bool InPit(const Layout& layout, int x) { return layout.pit && x >= layout.pit && x < layout.pit + kPitWidth; }

int FloorBlock(const Layout& layout, int x) {
  if (InPit(layout, x)) return layout.timeLimit ? kBridgeBlock : 0;
  return x == layout.platforms[1] - 3 ? kJumpBlock : kGroundBlock;
}

void PlaceTerrain(cStageData& stage, const cPalette& palette, const Layout& layout) {
  auto put = [&](int entry, int x, int y) { stage.m_PlacedBlocks.push_back(PlacedAt(palette.m_Blocks[entry], x, y)); };
  for (int x = 0; x < kMapWidth; ++x) {
    if (const int top = FloorBlock(layout, x)) put(top, x, kFloorRow);
    put(InPit(layout, x) ? kHazardBlock : kGroundBlock, x, kFloorRow + 1);
  }
  for (std::size_t i = 0; i < layout.platforms.size(); ++i)
    for (int x = 0; x < kPlatformWidth; ++x) put(kGroundBlock, layout.platforms[i] + x, PlatformRow(i));
  if (layout.wall)
    for (int y = 1; y <= kWallHeight; ++y) put(kGroundBlock, layout.wall, kFloorRow - y);
}

// The stage whose hero holds the game still for a moment before play.
constexpr std::string_view kOpeningWaitStage = "s01-2";
// The stage that opens from a circle, with a sign in the sky over its start.
constexpr std::string_view kOpeningStage = "s01-1";
constexpr int kSignX = 4, kSignY = 2;

void PlaceObjects(cStageData& stage, const cPalette& palette, const Layout& layout) {
  cCharaDef hero = PlacedAt(palette.m_Charas[kHeroChara], 2, kStandRow);
  if (layout.file == kOpeningWaitStage) hero.m_vFlows.push_back(OpeningWait());
  if (layout.file == kOpeningStage) hero.m_vFlows.push_back(StageOpening(kSignX, kSignY));
  if (layout.dark) {
    hero.m_nSightShape = kSightCircle;
    hero.m_nSight = kLightRadius;
  }
  stage.m_PlacedCharas.push_back(hero);
  stage.m_PlacedCharas.push_back(PlacedAt(palette.m_Charas[kSlowEnemy], layout.platforms[0] + 1, PlatformRow(0) - 1));
  stage.m_PlacedCharas.push_back(PlacedAt(palette.m_Charas[kHoppingEnemy], layout.hopper, kStandRow));
  if (layout.lift) stage.m_PlacedCharas.push_back(PlacedAt(palette.m_Charas[kLiftChara], layout.pit, kFloorRow));
  if (layout.shooter)
    stage.m_PlacedCharas.push_back(PlacedAt(palette.m_Charas[kShooterEnemy], layout.shooter, kStandRow));
  for (std::size_t i = 0; i < layout.platforms.size(); ++i)
    for (int x = 0; x < kPlatformWidth; x += 2)
      stage.m_PlacedItems.push_back(
          PlacedAt(palette.m_Items[kCoinItem], layout.platforms[i] + x + 1, PlatformRow(i) - 1));
  stage.m_PlacedItems.push_back(PlacedAt(palette.m_Items[kGoalItem], kMapWidth - 3, kStandRow));
}

cStageData MakeStage(const cPalette& palette, const Layout& layout) {
  cStageData stage;
  stage.SetDefault();
  stage.m_strName = Sjis(layout.name);
  stage.m_nMapWidth = kMapWidth;
  stage.m_nMapHeight = kMapHeight;
  // The active world is the map with its 10-cell margins; the stored extents
  // are that size less the 640 dots the player adds back on both axes.
  stage.m_nExtentX = (kMapWidth + 20) * 32 - 640;
  stage.m_nExtentY = (kMapHeight + 20) * 32 - 640;
  stage.m_nBgm = layout.bgm;
  stage.m_bBgmLoop = 1;
  stage.m_bStageCaption = 1;
  stage.m_bTimeLimit = layout.timeLimit ? 1 : 0;
  stage.m_nTimeLimit = kStageTimeLimit;
  stage.m_bClearCaption = layout.quickClear ? 0 : 1;
  stage.m_bQuickClear = layout.quickClear ? 1 : 0;
  cBgLayer& sky = stage.m_BgLayers.front();
  sky.m_bFill = 0;
  sky.m_strPicture = Sjis("背景その") + std::to_string(layout.background) + ".bmp";
  stage.m_PaletteBlocks = palette.m_Blocks;
  stage.m_PaletteCharas = palette.m_Charas;
  stage.m_PaletteItems = palette.m_Items;
  PlaceTerrain(stage, palette, layout);
  PlaceObjects(stage, palette, layout);
  return stage;
}

}  // namespace

void WriteStages(const cPalette& palette, const cLoadContext& ctx) {
  for (const Layout& layout : kLayouts) {
    cStageData stage = MakeStage(palette, layout);
    std::string path;
    StrFormat(path, "data\\stg4\\%s.%s_%03d", layout.file, ExtensionTable[EXT_STAGE], nCurVersion);
    SaveRecordFile(path, stage.SaveToFile(path, ctx) != 0);
  }
}

}  // namespace mkproject
