#include "library/util/FrameTiming.h"

#include "library/util/Text.h"
#include "platform/Clock.h"

namespace {

// Whether the due time has come; on the clock of ZANDREL_FAST it is made to
// come, now moving with the clock.
bool ReachedOrMoved(DWORD& now, DWORD due) {
  if (TimeReached(now, due)) return true;
  if (!platform::PacingMovesClock()) return false;
  platform::WaitUntil(due);
  now = due;
  return true;
}

}  // namespace

DWORD FrameTiming::StartStopwatch() {
  m_stopwatchStart = timeGetTime();
  return m_stopwatchStart;
}

DWORD FrameTiming::GetStopwatch(bool update) {
  if (update) m_stopwatchLast = timeGetTime() - m_stopwatchStart;
  return m_stopwatchLast;
}

int FrameTiming::FrameCounter(int mode, DWORD n) {
  if (mode == 0) {
    m_divider = 0;
    return 0;
  }
  if (mode == 2) return m_divider == 0 ? 1 : 0;
  if (++m_divider < n) return 0;
  m_divider = 0;
  return 1;
}

DWORD FrameTiming::CountFps(bool count) {
  DWORD now = timeGetTime();
  if (!m_fpsStarted) {
    m_fpsStarted = true;
    m_fpsWindowStart = now;
  }
  if (!count) return m_fps;
  if (now - m_fpsWindowStart >= 1000) {
    m_fps = m_fpsFrames;
    m_fpsFrames = 0;
    m_fpsWindowStart = now;
  } else {
    ++m_fpsFrames;
  }
  return m_fps;
}

bool FrameTiming::CheckFrameTime(DWORD fps) {
  DWORD now = timeGetTime();
  if (!m_gateStarted) {
    m_gateStarted = true;
    m_gateDue = now;
  }
  if (fps == 0) return true;
  if (!ReachedOrMoved(now, m_gateDue)) return false;
  m_gateDue = now + 1000 / fps;
  return true;
}

void FrameTiming::WaitFrameTime(DWORD fps) {
  while (!CheckFrameTime(fps)) platform::WaitUntil(m_gateDue);
}

void FrameTiming::Ring::Add(DWORD value) {
  samples[next++] = value;
  if (next <= 15) return;
  next = 0;
  DWORD sum = 0;
  for (DWORD sample : samples) sum += sample;
  average = sum >> 4;
}

void FrameTiming::SampleDisplay() {
  m_sampleDue = false;
  m_frameTimes.Add(GetStopwatch(false));
  m_fpsValues.Add(CountFps(false));
}

bool FrameTiming::LimitFrameRate(DWORD fps, FpsDisplay* display) {
  if (fps == 0) return true;
  DWORD now = timeGetTime();
  if (!m_limiterStarted) {
    m_limiterStarted = true;
    m_limiterWindowStart = now;
    m_limiterFrames = 0;
  }
  if (display && m_sampleDue) SampleDisplay();
  // Exact in integers, so no fraction of a millisecond builds up.
  m_limiterDue = m_limiterWindowStart + (m_limiterFrames * 1000 + fps - 1) / fps;
  if (!ReachedOrMoved(now, m_limiterDue)) return false;
  // A whole second behind (a stall): start afresh instead of rushing to catch up.
  if (now - m_limiterDue >= 1000) {
    m_limiterWindowStart = now;
    m_limiterFrames = 0;
  }
  // The next window starts where this one ends, one second after its start,
  // not at the moment its last frame happened to pass.
  if (++m_limiterFrames >= fps) {
    m_limiterFrames = 0;
    m_limiterWindowStart += 1000;
  }
  if (display) {
    std::string text;
    StrFormat(text, "FPS-Ave %u(%u)\ndwTime_OneSec %u\nnFrameCt_OneSec %u", m_fpsValues.average, m_frameTimes.average,
              m_limiterWindowStart, m_limiterFrames);
    display->DrawText(0, 16, text);
    m_sampleDue = true;
  }
  return true;
}

void FrameTiming::WaitFrameRate(DWORD fps, FpsDisplay* display) {
  while (!LimitFrameRate(fps, display)) platform::WaitUntil(m_limiterDue);
}

FrameTiming& GameTiming() {
  static FrameTiming timing;
  return timing;
}

DWORD StartStopwatch() { return GameTiming().StartStopwatch(); }
DWORD GetStopwatch(bool update) { return GameTiming().GetStopwatch(update); }
int FrameCounter(int mode, DWORD n) { return GameTiming().FrameCounter(mode, n); }
DWORD CountFps(bool count) { return GameTiming().CountFps(count); }
bool CheckFrameTime(DWORD fps) { return GameTiming().CheckFrameTime(fps); }
bool LimitFrameRate(DWORD fps, FpsDisplay* display) { return GameTiming().LimitFrameRate(fps, display); }
void WaitFrameTime(DWORD fps) { GameTiming().WaitFrameTime(fps); }
void WaitFrameRate(DWORD fps, FpsDisplay* display) { GameTiming().WaitFrameRate(fps, display); }
void PauseFramePacing() { GameTiming().PausePacing(); }
