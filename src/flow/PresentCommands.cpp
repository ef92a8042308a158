#include "flow/PresentCommands.h"

#include <cmath>
#include <string>

#include "gamedata/Database.h"
#include "gamedata/SaveData.h"
#include "library/draw/Draw.h"
#include "library/util/Convert.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "library/util/MesBox.h"
#include "library/util/Text.h"
#include "records/FlowEnums.h"
#include "records/StageData.h"
#include "stage/Chara.h"
#include "stage/PauseLoop.h"
#include "stage/ScreenColor.h"
#include "stage/SpriteSource.h"
#include "stage/StagePlayScene.h"
#include "stage/StageResources.h"
#include "stage/StageRules.h"

namespace {

// Pause-request kinds of the displays that hold the game.
constexpr int kPauseMessage = 1, kPauseEffect = 2, kPausePicture = 3;
constexpr int kMessageShownSe = 11;

int P(const cFlowCommand& def, int index) { return CommandParam(def, index); }

// A value the editor writes in the given width.
std::int16_t Word(int value) { return static_cast<std::int16_t>(value); }

// Sets the pause request of a display that holds the game and runs the modal
// loop. A display shown until the stage ends has no request of its own: it
// does not start the loop (it would run on whatever request came before).
bool HoldGame(cStagePlayScene& scene, int kind, int displayMode, int frames, int extra) {
  if (displayMode == MSGDISPLAY_BUTTON)
    scene.SetPauseRequest(kind, 1, 0, extra);
  else if (displayMode == MSGDISPLAY_TIME)
    scene.SetPauseRequest(kind, 0, frames, extra);
  else
    return false;
  RunPauseLoop(scene);
  return true;
}

MessageSettings MessageFromCommand(const cChara& chara, const cFlowCommand& def, int continuation) {
  cStagePlayScene& scene = Scene();
  MessageSettings s;
  s.nKind = MSGKIND_TEXT;
  s.text = def.m_strText;
  s.nPosMode = P(def, 0);
  s.nCellX = P(def, 1);
  s.nCellY = P(def, 2);
  s.nOffsetX = P(def, 3);
  s.nOffsetY = P(def, 4);
  s.bKeepInside = P(def, 5);
  s.nDisplayMode = P(def, 6);
  s.nFrames = P(def, 7) * 6;
  s.bStopGame = P(def, 8);
  s.bExpand = P(def, 9);
  s.bFixOnScreen = P(def, 10);
  s.bRefresh = P(def, 11);
  s.bHasId = P(def, 12);
  s.nId = P(def, 13);
  s.bWindow = P(def, 14);
  s.nRefreshInterval = P(def, 16);
  s.bContinuation = continuation;
  if (s.nPosMode >= MSGPOS_ABOVE_SELF && s.nPosMode <= MSGPOS_CENTRE_SELF)
    s.nAnchor = chara.m_nNo;
  else if (s.nPosMode >= MSGPOS_ABOVE_HERO && s.nPosMode <= MSGPOS_CENTRE_HERO && scene.HasHero())
    s.nAnchor = scene.Hero().m_nNo;
  return s;
}

template <typename List>
typename List::iterator FindById(List& list, int id) {
  for (auto it = list.begin(); it != list.end(); ++it)
    if (!it->Removed() && it->Settings().bHasId && it->Settings().nId == id) return it;
  return list.end();
}

// Rounds to the nearest integer, halves away from zero.
int RoundHalfAway(double value) { return DoubleToInt(std::round(value)); }

int EffectFrames(const cDbEffect& entry) {
  long long total = 0;
  for (const cDbEffectFrame& frame : entry.m_Frames) total += static_cast<long long>(frame.m_nDuration) * 6;
  return static_cast<int>(std::min<long long>(total, INT_MAX));
}

// ---- Adapters of the command tables ----

using Worker = void (*)(cChara&, const cFlowCommand&);

template <Worker W>
int ExecWorker(cChara& chara, cRunningCommand& cmd) {
  W(chara, *cmd.pDef);
  return 0;
}

template <Worker W>
int ItemExecWorker(cPlayer& hero, const cFlowCommand& def) {
  W(hero, def);
  return 0;
}

int ExecMessage(cChara& chara, cRunningCommand& cmd) {
  const cRunningFlow* flow = Scene().m_pActFlow;
  DoMessage(chara, *cmd.pDef, flow ? flow->bMsgContinuation : 0);
  return 0;
}

int ItemExecMessage(cPlayer& hero, const cFlowCommand& def) {
  cStagePlayScene& scene = Scene();
  DoMessage(hero, def, scene.m_bItemMsgShown);
  scene.m_bItemMsgShown = 1;
  return 0;
}

// The flow that runs the command owns the animation; an item has no flow.
int ExecAnime(cChara& chara, cRunningCommand& cmd) {
  const cRunningFlow* flow = Scene().m_pActFlow;
  DoAnime(chara, *cmd.pDef, flow ? flow->nSerial : -1);
  return 0;
}

int ItemExecAnime(cPlayer& hero, const cFlowCommand& def) {
  const cRunningFlow* flow = Scene().m_pActFlow;
  DoAnime(hero, def, flow ? flow->nSerial : -1);
  return 0;
}

template <int Type, Worker W>
void Install(std::array<CommandExec, CMD_COUNT>& flowTable, std::array<ItemCommandExec, ITEMCMD_COUNT>& itemTable) {
  flowTable[Type] = ExecWorker<W>;
  itemTable[Type - kItemCommandTypeOffset] = ItemExecWorker<W>;
}

}  // namespace

void CalcDisplayPos(double& x, double& y, int w, int h, const cChara& chara, int mode, int cx, int cy, int ox, int oy) {
  cStagePlayScene& scene = Scene();
  const double sx = scene.m_ScrollX.dPos, sy = scene.m_ScrollY.dPos;
  const cChara* at = &chara;
  switch (mode) {
    case DISPPOS_SCREEN_CENTRE:
      x = ox + sx + 320 - (w >> 1);
      y = oy + sy + 240 - (h >> 1);
      break;
    case DISPPOS_HERO:
      if (!scene.HasHero()) break;
      at = &scene.Hero();
      [[fallthrough]];
    case DISPPOS_CHARA:
      x = ox + (at->ScreenCentreX() + sx) - (w >> 1);
      y = oy + (at->ScreenCentreY() + sy) - (h >> 1);
      break;
    case DISPPOS_SCREEN:
      x = sx + cx * 32 + ox;
      y = sy + cy * 32 + oy;
      break;
    case DISPPOS_STAGE:
      x = (cx + kMapMarginCells) * 32 + ox;
      y = (cy + kMapMarginCells) * 32 + oy;
      break;
    default:
      break;
  }
}

void DoMessage(cChara& chara, const cFlowCommand& def, int continuation) {
  cStagePlayScene& scene = Scene();
  if (scene.m_bQuit) return;
  const bool remove = P(def, 15) != 0;
  auto found = scene.m_MessageList.end();
  if (P(def, 12)) found = FindById(scene.m_MessageList, P(def, 13));
  const bool exists = found != scene.m_MessageList.end();
  if (remove) {
    if (exists) found->Remove();
    return;
  }
  const MessageSettings settings = MessageFromCommand(chara, def, continuation);
  cMessage* message = nullptr;
  if (exists) {
    std::string text = settings.text;
    if (settings.bExpand) FormatMessageText(text, scene.Record().GameValue, scene.m_StageVar);
    int w = 0, h = 0;
    cMessage::MeasureMessageText(w, h, text);
    if (w == found->Width() && h == found->Height()) {
      found->ResetMessage(settings);
      message = &*found;
    } else {
      found->Remove();
      message = &scene.AddMessage(settings, found);
    }
  } else {
    message = &scene.AddMessage(settings);
  }
  if (!settings.bStopGame) return;
  const int serial = message->Serial();
  if (settings.nDisplayMode == MSGDISPLAY_BUTTON && !continuation) scene.Hooks().RequestSe(kMessageShownSe);
  if (!HoldGame(scene, kPauseMessage, settings.nDisplayMode, settings.nFrames, continuation)) return;
  // The loop may have ended the message already; the serial finds it if not.
  if (cMessage* shown = scene.FindMessage(serial)) shown->Remove();
}

void DoGraphicChange(cChara& chara, const cFlowCommand& def) {
  chara.m_nGraphicKind = static_cast<std::int8_t>(P(def, 0));
  chara.m_Def.m_nGraphicSrc = static_cast<std::int8_t>(P(def, 0));
  chara.m_nGraphic = Word(P(def, 1));
  chara.m_Def.m_nGraphic = Word(P(def, 1));
  chara.m_Def.m_nGraphicCol = Word(P(def, 2));
}

void DoBaseAnimeSetChange(cChara& chara, const cFlowCommand& def) { chara.SetAnimeSet(Word(P(def, 0)), 0); }

void DoAnime(cChara& chara, const cFlowCommand& def, int serial) {
  FlowAnimeEntry& entry = chara.m_lAnimes.emplace_front();
  entry.nSerial = serial;
  entry.Anime.SetAnimeTable(AnimeTable{Scene().AnimeFrameTable.VecAt(P(def, 0))});
  entry.Anime.SetAnime(0, 1);
}

void DoEffect(cChara& chara, const cFlowCommand& def) {
  cStagePlayScene& scene = Scene();
  if (scene.m_bQuit) return;
  const int number = P(def, 0);
  if (number == 0) {
    for (cEffect& effect : scene.m_EffectList) effect.m_bRemoved = 1;
    return;
  }
  const cDbEffect& entry = Database->Effect.VecAt(number);
  const int w = RoundHalfAway(P(def, 6) * entry.m_nCellWidth * 0.01);
  const int h = RoundHalfAway(P(def, 6) * entry.m_nCellHeight * 0.01);
  double x = 0, y = 0;
  CalcDisplayPos(x, y, w, h, chara, P(def, 1), P(def, 2), P(def, 3), P(def, 4), P(def, 5));
  scene.m_EffectList.emplace_back(number, x, y, w, h, P(def, 7));
  if (!P(def, 7)) return;
  scene.SetPauseRequest(kPauseEffect, 0, EffectFrames(entry), 0);
  RunPauseLoop(scene);
}

void DoCharaEffect(cChara& chara, const cFlowCommand& def) {
  StartCharaEffect(chara.m_CharaEffect, Word(P(def, 0)), P(def, 1), P(def, 2));
}

void DoScreenEffect(cChara&, const cFlowCommand& def) {
  cStagePlayScene& scene = Scene();
  StartScrEffect(scene.m_ScrEffect, Word(P(def, 0)), P(def, 1), P(def, 2));
  if (scene.m_ScrEffect.nIndex == 0) DDSetVirBackBuffer(0);
}

void DoPicture(cChara& chara, const cFlowCommand& def) {
  cStagePlayScene& scene = Scene();
  if (scene.m_bQuit) return;
  const int number = P(def, 0);
  const bool hasId = P(def, 12) != 0;
  if (number == 0 && !hasId) {
    scene.ReleasePictures();
    return;
  }
  auto at = scene.m_PictureList.end();
  if (hasId) {
    at = FindById(scene.m_PictureList, P(def, 13));
    if (at != scene.m_PictureList.end()) at->Remove();  // the new picture takes its place
  }
  if (number == 0) return;
  const std::string& file = Database->Picture.VecAt(number).m_File;
  const int percent = P(def, 7);
  const int systemMemory = !lpDTCon && ((percent != 100 && !FirstModeSheets()) || LowVideoMemory());
  DDSURFACEDATA* surface = LoadPictureSurface(file, systemMemory);
  if (!surface) {
    static const std::string failed = Sjis("%s 読み込み失敗！");
    ErrMesBoxf(failed.c_str(), file.c_str());
    EcLogf(failed.c_str(), file.c_str());
    PostCloseToMainWindow();
    return;
  }
  PictureSettings s;
  s.nNumber = number;
  s.nWidth = PercentOf(surface->nWidth, percent);
  s.nHeight = PercentOf(surface->nHeight, percent);
  CalcDisplayPos(s.dX, s.dY, s.nWidth, s.nHeight, chara, P(def, 1), P(def, 2), P(def, 3), P(def, 4), P(def, 5));
  s.bFixOnScreen = P(def, 11);
  s.nPass = P(def, 6);
  s.nPercent = percent;
  s.nDisplayMode = P(def, 8);
  s.nFrames = P(def, 9) * 6;
  s.bStopGame = P(def, 10);
  s.bHasId = hasId;
  s.nId = P(def, 13);
  cPicture& picture = *scene.m_PictureList.emplace(at, s, surface);
  const int serial = ++scene.m_nNextDisplaySerial;
  picture.SetSerial(serial);
  if (!s.bStopGame || !HoldGame(scene, kPausePicture, s.nDisplayMode, s.nFrames, 0)) return;
  if (cPicture* shown = scene.FindPicture(serial)) shown->Remove();
}

void DoScreenColor(cChara&, const cFlowCommand& def) {
  ScreenColorCommand command{};
  for (int i = 0; i < static_cast<int>(command.size()); ++i) command[static_cast<size_t>(i)] = P(def, i);
  SetScreenColor(Scene().m_ScreenColor, command);
}

void DoBackground(cChara&, const cFlowCommand& def) {
  if (!StageData) return;
  const int layer = P(def, 0);
  if (layer < 1 || layer > static_cast<int>(StageData->m_BgLayers.size())) return;
  cBgLayer& bg = StageData->m_BgLayers.VecAt(layer - 1);
  switch (P(def, 1)) {
    case 0:
      bg.m_bShow = 1;
      break;
    case 1:
      bg.m_bShow = 0;
      break;
    case 2:
      bg.m_bShow = !bg.m_bShow;
      break;
    default:
      break;
  }
}

void DoSoundEffect(cChara& chara, const cFlowCommand& def) {
  if (def.m_bSoundOnScreen && !chara.m_bOnScreen) return;
  Scene().Hooks().RequestDbSe(Word(P(def, 0)));
}

void DoBgm(cChara&, const cFlowCommand& def) { RequestBgm(Scene(), P(def, 0), P(def, 1)); }

void InstallPresentCommands(std::array<CommandExec, CMD_COUNT>& flowTable,
                            std::array<ItemCommandExec, ITEMCMD_COUNT>& itemTable) {
  flowTable[CMD_MESSAGE] = ExecMessage;
  itemTable[ITEMCMD_MESSAGE] = ItemExecMessage;
  flowTable[CMD_ANIME] = ExecAnime;
  itemTable[ITEMCMD_ANIME] = ItemExecAnime;
  Install<CMD_GRAPHIC_CHANGE, DoGraphicChange>(flowTable, itemTable);
  Install<CMD_BASE_ANIME_SET_CHANGE, DoBaseAnimeSetChange>(flowTable, itemTable);
  Install<CMD_EFFECT, DoEffect>(flowTable, itemTable);
  Install<CMD_CHARA_EFFECT, DoCharaEffect>(flowTable, itemTable);
  Install<CMD_SCREEN_EFFECT, DoScreenEffect>(flowTable, itemTable);
  Install<CMD_PICTURE, DoPicture>(flowTable, itemTable);
  Install<CMD_SCREEN_COLOR, DoScreenColor>(flowTable, itemTable);
  Install<CMD_BACKGROUND, DoBackground>(flowTable, itemTable);
  Install<CMD_SOUND_EFFECT, DoSoundEffect>(flowTable, itemTable);
  Install<CMD_BGM, DoBgm>(flowTable, itemTable);
}
