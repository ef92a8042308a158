#include "platform/SystemProbe.h"

#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace platform {
namespace {

std::string ReadFile(const char* path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// Calls visit(key, value) for each "key : value" line, until it returns false.
template <typename Visit>
void ForEachField(std::string_view text, Visit visit) {
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      if (!visit(Trimmed(line), std::string_view())) return;
      continue;
    }
    if (!visit(Trimmed(line.substr(0, colon)), Trimmed(line.substr(colon + 1)))) return;
  }
}

bool HasWord(std::string_view words, std::string_view word) {
  std::istringstream in{std::string(words)};
  for (std::string each; in >> each;) {
    if (each == word) return true;
  }
  return false;
}

// A "kB" field of /proc/meminfo or /proc/self/status, in bytes.
std::uint64_t Kilobytes(std::string_view value) {
  return std::strtoull(std::string(value).c_str(), nullptr, 10) * 1024;
}

}  // namespace

OsProbe ProbeOs() {
  OsProbe os;
  utsname names{};
  if (uname(&names) != 0) return os;
  os.name = names.sysname;
  os.release = names.release;
  if (names.version[0] == '#') os.build = std::atoi(names.version + 1);
  return os;
}

CpuProbe ParseCpuInfo(std::string_view cpuinfo) {
  CpuProbe cpu;
  ForEachField(cpuinfo, [&](std::string_view key, std::string_view value) {
    if (key.empty()) return false;  // the blank line after the first processor
    if (key == "vendor_id") cpu.vendor = value;
    if (key == "model name") cpu.brand = value;
    if (key == "flags") {
      cpu.mmx = HasWord(value, "mmx");
      cpu.sse = HasWord(value, "sse");
      cpu.sse2 = HasWord(value, "sse2");
      cpu.amd3dnowExt = HasWord(value, "3dnowext");
      cpu.amd3dnow = HasWord(value, "3dnow");
    }
    return true;
  });
  return cpu;
}

CpuProbe ProbeCpu() { return ParseCpuInfo(ReadFile("/proc/cpuinfo")); }

double MeasureCpuClock() {
#if defined(__x86_64__) || defined(__i386__)
  using Clock = std::chrono::steady_clock;
  auto start = Clock::now();
  unsigned long long ticks = __rdtsc();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ticks = __rdtsc() - ticks;
  std::chrono::duration<double> elapsed = Clock::now() - start;
  return elapsed.count() > 0 ? static_cast<double>(ticks) / elapsed.count() : 0.0;
#else
  return 0.0;
#endif
}

MemoryProbe ParseMemory(std::string_view meminfo, std::string_view selfStatus, std::uint64_t addressSpace) {
  MemoryProbe memory;
  std::uint64_t memFree = 0, committed = 0;
  bool available = false;
  ForEachField(meminfo, [&](std::string_view key, std::string_view value) {
    if (key == "MemTotal") memory.totalPhysical = Kilobytes(value);
    if (key == "MemFree") memFree = Kilobytes(value);
    if (key == "MemAvailable") {
      memory.availablePhysical = Kilobytes(value);
      available = true;
    }
    if (key == "CommitLimit") memory.commitLimit = Kilobytes(value);
    if (key == "Committed_AS") committed = Kilobytes(value);
    return true;
  });
  if (!available) memory.availablePhysical = memFree;
  memory.commitAvailable = memory.commitLimit > committed ? memory.commitLimit - committed : 0;
  memory.totalVirtual = addressSpace;
  ForEachField(selfStatus, [&](std::string_view key, std::string_view value) {
    if (key != "VmSize") return true;
    std::uint64_t used = Kilobytes(value);
    memory.availableVirtual = addressSpace > used ? addressSpace - used : 0;
    return false;
  });
  return memory;
}

MemoryProbe ProbeMemory() {
  // The user half of a 48-bit address space, unless a limit is set.
  std::uint64_t addressSpace = sizeof(void*) == 8 ? (std::uint64_t{1} << 47) : (std::uint64_t{1} << 31);
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < addressSpace) {
    addressSpace = limit.rlim_cur;
  }
  return ParseMemory(ReadFile("/proc/meminfo"), ReadFile("/proc/self/status"), addressSpace);
}

std::uint64_t ProbeDiskFree(const std::filesystem::path& folder) {
  struct statvfs stats {};
  if (statvfs(folder.c_str(), &stats) != 0) return 0;
  return static_cast<std::uint64_t>(stats.f_bavail) * stats.f_frsize;
}

}  // namespace platform
