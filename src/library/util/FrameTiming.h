#pragma once
// Frame timing on the millisecond clock: the stopwatch of a frame's working
// time, the frame divider, the frames-per-second counter, the frame gate that
// paces the DirectDraw back end and the rate limiter that paces the Direct3D
// back end. Every comparison of times is wrap-safe (the clock wraps after
// 49.7 days). On the clock of ZANDREL_FAST the gate and the limiter move the
// clock to their due time and never answer "not yet", so any wait loop around
// them runs without sleeping. The state belongs to the thread that runs the
// frames.
#include <string>

#include "platform/WinTypes.h"

// Where the rate limiter's optional display draws its text (the drawing
// layer implements it with its bitmap-sheet text).
class FpsDisplay {
 public:
  virtual ~FpsDisplay() = default;
  virtual void DrawText(int x, int y, const std::string& text) = 0;
};

class FrameTiming {
 public:
  DWORD StartStopwatch();
  DWORD GetStopwatch(bool update);

  // Mode 0 resets, mode 2 asks whether the divider has just wrapped, any
  // other mode counts and returns 1 on every n-th call.
  int FrameCounter(int mode, DWORD n);

  DWORD CountFps(bool count);

  // The frame gate: true when the frame may run, spacing frames at least
  // 1000 / fps ms (integer division) apart.
  bool CheckFrameTime(DWORD fps);
  // Waits at the frame gate until it lets the frame through.
  void WaitFrameTime(DWORD fps);

  // The rate limiter: frame k of each one-second window is due k * 1000 / fps
  // ms after the window's start, rounded up to the millisecond.
  bool LimitFrameRate(DWORD fps, FpsDisplay* display = nullptr);
  // Waits at the rate limiter until it lets the frame through.
  void WaitFrameRate(DWORD fps, FpsDisplay* display = nullptr);

  // A turn in which the program, inactive, runs no frame: the limiter starts
  // afresh at the next frame instead of rushing through the time stood still.
  void PausePacing() { m_limiterStarted = false; }

 private:
  void SampleDisplay();

  DWORD m_stopwatchStart = 0;
  DWORD m_stopwatchLast = 1;

  DWORD m_divider = 0;

  bool m_fpsStarted = false;
  DWORD m_fpsWindowStart = 0;
  DWORD m_fpsFrames = 0;
  DWORD m_fps = 0;

  bool m_gateStarted = false;
  DWORD m_gateDue = 0;

  bool m_limiterStarted = false;
  DWORD m_limiterWindowStart = 0;
  DWORD m_limiterFrames = 0;
  DWORD m_limiterDue = 0;

  // The limiter's display: rings of the last 16 frame times and FPS values.
  struct Ring {
    DWORD samples[16] = {};
    int next = 0;
    DWORD average = 0;
    void Add(DWORD value);
  };
  Ring m_frameTimes;
  Ring m_fpsValues;
  bool m_sampleDue = true;
};

// The program's timing state, used by the thread that runs the frames.
FrameTiming& GameTiming();

DWORD StartStopwatch();
DWORD GetStopwatch(bool update);
int FrameCounter(int mode, DWORD n);
DWORD CountFps(bool count);
bool CheckFrameTime(DWORD fps);
bool LimitFrameRate(DWORD fps, FpsDisplay* display = nullptr);
// The waits of the frame driver and the present: on the real clock they sleep
// until the due time (not in 1 ms polls).
void WaitFrameTime(DWORD fps);
void WaitFrameRate(DWORD fps, FpsDisplay* display = nullptr);
void PauseFramePacing();
