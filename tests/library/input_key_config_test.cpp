#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "library/input/KeyConfig.h"
#include "library/util/Log.h"
#include "support/TempDir.h"

namespace {

// The file built field by field from its layout: 12 assignments of
// {device int32, code uint16, unused uint16}, then key count, joystick count, mode.
class KeyConfigFile {
 public:
  KeyConfigFile& Assign(int device, int code, int unused = 0) {
    Int32(device);
    Word(code);
    Word(unused);
    return *this;
  }
  KeyConfigFile& Int32(std::int32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
    return *this;
  }
  KeyConfigFile& Word(int value) {
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>((value >> 8) & 0xFF));
    return *this;
  }
  std::string bytes;
};

// A configuration that mixes the keyboard and two joysticks.
std::string MixedConfig(int keyCount = 6, int joyCount = 2, int mode = 1) {
  KeyConfigFile file;
  file.Assign(0, 0x100).Assign(8, 'L').Assign(8, 'I', 0xBEEF).Assign(1, 0x800);
  file.Assign(8, 'J').Assign(1, 0x4);
  for (int i = 6; i < 12; ++i) file.Assign(8, 'A' + i);
  file.Int32(keyCount).Int32(joyCount).Int32(mode);
  return file.bytes;
}

KEYCONFIGDATA Sentinel() {
  KEYCONFIGDATA config;
  std::memset(static_cast<void*>(&config), 0x5A, sizeof config);
  return config;
}

class KeyConfigTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  void SetUp() override { ASSERT_EQ(ReportInit("Report_Game.txt"), 1); }
  std::string Log() const { return dir.Read("Report_Game.txt"); }
};

TEST_F(KeyConfigTest, DefaultsAreTheArrowsAndZxcvasdfOnTheFixedMapping) {
  KEYCONFIGDATA config = Sentinel();
  SetDefaultKeyConfig(config);
  const int expected[] = {0x25, 0x27, 0x26, 0x28, 0x5A, 0x58, 0x43, 0x56, 0x41, 0x53, 0x44, 0x46};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(config.Key[i].nDevice, 8) << i;
    EXPECT_EQ(config.Key[i].wCode, expected[i]) << i;
  }
  EXPECT_EQ(config.nKeyCount, 12);
  EXPECT_EQ(config.nJoyCount, 1);
  EXPECT_EQ(config.nMode, 0);
}

TEST_F(KeyConfigTest, ValidFileIsReadFieldByField) {
  dir.Write("user_data/KeyConfig.dat", MixedConfig());
  KEYCONFIGDATA config = Sentinel();
  // The stored name: backslash and any letter case, as the path table holds it.
  ASSERT_EQ(LoadKeyConfig("user_data\\keyconfig.DAT", config), 1);
  EXPECT_EQ(config.Key[0].nDevice, 0);
  EXPECT_EQ(config.Key[0].wCode, 0x100);
  EXPECT_EQ(config.Key[1].nDevice, 8);
  EXPECT_EQ(config.Key[1].wCode, 'L');
  EXPECT_EQ(config.Key[2].wUnused, 0xBEEF);
  EXPECT_EQ(config.Key[3].nDevice, 1);
  EXPECT_EQ(config.Key[3].wCode, 0x800);
  EXPECT_EQ(config.Key[5].wCode, 0x4);
  EXPECT_EQ(config.Key[11].wCode, 'A' + 11);
  EXPECT_EQ(config.nKeyCount, 6);
  EXPECT_EQ(config.nJoyCount, 2);
  EXPECT_EQ(config.nMode, 1);
  EXPECT_EQ(Log(), "");
}

TEST_F(KeyConfigTest, LongerFileReadsItsFirst108Bytes) {
  dir.Write("KeyConfig.dat", MixedConfig() + std::string(20, '\xFF'));
  KEYCONFIGDATA config = Sentinel();
  ASSERT_EQ(LoadKeyConfig("KeyConfig.dat", config), 1);
  EXPECT_EQ(config.nMode, 1);
}

// A folder in the file's place cannot be opened either, so start-up sets the defaults.
TEST_F(KeyConfigTest, MissingFileOrAFolderLeavesTheConfigurationUntouched) {
  std::filesystem::create_directories(dir.Path() / "folder/KeyConfig.dat");
  for (const char* path : {"user_data\\KeyConfig.dat", "folder\\KeyConfig.dat"}) {
    KEYCONFIGDATA config = Sentinel();
    EXPECT_EQ(LoadKeyConfig(path, config), 0) << path;
    KEYCONFIGDATA untouched = Sentinel();
    EXPECT_EQ(std::memcmp(&config, &untouched, sizeof config), 0) << path;
  }
}

// A short file overwrites the bytes it holds; the rest keep their values.
TEST_F(KeyConfigTest, ShortFileFillsOnlyTheBytesItHas) {
  static_assert(sizeof(KEYCONFIGDATA) == 108, "the record is the file's image");
  for (size_t size : {size_t{0}, size_t{8}, size_t{107}}) {
    dir.Write("KeyConfig.dat", MixedConfig().substr(0, size));
    KEYCONFIGDATA config = Sentinel();
    EXPECT_EQ(LoadKeyConfig("KeyConfig.dat", config), 1) << size;
    std::string expected = MixedConfig().substr(0, size) + std::string(108 - size, '\x5A');
    EXPECT_EQ(std::memcmp(&config, expected.data(), sizeof config), 0) << size;
  }
}

TEST_F(KeyConfigTest, OutOfRangeEntriesAreKeptAndLogged) {
  KeyConfigFile file;
  file.Assign(8, 0x1FF).Assign(9, 1).Assign(-1, 1).Assign(2, 1);  // joystick 2 with a count of 2 is not read
  for (int i = 4; i < 12; ++i) file.Assign(8, 'A');
  file.Int32(13).Int32(9).Int32(1);
  dir.Write("KeyConfig.dat", file.bytes);
  KEYCONFIGDATA config;
  ASSERT_EQ(LoadKeyConfig("KeyConfig.dat", config), 1);
  EXPECT_EQ(config.nKeyCount, 13);
  EXPECT_EQ(config.Key[1].nDevice, 9);
  const char* lines[] = {
      "KeyConfig.dat: offset 96: key count 13 out of range, never used\r\n",
      "KeyConfig.dat: offset 100: joystick count 9 out of range, never used\r\n",
      "KeyConfig.dat: offset 4: virtual key 511 out of range, never used\r\n",
      "KeyConfig.dat: offset 8: device 9 out of range, never used\r\n",
      "KeyConfig.dat: offset 16: device -1 out of range, never used\r\n",
  };
  for (const char* line : lines) EXPECT_NE(Log().find(line), std::string::npos) << line << Log();
  // The joystick count is 9, out of range, so only joysticks 0..7 count: device 2 is fine.
  EXPECT_EQ(Log().find("offset 24"), std::string::npos) << Log();
}

TEST_F(KeyConfigTest, DeviceBeyondTheJoystickCountIsLogged) {
  dir.Write("KeyConfig.dat", MixedConfig(6, 1));
  KEYCONFIGDATA config;
  ASSERT_EQ(LoadKeyConfig("KeyConfig.dat", config), 1);
  EXPECT_NE(Log().find("KeyConfig.dat: offset 24: device 1 out of range"), std::string::npos) << Log();
  EXPECT_NE(Log().find("KeyConfig.dat: offset 40: device 1 out of range"), std::string::npos) << Log();
}

}  // namespace
