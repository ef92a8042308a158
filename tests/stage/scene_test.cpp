// The stage-play scene on a tiny stage built in memory: set-up, the hit-step
// spread, block appearance, the time rules, the hero's loss and restart, and
// the block sheet as the records draw it.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>

#include "FakeStageShell.h"
#include "TinyStage.h"
#include "flow/Interpreter.h"
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "library/draw_fixture.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "library/util/Random.h"
#include "library/util/Text.h"
#include "platform/Clock.h"
#include "platform/Harness.h"
#include "platform/display/DirectDraw.h"
#include "records/FlowEnums.h"
#include "records/StageData.h"
#include "stage/CharaDraw.h"
#include "stage/Replay.h"
#include "stage/StageDraw.h"
#include "stage/StagePlay.h"
#include "stage/StageResources.h"
#include "stage/StageRules.h"
#include "stage/StageScene.h"
#include "stage/StageSetup.h"
#include "support/TempDir.h"
#include "support/TinyStage.h"

namespace {

using tinystage::Block;
using tinystage::kH;
using tinystage::kW;
using tinystage::Placed;

// A 40 x 15 stage: a floor on row 12 under the hero at (2, 11), a walker at
// (10, 11), an item at (5, 11).
class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tinystage::Build(stage, kBlockHitSolid);
    stage.m_PlacedCharas.push_back(Placed(10, 11, 1));
    cItemDef item;
    item.m_nMapX = 5;
    item.m_nMapY = 11;
    stage.m_PlacedItems.push_back(item);
    StageData = &stage;
    StageDataOrg = &stage;
    KeyInputList.assign(1, cKeyInput{});
  }
  void TearDown() override {
    StageData = StageDataOrg = nullptr;
    CurrentPlayScene = nullptr;
    KeyInputList.clear();
  }
  MAPCELL& Cell(int cx, int cy) { return scene.CellAt(scene.CellIndex(cx + 10, cy + 10)); }

  cStageData stage;
  cStagePlayScene scene;
};

int Lcg(unsigned& x) {
  x = x * 214013u + 2531011u;
  return static_cast<int>((x >> 16) & 32767);
}

TEST_F(SceneTest, SetUpBuildsMapObjectsHeroCameraAndSeed) {
  scene.m_nSeed = 1234;
  scene.m_ScrEffect.nIndex = 3;  // what the last attempt left running
  scene.m_ScreenColor.bActive = 1;
  scene.m_ScreenColor.nPrevAlpha = 9;
  ASSERT_TRUE(SetStage(scene, 1, 1));
  EXPECT_EQ(scene.m_ScrEffect.nIndex, 0);
  EXPECT_EQ(scene.m_ScreenColor.bActive, 0);
  EXPECT_EQ(scene.m_ScreenColor.nPrevAlpha, 255);
  EXPECT_EQ(scene.m_ScrollX.nShift, std::bit_width(static_cast<unsigned>(kW + 19)));
  EXPECT_EQ(scene.MapCellList.size(), static_cast<size_t>((kH + 20) << scene.m_ScrollX.nShift));
  EXPECT_EQ(scene.CellAt((3 + 10) + ((12 + 10) << scene.m_ScrollX.nShift)).block.m_nChip, 1);
  EXPECT_EQ(Cell(3, 11).block.m_nChip, 0);

  ASSERT_TRUE(scene.HasHero());
  cPlayer& hero = scene.Hero();
  EXPECT_EQ(static_cast<int>((hero.m_dX + hero.m_dRight) / 2) >> 5, 2 + 10);
  EXPECT_EQ(static_cast<int>(hero.m_dBottom) >> 5, 11 + 10);
  ASSERT_EQ(scene.CharaList.size(), 1u);
  EXPECT_EQ(static_cast<int>(scene.CharaList.front().m_dX + scene.CharaList.front().m_nWidth / 2) >> 5, 10 + 10);
  ASSERT_EQ(scene.ItemList.size(), 1u);
  EXPECT_EQ(scene.m_CharaByFaction[static_cast<size_t>(hero.m_nFaction)].size(), 2u);

  // The camera centres the hero, held inside the stage's span.
  double want = std::clamp<double>(hero.m_dX - 320 + hero.m_nWidth / 2, 320, (kW + 10) * 32 - 640);
  EXPECT_DOUBLE_EQ(scene.m_ScrollX.dPos, want);

  // Without recording a restart keeps the seed, and the generator starts from it.
  unsigned x = 1234;
  EXPECT_EQ(scene.m_nSeed, 1234);
  EXPECT_EQ(crt::rand(), Lcg(x));
  EXPECT_EQ(scene.m_nTimeLeft, 999);
  EXPECT_EQ(scene.m_bNoTimeLimit, 1);
}

TEST_F(SceneTest, RecordingTakesAFreshSeedFromTheClockEachAttempt) {
  cSystemData system;
  system.m_bReplayRecording = 1;
  SystemData = &system;
  platform::InjectedClock clock(5000);
  ASSERT_TRUE(SetStage(scene, 1, 1));
  EXPECT_EQ(scene.m_nSeed, 5000);
  clock.Set(7000);
  ASSERT_TRUE(SetStage(scene, 1, 0));
  EXPECT_EQ(scene.m_nSeed, 7000);
  unsigned x = 7000;
  EXPECT_EQ(crt::rand(), Lcg(x));
  SystemData = nullptr;
}

// Without recording, the first attempt of a new scene draws from seed 0,
// the same in every run, whatever the generator held before.
TEST_F(SceneTest, FirstAttemptOfANewSceneIsSeededWithZero) {
  crt::srand(99);
  ASSERT_TRUE(SetStage(scene, 1, 1));
  EXPECT_EQ(scene.m_nSeed, 0);
  unsigned x = 0;
  EXPECT_EQ(crt::rand(), Lcg(x));
}

// Down then right, each held 1 to 10 frames with no gap: a key command of the
// hero's that the keys of a lost attempt must not complete.
cFlow DownThenRightFlow() {
  cFlow flow = stagetest::MakeFlow(TRG_ALWAYS, {stagetest::MakeCommand(CMD_WAIT, 0)});
  for (int slot : {4, 2}) {  // direction timelines 4 (down) and 2 (right)
    cKeyCondition step;
    step.m_vKeys[static_cast<size_t>(slot)] = 1;
    step.m_nMinFrames = 1;
    step.m_nMaxFrames = 10;
    flow.m_vKeyConditions.push_back(step);
  }
  return flow;
}

void PressDir(WORD dir, int frames) {
  cKeyInput& input = KeyInputList[0];
  for (int f = 0; f < frames; ++f) {
    input.m_wDir = dir;
    input.RecordInputHistory();
    input.RecordKeyTimelines();
  }
}

TEST_F(SceneTest, AKeyCommandCannotCompleteFromKeysOfTheLostAttempt) {
  constexpr WORD kDown = 8, kRight = 2;
  stage.m_PlacedCharas[0].m_vFlows.push_back(DownThenRightFlow());
  ASSERT_TRUE(SetStage(scene, 1, 1));
  PressDir(kDown, 3);  // the last frames before the hero is lost
  ASSERT_TRUE(SetStage(scene, 1, 0));
  PressDir(kRight, 1);  // the new attempt's first frame
  cPlayer& hero = scene.Hero();
  ASSERT_EQ(hero.m_vFlows.size(), 1u);
  EXPECT_FALSE(CheckKeyCommand(hero, hero.m_vFlows[0]));
  // The history holds only this frame: asked further back it gives the newest value.
  EXPECT_EQ(KeyInputList[0].GetPastInput(0, 1), kRight);
  // The same keys pressed within the attempt complete it.
  PressDir(0, 1);
  PressDir(kDown, 3);
  PressDir(kRight, 1);
  EXPECT_TRUE(CheckKeyCommand(hero, hero.m_vFlows[0]));
}

TEST_F(SceneTest, SetUpResetsTheMenuCursorAndTheEightBitDisplayPalette) {
  MenuCursor.ResetCursor();
  MenuCursor.PushCursor(0);
  MenuCursor.Current().nY = 2;  // the pause menu's last choice
  platform::display::DDPalette palette;
  const int bpp = nBpp;
  nBpp = 8;
  lpDDPalette = &palette;
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<BYTE>(i);
    ColorPalette[i] = PALETTEENTRY{v, static_cast<BYTE>(255 - v), 7, 0};
    DispColorPalette[i] = PALETTEENTRY{};  // a screen colour darkened it
  }
  EXPECT_TRUE(SetStage(scene, 1, 0));
  EXPECT_EQ(MenuCursor.Depth(), 1);
  EXPECT_EQ(MenuCursor.Current(), CURSORDATA{});
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(DispColorPalette[i], ColorPalette[i]) << i;
    EXPECT_EQ(palette.Entries()[static_cast<size_t>(i)], ColorPalette[i]) << i;
  }
  // At other depths the display palette is not the screen's: it stays.
  nBpp = 32;
  DispColorPalette[5] = PALETTEENTRY{1, 2, 3, 0};
  EXPECT_TRUE(SetStage(scene, 1, 0));
  EXPECT_EQ(DispColorPalette[5], (PALETTEENTRY{1, 2, 3, 0}));
  nBpp = bpp;
  lpDDPalette = nullptr;
}

// The project's compatibility switches reach the rules at set-up, each to its own rule.
TEST_F(SceneTest, ProjectSwitchesReachTheRulesAtSetUp) {
  const struct {
    int compat;  // 1-based; 0 is the marked flows' switch
    int cStageRules::*rule;
  } cases[] = {
      {1, &cStageRules::bScrollRelativeMove},    {2, &cStageRules::bScaleFromBody},
      {3, &cStageRules::bKeepDefeated},          {6, &cStageRules::bPaletteAnimation},
      {7, &cStageRules::bTriggerEveryStep},      {9, &cStageRules::bStrictProtect},
      {10, &cStageRules::bAllowKeyStepOverlap},  {11, &cStageRules::bLandWhileRising},
      {12, &cStageRules::bKeepNegativeMoveTime}, {0, &cStageRules::bKeepTestPlayFlows},
  };
  for (const auto& c : cases) {
    cSystemData system;
    std::fill(std::begin(system.m_nCompat), std::end(system.m_nCompat), 0);
    system.m_bKeepMarkedFlows = 0;
    (c.compat ? system.m_nCompat[c.compat - 1] : system.m_bKeepMarkedFlows) = 1;
    SystemData = &system;
    ASSERT_TRUE(SetStage(scene, 1, 1));
    for (const auto& other : cases) EXPECT_EQ(scene.m_Rules.*other.rule, other.rule == c.rule ? 1 : 0) << c.compat;
  }
  SystemData = nullptr;
}

TEST_F(SceneTest, CameraFollowsTheHeroInsideTheScrollLimits) {
  stage.m_bScrollLimit[1] = 1;  // the view ends with stage column 25
  stage.m_nScrollLimit[1] = 25;
  ASSERT_TRUE(SetStage(scene, 1, 1));
  const int upper = 320 + 25 * 32 + 32;
  EXPECT_EQ(scene.m_ScrollX.nUpper, upper);
  cPlayer& hero = scene.Hero();
  for (int column : {14, 20, 1}) {
    hero.SetBlockX(column);
    RunPlayFrame(scene);
    const double follow = hero.m_dX - (320 - (hero.m_nWidth >> 1));
    const double want = std::clamp<double>(follow, 320, upper - 640);
    EXPECT_DOUBLE_EQ(scene.m_ScrollX.dPos, want) << "column " << column;
  }
}

TEST_F(SceneTest, PlacementsOutsideTheMapAreSkipped) {
  stage.m_PlacedBlocks.push_back(Block(kW + 11, 0, kBlockHitSolid));
  stage.m_PlacedBlocks.push_back(Block(-11, 0, kBlockHitSolid));
  ASSERT_TRUE(SetStage(scene, 1, 1));
  int solid = static_cast<int>(std::count_if(scene.MapCellList.begin(), scene.MapCellList.end(),
                                             [](const MAPCELL& c) { return c.block.m_nChip != 0; }));
  EXPECT_EQ(solid, kW);
}

TEST_F(SceneTest, TraceShowsSetUpAndTheHerosPositionEachFrame) {
  testsupport::TempDir dir;
  platform::HarnessSettings settings;
  settings.trace = (dir / "trace.txt").string();
  platform::SetHarnessForTesting(settings);
  ASSERT_TRUE(SetStage(scene, 1, 1));
  cPlayer& hero = scene.Hero();
  hero.m_dVx = 1.5;  // drifts right for a frame
  RunPlayFrame(scene);
  const double x1 = hero.m_dX, y1 = hero.m_dY;
  RunPlayFrame(scene);
  platform::SetHarnessForTesting({});
  const std::string trace = dir.Read("trace.txt");
  EXPECT_NE(trace.find("In SetStage\n"), std::string::npos);
  EXPECT_NE(trace.find("Out SetStage\n"), std::string::npos);
  std::string frame1, frame2;
  StrFormat(frame1, "Frame 1 hero %.3f,%.3f\n", x1, y1);
  StrFormat(frame2, "Frame 2 hero %.3f,%.3f\n", hero.m_dX, hero.m_dY);
  EXPECT_NE(trace.find(frame1), std::string::npos) << trace;
  EXPECT_NE(trace.find(frame2), std::string::npos) << trace;
  EXPECT_LT(trace.find(frame1), trace.find(frame2));
}

TEST(HitStepMaskTest, ChecksSpreadOverTheSteps) {
  struct Case {
    int steps, checks;
    std::vector<int> mask;
  };
  const Case cases[] = {{4, 3, {1, 1, 1, 0}},    {4, 0, {1, 1, 1, 1}}, {4, 5, {1, 1, 1, 1}}, {2, INT_MAX, {1, 1}},
                        {5, 2, {1, 0, 1, 0, 0}}, {1, 1, {1}},          {3, 1, {1, 0, 0}}};
  for (const Case& c : cases) {
    cCheckedVector<int> mask = MakeHitStepMask(c.steps, c.checks);
    EXPECT_EQ(std::vector<int>(mask.begin(), mask.end()), c.mask) << c.steps << " steps, " << c.checks << " checks";
  }
}

TEST_F(SceneTest, BlocksAppearByTheirConditionsAndLatch) {
  ASSERT_TRUE(SetStage(scene, 1, 1));
  MAPCELL& cell = Cell(6, 8);
  cell.block = Block(6, 8, kBlockHitSolid);
  cCondition c;
  c.m_nKind = COND_STAGE_VAR;
  c.m_nIndex = 4;
  c.m_nOperator = CMP_EQUAL;
  c.m_nValue = 1;
  cell.block.m_vConditions.push_back(c);
  cStageRecordHooks hooks;
  SetRecordHooks(&hooks);
  EXPECT_EQ(GetBlockHit(cell, 0), 0);
  scene.m_StageVar[4] = 1;
  EXPECT_EQ(GetBlockHit(cell, 0), kBlockHitSolid);
  scene.m_StageVar[4] = 0;
  EXPECT_EQ(GetBlockHit(cell, 0), 0);  // without the latch switch it goes again
  cell.block.m_bCondLatch = 1;
  scene.m_StageVar[4] = 1;
  EXPECT_EQ(GetBlockHit(cell, 0), kBlockHitSolid);
  scene.m_StageVar[4] = 0;
  EXPECT_EQ(GetBlockHit(cell, 0), kBlockHitSolid);
  SetRecordHooks(nullptr);
}

TEST_F(SceneTest, TimeLimitRunsOutInTheSixtiethFrameAndPlayTimeStops) {
  stage.m_bTimeLimit = 1;
  stage.m_nTimeLimit = 1;
  ASSERT_TRUE(SetStage(scene, 1, 1));
  for (int frame = 1; frame < 60; ++frame) ASSERT_EQ(UpdateTimeLimit(scene, -1), 0) << frame;
  EXPECT_EQ(UpdateTimeLimit(scene, -1), 1);
  EXPECT_EQ(scene.m_nTimeLeft, 0);

  scene.m_nPlayFrames = 359999;
  UpdatePlayTime(scene);
  EXPECT_EQ(scene.m_nClearTime, 599999);  // 360000 frames are 600000 hundredths, capped
  scene.m_nClearTime = 599999;
  UpdatePlayTime(scene);
  EXPECT_EQ(scene.m_nPlayFrames, 360000);
}

class SoundHooks : public cStagePlayHooks {
 public:
  void RequestSe(int sound) override { system.push_back(sound); }
  void RequestDbSe(int sound) override { sounds.push_back(sound); }
  std::vector<int> system;  // the fixed system sounds
  std::vector<int> sounds;  // the Sound database's
};

TEST_F(SceneTest, LowTimeSoundsOncePerSecondWithinTheWarningTime) {
  stage.m_bTimeLimit = 1;
  stage.m_nTimeLimit = 3;
  stage.m_nTimeWarning = 2;
  ASSERT_TRUE(SetStage(scene, 1, 1));
  SoundHooks hooks;
  scene.SetHooks(&hooks);
  int sounds = 0;
  for (int frame = 1; frame <= 180; ++frame) {
    UpdateTimeLimit(scene, -1);
    DrawTimeLimit(scene, stage, nullptr, 1);
    // The second ends in frames 60, 120 and 180; 2 and 1 are low, 0 is over.
    if (frame == 60 || frame == 120) ++sounds;
    ASSERT_EQ(static_cast<int>(hooks.system.size()), sounds) << frame;
  }
  EXPECT_EQ(hooks.system, (std::vector<int>{13, 13}));
  scene.SetHooks(nullptr);
}

TEST_F(SceneTest, ConveyorPushesOneDotPerFrameAtAnyPace) {
  for (int level : {1, 4}) {
    stage.m_nCollisionLevel = level;
    ASSERT_TRUE(SetStage(scene, 1, 1));
    cPlayer& hero = scene.Hero();
    cBlockDef& floor = scene.CellAt(scene.CellIndex(12, 22)).block;
    floor.m_nEffectKind = 5;
    floor.m_nEffectValue = 10;
    hero.m_nFootCell = scene.CellIndex(12, 22);
    hero.m_dVx = 0;
    for (int s = 0; s < level; ++s) ApplyBlockEffect(scene, hero);
    EXPECT_NEAR(hero.m_dVx, 1.0, 1e-12) << "level " << level;
    EXPECT_EQ(hero.m_nFloorTimer, 0);
  }
}

TEST_F(SceneTest, ItemBlockHandsOutItsItemOncePerSecondAndAgainOnANewCell) {
  cItemDef item;
  item.m_nSound = 7;
  stage.m_PaletteItems.push_back(item);
  const int itemIndex = static_cast<int>(stage.m_PaletteItems.size()) - 1;
  ASSERT_TRUE(SetStage(scene, 1, 1));
  SoundHooks hooks;
  scene.SetHooks(&hooks);
  cPlayer& hero = scene.Hero();
  const int under = scene.CellIndex(12, 22), next = scene.CellIndex(13, 22);
  for (int index : {under, next}) {
    cBlockDef& block = scene.CellAt(index).block;
    block.m_nItemSrc = kPaletteStage;
    block.m_nItemIdx = static_cast<std::int16_t>(itemIndex);
  }
  hero.m_bAirborne = 0;
  hero.m_nFootCell = hero.m_nLandedCell = hero.m_nPrevLandedCell = under;
  // One logic step a frame: used at once, then every 60 steps while standing.
  for (int step = 1; step <= 121; ++step) ApplyBlockItem(scene, hero);
  EXPECT_EQ(hooks.sounds, (std::vector<int>{7, 7, 7}));

  hero.m_nFootCell = hero.m_nLandedCell = next;
  hero.m_dVy = 0;
  ApplyBlockItem(scene, hero);
  EXPECT_EQ(hero.m_nItemBlockCooldown, 0);
  EXPECT_EQ(hero.m_dVy, 1.0);
  hero.m_nPrevLandedCell = next;
  ApplyBlockItem(scene, hero);
  EXPECT_EQ(hooks.sounds.size(), 4u);
  scene.SetHooks(nullptr);
}

// Each play frame hands its keys to the key timelines the flows read; a button
// held over from the pause counts only after every button was let go, and a
// direction the hero's commands block is not seen.
TEST_F(SceneTest, PlayFramesRecordTheirKeysWithButtonHoldAndBlocking) {
  constexpr WORD kRight = 2;
  constexpr int kRightSlot = 2, kButton1Slot = 11;
  ASSERT_TRUE(SetStage(scene, 1, 1));
  FakeStageShell shell(scene);
  scene.m_nState = PLAYSTATE_PLAY;
  cKeyInput& input = KeyInputList.VecAt(0);
  scene.m_bButtonHold = 1;
  for (int frame = 0; frame < 3; ++frame) {
    input.m_wDir = kRight;
    input.m_wButton = 1;
    StatePlay(scene, shell);
  }
  EXPECT_NE(input.KeyTimeline(kRightSlot)[0].nState, 0);
  EXPECT_EQ(input.KeyTimeline(kRightSlot)[0].nFrames, 3);
  EXPECT_EQ(input.KeyTimeline(kButton1Slot)[0].nState, 0);

  input.m_wButton = 0;
  StatePlay(scene, shell);
  EXPECT_EQ(scene.m_bButtonHold, 0);
  input.m_wButton = 1;
  StatePlay(scene, shell);
  EXPECT_NE(input.KeyTimeline(kButton1Slot)[0].nState, 0);

  scene.Hero().m_bDirBlocked = 1;
  input.m_wDir = kRight;
  StatePlay(scene, shell);
  EXPECT_EQ(input.KeyTimeline(kRightSlot)[0].nState, 0);
}

TEST_F(SceneTest, CaptionsShowSeventyNineFramesEach) {
  stage.m_bStageCaption = 1;
  stage.m_bSecondCaption = 1;
  ASSERT_TRUE(SetStage(scene, 1, 1));
  FakeStageShell shell(scene);
  scene.m_nState = PLAYSTATE_START;
  int frames = 0;
  while (scene.m_nState == PLAYSTATE_START && frames < 1000) StateStart(scene, shell), ++frames;
  EXPECT_EQ(frames, 79 + 79 + 1);
  EXPECT_EQ(scene.m_nState, PLAYSTATE_PLAY);
}

TEST_F(SceneTest, HeroOnADeadlyFloorDiesVanishesLosesALifeAndRestarts) {
  for (int x = 0; x < kW; ++x) stage.m_PlacedBlocks.VecAt(x).m_nHitKind = kBlockHitDeadly;
  cSaveData record;
  record.nLife = 1;
  PlayData = &record;
  ASSERT_TRUE(SetStage(scene, 1, 1));
  FakeStageShell shell(scene);
  scene.m_nState = PLAYSTATE_PLAY;
  int frames = 0;
  while (!scene.Hero().m_bDying && frames < 120) StatePlay(scene, shell), ++frames;
  ASSERT_EQ(scene.Hero().m_bDying, 1);
  // The frame that lost the hero was not drawn; then one second of vanish frames.
  EXPECT_EQ(shell.draws, frames - 1);
  shell.draws = 0;
  while (scene.m_nState == PLAYSTATE_PLAY && shell.draws < 200) StatePlay(scene, shell);
  EXPECT_EQ(shell.draws, 60 + 1);
  EXPECT_EQ(scene.m_nState, PLAYSTATE_START);
  EXPECT_EQ(record.nLife, 0);
  EXPECT_EQ(scene.Hero().m_bDying, 0);
  EXPECT_EQ(static_cast<int>(scene.Hero().m_dBottom) >> 5, 11 + 10);

  // With no life left the game is over.
  scene.m_nState = PLAYSTATE_PLAY;
  frames = 0;
  while (scene.m_nState == PLAYSTATE_PLAY && frames < 400) StatePlay(scene, shell), ++frames;
  EXPECT_EQ(scene.m_nState, PLAYSTATE_GAMEOVER);
  PlayData = nullptr;
}

TEST(LoseLifeTest, UnlimitedAndDirectStartsKeepTheCount) {
  cSaveData record;
  record.nLife = 999999;
  EXPECT_EQ(LoseLife(record, false), 1);
  EXPECT_EQ(record.nLife, 999999);
  record.nLife = 2;
  EXPECT_EQ(LoseLife(record, true), 1);
  EXPECT_EQ(record.nLife, 2);
  EXPECT_EQ(LoseLife(record, false), 1);
  EXPECT_EQ(record.nLife, 1);
  record.nLife = 0;
  EXPECT_EQ(LoseLife(record, false), 0);
}

// Each attempt starts its stage score at 0; a test play on a stage file also
// its totals, and a lost life returns to what the attempt started with.
TEST_F(SceneTest, AttemptsStartTheirScoresFromTheRecord) {
  for (const int testPlayOnFile : {0, 1}) {
    cSaveData record;
    record.nScore = 300;
    record.nStageScore = 40;
    record.nClearTimeTotal = 12;
    PlayData = &record;
    scene.m_bTestPlayOnFile = testPlayOnFile;
    ASSERT_TRUE(SetStage(scene, 1, 1));
    EXPECT_EQ(record.nStageScore, 0);
    EXPECT_EQ(record.nScore, testPlayOnFile ? 0 : 300);
    EXPECT_EQ(record.nClearTimeTotal, testPlayOnFile ? 0 : 12);
    EXPECT_EQ(&scene.Record(), &record);  // what flows and the status bar read
    PlayData = nullptr;
  }
}

// A fresh entry starts the play over: lives back to the entry count, totals,
// counters and both replays cleared; only a direct start goes back to stage 1
// of its series (the map's stage index stays).
TEST(ResetPlayTest, FreshEntryStartsThePlayOver) {
  for (const bool directStart : {false, true}) {
    cStagePlayScene scene;
    cSaveData record;
    cReplayData replay, previous;
    RecordReplayFrame(replay, 1, 0);
    RecordReplayFrame(previous, 1, 0);
    ReplayData = &replay;
    ReplayDataPrev = &previous;
    record.nEntryLife = 3;
    record.nLife = 1;
    record.nStageNo = 6;
    record.nSeriesNo = 4;
    scene.m_bRegistered = 1;
    record.nScore = record.nStageScore = 500;
    record.nTimeLeftTotal = record.nClearTimeTotal = record.nHpLeftTotal = record.nSpLeftTotal = 7;
    record.bStartPos = 1;
    scene.m_ScrollX.dPos = scene.m_ScrollY.dPos = 96.0;
    scene.m_nCaption1 = scene.m_nCaption2 = scene.m_nStep = scene.m_bButtonHold = scene.m_nTimeLeft = 5;
    ResetPlay(scene, record, directStart);
    EXPECT_EQ(record.nLife, 3);
    EXPECT_EQ(record.nSeriesNo, directStart ? 1 : 4);
    EXPECT_EQ(record.nStageNo, 6);
    EXPECT_EQ(scene.m_bRegistered, 0);
    EXPECT_TRUE(replay.m_DirWords.empty());
    EXPECT_TRUE(previous.m_DirWords.empty());
    ReplayData = ReplayDataPrev = nullptr;
    for (int total : {record.nScore, record.nStageScore, record.nTimeLeftTotal, record.nClearTimeTotal,
                      record.nHpLeftTotal, record.nSpLeftTotal, record.bStartPos})
      EXPECT_EQ(total, 0);
    EXPECT_EQ(scene.m_ScrollX.dPos + scene.m_ScrollY.dPos, 0.0);
    for (int counter : {scene.m_nCaption1, scene.m_nCaption2, scene.m_nStep, scene.m_bButtonHold, scene.m_nTimeLeft})
      EXPECT_EQ(counter, 0);
  }
}

TEST_F(SceneTest, GaugeShowsOneHundredTwentyFramesAndItsChangeShrinksForSixty) {
  ASSERT_TRUE(SetStage(scene, 1, 1));
  cNpc& npc = scene.CharaList.front();
  npc.m_nHp = 10;
  npc.StartHpGaugeAnime(-4);
  GaugeAnime& gauge = npc.m_HpGauge;
  ASSERT_EQ(gauge.nFramesLeft, 120);
  double want = gauge.dChange;
  const double perFrame = gauge.dChangePerFrame;
  for (int frame = 1; frame <= 120; ++frame) {
    DrawGauges(npc, nullptr, gauge, 0, nullptr);
    ASSERT_EQ(gauge.nFramesLeft, 120 - frame);
    want = frame <= 60 ? want - perFrame : 0.0;
    ASSERT_EQ(gauge.dChange, want) << frame;
  }
  DrawGauges(npc, nullptr, gauge, 0, nullptr);
  EXPECT_EQ(gauge.nFramesLeft, 0);  // a finished gauge is neither drawn nor advanced
}

// The block sheet is read from its second-mode slot at (chip / 15 x 32, chip % 15 x 32).
class StageDrawTest : public drawtest::DrawTest {};

TEST_P(StageDrawTest, DrawBlockCopiesTheChipsCellWithTheColourKey) {
  std::vector<DDSURFACEDATA> user(71);
  ASSERT_TRUE(DDCreateSurface(&user[3], 96, 480, 1, 0, 0, 0, 0));
  DDFillRect(&user[3], 0, 0, 96, 480, 1);    // red everywhere
  DDFillRect(&user[3], 32, 32, 32, 32, 2);   // chip 16: column 1, row 1, green
  DDFillRect(&user[3], 32, 32, 8, 8, 0);     // its top-left corner transparent
  DDFillRect(&BackBuffer, 0, 0, 64, 48, 3);  // blue
  lpUserSD = user.data();
  nUserSD = 71;
  cStageRecordHooks hooks;
  SetRecordHooks(&hooks);
  cBlockDef block;
  block.m_nChip = 16;
  DrawBlock(block, &BackBuffer, 8, 4);
  SetRecordHooks(nullptr);
  lpUserSD = nullptr;
  nUserSD = 0;
  DDReleaseSurface(&user[3]);

  auto screen = Screen();
  auto at = [&](int x, int y) { return screen[static_cast<size_t>(y) * 64 + x]; };
  EXPECT_EQ(at(7, 4), drawtest::kBlue);
  EXPECT_EQ(at(8, 4), drawtest::kBlue);     // the keyed corner lets the background through
  EXPECT_EQ(at(16, 12), drawtest::kGreen);  // past the corner
  EXPECT_EQ(at(39, 35), drawtest::kGreen);
  EXPECT_EQ(at(40, 35), drawtest::kBlue);
  EXPECT_EQ(at(20, 36), drawtest::kBlue);
}

TEST_P(StageDrawTest, DrawBlocksSkipsBlocksWhoseConditionsFail) {
  std::vector<DDSURFACEDATA> user(71);
  ASSERT_TRUE(DDCreateSurface(&user[3], 96, 480, 1, 0, 0, 0, 0));
  DDFillRect(&user[3], 0, 0, 96, 480, 2);  // every chip green
  DDFillRect(&BackBuffer, 0, 0, 64, 48, 3);
  lpUserSD = user.data();
  nUserSD = 71;
  cStageRecordHooks hooks;
  SetRecordHooks(&hooks);
  cStagePlayScene scene;
  CurrentPlayScene = &scene;
  scene.m_Rules.nMapWidth = kW;
  scene.m_Rules.nMapHeight = kH;
  scene.BuildEmptyMap();
  scene.Player.emplace_back();
  // The view starts one cell and 8 dots into the stage: stage column 1 is drawn from x = -8 + 32.
  scene.m_ScrollX.dPos = 320 + 32 + 8;
  scene.m_ScrollY.dPos = 320;
  auto put = [&](int cx, int cy) -> cBlockDef& {
    cBlockDef& b = scene.CellAt(scene.CellIndex(cx + 10, cy + 10)).block;
    b = Block(cx, cy, kBlockHitSolid);
    return b;
  };
  put(2, 0);
  cCondition never;
  never.m_nKind = COND_STAGE_VAR;
  never.m_nOperator = CMP_EQUAL;
  never.m_nValue = 1;
  put(3, 0).m_vConditions.push_back(never);
  put(2, 1).m_nLayer = 1;  // front pass
  DrawBlocks(scene, &BackBuffer, 0);
  SetRecordHooks(nullptr);
  CurrentPlayScene = nullptr;
  lpUserSD = nullptr;
  nUserSD = 0;
  DDReleaseSurface(&user[3]);

  auto screen = Screen();
  auto at = [&](int x, int y) { return screen[static_cast<size_t>(y) * 64 + x]; };
  EXPECT_EQ(at(23, 5), drawtest::kBlue);   // stage column 1 is empty
  EXPECT_EQ(at(24, 5), drawtest::kGreen);  // column 2 at x = 2 * 32 - 32 - 8
  EXPECT_EQ(at(55, 31), drawtest::kGreen);
  EXPECT_EQ(at(56, 5), drawtest::kBlue);   // column 3's condition fails
  EXPECT_EQ(at(30, 40), drawtest::kBlue);  // the front block waits for the front pass
}

TEST_P(StageDrawTest, ShotSheetsCentreBothFramesOfEveryShotInACell) {
  std::vector<DDSURFACEDATA> user(71);
  ASSERT_TRUE(DDCreateSurface(&user[20], 128, 480, 1, 0, 0, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&user[21], 128, 480, 1, 0, 0, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&user[63], kShotSheetWidth, kShotSheetHeight, 1, 0, 0, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&user[64], kShotSheetWidth, kShotSheetHeight, 1, 0, 0, 0, 0));
  // Shot graphic a = 32 (column 1, row 2): frame 0 red, frame 1 green with a keyed pixel row.
  DDFillRect(&user[20], 0, 0, 128, 480, 6);
  DDFillRect(&user[20], 32, 32, 16, 16, 1);
  DDFillRect(&user[20], 48, 32, 16, 16, 2);
  DDFillRect(&user[20], 48, 32, 16, 1, 0);
  BuildShotSheets(user.data(), 71);
  const int a = 32, x = a / 30 * 64, y = a % 30 * 32;
  DDBlt(&BackBuffer, 0, 0, 64, 32, &user[63], x, y, 0);
  for (int i : {20, 21, 63, 64}) DDReleaseSurface(&user[static_cast<size_t>(i)]);

  auto screen = Screen();
  auto at = [&](int px, int py) { return screen[static_cast<size_t>(py) * 64 + px]; };
  EXPECT_EQ(at(7, 8), drawtest::kMagenta);  // the sheet's ground is colour 0
  EXPECT_EQ(at(8, 8), drawtest::kRed);
  EXPECT_EQ(at(23, 23), drawtest::kRed);
  EXPECT_EQ(at(24, 8), drawtest::kMagenta);
  EXPECT_EQ(at(40, 8), drawtest::kMagenta);  // the keyed row stays ground
  EXPECT_EQ(at(40, 9), drawtest::kGreen);
  EXPECT_EQ(at(55, 23), drawtest::kGreen);
  EXPECT_EQ(at(56, 23), drawtest::kMagenta);
}

TEST_P(StageDrawTest, CharacterBodyComesFromItsFacingsSheetCellWithItsMark) {
  std::vector<DDSURFACEDATA> user(71);
  for (int slot : {4, 5, kMarkSheetSurface}) ASSERT_TRUE(DDCreateSurface(&user[slot], 128, 480, 1, 0, 0, 0, 0));
  // Graphic 2 (sheet 0, row 2), cell base 1, pattern 0: the cell at (32, 64) of the
  // first-mode sheet, which the plain body reads.
  DDFillRect(&user[4], 0, 0, 128, 480, 1);  // as drawn: red
  DDFillRect(&user[5], 0, 0, 128, 480, 1);  // mirrored: red
  DDFillRect(&user[5], 32, 64, 32, 32, 2);  // the right-facing cell: green
  DDFillRect(&user[kMarkSheetSurface], 0, 0, 128, 480, 0);
  DDFillRect(&user[kMarkSheetSurface], 32, 0, 4, 4, 4);  // mark 15: a white corner
  DDFillRect(&BackBuffer, 0, 0, 64, 48, 3);
  lpUserSD = user.data();
  nUserSD = 71;
  cStagePlayScene scene;
  CurrentPlayScene = &scene;
  scene.m_Rules.nMapWidth = kW;
  scene.m_Rules.nMapHeight = kH;
  scene.BuildEmptyMap();
  cNpc& npc = scene.CharaList.emplace_back();
  npc.m_nGraphic = 2;
  npc.m_Def.m_nGraphicCol = 1;
  npc.m_Def.m_nGiant = 1;
  npc.m_Def.m_bMark = 1;
  npc.m_Def.m_nMark = 15;
  npc.m_bRight = 1;
  npc.m_rcGfx = {0, 0, 32, 32};
  npc.m_dX = 400.0;
  npc.m_dY = 340.0;
  scene.m_ScrollX.dPos = 390.0;  // the body starts at screen (10, 20)
  scene.m_ScrollY.dPos = 320.0;
  DrawCharaBody(npc, &BackBuffer, 1);
  CurrentPlayScene = nullptr;
  lpUserSD = nullptr;
  nUserSD = 0;
  for (int slot : {4, 5, kMarkSheetSurface}) DDReleaseSurface(&user[static_cast<size_t>(slot)]);

  auto screen = Screen();
  auto at = [&](int x, int y) { return screen[static_cast<size_t>(y) * 64 + x]; };
  EXPECT_EQ(at(9, 30), drawtest::kBlue);
  EXPECT_EQ(at(10, 20), drawtest::kWhite);  // the mark over the body
  EXPECT_EQ(at(14, 20), drawtest::kGreen);
  EXPECT_EQ(at(41, 47), drawtest::kGreen);
  EXPECT_EQ(at(42, 30), drawtest::kBlue);
  EXPECT_EQ(at(20, 19), drawtest::kBlue);
}

TEST_P(StageDrawTest, BackgroundLayerTilesFromItsParallaxOrigin) {
  std::vector<DDSURFACEDATA> user(71);
  ASSERT_TRUE(DDCreateSurface(&user[kBgLayerFirstSlot], 16, 16, 1, 0, 0, 0, 0));
  DDFillRect(&user[kBgLayerFirstSlot], 0, 0, 8, 16, 1);  // left half red
  DDFillRect(&user[kBgLayerFirstSlot], 8, 0, 8, 16, 2);  // right half green
  lpUserSD = user.data();
  nUserSD = 71;
  cStageData stage;
  stage.m_BgLayers.clear();
  cBgLayer layer;
  layer.m_dFactorX = 0.5;
  layer.m_dFactorY = 0.0;
  stage.m_BgLayers.push_back(layer);
  cStagePlayScene scene;
  scene.m_ScrollX.dPos = 327.6;
  // e = (int)(((int)(327.6 + 0.5) - 320) * 0.5) = 4: the screen starts 4 dots into the tile.
  const int e = static_cast<int>((static_cast<int>(scene.m_ScrollX.dPos + 0.5) - 320) * 0.5);
  DrawBgLayers(scene, stage, &BackBuffer, 0);
  lpUserSD = nullptr;
  nUserSD = 0;
  DDReleaseSurface(&user[kBgLayerFirstSlot]);

  auto row = Row(10, 0, 32);
  for (int x = 0; x < 32; ++x) {
    const int source = (x + e) % 16;
    EXPECT_EQ(row[static_cast<size_t>(x)], source < 8 ? drawtest::kRed : drawtest::kGreen) << x;
  }
}

TEST(BgScrollTest, AutoScrollWithoutASurfaceDoesNotWrapByZero) {
  cStageData stage;
  stage.m_BgLayers.clear();
  cBgLayer layer;
  layer.m_bAutoX = layer.m_bAutoY = 1;
  layer.m_dFactorX = 2.5;
  layer.m_dFactorY = -1.0;
  stage.m_BgLayers.push_back(layer);
  ScrollBgLayers(stage);
  ScrollBgLayers(stage);
  EXPECT_DOUBLE_EQ(stage.m_BgLayers[0].m_dOffsetX, -5.0);
  EXPECT_DOUBLE_EQ(stage.m_BgLayers[0].m_dOffsetY, 2.0);
}

INSTANTIATE_TEST_SUITE_P(Depths, StageDrawTest, ::testing::Values(drawtest::Config{"DD32", 0, 32}),
                         drawtest::ConfigName);

}  // namespace
