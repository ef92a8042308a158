#include "library/util/MainWindow.h"

std::atomic<HWND> hMainWnd{nullptr};
