#pragma once
// What the system report tells about this machine, read from Linux: uname,
// /proc/cpuinfo, /proc/meminfo, /proc/self/status and statvfs. The parsers
// take the files' text so that they can be tried on any machine's.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

struct OsProbe {
  std::string name;     // "Linux"
  std::string release;  // the kernel release, "6.1.0-18-amd64"
  int build = 0;        // the kernel's build number, the "#1" of its version
};
OsProbe ProbeOs();

struct CpuProbe {
  std::string vendor;  // "GenuineIntel", "AuthenticAMD"
  std::string brand;   // the model name; empty when the processor gives none
  bool mmx = false, sse = false, sse2 = false, amd3dnowExt = false, amd3dnow = false;
};
// The first processor of a /proc/cpuinfo text.
CpuProbe ParseCpuInfo(std::string_view cpuinfo);
CpuProbe ProbeCpu();
// The processor clock in Hz, from the time-stamp counter over about 100 ms of
// the real clock (sleeping, not spinning); 0 where it cannot be measured.
double MeasureCpuClock();

struct MemoryProbe {
  std::uint64_t totalPhysical = 0, availablePhysical = 0;
  std::uint64_t commitLimit = 0, commitAvailable = 0;
  std::uint64_t totalVirtual = 0, availableVirtual = 0;  // this process's address space
};
MemoryProbe ParseMemory(std::string_view meminfo, std::string_view selfStatus, std::uint64_t addressSpace);
MemoryProbe ProbeMemory();

// Bytes the user may still write in the folder; 0 when it cannot be told.
std::uint64_t ProbeDiskFree(const std::filesystem::path& folder);

}  // namespace platform
