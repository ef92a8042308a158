#include "app/WorldMapScene.h"

#include <algorithm>
#include <string>

#include "app/FrontEnd.h"
#include "app/GlobalObjects.h"
#include "app/PaletteCycle.h"
#include "app/Shell.h"
#include "app/StorySaveScene.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "gamedata/panels/Panels.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/sound/Sound.h"
#include "library/text/Font.h"
#include "library/util/MainWindow.h"
#include "library/util/Sjis.h"
#include "records/StageLoader.h"

namespace {

constexpr int kSheetWindow = 45, kSheetAccessory = 49, kSheetChips = 52, kSheetIcons = 53, kSheetBack = 54,
              kSheetMap = 67;
constexpr int kSheets[] = {kSheetBack, kSheetChips, kSheetIcons, kSheetAccessory, kSheetWindow, kSheetMap};
constexpr int kViewOffsetX = 9, kViewOffsetY = 7;
constexpr int kKindStage = 0, kKindWall = 2;
constexpr int kStateMap = 1, kStateChoice = 2, kStateFadeOut = 3;
constexpr int kChoiceCentreX = 304, kChoiceY = 260, kChoiceTexts = 10;
constexpr int kRankingX = 367, kRankingY = 64, kRankingW = 272, kRankingH = 352;
constexpr int kInfoCentreX = 304;
constexpr int kFigureFrames = 80;

// The walking figure's frame counter runs for the whole program.
int figureCounter = 0;

bool IsStage(const cWorldStage* entry) { return entry && entry->nKind == kKindStage; }

// The chip type of a map cell, null for a cell value beyond the chip list.
const cMapChip* ChipAt(const cWorldMap& map, int column, int row) {
  column = std::clamp(column, 0, std::max(map.nMapWidth - 1, 0));
  row = std::clamp(row, 0, std::max(map.nMapHeight - 1, 0));
  const long long cell = (static_cast<long long>(row) << map.nPitch_Shift) + column;
  if (cell < 0 || cell >= static_cast<long long>(map.Cells.size())) return nullptr;
  const int chip = map.Cells[static_cast<size_t>(cell)];
  return chip >= 0 && chip < static_cast<int>(map.MapChips.size()) ? &map.MapChips[static_cast<size_t>(chip)] : nullptr;
}

bool StoryRankings() { return ModeRankingSwitch(GAMEMODE_STORY) != 0; }

}  // namespace

// ---- The rules of the map ----

SpritePos ChipSource(int graphic) { return {graphic % 5 * 32, graphic / 5 * 32}; }

SpritePos IconSource(int row, bool cleared) { return {cleared ? 32 : 0, 32 * row}; }

int NextFigureStep() {
  // Counts 0..79: the first half shows the left frame, the second the right.
  const int step = figureCounter >= kFigureFrames / 2 ? 32 : 0;
  if (++figureCounter == kFigureFrames) figureCounter = 0;
  return step;
}

LivesPlace LivesWindowPlace(int lives) {
  const int w = lives == UNLIMITED_LIVES ? 32 : 16 * (CountDigits(lives) + 1);
  return {621 - w, w};
}

StageInfoPlace StageInfoLayout(int nameChars, int scoreTextChars, int score, bool showScore) {
  StageInfoPlace place;
  const bool withScore = showScore && score > 0;
  place.y = withScore ? 184 : 204;
  place.nameW = 16 * nameChars;
  place.nameX = kInfoCentreX - 8 * nameChars;
  if (withScore) {
    place.scoreW = 16 * (scoreTextChars + CountDigits(score));
    place.scoreX = kInfoCentreX - place.scoreW / 2;
  }
  return place;
}

const cWorldStage* FindActiveEntry(const cWorld* world) {
  return world && PlayData ? FindCurrentStage(*world, *PlayData) : nullptr;
}

bool IsStageCleared(const cWorldStage* entry) {
  if (!entry || !PlayData) return false;
  const int number = entry->nClearSwitch;
  return number >= 0 && number < static_cast<int>(PlayData->Switch.size()) &&
         PlayData->Switch[static_cast<size_t>(number)] != 0;
}

bool IsEntryTaken(const cWorldStage* entry) { return entry && (entry->bNoAutoEntry || IsStageCleared(entry)); }

void PrepareStagePlay(const cWorldStage& entry) {
  const cSystemData& system = CurrentSystemData();
  if (StageData) PlayData->SetStageFileName(StageData->m_strPath.c_str());
  PlayData->nStageNo = entry.nClearSwitch;
  PlayData->nSeriesNo = 1;
  if (system.m_bLifeCarry)
    PlayData->nEntryLife = system.m_UnlimitedLives.VecAt(GAMEMODE_STORY) ? UNLIMITED_LIVES : PlayData->nLife + 1;
  else
    PlayData->nEntryLife = system.m_InitialLives.VecAt(GAMEMODE_STORY);
  PlayData->lpWorldStage = &entry;
}

// ---- The scene ----

cWorldMapScene::cWorldMapScene() {
  m_wButtonMask = 15;
  SetStates({[this] { UpdateMap(); }, [this] { UpdateStageSelect(); }});
}

cWorldMapScene::~cWorldMapScene() {
  for (int sheet : kSheets) DDReleaseSurface(&UserSD[sheet]);
  ClearSurfaceList(MenuSD, MenuDesc);
}

void cWorldMapScene::Enter() {
  SceneManager.RequestSceneBgm(BGMCAT_WORLDMAP);
  const cWorldMap& map = CurrentWorldMap();
  if (lpSurfaceDesc) lpSurfaceDesc[kSheetBack].szFileName = map.BgPictureName;
  if (!DDLoadSurfaces(UserSD, kSheets, static_cast<int>(std::size(kSheets)))) PostCloseToMainWindow();
  MenuCursor.ResetCursor();
  PlayData->CalcTotalScore();
  CURSORDATA& cursor = MenuCursor.Current();
  // A position from older data may lie outside a map made smaller since.
  cursor.nX = std::clamp(PlayData->nMapX, 0, std::max(map.nMapWidth - 1, 0));
  cursor.nY = std::clamp(PlayData->nMapY, 0, std::max(map.nMapHeight - 1, 0));
  cursor.nPosX = kMapCursorX;
  cursor.nPosY = kMapCursorY;
  SetViewFromCursor();
  m_nFacing = PlayData->nStageCursor;
  LookAtCursorCell();
  m_SavedCursor = cursor;
  m_nDeclinedX = m_nDeclinedY = -1;
  ClearSurfaceList(MenuSD, MenuDesc);
  if (DDAddSurface(MenuSD, MenuDesc, kRankingW, kRankingH, 1, 1, 0, 0))
    DrawRankingSurface();
  else
    PostCloseToMainWindow();
  if (IsStage(m_pEntry)) ShowStageInfo();
  if (PlayData->bAutoSave && PlayData->nSaveSlot >= 0 && SceneManager.m_nPrevScene == SCENE_STAGE_PLAY)
    SaveStoryOrRefuse(PlayData->nSaveSlot);
  RenderMap();
  m_nStep = 0;
}

void cWorldMapScene::LookAtCursorCell() {
  const CURSORDATA& cursor = MenuCursor.Current();
  m_pWorld = CurrentWorldMap().FindWorldAt(cursor.nX, cursor.nY);
  m_pEntry = FindActiveEntry(m_pWorld);
}

void cWorldMapScene::SetViewFromCursor() {
  m_nViewX = MenuCursor.Current().nX - kViewOffsetX;
  m_nViewY = MenuCursor.Current().nY - kViewOffsetY;
}

void cWorldMapScene::ShowStageInfo() {
  PlayData->SetStageFileName(m_pEntry->StageFile.c_str());
  m_nStageScore = PlayData->GetStageScore(PlayData->StageName);
  if (!SceneManager.m_bRanking || !RankingData) return;
  LoadRanking(*RankingData, SceneManager.GameMode, PlayData->StageName);
  PlayData->SelectRankingGenre(SceneManager.GameMode, 0);
  DrawRankingSurface();
}

void cWorldMapScene::DrawRankingSurface() {
  if (MenuSD.empty() || !RankingData) return;
  DrawRanking(*RankingData, &MenuSD.front(), 0, 0, PlayData->nRankGenre, -1, SceneManager.GameMode,
              IniSettings.English);
  MenuSD.front().bLost = 0;
}

void cWorldMapScene::RenderMap() {
  const cWorldMap& map = CurrentWorldMap();
  DDSURFACEDATA* surface = &UserSD[kSheetMap];
  DDFillSurface(surface, static_cast<DWORD>(map.nBgColor));
  if (map.bBgPicture) {
    const int sx = m_nViewX >= 0 ? 32 * m_nViewX : 0, dx = m_nViewX >= 0 ? 0 : -32 * m_nViewX;
    const int sy = m_nViewY >= 0 ? 32 * m_nViewY : 0, dy = m_nViewY >= 0 ? 0 : -32 * m_nViewY;
    DDBlt(surface, dx, dy, 640, 480, &UserSD[kSheetBack], sx, sy, 0);
  }
  DDBeginSpriteBatch(0);
  for (int row = 0; row < kMapViewRows; ++row)
    for (int column = 0; column < kMapViewColumns; ++column) {
      const int x = m_nViewX + column, y = m_nViewY + row;
      if (x < 0 || y < 0 || x >= map.nMapWidth || y >= map.nMapHeight) continue;
      const cMapChip* chip = ChipAt(map, x, y);
      if (!chip || chip->nChipPicture < 0) continue;
      const SpritePos source = ChipSource(chip->nChipPicture);
      DDBlt(surface, 32 * column, 32 * row, 32, 32, &UserSD[kSheetChips], source.x, source.y, 1);
    }
  DDEndSpriteBatch();
  DDBeginSpriteBatch(0);
  for (const cWorld& world : map.Worlds) {
    const int column = world.nWorldX - m_nViewX, row = world.nWorldY - m_nViewY;
    if (column < 0 || row < 0 || column >= kMapViewColumns || row >= kMapViewRows) continue;
    const cWorldStage* entry = FindActiveEntry(&world);
    if (!entry) continue;
    const SpritePos source = IconSource(entry->nIcon, IsStageCleared(entry));
    DDBlt(surface, 32 * column, 32 * row, 32, 32, &UserSD[kSheetIcons], source.x, source.y, 1);
  }
  DDEndSpriteBatch();
  m_nRenderedX = m_nViewX;
  m_nRenderedY = m_nViewY;
}

void cWorldMapScene::MoveMapCursor(CURSORDATA& cursor, WORD dir) {
  const cWorldMap& map = CurrentWorldMap();
  if (dir & KEYBIT_DIRS) {
    PlayData->nReturnX = cursor.nX;
    PlayData->nReturnY = cursor.nY;
    m_SavedCursor = cursor;
  }
  if (dir & KEYBIT_LEFT) {
    m_nFacing = FACING_LEFT;
    cursor.nX = std::max(cursor.nX - 1, 0);
  } else if (dir & KEYBIT_RIGHT) {
    m_nFacing = FACING_RIGHT;
    cursor.nX = std::min(cursor.nX + 1, map.nMapWidth - 1);
  } else if (dir & KEYBIT_UP) {
    m_nFacing = FACING_UP;
    cursor.nY = std::max(cursor.nY - 1, 0);
  } else if (dir & KEYBIT_DOWN) {
    m_nFacing = FACING_DOWN;
    cursor.nY = std::min(cursor.nY + 1, map.nMapHeight - 1);
  }
  LookAtCursorCell();
  const cMapChip* chip = ChipAt(map, cursor.nX, cursor.nY);
  const bool refused = m_pEntry ? m_pEntry->nKind == kKindWall : chip && chip->bImpassable;
  if (refused) {
    cursor = m_SavedCursor;
  } else {
    SetViewFromCursor();
    PlayData->nStageCursor = m_nFacing;
    if (m_nViewX != m_nRenderedX || m_nViewY != m_nRenderedY) RenderMap();
  }
  cursor.nPosX = kMapCursorX;
  cursor.nPosY = kMapCursorY;
}

void cWorldMapScene::OpenStageChoice() {
  PlayData->nMapX = MenuCursor.Current().nX;
  PlayData->nMapY = MenuCursor.Current().nY;
  MenuCursor.PushCursor(0);
  m_nStep = 0;
  m_nState = kStateChoice;
}

void cWorldMapScene::UpdateMap() {
  const WORD dir = FrontInput().m_wDir, buttons = FrontInput().m_wButton;
  CURSORDATA& cursor = MenuCursor.Current();
  MoveMapCursor(cursor, dir);
  if (cursor.nX != m_nDeclinedX || cursor.nY != m_nDeclinedY) m_nDeclinedX = m_nDeclinedY = -1;
  DS_PlayCursorSe(dir, 3, 0);
  LookAtCursorCell();
  if (IsStage(m_pEntry)) {
    if (cursor.nX != m_InfoCursor.nX || cursor.nY != m_InfoCursor.nY) {
      ShowStageInfo();
      m_InfoCursor = cursor;
    }
    // A stage stepped on for the first time offers itself at once.
    if (!IsEntryTaken(m_pEntry) && m_nDeclinedX < 0) return OpenStageChoice();
    if (buttons & kButton1) {
      if (m_pEntry->bReplayable || !IsStageCleared(m_pEntry)) OpenStageChoice();
      return;
    }
    ServeRankingButtons(buttons);
  }
  if (buttons & kButton2) {
    RequestSe(4);
    PlayData->nMapX = cursor.nX;
    PlayData->nMapY = cursor.nY;
    m_nStep = 0;
    SceneManager.m_nNextScene = SCENE_STORY_SAVE;
    m_nState = kStateFadeOut;
    return;
  }
  Draw(true);
}

void cWorldMapScene::ServeRankingButtons(WORD buttons) {
  const bool rankings = StoryRankings();
  if (buttons & kButton3) {
    if (rankings) {
      RequestSe(6);
      PlayData->bShowRanking = !PlayData->bShowRanking;
      DrawRankingSurface();
    } else if (PlayData->bShowRanking) {
      PlayData->bShowRanking = 0;
      DrawRankingSurface();
    }
  } else if ((buttons & kButton4) && rankings) {
    if (CurrentSystemData().CountRankingGenres(SceneManager.GameMode) >= 2) {
      RequestSe(6);
      PlayData->SelectRankingGenre(SceneManager.GameMode, 1);
    }
    DrawRankingSurface();
  }
}

void cWorldMapScene::CloseStageChoice() {
  if (IsEntryTaken(m_pEntry)) {
    MenuCursor.PopCursor(1);
  } else {
    // Back to the cell it came from, or the choice would open again at once;
    // with none to go back to, the choice waits for button 1 there.
    MenuCursor.PopCursor(1);
    CURSORDATA& cursor = MenuCursor.Current();
    if (cursor.nX == m_SavedCursor.nX && cursor.nY == m_SavedCursor.nY) {
      m_nDeclinedX = cursor.nX;
      m_nDeclinedY = cursor.nY;
    }
    cursor = m_SavedCursor;
  }
  m_nStep = 0;
  m_nState = kStateMap;
}

void cWorldMapScene::UpdateStageSelect() {
  if (m_nStep == 0) {
    RequestSe(1);
    m_bStageLoaded = m_pEntry && LoadStageForPlay(m_pEntry->StageFile, 1, StageDataOrg, PlayerContext());
    if (!m_bStageLoaded && m_pEntry) ShowStageLoadFailure(m_pEntry->StageFile);
    MenuCursor.Current().nY = 1;
    m_nStep = 1;
  }
  const WORD dir = FrontInput().m_wDir, buttons = FrontInput().m_wButton;
  const int left = CurrentSystemData().GetMenuTextLeft(kChoiceCentreX, kChoiceTexts, 2, 1);
  MenuCursor.MoveCursorGrid(dir, left, kChoiceY, 0, 16, 1, 2);
  DS_PlayCursorSe(dir, 2, 0);
  if (buttons & kButton1) {
    RequestSe(1);
    if (MenuCursor.Current().nY == 0 && m_bStageLoaded && m_pEntry) {
      PlayData->nStageCursor = m_nFacing;
      PrepareStagePlay(*m_pEntry);
      m_nStep = 0;
      SceneManager.m_nNextScene = SCENE_STAGE_PLAY;
      m_nState = kStateFadeOut;
      return;
    }
    return CloseStageChoice();
  }
  if (buttons & kButton2) {
    RequestSe(2);
    return CloseStageChoice();
  }
  ServeRankingButtons(buttons);
  Draw(true);
  DrawMenuText(left, kChoiceY, kChoiceTexts, 2, 1);
  const CURSORDATA& cursor = MenuCursor.Current();
  DrawSmallCursor(cursor.nPosX, cursor.nPosY);
}

bool cWorldMapScene::EnterStageByItself() {
  if (!LoadStageForPlay(m_pEntry->StageFile, 1, StageDataOrg, PlayerContext())) {
    ShowStageLoadFailure(m_pEntry->StageFile);
    PostCloseToMainWindow();
    return false;
  }
  PrepareStagePlay(*m_pEntry);
  PlayData->nReturnX = MenuCursor.Current().nX;
  PlayData->nReturnY = MenuCursor.Current().nY;
  m_nStep = 0;
  SceneManager.m_nNextScene = SCENE_STAGE_PLAY;
  m_nState = kStateFadeOut;
  return true;
}

void cWorldMapScene::FadeIn() {
  if (nBpp == 8) DrawRankingSurface();
  Draw(!PlayData->bReenter);
  if (!DDFadeIn(DispColorPalette, 0, 255, 0, 0, 0, SceneManager.m_nFadeSpeed, ColorPalette, false)) return;
  m_nState = kStateMap;
  if (!IsStage(m_pEntry)) return;
  if (PlayData->bReenter) {
    // Left the stage through its continue menu: an uncleared stage is not
    // entered again, the figure steps back to where it came from.
    PlayData->bReenter = 0;
    if (!IsStageCleared(m_pEntry)) {
      CURSORDATA& cursor = MenuCursor.Current();
      cursor.nX = PlayData->nReturnX;
      cursor.nY = PlayData->nReturnY;
      RenderMap();
    }
    return;
  }
  if (SceneManager.m_nPrevScene == SCENE_STORY_SAVE || IsEntryTaken(m_pEntry)) return;
  EnterStageByItself();
}

void cWorldMapScene::Leave() {
  Draw(true);
  CommonFadeOut(SCENE_WORLDMAP);
}

void cWorldMapScene::DrawFigure() {
  static constexpr SpritePos kFacingSource[] = {{0, 64}, {64, 64}, {64, 96}, {0, 96}};
  const SpritePos source = kFacingSource[std::clamp(m_nFacing, 0, 3)];
  const int step = NextFigureStep();
  DDBlt(&BackBuffer, kMapCursorX, kMapCursorY, 32, 32, &UserSD[kSheetAccessory], source.x + step, source.y, 1);
}

void cWorldMapScene::DrawLives() {
  const int lives = PlayData->nLife;
  const LivesPlace place = LivesWindowPlace(lives);
  Fonts[1].DrawWindow(&BackBuffer, place.x, 17, place.w, 20);
  DDBlt(&BackBuffer, place.x, 19, 16, 16, &UserSD[kSheetAccessory], 48, 0, 1);
  if (lives == UNLIMITED_LIVES)
    Fonts[1].Print(&BackBuffer, place.x + 16, 19, ShellText("∞"));
  else
    Fonts[1].Printf(&BackBuffer, place.x + 16, 19, "%d", lives);
}

void cWorldMapScene::DrawStageInfo() {
  if (StoryRankings() && PlayData->bShowRanking && !MenuSD.empty()) {
    if (MenuSD.front().bLost) DrawRankingSurface();
    DDBlt(&BackBuffer, kRankingX, kRankingY, kRankingW, kRankingH, &MenuSD.front(), 0, 0, 0);
  }
  const std::string& name = m_pEntry->StageCaption;
  const std::string_view scoreText = UiText(2);
  const bool showScore = CurrentSystemData().m_bStorySwitch[0] != 0;
  const StageInfoPlace place = StageInfoLayout(
      CountSjisChars(name.c_str()), CountSjisChars(std::string(scoreText).c_str()), m_nStageScore, showScore);
  if (!name.empty()) Fonts[1].PrintInWindow(&BackBuffer, place.nameX, place.y, place.nameW, 16, name, 0);
  if (place.scoreW > 0)
    Fonts[1].PrintfInWindow(&BackBuffer, place.scoreX, place.y + 20, place.scoreW, 16, "%s%d",
                            std::string(scoreText).c_str(), m_nStageScore);
}

void cWorldMapScene::Draw(bool showInfo) {
  DDSURFACEDATA* map = &UserSD[kSheetMap];
  if (map->bLost) {
    map->bLost = 0;
    RenderMap();
  }
  DDBlt(&BackBuffer, 0, 0, 640, 480, map, 0, 0, 0);
  DrawFigure();
  if (CurrentSystemData().m_bWorldMapLives) DrawLives();
  if (showInfo && IsStage(m_pEntry)) DrawStageInfo();
  CyclePaletteColors();
}
