#include "app/StageScene.h"

#include "app/PaletteCycle.h"
#include "app/Shell.h"
#include "app/TitleScene.h"
#include "gamedata/Database.h"
#include "gamedata/SaveData.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/input/MenuCursor.h"
#include "library/sound/Sound.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "platform/input/Input.h"
#include "records/StageData.h"
#include "stage/SpriteSource.h"
#include "stage/StageDraw.h"
#include "stage/StageResources.h"
#include "stage/StageSetup.h"

namespace {

constexpr int kFadeOutState = PLAYSTATE_FADEOUT;

}  // namespace

cStageScene::cStageScene() : m_pPlay(std::make_unique<cStagePlayScene>()) { m_pPlay->SetHooks(this); }

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

bool cStageScene::FlashColor(int kind, DWORD& color, int& colorOp) {
  if (kind < 0 || kind >= static_cast<int>(FlashColorTable.size())) return false;
  const FLASHCOLOR& flash = FlashColorTable[static_cast<size_t>(kind)];
  color = flash.dwColor;
  colorOp = flash.nDrawMode;
  return true;
}
