#pragma once
// The program's one window on the main thread: its own life (activation,
// Escape, the orderly close) and the requests the other threads send it.
#include <memory>
#include <string>
#include <string_view>

#include "platform/Messages.h"

struct SDL_Window;

class cMainWindow {
 public:
  // Makes the window, owned by the calling (main) thread.
  void Create();
  // Closes the window for good: later messages to it are dropped.
  void Destroy();
  // Frees the window object once no message can reach it any more.
  void Release();
  // The SDL window whose placement is saved at close.
  void SetSdlWindow(SDL_Window* window) { m_sdlWindow = window; }
  SDL_Window* SdlWindow() const { return m_sdlWindow; }
  HWND Handle() const { return m_window.get(); }
  LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The editor notices of a test play.
  void NotifyEditorStart();
  void NotifyEditorExit(int value);

 private:
  void Close();
  void SavePlacement();
  LRESULT PlayBgm(WPARAM category, LPARAM tune);
  void EnterRankingName();
  void LoadStageFile();
  void LoadReplayFile();
  void SaveReplayFile(int slot);

  std::unique_ptr<platform::Window> m_window;
  SDL_Window* m_sdlWindow = nullptr;
  bool m_bDestroyed = false;
};

extern cMainWindow MainWindow;

// The open dialogs' filters: display text and pattern pairs, ended by an
// empty string. A pattern names the extension, as its display text shows it.
extern const std::string_view kStageFileFilter;
extern const std::string_view kReplayFileFilter;

// The open-file dialog of the window thread: the chosen path, or "" when cancelled.
std::string ChooseFile(const char* initialFolder, const char* title, std::string_view filter);

// The replay save dialog with its proposed name for the stage: the chosen path, or "".
std::string ReplaySaveDialog(const std::string& stageName);

// Around the modal name entry: the worker threads wait in their own waits, so
// these leave them as they are.
void SuspendGameThreads();
void ResumeGameThreads();
