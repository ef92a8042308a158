#include "app/Scene.h"

#include <cstdint>
#include <exception>
#include <string>

#include "app/Shell.h"
#include "gamedata/SystemData.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "library/sound/Sound.h"
#include "library/text/Font.h"
#include "library/util/FrameTiming.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "platform/Clock.h"
#include "platform/Trace.h"
#include "stage/StagePlayScene.h"

cSceneManager SceneManager;

namespace {

constexpr std::array<std::string_view, kSceneCount> kSceneNames{"title",     "worldmap", "storysave",
                                                                "challenge", "stage",    "option"};

// Runs a step that may throw a text; the text is logged and the window asked
// to close, as for any fatal fault. Thread cancellation passes through.
template <typename Fn>
void CatchThrownText(Fn fn) {
  try {
    fn();
  } catch (const char* text) {
    EcLogFatal(hMainWnd.load(), "%s", text);
  } catch (const std::string& text) {
    EcLogFatal(hMainWnd.load(), "%s", text.c_str());
  } catch (const std::exception& e) {
    EcLogFatal(hMainWnd.load(), "%s", e.what());
  }
}

bool RestoreOne(DDSURFACEDATA& sd) {
  if (!sd.lpDDS || !sd.lpDDS->lpSurface || sd.lpDDS->lpSurface->IsLost() != DDERR_SURFACELOST) return true;
  sd.lpDDS->lpSurface->Restore();
  if (sd.bSystemMemory) return true;
  sd.bLost = 1;
  if (sd.szFileName.empty() || sd.szFileName == "E") return true;
  return DDReloadBitmap(&sd, nBpp);
}

template <typename List>
bool RestoreSurfaces(List& surfaces) {
  for (DDSURFACEDATA& sd : surfaces)
    if (!RestoreOne(sd)) return false;
  return true;
}

}  // namespace

std::string_view SceneName(int index) {
  return index >= 0 && index < kSceneCount ? kSceneNames[static_cast<size_t>(index)] : "-";
}

// ---- cScene ----

void cScene::SetStates(std::vector<std::function<void()>> ownStates) {
  m_StateFunc.clear();
  m_StateFunc.push_back([this] { FadeIn(); });
  for (auto& state : ownStates) m_StateFunc.push_back(std::move(state));
  m_StateFunc.push_back([this] { Leave(); });
}

void cScene::Run() {
  cKeyInput& input = KeyInputList.VecAt(0);
  input.ApplyKeyRepeat();
  input.LatchButtons(m_wButtonMask);
  if (m_nState == -1) {
    CatchThrownText([this] { Enter(); });
    m_nState = 0;
  }
  if (m_nState >= 0 && static_cast<size_t>(m_nState) < m_StateFunc.size()) m_StateFunc[static_cast<size_t>(m_nState)]();
}

void cScene::CommonFadeIn(const std::function<void()>& draw) {
  draw();
  if (DDFadeIn(DispColorPalette, 0, 255, 0, 0, 0, SceneManager.m_nFadeSpeed, ColorPalette, false)) m_nState = 1;
}

bool cScene::CommonFadeOut(int ownIndex, bool resetCursor) {
  if (!DDFadeOut(DispColorPalette, 0, 255, 0, 0, 0, SceneManager.m_nFadeSpeed, ColorPalette, false)) return false;
  DDFillSurface(&BackBuffer, 16);
  if (resetCursor) MenuCursor.ResetCursor();
  SceneManager.m_nPrevScene = ownIndex;
  SceneManager.m_nScene = SceneManager.m_nNextScene;
  return true;
}

// ---- cSceneManager ----

cSceneManager::cSceneManager() = default;
cSceneManager::~cSceneManager() { DeleteAllScenes(); }

void cSceneManager::SetSceneFactory(SceneFactory factory) { m_factory = std::move(factory); }

cScene* cSceneManager::Scene(int index) const {
  return index >= 0 && index < kSceneCount ? m_pScenes[static_cast<size_t>(index)].get() : nullptr;
}

void cSceneManager::DeleteAllScenes() {
  for (int index :
       {SCENE_TITLE, SCENE_WORLDMAP, SCENE_STORY_SAVE, SCENE_CHALLENGE_SELECT, SCENE_OPTION, SCENE_STAGE_PLAY})
    m_pScenes[static_cast<size_t>(index)].reset();
  CurrentPlayScene = nullptr;
}

void cSceneManager::SwitchScene(int index) {
  for (int other :
       {SCENE_TITLE, SCENE_STORY_SAVE, SCENE_WORLDMAP, SCENE_CHALLENGE_SELECT, SCENE_STAGE_PLAY, SCENE_OPTION})
    if (other != index) m_pScenes[static_cast<size_t>(other)].reset();
  // Nothing may reach a stage-play scene that is gone.
  if (!m_pScenes[SCENE_STAGE_PLAY]) CurrentPlayScene = nullptr;
  if (index < 0 || index >= kSceneCount) return;
  auto& slot = m_pScenes[static_cast<size_t>(index)];
  if (slot) return;
  if (platform::TraceOn() && m_nTraceScene != index)
    platform::TraceLine("scene " + std::to_string(m_nTraceScene < 0 ? m_nPrevScene : m_nTraceScene) + " " +
                        std::to_string(index));
  m_nTraceScene = index;
  slot = m_factory ? m_factory(index) : nullptr;
  if (!slot) ReportLogEc("scene %d (%s) cannot be made", index, std::string(SceneName(index)).c_str());
}

void cSceneManager::WaitNextFrame() {
  if (!lpDTCon) WaitFrameTime(static_cast<DWORD>(m_nFrameRate));
}

void cSceneManager::PresentFrame() {
  if (lpDTCon) {
    if (!DDPresent(m_nFrameRate, 0, nullptr)) SendMessage(hMainWnd.load(), WM_RESTOREDEVICE, 0, 0);
    return;
  }
  DDPresentBackBuffer();
}

bool cSceneManager::RestoreLostSurfaces() {
  if (lpDTCon) return true;
  if (!PrimarySurface.lpDDS || PrimarySurface.lpDDS->lpSurface->IsLost() != DDERR_SURFACELOST) return true;
  if (!DDRestore()) return false;
  if (!RestoreSurfaces(SpecialBmpSD) || !RestoreSurfaces(EffectSD) || !RestoreSurfaces(SwordSD) ||
      !RestoreSurfaces(PictureSD) || !RestoreSurfaces(MenuSD) || !RestoreSurfaces(Off_Msg))
    return false;
  for (int i = 0; i < FONT_COUNT; ++i) {
    DDSURFACEDATA& sheet = DigitSD[i];
    if (!sheet.lpDDS || !sheet.lpDDS->lpSurface || sheet.lpDDS->lpSurface->IsLost() != DDERR_SURFACELOST) continue;
    sheet.lpDDS->lpSurface->Restore();
    if (!sheet.bSystemMemory) RenderDigitSheet(&sheet, &Fonts[i]);
  }
  if (!Off_Msg.empty()) EcLogf("if ( !RestoreSurface(Off_Msg) ) Off_Msg[0].bLost = %d", Off_Msg.front().bLost);
  return true;
}

void cSceneManager::DrawFps(DWORD fps, DWORD ms) {
  m_FrameTimes[static_cast<size_t>(m_nFrameTimeIndex)] = ms;
  if (++m_nFrameTimeIndex == 16) {
    m_nFrameTimeIndex = 0;
    DWORD sum = 0;
    for (DWORD t : m_FrameTimes) sum += t;
    m_nFrameTimeAverage = sum >> 4;
  }
  if (IniSettings.ShowFps == 2)
    Fonts[0].Printf(&BackBuffer, 549, 469, "FPS%2d(%2d)", static_cast<int>(fps), static_cast<int>(m_nFrameTimeAverage));
  else
    Fonts[1].PrintfInWindow(&BackBuffer, 495, 463, 0, 0, "FPS%2d(%2d)", static_cast<int>(fps),
                            static_cast<int>(m_nFrameTimeAverage));
}

int cSceneManager::RunFrame() {
  WaitNextFrame();
  StartStopwatch();
  if (!lpDTCon && !RestoreLostSurfaces()) return 0;
  ReadInputDevices(KeyInputList);
  CatchThrownText([this] { SwitchScene(m_nScene); });
  if (cScene* scene = Scene(m_nScene)) scene->Run();
  const DWORD fps = CountFps(true);
  const DWORD ms = GetStopwatch(true);
  if (CurrentPlayScene) CurrentPlayScene->m_nFps = static_cast<int>(fps);
  if (IniSettings.ShowFps != 0 && Fonts[0].Created()) DrawFps(fps, ms);
  PresentFrame();
  return 1;
}

void cSceneManager::RequestSceneBgm(int category) {
  const cSystemData& system = CurrentSystemData();
  const int tune =
      category >= 0 && category < static_cast<int>(system.m_FrontBgm.size()) ? system.m_FrontBgm.VecAt(category) : 0;
  if (tune != 0 && tune == m_nTune) return;
  m_nTune = tune;
  SendMessage(hMainWnd.load(), WM_PLAYBGM, static_cast<WPARAM>(category), 0);
}

void RequestSe(int sound) { SendMessage(hMainWnd.load(), WM_PLAYSE, static_cast<WPARAM>(sound), 0); }

void RequestDbSe(int sound) {
  const auto entry = static_cast<std::uint16_t>(sound);
  if (entry != 0) RequestSe(kDatabaseSoundBase + entry);
}
