#pragma once
// The dialog-item calls of the player's dialogs, in their Windows shape, over
// the running dialogs of the overlay toolkit. A dialog handle that is not a
// live dialog, or an id it lacks, fails as Windows fails (0, nothing done).
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
void SetDlgItemFocus(HWND dialog, int id);
BOOL EndDialog(HWND dialog, LRESULT result);
