#include "app/SystemIni.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "gamedata/SystemData.h"
#include "platform/HostPath.h"

namespace {

constexpr size_t kMaxToken = 2047;  // longer keys and values are cut here
constexpr int kMaxLines = 10000;
constexpr size_t kMaxFreeStage = 260;
constexpr long kMaxFileBytes = 16 * 1024 * 1024;

void Collect(std::string& token, char c) {
  if (token.size() < kMaxToken) token += c;
}

void ApplySetting(const std::string& key, const std::string& value, INISETTINGS& s,
                  std::span<const std::string> names) {
  int* intFields[kIniKeyCount] = {&s.Direct3D,     &s.WindowMode,      &s.Bpp,     &s.VSync, &s.D3D_FontCache,
                                  &s.DD_FontCache, &s.DD_VideoStretch, &s.ShowFps, nullptr,  &s.English};
  for (size_t i = 0; i < names.size() && i < kIniKeyCount; ++i) {
    if (names[i] != key) continue;
    if (static_cast<IniKey>(i) == IniKey::FreeStage) {
      if (value.size() >= 2 && value.size() < kMaxFreeStage) s.FreeStage = value;
    } else {
      *intFields[i] = std::atoi(value.c_str());
    }
    return;
  }
}

bool EndsValue(char c) { return c == ' ' || c == '\t' || c == '/' || c == '\n' || c == '\0'; }

}  // namespace

int ParseSystemIni(std::string_view text, INISETTINGS& settings, std::span<const std::string> keyNames) {
  size_t pos = 0;
  for (int line = 0; line < kMaxLines; ++line) {
    std::string key;
    for (;;) {
      if (pos >= text.size()) return 0;
      char c = text[pos++];
      if (c == '\0') return 1;
      if (c == '\n') {
        if (key == "Exit") return 1;
        break;
      }
      if (c == '=') {
        std::string value;
        while (pos < text.size() && !EndsValue(text[pos])) Collect(value, text[pos++]);
        if (pos >= text.size()) return 0;
        char terminator = text[pos++];
        ApplySetting(key, value, settings, keyNames);
        if (terminator == '\0') return 1;
        break;
      }
      if (c != ' ' && c != '\t' && c != '\r') Collect(key, c);
    }
  }
  return 1;
}

int ReadSystemIni(std::string_view path, INISETTINGS& settings, std::span<const std::string> keyNames) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(platform::OpenFile(path, "rb"), &std::fclose);
  if (!file) return 0;
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    text.append(buffer, got);
    // Past any sensible size the line limit has long ended reading.
    if (static_cast<long>(text.size()) > kMaxFileBytes) break;
  }
  return ParseSystemIni(text, settings, keyNames);
}

void ApplyIniDefaults(INISETTINGS& s, std::span<const cIniKeyData> keys) {
  const auto value = [&](IniKey key) {
    const auto i = static_cast<size_t>(key);
    return i < keys.size() ? keys[i].m_nValue : 0;
  };
  s.Direct3D = value(IniKey::Direct3D);
  s.WindowMode = value(IniKey::WindowMode);
  s.Bpp = value(IniKey::Bpp);
  s.VSync = value(IniKey::VSync);
  s.D3D_FontCache = value(IniKey::D3D_FontCache);
  s.DD_FontCache = value(IniKey::DD_FontCache);
  s.DD_VideoStretch = value(IniKey::DD_VideoStretch);
  s.ShowFps = value(IniKey::ShowFps);
  const auto freeStage = static_cast<size_t>(IniKey::FreeStage);
  s.FreeStage = freeStage < keys.size() ? keys[freeStage].m_Text : "";
  s.English = 0;
}

std::vector<std::string> IniKeyNames(std::span<const cIniKeyData> keys) {
  std::vector<std::string> names;
  for (const cIniKeyData& key : keys) names.push_back(key.m_Key);
  return names;
}
