#pragma once
// The program around stage play's states, as the tests set it: the switches a
// state reads, and a record of what the states asked of the program. Each draw
// runs the real stage drawing, so the hero's loss concludes as in the program.
#include <vector>

#include "stage/StageDraw.h"
#include "stage/StageScene.h"

class FakeStageShell : public cStageShell {
 public:
  explicit FakeStageShell(cStagePlayScene& scene) : m_scene(scene) {}

  bool PauseKeyDown() override { return pause; }
  void DrawStage(int playing, int frozen, int timeWarn, int footer) override {
    draws += playing;
    ::DrawStage(m_scene, *this, playing, frozen, timeWarn, footer);
  }
  int FrameRate() const override { return 60; }
  bool DirectStart() const override { return directStart; }
  bool TestPlay() const override { return testPlay; }
  int PlayMode() const override { return playMode; }
  int GameMode() const override { return gameMode; }
  void SetNextScene(int scene) override { nextScene = scene; }
  void PlayCursorSe(WORD dir) override {
    if (dir & 12) ++cursorSounds;
  }
  void CyclePalette() override { ++paletteCycles; }
  void PostClose() override { ++closes; }

  bool pause = false;
  bool directStart = false;
  bool testPlay = false;
  int playMode = kPlayModeFree;
  int gameMode = 2;
  int draws = 0;  // draws of the play state
  int nextScene = -1;
  int cursorSounds = 0;
  int paletteCycles = 0;
  int closes = 0;

 private:
  cStagePlayScene& m_scene;
};
