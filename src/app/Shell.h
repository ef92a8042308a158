#pragma once
// The shell's program-wide state: the flags the threads share, the start-up
// settings, the worker threads and the messages other threads send to the
// main window.
#include <atomic>
#include <string>

#include "app/ShellRecords.h"
#include "app/SystemIni.h"
#include "library/util/Thread.h"
#include "library/window/Window.h"
#include "platform/Messages.h"
#include "platform/overlay/DialogBox.h"

// Requests to the main window (SendMessage; the sender waits for the handler).
constexpr UINT WM_NAMEENTRY = WM_USER + 1;
constexpr UINT WM_LOADSTAGEFILE = WM_USER + 2;
constexpr UINT WM_LOADREPLAYFILE = WM_USER + 3;
constexpr UINT WM_SAVEREPLAYFILE = WM_USER + 4;
constexpr UINT WM_PLAYSE = WM_USER + 5;
constexpr UINT WM_PLAYBGM = WM_USER + 6;
constexpr UINT WM_RESTOREDEVICE = WM_USER + 100;

enum BgmCategory : int {
  BGMCAT_TITLE = 0,
  BGMCAT_WORLDMAP = 1,
  BGMCAT_CHALLENGE = 2,
  BGMCAT_OPTION = 3,
  BGMCAT_STAGE = 4,
};

// The show command that marks an editor's test play.
constexpr int SW_TESTPLAY = SW_SHOW;

extern std::atomic<int> bTestPlay;
extern std::atomic<int> bInitDone;
extern std::atomic<int> bAppActive;
extern std::atomic<int> bWindowed;
extern std::atomic<int> bFreeStageStart;
extern std::atomic<int> bBlitPresent;
extern std::atomic<int> bNameEntryDone;
extern std::atomic<int> bFileDlgDone;
extern std::atomic<int> bFileDlgResult;

extern INISETTINGS IniSettings;
extern cBootSettings* BootSettings;
extern cWindowPlacement* WindowPlacement;

extern cThread thGame;
extern cThread thPause;
extern cThread thRanking;
extern cThread thLoadStage;

// The CP932 form of a UTF-8 literal of the shell, converted once and kept.
const std::string& ShellText(const char* utf8);
