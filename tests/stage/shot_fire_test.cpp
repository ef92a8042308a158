// Firing patterns: where each shot starts and how it flies, worked out from
// the shooter's rectangle by hand. The shooter is a 32 x 32 character at map
// (600, 300); the view starts at (320, 320), so its screen rectangle is
// (280, -20) - (311, 11) and its centre in the map (616, 316).
#include <cmath>

#include "library/util/Random.h"
#include "records/FlowEnums.h"
#include "records/Palette.h"
#include "stage/ShotFire.h"
#include "support/ShotSupport.h"

using namespace stagetest;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct FiredShot {
  int x, y;
  double vx, vy;  // dots per frame
};

class FireTest : public ::testing::Test {
 protected:
  FireTest() {
    shooter.m_dX = 600, shooter.m_dY = 300;
    shooter.m_rcGfx = {0, 0, 32, 32};
    shooter.m_bRight = 0;
    def = MakeCommand(CMD_SHOT, 0);
    cmd.pDef = &def;
  }

  std::vector<FiredShot> Fire(cEdShot s) {
    const size_t before = stage.scene.m_ShotList.size();
    FireShot(shooter, cmd, s);
    std::vector<FiredShot> out;
    size_t i = 0;
    for (const cShot& shot : stage.scene.m_ShotList)
      if (i++ >= before)
        out.push_back({static_cast<int>(shot.m_dX), static_cast<int>(shot.m_dY), shot.m_dOwnVx * stage.N(),
                       shot.m_dOwnVy * stage.N()});
    return out;
  }

  static cEdShot Pattern(int pattern, int direction, int count, int p1 = 0, int p2 = 0, int p3 = 0) {
    cEdShot s = Straight();
    s.m_nPattern = static_cast<std::int8_t>(pattern);
    s.m_nDirection = static_cast<std::int8_t>(direction);
    s.m_nShotCount = static_cast<std::int8_t>(count);
    s.m_nPatternParam[0] = static_cast<std::int16_t>(p1);
    s.m_nPatternParam[1] = static_cast<std::int16_t>(p2);
    s.m_nPatternParam[2] = static_cast<std::int16_t>(p3);
    return s;
  }

  // The velocity of a speed of 1 dot per frame at an angle: 0 left, growing clockwise.
  static void ExpectAngle(const FiredShot& f, double degrees) {
    EXPECT_NEAR(f.vx, -std::cos(degrees * kPi / 180), 1e-9) << degrees;
    EXPECT_NEAR(f.vy, -std::sin(degrees * kPi / 180), 1e-9) << degrees;
  }

  TinyStage stage;
  cNpc& shooter = stage.AddNpc(8, 5);
  cFlowCommand def;
  cRunningCommand cmd;
};

void ExpectPositions(const std::vector<FiredShot>& shots, std::initializer_list<std::pair<int, int>> expected) {
  ASSERT_EQ(shots.size(), expected.size());
  size_t i = 0;
  for (auto [x, y] : expected) {
    EXPECT_EQ(shots[i].x, x) << i;
    EXPECT_EQ(shots[i].y, y) << i;
    ++i;
  }
}

}  // namespace

TEST_F(FireTest, StraightRowsAndColumns) {
  // A row to the left, spacing 1 hbl: y = 316 - 2 x 8 - 3 x 8 = 276, then every 16 + 16.
  auto left = Fire(Pattern(SHOTPATTERN_STRAIGHT_A, 2, 3, 1));
  ExpectPositions(left, {{585, 276}, {585, 308}, {585, 340}});
  EXPECT_DOUBLE_EQ(left[0].vx, -1.0);
  EXPECT_DOUBLE_EQ(left[0].vy, 0.0);
  ExpectPositions(Fire(Pattern(SHOTPATTERN_STRAIGHT_A, 3, 3, 1)), {{632, 276}, {632, 308}, {632, 340}});
  // Up: x = 616 - 2 x 8 - 3 x 8 = 576, y = 300 - 16.
  auto up = Fire(Pattern(SHOTPATTERN_STRAIGHT_A, 6, 3, 1));
  ExpectPositions(up, {{576, 284}, {608, 284}, {640, 284}});
  EXPECT_DOUBLE_EQ(up[0].vy, -1.0);
  // "前" for a shooter facing left is left; the offsets move the start.
  cEdShot front = Pattern(SHOTPATTERN_STRAIGHT_A, 0, 1);
  front.m_nOffsetX = 5, front.m_nOffsetY = -3;
  ExpectPositions(Fire(front), {{590, 305}});
  // A column standing on the shooter's bottom line (331): 331 - 16 + 1, then 16 higher.
  ExpectPositions(Fire(Pattern(SHOTPATTERN_STRAIGHT_B, 2, 2)), {{585, 316}, {585, 300}});
}

TEST_F(FireTest, DiagonalRowStartsBesideTheShooter) {
  // Up-left, one shot: xl = trunc(616 - K x (16 + 8 - 1) - 8), yt = trunc(316 - K x (16 + 8) - 8).
  const double k = 1 / std::sqrt(2.0);
  auto shots = Fire(Pattern(SHOTPATTERN_STRAIGHT_A, 8, 1));
  ExpectPositions(shots, {{static_cast<int>(616 - k * 23 - 8), static_cast<int>(316 - k * 24 - 8)}});
  EXPECT_DOUBLE_EQ(shots[0].vx, -k);
  EXPECT_DOUBLE_EQ(shots[0].vy, -k);
}

TEST_F(FireTest, MirroredAngleOfAShooterFacingRight) {
  shooter.m_bRight = 1;
  cEdShot s = Pattern(SHOTPATTERN_STRAIGHT_A, 0, 1);
  s.m_nAngle = 30;
  ExpectAngle(Fire(s)[0], 180 + 330);  // up and to the right
}

TEST_F(FireTest, SpreadAnglesAroundTheCentre) {
  const struct {
    int count, spread;
    std::vector<double> angles;
  } cases[] = {
      {2, 30, {-15, 15}},
      {3, 30, {-30, 0, 30}},
      {2, 31, {-15, 16}},  // the half degree is cut from -15.5
      {4, 10, {-15, -5, 5, 15}},
  };
  for (const auto& c : cases) {
    auto shots = Fire(Pattern(SHOTPATTERN_SPREAD, 2, c.count, c.spread));
    ASSERT_EQ(shots.size(), c.angles.size());
    for (size_t i = 0; i < shots.size(); ++i) {
      EXPECT_EQ(shots[i].x, 585);
      EXPECT_EQ(shots[i].y, 308);
      ExpectAngle(shots[i], c.angles[i]);
    }
  }
}

TEST_F(FireTest, ExplodeAndSurroundStepWholeDegreesAroundTheRing) {
  auto burst = Fire(Pattern(SHOTPATTERN_EXPLODE, 2, 4));
  ExpectPositions(burst, {{608, 308}, {608, 308}, {608, 308}, {608, 308}});
  for (int i = 0; i < 4; ++i) ExpectAngle(burst[static_cast<size_t>(i)], 90 * i);  // left, up, right, down
  auto seven = Fire(Pattern(SHOTPATTERN_EXPLODE, 2, 7));
  ASSERT_EQ(seven.size(), 7u);
  ExpectAngle(seven[6], 6 * 51);  // 360 / 7 in whole degrees
  EXPECT_TRUE(Fire(Pattern(SHOTPATTERN_EXPLODE, 2, 0)).empty());

  // Around the shooter at 2 hbl: the start is (320 + 296 - 8, 320 - 4 - 8) and each
  // ring offset is trunc(32 x cos u + 0.5), trunc(32 x sin u + 0.5).
  cEdShot ring = Pattern(SHOTPATTERN_SURROUND, 2, 4, 2);
  ring.m_nPatternBase = 2;
  auto around = Fire(ring);
  ExpectPositions(around, {{640, 308}, {608, 340}, {577, 308}, {608, 277}});
  for (int i = 0; i < 4; ++i) ExpectAngle(around[static_cast<size_t>(i)], 90 * i);  // toward the centre
  EXPECT_TRUE(Fire(Pattern(SHOTPATTERN_SURROUND, 2, 0, 2)).empty());
  ring.m_nPatternBase = 0;  // the shooter's target: it has none
  EXPECT_TRUE(Fire(ring).empty());
}

TEST_F(FireTest, ThunderColumnsCentreOnTheReference) {
  cEdShot s = Pattern(SHOTPATTERN_THUNDER, 3, 1, 0, 2, 1);
  s.m_nPatternBase = 2;
  // From the view's left edge (x 320); the reference's centre line is y 316.
  auto shots = Fire(s);
  ExpectPositions(shots, {{320, 300}, {320, 316}});
  EXPECT_DOUBLE_EQ(shots[0].vx, 1.0);
  // Three rows of three columns, 1 hbl apart in a row: each row 16 + 16 further right.
  s = Pattern(SHOTPATTERN_THUNDER, 3, 3, 1, 3, 1);
  s.m_nPatternBase = 2;
  shots = Fire(s);
  ASSERT_EQ(shots.size(), 9u);
  EXPECT_EQ(shots[0].y, 316 - 8 - 16);
  EXPECT_EQ(shots[3].x, 352);
  EXPECT_EQ(shots[8].x, 384);
  EXPECT_EQ(shots[8].y, 316 - 8 + 16);
  // A hostile column count is held to the editor's 50.
  s = Pattern(SHOTPATTERN_THUNDER, 3, 1, 0, 30000, 0);
  s.m_nPatternBase = 2;
  EXPECT_EQ(Fire(s).size(), 50u);
}

TEST_F(FireTest, RepeatsStepTheAngleAndDrawTheSpreadAnew) {
  // The run-time generator from seed 1, worked out here: x = x x 214013 + 2531011.
  unsigned x = 1;
  auto draw = [&x] {
    x = x * 214013u + 2531011u;
    return static_cast<int>((x >> 16) & 0x7FFF);
  };
  crt::srand(1);
  cEdShot s = Pattern(SHOTPATTERN_STRAIGHT_A, 2, 1);
  s.m_nRepeat = 2;
  s.m_nAngle = 20;
  s.m_nAngleStep = 10;
  s.m_nSpread = 5;
  auto shots = Fire(s);
  ASSERT_EQ(shots.size(), 3u);
  for (int n = 0; n < 3; ++n) ExpectAngle(shots[static_cast<size_t>(n)], 20 + 10 * n + draw() % 11 - 5);
  draw();  // one more is drawn after the last repeat
  EXPECT_EQ(crt::rand(), draw());
}

TEST_F(FireTest, AimedShotsFlyAtTheTarget) {
  cNpc& target = stage.AddNpc(3, 5);  // centre (13 x 32 + 16, 15 x 32 + 16) = (432, 496)
  shooter.m_nTargetNo = target.m_nNo;
  target.UpdateScreenRect();
  cEdShot s = Pattern(SHOTPATTERN_STRAIGHT_A, 2, 1);
  s.m_bAim = 1;
  auto shots = Fire(s);
  // From the start cell's centre (593, 316): trunc(atan2(dy, dx) in degrees + 180 + 0.5).
  const double tx = target.ScreenCentreX() + 320, ty = target.ScreenCentreY() + 320;
  const int angle = static_cast<int>(std::atan2(ty - 316, tx - 593) * 180 / kPi + 180 + 0.5);
  ExpectAngle(shots[0], angle);
  // Without a target: straight ahead.
  shooter.m_nTargetNo = kNoTarget;
  ExpectAngle(Fire(s)[0], 0);
}

TEST_F(FireTest, SummonsPlaceByThePatternOnlyWhatThePaletteHolds) {
  cPalette palette;
  palette.m_Charas.clear();
  cCharaDef chara = TinyStage::WalkerDef();
  chara.m_nGiant = 1;
  chara.m_nFlying = 1;
  palette.m_Charas.push_back(chara);
  chara.m_nOperator = 0;  // a player-controlled definition is never summoned
  palette.m_Charas.push_back(chara);
  CommonPalette = &palette;
  def = MakeCommand(CMD_SUMMON_CHARA, 0);
  cEdShot s = Pattern(SHOTPATTERN_STRAIGHT_A, 2, 1);
  const size_t before = stage.scene.CharaList.size();
  for (int index : {1, 2, -1}) {
    s.m_nSummonIndex = static_cast<std::int16_t>(index);
    SummonChara(shooter, cmd, s);
  }
  EXPECT_EQ(stage.scene.CharaList.size(), before);
  s.m_nSummonIndex = 0;
  SummonChara(shooter, cmd, s);
  ASSERT_EQ(stage.scene.CharaList.size(), before + 1);
  // A 32 x 32 cell left of the shooter, centred on its centre line 316.
  EXPECT_DOUBLE_EQ(stage.scene.CharaList.back().m_dY, 316 - 16);
  EXPECT_EQ(static_cast<int>(stage.scene.CharaList.back().m_dX), 600 + 1 - 32);
  CommonPalette = nullptr;
}
