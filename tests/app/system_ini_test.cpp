#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SystemIni.h"
#include "support/TempDir.h"

namespace {

const std::vector<std::string> kNames = {"Direct3D",     "WindowMode",      "Bpp",     "VSync",     "D3D_FontCache",
                                         "DD_FontCache", "DD_VideoStretch", "ShowFps", "FreeStage", "English"};

INISETTINGS Defaults() {
  INISETTINGS s;
  s.Direct3D = 2;
  s.VSync = 2;
  s.DD_FontCache = 1;
  s.ShowFps = 1;
  return s;
}

INISETTINGS With(void (*edit)(INISETTINGS&)) {
  INISETTINGS s = Defaults();
  edit(s);
  return s;
}

bool Same(const INISETTINGS& a, const INISETTINGS& b) {
  return a.Direct3D == b.Direct3D && a.WindowMode == b.WindowMode && a.Bpp == b.Bpp && a.VSync == b.VSync &&
         a.D3D_FontCache == b.D3D_FontCache && a.DD_FontCache == b.DD_FontCache &&
         a.DD_VideoStretch == b.DD_VideoStretch && a.ShowFps == b.ShowFps && a.English == b.English &&
         a.FreeStage == b.FreeStage;
}

struct Case {
  const char* name;
  std::string text;
  int result;
  INISETTINGS expected;
};

TEST(SystemIniTest, ParsesByteLevelCases) {
  const Case cases[] = {
      {"plain value", "WindowMode=1\nExit\n", 1, With([](INISETTINGS& s) { s.WindowMode = 1; })},
      {"blank ends an empty value", "Bpp= 16\nExit\n", 1, Defaults()},
      {"comment after slash", "VSync=0 //off\nExit\n", 1, With([](INISETTINGS& s) { s.VSync = 0; })},
      {"blanks inside a key dropped", "Direct 3D=0\r\nExit\r\n", 1, With([](INISETTINGS& s) { s.Direct3D = 0; })},
      {"carriage return kept in value", "ShowFps=0\r\nExit\n", 1, With([](INISETTINGS& s) { s.ShowFps = 0; })},
      {"lower-case key matches nothing", "bpp=16\nExit\n", 1, Defaults()},
      {"NUL ends with success", std::string("English=1\n\0junk", 15), 1, With([](INISETTINGS& s) { s.English = 1; })},
      {"one-character free stage ignored", "FreeStage=a\nExit\n", 1, Defaults()},
      {"free stage cut at a blank", "FreeStage=ab cd\nExit\n", 1, With([](INISETTINGS& s) { s.FreeStage = "ab"; })},
      {"free stage of 260 ignored", "FreeStage=" + std::string(260, 'x') + "\nExit\n", 1, Defaults()},
      {"value without digits is 0", "Bpp=abc\nExit\n", 1, Defaults()},
      {"text after a value is a new line", "Bpp=16 WindowMode=1\nExit\n", 1, With([](INISETTINGS& s) {
         s.Bpp = 16;
         s.WindowMode = 1;
       })},
      {"no Exit line fails", "Direct3D=0\n", 0, {}},
      {"Exit without line feed fails", "Exit", 0, {}},
      {"file ends inside a value", "Bpp=16", 0, {}},
  };
  for (const Case& c : cases) {
    INISETTINGS s = Defaults();
    EXPECT_EQ(ParseSystemIni(c.text, s, kNames), c.result) << c.name;
    if (c.result == 1) {
      EXPECT_TRUE(Same(s, c.expected)) << c.name;
    }
  }
}

TEST(SystemIniTest, StopsAfterTenThousandLines) {
  std::string text;
  for (int i = 0; i < 10000; ++i) text += "x\n";
  text += "Bpp=16\n";  // never reached
  INISETTINGS s = Defaults();
  EXPECT_EQ(ParseSystemIni(text, s, kNames), 1);
  EXPECT_EQ(s.Bpp, 0);
}

TEST(SystemIniTest, KeysMatchByPosition) {
  std::vector<std::string> renamed = kNames;
  renamed[2] = "Depth";
  INISETTINGS s = Defaults();
  EXPECT_EQ(ParseSystemIni("Depth=16\nBpp=8\nExit\n", s, renamed), 1);
  EXPECT_EQ(s.Bpp, 16);
}

TEST(SystemIniTest, ReadsFileWhateverItsLetterCase) {
  testsupport::TempDir dir(true);
  dir.Write("system.INI", "WindowMode=1\nExit\n");
  INISETTINGS s = Defaults();
  EXPECT_EQ(ReadSystemIni("System.ini", s, kNames), 1);
  EXPECT_EQ(s.WindowMode, 1);
  EXPECT_EQ(ReadSystemIni("Missing.ini", s, kNames), 0);
}

}  // namespace
