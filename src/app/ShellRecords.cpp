#include "app/ShellRecords.h"

#include <SDL.h>

#include <algorithm>
#include <optional>

cBootSettings::cBootSettings() {
  ResetFields();
  m_nDrawingMode = 1;
}

void cBootSettings::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_nDrawingMode);
  AddField4(m_bDoNotAsk);
}

cWindowPlacement::cWindowPlacement() { ResetFields(); }

void cWindowPlacement::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_nX);
  AddField4(m_nY);
  AddField4(m_nWidth);
  AddField4(m_nHeight);
  AddField4(m_bMaximised);
}

void cWindowPlacement::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  const ScreenLimits limits = DesktopLimits();
  m_nX = std::clamp(m_nX, 0, std::max(limits.nMaxX, 0));
  m_nY = std::clamp(m_nY, 0, std::max(limits.nMaxY, 0));
}

void cWindowPlacement::Set(int x, int y, int width, int height, int maximised) {
  m_nX = x;
  m_nY = y;
  m_nWidth = width;
  m_nHeight = height;
  m_bMaximised = maximised;
}

namespace {
std::optional<ScreenLimits> testLimits;
}

void SetDesktopLimitsForTesting(const ScreenLimits* limits) {
  testLimits = limits ? std::optional<ScreenLimits>(*limits) : std::nullopt;
}

ScreenLimits DesktopLimits() {
  if (testLimits) return *testLimits;
  SDL_Rect bounds{0, 0, 640, 480};
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDisplayUsableBounds(0, &bounds) != 0) bounds = {0, 0, 640, 480};
  return {bounds.w, bounds.h};
}
