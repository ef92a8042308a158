#include "platform/Trace.h"

#include <cstdio>
#include <mutex>

#include "platform/Harness.h"

namespace platform {

namespace {
std::mutex traceMutex;
bool traceEnded = false;  // guarded by traceMutex
}  // namespace

bool TraceOn() { return !Harness().trace.empty(); }

void EndTrace() {
  std::lock_guard lock(traceMutex);
  traceEnded = true;
}

void RestartTraceForTesting() {
  std::lock_guard lock(traceMutex);
  traceEnded = false;
}

void TraceLine(std::string_view line) {
  const std::string& path = Harness().trace;
  if (path.empty()) return;
  std::lock_guard lock(traceMutex);
  if (traceEnded) return;
  if (std::FILE* file = std::fopen(path.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fclose(file);
  }
}

}  // namespace platform
