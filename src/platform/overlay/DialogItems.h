#pragma once
// The dialog-item calls of the player's dialogs, in their Windows shape, over
// the running dialogs of the overlay toolkit. A dialog handle that is not a
// live dialog, or an id it lacks, fails as Windows fails (0, nothing done).
#include "platform/Messages.h"
#include "platform/WinTypes.h"

constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;

// Copies at most maxCount - 1 bytes of the item's text and a NUL; returns the bytes copied.
UINT GetDlgItemTextA(HWND dialog, int id, char* buffer, int maxCount);
BOOL SetDlgItemTextA(HWND dialog, int id, const char* text);
// EM_GETSEL (wParam, lParam: DWORD* start and end, either null), EM_SETSEL
// (start, end; a start of -1 removes the selection), BM_GETCHECK, BM_SETCHECK.
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL SetWindowTextA(HWND dialog, const char* text);  // the dialog's caption
BOOL EnableDlgItem(HWND dialog, int id, BOOL enable);
BOOL ShowDlgItem(HWND dialog, int id, BOOL show);

// Whole dialogs: shown or hidden (SW_SHOW, SW_HIDE), taking input or not, and
// their rectangle in the program's screen coordinates. A handle that is not a
// live dialog fails.
BOOL ShowWindow(HWND window, int command);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL GetWindowRect(HWND window, RECT* rect);
// Scroll bars: SB_CTL is the scroll bar item id of the dialog; SB_HORZ and
// SB_VERT are the dialog's own bars (id unused). Setting SIF_POS keeps the
// position within min .. max - (page - 1); both return FALSE without the bar.
constexpr int SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2;
constexpr UINT SIF_RANGE = 0x01, SIF_PAGE = 0x02, SIF_POS = 0x04, SIF_TRACKPOS = 0x10, SIF_ALL = 0x17;
struct SCROLLINFO {
  UINT fMask = 0;
  int nMin = 0, nMax = 0;
  UINT nPage = 0;
  int nPos = 0, nTrackPos = 0;
};
BOOL SetScrollInfo(HWND dialog, int id, int bar, const SCROLLINFO& info);
BOOL GetScrollInfo(HWND dialog, int id, int bar, SCROLLINFO* info);

// A dialog's client area starts below its title bar.
BOOL ScreenToClient(HWND window, POINT* point);
void SetDlgItemFocus(HWND dialog, int id);
BOOL EndDialog(HWND dialog, LRESULT result);
