#include "stage/StageClear.h"

#include <algorithm>
#include <climits>

#include "gamedata/OptionData.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"
#include "gamedata/panels/Panels.h"
#include "library/draw/Draw.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "library/util/FrameTiming.h"
#include "library/util/Log.h"
#include "library/util/Path.h"
#include "library/util/Text.h"
#include "platform/Clock.h"
#include "platform/input/VirtualKeys.h"
#include "records/StageLoader.h"
#include "stage/PauseLoop.h"
#include "stage/Replay.h"
#include "stage/StageDraw.h"
#include "stage/StageResources.h"

namespace {

constexpr int kMaxLives = 99;
constexpr int kNoticeFrames = 30;
constexpr int kPauseKindExtraLife = 4;
constexpr int kClearCounterEnd = 200;
constexpr int kBannerSlide = 96;
constexpr int kRankingHintText = 27;  // "F3キーでランキングへ登録"
constexpr int kRankingX = 184, kRankingY = 64;
constexpr int kStatusPanelX = 336, kStatusPanelY = 224;
constexpr WORD kButton1 = 1, kButton4 = 8;

int AddToTotal(int total, long long value) {
  return static_cast<int>(std::clamp<long long>(total + value, INT_MIN, INT_MAX));
}

// One extra-life notice: its sign over the hero while the stage stands still
// for 30 frames on the pause loop. False when the window was asked to close meanwhile.
bool ShowExtraLifeNotice(cStagePlayScene& scene) {
  cMessage* sign = scene.HasHero() ? &scene.AddMessage(ExtraLifeSign(scene.Hero())) : nullptr;
  scene.SetPauseRequest(kPauseKindExtraLife, 0, kNoticeFrames, 0);
  RunPauseLoop(scene);
  if (sign) sign->Remove();
  if (scene.m_bQuit) {
    if (scene.m_pShell) scene.m_pShell->PostClose();
    return false;
  }
  if (scene.m_pShell)
    while (!scene.m_pShell->AppActive()) {
      PauseFramePacing();
      Sleep(1);
    }
  return true;
}

void GrantExtraLives(cStagePlayScene& scene, int scoreBefore) {
  cSaveData& record = scene.Record();
  const cSystemData& system = CurrentSystemData();
  const int step = system.m_nExtraLifeStep;
  if (record.nLife == UNLIMITED_LIVES || !system.m_bExtraLife || step == 0) return;
  const int lives = std::min(record.nScore / step - scoreBefore / step, kMaxExtraLifeNotices);
  for (int i = 0; i < lives; ++i) {
    record.nLife = std::min(record.nLife + 1, kMaxLives);
    scene.Hooks().RequestSe(15);
    if (!ShowExtraLifeNotice(scene)) return;
  }
}

bool GenreEnabled(int gameMode, int genre) {
  const cSystemData& system = CurrentSystemData();
  if (gameMode < 0 || gameMode >= static_cast<int>(system.m_ModeRankings.size())) return false;
  const auto& genres = system.m_ModeRankings.VecAt(gameMode).m_Genres;
  return genre < static_cast<int>(genres.size()) && genres.VecAt(genre) != 0;
}

bool CounterSwitchOn(int genre) {
  return StageData && genre < static_cast<int>(StageData->m_CounterSwitches.size()) &&
         StageData->m_CounterSwitches.VecAt(genre) != 0;
}

// The next stage of the series the stage-clear command chose, loaded into the
// stage in play: the series' stage number moves on and both replays start over.
bool LoadNextStage(cStagePlayScene& scene) {
  cSaveData& record = scene.Record();
  if (!record.bSeriesStart || scene.m_nNextStage == 0) return false;
  record.nSeriesNo = scene.m_nNextStage;
  std::string name;
  if (!MakeNextStageName(scene, name, scene.m_nNextStage) ||
      !LoadStageForPlay(name, 1, StageDataOrg, scene.Hooks().LoadContext()))
    return false;
  for (cReplayData* replay : {ReplayData, ReplayDataPrev})
    if (replay) ResetReplayData(*replay);
  return true;
}

void StoreCarriedStatus(cStagePlayScene& scene) {
  if (!StageData || !StageData->m_bStoreStatus || !scene.HasHero()) return;
  const cPlayer& hero = scene.Hero();
  const cSaveData& record = scene.Record();
  CarryLiveValues live;
  live.nHp = hero.m_nHp;
  live.nSp = hero.m_nSp;
  live.nCharaEffect = static_cast<std::int16_t>(hero.m_CharaEffect.nIndex);
  live.nCharaEffectMode = static_cast<std::int8_t>(hero.m_CharaEffect.nMode);
  live.nCharaEffectParam = static_cast<std::int8_t>(hero.m_CharaEffect.nRepeat);
  live.nTimeLeft = scene.m_nTimeLeft;
  live.nLives = record.nLife;
  live.nBgm = record.nBgmNo;
  scene.Record().StoreHeroStatus(0, hero.m_Def, live);
}

// Story: the world map, or the title or a new lap when the map's entry says so.
int ProceedInStory(cStagePlayScene& scene, cStageShell& shell, int seriesNo) {
  cSaveData& record = scene.Record();
  if (record.nStageNo >= 0 && record.nStageNo < static_cast<int>(record.Switch.size()))
    record.Switch.VecAt(record.nStageNo) = 1;
  record.UpdateStageScore(record.StageName, record.nScore);
  record.nSeriesNo = seriesNo;
  // A story loaded from a save has no current map entry until the map picks one.
  const int onClear = record.lpWorldStage ? record.lpWorldStage->nOnClear : 0;
  if (onClear == 1) record.EnterNextRound();
  if (onClear != 2) return kSceneWorldMap;
  MenuCursor.Current().nY = shell.PlayMode();
  return kSceneTitle;
}

// Challenge: the stage's record and the stages it opens, saved; then the select.
int ProceedInChallenge(cStagePlayScene& scene, int seriesNo) {
  cSaveData& record = scene.Record();
  const int index = record.nStageNo - 1;
  // A stage number outside the challenge list leaves the records alone.
  if (index >= 0 && index < static_cast<int>(record.ClearList.size())) {
    cClearRecord& clear = record.ClearList.VecAt(index);
    clear.bCleared = 1;
    if (record.nScore > clear.nBest) {
      record.nBestTotal = AddToTotal(record.nBestTotal, static_cast<long long>(record.nScore) - clear.nBest);
      clear.nBest = record.nScore;
    }
    if (record.nStageNo >= record.nChallengeOpen)
      record.nChallengeOpen = std::min(record.nStageNo + 1, CurrentSystemData().m_nChallengeCount);
  }
  record.SaveChallenge(scene.Hooks().LoadContext());
  record.nSeriesNo = seriesNo;
  return kSceneChallengeSelect;
}

void DrawClearBanner(cStagePlayScene& scene) {
  if (!StageData || !StageData->m_bClearCaption) {
    scene.m_nCaption1 = kClearCounterEnd;
    return;
  }
  const int c = scene.m_nCaption1;
  scene.m_nCaption1 = std::min(c + 4, kClearCounterEnd);
  // The banner slides together in 4-dot bands over its first 24 frames.
  const int offset = c < kBannerSlide ? kBannerSlide - c : 0;
  DDDrawSplit(&BackBuffer, 256, 192, 128, 32, 4, offset, StageSurface(kWordSlot), 0, 64, 1, 0);
}

bool AnyPlace(const cStagePlayScene& scene) {
  return std::any_of(scene.m_RankPos.begin(), scene.m_RankPos.end(), [](int place) { return place != -1; });
}

}  // namespace

void AddTotals(cStagePlayScene& scene) {
  cSaveData& record = scene.Record();
  const int scoreBefore = record.nScore;
  scene.AddScore(record.nStageScore);
  if (!scene.m_bNoTimeLimit) record.nTimeLeftTotal = AddToTotal(record.nTimeLeftTotal, scene.m_nTimeLeft);
  record.nClearTimeTotal = AddToTotal(record.nClearTimeTotal, scene.m_nClearTime);
  if (scene.HasHero()) {
    record.nHpLeftTotal = AddToTotal(record.nHpLeftTotal, scene.Hero().m_nHp);
    record.nSpLeftTotal = AddToTotal(record.nSpLeftTotal, scene.Hero().m_nSp);
  }
  GrantExtraLives(scene, scoreBefore);
}

void StageClear(cStagePlayScene& scene) {
  scene.Hooks().RequestSe(14);
  AddTotals(scene);
  scene.m_bRegistered = scene.m_bRanked = 0;
  scene.m_RankPos.fill(-1);
  cStageShell* shell = scene.m_pShell;
  if (!shell) return;
  const bool directStart = shell->DirectStart();
  if (!directStart && !(shell->RankingOn() && HasNoNextStage(scene, scene.m_nNextStage))) return;
  const cSaveData& record = scene.Record();
  scene.m_RankValue = {record.nScore, record.nTimeLeftTotal, record.nClearTimeTotal, record.nHpLeftTotal,
                       record.nSpLeftTotal};
  if (shell->TestPlay() || !RankingData) return;
  for (int genre = 0; genre < RANKING_GENRE_COUNT; ++genre) {
    if (!GenreEnabled(shell->GameMode(), genre) || !CounterSwitchOn(genre)) continue;
    if (genre >= static_cast<int>(RankingData->Tables.size())) continue;
    const auto at = static_cast<size_t>(genre);
    scene.m_RankPos[at] = FindRankPosition(RankingData->Tables.VecAt(genre), scene.m_RankValue[at]);
    if (scene.m_RankPos[at] != -1) scene.m_bRanked = 1;
  }
}

int MakeNextStageName(cStagePlayScene& scene, std::string& out, int n) {
  out.clear();
  const cSaveData& record = scene.Record();
  if (!record.bSeriesStart || scene.m_nNextStage == 0 || record.StageName.empty()) return 0;
  const std::string base = record.StageName.substr(0, record.StageName.size() - 1);
  std::string name;
  StrFormat(name, "%s-%d.%s", base.c_str(), n, "stg4");
  if (FindLatestVersionFileStr(out, name, "stg4")) return 1;
  out.clear();
  return 0;
}

int HasNoNextStage(cStagePlayScene& scene, int n) {
  std::string name;
  return MakeNextStageName(scene, name, n) ? 0 : 1;
}

int ProceedAfterClear(cStagePlayScene& scene, cStageShell& shell) {
  StoreCarriedStatus(scene);
  cSaveData& record = scene.Record();
  const int seriesNo = record.nSeriesNo;
  switch (shell.PlayMode()) {
    case 0:
    case 1:
      return LoadNextStage(scene) ? kSceneStagePlay : ProceedInStory(scene, shell, seriesNo);
    case 2:
      return LoadNextStage(scene) ? kSceneStagePlay : ProceedInChallenge(scene, seriesNo);
    case kPlayModeFree:
      if (!record.bSeriesStart || shell.DirectStart()) {
        record.bStartPos = 0;
        return kSceneStagePlay;
      }
      if (LoadNextStage(scene)) return kSceneStagePlay;
      record.nSeriesNo = seriesNo;
      return kSceneTitle;
    case kPlayModeReplay:
      record.RestoreStageStartState(1, shell.GameMode(), shell.DirectStart());
      return kSceneStagePlay;
    default:
      return kSceneChallengeSelect;
  }
}

int RankingRegistrationMode() { return OptionData ? std::clamp(OptionData->m_nRankingMode, 0, 3) : 0; }

void StateClear(cStagePlayScene& scene, cStageShell& shell) {
  const bool autoProceed = StageData && StageData->m_bQuickClear;
  const int mode = RankingRegistrationMode();
  if (!autoProceed) {
    if (CheckPauseKey(scene, shell)) {
      scene.m_nStep = 0;
      scene.m_nState = PLAYSTATE_PAUSE;
      return;
    }
    CheckReplaySaveKeys(scene, shell);
    if (mode <= 1 && shell.KeyDown(VK_F3)) RegisterRanking(scene, shell);
  }
  if (scene.m_nStep == 0) {
    scene.m_nCaption1 = 0;
    scene.m_nStep = 1;
  }
  const WORD button = MenuInput().m_wButton;
  const bool leave = scene.m_nCaption1 >= kClearCounterEnd && (autoProceed || (button & kButton1));
  if (leave) {
    if (!autoProceed) {
      if (scene.m_bRanked && mode >= 2)
        RegisterRanking(scene, shell);
      else
        scene.Hooks().RequestSe(1);
    }
    shell.SetNextScene(ProceedAfterClear(scene, shell));
    scene.m_nCaption1 = 0;
    scene.m_nStep = 0;
    scene.m_nState = PLAYSTATE_FADEOUT;
    return;
  }
  const bool offerRegistration = !autoProceed && !scene.m_bRegistered && AnyPlace(scene) && mode <= 1;
  shell.DrawStage(0, 1, 0, offerRegistration ? 0 : 1);
  if (offerRegistration) DrawFooterText(&BackBuffer, kRankingHintText);
  DrawClearBanner(scene);
  if (scene.m_nCaption1 >= kClearCounterEnd && shell.RankingOn() && !autoProceed) {
    StatusPanelInputs inputs;
    for (int genre = 0; genre < RANKING_GENRE_COUNT; ++genre)
      inputs.counterSwitches[static_cast<size_t>(genre)] = CounterSwitchOn(genre) ? 1 : 0;
    inputs.bFreeStageStart = shell.DirectStart() ? 1 : 0;
    inputs.nGameMode = shell.GameMode();
    DrawStatusPanel(&BackBuffer, kStatusPanelX, kStatusPanelY, scene.m_RankPos, scene.Record(), inputs);
  }
}

void RegisterRanking(cStagePlayScene& scene, cStageShell& shell) {
  if (!shell.RankingOn() || !scene.m_bRanked || scene.m_bRegistered || !RankingData) return;
  cSaveData& record = scene.Record();
  const int mode = RankingRegistrationMode();
  if (mode == 1 || mode == 3) {
    scene.m_strRankName = OptionData ? OptionData->m_RankingName : std::string();
  } else {
    scene.m_strRankName = record.RankName;
    shell.EnterRankingName(scene.m_strRankName);
    record.RankName = scene.m_strRankName;
  }
  scene.Hooks().RequestSe(16);
  for (int genre = 0; genre < RANKING_GENRE_COUNT && genre < static_cast<int>(RankingData->Tables.size()); ++genre) {
    const auto at = static_cast<size_t>(genre);
    if (scene.m_RankPos[at] != -1)
      InsertRanking(RankingData->Tables.VecAt(genre), scene.m_strRankName, scene.m_RankValue[at]);
  }
  // A ranking that cannot be written stays in memory for this run; the report says so.
  if (!SaveRanking(*RankingData, shell.GameMode(), record.StageName))
    ReportLogEc("ranking of %s cannot be saved; it is kept until the program ends", record.StageName.c_str());
  scene.m_bRegistered = 1;
  shell.RunModalLoop(ModalLoop::Ranking);
}

int RankingThreadProc(cStagePlayScene& scene, cStageShell& shell) {
  cSaveData& record = scene.Record();
  const int gameMode = shell.GameMode();
  record.SelectRankingGenre(gameMode, 0);
  while (!shell.TakeQuitMessage()) {
    if (!shell.AppActive()) {
      PauseFramePacing();
      Sleep(1);
      continue;
    }
    shell.WaitNextFrame();
    if (!shell.RestoreLostSurfaces()) shell.PostClose();
    shell.ReadInput(KeyInputList);
    // The genre key is latched as well: a held key moves one genre, not one a frame.
    const WORD button = MenuInput(kButton1 | kButton4).m_wButton;
    if (button & kButton1) {
      scene.Hooks().RequestSe(1);
      return 1;
    }
    if ((button & kButton4) && CurrentSystemData().CountRankingGenres(gameMode) > 1) {
      scene.Hooks().RequestSe(6);
      record.SelectRankingGenre(gameMode, 1);
    }
    shell.DrawStage(0, 1, 0, 1);
    const int genre = std::clamp(record.nRankGenre, 0, RANKING_GENRE_COUNT - 1);
    if (RankingData)
      DrawRanking(*RankingData, &BackBuffer, kRankingX, kRankingY, genre, scene.m_RankPos[static_cast<size_t>(genre)],
                  gameMode, shell.English() ? 1 : 0);
    shell.PresentFrame();
  }
  return 1;
}
