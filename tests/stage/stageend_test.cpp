// Where stage play stops for the player and how a stage ends: the pause
// request and the modal loop's frames and button rules, the pause menu, the
// extra lives of a clear, the ranking places and their registration, the
// clear screen's timing, what follows a clear, and the stage-clear command.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FakeStageShell.h"
#include "TinyStage.h"
#include "flow/Interpreter.h"
#include "gamedata/OptionData.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "records/FlowEnums.h"
#include "stage/PauseLoop.h"
#include "stage/Replay.h"
#include "stage/StageClear.h"
#include "stage/StageSetup.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// A shell whose modal loops run at once on the calling thread, reading the
// button word of each frame from a script.
class LoopShell : public FakeStageShell {
 public:
  explicit LoopShell(cStagePlayScene& scene) : FakeStageShell(scene), m_scene(scene) {}

  void ReadInput(cCheckedVector<cKeyInput>& input) override {
    const size_t frame = static_cast<size_t>(reads++);
    input.VecAt(0).m_wButton = frame < buttons.size() ? buttons[frame] : 0;
  }
  void PresentFrame() override { ++presents; }
  int RunModalLoop(ModalLoop loop) override {
    ++(loop == ModalLoop::Pause ? pauseLoops : rankingLoops);
    if (loop == ModalLoop::Pause && runPauseLoops) return PauseThreadProc(m_scene, *this);
    return 1;
  }
  bool RankingOn() const override { return rankingOn; }
  bool KeyDown(int virtualKey) override { return virtualKey == keyDown; }
  void EnterRankingName(std::string& name) override {
    ++nameDialogs;
    name = typedName;
  }

  std::vector<WORD> buttons;
  int reads = 0, presents = 0, pauseLoops = 0, rankingLoops = 0, nameDialogs = 0;
  bool runPauseLoops = false, rankingOn = true;
  int keyDown = 0;
  std::string typedName = "ZAN";

 private:
  cStagePlayScene& m_scene;
};

class SoundHooks : public cStagePlayHooks {
 public:
  void RequestSe(int sound) override { sounds.push_back(sound); }
  int PlayMode() const override { return playMode; }
  int Count(int sound) const { return static_cast<int>(std::count(sounds.begin(), sounds.end(), sound)); }
  std::vector<int> sounds;
  int playMode = kPlayModeFree;
};

// A 40 x 15 stage with the hero on a solid floor, in free play.
class StageEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stage.SetDefault();
    tinystage::Build(stage, kBlockHitSolid);
    system.SetDefault();
    system.m_bExtraLife = 0;
    StageData = StageDataOrg = &stage;
    PlayData = &record;
    SystemData = &system;
    RankingData = &ranking;
    KeyInputList.assign(1, cKeyInput{});
    MenuCursor.ResetCursor();
    scene.SetHooks(&hooks);
    scene.m_pShell = &shell;
    shell.gameMode = 2;
    ASSERT_TRUE(SetStage(scene, 1, 1));
  }
  void TearDown() override {
    StageData = StageDataOrg = nullptr;
    PlayData = nullptr;
    SystemData = nullptr;
    RankingData = nullptr;
    OptionData = nullptr;
    CurrentPlayScene = nullptr;
    KeyInputList.clear();
  }
  void Press(WORD button) { KeyInputList.VecAt(0).m_wButton = button; }

  cStageData stage;
  cSaveData record;
  cSystemData system;
  cRanking ranking;
  cStagePlayScene scene;
  SoundHooks hooks;
  LoopShell shell{scene};
};

// ---- The pause request and the modal loop ----

TEST(PauseRequestTest, OnlyAMessageStartingANewTextWaitsTenFrames) {
  struct Case {
    int kind, wait, frames, extra, delay;
  };
  for (const Case& c : {Case{1, 1, 0, 0, 10}, Case{1, 1, 0, 1, 0}, Case{1, 0, 40, 0, 0}, Case{0, 1, 0, 0, 0},
                        Case{4, 0, 30, 0, 0}, Case{3, 1, 0, 0, 0}}) {
    cStagePlayScene scene;
    scene.m_PauseReq.nSpare = 9;
    scene.SetPauseRequest(c.kind, c.wait, c.frames, c.extra);
    EXPECT_EQ(scene.m_PauseReq.nDelay, c.delay) << c.kind << " " << c.wait << " " << c.extra;
    EXPECT_EQ(scene.m_PauseReq.nKind, c.kind);
    EXPECT_EQ(scene.m_PauseReq.bWaitButton, c.wait);
    EXPECT_EQ(scene.m_PauseReq.nFrames, c.frames);
    EXPECT_EQ(scene.m_PauseReq.nSpare, 0);
  }
}

TEST_F(StageEndTest, ATimedLoopShowsItsFramesAndEnds) {
  scene.SetPauseRequest(4, 0, 30, 0);
  EXPECT_EQ(PauseThreadProc(scene, shell), 1);
  // The count goes below 0 in the 31st turn: 30 frames drawn and shown.
  EXPECT_EQ(shell.presents, 30);
  EXPECT_EQ(shell.reads, 31);
}

// A message waits 10 frames, ignores the button held when it appeared, and
// ends on the next new press with its own sound; the game's input is untouched.
TEST_F(StageEndTest, AWaitingMessageNeedsANewPressAfterItsDelay) {
  Press(1);
  KeyInputList.VecAt(0).RecordInputHistory();
  const WORD historyBefore = KeyInputList.VecAt(0).GetPastInput(1, 0);
  shell.buttons.assign(12, 1);                        // held from before the message, through the delay
  shell.buttons.insert(shell.buttons.end(), {0, 1});  // let go, then pressed anew
  scene.SetPauseRequest(1, 1, 0, 0);
  EXPECT_EQ(PauseThreadProc(scene, shell), 1);
  EXPECT_EQ(shell.reads, 14);
  EXPECT_EQ(shell.presents, 13);
  EXPECT_EQ(hooks.Count(12), 1);
  EXPECT_EQ(scene.m_bButtonHold, 1);
  EXPECT_EQ(KeyInputList.VecAt(0).m_wButton, 1);
  EXPECT_EQ(KeyInputList.VecAt(0).GetPastInput(1, 0), historyBefore);

  // Other kinds end with the decide sound; a quit flag set before ends at once.
  shell.buttons = {0, 1};
  shell.reads = 0;
  Press(0);
  scene.SetPauseRequest(0, 1, 0, 0);
  EXPECT_EQ(PauseThreadProc(scene, shell), 1);
  EXPECT_EQ(hooks.Count(1), 1);
  scene.m_bQuit = 1;
  shell.reads = 0;
  EXPECT_EQ(PauseThreadProc(scene, shell), 0);
  EXPECT_EQ(shell.reads, 0);
}

// A close asked for while a modal loop ran is carried out by the next frame, whatever the state.
TEST_F(StageEndTest, AQuitFlagAsksForTheCloseAgain) {
  for (const int state : {PLAYSTATE_PLAY, PLAYSTATE_CLEAR, PLAYSTATE_PAUSE, PLAYSTATE_GAMEOVER}) {
    scene.m_bQuit = 1;
    scene.m_nState = state;
    shell.closes = 0;
    RunStageState(scene, shell);
    EXPECT_EQ(shell.closes, 1) << state;
    EXPECT_EQ(scene.m_nState, state);
  }
}

// ---- Replay playback ----

// Playback reads its file at every loop, the first included: the attempt
// starts from the recorded play record and seed, whatever the entry did to
// the record, plays the recorded words, and starts over at their end.
TEST_F(StageEndTest, PlaybackRepeatsTheRecordedAttemptFromItsFile) {
  testsupport::TempDir dir;
  cReplayData recorded;
  recorded.m_nSeed = 4242;
  for (int frame = 0; frame < 5; ++frame) RecordReplayFrame(recorded, frame < 3 ? 8 : 4, frame == 4 ? 1 : 0);
  cSaveData start = record;
  start.nLife = 5;
  start.bStartPos = 1;
  start.nStartX = 6;
  start.nStartY = 11;
  const std::string path = (dir.Path() / "r.rpl4_696").string();
  ASSERT_EQ(SaveReplayFile(path, recorded, stage, stage, start, {}), 1);

  cReplayData replay;
  ReplayData = &replay;
  hooks.playMode = shell.playMode = kPlayModeReplay;
  stage.m_strPath = path;
  record.nEntryLife = 3;
  ResetPlay(scene, record, false);
  ASSERT_TRUE(SetStage(scene, 0, 1));
  EXPECT_EQ(record.nLife, 5);
  EXPECT_EQ(scene.m_nSeed, 4242);
  EXPECT_EQ(static_cast<int>((scene.Hero().m_dX + scene.Hero().m_dRight) / 2) >> 5, 6 + 10);
  EXPECT_EQ(stage.m_strPath, path);

  scene.m_nState = PLAYSTATE_PLAY;
  const WORD wantDir[] = {8, 8, 8, 4, 4};
  for (int frame = 0; frame < 5; ++frame) {
    KeyInputList.VecAt(0).m_wDir = 1;  // live input is ignored
    StatePlay(scene, shell);
    EXPECT_EQ(KeyInputList.VecAt(0).m_wDir, wantDir[frame]) << frame;
    EXPECT_EQ(scene.m_nFrame, frame + 1);
  }
  StatePlay(scene, shell);
  EXPECT_EQ(scene.m_nState, PLAYSTATE_START);
  EXPECT_EQ(scene.m_nFrame, 0);
  EXPECT_EQ(replay.m_nDirIndex, 0);
  ReplayData = nullptr;
}

// ---- The pause menu ----

TEST_F(StageEndTest, RetryIsOfferedByGameMode) {
  struct Case {
    const char* name;
    int gameMode;
    int storySwitch, challengeSwitch, mapSwitch, cleared;
    int items;
  };
  record.nStageNo = 2;
  record.ClearList.resize(2);
  for (const Case& c : {Case{"story, cleared before", 0, 1, 0, 1, 0, 3}, Case{"story, not cleared", 0, 1, 0, 0, 0, 2},
                        Case{"story, switch off", 0, 0, 0, 1, 0, 2}, Case{"challenge, cleared", 1, 0, 1, 0, 1, 3},
                        Case{"challenge, switch off", 1, 0, 0, 0, 1, 2}, Case{"free", 2, 0, 0, 0, 0, 3},
                        Case{"replay", 3, 1, 1, 1, 1, 2}}) {
    shell.gameMode = c.gameMode;
    system.m_bStorySwitch[3] = c.storySwitch;
    system.m_bChallengeSwitch[3] = c.challengeSwitch;
    record.Switch[2] = c.mapSwitch;
    record.ClearList[1].bCleared = c.cleared;
    EXPECT_EQ(PauseMenuItems(scene, shell), c.items) << c.name;
  }
}

TEST_F(StageEndTest, PauseMenuResumesRetriesAndQuits) {
  // Resume: back to the state and step the pause key interrupted, buttons held.
  scene.m_nSavedState = PLAYSTATE_CLEAR;
  scene.m_nSavedStep = 1;
  scene.m_nState = PLAYSTATE_PAUSE;
  scene.m_nStep = 0;
  StatePause(scene, shell);
  EXPECT_EQ(MenuCursor.Current().nY, 1);
  const int threeItemX = MenuCursor.Current().nPosX;
  Press(1);
  StatePause(scene, shell);
  EXPECT_EQ(scene.m_nState, PLAYSTATE_CLEAR);
  EXPECT_EQ(scene.m_nStep, 1);
  EXPECT_EQ(scene.m_bButtonHold, 1);

  // Button 2 in the two-item menu restarts the clear screen; it stands where the three-item one does.
  shell.gameMode = 3;
  scene.m_nState = PLAYSTATE_PAUSE;
  scene.m_nStep = 0;
  Press(0);
  StatePause(scene, shell);
  EXPECT_EQ(MenuCursor.Current().nPosX, threeItemX);
  Press(2);
  StatePause(scene, shell);
  EXPECT_EQ(scene.m_nState, PLAYSTATE_CLEAR);
  EXPECT_EQ(scene.m_nStep, 0);

  // Retry: the record goes back to the stage's start and the stage starts again.
  shell.gameMode = 2;
  record.nScore = 10;
  record.StoreStageStartState();
  record.nScore = 500;
  scene.m_nState = PLAYSTATE_PAUSE;
  scene.m_nStep = 1;
  MenuCursor.Current().nY = 2;
  Press(0);
  StatePause(scene, shell);
  Press(1);
  StatePause(scene, shell);
  EXPECT_EQ(scene.m_nState, PLAYSTATE_START);
  EXPECT_EQ(record.nScore, 10);

  // Quit: to the title, or a close when the program started on the stage file.
  for (const bool direct : {false, true}) {
    shell.directStart = direct;
    shell.nextScene = -1;
    shell.closes = 0;
    scene.m_nState = PLAYSTATE_PAUSE;
    scene.m_nStep = 1;
    MenuCursor.Current().nY = 0;
    Press(0);
    StatePause(scene, shell);
    Press(1);
    StatePause(scene, shell);
    EXPECT_EQ(scene.m_nState, PLAYSTATE_FADEOUT);
    EXPECT_EQ(shell.nextScene, direct ? -1 : kSceneTitle);
    EXPECT_EQ(shell.closes, direct ? 1 : 0);
  }
}

// ---- Totals and extra lives ----

TEST_F(StageEndTest, ExtraLivesFollowTheScoresSteps) {
  struct Case {
    const char* name;
    int step, before, stageScore, lives;
    int livesAfter, notices;
  };
  system.m_bExtraLife = 1;
  for (const Case& c :
       {Case{"950 to 1200", 500, 950, 250, 3, 4, 1}, Case{"400 to 1600", 500, 400, 1200, 3, 6, 3},
        Case{"at 99 lives", 500, 400, 1200, 99, 99, 3}, Case{"unlimited", 500, 400, 1200, 999999, 999999, 0},
        Case{"step 0", 0, 400, 1200, 3, 3, 0}, Case{"at most 99 notices", 1, 0, 5000, 0, 99, 99},
        Case{"the score held at 999999", 1000, 998000, 5000, 3, 4, 1}}) {
    system.m_nExtraLifeStep = c.step;
    record.nScore = c.before;
    record.nStageScore = c.stageScore;
    record.nLife = c.lives;
    shell.pauseLoops = 0;
    hooks.sounds.clear();
    AddTotals(scene);
    EXPECT_EQ(record.nScore, std::min(c.before + c.stageScore, 999999)) << c.name;
    EXPECT_EQ(record.nLife, c.livesAfter) << c.name;
    EXPECT_EQ(shell.pauseLoops, c.notices) << c.name;
    EXPECT_EQ(hooks.Count(15), c.notices) << c.name;
  }
}

TEST_F(StageEndTest, TheNoticeIsAThirtyFrameLoopAndAQuitEndsTheNotices) {
  system.m_bExtraLife = 1;
  system.m_nExtraLifeStep = 100;
  record.nScore = 0;
  record.nStageScore = 300;
  shell.runPauseLoops = true;
  AddTotals(scene);
  EXPECT_EQ(shell.presents, 3 * 30);
  EXPECT_EQ(scene.m_PauseReq.nKind, 4);

  // With the window asked to close, the first notice's loop ends at once and no other follows.
  scene.m_bQuit = 1;
  shell.pauseLoops = shell.closes = 0;
  record.nStageScore = 300;
  AddTotals(scene);
  EXPECT_EQ(shell.pauseLoops, 1);
  EXPECT_EQ(shell.closes, 1);
}

// ---- Rankings ----

class RankingTest : public StageEndTest {
 protected:
  void SetUp() override {
    StageEndTest::SetUp();
    ResetRanking(ranking);
    // Score (higher is better): 1000, 500, 100; clear time (lower is better): 40, 60, 80.
    Fill(0, {1000, 500, 100});
    Fill(2, {40, 60, 80});
    system.m_ModeRankings.VecAt(2).m_Genres = {1, 0, 1, 0, 0};
    record.nScore = 0;
    record.nStageScore = 600;
    scene.m_nClearTime = 60;
    scene.m_nTimeLeft = 0;
  }
  // A clear of the attempt: score 600, clear time 60 (the totals start at 0).
  void Clear() {
    record.nScore = record.nClearTimeTotal = 0;
    StageClear(scene);
  }
  void Fill(int genre, std::initializer_list<int> values) {
    for (int value : values) InsertRanking(ranking.Tables.VecAt(genre), "old", value);
  }
};

TEST_F(RankingTest, PlacesAreFoundForTheEnabledGenres) {
  Clear();
  EXPECT_EQ(hooks.Count(14), 1);
  EXPECT_EQ(scene.m_RankValue[0], 600);
  EXPECT_EQ(scene.m_RankValue[2], 60);
  // 600 goes after 1000; a clear time of 60 after its equal 60, behind 40.
  EXPECT_EQ(scene.m_RankPos, (std::array<int, 5>{1, -1, 2, -1, -1}));
  EXPECT_EQ(scene.m_bRanked, 1);

  // A genre whose counter switch the stage has off is not ranked.
  stage.m_CounterSwitches.VecAt(0) = 0;
  Clear();
  EXPECT_EQ(scene.m_RankPos[0], -1);
  EXPECT_EQ(scene.m_RankPos[2], 2);

  // In a test play no place is computed.
  shell.testPlay = true;
  Clear();
  EXPECT_EQ(scene.m_RankPos, (std::array<int, 5>{-1, -1, -1, -1, -1}));
  EXPECT_EQ(scene.m_bRanked, 0);
}

TEST_F(RankingTest, RegistrationHappensOnceWithTheDialogsOrTheFixedName) {
  cOptionData options;
  OptionData = &options;
  options.m_RankingName = "FIX";
  testsupport::TempDir dir;
  const fs::path previous = fs::current_path();
  fs::current_path(dir.Path());
  record.StageName = "data\\stg4\\Default.";
  for (const int mode : {0, 1}) {
    options.m_nRankingMode = mode;
    ResetRanking(ranking);
    Fill(0, {1000, 500, 100});
    shell.nameDialogs = shell.rankingLoops = 0;
    Clear();
    RegisterRanking(scene, shell);
    RegisterRanking(scene, shell);
    const std::string name = mode == 0 ? "ZAN" : "FIX";
    EXPECT_EQ(shell.nameDialogs, mode == 0 ? 1 : 0);
    EXPECT_EQ(scene.m_strRankName, name);
    EXPECT_EQ(ranking.Tables.VecAt(0).Entries.VecAt(1).EntryName, name);
    EXPECT_EQ(ranking.Tables.VecAt(0).Entries.VecAt(1).nValue, 600);
    EXPECT_EQ(ranking.Tables.VecAt(2).Entries.VecAt(0).nValue, 60);  // into the empty clear-time table
    EXPECT_EQ(shell.rankingLoops, 1);
    EXPECT_EQ(hooks.Count(16), mode + 1);
  }
  EXPECT_EQ(record.RankName, "ZAN");  // the dialog's name is kept for the next time
  fs::current_path(previous);
}

// ---- The clear screen ----

TEST_F(StageEndTest, TheClearScreenWaitsForItsBannerOrGoesOnByItself) {
  struct Case {
    const char* name;
    int caption, autoProceed;
    int leaveFrame;  // the frame in which the screen is left
  };
  // The counter grows by 4 per frame with the banner, to 200 at once without it.
  // Button 1 is pressed anew in every odd frame: only a press once the counter is at 200 leaves.
  for (const Case& c : {Case{"banner, auto-proceed", 1, 1, 51}, Case{"no banner, auto-proceed", 0, 1, 2},
                        Case{"banner, button 1", 1, 0, 51}, Case{"no banner, button 1", 0, 0, 3}}) {
    stage.m_bClearCaption = c.caption;
    stage.m_bQuickClear = c.autoProceed;
    scene.m_nState = PLAYSTATE_CLEAR;
    scene.m_nStep = 0;
    shell.nextScene = -1;
    int frame = 0;
    while (scene.m_nState == PLAYSTATE_CLEAR && frame < 100) {
      ++frame;
      Press(!c.autoProceed && frame % 2 == 1 ? 1 : 0);
      StateClear(scene, shell);
    }
    EXPECT_EQ(frame, c.leaveFrame) << c.name;
    EXPECT_EQ(scene.m_nState, PLAYSTATE_FADEOUT) << c.name;
    EXPECT_EQ(shell.nextScene, kSceneStagePlay) << c.name;  // free play without a series plays again
  }
}

// ---- What follows a clear ----

class ProceedTest : public StageEndTest {
 protected:
  void SetUp() override {
    StageEndTest::SetUp();
    previous = fs::current_path();
    fs::current_path(dir.Path());
    fs::create_directories("data/stg4");
    fs::create_directories("user_data/challenge");
    cStageData next = stage;
    next.m_strName = "next";
    ASSERT_EQ(next.SaveToFile("data\\stg4\\c01-2.stg4_695", {}), 1);
    ASSERT_EQ(next.SaveToFile("data\\stg4\\c01-2.stg4_696", {}), 1);
    map.nMapWidth = map.nMapHeight = 20;
    WorldMap = &map;
    system.m_nChallengeCount = 3;
  }
  void TearDown() override {
    fs::current_path(previous);
    WorldMap = nullptr;
    StageEndTest::TearDown();
  }

  testsupport::TempDir dir;
  fs::path previous;
  cWorldMap map;
};

TEST_F(ProceedTest, TheNextStageNameIsTheNewestVersionOfTheSeries) {
  record.StageName = "data\\stg4\\c01.";
  record.bSeriesStart = 1;
  scene.m_nNextStage = 2;
  std::string name;
  EXPECT_EQ(MakeNextStageName(scene, name, 2), 1);
  EXPECT_EQ(name, "data\\stg4\\c01-2.stg4_696");
  EXPECT_EQ(HasNoNextStage(scene, 2), 0);
  EXPECT_EQ(MakeNextStageName(scene, name, 3), 0);
  EXPECT_EQ(name, "");
  scene.m_nNextStage = 0;
  EXPECT_EQ(MakeNextStageName(scene, name, 2), 0);
  record.bSeriesStart = 0;
  scene.m_nNextStage = 2;
  EXPECT_EQ(HasNoNextStage(scene, 2), 1);
}

TEST_F(ProceedTest, EachPlayModeLeadsOnItsOwnWay) {
  cWorldStage entry;
  struct Case {
    const char* name;
    int playMode, series, nextStage, onClear;
    bool worldStage;
    int stageNo;
    int scene, seriesNoAfter;
  };
  const Case cases[] = {
      {"story, next stage found", 0, 1, 2, 0, true, 1, kSceneStagePlay, 2},
      {"story, next stage missing", 0, 1, 5, 0, true, 1, kSceneWorldMap, 1},
      {"story, world map", 1, 0, 2, 0, true, 1, kSceneWorldMap, 1},
      {"story, next lap", 0, 0, 0, 1, true, 1, kSceneWorldMap, 1},
      {"story, back to the title", 0, 0, 0, 2, true, 1, kSceneTitle, 1},
      {"story loaded without a map entry", 0, 0, 0, 2, false, 1, kSceneWorldMap, 1},
      {"challenge, next stage found", 2, 1, 2, 0, true, 1, kSceneStagePlay, 2},
      {"challenge, select", 2, 0, 0, 0, true, 2, kSceneChallengeSelect, 1},
      {"challenge outside the list", 2, 0, 0, 0, true, 9, kSceneChallengeSelect, 1},
      {"free, no series", 3, 0, 2, 0, true, 1, kSceneStagePlay, 1},
      {"free, series", 3, 1, 2, 0, true, 1, kSceneStagePlay, 2},
      {"free, series ends", 3, 1, 5, 0, true, 1, kSceneTitle, 1},
      {"replay", 4, 1, 2, 0, true, 1, kSceneStagePlay, 1},
      {"options", 5, 0, 0, 0, true, 1, kSceneChallengeSelect, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    record.ResetPlaySession();
    record.StageName = "data\\stg4\\c01.";
    record.bSeriesStart = c.series;
    record.nSeriesNo = 1;
    record.nStageNo = c.stageNo;
    record.nScore = 700;
    record.ClearList.resize(3);
    record.nChallengeOpen = 1;
    record.bStartPos = 1;
    record.nLap = 0;
    entry.nOnClear = c.onClear;
    record.lpWorldStage = c.worldStage ? &entry : nullptr;
    scene.m_nNextStage = c.nextStage;
    shell.playMode = c.playMode;
    MenuCursor.Current().nY = -1;
    stage.m_strName = "tiny";
    EXPECT_EQ(ProceedAfterClear(scene, shell), c.scene);
    EXPECT_EQ(record.nSeriesNo, c.seriesNoAfter);
    if (c.scene == kSceneStagePlay && c.nextStage && c.series && c.playMode != 4) {
      EXPECT_EQ(stage.m_strName, "next");
    }
    if (c.playMode <= 1 && c.scene != kSceneStagePlay) {
      EXPECT_EQ(record.Switch[c.stageNo], c.onClear == 1 ? 0 : 1);  // a new lap clears the switches
      EXPECT_EQ(record.GetStageScore("data\\stg4\\c01."), 700);
      EXPECT_EQ(record.nLap, c.onClear == 1 && c.worldStage ? 1 : 0);
      if (c.onClear == 2 && c.worldStage) {
        EXPECT_EQ(MenuCursor.Current().nY, c.playMode);
      }
    }
    if (c.playMode == 2 && c.scene == kSceneChallengeSelect) {
      const bool inList = c.stageNo <= 3;
      EXPECT_EQ(inList ? record.ClearList[c.stageNo - 1].bCleared : 0, inList ? 1 : 0);
      EXPECT_EQ(record.nChallengeOpen, inList ? 3 : 1);
      EXPECT_EQ(record.nBestTotal, inList ? 700 : 0);
      EXPECT_TRUE(fs::exists("user_data/challenge/Challenge.dat"));
    }
    if (c.playMode == 3 && !c.series) {
      EXPECT_EQ(record.bStartPos, 0);
    }
  }
}

// ---- The stage-clear command ----

TEST_F(ProceedTest, StageClearCommandSetsTheNextStageTheMapCursorAndTheStart) {
  struct Case {
    const char* name;
    std::vector<int> params;
    int nextStage, mapX, mapY, startPos, startDir;
  };
  scene.Hero().m_bRight = 1;
  const Case cases[] = {
      {"next of stage 3", {0, 0, 0, 0, 0, 0, 0, 0, 0}, 4, 5, 6, 0, 0},
      {"by number", {1, 7, 0, 0, 0, 0, 0, 0, 0}, 7, 5, 6, 0, 0},
      {"world cleared", {2, 7, 0, 0, 0, 0, 0, 0, 0}, 0, 5, 6, 0, 0},
      {"a mode beyond the table", {3, 7, 0, 0, 0, 0, 0, 0, 0}, 9, 5, 6, 0, 0},
      {"map cursor held on the map", {0, 0, 1, 99, -5, 0, 0, 0, 0}, 4, 19, 0, 0, 0},
      {"start facing left", {0, 0, 0, 0, 0, 1, 8, 3, 0}, 4, 5, 6, 1, 0},
      {"start facing as at the clear", {0, 0, 0, 0, 0, 1, 8, 3, 2}, 4, 5, 6, 1, 1},
  };
  for (const Case& c : cases) {
    record.nSeriesNo = 3;
    record.nMapX = 5;
    record.nMapY = 6;
    record.nStageCursor = 4;
    scene.m_nNextStage = 9;
    cFlowCommand def;
    def.m_vParams.assign(c.params.begin(), c.params.end());
    EXPECT_EQ(DoStageClear(scene.Hero(), def), 1) << c.name;
    EXPECT_EQ(scene.m_nNextStage, c.nextStage) << c.name;
    EXPECT_EQ(record.nMapX, c.mapX) << c.name;
    EXPECT_EQ(record.nMapY, c.mapY) << c.name;
    EXPECT_EQ(record.nStageCursor, c.params[2] ? 0 : 4) << c.name;
    EXPECT_EQ(record.bStartPos, c.startPos) << c.name;
    if (c.startPos) {
      EXPECT_EQ(record.nStartX, 8) << c.name;
      EXPECT_EQ(record.nStartY, 3) << c.name;
      EXPECT_EQ(record.nStartDir, c.startDir) << c.name;
    }
  }
  // The next set-up puts the hero at the start position with its facing.
  ASSERT_TRUE(SetStage(scene, 1, 0));
  EXPECT_EQ(static_cast<int>((scene.Hero().m_dX + scene.Hero().m_dRight) / 2) >> 5, 8 + 10);
  EXPECT_EQ(scene.Hero().m_bRight, 1);
}

}  // namespace
