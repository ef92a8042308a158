#pragma once
// The answer script of ZANDREL_ANSWERS: the answers that boxes and dialogs
// take, in order, instead of waiting for a user. Its format is described in
// tests/README.md.
#include <optional>
#include <string>

namespace platform {

struct ScriptedAnswer {
  std::string kind;   // "button", "text" or "file"
  std::string value;  // CP932 (the script itself is UTF-8)
};

// Takes the next answer; none when there is no script or it has run out.
std::optional<ScriptedAnswer> NextScriptedAnswer();

}  // namespace platform
