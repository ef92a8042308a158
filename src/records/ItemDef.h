#pragma once
// An item definition: graphic, how often it can be taken, the sound played
// then, appearance conditions and the item commands run on the hero who takes
// it. The entries of the palettes' item lists and the placed items of a stage
// are item definitions.
#include <cstdint>
#include <string>

#include "library/util/CheckedVector.h"
#include "records/DataRecord.h"
#include "records/Flow.h"
#include "records/Inherit.h"

// Property groups an item can take from a palette entry, one flag each.
constexpr std::size_t kItemInheritGroups = 13;

class cItemDef final : public cDataRecord {
 public:
  cItemDef() { SetDefault(); }
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();

  void Inherit(const cLoadContext& ctx);
  // Database references and sizes brought into range.
  void Validate(const cLoadContext& ctx);
  // References into the palettes; run once whole palettes or stages are read.
  void ValidatePaletteRefs(const cLoadContext& ctx);

  std::int16_t m_nMapX = 0;
  std::int16_t m_nMapY = 0;
  cInheritLink m_Inherit;
  std::string m_strName;
  cCheckedVector<cCondition> m_vConditions;
  std::int8_t m_nCondMode = 0;
  std::int8_t m_bCondLatch = 0;
  // Drawing offsets and Z order: kept, inherited and copied; stage play may draw by them.
  std::int16_t m_nDrawOffsetX = 0;
  std::int16_t m_nDrawOffsetY = 0;
  std::int16_t m_nGraphic = 0;
  std::int8_t m_nGraphicSrc = 0;  // sprite kind, 2 the item sheet
  std::int16_t m_nGraphicCol = 0;
  std::int8_t m_nZ = 0;
  std::int8_t m_bHidden = 0;
  std::int8_t m_bMark = 0;
  std::int16_t m_nMark = 0;
  std::int8_t m_nPickUpMode = 0;  // 0 once, 1 any number of times, 2 never
  std::int8_t m_bShowGraphic = 0;
  std::int8_t m_nSize = 0;
  std::int16_t m_nSound = 0;
  cCheckedVector<cFlowCommand> m_vCommands;  // item commands
};

// The palette entry a block item or a shot's item names: kind 1 the common
// palette, 2 the stage palette; none for another kind or an index outside the list.
const cItemDef* GetItemDef(int kind, int index, const cLoadContext& ctx);
