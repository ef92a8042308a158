#include "stage/StageSetup.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "flow/Interpreter.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/SystemData.h"
#include "library/draw/Draw.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "library/util/Convert.h"
#include "library/util/FrameTiming.h"
#include "library/util/Log.h"
#include "library/util/Random.h"
#include "library/util/Text.h"
#include "platform/Clock.h"
#include "platform/Trace.h"
#include "records/FlowEnums.h"
#include "stage/Collision.h"
#include "stage/Darkness.h"
#include "stage/Replay.h"
#include "stage/StageClear.h"
#include "stage/StageRules.h"
#include "stage/StageScene.h"

namespace {

// Boxes and extents come from the stage file: held where the dot arithmetic
// of positions, edges and cells cannot overflow.
constexpr int kMaxBoxDots = 1024;
constexpr long long kMaxExtentDots = 1 << 28;
// Hit times count frames and are multiplied by the steps when used; longer
// than a day of play they could overflow.
constexpr int kMaxHitFrames = 60 * 60 * 60 * 24;

int HitFrames(int frames) { return std::clamp(frames, -kMaxHitFrames, kMaxHitFrames); }

SizeRule Size(const BoxSize& box, int bottom) {
  return SizeRule{std::clamp(box.cx, 1, kMaxBoxDots), std::clamp(box.cy, 1, kMaxBoxDots), bottom};
}

void Trace(const std::string& line) {
  if (platform::TraceOn()) platform::TraceLine(line);
}

void SetUpAxis(SCROLLDATA& axis, int axisNo, int cells, int extent, int autoOn, int speed, int steps, int startOn,
               int start, int endOn, int end) {
  axis.nAxis = axisNo;
  axis.nView = axisNo == 0 ? 640 : 480;
  axis.nMarginCells = 10;
  axis.nMarginPx = 320;
  axis.nActiveRange = static_cast<int>(std::clamp(extent + 640LL, -kMaxExtentDots, kMaxExtentDots));
  axis.nFullUpper = std::max((cells + 10) * 32, 0);
  axis.SetAutoScroll(autoOn, speed, steps);
  // The loader only lowers limit cells: one far before the map stops at the
  // map's outer edge, where the dot arithmetic stays small.
  const int lowest = -axis.nMarginCells, highest = cells + axis.nMarginCells;
  axis.SetScrollLimits(std::clamp(start, lowest, highest), std::clamp(end, lowest, highest), startOn, endOn);
}

// The map is stored with its margins in rows of a power-of-two stride; a side
// of no cells, or a stored grid past this many cells, cannot be played.
constexpr long long kMaxMapCells = 1 << 21;

bool MapSizePlayable(const cStageData& stage) {
  const long long w = stage.m_nMapWidth, h = stage.m_nMapHeight;
  if (w < 1 || h < 1 || w > kMaxMapCells || h > kMaxMapCells) return false;
  const auto stride = static_cast<long long>(std::bit_ceil(static_cast<unsigned long long>(w + 20)));
  return stride * (h + 20) <= kMaxMapCells;
}

void BuildMap(cStagePlayScene& scene, const cStageData& stage) {
  scene.BuildEmptyMap();
  const int columns = scene.m_ScrollX.nCells, rows = scene.m_ScrollY.nCells;
  for (const cBlockDef& placed : stage.m_PlacedBlocks) {
    const int column = placed.m_nMapX + 10, row = placed.m_nMapY + 10;
    // A placement outside the stored map would land in another row or past the end.
    if (column < 0 || column >= columns || row < 0 || row >= rows) continue;
    MAPCELL& cell = scene.CellAt(scene.CellIndex(column, row));
    cell.block = placed;
    cell.nAppeared = 0;
  }
}

// The hero at its placed cell, or where the last clear's start-position
// override puts it, with the HP and SP a carrying stage brings along.
void PlaceTheHero(cStagePlayScene& scene, cStageData& stage) {
  scene.Player.clear();
  cSaveData& record = scene.Record();
  const int heroIndex = std::max(stage.FindHero(), 0);
  cCharaDef& def = stage.m_PlacedCharas.VecAt(heroIndex);
  for (int p = 0; p < scene.m_nPlayers; ++p) {
    cPlayer& hero = scene.Player.emplace_back();
    if (record.bStartPos) def.m_nFacing = record.nStartDir;
    hero.PlaceHero(scene.m_nNextCharaId++, def, ((def.m_nMapX + 10) * 32) + 16, ((def.m_nMapY + 10) * 32) + 16);
    if (record.bStartPos) {
      // The cell comes from a command or a save: held where dot arithmetic stays small.
      def.m_nMapX = static_cast<int>(std::clamp<long long>(record.nStartX, -kMapMarginCells, kMaxMapCells));
      def.m_nMapY = static_cast<int>(std::clamp<long long>(record.nStartY, -kMapMarginCells, kMaxMapCells));
    }
    hero.SetBlockX(def.m_nMapX);
    hero.SetBlockY(def.m_nMapY);
    const double dx = def.GetStepX(0, def.m_nFacing), dy = def.GetStepY(0, def.m_nFacing);
    hero.m_dX += dx, hero.m_dRight += dx;
    hero.m_dY += dy, hero.m_dBottom += dy;
    if (stage.m_bTakeCarriedStatus) record.RestoreHeroExtra(p, hero.m_nHp, hero.m_nSp);
    hero.m_Anime.SetAnime(hero.m_bFlying ? 2 : 0, 1);
  }
}

void CentreCamera(cStagePlayScene& scene) {
  cPlayer& hero = scene.Hero();
  scene.m_ScrollX.dPos = hero.m_dX - 320 + hero.m_nWidth / 2;
  scene.m_ScrollX.ClampScroll();
  scene.m_ScrollY.dPos = hero.m_dY - 240 + hero.m_nHeight / 2;
  scene.m_ScrollY.ClampScroll();
  hero.UpdateHeroScreenRect();
  RefreshHeroLight(hero);
}

void SpawnPlaced(cStagePlayScene& scene, cStageData& stage) {
  std::vector<bool> used(stage.m_PlacedItems.size(), false);
  for (const cCharaDef& def : stage.m_PlacedCharas) {
    if (def.m_nOperator != 1) continue;
    const int k = def.m_nCarriedItem;
    if (k < 0 || k >= static_cast<int>(stage.m_PlacedItems.size())) {
      SpawnCharas(def.m_nMapX, def.m_nMapY, scene.m_nNextCharaId, def, nullptr);
      continue;
    }
    cItem carried;
    cItemDef itemDef = stage.m_PlacedItems.VecAt(k);
    carried.InitItem(scene.m_nNextItemId++, itemDef, 1);
    SpawnCharas(def.m_nMapX, def.m_nMapY, scene.m_nNextCharaId, def, &carried);
    used[static_cast<size_t>(k)] = true;
  }
  for (size_t i = 0; i < used.size(); ++i) {
    if (used[i]) continue;
    const cItemDef& def = stage.m_PlacedItems.VecAt(static_cast<int>(i));
    SpawnItems(def.m_nMapX, def.m_nMapY, scene.m_nNextItemId, def);
  }
}

bool AnyEdge(const cOutAreaRule& rule) {
  return std::any_of(rule.m_bSwitch.begin(), rule.m_bSwitch.end(), [](int on) { return on != 0; });
}

void CopyOutAreaRules(cStagePlayScene& scene, const cStageData& stage) {
  for (int i = 0; i < kOutAreaRuleCount; ++i) {
    const cOutAreaRule& from = stage.m_OutAreaRules[static_cast<size_t>(i)];
    OutAreaRule& to = scene.m_OutAreaRules[static_cast<size_t>(i)];
    to.bLeft = from.m_bSwitch[0], to.bRight = from.m_bSwitch[1], to.bTop = from.m_bSwitch[2];
    to.bBottom = from.m_bSwitch[3];
    to.nLeft = from.m_nMargin[0], to.nRight = from.m_nMargin[1], to.nTop = from.m_nMargin[2];
    to.nBottom = from.m_nMargin[3];
  }
  for (size_t i = 0; i < scene.m_bOutRule.size(); ++i) scene.m_bOutRule[i] = AnyEdge(stage.m_OutAreaRules[i]) ? 1 : 0;
}

// Before the stage starts: the hero's flows first, then every character's; a
// character its own flows made vanish or defeated leaves at once.
void FireBeforeStage(cStagePlayScene& scene) {
  FireFlowTrigger(scene.Hero(), TRG_BEFORE_STAGE_START);
  for (cNpc& c : scene.CharaList) {
    if (c.m_bRemoved) continue;
    FireFlowTrigger(c, TRG_BEFORE_STAGE_START);
    if (c.m_bVanished) {
      scene.EraseChara(c);
    } else if (c.m_nHp < 1) {
      if (DefeatChara(c) == 1) StageClear(scene);
      scene.EraseChara(c);
    }
  }
  scene.CollectRemoved();
}

bool PlayingBack(cStagePlayScene& scene) { return scene.Hooks().PlayMode() == kPlayModeReplay; }

// Playback reads its file again at every loop, the first one included, so
// that each loop starts from the recorded play record, stage and input.
void ReloadReplay(cStagePlayScene& scene, cStageData& stage) {
  cStageData settings;
  if (LoadReplayFile(stage.m_strPath, *ReplayData, stage, settings, scene.Record(), scene.Hooks().LoadContext()))
    return;
  EcLogf("SetStage: the replay %s cannot be read again", stage.m_strPath.c_str());
  scene.Hooks().PostClose();
}

// Playback takes the recorded seed. Recording keeps the attempt before this
// one (F2) with the record it started from and takes a fresh seed; otherwise a
// restart repeats the last seed.
void ChooseSeed(cStagePlayScene& scene) {
  if (PlayingBack(scene) && ReplayData) {
    RewindReplay(*ReplayData);
    scene.m_nSeed = ReplayData->m_nSeed;
  } else if (SystemData && SystemData->m_bReplayRecording) {
    if (PlayDataAtStart && PlayDataAtStartPrev) {
      *PlayDataAtStartPrev = *PlayDataAtStart;
      *PlayDataAtStart = scene.Record();
    }
    scene.m_nSeed = static_cast<int>(timeGetTime());
    if (ReplayData) {
      if (ReplayDataPrev) CopyReplay(*ReplayDataPrev, *ReplayData);
      ResetReplayData(*ReplayData);
      ReplayData->m_nSeed = scene.m_nSeed;
    }
  }
  crt::srand(static_cast<unsigned>(scene.m_nSeed));
}

// The stage's tune: at the first set-up unless the same tune plays on (a kept
// tune 0 still stops whatever plays); at a restart only when it differs.
void StartStageMusic(cStagePlayScene& scene, const cStageData& stage, int bFirst) {
  const int playing = PlayData ? PlayData->nBgmNo : 0;
  const bool same = stage.m_nBgm == playing;
  const bool request = bFirst ? !(stage.m_bKeepBgm && same) || stage.m_nBgm == 0 : !same;
  if (request) RequestBgm(scene, stage.m_nBgm, stage.m_bBgmLoop);
}

// The play record's part of a new attempt: the stage score starts at 0 (in a
// test play on a stage file the totals too) and the record keeps its
// stage-start state, to which a lost life returns. Playback goes on from the
// record its file kept of the attempt's start, score included, so that it
// repeats the attempt; only an old file without one starts the totals at 0.
void StartPlayRecord(cStagePlayScene& scene) {
  cSaveData& record = scene.Record();
  record.nStageScore = 0;
  const bool recordedStart = PlayingBack(scene) && ReplayData && ReplayData->m_bStartRecord;
  if (scene.m_bTestPlayOnFile || (PlayingBack(scene) && !recordedStart)) record.ClearPlayTotals();
  record.StoreStageStartState();
}

// A new attempt reads no key pressed in the one before: key commands match
// against the timelines, so a sequence begun then could complete at once.
void ForgetEarlierInput() {
  for (cKeyInput& record : KeyInputList) {
    record.ClearInputHistory();
    record.TrimKeyTimelines();
  }
  MenuCursor.ResetCursor();
}

// The 8-bit display palette starts each attempt from the loaded colours, so
// no tint or fade of the lost attempt stays on the screen.
void RestoreDisplayPalette() {
  if (nBpp == 8) DDShowLoadedPalette();
}

}  // namespace

void RulesFromStage(const cStageData& stage, cStageRules& rules) {
  rules.SetCollisionLevel(stage.m_nCollisionLevel, stage.m_dGravity);
  rules.nMapWidth = stage.m_nMapWidth;
  rules.nMapHeight = stage.m_nMapHeight;
  const auto& h = stage.m_HeroBox;
  rules.HeroBody = {Size(h[0], stage.m_nHeroBoxAlign[0]), Size(h[1], stage.m_nHeroBoxAlign[1])};
  rules.HeroContact = {Size(h[2], stage.m_nSizeBoxAlign[0]), Size(h[3], stage.m_nSizeBoxAlign[1])};
  rules.HeroDamage = Size(h[4], 0);
  rules.HeroContact2 = Size(h[5], 0);
  rules.HeroItemBox = Size(stage.m_ItemBox, 0);
  const auto& c = stage.m_CharaBox;
  rules.CharaBody = {Size(c[0], stage.m_nCharaBoxAlign[0]), Size(c[1], stage.m_nCharaBoxAlign[1])};
  rules.CharaContact = {Size(c[2], stage.m_nCharaBoxAlign2[0]), Size(c[3], stage.m_nCharaBoxAlign2[1])};
  rules.CharaDamage = Size(c[4], 0);
  rules.CharaContact2 = Size(stage.m_ExtraBox[0], 0);
  rules.ItemBody = Size(stage.m_ExtraBox[1], 0);
  rules.ShotBox = {Size(stage.m_ExtraBox[2], 0), Size(stage.m_ExtraBox[3], 0)};
  // The stage lists the overlay settings as body, contact, damage and item box.
  constexpr BOXPARTKIND kOverlayRows[] = {BOXPART_BODY, BOXPART_CONTACT, BOXPART_DAMAGE, BOXPART_ITEM};
  for (size_t row = 0; row < std::size(kOverlayRows); ++row)
    rules.HeroBoxOverlay[kOverlayRows[row]] = {stage.m_nDrawPartFactor[row], stage.m_nDrawPartSelector[row]};
  rules.nHeroImmune = HitFrames(stage.m_nHitTimes[0]);
  rules.nHeroInvincible = HitFrames(stage.m_nHitTimes[1]);
  rules.nCharaImmune = HitFrames(stage.m_nHitTimes[2]);
  rules.nCharaInvincible = HitFrames(stage.m_nHitTimes[3]);
  rules.bHitsOnScreenOnly = stage.m_bActiveHitsOnly;
  rules.nHitChecks = stage.m_nHitPasses;
}

void RulesFromSystemData(const cSystemData& system, cStageRules& rules) {
  // Compatibility switch n is m_nCompat[n - 1].
  auto compat = [&](int n) { return system.m_nCompat[n - 1]; };
  rules.bScrollRelativeMove = compat(1);
  rules.bScaleFromBody = compat(2);
  rules.bKeepDefeated = compat(3);
  rules.bPaletteAnimation = compat(6);
  rules.bTriggerEveryStep = compat(7);
  rules.bThunderNoGap = compat(8);
  rules.bStrictProtect = compat(9);
  rules.bAllowKeyStepOverlap = compat(10);
  rules.bLandWhileRising = compat(11);
  rules.bKeepNegativeMoveTime = compat(12);
  rules.bKeepTestPlayFlows = system.m_bKeepMarkedFlows;
}

cCheckedVector<int> MakeHitStepMask(int steps, int checks) {
  const int n = std::max(steps, 1);
  // As many checks as steps or more check in every step (and a huge count
  // would take as many turns of the loop below).
  if (checks <= 0 || checks >= n) return cCheckedVector<int>(static_cast<size_t>(n), 1);
  cCheckedVector<int> mask(static_cast<size_t>(n), 0);
  const double d = static_cast<double>(n) / checks;
  int set = 0;
  for (double p = 0.0; DoubleToInt(std::floor(p)) < n; p += d) {
    mask.VecAt(DoubleToInt(std::floor(p))) = 1;
    ++set;
  }
  if (set < checks) mask.VecAt(n - 1) = 1;
  return mask;
}

bool SetStage(cStagePlayScene& scene, int bReload, int bFirst) {
  Trace("In SetStage");
  CurrentPlayScene = &scene;
  if (!StageData) return false;
  cStageData& stage = *StageData;
  if (PlayingBack(scene) && ReplayData) {
    const std::string path = stage.m_strPath;
    ReloadReplay(scene, stage);
    stage.m_strPath = path;
  }
  if (bReload && StageDataOrg && StageDataOrg != StageData) stage.CopySettings(*StageDataOrg);
  if (!stage.HasHero()) {
    EcLog("SetStage: the stage has no hero");
    return false;
  }
  if (!MapSizePlayable(stage)) {
    EcLogf("SetStage: a map of %d x %d cells cannot be played", stage.m_nMapWidth, stage.m_nMapHeight);
    return false;
  }
  if (!std::isfinite(stage.m_dGravity)) {
    EcLogf("SetStage: a gravity of %g cannot be played", stage.m_dGravity);
    return false;
  }
  scene.m_nFrame = 0;
  for (auto& faction : scene.m_CharaByFaction) faction.clear();
  scene.CharaList.clear();
  scene.ItemList.clear();
  scene.ClearShots();
  ChooseSeed(scene);
  if (stage.m_bTakeCarriedStatus && stage.HasHero())
    scene.Record().RestoreHeroStatus(0, stage.m_PlacedCharas.VecAt(stage.FindHero()), stage);
  StartStageMusic(scene, stage, bFirst);

  scene.m_nNextCharaId = scene.m_nNextItemId = scene.m_nNextShotId = 0;
  RulesFromStage(stage, scene.m_Rules);
  if (SystemData) RulesFromSystemData(*SystemData, scene.m_Rules);
  const int steps = scene.m_Rules.nSteps;
  scene.m_nStageScrollSpeedX = stage.m_nScrollSpeedX;
  scene.m_nStageScrollSpeedY = stage.m_nScrollSpeedY;
  scene.m_bStageAutoScrollX = stage.m_nScrollModeX == 1;
  scene.m_bStageAutoScrollY = stage.m_nScrollModeY == 1;
  BuildMap(scene, stage);
  const auto& on = stage.m_bScrollLimit;
  const auto& cell = stage.m_nScrollLimit;
  SetUpAxis(scene.m_ScrollX, 0, stage.m_nMapWidth, stage.m_nExtentX, scene.m_bStageAutoScrollX, stage.m_nScrollSpeedX,
            steps, on[0], cell[0], on[1], cell[1]);
  SetUpAxis(scene.m_ScrollY, 1, stage.m_nMapHeight, stage.m_nExtentY, scene.m_bStageAutoScrollY, stage.m_nScrollSpeedY,
            steps, on[2], cell[2], on[3], cell[3]);

  PlaceTheHero(scene, stage);
  CentreCamera(scene);
  scene.m_StageVar.assign(kStageVars, 0);
  SpawnPlaced(scene, stage);
  scene.AddToFactionList(scene.Hero());
  for (const cNpc& c : scene.CharaList) scene.AddToFactionList(c);
  CopyOutAreaRules(scene, stage);

  scene.m_EffectList.clear();
  ResetEffectState(scene.m_ScrEffect);
  scene.m_ScreenColor = SCREENCOLOR{};
  scene.m_PauseReq.nSpare = 0;
  scene.ReleasePictures();
  scene.ReleaseMessageSurfaces();
  scene.m_HitStepMask = MakeHitStepMask(steps, stage.m_nHitPasses);
  scene.m_nEndRequest = scene.m_nCaption1 = scene.m_nCaption2 = 0;
  scene.m_bNoTimeLimit = stage.m_bTimeLimit ? 0 : 1;
  scene.m_nTimeLeft = stage.m_bTimeLimit ? stage.m_nTimeLimit : 999;
  scene.m_nPlayFrames = scene.m_nClearTime = 0;
  scene.m_GroupAwake.assign(kWakeGroups, 0);
  scene.m_nNextStage = scene.m_nLogicStep = 0;
  StartPlayRecord(scene);
  ForgetEarlierInput();
  FrameCounter(0, static_cast<DWORD>(std::max(stage.m_nFrameRate, 1)));
  for (cBgLayer& layer : stage.m_BgLayers) layer.m_dOffsetX = layer.m_dOffsetY = 0.0;
  RestoreDisplayPalette();

  FireBeforeStage(scene);
  scene.m_bShowStatus = stage.m_bShowStatus;
  UpdateActiveFlags(scene);
  DDSetVirBackBuffer(0);
  if (platform::TraceOn()) {
    std::string line;
    StrFormat(line, "SetStage seed=%d hero=%d,%d charas=%d items=%d", scene.m_nSeed, DoubleToInt(scene.Hero().m_dX),
              DoubleToInt(scene.Hero().m_dY), static_cast<int>(scene.CharaList.size()),
              static_cast<int>(scene.ItemList.size()));
    platform::TraceLine(line);
  }
  Trace("Out SetStage");
  return true;
}

void ResetPlay(cStagePlayScene& scene, cSaveData& record, bool directStart) {
  record.nLife = record.nEntryLife;
  record.nStageScore = 0;
  record.ClearPlayTotals();
  record.bStartPos = 0;
  scene.m_ScrollX.dPos = scene.m_ScrollY.dPos = 0.0;
  scene.m_nStep = 0;
  scene.m_nCaption1 = scene.m_nCaption2 = 0;
  scene.m_bButtonHold = 0;
  scene.m_nTimeLeft = 0;
  scene.m_bRegistered = 0;
  for (cMessage& message : scene.m_MessageList) message.Remove();
  if (!PlayingBack(scene)) {
    for (cReplayData* replay : {ReplayData, ReplayDataPrev})
      if (replay) ResetReplayData(*replay);
  }
  if (directStart) record.nSeriesNo = 1;
  if (RankingData && scene.m_pShell && scene.m_pShell->RankingOn())
    LoadRanking(*RankingData, scene.m_pShell->GameMode(), record.StageName);
}
