#include "app/StorySaveScene.h"

#include <algorithm>
#include <string>

#include "app/FrontEnd.h"
#include "app/GlobalObjects.h"
#include "app/PaletteCycle.h"
#include "app/Shell.h"
#include "gamedata/SaveData.h"
#include "gamedata/SaveSlots.h"
#include "gamedata/panels/Panels.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/sound/Sound.h"
#include "library/text/Font.h"
#include "library/util/MainWindow.h"
#include "library/util/Sjis.h"

namespace {

constexpr int kSheetWindow = 45, kSheetAccessory = 49, kSheetSymbol = 50;
constexpr int kSheets[] = {kSheetWindow, kSheetSymbol, kSheetAccessory};
constexpr int kStateTop = 1, kStateSlots = 2, kStateAutoSave = 3, kStateBack = 4, kStateExit = 5, kStateFadeOut = 6;
constexpr int kMenuX = 264, kMenuY = 192;
constexpr int kListX = 152, kListY = 160, kListRows = 10;
constexpr int kCentreX = 320, kTotalY = 260, kConfirmY = 400, kChoiceY = 224, kNoticeY = 232;
constexpr int kTextTotal = 4, kTextConfirm = 12, kTextAutoSave = 14, kTextNoSlot = 16, kTextExit = 17;

void FillBackground() { DDFillSurface(&BackBuffer, 16); }

// A two-line choice of UI texts centred on x 320 at y: the cursor moves over it
// and its left edge is returned.
int MoveOverChoice(int firstText, int y) {
  const int left = CurrentSystemData().GetMenuTextLeft(kCentreX, firstText, 2, 1);
  MenuCursor.MoveCursorGrid(FrontInput().m_wDir, left, y, 0, 16, 1, 2);
  DS_PlayCursorSe(FrontInput().m_wDir, 2, 0);
  return left;
}

void DrawChoice(int left, int firstText, int y) {
  FillBackground();
  DrawMenuText(left, y, firstText, 2, 1);
  DrawSmallCursor(MenuCursor.Current().nPosX, MenuCursor.Current().nPosY);
}

}  // namespace

int SaveStoryOrRefuse(int slot) {
  int error = 0;
  if (PlayData->SaveStory(slot, PlayerContext(), &error)) return 1;
  RequestSe(3);
  ShowStorySaveFailure(slot, error);
  return 0;
}

cStorySaveScene::cStorySaveScene() {
  SetStates({[this] { UpdateTopMenu(); }, [this] { UpdateSaveSlots(); }, [this] { UpdateAutoSave(); },
             [this] { BackToWorldMap(); }, [this] { UpdateExitMenu(); }});
  m_nStep = 0;
}

cStorySaveScene::~cStorySaveScene() {
  for (int sheet : kSheets) DDReleaseSurface(&UserSD[sheet]);
}

void cStorySaveScene::Enter() {
  SceneManager.RequestSceneBgm(BGMCAT_WORLDMAP);
  if (!DDLoadSurfaces(UserSD, kSheets, static_cast<int>(std::size(kSheets)))) PostCloseToMainWindow();
  // Four kinds have a state each; a project's further entries are left out.
  m_nItems = ShownMenuKinds(CurrentSystemData().m_SaveMenu, m_Item);
  MenuCursor.ResetCursor();
}

void cStorySaveScene::FadeIn() {
  CommonFadeIn([this] {
    Draw();
    DrawSmallCursor(kMenuX, kMenuY);
  });
}

void cStorySaveScene::Leave() { CommonFadeOut(SCENE_STORY_SAVE, false); }

void cStorySaveScene::Draw() {
  const cSystemData& system = CurrentSystemData();
  FillBackground();
  int longest = 0;
  for (int k = 0; k < m_nItems; ++k)
    longest = std::max(
        longest, CountSjisChars(std::string(MenuCaption(system.m_SaveMenu, m_Item[static_cast<size_t>(k)])).c_str()));
  DDDrawWindow(&BackBuffer, kMenuX, kMenuY, 16 * (longest + 1), 16 * m_nItems, &UserSD[kSheetWindow], 1, 240);
  for (int k = 0; k < m_nItems; ++k)
    Fonts[1].Print(&BackBuffer, kMenuX + 16, kMenuY + 16 * k,
                   MenuCaption(system.m_SaveMenu, m_Item[static_cast<size_t>(k)]));
  const int total = PlayData->nBestTotal;
  if (system.m_bStorySwitch[1] && total > 0) {
    const std::string text(UiText(kTextTotal));
    const int w = 16 * (CountSjisChars(text.c_str()) + CountDigits(total));
    const int x = kCentreX - w / 2;
    Fonts[1].DrawWindow(&BackBuffer, x, kTotalY, w, 16);
    Fonts[1].Printf(&BackBuffer, x, kTotalY, "%s%d", text.c_str(), total);
  }
  CyclePaletteColors();
}

void cStorySaveScene::UpdateTopMenu() {
  MenuCursor.MoveCursorGrid(FrontInput().m_wDir, kMenuX, kMenuY, 0, 16, 1, m_nItems);
  DS_PlayCursorSe(FrontInput().m_wDir, 2, 0);
  if (FrontInput().m_wButton & kButton1) {
    RequestSe(1);
    const int row = std::clamp(MenuCursor.Current().nY, 0, m_nItems - 1);
    m_nState = m_Item[static_cast<size_t>(row)] + kStateSlots;
    MenuCursor.PushCursor(0);
    return;
  }
  if (FrontInput().m_wButton & kButton2) {
    RequestSe(2);
    m_nState = kStateBack;
    return;
  }
  Draw();
  DrawSmallCursor(MenuCursor.Current().nPosX, MenuCursor.Current().nPosY);
}

void cStorySaveScene::CloseToTopMenu() {
  MenuCursor.PopCursor(1);
  m_nStep = 0;
  m_nState = kStateTop;
}

void cStorySaveScene::DrawSlotList() {
  FillBackground();
  DrawSaveSlotList(&BackBuffer, kListX, kListY, *SaveSlotList, m_nListTop, m_nListRows);
}

void cStorySaveScene::UpdateSaveSlots() {
  if (m_nStep == 0) {
    MenuCursor.Current() = CURSORDATA{};
    MenuCursor.Current().nY = PlayData->nSaveSlot;
    m_nStep = 1;
    ScanStorySlots(*SaveSlotList, PlayerContext());
    m_nListRows = std::min(static_cast<int>(SaveSlotList->size()), kListRows);
    m_nListTop = MenuCursor.Current().nY;
  }
  if (m_nStep == 2) return ConfirmSave();
  const int slots = static_cast<int>(SaveSlotList->size());
  MenuCursor.MoveCursorList(FrontInput().m_wDir, 1, m_nListTop, kListY, 16, kListX, m_nListRows, slots, TRUE);
  DS_PlayCursorSe(FrontInput().m_wDir, 3, 0);
  if (FrontInput().m_wButton & kButton1) {
    RequestSe(1);
    MenuCursor.PushCursor(0);
    m_nStep = 2;
    MenuCursor.Current().nY = 1;  // the confirmation starts on "no"
    return;
  }
  if (FrontInput().m_wButton & kButton2) {
    RequestSe(2);
    CloseToTopMenu();
    return;
  }
  DrawSlotList();
  DrawSmallCursor(MenuCursor.Current().nPosX, MenuCursor.Current().nPosY);
}

void cStorySaveScene::ConfirmSave() {
  const int left = MoveOverChoice(kTextConfirm, kConfirmY);
  const WORD buttons = FrontInput().m_wButton;
  if (buttons & (kButton1 | kButton2)) {
    if (!(buttons & kButton1)) {
      RequestSe(2);
    } else if (MenuCursor.Current().nY == 0) {
      SaveIntoChosenSlot(MenuCursor.Below()->nY);
    } else {
      RequestSe(1);
    }
    MenuCursor.PopCursor(1);
    m_nStep = 1;
    return;
  }
  DrawSlotList();
  DrawMenuText(left, kConfirmY, kTextConfirm, 2, 1);
  DrawInactiveCursor(MenuCursor.Below()->nPosX, MenuCursor.Below()->nPosY);
  DrawSmallCursor(MenuCursor.Current().nPosX, MenuCursor.Current().nPosY);
}

// The chosen slot becomes the play's current one, which the file then holds;
// a failed save leaves the current slot as it was.
void cStorySaveScene::SaveIntoChosenSlot(int slot) {
  const int previous = PlayData->nSaveSlot;
  PlayData->nSaveSlot = slot;
  if (SaveStoryOrRefuse(slot))
    RequestSe(5);
  else
    PlayData->nSaveSlot = previous;
}

// The switch is set before the slot is written, so that the file holds it and
// a continued story saves on; a failed save leaves it as it was.
void cStorySaveScene::TurnAutoSaveOn() {
  const int previous = PlayData->bAutoSave;
  PlayData->bAutoSave = 1;
  if (SaveStoryOrRefuse(PlayData->nSaveSlot))
    RequestSe(1);
  else
    PlayData->bAutoSave = previous;
}

void cStorySaveScene::UpdateAutoSave() {
  if (m_nStep == 0) {
    MenuCursor.Current() = CURSORDATA{};
    MenuCursor.Current().nY = PlayData->bAutoSave ? 0 : 1;
    m_nStep = PlayData->nSaveSlot == -1 ? 2 : 1;
    return;
  }
  const WORD buttons = FrontInput().m_wButton;
  if (m_nStep == 2) {
    // Never saved: auto-save has no slot to write, so only the notice shows.
    if (buttons & (kButton1 | kButton2)) {
      RequestSe(buttons & kButton1 ? 1 : 2);
      return CloseToTopMenu();
    }
    FillBackground();
    DrawMenuText(CurrentSystemData().GetMenuTextLeft(kCentreX, kTextNoSlot, 1, 0), kNoticeY, kTextNoSlot, 1, 0);
    return;
  }
  const int left = MoveOverChoice(kTextAutoSave, kChoiceY);
  if (buttons & kButton1) {
    if (MenuCursor.Current().nY == 0) {
      TurnAutoSaveOn();
    } else {
      RequestSe(1);
      PlayData->bAutoSave = 0;
    }
    return CloseToTopMenu();
  }
  if (buttons & kButton2) {
    RequestSe(2);
    return CloseToTopMenu();
  }
  DrawChoice(left, kTextAutoSave, kChoiceY);
}

void cStorySaveScene::BackToWorldMap() {
  m_nStep = 0;
  SceneManager.m_nNextScene = SCENE_WORLDMAP;
  m_nState = kStateFadeOut;
}

void cStorySaveScene::UpdateExitMenu() {
  if (m_nStep == 0) {
    MenuCursor.Current() = CURSORDATA{};
    MenuCursor.Current().nY = 1;
    m_nStep = 1;
  }
  const int left = MoveOverChoice(kTextExit, kChoiceY);
  const WORD buttons = FrontInput().m_wButton;
  if (buttons & kButton1) {
    RequestSe(1);
    if (MenuCursor.Current().nY == 0) {
      SceneManager.m_nNextScene = SCENE_TITLE;
      m_nState = kStateFadeOut;
      return;
    }
    return CloseToTopMenu();
  }
  if (buttons & kButton2) {
    RequestSe(2);
    return CloseToTopMenu();
  }
  DrawChoice(left, kTextExit, kChoiceY);
}
