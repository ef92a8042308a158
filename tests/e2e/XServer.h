#pragma once
// A real X server (Xvfb) for whole-program runs with SDL's X11 video driver,
// with a window manager when a test needs one.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

// Last: Xlib defines macros that other headers must not see.
#include <X11/Xlib.h>

extern char** environ;

namespace e2e {

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

}  // namespace e2e
