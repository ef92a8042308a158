#pragma once
// The input record of one player: the direction and button words read once a
// frame, key repeat and the button latch of the menus, and the histories and
// key timelines that stage play and the key commands read.
#include <array>

#include "library/util/CheckedVector.h"
#include "platform/WinTypes.h"
#include "platform/input/Input.h"

constexpr WORD KEYBIT_LEFT = 1;
constexpr WORD KEYBIT_RIGHT = 2;
constexpr WORD KEYBIT_UP = 4;
constexpr WORD KEYBIT_DOWN = 8;
constexpr WORD KEYBIT_DIRS = 15;

// PollInput flags.
constexpr int POLL_JOYSTICK = 1;
constexpr int POLL_KEYBOARD = 2;

constexpr int kInputHistorySize = 32;
constexpr int kKeyTimelineRuns = 32;
constexpr int kDirTimelineCount = 10;
constexpr int kButtonTimelineCount = 9;
constexpr int kKeyTimelineCount = kDirTimelineCount + kButtonTimelineCount;

struct INPUTHISTORY {
  WORD wValue = 0;
  int nFrames = 0;
};

// A key was in state nState (0 or 1) for nFrames consecutive frames.
struct KEYRUN {
  int nState = 0;
  int nFrames = 0;
  constexpr bool operator==(const KEYRUN&) const = default;
};

// 32 runs, the newest first ([0]); a new run pushes the oldest out.
class cKeyTimeline {
 public:
  const KEYRUN& operator[](int index) const;
  void Trim() { *this = cKeyTimeline{}; }
  // Starts a run {state, 1} when the state changes, else lengthens the newest.
  void Record(bool pressed);

 private:
  std::array<KEYRUN, kKeyTimelineRuns> m_Runs{};
  int m_nNewest = 0;
};

// 5 (neutral), moved by -1 left (else +1 right) and -3 up (else +3 down).
int DirBitsToNumber(WORD dir);
bool CheckJoyAxis(const JOYINFOEX& joy, WORD code);
void RecordKeyTimeline(cKeyTimeline& timeline, WORD word, WORD key, bool bitTest);

class cKeyInput {
 public:
  WORD m_wDir = 0;
  WORD m_wButton = 0;
  WORD m_wDirShift = 0;  // raw direction word of the last four frames, newest in bits 0-3
  std::array<INPUTHISTORY, kInputHistorySize> m_DirHistory{};
  std::array<INPUTHISTORY, kInputHistorySize> m_ButtonHistory{};
  int m_nDirHistoryPos = 0;
  int m_nButtonHistoryPos = 0;
  std::array<cKeyTimeline, kDirTimelineCount> m_DirTimelines{};
  std::array<cKeyTimeline, kButtonTimelineCount> m_ButtonTimelines{};
  int m_nDirNumber = 0;
  DWORD m_dwRepeatCountX = 0;
  DWORD m_dwRepeatCountY = 0;
  DWORD m_dwRepeatDelay = 0;
  DWORD m_dwRepeatInterval = 0;
  int m_bButtonLatch = 0;
  std::array<WORD, 8> m_JoyButtonMap{};  // game button i is down when the joystick's buttons share a bit with mask i
  int m_bJoyOk = 0;
  int m_nJoyRetry = 0;

  void ResetJoyButtonMap();
  // The fixed mapping (flags POLL_JOYSTICK | POLL_KEYBOARD); 0 when the configuration's mode is not 0.
  int PollInput(UINT joystick, int flags, int retryWait);
  // The configuration's mapping; 0 when its mode is 0.
  int PollInputByConfig(int players, int retryWait);

  void SetKeyRepeat(DWORD delay, DWORD interval);
  void ApplyKeyRepeat();
  void LatchButtons(WORD mask);
  void ClearDirInput();
  void ClearButtonInput() { m_wButton = 0; }

  void ClearInputHistory();
  void RecordInputHistory();
  // The direction word (which 0) or the button word (1) of n frames ago.
  WORD GetPastInput(int which, int n) const;

  void TrimKeyTimelines();
  void RecordKeyTimelines();
  // Key i of a key condition: direction timeline i below 10, else button timeline i - 10.
  const cKeyTimeline& KeyTimeline(int key) const;

 private:
  // False when the joystick is not read this frame (waiting to retry, or failed).
  bool ReadJoystick(UINT joystick, int retryWait, JOYINFOEX& joy);
  WORD JoyButtons(DWORD buttons) const;
  void RepeatAxis(WORD axisBits, DWORD& count);
};

// The input records of the players; the play always reads record 0. Empty
// until the application's start-up sequence gives it its one record.
extern cCheckedVector<cKeyInput> KeyInputList;

// The frame's input read: one step of scripted input, then the poll of
// record 0 through the key configuration's mapping.
void ReadInputDevices(cCheckedVector<cKeyInput>& list);
