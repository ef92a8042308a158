#pragma once
// The challenge mode's list of numbered stages: the open ones with their
// cleared marks and best scores, and on request the ranking of the stage
// under the cursor.
#include <string>

#include "app/Scene.h"

// "data\stg4\c" + two digits + "-1.stg4": the name of challenge stage n
// (from 1), to be loaded in its newest version.
std::string ChallengeStageName(int n);

class cChallengeSelectScene final : public cScene {
 public:
  cChallengeSelectScene();
  ~cChallengeSelectScene() override;
  void Enter() override;
  void FadeIn() override;
  void Leave() override;

  // The stages listed and the rows shown from the list top.
  void UpdateListWindow();
  // Stage n (from 1) becomes the play record's stage, with its ranking.
  void SelectChallengeStage(int n);

  int m_nListTop = 0;
  int m_nStages = 0;
  int m_nListRows = 0;

 private:
  void UpdateSelect();
  void StartStage(int row);
  void ServeRankingButtons(WORD buttons);
  void DrawChallengeList();
  void Draw();
};
