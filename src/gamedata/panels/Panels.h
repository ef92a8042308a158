#pragma once
// The data panels of the front end and the stage clear, printed with the
// second font: menu text windows, the save-slot list, the ranking table and
// the results panel.
#include <array>
#include <span>

#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/SaveSlots.h"
#include "library/draw/DrawTypes.h"

// The user surface of "bmp\Accessory.bmp", whose cell (16, 48) is the place marker.
constexpr int ACCESSORY_SURFACE = 49;

// UI texts first .. first + count - 1, one per line (each after a blank cursor
// column when cursorColumn is set), in a window at (x, y) on the back buffer.
void DrawMenuText(int x, int y, int first, int count, int cursorColumn);

// Rows of the story slots from index first: number, and the save time of a used slot.
void DrawSaveSlotList(DDSURFACEDATA* surface, int x, int y, SaveSlotVector& list, int first, int rows);

// The table of one genre; marked is the place to mark, or -1. The game mode
// decides the genre-switch hint; bEnglish is the "English" start-up setting.
void DrawRanking(cRanking& ranking, DDSURFACEDATA* surface, int x, int y, int genre, int marked, int gameMode,
                 int bEnglish);
void DrawRankingTable(cRankingTable& table, DDSURFACEDATA* surface, int x, int y, int genre, int marked, int gameMode,
                      int bEnglish);

// What decides which genres the results panel shows, from above the game data.
struct StatusPanelInputs {
  std::array<int, RANKING_GENRE_COUNT> counterSwitches{};  // the stage's counter switches
  int bFreeStageStart = 0;                                 // the program was started with a stage file
  int nGameMode = 0;
};

// The results panel of a stage clear: the shown genres' totals of the play,
// with a marker on the row of every genre that placed (places: one per genre, -1 = none).
void DrawStatusPanel(DDSURFACEDATA* surface, int x, int y, std::span<const int> places, const cSaveData& play,
                     const StatusPanelInputs& inputs);
