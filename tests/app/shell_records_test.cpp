// The shell's two small files, byte for byte from their layout tables, and the
// placement's pull-back onto the desktop.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/ShellRecords.h"
#include "records/RecordIo.h"
#include "support/TempDir.h"

namespace {

std::vector<std::uint8_t> Le32(std::initializer_list<std::int32_t> values) {
  std::vector<std::uint8_t> bytes;
  for (std::int32_t v : values)
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
  return bytes;
}

std::vector<std::uint8_t> FileBytes(const testsupport::TempDir& dir, const char* name) {
  const std::string text = dir.Read(name);
  return {text.begin(), text.end()};
}

TEST(ShellRecordsTest, BootSettingsStartAsDirect3DAndWriteTwentyBytes) {
  testsupport::TempDir dir(true);
  cBootSettings boot;
  EXPECT_EQ(boot.m_nDrawingMode, 1);
  EXPECT_EQ(boot.m_bDoNotAsk, 0);
  boot.m_nDrawingMode = 0;
  boot.m_bDoNotAsk = 1;
  ASSERT_TRUE(boot.SaveToFile("Boot.dat", {}));
  EXPECT_EQ(FileBytes(dir, "Boot.dat"), Le32({696, 2, 0, 1, 0}));

  cBootSettings loaded;
  ASSERT_TRUE(loaded.LoadFromFile("Boot.dat", {}));
  EXPECT_EQ(loaded.m_nDrawingMode, 0);
  EXPECT_EQ(loaded.m_bDoNotAsk, 1);
}

TEST(ShellRecordsTest, WindowPlacementWritesThirtyTwoBytesAndClampsWhenLoaded) {
  testsupport::TempDir dir(true);
  const ScreenLimits limits{1000, 700};
  SetDesktopLimitsForTesting(&limits);
  struct Case {
    std::int32_t x, y, wantX, wantY;
  };
  for (const Case& c : {Case{50, 60, 50, 60}, Case{-5, -1, 0, 0}, Case{1200, 900, 1000, 700}, Case{1000, 0, 1000, 0}}) {
    cWindowPlacement placement;
    placement.Set(c.x, c.y, 640, 480, 1);
    ASSERT_TRUE(placement.SaveToFile("Window.dat", {}));
    EXPECT_EQ(FileBytes(dir, "Window.dat"), Le32({696, 5, c.x, c.y, 640, 480, 1, 0}));
    cWindowPlacement loaded;
    ASSERT_TRUE(loaded.LoadFromFile("Window.dat", {}));
    EXPECT_EQ(loaded.m_nX, c.wantX);
    EXPECT_EQ(loaded.m_nY, c.wantY);
    EXPECT_EQ(loaded.m_nWidth, 640);
    EXPECT_EQ(loaded.m_bMaximised, 1);
  }
  SetDesktopLimitsForTesting(nullptr);
}

TEST(ShellRecordsTest, DamagedWindowFileFailsAndKeepsDefaults) {
  testsupport::TempDir dir(true);
  dir.Write("Window.dat", std::string("\xb8\x02\0\0\x05\0\0\0\x10", 9));
  cWindowPlacement placement;
  EXPECT_FALSE(placement.LoadFromFile("Window.dat", {}));
  EXPECT_EQ(placement.m_nX, 0);
}

}  // namespace
