#pragma once
#include "library/util/MainWindow.h"

// Collects what is posted to the main window during a test.
class MainWindowProbe {
 public:
  MainWindowProbe() : m_window(GetCurrentThreadId(), [](HWND, UINT, WPARAM, LPARAM) { return 0; }) {
    MSG drop;
    while (PeekMessage(&drop, nullptr, 0, 0, PM_REMOVE)) {
    }
    hMainWnd = &m_window;
  }
  ~MainWindowProbe() { hMainWnd = nullptr; }
  int CloseRequests() {
    int count = 0;
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) count += (msg.hwnd == &m_window && msg.message == WM_CLOSE);
    return count;
  }

 private:
  platform::Window m_window;
};
