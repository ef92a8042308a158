#include "app/MainWindow.h"

#include <SDL.h>

#include <string>

#include "app/GlobalObjects.h"
#include "app/NameEntryDialog.h"
#include "app/Scene.h"
#include "app/Shell.h"
#include "app/TitleScene.h"
#include "gamedata/Database.h"
#include "gamedata/OptionData.h"
#include "gamedata/PathTable.h"
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "library/draw/Draw.h"
#include "library/sound/Bgm.h"
#include "library/sound/Sound.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "library/util/Text.h"
#include "library/window/FileDialog.h"
#include "platform/input/VirtualKeys.h"
#include "platform/process/EditorLink.h"

cMainWindow MainWindow;

namespace {

using namespace std::string_view_literals;
// Display text and pattern pairs, ended by an empty string.
constexpr std::string_view kStageFilter = "StageFile ( *.stg4_*;*.rpl4_* )\0stg4_*;rpl4_*\0\0"sv;
constexpr std::string_view kReplayFilter = "ReplayFile ( *.rpl4_* )\0rpl4_*\0\0"sv;

}  // namespace

void cMainWindow::Create() {
  m_window = std::make_unique<platform::Window>(GetCurrentThreadId(),
                                                [this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
                                                  return MsgProc(window, message, wParam, lParam);
                                                });
}

void cMainWindow::Destroy() {
  if (!m_window || m_bDestroyed) return;
  m_bDestroyed = true;
  MsgProc(m_window.get(), WM_DESTROY, 0, 0);
}

void cMainWindow::Release() {
  m_window.reset();
  m_bDestroyed = false;
}

void SuspendGameThreads() {
  for (cThread* thread : {&thGame, &thPause, &thRanking, &thLoadStage}) thread->Suspend();
}

void ResumeGameThreads() {
  for (cThread* thread : {&thGame, &thPause, &thRanking, &thLoadStage}) thread->Resume();
}

void cMainWindow::NotifyEditorStart() { platform::SendEditorNotice(1, 1); }
void cMainWindow::NotifyEditorExit(int value) { platform::SendEditorNotice(0, value); }

void cMainWindow::SavePlacement() {
  if (IniSettings.WindowMode == 0 || !bInitDone.load() || !WindowPlacement) return;
  SDL_Window* window = m_sdlWindow;
  int x = 0, y = 0, w = 640, h = 480;
  Uint32 flags = 0;
  if (window) {
    flags = SDL_GetWindowFlags(window);
    if (flags & SDL_WINDOW_MINIMIZED) return;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &w, &h);
  }
  WindowPlacement->Set(x, y, w, h, (flags & SDL_WINDOW_MAXIMIZED) ? 1 : 0);
  WindowPlacement->SaveToFile(PathTable[PATH_WINDOW], PlayerContext());
}

void cMainWindow::Close() {
  SavePlacement();
  if (thPause.m_hThread.load()) {
    EcLog("WM_CLOSE thPause.m_hThread");
    PostThreadMessage(thPause.m_dwThreadId, WM_QUIT, 0, 0);
    return;
  }
  EcLog(ShellText("WM_CLOSE 成功！"));
  BgmPlayer.StopBgm();
  thLoadStage.Exit();
  thPause.Exit();
  thRanking.Exit();
  EcLog("thPause.Exit()");
  thGame.Exit();
  EcLog("thGame.Exit()");
  Destroy();
}

LRESULT cMainWindow::PlayBgm(WPARAM category, LPARAM tune) {
  if (category > BGMCAT_STAGE) return 0;
  const int entry = static_cast<int>(category);
  if (category == BGMCAT_STAGE) {
    if (PlayData) PlayData->nBgmNo = static_cast<int>(tune);
    BgmPlayer.SetBgmFile(entry, Database->Bgm.VecAt(static_cast<int>(tune)).m_File);
    if (tune == 0) {
      BgmPlayer.StopBgm();
      return 0;
    }
    BgmPlayer.PlayBgm(0, entry, PlayData ? PlayData->nBgmParam : 1, 1);
    return 0;
  }
  const cSystemData& system = CurrentSystemData();
  const int number = system.m_FrontBgm.VecAt(entry);
  if (number == 0) {
    BgmPlayer.StopBgm();
    return 0;
  }
  BgmPlayer.SetBgmFile(entry, Database->Bgm.VecAt(number).m_File);
  BgmPlayer.PlayBgm(0, entry, system.m_FrontBgmLoop.VecAt(entry), 1);
  return 0;
}

std::string ChooseFile(const char* initialFolder, const char* title, std::string_view filter) {
  char buffer[260] = {};
  DDSetDialogMode(1);
  const int chosen = OpenFileDialog(MainWindow.Handle(), buffer, sizeof buffer, initialFolder, title,
                                    std::string(filter).c_str(), nullptr, false, nullptr);
  DDSetDialogMode(0);
  return chosen ? std::string(buffer) : std::string();
}

// The ranking name is edited in place: the options' name while the options
// screen is open, else the play record's.
void cMainWindow::EnterRankingName() {
  DDSetDialogMode(1);
  SuspendGameThreads();
  std::string* name = SceneManager.PlayMode == PLAYMODE_OPTION ? (OptionData ? &OptionData->m_RankingName : nullptr)
                                                               : (PlayData ? &PlayData->RankName : nullptr);
  {
    cNameEntryDialog dialog(IDD_NAMEENTRY, nullptr, 0, nullptr, name, !bWindowed.load(), IniSettings.English != 0);
    dialog.DoModal(0);
  }
  DDSetDialogMode(0);
  ResumeGameThreads();
  bNameEntryDone = 1;
}

void cMainWindow::LoadStageFile() {
  const std::string path = ChooseFile(
      "data\\stg4\\", IniSettings.English ? "Load stage file" : ShellText("ステージファイルの読み込み").c_str(),
      kStageFilter);
  // A stage that fails to load is reported to the sender as a failure (the
  // title stays), and the program closes in order.
  const bool loaded = !path.empty() && StartStageFromFile(path, 0);
  if (!path.empty() && !loaded) PostMessage(Handle(), WM_CLOSE, 0, 0);
  bFileDlgResult = loaded ? 1 : 0;
  bFileDlgDone = 1;
}

// Replays are not playable in this build yet: a chosen replay is refused
// honestly instead of being reported as loaded.
void cMainWindow::LoadReplayFile() {
  const std::string path = ChooseFile(
      "user_data\\rpl4", IniSettings.English ? "Load replay file" : ShellText("リプレイファイルの読み込み").c_str(),
      kReplayFilter);
  if (!path.empty()) ReportLogEc("replay %s: replays are not yet playable", path.c_str());
  bFileDlgResult = 0;
  bFileDlgDone = 1;
}

LRESULT cMainWindow::MsgProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  // Messages still queued for the window after it was destroyed go nowhere.
  if (m_bDestroyed && message != WM_DESTROY) return 0;
  switch (message) {
    case WM_DESTROY:
      EcLog("WM_DESTROY");
      hMainWnd = nullptr;
      if (bTestPlay.load()) NotifyEditorExit(1);
      PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessage(Handle(), WM_CLOSE, 0, 0);
      return 0;
    case WM_ACTIVATEAPP:
      bAppActive = static_cast<int>(wParam);
      return 0;
    case WM_NAMEENTRY:
      EnterRankingName();
      return 0;
    case WM_LOADSTAGEFILE:
      LoadStageFile();
      return 0;
    case WM_LOADREPLAYFILE:
      LoadReplayFile();
      return 0;
    case WM_SAVEREPLAYFILE:
      ChooseFile("user_data\\rpl4", "Save replay file", kReplayFilter);
      ReportLogEc("replays are not yet playable: nothing saved");
      bFileDlgResult = 0;
      bFileDlgDone = 1;
      return 0;
    case WM_PLAYSE:
      DS_Play(SoundList.VecAt(static_cast<int>(wParam)), 0);
      return 0;
    case WM_PLAYBGM:
      return PlayBgm(wParam, lParam);
    case WM_RESTOREDEVICE:
      DDRestoreSurface();
      return 0;
    default:
      return 0;
  }
}
