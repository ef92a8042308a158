// Character and item drawing on a tiny stage: the cell base with the
// animation set's offsets, where every sprite kind is read from, the blink,
// half-blink and stretch effects, the vanish of the hero and of computer
// characters, marks over distorted bodies and the item animation.
#include "stage/CharaDraw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "gamedata/Database.h"
#include "gamedata/SystemData.h"
#include "library/draw/SurfaceTables.h"
#include "library/draw_fixture.h"
#include "stage/Darkness.h"

namespace {

constexpr int kMapW = 40, kMapH = 15;
constexpr int kMargin = 320;  // the map margin: scroll 320 shows stage dot 0 at screen 0

// Palette indices of the fixture's colours.
enum : DWORD { kKey = 0, kRedIndex = 1, kGreenIndex = 2, kBlueIndex = 3, kWhiteIndex = 4, kYellowIndex = 5 };

class CharaDrawTest : public drawtest::DrawTest {
 protected:
  void SetUp() override {
    drawtest::DrawTest::SetUp();
    lpUserSD = user.data();
    nUserSD = kUserSurfaceCount;
    CurrentPlayScene = &scene;
    scene.m_Rules.nMapWidth = kMapW;
    scene.m_Rules.nMapHeight = kMapH;
    scene.BuildEmptyMap();
    scene.m_ScrollX.dPos = kMargin;
    scene.m_ScrollY.dPos = kMargin;
    DDFillRect(&BackBuffer, 0, 0, 64, 48, kBlueIndex);
  }
  void TearDown() override {
    for (DDSURFACEDATA& sd : user) DDReleaseSurface(&sd);
    SpecialBmpSD.clear();
    lpUserSD = nullptr;
    nUserSD = 0;
    CurrentPlayScene = nullptr;
    Database = nullptr;
    CharaEffectRuns.clear();
    CharaEffectRunsRev.clear();
    SelectWorkSurfaces(0);
    drawtest::DrawTest::TearDown();
  }

  // A keyed sheet in a user slot, filled with one colour.
  DDSURFACEDATA* Sheet(int slot, DWORD colour, int w = 640, int h = 480) {
    DDSURFACEDATA* sd = &user[static_cast<size_t>(slot)];
    EXPECT_TRUE(DDCreateSurface(sd, w, h, 1, 0, 0, 0, 0));
    DDFillRect(sd, 0, 0, w, h, colour);
    return sd;
  }
  // The work surfaces of the stretched sprites.
  void WorkSheets() {
    for (int slot : {67, 68, 70}) Sheet(slot, kKey);
  }

  // A computer character whose w x h graphic sits at screen (x, y).
  cNpc& Npc(int x, int y, int w = 32, int h = 32) {
    cNpc& npc = scene.CharaList.emplace_back();
    npc.m_rcGfx = npc.m_rcGfxBase = {0, 0, w, h};
    npc.m_dX = kMargin + x;
    npc.m_dY = kMargin + y;
    npc.m_bOnScreen = 1;
    return npc;
  }

  // Entry 1 of the CharaEffect database with a kind and parameters P1..P5,
  // started on the character.
  void StartEffect(cChara& chara, int kind, const std::vector<int>& params, int mode = EFFECTMODE_NORMAL) {
    cCheckedVector<cDbCharaEffect> list(2);
    list[1].m_nKind = kind;
    int i = 0;
    for (int p : params) list[1].m_nParam[i++] = p;
    effects = list;
    effectsRev = list;
    SetupCharaEffects(effects, effectsRev, CharaEffectRuns, CharaEffectRunsRev);
    StartCharaEffect(chara.m_CharaEffect, 1, mode, 0);
  }

  std::uint32_t At(int x, int y) const { return drawtest::DrawTest::At(x, y); }

  std::vector<DDSURFACEDATA> user = std::vector<DDSURFACEDATA>(kUserSurfaceCount);
  cCheckedVector<cDbCharaEffect> effects, effectsRev;
  cStagePlayScene scene;
};

// ---- The cell base ----

class FlashHooks : public cStagePlayHooks {
 public:
  bool FlashColor(int kind, DWORD& color, int& colorOp) override {
    color = 0xFF000000u | static_cast<DWORD>(kind);
    colorOp = 7;
    return true;
  }
};

TEST_P(CharaDrawTest, CellBaseAddsTheAnimationSetsOffsetsAndDrawsThatCell) {
  cDatabase db;
  db.AnimeSet.resize(2);
  cDbAnimeSet& set = db.AnimeSet[1];
  set.m_nPatternOffset1 = 1;  // invincible
  set.m_nPatternOffset2 = 2;  // block character
  set.m_nPatternOffset3 = 4;  // flying
  Database = &db;
  // Sheet 0 (first mode, facing left): cell column k in its own colour.
  DDSURFACEDATA* sheet = Sheet(4, kKey);
  for (int k = 0; k < 8; ++k) DDFillRect(sheet, (3 + k) * 32, 0, 32, 32, static_cast<DWORD>(k + 1));
  DDFillRect(&BackBuffer, 0, 0, 64, 48, kKey);  // no column's colour
  const std::uint32_t colours[] = {drawtest::kRed,    drawtest::kGreen, drawtest::kBlue, drawtest::kWhite,
                                   drawtest::kYellow, drawtest::kBlack, drawtest::kCyan, drawtest::kCyan};
  struct Case {
    int flying, blockChara, invincible;
  };
  for (const Case& c : {Case{0, 0, 0}, Case{1, 0, 0}, Case{0, 1, 0}, Case{0, 0, 2}, Case{3, 1, 1}}) {
    cNpc& npc = Npc(8, 8);
    npc.m_Def.m_nGraphicCol = 3;
    npc.m_Def.m_nAnimeSet = 1;
    npc.m_Def.m_nFlying = static_cast<std::int8_t>(c.flying);
    npc.m_Def.m_bBlockChara = static_cast<std::int8_t>(c.blockChara);
    npc.m_Def.m_nInvincible = static_cast<std::int8_t>(c.invincible);
    const int offset = (c.flying ? 4 : 0) + (c.blockChara ? 2 : 0) + (c.invincible ? 1 : 0);
    SPRITESOURCE source;
    EXPECT_EQ(GetCharaCellBase(npc, source), 3 + offset);
    EXPECT_EQ(source.bColor, 0);
    DrawCharaBody(npc, &BackBuffer, 1);
    EXPECT_EQ(At(20, 20), colours[offset]) << offset;
  }
}

TEST_P(CharaDrawTest, FlashColoursOnlyAnInvincibleCharacterUnderDirect3DWithTheSwitch) {
  cDatabase db;
  Database = &db;
  cSystemData system;
  SystemData = &system;
  FlashHooks hooks;
  scene.SetHooks(&hooks);
  struct Case {
    int invincible, tint, flashSwitch, coloured;
  };
  const bool d3d = D3D();
  for (const Case& c : {Case{1, 3, 1, d3d ? 1 : 0}, Case{0, 3, 1, 0}, Case{1, 0, 1, 0}, Case{1, 3, 0, 0}}) {
    system.m_nCompat[3] = c.flashSwitch;
    cNpc& npc = Npc(0, 0);
    npc.m_Def.m_nInvincible = static_cast<std::int8_t>(c.invincible);
    npc.m_Def.m_nInvincibleTint = static_cast<std::int8_t>(c.tint);
    SPRITESOURCE source;
    GetCharaCellBase(npc, source);
    EXPECT_EQ(source.bColor, c.coloured) << c.invincible << c.tint << c.flashSwitch;
    if (c.coloured) {
      EXPECT_EQ(source.dwColor, 0xFF000000u | 3u);
      EXPECT_EQ(source.nColorOp, 7);
    }
  }
  scene.SetHooks(nullptr);
  SystemData = nullptr;
}

// ---- Where sprites are read from ----

TEST_P(CharaDrawTest, SpriteSourceOfEveryKind) {
  for (int slot : {22, 23}) Sheet(slot, kRedIndex);
  cDatabase db;
  db.Bmp_CharaExc.resize(3);
  db.Bmp_CharaExc[2].m_bLargeCell = 1;
  db.Bmp_CharaExc[2].m_nCellSize = 4;
  Database = &db;
  SpecialBmpSD.resize(8);
  auto slot = [&](int i) { return &user[static_cast<size_t>(i)]; };
  auto special = [&](int i) { return &SpecialBmpSD[static_cast<size_t>(i)]; };
  cNpc& right = Npc(0, 0);
  right.m_bRight = 1;
  struct Case {
    const char* name;
    int mode, kind, a, b, c;
    const cGameObject* object;
    std::array<DDSURFACEDATA*, 4> candidates;
    int x, y, bigCell, cellSize;
  };
  const Case cases[] = {
      {"block", 0, SPRITEKIND_BLOCK, 17, 0, 0, nullptr, {slot(2), slot(3), slot(2), slot(3)}, 32, 64, 0, 1},
      // Character for an object: sheet a / 15, facing from the object, cell b + pattern c.
      {"chara object", 1, SPRITEKIND_CHARA, 17, 3, 2, &right, {slot(7), slot(25), slot(6), slot(24)}, 5 * 32, 64, 0, 1},
      // Icons: cells from 20 on come from the mirrored sheet.
      {"chara icon", 0, SPRITEKIND_CHARA, 2, 5, 0, nullptr, {slot(4), slot(22), slot(4), slot(22)}, 5 * 32, 64, 0, 1},
      {"chara icon mirrored",
       0,
       SPRITEKIND_CHARA,
       2,
       23,
       0,
       nullptr,
       {slot(5), slot(23), slot(5), slot(23)},
       3 * 32,
       64,
       0,
       1},
      // Outside the sheets: sheet 0 at (0, 0), keeping the facing.
      {"chara past the sheets",
       1,
       SPRITEKIND_CHARA,
       8 * 15 + 2,
       1,
       0,
       &right,
       {slot(5), slot(23), slot(4), slot(22)},
       0,
       0,
       0,
       1},
      {"chara negative", 1, SPRITEKIND_CHARA, -1, 1, 0, &right, {slot(5), slot(23), slot(4), slot(22)}, 0, 0, 0, 1},
      {"chara past the sheet's width",
       1,
       SPRITEKIND_CHARA,
       2,
       19,
       1,
       &right,
       {slot(5), slot(23), slot(4), slot(22)},
       0,
       0,
       0,
       1},
      {"item frame",
       2,
       SPRITEKIND_ITEM,
       17,
       9,
       1,
       nullptr,
       {slot(40), slot(41), slot(40), slot(41)},
       64 + 32,
       64,
       0,
       1},
      {"item icon", 0, SPRITEKIND_ITEM, 17, 9, 1, nullptr, {slot(40), slot(41), slot(40), slot(41)}, 64, 64, 0, 1},
      {"shot object", 1, SPRITEKIND_SHOT, 31, 0, 0, &right, {slot(64), slot(64), slot(63), slot(63)}, 64, 32, 0, 1},
      {"shot plain", 0, SPRITEKIND_SHOT, 31, 0, 0, nullptr, {slot(63), slot(63), slot(63), slot(63)}, 64, 32, 0, 1},
      // Special bitmap entry 1: surfaces 0..3; cell b + c, 16 cells a row.
      {"special object",
       1,
       SPRITEKIND_SPECIAL,
       1,
       17,
       1,
       &right,
       {special(1), special(3), special(0), special(2)},
       2 * 32,
       32,
       0,
       1},
      {"special plain",
       0,
       SPRITEKIND_SPECIAL,
       1,
       17,
       1,
       nullptr,
       {special(0), special(2), special(0), special(2)},
       32,
       32,
       0,
       1},
      // Entry 2 with big cells of 4 x 32 dots: 16 / 4 = 4 cells a row.
      {"special big cells",
       0,
       SPRITEKIND_SPECIAL,
       2,
       5,
       0,
       nullptr,
       {special(4), special(6), special(4), special(6)},
       1 * 4 * 32,
       1 * 4 * 32,
       1,
       4},
      {"special past the list",
       0,
       SPRITEKIND_SPECIAL,
       3,
       0,
       0,
       nullptr,
       {nullptr, nullptr, nullptr, nullptr},
       0,
       0,
       0,
       1},
  };
  for (int firstMode : {0, 1}) {
    SelectWorkSurfaces(firstMode);
    const int chosen = firstMode && !D3D() ? 0 : 1;  // video stretching reads the first-mode sheets (DirectDraw)
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      SPRITESOURCE source;
      SetSpriteSource(source, c.mode, c.kind, c.a, c.b, c.object, c.c);
      for (int i = 0; i < 4; ++i) EXPECT_EQ(source.lpCandidate[i], c.candidates[static_cast<size_t>(i)]) << i;
      EXPECT_EQ(source.lpSurface, c.candidates[static_cast<size_t>(chosen)]);
      EXPECT_EQ(source.lpOtherSurface, c.candidates[static_cast<size_t>(2 + chosen)]);
      EXPECT_EQ(source.x, c.x);
      EXPECT_EQ(source.y, c.y);
      EXPECT_EQ(source.bBigCell, c.bigCell);
      EXPECT_EQ(source.nCellSize, c.cellSize);
    }
  }
}

TEST_P(CharaDrawTest, IconsAreStretchedToSixteenDotsExceptTheSmallItemImage) {
  DDSURFACEDATA* chara = Sheet(22, kRedIndex);
  DDFillRect(chara, 2 * 32, 32, 32, 32, kGreenIndex);  // graphic 1, cell 2
  DDSURFACEDATA* mini = Sheet(42, kKey);
  DDFillRect(mini, 32, 16, 16, 16, kWhiteIndex);  // item 16: (16 / 15 x 32, 16 % 15 x 16)
  DrawSpriteIcon(&BackBuffer, 4, 4, SPRITEKIND_CHARA, 1, 2);
  DrawSpriteIcon(&BackBuffer, 30, 4, SPRITEKIND_ITEM, 16, 0);
  EXPECT_EQ(At(4, 4), drawtest::kGreen);
  EXPECT_EQ(At(19, 19), drawtest::kGreen);
  EXPECT_EQ(At(20, 19), drawtest::kBlue);
  EXPECT_EQ(At(30, 4), drawtest::kWhite);
  EXPECT_EQ(At(45, 19), drawtest::kWhite);
  EXPECT_EQ(At(46, 19), drawtest::kBlue);
}

// ---- Chara effects ----

// A blink (type 6) is hidden in its first interval and shown in the second; a
// half blink (type 14) is shown half-transparent in the first and hidden in
// the second. Each reads its own sheet.
TEST_P(CharaDrawTest, BlinksAlternateEveryInterval) {
  struct Case {
    int type, sheet, interval;
    bool shownFirst;
  };
  for (const Case& c : {Case{6, 4, 5, false}, Case{14, 22, 4, true}}) {
    SCOPED_TRACE(c.type);
    Sheet(c.sheet, kGreenIndex);
    cNpc& npc = Npc(8, 8);
    StartEffect(npc, c.type, {10, c.interval});
    for (int frame = 1; frame <= 3 * c.interval; ++frame) {
      DDFillRect(&BackBuffer, 0, 0, 64, 48, kBlueIndex);
      DrawCharaBody(npc, &BackBuffer, 0);
      const bool firstKind = (frame - 1) / c.interval % 2 == 0;
      // Green half over blue: the quad path weighs by opacity 127 of 255
      // ((255 * 127 + 127) / 255, (255 * 128 + 127) / 255), DirectDraw halves the sums.
      const std::uint32_t shown = c.type == 6 ? drawtest::kGreen : D3D() ? 0x007F80u : 0x007F7Fu;
      EXPECT_EQ(At(20, 20), firstKind == c.shownFirst ? shown : drawtest::kBlue) << frame;
    }
    DDReleaseSurface(&user[static_cast<size_t>(c.sheet)]);
  }
}

TEST_P(CharaDrawTest, WithoutAdvancingABlinkKeepsItsCounterAndRun) {
  Sheet(4, kGreenIndex);
  cNpc& npc = Npc(8, 8);
  StartEffect(npc, 6, {10, 2});
  for (int frame = 0; frame < 10; ++frame) DrawCharaBody(npc, &BackBuffer, 1);
  EXPECT_EQ(npc.m_CharaEffect.Values.nSlot[0], 0);
  EXPECT_EQ(npc.m_CharaEffect.Values.dCurrent, 0.0);
  EXPECT_EQ(At(20, 20), drawtest::kBlue);
}

TEST_P(CharaDrawTest, WavePhaseWrapsAfterThreeHundredAndFiftyNineDegrees) {
  cNpc& npc = Npc(8, 8);
  StartEffect(npc, 4, {1000, 0, 8, 2, 2});
  for (int frame = 0; frame < 359; ++frame) RunCharaEffectOnly(npc, 0);
  EXPECT_EQ(npc.m_CharaEffect.Values.nSlot[0], 359);
  RunCharaEffectOnly(npc, 0);
  EXPECT_EQ(npc.m_CharaEffect.Values.nSlot[0], 0);
  RunCharaEffectOnly(npc, 1);
  EXPECT_EQ(npc.m_CharaEffect.Values.nSlot[0], 0);
}

TEST_P(CharaDrawTest, StretchGrowsTheBodyAboutItsCentreByTheValue) {
  Sheet(22, kGreenIndex);
  Sheet(23, kGreenIndex);
  WorkSheets();
  struct Case {
    int value, giant, w;  // w: the graphic's side
  };
  // A 16-dot graphic at (16, 16) of the 64 x 48 screen leaves room to grow.
  for (const Case& c : {Case{32, 1, 16}, Case{48, 1, 16}, Case{29, 1, 16}, Case{40, 2, 16}}) {
    SCOPED_TRACE(c.value);
    DDFillRect(&BackBuffer, 0, 0, 64, 48, kBlueIndex);
    cNpc& npc = Npc(16, 16, c.w, c.w);
    npc.m_rcGfxBase = {0, 0, c.w / c.giant, c.w / c.giant};
    npc.m_Def.m_nGiant = static_cast<std::int8_t>(c.giant);
    StartEffect(npc, 11, {10, c.value, c.value});
    DrawCharaBody(npc, &BackBuffer, 1);
    // A stretched sprite grows by int((value - 32) x multiplier) >> 1.
    const int e = c.giant > 1 ? ((c.value - 32) * c.giant) >> 1 : c.value - 32;
    const int left = 16 - (e >> 1), right = left + c.w + e - 1;
    EXPECT_EQ(At(left - 1, 20), drawtest::kBlue);
    EXPECT_EQ(At(left, 20), drawtest::kGreen);
    EXPECT_EQ(At(right, 20), drawtest::kGreen);
    EXPECT_EQ(At(right + 1, 20), drawtest::kBlue);
    EXPECT_EQ(At(20, left - 1), drawtest::kBlue);
    EXPECT_EQ(At(20, left), drawtest::kGreen);
    EXPECT_EQ(At(20, right), drawtest::kGreen);
    EXPECT_EQ(At(20, right + 1), drawtest::kBlue);
  }
  // The largest value a record can hold covers the screen.
  DDFillRect(&BackBuffer, 0, 0, 64, 48, kBlueIndex);
  cNpc& npc = Npc(8, 0, 48, 48);
  StartEffect(npc, 11, {10, 2147483647, 2147483647});
  DrawCharaBody(npc, &BackBuffer, 1);
  EXPECT_EQ(At(0, 0), drawtest::kGreen);
  EXPECT_EQ(At(63, 47), drawtest::kGreen);
}

TEST_P(CharaDrawTest, TheMarkStaysUndistortedOverAStretchedBody) {
  Sheet(22, kGreenIndex);
  DDSURFACEDATA* marks = Sheet(kMarkSheetSurface, kKey);
  DDFillRect(marks, 32, 0, 32, 32, kWhiteIndex);  // mark 15: column 1, row 0
  cNpc& npc = Npc(16, 16, 16, 16);
  npc.m_Def.m_bMark = 1;
  npc.m_Def.m_nMark = 15;
  StartEffect(npc, 11, {10, 48, 48});
  DrawCharaBody(npc, &BackBuffer, 1);
  EXPECT_EQ(At(9, 9), drawtest::kGreen);    // the body grew 8 dots on each side
  EXPECT_EQ(At(16, 16), drawtest::kWhite);  // the mark: 32 x 32 at the screen rectangle
  EXPECT_EQ(At(47, 47), drawtest::kWhite);
  EXPECT_EQ(At(15, 16), drawtest::kGreen);
}

TEST_P(CharaDrawTest, AnEndedEffectReturnsTheCharacterToThePlainBody) {
  Sheet(4, kGreenIndex);
  cNpc& npc = Npc(8, 8);
  const int tenths = 1;
  StartEffect(npc, 6, {tenths, 100});  // a blink hidden throughout its run
  // The run's timer counts tenths at 1/6 a frame and ends in the frame it passes the time.
  int frames = 0;
  for (double timer = 0.0; timer <= tenths; timer += 1.0 / 6) ++frames;
  for (int frame = 1; frame <= frames; ++frame) {
    DDFillRect(&BackBuffer, 0, 0, 64, 48, kBlueIndex);
    DrawCharaBody(npc, &BackBuffer, 0);
    EXPECT_EQ(npc.m_CharaEffect.nIndex, frame < frames ? 1 : 0) << frame;
  }
  DrawCharaBody(npc, &BackBuffer, 0);
  EXPECT_EQ(At(20, 20), drawtest::kGreen);
}

// ---- Vanish ----

TEST_P(CharaDrawTest, DefeatedComputerCharacterWithoutEffectLeavesAtOnce) {
  cNpc& npc = Npc(8, 8);
  npc.m_bDying = 1;
  EXPECT_EQ(DrawChara(npc, &BackBuffer, 0, nullptr), 1);
}

TEST_P(CharaDrawTest, HeroWithoutEffectWaitsOneSecondOfFrames) {
  cPlayer& hero = scene.Player.emplace_back();
  hero.m_bDying = 1;
  const int frameRate = 30;
  EXPECT_EQ(DrawVanishingChara(hero, &BackBuffer, 1, frameRate), 0);  // no-advance counts nothing
  for (int frame = 1; frame <= frameRate; ++frame) EXPECT_EQ(DrawVanishingChara(hero, &BackBuffer, 0, frameRate), 0);
  EXPECT_EQ(DrawVanishingChara(hero, &BackBuffer, 0, frameRate), 1);
}

TEST_P(CharaDrawTest, VanishEffectEndsTheComputerCharacterButNotTheHero) {
  Sheet(4, kGreenIndex);
  const int tenths = 1, start = 0, end = 60;  // 10 dots a frame: past the end in frame 6 x 1 + 1
  const int runFrames = tenths * 6 + 1;
  cNpc& npc = Npc(8, 8);
  npc.m_bDying = 1;
  StartEffect(npc, 1, {tenths, start, end});
  for (int frame = 1; frame < runFrames; ++frame) ASSERT_EQ(DrawChara(npc, &BackBuffer, 0, nullptr), 0) << frame;
  EXPECT_EQ(At(20, 20), drawtest::kGreen);                // drawn while it vanishes
  EXPECT_EQ(DrawChara(npc, &BackBuffer, 1, nullptr), 0);  // frozen: the run waits
  EXPECT_EQ(DrawChara(npc, &BackBuffer, 0, nullptr), 1);

  cPlayer& hero = scene.Player.emplace_back();
  hero.m_bDying = 1;
  StartEffect(hero, 1, {tenths, start, end});
  for (int frame = 1; frame <= runFrames; ++frame) EXPECT_EQ(DrawVanishingChara(hero, &BackBuffer, 0, 2), 0);
  EXPECT_EQ(hero.m_CharaEffect.nIndex, 0);
  EXPECT_EQ(hero.m_nDeathWait, 0);  // the wait starts only now
  EXPECT_EQ(DrawVanishingChara(hero, &BackBuffer, 0, 2), 0);
  EXPECT_EQ(DrawVanishingChara(hero, &BackBuffer, 0, 2), 0);
  EXPECT_EQ(DrawVanishingChara(hero, &BackBuffer, 0, 2), 1);
}

// ---- Items ----

TEST_P(CharaDrawTest, ItemAnimatesUnlessFrozenAndHiddenItemsDrawNothing) {
  DDSURFACEDATA* sheet = Sheet(41, kKey);
  DDFillRect(sheet, 64, 32, 32, 32, kRedIndex);    // item 16: frame 0
  DDFillRect(sheet, 96, 32, 32, 32, kGreenIndex);  // frame 1
  DDSURFACEDATA* marks = Sheet(kMarkSheetSurface, kKey);
  DDFillRect(marks, 0, 0, 4, 4, kWhiteIndex);  // mark 0: a white corner
  cItem& item = scene.ItemList.emplace_back();
  cItemDef def;
  def.m_nGraphic = 16;
  def.m_bMark = 1;
  item.InitItem(0, def, 0);
  item.m_dX = kMargin + 8 + item.m_rcGfx.nX;
  item.m_dY = kMargin + 8 + item.m_rcGfx.nY;
  const int ticks = ItemAnimeTable()[0][0].nDuration;  // every frame lasts as long
  for (int call = 1; call <= 2 * ticks + 1; ++call) {
    DrawItem(item, &BackBuffer, 0);
    EXPECT_EQ(At(20, 20), call / ticks % 2 == 1 ? drawtest::kGreen : drawtest::kRed) << call;
  }
  const std::uint32_t still = At(20, 20);
  for (int call = 0; call < ticks; ++call) DrawItem(item, &BackBuffer, 1);
  EXPECT_EQ(At(20, 20), still);
  EXPECT_EQ(At(8, 8), drawtest::kWhite);

  DDFillRect(&BackBuffer, 0, 0, 64, 48, kBlueIndex);
  item.m_Def.m_bHidden = 1;
  DrawItem(item, &BackBuffer, 0);
  EXPECT_EQ(At(20, 20), drawtest::kBlue);
  EXPECT_EQ(At(8, 8), drawtest::kBlue);
}

TEST_P(CharaDrawTest, CarriedItemHintShowsThirtyThreeFramesOfEveryNinetySix) {
  Sheet(42, kWhiteIndex);
  Sheet(4, kKey);
  cNpc& npc = Npc(16, 24);
  cItemDef def;
  npc.m_Item.InitItem(0, def, 1);
  int shown = 0;
  for (int frame = 1; frame <= 96; ++frame) {
    DDFillRect(&BackBuffer, 0, 0, 64, 48, kBlueIndex);
    DrawChara(npc, &BackBuffer, 0, nullptr);
    // The icon sits half the item's height above the body, centred by a quarter of its width.
    const bool drawn = At(16 + 16 - (32 >> 2), 24 - (32 >> 1)) == drawtest::kWhite;
    EXPECT_EQ(drawn, frame >= 64) << frame;
    shown += drawn;
  }
  EXPECT_EQ(shown, 33);
  EXPECT_EQ(npc.m_nItemHintTimer, 0);
}

// ---- The hero's box overlay ----

TEST_P(CharaDrawTest, HeroBoxOverlayDrawsLargerBoxesFirstAndBlinks) {
  const auto entry = [](BYTE r, BYTE g, BYTE b) {
    PALETTEENTRY e{};
    e.peRed = r, e.peGreen = g, e.peBlue = b;
    return e;
  };
  ColorPalette[0xD0] = entry(255, 0, 0);    // colour choice 0
  ColorPalette[0xD1] = entry(0, 255, 0);    // choice 0 in the second phase of the blink
  ColorPalette[0xD4] = entry(255, 255, 0);  // colour choice 1
  ColorPalette[0xD5] = entry(255, 255, 255);
  auto& overlay = scene.m_Rules.HeroBoxOverlay;
  overlay[BOXPART_BODY] = {2, 0};
  overlay[BOXPART_CONTACT] = {1, 1};
  overlay[BOXPART_ITEM] = {0, 0};
  overlay[BOXPART_DAMAGE] = {1, 0};
  cPlayer& hero = scene.Player.emplace_back();
  hero.m_rcGfx = hero.m_rcGfxBase = {4, 2, 32, 32};
  hero.m_nWidth = 24, hero.m_nHeight = 30;
  hero.m_boxItem = {0, 0, 24, 30};
  hero.m_boxContact = {2, 1, 20, 28};
  hero.m_boxDamage = {6, 6, 8, 8};
  hero.BuildPartList();
  // The body and the item box have equal areas and keep their order.
  std::vector<int> kinds;
  for (const BoxPart& part : hero.m_vBoxParts) kinds.push_back(part.nKind);
  EXPECT_EQ(kinds, (std::vector<int>{BOXPART_BODY, BOXPART_ITEM, BOXPART_CONTACT, BOXPART_DAMAGE}));
  EXPECT_EQ(hero.m_vBoxParts[2].nColour, 0xD4);

  hero.m_dX = kMargin + 12;  // the position at screen (12, 10), the graphic at (8, 8)
  hero.m_dY = kMargin + 10;
  hero.UpdateHeroScreenRect();
  for (int frame = 0; frame < 9; ++frame) {
    DDFillRect(&BackBuffer, 0, 0, 64, 48, kBlueIndex);
    DrawHeroBoxes(hero, &BackBuffer, 0);
    // Every shown box moves to the next colour after 8 frames.
    const std::uint32_t body = frame < 8 ? 0xFF0000 : 0x00FF00;
    const std::uint32_t contact = frame < 8 ? 0xFFFF00 : 0xFFFFFF;
    EXPECT_EQ(At(12, 20), body) << frame;             // the body's frame
    EXPECT_EQ(At(13, 20), drawtest::kBlue) << frame;  // inside the frame
    EXPECT_EQ(At(14, 11), contact) << frame;          // the contact box's corner
    EXPECT_EQ(At(20, 20), body) << frame;             // the damage box over it
    EXPECT_EQ(At(26, 20), contact) << frame;
  }
}

// ---- Chara effects through their blits ----

// A 32-dot cell in four quarters of distinct colours with a keyed corner, so
// that every distortion shows.
void PaintCell(DDSURFACEDATA* sheet, const DWORD quarters[4]) {
  for (int q = 0; q < 4; ++q) DDFillRect(sheet, (q % 2) * 16, (q / 2) * 16, 16, 16, quarters[q]);
  DDFillRect(sheet, 0, 0, 4, 4, kKey);
}

// Each type draws what its blit draws with the arguments of its handler rule,
// worked out here for a 32 x 32 body at (8, 8): first-mode sheet 4,
// second-mode sheet 22, other facing 23.
TEST_P(CharaDrawTest, EachEffectTypeDrawsItsBlitWithTheHandlersArguments) {
  const DWORD first[4] = {1, 2, 3, 4}, second[4] = {5, 4, 2, 1};
  DDSURFACEDATA* sheet1 = Sheet(4, kKey);
  DDSURFACEDATA* sheet2 = Sheet(22, kKey);
  DDSURFACEDATA* other = Sheet(23, kWhiteIndex);
  PaintCell(sheet1, first);
  PaintCell(sheet2, second);
  WorkSheets();
  DDSURFACEDATA* lensWork = Sheet(69, kKey);
  HbtTable.fill(0);
  struct Case {
    int type;
    std::vector<int> params;  // time, start, end, fourth, fifth
    std::function<void()> expected;
  };
  DDSURFACEDATA* bb = &BackBuffer;
  const Case cases[] = {
      {1, {10, 3, 3}, [&] { DDDrawQuadSplit(bb, 8, 8, 32, 32, sheet1, 0, 0, 3, 1); }},
      // Split count 3: strips of 32 / 3 + 1 = 11 rows.
      {2, {10, 4, 4, 3}, [&] { DDDrawSplit(bb, 8, 8, 32, 32, 11, 4, sheet1, 0, 0, 1, 0); }},
      {3, {10, 4, 4, 3}, [&] { DDDrawSplit(bb, 8, 8, 32, 32, 11, 4, sheet1, 0, 0, 1, 1); }},
      {4, {10, 5, 5, 2, 3}, [&] { DDDrawWave(bb, 8, 8, 32, 32, 2, 5.0, 0, 3, sheet1, 0, 0, 1, 0); }},
      {5, {10, 5, 5, 2, 3}, [&] { DDDrawWave(bb, 8, 8, 32, 32, 2, 5.0, 0, 3, sheet1, 0, 0, 1, 1); }},
      {7, {10, 30, 30}, [&] { DDBltRotate(bb, 24, 24, 32, 32, 16, 16, 30, sheet2, 0, 0, 1); }},
      {8, {10, 200, 200}, [&] { DDBltRotate(bb, 24, 24, 32, 32, 16, 16, 200, sheet2, 0, 0, 1); }},
      {9, {10, 20, 20}, [&] { DDDrawFlip(bb, 8, 8, 32, 32, sheet2, 0, 0, other, 0, 0, 32, 32, 1, 20, 0); }},
      {10, {10, 12, 12, 2}, [&] { DDBltCircle(bb, 24, 24, 16, 16, 12, 2, sheet1, 16, 16, 1); }},
      // Lens offsets (2, 0): r = int(sqrt 2 x (2 + 16)) = 25; the sprite lies
      // at (25 - 16 - 2, 25 - 16) of a cleared 50-dot square.
      {12,
       {10, 3, 3, 2, 0},
       [&] {
         DDFillRect(lensWork, 0, 0, 50, 50, kKey);
         DDBlt(lensWork, 7, 9, 32, 32, sheet2, 0, 0, 0);
         DDBltLens(bb, 26, 24, 25, 3, lensWork, 25, 25, 1, 0);
       }},
      {13, {10, 2, 2, 0x104}, [&] { DDBltTint(bb, 8, 8, 32, 32, sheet2, 0, 0, 1, ColorPalette, HbtTable, 4, 2); }},
      {14, {10, 100}, [&] { DDBltHalf(bb, 8, 8, 32, 32, sheet2, 0, 0, 1, HbtTable); }},
      {15, {10, 5, 5}, [&] { DDMosaic(bb, 8, 8, 32, 32, 5, sheet2, 0, 0, 1); }},
      {16, {10, 2, 2}, [&] { DDBlur(bb, 8, 8, 32, 32, 2, 2, sheet2, 0, 0, 1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    DDFillRect(bb, 0, 0, 64, 48, kBlueIndex);
    c.expected();
    const auto expected = Screen();
    DDFillRect(bb, 0, 0, 64, 48, kBlueIndex);
    DDBlt(bb, 8, 8, 32, 32, c.type == 1 || c.type <= 5 || c.type == 10 ? sheet1 : sheet2, 0, 0, 1);
    const auto plain = Screen();
    cNpc& npc = Npc(8, 8);
    StartEffect(npc, c.type, c.params);
    DDFillRect(bb, 0, 0, 64, 48, kBlueIndex);
    DrawCharaBody(npc, bb, 1);
    EXPECT_EQ(Screen(), expected);
    EXPECT_NE(Screen(), plain);  // the effect shows
  }
}

TEST_P(CharaDrawTest, AStretchedSpriteTakesItsEffectFromTheWorkCopyAtScaledSizes) {
  // A giant of multiplier 2: its 16-dot cell stretched to 32 dots into work
  // surface 0, then split apart by the value times 2.
  DDSURFACEDATA* sheet = Sheet(22, kKey);
  const DWORD quarters[4] = {1, 2, 3, 4};
  for (int q = 0; q < 4; ++q) DDFillRect(sheet, (q % 2) * 8, (q / 2) * 8, 8, 8, quarters[q]);
  WorkSheets();
  DDSURFACEDATA* copy = Sheet(69, kKey);
  DDBltStretch(copy, 0, 0, 32, 32, sheet, 0, 0, 16, 16, 0);
  DDFillRect(&BackBuffer, 0, 0, 64, 48, kBlueIndex);
  DDDrawQuadSplit(&BackBuffer, 8, 8, 32, 32, copy, 0, 0, 6, 1);
  const auto expected = Screen();
  cNpc& npc = Npc(8, 8);
  npc.m_rcGfxBase = {0, 0, 16, 16};
  npc.m_Def.m_nGiant = 2;
  StartEffect(npc, 1, {10, 3, 3});
  DDFillRect(&BackBuffer, 0, 0, 64, 48, kBlueIndex);
  DrawCharaBody(npc, &BackBuffer, 1);
  EXPECT_EQ(Screen(), expected);
}

// A dark stage: the mask is dark but for the hero's light, a circle or a
// square of its light radius, centred on the hero or ahead of it, and what
// lies under the light shows through.
TEST_P(CharaDrawTest, DarknessLeavesTheHerosLightOpen) {
  constexpr int r = 12, centreY = 24;
  const struct {
    int shape;
    bool right;
    int centreX;  // the light's centre on the screen
    bool round;
  } cases[] = {
      {1, true, 32, true},            // circle on the hero
      {3, true, 32, false},           // square on the hero
      {2, true, 32 + r - 8, true},    // circle ahead: r - half the graphic's width
      {4, false, 32 - r + 8, false},  // square ahead of a hero facing left
  };
  for (const auto& c : cases) {
    cPlayer hero;
    hero.m_Def.m_nSightShape = static_cast<std::int8_t>(c.shape);
    hero.m_nLightRadius = r;
    hero.m_bRight = c.right ? 1 : 0;
    hero.m_rcGfx = {0, 0, 16, 16};
    hero.m_rcScreen = {24, 16, 39, 31};  // its centre at (32, 24)
    DDFillRect(&BackBuffer, 0, 0, 64, 48, kBlueIndex);
    ASSERT_TRUE(SetupDarkness(&user[kDarknessMaskSlot], &user[kDarknessCircleSlot], hero));
    DrawDarkness(hero, &BackBuffer, &user[kDarknessMaskSlot]);
    SCOPED_TRACE(c.shape);
    EXPECT_EQ(At(c.centreX, centreY), drawtest::kBlue);
    // The circle's chords stop one short of r: its widest rows span [-(r - 1), r - 1).
    EXPECT_EQ(At(c.centreX + (c.round ? r - 2 : r - 1), centreY), drawtest::kBlue);
    EXPECT_EQ(At(c.centreX + r + 1, centreY), drawtest::kCyan);  // palette 16: the dark
    EXPECT_EQ(At(c.centreX, centreY - r - 1), drawtest::kCyan);
    // The light's corner is lit only for a square.
    EXPECT_EQ(At(c.centreX - r + 1, centreY + r - 1), c.round ? drawtest::kCyan : drawtest::kBlue);
    EXPECT_EQ(At(0, 0), drawtest::kCyan);
  }
}

// A light of 4 hbl (64 dots): the mask's rows around its centre are
// see-through over the circle's chords, floor(sqrt(64^2 - m^2)) capped at 63
// on each side, for the row offsets m = -64 .. 63.
TEST_P(CharaDrawTest, DarknessCircleLeavesTheChordsOfEachRowSeeThrough) {
  constexpr int r = 64;
  cPlayer hero;
  hero.m_Def.m_nSightShape = 1;
  hero.m_nLightRadius = r;
  ASSERT_TRUE(SetupDarkness(&user[kDarknessMaskSlot], &user[kDarknessCircleSlot], hero));
  DDSURFACEDATA* mask = &user[kDarknessMaskSlot];
  const int cx = mask->nWidth / 2, cy = mask->nHeight / 2;
  ASSERT_EQ(mask->nWidth, 2 * r + 1280);
  cSurfaceLock lock(mask);
  const auto& pixels = *lock.Pixels();
  const DWORD hole = pixels.Get(cx, cy), dark = pixels.Get(0, 0);
  ASSERT_NE(hole, dark);
  for (int m = -r - 1; m <= r; ++m) {
    int chord = 0;
    if (m >= -r && m < r) chord = std::min(static_cast<int>(std::sqrt(static_cast<double>(r * r - m * m))), r - 1);
    for (int x = cx - r - 1; x <= cx + r; ++x)
      ASSERT_EQ(pixels.Get(x, cy + m), x >= cx - chord && x < cx + chord ? hole : dark) << m << " " << x - cx;
  }
}

INSTANTIATE_TEST_SUITE_P(BackEnds, CharaDrawTest,
                         ::testing::Values(drawtest::Config{"D3D32", 1, 32}, drawtest::Config{"DD32", 0, 32}),
                         drawtest::ConfigName);

}  // namespace
