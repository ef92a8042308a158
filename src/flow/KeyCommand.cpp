// Key commands: a sequence of key-state steps matched backwards through the
// hero's key timelines, with a frame allowance between steps and mirroring for
// a character facing left. A step whose key list is shorter than the 19 key
// slots tests only the slots it has.
#include <algorithm>
#include <array>

#include "flow/Interpreter.h"
#include "library/input/KeyInput.h"
#include "records/FlowEnums.h"
#include "stage/Chara.h"
#include "stage/StagePlayScene.h"

namespace {

constexpr int kOldestRun = kKeyTimelineRuns - 1;

// Per key slot: the run at the cursor (0 newest) and how many of its frames lie at or before it.
struct KeyCursor {
  std::array<int, kKeyTimelineCount> run{};
  std::array<int, kKeyTimelineCount> p{};
};

KeyCursor FreshCursor(const cKeyInput& input) {
  KeyCursor cursor;
  for (int slot = 0; slot < kKeyTimelineCount; ++slot)
    cursor.p[static_cast<size_t>(slot)] = input.KeyTimeline(slot)[0].nFrames;
  return cursor;
}

int Frames(const cKeyInput& input, int slot, int run) { return input.KeyTimeline(slot)[run].nFrames; }

void RewindKeyHistory(KeyCursor& cursor, const cKeyInput& input, int n) {
  for (int slot = 0; slot < kKeyTimelineCount; ++slot) {
    int& run = cursor.run[static_cast<size_t>(slot)];
    int& p = cursor.p[static_cast<size_t>(slot)];
    p += n;
    if (n <= 0) {
      while (p < 0 && run < kOldestRun) p += Frames(input, slot, ++run);
      if (p == 0 && run < kOldestRun) p = Frames(input, slot, ++run);
    } else {
      while (run > 0 && p > Frames(input, slot, run)) p -= Frames(input, slot, run--);
    }
  }
}

int MirrorSlot(int slot) {
  static constexpr int kMirror[10] = {0, 2, 1, 3, 4, 7, 8, 5, 6, 9};
  return slot < 10 ? kMirror[slot] : slot;
}

bool KeyTest(const KEYRUN& run, int p, const cKeyCondition& s, int required) {
  if (p < 1) return false;  // the cursor lies beyond the remembered runs
  if (required == 1) {
    if (run.nState == 0) return false;
    return s.m_bAnyLength || (s.m_nMinFrames <= p && p <= s.m_nMaxFrames);
  }
  if (required == 2) return run.nState == 0;
  return false;
}

bool StepHolds(int mode, int matched, int unmatched) {
  switch (mode) {
    case 0:
      return unmatched == 0;
    case 1:
      return matched >= 1;
    case 2:
      return matched == 1;
    default:
      return true;
  }
}

bool MatchKeyStep(const cKeyCondition& s, const KeyCursor& cursor, const cKeyInput& input, bool facingLeft,
                  int& frames) {
  frames = 0;
  int matched = 0, unmatched = 0;
  int keys = std::min(static_cast<int>(s.m_vKeys.size()), kKeyConditionEntries);
  for (int k = 0; k < keys; ++k) {
    int required = s.m_vKeys[static_cast<size_t>(k)];
    if (required == 0) continue;
    int slot = k < 10 && s.m_bMirror == 1 && facingLeft ? MirrorSlot(k) : k;
    int run = cursor.run[static_cast<size_t>(slot)], p = cursor.p[static_cast<size_t>(slot)];
    if (!KeyTest(input.KeyTimeline(slot)[run], p, s, required)) {
      ++unmatched;
      continue;
    }
    if (matched == 0 || s.m_nMode >= 2)
      frames = p;
    else if (s.m_nMode == 0)
      frames = std::min(frames, p);
    else
      frames = std::max(frames, p);
    ++matched;
  }
  return StepHolds(s.m_nMode, matched, unmatched);
}

}  // namespace

bool MatchKeyCommand(cChara& chara, const std::vector<const cKeyCondition*>& steps, int allowance) {
  if (KeyInputList.empty() || steps.empty()) return false;
  const cKeyInput& input = KeyInputList.VecAt(0);
  cStagePlayScene& scene = Scene();
  const cChara& acting = scene.m_pActChara ? *scene.m_pActChara : chara;
  bool facingLeft = acting.m_bRight == 0;
  KeyCursor cursor = FreshCursor(input);
  int i = static_cast<int>(steps.size()) - 1;
  int frames = 0;
  if (!MatchKeyStep(*steps[static_cast<size_t>(i)], cursor, input, facingLeft, frames)) return false;
  while (i > 0) {
    RewindKeyHistory(cursor, input, -frames);
    --i;
    const cKeyCondition& step = *steps[static_cast<size_t>(i)];
    if (MatchKeyStep(step, cursor, input, facingLeft, frames)) continue;
    if (allowance == 0) return false;
    bool found = false;
    for (int t = 0; t < allowance && !found; ++t) {
      RewindKeyHistory(cursor, input, -1);
      found = MatchKeyStep(step, cursor, input, facingLeft, frames);
    }
    if (found) continue;
    RewindKeyHistory(cursor, input, allowance);
    RewindKeyHistory(cursor, input, 1);
    if (!MatchKeyStep(step, cursor, input, facingLeft, frames)) return false;
    int laterFrames = 0;
    if (!scene.m_Rules.bAllowKeyStepOverlap &&
        MatchKeyStep(*steps[static_cast<size_t>(i) + 1], cursor, input, facingLeft, laterFrames))
      return false;
  }
  return true;
}

bool CheckKeyCommand(cChara& chara, cRunningFlow& flow) {
  if (flow.KeyConditions.empty()) return true;
  const cFlow& f = *flow.pFlow;
  if (f.m_bKeyContinuous) return MatchKeyCommand(chara, flow.KeyConditions, f.m_nKeyAllowance);
  if (!MatchKeyCommand(chara, flow.KeyConditions, f.m_nKeyAllowance)) {
    flow.bKeyLatch = 0;
    return false;
  }
  bool wasLatched = flow.bKeyLatch;
  flow.bKeyLatch = 1;
  if (!wasLatched) return true;
  int letter = f.m_nLetter;
  if (f.m_nTrigger == TRG_ALWAYS && letter > 0 && letter < kLetterSlots) {
    cChara* acting = Scene().m_pActChara ? Scene().m_pActChara : &chara;
    acting->m_vLetterRunning.VecAt(letter) = 1;
    chara.m_vLetterEnded.VecAt(letter) = 1;
    chara.m_bLettersEnded = 1;
  }
  return false;
}

bool CheckKeyCondition(const cKeyInput& input, const cKeyCondition& s) {
  int matched = 0, unmatched = 0;
  int keys = std::min(static_cast<int>(s.m_vKeys.size()), kKeyConditionEntries);
  for (int k = 0; k < keys; ++k) {
    int required = s.m_vKeys[static_cast<size_t>(k)];
    if (required == 0) continue;
    bool on = input.KeyTimeline(k)[0].nState != 0;
    if ((required == 1 && on) || (required == 2 && !on)) {
      ++matched;
      if (s.m_nMode == 1) return true;
    } else {
      ++unmatched;
    }
  }
  return StepHolds(s.m_nMode, matched, unmatched);
}
