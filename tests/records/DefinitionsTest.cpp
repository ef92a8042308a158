// Character and item definitions: layouts from their tables, upgrades of old
// versions, inheritance from palette entries and validation.
#include <gtest/gtest.h>

#include "DefinitionLayouts.h"
#include "records/CharaDef.h"
#include "records/FlowEnums.h"
#include "records/ItemDef.h"

using namespace recordtest;

namespace {

const Values kCharaDefaults{{"maxHp", 10},      {"stopEase", 10},        {"operator", 1},   {"group", 1},
                            {"z", 3},           {"spawnEffectParam", 1}, {"graphicSrc", 1}, {"giant", 1},
                            {"fixedFacing", 1}, {"member55", 1}};
const Values kItemDefaults{{"graphicSrc", 2}, {"showGraphic", 1}, {"size", 1}, {"member15", 6}};

Values With(Values values, const Values& changes) {
  for (const auto& [name, value] : changes) values[name] = value;
  return values;
}

// One flow that validation keeps: a wait command.
Bytes KeptFlow(const std::string& name = "") {
  return Flow(696, {{"keyAllowance", 3}}, name, {}, {},
              {Command(696, {.values = {{"type", CMD_WAIT}, {"soundOnScreen", 1}}})});
}

TEST(DefinitionLayouts, FieldCountsAndBytesAtEveryThreshold) {
  struct Case {
    int version;
    std::size_t fields, bytes;
  };
  cCharaDef chara;
  for (Case c : {Case{696, 53, 82}, Case{285, 53, 82}, Case{284, 52, 81}, Case{210, 52, 81}, Case{209, 51, 80},
                 Case{201, 51, 80}, Case{200, 50, 79}, Case{196, 50, 79}, Case{195, 48, 77}, Case{168, 48, 77},
                 Case{167, 47, 73}}) {
    EXPECT_EQ(FieldCount(kCharaLayout, c.version), c.fields) << c.version;
    EXPECT_EQ(FieldBytes(kCharaLayout, c.version), c.bytes) << c.version;
    chara.RegisterFields(c.version);
    EXPECT_EQ(chara.Fields().size(), c.fields) << c.version;
    EXPECT_EQ(chara.FieldBytes(), c.bytes) << c.version;
  }
  cItemDef item;
  for (int version : {696, 1}) {
    item.RegisterFields(version);
    EXPECT_EQ(item.Fields().size(), 17u);
    EXPECT_EQ(item.FieldBytes(), 24u);
  }
  EXPECT_EQ(FieldBytes(kItemLayout, 696), 24u);
}

TEST(DefinitionLayouts, DefaultsAreByteExact) {
  cCharaDef chara;
  EXPECT_EQ(SaveBody(chara), CharaDef(696, kCharaDefaults, {.flags = std::vector<int>(37, 0)}));
  cItemDef item;
  EXPECT_EQ(SaveBody(item), ItemDef(696, kItemDefaults, {.flags = std::vector<int>(13, 0)}));
}

TEST(DefinitionLayouts, ItemShowGraphicFlagIsStoredBeforeThePickUpMode) {
  Bytes bytes = ItemDef(696, With(kItemDefaults, {{"showGraphic", 0}, {"pickUpMode", 2}, {"sound", 1}}),
                        {.name = "coin", .mapX = 3, .mapY = -4, .flags = std::vector<int>(13, 0)});
  EXPECT_EQ(bytes[4 + 19], 0);
  EXPECT_EQ(bytes[4 + 20], 2);
  cItemDef item;
  LoadBody(item, bytes, 696);
  EXPECT_EQ(item.m_bShowGraphic, 0);
  EXPECT_EQ(item.m_nPickUpMode, 2);
  EXPECT_EQ(item.m_strName, "coin");
  EXPECT_EQ(item.m_nMapY, -4);
  EXPECT_EQ(SaveBody(item), bytes);
}

TEST(DefinitionUpgrades, CharacterInheritFlagsGainTheirNewGroups) {
  std::vector<int> flags(34);
  for (int i = 0; i < 34; ++i) flags[static_cast<size_t>(i)] = 10 + i;
  cCharaDef chara;
  LoadBody(chara, CharaDef(150, kCharaDefaults, {.flags = flags}), 150);
  std::vector<int> expected;
  for (int i = 0; i <= 20; ++i) expected.push_back(10 + i);
  expected.push_back(1);
  for (int i = 21; i <= 23; ++i) expected.push_back(10 + i);
  expected.push_back(1);
  for (int i = 24; i <= 26; ++i) expected.push_back(10 + i);
  expected.push_back(1);
  for (int i = 27; i <= 33; ++i) expected.push_back(10 + i);
  EXPECT_EQ(std::vector<int>(chara.m_Inherit.InheritFlags.begin(), chara.m_Inherit.InheritFlags.end()), expected);
}

TEST(DefinitionUpgrades, CharacterMembersOfOldFiles) {
  struct Case {
    const char* what;
    int version;
    Values stored;
    Values expected;
  };
  const Case cases[] = {
      {"tint absent below 285 becomes 1", 284, {}, {{"invincibleTint", 1}}},
      {"tint kept from 285", 285, {{"invincibleTint", 0}}, {{"invincibleTint", 0}}},
      {"whole-cell box moves to 3 below 206", 205, {{"boxChoice", 2}}, {{"boxChoice", 3}}},
      {"box choice absent below 201 is 0", 200, {}, {{"boxChoice", 0}}},
      {"shot-sheet graphic moves on below 219", 218, {{"graphicSrc", 3}, {"graphic", 5}}, {{"graphic", 6}}},
      {"shot-sheet graphic stops at 119", 218, {{"graphicSrc", 3}, {"graphic", 119}}, {{"graphic", 119}}},
      {"other sheets keep their graphic", 218, {{"graphicSrc", 1}, {"graphic", 5}}, {{"graphic", 5}}},
  };
  for (const Case& c : cases) {
    cCharaDef chara;
    LoadBody(chara, CharaDef(c.version, With(kCharaDefaults, c.stored), {.flags = std::vector<int>(37, 0)}), c.version);
    const std::map<std::string, int> actual{
        {"invincibleTint", chara.m_nInvincibleTint}, {"boxChoice", chara.m_nBoxChoice}, {"graphic", chara.m_nGraphic}};
    for (const auto& [name, value] : c.expected) EXPECT_EQ(actual.at(name), value) << c.what;
  }
  // Members a file lacks are set by the upgrade, whatever the record held before.
  cCharaDef chara;
  chara.m_nDefence = 50;
  chara.m_nSpawnEffectMode = 2;
  LoadBody(chara, CharaDef(167, kCharaDefaults, {.flags = std::vector<int>(34, 0)}), 167);
  EXPECT_EQ(chara.m_nDefence, 0);
  EXPECT_EQ(chara.m_nSpawnEffectMode, 0);
  EXPECT_EQ(chara.m_bScrollSync, 0);
}

TEST(DefinitionUpgrades, ItemGraphicFromTheShotSheet) {
  cItemDef item;
  LoadBody(item,
           ItemDef(218, With(kItemDefaults, {{"graphicSrc", 3}, {"graphic", 7}}), {.flags = std::vector<int>(13, 0)}),
           218);
  EXPECT_EQ(item.m_nGraphic, 8);
}

// A stage palette of characters whose entry 1 differs from the defaults.
struct PaletteFixture {
  cCheckedVector<cCharaDef> charas{3};
  cCheckedVector<cItemDef> items{3};
  cLoadContext ctx;
  PaletteFixture() {
    cCharaDef& source = charas[1];
    source.m_strName = "boss";
    source.m_nMaxHp = 500;
    source.m_nGroup = 4;
    source.m_vFlows.resize(1);
    source.m_vFlows[0].m_vCommands.resize(1);
    source.m_vFlows[0].m_vCommands[0].m_nType = CMD_WAIT;
    cItemDef& item = items[1];
    item.m_nSound = 1;
    item.m_vCommands.resize(1);
    item.m_vCommands[0].m_nType = CMD_SHOT;
    NewEdShot(item.m_vCommands[0].m_pShot);
    ctx.stagePalette.charas = &charas;
    ctx.stagePalette.items = &items;
  }
};

TEST(DefinitionInheritance, FlaggedGroupsComeFromThePaletteEntry) {
  PaletteFixture palette;
  std::vector<int> flags(37, 0);
  flags[0] = flags[23] = flags[36] = 1;
  cCharaDef chara;
  LoadBody(chara, CharaDef(696, With(kCharaDefaults, {{"inheritSrc", 2}, {"inheritIdx", 1}}), {.flags = flags}), 696,
           palette.ctx);
  EXPECT_EQ(chara.m_strName, "boss");
  EXPECT_EQ(chara.m_nMaxHp, 500);
  EXPECT_EQ(chara.m_vFlows.size(), 1u);
  EXPECT_EQ(chara.m_nGroup, 1);  // group 2 not flagged

  for (auto [index, source] : {std::pair{0, 2}, std::pair{3, 0}, std::pair{-1, 0}}) {
    cCharaDef other;
    LoadBody(other, CharaDef(696, With(kCharaDefaults, {{"inheritSrc", 2}, {"inheritIdx", index}}), {.flags = flags}),
             696, palette.ctx);
    EXPECT_EQ(other.m_strName, "") << index;
    EXPECT_EQ(other.m_Inherit.nInheritSrc, source) << index;
    EXPECT_EQ(other.m_Inherit.nInheritIdx, index) << index;
  }
}

TEST(DefinitionInheritance, ItemCommandsAreCopiedWithTheirOwnSettings) {
  PaletteFixture palette;
  std::vector<int> flags(13, 0);
  flags[11] = flags[12] = 1;
  cItemDef item;
  LoadBody(item, ItemDef(696, With(kItemDefaults, {{"inheritSrc", 2}, {"inheritIdx", 1}}), {.flags = flags}), 696,
           palette.ctx);
  EXPECT_EQ(item.m_nSound, 1);
  ASSERT_EQ(item.m_vCommands.size(), 1u);
  ASSERT_TRUE(item.m_vCommands[0].m_pShot);
  EXPECT_NE(item.m_vCommands[0].m_pShot.get(), palette.items[1].m_vCommands[0].m_pShot.get());
}

TEST(DefinitionInheritance, FlagsBeyondTheTableAreDropped) {
  PaletteFixture palette;
  cItemDef item;
  LoadBody(
      item,
      ItemDef(696, With(kItemDefaults, {{"inheritSrc", 2}, {"inheritIdx", 1}}), {.flags = std::vector<int>(200, 1)}),
      696, palette.ctx);
  EXPECT_EQ(item.m_Inherit.InheritFlags.size(), kItemInheritGroups);
  EXPECT_EQ(item.m_nSound, 1);
}

TEST(DefinitionValidation, CharacterValuesAreBroughtIntoRange) {
  cLoadContext ctx;
  ctx.db.nBmpCharaExc = 5;
  ctx.db.nAnimeSet = 3;
  ctx.db.nCharaEffect = 4;
  ctx.db.nEffect = 6;
  cCharaDef chara;
  LoadBody(chara,
           CharaDef(696,
                    With(kCharaDefaults, {{"giant", 0},
                                          {"graphicSrc", 4},
                                          {"graphic", 5},
                                          {"animeSet", 3},
                                          {"spawnEffect", -1},
                                          {"vanishEffect", 3},
                                          {"effect", 6}}),
                    {.flags = std::vector<int>(37, 0)}),
           696, ctx);
  EXPECT_EQ(chara.m_nGiant, 1);
  EXPECT_EQ(chara.m_nGraphic, 1);
  EXPECT_EQ(chara.m_nAnimeSet, 0);
  EXPECT_EQ(chara.m_nSpawnEffect, 0);
  EXPECT_EQ(chara.m_nVanishEffect, 3);
  EXPECT_EQ(chara.m_nEffect, 0);
  chara.m_nGiant = -2;
  SaveBody(chara, ctx);
  EXPECT_EQ(chara.m_nGiant, 1);
}

TEST(DefinitionValidation, EmptyFlowsAreRemovedOnLoadingAndSaving) {
  Bytes triggerOnly = Flow(696, {{"trigger", TRG_DAMAGED}});
  cCharaDef chara;
  LoadBody(chara, CharaDef(696, kCharaDefaults, {.flags = std::vector<int>(37, 0), .tail = {triggerOnly, KeptFlow()}}),
           696);
  ASSERT_EQ(chara.m_vFlows.size(), 1u);
  EXPECT_EQ(chara.m_vFlows[0].m_vCommands.size(), 1u);
  chara.m_vFlows.insert(chara.m_vFlows.begin(), cFlow());
  EXPECT_EQ(SaveBody(chara), CharaDef(696, kCharaDefaults, {.flags = std::vector<int>(37, 0), .tail = {KeptFlow()}}));
}

TEST(DefinitionValidation, ItemSizeAndSound) {
  cLoadContext ctx;
  ctx.db.nSound = 40;
  cItemDef item;
  item.m_nSound = 40;
  item.m_nSize = 0;
  EXPECT_EQ(SaveBody(item, ctx), ItemDef(696, kItemDefaults, {.flags = std::vector<int>(13, 0)}));
  item.m_nSound = 39;
  SaveBody(item, ctx);
  EXPECT_EQ(item.m_nSound, 39);
}

TEST(DefinitionValidation, GetItemDefLooksUpThePalettes) {
  PaletteFixture palette;
  cCheckedVector<cItemDef> common(2);
  palette.ctx.commonPalette.items = &common;
  EXPECT_EQ(GetItemDef(1, 0, palette.ctx), &common[0]);
  EXPECT_EQ(GetItemDef(2, 2, palette.ctx), &palette.items[2]);
  EXPECT_EQ(GetItemDef(2, -1, palette.ctx), nullptr);
  EXPECT_EQ(GetItemDef(3, 0, palette.ctx), nullptr);
  EXPECT_EQ(GetItemDef(1, 2, palette.ctx), nullptr);
}

TEST(DefinitionValidation, CopiesStandByTheStepRule) {
  cCharaDef chara;
  chara.m_nStepXBase = 16;
  chara.m_nStepX = 32;
  chara.m_bMirrorX = 1;
  EXPECT_EQ(chara.GetStepX(2, 0), 80.0);
  EXPECT_EQ(chara.GetStepX(2, 1), -80.0);
  chara.m_bMirrorX = 0;
  EXPECT_EQ(chara.GetStepX(2, 1), 80.0);
  EXPECT_EQ(chara.GetStepY(3, 1), 0.0);
}

// A hand-built current file re-saves with exactly the documented changes: the
// flow's name emptied and the out-of-range animation set reset.
TEST(DefinitionValidation, ResavingChangesExactlyWhatValidationDocuments) {
  cLoadContext ctx;
  ctx.db.nAnimeSet = 8;
  std::vector<int> flags(37, 0);
  Values stored = With(kCharaDefaults, {{"animeSet", 8}, {"maxHp", 77}, {"mark", 12}});
  Bytes file = ByteBuilder()
                   .I32(696)
                   .Append(CharaDef(696, stored, {.name = "hero", .flags = flags, .tail = {KeptFlow("opening")}}))
                   .Get();
  cCharaDef chara;
  ASSERT_TRUE(LoadDataBytes(file, "hero.dat", [&](cRecordReader& in) { chara.Load(in, ctx); }));
  cRecordWriter out;
  out.WriteI32(nCurVersion);
  chara.Save(out, ctx);
  Bytes expected = ByteBuilder()
                       .I32(696)
                       .Append(CharaDef(696, With(stored, {{"animeSet", 0}}),
                                        {.name = "hero", .flags = flags, .tail = {KeptFlow("")}}))
                       .Get();
  EXPECT_EQ(out.Bytes(), expected);
}

}  // namespace
