#include "app/GlobalObjects.h"

#include <memory>

#include "app/Shell.h"
#include "gamedata/Database.h"
#include "gamedata/OptionData.h"
#include "gamedata/Ranking.h"
#include "gamedata/SaveData.h"
#include "gamedata/SaveSlots.h"
#include "gamedata/SystemData.h"
#include "gamedata/WorldMap.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"
#include "records/Palette.h"
#include "records/StageData.h"
#include "stage/Replay.h"

cBootSettings* BootSettings = nullptr;
cWindowPlacement* WindowPlacement = nullptr;

namespace {

// Owners in construction order; destroyed from the back.
struct Owners {
  std::unique_ptr<cBootSettings> boot;
  std::unique_ptr<cWindowPlacement> placement;
  std::unique_ptr<cSystemData> systemData;
  std::unique_ptr<cDatabase> database;
  std::unique_ptr<cWorldMap> worldMap;
  std::unique_ptr<cSaveData> playData, playDataAtStart, playDataAtStartPrev;
  std::unique_ptr<cReplayData> replayData, replayDataPrev;
  std::unique_ptr<cOptionData> optionData;
  std::unique_ptr<SaveSlotVector> saveSlots;
  std::unique_ptr<cRanking> ranking;
  bool palette = false;
  bool stage = false;
};
Owners owners;
cLoadContext playerContext;

template <typename T, typename... Args>
T* Make(std::unique_ptr<T>& owner, T*& global, Args&&... args) {
  owner = std::make_unique<T>(std::forward<Args>(args)...);
  global = owner.get();
  return global;
}

template <typename T>
void Drop(std::unique_ptr<T>& owner, T*& global) {
  global = nullptr;
  owner.reset();
}

}  // namespace

void CreateGlobalObjects() {
  Make(owners.boot, BootSettings);
  Make(owners.placement, WindowPlacement);
  MenuCursor.ResetCursor();
  KeyInputList.assign(1, cKeyInput{});
  CreatePaletteGlobals();
  owners.palette = true;
  Make(owners.systemData, SystemData);
  Make(owners.database, Database);
  CreateStageGlobals();
  owners.stage = true;
  Make(owners.worldMap, WorldMap);
  Make(owners.playData, PlayData);
  Make(owners.playDataAtStart, PlayDataAtStart);
  Make(owners.playDataAtStartPrev, PlayDataAtStartPrev);
  Make(owners.replayData, ReplayData);
  Make(owners.replayDataPrev, ReplayDataPrev);
  Make(owners.optionData, OptionData);
  Make(owners.saveSlots, SaveSlotList, STORY_SLOT_COUNT, cSaveSlot{});
  Make(owners.ranking, RankingData);
  RefreshPlayerContext();
}

void DestroyGlobalObjects() {
  Drop(owners.ranking, RankingData);
  Drop(owners.saveSlots, SaveSlotList);
  Drop(owners.optionData, OptionData);
  Drop(owners.replayDataPrev, ReplayDataPrev);
  Drop(owners.replayData, ReplayData);
  Drop(owners.playDataAtStartPrev, PlayDataAtStartPrev);
  Drop(owners.playDataAtStart, PlayDataAtStart);
  Drop(owners.playData, PlayData);
  Drop(owners.worldMap, WorldMap);
  if (owners.stage) DestroyStageGlobals();
  owners.stage = false;
  Drop(owners.database, Database);
  Drop(owners.systemData, SystemData);
  if (owners.palette) DestroyPaletteGlobals();
  owners.palette = false;
  KeyInputList.clear();
  Drop(owners.placement, WindowPlacement);
  Drop(owners.boot, BootSettings);
  playerContext = cLoadContext{};
}

const cLoadContext& PlayerContext() { return playerContext; }

void RefreshPlayerContext() {
  cLoadContext ctx;
  if (Database) FillLoadContext(*Database, ctx);
  if (CommonPalette) ctx = CommonPalette->AsCommonPalette(ctx);
  ctx.bKeepMarkedFlows = SystemData && SystemData->m_bKeepMarkedFlows != 0;
  ctx.bTestPlay = bTestPlay.load() != 0;
  playerContext = std::move(ctx);
}
