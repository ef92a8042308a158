#include "library/window/Window.h"

#include <algorithm>
#include <climits>
#include <map>
#include <mutex>

#include "library/util/Log.h"
#include "library/util/MesBox.h"
#include "library/util/Text.h"
#include "library/window/MsgNames.h"
#include "platform/input/Input.h"
#include "platform/overlay/DialogItems.h"
#include "platform/overlay/Overlay.h"

namespace {

std::mutex templatesMutex;
std::map<WORD, platform::overlay::DialogTemplate>& Templates() {
  static std::map<WORD, platform::overlay::DialogTemplate> templates;
  return templates;
}

// The values of the update before and the edge latches are shared by every window.
struct ButtonLatches {
  int leftSeenUp = 1, rightSeenUp = 1;
};
ButtonLatches latches;

bool IsMouseMessage(UINT message) { return message >= WM_MOUSEMOVE && message <= WM_RBUTTONDBLCLK; }

}  // namespace

void RegisterDialogTemplate(WORD id, platform::overlay::DialogTemplate dialogTemplate) {
  std::lock_guard lock(templatesMutex);
  Templates()[id] = std::move(dialogTemplate);
}

const platform::overlay::DialogTemplate* FindDialogTemplate(WORD id) {
  std::lock_guard lock(templatesMutex);
  auto found = Templates().find(id);
  return found == Templates().end() ? nullptr : &found->second;
}

// cWindow

void cWindow::Init(WORD templateId, HWND parent, void* param) {
  m_wID = templateId;
  m_hParent = parent;
  m_pParam = param;
}

void cWindow::End(LRESULT result) {
  m_result = result;
  ClearControls();
  if (m_hWnd) EndDialog(m_hWnd, result);
}

LRESULT cWindow::DefMsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  m_hWnd = window;
  if (message == WM_COMMAND) {
    if (m_commandGuard) return 0;
    m_commandGuard = true;
  }
  if (m_bTrace && message != WM_GETTEXT) {
    EcLogf("%s | msg:%s | wp:%u(%u,%u) | lp:%d(%d,%d)", m_strTitle.c_str(), GetMsgName(message).c_str(),
           static_cast<unsigned>(wParam), HighWord(wParam), LowWord(wParam), static_cast<int>(lParam),
           HighWord(static_cast<WPARAM>(lParam)), LowWord(static_cast<WPARAM>(lParam)));
  }
  UpdateMousePos(0, 7);
  switch (message) {
    case WM_DESTROY:
      m_hWnd = nullptr;
      return 1;
    case WM_MOVE: {
      const POINT at = GetWindowPos();
      m_x = at.x, m_y = at.y;
      return 1;
    }
    case WM_SIZE:
      RefreshFrame();
      return 1;
    case WM_ACTIVATEAPP:
      return 1;
    case WM_PAINT:
      OnDraw();
      return 1;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
      return 1;
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      EndCommand();
      return 1;
    default:
      break;
  }
  if (!IsMouseMessage(message)) return 0;
  using Handler = void (cWindow::*)(WPARAM, LPARAM);
  static constexpr Handler handlers[] = {&cWindow::OnMouseMove,     &cWindow::OnLButtonDown, &cWindow::OnLButtonUp,
                                         &cWindow::OnLButtonDblClk, &cWindow::OnRButtonDown, &cWindow::OnRButtonUp,
                                         &cWindow::OnRButtonDblClk};
  (this->*handlers[message - WM_MOUSEMOVE])(wParam, lParam);
  return 1;
}

void cWindow::SetLayout(int viewWidth, int viewHeight, int minViewWidth, int minViewHeight, int maxViewWidth,
                        int maxViewHeight, DWORD style, int menu, int headerRows, int barMode, DWORD extendedStyle,
                        int scrollFlags) {
  WindowLayout& l = m_layout;
  l.viewWidth = viewWidth, l.viewHeight = viewHeight;
  l.viewMinWidth = minViewWidth, l.viewMinHeight = minViewHeight;
  l.viewMaxWidth = maxViewWidth, l.viewMaxHeight = maxViewHeight;
  l.style = style, l.menu = menu, l.headerRows = headerRows, l.barMode = barMode;
  l.extendedStyle = extendedStyle, l.scrollFlags = scrollFlags;
  m_view.left = 0;
  m_view.top = headerRows * kHeaderRowHeight;
  const int extraWidth = (scrollFlags & 2) ? SM_CXVSCROLL_DOTS : 0;
  const int extraHeight = ((scrollFlags & 1) ? SM_CYHSCROLL_DOTS : 0) +
                          (barMode == 1 || barMode == 2 ? kBarHeight : 0) + static_cast<int>(m_view.top);
  l.wanted = l.client = RECT{0, 0, viewWidth + extraWidth, viewHeight + extraHeight};
  l.minWidth = minViewWidth + extraWidth, l.minHeight = minViewHeight + extraHeight;
  l.maxWidth = maxViewWidth + extraWidth, l.maxHeight = maxViewHeight + extraHeight;
  CalcFrameMetrics();
}

void cWindow::CalcFrameMetrics() {
  const DWORD style = m_layout.style;
  m_frame = FrameMetrics{};
  if ((style & WS_CAPTION) == WS_CAPTION) m_frame.top += SM_CYCAPTION_DOTS;
  if (style & WS_THICKFRAME) {
    m_frame.left += SM_CXFRAME_DOTS, m_frame.right += SM_CXFRAME_DOTS;
    m_frame.top += SM_CYFRAME_DOTS, m_frame.bottom += SM_CYFRAME_DOTS;
  } else if (style & WS_DLGFRAME) {
    m_frame.left += SM_CXDLGFRAME_DOTS, m_frame.right += SM_CXDLGFRAME_DOTS;
    m_frame.top += SM_CYDLGFRAME_DOTS, m_frame.bottom += SM_CYDLGFRAME_DOTS;
  }
  if (m_layout.menu) m_frame.top += SM_CYMENU_DOTS;
  const RECT& client = m_layout.client;
  m_layout.window =
      RECT{0, 0, client.Width() + m_frame.left + m_frame.right, client.Height() + m_frame.top + m_frame.bottom};
  m_view.left = 0;
  m_view.top = m_layout.headerRows * kHeaderRowHeight;
  m_view.right = client.Width();
  m_view.bottom = client.Height() - m_view.top;
  if (m_layout.scrollFlags & 1) m_view.bottom -= SM_CYHSCROLL_DOTS;
  if (m_layout.scrollFlags & 2) m_view.right -= SM_CXVSCROLL_DOTS;
  if (m_layout.barMode == 1) m_view.bottom -= kBarHeight;
}

void cWindow::AddStyle(DWORD bits) { SetStyle(m_layout.style | bits); }

void cWindow::RemoveStyle(DWORD bits) { SetStyle(m_layout.style & ~bits); }

// WS_DISABLED is the one style bit our windows act on: a disabled dialog takes no input.
void cWindow::SetStyle(DWORD style) {
  m_layout.style = style;
  EnableWindow(m_hWnd, (style & WS_DISABLED) ? FALSE : TRUE);
  RefreshFrame();
}

void cWindow::SetClientSize(int width, int height) {
  m_layout.client = RECT{0, 0, width, height};
  CalcFrameMetrics();
}

void cWindow::MoveWindowTo(int x, int y) {
  m_x = x, m_y = y;
  CalcFrameMetrics();
}

POINT cWindow::GetWindowPos() const {
  RECT rect;
  if (GetWindowRect(m_hWnd, &rect)) return POINT{rect.left, rect.top};
  return POINT{m_x, m_y};
}

bool cWindow::GetClientRectTo(RECT* rect) const {
  if (!m_hWnd || !rect) return false;
  *rect = m_layout.client;
  return true;
}

void cWindow::CenterOnDesktop(const RECT& desktop) {
  MoveWindowTo((desktop.right - m_layout.window.right) / 2, (desktop.bottom - m_layout.window.bottom) / 2);
}

void cWindow::PlaceWindow(const RECT& workArea) {
  const int width = m_layout.window.right, height = m_layout.window.bottom;
  int x = 0, y = 0;
  if (const cWindow* reference = m_ownerPlacement ? m_ownerPlacement : m_parentPlacement) {
    x = reference->m_x, y = reference->m_y;
    if (m_centre) {
      x += reference->m_layout.client.Width() / 2 - m_layout.client.Width() / 2;
      y += reference->m_layout.client.Height() / 2 - m_layout.client.Height() / 2;
    }
  } else {
    if (m_placeX == kNoPlacement || m_placeY == kNoPlacement) return;
    x = m_placeX, y = m_placeY;
  }
  if (x < 0) x = 0;
  if (x + width >= workArea.right) x = workArea.right - width;
  if (y < 0) y = 0;
  if (y + height >= workArea.bottom) y = workArea.bottom - height;
  if (!m_ownerPlacement && !m_parentPlacement) m_placeX = x, m_placeY = y;
  MoveWindowTo(x, y);
}

void cWindow::OnGetMinMaxInfo(MINMAXINFO* info) const {
  if (!info) return;
  const int frameWidth = m_frame.left + m_frame.right, frameHeight = m_frame.top + m_frame.bottom;
  info->ptMinTrackSize = POINT{m_layout.minWidth + frameWidth, m_layout.minHeight + frameHeight};
  info->ptMaxTrackSize = POINT{m_layout.maxWidth + frameWidth, m_layout.maxHeight + frameHeight};
}

bool cWindow::UpdateMousePos(int always, int flags) {
  POINT cursor{};
  if (!GetCursorPos(&cursor)) {
    static const std::string failed = Sjis("GetCursorPos失敗！");
    EcLog(failed);
  }
  ScreenToClient(m_hWnd, &cursor);
  const int x = cursor.x - m_view.left, y = cursor.y - m_view.top;
  if (!always && (x < 0 || x >= m_view.right || y < 0 || y >= m_view.bottom)) return false;
  m_mouse.x = x, m_mouse.y = y;
  UpdateMouseButtons(flags);
  return true;
}

void cWindow::UpdateMouseButtons(int flags) {
  const int wasLeft = m_mouse.leftDown, wasRight = m_mouse.rightDown;
  if (flags & 1) {
    m_mouse.leftDown = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
    m_mouse.rightDown = (GetAsyncKeyState(VK_RBUTTON) & 0x8000) != 0;
  }
  if (flags & 2) {
    m_mouse.leftPressed = m_mouse.leftDown && latches.leftSeenUp;
    m_mouse.rightPressed = m_mouse.rightDown && latches.rightSeenUp;
    latches.leftSeenUp = !m_mouse.leftDown;
    latches.rightSeenUp = !m_mouse.rightDown;
  }
  if (flags & 4) {
    m_mouse.leftReleased = wasLeft && !m_mouse.leftDown;
    m_mouse.rightReleased = wasRight && !m_mouse.rightDown;
  }
}

// cDialog

void cDialog::Setup(WORD templateId, cWindow* parent, int user, void* param) {
  m_nUser = user;
  m_bInit = false;
  m_modeless = false;
  m_modalFlags = 0;
  Init(templateId, parent, param);
}

void cDialog::Init(WORD templateId, cWindow* parent, void* param) {
  m_parent = parent;
  cWindow::Init(templateId, parent ? parent->m_hWnd : nullptr, param);
}

void ShowCtrlGroup(const CtrlGroup* group, bool show) {
  if (!group) return;
  for (cWindow* window : group->windows) ShowWindow(window->m_hWnd, show ? SW_SHOW : SW_HIDE);
  for (cCtrl* control : group->controls) {
    if (control->Attached()) control->Show(show);
  }
}

void EnableCtrlGroup(const CtrlGroup* group, bool enable) {
  if (!group) return;
  for (cWindow* window : group->windows) {
    if (enable)
      window->RemoveStyle(WS_DISABLED);
    else
      window->AddStyle(WS_DISABLED);
  }
  for (cCtrl* control : group->controls) {
    if (!control->Attached()) continue;
    if (enable)
      control->RemoveCtrlStyle(WS_DISABLED);
    else
      control->AddCtrlStyle(WS_DISABLED);
  }
}

LRESULT cDialog::DoModal(int flags) {
  if (m_hWnd) return 0;
  End(0);
  m_modeless = false;
  m_modalFlags = flags;
  const auto* group = static_cast<const CtrlGroup*>(m_pParam);
  if (flags & kModalHideGroup) ShowCtrlGroup(group, false);
  if (flags & kModalDisableGroup) EnableCtrlGroup(group, false);
  LRESULT result = -1;
  if (const platform::overlay::DialogTemplate* found = FindDialogTemplate(m_wID)) {
    DLGPROC proc = m_pProc;
    result = platform::overlay::RunModalDialog(*found, [proc](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
      return proc ? proc(window, message, wParam, lParam) : 0;
    });
  } else {
    ReportLog("dialog template %u is missing", static_cast<unsigned>(m_wID));
  }
  m_hWnd = nullptr;
  OnDestroy();
  return result;
}

void cDialog::OnDestroy() {
  const auto* group = static_cast<const CtrlGroup*>(m_pParam);
  if (m_modalFlags & kModalHideGroup) ShowCtrlGroup(group, true);
  if (m_modalFlags & kModalDisableGroup) EnableCtrlGroup(group, true);
}

LRESULT cDialog::DefMsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = cWindow::DefMsgProc(window, message, wParam, lParam);
  switch (message) {
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_NOTIFY:
      for (cCtrl* control : m_controls) {
        if (control->OnNotify(wParam, lParam)) break;
      }
      break;
    case WM_KEYDOWN: {
      struct ScrollKey {
        int key;
        UINT message;
        WORD request;
      };
      static constexpr ScrollKey scrollKeys[] = {{VK_PRIOR, WM_VSCROLL, SB_PAGEUP}, {VK_NEXT, WM_VSCROLL, SB_PAGEDOWN},
                                                 {VK_HOME, WM_HSCROLL, SB_PAGEUP},  {VK_END, WM_HSCROLL, SB_PAGEDOWN},
                                                 {VK_LEFT, WM_HSCROLL, SB_LINEUP},  {VK_RIGHT, WM_HSCROLL, SB_LINEDOWN},
                                                 {VK_UP, WM_VSCROLL, SB_LINEUP},    {VK_DOWN, WM_VSCROLL, SB_LINEDOWN}};
      for (const ScrollKey& scroll : scrollKeys) {
        const cScrollCtrl& bar = scroll.message == WM_HSCROLL ? m_hScroll : m_vScroll;
        if (scroll.key == static_cast<int>(wParam))
          SendMessage(window, scroll.message, scroll.request, reinterpret_cast<LPARAM>(bar.Handle()));
      }
      if (!m_modeless) {
        for (cCtrl* control : m_controls) control->OnKeyDown(static_cast<int>(wParam), lParam, KeyboardHookCtrlDown());
      }
      break;
    }
    case WM_INITDIALOG:
      OnInit(wParam, lParam);
      break;
    case WM_HSCROLL:
    case WM_VSCROLL: {
      const cScrollCtrl& bar = message == WM_HSCROLL ? m_hScroll : m_vScroll;
      if (bar.Attached() && reinterpret_cast<HWND>(lParam) == bar.Handle()) ScrollView(bar, LowWord(wParam));
      for (cCtrl* control : m_controls) {
        if (control->OnScroll(wParam, lParam)) break;
      }
      break;
    }
    case WM_DLGKEY:
      SendMessage(window, WM_KEYDOWN, wParam, lParam);
      break;
    default:
      break;
  }
  return result;
}

void cDialog::OnInit(WPARAM, LPARAM) {
  m_controls.clear();
  RefreshFrame();
  if (m_layout.wanted.Width() > 0 || m_layout.wanted.Height() > 0)
    SetClientSize(m_layout.wanted.Width(), m_layout.wanted.Height());
  // Our dialog items keep their template's places: a bar is not moved to the view's edge.
  if (m_layout.scrollFlags & 1) AttachViewBar(m_hScroll);
  if (m_layout.scrollFlags & 2) AttachViewBar(m_vScroll);
  PlaceWindow(platform::overlay::DesktopWorkArea());
  // The overlay draws inside the game's window: the placement is taken relative to the parent window.
  if (m_placeX != kNoPlacement && m_placeY != kNoPlacement) {
    if (platform::overlay::DialogBox* box = platform::overlay::DialogBox::FromHandle(m_hWnd)) {
      const POINT origin = m_parent ? m_parent->GetWindowPos() : POINT{};
      box->Place(origin, POINT{m_x - origin.x, m_y - origin.y});
    }
  }
  if (!m_hook.Hook(m_hWnd, m_modeless ? 1 : 0)) {
    static const std::string failed = Sjis("KeyboardHookに失敗!");
    ErrMesBox(failed);
  }
  UpdateMousePos(0, 7);
  m_previousMouse = m_mouse;
}

void cDialog::AttachViewBar(cScrollCtrl& bar) {
  bar.Attach(this, SCROLLCTRLDATA{});
  AddCtrl(&bar);
}

void cDialog::ScrollView(const cScrollCtrl& bar, WORD request) {
  SCROLLINFO info;
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(m_hWnd, bar.Id(), SB_CTL, &info)) return;
  const int old = info.nPos;
  const long long page = info.nPage;
  long long position = old;
  switch (request) {
    case SB_LINEUP:
      position = old - 1LL;
      break;
    case SB_LINEDOWN:
      position = old + 1LL;
      break;
    case SB_PAGEUP:
      position = old - page;
      break;
    case SB_PAGEDOWN:
      position = old + page;
      break;
    case SB_THUMBTRACK:
      position = info.nTrackPos;
      break;
    case SB_TOP:
      position = info.nMin;
      break;
    case SB_BOTTOM:
      position = info.nMax;
      break;
    default:
      break;
  }
  info.fMask = SIF_POS;
  info.nPos = static_cast<int>(std::clamp<long long>(position, INT_MIN, INT_MAX));
  SetScrollInfo(m_hWnd, bar.Id(), SB_CTL, info);
  GetScrollInfo(m_hWnd, bar.Id(), SB_CTL, &info);
  if (info.nPos != old) OnDraw();
}

void cDialog::OnCommand(WPARAM wParam, LPARAM) {
  const WORD id = LowWord(wParam), code = HighWord(wParam);
  for (cCtrl* control : m_controls) {
    if (control->Id() != id) continue;
    const int kind = control->Kind();
    if ((kind == 2 || kind == 3) && code == EN_UPDATE) {
      control->OnChange();
    } else if ((kind == 2 || kind == 3) && code == EN_KILLFOCUS) {
      control->OnKillFocus();
    } else if ((kind == 7 || kind == 8) && code == 1) {
      control->OnChange();
    } else if (kind == 8 && code == 5) {
      control->OnKillFocus();
    } else {
      continue;
    }
    break;
  }
  for (cCtrl* control : m_controls) {
    if (control->Kind() == 8) control->OnRedrawOff();
  }
}

void cDialog::AllDataToCtrl() {
  for (cCtrl* control : m_controls) control->DataToCtrl();
}

void cDialog::AllCtrlToData() {
  for (cCtrl* control : m_controls) control->CtrlToData();
}

void cDialog::RefreshListCtrls() {
  for (cCtrl* control : m_controls) {
    if (control->Kind() == 8) control->Refresh();
  }
}

LRESULT cDialog::ModalDialogMsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT handled = DefMsgProc(window, message, wParam, lParam);
  if (message == WM_DESTROY) return 1;
  if (message == WM_CLOSE) {
    End(0);
    return 1;
  }
  return handled ? 1 : 0;
}
