// Whole-program runs of the front end on the sample project, scripted from
// the title: a new story entering its first world, clearing it, saving and
// continuing on the world map, a challenge stage cleared with its ranking,
// and the options kept across a restart.
#include <cstring>
#include <string>
#include <vector>

#include "PlayerRun.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/WorldMap.h"
#include "library/util/Text.h"
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
std::string Hold(const std::string& keys, int frames) { return std::to_string(frames) + " " + keys + "\n"; }
// A story stage of the sample from its first play frame: Right, a held jump
// over the spring that leads up to the platforms, on along the floor, a held
// jump over the pit (each takeoff has some 12 frames to spare either way),
// then Right past the goal; the clear screen waits for button 1.
std::string OverSpringAndPit(int springJump, int pitJump) {
  return Hold("RIGHT", springJump) + Hold("RIGHT Z", 30) + Hold("RIGHT", pitJump - springJump - 30) +
         Hold("RIGHT Z", 30) + Hold("RIGHT", 600) + Wait(100) + Presses("Z", 1);
}
// From the title (after its fade-in) to the item of a row, chosen.
std::string ChooseTitleRow(int row) { return Wait(40) + Presses("DOWN", row) + Presses("Z", 1); }
// From the world map: the save menu's first item, the slot `downs` rows below
// the one the list starts on, and "yes" (the confirmation starts on "no").
std::string SaveFromTheMap(int downs) {
  return Presses("X", 1) + Wait(30) + Presses("Z", 1) + Presses("DOWN", downs) + Presses("Z", 1) + Presses("UP", 1) +
         Presses("Z", 1) + Wait(5);
}
// From the save menu's slot list: back to its top menu, then "タイトルへ" and
// yes. The title comes back on the item last chosen, `titleDowns` rows above
// "continue"; the slot `slotDowns` rows down the list (from slot 0) is continued.
std::string ToTitleAndContinue(int titleDowns, int slotDowns) {
  return Presses("X", 1) + Presses("DOWN", 3) + Presses("Z", 1) + Presses("UP", 1) + Presses("Z", 1) + Wait(40) +
         Presses("DOWN", titleDowns) + Presses("Z", 1) + Wait(5) + Presses("DOWN", slotDowns) + Presses("Z", 1);
}

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
  // Continue slot 2, step left onto the path, save in slot 5 (the list starts
  // on the current slot, 2), then continue slot 5 from the title.
  const std::string script = ChooseTitleRow(kRowContinue) + Wait(5) + Presses("DOWN", 2) + Presses("Z", 1) + Wait(40) +
                             Presses("LEFT", 1) + Wait(10) + SaveFromTheMap(3) + ToTitleAndContinue(0, 5) + Wait(300);
  UseInput(script);
  env["ZANDREL_FRAMES"] = std::to_string(ScriptFrames(script) - 100);
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  EXPECT_NE(trace.find("scene 1 2\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("scene 0 1\n", trace.find("scene 2 0\n")), std::string::npos) << trace;  // continued
  // The save holds the place the figure stepped to.
  cSaveData saved;
  LoadProjectRecord(project.Path(), "user_data\\story\\Story06.dat", saved);
  EXPECT_EQ(saved.nMapX, 8);
  EXPECT_EQ(saved.nMapY, 7);
  EXPECT_EQ(saved.nSaveSlot, 5);
  EXPECT_EQ(saved.Switch.VecAt(1), 1);
  // The figure faced left: the save's stage-cursor field (the 20th of the body,
  // after the version and the field count) keeps the facing 2.
  const std::string file = Read("user_data/story/Story06.dat");
  ASSERT_GE(file.size(), 88u);
  std::int32_t facing = -1;
  std::memcpy(&facing, file.data() + 8 + 19 * 4, sizeof facing);
  EXPECT_EQ(facing, 2);
}

// A save where a folder stands in the slot file's place is refused: the
// refusal sound instead of the "saved" one, and a box naming the file and the
// reason. Auto-save ON then writes the current slot with the switch set.
TEST_F(FrontEndRun, AFailedSaveIsRefusedWithABoxAndAutoSaveOnIsKeptInTheFile) {
  cSaveData story = SampleStory(2, 9, 7);
  SaveProjectRecord(project.Path(), "user_data\\story\\Story03.dat", story);
  fs::create_directories(project / "user_data/story/Story06.dat");
  const std::string script = ChooseTitleRow(kRowContinue) + Wait(5) + Presses("DOWN", 2) + Presses("Z", 1) + Wait(40) +
                             Presses("LEFT", 1) + Wait(10) + SaveFromTheMap(3) + Presses("X", 1) + Presses("DOWN", 1) +
                             Presses("Z", 1) + Presses("UP", 1) + Presses("Z", 1) + Wait(20);
  UseInput(script);
  env["ZANDREL_FRAMES"] = std::to_string(ScriptFrames(script));
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  const size_t menu = trace.find("scene 1 2\n");
  ASSERT_NE(menu, std::string::npos) << trace;
  EXPECT_NE(trace.find("sound 3\n", menu), std::string::npos) << trace.substr(menu);
  EXPECT_EQ(trace.find("sound 5\n", menu), std::string::npos) << trace.substr(menu);
  const std::string report = Read("Report_Game.txt");
  const size_t box =
      report.find(Sjis("MesBox : エラー : セーブファイル user_data\\story\\Story06.dat に書き込めません！"));
  ASSERT_NE(box, std::string::npos) << report;
  EXPECT_NE(report.find(Sjis("同じ名前のフォルダがあります"), box), std::string::npos) << report.substr(box);
  EXPECT_TRUE(fs::is_directory(project / "user_data/story/Story06.dat"));
  // The current slot stayed 2: its file holds the slot and the switch at their
  // places after the version, the field count and the 24 fields before them.
  const std::string file = Read("user_data/story/Story03.dat");
  ASSERT_GE(file.size(), 112u);
  std::int32_t slot = -1, autoSave = -1;
  std::memcpy(&slot, file.data() + 8 + 24 * 4, 4);
  std::memcpy(&autoSave, file.data() + 8 + 25 * 4, 4);
  EXPECT_EQ(slot, 2);
  EXPECT_EQ(autoSave, 1);
}

// A slot file damaged after its time stamp lists with its date on the continue
// screen, where an empty slot shows none; continuing it is refused.
TEST_F(FrontEndRun, ADamagedSlotListsWithItsDateAndIsNotContinued) {
  cSaveData story = SampleStory(3, 9, 7);
  story.SaveTime.wYear = 2026;
  story.SaveTime.wMonth = 3;
  story.SaveTime.wDay = 14;
  SaveProjectRecord(project.Path(), "user_data\\story\\Story04.dat", story);
  const std::string whole = Read("user_data/story/Story04.dat");
  std::ofstream(project / "user_data/story/Story04.dat", std::ios::binary) << whole.substr(0, 200);
  const std::string toList = ChooseTitleRow(kRowContinue) + Wait(5) + Presses("DOWN", 3);
  const std::string script = toList + Presses("Z", 1) + Wait(20);
  UseInput(script);
  env["ZANDREL_FRAMES"] = std::to_string(ScriptFrames(script));
  Shot(ScriptFrames(toList), "continue.bmp");
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  EXPECT_EQ(trace.find("scene 0 1\n"), std::string::npos) << trace;
  EXPECT_NE(trace.rfind("sound 3\n"), std::string::npos) << trace;
  // The date column of slot 4 (row 3 of the list at (152, 160)) against that of
  // the empty slot 5 below it.
  const auto shot = LoadShot("continue.bmp");
  ASSERT_EQ(shot.width, 640);
  auto dateColumn = [&](int row) {
    std::vector<std::uint32_t> pixels;
    for (int y = 160 + 16 * row; y < 160 + 16 * row + 15; ++y)
      for (int x = 216; x < 344; ++x) pixels.push_back(shot.colours[static_cast<size_t>(y) * 640 + x]);
    return pixels;
  };
  EXPECT_NE(dateColumn(3), dateColumn(4));
}

// A new story enters s01-1 by itself; the series goes on to s01-2 and the
// clear of its last stage comes back to the map with the world's stage taken
// and its best score kept. Saved in slot 5 and continued from the title, the
// figure stands there again and the cleared stage is not entered by itself.
TEST_F(FrontEndRun, ANewStoryClearsItsFirstWorldSavesAndContinuesThere) {
  // Each stage's set-up, fade-in and caption (and s01-2's opening wait) end
  // within the first wait; the jumps are counted from there, by the cells of
  // the spring and of the pit (s01-1: 19 and 28, s01-2: 15 and 24; 32 dots a
  // cell, 2.5 dots a frame of walking).
  std::string script = ChooseTitleRow(0) + Wait(300) + OverSpringAndPit(179, 313);
  script += Wait(298) + OverSpringAndPit(128, 262) + Wait(100);
  script += SaveFromTheMap(5) + ToTitleAndContinue(1, 5) + Wait(200);
  UseInput(script);
  env["ZANDREL_FRAMES"] = std::to_string(ScriptFrames(script) - 100);
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  const size_t entered = trace.find("scene 1 4\n");
  const size_t firstClear = trace.find("Stage end clear\n", entered);
  const size_t secondStage = trace.find("In SetStage\n", firstClear);
  const size_t secondClear = trace.find("Stage end clear\n", secondStage);
  const size_t backOnMap = trace.find("scene 4 1\n", secondClear);
  ASSERT_NE(backOnMap, std::string::npos) << trace.substr(0, 3000);
  EXPECT_EQ(trace.find("Stage end lost"), std::string::npos);
  // Neither back from the stage nor after continuing is the cleared stage entered again.
  const size_t continued = trace.find("scene 0 1\n", trace.find("scene 2 0\n", backOnMap));
  ASSERT_NE(continued, std::string::npos) << trace.substr(backOnMap);
  EXPECT_EQ(trace.find("In SetStage", backOnMap), std::string::npos) << trace.substr(backOnMap);

  cWorldMap map;
  LoadProjectRecord(project.Path(), "data\\WorldMap.dat", map);
  const cWorld* first = map.FindWorldAt(map.nMapStartX, map.nMapStartY);
  ASSERT_NE(first, nullptr);
  const cWorldStage& stage = first->StageList.front();
  cSaveData saved;
  LoadProjectRecord(project.Path(), "user_data\\story\\Story06.dat", saved);
  EXPECT_EQ(saved.nSaveSlot, 5);
  EXPECT_EQ(saved.nMapX, map.nMapStartX);
  EXPECT_EQ(saved.nMapY, map.nMapStartY);
  EXPECT_EQ(saved.Switch.VecAt(stage.nClearSwitch), 1);
  // The best score is kept under the series' base name: "s01-1" cut at its
  // series mark; the coins of both stages count, the score running on through the series.
  ASSERT_EQ(stage.StageFile, "data\\stg4\\s01-1.stg4");
  cStageData played;
  LoadProjectRecord(project.Path(), "data\\stg4\\s01-1.stg4_696", played);
  const int score = CoinPoints(played) * CoinsTaken(trace);
  ASSERT_EQ(saved.StageScore.size(), 1u);
  EXPECT_EQ(saved.StageScore.front().m_StageName, "data\\stg4\\s01.");
  EXPECT_EQ(saved.StageScore.front().m_nScore, score);
  EXPECT_EQ(saved.nBestTotal, score);
}

// c01-1 cleared from a fresh challenge save: on its clear screen F3 registers
// the result under the typed name; back on the list the stage is marked, the
// second one is open (and plays when chosen), and C shows the ranking.
TEST_F(FrontEndRun, AChallengeClearRegistersItsRankingAndOpensTheNextStage) {
  // The first challenge stage goes on by itself after its clear; with its
  // clear screen kept, the result can be registered there.
  cStageData first;
  LoadProjectRecord(project.Path(), "data\\stg4\\c01-1.stg4_696", first);
  first.m_bQuickClear = 0;
  SaveProjectRecord(project.Path(), "data\\stg4\\c01-1.stg4_696", first);
  cStageData second;
  LoadProjectRecord(project.Path(), "data\\stg4\\c02-1.stg4_696", second);
  std::ofstream(project / "answers.txt") << "text ZANDREL\nbutton OK\n";
  env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
  // The stage's bridge over its pit comes while the hero waits; then Right to
  // the goal, F3, Z to end the ranking display and Z to leave the clear screen.
  const std::string toList = ChooseTitleRow(kRowChallenge) + Wait(30) + Presses("Z", 1) + Wait(400) +
                             Hold("RIGHT", 900) + Wait(60) + Presses("F3", 1) + Wait(30) + Presses("Z", 1) + Wait(20) +
                             Presses("Z", 1) + Wait(60);
  const std::string script = toList + Presses("C", 1) + Wait(30) + Presses("DOWN", 1) + Presses("Z", 1) + Wait(200);
  UseInput(script);
  env["ZANDREL_FRAMES"] = std::to_string(ScriptFrames(script) - 100);
  Shot(ScriptFrames(toList) + 20, "ranking.bmp");
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  const size_t clear = trace.find("Stage end clear\n");
  const size_t registered = trace.find("sound 16\n", clear);
  const size_t backOnList = trace.find("scene 4 3\n", registered);
  ASSERT_NE(backOnList, std::string::npos) << trace.substr(0, 3000);
  EXPECT_NE(trace.find("sound 6\n", backOnList), std::string::npos);  // the ranking display toggled
  // The second stage, open now, is chosen and set up with its own characters.
  const size_t secondStage = trace.find("SetStage seed=", trace.find("scene 3 4\n", backOnList));
  ASSERT_NE(secondStage, std::string::npos) << trace.substr(backOnList);
  const std::string setUp = trace.substr(secondStage, trace.find('\n', secondStage) - secondStage);
  EXPECT_NE(setUp.find(" charas=" + std::to_string(second.m_PlacedCharas.size() - 1) + " "), std::string::npos)
      << setUp;  // every placed character but the hero
  LoadShot("ranking.bmp");

  const int score = CoinPoints(first) * CoinsTaken(trace.substr(0, clear));
  EXPECT_GT(score, 0);
  cSaveData challenge;
  LoadProjectRecord(project.Path(), "user_data\\challenge\\Challenge.dat", challenge);
  EXPECT_EQ(challenge.nChallengeOpen, 2);
  EXPECT_EQ(challenge.ClearList.VecAt(0).bCleared, 1);
  EXPECT_EQ(challenge.ClearList.VecAt(0).nBest, score);
  EXPECT_EQ(challenge.ClearList.VecAt(1).bCleared, 0);
  EXPECT_EQ(challenge.nBestTotal, score);
  cRanking ranking;
  LoadProjectRecord(project.Path(), "user_data\\challenge\\c01.rkg", ranking);
  ASSERT_FALSE(ranking.Tables.empty());
  EXPECT_EQ(ranking.Tables[0].Entries[0].bValid, 1);
  EXPECT_EQ(ranking.Tables[0].Entries[0].EntryName, "ZAN");
  EXPECT_EQ(ranking.Tables[0].Entries[0].nValue, score);
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
