// Replays as a regression suite: each sample stage is played from the title
// with a scripted attempt that F1 saves as a replay, and the replay is played
// back from the title in a fresh run; both runs trace one digest line per play
// frame, and every recorded frame must match. A committed replay with its
// committed digests shows any change of behaviour as the frame it starts in.
#include "stage/Replay.h"

#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "PlayerRun.h"
#include "gamedata/SaveData.h"
#include "platform/TextCodec.h"
#include "records/StageData.h"

namespace {

using namespace e2e;

// Title: wait for the fade-in, then the fourth item (free play) or the fifth (replays).
constexpr const char* kToFreePlay = "40\n1 DOWN\n2\n1 DOWN\n2\n1 DOWN\n2\n1 Z\n";
constexpr const char* kToReplays = "40\n1 DOWN\n2\n1 DOWN\n2\n1 DOWN\n2\n1 DOWN\n2\n1 Z\n";
// The attempt: past the fade-in and the caption, a walk right with a jump and
// a walk back; F1 then saves it, and a few frames follow.
constexpr const char* kAttempt = "220\n70 RIGHT\n20 RIGHT Z\n50 LEFT\n1 F1\n30\n";
constexpr const char* kReplayFile = "user_data/rpl4/attempt.rpl4_696";

std::vector<std::string> Digests(const std::string& trace) {
  std::vector<std::string> lines;
  std::istringstream in(trace);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("Digest ", 0) == 0) lines.push_back(line);
  return lines;
}

// The play frames a replay file holds: the sum of its direction runs.
int RecordedFrames(const fs::path& project, const std::string& file) {
  cReplayData replay;
  cStageData stage, settings;
  cSaveData record;
  const fs::path previous = fs::current_path();
  fs::current_path(project);
  const int loaded = LoadReplayFile(file, replay, stage, settings, record, {});
  fs::current_path(previous);
  if (!loaded) return -1;
  return static_cast<int>(std::accumulate(replay.m_DirRuns.begin(), replay.m_DirRuns.end(), 0LL));
}

// The first of `frames` digest lines where two runs part, or "" when they agree.
std::string FirstDifference(const std::vector<std::string>& expected, const std::vector<std::string>& actual,
                            int frames) {
  for (int i = 0; i < frames; ++i) {
    const auto at = static_cast<size_t>(i);
    const std::string want = at < expected.size() ? expected[at] : "(none)";
    const std::string got = at < actual.size() ? actual[at] : "(none)";
    if (want != got) return "play frame " + std::to_string(i + 1) + ": expected " + want + ", got " + got;
  }
  return "";
}

class ReplayRun : public PlayerRun {
 protected:
  // Plays the replay file from the title in a fresh run; its digest lines.
  std::vector<std::string> PlayBack(const std::string& file, int frames) {
    fs::remove(project / "trace.txt");
    UseInput(kToReplays);
    std::ofstream(project / "answers.txt") << "file " << file << "\n";
    env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
    // The title, the fade-in and the replay's caption, then the recorded frames.
    env["ZANDREL_FRAMES"] = std::to_string(frames + 200);
    EXPECT_EQ(Run(), 0) << Read("Report_Game.txt");
    return Digests(Read("trace.txt"));
  }
};

TEST_F(ReplayRun, EachSampleStagePlaysBackAsRecorded) {
  UseSampleProject();
  for (const char* stageName : {"Default", "s01-1", "s01-2", "c01-1", "c02-1"}) {
    SCOPED_TRACE(stageName);
    fs::remove(project / kReplayFile);
    fs::remove(project / "trace.txt");
    UseInput(std::string(kToFreePlay) + kAttempt);
    std::ofstream(project / "answers.txt")
        << "file data/stg4/" << stageName << ".stg4_696\nfile " << kReplayFile << "\n";
    env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
    env["ZANDREL_FRAMES"] = "600";
    ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
    const std::vector<std::string> recorded = Digests(Read("trace.txt"));
    const int frames = RecordedFrames(project.Path(), kReplayFile);
    // The attempt up to F1, from some frames of waiting on: the walks and the jump.
    ASSERT_GE(frames, 70 + 20 + 50) << Read("Report_Game.txt");
    ASSERT_GE(recorded.size(), static_cast<size_t>(frames));

    const std::vector<std::string> played = PlayBack(kReplayFile, frames);
    EXPECT_EQ(FirstDifference(recorded, played, frames), "");
  }
}

// The second stage of a series starts with the score of the first: s01-1's
// spring throws the hero over two coins, a jump from the platform clears the
// pit, and after its clear an attempt at s01-2 is saved. Played back, the
// attempt goes on from the score it started with, as it was played.
TEST_F(ReplayRun, ASecondStageOfASeriesPlaysBackFromTheScoreItStartedWith) {
  UseSampleProject();
  const std::string firstStage = "302\n300 RIGHT\n30 RIGHT Z\n600 RIGHT\n100\n1 Z\n2\n";
  UseInput(std::string(kToFreePlay) + firstStage + "300\n60 RIGHT\n20 RIGHT Z\n40 LEFT\n1 F1\n30\n");
  std::ofstream(project / "answers.txt") << "file data/stg4/s01-1.stg4_696\nfile " << kReplayFile << "\n";
  env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
  env["ZANDREL_FRAMES"] = "1900";
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  const size_t secondStage = trace.find("In SetStage", trace.find("Stage end clear"));
  ASSERT_NE(secondStage, std::string::npos) << trace.substr(0, 3000);
  ASSERT_NE(trace.rfind("set score ", secondStage), std::string::npos);  // the coins counted before it
  const std::vector<std::string> recorded = Digests(trace.substr(secondStage));
  const int frames = RecordedFrames(project.Path(), kReplayFile);
  ASSERT_GE(frames, 60 + 20 + 40) << Read("Report_Game.txt");

  const std::vector<std::string> played = PlayBack(kReplayFile, frames);
  EXPECT_EQ(FirstDifference(recorded, played, frames), "");
}

// A replay key let go while the stage starts again is let go, though no
// state then serves it: pressed again before play goes on and held into it,
// it acts. Here F2 asks in the pause menu of a first attempt (refused: there
// is no previous one), is held through a retry, let go and pressed again
// during the caption, and then saves the first attempt.
TEST_F(ReplayRun, AReplayKeyLetGoWhileTheStageStartsAgainActsWhenPressedAgain) {
  UseSampleProject();
  const std::string pauseAndRetry = "1 SPACE\n5\n1 F2\n5 F2\n1 F2 DOWN\n2 F2\n1 F2 Z\n";
  UseInput(std::string(kToFreePlay) + "220\n30\n" + pauseAndRetry + "20\n200 F2\n30\n");
  std::ofstream(project / "answers.txt") << "file data/stg4/Default.stg4_696\n";
  env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
  env["ZANDREL_FRAMES"] = "650";
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  EXPECT_NE(Read("trace.txt").find("sound 3"), std::string::npos);
  const std::string saveDialog = "Dialog : " + platform::Utf8ToCp932Lossy("リプレイファイルの保存");
  EXPECT_NE(Read("Report_Game.txt").find(saveDialog), std::string::npos) << Read("Report_Game.txt");
}

TEST_F(ReplayRun, TheCommittedReplayKeepsItsDigests) {
  UseSampleProject();
  const fs::path golden = fs::path(E2E_GOLDEN_DIR) / "replay";
  fs::create_directories(project / "user_data/rpl4");
  fs::copy_file(golden / "Default.rpl4_696", project / "user_data/rpl4/golden.rpl4_696",
                fs::copy_options::overwrite_existing);
  const int frames = RecordedFrames(project.Path(), "user_data/rpl4/golden.rpl4_696");
  ASSERT_GT(frames, 0);
  const std::vector<std::string> played = PlayBack("user_data/rpl4/golden.rpl4_696", frames);
  ASSERT_GE(played.size(), static_cast<size_t>(frames));
  // ZANDREL_RENEW_GOLDEN=1 writes the digests of this build after a deliberate change of behaviour.
  if (std::getenv("ZANDREL_RENEW_GOLDEN")) {
    std::ofstream out(golden / "Default.digest");
    for (int i = 0; i < frames; ++i) out << played[static_cast<size_t>(i)] << "\n";
    GTEST_SKIP() << "golden digests renewed";
  }
  std::ifstream digests(golden / "Default.digest");
  std::vector<std::string> expected;
  for (std::string line; std::getline(digests, line);) expected.push_back(line);
  ASSERT_EQ(expected.size(), static_cast<size_t>(frames));
  EXPECT_EQ(FirstDifference(expected, played, frames), "");
}

}  // namespace
