#pragma once
// Scene 4, stage play, as the scene manager drives it: the shell's scene object
// owns the attempt's run-time state and runs stage play's states on it.
#include <memory>

#include "app/Scene.h"
#include "stage/StagePlayScene.h"
#include "stage/StageScene.h"

class cStageScene final : public cScene, private cStageShell, private cStagePlayHooks {
 public:
  cStageScene();
  ~cStageScene() override;
  void Run() override;
  void Enter() override;
  void FadeIn() override;
  void Leave() override;

 private:
  // cStageShell
  bool PauseKeyDown() override;
  void DrawStage(int bPlaying, int bFrozen, int bTimeWarn, int bFooter) override;
  int FrameRate() const override;
  bool DirectStart() const override;
  bool TestPlay() const override;
  int PlayMode() const override;
  int GameMode() const override;
  void SetNextScene(int scene) override;
  void PlayCursorSe(WORD dir) override;
  void CyclePalette() override;
  void PostClose() override;
  bool KeyDown(int virtualKey) override;
  void SaveReplay(int slot) override;
  int RunModalLoop(ModalLoop loop) override;
  void WaitNextFrame() override;
  bool RestoreLostSurfaces() override;
  void PresentFrame() override;
  void ReadInput(cCheckedVector<cKeyInput>& input) override;
  bool AppActive() const override;
  bool TakeQuitMessage() override;
  void PostQuitToSelf() override;
  bool RankingOn() const override;
  void EnterRankingName(std::string& name) override;
  DWORD RealTimeMs() const override;
  bool English() const override;
  // cStagePlayHooks
  void RequestSe(int sound) override;
  void RequestDbSe(int sound) override;
  void PlayStageBgm(int tune) override;
  bool FlashColor(int kind, DWORD& color, int& colorOp) override;
  const cLoadContext& LoadContext() const override;

  std::unique_ptr<cStagePlayScene> m_pPlay;
};
