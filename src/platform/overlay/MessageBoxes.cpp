#include "platform/overlay/MessageBoxes.h"

#include <algorithm>
#include <memory>
#include <span>

#include "platform/MainThread.h"
#include "platform/MessageBox.h"
#include "platform/TextCodec.h"
#include "platform/overlay/DialogBox.h"
#include "platform/overlay/Overlay.h"

namespace platform::overlay {
namespace {

constexpr int kMaxTextUnits = 300;  // wider lines wrap
constexpr int kMargin = 10;
constexpr int kIconUnits = 20;
constexpr int kLineUnits = 10;
constexpr int kButtonWidth = 50, kButtonHeight = 14, kButtonGap = 6;

std::string_view LabelOf(int id) {
  switch (id) {
    case IDCANCEL:
      return "キャンセル";
    case IDABORT:
      return "中止(A)";
    case IDRETRY:
      return "再試行(R)";
    case IDIGNORE:
      return "無視(I)";
    case IDYES:
      return "はい(Y)";
    case IDNO:
      return "いいえ(N)";
    default:
      return "OK";
  }
}

std::string_view IconOf(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONERROR:
      return "error";
    case MB_ICONQUESTION:
      return "question";
    case MB_ICONWARNING:
      return "warning";
    case MB_ICONINFORMATION:
      return "information";
    default:
      return {};
  }
}

// Width of a line in dialog units: a half-width character is 4, a full-width 8.
int LineUnits(std::string_view line) {
  int units = 0;
  for (size_t pos = 0; pos < line.size(); ++pos) {
    const auto b = static_cast<unsigned char>(line[pos]);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    units += lead && pos + 1 < line.size() ? 8 : 4;
    if (lead) ++pos;
  }
  return units;
}

struct TextSize {
  int width = 0, height = 0;
};

TextSize MeasureText(std::string_view text) {
  TextSize size;
  int lines = 0;
  for (size_t start = 0; start <= text.size();) {
    size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const int units = LineUnits(line);
    size.width = std::max(size.width, std::min(units, kMaxTextUnits));
    lines += std::max(1, (units + kMaxTextUnits - 1) / kMaxTextUnits);
    start = end + 1;
  }
  size.height = lines * kLineUnits;
  return size;
}

// A box closes with the button clicked; the close box and Escape count as
// Cancel where it has one, as OK where OK is all it has, and do nothing else.
LRESULT BoxProc(DialogBox& box, UINT type, UINT message, WPARAM wParam) {
  const auto buttons = ButtonsOf(type);
  if (message == WM_COMMAND && HighWord(wParam) == BN_CLICKED) {
    box.End(LowWord(wParam));
  } else if (message == WM_CLOSE) {
    auto cancel =
        std::find_if(buttons.begin(), buttons.end(), [](const MessageBoxButton& b) { return b.id == IDCANCEL; });
    if (cancel != buttons.end()) box.End(IDCANCEL);
    if (buttons.size() == 1) box.End(buttons.front().id);
  }
  return 1;
}

}  // namespace

DialogTemplate MessageBoxTemplate(std::string_view text, std::string_view caption, UINT type) {
  DialogTemplate layout;
  layout.caption = caption;
  const std::string_view icon = IconOf(type);
  const int textLeft = kMargin + (icon.empty() ? 0 : kIconUnits + kMargin);
  const TextSize textSize = MeasureText(text);
  const auto buttons = ButtonsOf(type);
  const int buttonsWidth = static_cast<int>(buttons.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
  const int textHeight = std::max(textSize.height, icon.empty() ? 0 : kIconUnits);
  layout.width = std::max(textLeft + textSize.width + kMargin, buttonsWidth + 2 * kMargin);
  layout.height = kMargin + textHeight + kMargin + kButtonHeight + kMargin;
  if (!icon.empty())
    layout.items.push_back({0xFFFF, ItemKind::Icon, std::string(icon), kMargin, kMargin, kIconUnits, kIconUnits});
  layout.items.push_back({0xFFFE, ItemKind::Text, std::string(text), textLeft, kMargin, textSize.width, textHeight});
  int x = (layout.width - buttonsWidth) / 2;
  const int y = kMargin + textHeight + kMargin;
  for (size_t i = 0; i < buttons.size(); ++i) {
    const ItemKind kind = i == 0 ? ItemKind::DefaultButton : ItemKind::Button;
    layout.items.push_back({static_cast<WORD>(buttons[i].id), kind, Utf8ToCp932Lossy(LabelOf(buttons[i].id)), x, y,
                            kButtonWidth, kButtonHeight});
    x += kButtonWidth + kButtonGap;
  }
  return layout;
}

int RunMessageBox(std::string_view text, std::string_view caption, UINT type) {
  DialogBox* self = nullptr;
  DialogBox box(MessageBoxTemplate(text, caption, type), [&self, type](HWND, UINT message, WPARAM wParam, LPARAM) {
    return BoxProc(*self, type, message, wParam);
  });
  self = &box;
  ShowModal(box);
  return static_cast<int>(box.Result());
}

namespace {

constexpr UINT kShowMessageBox = WM_APP + 0x3F0;

struct BoxRequest {
  std::string_view text, caption;
  UINT type;
};

// A window of the main thread: other threads' boxes are sent to it.
Window* courier = nullptr;

int ShowOnMainThread(std::string_view text, std::string_view caption, UINT type) {
  if (IsMainThread()) return RunMessageBox(text, caption, type);
  BoxRequest request{text, caption, type};
  const LRESULT answer = SendMessage(courier, kShowMessageBox, reinterpret_cast<WPARAM>(&request), 0);
  return answer != 0 ? static_cast<int>(answer) : DefaultAnswer(type);
}

}  // namespace

void InstallOverlay() {
  if (courier) return;
  static std::unique_ptr<Window> window =
      std::make_unique<Window>(GetCurrentThreadId(), [](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
        if (message != kShowMessageBox) return 0;
        const auto* request = reinterpret_cast<const BoxRequest*>(wParam);
        return RunMessageBox(request->text, request->caption, request->type);
      });
  courier = window.get();
  SetMessageBoxSink(ShowOnMainThread);
}

}  // namespace platform::overlay
