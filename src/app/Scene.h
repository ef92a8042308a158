#pragma once
// The scenes and the per-frame driver: one scene is current at a time; a scene
// ends by naming the next one and running its fade-out, and the next frame's
// SwitchScene deletes it and creates the new one on first use.
#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

enum SceneIndex : int {
  SCENE_TITLE = 0,
  SCENE_WORLDMAP = 1,
  SCENE_STORY_SAVE = 2,
  SCENE_CHALLENGE_SELECT = 3,
  SCENE_STAGE_PLAY = 4,
  SCENE_OPTION = 5,
};
constexpr int kSceneCount = 6;

enum PlayModeValue : int {
  PLAYMODE_NEW_STORY = 0,
  PLAYMODE_CONTINUE = 1,
  PLAYMODE_CHALLENGE = 2,
  PLAYMODE_FREE = 3,
  PLAYMODE_REPLAY = 4,
  PLAYMODE_OPTION = 5,
  PLAYMODE_QUIT = 6,
};

enum GameModeValue : int {
  GAMEMODE_STORY = 0,
  GAMEMODE_CHALLENGE = 1,
  GAMEMODE_FREE = 2,
  GAMEMODE_REPLAY = 3,
};

// The name of a scene in the frame log and in log lines.
std::string_view SceneName(int index);

class cScene {
 public:
  virtual ~cScene() = default;
  // One frame of the scene (the front-end body: key repeat, latched buttons,
  // Enter on the first frame, then the state's handler).
  virtual void Run();
  virtual void Enter() {}
  virtual void FadeIn() {}
  virtual void Leave() {}

  int m_nState = -1;  // -1: Enter has not run yet
  int m_nStep = 0;

 protected:
  // Entry 0 calls FadeIn, the last entry Leave; the scene's own states lie between.
  void SetStates(std::vector<std::function<void()>> ownStates);
  // Which buttons the front-end body latches (1 and 2, or 1 to 4).
  WORD m_wButtonMask = 3;
  // The common fade-in: the scene drawn by `draw`, one fade step, state 1 at its end.
  void CommonFadeIn(const std::function<void()>& draw);
  // The common fade-out: at its end the scene hands over to the next one and
  // it returns true.
  bool CommonFadeOut(int ownIndex, bool resetCursor = true);

 private:
  std::vector<std::function<void()>> m_StateFunc;
};

// Makes the scene object of an index; null for an index without a scene.
using SceneFactory = std::function<std::unique_ptr<cScene>(int index)>;

class cSceneManager {
 public:
  cSceneManager();
  ~cSceneManager();

  int RunFrame();
  void SwitchScene(int index);
  void DeleteAllScenes();
  void WaitNextFrame();
  void PresentFrame();
  bool RestoreLostSurfaces();
  // The front-end scenes' music request from their Enter.
  void RequestSceneBgm(int category);

  cScene* Scene(int index) const;
  // Tests and the shell install the scene makers; the default makes the scenes of this build.
  void SetSceneFactory(SceneFactory factory);

  int m_nScene = SCENE_TITLE;
  int m_nNextScene = SCENE_TITLE;
  int m_nPrevScene = SCENE_TITLE;
  int PlayMode = PLAYMODE_NEW_STORY;
  int GameMode = GAMEMODE_STORY;
  int m_nChallengeRow = 0;
  int m_nChallengeTop = 0;
  int m_bRanking = 0;
  int m_nFrameRate = 60;
  int m_nFadeSpeed = 10;
  int m_nTune = 0;

 private:
  void DrawFps(DWORD fps, DWORD ms);

  // Slots by scene index; deleted in the order title, world map, story save,
  // challenge, options, stage play.
  std::array<std::unique_ptr<cScene>, kSceneCount> m_pScenes;
  SceneFactory m_factory;
  int m_nTraceScene = -1;
  std::array<DWORD, 16> m_FrameTimes{};
  int m_nFrameTimeIndex = 0;
  DWORD m_nFrameTimeAverage = 0;
};

extern cSceneManager SceneManager;

// Asks the window thread to play system sound n (WM_PLAYSE).
void RequestSe(int sound);
// Entry `sound` of the Sound database, which follows the fixed system sounds; 0 plays nothing.
void RequestDbSe(int sound);
