#pragma once
// Message boxes. The dialog layer installs the real box; until then, in
// headless runs and whenever the answer script has an answer, a box never
// blocks: it takes the scripted answer, else its default, and logs the line
// "MesBox : caption : text -> ANSWER (script|default)".
#include <functional>
#include <span>
#include <string_view>

#include "platform/WinTypes.h"

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

namespace platform {

// Shows a real box (text and caption are CP932) and returns the button chosen.
using MessageBoxSink = std::function<int(std::string_view text, std::string_view caption, UINT type)>;
void SetMessageBoxSink(MessageBoxSink sink);

struct MessageBoxButton {
  int id;
  std::string_view name;  // as the answer script names it
};
// The buttons of a box type, left to right.
std::span<const MessageBoxButton> ButtonsOf(UINT type);

// The answer a box takes without a user: its last button, the one that
// declines (No, Cancel, Ignore, or OK when it has only that).
int DefaultAnswer(UINT type);

// Shows the box through the sink, or answers it as described above.
int ShowMessageBox(std::string_view text, std::string_view caption, UINT type);

}  // namespace platform
