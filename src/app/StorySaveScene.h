#pragma once
// The story's housekeeping, opened from the world map: saving in one of the
// 99 slots, auto-save on or off, back to the map, or back to the title.
#include <array>

#include "app/Scene.h"

class cStorySaveScene final : public cScene {
 public:
  cStorySaveScene();
  ~cStorySaveScene() override;
  void Enter() override;
  void FadeIn() override;
  void Leave() override;

  int m_nItems = 1;
  std::array<int, 4> m_Item{};
  int m_nListTop = 0;
  int m_nListRows = 0;

 private:
  void UpdateTopMenu();
  void UpdateSaveSlots();
  void ConfirmSave();
  void UpdateAutoSave();
  void BackToWorldMap();
  void UpdateExitMenu();
  void Draw();
  void DrawSlotList();
  // Back to the top menu from one of its states.
  void CloseToTopMenu();
};
