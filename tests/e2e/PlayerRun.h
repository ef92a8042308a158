#pragma once
// The fixture of whole-program runs: the real player, headless, each run in
// its own project folder and runtime folder, with its trace and frame log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "gamedata/Database.h"
#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"
#include "platform/display/Bitmap.h"
#include "records/FlowEnums.h"
#include "records/Palette.h"
#include "records/RecordIo.h"
#include "records/StageData.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace e2e {

namespace fs = std::filesystem;
using testsupport::RunProgram;
using testsupport::TempDir;

inline void WriteBmp(const fs::path& file, int width, int height, std::uint32_t base) {
  fs::create_directories(file.parent_path());
  std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] = base ^ static_cast<std::uint32_t>(x * 3 + y * 5);
  ASSERT_TRUE(platform::display::WriteBitmap24(file.string(), pixels, width, height));
}

// A tiny project: the databases, system data, world map and common palette
// with their defaults, the title's bitmaps and a System.ini for a window.
inline void WriteProject(const fs::path& root) {
  const fs::path previous = fs::current_path();
  fs::create_directories(root / "data/database");
  fs::current_path(root);
  cDatabase db;
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
    auto file = static_cast<DatabaseFile>(i);
    EXPECT_TRUE(SaveDataFile(DatabasePath(file), [&](cRecordWriter& out) { SaveDatabaseList(db, file, out, {}); }));
  }
  cSystemData system;
  system.SetDefault();
  system.m_GameTitle = "Zandrel e2e";
  EXPECT_TRUE(system.SaveToFile("data\\System.dat", {}));
  cWorldMap map;
  map.SetDefault();
  EXPECT_TRUE(map.SaveToFile("data\\WorldMap.dat", {}));
  cPalette palette;
  EXPECT_TRUE(palette.SaveToFile("data\\CommonPalette.cplt4", {}));
  fs::current_path(previous);
  WriteBmp(root / "bmp/plt/Palette.bmp", 16, 16, 0x102030);
  WriteBmp(root / "bmp/Debug.bmp", 32, 32, 0x404040);
  WriteBmp(root / "bmp/Title.bmp", 640, 480, 0x203060);
  WriteBmp(root / "bmp/Window.bmp", 64, 64, 0x606060);
  WriteBmp(root / "bmp/GameMode.bmp", 192, 224, 0x80A0C0);
  WriteBmp(root / "bmp/Accessory.bmp", 128, 128, 0xC08040);
  std::ofstream(root / "System.ini", std::ios::binary) << "Direct3D=1\nWindowMode=1\nBpp=0\nVSync=0\nShowFps=0\nExit\n";
}

class PlayerRun : public ::testing::Test {
 protected:
  TempDir project;
  TempDir runtime;
  std::map<std::string, std::string> env;

  void SetUp() override {
    WriteProject(project.Path());
    env = {{"ZANDREL_HEADLESS", "1"},
           {"ZANDREL_FAST", "1"},
           {"ZANDREL_RUNTIME_DIR", runtime.Path().string()},
           {"ZANDREL_TRACE", (project / "trace.txt").string()},
           {"ZANDREL_FRAME_LOG", (project / "frames.log").string()},
           {"SDL_VIDEODRIVER", "dummy"},
           {"SDL_AUDIODRIVER", "dummy"}};
  }

  // Runs the player in the project folder; its exit status, or 128 + signal.
  int Run(const std::string& argument = "") { return RunProgram(ZANDREL_PROGRAM, argument, project.Path(), env); }

  std::string Read(const std::string& name) {
    std::ifstream in(project / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Replaces the tiny project with a copy of the generated sample project.
  void UseSampleProject() {
    fs::remove_all(project.Path());
    fs::copy(SAMPLE_PROJECT_DIR, project.Path(), fs::copy_options::recursive);
  }
  void UseInput(const std::string& text) {
    std::ofstream(project / "input.txt", std::ios::binary) << text;
    env["ZANDREL_INPUT"] = (project / "input.txt").string();
  }
};

// The frame log as frame number -> "scene crc".
inline std::map<int, std::string> FrameCrcs(const std::string& log) {
  std::istringstream lines(log);
  std::map<int, std::string> crc;
  int n;
  std::string scene, value;
  while (lines >> n >> scene >> value) crc[n] = scene + " " + value;
  return crc;
}

struct HeroAt {
  double x, y;
};

// The hero's traced position of every frame, in order.
inline std::vector<HeroAt> HeroTrack(const std::string& trace) {
  std::vector<HeroAt> track;
  std::istringstream lines(trace);
  std::string line;
  HeroAt at{};
  int frame = 0;
  while (std::getline(lines, line))
    if (std::sscanf(line.c_str(), "Frame %d hero %lf,%lf", &frame, &at.x, &at.y) == 3) track.push_back(at);
  return track;
}

// The points a coin of the stage's palette adds: its status operation's score line.
inline int CoinPoints(const cStageData& stage) {
  const auto coin = std::find_if(stage.m_PaletteItems.begin(), stage.m_PaletteItems.end(), [](const cItemDef& item) {
    return !item.m_vCommands.empty() && item.m_vCommands.front().m_nType == ITEMCMD_STATUS_OPERATION;
  });
  EXPECT_NE(coin, stage.m_PaletteItems.end());
  return coin == stage.m_PaletteItems.end() ? 0 : coin->m_vCommands.front().m_vParams.VecAt(7);
}

// The coins taken in a run: each writes the score once.
inline int CoinsTaken(const std::string& trace) {
  std::istringstream lines(trace);
  int coins = 0;
  for (std::string line; std::getline(lines, line);) coins += line.rfind("set score ", 0) == 0;
  return coins;
}

}  // namespace e2e
