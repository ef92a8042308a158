#pragma once
// The title menu, the first scene and the one every play returns to, and the
// operations that start a play from outside the menu.
#include <array>
#include <string_view>

#include "app/Scene.h"

class cTitleScene final : public cScene {
 public:
  cTitleScene();
  ~cTitleScene() override;
  void Enter() override;
  void FadeIn() override;
  void Leave() override;

  int m_nItems = 1;
  std::array<int, 7> m_Item{};
  int m_nListTop = 0;
  int m_nListRows = 0;

 private:
  void BuildMenuSurface();
  void Draw();
  void UpdateMenu();
  void UpdateContinue();
  void Choose(int kind);

  int m_nMenuX = 192;
};

// Asks the window thread for a stage file and starts free play from it.
bool OpenStageFileDialog();
// Asks the window thread for a replay file; true when one was chosen.
bool RequestLoadReplay();
int StartStageFromFile(std::string_view path, int bNewest);
void StartNewStory();
