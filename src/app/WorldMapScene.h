#pragma once
// The world map, the hub of the story: the figure walks the map's cells, a
// world's first entry whose conditions hold is its stage, and standing on a
// stage offers to play it (or enters it by itself when it is new).
#include "app/Scene.h"
#include "gamedata/WorldMap.h"
#include "library/input/MenuCursor.h"

// The figure's facing, which also picks its sprite.
enum MapFacing : int { FACING_DOWN = 0, FACING_UP = 1, FACING_LEFT = 2, FACING_RIGHT = 3 };

// The cursor cell is drawn at this screen position; the view puts it there.
constexpr int kMapCursorX = 288, kMapCursorY = 224;
constexpr int kMapViewColumns = 20, kMapViewRows = 15;

struct SpritePos {
  int x = 0, y = 0;
  constexpr bool operator==(const SpritePos&) const = default;
};
// Chip graphic g of "bmp\WorldMapChip.bmp" (five to a row) and world icon row
// `row` of "bmp\WorldEvent.bmp" (column 1 once cleared).
SpritePos ChipSource(int graphic);
SpritePos IconSource(int row, bool cleared);
// The walking figure's frame offset in its sheet (0 or 32) for this call: two
// frames of 40 calls each, counted over the whole program.
int NextFigureStep();

// The lives window at the top right: its left edge and width.
struct LivesPlace {
  int x = 0, w = 0;
  constexpr bool operator==(const LivesPlace&) const = default;
};
LivesPlace LivesWindowPlace(int lives);

// Where the stage's name and best score go, centred on x 304.
struct StageInfoPlace {
  int y = 0;  // the name's row; the score's is 20 below
  int nameX = 0, nameW = 0;
  int scoreX = 0, scoreW = 0;
};
StageInfoPlace StageInfoLayout(int nameChars, int scoreTextChars, int score, bool showScore);

// The world's active entry for the play record; null for no world.
const cWorldStage* FindActiveEntry(const cWorld* world);
bool IsStageCleared(const cWorldStage* entry);
// Manual or cleared: such an entry never opens its choice by itself.
bool IsEntryTaken(const cWorldStage* entry);
// The play record ready for the entry's stage, which has just been loaded.
void PrepareStagePlay(const cWorldStage& entry);

class cWorldMapScene final : public cScene {
 public:
  cWorldMapScene();
  ~cWorldMapScene() override;
  void Enter() override;
  void FadeIn() override;
  void Leave() override;

  // One step of the figure for the frame's direction word.
  void MoveMapCursor(CURSORDATA& cursor, WORD dir);

  int m_nViewX = 0, m_nViewY = 0;
  const cWorld* m_pWorld = nullptr;
  const cWorldStage* m_pEntry = nullptr;
  int m_nFacing = FACING_DOWN;
  CURSORDATA m_SavedCursor;
  CURSORDATA m_InfoCursor;
  // An untaken stage whose choice was declined where the figure had no cell to
  // step back to (a stage it was put on): there its choice waits for button 1
  // until the figure walks off. -1: none.
  int m_nDeclinedX = -1, m_nDeclinedY = -1;
  int m_nStageScore = 0;

 private:
  void UpdateMap();
  void UpdateStageSelect();
  void ShowStageInfo();
  void LookAtCursorCell();
  void SetViewFromCursor();
  void RenderMap();
  void DrawRankingSurface();
  void DrawFigure();
  void DrawLives();
  void DrawStageInfo();
  void Draw(bool showInfo);
  // Buttons 3 and 4 over a stage: the ranking display and its genre.
  void ServeRankingButtons(WORD buttons);
  void OpenStageChoice();
  void CloseStageChoice();
  bool EnterStageByItself();

  // The view the map surface holds; RenderMap keeps it, so a move redraws
  // exactly when the view it needs is not the one shown.
  int m_nRenderedX = -1, m_nRenderedY = -1;
  bool m_bStageLoaded = false;
};
