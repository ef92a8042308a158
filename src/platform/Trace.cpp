#include "platform/Trace.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/Harness.h"

namespace platform {

namespace {
std::mutex traceMutex;
bool traceEnded = false;  // guarded by traceMutex

// The trace file stays open between lines: a play writes several lines a
// frame, and opening the file for each cost more than the frame's logic.
// Each line is flushed, so a reader sees it at once, as before.
class OpenTrace {
 public:
  ~OpenTrace() { Close(); }
  std::FILE* For(const std::string& path) {
    if (m_file && path != m_path) Close();
    if (!m_file) {
      m_file = std::fopen(path.c_str(), "ab");
      m_path = path;
    }
    return m_file;
  }
  void Close() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
  }

 private:
  std::FILE* m_file = nullptr;
  std::string m_path;
};
OpenTrace openTrace;  // guarded by traceMutex

}  // namespace

bool TraceOn() { return !Harness().trace.empty(); }

void EndTrace() {
  std::lock_guard lock(traceMutex);
  traceEnded = true;
  openTrace.Close();
}

void RestartTraceForTesting() {
  std::lock_guard lock(traceMutex);
  traceEnded = false;
  openTrace.Close();
}

void TraceLine(std::string_view line) {
  const std::string& path = Harness().trace;
  if (path.empty()) return;
  std::lock_guard lock(traceMutex);
  if (traceEnded) return;
  if (std::FILE* file = openTrace.For(path)) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fflush(file);
  }
}

}  // namespace platform
