// Stage data: the header layout per version, the default stage, migration of
// old files, normalisation and the collision level.
#include <gtest/gtest.h>

#include "StageLayouts.h"
#include "records/FlowEnums.h"
#include "records/StageData.h"

using namespace recordtest;

namespace {

Bytes SaveStage(cStageData& stage, const cLoadContext& ctx = {}) {
  cRecordWriter out;
  out.WriteI32(nCurVersion);
  stage.Save(out, ctx);
  return out.Bytes();
}

bool LoadStage(cStageData& stage, const Bytes& file, const cLoadContext& ctx = {}) {
  return LoadDataBytes(file, "stage.stg4_696", [&](cRecordReader& in) { stage.Load(in, ctx); });
}

Bytes DefaultLayer() {
  Values values = kBgLayerDefaults;
  values["fill"] = 1;
  return Body(kBgLayerLayout, 696, values, {""});
}

// The default stage as saved: every palette list filled to two entries, the
// scroll limits of its empty map lowered to the map's size less the screen.
StageParts DefaultStageParts() {
  StageParts parts;
  parts.header["limitLeft"] = -20;
  parts.header["limitRight"] = -1;
  parts.header["limitTop"] = -15;
  parts.header["limitBottom"] = -1;
  parts.paletteBlocks = {DefaultBlock(), DefaultBlock()};
  parts.paletteCharas = {DefaultBody<cCharaDef>(), DefaultBody<cCharaDef>()};
  parts.paletteItems = {DefaultBody<cItemDef>(), DefaultBody<cItemDef>()};
  parts.layers = {DefaultLayer()};
  return parts;
}

TEST(StageData, HeaderFieldsFollowTheSettingsTableAtEveryThreshold) {
  ASSERT_EQ(kStageHeaderLayout.size(), 98u);
  cStageData stage;
  for (int version : {100, 154, 155, 165, 166, 182, 183, 184, 198, 199, 200, 224, 225, 696}) {
    stage.RegisterFields(version);
    EXPECT_EQ(stage.Fields().size(), FieldCount(kStageHeaderLayout, version)) << version;
    EXPECT_EQ(stage.FieldBytes(), FieldBytes(kStageHeaderLayout, version)) << version;
    EXPECT_EQ(stage.StrFields().size(), 1u);
  }
  stage.RegisterFields(696);
  EXPECT_EQ(stage.FieldBytes(), 92u * 4 + 6 * 8);
}

TEST(StageData, RulesAndLayersFollowTheirTables) {
  cOutAreaRule rule;
  for (int version : {124, 125, 696}) {
    rule.RegisterFields(version);
    EXPECT_EQ(rule.Fields().size(), FieldCount(kOutAreaRuleLayout, version)) << version;
  }
  cBgLayer layer;
  for (int version : {60, 61, 62, 696}) {
    layer.RegisterFields(version);
    EXPECT_EQ(layer.Fields().size(), FieldCount(kBgLayerLayout, version)) << version;
    EXPECT_EQ(layer.FieldBytes(), FieldBytes(kBgLayerLayout, version)) << version;
  }
}

TEST(StageData, DefaultStageIsTheTabledFile) {
  cStageData stage;
  Bytes expected = StageFile(696, DefaultStageParts());
  Bytes saved = SaveStage(stage);
  EXPECT_EQ(saved, expected) << FirstDifference(saved, expected);
}

TEST(StageData, OurOwnFilesLoadAndSaveByteIdentical) {
  cStageData stage;
  stage.m_strName = Sjis("ステージ");
  stage.m_nMapWidth = 40;
  stage.m_nMapHeight = 30;
  stage.m_nCollisionLevel = 13;
  stage.m_PaletteBlocks.resize(3);
  stage.m_PaletteBlocks[2].m_nChip = 9;
  stage.m_PlacedBlocks.resize(2);
  stage.m_PlacedBlocks[1].m_nMapX = 5;
  stage.m_PlacedBlocks[1].m_nChip = 9;  // as inheriting from palette entry 2 gives it
  stage.m_PlacedBlocks[1].m_Inherit.nInheritSrc = kPaletteStage;
  stage.m_PlacedBlocks[1].m_Inherit.nInheritIdx = 2;
  stage.m_PlacedBlocks[1].m_Inherit.InheritFlags[2] = 1;
  stage.m_NameRecords.resize(1);
  stage.m_NameRecords[0].m_strName = "n";
  stage.m_BgLayers.resize(2);
  stage.m_BgLayers[1].m_strPicture = "bg.bmp";
  Bytes first = SaveStage(stage);
  cStageData loaded;
  ASSERT_TRUE(LoadStage(loaded, first));
  Bytes second = SaveStage(loaded);
  EXPECT_EQ(second, first) << FirstDifference(second, first);
}

TEST(StageData, OldFilesMigrateToTheCurrentSettings) {
  StageParts parts;
  parts.header["hero3w"] = 20;
  parts.header["hero3h"] = 30;
  parts.header["chara3w"] = 14;
  parts.header["chara3h"] = 26;
  parts.header["row2"] = 5;
  parts.switches = {1, 0, 1};
  parts.rules = {OutAreaRule(140, 1, 2), OutAreaRule(140, 0, 0), OutAreaRule(140, 0, 0), OutAreaRule(140, 1, 0),
                 OutAreaRule(140, 1, 10)};
  cStageData stage;
  ASSERT_TRUE(LoadStage(stage, StageFile(140, parts)));
  EXPECT_EQ(stage.m_nReserved2, 5);
  EXPECT_EQ(stage.m_HeroBox[3].cx, 20);
  EXPECT_EQ(stage.m_HeroBox[3].cy, 30);
  EXPECT_EQ(stage.m_CharaBox[3].cx, 14);
  EXPECT_EQ(stage.m_CharaBox[3].cy, 26);
  EXPECT_EQ(stage.m_nSizeBoxAlign, (std::array<int, 2>{0, 0}));
  EXPECT_EQ(stage.m_nCharaBoxAlign2, (std::array<int, 2>{0, 0}));
  EXPECT_EQ(stage.m_bBgmLoop, 1);
  EXPECT_EQ(stage.m_CounterSwitches, (cCheckedVector<int>{1, 0, 1, 0, 0}));
  EXPECT_EQ(stage.m_bShowStatus, 1);
  EXPECT_EQ(stage.m_bQuickClear, 0);
  EXPECT_EQ(stage.m_bKeepBgm, 0);
  EXPECT_EQ(stage.m_HeroBox[0].cy, 24);
  EXPECT_EQ(stage.m_nHeroBoxAlign, (std::array<int, 2>{1, 0}));
  EXPECT_EQ(stage.m_nDrawPartFactor[0], 0);
  EXPECT_EQ(stage.m_nDrawPartSelector[0], 5);
  EXPECT_EQ(stage.m_CharaBox[0].cy, 30);
  EXPECT_EQ(stage.m_CharaBox[1].cy, 30);
  EXPECT_EQ(stage.m_nCharaBoxAlign, (std::array<int, 2>{1, 1}));
  EXPECT_EQ(stage.m_bSecondCaption, 0);
  EXPECT_EQ(stage.m_OutAreaRules[0].m_bSwitch, (std::array<int, 4>{1, 1, 1, 1}));
  EXPECT_EQ(stage.m_OutAreaRules[0].m_nMargin, (std::array<int, 4>{2, 2, 2, 2}));
}

TEST(StageData, BackgroundLayersOfVersions60And61DropWhatNoMemberKeeps) {
  StageParts parts;
  cStageData stage;
  // Below 61 each old factor is a 4-byte field of its own: five fields in all.
  for (int version : {42, 60}) {
    parts.layers = {
        Body(kBgLayerLayout, version, {{"fill", 1}, {"fillColor", 40}, {"oldFactorX", 12345}}, {"old.bmp"})};
    ASSERT_EQ(parts.layers[0][0], 5) << version;
    ASSERT_TRUE(LoadStage(stage, StageFile(version, parts))) << version;
    ASSERT_EQ(stage.m_BgLayers.size(), 1u);
    const cBgLayer& old = stage.m_BgLayers[0];
    EXPECT_EQ(old.m_bShow, 1);
    EXPECT_EQ(old.m_nFillColor, 40);
    EXPECT_EQ(old.m_dFactorX, 0.1);
    EXPECT_EQ(old.m_strPicture, "old.bmp");
  }

  parts.layers = {Body(kBgLayerLayout, 61, {{"factorX", 0.5}, {"autoY", 1}, {"v61OffsetX", 777}}, {"b.bmp"})};
  ASSERT_TRUE(LoadStage(stage, StageFile(61, parts)));
  const cBgLayer& layer = stage.m_BgLayers[0];
  EXPECT_EQ(layer.m_dFactorX, 0.5);
  EXPECT_EQ(layer.m_bAutoY, 1);
  EXPECT_EQ(layer.m_dOffsetX, 0.0);
  EXPECT_EQ(layer.m_strPicture, "b.bmp");
}

TEST(StageData, RulesOfFilesBelow125TakeDefaultsNotThePreviousStage) {
  StageParts parts;
  parts.rules = {OutAreaRule(124, 1, 0), OutAreaRule(124, 0, 0), OutAreaRule(124, 0, 0), OutAreaRule(124, 0, 0),
                 OutAreaRule(124, 1, 10)};
  cStageData stage;
  for (auto& rule : stage.m_OutAreaRules) rule.m_bSwitch = {7, 7, 7, 7};
  ASSERT_TRUE(LoadStage(stage, StageFile(124, parts)));
  EXPECT_EQ(stage.m_OutAreaRules[0].m_bSwitch, (std::array<int, 4>{1, 0, 0, 0}));
  EXPECT_EQ(stage.m_OutAreaRules[2].m_bSwitch, (std::array<int, 4>{0, 0, 0, 0}));
  EXPECT_EQ(stage.m_OutAreaRules[3].m_bSwitch, (std::array<int, 4>{0, 1, 1, 1}));
}

TEST(StageData, CounterSwitchesAndEndMarkByVersion) {
  struct Case {
    int version;
    std::size_t switches;
  };
  for (Case c : {Case{172, 5}, Case{173, 5}, Case{180, 5}, Case{181, 3}}) {
    StageParts parts;
    parts.switches = {1, 1, 1};
    cStageData stage;
    ASSERT_TRUE(LoadStage(stage, StageFile(c.version, parts))) << c.version;
    EXPECT_EQ(stage.m_CounterSwitches.size(), c.switches) << c.version;
  }
}

TEST(StageData, CollisionLevelsGiveStepsAndSpeedLimits) {
  struct Case {
    int level, steps;
    double speedLimit;
  };
  cStageData stage;
  for (Case c : {Case{10, 10, 60}, Case{11, 1, 60}, Case{19, 9, 60}, Case{5, 5, 30}, Case{20, 20, 120}}) {
    stage.SetCollisionLevel(c.level);
    EXPECT_EQ(stage.m_nSteps, c.steps) << c.level;
    EXPECT_EQ(stage.m_nSteps8, 8 * c.steps) << c.level;
    EXPECT_EQ(stage.m_nSteps6, 6 * c.steps) << c.level;
    EXPECT_EQ(stage.m_dSpeedLimit, c.speedLimit) << c.level;
    EXPECT_EQ(stage.m_dSpeedLimitPerStep, c.speedLimit / c.steps) << c.level;
    EXPECT_EQ(stage.m_dGravityPerStep, 0.4 / (double(c.steps) * c.steps)) << c.level;
  }
}

TEST(StageData, UnplayableCollisionLevelsFailTheLoad) {
  for (int level : {0, -3, 101}) {
    LogCapture log;
    StageParts parts;
    parts.header["collisionLevel"] = level;
    cStageData stage;
    EXPECT_FALSE(LoadStage(stage, StageFile(696, parts))) << level;
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("collision level"), std::string::npos);
  }
  StageParts parts;
  parts.header["collisionLevel"] = 100;
  cStageData stage;
  EXPECT_TRUE(LoadStage(stage, StageFile(696, parts)));
  EXPECT_EQ(stage.m_nSteps, 100);
}

TEST(StageData, NormalisationClampsAndFills) {
  cStageData stage;
  stage.m_nMapWidth = 30;
  stage.m_nScrollLimit = {25, 29, 3, 1};
  stage.m_nMapHeight = 16;
  stage.m_nBgm = 2;
  stage.m_PaletteBlocks.resize(1);
  stage.m_PaletteItems.resize(5);
  cLoadContext ctx;
  ctx.db.nBgm = 2;
  stage.NormalizeStage(ctx);
  EXPECT_EQ(stage.m_nScrollLimit, (std::array<int, 4>{10, 29, 1, 1}));
  EXPECT_EQ(stage.m_nBgm, 0);
  EXPECT_EQ(stage.m_PaletteBlocks.size(), 2u);
  EXPECT_EQ(stage.m_PaletteItems.size(), 5u);
  stage.m_nBgm = 1;
  stage.NormalizeStage(ctx);
  EXPECT_EQ(stage.m_nBgm, 1);

  // Any stored size: the bound is computed without overflowing.
  stage.m_nMapHeight = INT32_MIN;
  stage.NormalizeStage(ctx);
  EXPECT_EQ(stage.m_nScrollLimit[2], INT32_MIN);
  EXPECT_EQ(stage.m_nScrollLimit[3], INT32_MIN);
}

TEST(StageData, NormalisingOneStageLeavesTheStageInPlayAlone) {
  CreateStageGlobals();
  StageData->SetCollisionLevel(3);
  cStageData other;
  other.m_nCollisionLevel = 15;
  other.NormalizeStage(cLoadContext{});
  EXPECT_EQ(other.m_nSteps, 5);
  EXPECT_EQ(StageData->m_nCollisionLevel, 3);
  EXPECT_EQ(StageData->m_nSteps, 3);
  DestroyStageGlobals();
}

TEST(StageData, TheHeroIsThePlayerOperatedCharacterWithAGraphic) {
  cStageData stage;
  EXPECT_EQ(stage.FindHero(), -1);
  stage.m_PlacedCharas.resize(3);
  for (auto& chara : stage.m_PlacedCharas) {
    chara.m_nGraphic = 1;
    chara.m_nOperator = 1;
  }
  EXPECT_FALSE(stage.HasHero());
  stage.m_PlacedCharas[2].m_nOperator = 0;
  stage.m_PlacedCharas[1].m_nOperator = 0;
  stage.m_PlacedCharas[1].m_nGraphic = 0;
  EXPECT_EQ(stage.FindHero(), 2);
}

TEST(StageData, SnapshotsCarryTheSettingsAsLoadedWithTheDefinitionsInPlay) {
  cStageData loaded;
  loaded.m_nFrameRate = 30;
  loaded.m_BgLayers.resize(3);
  loaded.NormalizeStage(cLoadContext{});  // as every load leaves it
  cStageData playing = loaded;
  playing.m_nFrameRate = 50;  // changed by a flow during play
  playing.m_BgLayers.resize(1);
  playing.m_PlacedItems.resize(2);
  cRecordWriter snapshot;
  playing.SaveStageSnapshot(snapshot, loaded, cLoadContext{});

  cStageData expected = loaded;
  expected.m_PlacedItems.resize(2);
  cRecordWriter whole;
  expected.Save(whole, cLoadContext{});
  EXPECT_EQ(snapshot.Bytes(), whole.Bytes());
}

TEST(StageData, CopySettingsLeavesTheDefinitionsAlone) {
  cStageData source;
  source.m_strName = "s";
  source.m_nFrameRate = 30;
  source.m_OutAreaRules[1].m_nMargin = {1, 2, 3, 4};
  source.m_CounterSwitches = {0, 1};
  source.m_PlacedBlocks.resize(4);
  cStageData copy;
  copy.CopySettings(source);
  EXPECT_EQ(copy.m_strName, "s");
  EXPECT_EQ(copy.m_nFrameRate, 30);
  EXPECT_EQ(copy.m_OutAreaRules[1].m_nMargin, (std::array<int, 4>{1, 2, 3, 4}));
  EXPECT_EQ(copy.m_CounterSwitches.size(), 2u);
  EXPECT_TRUE(copy.m_PlacedBlocks.empty());
}

}  // namespace

namespace {

// A default character with one flow: the default entry's bytes end with its
// (empty) flow list, which is replaced.
Bytes CharaWithFlow(const std::string& flowName) {
  Bytes chara = DefaultBody<cCharaDef>();
  chara.resize(chara.size() - 4);
  CommandParts wait;
  wait.values = {{"type", CMD_WAIT}, {"soundOnScreen", 1}};
  return ByteBuilder()
      .Append(chara)
      .Append(List({Flow(696, {{"keyAllowance", 3}}, flowName, {}, {}, {Command(696, wait)})}))
      .Get();
}

TEST(StageData, ResavingChangesExactlyWhatLoadingDocuments) {
  StageParts parts = DefaultStageParts();
  parts.header["bgm"] = 7;  // beyond the two music entries
  parts.paletteBlocks[0] = BlockDef(696, {{"chip", 5}, {"hitKind", 1}, {"passGroup", 255}}, Parts(NoFlags(11), "zero"));
  parts.paletteCharas[1] = CharaWithFlow("named");
  cStageData stage;
  ASSERT_TRUE(LoadStage(stage, StageFile(696, parts)));

  StageParts expected = DefaultStageParts();
  expected.paletteCharas[1] = CharaWithFlow("");
  Bytes resaved = SaveStage(stage);
  Bytes wanted = StageFile(696, expected);
  EXPECT_EQ(resaved, wanted) << FirstDifference(resaved, wanted);
}

}  // namespace
