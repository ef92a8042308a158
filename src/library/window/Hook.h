#pragma once
// The dialogs' keyboard hook: every key the overlay sees while a dialog is up
// reaches the dialog too, so keys its focused item would swallow (arrows,
// Space, Delete, F1-F8) still arrive.
#include "platform/WinTypes.h"

class cHook {
 public:
  cHook() = default;
  virtual ~cHook();
  cHook(const cHook&) = delete;
  cHook& operator=(const cHook&) = delete;
  // Binds the hook to the dialog window; installs the program's one hook the first time.
  BOOL Hook(HWND dialog, int ctrlFilter);
  HWND Window() const { return m_hWnd; }
  int CtrlFilter() const { return m_ctrlFilter; }

 private:
  HWND m_hWnd = nullptr;
  int m_ctrlFilter = 0;
};

bool IsHookKey(int virtualKey);
// Passes one key to the dialog whose hook it is; composing: an input method is composing.
void KeyboardHookProc(HWND dialog, int virtualKey, bool down, bool composing);
void UnHookKeyboard();
// 1 from a Ctrl key-down seen by the hook until its key-up.
int KeyboardHookCtrlDown();
