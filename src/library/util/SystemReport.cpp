#include "library/util/SystemReport.h"

#include "library/util/Convert.h"
#include "library/util/Log.h"
#include "library/util/Text.h"
#include "platform/HostPath.h"
#include "platform/SystemProbe.h"

namespace {

constexpr int kWindowsMajor = 6;
constexpr int kWindowsMinor = 1;
constexpr int kPlatformNt = 2;

double Megabytes(std::uint64_t bytes) { return static_cast<double>(bytes) / 1048576.0; }

std::string Line(const char* format, ...) ZANDREL_PRINTF(1, 2);
std::string Line(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format, args);
  va_end(args);
  return text;
}

int WriteLines(const std::vector<std::string>& lines) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!ReportLogText(lines[i]) && i == 0) return 0;
  }
  return 1;
}

void AddAccelerationLine(std::vector<std::string>& lines, const char* label, std::optional<bool> value) {
  static const std::string yes = Sjis("○"), no = Sjis("×");
  if (value) lines.push_back(std::string(label) + " : " + (*value ? yes : no));
}

void AddAdapterLines(std::vector<std::string>& lines, const platform::DisplayAdapter& adapter, int index, bool detail) {
  static const std::string device = Sjis("---デバイス%d");
  lines.push_back(Line(device.c_str(), index));
  if (!adapter.chipType.empty()) lines.push_back("Destination : " + adapter.chipType);
  if (!adapter.displayMemory.empty()) lines.push_back("VRAM : " + adapter.displayMemory);
  const auto& version = adapter.driverVersion;
  lines.push_back(Line("Driver : %s %1d.%02d.%04d.%04d", adapter.driverName.c_str(), version[0], version[1], version[2],
                       version[3]));
  lines.push_back("DDI : " + adapter.ddiVersion);
  lines.push_back(Line("TextureMaxSize : (%d,%d)", adapter.maxTextureWidth, adapter.maxTextureHeight));
  lines.push_back(Line("TextureMaxBlend : (%d,%d)", adapter.maxTextureBlendStages, adapter.maxSimultaneousTextures));
  if (detail) {
    for (const std::string& field : adapter.capabilityDump) lines.push_back("\t" + field);
  }
  lines.insert(lines.end(), adapter.capabilities.begin(), adapter.capabilities.end());
  if (detail) lines.insert(lines.end(), adapter.formatTable.begin(), adapter.formatTable.end());
  AddAccelerationLine(lines, "DirectDraw", adapter.directDrawAcceleration);
  AddAccelerationLine(lines, "Direct3D", adapter.direct3DAcceleration);
  AddAccelerationLine(lines, "AGP", adapter.agp);
}

std::vector<std::string> DxDiagLines(const platform::DisplayInfo& display, bool detail) {
  std::vector<std::string> lines;
  if (!display.directXVersion.empty()) lines.push_back(display.directXVersion);
  lines.push_back(Line("TextureMem : %dMB", static_cast<int>(display.textureMemory >> 20)));
  for (size_t i = 0; i < display.adapters.size(); ++i) {
    AddAdapterLines(lines, display.adapters[i], static_cast<int>(i), detail);
  }
  return lines;
}

}  // namespace

std::vector<std::string> SystemReportLines(const SystemFacts& facts) {
  const MEMORYSTATUS& memory = facts.memory;
  return {
      "OS : " + facts.os,
      Line("CPU : %s %s %d", facts.cpu.vendor.c_str(), facts.cpu.brand.c_str(), DoubleToInt(facts.cpu.clock / 1000000)),
      Line("Mem Total : %.3fMB", Megabytes(memory.dwTotalPhys)),
      Line("Mem Free : %3.fMB", Megabytes(memory.dwAvailPhys)),
      Line("Vir Total : %.3fMB", Megabytes(memory.dwTotalVirtual)),
      Line("Vir Free : %3.fMB", Megabytes(memory.dwAvailVirtual)),
      Line("HD Free : %3.fMB", Megabytes(facts.diskFree)),
  };
}

std::vector<std::string> DisplayReportLines(const platform::DisplayInfo& display, bool detail) {
  std::vector<std::string> lines{display.windowed ? "Mode : Window" : "Mode : Fullscreen",
                                 Line("Bpp : %d", display.bpp)};
  if (display.backEnd == platform::DisplayBackEnd::DirectDraw) {
    lines.push_back(Line("VRAM Total : %.3fMB", Megabytes(display.videoMemoryTotal)));
    lines.push_back(Line("VRAM Free : %.3fMB", Megabytes(display.videoMemoryFree)));
    lines.push_back(Line("RR : %u", display.refreshRate));
  } else if (display.backEnd == platform::DisplayBackEnd::Direct3D) {
    std::vector<std::string> block = DxDiagLines(display, detail);
    lines.insert(lines.end(), block.begin(), block.end());
  }
  return lines;
}

int ReportSystemInfo() {
  SystemFacts facts;
  GetOsName(&facts.os, nullptr, nullptr);
  GetMemoryStatus(facts.memory);
  facts.diskFree = GetDiskFree(nullptr);
  std::vector<std::string> lines = SystemReportLines(facts);
  if (!ReportLogText(lines.front())) return 0;
  // Measuring the processor clock takes a tenth of a second: it runs beside
  // start-up, and its line keeps its place.
  ReportLogLater([facts]() mutable {
    GetCpuName(facts.cpu);
    return SystemReportLines(facts)[1];
  });
  for (std::size_t i = 2; i < lines.size(); ++i) ReportLogText(lines[i]);
  return 1;
}

int ReportDisplayInfo(int detail) { return WriteLines(DisplayReportLines(platform::ProbeDisplay(), detail != 0)); }

int ReportDxDiag(int detail) {
  platform::DisplayInfo display = platform::ProbeDisplay();
  if (display.backEnd != platform::DisplayBackEnd::Direct3D) return 0;
  return WriteLines(DxDiagLines(display, detail != 0));
}

void GetOsName(std::string* text, int* major, int* minor) {
  if (major) *major = kWindowsMajor;
  if (minor) *minor = kWindowsMinor;
  if (!text) return;
  platform::OsProbe os = platform::ProbeOs();
  StrFormat(*text, "%s %s PID %d Build %d", os.name.c_str(), os.release.c_str(), kPlatformNt, os.build);
}

bool IsWinVerOrLater(int major, int minor) {
  int systemMajor = 0, systemMinor = 0;
  GetOsName(nullptr, &systemMajor, &systemMinor);
  return systemMajor > major || (systemMajor == major && systemMinor >= minor);
}

void GetMemoryStatus(MEMORYSTATUS& status) {
  platform::MemoryProbe probe = platform::ProbeMemory();
  status = MEMORYSTATUS{};
  status.dwLength = sizeof(MEMORYSTATUS);
  status.dwTotalPhys = probe.totalPhysical;
  status.dwAvailPhys = probe.availablePhysical;
  if (probe.totalPhysical > 0) {
    status.dwMemoryLoad = static_cast<DWORD>(100 - probe.availablePhysical * 100 / probe.totalPhysical);
  }
  status.dwTotalPageFile = probe.commitLimit;
  status.dwAvailPageFile = probe.commitAvailable;
  status.dwTotalVirtual = probe.totalVirtual;
  status.dwAvailVirtual = probe.availableVirtual;
}

void GetCpuName(CpuRecord& record) {
  platform::CpuProbe cpu = platform::ProbeCpu();
  record = CpuRecord{cpu.brand, cpu.vendor, cpu.mmx, cpu.sse, cpu.sse2, cpu.amd3dnow, cpu.amd3dnowExt, GetCpuClock()};
}

double GetCpuClock() { return platform::MeasureCpuClock(); }

std::uint64_t GetDiskFree(const char* folder) {
  std::filesystem::path host = folder ? platform::ToHostPath(folder) : std::filesystem::path();
  std::uint64_t bytes = platform::ProbeDiskFree(host.empty() ? "." : host);
  return bytes < 2147483647u ? bytes : 2147483647u;
}

void GetVramMB(DWORD* total, DWORD* free) {
  platform::DisplayInfo display = platform::ProbeDisplay();
  bool present = display.backEnd != platform::DisplayBackEnd::None;
  if (total) *total = present ? static_cast<DWORD>(display.videoMemoryTotal >> 20) : 0;
  if (free) *free = present ? static_cast<DWORD>(display.videoMemoryFree >> 20) : 0;
}

int GetDdiVersion() {
  platform::DisplayInfo display = platform::ProbeDisplay();
  if (display.adapters.empty()) return 99999;
  int version = 0;
  for (char digit : display.adapters.front().ddiVersion) {
    if (digit < '0' || digit > '9' || version > 9999) break;
    version = version * 10 + (digit - '0');
  }
  return version == 0 ? 99999 : version;
}
