#include "app/StartUp.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/BootDialog.h"
#include "app/GlobalObjects.h"
#include "app/MainWindow.h"
#include "app/PaletteCycle.h"
#include "app/Scene.h"
#include "app/Shell.h"
#include "app/TitleScene.h"
#include "gamedata/Database.h"
#include "gamedata/DefaultData.h"
#include "gamedata/FontFaceList.h"
#include "gamedata/OptionData.h"
#include "gamedata/PathTable.h"
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/input/KeyConfig.h"
#include "library/input/KeyInput.h"
#include "library/sound/Bgm.h"
#include "library/sound/Sound.h"
#include "library/text/Font.h"
#include "library/text/FontDesc.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "library/util/MesBox.h"
#include "library/util/Path.h"
#include "library/util/Random.h"
#include "library/util/SystemReport.h"
#include "library/window/Hook.h"
#include "platform/Clock.h"
#include "platform/DisplayProbe.h"
#include "platform/HostPath.h"
#include "platform/TextCodec.h"
#include "platform/display/Presenter.h"
#include "platform/overlay/PresenterScreen.h"
#include "records/Palette.h"
#include "records/RecordHooks.h"
#include "stage/StageRules.h"

namespace {

constexpr size_t kMaxPath = 260;
// The main window's layout: the client area may be sized from 100 x 100 to
// 640 x 480 dots while the DirectDraw back end draws into it.
constexpr SDL_Point kMinClientSize{100, 100}, kMaxClientSize{640, 480};

std::array<FONTDESCDATA, FONT_COUNT> FontDesc = DefaultFontDesc();
std::array<SURFACEDESCDATA, FONT_COUNT> DigitDesc;
std::unique_ptr<platform::display::Presenter> presenter;
std::unique_ptr<platform::overlay::PresenterScreen> presenterScreen;
// Block appearance and sprite sheets as stage play decides them.
cStageRecordHooks stageRecordHooks;
SDL_Window* sdlWindow = nullptr;

bool LoadDatabases() {
  if (!LoadDatabase(*Database, PlayerContext())) {
    ReportError("%s", ShellText("データベースの読み込みに失敗…").c_str());
    return false;
  }
  PrepareDatabase(*Database, AnimeSequences, EffectSequences);
  RefreshPlayerContext();
  return true;
}

bool LoadSystemData() {
  const char* path = PathTable[PATH_SYSTEM];
  if (!SystemData->LoadFromFile(path, PlayerContext())) {
    ReportError(ShellText("%s の読み込みに失敗…").c_str(), path);
    return false;
  }
  RefreshPlayerContext();
  return true;
}

void ReadIniSettings() {
  const auto& keys = SystemData->m_IniKeys;
  ApplyIniDefaults(IniSettings, keys);
  const auto names = IniKeyNames(keys);
  if (!ReadSystemIni("System.ini", IniSettings, names)) {
    ReportError("%s", ShellText("System.ini の読み込みに失敗しました！").c_str());
    ApplyIniDefaults(IniSettings, keys);
  }
}

// The start-up dialog, unless the saved choice says not to ask; Start saves
// the choice, Cancel or closing the dialog ends the start.
bool AskDrawingMode() {
  LoadFromFileOrKeep(*BootSettings, PathTable[PATH_BOOT], PlayerContext());
  if (!BootSettings->m_bDoNotAsk) {
    BOOTCHOICES choices{BootSettings->m_nDrawingMode, BootSettings->m_bDoNotAsk};
    cBootDialog dialog(IDD_BOOT, nullptr, 1, nullptr, &choices, SystemData->m_GameTitle, IniSettings.English != 0,
                       [&choices] {
                         BootSettings->m_nDrawingMode = choices.drawingMode;
                         BootSettings->m_bDoNotAsk = choices.doNotAsk;
                         BootSettings->SaveToFile(PathTable[PATH_BOOT], PlayerContext());
                       });
    if (dialog.DoModal(0) == 0) return false;
  }
  IniSettings.Direct3D = BootSettings->m_nDrawingMode == 1 ? 1 : 0;
  return true;
}

// A command line longer than the stage name field is refused, not cut or overrun.
void TakeCommandLine(std::string_view commandLine) {
  if (commandLine.empty()) return;
  if (commandLine.size() >= kMaxPath) {
    ReportLogEc("command line of %zu characters is too long for a stage name; ignored", commandLine.size());
    return;
  }
  IniSettings.FreeStage = std::string(commandLine);
}

// The show command as SDL can carry it out. A place given is taken again once
// the window is shown: a window manager places a window as it maps it, frame
// and all.
void ShowMainWindow(int showCommand, std::optional<SDL_Point> place = std::nullopt) {
  if (!sdlWindow || showCommand == SW_HIDE) return;
  SDL_ShowWindow(sdlWindow);
  if (place) {
    SDL_PumpEvents();  // for the frame the window manager put around it, which the place does not count
    SDL_SetWindowPosition(sdlWindow, place->x, place->y);
  }
  if (showCommand == SW_SHOWMAXIMIZED)
    SDL_MaximizeWindow(sdlWindow);
  else if (showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE || showCommand == SW_SHOWMINNOACTIVE)
    SDL_MinimizeWindow(sdlWindow);
}

// The display's refresh rate, 0 when it cannot be told.
int GetMonitorFrequency() {
  SDL_DisplayMode mode{};
  if (!sdlWindow || SDL_GetCurrentDisplayMode(std::max(0, SDL_GetWindowDisplayIndex(sdlWindow)), &mode) != 0) return 0;
  return mode.refresh_rate;
}

bool StartDisplay(int showCommand, const DisplayDecision& display) {
  const int vsync = display.vsync != 0;
  const HWND window = MainWindow.Handle();
  if (!DDInit(IniSettings.Direct3D, window, 640, 480, display.bpp, vsync, display.windowed, 1, 60, vsync, UserSD,
              SurfaceDesc, kUserSurfaceCount, 0)) {
    if (IniSettings.Direct3D != 0) {
      DDUnInit();
      IniSettings.Direct3D = 0;
      ShowMainWindow(IniSettings.WindowMode != 0 ? showCommand : SW_SHOWMAXIMIZED);
      if (DDInit(0, window, 640, 480, display.bpp, vsync, display.windowed, 1, 60, vsync, UserSD, SurfaceDesc,
                 kUserSurfaceCount, 0))
        return true;
    }
    EcLog(ShellText("DDInit失敗"));
    return false;
  }
  if (IniSettings.Direct3D) {
    static const std::string kTextureFailed = Sjis(
        "テクスチャの作成に失敗しました！\nビデオカードの性能が十分ではないかもしれません。\nSystem.iniファイルで「"
        "Direct3D=0」に変更してDirect3Dを無効にすれば改善される可能性があります。");
    lpDTCon->szTextureErrMes = kTextureFailed;
    LinkUserSurfaces(UserSD);
  }
  return true;
}

// A sizeable window that DirectDraw draws into (a Direct3D start that fell
// back) keeps the layout's limits; Direct3D stretches its frame to any size
// and leaves the limits to the desktop.
void LimitSizeableWindow() {
  if (!sdlWindow || !lpDDCon || (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_RESIZABLE) == 0) return;
  SDL_SetWindowMinimumSize(sdlWindow, kMinClientSize.x, kMinClientSize.y);
  SDL_SetWindowMaximumSize(sdlWindow, kMaxClientSize.x, kMaxClientSize.y);
}

// The stored placement of a window, held to the desktop: its place, which
// the show takes again; the maximised flag turns the show command into a
// maximised show.
std::optional<SDL_Point> PlaceWindow(int& showCommand) {
  if (!WindowPlacement->LoadFromFile(PathTable[PATH_WINDOW], PlayerContext())) return std::nullopt;
  const cWindowPlacement& stored = *WindowPlacement;
  const bool sizeable =
      IniSettings.Direct3D && IniSettings.WindowMode == 2 && stored.m_nWidth > 0 && stored.m_nHeight > 0;
  WindowRect window{stored.m_nX, stored.m_nY, 640, 480};
  SDL_GetWindowSize(sdlWindow, &window.w, &window.h);
  if (sizeable) window.w = stored.m_nWidth, window.h = stored.m_nHeight;
  SDL_Rect bounds{};
  const int display = std::max(0, SDL_GetWindowDisplayIndex(sdlWindow));
  if (SDL_GetDisplayUsableBounds(display, &bounds) == 0)
    window = HoldToDesktop(window, {bounds.x, bounds.y, bounds.w, bounds.h});
  SDL_SetWindowPosition(sdlWindow, window.x, window.y);
  if (sizeable) SDL_SetWindowSize(sdlWindow, window.w, window.h);
  if (stored.m_bMaximised) showCommand = SW_SHOWMAXIMIZED;
  return SDL_Point{window.x, window.y};
}

// The window's present waits for the vertical blank where the back end asks
// for it: Direct3D with vsync, DirectDraw when it flips. vsync stays on only
// where the renderer SDL found really waits.
void OpenPresenter() {
  const bool vsync = lpDTCon ? bVSync != 0 : bBlitPresent == 0;
  std::string why;
  // The overlay's renderer on the window goes, for the presenter's own; dialogs are then drawn over its frames.
  platform::overlay::LendWindow(nullptr);
  presenter = platform::display::Presenter::Open(sdlWindow, 640, 480, vsync, &why);
  const bool waits = presenter && presenter->WaitsForVerticalBlank();
  if (!presenter)
    ReportLogEc("presenter: %s", why.c_str());
  else if (vsync && !waits)
    ReportLogEc("presenter: the renderer cannot wait for the vertical blank; vertical sync is off");
  if (!waits) bVSync = 0;
  if (presenter) {
    presenterScreen = std::make_unique<platform::overlay::PresenterScreen>(sdlWindow, *presenter);
    platform::overlay::SetScreen(presenterScreen.get());
  }
}

// Full screen is the desktop's: the window also covers the display itself,
// for a desktop without a window manager to carry the full-screen state out.
void CoverDesktop() {
  SDL_Rect bounds{};
  if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(sdlWindow)), &bounds) == 0) {
    SDL_SetWindowPosition(sdlWindow, bounds.x, bounds.y);
    SDL_SetWindowSize(sdlWindow, bounds.w, bounds.h);
  }
  SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

// The presenter opens first: making a renderer may make the window anew, at
// the place it was made with.
void PlaceAndShowWindow(const DisplayDecision& display, int showCommand) {
  if (!sdlWindow) return;
  if (!lpDTCon)
    bBlitPresent =
        DecideBlitPresent(display.windowed != 0, display.vsync != 0, GetMonitorFrequency(), SceneManager.m_nFrameRate);
  OpenPresenter();
  std::optional<SDL_Point> place;
  if (IniSettings.WindowMode != 0) place = PlaceWindow(showCommand);
  if (!display.windowed) CoverDesktop();
  ShowMainWindow(IniSettings.Direct3D == 0 && IniSettings.WindowMode == 0 ? SW_SHOWMAXIMIZED : showCommand, place);
  bAppActive = 1;
}

// A project's fixed key colour in 16-bit mode is the colour that bitmaps are
// keyed on; the key pixel itself stays the palette bitmap's.
void SetPalette0(const RGBTRIPLE& colour) { (lpDTCon ? lpDTCon->rgbPalette0 : lpDDCon->rgbPalette0) = colour; }

// Every DirectDraw mode owns a palette object, so the palette and the key are
// read in all of them, not only in 8-bit mode.
bool SetPaletteAndTransmit() {
  if (lpDTCon || lpDDPalette) {
    const std::string& file = SurfaceDesc[0].szFileName;
    if (!DDLoadPaletteFromFile(ColorPalette, file)) {
      EcLog(ShellText("DDLoadPaletteFromFile失敗"));
      return false;
    }
    std::copy(ColorPalette, ColorPalette + 256, DispColorPalette);
    const cSystemData& system = *SystemData;
    if (system.m_nTransmitMode == 0 || nBpp == 16) {
      if (!DDSetTransmit(file)) {
        EcLog(ShellText("DDSetTransmit失敗"));
        return false;
      }
    }
    if (system.m_nTransmitMode != 0 && nBpp == 16)
      SetPalette0(RGBTRIPLE{system.m_byTransmitBlue, system.m_byTransmitGreen, system.m_byTransmitRed});
    else if (system.m_nTransmitMode != 0)
      DDSetTransmit(system.m_byTransmitRed, system.m_byTransmitGreen, system.m_byTransmitBlue);
  }
  EcLog("1");
  return true;
}

bool CreateFontsAndDigits() {
  const std::string face(FontFaceAt(FontFaceList(), SystemData->m_nFontIndex));
  for (FONTDESCDATA& desc : FontDesc) {
    SetFontFace(desc, face);
    if (desc.bFastFont == FAST_FONT_CONFIGURED)
      desc.bFastFont = IniSettings.Direct3D ? IniSettings.D3D_FontCache : IniSettings.DD_FontCache;
  }
  // The font layer fails without a line of its own; say which step ended the start.
  if (!CreateFonts(Fonts, FontDesc.data(), FONT_COUNT)) {
    ReportLogEc("CreateFonts failed: the start ends");
    return false;
  }
  // The project's two font switches act on the second font: symbol letters and centred cells.
  Fonts[1].bSymbols = SystemData->m_bFontSwitchA;
  Fonts[1].bCentre = SystemData->m_bFontSwitchB;
  for (SURFACEDESCDATA& desc : DigitDesc) {
    desc = SURFACEDESCDATA{};
    desc.bTransmit = 1;
  }
  if (!CreateDigitSurfaces(DigitSD, DigitDesc.data(), FONT_COUNT, Fonts, FontDesc.data())) {
    ReportLogEc("CreateDigitSurfaces failed: the start ends");
    return false;
  }
  EcLog("3");
  return true;
}

void LoadInputSettings() {
  for (cKeyInput& input : KeyInputList) input.ResetJoyButtonMap();
  if (!LoadKeyConfig(PathTable[PATH_KEY_CONFIG], KeyConfig)) SetDefaultKeyConfig(KeyConfig);
}

bool StartSound() {
  std::vector<std::string> databaseSounds;
  for (const auto& sound : Database->Sound) databaseSounds.push_back(sound.m_File);
  std::vector<std::string> systemSounds(SystemData->m_SystemSounds.begin(), SystemData->m_SystemSounds.end());
  SoundDefList = MakeSoundDefList(systemSounds, databaseSounds);
  SoundList.clear();
  SoundList.resize(SoundDefList.size());
  if (!DS_Init(MainWindow.Handle(), 22050, 8, 1)) {
    EcLog(ShellText("DS_Init失敗！"));
    return false;
  }
  const int volume = std::clamp(OptionData->m_nVolume, 0, MAX_VOLUME);
  DS_LoadSounds(SoundList, SoundDefList, VolumeTable[static_cast<size_t>(volume)]);
  return true;
}

bool LoadWorldAndPalette() {
  for (auto [record, path] : {std::pair<cDataRecord*, const char*>{WorldMap, PathTable[PATH_WORLD_MAP]},
                              {CommonPalette, PathTable[PATH_COMMON_PALETTE]}}) {
    if (!record->LoadFromFile(path, PlayerContext())) {
      ReportError(ShellText("%s のロードに失敗！").c_str(), path);
      return false;
    }
  }
  RefreshPlayerContext();
  EcLog("4");
  return true;
}

// A stage named at start-up (System.ini or the command line) opens at once.
bool StartFreeStage() {
  if (IniSettings.FreeStage.empty()) return true;
  std::string name;
  FindLatestVersionFileStr(name, IniSettings.FreeStage, ExtensionTable[EXT_STAGE]);
  if (!std::filesystem::exists(platform::ToHostPath(name))) {
    ReportLogEc(ShellText("「%s」の読み込みに失敗しました！").c_str(), name.c_str());
    IniSettings.FreeStage.clear();
    return true;
  }
  bFreeStageStart = 1;
  if (!StartStageFromFile(name, 1)) return false;
  PlayData->bSeriesStart = 0;
  SceneManager.GameMode = GAMEMODE_FREE;
  SceneManager.m_bRanking = 1;
  SceneManager.PlayMode = PLAYMODE_FREE;
  SceneManager.m_nScene = SCENE_STAGE_PLAY;
  SceneManager.m_nPrevScene = SCENE_TITLE;
  return true;
}

// How many full-width glyphs the two fonts of the menus gathered in this run.
void ReportGlyphCounts() {
  if (!bDDInit) return;
  static constexpr std::array<const char*, 2> kLines = {"Font10 : %d", "Font16 : %d"};
  for (std::size_t i = 0; i < kLines.size(); ++i)
    if (const auto& atlas = Fonts[i].m_lpFastFont_FullAdd) ReportLog(kLines[i], atlas->GlyphCount());
}

}  // namespace

DisplayDecision DecideDisplay(const DisplaySettings& s) {
  DisplayDecision d;
  d.vsync = s.vsync;
  if (s.direct3D != 0) {
    d.windowed = s.windowMode != 0;
    if (d.vsync >= 2) d.vsync = 1;
  } else if (s.windowMode != 0) {
    d.windowed = 1;
    d.vsync = 0;
  } else {
    d.windowed = 0;
    if (d.vsync >= 2) d.vsync = s.vistaOrLater ? 0 : 1;
  }
  if (s.bpp != 0)
    d.bpp = s.bpp;
  else if (d.windowed)
    d.bpp = s.desktopBpp;
  else if (s.direct3D != 0)
    d.bpp = s.d3dDepthChoice == 1 ? 16 : 32;
  else
    d.bpp = s.ddDepthChoice == 1 ? 16 : (s.ddDepthChoice == 2 && s.fullColour == 0) ? 8 : 32;

  const bool depthAllowed =
      d.bpp == 16 || d.bpp == 32 || (d.bpp == 8 && s.direct3D == 0 && s.fullColour == 0 && s.windowMode == 0);
  const bool matchesDesktop = s.windowMode == 0 || d.bpp == s.desktopBpp;
  if (!depthAllowed || !matchesDesktop)
    d.error = s.windowMode != 0 && (d.bpp == 16 || d.bpp == 32)
                  ? "画面モードが不正です！\nウインドウモードではSystem.iniの設定と画面の色の設定を合わせて下さい！"
                  : "画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！";
  return d;
}

int DecideBlitPresent(bool windowed, bool vsync, int monitorHz, int frameRate) {
  return windowed || !vsync || monitorHz < frameRate ? 1 : 0;
}

WindowRect HoldToDesktop(WindowRect window, const WindowRect& desktop) {
  window.w = std::clamp(window.w, 1, std::max(1, desktop.w));
  window.h = std::clamp(window.h, 1, std::max(1, desktop.h));
  window.x = std::clamp(window.x, desktop.x, desktop.x + desktop.w - window.w);
  window.y = std::clamp(window.y, desktop.y, desktop.y + desktop.h - window.h);
  return window;
}

bool InitGame(std::string_view commandLine, int showCommand) {
  crt::srand(timeGetTime());
  SetRecordHooks(&stageRecordHooks);
  bStripCR = true;
  sdlWindow = MainWindow.SdlWindow();
  static const std::string kNoData =
      Sjis("「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。");
  if (!CreateDefaultData(MainWindow.Handle())) {
    ReportError("%s", kNoData.c_str());
    return false;
  }
  CreateFolderList();
  if (!LoadDatabases() || !LoadSystemData()) return false;
  // The start-up dialog is drawn in this window: it bears the game's name from then on.
  if (sdlWindow) SDL_SetWindowTitle(sdlWindow, platform::Cp932ToUtf8(SystemData->m_GameTitle).c_str());
  ReadIniSettings();
  if (IniSettings.Direct3D >= 2 && !AskDrawingMode()) return false;
  TakeCommandLine(commandLine);
  SceneManager.m_nFrameRate = 60;
  SceneManager.m_nFadeSpeed = 10;
  for (cKeyInput& input : KeyInputList) input.SetKeyRepeat(18, 6);

  DisplaySettings settings{IniSettings.Direct3D,      IniSettings.WindowMode,       IniSettings.Bpp,
                           IniSettings.VSync,         SystemData->m_nTransmitMode,  SystemData->m_nCompat[13],
                           SystemData->m_nCompat[14], platform::ProbeDisplay().bpp, IsWinVerOrLater(6, 0)};
  const DisplayDecision display = DecideDisplay(settings);
  if (!display.error.empty()) {
    ErrMesBox(Sjis(display.error));
    return false;
  }
  bWindowed = display.windowed;
  IniSettings.Bpp = display.bpp;
  hMainWnd = MainWindow.Handle();
  if (display.bpp == 8) IniSettings.DD_VideoStretch = 0;
  if (sdlWindow && IniSettings.Direct3D != 0 && IniSettings.WindowMode == 2)
    SDL_SetWindowResizable(sdlWindow, SDL_TRUE);
  if (!StartDisplay(showCommand, display)) return false;
  PlaceAndShowWindow(display, showCommand);
  LimitSizeableWindow();  // after the renderer, whose making resets the window's size hints
  ReportDisplayInfo(1);
  EcLog(ShellText("DDInit成功"));
  if (!SetPaletteAndTransmit()) return false;
  static const int kStartSurface[] = {1};
  if (!DDLoadSurfaces(UserSD, kStartSurface, 1)) return false;
  if (!CreateFontsAndDigits()) return false;
  LoadInputSettings();
  LoadFromFileOrKeep(*OptionData, PathTable[PATH_OPTION], PlayerContext());
  if (display.bpp == 8 && !LoadHbtPalette(OptionData->m_nPaletteVariant)) return false;
  if (OptionData->m_bMusicOn) BgmPlayer.Init(1, DefaultBgmOgg, DefaultBgmMid, 5);
  if (!StartSound() || !LoadWorldAndPalette()) return false;
  return StartFreeStage();
}

void UnInitGame() {
  ReportGlyphCounts();
  SetRecordHooks(nullptr);
  DS_UnInit();
  BgmPlayer.UnInit();
  SceneManager.DeleteAllScenes();
  ReleaseFonts(Fonts, FONT_COUNT);
  ReleaseDigitSurfaces(DigitSD, FONT_COUNT);
  ClearSurfaceList(MenuSD, MenuDesc);
  platform::overlay::SetScreen(nullptr);
  presenterScreen.reset();
  presenter.reset();
  if (bWindowed.load() == 1)
    DDRelease();
  else
    DDUnInit();
  UnHookKeyboard();
}
