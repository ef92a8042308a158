#pragma once
// A flow installed on a character and its commands as they run. The records
// they point at live in the character's own copy of its definition
// (`cChara::m_Def`); `RelinkFlows` re-points them whenever that list changes.
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "library/util/CheckedVector.h"
#include "records/Flow.h"

struct ScheduledAnime {
  int nStart = 0;  // the flow's step at which it starts
  std::int16_t nAnime = 0;
  std::int16_t nSkip = 0;     // frames skipped at the front
  std::int16_t nShow = 0;     // frames to show
  std::int16_t nCmdTime = 0;  // the command's time in frames
  int bHold = 0;              // the first locked frame lasts the command's time
};

class cRunningCommand {
 public:
  const cFlowCommand* pDef = nullptr;
  int bDone = 0;
  int nDuration = 0;   // logic steps
  int nRemaining = 0;  // 0: not started
  std::uint8_t nMoveKind = 0;
  int nTargetX = 0, nTargetY = 0;
  double dSpeed = 0;
  int nAngle = 0;
  // Executor members.
  int nRadius = 0;  // circle radius x 16 x N, or the homing interval in steps
  int nStartAngle = 0;
  int nEndAngle = 0;
  std::deque<std::pair<double, double>> TargetQueue;
  double dVx = 0, dVy = 0;
  int nFacingRequest = 0;  // 0 keep, 1 face left, 2 face right
  int nStepCount = 0;
  int bStarted = 0;  // the jump command: it has made its jump
  double dPhaseX = 0, dPhaseY = 0;
  double dSecondSpeed = 0;
  int nPrevFacing = 0;

  const cEdMove& Move() const;
};

class cRunningFlow {
 public:
  int nIndex = 0;
  int nSerial = 0;
  const cFlow* pFlow = nullptr;
  int bCondLatched = 0;
  std::vector<const cKeyCondition*> KeyConditions;
  int bKeyLatch = 0;
  cCheckedVector<cRunningCommand> Commands;
  std::vector<ScheduledAnime> Animes;
  int bRunning = 0;
  int bPaused = 0;
  int bStoppedForever = 0;
  int bDeleted = 0;
  int nCurrent = 0;
  int nSteps = 0;
  int nPressedDir = 0;
  int bFiredThisFrame = 0;
  int bStartedThisFrame = 0;
  int bMsgContinuation = 0;
  int bBreak = 0;

  int Trigger() const { return pFlow ? pFlow->m_nTrigger : -1; }
  int Letter() const { return pFlow ? pFlow->m_nLetter : 0; }
};
