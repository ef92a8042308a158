#pragma once
// Control objects of the dialogs: each binds one dialog item to a value,
// moves it into the item (DataToCtrl) and back (CtrlToData), and reacts to the
// notifications its dialog routes to it by kind. The edit control keeps its
// item's text within its lines and characters per line.
#include <string>
#include <string_view>

#include "platform/WinTypes.h"
#include "platform/overlay/DialogItems.h"

class cDialog;

class cCtrl {
 public:
  virtual ~cCtrl() = default;
  virtual void Enable(BOOL enable);
  virtual void DataToCtrl() {}
  virtual void CtrlToData() {}
  virtual void OnChange() {}
  virtual BOOL OnNotify(WPARAM, LPARAM) { return 0; }
  virtual BOOL OnScroll(WPARAM, LPARAM) { return 0; }
  virtual void Idle() {}
  virtual void Refresh() {}
  virtual void OnKillFocus() {}
  virtual void OnRedrawOff() {}
  virtual void OnKeyDown(int, LPARAM, int) {}

  // The item's window is its dialog's: items are addressed by (dialog, id).
  void Attach(cDialog* owner, WORD id);
  void SetText(const std::string& text);
  void Show(bool show);
  // Style bits of the item; WS_DISABLED is the one our dialog items act on.
  void AddCtrlStyle(DWORD bits);
  void RemoveCtrlStyle(DWORD bits);
  int Kind() const { return m_nKind; }
  WORD Id() const { return m_wID; }
  bool Attached() const { return m_hWnd != nullptr; }
  HWND Handle() const { return m_hWnd; }

 protected:
  explicit cCtrl(int kind) : m_nKind(kind) {}

  HWND m_hWnd = nullptr;
  cDialog* m_pOwner = nullptr;
  HWND m_hOwner = nullptr;
  int m_nKind = 0;
  WORD m_wID = 0;
  int m_busy = 0;
  std::string m_tooltip;
};

class cPlainCtrl final : public cCtrl {
 public:
  cPlainCtrl() : cCtrl(0) {}
};
using cStaticCtrl = cPlainCtrl;

class cCheckCtrl final : public cCtrl {
 public:
  cCheckCtrl() : cCtrl(5) {}
  void Attach(cDialog* owner, WORD id, int* bound);
  void DataToCtrl() override;
  void CtrlToData() override;

 private:
  int* m_pData = nullptr;
};

class cRadioCtrl final : public cCtrl {
 public:
  cRadioCtrl() : cCtrl(6) {}
  void Attach(cDialog* owner, WORD id, int* bound, int value);
  void DataToCtrl() override;
  void CtrlToData() override;

 private:
  int* m_pData = nullptr;
  int m_value = 0;
};

// A scroll bar: its item id, the window whose own bar it sets (null: the
// item itself, SB_CTL) and which (SB_HORZ, SB_VERT), its range and page.
struct SCROLLCTRLDATA {
  WORD id = 0;
  HWND* target = nullptr;
  int bar = SB_CTL;
  int min = 0, max = 0, page = 0;
  BOOL redraw = FALSE;  // our dialogs are drawn anew every frame anyway
};

// The right button does nothing on our scroll bars, so there is no context
// menu for the control to hold back.
class cScrollCtrl final : public cCtrl {
 public:
  cScrollCtrl() : cCtrl(11) {}
  void Attach(cDialog* owner, const SCROLLCTRLDATA& data);
};

struct EDITCTRLDATA {
  WORD id = 0;
  std::string* data = nullptr;
  int maxChars = 0;    // 0: 4096
  int maxPerLine = 0;  // 0: 1024
  int maxLines = 0;    // 0: 32
  int doubleByte = 0;  // a double-byte character counts as one
};

// n characters on one line: at most n + 1 bytes, n per line with double-byte counting.
void InitCtrlBinding(EDITCTRLDATA* data, WORD id, std::string* bound, int n, int doubleByte);

class cEditCtrl final : public cCtrl {
 public:
  cEditCtrl() : cCtrl(3) {}
  void Attach(cDialog* owner, const EDITCTRLDATA& data);
  void DataToCtrl() override;
  void CtrlToData() override;
  void OnChange() override;

 private:
  int ReadLimit() const { return m_doubleByte ? 2 * m_maxChars - 1 : m_maxChars; }
  std::string ItemText() const;
  size_t FittingBytes(std::string_view line) const;
  void FitLines(std::string& text, int& start, int& end) const;
  bool JoinsLinesByBackspace(const std::string& text, int start, int end) const;

  std::string* m_pData = nullptr;
  int m_maxChars = 4096;
  int m_doubleByte = 0;
  int m_maxPerLine = 1024;
  int m_maxLines = 32;
  bool m_attaching = false;
  std::string m_previous;
  int m_selStart = 0, m_selEnd = 0;
};
