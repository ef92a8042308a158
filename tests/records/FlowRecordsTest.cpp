// Flow records and the movement and shot settings: stored layouts from their
// tables, the upgrades of old data versions, validation and the hardening of
// hostile data.
#include <gtest/gtest.h>

#include <cstdint>

#include "DefinitionLayouts.h"
#include "records/Flow.h"
#include "records/FlowEnums.h"

using namespace recordtest;

namespace {

struct LayoutCase {
  int version;
  std::size_t fields;
  std::size_t bytes;
};

// Our registration and the layout table agree at every version where the layout changes.
template <typename Record>
void ExpectRegistrationFollowsTable(const Layout& layout, std::initializer_list<LayoutCase> cases) {
  Record record;
  for (LayoutCase c : cases) {
    EXPECT_EQ(FieldCount(layout, c.version), c.fields) << "table at " << c.version;
    EXPECT_EQ(FieldBytes(layout, c.version), c.bytes) << "table at " << c.version;
    record.RegisterFields(c.version);
    EXPECT_EQ(record.Fields().size(), c.fields) << "registered at " << c.version;
    EXPECT_EQ(record.FieldBytes(), c.bytes) << "registered at " << c.version;
  }
}

TEST(FlowLayouts, FieldCountsAndBytesAtEveryThreshold) {
  ExpectRegistrationFollowsTable<cCondition>(kConditionLayout,
                                             {{696, 17, 28}, {110, 17, 28}, {109, 7, 12}, {42, 6, 11}});
  ExpectRegistrationFollowsTable<cKeyCondition>(kKeyConditionLayout, {{696, 5, 7}, {1, 5, 7}});
  ExpectRegistrationFollowsTable<cFlow>(kFlowLayout, {{696, 8, 8}, {675, 8, 8}});
  ExpectRegistrationFollowsTable<cFlowCommand>(kCommandLayout, {{696, 8, 12}, {1, 8, 12}});
  ExpectRegistrationFollowsTable<cEdMove>(
      kEdMoveLayout, {{696, 32, 52}, {162, 32, 52}, {161, 30, 50}, {159, 30, 50}, {158, 29, 49}, {157, 28, 48}});
  ExpectRegistrationFollowsTable<cEdShot>(kEdShotLayout, {{696, 60, 93},
                                                          {671, 60, 93},
                                                          {670, 59, 92},
                                                          {636, 59, 92},
                                                          {635, 58, 91},
                                                          {213, 58, 91},
                                                          {212, 55, 86},
                                                          {211, 55, 86},
                                                          {210, 54, 85},
                                                          {197, 54, 85},
                                                          {196, 53, 84},
                                                          {158, 53, 84},
                                                          {157, 52, 83}});
  // Only the flow carries a string, its name, and only from 676.
  cFlow flow;
  flow.RegisterFields(676);
  EXPECT_EQ(flow.StrFields().size(), 1u);
  flow.RegisterFields(675);
  EXPECT_EQ(flow.StrFields().size(), 0u);
}

TEST(FlowLayouts, ShotSettingsSitAtTheirTableOffsets) {
  // Distinct values where the file order departs from the declaration order.
  Values values{{"size", 3},       {"trajectory", 7},    {"range", 300},     {"rangeFlag", 1}, {"heroGuard", 1},
                {"charaGuard", 0}, {"summonPalette", 1}, {"summonIndex", 9}, {"hitEffect", 1}, {"reference", 2}};
  Bytes bytes = Body(kEdShotLayout, 696, values);
  EXPECT_EQ(bytes[4 + 37], 3);  // size
  EXPECT_EQ(bytes[4 + 39], 7);  // trajectory
  cEdShot shot;
  LoadBody(shot, bytes, 696);
  EXPECT_EQ(shot.m_nScale, 3);
  EXPECT_EQ(shot.m_nTrajectory, 7);
  EXPECT_EQ(shot.m_nRange, 300);
  EXPECT_EQ(shot.m_bRange, 1);
  EXPECT_EQ(shot.m_bNotOverHero, 1);
  EXPECT_EQ(shot.m_bNotOverChara, 0);
  EXPECT_EQ(shot.m_nSummonPalette, 1);
  EXPECT_EQ(shot.m_nSummonIndex, 9);
  EXPECT_EQ(shot.m_nPatternBase, 2);
  EXPECT_EQ(SaveBody(shot), bytes);
}

TEST(FlowLayouts, CommandWithSettingsIsByteExact) {
  Bytes move = Body(kEdMoveLayout, 696, {{"speed", 25}, {"brake", 0.5}, {"mirrorAngle", 1}, {"direction", 12}});
  Bytes shot = Body(kEdShotLayout, 696, {{"size", 2}, {"groupFromShooter", 1}});
  Bytes bytes = Command(696, {.values = {{"type", CMD_STRAIGHT_MOVE}, {"time", 40}, {"soundOnScreen", 1}},
                              .text = "go",
                              .move = &move,
                              .shot = &shot});
  cFlowCommand command;
  LoadBody(command, bytes, 696);
  ASSERT_TRUE(command.m_pMove);
  EXPECT_EQ(command.m_pMove->m_nSpeed, 25);
  EXPECT_EQ(command.m_pMove->m_dBrake, 0.5);
  EXPECT_EQ(command.m_pMove->m_nDirection, 12);
  EXPECT_EQ(command.m_strText, "go");
  EXPECT_EQ(SaveBody(command), bytes);
}

TEST(FlowLayouts, DefaultsOfNewRecords) {
  cEdMove move;
  EXPECT_EQ(SaveBody(move), Body(kEdMoveLayout, 696,
                                 {{"mirrorAngle", 1},
                                  {"useX", 1},
                                  {"useY", 1},
                                  {"stopOnArrival", 1},
                                  {"mirrorX", 1},
                                  {"reverse", 1},
                                  {"speed", 10},
                                  {"brake", 1.0}}));
  cEdShot shot;
  EXPECT_EQ(SaveBody(shot),
            Body(kEdShotLayout, 696, {{"groupFromShooter", 1}, {"mirrorAngle", 1}, {"mirrorX", 1}, {"size", 1}}));
  cFlow flow;
  EXPECT_EQ(SaveBody(flow), Flow(696, {{"keyAllowance", 3}}));
  cKeyCondition key;
  EXPECT_EQ(SaveBody(key), KeyCondition({}, std::vector<int>(19, 0)));
  cFlowCommand command;
  EXPECT_EQ(SaveBody(command), Command(696, {.values = {{"soundOnScreen", 1}}}));
}

// ---- upgrades of old data versions

cCondition ConditionFrom(int version, const Values& values) {
  cCondition condition;
  LoadBody(condition, Body(kConditionLayout, version, values), version);
  return condition;
}

TEST(FlowUpgrades, ConditionsFollowTheirVersionSteps) {
  struct Case {
    const char* what;
    int version;
    Values stored;
    Values expected;
  };
  const Case cases[] = {
      {"kind 5 moves to 7 below 160, subject cleared below 657",
       159,
       {{"kind", 5}, {"subject", 1}},
       {{"kind", COND_DISTANCE}, {"subject", 0}}},
      {"kind 5 stays from 160", 160, {{"kind", 5}, {"subject", 1}}, {{"kind", COND_STATUS2}, {"subject", 1}}},
      {"status 3 on a block inverts below 161",
       160,
       {{"kind", 6}, {"selector", 2}, {"operator", 1}},
       {{"operator", 0}}},
      {"status selectors shift past 10 then 5 below 168",
       167,
       {{"kind", 4}, {"selector", 10}, {"rightSource", 2}, {"rightSelector", 12}},
       {{"selector", 12}, {"rightSelector", 14}}},
      {"system subject keeps its selector", 167, {{"kind", 4}, {"subject", 2}, {"selector", 10}}, {{"selector", 10}}},
      {"status selectors shift past 5 below 203",
       202,
       {{"kind", 4}, {"selector", 5}, {"rightSource", 2}, {"rightSelector", 4}},
       {{"selector", 6}, {"rightSelector", 4}}},
      {"state selector shifts past 6 below 210", 209, {{"kind", 5}, {"selector", 6}}, {{"selector", 7}}},
      {"distance subject cleared below 657", 656, {{"kind", 7}, {"subject", 1}}, {{"subject", 0}}},
      {"current files are kept", 696, {{"kind", 7}, {"subject", 1}}, {{"subject", 1}}},
  };
  for (const Case& c : cases) {
    cCondition condition = ConditionFrom(c.version, c.stored);
    const std::map<std::string, int> actual{{"kind", condition.m_nKind},
                                            {"subject", condition.m_nSubject},
                                            {"selector", condition.m_nSelector},
                                            {"rightSelector", condition.m_nRightSelector},
                                            {"operator", condition.m_nOperator}};
    for (const auto& [name, value] : c.expected) EXPECT_EQ(actual.at(name), value) << c.what << ": " << name;
  }
}

TEST(FlowUpgrades, ConditionsBelow110DropTwoShortsAndBelow43LackThePercentage) {
  Bytes v100 = ByteBuilder().U32(7).U8(COND_COMMON_VAR).I32(42).I16(-1).I16(-2).U8(3).U8(1).U8(4).U32(0).Get();
  cCondition condition;
  LoadBody(condition, v100, 100);
  EXPECT_EQ(condition.m_nKind, COND_COMMON_VAR);
  EXPECT_EQ(condition.m_nValue, 42);
  EXPECT_EQ(condition.m_nOperator, 3);
  EXPECT_EQ(condition.m_bPercent, 1);
  EXPECT_EQ(condition.m_nShape, 4);
  EXPECT_EQ(condition.m_nSubject, 0);
  EXPECT_EQ(condition.m_nSelector, 0);
  EXPECT_EQ(condition.m_nIndex, 0);

  cCondition old = ConditionFrom(42, {{"operator", 2}, {"shape", 5}});
  EXPECT_EQ(old.m_nOperator, 2);
  EXPECT_EQ(old.m_bPercent, 0);
  EXPECT_EQ(old.m_nShape, 5);
  // Saved in the current layout.
  EXPECT_EQ(SaveBody(old), Body(kConditionLayout, 696, {{"operator", 2}, {"shape", 5}}));
}

cFlow FlowFrom(int version, const Values& values) {
  cFlow flow;
  LoadBody(flow, Flow(version, values), version);
  return flow;
}

TEST(FlowUpgrades, TriggersAndLettersFollowTheirVersionSteps) {
  struct Case {
    int version, trigger, letter, expectedTrigger, expectedLetter;
  };
  for (Case c : {Case{130, 12, 3, TRG_BLOCK_HIT_BOTTOM, 0}, Case{150, 12, 3, 14, 0}, Case{120, 11, 0, 14, 0},
                 Case{131, 10, 2, 12, 0}, Case{150, 0, 5, 0, 5}, Case{163, 4, 5, 4, 5}, Case{163, 5, 5, 7, 5},
                 Case{164, 12, 3, 12, 3}}) {
    cFlow flow = FlowFrom(c.version, {{"trigger", c.trigger}, {"letter", c.letter}});
    EXPECT_EQ(flow.m_nTrigger, c.expectedTrigger) << c.version << " trigger " << c.trigger;
    EXPECT_EQ(flow.m_nLetter, c.expectedLetter) << c.version << " trigger " << c.trigger;
  }
}

TEST(FlowUpgrades, NamesAreDroppedOnEveryLoad) {
  cFlow flow;
  LoadBody(flow, Flow(696, {}, "opening"), 696);
  EXPECT_EQ(flow.m_strName, "");
  // A flow named in memory is saved with its name, and loses it again on loading.
  flow.m_strName = "named";
  Bytes saved = SaveBody(flow);
  EXPECT_EQ(saved, Flow(696, {{"keyAllowance", 0}}, "named"));
  // Below 676 the body holds no string at all.
  cFlow old;
  LoadBody(old, Flow(675, {{"id", 4}}), 675);
  EXPECT_EQ(old.m_nId, 4);
}

cFlowCommand CommandFrom(int version, const CommandParts& parts, const cLoadContext& ctx = {}) {
  cFlowCommand command;
  LoadBody(command, Command(version, parts), version, ctx);
  return command;
}

using IntList = std::vector<std::int32_t>;

IntList Params(const cFlowCommand& command) { return IntList(command.m_vParams.begin(), command.m_vParams.end()); }

// A context whose databases are large enough that no parameter below is reset.
cLoadContext RoomyContext() {
  cLoadContext ctx;
  ctx.db = DatabaseSizes{1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000};
  return ctx;
}

TEST(FlowUpgrades, CommandParametersFollowTheirVersionSteps) {
  struct Case {
    const char* what;
    int version;
    int itemFlag;
    int type;
    IntList stored;
    IntList expected;
  };
  const Case cases[] = {
      {"stage clear resized below 145", 144, 0, CMD_STAGE_CLEAR, {1, 2}, {1, 2, 0, 0, 0, 0, 0, 0, 0}},
      {"BGM gains its loop flag below 166", 150, 0, CMD_BGM, {5}, {5, 1}},
      {"BGM keeps its own from 166", 166, 0, CMD_BGM, {5, 0}, {5, 0}},
      {"item BGM too", 150, 1, ITEMCMD_BGM, {5}, {5, 1}},
      {"set target gains parameter 2 below 189",
       180,
       0,
       CMD_SET_TARGET,
       {10, 11, 12, 13, 14, 15, 16, 17, 18, 19},
       {10, 11, 0, 12, 13, 14, 15, 16, 17, 18}},
      {"picture gains parameter 6 below 194",
       193,
       0,
       CMD_PICTURE,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
       {1, 2, 3, 4, 5, 6, 1, 7, 8, 9, 10, 0, 0, 0}},
      {"effects gain parameter 1 below 195", 194, 0, CMD_CHARA_EFFECT, {7, 8}, {7, 0, 8}},
      {"summons lose their parameters below 203", 202, 0, CMD_SUMMON_CHARA, {1, 2, 3}, {}},
      {"flow operation resized below 203", 202, 0, CMD_FLOW_OPERATION, {1, 2, 3, 4}, {1, 2, 3}},
      {"status operation selectors shift twice below 168",
       167,
       0,
       CMD_STATUS_OPERATION,
       {0, 0, 0, 0, 10, 0, 2, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0},
       {0, 0, 0, 0, 12, 0, 2, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0}},
      {"status operation 2 shifts past 6 below 210", 209, 0, CMD_STATUS_OPERATION2, {0, 6, 1}, {0, 7, 1}},
      {"graphic change from the shot sheet below 219", 218, 0, CMD_GRAPHIC_CHANGE, {3, 119, 0}, {3, 119, 0}},
      {"graphic change moves to the next cell", 218, 1, ITEMCMD_GRAPHIC_CHANGE, {3, 5, 0}, {3, 6, 0}},
      {"graphic change at the largest cell a file holds", 218, 0, CMD_GRAPHIC_CHANGE, {3, INT32_MAX, 0}, {3, 119, 0}},
      {"message of 540",
       540,
       0,
       CMD_MESSAGE,
       {7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
       {7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 0, 0, 0, 1, 0, 1}},
      {"message of 545 position 3",
       545,
       0,
       CMD_MESSAGE,
       {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 9, 9, 9, 9, 9, 9},
       {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1}},
      {"message of 555",
       555,
       1,
       ITEMCMD_MESSAGE,
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7},
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 1}},
      {"picture of 546",
       546,
       0,
       CMD_PICTURE,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0}},
  };
  cLoadContext ctx = RoomyContext();
  for (const Case& c : cases) {
    cFlowCommand command =
        CommandFrom(c.version, {.values = {{"itemFlag", c.itemFlag}, {"type", c.type}}, .params = c.stored}, ctx);
    EXPECT_EQ(Params(command), c.expected) << c.what;
  }
}

TEST(FlowUpgrades, SettingsOfOldCommands) {
  Bytes move = Body(kEdMoveLayout, 157, {{"angle", 45}, {"angleStep", 5}, {"keepFacing", 1}});
  cFlowCommand charge = CommandFrom(157, {.values = {{"type", CMD_CHARGE_MOVE}}, .move = &move});
  ASSERT_TRUE(charge.m_pMove);
  EXPECT_EQ(charge.m_pMove->m_nAngle, 0);
  EXPECT_EQ(charge.m_pMove->m_nAngleStep, 0);
  EXPECT_EQ(charge.m_pMove->m_bMirrorAngle, 1);
  EXPECT_EQ(charge.m_pMove->m_bKeepFacing, 0);

  cFlowCommand straight = CommandFrom(157, {.values = {{"type", CMD_STRAIGHT_MOVE}}, .move = &move});
  EXPECT_EQ(straight.m_pMove->m_nAngle, 45);
  // A movement record of 157 lacks the mirroring flag, which a new one has set.
  EXPECT_EQ(straight.m_pMove->m_bMirrorAngle, 0);
  EXPECT_EQ(cEdMove().m_bMirrorAngle, 1);

  Bytes shot196 = Body(kEdShotLayout, 196,
                       {{"graphic", 119}, {"heroGuard", 1}, {"trajectory", 5}, {"pierce", 1}, {"reference", 2}});
  cFlowCommand fire = CommandFrom(196, {.values = {{"type", CMD_SHOT}}, .shot = &shot196});
  ASSERT_TRUE(fire.m_pShot);
  EXPECT_EQ(fire.m_pShot->m_nShotGraphic, 119);
  EXPECT_EQ(fire.m_pShot->m_bNotOverChara, 1);
  EXPECT_EQ(fire.m_pShot->m_bScrollCarry, 1);
  EXPECT_EQ(fire.m_pShot->m_bPierceBlockChara, 1);
  EXPECT_EQ(fire.m_pShot->m_nPatternBase, 0);

  Bytes shot219 = Body(kEdShotLayout, 219, {{"graphic", 5}, {"trajectory", 1}, {"scrollCarry", 1}});
  cFlowCommand fire219 = CommandFrom(219, {.values = {{"type", CMD_SHOT}}, .shot = &shot219});
  EXPECT_EQ(fire219.m_pShot->m_nShotGraphic, 6);
  EXPECT_EQ(fire219.m_pShot->m_bScrollCarry, 1);
  Bytes shot211 = Body(kEdShotLayout, 211, {{"trajectory", 1}, {"scrollCarry", 1}});
  cFlowCommand fire211 = CommandFrom(211, {.values = {{"type", CMD_SHOT}}, .shot = &shot211});
  EXPECT_EQ(fire211.m_pShot->m_bScrollCarry, 0);
}

// ---- validation

TEST(FlowValidation, ParametersFollowTheirTypeAndDatabaseReferencesAreReset) {
  cLoadContext ctx;
  ctx.db.nAnime = 10;
  ctx.db.nSound = 5;
  ctx.db.nPicture = 300;
  ctx.db.nAnimeSet = 4;
  struct Case {
    const char* what;
    int itemFlag, type;
    IntList stored, expected;
  };
  const Case cases[] = {
      {"item message resized like flow messages", 1, ITEMCMD_MESSAGE, {}, IntList(17, 0)},
      {"movement has no parameters", 0, CMD_STRAIGHT_MOVE, {1, 2}, {}},
      {"picture beyond the database", 0, CMD_PICTURE, {500}, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"negative picture", 0, CMD_PICTURE, {-1}, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"picture inside", 0, CMD_PICTURE, {299}, {299, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"anime set beyond", 1, ITEMCMD_BASE_ANIME_SET_CHANGE, {4}, {0}},
      {"sound effect beyond", 0, CMD_SOUND_EFFECT, {5}, {1}},
      {"out-of-range type byte", 0, 37, {1, 2}, {}},
      {"negative type byte", 0, -1, {1}, {}},
      {"out-of-range item type", 1, ITEMCMD_COUNT, {1}, {}},
  };
  for (const Case& c : cases) {
    cFlowCommand command =
        CommandFrom(696, {.values = {{"itemFlag", c.itemFlag}, {"type", c.type}}, .params = c.stored}, ctx);
    EXPECT_EQ(Params(command), c.expected) << c.what;
  }
  cFlowCommand bad = CommandFrom(696, {.values = {{"type", 200}, {"anime", 10}, {"sound", -1}}}, ctx);
  EXPECT_EQ(bad.m_nType, CMD_NONE);
  EXPECT_EQ(bad.m_nAnime, 0);
  EXPECT_EQ(bad.m_nSound, 0);
}

TEST(FlowValidation, SwordTimeFollowsItsSwordType) {
  cLoadContext ctx;
  ctx.db.nSwordType = 3;
  ctx.swordTypeDurations = {0, 12000, 35};
  Bytes shot = Body(kEdShotLayout, 696, {{"trajectory", 1}, {"size", 1}});
  cFlowCommand sword = CommandFrom(696, {.values = {{"type", CMD_SWORD}, {"time", 5}}, .shot = &shot}, ctx);
  EXPECT_EQ(sword.m_nTime, 9999);
  sword.m_pShot->m_nTrajectory = 2;
  SaveBody(sword, ctx);
  EXPECT_EQ(sword.m_nTime, 35);
  sword.m_pShot->m_nTrajectory = 3;
  SaveBody(sword, ctx);
  EXPECT_EQ(sword.m_pShot->m_nTrajectory, 0);
  EXPECT_EQ(sword.m_nTime, 0);
}

TEST(FlowValidation, CommandsMissingTheirSettingsGetDefaultOnes) {
  cLoadContext ctx;
  ctx.db.nSwordType = 2;
  ctx.swordTypeDurations = {7, 8};
  for (int type : {CMD_SHOT, CMD_SWORD, CMD_SUMMON_BLOCK, CMD_SUMMON_CHARA, CMD_SUMMON_ITEM}) {
    cFlowCommand command = CommandFrom(696, {.values = {{"type", type}}}, ctx);
    ASSERT_TRUE(command.m_pShot) << type;
    EXPECT_EQ(command.m_pShot->m_nScale, 1) << type;
    EXPECT_FALSE(command.m_pMove) << type;
  }
  for (int type : {CMD_STRAIGHT_MOVE, CMD_DISABLE_MOVE, CMD_WARP}) {
    cFlowCommand command = CommandFrom(696, {.values = {{"type", type}}}, ctx);
    EXPECT_TRUE(command.m_pMove) << type;
  }
  cFlowCommand warp = CommandFrom(696, {.values = {{"itemFlag", 1}, {"type", ITEMCMD_WARP}}}, ctx);
  EXPECT_TRUE(warp.m_pMove);
  cFlowCommand wait = CommandFrom(696, {.values = {{"type", CMD_WAIT}}}, ctx);
  EXPECT_FALSE(wait.m_pMove);
  EXPECT_FALSE(wait.m_pShot);
}

TEST(FlowValidation, ShotSettingsAreNormalised) {
  cLoadContext ctx;
  ctx.db.nEffect = 20;
  Bytes bytes = Body(kEdShotLayout, 696, {{"size", 0}, {"hitEffect", 500}});
  cEdShot shot;
  LoadBody(shot, bytes, 696, ctx);
  EXPECT_EQ(shot.m_nScale, 1);
  EXPECT_EQ(shot.m_nHitEffect, 0);
  shot.m_nScale = -3;
  EXPECT_EQ(SaveBody(shot, ctx), Body(kEdShotLayout, 696, {{"size", 1}}));
}

TEST(FlowValidation, PresenceWordsOtherThanZeroMeanPresentAndAreWrittenAsOne) {
  Bytes move = Body(kEdMoveLayout, 696, {{"speed", 3}});
  Bytes stored = Command(696, {.values = {{"type", CMD_STRAIGHT_MOVE}}, .move = &move, .movePresence = 2});
  cFlowCommand command;
  LoadBody(command, stored, 696);
  ASSERT_TRUE(command.m_pMove);
  EXPECT_EQ(command.m_pMove->m_nSpeed, 3);
  EXPECT_EQ(SaveBody(command), Command(696, {.values = {{"type", CMD_STRAIGHT_MOVE}}, .move = &move}));
}

TEST(FlowValidation, CopiesOfACommandOwnTheirSettings) {
  cFlowCommand original;
  NewEdShot(original.m_pShot);
  original.m_pShot->m_nPower = 7;
  cFlowCommand copy = original;
  copy.m_pShot->m_nPower = 9;
  EXPECT_EQ(original.m_pShot->m_nPower, 7);
  cCheckedVector<cFlowCommand> list(3, original);
  list.resize(100);
  EXPECT_NE(list[0].m_pShot.get(), list[1].m_pShot.get());
  EXPECT_EQ(list[2].m_pShot->m_nPower, 7);
  copy = cFlowCommand();
  EXPECT_FALSE(copy.m_pShot);
}

TEST(FlowValidation, MarkedFlowsAreErasedOutsideATestPlay) {
  Bytes marked = Flow(696, {{"marker", 1}, {"id", 1}});
  Bytes kept = Flow(696, {{"id", 2}});
  struct Case {
    bool testPlay, keep;
    std::size_t flows;
  };
  for (Case c : {Case{false, false, 1}, Case{true, false, 2}, Case{false, true, 2}}) {
    cLoadContext ctx;
    ctx.bTestPlay = c.testPlay;
    ctx.bKeepMarkedFlows = c.keep;
    cFlowCommand command = CommandFrom(
        696, {.values = {{"itemFlag", 1}, {"type", ITEMCMD_CHANGE_FLOW}}, .flows = {marked, kept}, .params = {0, 0}},
        ctx);
    ASSERT_EQ(command.m_vFlows.size(), c.flows);
    EXPECT_EQ(command.m_vFlows.back().m_nId, 2);
  }
}

TEST(FlowValidation, KeyConditionsHoldEveryKeyEntry) {
  struct Case {
    std::vector<int> stored;
    std::vector<int> expected;
  };
  std::vector<int> full(19, 0);
  full[18] = 1;
  for (const Case& c : {Case{{1, 2},
                             [] {
                               std::vector<int> v(19, 0);
                               v[0] = 1;
                               v[1] = 2;
                               return v;
                             }()},
                        Case{full, full}, Case{std::vector<int>(40, 2), std::vector<int>(19, 2)}}) {
    cKeyCondition key;
    LoadBody(key, KeyCondition({{"mode", 2}}, c.stored), 696);
    EXPECT_EQ(std::vector<int>(key.m_vKeys.begin(), key.m_vKeys.end()), c.expected);
    EXPECT_EQ(key.m_nMode, 2);
  }
}

// ---- hostile data

TEST(FlowHardening, NestingOfFlowsIsBounded) {
  auto nested = [](int depth) {
    Bytes flow = Flow(696, {});
    for (int i = 1; i < depth; ++i) {
      Bytes command = Command(696, {.values = {{"itemFlag", 1}, {"type", ITEMCMD_CHANGE_FLOW}}, .flows = {flow}});
      flow = Flow(696, {}, "", {}, {}, {command});
    }
    return flow;
  };
  cFlow ok;
  EXPECT_TRUE(LoadDataBytes(ByteBuilder().I32(696).Append(nested(kMaxFlowNesting)).Get(), "deep",
                            [&](cRecordReader& in) { ok.Load(in, cLoadContext{}); }));
  LogCapture log;
  cFlow tooDeep;
  EXPECT_FALSE(LoadDataBytes(ByteBuilder().I32(696).Append(nested(kMaxFlowNesting + 1)).Get(), "deep",
                             [&](cRecordReader& in) { tooDeep.Load(in, cLoadContext{}); }));
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_NE(log.Lines()[0].find("nested deeper"), std::string::npos) << log.Lines()[0];
}

TEST(FlowHardening, EveryCutAndEveryHugeCountFailsCleanly) {
  Bytes shot = Body(kEdShotLayout, 696, {{"size", 1}});
  Bytes command = Command(696, {.values = {{"type", CMD_SHOT}}, .shot = &shot, .params = {}});
  Bytes message = Command(696, {.values = {{"type", CMD_MESSAGE}}, .text = "hi", .params = IntList(17, 1)});
  Bytes whole = ByteBuilder()
                    .I32(696)
                    .Append(Flow(696, {}, "", {Body(kConditionLayout, 696, {{"kind", 1}})},
                                 {KeyCondition({}, std::vector<int>(19, 1))}, {command, message}))
                    .Get();
  auto load = [](const Bytes& bytes) {
    cFlow flow;
    return LoadDataBytes(bytes, "flow", [&](cRecordReader& in) { flow.Load(in, cLoadContext{}); });
  };
  ASSERT_TRUE(load(whole));
  for (std::size_t cut = 4; cut < whole.size(); ++cut) {
    LogCapture log;
    EXPECT_FALSE(load(Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)))) << cut;
    EXPECT_EQ(log.Lines().size(), 1u) << cut;
  }
  // Each 32-bit word set to 0xFFFFFFFF in turn: counts and lengths among them.
  for (std::size_t at = 4; at + 4 <= whole.size(); ++at) {
    Bytes damaged = whole;
    for (int i = 0; i < 4; ++i) damaged[at + i] = 0xFF;
    LogCapture log;
    load(damaged);  // may load (a value) or fail (a count); never crash or allocate without bound
    EXPECT_LE(log.Lines().size(), 1u) << at;
  }
}

}  // namespace
