#include "app/Program.h"

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "app/ChallengeScene.h"
#include "app/GlobalObjects.h"
#include "app/MainWindow.h"
#include "app/OptionScene.h"
#include "app/Scene.h"
#include "app/Shell.h"
#include "app/StageScene.h"
#include "app/StartUp.h"
#include "app/StorySaveScene.h"
#include "app/TitleScene.h"
#include "app/WorldMapScene.h"
#include "library/util/FrameTiming.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "library/util/MesBox.h"
#include "library/util/Path.h"
#include "library/util/SystemReport.h"
#include "platform/Clock.h"
#include "platform/Harness.h"
#include "platform/MainThread.h"
#include "platform/TextCodec.h"
#include "platform/Thread.h"
#include "platform/display/FrameHandOver.h"
#include "platform/display/VideoStart.h"
#include "platform/input/Input.h"
#include "platform/overlay/Overlay.h"
#include "platform/process/InstanceLock.h"

std::atomic<int> bTestPlay{0};
std::atomic<int> bInitDone{0};
std::atomic<int> bAppActive{0};
std::atomic<int> bWindowed{0};
std::atomic<int> bFreeStageStart{0};
std::atomic<int> bBlitPresent{0};
std::atomic<int> bNameEntryDone{0};
std::atomic<int> bFileDlgDone{0};
std::atomic<int> bFileDlgResult{0};
INISETTINGS IniSettings;
cThread thGame;
cThread thPause;
cThread thRanking;
cThread thLoadStage;

const std::string& ShellText(const char* utf8) {
  static std::mutex mutex;
  static std::map<const char*, std::string> texts;
  std::lock_guard lock(mutex);
  auto [entry, added] = texts.try_emplace(utf8);
  if (added) entry->second = Sjis(utf8);
  return entry->second;
}

namespace {

constexpr int kExitFailed = 1;

std::unique_ptr<cScene> MakeScene(int index) {
  switch (index) {
    case SCENE_TITLE:
      return std::make_unique<cTitleScene>();
    case SCENE_WORLDMAP:
      return std::make_unique<cWorldMapScene>();
    case SCENE_STORY_SAVE:
      return std::make_unique<cStorySaveScene>();
    case SCENE_CHALLENGE_SELECT:
      return std::make_unique<cChallengeSelectScene>();
    case SCENE_STAGE_PLAY:
      return std::make_unique<cStageScene>();
    case SCENE_OPTION:
      return std::make_unique<cOptionScene>();
    default:
      return nullptr;
  }
}

// The report log is the first file the player writes in the project folder.
// When it cannot be made (a read-only folder, say) nothing can be saved either,
// so the player tells why on stderr and in a box before it ends, not silently.
void TellReportRefused(const std::string& report, int error) {
  const char* why = std::strerror(error);
  std::fprintf(stderr, "zandrel: %s cannot be created (%s): the player needs a project folder it can write to\n",
               platform::Cp932ToUtf8(report).c_str(), why);
  ErrMesBoxf(ShellText("「%s」の作成に失敗しました！（%s）\nフォルダに書き込みできるか確認して下さい。").c_str(),
             report.c_str(), why);
}

// Second start: ask whether to end the running copy. Start-up goes on when the
// running copy cannot be named or outlives the wait; a lock naming a process
// that is not this program of this user is never acted on.
bool TakeSingleInstance(platform::InstanceLock& lock) {
  if (lock.TryAcquire()) return true;
  if (!lock.Opened()) {
    ReportLogEc("instance lock cannot be opened: start-up goes on without the single-instance check");
    return true;
  }
  const int answer =
      MesBox(ShellText("既に起動しています。\n実行中のプログラムを閉じて再起動しますか？\n\nRunning this "
                       "program now. Restart?"),
             ShellText("二重起動"), MB_YESNO);
  if (answer != IDYES) return false;
  std::string refusal;
  if (!lock.EndHolder(500, &refusal)) {
    ReportLogEc("%s: it is not ended", refusal.c_str());
    MesBox(ShellText("プログラムの終了に失敗しました。"), ShellText("二重起動"), MB_OK);
    return false;
  }
  lock.TryAcquire();
  return true;
}

// SDL's window and its events: focus is the program's activation, a close
// request from the desktop closes the program in order.
struct SdlSession {
  SDL_Window* window = nullptr;
  std::unique_ptr<platform::InputEvents> input;
  platform::TurnRegistration events;

  bool Open() {
    if (platform::Harness().headless) {
      SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
      SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
    }
    if (!platform::display::StartVideo()) return false;
    // A box shown before (the double-start question) opened the window early: it becomes the game's.
    // The window starts centred on the desktop.
    window = platform::overlay::TakeEarlyWindow();
    if (window) {
      SDL_HideWindow(window);
      SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    } else {
      window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480, SDL_WINDOW_HIDDEN);
    }
    if (!window) return false;
    platform::overlay::LendWindow(window);
    input = std::make_unique<platform::InputEvents>();
    events = platform::RegisterSdlEventHandler([](const SDL_Event& event) {
      if (event.type == SDL_QUIT) PostCloseToMainWindow();
      if (event.type != SDL_WINDOWEVENT || platform::Harness().headless) return;
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) SendMessage(hMainWnd.load(), WM_ACTIVATEAPP, 1, 0);
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) SendMessage(hMainWnd.load(), WM_ACTIVATEAPP, 0, 0);
    });
    return true;
  }
  ~SdlSession() {
    events = {};
    input.reset();
    platform::CloseJoysticks();
    platform::overlay::LendWindow(nullptr);
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
  }
};

// The window's key message for Escape. The key is read from the input snapshot
// once per frame on the game thread, right after the frame's input read, so a
// scripted Escape reaches the window as surely as a pressed one. An Escape
// still held when a box or dialog has ended since the last look was pressed
// for it (cancelling a file dialog must not end the program).
class EscapeForwarder {
 public:
  void Look() {
    const bool down = (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
    const unsigned dialogsEnded = platform::overlay::DialogsEnded();
    if (dialogsEnded != m_dialogsEnded) m_wasDown = down;
    m_dialogsEnded = dialogsEnded;
    if (down && !m_wasDown) PostMessage(hMainWnd.load(), WM_KEYDOWN, VK_ESCAPE, 0);
    m_wasDown = down;
  }

 private:
  bool m_wasDown = false;
  unsigned m_dialogsEnded = platform::overlay::DialogsEnded();
};

int PumpMessages() {
  for (;;) {
    platform::ServiceTurn();
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      DispatchMessage(&msg);
    }
    Sleep(1);
  }
}

int RunStarted(std::string_view commandLine, int showCommand, SdlSession& sdl) {
  MainWindow.Create();
  MainWindow.SetSdlWindow(sdl.window);
  hMainWnd = MainWindow.Handle();
  EcLog("G");
  if (bTestPlay.load()) MainWindow.NotifyEditorStart();
  EcLog("H");
  if (!InitGame(commandLine, showCommand)) {
    UnInitGame();
    if (bTestPlay.load()) MainWindow.NotifyEditorExit(0);
    MainWindow.Destroy();
    MainWindow.Release();
    return kExitFailed;
  }
  bInitDone = 1;
  EcLog("I");
  thGame.Start(&GameLoop, nullptr);
  thGame.PostStart();
  EcLog("J");
  const int code = PumpMessages();
  UnInitGame();
  MainWindow.Release();
  EcLog(ShellText("UnInitGame後"));
  return code;
}

}  // namespace

unsigned GameLoop(void*) {
  EscapeForwarder escape;
  try {
    for (;;) {
      MSG msg;
      if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          EcLog("GameLoop WM_QUIT!");
          return 1;
        }
        continue;
      }
      if (!bAppActive.load()) {
        PauseFramePacing();
        Sleep(1);
        continue;
      }
      if (SceneManager.RunFrame() == 0) {
        PostMessage(hMainWnd.load(), WM_CLOSE, 0, 0);
        return 1;
      }
      escape.Look();
    }
  } catch (const platform::ThreadCancelled&) {
    throw;
  } catch (const std::exception& e) {
    ReportLogEc("GameLoop: %s", e.what());
  } catch (...) {
    ReportLogEc("GameLoop: an unknown exception ended the game thread");
  }
  PostCloseToMainWindow();
  return 1;
}

int RunPlayer(std::string_view commandLine, int showCommand) {
  EcLogInit(0, "EC_Game.txt");
  // Boxes asked for by any thread are shown by this one, from the first on.
  platform::overlay::InstallOverlay();
  std::string report = "Report_Game.txt";
  MakeFullPathStr(report);
  if (!ReportInit(report)) {
    TellReportRefused(report, errno);
    return kExitFailed;
  }
  ReportLog("App : ver %s", "696");
  ReportSystemInfo();
  // The report's lines measured beside start-up are written before any way out of here.
  struct WaitForReport {
    ~WaitForReport() { ReportLogWait(); }
  } waitForReport;
  bTestPlay = showCommand == SW_TESTPLAY ? 1 : 0;

  std::string refusal;
  const auto lockFile = platform::InstanceLock::DefaultFile(&refusal);
  if (!lockFile)
    ReportLogEc("runtime folder refused (%s): no single-instance check, no editor notices", refusal.c_str());
  platform::InstanceLock lock(lockFile.value_or(std::filesystem::path()));
  if (lockFile && !TakeSingleInstance(lock)) return 0;

  CreateGlobalObjects();
  SceneManager.SetSceneFactory(&MakeScene);
  platform::display::FrameHandOver::Instance().SetSceneNameHook(
      [] { return std::string(SceneName(SceneManager.m_nScene)); });
  int code = kExitFailed;
  {
    SdlSession sdl;
    if (!sdl.Open()) {
      ErrMesBox(ShellText("ウインドウが生成出来ません！"));
    } else {
      code = RunStarted(commandLine, showCommand, sdl);
    }
  }
  platform::display::FrameHandOver::Instance().SetSceneNameHook(nullptr);
  SceneManager.SetSceneFactory(nullptr);
  DestroyGlobalObjects();
  ReportLogWait();  // before a process end that skips the scope's exit
  lock.Release();
  EcLog(ShellText("ReleaseMutex後"));
  if (platform::ThreadsAbandoned()) platform::EndProcess(code);
  return code;
}
