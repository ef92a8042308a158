#pragma once
// The main window's handle, set by the application shell once its window
// exists; fault paths everywhere post WM_CLOSE to it so the program closes in order.
#include <atomic>

#include "platform/Messages.h"

extern std::atomic<HWND> hMainWnd;

inline void PostCloseToMainWindow() { PostMessage(hMainWnd.load(), WM_CLOSE, 0, 0); }
