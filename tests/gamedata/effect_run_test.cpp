// Character and screen effect runs: the tables built at start-up and the
// progress stepped frame by frame.
#include <gtest/gtest.h>

#include "gamedata/EffectRun.h"

namespace {

class EffectRunTest : public ::testing::Test {
 protected:
  cCheckedVector<cDbCharaEffect> chara{3};
  cCheckedVector<cDbCharaEffect> charaRev;
  cCheckedVector<cDbScrEffect> scr{2};
  cCheckedVector<cDbScrEffect> scrRev;

  void SetChara(int index, int kind, int time, int start, int end) {
    chara[index].m_nKind = kind;
    chara[index].m_nParam[0] = time;
    chara[index].m_nParam[1] = start;
    chara[index].m_nParam[2] = end;
  }
  void BuildTables() {
    charaRev = chara;
    scrRev = scr;
    SetupCharaEffects(chara, charaRev, CharaEffectRuns, CharaEffectRunsRev);
    SetupScrEffects(scr, scrRev, ScrEffectRuns, ScrEffectRunsRev);
  }
  // Frames stepped until the end is reported (at most `limit`).
  static int FramesToEnd(EFFECTPROGRESS& progress, int limit) {
    for (int frame = 1; frame <= limit; ++frame)
      if (StepEffectProgress(progress)) return frame;
    return -1;
  }
};

TEST_F(EffectRunTest, ForwardRunEndsInTheFrameAfterPassingTheEnd) {
  SetChara(1, 1, 10, 0, 100);
  BuildTables();
  EFFECTPROGRESS progress;
  StartCharaEffect(progress, 1, EFFECTMODE_NORMAL, 0);
  EXPECT_EQ(progress.Values.dStep, 100.0 / 60.0);
  EXPECT_EQ(progress.Values.dCurrent, 0.0);
  // Sixty additions of 100/60 come to just above 100 in doubles.
  EXPECT_EQ(FramesToEnd(progress, 100), 60);
  // With repeat it starts over at 0 instead.
  StartCharaEffect(progress, 1, EFFECTMODE_NORMAL, 1);
  EXPECT_EQ(FramesToEnd(progress, 60), -1);
  EXPECT_EQ(progress.Values.dCurrent, 0.0);
  EXPECT_EQ(progress.nCounter, 0);
}

// 0 to 100 over one second: 60 frames. A copy taken after 20 goes on for the
// other 40, and stepping it leaves the source where it was.
TEST_F(EffectRunTest, AnAssignedProgressGoesOnFromTheSamePoint) {
  SetChara(1, 1, 10, 0, 100);
  BuildTables();
  EFFECTPROGRESS source;
  StartCharaEffect(source, 1, EFFECTMODE_NORMAL, 0);
  for (int frame = 0; frame < 20; ++frame) StepEffectProgress(source);
  EFFECTPROGRESS copy;
  AssignEffectProgress(copy, source);
  EXPECT_EQ(FramesToEnd(copy, 100), 40);
  EXPECT_EQ(FramesToEnd(source, 100), 40);
}

TEST_F(EffectRunTest, ResetStopsTheRunButKeepsItsValues) {
  SetChara(1, 1, 10, 0, 100);
  BuildTables();
  EFFECTPROGRESS progress;
  StartCharaEffect(progress, 1, EFFECTMODE_BACK_AND_FORTH, 1);
  StepEffectProgress(progress);
  progress.nReversed = 1;
  progress.nCounter = 7;
  const double current = progress.Values.dCurrent;
  ResetEffectState(progress);
  EXPECT_EQ(progress.nIndex, 0);
  EXPECT_EQ(progress.lpEntry, nullptr);
  EXPECT_EQ(progress.nRepeat, 0);
  EXPECT_EQ(progress.nReversed, 0);
  EXPECT_EQ(progress.nMode, EFFECTMODE_BACK_AND_FORTH);
  EXPECT_EQ(progress.nCounter, 7);
  EXPECT_EQ(progress.Values.dCurrent, current);
}

TEST_F(EffectRunTest, ReversedAndBackAndForthRuns) {
  SetChara(1, 1, 10, 0, 100);
  BuildTables();
  EXPECT_EQ(chara[1].m_nParam[1], 0);
  EXPECT_EQ(charaRev[1].m_nParam[1], 100);
  EXPECT_EQ(charaRev[1].m_nParam[2], 0);
  EFFECTPROGRESS progress;
  StartCharaEffect(progress, 1, EFFECTMODE_REVERSED, 0);
  EXPECT_EQ(progress.nReversed, 1);
  EXPECT_EQ(progress.Values.dCurrent, 100.0);
  EXPECT_EQ(progress.lpEntry, &charaRev[1]);
  EXPECT_EQ(FramesToEnd(progress, 100), 60);

  StartCharaEffect(progress, 1, EFFECTMODE_BACK_AND_FORTH, 0);
  EXPECT_EQ(FramesToEnd(progress, 200), 120);  // there, then back from the reversed table
  EXPECT_EQ(progress.nReversed, 1);
  StartCharaEffect(progress, 1, EFFECTMODE_BACK_AND_FORTH, 1);
  EXPECT_EQ(FramesToEnd(progress, 1000), -1);
}

TEST_F(EffectRunTest, TimerKindsAndDegenerateTimes) {
  SetChara(1, 6, 3, 5, 9);   // blink: parameter 1 is an interval
  SetChara(2, 2, 0, 0, 50);  // a time of 0
  BuildTables();
  EXPECT_EQ(charaRev[1].m_nParam[1], 5);  // never exchanged
  EFFECTPROGRESS progress;
  StartCharaEffect(progress, 1, EFFECTMODE_REVERSED, 0);
  EXPECT_EQ(progress.Values.dStep, 1.0 / 6.0);
  EXPECT_EQ(progress.Values.nEnd, 3);
  EXPECT_EQ(FramesToEnd(progress, 100), 19);
  StartCharaEffect(progress, 2, EFFECTMODE_NORMAL, 0);
  EXPECT_EQ(progress.Values.dStep, 50.0);
  EXPECT_EQ(FramesToEnd(progress, 10), 2);
  // Start equal to end: step 0, the end is never passed.
  SetChara(2, 2, 10, 40, 40);
  BuildTables();
  StartCharaEffect(progress, 2, EFFECTMODE_NORMAL, 0);
  EXPECT_EQ(FramesToEnd(progress, 500), -1);
}

TEST_F(EffectRunTest, ScreenMoveExchangesItsPoints) {
  scr[1].m_nKind = 1;
  scr[1].m_nParam[0] = 5;
  scr[1].m_nParam[3] = 640;
  scr[1].m_nParam[4] = 480;
  BuildTables();
  EXPECT_EQ(scrRev[1].m_nParam[1], 640);
  EXPECT_EQ(scrRev[1].m_nParam[2], 480);
  EXPECT_EQ(scrRev[1].m_nParam[3], 0);
  EXPECT_EQ(scrRev[1].m_nParam[4], 0);
  EXPECT_EQ(ScrEffectRunsRev[1].Values.nSlot[0], 640);
  EXPECT_EQ(ScrEffectRuns[1].Values.nSlot[0], 0);
  EFFECTPROGRESS progress;
  StartScrEffect(progress, 1, EFFECTMODE_NORMAL, 0);
  int frames = 0;
  while (!StepScrEffectProgress(progress, 0, 5, 1.0 / 6.0) && frames < 100) ++frames;
  EXPECT_EQ(frames, 35);  // the truncated value runs 0 to 5 inclusive
}

TEST_F(EffectRunTest, ScreenStepDownwardAndKindZero) {
  scr[1].m_nKind = 11;
  scr[1].m_nParam[0] = 1;
  scr[1].m_nParam[1] = 12;
  scr[1].m_nParam[2] = 0;
  BuildTables();
  EFFECTPROGRESS progress;
  StartScrEffect(progress, 1, EFFECTMODE_NORMAL, 0);
  EXPECT_EQ(progress.Values.dStep, 2.0);
  EXPECT_EQ(StepScrEffectProgress(progress, 12, 0, 2.0), 0);
  EXPECT_EQ(progress.Values.dCurrent, 10.0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(StepScrEffectProgress(progress, 12, 0, 2.0), 0);
  EXPECT_EQ(StepScrEffectProgress(progress, 12, 0, 2.0), 1);
  scr[0].m_nKind = 0;
  BuildTables();
  EXPECT_EQ(ScrEffectRuns[0].nIndex, 0);
  EXPECT_EQ(ScrEffectRuns[0].lpEntry, &scr[0]);
  EXPECT_EQ(ScrEffectRuns[0].Values.dStep, 0.0);
}

}  // namespace
