// The world map: the active entry of a world, the figure's moves over the
// cells, the automatic entry and its exceptions, the stage choice, and the
// places of its sprites and windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "FrontEndFixture.h"
#include "app/WorldMapScene.h"
#include "records/StageLoader.h"

namespace {

using namespace frontendtest;

constexpr int kPassable = 5, kImpassable = 0;
constexpr int kMapState = 1, kChoiceState = 2, kFadeOutState = 3;

cWorldStage Entry(int clearSwitch, const char* file = "data\\stg4\\w.stg4") {
  cWorldStage entry;
  entry.nClearSwitch = clearSwitch;
  entry.StageFile = file;
  return entry;
}

class WorldMapTest : public FrontEnd {
 protected:
  void SetUp() override {
    FrontEnd::SetUp();
    // A 20 x 15 map of passable cells.
    for (int y = 0; y < map.nMapHeight; ++y)
      for (int x = 0; x < map.nMapWidth; ++x) map.Cell(x, y) = kPassable;
    system.m_ModeRankings.VecAt(GAMEMODE_STORY).m_bRankingOn = 0;
  }
  cWorld& AddWorld(int x, int y, std::initializer_list<cWorldStage> entries) {
    cWorld world;
    world.nWorldX = x;
    world.nWorldY = y;
    world.StageList.assign(entries.begin(), entries.end());
    map.Worlds.push_back(world);
    return map.Worlds.back();
  }
  void StartAt(int x, int y) {
    play.nMapX = x;
    play.nMapY = y;
  }
  // Back from a stage left through its continue menu, to return onto (x, y).
  void LeftTheStageFor(int x, int y) {
    play.bReenter = 1;
    play.nReturnX = x;
    play.nReturnY = y;
    SceneManager.m_nPrevScene = SCENE_STAGE_PLAY;
  }
  // The scene entered and faded in; false when the fade never ended.
  bool Open(cWorldMapScene& scene) { return FadeIn(scene); }
  CURSORDATA& Cursor() { return MenuCursor.Current(); }
};

// ---- Which entry of a world is active ----

TEST_F(WorldMapTest, TheFirstEntryWhoseConditionsHoldIsActive) {
  cWorldStage guarded = Entry(1);
  cWorldStage plain = Entry(2);
  struct Case {
    const char* name;
    int needSwitch, condValue, condOp, condRef, needTotal;
    int switchOn, value, total;
    int expected;  // 0 the guarded entry, 1 the plain one
  };
  const Case cases[] = {
      {"no conditions", 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"switch off", 7, 0, 0, 0, 0, 0, 0, 0, 1},
      {"switch on", 7, 0, 0, 0, 0, 1, 0, 0, 0},
      {"C3 >= 3 with 2", 0, 3, 2, 3, 0, 0, 2, 0, 1},
      {"C3 >= 3 with 3", 0, 3, 2, 3, 0, 0, 3, 0, 0},
      {"multiple of 0", 0, 3, 6, 0, 0, 0, 5, 0, 0},
      {"not a multiple of 0", 0, 3, 7, 0, 0, 0, 5, 0, 1},
      {"operator beyond 7", 0, 3, 8, 5, 0, 0, 5, 0, 1},
      {"total below the required", 0, 0, 0, 0, 1000, 0, 0, 999, 1},
      {"total at the required", 0, 0, 0, 0, 1000, 0, 0, 1000, 0},
  };
  for (const Case& c : cases) {
    guarded.nNeedSwitch = c.needSwitch;
    guarded.nCondValue = c.condValue;
    guarded.nCondOp = c.condOp;
    guarded.nCondRef = c.condRef;
    guarded.nNeedTotal = c.needTotal;
    cWorld world;
    world.StageList.assign({guarded, plain});
    play.Switch.VecAt(7) = c.switchOn;
    play.GameValue.VecAt(3) = c.value;
    play.nBestTotal = c.total;
    const cWorldStage* active = FindActiveEntry(&world);
    ASSERT_NE(active, nullptr) << c.name;
    EXPECT_EQ(active->nClearSwitch, c.expected == 0 ? 1 : 2) << c.name;
  }
  cWorld none;
  cWorldStage closed = Entry(1);
  closed.nNeedSwitch = 7;
  play.Switch.VecAt(7) = 0;
  none.StageList.assign({closed});
  EXPECT_EQ(FindActiveEntry(&none), nullptr);
  EXPECT_EQ(FindActiveEntry(nullptr), nullptr);
}

// ---- Sprites and windows ----

TEST_F(WorldMapTest, SpriteSourcesAndWindowPlaces) {
  // Chips five to a row of 32 x 32 cells; icons one row each, cleared in column 1.
  EXPECT_EQ(ChipSource(0), (SpritePos{0, 0}));
  EXPECT_EQ(ChipSource(7), (SpritePos{64, 32}));
  EXPECT_EQ(ChipSource(13), (SpritePos{96, 64}));
  EXPECT_EQ(IconSource(2, false), (SpritePos{0, 64}));
  EXPECT_EQ(IconSource(2, true), (SpritePos{32, 64}));
  // Lives: 16 per digit plus the icon, right edge at 621; unlimited is the icon and "∞".
  EXPECT_EQ(LivesWindowPlace(12), (LivesPlace{573, 48}));
  EXPECT_EQ(LivesWindowPlace(5), (LivesPlace{589, 32}));
  EXPECT_EQ(LivesWindowPlace(100), (LivesPlace{557, 64}));
  EXPECT_EQ(LivesWindowPlace(UNLIMITED_LIVES), (LivesPlace{589, 32}));
  // The name of six characters centred on 304 at y 184 above "スコア1200".
  StageInfoPlace info = StageInfoLayout(6, 3, 1200, true);
  EXPECT_EQ(info.y, 184);
  EXPECT_EQ(info.nameX, 256);
  EXPECT_EQ(info.nameW, 96);
  EXPECT_EQ(info.scoreW, 112);
  EXPECT_EQ(info.scoreX, 248);
  // Without a score, or with the score switch off, the name sits at 204 alone.
  EXPECT_EQ(StageInfoLayout(6, 3, 0, true).y, 204);
  EXPECT_EQ(StageInfoLayout(6, 3, 1200, false).y, 204);
  EXPECT_EQ(StageInfoLayout(6, 3, 1200, false).scoreW, 0);
}

TEST_F(WorldMapTest, TheWalkingFigureShowsEachOfItsTwoFramesFor40Calls) {
  // The counter runs for the whole program: the first run seen may be cut
  // short, every later one lasts 40 calls.
  std::vector<int> runs;
  int last = NextFigureStep(), run = 1;
  for (int call = 0; call < 400; ++call) {
    const int step = NextFigureStep();
    ASSERT_TRUE(step == 0 || step == 32) << step;
    if (step == last) {
      ++run;
      continue;
    }
    runs.push_back(run);
    last = step;
    run = 1;
  }
  ASSERT_GE(runs.size(), 9u);
  for (size_t i = 1; i < runs.size(); ++i) EXPECT_EQ(runs[i], 40) << "run " << i;
}

// ---- The figure's moves ----

TEST_F(WorldMapTest, FigureMovesOneCellAndStopsAtEdgesWallsAndImpassableChips) {
  AddWorld(6, 7, {[] {
             cWorldStage wall = Entry(0);
             wall.nKind = 2;
             return wall;
           }()});
  map.Cell(5, 8) = kImpassable;  // an impassable chip alone
  map.Cell(5, 6) = kImpassable;  // an impassable chip under a world with a stage
  AddWorld(5, 6, {Entry(3)});
  map.Cell(4, 6) = kImpassable;  // under a world whose only entry never holds
  cWorldStage closed = Entry(4);
  closed.nNeedSwitch = 9;
  AddWorld(4, 6, {closed});

  struct Case {
    const char* name;
    int x, y;
    WORD dir;
    int toX, toY, facing;
  };
  const Case cases[] = {
      {"right", 4, 7, kRight, 5, 7, FACING_RIGHT},
      {"left edge", 0, 7, kLeft, 0, 7, FACING_LEFT},
      {"right edge", 19, 7, kRight, 19, 7, FACING_RIGHT},
      {"top edge", 3, 0, kUp, 3, 0, FACING_UP},
      {"bottom edge", 3, 14, kDown, 3, 14, FACING_DOWN},
      {"wall entry", 5, 7, kRight, 5, 7, FACING_RIGHT},
      {"impassable chip", 5, 7, kDown, 5, 7, FACING_DOWN},
      {"impassable chip under a stage", 5, 7, kUp, 5, 6, FACING_UP},
      {"impassable chip under a closed world", 4, 7, kUp, 4, 7, FACING_UP},
      {"diagonal takes the horizontal", 4, 7, kLeft | kUp, 3, 7, FACING_LEFT},
  };
  for (const Case& c : cases) {
    StartAt(c.x, c.y);
    play.nStageCursor = FACING_UP;  // the facing the save holds
    MenuCursor.ResetCursor();
    cWorldMapScene scene;
    scene.Enter();
    EXPECT_EQ(scene.m_nFacing, FACING_UP) << c.name;
    scene.MoveMapCursor(Cursor(), c.dir);
    EXPECT_EQ(Cursor().nX, c.toX) << c.name;
    EXPECT_EQ(Cursor().nY, c.toY) << c.name;
    EXPECT_EQ(scene.m_nFacing, c.facing) << c.name;
    EXPECT_EQ(Cursor().nPosX, kMapCursorX) << c.name;
    EXPECT_EQ(Cursor().nPosY, kMapCursorY) << c.name;
    // The view keeps the cursor cell at (9, 7) of the screen, past the map's edges too.
    EXPECT_EQ(scene.m_nViewX, c.toX - 9) << c.name;
    EXPECT_EQ(scene.m_nViewY, c.toY - 7) << c.name;
    // A refused move turns the figure but leaves the play record's facing.
    const bool refused = c.toX == c.x && c.toY == c.y && std::string(c.name).find("edge") == std::string::npos;
    EXPECT_EQ(play.nStageCursor, refused ? FACING_UP : c.facing) << c.name;
    // Where it came from is kept for a return from the stage.
    EXPECT_EQ(play.nReturnX, c.x) << c.name;
    EXPECT_EQ(play.nReturnY, c.y) << c.name;
  }
}

TEST_F(WorldMapTest, AHeldDirectionRepeatsAfter18FramesThenEvery6) {
  StartAt(0, 7);
  cWorldMapScene scene;
  ASSERT_TRUE(Open(scene));
  ASSERT_EQ(scene.m_nState, kMapState);
  std::vector<int> columns;
  for (int frame = 0; frame < 31; ++frame) {
    Frame(scene, kRight);
    columns.push_back(Cursor().nX);
  }
  // Moves on the held frames 0, 18, 24 and 30.
  EXPECT_EQ(columns[0], 1);
  EXPECT_EQ(columns[17], 1);
  EXPECT_EQ(columns[18], 2);
  EXPECT_EQ(columns[23], 2);
  EXPECT_EQ(columns[24], 3);
  EXPECT_EQ(columns[30], 4);
}

// ---- Entering a stage ----

TEST_F(WorldMapTest, AnUntakenStageIsEnteredByItselfAfterTheFadeIn) {
  WriteStage("w");
  system.m_bLifeCarry = 0;
  system.m_InitialLives.VecAt(GAMEMODE_STORY) = 3;
  AddWorld(8, 7, {Entry(1)});
  StartAt(8, 7);
  SceneManager.m_nPrevScene = SCENE_STAGE_PLAY;
  cWorldMapScene scene;
  ASSERT_TRUE(Open(scene));
  EXPECT_EQ(scene.m_nState, kFadeOutState);
  EXPECT_EQ(SceneManager.m_nNextScene, SCENE_STAGE_PLAY);
  EXPECT_EQ(play.lpWorldStage, &map.Worlds[0].StageList[0]);
  EXPECT_EQ(play.nStageNo, 1);  // the entry's clear switch
  EXPECT_EQ(play.nSeriesNo, 1);
  EXPECT_EQ(play.nEntryLife, 3);
  EXPECT_EQ(play.StageName, "data\\stg4\\w.");
  EXPECT_EQ(play.nReturnX, 8);
  EXPECT_EQ(play.nReturnY, 7);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(WorldMapTest, NoAutomaticEntryOnATakenStageOrFromTheSaveMenu) {
  WriteStage("w");
  struct Case {
    const char* name;
    int manual, cleared, prevScene;
    int stateAfterNextFrame;
  };
  const Case cases[] = {
      {"manual", 1, 0, SCENE_TITLE, kMapState},
      {"cleared", 0, 1, SCENE_STAGE_PLAY, kMapState},
      // An untouched stage after the save menu: its choice opens on the next frame.
      {"from the save menu", 0, 0, SCENE_STORY_SAVE, kChoiceState},
  };
  for (const Case& c : cases) {
    map.Worlds.clear();
    cWorldStage entry = Entry(1);
    entry.bNoAutoEntry = c.manual;
    AddWorld(8, 7, {entry});
    play.Switch.VecAt(1) = c.cleared;
    StartAt(8, 7);
    SceneManager.m_nPrevScene = c.prevScene;
    cWorldMapScene scene;
    ASSERT_TRUE(Open(scene)) << c.name;
    EXPECT_EQ(scene.m_nState, kMapState) << c.name;
    Frame(scene);
    EXPECT_EQ(scene.m_nState, c.stateAfterNextFrame) << c.name;
  }
}

TEST_F(WorldMapTest, LeavingAStageThroughItsContinueMenuStepsBackInsteadOfEnteringIt) {
  WriteStage("w");
  AddWorld(8, 7, {Entry(1)});
  StartAt(8, 7);
  LeftTheStageFor(7, 7);
  cWorldMapScene scene;
  ASSERT_TRUE(Open(scene));
  EXPECT_EQ(scene.m_nState, kMapState);
  EXPECT_EQ(play.bReenter, 0);
  EXPECT_EQ(Cursor().nX, 7);
  Frame(scene);
  EXPECT_EQ(scene.m_nState, kMapState);
  EXPECT_EQ(scene.m_nViewX, 7 - 9);
}

// A stage entered by itself and left through its continue menu puts the figure
// back on the stage, with no cell to step back to: a declined choice must not
// open again at once, or the figure could never walk away.
TEST_F(WorldMapTest, AChoiceDeclinedWithNoCellToStepBackToWaitsForButton1UntilTheFigureWalksOff) {
  WriteStage("w");
  AddWorld(8, 7, {Entry(1)});
  StartAt(8, 7);
  LeftTheStageFor(8, 7);
  cWorldMapScene scene;
  ASSERT_TRUE(Open(scene));
  Frame(scene);
  ASSERT_EQ(scene.m_nState, kChoiceState);
  Frame(scene);
  Press(scene, kB2);
  for (int i = 0; i < 10; ++i) Frame(scene);
  EXPECT_EQ(scene.m_nState, kMapState);
  EXPECT_EQ(Cursor().nX, 8);
  Press(scene, kB1);  // an untaken stage still offers itself on button 1
  ASSERT_EQ(scene.m_nState, kChoiceState);
  Frame(scene);
  Press(scene, kB2);
  Frame(scene, kLeft);
  EXPECT_EQ(Cursor().nX, 7);
  Frame(scene, kRight);  // stepped onto anew: the choice opens at once
  EXPECT_EQ(scene.m_nState, kChoiceState);
}

TEST_F(WorldMapTest, AStageFileThatDoesNotLoadAtTheAutomaticEntryEndsTheProgram) {
  AddWorld(8, 7, {Entry(1, "data\\stg4\\missing.stg4")});
  StartAt(8, 7);
  cWorldMapScene scene;
  Frame(scene);
  const int closesBefore = Closes();  // without a display the scene's surfaces already ask
  Open(scene);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("missing.stg4"), std::string::npos);
  EXPECT_EQ(Closes(), closesBefore + 1);
}

TEST_F(WorldMapTest, TheStageChoiceStartsOnNoAndCancellingStepsBack) {
  WriteStage("w");
  AddWorld(8, 7, {Entry(1)});
  StartAt(7, 7);
  cWorldMapScene scene;
  ASSERT_TRUE(Open(scene));
  Frame(scene, kRight);  // onto the stage: its choice opens at once
  ASSERT_EQ(scene.m_nState, kChoiceState);
  EXPECT_EQ(play.nMapX, 8);
  Frame(scene);  // the stage loads, the cursor on the second choice
  EXPECT_EQ(sounds.back(), 1);
  EXPECT_EQ(Cursor().nY, 1);
  Press(scene, kB1);  // "no": back to the cell it came from
  EXPECT_EQ(scene.m_nState, kMapState);
  EXPECT_EQ(Cursor().nX, 7);
  Frame(scene, kRight);
  Frame(scene);
  Frame(scene, kUp);
  Press(scene, kB1);  // "play"
  EXPECT_EQ(scene.m_nState, kFadeOutState);
  EXPECT_EQ(SceneManager.m_nNextScene, SCENE_STAGE_PLAY);
  EXPECT_EQ(play.lpWorldStage, &map.Worlds[0].StageList[0]);
}

TEST_F(WorldMapTest, ACancelledChoiceOfAReplayableClearedStageKeepsTheFigureOnIt) {
  WriteStage("w");
  cWorldStage entry = Entry(1);
  entry.bReplayable = 1;
  AddWorld(8, 7, {entry});
  play.Switch.VecAt(1) = 1;
  StartAt(7, 7);
  cWorldMapScene scene;
  ASSERT_TRUE(Open(scene));
  Frame(scene, kRight);
  EXPECT_EQ(scene.m_nState, kMapState);  // cleared: it waits for button 1
  Press(scene, kB1);
  ASSERT_EQ(scene.m_nState, kChoiceState);
  Frame(scene);
  Press(scene, kB2);
  EXPECT_EQ(scene.m_nState, kMapState);
  EXPECT_EQ(Cursor().nX, 8);
  EXPECT_EQ(sounds.back(), 2);
}

TEST_F(WorldMapTest, EnteringTheStageSetsTheLivesItStartsWith) {
  WriteStage("w");
  AddWorld(8, 7, {Entry(5)});
  struct Case {
    int carry, unlimited, lives;
    int entryLives;
  };
  // Carried lives: one more than left (the stage takes one), or unlimited;
  // otherwise the story's initial lives.
  const Case cases[] = {{1, 0, 4, 5}, {1, 1, 4, UNLIMITED_LIVES}, {0, 0, 4, 3}, {0, 1, 4, 3}};
  for (const Case& c : cases) {
    system.m_bLifeCarry = c.carry;
    system.m_UnlimitedLives.VecAt(GAMEMODE_STORY) = c.unlimited;
    system.m_InitialLives.VecAt(GAMEMODE_STORY) = 3;
    play.nLife = c.lives;
    ASSERT_EQ(LoadStageForPlay("data\\stg4\\w.stg4", 1, StageDataOrg, cLoadContext{}), 1);
    PrepareStagePlay(map.Worlds[0].StageList[0]);
    EXPECT_EQ(play.nEntryLife, c.entryLives);
    EXPECT_EQ(play.nLife, c.lives);
    EXPECT_EQ(play.nStageNo, 5);
  }
}

// ---- The save menu and auto-save ----

TEST_F(WorldMapTest, Button2OpensTheSaveMenuAndTheMapPositionIsKept) {
  StartAt(3, 4);
  cWorldMapScene scene;
  ASSERT_TRUE(Open(scene));
  Frame(scene, kRight);
  Frame(scene);
  Press(scene, kB2);
  EXPECT_EQ(sounds.back(), 4);
  EXPECT_EQ(scene.m_nState, kFadeOutState);
  EXPECT_EQ(SceneManager.m_nNextScene, SCENE_STORY_SAVE);
  EXPECT_EQ(play.nMapX, 4);
  EXPECT_EQ(play.nMapY, 4);
}

TEST_F(WorldMapTest, AutoSaveWritesTheCurrentSlotOnlyAfterStagePlay) {
  std::filesystem::create_directories("user_data/story");
  play.bAutoSave = 1;
  play.nSaveSlot = 4;
  for (int prev : {SCENE_STORY_SAVE, SCENE_STAGE_PLAY}) {
    SceneManager.m_nPrevScene = prev;
    cWorldMapScene scene;
    scene.Enter();
    EXPECT_EQ(std::filesystem::exists("user_data/story/Story05.dat"), prev == SCENE_STAGE_PLAY) << prev;
  }
}

TEST_F(WorldMapTest, AnAutoSaveThatFailsIsRefusedWithABox) {
  std::filesystem::create_directories("user_data/story/Story05.dat");  // a folder in the file's place
  play.bAutoSave = 1;
  play.nSaveSlot = 4;
  SceneManager.m_nPrevScene = SCENE_STAGE_PLAY;
  cWorldMapScene scene;
  scene.Enter();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("user_data\\story\\Story05.dat"), std::string::npos) << boxes[0];
  ASSERT_FALSE(sounds.empty());
  EXPECT_EQ(sounds.back(), 3);
  EXPECT_FALSE(slots.VecAt(4).bUsed);
}

}  // namespace
