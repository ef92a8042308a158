// Messages, effects and pictures of a running stage: the '#' escapes, display
// times frozen by the pause, placement by mode with the scroll, anchors that
// go away, hit effects with their jitter, picture lifetimes and positions.
#include <gtest/gtest.h>

#include <string>

#include "gamedata/Database.h"
#include "library/util/Random.h"
#include "stage/Effect.h"
#include "stage/Message.h"
#include "support/TinyStage.h"

namespace {

using stagetest::TinyStage;

struct EscapeCase {
  const char* text;
  const char* shown;
};

TEST(MessageEscapeTest, VariablesAreFormattedAndAnythingElseStaysText) {
  cCheckedVector<int> common(256, 0), stage(255, 0);
  common[1] = 7;
  common[2] = -5;
  common[255] = 9;
  stage[3] = 42;
  const EscapeCase cases[] = {
      {"#C1.", "7"},  // the ending dot goes with the escape
      {"#S3_4", "  42"},
      {"#S3_4Z", "0042"},
      {"#C2_3P", "-  5"},
      {"#C1_2P", "+ 7"},
      {"#S1", "0"},
      {"#S1_3", "  0"},
      {"#S1_3Z", "000"},
      {"HP#S3 left", "HP42 left"},  // a blank ends the escape and stays
      {"#C255", "9"},
      {"#X", "#X"},
      {"#S0", "#S0"},
      {"#S256", "#S256"},
      {"#S255", "#S255"},                                    // the stage table has no entry 255: text, not a fault
      {"#S99999999999999999999", "#S99999999999999999999"},  // saturates, names nothing
      {"#3", "#3"},                                          // no kind
      {"\x82\xa0#S3",
       "\x82\xa0"
       "42"},                 // after a double-byte character
      {"#S3\x82", "42\x82"},  // a lead byte at the end is one byte
      {"\x82", "\x82"},
  };
  for (const EscapeCase& c : cases) {
    std::string text = c.text;
    FormatMessageText(text, common, stage);
    EXPECT_EQ(text, c.shown) << c.text;
  }
}

MessageSettings Timed(int frames, int stopGame) {
  MessageSettings s;
  s.nDisplayMode = MSGDISPLAY_TIME;
  s.nFrames = frames;
  s.bStopGame = stopGame;
  s.bFixOnScreen = 1;
  return s;
}

TEST(MessageTimeTest, TimedMessagesCountOnlyTheFramesTheyMayCount) {
  TinyStage stage;
  // 3.0 s: drawn in 180 frames, ended in the 181st; paused frames do not count.
  cMessage& shown = stage.scene.AddMessage(Timed(180, 0));
  for (int frame = 1; frame <= 180; ++frame) {
    ASSERT_EQ(shown.DrawMessage(stage.scene, nullptr, 0), 0) << frame;
    EXPECT_EQ(shown.DrawMessage(stage.scene, nullptr, 1), 0);
  }
  EXPECT_EQ(shown.DrawMessage(stage.scene, nullptr, 0), 1);
  EXPECT_TRUE(shown.Removed());
  // One that stops the game counts in the modal loop, where the game is paused.
  cMessage& waiting = stage.scene.AddMessage(Timed(2, 1));
  EXPECT_EQ(waiting.DrawMessage(stage.scene, nullptr, 1), 0);
  EXPECT_EQ(waiting.DrawMessage(stage.scene, nullptr, 1), 0);
  EXPECT_EQ(waiting.DrawMessage(stage.scene, nullptr, 1), 1);
  // Button and stage-long messages never end by themselves.
  MessageSettings button;
  cMessage& held = stage.scene.AddMessage(button);
  for (int frame = 0; frame < 1000; ++frame) ASSERT_EQ(held.DrawMessage(stage.scene, nullptr, 0), 0);
  stage.scene.CollectRemoved();
  EXPECT_EQ(stage.scene.m_MessageList.size(), 1u);
}

TEST(MessagePlaceTest, ModesScrollFixingAndKeepingInside) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  scene.m_ScrollX.dPos = 400.7;  // truncated to 400 before subtracting
  scene.m_ScrollY.dPos = 330.2;
  auto placeAt = [&](MessageSettings s) {
    int x = -1, y = -1;
    EXPECT_TRUE(scene.AddMessage(s).Place(scene, x, y));
    return std::pair{x, y};
  };
  MessageSettings s = Timed(30, 0);  // a 16 x 16 sign
  s.nKind = MSGKIND_EXTRA_LIFE;
  s.nPosMode = MSGPOS_SCREEN_CENTRE;
  s.nOffsetX = 5;
  s.nOffsetY = -3;
  EXPECT_EQ(placeAt(s), (std::pair{5 - 8 + 320, -3 - 8 + 240}));
  s.nPosMode = MSGPOS_SCREEN;
  s.nCellX = 2;
  s.nCellY = 3;
  EXPECT_EQ(placeAt(s), (std::pair{5 + 64, -3 + 96}));
  s.nPosMode = MSGPOS_STAGE;  // stage cells plus the 10-cell margin, less the scroll
  EXPECT_EQ(placeAt(s), (std::pair{(2 + 10) * 32 + 5 - 400, (3 + 10) * 32 - 3 - 330}));
  s.nPosMode = MSGPOS_SCREEN;
  s.nCellY = 0;
  s.nOffsetY = 5;
  s.bKeepInside = 1;  // y 5 is below the status bar's 20
  EXPECT_EQ(placeAt(s).second, 20);
  s.nCellX = 19;
  s.nOffsetX = 20;  // x 628 + 16 reaches 639: moved back to 640 - 16
  EXPECT_EQ(placeAt(s).first, 624);

  // A screen-placed message that is not fixed keeps its place of the stage.
  MessageSettings t = Timed(30, 0);
  t.nKind = MSGKIND_EXTRA_LIFE;
  t.bFixOnScreen = 0;
  t.nPosMode = MSGPOS_SCREEN;
  t.nCellX = 1;
  cMessage& onStage = scene.AddMessage(t);
  int x = 0, y = 0;
  ASSERT_TRUE(onStage.Place(scene, x, y));
  EXPECT_EQ(x, 32);
  scene.m_ScrollX.dPos += 10;
  ASSERT_TRUE(onStage.Place(scene, x, y));
  EXPECT_EQ(x, 22);
}

TEST(MessagePlaceTest, AnchoredMessagesFollowTheirCharacterOrEndWithIt) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  cNpc& npc = stage.AddNpc(5, 5);
  npc.m_rcGfx = {2, 4, 32, 32};
  scene.m_ScrollX.dPos = 320;
  scene.m_ScrollY.dPos = 320;
  const int cx = static_cast<int>(npc.m_dX) - 320, cy = static_cast<int>(npc.m_dY) - 320;
  MessageSettings s = Timed(30, 0);
  s.nKind = MSGKIND_EXTRA_LIFE;
  s.bFixOnScreen = 0;
  s.nAnchor = npc.m_nNo;
  struct Case {
    int mode;
    int y;
  };
  const int x = cx + 16 - 8 - 2;
  for (const Case& c : {Case{MSGPOS_ABOVE_SELF, cy - 4 - 16}, Case{MSGPOS_BELOW_SELF, cy + 32 - 4 + 1},
                        Case{MSGPOS_CENTRE_SELF, cy + 16 - 8 - 4}}) {
    s.nPosMode = c.mode;
    int px = 0, py = 0;
    ASSERT_TRUE(scene.AddMessage(s).Place(scene, px, py));
    EXPECT_EQ(px, x) << c.mode;
    EXPECT_EQ(py, c.y) << c.mode;
  }
  // Fixed on the screen: it stays where it first appeared while the view scrolls.
  s.nPosMode = MSGPOS_ABOVE_SELF;
  s.bFixOnScreen = 1;
  cMessage& fixed = scene.AddMessage(s);
  int fx = 0, fy = 0;
  fixed.Place(scene, fx, fy);
  scene.m_ScrollX.dPos += 50;
  int gx = 0, gy = 0;
  fixed.Place(scene, gx, gy);
  EXPECT_EQ(gx, fx);

  s.nKind = MSGKIND_ICON;
  cMessage& icon = scene.AddMessage(s);
  scene.EraseChara(npc);
  EXPECT_EQ(icon.DrawMessage(scene, nullptr, 0), 1);  // its anchor is gone
  EXPECT_TRUE(icon.Removed());
}

TEST(MessageKindsTest, PickupIconExtraLifeSignAndGameWaitTimer) {
  TinyStage stage;
  cPlayer& hero = stage.AddHero(3, 3);
  ShowPickupMessage(stage.scene, hero, 2, 7, 1);
  ASSERT_EQ(stage.scene.m_MessageList.size(), 1u);
  const MessageSettings& icon = stage.scene.m_MessageList.back().Settings();
  EXPECT_EQ(icon.nKind, MSGKIND_ICON);
  EXPECT_EQ(icon.nIconKind, 2);
  EXPECT_EQ(icon.nIconGraphic, 7);
  EXPECT_EQ(icon.nIconCell, 1);
  EXPECT_EQ(icon.nPosMode, MSGPOS_ABOVE_HERO);
  EXPECT_EQ(icon.nAnchor, hero.m_nNo);
  EXPECT_EQ(icon.nDisplayMode, MSGDISPLAY_TIME);
  EXPECT_EQ(icon.nFrames, 30);
  EXPECT_EQ(icon.bStopGame, 0);
  EXPECT_EQ(stage.scene.m_MessageList.back().Surface(), nullptr);  // only text has a surface

  const MessageSettings sign = ExtraLifeSign(hero);
  EXPECT_EQ(sign.nKind, MSGKIND_EXTRA_LIFE);
  EXPECT_EQ(sign.bStopGame, 1);
  EXPECT_EQ(sign.nFrames, 30);
  const MessageSettings timer = GameWaitTimer(42);
  EXPECT_EQ(timer.nKind, MSGKIND_TIMER);
  EXPECT_EQ(timer.nFrames, 42);
  EXPECT_EQ(timer.bStopGame, 1);
}

// ---- Effects and pictures ----

class EffectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Entry 1 and 2: two frames of 6 ticks on 32 x 32 cells; entry 2 scales.
    db.Effect.resize(3);
    cDbEffectFrame frame;
    frame.m_nDuration = 1;
    for (int i : {1, 2}) {
      db.Effect[i].m_nCellWidth = db.Effect[i].m_nCellHeight = 32;
      db.Effect[i].m_Frames = {frame, frame};
    }
    db.Effect[2].m_bScale = 1;
    Database = &db;
    BuildEffectSequences(db.Effect, EffectSequences);
  }
  void TearDown() override {
    Database = nullptr;
    EffectSequences.clear();
  }
  cDatabase db;
  TinyStage stage;
};

TEST_F(EffectTest, HitEffectsSitOnTheOverlapScaledAndJittered) {
  struct Case {
    int number, scale, size, k;
  };
  const RectD a{100, 200, 140, 230}, b{120, 210, 170, 260};  // overlap (120, 210) - (140, 230)
  for (const Case& c : {Case{1, 2, 32, 1}, Case{2, 2, 64, 2}, Case{2, 1, 32, 1}, Case{2, -3, 32, -3}}) {
    crt::srand(77);
    const int dx = crt::rand() % std::max(8 * c.k + 1, 1) - 4 * c.k;
    const int dy = crt::rand() % std::max(8 * c.k + 1, 1) - 4 * c.k;
    crt::srand(77);
    const cEffect e = cEffect::MakeHitEffect(c.number, a, b, c.scale);
    EXPECT_EQ(e.Width(), c.size);
    EXPECT_EQ(e.Stretched(), c.size != 32 ? 1 : 0);
    EXPECT_EQ(e.X(), 120 + (21 >> 1) - (c.size >> 1) + dx) << c.scale;
    EXPECT_EQ(e.Y(), 210 + (21 >> 1) - (c.size >> 1) + dy) << c.scale;
  }
  // Apart: around the world's (0, 0).
  crt::srand(5);
  const int dx = crt::rand() % 9 - 4;
  crt::srand(5);
  EXPECT_EQ(cEffect::MakeHitEffect(1, RectD{0, 0, 10, 10}, RectD{50, 50, 60, 60}, 1).X(), 0 + (1 >> 1) - 16 + dx);
}

TEST_F(EffectTest, EffectsFreezeWhilePausedUnlessTheyWaitAndEndWithTheirAnimation) {
  cEffect still(1, 0, 0, 32, 32, 0);
  cEffect waiting(1, 0, 0, 32, 32, 1);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(still.DrawEffect(stage.scene, nullptr, 1), 0);
  int frames = 0;
  while (waiting.DrawEffect(stage.scene, nullptr, 1) == 0 && frames < 100) ++frames;
  EXPECT_EQ(frames, 11);  // two frames of 6 ticks: the 12th tick reaches the end
  EXPECT_EQ(cEffect(0, 0, 0, 32, 32, 0).DrawEffect(stage.scene, nullptr, 0), 1);  // no frames
}

TEST_F(EffectTest, PicturesLiveTheirTimeAndStayOnTheStageOrOnTheScreen) {
  cStagePlayScene& scene = stage.scene;
  PictureSettings s;
  s.dX = 700.9;
  s.dY = 500;
  s.nDisplayMode = PICDISPLAY_TIME;
  s.nFrames = 60;  // 1.0 s
  cPicture& timed = scene.m_PictureList.emplace_back(s, nullptr);
  for (int frame = 1; frame <= 60; ++frame) ASSERT_EQ(timed.DrawPicture(scene, nullptr, 0), 0) << frame;
  EXPECT_EQ(timed.DrawPicture(scene, nullptr, 1), 0);  // paused: not counted
  EXPECT_EQ(timed.DrawPicture(scene, nullptr, 0), 1);

  scene.m_ScrollX.dPos = 320.5;
  scene.m_ScrollY.dPos = 320;
  cPicture& moving = scene.m_PictureList.emplace_back(s, nullptr);
  s.bFixOnScreen = 1;
  cPicture& fixed = scene.m_PictureList.emplace_back(s, nullptr);
  int x = 0, y = 0;
  moving.ScreenPosition(scene, x, y);
  EXPECT_EQ(x, 700 - 320);
  fixed.ScreenPosition(scene, x, y);
  EXPECT_EQ(x, 380);
  scene.m_ScrollX.dPos = 400;
  scene.m_ScrollY.dPos = 300;
  moving.ScreenPosition(scene, x, y);
  EXPECT_EQ(x, 300);
  EXPECT_EQ(y, 200);
  fixed.ScreenPosition(scene, x, y);
  EXPECT_EQ(x, 380);
  EXPECT_EQ(y, 180);
}

}  // namespace
