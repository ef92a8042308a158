#include "platform/MessageBox.h"

#include <array>
#include <span>
#include <string>

#include "platform/Answers.h"
#include "platform/Diagnostics.h"
#include "platform/Harness.h"
#include "platform/Hook.h"

namespace platform {
namespace {

using Button = MessageBoxButton;

constexpr Button kOk{IDOK, "OK"}, kCancel{IDCANCEL, "CANCEL"}, kAbort{IDABORT, "ABORT"}, kRetry{IDRETRY, "RETRY"},
    kIgnore{IDIGNORE, "IGNORE"}, kYes{IDYES, "YES"}, kNo{IDNO, "NO"};

}  // namespace

std::span<const MessageBoxButton> ButtonsOf(UINT type) {
  static constexpr std::array<Button, 1> ok{kOk};
  static constexpr std::array<Button, 2> okCancel{kOk, kCancel};
  static constexpr std::array<Button, 3> abortRetryIgnore{kAbort, kRetry, kIgnore};
  static constexpr std::array<Button, 3> yesNoCancel{kYes, kNo, kCancel};
  static constexpr std::array<Button, 2> yesNo{kYes, kNo};
  static constexpr std::array<Button, 2> retryCancel{kRetry, kCancel};
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return okCancel;
    case MB_ABORTRETRYIGNORE:
      return abortRetryIgnore;
    case MB_YESNOCANCEL:
      return yesNoCancel;
    case MB_YESNO:
      return yesNo;
    case MB_RETRYCANCEL:
      return retryCancel;
    default:
      return ok;
  }
}

namespace {

std::string_view NameOf(int id) {
  for (const Button& button : {kOk, kCancel, kAbort, kRetry, kIgnore, kYes, kNo}) {
    if (button.id == id) return button.name;
  }
  return "?";
}

// The button a scripted answer names, when the box has it.
std::optional<int> ButtonAnswering(const ScriptedAnswer& answer, UINT type) {
  if (answer.kind != "button") return std::nullopt;
  for (const Button& button : ButtonsOf(type)) {
    if (button.name == answer.value) return button.id;
  }
  return std::nullopt;
}

int Answered(std::string_view text, std::string_view caption, int id, const char* source) {
  Diagnostic("MesBox : " + std::string(caption) + " : " + std::string(text) + " -> " + std::string(NameOf(id)) + " (" +
             source + ")");
  return id;
}

Hook<MessageBoxSink> boxSink;

}  // namespace

void SetMessageBoxSink(MessageBoxSink sink) { boxSink.Set(std::move(sink)); }

int DefaultAnswer(UINT type) { return ButtonsOf(type).back().id; }

int ShowMessageBox(std::string_view text, std::string_view caption, UINT type) {
  if (auto scripted = NextScriptedAnswer()) {
    if (auto id = ButtonAnswering(*scripted, type)) return Answered(text, caption, *id, "script");
    // A script out of step with the program must not leave a box waiting.
    Diagnostic("answer script: \"" + scripted->kind + " " + scripted->value + "\" does not answer the box \"" +
               std::string(caption) + "\"");
    return Answered(text, caption, DefaultAnswer(type), "default");
  }
  MessageBoxSink sink = boxSink.Get();
  if (sink && !Harness().headless) return sink(text, caption, type);
  return Answered(text, caption, DefaultAnswer(type), "default");
}

}  // namespace platform
