// Stage drawing as a whole frame: the draw order of blocks, objects and
// layers, the Z layers, the status bar, the footer, the captions, and the
// hero's loss concluded while a frame draws (restart, continue menu, game over).
#include "stage/StageDraw.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "FakeStageShell.h"
#include "TinyStage.h"
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "library/draw_fixture.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "library/util/Text.h"
#include "records/BlockDef.h"
#include "records/StageData.h"
#include "stage/Shot.h"
#include "stage/StageResources.h"
#include "stage/StageRules.h"
#include "stage/StageScene.h"
#include "stage/StageSetup.h"

namespace {

using drawtest::kBlue;
using drawtest::kCyan;
using drawtest::kGreen;
using drawtest::kRed;
using drawtest::kWhite;
using drawtest::kYellow;

using tinystage::Block;
using tinystage::kH;
using tinystage::kW;
constexpr int kStory = 0, kFree = 2;

// ---- Pixels: a drawing layer with the stage's surface slots ----

class StageFrameTest : public drawtest::DrawTest {
 protected:
  void SetUp() override {
    drawtest::DrawTest::SetUp();
    lpUserSD = user.data();
    nUserSD = static_cast<int>(user.size());
    SetRecordHooks(&hooks);
    scene.m_Rules.nMapWidth = kW;
    scene.m_Rules.nMapHeight = kH;
    scene.BuildEmptyMap();
    CurrentPlayScene = &scene;
    StageData = &stage;
    stage.m_BgLayers.clear();
    // The view starts at stage cell (0, 0).
    scene.m_ScrollX.dPos = 320;
    scene.m_ScrollY.dPos = 320;
  }
  void TearDown() override {
    StageData = nullptr;
    CurrentPlayScene = nullptr;
    SetRecordHooks(nullptr);
    lpUserSD = nullptr;
    nUserSD = 0;
    for (DDSURFACEDATA& sd : user) DDReleaseSurface(&sd);
    drawtest::DrawTest::TearDown();
  }

  DDSURFACEDATA& Slot(int slot, int w, int h, int colour) {
    DDSURFACEDATA& sd = user[static_cast<size_t>(slot)];
    EXPECT_TRUE(DDCreateSurface(&sd, w, h, 1, 0, 0, 0, 0));
    DDFillRect(&sd, 0, 0, w, h, static_cast<DWORD>(colour));
    return sd;
  }
  // Both sheets a character of sheet 0 may be drawn from, for both facings.
  void CharaSheets(int rowColours0, int rowColours1) {
    for (int slot : {4, 5, 22, 23}) {
      DDSURFACEDATA& sd = Slot(slot, 128, 480, rowColours0);
      DDFillRect(&sd, 0, 32, 128, 32, static_cast<DWORD>(rowColours1));
    }
  }
  cNpc& Chara(int graphic, double x, double y, int z) {
    cNpc& c = scene.CharaList.emplace_back();
    c.m_nGraphic = graphic;
    c.m_Def.m_nGiant = 1;
    c.m_Def.m_nZ = static_cast<std::int8_t>(z);
    c.m_rcGfx = {0, 0, 32, 32};
    c.m_dX = 320 + x;
    c.m_dY = 320 + y;
    c.m_bOnScreen = 1;
    return c;
  }
  cBlockDef& PutBlock(int cx, int cy, int layer) {
    cBlockDef& b = scene.CellAt(scene.CellIndex(cx + 10, cy + 10)).block;
    b = Block(cx, cy, kBlockHitSolid);
    b.m_nChip = static_cast<std::int16_t>(1 + layer);  // chip 1 from (0, 32), chip 2 from (0, 64)
    b.m_nLayer = static_cast<std::int8_t>(layer);
    return b;
  }
  void Draw(int bFooter = 0) { ::DrawStage(scene, shell, 1, 0, 1, bFooter); }

  std::vector<DDSURFACEDATA> user = std::vector<DDSURFACEDATA>(kUserSlots);
  cStageRecordHooks hooks;
  cStageData stage;
  cStagePlayScene scene;
  FakeStageShell shell{scene};

  static constexpr int kUserSlots = 71;
};

// A character stands in front of the back blocks, behind the front blocks and
// behind a front background layer; nothing covers the background colour.
TEST_P(StageFrameTest, ObjectsDrawBetweenTheBackAndTheFrontPasses) {
  DDSURFACEDATA& blocks = Slot(3, 96, 480, 0);
  DDFillRect(&blocks, 0, 32, 32, 32, 2);  // chip 1: green
  DDFillRect(&blocks, 0, 64, 32, 32, 3);  // chip 2: blue
  CharaSheets(1, 1);                      // the character: red
  PutBlock(0, 0, 0);
  PutBlock(1, 0, 1);
  Chara(0, 16, 8, 0);  // screen (16, 8) to (47, 39)
  DDSURFACEDATA& front = Slot(kBgLayerFirstSlot, 64, 48, 0);
  DDFillRect(&front, 20, 28, 4, 4, 5);  // a yellow square over the character
  cBgLayer layer;
  layer.m_bFront = 1;
  layer.m_dFactorX = layer.m_dFactorY = 0.0;
  stage.m_BgLayers.push_back(layer);

  Draw();
  EXPECT_EQ(At(8, 4), kGreen);     // the back block alone
  EXPECT_EQ(At(20, 20), kRed);     // the character over the back block
  EXPECT_EQ(At(40, 20), kBlue);    // the front block over the character
  EXPECT_EQ(At(40, 36), kRed);     // the character below the blocks
  EXPECT_EQ(At(21, 29), kYellow);  // the front layer over the character
  EXPECT_EQ(At(8, 44), kCyan);     // colour 16 where nothing is
  EXPECT_EQ(shell.paletteCycles, 1);

  // Paused with the system data's switch on, only the background layers show.
  cSystemData system;
  system.m_bPauseBackdrop = 1;
  SystemData = &system;
  scene.m_nState = PLAYSTATE_PAUSE;
  ::DrawStage(scene, shell, 0, 1, 0, 1);
  SystemData = nullptr;
  EXPECT_EQ(At(8, 4), kCyan);
  EXPECT_EQ(At(20, 20), kCyan);
  EXPECT_EQ(At(21, 29), kYellow);
}

// With the stage's layer switch on the Z order decides who is in front; off,
// the list order does.
TEST_P(StageFrameTest, ZOrderDecidesWithTheLayerSwitchOnListOrderWithItOff) {
  CharaSheets(1, 4);   // graphic 0 red, graphic 1 white
  Chara(0, 0, 0, 3);   // first in the list, Z 3
  Chara(1, 16, 0, 1);  // second, Z 1, overlapping from x = 16
  for (int layers : {1, 0}) {
    stage.m_bDrawLayers = layers;
    Draw();
    EXPECT_EQ(At(20, 10), layers ? kRed : kWhite) << "layer switch " << layers;
    EXPECT_EQ(At(8, 10), kRed);
    EXPECT_EQ(At(40, 10), kWhite);
  }
}

// A shot draws in its layer's pass, from its graphic's cell of the shot sheet
// (graphic 31, frame 0: column 2, row 1), over the characters of lower layers
// and under those of higher ones; a shot of size 2 is stretched from the
// same cell, a hidden one draws nothing.
TEST_P(StageFrameTest, ShotsDrawInTheirLayerFromTheirCell) {
  stage.m_bDrawLayers = 1;
  for (SCROLLDATA* axis : {&scene.m_ScrollX, &scene.m_ScrollY}) axis->nActiveRange = axis->nCells * 32;
  CharaSheets(1, 1);  // characters: red
  DDSURFACEDATA& sheet = Slot(kShotSourceSlot, 96, 480, 3);
  DDFillRect(&sheet, 32, 16, 16, 16, 4);  // graphic 31, frame 0: white
  cNpc& above = Chara(0, 40, 0, 5);       // screen x 40..71, Z 5
  Chara(0, 0, 24, 1);                     // screen y 24..55, Z 1
  auto shoot = [&](int x, int y, int scale, int hidden) -> cShot& {
    cEdShot s;
    s.m_nShotGraphic = 31;
    s.m_nDrawLayer = 3;
    s.m_nScale = static_cast<std::int8_t>(scale);
    s.m_bHidden = static_cast<std::int8_t>(hidden);
    SHOTFIREDATA fire;
    fire.nX = 320 + x, fire.nY = 320 + y;
    cShot& shot = scene.NewShot();
    shot.SetupShot(scene.m_nNextShotId++, above, kShotCommand, s, fire);
    scene.PushShot(shot);
    return shot;
  };
  shoot(32, 16, 1, 0);  // screen (32, 16) to (47, 31)
  shoot(0, 0, 2, 0);    // (0, 0) to (31, 31), stretched
  shoot(16, 36, 1, 1);
  Draw();
  EXPECT_EQ(At(36, 20), kWhite);  // the shot
  EXPECT_EQ(At(44, 20), kRed);    // the character of layer 5 over it
  EXPECT_EQ(At(36, 28), kWhite);  // over the character of layer 1
  EXPECT_EQ(At(2, 2), kWhite);    // the stretched shot
  EXPECT_EQ(At(30, 22), kWhite);
  EXPECT_EQ(At(20, 40), kRed);  // nothing of the hidden shot
}

// The whole 640 x 480 screen, for what sits at fixed screen places.
class FullScreenTest : public StageFrameTest {
 public:
  FullScreenTest() {
    screenW = 640;
    screenH = 480;
  }
};

// Each caption stays 79 frames; a replay shows only its own caption, and a test
// play started on a stage file none.
TEST_P(FullScreenTest, CaptionsShowSeventyNineFramesEach) {
  DDSURFACEDATA& word = Slot(kWordSlot, 320, 256, 0);
  DDFillRect(&word, 0, 0, 128, 32, 1);        // the stage caption: red
  DDFillRect(&word, 160, 0, 80, 32, 2);       // the second caption: green
  DDFillRect(&word, 0, 32, 128, 32, 3);       // the replay caption: blue
  DDFillRect(&word, 7 * 32, 128, 32, 32, 5);  // the large digit 7: yellow
  stage.m_bStageCaption = stage.m_bSecondCaption = 1;
  cSaveData record;
  record.nSeriesNo = 7;  // the caption shows the stage of the series
  PlayData = &record;
  struct Look {
    int frame, x, y;
    std::uint32_t colour;
  };
  struct Case {
    const char* name;
    int playMode;
    bool testPlay, direct;
    int framesToPlay;
    std::vector<Look> looks;
  };
  const Case cases[] = {
      {"stage then second caption",
       kPlayModeFree,
       false,
       true,
       79 + 79 + 1,
       {{1, 256, 224, kRed},
        {79, 383, 255, kRed},
        {79, 384, 224, kYellow},
        {79, 416, 224, kCyan},
        {80, 256, 224, kCyan},
        {80, 280, 224, kGreen},
        {158, 359, 255, kGreen},
        {159, 280, 224, kCyan}}},
      {"replay", kPlayModeReplay, false, false, 79 + 1, {{79, 256, 224, kBlue}, {80, 256, 224, kCyan}}},
      {"test play on a stage file", kPlayModeFree, true, true, 1, {{1, 256, 224, kCyan}}},
  };
  for (const Case& c : cases) {
    shell.playMode = c.playMode;
    shell.testPlay = c.testPlay;
    shell.directStart = c.direct;
    scene.m_nCaption1 = scene.m_nCaption2 = 0;
    scene.m_nState = PLAYSTATE_START;
    int frame = 0;
    while (scene.m_nState == PLAYSTATE_START && frame < 400) {
      StateStart(scene, shell);
      ++frame;
      for (const Look& look : c.looks) {
        if (look.frame != frame) continue;
        EXPECT_EQ(At(look.x, look.y), look.colour) << c.name << " frame " << frame;
      }
    }
    EXPECT_EQ(frame, c.framesToPlay) << c.name;
    EXPECT_EQ(scene.m_nState, PLAYSTATE_PLAY) << c.name;
  }
  PlayData = nullptr;
}

TEST_P(FullScreenTest, GameOverShowsItsCaptionWhenTheStageAsks) {
  DDSURFACEDATA& word = Slot(kWordSlot, 320, 256, 0);
  DDFillRect(&word, 0, 96, 144, 32, 4);  // white
  for (int shown : {1, 0}) {
    stage.m_bGameOverCaption = shown;
    scene.m_nState = PLAYSTATE_GAMEOVER;
    StateGameOver(scene, shell);
    EXPECT_EQ(At(248, 224), shown ? kWhite : kCyan);
    EXPECT_EQ(At(391, 255), shown ? kWhite : kCyan);
    EXPECT_EQ(At(392, 224), kCyan);
    EXPECT_EQ(scene.m_nState, PLAYSTATE_GAMEOVER);
  }
}

// The HP gauge fills value x 50 / maximum of its frame, from the low row at or
// below the warning level; never past its frame.
TEST_P(FullScreenTest, StatusGaugeFillsItsShareAndTurnsLowAtTheWarningLevel) {
  cSystemData system;
  for (cGaugeData& item : system.m_StatusItems) item.m_bShown = 0;
  cGaugeData& hp = system.m_StatusItems.VecAt(2);
  hp.m_bShown = hp.m_bIcon = 1;
  hp.m_nWarningLevel = 2;
  hp.m_bPercent = 0;
  SystemData = &system;
  Slot(kStatusWindowSlot, 640, 20, 6);  // black
  DDSURFACEDATA& accessory = Slot(kAccessorySlot, 128, 192, 0);
  DDFillRect(&accessory, 32, 32, 16, 16, 4);  // the HP icon: white
  DDFillRect(&accessory, 0, 128, 50, 16, 3);  // the frame: blue
  DDFillRect(&accessory, 0, 144, 50, 16, 2);  // the fill: green
  DDFillRect(&accessory, 0, 160, 50, 16, 1);  // the low fill: red
  scene.m_bShowStatus = 1;
  cPlayer& hero = scene.Player.emplace_back();
  // One item 16 + 50 wide: the gap is (638 - 66) / 2 = 286, the gauge starts at 302.
  constexpr int kIconX = 286, kGaugeX = 302;
  struct Case {
    int value, maximum, fill;
    bool low;
  };
  for (const Case& c : {Case{3, 10, 15, false}, Case{1, 10, 5, true}, Case{9, 0, 0, false}, Case{12, 10, 50, false},
                        Case{-3, 10, 0, true}}) {
    hero.m_nHp = c.value;
    hero.m_Def.m_nMaxHp = c.maximum;
    Draw();
    EXPECT_EQ(At(kIconX + 4, 7), kWhite);
    EXPECT_EQ(At(kIconX - 1, 7), drawtest::kBlack);
    if (c.fill > 0) {
      EXPECT_EQ(At(kGaugeX + c.fill - 1, 10), c.low ? kRed : kGreen) << c.value << "/" << c.maximum;
    }
    if (c.fill < 50) {
      EXPECT_EQ(At(kGaugeX + c.fill, 10), kBlue) << c.value << "/" << c.maximum;
    }
    EXPECT_EQ(At(kGaugeX + 50, 10), drawtest::kBlack);
    EXPECT_EQ(At(320, 30), kCyan);
  }
  SystemData = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Depths, FullScreenTest, ::testing::Values(drawtest::Config{"DD32", 0, 32}),
                         drawtest::ConfigName);

INSTANTIATE_TEST_SUITE_P(Depths, StageFrameTest, ::testing::Values(drawtest::Config{"DD32", 0, 32}),
                         drawtest::ConfigName);

// ---- The hero's loss, concluded while drawing ----

// A 40 x 15 stage whose floor on row 12 kills the hero standing at (2, 11).
class HeroLossTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tinystage::Build(stage, kBlockHitDeadly);
    StageData = StageDataOrg = &stage;
    PlayData = &record;
    SystemData = &system;
    KeyInputList.assign(1, cKeyInput{});
    MenuCursor.ResetCursor();
  }
  void TearDown() override {
    StageData = StageDataOrg = nullptr;
    PlayData = nullptr;
    SystemData = nullptr;
    CurrentPlayScene = nullptr;
    KeyInputList.clear();
  }
  // Plays from set-up until the state leaves PLAY (the hero falls on the floor,
  // dies and vanishes for a second).
  void PlayUntilTheLossConcludes() {
    ASSERT_TRUE(SetStage(scene, 1, 1));
    record.nScore = 999;  // changed during the attempt; a miss takes it back
    scene.m_nState = PLAYSTATE_PLAY;
    for (int frame = 0; scene.m_nState == PLAYSTATE_PLAY && frame < 400; ++frame) StatePlay(scene, shell);
  }
  void Press(WORD dir, WORD button) {
    cKeyInput& input = KeyInputList.VecAt(0);
    input.m_wDir = dir;
    input.m_wButton = button;
  }
  bool HeroAtItsStart() {
    cPlayer& hero = scene.Hero();
    return !hero.m_bDying && static_cast<int>(hero.m_dBottom) >> 5 == 11 + 10;
  }

  cStageData stage;
  cSaveData record;
  cSystemData system;
  cStagePlayScene scene;
  FakeStageShell shell{scene};
};

TEST_F(HeroLossTest, VanishEndTakesALifeThenRestartsContinuesOrEndsTheGame) {
  struct Case {
    const char* name;
    int lives;
    bool direct;
    int gameMode, continueMenu;
    int state, livesAfter;
  };
  const Case cases[] = {
      {"restart", 2, false, kFree, 0, PLAYSTATE_START, 1},
      {"continue menu in a story", 2, false, kStory, 1, PLAYSTATE_CONTINUE, 1},
      {"no continue menu outside a story", 2, false, kFree, 1, PLAYSTATE_START, 1},
      {"no life left", 0, false, kStory, 1, PLAYSTATE_GAMEOVER, 0},
      {"started on a stage file", 0, true, kFree, 0, PLAYSTATE_START, 0},
      {"unlimited lives", 999999, false, kStory, 0, PLAYSTATE_START, 999999},
  };
  for (const Case& c : cases) {
    record.nLife = c.lives;
    record.nScore = 300;
    shell.directStart = c.direct;
    shell.gameMode = c.gameMode;
    system.m_bContinueMenu = c.continueMenu;
    PlayUntilTheLossConcludes();
    EXPECT_EQ(scene.m_nState, c.state) << c.name;
    EXPECT_EQ(record.nLife, c.livesAfter) << c.name;
    if (c.state == PLAYSTATE_GAMEOVER) continue;
    EXPECT_EQ(record.nScore, 300) << c.name;
    if (c.state != PLAYSTATE_START) continue;
    EXPECT_TRUE(HeroAtItsStart()) << c.name;
  }
}

TEST_F(HeroLossTest, ContinueMenuRetriesOrGoesBackToTheMap) {
  // "リトライ" and "マップへ戻る" with the cursor column: 7 cells centred on 320.
  constexpr int kLeft = 320 - 7 * 16 / 2;
  system.m_bContinueMenu = 1;
  shell.gameMode = kStory;
  shell.playMode = 0;
  for (int item : {0, 1}) {
    record.nLife = 2;
    record.bReenter = 0;
    shell.nextScene = -1;
    PlayUntilTheLossConcludes();
    ASSERT_EQ(scene.m_nState, PLAYSTATE_CONTINUE);
    Press(0, 0);
    StateContinue(scene, shell);
    EXPECT_EQ(MenuCursor.Current().nPosX, kLeft);
    EXPECT_EQ(MenuCursor.Current().nPosY, 272);
    if (item == 1) {
      Press(KEYBIT_DOWN, 0);
      StateContinue(scene, shell);
      EXPECT_EQ(MenuCursor.Current().nPosY, 272 + 16);
      EXPECT_EQ(shell.cursorSounds, 1);
      Press(0, 0);
      StateContinue(scene, shell);
    }
    Press(0, 1);
    StateContinue(scene, shell);
    if (item == 0) {
      EXPECT_EQ(scene.m_nState, PLAYSTATE_START);
      EXPECT_TRUE(HeroAtItsStart());
      EXPECT_EQ(shell.nextScene, -1);
    } else {
      EXPECT_EQ(scene.m_nState, PLAYSTATE_FADEOUT);
      EXPECT_EQ(shell.nextScene, kSceneWorldMap);
      EXPECT_EQ(record.bReenter, 1);
    }
  }
}

// Until the pause menu and the clear screen exist, the pause quits as the
// menu's quit item does and a clear leaves as its screen does.
TEST_F(HeroLossTest, GameOverEndsOnButtonOneOrPausesOnThePauseKey) {
  scene.m_nState = PLAYSTATE_GAMEOVER;
  StateGameOver(scene, shell);
  EXPECT_EQ(scene.m_nState, PLAYSTATE_GAMEOVER);
  Press(0, 1);
  StateGameOver(scene, shell);
  EXPECT_EQ(scene.m_nState, PLAYSTATE_FADEOUT);
  EXPECT_EQ(shell.nextScene, kSceneTitle);

  scene.m_nState = PLAYSTATE_GAMEOVER;
  shell.pause = true;
  StateGameOver(scene, shell);
  EXPECT_EQ(scene.m_nState, PLAYSTATE_PAUSE);
  EXPECT_EQ(scene.m_nSavedState, PLAYSTATE_GAMEOVER);
}

// ---- The status bar's layout ----

TEST(StatusBarTest, ShownItemsSpreadWithEqualGaps) {
  struct Item {
    bool shown;
    bool icon;
    const char* label;  // UTF-8
    int digits;
  };
  struct Case {
    std::array<Item, 5> items;
    std::array<int, 5> left;
  };
  const Item hidden{false, false, "", 0};
  // Widths: icon 16 or 16 per label character; +50 for HP and SP, else +16 per digit.
  const Case cases[] = {
      // 128 + 128 + 66 + 66 + 48 = 436; gap (638 - 436) / 6 = 33.
      {{{{true, true, "", 7}, {true, true, "", 7}, {true, true, "", 0}, {true, true, "", 0}, {true, true, "", 2}}},
       {33, 194, 355, 454, 553}},
      // "スコア" 48 + 96 = 144, "残機" 32 + 32 = 64; gap (638 - 208) / 3 = 143.
      {{{{true, false, "スコア", 6}, hidden, hidden, hidden, {true, false, "残機", 2}}}, {143, -1, -1, -1, 430}},
      // "HP" 32 + 50 = 82: gap (638 - 82) / 2 = 278.
      {{{hidden, hidden, {true, false, "HP", 3}, hidden, hidden}}, {-1, -1, 278, -1, -1}},
      // Too wide for the bar: 656 each, gap (638 - 1312) / 3 truncates to -224.
      {{{{true, true, "", 40}, {true, true, "", 40}, hidden, hidden, hidden}}, {-224, 208, -1, -1, -1}},
      {{{hidden, hidden, hidden, hidden, hidden}}, {-1, -1, -1, -1, -1}},
  };
  for (const Case& c : cases) {
    cSystemData system;
    for (int i = 0; i < kStatusItems; ++i) {
      cGaugeData& item = system.m_StatusItems.VecAt(i);
      const Item& want = c.items[static_cast<size_t>(i)];
      item.m_bShown = want.shown;
      item.m_bIcon = want.icon;
      item.m_Label = Sjis(want.label);
      item.m_nValueWidth = want.digits;
    }
    EXPECT_EQ(StatusItemLeft(system), c.left) << "first left " << c.left[0];
  }
}

TEST(FooterTest, DirectStartsAndTestPlaysNameTheirWayOut) {
  struct Case {
    bool direct, testPlay;
    int text;
  };
  for (const Case& c : {Case{true, false, 26}, Case{true, true, 26}, Case{false, true, 25}, Case{false, false, -1}})
    EXPECT_EQ(FooterText(c.direct, c.testPlay), c.text) << c.direct << c.testPlay;
}

}  // namespace
