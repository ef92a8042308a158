#include "gamedata/EffectRun.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

EffectRunTable CharaEffectRuns;
EffectRunTable CharaEffectRunsRev;
EffectRunTable ScrEffectRuns;
EffectRunTable ScrEffectRunsRev;

namespace {

constexpr double kTimerStep = 1.0 / 6.0;  // the timer kinds count tenths of a second

// |end - start| per frame over a running time in tenths of a second. A time of
// 0 or below runs the whole way in one frame instead of dividing by zero.
double StepPerFrame(int start, int end, int time) {
  std::int64_t distance = std::llabs(std::int64_t{end} - std::int64_t{start});
  std::int64_t frames = std::int64_t{time} * 6;
  if (frames < 1) frames = 1;
  return static_cast<double>(distance) / static_cast<double>(frames);
}

void SetRunFromParams(EFFECTVALUES& values, const int (&param)[EFFECT_PARAM_COUNT]) {
  values.dCurrent = param[1];
  values.dStep = StepPerFrame(param[1], param[2], param[0]);
}

template <typename Record, typename Init>
void SetupEffects(cCheckedVector<Record>& list, cCheckedVector<Record>& reversedCopy, EffectRunTable& forward,
                  EffectRunTable& reversed, Init init) {
  forward.assign(list.size(), EFFECTRUNDATA{});
  reversed.assign(list.size(), EFFECTRUNDATA{});
  for (int i = 0; i < static_cast<int>(list.size()); ++i) {
    init(forward.VecAt(i), i, list.VecAt(i), 0);
    init(reversed.VecAt(i), i, reversedCopy.VecAt(i), 1);
  }
}

void StartEffect(EFFECTPROGRESS& progress, const EffectRunTable& forward, const EffectRunTable& reversed, int index,
                 int mode, int repeat) {
  bool useReversed = mode == EFFECTMODE_REVERSED;
  CopyEffectRunData(progress, (useReversed ? reversed : forward).VecAt(index));
  progress.nReversed = useReversed ? 1 : 0;
  progress.nIndex = index;
  progress.nMode = mode;
  progress.nCounter = 0;
  progress.nRepeat = repeat;
}

void RestartEffect(EFFECTPROGRESS& progress, const EffectRunTable& forward, const EffectRunTable& reversed) {
  if (progress.nMode == EFFECTMODE_BACK_AND_FORTH) progress.nReversed = 1 - progress.nReversed;
  CopyEffectRunData(progress, (progress.nReversed ? reversed : forward).VecAt(progress.nIndex));
  progress.nCounter = 0;
}

// After the end was passed: starts over when the effect repeats or is in the
// first half of a there-and-back run (0), otherwise reports the end (1).
template <typename Restart>
int AfterEnd(EFFECTPROGRESS& progress, Restart restart) {
  if (progress.nRepeat || (progress.nMode == EFFECTMODE_BACK_AND_FORTH && progress.nReversed == 0)) {
    restart(progress);
    return 0;
  }
  return 1;
}

}  // namespace

void InitCharaEffectRunner(EFFECTRUNDATA& run, int index, cDbCharaEffect& record, int reversed) {
  run.nIndex = index;
  run.lpEntry = &record;
  int kind = record.m_nKind;
  if (kind < 1 || kind > CHARA_EFFECT_KIND_MAX) return;
  EFFECTVALUES& values = run.Values;
  int* param = record.m_nParam;
  if (kind == 6 || kind == 14) {
    // Blink and translucency: parameter 1 is an interval, the run is a timer.
    values.nStart = 0;
    values.nEnd = param[0];
    values.dCurrent = 0.0;
    values.dStep = kTimerStep;
    values.nSlot[0] = values.nSlot[1] = 0;
    return;
  }
  if (reversed) std::swap(param[1], param[2]);
  values.nStart = param[1];
  values.nEnd = param[2];
  SetRunFromParams(values, record.m_nParam);
  if (kind == 4 || kind == 5) values.nSlot[0] = 0;  // the wave's phase
}

void InitScrEffectRunner(EFFECTRUNDATA& run, int index, cDbScrEffect& record, int reversed) {
  run.nIndex = index;
  run.lpEntry = &record;
  EFFECTVALUES& values = run.Values;
  int* param = record.m_nParam;
  switch (record.m_nKind) {
    case 1:  // move: from the start point to the end point
      if (reversed) {
        std::swap(param[1], param[3]);
        std::swap(param[2], param[4]);
      }
      values.dCurrent = 0.0;
      values.dStep = kTimerStep;
      values.nSlot[0] = param[1];
      values.nSlot[1] = param[2];
      break;
    case 2:
    case 3:  // shake
      values.dCurrent = 0.0;
      values.dSecond = 0.0;
      values.dStep = kTimerStep;
      values.nSlot[0] = 0;
      break;
    case 4:
    case 5:
    case 6:
    case 7:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
      if (reversed) std::swap(param[1], param[2]);
      SetRunFromParams(values, record.m_nParam);
      if (record.m_nKind == 6 || record.m_nKind == 7) values.nSlot[0] = 0;  // the wave's phase
      break;
    case 8:  // blink
      values.dCurrent = 0.0;
      values.dStep = kTimerStep;
      values.nSlot[0] = values.nSlot[1] = 0;
      break;
    default:
      break;
  }
}

void SetupCharaEffects(cCheckedVector<cDbCharaEffect>& list, cCheckedVector<cDbCharaEffect>& reversedCopy,
                       EffectRunTable& forward, EffectRunTable& reversed) {
  SetupEffects(list, reversedCopy, forward, reversed, InitCharaEffectRunner);
}

void SetupScrEffects(cCheckedVector<cDbScrEffect>& list, cCheckedVector<cDbScrEffect>& reversedCopy,
                     EffectRunTable& forward, EffectRunTable& reversed) {
  SetupEffects(list, reversedCopy, forward, reversed, InitScrEffectRunner);
}

void CopyEffectRunData(EFFECTPROGRESS& progress, const EFFECTRUNDATA& run) {
  progress.lpEntry = run.lpEntry;
  progress.Values = run.Values;
}

void StartCharaEffect(EFFECTPROGRESS& progress, int index, int mode, int repeat) {
  StartEffect(progress, CharaEffectRuns, CharaEffectRunsRev, index, mode, repeat);
}

void StartScrEffect(EFFECTPROGRESS& progress, int index, int mode, int repeat) {
  StartEffect(progress, ScrEffectRuns, ScrEffectRunsRev, index, mode, repeat);
}

void RestartCharaEffect(EFFECTPROGRESS& progress) { RestartEffect(progress, CharaEffectRuns, CharaEffectRunsRev); }

void RestartScrEffect(EFFECTPROGRESS& progress) { RestartEffect(progress, ScrEffectRuns, ScrEffectRunsRev); }

void AssignEffectProgress(EFFECTPROGRESS& target, const EFFECTPROGRESS& source) { target = source; }

void ResetEffectState(EFFECTPROGRESS& progress) {
  progress.nIndex = 0;
  progress.lpEntry = nullptr;
  progress.nRepeat = 0;
  progress.nReversed = 0;
}

int StepEffectProgress(EFFECTPROGRESS& progress) {
  EFFECTVALUES& values = progress.Values;
  if (values.nEnd < values.nStart) {
    values.dCurrent -= values.dStep;
    if (values.dCurrent >= values.nEnd) return 0;
  } else {
    values.dCurrent += values.dStep;
    if (values.dCurrent <= values.nEnd) return 0;
  }
  return AfterEnd(progress, RestartCharaEffect);
}

int StepScrEffectProgress(EFFECTPROGRESS& progress, int a, int b, double step) {
  double& current = progress.Values.dCurrent;
  // The handler's end is compared with the truncated value; comparing the
  // truncated double keeps a value beyond the int range well defined.
  if (a <= b) {
    current += step;
    if (std::trunc(current) <= b) return 0;
  } else {
    current -= step;
    if (std::trunc(current) >= b) return 0;
  }
  return AfterEnd(progress, RestartScrEffect);
}
