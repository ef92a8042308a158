// The presentation commands on a tiny stage: where effects and pictures are
// placed, an effect's size in percent, picture 0, the background layers, and a
// message with an ID updated in place or replaced where it stood.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "flow/PresentCommands.h"
#include "gamedata/Database.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/text/Font.h"
#include "library/text_fake_glyphs.h"
#include "library/util/Log.h"
#include "records/StageData.h"
#include "stage/SpriteSource.h"
#include "support/TempDir.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

cFlowCommand Present(int type, std::initializer_list<int> params) {
  cFlowCommand c = MakeCommand(type, 0, false, params);
  c.m_vParams.resize(static_cast<size_t>(CommandParamCounts[static_cast<size_t>(type)]), 0);
  return c;
}

TEST(CalcDisplayPosTest, EachModePlacesTheImageInWorldCoordinates) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  cPlayer& hero = stage.AddHero(3, 3);
  hero.m_rcScreen = {100, 200, 131, 231};
  hero.m_rcGfx = {4, 2, 32, 32};
  cNpc& npc = stage.AddNpc(8, 3);
  npc.m_rcScreen = {300, 150, 363, 213};
  npc.m_rcGfx = {0, 0, 64, 64};
  scene.m_ScrollX.dPos = 400.5;
  scene.m_ScrollY.dPos = 330.25;
  const int w = 41, h = 30, cx = 2, cy = 5, ox = 7, oy = -3;
  struct Case {
    int mode;
    double x, y;
  };
  const Case cases[] = {
      {DISPPOS_SCREEN_CENTRE, 7 + 400.5 + 320 - 20, -3 + 330.25 + 240 - 15},
      {DISPPOS_CHARA, 7 + (300 + 32 + 400.5) - 20, -3 + (150 + 32 + 330.25) - 15},  // its centre: left + 64 / 2
      {DISPPOS_HERO, 7 + (100 + 16 + 400.5) - 20, -3 + (200 + 16 + 330.25) - 15},
      {DISPPOS_SCREEN, 400.5 + 2 * 32 + 7, 330.25 + 5 * 32 - 3},
      {DISPPOS_STAGE, (2 + 10) * 32 + 7, (5 + 10) * 32 - 3},  // stage cells past the 10-cell margin
      {5, -1, -2},                                            // not a mode: left as it was
  };
  for (const Case& c : cases) {
    double x = -1, y = -2;
    CalcDisplayPos(x, y, w, h, npc, c.mode, cx, cy, ox, oy);
    EXPECT_DOUBLE_EQ(x, c.x) << c.mode;
    EXPECT_DOUBLE_EQ(y, c.y) << c.mode;
  }
}

// Effect entry 1: one frame of 64 x 48, with the running database and its
// prepared sequences installed for the test.
class EffectCommandTest : public ::testing::Test {
 protected:
  EffectCommandTest() {
    db.Effect.resize(2);
    cDbEffect& entry = db.Effect[1];
    std::tie(entry.m_nCellWidth, entry.m_nCellHeight) = std::pair{64, 48};
    entry.m_Frames.resize(1);
    Database = &db;
    BuildEffectSequences(db.Effect, EffectSequences);
  }
  ~EffectCommandTest() override {
    EffectSequences.clear();
    Database = nullptr;
  }
  cDatabase db;
  TinyStage stage;
};

// Size in percent of the entry's frame, to the nearest dot, halves away from zero.
TEST_F(EffectCommandTest, SizeInPercentAndEffectZeroClearsThemAll) {
  cNpc& npc = stage.AddNpc(5, 5);
  struct Case {
    int percent, w, h;
  };
  for (const Case& c : {Case{50, 32, 24}, Case{100, 64, 48}, Case{33, 21, 16}, Case{25, 16, 12}, Case{1, 1, 0}}) {
    DoEffect(npc, Present(CMD_EFFECT, {1, DISPPOS_STAGE, 0, 0, 0, 0, c.percent, 0}));
    const cEffect& e = stage.scene.m_EffectList.back();
    EXPECT_EQ(e.Width(), c.w) << c.percent;   // 0.64 x percent
    EXPECT_EQ(e.Height(), c.h) << c.percent;  // 0.48 x percent
    EXPECT_EQ(e.Stretched(), c.w != 64 ? 1 : 0) << c.percent;
    EXPECT_DOUBLE_EQ(e.X(), 10 * 32);
  }
  DoEffect(npc, Present(CMD_EFFECT, {0}));
  stage.scene.CollectRemoved();
  EXPECT_TRUE(stage.scene.m_EffectList.empty());
}

TEST(PictureCommandTest, PictureZeroRemovesByIdOrEverything) {
  TinyStage stage;
  cNpc& npc = stage.AddNpc(5, 5);
  auto place = [&](int hasId, int id) {
    PictureSettings s;
    s.nNumber = 1;
    s.nDisplayMode = PICDISPLAY_STAGE;
    s.bHasId = hasId;
    s.nId = id;
    stage.scene.m_PictureList.emplace_back(s, nullptr);
  };
  place(1, 5);
  place(1, 6);
  place(0, 5);  // an ID not switched on is not looked at
  auto ids = [&] {
    std::string shown;
    for (const cPicture& p : stage.scene.m_PictureList)
      if (!p.Removed()) shown += std::to_string(p.Settings().bHasId ? p.Settings().nId : 0);
    return shown;
  };
  DoPicture(npc, Present(CMD_PICTURE, {0, 0, 0, 0, 0, 0, 0, 100, 0, 0, 0, 0, 1, 7}));  // no such ID
  EXPECT_EQ(ids(), "560");
  DoPicture(npc, Present(CMD_PICTURE, {0, 0, 0, 0, 0, 0, 0, 100, 0, 0, 0, 0, 1, 5}));
  EXPECT_EQ(ids(), "60");
  DoPicture(npc, Present(CMD_PICTURE, {0}));
  EXPECT_TRUE(stage.scene.m_PictureList.empty());
}

TEST(BackgroundCommandTest, ShowsHidesAndTogglesOnlyLayersThatExist) {
  TinyStage stage;
  cNpc& npc = stage.AddNpc(5, 5);
  cStageData data;
  data.SetDefault();
  data.m_BgLayers.resize(3);
  for (cBgLayer& layer : data.m_BgLayers) layer.m_bShow = 1;
  StageData = &data;
  auto shown = [&] {
    std::string s;
    for (const cBgLayer& layer : data.m_BgLayers) s += std::to_string(layer.m_bShow);
    return s;
  };
  struct Case {
    int layer, operation;
    const char* after;
  };
  const Case cases[] = {
      {2, 1, "101"},                 // hide layer 2 (counted from 1)
      {3, 2, "100"},                 // toggle
      {3, 2, "101"}, {2, 0, "111"},  // show
      {1, 3, "111"},                 // an unknown operation
      {0, 1, "111"}, {4, 1, "111"},  // no such layer
  };
  for (const Case& c : cases) {
    DoBackground(npc, Present(CMD_BACKGROUND, {c.layer, c.operation}));
    EXPECT_EQ(shown(), c.after) << c.layer << " " << c.operation;
  }
  StageData = nullptr;
}

// Messages are measured with the message font: here a face whose half-width
// characters are 8 dots wide and 16 high.
class MessageCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
    ASSERT_TRUE(DDInit(1, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
    SetFontGlyphSource(&glyphs);
    ASSERT_EQ(Fonts[2].Create("test", 8, 16, 0, 0, 15, nullptr, 0, 0, nullptr, 0), 1);
  }
  void TearDown() override {
    stage.scene.ReleaseMessageSurfaces();
    Fonts[2].Release();
    SetFontGlyphSource(nullptr);
    DDUnInit();
  }
  // A timed message with ID 5 and the given text.
  void Show(cChara& chara, const std::string& text) {
    cFlowCommand c = Present(CMD_MESSAGE, {0, 0, 0, 0, 0, 0, MSGDISPLAY_TIME, 10, 0, 0, 0, 0, 1, 5});
    c.m_strText = text;
    DoMessage(chara, c, 0);
  }

  testsupport::TempDir dir{true};
  FakeGlyphSource glyphs;
  TinyStage stage;
};

TEST_F(MessageCommandTest, SameSizeUpdatesInPlaceALargerTextReplacesAtTheSamePlace) {
  cStagePlayScene& scene = stage.scene;
  cNpc& npc = stage.AddNpc(5, 5);
  MessageSettings other;
  other.nDisplayMode = MSGDISPLAY_STAGE;
  scene.AddMessage(other);
  Show(npc, "ab");
  scene.AddMessage(other);
  ASSERT_EQ(scene.m_MessageList.size(), 3u);
  cMessage& first = *std::next(scene.m_MessageList.begin());
  EXPECT_EQ(first.Width(), 2 * 8 + 2);
  EXPECT_EQ(first.Height(), 16 + 2);
  DDSURFACEDATA* surface = first.Surface();
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(Off_Msg.size(), 1u);

  Show(npc, "cd");  // the same size: set up again in its own surface
  EXPECT_EQ(scene.m_MessageList.size(), 3u);
  EXPECT_EQ(first.Text(), "cd");
  EXPECT_EQ(first.Surface(), surface);
  EXPECT_EQ(Off_Msg.size(), 1u);

  Show(npc, "cde");  // wider: a new message with a new surface where the old one stood
  scene.CollectRemoved();
  ASSERT_EQ(scene.m_MessageList.size(), 3u);
  const cMessage& second = *std::next(scene.m_MessageList.begin());
  EXPECT_EQ(second.Text(), "cde");
  EXPECT_EQ(second.Width(), 3 * 8 + 2);
  EXPECT_EQ(Off_Msg.size(), 1u);  // the old surface went with the old message

  cFlowCommand remove = Present(CMD_MESSAGE, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 5, 0, 1});
  DoMessage(npc, remove, 0);
  scene.CollectRemoved();
  EXPECT_EQ(scene.m_MessageList.size(), 2u);
  EXPECT_TRUE(Off_Msg.empty());
}

}  // namespace
