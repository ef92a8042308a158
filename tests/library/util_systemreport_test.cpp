#include <gtest/gtest.h>

#include "library/util/Log.h"
#include "library/util/SystemReport.h"
#include "library/util/Text.h"
#include "support/TempDir.h"

namespace {

TEST(SystemReportTest, SystemSectionLayout) {
  SystemFacts facts;
  facts.os = "Linux 6.1.0-18-amd64 PID 2 Build 1";
  facts.cpu.vendor = "GenuineIntel";  // no brand: two blanks before the clock
  facts.cpu.clock = 2999999999.0;
  facts.memory.dwTotalPhys = 8ull << 30;
  facts.memory.dwAvailPhys = 3 * 1048576 / 2;
  facts.memory.dwTotalVirtual = 1ull << 47;
  facts.memory.dwAvailVirtual = (1ull << 47) - (5ull << 20);
  facts.diskFree = 2147483647;
  EXPECT_EQ(SystemReportLines(facts), (std::vector<std::string>{
                                          "OS : Linux 6.1.0-18-amd64 PID 2 Build 1",
                                          "CPU : GenuineIntel  2999",
                                          "Mem Total : 8192.000MB",
                                          "Mem Free :   2MB",
                                          "Vir Total : 134217728.000MB",
                                          "Vir Free : 134217723MB",
                                          "HD Free : 2048MB",
                                      }));
}

TEST(SystemReportTest, DisplaySectionPerBackEnd) {
  platform::DisplayInfo display;
  display.backEnd = platform::DisplayBackEnd::DirectDraw;
  display.windowed = false;
  display.bpp = 16;
  display.videoMemoryTotal = 3ull << 19;
  display.videoMemoryFree = 1ull << 20;
  display.refreshRate = 75;
  EXPECT_EQ(DisplayReportLines(display, true),
            (std::vector<std::string>{"Mode : Fullscreen", "Bpp : 16", "VRAM Total : 1.500MB", "VRAM Free : 1.000MB",
                                      "RR : 75"}));

  display = platform::DisplayInfo{};
  display.backEnd = platform::DisplayBackEnd::Direct3D;
  auto& adapter = display.adapters.front();
  adapter.capabilities = {"D3DPTEXTURECAPS_POW2"};
  adapter.capabilityDump = {"Caps : 00020000"};
  adapter.formatTable = {"AU-SU\x81\x9B AU-TE\x81\x9B "};
  adapter.agp.reset();
  adapter.direct3DAcceleration = false;
  std::vector<std::string> expected{
      "Mode : Window",
      "Bpp : 32",
      "DirectX 9.0c (software device)",
      "TextureMem : 512MB",
      Sjis("---デバイス0"),
      "Destination : Zandrel software device",
      "VRAM : 512.0 MB",
      "Driver : zandrel 9.00.0000.0000",
      "DDI : 9",
      "TextureMaxSize : (4096,4096)",
      "TextureMaxBlend : (8,8)",
      "\tCaps : 00020000",
      "D3DPTEXTURECAPS_POW2",
      "AU-SU\x81\x9B AU-TE\x81\x9B ",
      Sjis("DirectDraw : ○"),
      Sjis("Direct3D : ×"),
  };
  EXPECT_EQ(DisplayReportLines(display, true), expected);
  expected.erase(expected.begin() + 13);
  expected.erase(expected.begin() + 11);
  EXPECT_EQ(DisplayReportLines(display, false), expected) << "without detail: no dump, no format table";
}

class DisplayProbeTest : public ::testing::Test {
 protected:
  void Use(platform::DisplayInfo display) {
    platform::SetDisplayProbe([display] { return display; });
  }
  void TearDown() override { platform::SetDisplayProbe(nullptr); }
};

TEST_F(DisplayProbeTest, DdiVersionAndVideoMemory) {
  struct Case {
    std::string ddi;
    int version;
  } cases[] = {{"9", 9}, {"9 (or higher)", 9}, {"11.1", 11}, {"", 99999}, {"unknown", 99999}, {"0", 99999}};
  platform::DisplayInfo display;
  for (const auto& c : cases) {
    display.adapters.front().ddiVersion = c.ddi;
    Use(display);
    EXPECT_EQ(GetDdiVersion(), c.version) << c.ddi;
  }
  display.adapters.clear();
  Use(display);
  EXPECT_EQ(GetDdiVersion(), 99999);

  DWORD total = 1, free = 1;
  GetVramMB(&total, &free);
  EXPECT_EQ(total, 0u) << "no drawing layer yet";
  display.backEnd = platform::DisplayBackEnd::DirectDraw;
  Use(display);
  GetVramMB(&total, &free);
  EXPECT_EQ(total, 512u);
  EXPECT_EQ(free, 512u);
  EXPECT_EQ(ReportDxDiag(1), 0) << "the DirectX block needs the Direct3D back end";
}

TEST(SystemReportTest, VersionTests) {
  int major = 0, minor = 0;
  GetOsName(nullptr, &major, &minor);
  EXPECT_GE(major * 10 + minor, 60);
  EXPECT_TRUE(IsWinVerOrLater(6, 0));
  EXPECT_TRUE(IsWinVerOrLater(5, 1));
  EXPECT_TRUE(IsWinVerOrLater(major, minor));
  EXPECT_FALSE(IsWinVerOrLater(major, minor + 1));
  EXPECT_FALSE(IsWinVerOrLater(major + 1, 0));
}

TEST(SystemReportTest, WritesThisMachinesReport) {
  EXPECT_LE(GetDiskFree(nullptr), 2147483647u);
  testsupport::TempDir dir(true);
  ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
  EXPECT_EQ(ReportSystemInfo(), 1);
  ReportLogWait();  // the processor clock is measured beside the caller
  std::string report = dir.Read("Report_Game.txt");
  std::size_t last = 0;
  for (const char* prefix : {"OS : Linux ", "\r\nCPU : ", "\r\nMem Total : ", "\r\nMem Free : ", "\r\nVir Total : ",
                             "\r\nVir Free : ", "\r\nHD Free : "}) {
    const std::size_t at = report.find(prefix);
    ASSERT_NE(at, std::string::npos) << prefix;
    EXPECT_GE(at, last) << prefix << " is out of its place";
    last = at;
  }
  std::filesystem::remove(dir / "Report_Game.txt");
  EXPECT_EQ(ReportDisplayInfo(1), 0);
}

}  // namespace
