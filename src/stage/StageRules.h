#pragma once
// The small rules the play frame applies every frame or logic step: play time
// and the time limit, which objects are present and awake, the appearance
// conditions of blocks, characters and items, and the touch effects of the
// block under the hero's feet. Results as the other stage rules: 0 go on,
// 1 the stage was cleared, 2 the hero is lost.
#include "records/RecordHooks.h"
#include "stage/StagePlayScene.h"

int CheckBlockAppear(cStagePlayScene& scene, MAPCELL& cell);
int CheckCharaAppear(cStagePlayScene& scene, cNpc& chara);
int CheckItemAppear(cStagePlayScene& scene, cItem& item);
void UpdateActiveFlags(cStagePlayScene& scene);
// Plays stage tune n (0 stops); the second value goes to the play record first.
void RequestBgm(cStagePlayScene& scene, int tune, int value);
void UpdatePlayTime(cStagePlayScene& scene);
// 1 when the time has run out.
int UpdateTimeLimit(cStagePlayScene& scene, int change);
int ApplyBlockEffect(cStagePlayScene& scene, cPlayer& hero);
// The item a block under the hero's feet hands out, once a second while the
// hero stays on it; the item commands' result.
int ApplyBlockItem(cStagePlayScene& scene, cPlayer& hero);

// What the records ask of stage play: block appearance by the live scene's
// conditions and the sheets of the stage's graphics.
class cStageRecordHooks final : public cRecordHooks {
 public:
  bool CheckBlockAppear(MAPCELL& cell) override;
  bool SetSpriteSource(int spriteKind, int cell, int column, SPRITESOURCE& source) override;
};
