#include "app/StageScene.h"

#include "app/GlobalObjects.h"
#include "app/PaletteCycle.h"
#include "app/Shell.h"
#include "app/TitleScene.h"
#include "gamedata/Database.h"
#include "gamedata/SaveData.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "library/sound/Sound.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "platform/Clock.h"
#include "platform/input/Input.h"
#include "records/StageData.h"
#include "stage/PauseLoop.h"
#include "stage/SpriteSource.h"
#include "stage/StageClear.h"
#include "stage/StageDraw.h"
#include "stage/StageResources.h"
#include "stage/StageSetup.h"

namespace {

constexpr int kFadeOutState = PLAYSTATE_FADEOUT;

}  // namespace

cStageScene::cStageScene() : m_pPlay(std::make_unique<cStagePlayScene>()) {
  m_pPlay->SetHooks(this);
  m_pPlay->m_pShell = this;
}

cStageScene::~cStageScene() {
  if (CurrentPlayScene == m_pPlay.get()) CurrentPlayScene = nullptr;
  m_pPlay->ReleasePictures();
  m_pPlay->ReleaseMessageSurfaces();
  ReleaseStageResources(UserSD);
}

void cStageScene::Enter() {
  const bool reentry = SceneManager.m_nPrevScene == SCENE_STAGE_PLAY;
  SelectWorkSurfaces(IniSettings.DD_VideoStretch);
  m_pPlay->m_bTestPlayOnFile = TestPlay() && DirectStart();
  if (StageData) PrepareBgLayerNames(*StageData, SurfaceDesc);
  if (!Database || !LoadStageResources(UserSD, *Database, reentry)) {
    ReportLogEc("stage play: the stage's surfaces cannot be loaded");
    PostCloseToMainWindow();
    return;
  }
  if (!reentry && PlayData) {
    ResetPlay(*m_pPlay, *PlayData, DirectStart());
    LoseLife(*PlayData, DirectStart());
  }
  if (!SetStage(*m_pPlay, reentry, 1)) {
    ReportLogEc("stage play: the stage cannot be set up; back to the title");
    SceneManager.m_nNextScene = SCENE_TITLE;
    m_nState = kFadeOutState;
    return;
  }
  // The stage's music replaced the menus' tune: the next menu starts its own again.
  SceneManager.m_nTune = 0;
  if (StageData && StageData->m_nFrameRate > 0) SceneManager.m_nFrameRate = StageData->m_nFrameRate;
  MenuCursor.ResetCursor();
  m_pPlay->m_nStep = 0;
}

// Stage play has its own frame body: its menus apply key repeat and the
// button latch themselves, and play reads the keys as they are.
void cStageScene::Run() {
  if (m_nState == -1) {
    Enter();
    if (m_nState == -1) m_nState = PLAYSTATE_FADEIN;
  }
  m_pPlay->m_nState = m_nState;
  switch (m_nState) {
    case PLAYSTATE_FADEIN:
      FadeIn();
      break;
    case kFadeOutState:
      Leave();
      break;
    default:
      RunStageState(*m_pPlay, *this);
      m_nState = m_pPlay->m_nState;
      break;
  }
}

void cStageScene::FadeIn() {
  CommonFadeIn([this] { DrawStage(0, 1, 0, 1); });
}

// At the end of the fade a free play without a stage series loads its stage
// file again as a new play, whatever scene follows.
void cStageScene::Leave() {
  DrawStage(0, 1, 0, 1);
  if (!CommonFadeOut(SCENE_STAGE_PLAY)) return;
  if (SceneManager.PlayMode == PLAYMODE_FREE && PlayData && !PlayData->bSeriesStart && StageData &&
      !StartStageFromFile(StageData->m_strPath, 0))
    PostCloseToMainWindow();
  SceneManager.m_nFrameRate = 60;
  m_nState = -1;
}

bool cStageScene::PauseKeyDown() { return (GetAsyncKeyState(VK_SPACE) & 0x8000) != 0; }

void cStageScene::DrawStage(int bPlaying, int bFrozen, int bTimeWarn, int bFooter) {
  ::DrawStage(*m_pPlay, *this, bPlaying, bFrozen, bTimeWarn, bFooter);
}

int cStageScene::FrameRate() const { return SceneManager.m_nFrameRate; }
bool cStageScene::DirectStart() const { return bFreeStageStart.load() != 0; }
bool cStageScene::TestPlay() const { return bTestPlay.load() != 0; }
int cStageScene::PlayMode() const { return SceneManager.PlayMode; }
int cStageScene::GameMode() const { return SceneManager.GameMode; }
void cStageScene::SetNextScene(int scene) { SceneManager.m_nNextScene = scene; }
void cStageScene::PlayCursorSe(WORD dir) { DS_PlayCursorSe(dir, 2, 0); }
void cStageScene::CyclePalette() { CyclePaletteColors(); }
void cStageScene::PostClose() { PostCloseToMainWindow(); }
void cStageScene::RequestSe(int sound) { ::RequestSe(sound); }
void cStageScene::RequestDbSe(int sound) { ::RequestDbSe(sound); }
void cStageScene::PlayStageBgm(int tune) {
  SendMessage(hMainWnd.load(), WM_PLAYBGM, BGMCAT_STAGE, static_cast<LPARAM>(tune));
}

bool cStageScene::KeyDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

// The game thread waits here until the window thread's dialog has ended.
void cStageScene::SaveReplay(int slot) {
  bFileDlgDone = 0;
  SendMessage(hMainWnd.load(), WM_SAVEREPLAYFILE, static_cast<WPARAM>(slot), 0);
  while (!bFileDlgDone.load()) Sleep(1);
}

namespace {

struct ModalJob {
  cStagePlayScene* scene;
  cStageShell* shell;
  ModalLoop loop;
  int result = 0;
};

unsigned ModalLoopProc(void* argument) {
  auto& job = *static_cast<ModalJob*>(argument);
  job.result = job.loop == ModalLoop::Pause ? PauseThreadProc(*job.scene, *job.shell)
                                            : RankingThreadProc(*job.scene, *job.shell);
  return static_cast<unsigned>(job.result);
}

}  // namespace

// The loop runs on a thread of its own, so that the game thread's random
// state stays untouched by what the loop draws; this thread waits for it.
int cStageScene::RunModalLoop(ModalLoop loop) {
  cThread& thread = loop == ModalLoop::Pause ? thPause : thRanking;
  ModalJob job{m_pPlay.get(), this, loop};
  if (!thread.Start(ModalLoopProc, &job)) return 0;
  thread.PostStart();
  thread.Wait();
  return job.result;
}

void cStageScene::WaitNextFrame() { SceneManager.WaitNextFrame(); }
bool cStageScene::RestoreLostSurfaces() { return SceneManager.RestoreLostSurfaces(); }
void cStageScene::PresentFrame() { SceneManager.PresentFrame(); }
void cStageScene::ReadInput(cCheckedVector<cKeyInput>& input) { ReadInputDevices(input); }
bool cStageScene::AppActive() const { return bAppActive.load() != 0; }

bool cStageScene::TakeQuitMessage() {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) return true;
  return false;
}

void cStageScene::PostQuitToSelf() { PostQuitMessage(0); }
bool cStageScene::RankingOn() const { return SceneManager.m_bRanking != 0; }

// The window thread's dialog edits the play record's ranking name.
void cStageScene::EnterRankingName(std::string& name) {
  if (!PlayData) return;
  PlayData->RankName = name;
  bNameEntryDone = 0;
  SendMessage(hMainWnd.load(), WM_NAMEENTRY, 0, 0);
  while (!bNameEntryDone.load()) Sleep(1);
  name = PlayData->RankName;
}

DWORD cStageScene::RealTimeMs() const { return platform::RealTimeMs(); }
bool cStageScene::English() const { return IniSettings.English != 0; }
const cLoadContext& cStageScene::LoadContext() const { return PlayerContext(); }

bool cStageScene::FlashColor(int kind, DWORD& color, int& colorOp) {
  if (kind < 0 || kind >= static_cast<int>(FlashColorTable.size())) return false;
  const FLASHCOLOR& flash = FlashColorTable[static_cast<size_t>(kind)];
  color = flash.dwColor;
  colorOp = flash.nDrawMode;
  return true;
}
