#include "app/ChallengeScene.h"

#include <algorithm>

#include "app/FrontEnd.h"
#include "app/GlobalObjects.h"
#include "app/PaletteCycle.h"
#include "app/Shell.h"
#include "gamedata/PathTable.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/panels/Panels.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/sound/Sound.h"
#include "library/text/Font.h"
#include "library/util/MainWindow.h"
#include "library/util/Sjis.h"
#include "library/util/Text.h"
#include "records/StageLoader.h"

namespace {

constexpr int kSheetWindow = 45, kSheetAccessory = 49;
constexpr int kSheets[] = {kSheetAccessory, kSheetWindow};
constexpr int kStateList = 1, kStateFadeOut = 2;
constexpr int kListX = 32, kListY = 160, kRowStep = 32, kPageRows = 10;
constexpr int kRankingX = 292, kRankingY = 108;
constexpr int kTextStage = 1, kTextHighScore = 3, kTextTotal = 4;
constexpr int kTitleChallengeItem = 2;

bool ChallengeRankings() { return ModeRankingSwitch(GAMEMODE_CHALLENGE) != 0; }

int Chars(std::string_view text) { return CountSjisChars(std::string(text).c_str()); }

}  // namespace

std::string ChallengeStageName(int n) {
  std::string name;
  StrFormat(name, "%s%02d-1.%s", PathTable[PATH_CHALLENGE_STAGE_PREFIX], n, ExtensionTable[EXT_STAGE]);
  return name;
}

cChallengeSelectScene::cChallengeSelectScene() {
  m_wButtonMask = 15;
  SetStates({[this] { UpdateSelect(); }});
}

cChallengeSelectScene::~cChallengeSelectScene() {
  for (int sheet : kSheets) DDReleaseSurface(&UserSD[sheet]);
  ClearSurfaceList(MenuSD, MenuDesc);
}

void cChallengeSelectScene::UpdateListWindow() {
  const cSystemData& system = CurrentSystemData();
  m_nStages = std::max(system.m_bAllChallenges ? system.m_nChallengeCount : PlayData->nChallengeOpen, 0);
  m_nListRows = std::clamp(m_nStages - m_nListTop, 0, kPageRows);
}

void cChallengeSelectScene::SelectChallengeStage(int n) {
  PlayData->SetStageFileName(ChallengeStageName(n).c_str());
  if (SceneManager.m_bRanking && RankingData) LoadRanking(*RankingData, SceneManager.GameMode, PlayData->StageName);
}

void cChallengeSelectScene::Enter() {
  SceneManager.RequestSceneBgm(BGMCAT_CHALLENGE);
  if (!DDLoadSurfaces(UserSD, kSheets, static_cast<int>(std::size(kSheets)))) PostCloseToMainWindow();
  MenuCursor.ResetCursor();
  MenuCursor.Current().nY = SceneManager.m_nChallengeRow;
  m_nListTop = SceneManager.m_nChallengeTop;
  UpdateListWindow();
  if (m_nStages > 0) SelectChallengeStage(MenuCursor.Current().nY + 1);
  ClearSurfaceList(MenuSD, MenuDesc);
  if (DDAddSurface(MenuSD, MenuDesc, 640, 480, 0, 1, 0, 0))
    DrawChallengeList();
  else
    PostCloseToMainWindow();
  m_nStep = 0;
}

void cChallengeSelectScene::FadeIn() {
  if (nBpp == 8) DrawChallengeList();
  CommonFadeIn([this] { Draw(); });
}

void cChallengeSelectScene::Leave() { CommonFadeOut(SCENE_CHALLENGE_SELECT); }

void cChallengeSelectScene::DrawChallengeList() {
  if (MenuSD.empty()) return;
  DDSURFACEDATA* page = &MenuSD.front();
  const cSystemData& system = CurrentSystemData();
  Fonts[2].DrawWindow(page, 1, 1, 638, 478);
  const std::string_view heading = MenuCaption(system.m_TitleMenu, kTitleChallengeItem);
  Fonts[2].Print(page, 320 - 16 * Chars(heading), 32, heading);
  const std::string total(UiText(kTextTotal));
  if (system.m_bChallengeSwitch[1] && PlayData->nBestTotal > 0) {
    const int w = 16 * (Chars(total) + CountDigits(PlayData->nBestTotal));
    Fonts[1].Printf(page, 320 - w / 2, 88, "%s%d", total.c_str(), PlayData->nBestTotal);
  }
  const bool scoreColumn = system.m_bChallengeSwitch[0] != 0;
  if (!PlayData->bShowRanking && scoreColumn)
    Fonts[2].Printf(page, 32, 128, "         %s", std::string(UiText(kTextHighScore)).c_str());
  UpdateListWindow();
  const std::string stage(UiText(kTextStage));
  const int markX = 32 * (Chars(stage) + 4);
  for (int k = 0; k < m_nListRows; ++k) {
    const int i = m_nListTop + k, y = kListY + kRowStep * k;
    Fonts[2].Printf(page, 64, y, "%s%d", stage.c_str(), i + 1);
    if (i >= static_cast<int>(PlayData->ClearList.size())) continue;
    const cClearRecord& record = PlayData->ClearList[static_cast<size_t>(i)];
    if (record.bCleared) DDBlt(page, markX, y, 32, 32, &UserSD[kSheetAccessory], 96, 0, 1);
    if (scoreColumn) Fonts[2].Printf(page, markX + 64, y, "%d", record.nBest);
  }
  if (ChallengeRankings() && PlayData->bShowRanking && RankingData)
    DrawRanking(*RankingData, page, kRankingX, kRankingY, PlayData->nRankGenre, -1, SceneManager.GameMode,
                IniSettings.English);
  page->bLost = 0;
}

void cChallengeSelectScene::Draw() {
  if (!MenuSD.empty()) {
    if (MenuSD.front().bLost) DrawChallengeList();
    DDBlt(&BackBuffer, 0, 0, 640, 480, &MenuSD.front(), 0, 0, 0);
  }
  CyclePaletteColors();
}

void cChallengeSelectScene::StartStage(int row) {
  const std::string name = ChallengeStageName(row + 1);
  if (!LoadStageForPlay(name, 1, StageDataOrg, PlayerContext())) {
    RequestSe(3);
    ShowStageLoadFailure(name);
    return;
  }
  RequestSe(1);
  PlayData->SetStageFileName(StageData->m_strPath.c_str());
  PlayData->nSeriesNo = 1;
  PlayData->nStageNo = row + 1;
  SetModeLives(GAMEMODE_CHALLENGE);
  PlayData->bSeriesStart = 1;
  SceneManager.m_nChallengeRow = row;
  SceneManager.m_nChallengeTop = m_nListTop;
  SceneManager.m_nNextScene = SCENE_STAGE_PLAY;
  SceneManager.m_nPrevScene = SCENE_CHALLENGE_SELECT;
  m_nState = kStateFadeOut;
}

void cChallengeSelectScene::ServeRankingButtons(WORD buttons) {
  if (buttons & kButton3) {
    if (!ChallengeRankings()) {
      PlayData->bShowRanking = 0;
      return;
    }
    RequestSe(6);
    PlayData->bShowRanking = !PlayData->bShowRanking;
    DrawChallengeList();
  } else if ((buttons & kButton4) && ChallengeRankings()) {
    if (CurrentSystemData().CountRankingGenres(SceneManager.GameMode) >= 2) {
      RequestSe(6);
      PlayData->SelectRankingGenre(SceneManager.GameMode, 1);
    }
    DrawChallengeList();
  }
}

void cChallengeSelectScene::UpdateSelect() {
  const WORD dir = FrontInput().m_wDir, buttons = FrontInput().m_wButton;
  UpdateListWindow();
  CURSORDATA& cursor = MenuCursor.Current();
  MenuCursor.MoveCursorList(dir, 1, m_nListTop, kListY, kRowStep, kListX, m_nListRows, m_nStages, TRUE);
  DS_PlayCursorSe(dir, 3, 0);
  // With no stage open the list is empty, and only going back acts.
  const bool listed = m_nStages > 0;
  if (listed && (dir & KEYBIT_DIRS)) {
    SelectChallengeStage(cursor.nY + 1);
    DrawChallengeList();
  }
  if (listed && (buttons & kButton1)) return StartStage(cursor.nY);
  if (buttons & kButton2) {
    RequestSe(2);
    SceneManager.m_nNextScene = SCENE_TITLE;
    SceneManager.m_nPrevScene = SCENE_CHALLENGE_SELECT;
    m_nState = kStateFadeOut;
    return;
  }
  if (listed) ServeRankingButtons(buttons);
  Draw();
  if (listed) DrawLargeCursor(cursor);
}
