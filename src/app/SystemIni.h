#pragma once
// "System.ini": the machine settings of the player, read once at start-up.
// The key names are not built in: they are the project's named start-up
// settings, matched by position.
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct INISETTINGS {
  int Direct3D = 0;
  int WindowMode = 0;
  int Bpp = 0;
  int VSync = 0;
  int D3D_FontCache = 0;
  int DD_FontCache = 0;
  int DD_VideoStretch = 0;
  int ShowFps = 0;
  int English = 0;
  std::string FreeStage;
};

// Positions of the named start-up settings.
enum class IniKey {
  Direct3D,
  WindowMode,
  Bpp,
  VSync,
  D3D_FontCache,
  DD_FontCache,
  DD_VideoStretch,
  ShowFps,
  FreeStage,
  English
};
constexpr int kIniKeyCount = 10;

// Applies the settings found in the text; 1 when it ended properly (an "Exit"
// line, a NUL byte or the line limit), 0 when the text ran out first.
int ParseSystemIni(std::string_view text, INISETTINGS& settings, std::span<const std::string> keyNames);
// ParseSystemIni on the file at the stored path; 0 when it cannot be read.
int ReadSystemIni(std::string_view path, INISETTINGS& settings, std::span<const std::string> keyNames);

class cIniKeyData;
// Every field from the project's named start-up settings (English stays 0).
void ApplyIniDefaults(INISETTINGS& settings, std::span<const cIniKeyData> keys);
// The names of the named start-up settings, in position order.
std::vector<std::string> IniKeyNames(std::span<const cIniKeyData> keys);
