// Whole-program runs of where stage play stops and how it ends: the pause
// menu resumes, retries and quits to the title; a clear shows its banner,
// grants an extra life and registers the result under the name typed into
// the dialog; a cleared stage of a series goes on to the series' next stage.
#include <algorithm>
#include <string>
#include <vector>

#include "PlayerRun.h"
#include "gamedata/Ranking.h"
#include "records/FlowEnums.h"
#include "records/StageData.h"

namespace {

using namespace e2e;

constexpr const char* kToFreePlay = "40\n1 DOWN\n2\n1 DOWN\n2\n1 DOWN\n2\n1 Z\n";
// The title's steps above, the title's fade-out, the stage's fade-in and its
// caption: the first play frame reads input step 229.
constexpr int kFirstPlayStep = 229;
constexpr int kTitleSteps = 49;
constexpr double kStartX = (2 + 10) * 32 + 8 + 0.5;
constexpr double kWalkPerFrame = 2.5;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The position of `line` in `lines` at or after `from`; lines.size() when absent.
size_t Find(const std::vector<std::string>& lines, const std::string& line, size_t from = 0) {
  return static_cast<size_t>(
      std::find(lines.begin() + static_cast<long>(std::min(from, lines.size())), lines.end(), line) - lines.begin());
}

size_t Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

class StageEndRun : public PlayerRun {
 protected:
  template <typename Record>
  void LoadRecord(const std::string& stored, Record& record) {
    const fs::path previous = fs::current_path();
    fs::current_path(project.Path());
    const int loaded = record.LoadFromFile(stored, {});
    fs::current_path(previous);
    ASSERT_EQ(loaded, 1) << stored;
  }
  void PlayFree(const std::string& stage, const std::string& input, const std::string& moreAnswers, int frames) {
    UseInput(std::string(kToFreePlay) + input);
    std::ofstream(project / "answers.txt") << "file data/stg4/" << stage << ".stg4_696\n" << moreAnswers;
    env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
    env["ZANDREL_FRAMES"] = std::to_string(frames);
    ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  }
};

// The pause key stops play (Right held meanwhile moves nothing), resume goes
// on, retry sets the stage up again (its two captions take 158 frames), quit
// fades out to the title.
TEST_F(StageEndRun, PauseResumesRetriesAndQuitsToTheTitle) {
  UseSampleProject();
  const int wait = kFirstPlayStep - kTitleSteps - 1;
  PlayFree("Default",
           std::to_string(wait) +
               "\n30 RIGHT\n1 SPACE\n20 RIGHT\n1 Z\n30 RIGHT\n1 SPACE\n2\n1 DOWN\n2\n1 Z\n"
               "200\n1 SPACE\n2\n1 UP\n2\n1 Z\n80\n",
           "", 700);
  const std::vector<std::string> trace = Lines(Read("trace.txt"));
  EXPECT_EQ(Count(trace, "sound 4"), 3u);  // three pauses
  const size_t firstSetUp = Find(trace, "In SetStage");
  const size_t retry = Find(trace, "In SetStage", firstSetUp + 1);
  ASSERT_LT(retry, trace.size()) << "no retry";
  EXPECT_EQ(Count(trace, "In SetStage"), 2u);
  // The first attempt walked 60 frames: the 20 frames of Right during the pause moved nothing.
  std::vector<HeroAt> first;
  for (size_t i = firstSetUp; i < retry; ++i) {
    HeroAt at{};
    int frame = 0;
    if (std::sscanf(trace[i].c_str(), "Frame %d hero %lf,%lf", &frame, &at.x, &at.y) == 3) first.push_back(at);
  }
  ASSERT_FALSE(first.empty());
  EXPECT_DOUBLE_EQ(first.back().x, kStartX + 60 * kWalkPerFrame);
  // Quit: the scene goes back to the title; the stage did not end.
  EXPECT_LT(Find(trace, "scene 4 0", retry), trace.size());
  EXPECT_EQ(Find(trace, "Stage end clear"), trace.size());
}

// The hopping enemy of the free stage starts with no HP: set-up defeats it and
// its 100 points, the only ones of the attempt, reach the project's
// extra-life step at the clear. On the
// clear screen F3 asks for the name ("ZANDREL" is cut to its three
// characters), registers the result and shows the rankings until button 1.
TEST_F(StageEndRun, ClearGrantsAnExtraLifeAndRegistersTheRankingUnderTheTypedName) {
  UseSampleProject();
  cStageData stage;
  LoadRecord("data\\stg4\\Default.stg4_696", stage);
  ASSERT_EQ(stage.m_PlacedCharas.size(), 3u);
  const int heroHp = stage.m_PlacedCharas[0].m_nMaxHp;
  const int enemyScore = stage.m_PlacedCharas[2].m_nScore;
  stage.m_PlacedCharas[2].m_nMaxHp = 0;
  // Only the enemy scores: the coins' commands are taken out, the goal's stays.
  for (cItemDef& item : stage.m_PlacedItems)
    if (!item.m_vCommands.empty() && item.m_vCommands.front().m_nType != ITEMCMD_STAGE_CLEAR) item.m_vCommands.clear();
  {
    const fs::path previous = fs::current_path();
    fs::current_path(project.Path());
    ASSERT_EQ(stage.SaveToFile("data\\stg4\\Default.stg4_696", {}), 1);
    fs::current_path(previous);
  }
  cSystemData system;
  LoadRecord("data\\System.dat", system);
  ASSERT_EQ(system.m_bExtraLife, 1);
  ASSERT_EQ(enemyScore / system.m_nExtraLifeStep, 1);

  // Right walks to the goal; on the clear screen F3, the ranking display ended by Z, then Z.
  PlayFree("Default", "880 RIGHT\n60\n1 F3\n30\n1 Z\n20\n1 Z\n100\n", "text ZANDREL\nbutton OK\n", 1200);
  const std::vector<std::string> trace = Lines(Read("trace.txt"));
  // The clear's sound and the extra life come within the frame that ends the attempt.
  const size_t clearSound = Find(trace, "sound 14");
  const size_t extraLife = Find(trace, "sound 15", clearSound);
  const size_t clear = Find(trace, "Stage end clear", extraLife);
  const size_t registered = Find(trace, "sound 16", clear);
  ASSERT_LT(clearSound, trace.size()) << Read("Report_Game.txt");
  EXPECT_LT(extraLife, trace.size());
  EXPECT_LT(clear, trace.size());
  EXPECT_LT(registered, trace.size());
  EXPECT_EQ(Count(trace, "sound 15"), 1u);
  // The cleared free stage starts again as a new play.
  EXPECT_LT(Find(trace, "In SetStage", registered), trace.size());

  cRanking ranking;
  LoadRecord("user_data\\free\\Default.rkg", ranking);
  ASSERT_GE(ranking.Tables.size(), 4u);
  const cRankingEntry& score = ranking.Tables[0].Entries[0];
  EXPECT_EQ(score.bValid, 1);
  EXPECT_EQ(score.EntryName, "ZAN");
  // The coins taken on the way add their points too: each is one score line of its status operation.
  EXPECT_EQ(score.nValue, enemyScore + CoinPoints(stage) * CoinsTaken(Read("trace.txt")));
  EXPECT_EQ(ranking.Tables[3].Entries[0].nValue, heroHp);  // the HP left: untouched
  EXPECT_EQ(ranking.Tables[0].Entries[1].bValid, 0);       // registered once
}

// In the ranking display after a registration, each press of the genre key
// (V, button 4) moves on one genre however long it is held, with one sound 6.
TEST_F(StageEndRun, AHeldGenreKeyMovesTheRankingDisplayOnce) {
  UseSampleProject();
  PlayFree("Default", "880 RIGHT\n60\n1 F3\n30\n12 V\n4\n12 V\n4\n1 Z\n20\n", "text ZAN\nbutton OK\n", 1250);
  const std::vector<std::string> trace = Lines(Read("trace.txt"));
  const size_t registered = Find(trace, "sound 16");
  ASSERT_LT(registered, trace.size()) << Read("Report_Game.txt");
  const size_t closed = Find(trace, "sound 1", registered);
  ASSERT_LT(closed, trace.size());
  const std::vector<std::string> shown(trace.begin() + static_cast<long>(registered),
                                       trace.begin() + static_cast<long>(closed));
  EXPECT_EQ(Count(shown, "sound 6"), 2u);
}

// s01-1 starts a series: its goal's stage clear names the next stage, and
// leaving the clear screen sets up s01-2 at once, with its own music.
TEST_F(StageEndRun, ASeriesGoesOnToItsNextStage) {
  UseSampleProject();
  cStageData first, second;
  LoadRecord("data\\stg4\\s01-1.stg4_696", first);
  LoadRecord("data\\stg4\\s01-2.stg4_696", second);
  ASSERT_NE(first.m_nBgm, second.m_nBgm);
  // Right onto the upper platform, a held jump over the pit from its end, on to the goal.
  const int jumpFrame = 302;
  PlayFree(
      "s01-1",
      std::to_string(kFirstPlayStep - kTitleSteps + jumpFrame - 2) + " RIGHT\n30 RIGHT Z\n600 RIGHT\n100\n1 Z\n400\n",
      "", 1700);
  const std::vector<std::string> trace = Lines(Read("trace.txt"));
  const size_t clear = Find(trace, "Stage end clear");
  ASSERT_LT(clear, trace.size()) << Read("Report_Game.txt");
  const size_t next = Find(trace, "In SetStage", clear);
  ASSERT_LT(next, trace.size());
  // The scene stayed: no switch to another scene between the clear and the next set-up.
  for (size_t i = clear; i < next; ++i) EXPECT_NE(trace[i].rfind("scene ", 0), 0u) << trace[i];
  // The first stage's tune, then the second's.
  std::vector<std::string> music;
  for (const std::string& line : trace)
    if (line.rfind("music play 4 ", 0) == 0) music.push_back(line);
  ASSERT_EQ(music.size(), 2u);
  EXPECT_NE(music[0], music[1]);
  EXPECT_LT(Find(trace, music[1]), trace.size());
  EXPECT_GT(Find(trace, music[1]), clear);
}

}  // namespace
