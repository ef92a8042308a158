#pragma once
// The description of the machine that the report log receives at start: the
// system (OS, processor, memory, free disk) and, once the display is set up,
// the display. This Linux machine reports itself with a Windows-like version
// of 6.1, so that start-up takes the paths a current machine takes.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/DisplayProbe.h"
#include "platform/WinTypes.h"

struct CpuRecord {
  std::string brand;
  std::string vendor;
  int mmx = 0, sse = 0, sse2 = 0, amd3dnow = 0, amd3dnowExt = 0;
  double clock = 0.0;  // Hz
};

// The memory figures in bytes; 64 bits wide, so a large machine is not cut
// to 4 GB.
struct MEMORYSTATUS {
  DWORD dwLength = 0;
  DWORD dwMemoryLoad = 0;  // percent of physical memory in use
  std::uint64_t dwTotalPhys = 0, dwAvailPhys = 0;
  std::uint64_t dwTotalPageFile = 0, dwAvailPageFile = 0;
  std::uint64_t dwTotalVirtual = 0, dwAvailVirtual = 0;
};

struct SystemFacts {
  std::string os;
  CpuRecord cpu;
  MEMORYSTATUS memory;
  std::uint64_t diskFree = 0;
};

int ReportSystemInfo();
int ReportDisplayInfo(int detail);
int ReportDxDiag(int detail);

void GetOsName(std::string* text, int* major, int* minor);
bool IsWinVerOrLater(int major, int minor);
void GetMemoryStatus(MEMORYSTATUS& status);
void GetCpuName(CpuRecord& record);
double GetCpuClock();
// Bytes free for this user in the folder (the working folder for null),
// capped at 2147483647; 0 when unknown.
std::uint64_t GetDiskFree(const char* folder);
void GetVramMB(DWORD* total, DWORD* free);
// The leading number of the first display device's DDI version; 99999 when
// there is none or it is 0.
int GetDdiVersion();

// The report's lines for the given facts, without line ends.
std::vector<std::string> SystemReportLines(const SystemFacts& facts);
std::vector<std::string> DisplayReportLines(const platform::DisplayInfo& display, bool detail);
