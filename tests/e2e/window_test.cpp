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
#include <optional>
#include <thread>

#include "PlayerRun.h"
#include "app/ShellRecords.h"
#include "library/util/Text.h"
#include "platform/display/FrameHandOver.h"
#include "platform/overlay/DialogTemplate.h"
#include "records/StandaloneContext.h"

// Last: it brings Xlib, whose macros other headers must not see.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include "XServer.h"

namespace e2e {
namespace {

// Where the game's window stands on a screen without a window manager:
// centred on the desktop.
constexpr int kWindowX = (kScreenWidth - 640) / 2, kWindowY = (kScreenHeight - 480) / 2;
// Screenshots go to the folder the tests start in.
const fs::path kShotFolder = fs::current_path();

struct ScreenPoint {
  int x = 0, y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// The screen's pixels as the X server holds them (0xRRGGBB, rows packed).
std::vector<std::uint32_t> ReadScreen(const std::string& display) {
  std::vector<std::uint32_t> pixels;
  Display* x = XOpenDisplay(display.c_str());
  if (!x) return pixels;
  if (XImage* image = XGetImage(x, DefaultRootWindow(x), 0, 0, kScreenWidth, kScreenHeight, AllPlanes, ZPixmap)) {
    for (int row = 0; row < kScreenHeight; ++row)
      for (int column = 0; column < kScreenWidth; ++column)
        pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, column, row)) & 0xFFFFFF);
    XDestroyImage(image);
  }
  XCloseDisplay(x);
  return pixels;
}

ScreenPoint QueryPointer(const std::string& display) {
  ScreenPoint at{-1, -1};
  Display* x = XOpenDisplay(display.c_str());
  if (!x) return at;
  Window root, child;
  int windowX, windowY;
  unsigned mask;
  XQueryPointer(x, DefaultRootWindow(x), &root, &child, &at.x, &at.y, &windowX, &windowY, &mask);
  XCloseDisplay(x);
  return at;
}

// The top-level window whose _NET_WM_PID is `pid`, or 0.
Window FindWindowOfProcess(Display* x, pid_t pid) {
  const Atom pidAtom = XInternAtom(x, "_NET_WM_PID", False);
  Window root, parent, *children = nullptr, found = 0;
  unsigned count = 0;
  if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    Atom type;
    int format;
    unsigned long items = 0, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data) ==
            Success &&
        items == 1 && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid)
      found = children[i];
    if (data) XFree(data);
  }
  if (children) XFree(children);
  return found;
}

// The window's title as the window manager shows it (_NET_WM_NAME, UTF-8).
std::string WindowTitle(const std::string& display, pid_t pid) {
  std::string title;
  Display* x = XOpenDisplay(display.c_str());
  if (!x) return title;
  if (const Window window = FindWindowOfProcess(x, pid)) {
    Atom type;
    int format;
    unsigned long items = 0, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, window, XInternAtom(x, "_NET_WM_NAME", False), 0, 256, False,
                           XInternAtom(x, "UTF8_STRING", False), &type, &format, &items, &after, &data) == Success &&
        data)
      title.assign(reinterpret_cast<const char*>(data), items);
    if (data) XFree(data);
  }
  XCloseDisplay(x);
  return title;
}

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

  // "user_data\\Window.dat" as the next start reads it, written / read in the project.
  bool StorePlacement(int x, int y, int width, int height) {
    cWindowPlacement placement;
    placement.Set(x, y, width, height, 0);
    return InProject([&](const cStandaloneContext& context) {
      return placement.SaveToFile("user_data\\Window.dat", context.Get());
    });
  }
  struct Placement {
    int x, y, width, height;
  };
  std::optional<Placement> StoredPlacement() {
    cWindowPlacement placement;
    if (!InProject([&](const cStandaloneContext& context) {
          return placement.LoadFromFile("user_data\\Window.dat", context.Get());
        }))
      return std::nullopt;
    return Placement{placement.m_nX, placement.m_nY, placement.m_nWidth, placement.m_nHeight};
  }
  template <typename Action>
  bool InProject(Action action) {
    cStandaloneContext context;
    const fs::path previous = fs::current_path();
    fs::current_path(project.Path());
    const bool done = action(context);
    fs::current_path(previous);
    return done;
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

// With no window manager to carry the full-screen state out, the window
// still covers the screen and shows the whole frame.
TEST_F(WindowRun, FullScreenCoversTheScreenWithoutAWindowManager) {
  SetWindowMode(0);
  ExpectWindowShowsHandedOverFrame("", kScreenWidth / 640);
}

// A dialog shown by the player under the X server, held open (no answers):
// the screen and the pointer are read while it waits, then the player is
// asked to end with SIGTERM.
// A key pressed on the X server's keyboard (XTest), held for `hold`.
void PressKey(const std::string& display, KeySym key, std::chrono::milliseconds hold) {
  Display* x = XOpenDisplay(display.c_str());
  ASSERT_NE(x, nullptr);
  const KeyCode code = XKeysymToKeycode(x, key);
  XTestFakeKeyEvent(x, code, True, CurrentTime);
  XFlush(x);
  std::this_thread::sleep_for(hold);
  XTestFakeKeyEvent(x, code, False, CurrentTime);
  XFlush(x);
  XCloseDisplay(x);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

class DialogRun : public WindowRun {
 protected:
  void SetUp() override {
    WindowRun::SetUp();
    env.erase("ZANDREL_WINDOW_SHOT");  // the game stops handing frames over while a dialog waits
  }
  void TearDown() override {
    if (m_child > 0) {
      kill(m_child, SIGKILL);
      waitpid(m_child, nullptr, 0);
    }
  }

  // Starts the player; true once its trace says a dialog is on the screen.
  bool StartUntilDialogShown(const std::string& input) {
    UseInput(input);
    m_child = testsupport::StartProgram(ZANDREL_PROGRAM, "", project.Path(), env);
    return WaitUntil([this] { return Read("trace.txt").find("Dialog shown:") != std::string::npos; });
  }

  // True once `reached` holds, the player still running, within a minute;
  // then half a second more for the X server to show it.
  template <typename Reached>
  bool WaitUntil(Reached reached) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (Running() && std::chrono::steady_clock::now() < deadline) {
      if (reached()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // Presses `key` until `done` holds: a press that a slow frame missed is made again.
  template <typename Done>
  bool PressUntil(KeySym key, Done done) {
    for (int press = 0; press < 10 && Running(); ++press) {
      PressKey(server.Name(), key, std::chrono::milliseconds(120));
      for (int wait = 0; wait < 50; ++wait) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
    return false;
  }

  static long Count(const std::string& text, const std::string& what) {
    long count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
    return count;
  }

  bool Running() {
    if (m_child > 0 && waitpid(m_child, nullptr, WNOHANG) == m_child) m_child = 0;
    return m_child > 0;
  }

  // The game window's 640 x 480 as the screen shows it, kept as a screenshot.
  std::vector<std::uint32_t> ShootGameWindow(const std::string& name) {
    const std::vector<std::uint32_t> screen = ReadScreen(server.Name());
    std::vector<std::uint32_t> window;
    if (screen.size() != static_cast<size_t>(kScreenWidth) * kScreenHeight) return window;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) window.push_back(screen[(kWindowY + y) * kScreenWidth + kWindowX + x]);
    EXPECT_TRUE(platform::display::WriteBitmap24((kShotFolder / name).string(), window, 640, 480));
    return window;
  }

  // The share of black pixels of the game window outside the dialog's rectangle (game-area dots).
  static double BlackAround(const std::vector<std::uint32_t>& window, int left, int top, int width, int height) {
    int black = 0, outside = 0;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        if (x >= left && x < left + width && y >= top && y < top + height) continue;
        ++outside;
        black += window[static_cast<size_t>(y) * 640 + x] == 0;
      }
    return outside ? static_cast<double>(black) / outside : 1.0;
  }

  // SIGTERM; the exit status, or -1 when the player had to be killed after 30 s.
  int Terminate() {
    kill(m_child, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    while (waitpid(m_child, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() >= deadline) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_child = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  static std::string Presses(const std::string& key, int n) {
    std::string lines;
    for (int i = 0; i < n; ++i) lines += "1 " + key + "\n2\n";
    return lines;
  }

  pid_t m_child = 0;
};

// FREE PLAY's file dialog is drawn in the game's window over the title,
// which stays visible around it; SIGTERM cancels it and the program closes
// as from the title, saving its window placement.
TEST_F(DialogRun, FreePlayDialogOverTheTitleEndsOnSigterm) {
  using platform::overlay::UnitsToPixelsX, platform::overlay::UnitsToPixelsY;
  ASSERT_TRUE(StartUntilDialogShown("40\n" + Presses("DOWN", 3) + Presses("Z", 1))) << Read("Report_Game.txt");
  // The chooser (260 x 190 units and its title bar) is centred on the game area.
  const int width = UnitsToPixelsX(260), height = UnitsToPixelsY(190) + platform::overlay::kTitleBarHeight;
  const auto window = ShootGameWindow("xvfb-freeplay-dialog.bmp");
  ASSERT_EQ(window.size(), 640u * 480u);
  EXPECT_LT(BlackAround(window, (640 - width) / 2, (480 - height) / 2, width, height), 0.01);
  EXPECT_EQ(Terminate(), 0) << Read("Report_Game.txt");
  EXPECT_NE(Read("Report_Game.txt").find(" -> 0 (user)"), std::string::npos) << Read("Report_Game.txt");
  EXPECT_TRUE(fs::exists(project / "user_data" / "Window.dat"));
}

// The Escape that cancels FREE PLAY's dialog is the dialog's, tapped or held
// on after the dialog has gone: it must not reach the title, where Escape
// ends the program. Real keys on the real clock, as the input script would
// stand for the keyboard.
TEST_F(DialogRun, EscapeThatCancelsADialogDoesNotEndTheProgram) {
  env.erase("ZANDREL_INPUT");
  env.erase("ZANDREL_FRAMES");
  env.erase("ZANDREL_FAST");
  for (const int holdMs : {600, 0}) {
    SCOPED_TRACE(holdMs);
    fs::remove(project / "trace.txt");
    fs::remove(project / "frames.log");
    m_child = testsupport::StartProgram(ZANDREL_PROGRAM, "", project.Path(), env);
    // The title takes keys once it has faded in (40 frames).
    ASSERT_TRUE(WaitUntil([this] { return Count(Read("frames.log"), "\n") > 60; }));
    for (int moves = 1; moves <= 3; ++moves)
      ASSERT_TRUE(PressUntil(XK_Down, [&] { return Count(Read("trace.txt"), "sound 0\n") >= moves; }));
    ASSERT_TRUE(PressUntil(XK_z, [this] { return Read("trace.txt").find("Dialog shown:") != std::string::npos; }))
        << Read("trace.txt");
    PressKey(server.Name(), XK_Escape, std::chrono::milliseconds(holdMs));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(Running()) << Read("Report_Game.txt");
    EXPECT_EQ(Terminate(), 0) << Read("Report_Game.txt");
  }
}

// The ranking-name dialog of the options: drawn over the options page with
// the pointer over it, at (x + 80, y + 65) of its place (240, 220); SIGTERM
// cancels it and the program closes.
TEST_F(DialogRun, NameDialogOverTheOptionsHasThePointerAndEndsOnSigterm) {
  using platform::overlay::UnitsToPixelsX, platform::overlay::UnitsToPixelsY;
  ASSERT_TRUE(StartUntilDialogShown("40\n" + Presses("DOWN", 5) + Presses("Z", 1) + "30\n" + Presses("DOWN", 4) +
                                    Presses("Z", 1)))
      << Read("Report_Game.txt");
  EXPECT_EQ(QueryPointer(server.Name()), (ScreenPoint{kWindowX + 240 + 80, kWindowY + 220 + 65}));
  const auto window = ShootGameWindow("xvfb-name-dialog.bmp");
  ASSERT_EQ(window.size(), 640u * 480u);
  EXPECT_LT(BlackAround(window, 240, 220, UnitsToPixelsX(110), UnitsToPixelsY(65)), 0.01);
  EXPECT_EQ(Terminate(), 0) << Read("Report_Game.txt");
  EXPECT_TRUE(fs::exists(project / "user_data" / "Window.dat"));
}

// The start-up dialog (Direct3D=2, nothing saved) is drawn in the game's
// window, which bears the game's name, with the pointer at (x + 181.9,
// y + 198.9) of its place, the 374 x 272 box centred on the 640 x 480 area.
// SIGTERM cancels it, which ends the start.
TEST_F(DialogRun, BootDialogHasThePointerAndEndsOnSigterm) {
  std::string ini = Read("System.ini");
  ini.replace(ini.find("Direct3D=1"), 10, "Direct3D=2");
  std::ofstream(project / "System.ini", std::ios::binary) << ini;
  ASSERT_TRUE(StartUntilDialogShown("")) << Read("Report_Game.txt");
  const int x = 320 - 187, y = 240 - 136;
  EXPECT_EQ(QueryPointer(server.Name()),
            (ScreenPoint{kWindowX + static_cast<int>(x + 181.9), kWindowY + static_cast<int>(y + 198.9)}));
  // The window the dialog is drawn in already bears the game's title (the sample's).
  EXPECT_EQ(WindowTitle(server.Name(), m_child), "ザンドレル サンプル");
  EXPECT_EQ(Terminate(), 1) << Read("Report_Game.txt");
}

// An error box reaches the player with a display: the title's damaged
// bitmap is told in a box that waits in the window, not answered unseen.
TEST_F(DialogRun, ErrorBoxOfADamagedBitmapWaitsForThePlayer) {
  std::ofstream(project / "bmp/Title.bmp", std::ios::binary | std::ios::trunc) << "BM";
  ASSERT_TRUE(StartUntilDialogShown("")) << Read("Report_Game.txt");
  EXPECT_NE(Read("trace.txt").find("Dialog shown: " + Sjis("エラー")), std::string::npos) << Read("trace.txt");
  EXPECT_EQ(Read("Report_Game.txt").find("(default)"), std::string::npos) << Read("Report_Game.txt");
  EXPECT_NE(Terminate(), -1) << Read("Report_Game.txt");
}

// Another program's window that takes the keyboard focus from the game, as a
// player's click on another window on the desktop does.
class OtherWindow {
 public:
  explicit OtherWindow(Display* x) : m_x(x) {
    m_window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 200, 200, 0, 0, 0);
    XMapWindow(x, m_window);
    XSync(x, False);
    XWindowAttributes attributes{};
    for (int i = 0; i < 250 && XGetWindowAttributes(x, m_window, &attributes) && attributes.map_state != IsViewable;
         ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ~OtherWindow() { XDestroyWindow(m_x, m_window); }
  void TakeFocus() { Focus(m_window); }
  void Focus(Window window) {
    XSetInputFocus(m_x, window, RevertToParent, CurrentTime);
    XSync(m_x, False);
  }

 private:
  Display* m_x;
  Window m_window = 0;
};

// While another window has the focus the game stands still; given the focus
// back, it goes on at its 60 frames a second, not faster to make up for the
// time it stood still (under a second, which the pacing would otherwise
// catch up on).
TEST_F(DialogRun, GameStandsStillWithoutFocusAndDoesNotRushAfterwards) {
  env.erase("ZANDREL_INPUT");
  env.erase("ZANDREL_FAST");
  env["ZANDREL_FRAMES"] = "100000";
  m_child = testsupport::StartProgram(ZANDREL_PROGRAM, "", project.Path(), env);
  const auto frames = [this] { return Count(Read("frames.log"), "\n"); };
  ASSERT_TRUE(WaitUntil([&] { return frames() > 60; })) << Read("Report_Game.txt");
  Display* x = XOpenDisplay(server.Name().c_str());
  ASSERT_NE(x, nullptr);
  const Window game = FindWindowOfProcess(x, m_child);
  ASSERT_NE(game, 0u);
  {
    OtherWindow other(x);
    other.Focus(game);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    other.TakeFocus();
    // A loaded machine takes its time to tell the game; then 0.45 s go by without a frame.
    bool stoodStill = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    auto lastFrameSeen = std::chrono::steady_clock::now();
    for (long last = frames(); !stoodStill && std::chrono::steady_clock::now() < deadline;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      const long now = frames();
      if (now != last) lastFrameSeen = std::chrono::steady_clock::now();
      last = now;
      stoodStill = std::chrono::steady_clock::now() - lastFrameSeen >= std::chrono::milliseconds(450);
    }
    ASSERT_TRUE(stoodStill) << "frames ran without the focus";
    other.Focus(game);
    const long resumed = frames();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    // 120 frames in two seconds; making up for the half second stood still adds 30 more.
    EXPECT_LE(frames() - resumed, 135);
    EXPECT_GT(frames() - resumed, 0) << "the game did not go on with the focus back";
  }
  XCloseDisplay(x);
  EXPECT_EQ(Terminate(), 0) << Read("Report_Game.txt");
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
  ASSERT_TRUE(StorePlacement(50, 40, 100000, 60000));

  // No window shot: the window may reach past the screen's edge, where the X
  // server cannot read it back.
  env.erase("ZANDREL_WINDOW_SHOT");
  env["ZANDREL_FRAMES"] = "30";
  ASSERT_EQ(RunWithin(""), 0) << Read("Report_Game.txt");
  EXPECT_EQ(Read("Report_Game.txt").find("presenter:"), std::string::npos) << Read("Report_Game.txt");
  EXPECT_EQ(FrameCrcs(Read("frames.log")).size(), 30u);
  const auto stored = StoredPlacement();
  ASSERT_TRUE(stored);
  EXPECT_LE(stored->width, kScreenWidth);
  EXPECT_LE(stored->height, kScreenHeight);
  EXPECT_GT(stored->width, 0);
}

// A first start, with no placement stored, shows the window centred on the
// desktop; closing stores that place.
TEST_F(WindowRun, FirstStartCentresTheWindowOnTheDesktop) {
  env.erase("ZANDREL_WINDOW_SHOT");
  env["ZANDREL_FRAMES"] = "30";
  ASSERT_EQ(RunWithin(""), 0) << Read("Report_Game.txt");
  const auto stored = StoredPlacement();
  ASSERT_TRUE(stored);
  EXPECT_EQ((ScreenPoint{stored->x, stored->y}), (ScreenPoint{kWindowX, kWindowY}));
}

// The stored place is where the window opens, with or without a window
// manager (which places a window as it is mapped), so it stays put start after start.
TEST_F(WindowRun, StoredPlaceIsKeptStartAfterStart) {
  env.erase("ZANDREL_WINDOW_SHOT");
  env["ZANDREL_FRAMES"] = "30";
  for (const bool windowManager : {false, true}) {
    SCOPED_TRACE(windowManager ? "openbox" : "no window manager");
    if (windowManager) {
      ASSERT_TRUE(server.StartWindowManager()) << "openbox does not start";
    }
    ASSERT_TRUE(StorePlacement(301, 220, 640, 480));
    for (int start = 0; start < 2; ++start) {
      ASSERT_EQ(RunWithin(""), 0) << Read("Report_Game.txt");
      const auto stored = StoredPlacement();
      ASSERT_TRUE(stored);
      EXPECT_EQ((ScreenPoint{stored->x, stored->y}), (ScreenPoint{301, 220})) << "start " << start;
    }
  }
}

}  // namespace
}  // namespace e2e
