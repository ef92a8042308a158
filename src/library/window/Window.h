#pragma once
// Objects bound to the program's windows and dialogs: cWindow turns window
// messages into virtual handlers and keeps the window's layout; cDialog adds
// modal runs on the overlay toolkit, the control list that moves values in and
// out of the dialog's items, and the keyboard hook.
#include <memory>
#include <string>
#include <vector>

#include "library/util/CheckedVector.h"
#include "library/window/Controls.h"
#include "library/window/Hook.h"
#include "platform/Messages.h"
#include "platform/overlay/DialogBox.h"

constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_DLGKEY = 2024;

constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;

// The frame metrics of our windows, in dots.
constexpr int SM_CYCAPTION_DOTS = 20;
constexpr int SM_CXFRAME_DOTS = 4, SM_CYFRAME_DOTS = 4;
constexpr int SM_CXDLGFRAME_DOTS = 3, SM_CYDLGFRAME_DOTS = 3;
constexpr int SM_CYMENU_DOTS = 19;
constexpr int SM_CXVSCROLL_DOTS = 17, SM_CYHSCROLL_DOTS = 17;
constexpr int kHeaderRowHeight = 28;
constexpr int kBarHeight = 20;
constexpr int kNoPlacement = -1000;

struct MINMAXINFO {
  POINT ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};

using DLGPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// The dialog templates by resource id; the program's dialogs register theirs.
void RegisterDialogTemplate(WORD id, platform::overlay::DialogTemplate dialogTemplate);
const platform::overlay::DialogTemplate* FindDialogTemplate(WORD id);

struct MouseState {
  int x = 0, y = 0;
  int updateFlags = 7;
  int leftDown = 0, rightDown = 0;
  int leftPressed = 0, rightPressed = 0;
  int leftReleased = 0, rightReleased = 0;
};

struct WindowLayout {
  RECT wanted{}, client{};
  int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
  int viewWidth = 0, viewHeight = 0, viewMinWidth = 0, viewMinHeight = 0, viewMaxWidth = 0, viewMaxHeight = 0;
  RECT window{};  // x, y, width, height kept as left, top, right = width, bottom = height
  DWORD style = 0;
  int menu = 0, headerRows = 0, barMode = 0;
  DWORD extendedStyle = 0;
  int scrollFlags = 0;  // 1 horizontal, 2 vertical
};

struct FrameMetrics {
  int left = 0, right = 0, top = 0, bottom = 0;
};

class cWindow {
 public:
  cWindow() = default;
  virtual ~cWindow() = default;
  cWindow(const cWindow&) = delete;
  cWindow& operator=(const cWindow&) = delete;

  virtual void Idle() {}
  virtual void OnCommand(WPARAM, LPARAM) {}
  virtual void OnMouseMove(WPARAM, LPARAM) {}
  virtual void OnLButtonDown(WPARAM, LPARAM) {}
  virtual void OnRButtonDown(WPARAM, LPARAM) {}
  virtual void OnLButtonDblClk(WPARAM, LPARAM) {}
  virtual void OnRButtonDblClk(WPARAM, LPARAM) {}
  virtual void OnLButtonUp(WPARAM, LPARAM) {}
  virtual void OnRButtonUp(WPARAM, LPARAM) {}
  virtual LRESULT MsgProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
  virtual LRESULT DefMsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  virtual void RefreshControls() {}
  virtual void OnDraw() {}

 protected:
  virtual void ClearControls() {}

 private:
  void SetStyle(DWORD style);

 public:
  void Init(WORD templateId, HWND parent, void* param);
  void End(LRESULT result);
  void EndCommand() { m_commandGuard = false; }
  bool CanCommand() const { return true; }

  void SetLayout(int viewWidth, int viewHeight, int minViewWidth, int minViewHeight, int maxViewWidth,
                 int maxViewHeight, DWORD style, int menu, int headerRows, int barMode, DWORD extendedStyle,
                 int scrollFlags);
  void CalcFrameMetrics();
  void RefreshFrame() { CalcFrameMetrics(); }
  void AddStyle(DWORD bits);
  void RemoveStyle(DWORD bits);
  void SetClientSize(int width, int height);
  void MoveWindowTo(int x, int y);
  // Where the window is: its rectangle's top-left, or the stored position while it has none.
  POINT GetWindowPos() const;
  bool GetClientRectTo(RECT* rect) const;
  void CenterOnDesktop(const RECT& desktop);
  void PlaceWindow(const RECT& workArea);
  void OnGetMinMaxInfo(MINMAXINFO* info) const;
  // The pointer in view coordinates; outside the view, unless always is set,
  // false with nothing changed. Then the buttons with the flags.
  bool UpdateMousePos(int always, int flags);
  void UpdateMouseButtons(int flags);

  HWND m_hWnd = nullptr;
  int m_nUser = 0;
  WORD m_wID = 0;
  HWND m_hParent = nullptr;
  DLGPROC m_pProc = nullptr;
  void* m_pParam = nullptr;
  int m_x = 0, m_y = 0;
  RECT m_view{};  // left, top, width in right, height in bottom
  MouseState m_mouse, m_previousMouse;
  WindowLayout m_layout;
  FrameMetrics m_frame;
  bool m_bInit = false;
  bool m_commandGuard = false;
  std::string m_strTitle;  // names the window in the message trace
  int m_bTrace = 0;        // the message trace; nothing switches it on
  int m_placeX = kNoPlacement, m_placeY = kNoPlacement;
  cWindow* m_ownerPlacement = nullptr;
  cWindow* m_parentPlacement = nullptr;
  bool m_centre = false;
  LRESULT m_result = 0;
};

// The windows and controls a modal run hides or disables (its parameter).
struct CtrlGroup {
  std::vector<cWindow*> windows;
  std::vector<cCtrl*> controls;
};
void ShowCtrlGroup(const CtrlGroup* group, bool show);
void EnableCtrlGroup(const CtrlGroup* group, bool enable);

// Modal-run flags of DoModal.
constexpr int kModalHideGroup = 2;
constexpr int kModalDisableGroup = 4;

class cDialog : public cWindow {
 public:
  LRESULT DefMsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  void RefreshControls() override { RefreshListCtrls(); }
  virtual void OnInit(WPARAM wParam, LPARAM lParam);

  void Setup(WORD templateId, cWindow* parent, int user, void* param);
  void Init(WORD templateId, cWindow* parent, void* param);
  // Runs the dialog of the template id on the overlay toolkit; the flags hide
  // and / or disable the control group of the parameter while it runs.
  LRESULT DoModal(int flags);
  // Shows and enables again the group the modal-run flags hid or disabled.
  void OnDestroy();
  void AllDataToCtrl();
  void AllCtrlToData();
  void RefreshListCtrls();
  // The message procedure the program's modal dialogs share: the default
  // handling, and the close box ends the dialog with 0.
  LRESULT ModalDialogMsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void AddCtrl(cCtrl* control) { m_controls.push_back(control); }
  cCheckedVector<cCtrl*>& Controls() { return m_controls; }

  bool m_modeless = false;
  int m_modalFlags = 0;
  cHook m_hook;
  cWindow* m_parent = nullptr;
  // The view's scroll bars, attached with the layout's scroll flags.
  cScrollCtrl m_hScroll, m_vScroll;

 protected:
  void ClearControls() override { m_controls.clear(); }

 private:
  void AttachViewBar(cScrollCtrl& bar);
  // A scroll request from the view's own bar moves its position; a move redraws the view.
  void ScrollView(const cScrollCtrl& bar, WORD request);

  cCheckedVector<cCtrl*> m_controls;
};
