#include "platform/overlay/DialogBox.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>
#include <mutex>

#include "platform/Diagnostics.h"
#include "platform/Harness.h"
#include "platform/Hook.h"
#include "platform/input/Input.h"
#include "platform/input/VirtualKeys.h"
#include "platform/overlay/Overlay.h"

namespace platform::overlay {
namespace {

Hook<DialogKeyHook> keyHook;

std::mutex registryMutex;
std::map<HWND, DialogBox*>& Registry() {
  static std::map<HWND, DialogBox*> boxes;
  return boxes;
}

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Bytes of the CP932 character at pos: 2 for a lead byte with a byte after it.
size_t CharLength(std::string_view text, size_t pos) {
  return IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// The offset moved back to the start of the character it falls into.
int CharStartAtOrBefore(std::string_view text, int offset) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t next = pos + CharLength(text, pos);
    if (static_cast<int>(next) > offset) break;
    pos = next;
  }
  return static_cast<int>(pos);
}

bool IsButton(ItemKind kind) { return kind == ItemKind::Button || kind == ItemKind::DefaultButton; }
bool IsRadio(const DialogItem& item) { return item.layout.kind == ItemKind::RadioButton; }

// The arrows' groups: a run of push buttons (1) or of radio buttons (2); 0 for other items.
int GroupOf(const DialogItem& item) { return IsButton(item.layout.kind) ? 1 : IsRadio(item) ? 2 : 0; }

}  // namespace

bool DialogItem::Focusable() const {
  switch (layout.kind) {
    case ItemKind::Button:
    case ItemKind::DefaultButton:
    case ItemKind::CheckBox:
    case ItemKind::RadioButton:
    case ItemKind::Edit:
    case ItemKind::List:
      return enabled && visible;
    default:
      return false;
  }
}

void SetDialogKeyHook(DialogKeyHook hook) { keyHook.Set(std::move(hook)); }

DialogBox::DialogBox(const DialogTemplate& dialogTemplate, WindowProc proc)
    : m_template(dialogTemplate),
      m_caption(dialogTemplate.caption),
      m_window(std::make_unique<Window>(GetCurrentThreadId(), std::move(proc))) {
  for (const ItemTemplate& layout : m_template.items) {
    DialogItem& item = m_items.emplace_back();
    item.layout = layout;
    item.text = layout.text;
  }
  MoveFocus(false);
  std::lock_guard lock(registryMutex);
  Registry()[m_window.get()] = this;
}

DialogBox::~DialogBox() {
  std::lock_guard lock(registryMutex);
  Registry().erase(m_window.get());
}

DialogBox* DialogBox::FromHandle(HWND dialog) {
  std::lock_guard lock(registryMutex);
  auto found = Registry().find(dialog);
  return found == Registry().end() ? nullptr : found->second;
}

void DialogBox::Place(POINT origin, POINT position) {
  m_origin = origin;
  m_position = position;
  const RECT rect = WindowRect();
  m_window->Call(WM_MOVE, 0,
                 static_cast<LPARAM>(MakeWParam(static_cast<WORD>(rect.left), static_cast<WORD>(rect.top))));
}

POINT DialogBox::TopLeft() const {
  const int width = UnitsToPixelsX(m_template.width);
  const int height = UnitsToPixelsY(m_template.height) + (m_template.titleBar ? kTitleBarHeight : 0);
  if (!m_position) return POINT{(kGameAreaWidth - width) / 2, (kGameAreaHeight - height) / 2};
  return POINT{std::clamp(m_position->x, 0, std::max(0, kGameAreaWidth - width)),
               std::clamp(m_position->y, 0, std::max(0, kGameAreaHeight - height))};
}

RECT DialogBox::WindowRect() const {
  const POINT at = TopLeft();
  const int height = UnitsToPixelsY(m_template.height) + (m_template.titleBar ? kTitleBarHeight : 0);
  const int left = m_origin.x + at.x, top = m_origin.y + at.y;
  return RECT{left, top, left + UnitsToPixelsX(m_template.width), top + height};
}

DialogItem* DialogBox::Item(WORD id) {
  auto found =
      std::find_if(m_items.begin(), m_items.end(), [id](const DialogItem& item) { return item.layout.id == id; });
  return found == m_items.end() ? nullptr : &*found;
}

std::string DialogBox::ItemText(WORD id) const {
  for (const DialogItem& item : m_items) {
    if (item.layout.id == id) return item.text;
  }
  return {};
}

bool DialogBox::SetItemText(WORD id, std::string_view cp932) {
  DialogItem* item = Item(id);
  if (!item) return false;
  item->text = cp932;
  ++item->revision;
  SetSelection(id, item->selectionStart, item->selectionEnd);
  return true;
}

void DialogBox::SetSelection(WORD id, int start, int end) {
  DialogItem* item = Item(id);
  if (!item) return;
  auto clamp = [&](int offset) {
    return CharStartAtOrBefore(item->text, std::clamp(offset, 0, static_cast<int>(item->text.size())));
  };
  // As an edit box does, a start of -1 removes the selection and leaves the caret.
  if (start < 0) start = end = item->selectionEnd;
  item->selectionStart = clamp(std::min(start, end));
  item->selectionEnd = clamp(std::max(start, end));
  ++item->revision;
}

void DialogBox::SetFocus(WORD id) {
  for (size_t i = 0; i < m_items.size(); ++i) {
    if (m_items[i].layout.id == id && m_items[i].Focusable()) m_focus = static_cast<int>(i);
  }
}

void DialogBox::MoveFocus(bool backward) {
  const int count = static_cast<int>(m_items.size());
  for (int step = 1; step <= count; ++step) {
    int index = ((m_focus + (backward ? -step : step)) % count + count) % count;
    if (m_items[index].Focusable()) {
      m_focus = index;
      // As in any dialog, an edit box reached by the keyboard has its whole text selected.
      DialogItem& item = m_items[index];
      if (item.layout.kind == ItemKind::Edit) SetSelection(item.layout.id, 0, static_cast<int>(item.text.size()));
      return;
    }
  }
}

DialogItem* DialogBox::Focused() { return m_focus >= 0 ? &m_items[m_focus] : nullptr; }

void DialogBox::ReplaceSelection(DialogItem& edit, std::string_view cp932) {
  std::string text =
      edit.text.substr(0, edit.selectionStart) + std::string(cp932) + edit.text.substr(edit.selectionEnd);
  int caret = edit.selectionStart + static_cast<int>(cp932.size());
  EditChanged(edit.layout.id, text, caret, caret);
}

void DialogBox::Type(std::string_view cp932) {
  for (size_t pos = 0; pos < cp932.size();) {
    size_t length = CharLength(cp932, pos);
    DialogItem* edit = Focused();
    if (!edit || edit->layout.kind != ItemKind::Edit) return;
    ReplaceSelection(*edit, cp932.substr(pos, length));
    pos += length;
  }
}

void DialogBox::Paste(std::string_view cp932) {
  DialogItem* edit = Focused();
  if (edit && edit->layout.kind == ItemKind::Edit) ReplaceSelection(*edit, cp932);
}

void DialogBox::EditChanged(WORD id, std::string_view cp932, int selectionStart, int selectionEnd) {
  if (!SetItemText(id, cp932)) return;
  SetSelection(id, selectionStart, selectionEnd);
  Command(id, EN_UPDATE);
}

void DialogBox::Command(WORD id, WORD code) { m_window->Call(WM_COMMAND, MakeWParam(id, code), 0); }

void DialogBox::Click(WORD id) {
  DialogItem* item = Item(id);
  if (!item || !item->enabled || !item->visible) return;
  SetFocus(id);
  if (item->layout.kind == ItemKind::CheckBox) item->checked = !item->checked;
  if (IsRadio(*item)) {
    // Automatic radio buttons: the run of neighbouring buttons is one group.
    auto self = m_items.begin() + (item - m_items.data());
    auto first = self, last = self;
    while (first != m_items.begin() && IsRadio(*(first - 1))) --first;
    while (last + 1 != m_items.end() && IsRadio(*(last + 1))) ++last;
    for (auto it = first; it <= last; ++it) it->checked = (it == self);
  }
  Command(id, BN_CLICKED);
}

void DialogBox::Scroll(WORD id, int position) {
  DialogItem* bar = Item(id);
  if (!bar || !bar->enabled || !bar->visible || bar->layout.kind != ItemKind::ScrollBar) return;
  bar->scroll.trackPos = position;
  const UINT message = bar->layout.height > bar->layout.width ? WM_VSCROLL : WM_HSCROLL;
  m_window->Call(message, MakeWParam(SB_THUMBTRACK, static_cast<WORD>(position)),
                 static_cast<LPARAM>(reinterpret_cast<std::uintptr_t>(Handle())));
}

void DialogBox::SelectEntry(WORD id, int entry, bool doubleClick) {
  DialogItem* list = Item(id);
  if (!list || entry < 0 || entry >= static_cast<int>(list->entries.size())) return;
  SetFocus(id);
  list->selectedEntry = entry;
  Command(id, LBN_SELCHANGE);
  if (doubleClick) Command(id, LBN_DBLCLK);
}

void DialogBox::Key(int virtualKey, bool down, bool composing) {
  if (DialogKeyHook hook = keyHook.Get()) hook(Handle(), virtualKey, down, composing);
  if (!down || composing || m_ended) return;
  switch (virtualKey) {
    case VK_RETURN:
      PressEnter();
      break;
    case VK_ESCAPE:
      PressEscape();
      break;
    case VK_TAB:
      MoveFocus((GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0);
      break;
    case VK_SPACE:
      if (DialogItem* item = Focused();
          item && item->layout.kind != ItemKind::Edit && item->layout.kind != ItemKind::List)
        Click(item->layout.id);
      break;
    case VK_LEFT:
    case VK_UP:
      MoveWithinGroup(true);
      break;
    case VK_RIGHT:
    case VK_DOWN:
      MoveWithinGroup(false);
      break;
    default:
      PressMnemonic(virtualKey);
      break;
  }
}

// Arrows move among the neighbouring buttons, or radio buttons, of the focused
// one, as in a dialog's group; a radio button reached is chosen.
void DialogBox::MoveWithinGroup(bool backward) {
  const int group = m_focus >= 0 ? GroupOf(m_items[m_focus]) : 0;
  if (group == 0) return;
  int first = m_focus, last = m_focus;
  while (first > 0 && GroupOf(m_items[first - 1]) == group) --first;
  while (last + 1 < static_cast<int>(m_items.size()) && GroupOf(m_items[last + 1]) == group) ++last;
  const int count = last - first + 1;
  for (int step = 1; step < count; ++step) {
    const int index = first + ((m_focus - first + (backward ? -step : step)) % count + count) % count;
    if (!m_items[index].Focusable()) continue;
    if (IsRadio(m_items[index])) return Click(m_items[index].layout.id);
    m_focus = index;
    return;
  }
}

// A letter or digit clicks the button whose label names it in brackets, as
// "はい(Y)" does, unless the focused edit box takes it as text.
void DialogBox::PressMnemonic(int virtualKey) {
  const bool letter = (virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9');
  const DialogItem* focused = Focused();
  if (!letter || (focused && focused->layout.kind == ItemKind::Edit)) return;
  const std::string mark = {'(', static_cast<char>(virtualKey), ')'};
  for (const DialogItem& item : m_items) {
    if (IsButton(item.layout.kind) && item.enabled && item.visible && item.text.ends_with(mark))
      return Click(item.layout.id);
  }
}

void DialogBox::PressKey(int virtualKey) {
  Key(virtualKey, true, false);
  // Without an edit box on screen to take it, Backspace erases here.
  DialogItem* edit = Focused();
  if (virtualKey == VK_BACK && edit && edit->layout.kind == ItemKind::Edit && !m_ended) {
    if (edit->selectionStart == edit->selectionEnd)
      edit->selectionStart = CharStartAtOrBefore(edit->text, edit->selectionStart - 1);
    ReplaceSelection(*edit, "");
  }
  Key(virtualKey, false, false);
}

void DialogBox::PressEnter() {
  DialogItem* focused = Focused();
  if (focused && IsButton(focused->layout.kind)) return Click(focused->layout.id);
  PressDefault();
}

void DialogBox::PressDefault() {
  for (const DialogItem& item : m_items) {
    if (item.layout.kind == ItemKind::DefaultButton) return Click(item.layout.id);
  }
}

void DialogBox::PressEscape() { m_window->Call(WM_CLOSE, 0, 0); }

bool DialogBox::Answer(const ScriptedAnswer& answer) {
  if (answer.kind == "text") {
    Type(answer.value);
  } else if (answer.kind == "paste") {
    Paste(answer.value);
  } else if (answer.kind == "click") {
    unsigned id = 0;
    auto [end, error] = std::from_chars(answer.value.data(), answer.value.data() + answer.value.size(), id);
    if (error != std::errc() || end != answer.value.data() + answer.value.size() || !Item(static_cast<WORD>(id)))
      return false;
    Click(static_cast<WORD>(id));
  } else if (answer.kind == "key") {
    std::optional<int> key = VirtualKeyFromName(answer.value);
    if (!key) return false;
    PressKey(*key);
  } else if (answer.kind == "button" && answer.value == "OK") {
    PressDefault();
  } else if (answer.kind == "button" && answer.value == "CANCEL") {
    PressEscape();
  } else {
    return false;
  }
  return true;
}

void DialogBox::Init() { m_window->Call(WM_INITDIALOG, 0, 0); }

void DialogBox::End(LRESULT result) {
  m_ended = true;
  m_result = result;
}

LRESULT RunModalDialog(const DialogTemplate& dialogTemplate, WindowProc proc, const AnswerHandler& answerHandler) {
  DialogBox box(dialogTemplate, std::move(proc));
  box.Init();
  const char* source = "script";
  while (!box.Ended()) {
    auto answer = NextScriptedAnswer();
    if (!answer) break;
    if (!(answerHandler && answerHandler(box, *answer)) && !box.Answer(*answer))
      Diagnostic("answer script: \"" + answer->kind + " " + answer->value + "\" does not answer the dialog \"" +
                 box.Caption() + "\"");
  }
  if (!box.Ended() && Harness().headless) {
    source = "default";
    if (!dialogTemplate.defaultCancels) box.PressDefault();
    if (!box.Ended()) box.PressEscape();
  }
  if (!box.Ended()) {
    source = "user";
    ShowModal(box);
  }
  Diagnostic("Dialog : " + box.Caption() + " -> " + std::to_string(box.Result()) + " (" + source + ")");
  box.Handle()->Call(WM_DESTROY, 0, 0);
  return box.Result();
}

}  // namespace platform::overlay
