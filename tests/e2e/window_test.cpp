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

// Last: Xlib defines macros that other headers must not see.
#include <X11/Xlib.h>

namespace e2e {
namespace {

constexpr int kScreenWidth = 1280, kScreenHeight = 960;  // twice the game's 640 x 480

// An Xvfb server on a display number it chooses itself, ended with the test.
class XServer {
 public:
  XServer() {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    const std::string screen = std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24";
    std::vector<std::string> args = {"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv.data(), environ) != 0) m_pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    // Xvfb writes its display number once it accepts clients.
    char c;
    while (m_pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n') m_display += c;
    close(fds[0]);
  }
  ~XServer() {
    for (pid_t pid : {m_windowManager, m_pid}) {
      if (pid <= 0) continue;
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
  // ":N", or empty when the server did not start.
  std::string Name() const { return m_display.empty() ? "" : ":" + m_display; }

  // Starts a window manager (openbox), which full-screen windows need to be
  // laid over the screen; true once it has taken the screen over.
  bool StartWindowManager() {
    const std::string display = "DISPLAY=" + Name();
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
      if (std::strncmp(*e, "DISPLAY=", 8) != 0) envp.push_back(*e);
    envp.push_back(const_cast<char*>(display.c_str()));
    envp.push_back(nullptr);
    char name[] = "openbox";
    char* argv[] = {name, nullptr};
    if (posix_spawnp(&m_windowManager, "openbox", nullptr, nullptr, argv, envp.data()) != 0) return false;
    // A window manager that follows the common hints names itself on the root window.
    Display* x = XOpenDisplay(Name().c_str());
    if (!x) return false;
    const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
    bool running = false;
    for (int i = 0; i < 500 && !running; ++i) {
      Atom type;
      int format;
      unsigned long items = 0, after;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False, AnyPropertyType, &type, &format, &items,
                             &after, &data) == Success)
        running = items > 0;
      if (data) XFree(data);
      if (!running) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    XCloseDisplay(x);
    return running;
  }

 private:
  pid_t m_pid = 0;
  pid_t m_windowManager = 0;
  std::string m_display;
};

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
