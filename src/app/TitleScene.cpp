#include "app/TitleScene.h"

#include <algorithm>
#include <string>

#include "app/FrontEnd.h"
#include "app/GlobalObjects.h"
#include "app/PaletteCycle.h"
#include "app/Shell.h"
#include "gamedata/SaveData.h"
#include "gamedata/SaveSlots.h"
#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"
#include "gamedata/panels/Panels.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "library/sound/Sound.h"
#include "library/text/Font.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "library/util/Path.h"
#include "library/util/Sjis.h"
#include "platform/Clock.h"
#include "records/StageLoader.h"

namespace {

constexpr int kSheetWindow = 45, kSheetTitle = 47, kSheetGameMode = 48, kSheetAccessory = 49;
constexpr int kSheets[] = {kSheetTitle, kSheetGameMode, kSheetAccessory, kSheetWindow};
constexpr int kMenuY = 240;
constexpr int kListX = 152, kListY = 160;
constexpr int kTitleStates = 2;  // main menu, continue list

// The title item kinds and the scene each one leads to.
constexpr int kNextScene[] = {SCENE_WORLDMAP,   SCENE_WORLDMAP,   SCENE_CHALLENGE_SELECT,
                              SCENE_STAGE_PLAY, SCENE_STAGE_PLAY, SCENE_OPTION};

std::string_view Caption(int kind) { return MenuCaption(CurrentSystemData().m_TitleMenu, kind); }

}  // namespace

cTitleScene::cTitleScene() {
  SetStates({[this] { UpdateMenu(); }, [this] { UpdateContinue(); }});
  static_assert(kTitleStates == 2);
}

cTitleScene::~cTitleScene() {
  for (int sheet : kSheets) DDReleaseSurface(&UserSD[sheet]);
  ClearSurfaceList(MenuSD, MenuDesc);
}

void cTitleScene::Enter() {
  SceneManager.RequestSceneBgm(BGMCAT_TITLE);
  if (!DDLoadSurfaces(UserSD, kSheets, static_cast<int>(std::size(kSheets)))) PostCloseToMainWindow();
  MenuCursor.ResetCursor();
  const cSystemData& system = CurrentSystemData();
  m_nItems = ShownMenuKinds(system.m_TitleMenu, m_Item);
  CURSORDATA& cursor = MenuCursor.Current();
  cursor.nY = SceneManager.PlayMode;
  for (int i = 0; i < m_nItems; ++i)
    if (m_Item[static_cast<size_t>(i)] == SceneManager.PlayMode) {
      cursor.nY = i;
      break;
    }
  m_nMenuX = 192;
  if (system.m_bTitleGraphic) m_nMenuX = 288 - UserSD[kSheetGameMode].nWidth / 2;
  BuildMenuSurface();
  m_nStep = 0;
}

void cTitleScene::BuildMenuSurface() {
  ClearSurfaceList(MenuSD, MenuDesc);
  const bool graphic = CurrentSystemData().m_bTitleGraphic != 0;
  int width = UserSD[kSheetGameMode].nWidth + 32;
  if (!graphic) {
    int longest = 0;
    for (int i = 0; i < m_nItems; ++i)
      longest = std::max(longest, CountSjisChars(std::string(Caption(m_Item[static_cast<size_t>(i)])).c_str()));
    width = 32 * longest + 34;
  }
  const int height = 32 * m_nItems + 2;
  if (!DDAddSurface(MenuSD, MenuDesc, width, height, 1, 1, 0, 0)) {
    PostCloseToMainWindow();
    return;
  }
  DDSURFACEDATA* menu = &MenuSD.front();
  if (graphic) {
    DDFillSurface(menu, 0);
    for (int k = 0; k < m_nItems; ++k)
      DDBlt(menu, 32, 32 * k, UserSD[kSheetGameMode].nWidth, 32, &UserSD[kSheetGameMode], 0,
            32 * m_Item[static_cast<size_t>(k)], 0);
  } else {
    DDDrawWindow(menu, 1, 1, width - 2, height - 2, &UserSD[kSheetWindow], 1, 240);
    for (int k = 0; k < m_nItems; ++k) Fonts[2].Print(menu, 32, 32 * k, Caption(m_Item[static_cast<size_t>(k)]));
  }
  menu->bLost = 0;
}

void cTitleScene::FadeIn() {
  if (nBpp == 8) BuildMenuSurface();
  CommonFadeIn([this] { Draw(); });
}

void cTitleScene::Leave() { CommonFadeOut(SCENE_TITLE); }

void cTitleScene::Draw() {
  DDBlt(&BackBuffer, 0, 0, 640, 480, &UserSD[kSheetTitle], 0, 0, 0);
  if (!MenuSD.empty()) {
    if (MenuSD.front().bLost) BuildMenuSurface();
    if (!MenuSD.empty())
      DDBlt(&BackBuffer, m_nMenuX, kMenuY, MenuSD.front().nWidth, MenuSD.front().nHeight, &MenuSD.front(), 0, 0, 1);
  }
  CyclePaletteColors();
}

void cTitleScene::UpdateMenu() {
  MenuCursor.MoveCursorGrid(FrontInput().m_wDir, m_nMenuX, kMenuY, 0, 32, 1, m_nItems);
  DS_PlayCursorSe(FrontInput().m_wDir, 2, 0);
  if (FrontInput().m_wButton & kButton1) {
    RequestSe(1);
    const int row = std::clamp(MenuCursor.Current().nY, 0, m_nItems - 1);
    Choose(m_Item[static_cast<size_t>(row)]);
    return;
  }
  Draw();
  const CURSORDATA& cursor = MenuCursor.Current();
  DDBlt(&BackBuffer, cursor.nPosX, cursor.nPosY, 32, 32, &UserSD[kSheetAccessory], 0, 0, 1);
}

void cTitleScene::Choose(int kind) {
  SceneManager.PlayMode = kind;
  const auto leaveFor = [this](int next) {
    SceneManager.m_nNextScene = next;
    m_nState = kTitleStates + 1;
  };
  switch (kind) {
    case PLAYMODE_NEW_STORY:
      SceneManager.GameMode = GAMEMODE_STORY;
      SceneManager.m_bRanking = ModeRankingSwitch(GAMEMODE_STORY);
      StartNewStory();
      leaveFor(kNextScene[kind]);
      break;
    case PLAYMODE_CONTINUE:
      SceneManager.GameMode = GAMEMODE_STORY;
      SceneManager.m_bRanking = ModeRankingSwitch(GAMEMODE_STORY);
      MenuCursor.PushCursor(0);
      m_nState = 2;
      m_nStep = 0;
      break;
    case PLAYMODE_CHALLENGE:
      SceneManager.GameMode = GAMEMODE_CHALLENGE;
      SceneManager.m_bRanking = ModeRankingSwitch(GAMEMODE_CHALLENGE);
      if (!PlayData->LoadChallenge(PlayerContext())) {
        PlayData->ResetPlaySession();
        PlayData->ClearList.assign(static_cast<size_t>(std::max(CurrentSystemData().m_nChallengeCount, 0)),
                                   cClearRecord{});
      }
      leaveFor(kNextScene[kind]);
      break;
    case PLAYMODE_FREE:
      SceneManager.GameMode = GAMEMODE_FREE;
      SceneManager.m_bRanking = ModeRankingSwitch(GAMEMODE_FREE);
      if (OpenStageFileDialog()) leaveFor(kNextScene[kind]);
      break;
    case PLAYMODE_REPLAY:
      SceneManager.GameMode = GAMEMODE_REPLAY;
      SceneManager.m_bRanking = ModeRankingSwitch(GAMEMODE_REPLAY);
      if (RequestLoadReplay()) leaveFor(kNextScene[kind]);
      break;
    case PLAYMODE_OPTION:
      leaveFor(kNextScene[kind]);
      break;
    case PLAYMODE_QUIT:
      PostCloseToMainWindow();
      break;
    default:
      break;
  }
}

void cTitleScene::UpdateContinue() {
  if (m_nStep == 0) {
    MenuCursor.Current() = CURSORDATA{};
    m_nListTop = 0;
    m_nStep = 1;
    ScanStorySlots(*SaveSlotList, PlayerContext());
  }
  const int slots = static_cast<int>(SaveSlotList->size());
  m_nListRows = std::min(slots, 10);
  MenuCursor.MoveCursorList(FrontInput().m_wDir, 1, m_nListTop, kListY, 16, kListX, m_nListRows, slots, TRUE);
  DS_PlayCursorSe(FrontInput().m_wDir, 3, 0);
  const int slot = MenuCursor.Current().nY;
  if (FrontInput().m_wButton & kButton1) {
    // A slot whose file no longer reads is refused like an empty one, and the
    // play record stays as it was.
    if (slot >= 0 && slot < slots && SaveSlotList->VecAt(slot).bUsed && PlayData->LoadStory(slot, PlayerContext())) {
      RequestSe(1);
      SceneManager.m_nNextScene = SCENE_WORLDMAP;
      m_nState = kTitleStates + 1;
    } else {
      RequestSe(3);
    }
    return;
  }
  if (FrontInput().m_wButton & kButton2) {
    RequestSe(2);
    MenuCursor.PopCursor(1);
    m_nState = 1;
    m_nStep = 0;
    return;
  }
  DDBlt(&BackBuffer, 0, 0, 640, 480, &UserSD[kSheetTitle], 0, 0, 0);
  CyclePaletteColors();
  DrawSaveSlotList(&BackBuffer, kListX, kListY, *SaveSlotList, m_nListTop, m_nListRows);
  const CURSORDATA& cursor = MenuCursor.Current();
  DDBlt(&BackBuffer, cursor.nPosX, cursor.nPosY, 16, 16, &UserSD[kSheetAccessory], 64, 0, 1);
}

// ---- Starting a play ----

bool OpenStageFileDialog() {
  bFileDlgDone = 0;
  SendMessage(hMainWnd.load(), WM_LOADSTAGEFILE, 0, 0);
  while (!bFileDlgDone.load()) Sleep(1);
  return bFileDlgResult.load() != 0;
}

bool RequestLoadReplay() {
  bFileDlgDone = 0;
  SendMessage(hMainWnd.load(), WM_LOADREPLAYFILE, 0, 0);
  while (!bFileDlgDone.load()) Sleep(1);
  return bFileDlgResult.load() != 0;
}

int StartStageFromFile(std::string_view path, int bNewest) {
  std::string name(path.substr(0, std::min<size_t>(path.size(), 260)));
  PlayData->ResetPlaySession();
  if (!LoadStageForPlay(name, bNewest, StageDataOrg, PlayerContext())) return 0;
  PlayData->nStageNo = 1;
  PlayData->nSeriesNo = 1;
  if (bFreeStageStart.load())
    PlayData->nEntryLife = PlayData->nLife = UNLIMITED_LIVES;
  else
    SetModeLives(GAMEMODE_FREE);
  MakeRelativePathStr(name);
  PlayData->SetStageFileName(name.c_str());
  return 1;
}

void StartNewStory() {
  PlayData->ResetPlaySession();
  PlayData->nMapX = CurrentWorldMap().nMapStartX;
  PlayData->nMapY = CurrentWorldMap().nMapStartY;
  PlayData->nLap = 0;
  SetModeLives(GAMEMODE_STORY);
}
