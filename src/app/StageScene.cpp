#include "app/StageScene.h"

#include "app/PaletteCycle.h"
#include "app/Shell.h"
#include "gamedata/Database.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/input/KeyInput.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "platform/Input.h"
#include "records/StageData.h"
#include "stage/StageDraw.h"
#include "stage/StageResources.h"
#include "stage/StageSetup.h"

namespace {

constexpr int kFadeOutState = PLAYSTATE_FADEOUT;

}  // namespace

cStageScene::cStageScene() : m_pPlay(std::make_unique<cStagePlayScene>()) {}

cStageScene::~cStageScene() {
  if (CurrentPlayScene == m_pPlay.get()) CurrentPlayScene = nullptr;
  ReleaseStageResources(UserSD);
}

void cStageScene::Enter() {
  const bool reentry = SceneManager.m_nPrevScene == SCENE_STAGE_PLAY;
  if (StageData) PrepareBgLayerNames(*StageData, SurfaceDesc);
  if (!Database || !LoadStageResources(UserSD, *Database, reentry)) {
    ReportLogEc("stage play: the stage's surfaces cannot be loaded");
    PostCloseToMainWindow();
    return;
  }
  if (!SetStage(*m_pPlay, reentry, 1)) {
    ReportLogEc("stage play: the stage cannot be set up; back to the title");
    SceneManager.m_nNextScene = SCENE_TITLE;
    m_nState = kFadeOutState;
    return;
  }
  if (StageData && StageData->m_nFrameRate > 0) SceneManager.m_nFrameRate = StageData->m_nFrameRate;
}

// Stage play has its own frame body: no key repeat and no latched buttons;
// states 1, 2 and 6 are stage play's own, the pause, clear and continue
// menus (3 to 5) are not in this build and end the attempt.
void cStageScene::Run() {
  if (m_nState == -1) {
    Enter();
    if (m_nState == -1) m_nState = PLAYSTATE_FADEIN;
  }
  m_pPlay->m_nState = m_nState;
  const bool button1 = (KeyInputList.VecAt(0).m_wButton & 1) != 0;
  switch (m_nState) {
    case PLAYSTATE_FADEIN:
      FadeIn();
      break;
    case PLAYSTATE_START:
    case PLAYSTATE_PLAY:
    case PLAYSTATE_GAMEOVER:
      RunStageState(*m_pPlay, *this, button1);
      m_nState = m_pPlay->m_nState;
      break;
    case kFadeOutState:
      Leave();
      break;
    default:
      ReportLogEc("stage play: state %d is not in this build; back to the title", m_nState);
      SceneManager.m_nNextScene = SCENE_TITLE;
      m_nState = kFadeOutState;
      break;
  }
}

void cStageScene::FadeIn() {
  CommonFadeIn([this] { DrawStage(0, 1, 0, 1); });
}

void cStageScene::Leave() {
  if (m_nState != kFadeOutState) return;
  const int next = SceneManager.m_nNextScene;
  CommonFadeOut(SCENE_STAGE_PLAY);
  if (SceneManager.m_nScene == next && next != SCENE_STAGE_PLAY) SceneManager.m_nFrameRate = 60;
}

bool cStageScene::PauseKeyDown() { return (GetAsyncKeyState(VK_SPACE) & 0x8000) != 0; }

void cStageScene::DrawStage(int, int, int, int) {
  if (!StageData) return;
  DDFillSurface(&BackBuffer, 0);
  ScrollBgLayers(*StageData);
  DrawBgLayers(*m_pPlay, *StageData, &BackBuffer, 0);
  DrawBlocks(*m_pPlay, &BackBuffer, 0);
  DrawBlocks(*m_pPlay, &BackBuffer, 1);
  DrawBgLayers(*m_pPlay, *StageData, &BackBuffer, 1);
  CyclePaletteColors();
}

int cStageScene::FrameRate() const { return SceneManager.m_nFrameRate; }
bool cStageScene::DirectStart() const { return bFreeStageStart.load() != 0; }
void cStageScene::PostClose() { PostCloseToMainWindow(); }
