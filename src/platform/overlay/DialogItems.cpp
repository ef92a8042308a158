#include "platform/overlay/DialogItems.h"

#include <algorithm>
#include <cstring>

#include "platform/overlay/DialogBox.h"

using platform::overlay::DialogBox;
using platform::overlay::DialogItem;

namespace {

DialogItem* ItemOf(HWND dialog, int id) {
  DialogBox* box = DialogBox::FromHandle(dialog);
  return box ? box->Item(static_cast<WORD>(id)) : nullptr;
}

}  // namespace

UINT GetDlgItemTextA(HWND dialog, int id, char* buffer, int maxCount) {
  if (!buffer || maxCount <= 0) return 0;
  const DialogItem* item = ItemOf(dialog, id);
  const size_t count = item ? std::min(item->text.size(), static_cast<size_t>(maxCount - 1)) : 0;
  if (item) std::memcpy(buffer, item->text.data(), count);
  buffer[count] = '\0';
  return static_cast<UINT>(count);
}

BOOL SetDlgItemTextA(HWND dialog, int id, const char* text) {
  DialogBox* box = DialogBox::FromHandle(dialog);
  return box && box->SetItemText(static_cast<WORD>(id), text ? text : "") ? TRUE : FALSE;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogBox* box = DialogBox::FromHandle(dialog);
  DialogItem* item = box ? box->Item(static_cast<WORD>(id)) : nullptr;
  if (!item) return 0;
  switch (message) {
    case EM_GETSEL:
      if (auto* start = reinterpret_cast<DWORD*>(wParam)) *start = static_cast<DWORD>(item->selectionStart);
      if (auto* end = reinterpret_cast<DWORD*>(lParam)) *end = static_cast<DWORD>(item->selectionEnd);
      return static_cast<LRESULT>((item->selectionStart & 0xFFFF) | ((item->selectionEnd & 0xFFFF) << 16));
    case EM_SETSEL:
      box->SetSelection(static_cast<WORD>(id), static_cast<int>(static_cast<LPARAM>(wParam)), static_cast<int>(lParam));
      return 1;
    case BM_GETCHECK:
      return item->checked;
    case BM_SETCHECK:
      item->checked = static_cast<int>(wParam);
      return 0;
    default:
      return 0;
  }
}

BOOL SetWindowTextA(HWND dialog, const char* text) {
  DialogBox* box = DialogBox::FromHandle(dialog);
  if (!box) return FALSE;
  box->SetCaption(text ? text : "");
  return TRUE;
}

BOOL EnableDlgItem(HWND dialog, int id, BOOL enable) {
  DialogItem* item = ItemOf(dialog, id);
  if (!item) return FALSE;
  item->enabled = enable != FALSE;
  return TRUE;
}

BOOL ShowDlgItem(HWND dialog, int id, BOOL show) {
  DialogItem* item = ItemOf(dialog, id);
  if (!item) return FALSE;
  item->visible = show != FALSE;
  return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
  DialogBox* box = DialogBox::FromHandle(window);
  if (!box) return FALSE;
  box->Show(command != SW_HIDE);
  return TRUE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  DialogBox* box = DialogBox::FromHandle(window);
  if (!box) return FALSE;
  box->Enable(enable != FALSE);
  return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  DialogBox* box = DialogBox::FromHandle(window);
  if (!box || !rect) return FALSE;
  *rect = box->WindowRect();
  return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
  DialogBox* box = DialogBox::FromHandle(window);
  if (!box || !point) return FALSE;
  const RECT rect = box->WindowRect();
  point->x -= rect.left;
  point->y -= rect.top + (box->Layout().titleBar ? platform::overlay::kTitleBarHeight : 0);
  return TRUE;
}

namespace {

platform::overlay::ScrollState* ScrollBarOf(HWND dialog, int id, int bar) {
  DialogBox* box = DialogBox::FromHandle(dialog);
  if (!box) return nullptr;
  if (bar == SB_HORZ || bar == SB_VERT) return &box->WindowBar(bar);
  DialogItem* item = box->Item(static_cast<WORD>(id));
  return bar == SB_CTL && item && item->layout.kind == platform::overlay::ItemKind::ScrollBar ? &item->scroll : nullptr;
}

}  // namespace

BOOL SetScrollInfo(HWND dialog, int id, int bar, const SCROLLINFO& info) {
  platform::overlay::ScrollState* state = ScrollBarOf(dialog, id, bar);
  if (!state) return FALSE;
  if (info.fMask & SIF_RANGE) state->min = info.nMin, state->max = info.nMax;
  if (info.fMask & SIF_PAGE) state->page = static_cast<int>(std::min<UINT>(info.nPage, 0x7FFFFFFF));
  if (info.fMask & SIF_POS) state->pos = info.nPos;
  const long long highest =
      std::max<long long>(state->min, static_cast<long long>(state->max) - std::max(state->page - 1, 0));
  state->pos = static_cast<int>(std::clamp<long long>(state->pos, state->min, highest));
  return TRUE;
}

BOOL GetScrollInfo(HWND dialog, int id, int bar, SCROLLINFO* info) {
  const platform::overlay::ScrollState* state = ScrollBarOf(dialog, id, bar);
  if (!state || !info) return FALSE;
  if (info->fMask & SIF_RANGE) info->nMin = state->min, info->nMax = state->max;
  if (info->fMask & SIF_PAGE) info->nPage = static_cast<UINT>(state->page);
  if (info->fMask & SIF_POS) info->nPos = state->pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = state->trackPos;
  return TRUE;
}

void SetDlgItemFocus(HWND dialog, int id) {
  if (DialogBox* box = DialogBox::FromHandle(dialog)) box->SetFocus(static_cast<WORD>(id));
}

BOOL EndDialog(HWND dialog, LRESULT result) {
  DialogBox* box = DialogBox::FromHandle(dialog);
  if (!box) return FALSE;
  box->End(result);
  return TRUE;
}
