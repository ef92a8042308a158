// Whole-program runs of the player, headless, each in its own project folder
// and runtime folder. The project is written here through the project's own
// record classes (the sample project generator's output is used once it exists).
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gamedata/Database.h"
#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"
#include "library/util/Text.h"
#include "platform/display/Bitmap.h"
#include "platform/process/InstanceLock.h"
#include "records/Palette.h"
#include "records/RecordIo.h"
#include "support/TempDir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

void WriteBmp(const fs::path& file, int width, int height, std::uint32_t base) {
  fs::create_directories(file.parent_path());
  std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] = base ^ static_cast<std::uint32_t>(x * 3 + y * 5);
  ASSERT_TRUE(platform::display::WriteBitmap24(file.string(), pixels, width, height));
}

// A tiny project: the databases, system data, world map and common palette
// with their defaults, the title's bitmaps and a System.ini for a window.
void WriteProject(const fs::path& root) {
  const fs::path previous = fs::current_path();
  fs::create_directories(root / "data/database");
  fs::current_path(root);
  cDatabase db;
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
    auto file = static_cast<DatabaseFile>(i);
    EXPECT_TRUE(SaveDataFile(DatabasePath(file), [&](cRecordWriter& out) { SaveDatabaseList(db, file, out, {}); }));
  }
  cSystemData system;
  system.SetDefault();
  system.m_GameTitle = "Zandrel e2e";
  EXPECT_TRUE(system.SaveToFile("data\\System.dat", {}));
  cWorldMap map;
  map.SetDefault();
  EXPECT_TRUE(map.SaveToFile("data\\WorldMap.dat", {}));
  cPalette palette;
  EXPECT_TRUE(palette.SaveToFile("data\\CommonPalette.cplt4", {}));
  fs::current_path(previous);
  WriteBmp(root / "bmp/plt/Palette.bmp", 16, 16, 0x102030);
  WriteBmp(root / "bmp/Debug.bmp", 32, 32, 0x404040);
  WriteBmp(root / "bmp/Title.bmp", 640, 480, 0x203060);
  WriteBmp(root / "bmp/Window.bmp", 64, 64, 0x606060);
  WriteBmp(root / "bmp/GameMode.bmp", 192, 224, 0x80A0C0);
  WriteBmp(root / "bmp/Accessory.bmp", 128, 128, 0xC08040);
  std::ofstream(root / "System.ini", std::ios::binary) << "Direct3D=1\nWindowMode=1\nBpp=0\nVSync=0\nShowFps=0\nExit\n";
}

class PlayerRun : public ::testing::Test {
 protected:
  TempDir project;
  TempDir runtime;
  std::map<std::string, std::string> env;

  void SetUp() override {
    WriteProject(project.Path());
    env = {{"ZANDREL_HEADLESS", "1"},
           {"ZANDREL_FAST", "1"},
           {"ZANDREL_RUNTIME_DIR", runtime.Path().string()},
           {"ZANDREL_TRACE", (project / "trace.txt").string()},
           {"ZANDREL_FRAME_LOG", (project / "frames.log").string()},
           {"SDL_VIDEODRIVER", "dummy"},
           {"SDL_AUDIODRIVER", "dummy"}};
  }

  // Runs the player in the project folder; its exit status, or 128 + signal.
  int Run(const std::string& argument = "") {
    std::vector<std::string> strings;
    for (char** e = environ; *e; ++e)
      if (std::strncmp(*e, "ZANDREL_", 8) != 0) strings.emplace_back(*e);
    for (const auto& [key, value] : env) strings.push_back(key + "=" + value);
    std::vector<char*> envp;
    for (auto& s : strings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string program = ZANDREL_PROGRAM;
    std::string arg = argument;
    char* argv[] = {program.data(), arg.empty() ? nullptr : arg.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, project.Path().c_str());
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::string Read(const std::string& name) {
    std::ifstream in(project / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void UseInput(const std::string& text) {
    std::ofstream(project / "input.txt", std::ios::binary) << text;
    env["ZANDREL_INPUT"] = (project / "input.txt").string();
  }
};

// Wait for the title, move the cursor down once, then press Escape.
constexpr const char* kTitleScript = "40\n1 DOWN\n20\n1 ESCAPE\n200\n";

std::map<int, std::string> FrameCrcs(const std::string& log) {
  std::istringstream lines(log);
  std::map<int, std::string> crc;
  int n;
  std::string scene, value;
  while (lines >> n >> scene >> value) crc[n] = scene + " " + value;
  return crc;
}

TEST_F(PlayerRun, TitleAppearsCursorMovesAndEscapeEndsInOrder) {
  UseInput(kTitleScript);
  env["ZANDREL_SHOT"] = "30:" + (project / "shot.bmp").string();
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");

  auto crc = FrameCrcs(Read("frames.log"));
  ASSERT_GE(crc.size(), 50u);
  EXPECT_EQ(crc[40].substr(0, 5), "title");
  // The cursor moved: the frame after the move differs from the one before it.
  EXPECT_NE(crc[40], crc[43]);
  EXPECT_EQ(crc[43], crc[50]);

  const std::string trace = Read("trace.txt");
  EXPECT_NE(trace.find("scene 0 0"), std::string::npos) << trace;
  EXPECT_NE(trace.find("sound 0"), std::string::npos) << trace;

  const std::string report = Read("Report_Game.txt");
  EXPECT_NE(report.find("App : ver 696"), std::string::npos);
  EXPECT_EQ(fs::file_size(project / "user_data/Window.dat"), 32u);
  EXPECT_TRUE(fs::exists(project / "shot.bmp"));
}

TEST_F(PlayerRun, TwoRunsGiveTheSameFrameLog) {
  UseInput("40\n1 DOWN\n10\n1 UP\n");
  env["ZANDREL_FRAMES"] = "80";
  ASSERT_EQ(Run(), 0);
  const std::string first = Read("frames.log");
  fs::remove(project / "frames.log");
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(Read("frames.log"), first);
  EXPECT_GT(first.size(), 100u);
}

// Each start-up step made to fail ends with its line, in order, non-zero.
TEST_F(PlayerRun, FailureMatrix) {
  struct Case {
    const char* name;
    const char* fail;     // ZANDREL_FAIL, or ""
    const char* remove;   // a project file removed, or ""
    const char* line;     // UTF-8 text expected in the report log
    bool damage = false;  // the file is cut short instead of removed
  };
  const Case cases[] = {
      {"database", "", "data/database/Sound.dat", "データベースの読み込みに失敗…"},
      {"system data", "", "data/System.dat", "data\\System.dat の読み込みに失敗…"},
      {"world map", "", "data/WorldMap.dat", "data\\WorldMap.dat のロードに失敗！"},
      {"common palette", "", "data/CommonPalette.cplt4", "data\\CommonPalette.cplt4 のロードに失敗！"},
      {"palette bitmap", "", "bmp/plt/Palette.bmp", "Palette.bmp"},
      {"damaged system data", "", "data/System.dat", "data\\System.dat", true},
      {"damaged world map", "", "data/WorldMap.dat", "data\\WorldMap.dat のロードに失敗！", true},
      {"display", "display", "", "DirectDrawCreateEx Err"},
      {"font", "font", "", "CreateFonts failed"},
      {"database file", "file:data\\database\\Bgm.dat", "", "Bgm.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteProject(project.Path());
    if (c.damage)
      fs::resize_file(project / c.remove, 9);
    else if (*c.remove)
      fs::remove(project / c.remove);
    env.erase("ZANDREL_FAIL");
    if (*c.fail) env["ZANDREL_FAIL"] = c.fail;
    EXPECT_NE(Run(), 0);
    const std::string report = Read("Report_Game.txt");
    EXPECT_NE(report.find(Sjis(c.line)), std::string::npos) << report;
  }
}

TEST_F(PlayerRun, SecondStartFindsTheFirstAndAsks) {
  platform::InstanceLock first(runtime / "zandrel.lock");
  ASSERT_TRUE(first.TryAcquire());
  EXPECT_EQ(Run(), 0);
  const std::string report = Read("Report_Game.txt");
  EXPECT_NE(report.find(Sjis("二重起動")), std::string::npos) << report;
  EXPECT_NE(report.find("NO (default)"), std::string::npos) << report;
  EXPECT_FALSE(fs::exists(project / "frames.log"));
}

// The generated sample project starts, plays its title music and shows the title.
TEST_F(PlayerRun, SampleProjectStartsOnItsTitle) {
  fs::remove_all(project.Path());
  fs::copy(SAMPLE_PROJECT_DIR, project.Path(), fs::copy_options::recursive);
  env["ZANDREL_FRAMES"] = "30";
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  auto crc = FrameCrcs(Read("frames.log"));
  ASSERT_EQ(crc.size(), 30u);
  // Golden: the sample project's title with its graphic menu and the cursor
  // on the first item, as mkproject draws them (seen by eye once).
  EXPECT_EQ(crc[30], "title 79c81164");
  EXPECT_NE(Read("trace.txt").find("music play 0 loop 1"), std::string::npos) << Read("trace.txt");
  EXPECT_EQ(Read("Report_Game.txt").find("err V"), std::string::npos);
}

// Free play from the title: the stage file chosen in the dialog loads and
// stage play sets it up and runs it (the hero's position is traced per frame).
TEST_F(PlayerRun, FreePlayLoadsTheChosenStageAndPlaysIt) {
  fs::remove_all(project.Path());
  fs::copy(SAMPLE_PROJECT_DIR, project.Path(), fs::copy_options::recursive);
  UseInput("40\n1 DOWN\n2\n1 DOWN\n2\n1 DOWN\n2\n1 Z\n300\n");
  std::ofstream(project / "answers.txt") << "file data/stg4/c01-1.stg4_696\n";
  env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
  env["ZANDREL_FRAMES"] = "300";
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  EXPECT_NE(trace.find("scene 0 4\nIn SetStage\n"), std::string::npos) << trace.substr(0, 500);
  EXPECT_NE(trace.find(" hero 392.500,"), std::string::npos) << trace.substr(0, 500);
  EXPECT_EQ(FrameCrcs(Read("frames.log"))[300].substr(0, 5), "stage");
}

// The free stage named on the command line shows its background layers and
// blocks: a frame drawn without the stage's sheets is one flat colour.
TEST_F(PlayerRun, FreeStageFrameShowsTheStageSheets) {
  fs::remove_all(project.Path());
  fs::copy(SAMPLE_PROJECT_DIR, project.Path(), fs::copy_options::recursive);
  env["ZANDREL_FRAMES"] = "200";
  env["ZANDREL_SHOT"] = "150:" + (project / "stage.bmp").string();
  ASSERT_EQ(Run("data\\stg4\\Default.stg4"), 0) << Read("Report_Game.txt");
  ASSERT_EQ(FrameCrcs(Read("frames.log"))[150].substr(0, 5), "stage");
  const auto shot = platform::display::LoadBitmapFile((project / "stage.bmp").string());
  ASSERT_TRUE(shot.has_value());
  std::set<std::uint32_t> colours;
  int black = 0;
  for (int y = 0; y < shot->height; ++y)
    for (int x = 0; x < shot->width; ++x) {
      const std::uint32_t colour = shot->Colour(x, y);
      colours.insert(colour);
      black += colour == 0;
    }
  EXPECT_GE(colours.size(), 4u);
  EXPECT_LT(black, shot->width * shot->height / 4);
}

// A chosen stage file that does not load is not reported as chosen: the title
// stays, and the program closes in order.
TEST_F(PlayerRun, FreePlayOfAFileThatDoesNotLoadClosesInOrder) {
  fs::remove_all(project.Path());
  fs::copy(SAMPLE_PROJECT_DIR, project.Path(), fs::copy_options::recursive);
  fs::resize_file(project / "data/stg4/c01-1.stg4_696", 40);
  UseInput("40\n1 DOWN\n2\n1 DOWN\n2\n1 DOWN\n2\n1 Z\n300\n");
  std::ofstream(project / "answers.txt") << "file data/stg4/c01-1.stg4_696\n";
  env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(Read("trace.txt").find("scene 0 4"), std::string::npos) << Read("trace.txt");
  EXPECT_LT(FrameCrcs(Read("frames.log")).size(), 300u);
}

// A command line too long for a stage name is refused with a line, not cut.
TEST_F(PlayerRun, OverlongCommandLineIsRefusedAndTheTitleOpens) {
  env["ZANDREL_FRAMES"] = "3";
  ASSERT_EQ(Run(std::string(300, 'a')), 0);
  EXPECT_NE(Read("Report_Game.txt").find("command line of 300 characters is too long"), std::string::npos);
  EXPECT_EQ(FrameCrcs(Read("frames.log"))[3].substr(0, 5), "title");
}

// "Direct3D" 2 asks with the start-up dialog: Start saves the choice, Cancel ends the start.
TEST_F(PlayerRun, StartUpDialogSavesOnStartAndCancelEndsTheStart) {
  std::ofstream(project / "System.ini", std::ios::binary) << "Direct3D=2\nWindowMode=1\nExit\n";
  std::ofstream(project / "answers.txt") << "button CANCEL\n";
  env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
  env["ZANDREL_FRAMES"] = "3";
  EXPECT_NE(Run(), 0);
  EXPECT_FALSE(fs::exists(project / "user_data/Boot.dat"));

  env.erase("ZANDREL_ANSWERS");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fs::file_size(project / "user_data/Boot.dat"), 20u);
}

TEST_F(PlayerRun, TestPlayNotifiesTheEditor) {
  const fs::path socketPath = runtime / "zandrel-editor.sock";
  int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  env["ZANDREL_SHOW"] = "5";
  env["ZANDREL_FRAMES"] = "3";
  ASSERT_EQ(Run(), 0);
  std::vector<std::pair<std::int32_t, std::int32_t>> notices;
  std::int32_t notice[2];
  while (recv(fd, notice, sizeof notice, MSG_DONTWAIT) == sizeof notice) notices.emplace_back(notice[0], notice[1]);
  close(fd);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0], std::make_pair(1, 1));
  EXPECT_EQ(notices[1], std::make_pair(0, 1));
}

struct HeroAt {
  double x, y;
};

// The hero's traced position of every frame, in order.
std::vector<HeroAt> HeroTrack(const std::string& trace) {
  std::vector<HeroAt> track;
  std::istringstream lines(trace);
  std::string line;
  HeroAt at{};
  int frame = 0;
  while (std::getline(lines, line))
    if (std::sscanf(line.c_str(), "Frame %d hero %lf,%lf", &frame, &at.x, &at.y) == 3) track.push_back(at);
  return track;
}

// The free stage started from the command line: the hero stands on the floor,
// walks right while Right is held and jumps under Z, and is never lost.
TEST_F(PlayerRun, FreeStageHeroWalksAndJumpsUnderTheKeys) {
  fs::remove_all(project.Path());
  fs::copy(SAMPLE_PROJECT_DIR, project.Path(), fs::copy_options::recursive);
  UseInput("60\n60 RIGHT\n20 RIGHT Z\n60 RIGHT\n");
  env["ZANDREL_FRAMES"] = "260";
  ASSERT_EQ(Run("data\\stg4\\Default.stg4"), 0) << Read("Report_Game.txt");
  const std::string trace = Read("trace.txt");
  EXPECT_EQ(trace.find("Dead"), std::string::npos) << trace.substr(0, 500);
  EXPECT_EQ(trace.find("Stage end"), std::string::npos);
  const std::vector<HeroAt> track = HeroTrack(trace);
  ASSERT_GT(track.size(), 200u);

  // The sample hero is placed in column 2 of the stage, the 10-cell margin
  // before it, its 16-dot body centred in the cell: (2 + 10) * 32 + 8 + 0.5.
  // It stands on the floor's top row 13: its 24-dot body ends at (13 + 10) * 32.
  constexpr double kStartX = (2 + 10) * 32 + 8 + 0.5;
  constexpr double kStandY = (13 + 10) * 32 - 24;
  // The walk flow moves 25 tenths of a dot per frame.
  constexpr double kWalkPerFrame = 2.5;
  EXPECT_EQ(track.front().x, kStartX);
  int walkFrames = 0;
  double highest = kStandY;
  for (size_t i = 1; i < track.size(); ++i) {
    const double dx = track[i].x - track[i - 1].x;
    EXPECT_TRUE(dx == 0 || dx == kWalkPerFrame) << "frame " << i + 1 << " moved " << dx;
    walkFrames += dx == kWalkPerFrame;
    highest = std::min(highest, track[i].y);
  }
  // Right is held for 140 input steps; some of them are read before play starts.
  EXPECT_GT(walkFrames, 100);
  EXPECT_EQ(track.back().x, kStartX + walkFrames * kWalkPerFrame);
  EXPECT_LT(highest, kStandY - 32) << "the jump left the floor by less than a cell";
  EXPECT_GE(track.back().y, kStandY);
  EXPECT_LT(track.back().y, kStandY + 1);
}

}  // namespace
