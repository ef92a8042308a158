// Block characters: landing on them and riding, side pushes on walkers and
// fliers, carrying, leaving a carrier that dropped away, and the crush.
#include "stage/BlockChara.h"

#include <string>
#include <vector>

#include "platform/Harness.h"
#include "stage/StagePlay.h"
#include "support/TempDir.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

// Runs frames until the hero rides; false when it never does or a frame ended the play.
bool RunUntilRiding(TinyStage& stage, const cPlayer& hero, int maxFrames) {
  for (int frame = 0; frame < maxFrames && !hero.m_bRiding; ++frame)
    if (RunPlayFrame(stage.scene) != 0) return false;
  return hero.m_bRiding != 0;
}

constexpr int kLongWait = 100;  // a flow that keeps running once started: its start is traced once

cCharaDef BlockDef(int flying = 2) {
  cCharaDef def = TinyStage::WalkerDef();
  def.m_bBlockChara = 1;
  def.m_nFlying = static_cast<std::int8_t>(flying);
  def.m_nGroup = 1;
  return def;
}

void AddWaitFlow(cCharaDef& def, int trigger) {
  def.m_vFlows.push_back(MakeFlow(trigger, {MakeCommand(CMD_WAIT, kLongWait)}));
}

// A block character moving at a constant velocity per logic step.
cCharaDef MovingBlockDef(int direction, int dotsPerStep, int steps) {
  cCharaDef def = BlockDef();
  def.m_vFlows.push_back(
      MakeFlow(TRG_ALWAYS, {MakeMove(CMD_STRAIGHT_MOVE, 1000, direction, dotsPerStep * 10 * steps)}));
  return def;
}

class TraceFile {
 public:
  TraceFile() {
    platform::HarnessSettings settings;
    settings.trace = (dir / "trace.txt").string();
    platform::SetHarnessForTesting(settings);
  }
  ~TraceFile() { platform::SetHarnessForTesting({}); }
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;
  std::string Read() const { return dir.Read("trace.txt"); }

 private:
  testsupport::TempDir dir;
};

std::string FlowStart(const cChara& c, int index, int trigger) {
  return "flow start " + std::to_string(c.m_nNo) + " " + std::to_string(index) + " trigger " + std::to_string(trigger);
}

class BlockCharaPlay : public ::testing::TestWithParam<int> {
 protected:
  TinyStage stage{GetParam()};
};

}  // namespace

TEST_P(BlockCharaPlay, AFallingHeroLandsOnABlockCharaAndRidesIt) {
  TraceFile trace;
  cCharaDef heroDef = TinyStage::HeroDef();
  AddWaitFlow(heroDef, TRG_TOUCH_BLOCK_CHARA);
  AddWaitFlow(heroDef, TRG_ON_BLOCK_CHARA);
  cPlayer& hero = stage.AddHero(5, 4, heroDef);
  cCharaDef blockDef = BlockDef();
  AddWaitFlow(blockDef, TRG_RIDDEN_BY_HERO);
  AddWaitFlow(blockDef, TRG_RIDDEN_BY_CHARA);
  cNpc& block = stage.AddNpc(5, 9, blockDef);
  ASSERT_EQ(block.m_nWidth, 32);
  ASSERT_EQ(block.m_nHeight, 32);

  ASSERT_TRUE(RunUntilRiding(stage, hero, 60));
  EXPECT_EQ(hero.m_nRiddenNo, block.m_nNo);
  EXPECT_EQ(hero.m_dY, block.m_dY - hero.m_nHeight);  // its bottom on the dot above the block
  EXPECT_EQ(hero.m_dVy, 0);
  EXPECT_EQ(hero.m_bAirborne, 0);

  // It stays there, riding, frame after frame.
  for (int i = 0; i < 10; ++i) ASSERT_EQ(RunPlayFrame(stage.scene), 0);
  EXPECT_EQ(hero.m_bRiding, 1);
  EXPECT_EQ(hero.m_dY, block.m_dY - hero.m_nHeight);

  const std::string lines = trace.Read();
  // A fall at up to 6 dots a step reaches only the lower half: not a landing from above.
  EXPECT_EQ(lines.find("D Hit"), std::string::npos);
  // The carrier hears of its rider first, then the rider touches and stands on it.
  const size_t byHero = lines.find(FlowStart(block, 0, TRG_RIDDEN_BY_HERO));
  const size_t byChara = lines.find(FlowStart(block, 1, TRG_RIDDEN_BY_CHARA));
  const size_t touch = lines.find(FlowStart(hero, 0, TRG_TOUCH_BLOCK_CHARA));
  const size_t on = lines.find(FlowStart(hero, 1, TRG_ON_BLOCK_CHARA));
  ASSERT_NE(on, std::string::npos) << lines;
  EXPECT_LT(byHero, byChara);
  EXPECT_LT(byChara, touch);
  EXPECT_LT(touch, on);
}

TEST_P(BlockCharaPlay, ACarrierTakesItsRiderAlong) {
  cPlayer& hero = stage.AddHero(5, 8);
  cNpc& block = stage.AddNpc(5, 9, MovingBlockDef(3, 2, stage.N()));
  ASSERT_TRUE(RunUntilRiding(stage, hero, 20));
  ASSERT_EQ(RunPlayFrame(stage.scene), 0);
  for (int frame = 0; frame < 5; ++frame) {
    const double heroX = hero.m_dX, blockX = block.m_dX;
    ASSERT_EQ(RunPlayFrame(stage.scene), 0);
    ASSERT_EQ(block.m_dX - blockX, 2.0 * stage.N());  // the carrier moves 2 dots a step
    EXPECT_EQ(hero.m_dX - heroX, 2.0 * stage.N());
    EXPECT_EQ(hero.m_dY, block.m_dY - hero.m_nHeight);
    EXPECT_EQ(hero.m_bRiding, 1);
  }
}

TEST_P(BlockCharaPlay, AHeroSqueezedBetweenARisingBlockCharaAndACeilingIsLost) {
  TraceFile trace;
  for (int x = 0; x < kMapW; ++x) stage.SetBlock(x, 5, kBlockHitSolid);
  cPlayer& hero = stage.AddHero(5, 8);
  stage.AddNpc(5, 9, MovingBlockDef(6, 1, stage.N()));
  int result = 0;
  for (int frame = 0; frame < 120 && result == 0; ++frame) result = RunPlayFrame(stage.scene);
  EXPECT_EQ(result, 2);
  EXPECT_EQ(hero.m_bDying, 1);
  EXPECT_NE(trace.Read().find("Dead 6"), std::string::npos) << trace.Read();
}

INSTANTIATE_TEST_SUITE_P(StepsPerFrame, BlockCharaPlay, ::testing::Values(1, 2));

TEST_P(BlockCharaPlay, AFastFallIntoTheUpperHalfLandsFromAbove) {
  TraceFile trace;
  cPlayer& hero = stage.AddHero(5, 4);
  cNpc& block = stage.AddNpc(5, 9, BlockDef());
  block.SavePreviousBounds();
  for (int landing = 0; landing < 2; ++landing) {
    hero.m_bRiding = 0;
    hero.m_dY = block.m_dY - 40;  // wholly above the block character
    hero.OnMoveY();
    hero.SavePreviousBounds();
    hero.m_dY = block.m_dY - 10;  // now 20 dots into it: its upper half overlaps
    hero.OnMoveY();
    hero.m_dVy = 2.0 / stage.N() + 0.01;
    EXPECT_EQ(ResolveBlockCharas(hero, stage.scene.BlockCharas), 0);
    EXPECT_EQ(hero.m_dY, block.m_dY - hero.m_nHeight);
    EXPECT_EQ(hero.m_bRiding, 1);
    EXPECT_EQ(hero.m_dVy, 0);
  }
  // Each landing from above is named again.
  const std::string lines = trace.Read();
  const size_t first = lines.find("D Hit");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(lines.find("D Hit", first + 1), std::string::npos);
}

// A block character overlapping a character's side by `overlap` dots, moving at `vx`.
struct SidePush {
  const char* name;
  int flying;      // the pushed character's flight setting: 0 walks, 2 flies and collides
  bool fromRight;  // the block character is on its right
  double overlap;
  double vx;
  double expectedShift;  // from the block character's edge, by the rules of each kind
  bool pushed;
};

TEST(BlockCharaSidePushTest, WalkersAndFliersArePushedOutOfTheSide) {
  // Walkers are set 0.5 dots clear of the pusher; fliers right against it,
  // and a flier stays where it is when the block character moves away.
  const SidePush cases[] = {
      {"walker from the right", 0, true, 3, -2, 0.5, true},
      {"walker from the left", 0, false, 3, 2, 0.5, true},
      {"walker, pusher moving away", 0, true, 3, 2, 0.5, true},
      {"flier from the right", 2, true, 1, -1, 0, true},
      {"flier from the left", 2, false, 1, 1, 0, true},
      {"flier, pusher moving away on the right", 2, true, 1, 1, 0, false},
      {"flier, pusher moving away on the left", 2, false, 1, -1, 0, false},
  };
  for (const SidePush& c : cases) {
    TinyStage stage;
    stage.AddHero(2, 2);
    cCharaDef def = TinyStage::WalkerDef();
    def.m_nFlying = static_cast<std::int8_t>(c.flying);
    cNpc& k = stage.AddNpc(10, 8, def);
    cNpc& b = stage.AddNpc(0, 8, BlockDef());
    // A block character taller than k, covering its whole height.
    b.m_dY = k.m_dY - 1;
    b.m_dX = c.fromRight ? k.m_dRight - c.overlap + 1 : k.m_dX + c.overlap - 1 - 31;
    b.OnMoveX(), b.OnMoveY();
    b.m_dVx = c.vx;
    b.SavePreviousBounds();
    k.SavePreviousBounds();
    const double x0 = k.m_dX;

    EXPECT_EQ(ResolveBlockCharas(k, stage.scene.BlockCharas), 0) << c.name;
    double expected = x0;
    if (c.pushed) expected = c.fromRight ? b.m_dX - k.m_nWidth - c.expectedShift : b.m_dRight + 1 + c.expectedShift;
    EXPECT_EQ(k.m_dX, expected) << c.name;
    EXPECT_EQ(k.m_bPushed, c.pushed ? 1 : 0) << c.name;
    EXPECT_EQ(c.fromRight ? k.m_bHitRight : k.m_bHitLeft, c.pushed ? 1 : 0) << c.name;
  }
}

TEST(BlockCharaRideTest, ARiderLeavesACarrierThatDroppedAwayUnlessAnotherIsBelow) {
  struct Case {
    double drop;
    bool other;  // a second block character lies right under the rider
    bool rides;
  };
  // The ride holds while a block character reaches the 5-dot strip under the rider's bottom edge.
  for (Case c : {Case{4, false, true}, Case{5, false, false}, Case{5, true, true}}) {
    TinyStage stage;
    cPlayer& hero = stage.AddHero(5, 8);
    cNpc& carrier = stage.AddNpc(5, 9, BlockDef());
    cNpc& other = stage.AddNpc(20, 9, BlockDef());
    hero.m_dY = carrier.m_dY - hero.m_nHeight;
    hero.OnMoveY();
    hero.m_bRiding = 1;
    hero.m_nRiddenNo = carrier.m_nNo;
    hero.SavePreviousBounds();
    carrier.m_dY += c.drop;
    carrier.OnMoveY();
    if (c.other) {
      other.m_dX = hero.m_dX;
      other.m_dY = hero.m_dBottom + 3;
      other.OnMoveX(), other.OnMoveY();
    }
    EXPECT_EQ(ResolveBlockCharas(hero, stage.scene.BlockCharas), 0);
    EXPECT_EQ(hero.m_bRiding, c.rides ? 1 : 0) << c.drop;
    EXPECT_EQ(hero.m_bPushed, c.rides ? 0 : 1) << c.drop;
    if (c.rides) {
      EXPECT_EQ(hero.m_nRiddenNo, c.other ? other.m_nNo : carrier.m_nNo);
    }
  }
}

TEST(BlockCharaFlightTest, ModeZeroPassesThroughAndModeTwoDiesOnContact) {
  for (int flying : {1, 3}) {
    TinyStage stage;
    stage.AddHero(2, 2);
    cCharaDef def = TinyStage::WalkerDef();
    def.m_nFlying = static_cast<std::int8_t>(flying);
    cNpc& k = stage.AddNpc(10, 8, def);
    cNpc& b = stage.AddNpc(10, 8, BlockDef());
    b.m_dX = k.m_dX + 4;
    b.OnMoveX();
    const double x0 = k.m_dX;
    EXPECT_EQ(ResolveBlockCharas(k, stage.scene.BlockCharas), flying == 3 ? 2 : 0) << flying;
    EXPECT_EQ(k.m_dX, x0);
  }
}

// The index of block characters follows its list: characters placed after it
// was read, removed ones once collected, and a new node in the place of a
// collected one (the list as long as before, its memory likely reused).
TEST(BlockCharaIndexTest, FollowsTheCharacterList) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  auto indexed = [&] {
    std::vector<const cNpc*> found;
    for (const cNpc& b : scene.BlockCharas.Current()) found.push_back(&b);
    return found;
  };
  using Nodes = std::vector<const cNpc*>;
  EXPECT_EQ(indexed(), Nodes{});
  const cNpc& first = stage.AddNpc(2, 5, BlockDef());
  cNpc& walker = stage.AddNpc(4, 5);
  EXPECT_EQ(indexed(), Nodes{&first});
  cNpc& second = stage.AddNpc(6, 5, BlockDef());
  EXPECT_EQ(indexed(), (Nodes{&first, &second}));

  scene.EraseChara(second);
  scene.EraseChara(walker);
  EXPECT_EQ(indexed(), (Nodes{&first, &second})) << "a removed node stays listed until collected";
  scene.CollectRemoved();
  stage.AddNpc(8, 5);
  cNpc& third = stage.AddNpc(10, 5, BlockDef());
  EXPECT_EQ(indexed(), (Nodes{&first, &third}));
  scene.EraseChara(third);
  scene.CollectRemoved();
  EXPECT_EQ(indexed(), Nodes{&first});

  scene.CharaList.clear();
  EXPECT_EQ(indexed(), Nodes{});
}
