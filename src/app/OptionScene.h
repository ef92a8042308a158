#pragma once
// The options screen: palette variant, music, volume, ranking mode and
// ranking name, kept in "user_data\Option.dat" when the screen is left.
#include <array>

#include "app/Scene.h"

class cOptionData;

enum OptionKind : int {
  OPTION_PALETTE = 0,
  OPTION_MUSIC = 1,
  OPTION_VOLUME = 2,
  OPTION_RANKING_MODE = 3,
  OPTION_RANKING_NAME = 4,
  OPTION_BACK = 5,
};
constexpr int kOptionKinds = 6;

// The value an item of kinds 0 to 3 edits and its range.
struct OptionValueRef {
  int* value = nullptr;
  int min = 0, max = 0;
};
OptionValueRef OptionValueOf(cOptionData& options, int kind);
// One step of an edited value, wrapping at both ends: up adds one, down takes one.
int StepOptionValue(int value, int min, int max, WORD dir);
// Every sound's first copy to the volume of table entry `volume`.
void ApplySoundVolume(int volume);
// The music player on or off as the music switch says; a change makes the
// next front-end scene ask for its tune again.
void ApplyMusicSwitch();

class cOptionScene final : public cScene {
 public:
  cOptionScene();
  ~cOptionScene() override;
  void Enter() override;
  void FadeIn() override;
  void Leave() override;

  int m_nItems = 1;
  std::array<int, kOptionKinds> m_Item{};
  int m_nEditKind = 0;
  int m_nOldValue = 0;
  int* m_pValue = nullptr;
  int m_nMin = 0, m_nMax = 0;

 private:
  void UpdateMenu();
  void ChooseItem();
  void EditValue();
  // What an edited value acts on at once: the palette or the volumes.
  void ApplyEditedValue();
  void CreateSurface();
  void DrawItems();
  void Draw();
};
