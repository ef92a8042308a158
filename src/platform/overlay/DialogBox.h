#pragma once
// A running dialog of the overlay toolkit: the state of its items (texts,
// checks, edit selections, list entries, focus) and what a user can do to
// them. It notifies its window procedure as a Windows dialog would
// (WM_INITDIALOG, WM_COMMAND with the item's notification code, WM_CLOSE,
// WM_DESTROY), so the player's dialog classes keep their handlers; keys go
// through the keyboard hook. The screen only shows it and feeds it input
// (Overlay.h); scripted answers act on it directly.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Answers.h"
#include "platform/Messages.h"
#include "platform/overlay/DialogTemplate.h"

constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
// Scroll requests in the low word of a WM_HSCROLL's or WM_VSCROLL's wParam;
// with SB_THUMBTRACK the high word is the tracking position.
constexpr WORD SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3, SB_THUMBTRACK = 5, SB_TOP = 6,
               SB_BOTTOM = 7;
// Notification codes in the high word of a WM_COMMAND's wParam.
constexpr WORD BN_CLICKED = 0;
constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD LBN_DBLCLK = 2;
constexpr WORD EN_KILLFOCUS = 0x0200;
constexpr WORD EN_UPDATE = 0x0400;

constexpr WPARAM MakeWParam(WORD low, WORD high) {
  return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16);
}
constexpr WORD LowWord(WPARAM value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HighWord(WPARAM value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }

namespace platform::overlay {

// A scroll bar's range, page and position; the tracking position while its box is dragged.
struct ScrollState {
  int min = 0, max = 0, page = 0, pos = 0, trackPos = 0;
};

struct DialogItem {
  ItemTemplate layout;
  std::string text;  // CP932
  int checked = 0;
  int selectionStart = 0, selectionEnd = 0;  // edit boxes: byte offsets into text
  std::vector<std::string> entries;          // lists: CP932 lines
  int selectedEntry = -1;
  ScrollState scroll;  // scroll bars
  bool enabled = true;
  bool visible = true;    // a hidden item is neither drawn nor reached
  unsigned revision = 0;  // moves on when the program changes the text or the selection

  bool Focusable() const;
};

// Keys the dialog sees, before its focused item does: virtual key, down or
// up, and whether an input method is composing.
using DialogKeyHook = std::function<void(HWND dialog, int virtualKey, bool down, bool composing)>;
void SetDialogKeyHook(DialogKeyHook hook);

class DialogBox {
 public:
  DialogBox(const DialogTemplate& dialogTemplate, WindowProc proc);
  ~DialogBox();
  DialogBox(const DialogBox&) = delete;
  DialogBox& operator=(const DialogBox&) = delete;

  // The box behind a dialog handle, null when the handle is not a live dialog.
  static DialogBox* FromHandle(HWND dialog);
  HWND Handle() { return m_window.get(); }

  // Where the dialog's top-left corner goes in the 640 x 480 game area; none: centred.
  const std::optional<POINT>& Position() const { return m_position; }
  // Moves the box to a position in the game area, whose corner lies at origin in
  // the program's screen coordinates, and tells its procedure with WM_MOVE as a
  // moved window is told.
  void Place(POINT origin, POINT position);
  // Where the box is drawn: the position asked for, held on the game area; centred without one.
  POINT TopLeft() const;
  // Its rectangle in the program's screen coordinates (title bar included).
  RECT WindowRect() const;
  bool Shown() const { return m_shown; }
  void Show(bool show) { m_shown = show; }
  bool Enabled() const { return m_enabled; }
  void Enable(bool enable) { m_enabled = enable; }

  const std::string& Caption() const { return m_caption; }
  void SetCaption(std::string_view cp932) { m_caption = cp932; }
  const DialogTemplate& Layout() const { return m_template; }
  std::vector<DialogItem>& Items() { return m_items; }
  DialogItem* Item(WORD id);

  std::string ItemText(WORD id) const;
  bool SetItemText(WORD id, std::string_view cp932);
  // Edit boxes: the selection is clamped to the text and kept on character starts.
  void SetSelection(WORD id, int start, int end);

  int FocusIndex() const { return m_focus; }
  void SetFocus(WORD id);
  void MoveFocus(bool backward);

  // What the user does.
  void Type(std::string_view cp932);   // one character at a time into the focused edit box
  void Paste(std::string_view cp932);  // the whole text at once
  void EditChanged(WORD id, std::string_view cp932, int selectionStart, int selectionEnd);
  void Click(WORD id);
  void SelectEntry(WORD id, int entry, bool doubleClick);
  // Drags a scroll bar's box to a position: WM_HSCROLL or WM_VSCROLL with SB_THUMBTRACK.
  void Scroll(WORD id, int position);
  // The dialog's own bars (SB_HORZ 0, SB_VERT 1).
  ScrollState& WindowBar(int bar) { return m_bars[bar == 0 ? 0 : 1]; }
  void Key(int virtualKey, bool down, bool composing);
  void PressKey(int virtualKey);  // down and up, as a script presses it
  void PressEnter();
  void PressDefault();  // the default push button, wherever the focus is
  void PressEscape();

  // Takes one line of the answer script; false when the line does not fit a dialog.
  bool Answer(const ScriptedAnswer& answer);

  void Init();
  void End(LRESULT result);
  bool Ended() const { return m_ended; }
  LRESULT Result() const { return m_result; }

 private:
  void Command(WORD id, WORD code);
  void MoveWithinGroup(bool backward);
  void PressMnemonic(int virtualKey);
  void ReplaceSelection(DialogItem& edit, std::string_view cp932);
  DialogItem* Focused();

  DialogTemplate m_template;
  std::string m_caption;
  std::optional<POINT> m_position;
  POINT m_origin{};
  std::array<ScrollState, 2> m_bars{};
  bool m_shown = true;
  bool m_enabled = true;
  std::vector<DialogItem> m_items;
  std::unique_ptr<Window> m_window;
  int m_focus = -1;
  bool m_ended = false;
  LRESULT m_result = 0;
};

// Runs a modal dialog on the calling (main) thread: WM_INITDIALOG, then the
// scripted answers; then, headless, the default button, else the screen until
// the dialog ends; WM_DESTROY. Returns the result given to End.
// A dialog that understands answers of its own takes them first (true: used).
using AnswerHandler = std::function<bool(DialogBox& box, const ScriptedAnswer& answer)>;
LRESULT RunModalDialog(const DialogTemplate& dialogTemplate, WindowProc proc, const AnswerHandler& answerHandler = {});

}  // namespace platform::overlay
