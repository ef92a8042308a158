#include "app/FrontEnd.h"

#include <string>

#include "app/Shell.h"
#include "gamedata/SaveData.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/util/MesBox.h"

namespace {

constexpr int kSheetAccessory = 49;

}  // namespace

cKeyInput& FrontInput() { return KeyInputList.VecAt(0); }

int ShownMenuKinds(const cCheckedVector<cMenuEntryData>& menu, std::span<int> kinds) {
  int items = 0;
  const int count = std::min(static_cast<int>(menu.size()), static_cast<int>(kinds.size()));
  for (int kind = 0; kind < count; ++kind)
    if (menu[static_cast<size_t>(kind)].m_bShown) kinds[static_cast<size_t>(items++)] = kind;
  if (items == 0 && !kinds.empty()) {
    kinds[0] = 0;
    items = 1;
  }
  return items;
}

std::string_view MenuCaption(const cCheckedVector<cMenuEntryData>& menu, int kind) {
  return kind >= 0 && kind < static_cast<int>(menu.size()) ? std::string_view(menu[static_cast<size_t>(kind)].m_Label)
                                                           : std::string_view();
}

std::string_view UiText(int n) {
  const auto& texts = CurrentSystemData().m_UiTexts;
  return n >= 0 && n < static_cast<int>(texts.size()) ? std::string_view(texts[static_cast<size_t>(n)])
                                                      : std::string_view();
}

int ModeRankingSwitch(int mode) {
  const auto& modes = CurrentSystemData().m_ModeRankings;
  return mode >= 0 && mode < static_cast<int>(modes.size()) ? modes[static_cast<size_t>(mode)].m_bRankingOn : 0;
}

void SetModeLives(int mode) {
  const cSystemData& system = CurrentSystemData();
  const auto valueOf = [mode](const cCheckedVector<int>& list, int fallback) {
    return mode >= 0 && mode < static_cast<int>(list.size()) ? list[static_cast<size_t>(mode)] : fallback;
  };
  if (valueOf(system.m_UnlimitedLives, 0)) {
    PlayData->nEntryLife = PlayData->nLife = UNLIMITED_LIVES;
    return;
  }
  const int lives = valueOf(system.m_InitialLives, 1);
  PlayData->nEntryLife = lives;
  PlayData->nLife = lives - 1;
}

void DrawLargeCursor(const CURSORDATA& cursor) {
  DDBlt(&BackBuffer, cursor.nPosX, cursor.nPosY, 32, 32, &UserSD[kSheetAccessory], 0, 0, 1);
}

void DrawSmallCursor(int x, int y) { DDBlt(&BackBuffer, x, y, 16, 16, &UserSD[kSheetAccessory], 64, 0, 1); }

void DrawInactiveCursor(int x, int y) { DDBlt(&BackBuffer, x, y, 16, 16, &UserSD[kSheetAccessory], 80, 0, 1); }

void ShowStageLoadFailure(std::string_view file) {
  ErrMesBoxf(ShellText("ステージファイル %s が読み込めません！").c_str(), std::string(file).c_str());
}
