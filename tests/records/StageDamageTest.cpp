// Damaged stage files: every cut and every overwritten word of a valid file
// loads as a clean failure with one log line, or as a stage.
#include <gtest/gtest.h>

#include <cstring>

#include "StageLayouts.h"
#include "records/StageData.h"

using namespace recordtest;

namespace {

// A stage with an entry in every list, and conditions and flows inside them.
Bytes RichStageFile() {
  cStageData stage;
  stage.m_strName = "rich";
  stage.m_PaletteBlocks.resize(3);
  stage.m_PaletteBlocks[2].m_nChip = 4;
  stage.m_PaletteBlocks[2].m_vConditions.resize(1);
  stage.m_PaletteCharas.resize(2);
  stage.m_PaletteCharas[1].m_vFlows.resize(1);
  stage.m_PaletteCharas[1].m_vFlows[0].m_vCommands.resize(1);
  stage.m_PaletteItems.resize(2);
  stage.m_PlacedBlocks.resize(1);
  stage.m_PlacedCharas.resize(1);
  stage.m_PlacedItems.resize(1);
  stage.m_NameRecords.resize(1);
  cRecordWriter out;
  out.WriteI32(nCurVersion);
  stage.Save(out, cLoadContext{});
  return out.Bytes();
}

struct LoadResult {
  bool loaded;
  std::size_t logLines;
};

LoadResult Load(const Bytes& file) {
  LogCapture log;
  cStageData stage;
  bool loaded = LoadDataBytes(file, "damaged.stg4_696", [&](cRecordReader& in) { stage.Load(in, cLoadContext{}); });
  return {loaded, log.Lines().size()};
}

TEST(StageDamage, EveryCutFailsWithOneLine) {
  const Bytes whole = RichStageFile();
  ASSERT_TRUE(Load(whole).loaded);
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    LoadResult result = Load(Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
    ASSERT_FALSE(result.loaded) << cut;
    ASSERT_EQ(result.logLines, 1u) << cut;
  }
}

TEST(StageDamage, EveryWordSetToAllOnesFailsCleanlyOrLoads) {
  const Bytes whole = RichStageFile();
  for (std::size_t at = 0; at + 4 <= whole.size(); ++at) {
    Bytes damaged = whole;
    std::memset(damaged.data() + at, 0xFF, 4);
    LoadResult result = Load(damaged);
    ASSERT_EQ(result.logLines, result.loaded ? 0u : 1u) << at;
  }
}

TEST(StageDamage, HugeCountsFailBeforeAllocating) {
  // Offsets of the counts that follow the header: the counter switches, then
  // (after five rules) the stage-palette blocks.
  const Bytes whole = RichStageFile();
  const std::size_t headerEnd = 4 + 4 + FieldBytes(kStageHeaderLayout, 696) + 4 + 4 + 5;  // name "rich"
  const std::size_t rulesEnd = headerEnd + 4 + 5 * 4 + 5 * (4 + 32 + 4);
  for (std::size_t at : {std::size_t{4}, headerEnd, rulesEnd}) {
    Bytes damaged = whole;
    std::memset(damaged.data() + at, 0xFF, 4);
    LoadResult result = Load(damaged);
    EXPECT_FALSE(result.loaded) << at;
    EXPECT_EQ(result.logLines, 1u) << at;
  }
}

}  // namespace
