#include "library/window/Controls.h"

#include <algorithm>
#include <climits>

#include "library/util/Sjis.h"
#include "library/window/DialogItems.h"
#include "library/window/Window.h"
#include "platform/input/Input.h"
#include "platform/overlay/DialogBox.h"
#include "platform/overlay/DialogItems.h"

namespace {

constexpr std::string_view kLineBreak = "\r\n";

size_t CharBytes(std::string_view text, size_t pos) {
  return pos + 1 < text.size() && IsSjisLeadByte(static_cast<BYTE>(text[pos])) &&
                 IsSjisTrailByte(static_cast<BYTE>(text[pos + 1]))
             ? 2
             : 1;
}

int CountLines(std::string_view text) {
  return text.empty() ? 0 : static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

}  // namespace

// cCtrl

void cCtrl::Enable(BOOL enable) { EnableDlgItem(m_hOwner, m_wID, enable); }

void cCtrl::Attach(cDialog* owner, WORD id) {
  m_pOwner = owner;
  m_hOwner = owner ? owner->m_hWnd : nullptr;
  m_wID = id;
  m_tooltip.clear();
  // Items live in their dialog: an item that exists is reached through its dialog's handle.
  platform::overlay::DialogBox* box = platform::overlay::DialogBox::FromHandle(m_hOwner);
  m_hWnd = box && box->Item(id) ? m_hOwner : nullptr;
}

void cCtrl::SetText(const std::string& text) { SetDlgItemString(m_hOwner, m_wID, text); }

void cCtrl::Show(bool show) { ShowDlgItem(m_hOwner, m_wID, show ? TRUE : FALSE); }

void cCtrl::AddCtrlStyle(DWORD bits) {
  if (bits & WS_DISABLED) EnableDlgItem(m_hOwner, m_wID, FALSE);
}

void cCtrl::RemoveCtrlStyle(DWORD bits) {
  if (bits & WS_DISABLED) EnableDlgItem(m_hOwner, m_wID, TRUE);
}

// cCheckCtrl, cRadioCtrl

void cCheckCtrl::Attach(cDialog* owner, WORD id, int* bound) {
  cCtrl::Attach(owner, id);
  m_pData = bound;
}

void cCheckCtrl::DataToCtrl() {
  if (m_pData) SendDlgItemMessage(m_hOwner, m_wID, BM_SETCHECK, static_cast<WPARAM>(*m_pData), 0);
}

void cCheckCtrl::CtrlToData() {
  if (m_pData) *m_pData = static_cast<int>(SendDlgItemMessage(m_hOwner, m_wID, BM_GETCHECK, 0, 0));
}

void cRadioCtrl::Attach(cDialog* owner, WORD id, int* bound, int value) {
  cCtrl::Attach(owner, id);
  m_pData = bound;
  m_value = value;
}

void cRadioCtrl::DataToCtrl() {
  if (m_pData) SendDlgItemMessage(m_hOwner, m_wID, BM_SETCHECK, *m_pData == m_value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void cRadioCtrl::CtrlToData() {
  if (m_pData && SendDlgItemMessage(m_hOwner, m_wID, BM_GETCHECK, 0, 0) != 0) *m_pData = m_value;
}

// cScrollCtrl

void cScrollCtrl::Attach(cDialog* owner, const SCROLLCTRLDATA& data) {
  cCtrl::Attach(owner, data.id);
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMin = data.min, info.nMax = data.max;
  info.nPage = static_cast<UINT>(std::max(data.page, 0));
  if (data.target)
    SetScrollInfo(*data.target, 0, data.bar, info);
  else
    SetScrollInfo(m_hOwner, m_wID, SB_CTL, info);
}

// cEditCtrl

void InitCtrlBinding(EDITCTRLDATA* data, WORD id, std::string* bound, int n, int doubleByte) {
  *data = EDITCTRLDATA{id, bound, n + 1, doubleByte ? n : 0, 1, doubleByte};
}

void cEditCtrl::Attach(cDialog* owner, const EDITCTRLDATA& data) {
  cCtrl::Attach(owner, data.id);
  m_maxChars = data.maxChars > 0 ? data.maxChars : 4096;
  m_maxPerLine = data.maxPerLine > 0 ? data.maxPerLine : 1024;
  m_maxLines = data.maxLines > 0 ? data.maxLines : 32;
  m_doubleByte = data.doubleByte;
  m_pData = data.data;
  const std::string bound = m_pData ? *m_pData : std::string();
  SetDlgItemString(m_hOwner, m_wID, bound);
  m_previous = bound;
  m_attaching = true;
  OnChange();
  m_attaching = false;
}

void cEditCtrl::DataToCtrl() {
  if (m_pData) SetDlgItemString(m_hOwner, m_wID, *m_pData);
}

void cEditCtrl::CtrlToData() {
  if (m_pData) GetDlgItemString(m_hOwner, m_wID, *m_pData, ReadLimit());
}

std::string cEditCtrl::ItemText() const {
  std::string text;
  GetDlgItemString(m_hOwner, m_wID, text, ReadLimit());
  return text;
}

// Bytes of the longest start of the line within the per-line maximum; a
// double-byte character is never split.
size_t cEditCtrl::FittingBytes(std::string_view line) const {
  size_t bytes = 0;
  for (int count = 0; bytes < line.size(); ++count) {
    const size_t next = CharBytes(line, bytes);
    if ((m_doubleByte ? count : static_cast<int>(bytes + next) - 1) >= m_maxPerLine) break;
    bytes += next;
  }
  return bytes;
}

void cEditCtrl::FitLines(std::string& text, int& start, int& end) const {
  size_t lineStart = 0;
  for (int line = 0; line < m_maxLines && lineStart <= text.size(); ++line) {
    size_t lineEnd = std::min(text.find(kLineBreak, lineStart), text.size());
    const size_t fit = FittingBytes(std::string_view(text).substr(lineStart, lineEnd - lineStart));
    if (lineStart + fit < lineEnd) {
      // The rest of the line moves to a line of its own and joins the line after it.
      const size_t cut = lineStart + fit;
      text.insert(cut, kLineBreak);
      for (int* selection : {&start, &end}) {
        if (*selection >= static_cast<int>(cut)) *selection += 2;
      }
      const size_t next = text.find(kLineBreak, cut + 2);
      if (next != std::string::npos) {
        text.erase(next, 2);
        for (int* selection : {&start, &end}) {
          if (*selection > static_cast<int>(next)) *selection = std::max(static_cast<int>(next), *selection - 2);
        }
      }
      lineEnd = cut;
    }
    if (lineEnd >= text.size()) break;
    lineStart = lineEnd + 2;
  }
}

bool cEditCtrl::JoinsLinesByBackspace(const std::string& text, int start, int end) const {
  if (!(GetAsyncKeyState(VK_BACK) & 0x8000) || start != end) return false;
  if (text.size() + 2 != m_previous.size() || CountLines(text) >= CountLines(m_previous)) return false;
  const size_t caret = std::min(static_cast<size_t>(start), m_previous.size());
  const size_t lastReturn = caret == 0 ? std::string::npos : m_previous.rfind('\r', caret - 1);
  const size_t from = lastReturn == std::string::npos ? 0 : lastReturn + 2;
  if (from > caret) return false;
  const std::string stretch = m_previous.substr(from, caret - from);
  const int length = m_doubleByte ? CountSjisChars(stretch.c_str()) : static_cast<int>(stretch.size());
  return length >= m_maxPerLine;
}

void cEditCtrl::OnChange() {
  if (m_busy) return;
  m_busy = 1;
  std::string text = ItemText();
  DWORD selStart = 0, selEnd = 0;
  SendDlgItemMessage(m_hOwner, m_wID, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                     reinterpret_cast<LPARAM>(&selEnd));
  int start = static_cast<int>(selStart), end = static_cast<int>(selEnd);
  if (JoinsLinesByBackspace(text, start, end)) {
    text = m_previous;
  } else {
    FitLines(text, start, end);
    if (CountLines(text) > m_maxLines) {
      text = m_attaching ? m_previous.substr(0, FittingBytes(m_previous)) : m_previous;
      start = static_cast<int>(selStart), end = static_cast<int>(selEnd);
    }
  }
  for (int* selection : {&start, &end}) {
    if (*selection > 0 && *selection < static_cast<int>(text.size()) && text[*selection] == '\n' &&
        text[*selection - 1] == '\r')
      ++*selection;
    *selection = std::clamp(*selection, 0, static_cast<int>(text.size()));
  }
  SetDlgItemString(m_hOwner, m_wID, text);
  if (!m_attaching) SendDlgItemMessage(m_hOwner, m_wID, EM_SETSEL, static_cast<WPARAM>(start), end);
  m_previous = text;
  m_busy = 0;
}
