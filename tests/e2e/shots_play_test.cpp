// Whole-program runs of shots and swords in the sample project: the shooter
// of the second challenge stage fires at the hero on its timetable, its shots
// pierce the hero and fly out of the view, and the hero swings its sword and
// shoots on buttons 2 and 3, the shot defeating the shooter.
#include <cstdio>
#include <string>
#include <vector>

#include "PlayerRun.h"
#include "records/FlowEnums.h"
#include "records/StageData.h"

namespace {

using namespace e2e;

struct ShotEvent {
  int frame;  // play frame, 1-based
  int no;
  std::string what;  // fired, swung or gone
  int x, y;
  std::string before;  // the trace line before it
};

// Each shot line of the trace with the play frame it belongs to: the lines
// before "Frame N hero" are frame N's.
std::vector<ShotEvent> ShotEvents(const std::string& trace) {
  std::vector<ShotEvent> events;
  std::istringstream lines(trace);
  std::string line, previous;
  size_t open = 0;
  int frame = 0;
  while (std::getline(lines, line)) {
    char what[16] = {};
    ShotEvent e{};
    if (std::sscanf(line.c_str(), "Frame %d hero", &frame) == 1) {
      for (size_t i = open; i < events.size(); ++i) events[i].frame = frame;
      open = events.size();
    } else if (std::sscanf(line.c_str(), "Shot %d %15s %d,%d", &e.no, what, &e.x, &e.y) == 4) {
      e.what = what;
      e.before = previous;
      events.push_back(e);
    }
    previous = line;
  }
  return events;
}

// The shooter of stage c02-1 as its stage file places it: its column and the
// tenths of a second its flow waits after each shot.
struct Shooter {
  int left = 0;  // map dots
  int pause = 0;
  int speed = 0;  // tenths of a dot a frame
};

Shooter ReadShooter(const fs::path& project) {
  const fs::path previous = fs::current_path();
  fs::current_path(project);
  cStageData stage;
  EXPECT_EQ(stage.LoadFromFile("data\\stg4\\c02-1.stg4_696", {}), 1);
  fs::current_path(previous);
  Shooter s;
  for (const cCharaDef& c : stage.m_PlacedCharas) {
    if (c.m_vFlows.empty() || c.m_vFlows[0].m_vCommands.empty()) continue;
    const cFlow& flow = c.m_vFlows[0];
    if (flow.m_vCommands[0].m_nType != CMD_SHOT) continue;
    s.left = (c.m_nMapX + 10) * 32;
    s.speed = flow.m_vCommands[0].m_pShot->m_nSpeed;
    s.pause = flow.m_vCommands.VecAt(1).m_nTime;
  }
  return s;
}

TEST_F(PlayerRun, TheShooterFiresOnItsTimetableAndTheHeroSwingsAndShoots) {
  UseSampleProject();
  const Shooter shooter = ReadShooter(project.Path());
  ASSERT_GT(shooter.left, 0) << "no shooter on the stage";
  // Idle through the fade-in and the caption, then button 2 (X), later button 3 (C).
  UseInput("300\n1 X\n60\n1 C\n");
  env["ZANDREL_FRAMES"] = "700";
  env["ZANDREL_SHOT"] = "310:" + (project / "shot.bmp").string();
  ASSERT_EQ(Run("data\\stg4\\c02-1.stg4"), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  const std::vector<HeroAt> track = HeroTrack(trace);
  ASSERT_GT(track.size(), 300u);
  const std::vector<ShotEvent> events = ShotEvents(trace);

  // The hero's shot (fired to the right, well before the shooter) is spent on
  // the shooter, which it defeats: it goes before it passes the shooter's cell.
  int defeated = 0;
  for (const ShotEvent& fired : events)
    if (fired.what == "fired" && fired.x < shooter.left - 64)
      for (const ShotEvent& gone : events)
        if (gone.no == fired.no && gone.what == "gone") {
          EXPECT_LT(gone.x, shooter.left + 32);
          defeated = gone.frame;
        }
  ASSERT_GT(defeated, 0) << "the hero's shot never hit the shooter";

  // The flow fires in its first step and waits 6 x pause frames of logic
  // steps, which end in the first step of a frame; it starts again in the
  // next frame: a volley every 1 + pause x 6 frames from play frame 1, until
  // the frame of its defeat (its flow runs before the hits of the frame).
  const int period = 1 + shooter.pause * 6;
  std::vector<int> volleys, expected;
  for (const ShotEvent& e : events)
    if (e.what == "fired" && e.x > shooter.left - 32 && e.x < shooter.left) volleys.push_back(e.frame);
  for (int f = 1; f <= defeated; f += period) expected.push_back(f);
  EXPECT_EQ(volleys, expected);

  // Each flies to the left, past the hero, and leaves the view (x 320 on)
  // before it reaches the world's edge, where it is removed.
  int passed = 0;
  for (const ShotEvent& fired : events) {
    if (fired.what != "fired" || fired.x < shooter.left - 32 || fired.x >= shooter.left) continue;
    EXPECT_EQ(fired.before.rfind("sound ", 0), 0u) << "the volley's sound comes first";
    for (const ShotEvent& gone : events)
      if (gone.no == fired.no && gone.what == "gone") {
        EXPECT_LE(gone.x, 0);
        EXPECT_GE(gone.frame - fired.frame, (fired.x - 320 + 16) * 10 / shooter.speed);
        ++passed;
      }
  }
  EXPECT_GE(passed, 2);

  // The sword on button 2 and a shot ahead (to the right) on button 3.
  int swords = 0, heroShots = 0;
  for (const ShotEvent& e : events) {
    if (e.what == "swung") ++swords;
    if (e.what == "fired" && e.x < shooter.left - 64) {
      ++heroShots;
      const HeroAt& hero = track[static_cast<size_t>(e.frame - 1)];
      EXPECT_GT(e.x, hero.x) << "ahead of the hero, who faces right";
    }
  }
  EXPECT_EQ(swords, 1);
  EXPECT_EQ(heroShots, 1);

  // A second run draws the same frames.
  const std::string frames = Read("frames.log");
  fs::remove(project / "frames.log");
  ASSERT_EQ(Run("data\\stg4\\c02-1.stg4"), 0);
  EXPECT_TRUE(Read("frames.log") == frames) << "the second run drew other frames";
}

}  // namespace
