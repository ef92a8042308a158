#include "platform/Trace.h"

#include <cstdio>
#include <mutex>

#include "platform/Harness.h"

namespace platform {

bool TraceOn() { return !Harness().trace.empty(); }

void TraceLine(std::string_view line) {
  static std::mutex mutex;
  const std::string& path = Harness().trace;
  if (path.empty()) return;
  std::lock_guard lock(mutex);
  if (std::FILE* file = std::fopen(path.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fclose(file);
  }
}

}  // namespace platform
