#pragma once
// What the front-end scenes share: their input, buttons and cursor sprites,
// the menus they build from the system data, and the mode settings that start
// a play.
#include <span>
#include <string_view>

#include "gamedata/NumberText.h"
#include "gamedata/SystemData.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"

constexpr WORD kButton1 = 1, kButton2 = 2, kButton3 = 4, kButton4 = 8;

// The input record the front end reads (record 0).
cKeyInput& FrontInput();

// The kinds of the shown entries of a menu of the system data, in menu order,
// at most kinds.size() of them; kinds with no place in `kinds` (their index
// reaches its size) are ignored. None shown gives one item of kind 0. Returns
// the number of items.
int ShownMenuKinds(const cCheckedVector<cMenuEntryData>& menu, std::span<int> kinds);
// The caption of entry `kind` of a menu, empty beyond it.
std::string_view MenuCaption(const cCheckedVector<cMenuEntryData>& menu, int kind);
// UI text n of the system data, empty beyond the list.
std::string_view UiText(int n);

// The rankings switch of a game mode's record in the system data.
int ModeRankingSwitch(int mode);
// The play record's lives from a game mode's settings: unlimited lives set
// both counts to 999999, else the initial lives n and n - 1 to play.
void SetModeLives(int mode);

// The cursor sprites of "bmp\Accessory.bmp" on the back buffer.
void DrawLargeCursor(const CURSORDATA& cursor);
void DrawSmallCursor(int x, int y);
void DrawInactiveCursor(int x, int y);

// The load failure of a stage chosen in a front-end scene, with its file name.
void ShowStageLoadFailure(std::string_view file);
