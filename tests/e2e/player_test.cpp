// Whole-program runs of the player: start-up, the title, failures, and the
// free stage under scripted keys.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "PlayerRun.h"
#include "gamedata/OptionData.h"
#include "library/util/Text.h"
#include "platform/process/InstanceLock.h"

namespace {

using namespace e2e;

// Wait for the title, move the cursor down once, then press Escape.
constexpr const char* kTitleScript = "40\n1 DOWN\n20\n1 ESCAPE\n200\n";

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

// Started where no display can be reached (over a remote shell, say), the
// player does not run unseen: it ends at once, and the box saying that the
// window cannot be made is written on the terminal it was started from.
TEST_F(PlayerRun, NoDisplayEndsTheStartWithAWordOnTheTerminal) {
  if (std::getenv("SDL_VIDEODRIVER")) GTEST_SKIP() << "SDL_VIDEODRIVER names a driver for every run here";
  env.erase("ZANDREL_HEADLESS");
  env.erase("SDL_VIDEODRIVER");
  env["DISPLAY"] = ":987";  // no X server there
  env["WAYLAND_DISPLAY"] = "zandrel-no-compositor";
  env["XDG_RUNTIME_DIR"] = runtime.Path().string();
  env["ZANDREL_FRAMES"] = "3";  // a run that did start would end by itself
  EXPECT_EQ(RunProgram(ZANDREL_PROGRAM, "", project.Path(), env, project / "stderr.txt"), 1);
  EXPECT_NE(Read("stderr.txt").find("エラー: ウインドウが生成出来ません！"), std::string::npos) << Read("stderr.txt");
  EXPECT_FALSE(fs::exists(project / "frames.log"));
}

// A project folder the report log cannot be made in (here a folder stands in
// its place, which keeps the file out for any user) ends the start with a word
// on stderr and an error box naming the file, not silently.
TEST_F(PlayerRun, UnwritableReportSaysWhyBeforeTheEnd) {
  fs::create_directory(project / "Report_Game.txt");
  const fs::path errors = runtime / "stderr.txt";
  EXPECT_EQ(RunProgram(ZANDREL_PROGRAM, "", project.Path(), env, errors), 1);
  std::ifstream in(errors, std::ios::binary);
  std::stringstream said;
  said << in.rdbuf();
  const std::string text = said.str();
  const std::string file = (fs::canonical(project.Path()) / "Report_Game.txt").string();
  EXPECT_NE(text.find("zandrel: " + file + " cannot be created (Is a directory)"), std::string::npos) << text;
  EXPECT_NE(text.find("MesBox : エラー : 「" + file + "」の作成に失敗しました！（Is a directory）"), std::string::npos)
      << text;
  EXPECT_FALSE(fs::exists(project / "frames.log"));
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

// Answered Yes: a lock naming a process that is not the player (here this
// test) is not acted on; one that names no process lets start-up go on.
TEST_F(PlayerRun, SecondStartAnsweredYesEndsOnlyThePlayer) {
  platform::InstanceLock first(runtime / "zandrel.lock");
  ASSERT_TRUE(first.TryAcquire());
  std::ofstream(project / "answers.txt") << "button YES\n";
  env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
  EXPECT_EQ(Run(), 0);
  std::string report = Read("Report_Game.txt");
  EXPECT_NE(report.find("is not this program of this user: it is not ended"), std::string::npos) << report;
  EXPECT_NE(report.find(Sjis("プログラムの終了に失敗しました。")), std::string::npos) << report;
  EXPECT_FALSE(fs::exists(project / "frames.log"));

  fs::resize_file(runtime / "zandrel.lock", 0);  // the running copy cannot be named
  env["ZANDREL_FRAMES"] = "3";
  EXPECT_EQ(Run(), 0);
  report = Read("Report_Game.txt");
  EXPECT_EQ(FrameCrcs(Read("frames.log")).size(), 3u) << report;
}

// A symlink planted where the lock file goes is not followed: its target
// stays as it was, and start-up goes on without the single-instance check.
TEST_F(PlayerRun, SymlinkInPlaceOfTheLockIsLoggedAndStartUpGoesOn) {
  std::ofstream(project / "victim.txt") << "precious";
  fs::create_symlink(project / "victim.txt", runtime / "zandrel.lock");
  env["ZANDREL_FRAMES"] = "3";
  EXPECT_EQ(Run(), 0);
  EXPECT_NE(Read("Report_Game.txt").find("instance lock cannot be opened"), std::string::npos)
      << Read("Report_Game.txt");
  EXPECT_EQ(FrameCrcs(Read("frames.log")).size(), 3u);
  EXPECT_EQ(Read("victim.txt"), "precious");
}

// The generated sample project starts, plays its title music and shows the title.
// The title as its drawing composes it from the project's sheets: the
// picture, the graphic menu at (288 - half the menu sheet's width, 240) with
// each item's 32-pixel row of the sheet 32 pixels in (the cursor's room), and
// the large cursor (32 x 32 from the accessory sheet's corner) on the first
// item; both keyed.
struct ComposedTitle {
  using Bitmap = platform::display::Bitmap;
  explicit ComposedTitle(const fs::path& project)
      : title(Sheet(project, "Title.bmp")),
        menu(Sheet(project, "GameMode.bmp")),
        accessory(Sheet(project, "Accessory.bmp")),
        key(Sheet(project, "plt/Palette.bmp").Colour(0, 0)) {}

  std::uint32_t Pixel(int x, int y) const {
    const int menuX = 288 - menu.width / 2, menuY = 240;
    std::uint32_t pixel = Keyed(menu, x - menuX - 32, y - menuY, title.Colour(x, y));
    return x - menuX < 32 && y - menuY < 32 ? Keyed(accessory, x - menuX, y - menuY, pixel) : pixel;
  }

 private:
  static Bitmap Sheet(const fs::path& project, const char* name) {
    auto bitmap = platform::display::LoadBitmapFile((project / "bmp" / name).string());
    EXPECT_TRUE(bitmap.has_value()) << name;
    return bitmap ? *bitmap : Bitmap{};
  }
  // The sheet's pixel at (sx, sy) where it has one that is not the key, else `under`.
  std::uint32_t Keyed(const Bitmap& sheet, int sx, int sy, std::uint32_t under) const {
    const bool inside = sx >= 0 && sy >= 0 && sx < sheet.width && sy < sheet.height;
    return inside && sheet.Colour(sx, sy) != key ? sheet.Colour(sx, sy) : under;
  }

  Bitmap title, menu, accessory;
  std::uint32_t key;
};

TEST_F(PlayerRun, SampleProjectStartsOnItsTitle) {
  UseSampleProject();
  env["ZANDREL_FRAMES"] = "30";
  env["ZANDREL_SHOT"] = "30:" + (project / "title.bmp").string();
  ASSERT_EQ(Run(), 0) << Read("Report_Game.txt");
  auto crc = FrameCrcs(Read("frames.log"));
  ASSERT_EQ(crc.size(), 30u);
  EXPECT_EQ(crc[30].substr(0, 5), "title");
  const auto shot = platform::display::LoadBitmapFile((project / "title.bmp").string());
  ASSERT_TRUE(shot.has_value());
  const ComposedTitle expected(project.Path());
  int differing = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) differing += shot->Colour(x, y) != expected.Pixel(x, y);
  EXPECT_EQ(differing, 0);
  EXPECT_NE(Read("trace.txt").find("music play 0 loop 1"), std::string::npos) << Read("trace.txt");
  EXPECT_EQ(Read("Report_Game.txt").find("err V"), std::string::npos);
}

// In the 8-bit mode the start-up applies the palette variant of the options,
// with the blend table the project holds for it; a missing table fails the start.
TEST_F(PlayerRun, SampleProjectStartsInEightBitsWithEachPaletteVariant) {
  UseSampleProject();
  std::ofstream(project / "System.ini", std::ios::binary)
      << "Direct3D=0\nWindowMode=0\nBpp=8\nVSync=0\nShowFps=0\nExit\n";
  env["ZANDREL_FRAMES"] = "5";
  for (int variant : {1, 11, 12, 23}) {
    SCOPED_TRACE(variant);
    cOptionData options;
    options.m_nPaletteVariant = variant;
    const fs::path previous = fs::current_path();
    fs::current_path(project.Path());
    fs::create_directories("user_data");
    ASSERT_EQ(options.SaveToFile("user_data\\Option.dat", {}), 1);
    fs::current_path(previous);
    fs::remove(project / "Report_Game.txt");
    EXPECT_EQ(Run(), 0);
    const std::string report = Read("Report_Game.txt");
    EXPECT_EQ(report.find("MesBox"), std::string::npos) << report;
    EXPECT_EQ(FrameCrcs(Read("frames.log")).size(), 5u);
  }
}

// Free play from the title: the stage file chosen in the dialog loads and
// stage play sets it up and runs it (the hero's position is traced per frame).
// A file named in CP932 bytes, as a project unpacked from a Windows archive
// holds it, answers to its name in any letter case; a project kept under a
// folder whose name CP932 cannot hold ("Zoë") still has its files chosen.
TEST_F(PlayerRun, FreePlayLoadsTheChosenStageAndPlaysIt) {
  struct Case {
    std::string folder, onDisk, chosen;
  } cases[] = {{".", "c01-1.stg4_696", "data/stg4/c01-1.stg4_696"},
               {".", "\x83X\x83\x65\x81[\x83W.stg4_696", "DATA/stg4/ステージ.STG4_696"},  // "ステージ" in CP932
               {"Zoë/game", "c01-1.stg4_696", "data/stg4/c01-1.stg4_696"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder + " " + c.chosen);
    UseSampleProject();
    const fs::path game = project / c.folder;
    if (c.folder != ".") {
      fs::create_directories(game);
      fs::copy(SAMPLE_PROJECT_DIR, game, fs::copy_options::recursive);
    }
    fs::rename(game / "data/stg4/c01-1.stg4_696", game / "data/stg4" / c.onDisk);
    UseInput("40\n1 DOWN\n2\n1 DOWN\n2\n1 DOWN\n2\n1 Z\n300\n");
    std::ofstream(project / "answers.txt") << "file " << c.chosen << "\n";
    env["ZANDREL_ANSWERS"] = (project / "answers.txt").string();
    env["ZANDREL_FRAMES"] = "300";
    ASSERT_EQ(RunProgram(ZANDREL_PROGRAM, "", game, env), 0) << Read(c.folder + "/Report_Game.txt");
    const std::string trace = Read("trace.txt");
    EXPECT_NE(trace.find("scene 0 4\nIn SetStage\n"), std::string::npos) << trace.substr(0, 500);
    EXPECT_NE(trace.find(" hero 392.500,"), std::string::npos) << trace.substr(0, 500);
    EXPECT_EQ(FrameCrcs(Read("frames.log"))[300].substr(0, 5), "stage");
  }
}

// The free stage named on the command line shows its background layers and
// blocks: a frame drawn without the stage's sheets is one flat colour.
TEST_F(PlayerRun, FreeStageFrameShowsTheStageSheets) {
  UseSampleProject();
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
  UseSampleProject();
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

// With the font cache on, the close reports how many full-width glyphs each
// menu font gathered; without it there is nothing to report.
TEST_F(PlayerRun, CloseReportsTheGlyphsOfEachFontCache) {
  for (const char* cache : {"1", "0"}) {
    std::ofstream(project / "System.ini", std::ios::binary)
        << "Direct3D=1\nWindowMode=1\nD3D_FontCache=" << cache << "\nExit\n";
    fs::remove(project / "Report_Game.txt");
    env["ZANDREL_FRAMES"] = "3";
    ASSERT_EQ(Run(), 0);
    const std::string report = Read("Report_Game.txt");
    const bool cached = cache[0] == '1';
    for (const char* line : {"Font10 : ", "Font16 : "})
      EXPECT_EQ(report.find(line) != std::string::npos, cached) << cache << report;
  }
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

// The free stage started from the command line: the hero stands on the floor,
// walks right while Right is held and jumps under Z, and is never lost.
TEST_F(PlayerRun, FreeStageHeroWalksAndJumpsUnderTheKeys) {
  UseSampleProject();
  // The fade-in and the stage's two 79-frame captions come before play.
  UseInput("200\n60 RIGHT\n20 RIGHT Z\n60 RIGHT\n");
  env["ZANDREL_FRAMES"] = "420";
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
  // The jump plays the hero's jump sound: sound 1 of the Sound database,
  // which follows the 16 fixed system sounds.
  EXPECT_NE(trace.find("sound 17\n"), std::string::npos) << trace.substr(0, 500);
  EXPECT_GE(track.back().y, kStandY);
  EXPECT_LT(track.back().y, kStandY + 1);
}

}  // namespace
