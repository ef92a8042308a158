#include "platform/SystemProbe.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemProbeTest, ReadsTheFirstProcessor) {
  const char* cpuinfo =
      "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Core(TM) i5 CPU\n"
      "flags\t\t: fpu mmx sse sse2 3dnowprefetch\n\nprocessor\t: 1\nvendor_id\t: Other\n";
  auto cpu = platform::ParseCpuInfo(cpuinfo);
  EXPECT_EQ(cpu.vendor, "GenuineIntel");
  EXPECT_EQ(cpu.brand, "Intel(R) Core(TM) i5 CPU");
  EXPECT_TRUE(cpu.mmx && cpu.sse && cpu.sse2);
  EXPECT_FALSE(cpu.amd3dnow || cpu.amd3dnowExt) << "3dnowprefetch is not 3DNow!";
  auto bare = platform::ParseCpuInfo("processor : 0\nvendor_id : AuthenticAMD\nflags : 3dnow 3dnowext\n");
  EXPECT_EQ(bare.brand, "");
  EXPECT_TRUE(bare.amd3dnow && bare.amd3dnowExt);
}

TEST(SystemProbeTest, ReadsMemoryAndTheAddressSpace) {
  auto memory = platform::ParseMemory(
      "MemTotal:       8000 kB\nMemFree:   1000 kB\nMemAvailable:   3000 kB\nCommitLimit: 5000 kB\n"
      "Committed_AS: 1500 kB\n",
      "Name:\ttest\nVmSize:\t    2048 kB\n", 1u << 30);
  EXPECT_EQ(memory.totalPhysical, 8000u * 1024);
  EXPECT_EQ(memory.availablePhysical, 3000u * 1024);
  EXPECT_EQ(memory.commitLimit, 5000u * 1024);
  EXPECT_EQ(memory.commitAvailable, 3500u * 1024);
  EXPECT_EQ(memory.totalVirtual, 1u << 30);
  EXPECT_EQ(memory.availableVirtual, (1u << 30) - 2048u * 1024);
  EXPECT_EQ(platform::ParseMemory("MemTotal: 10 kB\nMemFree: 4 kB\n", "", 0).availablePhysical, 4096u)
      << "older kernels have no MemAvailable";
}

TEST(SystemProbeTest, ProbesThisMachine) {
  EXPECT_EQ(platform::ProbeOs().name, "Linux");
  EXPECT_GT(platform::ProbeMemory().totalPhysical, 0u);
  EXPECT_GT(platform::ProbeDiskFree("."), 0u);
  EXPECT_EQ(platform::ProbeDiskFree("/no/such/folder"), 0u);
}

}  // namespace
