// Whole-program runs of the flow commands in the sample project: the coins add
// their points to the score by a status operation and count themselves in a
// common variable by a statement, a before-stage flow holds the game still
// before play, and runs repeat frame for frame.
#include <cstdio>
#include <string>
#include <vector>

#include "PlayerRun.h"
#include "records/FlowEnums.h"
#include "records/StageData.h"

namespace {

using namespace e2e;

// The play record's values as the trace shows them: the value of every "set NAME VALUE" line.
std::vector<int> Written(const std::string& trace, const std::string& name, size_t from = 0,
                         size_t to = std::string::npos) {
  std::vector<int> values;
  const std::string prefix = "\nset " + name + " ";
  for (size_t at = trace.find(prefix, from); at != std::string::npos && at < to; at = trace.find(prefix, at + 1))
    values.push_back(std::stoi(trace.substr(at + prefix.size())));
  return values;
}

size_t Count(const std::string& trace, const std::string& line) {
  size_t n = 0;
  for (size_t at = trace.find("\n" + line + "\n"); at != std::string::npos; at = trace.find("\n" + line + "\n", at + 1))
    ++n;
  return n;
}

class FlowCommandsRun : public PlayerRun {
 protected:
  cStageData LoadStage(const std::string& name) {
    cStageData stage;
    const fs::path previous = fs::current_path();
    fs::current_path(project.Path());
    EXPECT_EQ(stage.LoadFromFile("data\\stg4\\" + name + ".stg4_696", {}), 1) << name;
    fs::current_path(previous);
    return stage;
  }
};

// Right held on the free stage: the spring takes the hero onto the upper
// platform and its coins, then to the goal; the cleared stage starts over and
// the walk repeats. Each coin plays its sound once; so does the goal.
TEST_F(FlowCommandsRun, CoinsAddToTheScoreAndCountThemselves) {
  UseSampleProject();
  const cStageData stage = LoadStage("Default");
  const cItemDef* coin = nullptr;
  for (const cItemDef& item : stage.m_PaletteItems)
    if (item.m_vCommands.size() >= 2 && item.m_vCommands[0].m_nType == ITEMCMD_STATUS_OPERATION) coin = &item;
  ASSERT_NE(coin, nullptr);
  const int points = coin->m_vCommands[0].m_vParams.VecAt(7);
  // The statement "Cn = Cn + 1" names the variable it counts in.
  const std::string& statement = coin->m_vCommands[1].m_strText;
  const std::string variable = statement.substr(0, statement.find(' '));
  ASSERT_EQ(statement, variable + " = " + variable + " + 1");

  UseInput("1400 RIGHT\n");
  env["ZANDREL_FRAMES"] = "1400";
  ASSERT_EQ(Run("data\\stg4\\Default.stg4"), 0) << Read("Report_Game.txt");
  const std::string trace = "\n" + Read("trace.txt");

  // The coins' sound is the one that comes right before the first score line.
  const size_t firstScore = trace.find("\nset score ");
  ASSERT_NE(firstScore, std::string::npos);
  const size_t soundLine = trace.rfind("\nsound ", firstScore);
  const std::string coinSound = trace.substr(soundLine + 1, trace.find('\n', soundLine + 1) - soundLine - 1);
  const size_t clears = Count(trace, "Stage end clear");
  ASSERT_GE(clears, 1u);
  const size_t coins = Count(trace, coinSound) - clears;
  ASSERT_GE(coins, 2u);

  // The variable counts every coin of the run; the score starts over with each attempt.
  std::vector<int> expectedCount;
  for (size_t i = 1; i <= coins; ++i) expectedCount.push_back(static_cast<int>(i));
  EXPECT_EQ(Written(trace, variable), expectedCount);
  size_t scores = 0;
  for (size_t attempt = trace.find("\nIn SetStage"); attempt != std::string::npos;) {
    const size_t next = trace.find("\nIn SetStage", attempt + 1);
    const std::vector<int> written = Written(trace, "score", attempt, next);
    for (size_t i = 0; i < written.size(); ++i) EXPECT_EQ(written[i], points * static_cast<int>(i + 1));
    scores += written.size();
    attempt = next;
  }
  EXPECT_EQ(scores, coins);
}

// The second story stage's hero holds the game still before play for its wait
// (tenths of a second, 6 frames each): those frames show the same picture.
// Two runs of the stage with the same keys give the same frames.
TEST_F(FlowCommandsRun, ABeforeStageWaitHoldsTheGameAndRunsRepeat) {
  UseSampleProject();
  const cStageData stage = LoadStage("s01-2");
  int waitTenths = -1;
  for (const cFlow& flow : stage.m_PlacedCharas.front().m_vFlows)
    if (flow.m_nTrigger == TRG_BEFORE_STAGE_START && !flow.m_vCommands.empty() &&
        flow.m_vCommands.front().m_nType == CMD_GAME_WAIT)
      waitTenths = flow.m_vCommands.front().m_vParams.VecAt(0);
  ASSERT_GT(waitTenths, 0);
  const int waitFrames = waitTenths * 6;

  UseInput("150\n450 RIGHT\n");
  env["ZANDREL_FRAMES"] = "600";
  ASSERT_EQ(Run("data\\stg4\\s01-2.stg4"), 0) << Read("Report_Game.txt");
  const std::string firstLog = Read("frames.log");
  const std::map<int, std::string> frames = FrameCrcs(firstLog);
  ASSERT_EQ(frames.size(), 600u);
  for (int f = 2; f <= waitFrames; ++f) EXPECT_EQ(frames.at(f), frames.at(1)) << "frame " << f;
  EXPECT_NE(frames.at(waitFrames + 1), frames.at(1));

  fs::remove(project / "frames.log");  // the log is appended to
  ASSERT_EQ(Run("data\\stg4\\s01-2.stg4"), 0) << Read("Report_Game.txt");
  EXPECT_TRUE(Read("frames.log") == firstLog);
}

}  // namespace
