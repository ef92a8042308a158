#pragma once
// A cleared stage: the totals with extra lives, the ranking check and the
// registration of a result, the clear screen and what follows it (the next
// stage of a series, the world map, the challenge select, the title, or the
// same stage again).
#include <string>

#include "stage/StageScene.h"

constexpr int kSceneStorySave = 2;
constexpr int kSceneChallengeSelect = 3;
// At most this many extra-life notices follow one clear.
constexpr int kMaxExtraLifeNotices = 99;

// Adds the stage's results to the play record's totals and grants the extra
// lives its score crossed (each with its notice on the pause loop).
void AddTotals(cStagePlayScene& scene);
// Sound 14, the totals, and the place the result takes in each ranking genre.
void StageClear(cStagePlayScene& scene);
// The newest version of stage n of the play's series: 1 with its path, else 0 and "".
int MakeNextStageName(cStagePlayScene& scene, std::string& out, int n);
int HasNoNextStage(cStagePlayScene& scene, int n);
// The scene that follows the clear screen (4: stage play again, on the next
// stage of the series when one was loaded).
int ProceedAfterClear(cStagePlayScene& scene, cStageShell& shell);
void StateClear(cStagePlayScene& scene, cStageShell& shell);
// The ranking registration mode of the options (0 manual with the name
// dialog, 1 manual with the fixed name, 2 automatic with the dialog, 3
// automatic with the fixed name) and its fixed name.
int RankingRegistrationMode();
// Enters the result into every table it places in, saves the rankings and shows them.
void RegisterRanking(cStagePlayScene& scene, cStageShell& shell);
// The ranking display on thRanking: button 4 switches genres, button 1 ends it.
int RankingThreadProc(cStagePlayScene& scene, cStageShell& shell);
