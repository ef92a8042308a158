// Whole-program runs of the front end on the sample project, scripted from
// the title: a new story entering its first world, saving and continuing on
// the world map, the challenge list, and the options kept across a restart.
#include <string>
#include <vector>

#include "PlayerRun.h"
#include "gamedata/SaveData.h"
#include "platform/HostPath.h"

namespace {

using namespace e2e;

// Title rows of the sample (all seven items shown).
constexpr int kRowContinue = 1, kRowChallenge = 2, kRowOptions = 5;

// Script lines: n presses of a key, each held one frame and let go for two.
std::string Presses(const std::string& key, int n) {
  std::string lines;
  for (int i = 0; i < n; ++i) lines += "1 " + key + "\n2\n";
  return lines;
}
std::string Wait(int frames) { return std::to_string(frames) + "\n"; }
// The frames a script lasts.
int ScriptFrames(const std::string& script) {
  int frames = 0;
  for (size_t at = 0; at < script.size(); at = script.find('\n', at) + 1) frames += std::stoi(script.substr(at));
  return frames;
}
// From the title (after its fade-in) to the item of a row, chosen.
std::string ChooseTitleRow(int row) { return Wait(40) + Presses("DOWN", row) + Presses("Z", 1); }

// A saved story: the first world cleared, the figure on the second world.
cSaveData SampleStory(int slot, int x, int y) {
  cSaveData story;
  story.ResetPlaySession();
  story.Switch.VecAt(1) = 1;
  story.nMapX = x;
  story.nMapY = y;
  story.nSaveSlot = slot;
  story.nEntryLife = 3;
  story.nLife = 2;
  return story;
}

template <typename Record>
void SaveProjectRecord(const fs::path& project, const std::string& stored, Record& record) {
  const fs::path previous = fs::current_path();
  fs::current_path(project);
  fs::create_directories(platform::ToHostPath(stored).parent_path());
  const int saved = record.SaveToFile(stored, {});
  fs::current_path(previous);
  ASSERT_EQ(saved, 1) << stored;
}

template <typename Record>
void LoadProjectRecord(const fs::path& project, const std::string& stored, Record& record) {
  const fs::path previous = fs::current_path();
  fs::current_path(project);
  const int loaded = record.LoadFromFile(stored, {});
  fs::current_path(previous);
  ASSERT_EQ(loaded, 1) << stored;
}

// Pixels of two screenshots that differ, outside the figure's cell.
int DifferingPixels(const platform::display::Bitmap& a, const platform::display::Bitmap& b) {
  int differing = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const bool figure = x >= 288 && x < 320 && y >= 224 && y < 256;
      differing += !figure && a.Colour(x, y) != b.Colour(x, y);
    }
  return differing;
}

class FrontEndRun : public PlayerRun {
 protected:
  void SetUp() override {
    PlayerRun::SetUp();
    UseSampleProject();
  }
  void Shot(int frame, const std::string& name) {
    env["ZANDREL_SHOT"] = std::to_string(frame) + ":" + (project / name).string();
  }
  platform::display::Bitmap LoadShot(const std::string& name) {
    auto shot = platform::display::LoadBitmapFile((project / name).string());
    EXPECT_TRUE(shot.has_value()) << name;
    return shot ? *shot : platform::display::Bitmap{};
  }
};

TEST_F(FrontEndRun, ANewStoryEntersItsFirstWorldByItself) {
  UseInput(ChooseTitleRow(0) + Wait(200));
  env["ZANDREL_FRAMES"] = "120";
  Shot(60, "map.bmp");
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  // Title, world map, then the first world's stage without a key pressed.
  const size_t map = trace.find("scene 0 1\n");
  ASSERT_NE(map, std::string::npos) << trace.substr(0, 2000);
  const size_t stage = trace.find("scene 1 4\n", map);
  ASSERT_NE(stage, std::string::npos) << trace.substr(map, 2000);
  EXPECT_NE(trace.find("In SetStage", stage), std::string::npos);
  LoadShot("map.bmp");
}

TEST_F(FrontEndRun, SavingInSlot5AndContinuingComesBackToTheSameMapPlace) {
  cSaveData story = SampleStory(2, 9, 7);
  SaveProjectRecord(project.Path(), "user_data\\story\\Story03.dat", story);
  // Continue slot 2, step left onto the path, open the save menu, save in slot 5.
  std::string script = ChooseTitleRow(kRowContinue) + Wait(5) + Presses("DOWN", 2) + Presses("Z", 1) + Wait(40) +
                       Presses("LEFT", 1) + Wait(10) + Presses("X", 1) + Wait(30) + Presses("Z", 1) +
                       Presses("DOWN", 3) + Presses("Z", 1) + Presses("UP", 1) + Presses("Z", 1) + Wait(5);
  // Back to the top menu, then "タイトルへ" and yes.
  script += Presses("X", 1) + Presses("DOWN", 3) + Presses("Z", 1) + Presses("UP", 1) + Presses("Z", 1) + Wait(40);
  // Continue slot 5 (a third of the way, the list starts on slot 0).
  script += Presses("DOWN", 1) + Presses("Z", 1) + Wait(5) + Presses("DOWN", 5) + Presses("Z", 1) + Wait(300);
  UseInput(script);
  env["ZANDREL_FRAMES"] = std::to_string(ScriptFrames(script) - 100);
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  EXPECT_NE(trace.find("scene 1 2\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("scene 2 0\n"), std::string::npos) << trace;
  // The save holds the place the figure stepped to.
  cSaveData saved;
  LoadProjectRecord(project.Path(), "user_data\\story\\Story06.dat", saved);
  EXPECT_EQ(saved.nMapX, 8);
  EXPECT_EQ(saved.nMapY, 7);
  EXPECT_EQ(saved.nSaveSlot, 5);
  EXPECT_EQ(saved.Switch.VecAt(1), 1);
}

TEST_F(FrontEndRun, TheChallengeListShowsTheOpenStagesAndTheirRanking) {
  UseInput(ChooseTitleRow(kRowChallenge) + Wait(30) + Presses("C", 1) + Wait(100));
  env["ZANDREL_FRAMES"] = "120";
  Shot(75, "challenge.bmp");
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  EXPECT_NE(trace.find("scene 0 3\n"), std::string::npos) << trace;
  LoadShot("challenge.bmp");
}

TEST_F(FrontEndRun, OptionsChangedAreKeptInOptionDatAcrossARestart) {
  std::ofstream(project / "answers.txt") << "text ZANDREL\nbutton OK\n";
  env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
  // Music off, volume 7 -> 5, ranking mode 0 -> 1, the name typed, back.
  const std::string edits = Wait(30) + Presses("DOWN", 1) + Presses("Z", 1) + Presses("UP", 1) + Presses("Z", 1) +
                            Presses("DOWN", 1) + Presses("Z", 1) + Presses("DOWN", 2) + Presses("Z", 1) +
                            Presses("DOWN", 1) + Presses("Z", 1) + Presses("UP", 1) + Presses("Z", 1) +
                            Presses("DOWN", 1) + Presses("Z", 1) + Wait(10);
  const std::string toOptions = ChooseTitleRow(kRowOptions);
  UseInput(toOptions + edits + Presses("DOWN", 1) + Presses("Z", 1) + Wait(40) + "1 ESCAPE\n100\n");
  Shot(ScriptFrames(toOptions + edits), "options.bmp");
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  // Version 696, four ints (variant 0, music 0, volume 5, mode 1), the name
  // "ZAN" with its NUL: the dialog keeps three of the letters typed.
  const std::string expected{"\xB8\x02\0\0\x04\0\0\0\0\0\0\0\0\0\0\0\x05\0\0\0\x01\0\0\0\x01\0\0\0\x04\0\0\0ZAN\0", 36};
  EXPECT_EQ(Read("user_data/Option.dat"), expected);
  LoadShot("options.bmp");

  // Restarted with the music off: no tune at the title until the options turn it on.
  fs::remove(project / "trace.txt");
  env.erase("ZANDREL_SHOT");
  UseInput(toOptions + Wait(30) + Presses("DOWN", 1) + Presses("Z", 1) + Presses("UP", 1) + Presses("Z", 1) +
           Presses("DOWN", 4) + Presses("Z", 1) + Wait(60) + "1 ESCAPE\n100\n");
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  const size_t options = trace.find("scene 0 5\n");
  ASSERT_NE(options, std::string::npos) << trace;
  EXPECT_EQ(trace.substr(0, options).find("music play"), std::string::npos) << trace;
  EXPECT_NE(trace.find("music play 0", trace.find("scene 5 0\n")), std::string::npos) << trace;
  std::string after = expected;
  after[12] = 1;  // music on
  EXPECT_EQ(Read("user_data/Option.dat"), after);
}

}  // namespace
