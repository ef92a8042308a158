#include "platform/input/InputScript.h"

#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>

#include "platform/input/VirtualKeys.h"

namespace platform {
namespace {

std::optional<unsigned long> ParseNumber(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  unsigned long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  size_t pos = 0;
  while (true) {
    pos = line.find_first_not_of(" \t\r", pos);
    if (pos == std::string_view::npos) break;
    size_t end = line.find_first_of(" \t\r", pos);
    words.push_back(line.substr(pos, end - pos));
    if (end == std::string_view::npos) break;
    pos = end;
  }
  return words;
}

// "joyN=X,Y,BUTTONS" into the state; false when the word is not that shape.
bool ParseJoystick(std::string_view word, InputState& state) {
  auto equals = word.find('=');
  if (word.substr(0, 3) != "joy" || equals == std::string_view::npos) return false;
  auto number = ParseNumber(word.substr(3, equals - 3));
  if (!number || *number >= kMaxJoysticks) return false;
  std::optional<unsigned long> fields[3];
  std::string_view rest = word.substr(equals + 1);
  for (auto& field : fields) {
    auto comma = rest.find(',');
    field = ParseNumber(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    if (!field) return false;
  }
  if (!rest.empty() || *fields[0] > 65535 || *fields[1] > 65535 || *fields[2] > 0xFFFFFFFFul) return false;
  state.joysticks[*number] = {true, static_cast<DWORD>(*fields[0]), static_cast<DWORD>(*fields[1]),
                              static_cast<DWORD>(*fields[2])};
  return true;
}

}  // namespace

std::optional<InputScript> InputScript::Parse(std::string_view text, std::string& error) {
  if (text.size() > kMaxBytes) {
    error = "script longer than " + std::to_string(kMaxBytes) + " bytes";
    return std::nullopt;
  }
  InputScript script;
  int lineNumber = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end - start);
    start = end == std::string_view::npos ? text.size() : end + 1;
    ++lineNumber;
    auto fail = [&](const std::string& reason) {
      error = "line " + std::to_string(lineNumber) + ": " + reason;
      return std::nullopt;
    };
    auto words = SplitWords(line.substr(0, line.find('#')));
    if (words.empty()) continue;
    if (script.m_runs.size() == kMaxLines) return fail("more than " + std::to_string(kMaxLines) + " steps lines");
    auto count = ParseNumber(words[0]);
    if (!count || *count < 1 || *count > static_cast<unsigned long>(std::numeric_limits<int>::max()))
      return fail("step count \"" + std::string(words[0]) + "\" is not a number from 1 to 2147483647");
    Run run{static_cast<long>(*count), {}};
    for (size_t i = 1; i < words.size(); ++i) {
      if (auto vk = VirtualKeyFromName(words[i]))
        run.state.keys.set(*vk);
      else if (!ParseJoystick(words[i], run.state))
        return fail("\"" + std::string(words[i]) + "\" is neither a key name nor joyN=X,Y,BUTTONS");
    }
    script.m_runs.push_back(run);
  }
  return script;
}

std::optional<InputScript> InputScript::Load(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = path + ": cannot be opened";
    return std::nullopt;
  }
  std::string text(kMaxBytes + 1, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(file.gcount()));
  auto script = Parse(text, error);
  if (!script) error = path + ": " + error;
  return script;
}

void InputScript::Advance() {
  if (m_run >= m_runs.size()) return;
  if (++m_stepsIntoRun > m_runs[m_run].count) {
    ++m_run;
    m_stepsIntoRun = 1;
  }
}

const InputState& InputScript::Current() const {
  static const InputState nothingHeld;
  if (m_stepsIntoRun == 0 || m_run >= m_runs.size()) return nothingHeld;
  return m_runs[m_run].state;
}

}  // namespace platform
