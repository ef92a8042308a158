#include "platform/Answers.h"

#include <deque>
#include <fstream>
#include <mutex>

#include "platform/Diagnostics.h"
#include "platform/Harness.h"
#include "platform/TextCodec.h"

namespace platform {
namespace {

// A line is a kind, a blank and the value; blank lines and "#" comments are skipped.
std::optional<ScriptedAnswer> ParseLine(const std::string& line, int lineNumber) {
  if (line.empty() || line[0] == '#') return std::nullopt;
  auto converted = Utf8ToCp932(line);
  if (!converted) {
    Diagnostic("answer script: line " + std::to_string(lineNumber) + " has text CP932 cannot hold; skipped");
    return std::nullopt;
  }
  auto space = converted->find(' ');
  if (space == std::string::npos) return ScriptedAnswer{*converted, ""};
  return ScriptedAnswer{converted->substr(0, space), converted->substr(space + 1)};
}

class AnswerScript {
 public:
  std::optional<ScriptedAnswer> Next() {
    std::lock_guard lock(m_mutex);
    const std::string& path = Harness().answerScript;
    if (path != m_loadedPath) Load(path);
    if (m_answers.empty()) return std::nullopt;
    ScriptedAnswer answer = std::move(m_answers.front());
    m_answers.pop_front();
    return answer;
  }

 private:
  void Load(const std::string& path) {
    m_loadedPath = path;
    m_answers.clear();
    if (path.empty()) return;
    std::ifstream in(path);
    if (!in) Diagnostic("answer script: cannot read " + Utf8ToCp932Lossy(path));
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (auto answer = ParseLine(line, ++lineNumber)) m_answers.push_back(std::move(*answer));
    }
  }

  std::mutex m_mutex;
  std::string m_loadedPath;
  std::deque<ScriptedAnswer> m_answers;
};

}  // namespace

std::optional<ScriptedAnswer> NextScriptedAnswer() {
  static AnswerScript script;
  return script.Next();
}

}  // namespace platform
