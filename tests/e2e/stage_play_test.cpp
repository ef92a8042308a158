// Whole-program runs of the sample project's stages: the hero lost on the
// spikes of a pit restarts until its lives run out, the bridge that appears
// over that pit after a few seconds carries it across, and the free stage's
// spring and upper platform lead it to the goal item that clears the stage.
#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "PlayerRun.h"
#include "app/Scene.h"
#include "gamedata/SystemData.h"
#include "platform/HostPath.h"
#include "platform/display/Bitmap.h"
#include "records/BlockDef.h"
#include "records/FlowEnums.h"
#include "records/ItemDef.h"
#include "records/StageData.h"

namespace {

using namespace e2e;

// The sample hero starts in column 2 of every stage, its 16-dot body centred
// in the cell, the 10-cell margin before it, and stands on the floor whose top
// row is 13: its 24-dot body ends at the top of that row.
constexpr double kHeroWidth = 16;
constexpr double kHeroHeight = 24;
constexpr double kStartX = (2 + 10) * 32 + 8 + 0.5;
constexpr double kStandY = (13 + 10) * 32 - kHeroHeight;
// The hero's walk flow moves 25 tenths of a dot per frame.
constexpr double kWalkPerFrame = 2.5;
constexpr const char* kPitStage = "c02-1";

// The parts of a sample stage's layout the runs depend on, read from its file.
struct PitLayout {
  double left = 0, right = 0;  // dots: the pit's first and one past its last column
  int bridgeFrame = 0;         // the play frame in which its bridge appears
};

// Loads a record of the project with the project folder as the working folder.
template <typename Record>
void LoadProjectRecord(const fs::path& project, const std::string& stored, Record& record) {
  const fs::path previous = fs::current_path();
  fs::current_path(project);
  const int loaded = record.LoadFromFile(stored, {});
  fs::current_path(previous);
  ASSERT_EQ(loaded, 1) << stored;
}

PitLayout ReadPitLayout(const fs::path& project) {
  cStageData stage;
  LoadProjectRecord(project, std::string("data\\stg4\\") + kPitStage + ".stg4_696", stage);
  PitLayout pit{1e9, 0, 0};
  for (const cBlockDef& block : stage.m_PlacedBlocks) {
    const double x = (block.m_nMapX + 10) * 32.0;
    if (block.m_nHitKind == kBlockHitDeadly) {
      pit.left = std::min(pit.left, x);
      pit.right = std::max(pit.right, x + 32);
    }
    // The bridge stands once the seconds left have fallen to its condition's value;
    // the time limit counts down once every 60 frames.
    if (!block.m_vConditions.empty())
      pit.bridgeFrame = (stage.m_nTimeLimit - block.m_vConditions.front().m_nValue) * 60;
  }
  return pit;
}

// One attempt of a stage: the hero's traced positions from its set-up on, and
// how it ended ("" while it still ran).
struct Attempt {
  int setUpX = -1, setUpY = -1;  // where the set-up placed the hero, in whole dots
  std::vector<HeroAt> track;
  std::vector<std::string> deaths;
  std::string end;
};

std::vector<Attempt> Attempts(const std::string& trace) {
  std::vector<Attempt> attempts;
  std::istringstream lines(trace);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "In SetStage") attempts.emplace_back();
    if (attempts.empty()) continue;
    Attempt& now = attempts.back();
    HeroAt at{};
    int frame = 0;
    if (std::sscanf(line.c_str(), "Frame %d hero %lf,%lf", &frame, &at.x, &at.y) == 3) now.track.push_back(at);
    if (line.rfind("SetStage seed=", 0) == 0)
      std::sscanf(line.c_str() + line.find(" hero="), " hero=%d,%d", &now.setUpX, &now.setUpY);
    if (line.rfind("Dead ", 0) == 0) now.deaths.push_back(line);
    if (line.rfind("Stage end ", 0) == 0) now.end = line.substr(10);
  }
  return attempts;
}

// Free play from the title counts lives. Walking right at once takes the hero
// into the pit before its bridge is there: each loss restarts the stage with
// the hero back at its start, and the loss after the last life ends the game.
TEST_F(PlayerRun, HeroLostOnSpikesRestartsUntilItsLivesRunOut) {
  UseSampleProject();
  const PitLayout pit = ReadPitLayout(project.Path());
  cSystemData system;
  LoadProjectRecord(project.Path(), "data\\System.dat", system);
  ASSERT_EQ(system.m_UnlimitedLives.VecAt(GAMEMODE_FREE), 0);
  // Free play starts with one life fewer than its initial lives in reserve.
  const int losses = system.m_InitialLives.VecAt(GAMEMODE_FREE);
  ASSERT_GE(losses, 2);

  UseInput("40\n1 DOWN\n2\n1 DOWN\n2\n1 DOWN\n2\n1 Z\n2000 RIGHT\n");
  std::ofstream(project / "answers.txt") << "file data/stg4/" << kPitStage << ".stg4_696\n";
  env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
  env["ZANDREL_FRAMES"] = "900";
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");

  const std::string trace = Read("trace.txt");
  const std::vector<Attempt> attempts = Attempts(trace);
  ASSERT_EQ(attempts.size(), static_cast<size_t>(losses)) << trace.substr(0, 2000);
  // Each loss plays the system sound of a lost hero.
  size_t lossSounds = 0;
  for (size_t at = trace.find("\nsound 8\n"); at != std::string::npos; at = trace.find("\nsound 8\n", at + 1))
    ++lossSounds;
  EXPECT_EQ(lossSounds, static_cast<size_t>(losses));
  for (int i = 0; i < losses; ++i) {
    SCOPED_TRACE("attempt " + std::to_string(i + 1));
    const Attempt& attempt = attempts[static_cast<size_t>(i)];
    EXPECT_EQ(attempt.setUpX, static_cast<int>(kStartX));
    EXPECT_EQ(attempt.setUpY, static_cast<int>(kStandY));
    // Right is held from the first play frame on.
    ASSERT_FALSE(attempt.track.empty());
    EXPECT_EQ(attempt.track.front().x, kStartX + kWalkPerFrame);
    // Lost once, on the spikes below the floor, with the hero over the pit.
    ASSERT_EQ(attempt.deaths.size(), 1u);
    EXPECT_EQ(attempt.deaths.front(), "Dead 4");
    const auto lowest = std::max_element(attempt.track.begin(), attempt.track.end(),
                                         [](const HeroAt& a, const HeroAt& b) { return a.y < b.y; });
    EXPECT_GT(lowest->y, kStandY + 16);
    EXPECT_GT(lowest->x + kHeroWidth, pit.left);
    EXPECT_LT(lowest->x, pit.right);
    // The bridge was not there yet when the hero fell.
    EXPECT_LT(std::distance(attempt.track.begin(), lowest), pit.bridgeFrame);
    EXPECT_EQ(attempt.end, i + 1 < losses ? "lost" : "gameover");
  }
}

// Started directly on the stage, the hero waits until the bridge has appeared
// and then walks over the pit at the height of the floor. The stage's shooter
// hits the hero while it waits, and would take its last HP as it walks past;
// a hero with invincibility setting 1 ("ON (ショットが当たる)") is hit but
// loses no HP, and nothing in the stage knocks it back, so its walk is the
// one it would be without the hits.
TEST_F(PlayerRun, BridgeAppearsOverThePitAndCarriesTheHero) {
  UseSampleProject();
  {
    const std::string file = std::string("data\\stg4\\") + kPitStage + ".stg4_696";
    cStageData stage;
    LoadProjectRecord(project.Path(), file, stage);
    stage.m_PlacedCharas.VecAt(static_cast<size_t>(stage.FindHero())).m_nInvincible = 1;
    const fs::path previous = fs::current_path();
    fs::current_path(project.Path());
    ASSERT_EQ(stage.SaveToFile(file, {}), 1);
    fs::current_path(previous);
  }
  const PitLayout pit = ReadPitLayout(project.Path());
  ASSERT_GT(pit.bridgeFrame, 0);
  // Long enough for the walk from the start to beyond the pit.
  const int walk = static_cast<int>((pit.right - kStartX) / kWalkPerFrame) + 20;
  // The fade-in and the stage's caption come first; they take input steps but no play frames.
  constexpr int kFramesBeforePlay = 200;
  const int wait = kFramesBeforePlay + pit.bridgeFrame;
  UseInput(std::to_string(wait) + "\n" + std::to_string(walk) + " RIGHT\n");
  env["ZANDREL_FRAMES"] = std::to_string(wait + walk);
  ASSERT_EQ(Run(std::string("data\\stg4\\") + kPitStage + ".stg4"), 0) << Read("Report_Game.txt");

  const std::vector<Attempt> attempts = Attempts(Read("trace.txt"));
  ASSERT_EQ(attempts.size(), 1u);
  const Attempt& attempt = attempts.front();
  EXPECT_TRUE(attempt.deaths.empty());
  EXPECT_EQ(attempt.end, "");
  int firstOverPit = -1;
  for (size_t frame = 0; frame < attempt.track.size(); ++frame) {
    const HeroAt& at = attempt.track[frame];
    if (at.x + kHeroWidth <= pit.left || at.x >= pit.right) continue;
    if (firstOverPit < 0) firstOverPit = static_cast<int>(frame) + 1;
    EXPECT_NEAR(at.y, kStandY, 1.0) << "frame " << frame + 1 << " at x " << at.x;
  }
  ASSERT_GT(firstOverPit, pit.bridgeFrame);
  EXPECT_GE(attempt.track.back().x, pit.right);
}

// Holding Right on the free stage: the hero walks onto the spring in the
// floor, lands on the upper platform, walks off it and on to the goal, whose
// touch clears the stage.
TEST_F(PlayerRun, SpringAndUpperPlatformLeadTheHeroToTheGoal) {
  UseSampleProject();
  cStageData stage;
  LoadProjectRecord(project.Path(), "data\\stg4\\Default.stg4_696", stage);
  int springColumn = -1;
  for (const cBlockDef& b : stage.m_PlacedBlocks)
    if (b.m_nEffectKind == 1) springColumn = b.m_nMapX;
  ASSERT_GE(springColumn, 0);
  int upperRow = 99;
  for (const cBlockDef& b : stage.m_PlacedBlocks)
    if (b.m_nMapX > springColumn && b.m_nHitKind == kBlockHitSolid) upperRow = std::min<int>(upperRow, b.m_nMapY);
  auto goal = std::find_if(stage.m_PlacedItems.begin(), stage.m_PlacedItems.end(), [](const cItemDef& item) {
    return !item.m_vCommands.empty() && item.m_vCommands.front().m_nType == ITEMCMD_STAGE_CLEAR;
  });
  ASSERT_NE(goal, stage.m_PlacedItems.end());
  const double goalLeft = (goal->m_nMapX + 10) * 32.0;
  const double onUpperPlatform = (upperRow + 10) * 32.0 - kHeroHeight;

  // The walk to the goal, and the fade-in and caption before play.
  const int frames = static_cast<int>((goalLeft - kStartX) / kWalkPerFrame) + 200;
  UseInput(std::to_string(frames) + " RIGHT\n");
  env["ZANDREL_FRAMES"] = std::to_string(frames);
  ASSERT_EQ(Run("data\\stg4\\Default.stg4"), 0) << Read("Report_Game.txt");

  const std::vector<Attempt> attempts = Attempts(Read("trace.txt"));
  // A cleared free stage may start over; the first attempt is the one walked.
  ASSERT_GE(attempts.size(), 1u);
  const Attempt& attempt = attempts.front();
  EXPECT_TRUE(attempt.deaths.empty());
  EXPECT_EQ(attempt.end, "clear");
  EXPECT_TRUE(std::any_of(attempt.track.begin(), attempt.track.end(), [&](const HeroAt& at) {
    return std::fabs(at.y - onUpperPlatform) < 1;
  })) << "never stood on the upper platform";
  ASSERT_FALSE(attempt.track.empty());
  // The goal was touched within a cell of its own.
  EXPECT_GT(attempt.track.back().x + kHeroWidth, goalLeft - 32);
  EXPECT_LT(attempt.track.back().x, goalLeft + 32);
}

// Started on the pit stage with Right held, the hero falls onto the spikes
// and vanishes through the sample's mosaic effect: a frame of the vanish
// shows block colours (averages of the body's pixels) that the frame before
// the loss does not hold, and the runs repeat each other frame for frame.
TEST_F(PlayerRun, HeroVanishesThroughItsMosaicEffect) {
  UseSampleProject();
  UseInput("200\n400 RIGHT\n");
  constexpr int kFrames = 360;
  env["ZANDREL_FRAMES"] = std::to_string(kFrames);
  const std::string stage = std::string("data\\stg4\\") + kPitStage + ".stg4";
  ASSERT_EQ(Run(stage), 0) << Read("Report_Game.txt");
  const std::string frames = Read("frames.log"), trace = Read("trace.txt");
  // Play frames are numbered in the trace from the end of the stage's
  // caption, the longest run of one unchanging frame before play.
  int deathPlay = 0, playFrame = 0;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line) && deathPlay == 0;) {
    std::sscanf(line.c_str(), "Frame %d hero", &playFrame);
    if (line.rfind("Dead ", 0) == 0) deathPlay = playFrame + 1;
  }
  ASSERT_GT(deathPlay, 0) << trace.substr(0, 2000);
  int captionEnd = 0, longest = 0, run = 0, frame = 0;
  std::string previous, crc;
  std::istringstream log(frames);
  for (std::string scene; log >> frame >> scene >> crc; previous = crc) {
    run = crc == previous ? run + 1 : 1;
    if (run > longest) longest = run, captionEnd = frame;
  }
  const int death = captionEnd + deathPlay;  // the handed-over frame of the loss
  SCOPED_TRACE("loss in frame " + std::to_string(death));

  auto shot = [&](int frame) {
    env["ZANDREL_SHOT"] = std::to_string(frame) + ":" + (project / "shot.bmp").string();
    EXPECT_EQ(Run(stage), 0) << Read("Report_Game.txt");
    auto bitmap = platform::display::LoadBitmapFile(platform::FromHostPath(project / "shot.bmp").value());
    std::set<std::uint32_t> colours;
    for (int y = 0; bitmap && y < bitmap->height; ++y)
      for (int x = 0; x < bitmap->width; ++x) colours.insert(bitmap->Colour(x, y));
    return colours;
  };
  // The mosaic of 0.5 s grows its blocks from 1 to 12 dots: half way in.
  fs::remove(project / "frames.log");
  const std::set<std::uint32_t> vanishing = shot(death + 15);
  EXPECT_EQ(Read("frames.log"), frames);
  const std::set<std::uint32_t> plain = shot(death - 1);
  ASSERT_FALSE(plain.empty());
  std::vector<std::uint32_t> blockColours;
  std::set_difference(vanishing.begin(), vanishing.end(), plain.begin(), plain.end(), std::back_inserter(blockColours));
  EXPECT_FALSE(blockColours.empty()) << vanishing.size() << " " << plain.size();
}

}  // namespace
