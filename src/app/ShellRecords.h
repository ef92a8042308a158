#pragma once
// The two small records of the shell: the start-up dialog's choice
// ("user_data\Boot.dat") and the window placement ("user_data\Window.dat").
#include "records/DataRecord.h"

class cBootSettings final : public cDataRecord {
 public:
  cBootSettings();
  void RegisterFields(int nVersion) override;

  int m_nDrawingMode = 1;  // 1 Direct3D, 0 DirectDraw
  int m_bDoNotAsk = 0;
};

// Where the program's windowed runs put their window.
struct ScreenLimits {
  int nMaxX = 0;
  int nMaxY = 0;
};
// The desktop's usable size (the window's largest position).
ScreenLimits DesktopLimits();

class cWindowPlacement final : public cDataRecord {
 public:
  cWindowPlacement();
  void RegisterFields(int nVersion) override;
  // The stored position is pulled back onto the desktop.
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Set(int x, int y, int width, int height, int maximised);

  int m_nX = 0;
  int m_nY = 0;
  int m_nWidth = 0;
  int m_nHeight = 0;
  int m_bMaximised = 0;
};

// Tests fix the desktop; null returns to the real one.
void SetDesktopLimitsForTesting(const ScreenLimits* limits);
