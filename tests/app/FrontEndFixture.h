#pragma once
// The front-end scenes run frame by frame without a display: the program's
// data objects of the test's own, one input record, and a main window on the
// test's thread that records the sounds, music and closes it is asked for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Scene.h"
#include "app/Shell.h"
#include "gamedata/OptionData.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/SaveSlots.h"
#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "library/util/MainWindow.h"
#include "platform/MessageBox.h"
#include "records/RecordIo.h"
#include "records/StageData.h"
#include "support/TempDir.h"

namespace frontendtest {

constexpr WORD kLeft = KEYBIT_LEFT, kRight = KEYBIT_RIGHT, kUp = KEYBIT_UP, kDown = KEYBIT_DOWN;
constexpr WORD kB1 = 1, kB2 = 2, kB3 = 4, kB4 = 8;

class FrontEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateStageGlobals();
    SystemData = &system;
    WorldMap = &map;
    PlayData = &play;
    SaveSlotList = &slots;
    RankingData = &ranking;
    OptionData = &options;
    play.ResetPlaySession();
    slots.assign(STORY_SLOT_COUNT, cSaveSlot());
    KeyInputList.assign(1, cKeyInput{});
    KeyInputList.VecAt(0).SetKeyRepeat(18, 6);
    MenuCursor.ResetCursor();
    SceneManager.m_nScene = SceneManager.m_nNextScene = SceneManager.m_nPrevScene = SCENE_TITLE;
    SceneManager.PlayMode = PLAYMODE_NEW_STORY;
    SceneManager.GameMode = GAMEMODE_STORY;
    SceneManager.m_bRanking = 0;
    SceneManager.m_nChallengeRow = SceneManager.m_nChallengeTop = 0;
    hMainWnd = &window;
    platform::SetMessageBoxSink([this](std::string_view text, std::string_view, UINT) {
      boxes.emplace_back(text);
      return IDOK;
    });
  }
  void TearDown() override {
    platform::SetMessageBoxSink(nullptr);
    hMainWnd = nullptr;
    SystemData = nullptr;
    WorldMap = nullptr;
    PlayData = nullptr;
    SaveSlotList = nullptr;
    RankingData = nullptr;
    OptionData = nullptr;
    KeyInputList.clear();
    DestroyStageGlobals();
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // One frame of the scene with these directions and buttons held.
  void Frame(cScene& scene, WORD dir = 0, WORD buttons = 0) {
    cKeyInput& input = KeyInputList.VecAt(0);
    input.m_wDir = dir;
    input.m_wButton = buttons;
    scene.Run();
  }
  // Frames until the scene has entered and ended its fade-in; false when it never does.
  bool FadeIn(cScene& scene) {
    Frame(scene);
    for (int i = 0; i < 100 && scene.m_nState == 0; ++i) Frame(scene);
    return scene.m_nState != 0;
  }
  // A press of the buttons, then a frame with them let go.
  void Press(cScene& scene, WORD buttons, WORD dir = 0) {
    Frame(scene, dir, buttons);
    Frame(scene);
  }
  // The closes posted to the main window so far.
  int Closes() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    return closes;
  }

  // A stage file with a hero at data\stg4\NAME.stg4_696.
  void WriteStage(const std::string& name) {
    cStageData stage;
    stage.m_PlacedCharas.resize(1);
    stage.m_PlacedCharas[0].m_nGraphic = 1;
    stage.m_PlacedCharas[0].m_nOperator = 0;
    cRecordWriter out;
    out.WriteI32(nCurVersion);
    stage.Save(out, cLoadContext{});
    const auto& bytes = out.Bytes();
    dir.Write("data/stg4/" + name + ".stg4_696", std::string(bytes.begin(), bytes.end()));
  }

  testsupport::TempDir dir{true};
  cSystemData system;
  cWorldMap map;
  cSaveData play;
  SaveSlotVector slots;
  cRanking ranking;
  cOptionData options;
  std::vector<int> sounds;
  std::vector<std::string> boxes;
  int closes = 0;
  platform::Window window{GetCurrentThreadId(), [this](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
                            if (message == WM_PLAYSE) sounds.push_back(static_cast<int>(wParam));
                            if (message == WM_CLOSE) ++closes;
                            if (message == WM_NAMEENTRY) bNameEntryDone = 1;
                            return 0;
                          }};
};

}  // namespace frontendtest
