#pragma once
// The story's housekeeping, opened from the world map: saving in one of the
// 99 slots, auto-save on or off, back to the map, or back to the title.
#include <array>

#include "app/Scene.h"

// Saves the play into story slot n. A save that fails is refused: the refusal
// sound and a box naming the slot's file and the reason. 1 when saved.
int SaveStoryOrRefuse(int slot);

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
  void SaveIntoChosenSlot(int slot);
  void TurnAutoSaveOn();
  void UpdateAutoSave();
  void BackToWorldMap();
  void UpdateExitMenu();
  void Draw();
  void DrawSlotList();
  // Back to the top menu from one of its states.
  void CloseToTopMenu();
};
