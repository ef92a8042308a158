// The player in a real X server (Xvfb) with SDL's X11 video driver: the
// window's pixels, read back from the server after a present, are the frame
// the player handed over, windowed and in full screen.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "PlayerRun.h"
#include "app/ShellRecords.h"
#include "platform/display/FrameHandOver.h"
#include "records/StandaloneContext.h"

// Last: it brings Xlib, whose macros other headers must not see.
#include "XServer.h"

namespace e2e {
namespace {

class WindowRun : public PlayerRun {
 protected:
  XServer server;

  void SetUp() override {
    PlayerRun::SetUp();
    ASSERT_FALSE(server.Name().empty()) << "Xvfb does not start (scripts/setup-deps.sh installs it)";
    UseSampleProject();
    env.erase("ZANDREL_HEADLESS");
    env["DISPLAY"] = server.Name();
    env["SDL_VIDEODRIVER"] = "x11";
    // SDL's own renderer: the frame goes to the X server as an image, with no
    // OpenGL library loaded in the player (this machine has no graphics card).
    env["SDL_RENDER_DRIVER"] = "software";
    // Under AddressSanitizer: a module the X libraries load and unload keeps a
    // few bytes that no suppression can name once it is gone.
    if (const char* asan = std::getenv("ASAN_OPTIONS")) env["ASAN_OPTIONS"] = std::string(asan) + ":detect_leaks=0";
    env["ZANDREL_FRAMES"] = "600";  // well past the shot, for a slow main thread
    env["ZANDREL_WINDOW_SHOT"] = "200:" + (project / "window.bmp").string();
  }

  // Runs the player, ended by force if it has not closed within a minute
  // (a box waiting for a user would otherwise hold the test).
  int RunWithin(const std::string& argument) {
    const pid_t child = testsupport::StartProgram(ZANDREL_PROGRAM, argument, project.Path(), env);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    int status = 0;
    while (child > 0 && waitpid(child, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() >= deadline) kill(child, SIGKILL);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (child <= 0) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  // The sample's System.ini asks for WindowMode=1.
  void SetWindowMode(int mode) {
    std::string ini = Read("System.ini");
    const auto at = ini.find("WindowMode=1");
    ASSERT_NE(at, std::string::npos);
    ini.replace(at, 12, "WindowMode=" + std::to_string(mode));
    std::ofstream(project / "System.ini", std::ios::binary) << ini;
  }

  // The frame the window shot shows and the window's size, from the trace.
  struct Shot {
    int frame = 0, width = 0, height = 0;
  };
  Shot ShotTraced() {
    Shot shot;
    const std::string trace = Read("trace.txt");
    const auto at = trace.find("WindowShot frame=");
    if (at != std::string::npos)
      std::sscanf(trace.c_str() + at, "WindowShot frame=%d size=%dx%d", &shot.frame, &shot.width, &shot.height);
    return shot;
  }

  // The CRC the frame log gives frame n (as "scene crc").
  std::string LoggedCrc(int n) {
    const auto crcs = FrameCrcs(Read("frames.log"));
    const auto it = crcs.find(n);
    return it == crcs.end() ? "" : it->second.substr(it->second.find(' ') + 1);
  }

  // The CRC of the game's 640 x 480 picture in the window shot, each game
  // pixel covering scale x scale window pixels that must all be alike.
  std::string WindowCrc(int scale) {
    const auto bitmap = platform::display::LoadBitmapFile((project / "window.bmp").string());
    if (!bitmap || bitmap->width != 640 * scale || bitmap->height != 480 * scale) return "wrong size";
    std::vector<std::uint8_t> bytes;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        const std::uint32_t colour = bitmap->Colour(x * scale, y * scale);
        for (int j = 0; j < scale; ++j)
          for (int i = 0; i < scale; ++i)
            if (bitmap->Colour(x * scale + i, y * scale + j) != colour) return "uneven scaling";
        for (int shift : {0, 8, 16}) bytes.push_back(static_cast<std::uint8_t>(colour >> shift));
        bytes.push_back(0);
      }
    char text[9];
    std::snprintf(text, sizeof text, "%08x", platform::display::Crc32(bytes));
    return text;
  }

  void ExpectWindowShowsHandedOverFrame(const std::string& argument, int scale) {
    ASSERT_EQ(RunWithin(argument), 0) << Read("Report_Game.txt");
    const Shot shot = ShotTraced();
    ASSERT_GE(shot.frame, 200) << Read("trace.txt");
    EXPECT_EQ(shot.width, 640 * scale);
    EXPECT_EQ(shot.height, 480 * scale);
    const std::string logged = LoggedCrc(shot.frame);
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(WindowCrc(scale), logged) << "frame " << shot.frame << " of "
                                        << (argument.empty() ? "the title" : argument);
  }
};

TEST_F(WindowRun, WindowedTitleAndStageShowTheFramesHandedOver) {
  ExpectWindowShowsHandedOverFrame("", 1);
  fs::remove(project / "trace.txt");
  fs::remove(project / "frames.log");
  ExpectWindowShowsHandedOverFrame("data\\stg4\\s01-1.stg4", 1);
}

TEST_F(WindowRun, FullScreenShowsTheFrameHandedOverScaledToTheScreen) {
  ASSERT_TRUE(server.StartWindowManager()) << "openbox does not start (scripts/setup-deps.sh installs it)";
  SetWindowMode(0);
  ExpectWindowShowsHandedOverFrame("data\\stg4\\s01-1.stg4", kScreenWidth / 640);
}

// Started maximised (show command 3): a window with the sizeable frame
// (Direct3D, WindowMode=2) fills the screen; the fixed 640 x 480 window of
// WindowMode=1 keeps its size.
TEST_F(WindowRun, MaximisedShowGrowsOnlyTheSizeableWindow) {
  ASSERT_TRUE(server.StartWindowManager()) << "openbox does not start (scripts/setup-deps.sh installs it)";
  env["ZANDREL_SHOW"] = "3";
  ASSERT_EQ(RunWithin(""), 0) << Read("Report_Game.txt");
  Shot shot = ShotTraced();
  EXPECT_EQ(shot.width, 640) << Read("trace.txt");
  EXPECT_EQ(shot.height, 480);

  SetWindowMode(2);
  fs::remove(project / "trace.txt");
  fs::remove(project / "user_data" / "Window.dat");
  ASSERT_EQ(RunWithin(""), 0) << Read("Report_Game.txt");
  shot = ShotTraced();
  EXPECT_GT(shot.width, 640) << Read("trace.txt");
  EXPECT_GT(shot.height, 480);
}

// A stored sizeable window far larger than any display is held to the
// 1280 x 960 desktop: the presenter opens, and the size written back on
// closing fits the desktop, so later starts are not spoilt either.
TEST_F(WindowRun, HugeStoredWindowIsHeldToTheDesktop) {
  SetWindowMode(2);
  cStandaloneContext context;
  const fs::path previous = fs::current_path();
  fs::current_path(project.Path());
  cWindowPlacement placement;
  placement.Set(50, 40, 100000, 60000, 0);
  const bool saved = placement.SaveToFile("user_data\\Window.dat", context.Get());
  fs::current_path(previous);
  ASSERT_TRUE(saved);

  // No window shot: the window may reach past the screen's edge, where the X
  // server cannot read it back.
  env.erase("ZANDREL_WINDOW_SHOT");
  env["ZANDREL_FRAMES"] = "30";
  ASSERT_EQ(RunWithin(""), 0) << Read("Report_Game.txt");
  EXPECT_EQ(Read("Report_Game.txt").find("presenter:"), std::string::npos) << Read("Report_Game.txt");
  EXPECT_EQ(FrameCrcs(Read("frames.log")).size(), 30u);
  cWindowPlacement stored;
  fs::current_path(project.Path());
  const bool loaded = stored.LoadFromFile("user_data\\Window.dat", context.Get());
  fs::current_path(previous);
  ASSERT_TRUE(loaded);
  EXPECT_LE(stored.m_nWidth, kScreenWidth);
  EXPECT_LE(stored.m_nHeight, kScreenHeight);
  EXPECT_GT(stored.m_nWidth, 0);
}

}  // namespace
}  // namespace e2e
