#include "app/MainWindow.h"

#include <SDL.h>

#include <cstdio>
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
#include "library/util/Path.h"
#include "library/util/Text.h"
#include "library/window/FileDialog.h"
#include "platform/input/VirtualKeys.h"
#include "platform/process/EditorLink.h"
#include "records/StageData.h"
#include "stage/Replay.h"
#include "stage/StagePlayScene.h"

cMainWindow MainWindow;

using namespace std::string_view_literals;
const std::string_view kStageFileFilter = "StageFile ( *.stg4_*;*.rpl4_* )\0*.stg4_*;*.rpl4_*\0\0"sv;
const std::string_view kReplayFileFilter = "ReplayFile ( *.rpl4_* )\0*.rpl4_*\0\0"sv;

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
  // A modal loop of stage play is told to end; the scene then asks for the
  // close again once the game thread runs its frames.
  for (cThread* loop : {&thPause, &thRanking}) {
    if (!loop->m_hThread.load()) continue;
    EcLog(loop == &thPause ? "WM_CLOSE thPause.m_hThread" : "WM_CLOSE thRanking.m_hThread");
    if (CurrentPlayScene) CurrentPlayScene->m_bQuit = 1;
    PostThreadMessage(loop->m_dwThreadId, WM_QUIT, 0, 0);
    return;
  }
  EcLog(ShellText("WM_CLOSE 成功！"));
  BgmPlayer.StopBgm();
  thLoadStage.Exit();
  // The game thread starts the modal loops' threads: it ends first, so that
  // nothing starts or releases them while they are ended here.
  thGame.Exit();
  EcLog("thGame.Exit()");
  thPause.Exit();
  thRanking.Exit();
  EcLog("thPause.Exit()");
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
      kStageFileFilter);
  // A stage that fails to load is reported to the sender as a failure (the
  // title stays), and the program closes in order.
  const bool loaded = !path.empty() && StartStageFromFile(path, 0);
  if (!path.empty() && !loaded) PostMessage(Handle(), WM_CLOSE, 0, 0);
  bFileDlgResult = loaded ? 1 : 0;
  bFileDlgDone = 1;
}

// The replay is played from the path kept in the stage data: each loop of
// the playback reads it again. A damaged file is reported as a failure.
void cMainWindow::LoadReplayFile() {
  std::string path = ChooseFile(
      "user_data\\rpl4", IniSettings.English ? "Load replay file" : ShellText("リプレイファイルの読み込み").c_str(),
      kReplayFileFilter);
  const bool loaded = !path.empty() && ReplayData && StageData && StageDataOrg && PlayData &&
                      ::LoadReplayFile(path, *ReplayData, *StageData, *StageDataOrg, *PlayData, PlayerContext());
  if (loaded) {
    MakeRelativePathStr(path);
    StageData->m_strPath = path;
  }
  if (!path.empty() && !loaded) PostMessage(Handle(), WM_CLOSE, 0, 0);
  bFileDlgResult = loaded ? 1 : 0;
  bFileDlgDone = 1;
}

std::string ReplaySaveDialog(const std::string& stageName) {
  const std::string extension = ReplayExtension();
  char buffer[260] = {};
  const std::string proposed = DefaultReplayName(stageName);
  std::snprintf(buffer, sizeof buffer, "%s", proposed.c_str());
  // Display text and pattern, each ended by a NUL, and an empty string.
  std::string filter = "ReplayFile ( *." + extension + " )";
  filter += '\0';
  filter += "*." + extension;
  filter.append(2, '\0');
  DDSetDialogMode(1);
  const int chosen =
      SaveFileDialog(MainWindow.Handle(), buffer, "user_data\\rpl4\\",
                     IniSettings.English ? "Save replay file" : ShellText("リプレイファイルの保存").c_str(),
                     filter.c_str(), extension.c_str(), true);
  DDSetDialogMode(0);
  return chosen ? std::string(buffer) : std::string();
}

// Slot 0 is this attempt, slot 1 the attempt before, each with the play
// record it started from.
void cMainWindow::SaveReplayFile(int slot) {
  const std::string path = ReplaySaveDialog(PlayData ? PlayData->StageName : std::string());
  cReplayData* replay = slot == 0 ? ReplayData : ReplayDataPrev;
  cSaveData* start = slot == 0 ? PlayDataAtStart : PlayDataAtStartPrev;
  if (!path.empty() && replay && start && StageData && StageDataOrg &&
      !::SaveReplayFile(path, *replay, *StageData, *StageDataOrg, *start, PlayerContext())) {
    ReportLogEc("replay %s cannot be written", path.c_str());
    PostMessage(Handle(), WM_CLOSE, 0, 0);
  }
  bFileDlgResult = path.empty() ? 0 : 1;
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
      SaveReplayFile(static_cast<int>(wParam));
      return 0;
    case WM_PLAYSE:
      DS_Play(SoundList.VecAt(static_cast<int>(wParam)), 0);
      return 0;
    case WM_PLAYBGM:
      return PlayBgm(wParam, lParam);
    case WM_RESTOREDEVICE:
      DDRestoreSurface();
      return 0;
    case WM_SHOWWINDOW:
      if (m_sdlWindow) {
        SDL_ShowWindow(m_sdlWindow);
        SDL_RestoreWindow(m_sdlWindow);
      }
      return 0;
    default:
      return 0;
  }
}
