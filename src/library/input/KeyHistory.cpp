// Key repeat and the button latch of the menus; the input histories and key
// timelines of stage play.
#include <climits>

#include "library/input/KeyInput.h"

namespace {

constexpr int kRingMask = kInputHistorySize - 1;
static_assert((kInputHistorySize & kRingMask) == 0 && (kKeyTimelineRuns & (kKeyTimelineRuns - 1)) == 0);

void CountFrame(int& frames) {
  if (frames != INT_MAX) ++frames;
}

void RecordHistory(std::array<INPUTHISTORY, kInputHistorySize>& ring, int& newest, WORD word) {
  if (ring[newest].wValue == word) {
    CountFrame(ring[newest].nFrames);
    return;
  }
  newest = (newest + 1) & kRingMask;
  ring[newest] = {word, 1};
}

struct TimelineKey {
  WORD key;
  bool bitTest;
};

// The order is fixed: key i of a key condition is direction timeline i (i < 10)
// or button timeline i - 10.
constexpr TimelineKey kDirTimelineKeys[kDirTimelineCount] = {{0, false},  {1, false},         {2, false}, {4, false},
                                                             {8, false},  {5, false},         {9, false}, {6, false},
                                                             {10, false}, {KEYBIT_DIRS, true}};
constexpr TimelineKey kButtonTimelineKeys[kButtonTimelineCount] = {
    {0, false}, {1, true}, {2, true}, {4, true}, {8, true}, {16, true}, {32, true}, {64, true}, {128, true}};

}  // namespace

const KEYRUN& cKeyTimeline::operator[](int index) const {
  if (index < 0 || index >= kKeyTimelineRuns) [[unlikely]] {
    ReportBadIndex('V', index, kKeyTimelineRuns, static_cast<int>(sizeof(KEYRUN)));
    index = 0;
  }
  return m_Runs[(m_nNewest + index) & (kKeyTimelineRuns - 1)];
}

void cKeyTimeline::Record(bool pressed) {
  KEYRUN& newest = m_Runs[m_nNewest];
  if ((newest.nState != 0) == pressed) {
    CountFrame(newest.nFrames);
    return;
  }
  // The slot before the newest holds the oldest run, which drops out.
  m_nNewest = (m_nNewest - 1) & (kKeyTimelineRuns - 1);
  m_Runs[m_nNewest] = {pressed ? 1 : 0, 1};
}

void RecordKeyTimeline(cKeyTimeline& timeline, WORD word, WORD key, bool bitTest) {
  timeline.Record(bitTest ? (word & key) != 0 : word == key);
}

void cKeyInput::SetKeyRepeat(DWORD delay, DWORD interval) {
  m_dwRepeatDelay = delay;
  m_dwRepeatInterval = interval;
}

void cKeyInput::RepeatAxis(WORD axisBits, DWORD& count) {
  WORD now = m_wDir & axisBits;
  WORD before = (m_wDirShift >> 4) & axisBits;
  if (now != before) {
    count = 0;
    return;
  }
  ++count;
  // An interval of 0 repeats every frame after the delay, as an interval of 1.
  DWORD interval = m_dwRepeatInterval ? m_dwRepeatInterval : 1;
  if (count < m_dwRepeatDelay || count % interval != 0) m_wDir &= static_cast<WORD>(~axisBits);
}

void cKeyInput::ApplyKeyRepeat() {
  m_wDirShift = static_cast<WORD>(m_wDirShift << 4 | m_wDir);
  RepeatAxis(KEYBIT_LEFT | KEYBIT_RIGHT, m_dwRepeatCountX);
  RepeatAxis(KEYBIT_UP | KEYBIT_DOWN, m_dwRepeatCountY);
}

void cKeyInput::LatchButtons(WORD mask) {
  WORD buttons = mask ? mask : 0xFF;
  bool anyDown = (m_wButton & buttons) != 0;
  if (!m_bButtonLatch) {
    if (anyDown) m_bButtonLatch = 1;  // this press passes
  } else if (anyDown) {
    m_wButton &= static_cast<WORD>(~buttons);
  } else {
    m_bButtonLatch = 0;
  }
}

void cKeyInput::ClearDirInput() {
  m_wDir = 0;
  m_nDirNumber = 5;
}

void cKeyInput::ClearInputHistory() {
  m_DirHistory = {};
  m_ButtonHistory = {};
  m_nDirHistoryPos = 0;
  m_nButtonHistoryPos = 0;
}

void cKeyInput::RecordInputHistory() {
  RecordHistory(m_DirHistory, m_nDirHistoryPos, m_wDir);
  RecordHistory(m_ButtonHistory, m_nButtonHistoryPos, m_wButton);
}

WORD cKeyInput::GetPastInput(int which, int n) const {
  const auto& ring = which == 0 ? m_DirHistory : m_ButtonHistory;
  int index = which == 0 ? m_nDirHistoryPos : m_nButtonHistoryPos;
  long long remaining = static_cast<long long>(n) + 1;
  for (int step = 0; step < kInputHistorySize && remaining > ring[index].nFrames; ++step) {
    remaining -= ring[index].nFrames;
    index = (index - 1) & kRingMask;
  }
  return ring[index].wValue;
}

void cKeyInput::TrimKeyTimelines() {
  for (auto& timeline : m_DirTimelines) timeline.Trim();
  for (auto& timeline : m_ButtonTimelines) timeline.Trim();
}

void cKeyInput::RecordKeyTimelines() {
  for (int i = 0; i < kDirTimelineCount; ++i)
    RecordKeyTimeline(m_DirTimelines[i], m_wDir, kDirTimelineKeys[i].key, kDirTimelineKeys[i].bitTest);
  for (int i = 0; i < kButtonTimelineCount; ++i)
    RecordKeyTimeline(m_ButtonTimelines[i], m_wButton, kButtonTimelineKeys[i].key, kButtonTimelineKeys[i].bitTest);
}

const cKeyTimeline& cKeyInput::KeyTimeline(int key) const {
  if (key >= 0 && key < kDirTimelineCount) return m_DirTimelines[key];
  if (key >= kDirTimelineCount && key < kKeyTimelineCount) return m_ButtonTimelines[key - kDirTimelineCount];
  ReportBadIndex('V', key, kKeyTimelineCount, static_cast<int>(sizeof(cKeyTimeline)));
  return m_DirTimelines[0];
}
