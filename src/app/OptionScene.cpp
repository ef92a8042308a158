#include "app/OptionScene.h"

#include <algorithm>
#include <string>

#include "app/FrontEnd.h"
#include "app/GlobalObjects.h"
#include "app/PaletteCycle.h"
#include "app/Shell.h"
#include "gamedata/OptionData.h"
#include "gamedata/PathTable.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/sound/Bgm.h"
#include "library/sound/Sound.h"
#include "library/text/Font.h"
#include "library/util/MainWindow.h"
#include "library/util/Sjis.h"
#include "platform/Clock.h"

namespace {

constexpr int kSheetWindow = 45, kSheetAccessory = 49;
constexpr int kSheets[] = {kSheetAccessory, kSheetWindow};
constexpr int kStateMenu = 1, kStateFadeOut = 2;
constexpr int kCursorX = 48, kItemsY = 96, kCaptionX = 64, kValueX = 208, kEditCursorX = 192;
constexpr int kTitleOptionItem = 5;

// The value an item shows beside its caption.
std::string ShownValue(const cOptionData& options, int kind) {
  switch (kind) {
    case OPTION_PALETTE:
      return std::to_string(options.m_nPaletteVariant);
    case OPTION_MUSIC:
      return options.m_bMusicOn ? "ON" : "OFF";
    case OPTION_VOLUME:
      return std::to_string(options.m_nVolume);
    case OPTION_RANKING_MODE: {
      const auto& names = CurrentSystemData().m_RankingModeNames;
      const int mode = options.m_nRankingMode;
      return mode >= 0 && mode < static_cast<int>(names.size()) ? names[static_cast<size_t>(mode)] : std::string();
    }
    case OPTION_RANKING_NAME:
      return options.m_RankingName;
    default:
      return {};
  }
}

// Asks the window thread for the name dialog and waits until it is closed.
void EnterRankingName() {
  bNameEntryDone = 0;
  SendMessage(hMainWnd.load(), WM_NAMEENTRY, 0, 0);
  while (!bNameEntryDone.load()) Sleep(1);
}

}  // namespace

OptionValueRef OptionValueOf(cOptionData& options, int kind) {
  switch (kind) {
    case OPTION_PALETTE:
      return {&options.m_nPaletteVariant, 0, PALETTE_VARIANT_COUNT - 1};
    case OPTION_MUSIC:
      return {&options.m_bMusicOn, 0, 1};
    case OPTION_VOLUME:
      return {&options.m_nVolume, 0, MAX_VOLUME};
    case OPTION_RANKING_MODE:
      return {&options.m_nRankingMode, 0, RANKING_MODE_MAX};
    default:
      return {};
  }
}

int StepOptionValue(int value, int min, int max, WORD dir) {
  const auto wrap = [min, max](int v) { return v > max ? min : v < min ? max : v; };
  if (dir & KEYBIT_UP) value = wrap(value + 1);
  if (dir & KEYBIT_DOWN) value = wrap(value - 1);
  return value;
}

void ApplySoundVolume(int volume) {
  const int level = VolumeTable[static_cast<size_t>(std::clamp(volume, 0, MAX_VOLUME))];
  for (SOUNDDATA& sound : SoundList)
    if (!sound.buffers.empty()) DS_SetVolume(sound, 0, level, 0);
}

void ApplyMusicSwitch() {
  if (!BgmPlayer.IsOn() && OptionData->m_bMusicOn) {
    BgmPlayer.UnInit();
    BgmPlayer.Init(1, DefaultBgmOgg, DefaultBgmMid, 5);
    SceneManager.m_nTune = 0;
  } else if (BgmPlayer.IsOn() && !OptionData->m_bMusicOn) {
    BgmPlayer.UnInit();
    SceneManager.m_nTune = 0;
  }
}

cOptionScene::cOptionScene() {
  SetStates({[this] { UpdateMenu(); }});
}

cOptionScene::~cOptionScene() {
  for (int sheet : kSheets) DDReleaseSurface(&UserSD[sheet]);
  ClearSurfaceList(MenuSD, MenuDesc);
}

void cOptionScene::Enter() {
  SceneManager.RequestSceneBgm(BGMCAT_OPTION);
  if (!DDLoadSurfaces(UserSD, kSheets, static_cast<int>(std::size(kSheets)))) PostCloseToMainWindow();
  MenuCursor.ResetCursor();
  // Six kinds have a meaning; further entries of a project are left out.
  m_nItems = ShownMenuKinds(CurrentSystemData().m_OptionMenu, m_Item);
  CreateSurface();
  m_nStep = 0;
}

void cOptionScene::CreateSurface() {
  ClearSurfaceList(MenuSD, MenuDesc);
  if (!DDAddSurface(MenuSD, MenuDesc, 640, 480, 0, 1, 0, 0)) {
    PostCloseToMainWindow();
    return;
  }
  DrawItems();
}

void cOptionScene::DrawItems() {
  if (MenuSD.empty()) return;
  DDSURFACEDATA* page = &MenuSD.front();
  const cSystemData& system = CurrentSystemData();
  Fonts[2].DrawWindow(page, 1, 1, 638, 478);
  const std::string heading(MenuCaption(system.m_TitleMenu, kTitleOptionItem));
  Fonts[2].Printf(page, 320 - 16 * CountSjisChars(heading.c_str()), 32, "%s", heading.c_str());
  for (int k = 0; k < m_nItems; ++k) {
    const int kind = m_Item[static_cast<size_t>(k)], y = kItemsY + 16 * k;
    Fonts[1].Print(page, kCaptionX, y, MenuCaption(system.m_OptionMenu, kind));
    Fonts[1].Print(page, kValueX, y, ShownValue(*OptionData, kind));
  }
  page->bLost = 0;
}

void cOptionScene::Draw() {
  if (!MenuSD.empty()) {
    if (MenuSD.front().bLost) DrawItems();
    DDBlt(&BackBuffer, 0, 0, 640, 480, &MenuSD.front(), 0, 0, 0);
  }
  CyclePaletteColors();
}

void cOptionScene::FadeIn() {
  if (nBpp == 8) DrawItems();
  CommonFadeIn([this] { Draw(); });
}

void cOptionScene::Leave() {
  if (!CommonFadeOut(SCENE_OPTION, false)) return;
  ApplyMusicSwitch();
  OptionData->SaveToFile(PathTable[PATH_OPTION], PlayerContext());
  MenuCursor.ResetCursor();
}

void cOptionScene::UpdateMenu() {
  if (m_nStep == 0) {
    MenuCursor.Current() = CURSORDATA{};
    m_nStep = 1;
  }
  if (m_nStep == 2) return EditValue();
  MenuCursor.MoveCursorGrid(FrontInput().m_wDir, kCursorX, kItemsY, 0, 16, 1, m_nItems);
  DS_PlayCursorSe(FrontInput().m_wDir, 2, 0);
  if (FrontInput().m_wButton & kButton1) return ChooseItem();
  if (FrontInput().m_wButton & kButton2) {
    RequestSe(2);
    SceneManager.m_nNextScene = SCENE_TITLE;
    m_nStep = 0;
    m_nState = kStateFadeOut;
    return;
  }
  Draw();
  DrawSmallCursor(MenuCursor.Current().nPosX, MenuCursor.Current().nPosY);
}

void cOptionScene::ChooseItem() {
  RequestSe(1);
  m_nEditKind = m_Item[static_cast<size_t>(std::clamp(MenuCursor.Current().nY, 0, m_nItems - 1))];
  if (m_nEditKind == OPTION_RANKING_NAME) {
    EnterRankingName();
    DrawItems();
    Draw();
    DrawSmallCursor(MenuCursor.Current().nPosX, MenuCursor.Current().nPosY);
    return;
  }
  if (m_nEditKind == OPTION_BACK) {
    SceneManager.m_nNextScene = SCENE_TITLE;
    m_nStep = 0;
    m_nState = kStateFadeOut;
    return;
  }
  const OptionValueRef ref = OptionValueOf(*OptionData, m_nEditKind);
  if (!ref.value) return;
  m_pValue = ref.value;
  m_nMin = ref.min;
  m_nMax = ref.max;
  m_nOldValue = *m_pValue;
  MenuCursor.PushCursor(0);
  m_nStep = 2;
}

void cOptionScene::ApplyEditedValue() {
  if (m_nEditKind == OPTION_PALETTE) LoadHbtPalette(*m_pValue);
  if (m_nEditKind == OPTION_VOLUME) ApplySoundVolume(*m_pValue);
}

void cOptionScene::EditValue() {
  const WORD dir = FrontInput().m_wDir, buttons = FrontInput().m_wButton;
  for (WORD direction : {KEYBIT_UP, KEYBIT_DOWN}) {
    if (!(dir & direction)) continue;
    *m_pValue = StepOptionValue(*m_pValue, m_nMin, m_nMax, direction);
    ApplyEditedValue();
    DrawItems();
  }
  DS_PlayCursorSe(dir, 2, 0);
  if (buttons & kButton1) {
    RequestSe(1);
    MenuCursor.PopCursor(1);
    m_nStep = 1;
    return;
  }
  if (buttons & kButton2) {
    RequestSe(2);
    *m_pValue = m_nOldValue;
    ApplyEditedValue();
    MenuCursor.PopCursor(1);
    m_nStep = 1;
    DrawItems();
    return;
  }
  Draw();
  const CURSORDATA* item = MenuCursor.Below();
  DrawInactiveCursor(item->nPosX, item->nPosY);
  DrawSmallCursor(kEditCursorX, item->nPosY);
}
