// Whole-program runs of what characters do to each other in the sample
// project: the lift that carries the hero over the first stage's pit, the
// shooter's shots that take the hero's hit points and then its life, and the
// hero's sword and shot that defeat enemies for their score.
#include <algorithm>
#include <cstdio>
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

cStageData LoadStage(const fs::path& project, const std::string& file) {
  const fs::path previous = fs::current_path();
  fs::current_path(project);
  cStageData stage;
  const int loaded = stage.LoadFromFile(file, {});
  fs::current_path(previous);
  EXPECT_EQ(loaded, 1) << file;
  return stage;
}

void SaveStage(const fs::path& project, const std::string& file, cStageData& stage) {
  const fs::path previous = fs::current_path();
  fs::current_path(project);
  const int saved = stage.SaveToFile(file, {});
  fs::current_path(previous);
  EXPECT_EQ(saved, 1) << file;
}

Lift ReadLift(const fs::path& project) {
  const cStageData stage = LoadStage(project, "data\\stg4\\s01-1.stg4_696");
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

// A trace line with the play frame it belongs to: the lines before
// "Frame N hero" are frame N's, and those after the last one frame N + 1's.
struct Event {
  int frame;
  std::string line;
};

std::vector<Event> Events(const std::string& trace) {
  std::vector<Event> events;
  std::istringstream lines(trace);
  size_t open = 0;
  int frame = 0;
  for (std::string line; std::getline(lines, line);) {
    if (std::sscanf(line.c_str(), "Frame %d hero", &frame) != 1) {
      events.push_back({0, line});
      continue;
    }
    for (size_t i = open; i < events.size(); ++i) events[i].frame = frame;
    open = events.size();
  }
  for (size_t i = open; i < events.size(); ++i) events[i].frame = frame + 1;
  return events;
}

bool StartsWith(const std::string& line, const std::string& prefix) { return line.rfind(prefix, 0) == 0; }

// The placed character whose first flow fires shots: the shooter.
const cCharaDef* FindShooter(const cStageData& stage) {
  for (const cCharaDef& c : stage.m_PlacedCharas)
    if (!c.m_vFlows.empty() && !c.m_vFlows[0].m_vCommands.empty() && c.m_vFlows[0].m_vCommands[0].m_nType == CMD_SHOT)
      return &c;
  return nullptr;
}

// Alone with the shooter, one cell before it, the hero stands still. The
// shooter fires in play frame 1 and then every 1 + 6 x pause frames; each
// shot starts 3 dots, one frame's flight, from the hero's damage box and is
// tested from the logic step after its firing on (it is then on screen), so
// it hits in the frame it is fired, once (it pierces), taking power - defence HP. The
// hit that takes the last HP loses the hero: sound 8, and once its vanish
// effect is over the attempt ends lost.
TEST_F(PlayerRun, TheShooterTakesTheHerosHitPointsAndThenALife) {
  UseSampleProject();
  const std::string file = "data\\stg4\\c02-1.stg4_696";
  cStageData stage = LoadStage(project.Path(), file);
  const cCharaDef* placed = FindShooter(stage);
  ASSERT_NE(placed, nullptr);
  const cCharaDef shooter = *placed;
  cCharaDef hero = stage.m_PlacedCharas.VecAt(0);
  ASSERT_EQ(hero.m_nOperator, 0);
  hero.m_nMapX = static_cast<std::int16_t>(shooter.m_nMapX - 1);
  hero.m_nMapY = shooter.m_nMapY;
  stage.m_PlacedCharas = {hero, shooter};
  SaveStage(project.Path(), file, stage);

  const cFlow& fire = shooter.m_vFlows[0];
  const cEdShot& shot = *fire.m_vCommands[0].m_pShot;
  ASSERT_EQ(shot.m_bPierceChara, 1);
  const int period = 1 + fire.m_vCommands.VecAt(1).m_nTime * 6;
  const int loss = shot.m_nPower - hero.m_nDefence;
  ASSERT_GT(loss, 0);
  const int hits = (hero.m_nMaxHp + loss - 1) / loss;
  env["ZANDREL_FRAMES"] = std::to_string(300 + hits * period + 200);
  ASSERT_EQ(Run("data\\stg4\\c02-1.stg4"), 0) << Read("Report_Game.txt");

  const std::vector<Event> events = Events(Read("trace.txt"));
  std::vector<Event> heroHits;
  size_t lost = 0, lossSound = 0;
  for (size_t i = 0; i < events.size() && !lost; ++i) {
    if (StartsWith(events[i].line, "Hit 0 ")) heroHits.push_back(events[i]);
    if (events[i].line == "sound 8" && !lossSound) lossSound = i;
    if (events[i].line == "Stage end lost") lost = i;
  }
  ASSERT_EQ(static_cast<int>(heroHits.size()), hits);
  for (int k = 0; k < hits; ++k) {
    EXPECT_EQ(heroHits[static_cast<size_t>(k)].frame, 1 + k * period) << "hit " << k;
    EXPECT_EQ(heroHits[static_cast<size_t>(k)].line,
              "Hit 0 hp " + std::to_string(std::max(hero.m_nMaxHp - (k + 1) * loss, 0)));
  }
  ASSERT_GT(lossSound, 0u);
  EXPECT_EQ(events[lossSound].frame, heroHits.back().frame) << "lost in the frame of the last hit";
  EXPECT_GT(lost, lossSound) << "the attempt ends lost";
}

// Two enemies stand still before the hero: one a cell away, in the sword's
// reach, the other six cells away. The sword swung on button 2 defeats the
// first in the frame it is swung; the shot fired on button 3 flies 6 dots a
// frame and defeats the second in the frame its hit box first reaches the
// enemy's damage box. Each defeat adds the enemy's score.
TEST_F(PlayerRun, TheSwordAndAShotDefeatEnemiesForTheirScore) {
  UseSampleProject();
  const std::string file = "data\\stg4\\Default.stg4_696";
  cStageData stage = LoadStage(project.Path(), file);
  const cCharaDef hero = stage.m_PlacedCharas.VecAt(0);
  cCharaDef enemy = stage.m_PlacedCharas.VecAt(1);
  ASSERT_NE(enemy.m_nGroup, hero.m_nGroup);
  enemy.m_vFlows.clear();
  enemy.m_nMapY = hero.m_nMapY;
  cCharaDef nearEnemy = enemy, farEnemy = enemy;
  nearEnemy.m_nMapX = static_cast<std::int16_t>(hero.m_nMapX + 1);
  farEnemy.m_nMapX = static_cast<std::int16_t>(hero.m_nMapX + 6);
  stage.m_PlacedCharas = {hero, nearEnemy, farEnemy};
  SaveStage(project.Path(), file, stage);
  // The hero's shot: its speed in tenths of a dot a frame, and a 16-dot hit box.
  const cFlowCommand* heroShot = nullptr;
  for (const cFlow& flow : hero.m_vFlows)
    if (!flow.m_vCommands.empty() && flow.m_vCommands[0].m_nType == CMD_SHOT) heroShot = &flow.m_vCommands[0];
  ASSERT_NE(heroShot, nullptr);
  const int speed = heroShot->m_pShot->m_nSpeed / 10;
  ASSERT_EQ(speed * 10, heroShot->m_pShot->m_nSpeed);
  ASSERT_EQ(stage.m_ExtraBox[2].cx, 16);

  UseInput("300\n1 X\n60\n1 C\n");
  env["ZANDREL_FRAMES"] = "500";
  ASSERT_EQ(Run("data\\stg4\\Default.stg4"), 0) << Read("Report_Game.txt");
  const std::vector<Event> events = Events(Read("trace.txt"));
  int swung = 0, fired = 0, firedX = 0;
  std::vector<Event> downs;
  for (const Event& e : events) {
    int no = 0, x = 0, y = 0;
    char what[16] = {};
    if (std::sscanf(e.line.c_str(), "Shot %d %15s %d,%d", &no, what, &x, &y) == 4) {
      if (std::string(what) == "swung") swung = e.frame;
      if (std::string(what) == "fired") fired = e.frame, firedX = x;
    }
    if (StartsWith(e.line, "Down ")) downs.push_back(e);
  }
  ASSERT_GT(swung, 0);
  ASSERT_GT(fired, swung);
  ASSERT_EQ(downs.size(), 2u) << Read("trace.txt");
  EXPECT_EQ(downs[0].frame, swung);
  EXPECT_EQ(downs[0].line, "Down 1 score " + std::to_string(nearEnemy.m_nScore));
  // The far enemy's 30-dot damage box is centred on its cell: its left edge is
  // 1.5 dots into the cell. The shot's box reaches it once its right edge
  // (traced x + 15, moved `speed` a frame from its first step on) is 2 in.
  const int boxLeft = (farEnemy.m_nMapX + 10) * 32 + 2;
  int frames = 1;
  while (firedX + frames * speed + 15 < boxLeft) ++frames;
  EXPECT_EQ(downs[1].frame, fired + frames - 1);
  EXPECT_EQ(downs[1].line, "Down 2 score " + std::to_string(nearEnemy.m_nScore + farEnemy.m_nScore));
}

}  // namespace
