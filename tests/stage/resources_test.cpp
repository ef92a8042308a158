// The stage's database surface lists: which entries load, how each entry's
// surfaces are linked, and that a missing file leaves only its own surfaces empty.
#include <gtest/gtest.h>

#include "gamedata/Database.h"
#include "library/draw/SurfaceTables.h"
#include "library/draw_fixture.h"
#include "records/StageData.h"
#include "stage/StageResources.h"

namespace {

class StageResourcesTest : public drawtest::DrawTest {
 protected:
  void TearDown() override {
    ReleaseStageResources(nullptr);
    drawtest::DrawTest::TearDown();
  }
  cDatabase db;
};

cDbBmpCharaExc Bmp(const char* file, int largeCell = 0, int cellSize = 2) {
  cDbBmpCharaExc entry;
  entry.m_File = file;
  entry.m_bLargeCell = largeCell;
  entry.m_nCellSize = cellSize;
  return entry;
}

TEST_P(StageResourcesTest, SpecialBitmapsSkipEntryZeroAndLoadFourSurfacesPerEntry) {
  db.Bmp_CharaExc = {Bmp("bmp\\Sheet8.bmp"), Bmp("bmp\\Sheet8.bmp"), Bmp("bmp\\Missing.bmp"),
                     Bmp("bmp\\Sheet24.bmp", 1, 3)};
  LoadStageBmps(db);
  ASSERT_EQ(SpecialBmpSD.size(), 12u);
  ASSERT_EQ(SpecialBmpDesc.size(), 12u);
  const int linked = D3D() ? 1 : 0;
  for (int entry : {0, 2}) {
    const size_t first = static_cast<size_t>(4 * entry);
    const int mirror = entry == 2 ? 3 * 32 : 32;
    for (size_t k = 0; k < 4; ++k) {
      SCOPED_TRACE(first + k);
      EXPECT_EQ(SpecialBmpSD[first + k].nWidth, 4);
      EXPECT_EQ(SpecialBmpSD[first + k].lpLinkSD, k > 0 ? &SpecialBmpSD[first] : nullptr);
      const SURFACEDESCDATA& desc = SpecialBmpDesc[first + k];
      EXPECT_EQ(desc.bSystemMemory, k >= 2 ? 1 : 0);
      EXPECT_EQ(desc.nMirrorWidth, k % 2 ? mirror : 0);
      EXPECT_EQ(desc.bLinked, k > 0 ? linked : 0);
    }
  }
  // The missing file leaves its four surfaces empty and loading goes on.
  for (size_t k = 4; k < 8; ++k) EXPECT_EQ(SpecialBmpSD[k].nWidth, 0) << k;

  db.Bmp_CharaExc.resize(1);
  LoadStageBmps(db);
  EXPECT_TRUE(SpecialBmpSD.empty());
}

TEST_P(StageResourcesTest, SwordsLoadFromEntryZeroWithOneFilePerFacing) {
  cDbSwordType sword;
  sword.m_Image[0] = "bmp\\Sheet8.bmp";
  sword.m_Image[1] = "bmp\\Sheet24.bmp";
  db.SwordType = {sword, sword};
  LoadStageSwords(db);
  ASSERT_EQ(SwordSD.size(), 8u);
  for (size_t first : {0u, 4u}) {
    EXPECT_EQ(SwordSD[first].szFileName, "bmp\\Sheet8.bmp");
    EXPECT_EQ(SwordSD[first + 1].szFileName, "bmp\\Sheet24.bmp");
    EXPECT_EQ(SwordSD[first + 1].lpLinkSD, nullptr);
    EXPECT_EQ(SwordSD[first + 2].lpLinkSD, &SwordSD[first]);
    EXPECT_EQ(SwordSD[first + 3].lpLinkSD, &SwordSD[first + 1]);
    EXPECT_EQ(SwordDesc[first + 3].bSystemMemory, 1);
  }
}

TEST_P(StageResourcesTest, EffectsSkipEntryZeroAndReleaseEmptiesEveryList) {
  cDbEffect effect;
  effect.m_File = "bmp\\Sheet8.bmp";
  db.Effect = {effect, effect, effect};
  db.Bmp_CharaExc = {Bmp("bmp\\Sheet8.bmp"), Bmp("bmp\\Sheet8.bmp")};
  LoadStageEffects(db);
  LoadStageBmps(db);
  ASSERT_EQ(EffectSD.size(), 4u);
  EXPECT_EQ(EffectSD[3].lpLinkSD, &EffectSD[2]);
  EXPECT_EQ(EffectSD[2].nWidth, 4);
  ReleaseStageResources(nullptr);
  EXPECT_TRUE(EffectSD.empty() && EffectDesc.empty() && SpecialBmpSD.empty() && SwordSD.empty());
}

TEST(StageResourceTables, BackgroundNamesComeFromLayersThatShowABitmap) {
  cStageData stage;
  stage.m_BgLayers.assign(3, cBgLayer());
  stage.m_BgLayers[0].m_strPicture = "sky.bmp";
  stage.m_BgLayers[1].m_strPicture = "filled.bmp";
  stage.m_BgLayers[1].m_bFill = 1;
  stage.m_BgLayers[2].m_strPicture = "hidden.bmp";
  stage.m_BgLayers[2].m_bShow = 0;
  std::vector<SURFACEDESCDATA> desc(71);
  desc[60].szFileName = "left over.bmp";
  PrepareBgLayerNames(stage, desc.data());
  EXPECT_EQ(desc[55].szFileName, "sky.bmp");
  for (int slot = 56; slot <= 62; ++slot) EXPECT_EQ(desc[static_cast<size_t>(slot)].szFileName, "") << slot;

  EXPECT_EQ(kStageSurfaceTable.front(), 2);
  EXPECT_EQ(kStageSurfaceTable[45], 47);
  EXPECT_EQ(kStageSurfaceTable[46], 49);
  EXPECT_EQ(kStageSurfaceTable[49], 55);
  EXPECT_EQ(kStageSurfaceTable.back(), 70);
}

INSTANTIATE_TEST_SUITE_P(Modes, StageResourcesTest,
                         ::testing::Values(drawtest::Config{"D3D32", 1, 32}, drawtest::Config{"DD32", 0, 32}),
                         drawtest::ConfigName);

}  // namespace
