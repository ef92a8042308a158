// Whole-program runs of what characters do to each other in the sample
// project: the lift that carries the hero over the first stage's pit.
#include <algorithm>
#include <string>
#include <vector>

#include "PlayerRun.h"
#include "records/FlowEnums.h"
#include "records/StageData.h"

namespace {

using namespace e2e;

// The sample hero: a 16 x 24 body standing on the floor whose top row is 13.
constexpr double kHeroWidth = 16;
constexpr double kStandY = (13 + 10) * 32 - 24;

// The lift of the first stage as its stage file describes it.
struct Lift {
  double left = 0;       // its x at the start, in map dots
  double perFrame = 0;   // dots a frame while it moves
  int moveFrames = 0;    // frames of each way
  int periodFrames = 0;  // both ways and the rest
  double pitLeft = 0, pitRight = 0;

  // Its x movement in play frame f (1-based): its flow starts in frame 1 and
  // again in the frame after each run ends.
  double MoveIn(int f) const {
    const int phase = (f - 1) % periodFrames;
    if (phase < moveFrames) return perFrame;
    if (phase < 2 * moveFrames) return -perFrame;
    return 0;
  }
};

Lift ReadLift(const fs::path& project) {
  const fs::path previous = fs::current_path();
  fs::current_path(project);
  cStageData stage;
  const int loaded = stage.LoadFromFile("data\\stg4\\s01-1.stg4_696", {});
  fs::current_path(previous);
  EXPECT_EQ(loaded, 1);
  Lift lift;
  for (const cCharaDef& c : stage.m_PlacedCharas) {
    if (!c.m_bBlockChara) continue;
    // Placed on a cell: its 32 x 32 body's left edge half a dot in.
    lift.left = (c.m_nMapX + 10) * 32 + 0.5;
    const cFlow& flow = c.m_vFlows.VecAt(0);
    const cFlowCommand& right = flow.m_vCommands.VecAt(0);
    EXPECT_EQ(right.m_nType, CMD_STRAIGHT_MOVE);
    lift.perFrame = right.m_pMove->m_nSpeed / 10.0;
    lift.moveFrames = right.m_nTime * 6;
    lift.periodFrames = (2 * right.m_nTime + flow.m_vCommands.VecAt(2).m_nTime) * 6;
  }
  lift.pitLeft = 1e9;
  for (const cBlockDef& b : stage.m_PlacedBlocks)
    if (b.m_nHitKind == kBlockHitDeadly) {
      lift.pitLeft = std::min(lift.pitLeft, (b.m_nMapX + 10) * 32.0);
      lift.pitRight = std::max(lift.pitRight, (b.m_nMapX + 11) * 32.0);
    }
  return lift;
}

// The hero walks right onto the resting lift and stops on it; from the lift's
// next trip on, its traced x moves exactly as the lift moves: across the pit
// and back, at the floor's height, never falling.
TEST_F(PlayerRun, TheLiftCarriesTheHeroAcrossThePit) {
  UseSampleProject();
  const Lift lift = ReadLift(project.Path());
  ASSERT_GT(lift.perFrame, 0);
  ASSERT_GT(lift.periodFrames, 2 * lift.moveFrames);
  // Idle through the fade-in and caption, then walk right (over the spring and
  // the upper platform) to a stop on the lift while it rests at the pit's left edge.
  UseInput("300\n335 RIGHT\n");
  env["ZANDREL_FRAMES"] = "1000";
  ASSERT_EQ(Run("data\\stg4\\s01-1.stg4"), 0) << Read("Report_Game.txt");

  const std::string trace = Read("trace.txt");
  EXPECT_EQ(trace.find("Dead"), std::string::npos);
  EXPECT_EQ(trace.find("\nsound 8\n"), std::string::npos);
  const std::vector<HeroAt> track = HeroTrack(trace);
  // The trip after the hero came to rest on the lift.
  int boarded = 0;
  for (size_t i = 1; i < track.size() && !boarded; ++i)
    if (track[i].y == kStandY && track[i].x > lift.pitLeft && track[i].x == track[i - 1].x)
      boarded = static_cast<int>(i) + 1;
  ASSERT_GT(boarded, 0) << "never stood still over the pit";
  const int firstTrip = (boarded - 1) / lift.periodFrames * lift.periodFrames + lift.periodFrames + 1;
  ASSERT_LT(firstTrip + 2 * lift.moveFrames, static_cast<int>(track.size())) << "the run ends before a whole trip";
  double crossed = 0;
  for (int f = boarded + 1; f <= firstTrip + 2 * lift.moveFrames; ++f) {
    const HeroAt& at = track[static_cast<size_t>(f - 1)];
    const double dx = at.x - track[static_cast<size_t>(f - 2)].x;
    ASSERT_EQ(dx, lift.MoveIn(f)) << "frame " << f;
    ASSERT_EQ(at.y, kStandY) << "frame " << f;
    EXPECT_GT(at.x + kHeroWidth, lift.pitLeft);
    EXPECT_LT(at.x, lift.pitRight);
    crossed += dx > 0 ? dx : 0;
  }
  EXPECT_EQ(crossed, lift.perFrame * lift.moveFrames);
}

}  // namespace
