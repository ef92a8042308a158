#pragma once
// One playable stage: its header settings, its own palette of definitions, the
// blocks, characters and items placed on its map, background layers,
// out-of-area rules, counter switches and name records. `StageData` is the
// stage being played; `StageDataOrg` keeps the settings of the stage as loaded.
#include <array>
#include <cstdint>
#include <string>

#include "library/util/CheckedVector.h"
#include "records/BlockDef.h"
#include "records/CharaDef.h"
#include "records/DataRecord.h"
#include "records/ItemDef.h"
#include "records/StageParts.h"

// The last word of a stage file from version 173 on.
constexpr std::uint32_t STAGE_END_MARK = 123456789;
constexpr int kOutAreaRules = 5;
constexpr int kCounterSwitches = 5;

struct BoxSize {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
};

class cStageData final : public cDataRecord {
 public:
  cStageData();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();

  void SetCollisionLevel(int level);
  // Brings the settings into range and validates every definition; runs after
  // every load and before every save.
  void NormalizeStage(const cLoadContext& ctx);
  int FindHero() const;
  bool HasHero() const { return FindHero() != -1; }
  // The palette this stage offers to definitions that inherit from it.
  PaletteLists Palette() const { return {&m_PaletteBlocks, &m_PaletteCharas, &m_PaletteItems}; }
  // `ctx` with this stage as the stage whose palette definitions refer to.
  cLoadContext WithThisStage(const cLoadContext& ctx) const;
  // Takes the settings of `other` (header, name, layers, name records, rules,
  // counter switches), leaving the definition lists alone.
  void CopySettings(const cStageData& other);
  // Empties the six definition lists (palette and placed).
  void ClearDefinitions();
  // Writes this stage in the stage-file layout without the version word, with
  // the settings of `settings` and the definitions of this stage.
  void SaveStageSnapshot(cRecordWriter& out, const cStageData& settings, const cLoadContext& ctx);

  std::string m_strName;
  cCheckedVector<cBlockDef> m_PlacedBlocks;
  cCheckedVector<cCharaDef> m_PlacedCharas;
  cCheckedVector<cItemDef> m_PlacedItems;
  cCheckedVector<cBlockDef> m_PaletteBlocks;
  cCheckedVector<cCharaDef> m_PaletteCharas;
  cCheckedVector<cItemDef> m_PaletteItems;
  cCheckedVector<cBgLayer> m_BgLayers;
  cCheckedVector<cNameRecord> m_NameRecords;
  cCheckedVector<std::int32_t> m_CounterSwitches;  // by ranking genre; 1 = on
  std::array<cOutAreaRule, kOutAreaRules> m_OutAreaRules;

  // The header, in file order (the stored field of each row of the settings table).
  std::int32_t m_nMapWidth = 0;
  std::int32_t m_nReserved2 = 0;  // not read by the player
  std::int32_t m_nReserved3 = 0;
  std::int32_t m_nMapHeight = 0;
  std::array<std::int32_t, 4> m_bScrollLimit{};  // left, right, top, bottom
  std::array<std::int32_t, 4> m_nScrollLimit{};  // limit cells, by the same edges
  std::int32_t m_nFrameRate = 0;
  std::int32_t m_bTimeLimit = 0;
  std::int32_t m_nTimeLimit = 0;
  std::int32_t m_nTimeWarning = 0;
  std::int32_t m_nScrollModeX = 0;  // 0 follow the hero, 1 automatic
  std::int32_t m_nScrollModeY = 0;
  std::int32_t m_nScrollSpeedX = 0;  // 0.1 dots per frame
  std::int32_t m_nScrollSpeedY = 0;
  double m_dGravity = 0;
  std::int32_t m_nCollisionLevel = 0;
  std::int32_t m_nHitPasses = 0;
  std::int32_t m_nBgm = 0;
  std::int32_t m_bBgmLoop = 0;
  std::int32_t m_bKeepBgm = 0;
  std::int32_t m_bDrawLayers = 0;
  std::int32_t m_bTakeCarriedStatus = 0;
  std::int32_t m_bStoreStatus = 0;
  std::int32_t m_bShowStatus = 0;
  std::int32_t m_bQuickClear = 0;
  std::int32_t m_bStageCaption = 0;
  std::int32_t m_bSecondCaption = 0;
  std::int32_t m_bClearCaption = 0;
  std::int32_t m_bGameOverCaption = 0;
  std::array<BoxSize, 6> m_HeroBox{};
  std::array<std::int32_t, 2> m_nHeroBoxAlign{};  // boxes 1 and 2: 0 centred, 1 bottom
  std::array<std::int32_t, 2> m_nSizeBoxAlign{};  // the size-state boxes
  std::array<std::int32_t, 4> m_nDrawPartFactor{};
  std::array<std::int32_t, 4> m_nDrawPartSelector{};
  std::array<BoxSize, 5> m_CharaBox{};
  std::array<std::int32_t, 2> m_nCharaBoxAlign{};
  std::array<std::int32_t, 2> m_nCharaBoxAlign2{};
  BoxSize m_ItemBox{};
  std::array<BoxSize, 4> m_ExtraBox{};
  std::int32_t m_bReserved84 = 0;  // not read by the player
  std::int32_t m_nExtentX = 0;     // dots beyond 640 of the map's right and bottom bounds
  std::int32_t m_nExtentY = 0;
  // Derived by SetCollisionLevel.
  std::int32_t m_nSteps = 0;
  double m_dSteps = 0;
  double m_dSteps2 = 0;
  double m_dSpeedLimit = 0;
  double m_dGravityPerStep = 0;
  double m_dSpeedLimitPerStep = 0;
  std::int32_t m_nSteps8 = 0;
  std::int32_t m_bActiveHitsOnly = 0;
  std::array<std::int32_t, 4> m_nHitTimes{};  // immune and invincible frames, two pairs

  // Run time only, never saved.
  std::string m_strPath;
  int m_bUseNewest = 0;
  bool m_bLoadDone = false;
  int m_nSteps6 = 0;

 private:
  void AddBox(BoxSize& box, int from = 0);
  void SetDefaultRules();
  void MigrateHeader(int version);
  void SaveSettings(cRecordWriter& out, const cLoadContext& ctx);
  void SaveLayersAndNames(cRecordWriter& out, const cLoadContext& ctx);
  void SaveDefinitions(cRecordWriter& out, const cLoadContext& ctx);
};

// The stage being played and the settings of the stage as loaded. The
// application's start-up sequence builds them (CreateStageGlobals) and its
// shutdown destroys them; nothing is built at static initialisation.
extern cStageData* StageData;
extern cStageData* StageDataOrg;
void CreateStageGlobals();
void DestroyStageGlobals();
