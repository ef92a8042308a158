// Conditions of every kind and key commands matched through the hero's key
// timelines.
#include "gamedata/SaveData.h"
#include "library/input/KeyInput.h"
#include "library/util/Random.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

cCondition Condition(int kind, int op, int value) {
  cCondition c;
  c.m_nKind = static_cast<std::int8_t>(kind);
  c.m_nOperator = static_cast<std::int8_t>(op);
  c.m_nValue = value;
  return c;
}

cCondition Status(int subject, int selector, int op, int value) {
  cCondition c = Condition(COND_STATUS, op, value);
  c.m_nSubject = static_cast<std::int8_t>(subject);
  c.m_nSelector = static_cast<std::int8_t>(selector);
  return c;
}

}  // namespace

TEST(ConditionTest, CompareOperatorsIn64Bits) {
  struct Case {
    long long x, y;
    int op;
    bool expected;
  };
  const Case cases[] = {{5, 5, 0, true},
                        {5, 4, 1, true},
                        {5, 5, 2, true},
                        {4, 5, 3, true},
                        {6, 5, 4, true},
                        {5, 5, 5, false},
                        {-9, 3, 6, true},
                        {7, 0, 6, true},
                        {7, 0, 7, false},
                        {7, 3, 7, true},
                        {-2147483648LL, 2, 6, true},
                        {1, 1, 8, false}};
  for (const Case& c : cases) EXPECT_EQ(CompareByOperator(c.x, c.y, c.op), c.expected) << c.x << " " << c.op;
  EXPECT_EQ(PercentOf(120, 25), 30);
  EXPECT_EQ(PercentOf(7, 50), 4);  // 3.5 rounds away from zero
  EXPECT_EQ(PercentOf(-7, 50), -4);
  EXPECT_EQ(PercentOf(999999, 999999), 2147483647);  // the product does not wrap
}

TEST(ConditionTest, VariablesStatusesAndFlags) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& npc = stage.AddNpc(5, 5);
  scene.Record().GameValue[3] = 12;
  scene.m_StageVar[4] = -9;
  npc.m_vVars[2] = 7;
  cCondition common = Condition(COND_COMMON_VAR, 2, 12);
  common.m_nIndex = 3;
  cCondition stageVar = Condition(COND_STAGE_VAR, 6, 3);
  stageVar.m_nIndex = 4;
  cCondition charaVar = Condition(COND_CHARA_VAR, 1, 7);
  charaVar.m_nIndex = 2;
  EXPECT_TRUE(CheckCondition(scene, common, npc));
  EXPECT_TRUE(CheckCondition(scene, stageVar, npc));
  EXPECT_FALSE(CheckCondition(scene, charaVar, npc));
  EXPECT_FALSE(CheckCondition(scene, Condition(COND_NONE, 0, 0), npc));

  // HP 30 of 120 against 25 % of the maximum.
  npc.m_Def.m_nMaxHp = 120;
  npc.m_nHp = 30;
  cCondition hp = Status(0, 1, 2, 25);
  hp.m_bPercent = 1;
  EXPECT_TRUE(CheckCondition(scene, hp, npc));
  npc.m_nHp = 29;
  EXPECT_FALSE(CheckCondition(scene, hp, npc));
  // A character ID compared with 300 compares with 300 cut to a byte: 44.
  npc.m_Def.m_nCharaId = 44;
  EXPECT_TRUE(CheckCondition(scene, Status(0, 5, 0, 300), npc));
  // The target's value; the target is the hero.
  hero.m_nHp = 10;
  EXPECT_TRUE(CheckCondition(scene, Status(1, 1, 0, 10), npc));
  npc.m_nTargetNo = kNoTarget;
  EXPECT_FALSE(CheckCondition(scene, Status(1, 1, 0, 10), npc));
  npc.m_nTargetNo = hero.m_nNo;
  // Unlimited lives are never compared.
  scene.Record().nLife = 999999;
  EXPECT_FALSE(CheckCondition(scene, Status(2, 4, 2, 0), npc));
  scene.Record().nLife = 3;
  EXPECT_TRUE(CheckCondition(scene, Status(2, 4, 0, 3), npc));

  // A random right value between reversed bounds draws from the generator.
  cCondition random = Status(0, 0, 0, 0);
  random.m_nIndex = 2;
  random.m_nRightSource = 1;
  random.m_nRandomLow = 9;
  random.m_nRandomHigh = 5;
  crt::srand(77);
  int draws[4];
  for (int& d : draws) d = 5 + crt::rand() % 5;
  crt::srand(77);
  for (int d : draws) {
    npc.m_vVars[2] = d;
    EXPECT_TRUE(CheckCondition(scene, random, npc));
  }

  cCondition fixedFacing = Condition(COND_STATUS2, 0, 1);
  fixedFacing.m_nSelector = 2;
  fixedFacing.m_nIndex = 1;
  npc.m_Def.m_bFixedFacing = 1;
  EXPECT_TRUE(CheckCondition(scene, fixedFacing, npc));

  cCondition facingRight = Condition(COND_STATUS3, 0, 0);
  facingRight.m_nSelector = 1;
  npc.m_bRight = 1;
  EXPECT_TRUE(CheckCondition(scene, facingRight, npc));
  npc.m_bRight = 2;
  EXPECT_FALSE(CheckCondition(scene, facingRight, npc));
  facingRight.m_nOperator = 1;
  EXPECT_TRUE(CheckCondition(scene, facingRight, npc));
}

TEST(ConditionTest, DistanceShapes) {
  TinyStage stage;
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& npc = stage.AddNpc(5, 5);  // three cells (96 dots) to the right of the hero
  hero.UpdateScreenRect();
  npc.UpdateScreenRect();
  cCondition circle = Condition(COND_DISTANCE, 0, 6);  // 96 dots
  circle.m_nShape = 6;
  EXPECT_TRUE(CheckCondition(stage.scene, circle, npc));
  circle.m_nValue = 5;
  EXPECT_FALSE(CheckCondition(stage.scene, circle, npc));
  circle.m_nOperator = 1;
  EXPECT_TRUE(CheckCondition(stage.scene, circle, npc));
  // "前" of a character facing right does not reach behind it.
  cCondition front = Condition(COND_DISTANCE, 0, 10);
  front.m_nShape = 1;
  npc.m_bRight = 1;
  EXPECT_FALSE(CheckCondition(stage.scene, front, npc));
  npc.m_bRight = 0;
  EXPECT_TRUE(CheckCondition(stage.scene, front, npc));
}

TEST(ConditionTest, ListModesAndLatchedFlows) {
  TinyStage stage;
  cNpc& npc = stage.AddNpc(5, 5);
  cCheckedVector<cCondition> empty;
  EXPECT_TRUE(CheckConditionList(stage.scene, empty, 0, npc));
  EXPECT_FALSE(CheckConditionList(stage.scene, empty, 1, npc));
  cFlow flow = MakeFlow(TRG_ALWAYS, {MakeCommand(CMD_WAIT, 1)});
  cCondition var = Condition(COND_STAGE_VAR, 0, 1);
  flow.m_vConditions.push_back(var);
  flow.m_bLatch = 1;
  npc.InstallFlows(cCheckedVector<cFlow>{flow}, 1, 1, -1);
  cRunningFlow& running = npc.m_vFlows.back();
  EXPECT_FALSE(CheckFlowConditions(stage.scene, running, npc));
  stage.scene.m_StageVar[0] = 1;
  EXPECT_TRUE(CheckFlowConditions(stage.scene, running, npc));
  stage.scene.m_StageVar[0] = 0;
  EXPECT_TRUE(CheckFlowConditions(stage.scene, running, npc));
}

namespace {

constexpr WORD kRight = 2, kDown = 8, kLeft = 1;

class KeyCommandTest : public ::testing::Test {
 protected:
  void Press(WORD dir, WORD buttons = 0, int frames = 1) {
    cKeyInput& input = KeyInputList[0];
    for (int f = 0; f < frames; ++f) {
      input.m_wDir = dir;
      input.m_wButton = buttons;
      input.RecordKeyTimelines();
    }
  }
  static cKeyCondition Step(std::initializer_list<std::pair<int, int>> keys, int min, int max, int mode = 0) {
    cKeyCondition s;
    for (auto [slot, state] : keys) s.m_vKeys[static_cast<size_t>(slot)] = static_cast<std::int8_t>(state);
    s.m_nMinFrames = static_cast<std::int16_t>(min);
    s.m_nMaxFrames = static_cast<std::int16_t>(max);
    s.m_nMode = static_cast<std::int8_t>(mode);
    return s;
  }
  cNpc& WithKeyFlow(std::initializer_list<cKeyCondition> steps, int allowance = 0) {
    cFlow flow = MakeFlow(TRG_ALWAYS, {MakeCommand(CMD_WAIT, 0)});
    for (const cKeyCondition& s : steps) flow.m_vKeyConditions.push_back(s);
    flow.m_nKeyAllowance = static_cast<std::int8_t>(allowance);
    cCharaDef def = TinyStage::WalkerDef();
    def.m_vFlows.push_back(flow);
    return stage.AddNpc(5, 5, def);
  }
  bool Check(cNpc& npc) {
    stage.scene.m_pActChara = &npc;
    bool r = CheckKeyCommand(npc, npc.m_vFlows[0]);
    stage.scene.m_pActChara = nullptr;
    return r;
  }
  TinyStage stage;
};

}  // namespace

TEST_F(KeyCommandTest, HeldRangeAndLatch) {
  cNpc& npc = WithKeyFlow({Step({{2, 1}}, 1, 5)});
  Press(0, 0, 3);
  EXPECT_FALSE(Check(npc));
  Press(kRight);
  EXPECT_TRUE(Check(npc));
  Press(kRight);
  EXPECT_FALSE(Check(npc));  // still matched: latched
  Press(kRight, 0, 4);       // the sixth frame is past the range
  EXPECT_FALSE(Check(npc));
  Press(0);
  EXPECT_FALSE(Check(npc));
  Press(kRight);
  EXPECT_TRUE(Check(npc));
}

TEST_F(KeyCommandTest, SequenceWithAllowance) {
  cNpc& strict = WithKeyFlow({Step({{4, 1}}, 1, 10), Step({{2, 1}}, 1, 10)}, 0);
  cNpc& loose = WithKeyFlow({Step({{4, 1}}, 1, 10), Step({{2, 1}}, 1, 10)}, 3);
  Press(kDown, 0, 3);
  Press(kRight);
  EXPECT_TRUE(Check(strict));
  Press(0, 0, 5);
  Press(kDown, 0, 3);
  Press(0, 0, 2);  // a gap of two frames between the steps
  Press(kRight);
  EXPECT_FALSE(Check(strict));
  EXPECT_TRUE(Check(loose));
}

TEST_F(KeyCommandTest, MirroredForALeftFacingCharacterAndExactlyOne) {
  cKeyCondition right = Step({{2, 1}}, 1, 10);
  right.m_bMirror = 1;
  cNpc& npc = WithKeyFlow({right});
  npc.m_bRight = 0;
  Press(kLeft);
  EXPECT_TRUE(Check(npc));
  npc.m_bRight = 1;
  npc.m_vFlows[0].bKeyLatch = 0;
  EXPECT_FALSE(Check(npc));

  cNpc& one = WithKeyFlow({Step({{2, 1}, {11, 1}}, 1, 10, 2)});
  Press(kRight, 1);
  EXPECT_FALSE(Check(one));  // both held: not exactly one
  Press(kRight, 0);
  EXPECT_TRUE(Check(one));
}

TEST_F(KeyCommandTest, ShortKeyListsAreReadOnlyAsFarAsTheyGo) {
  cKeyCondition shortStep = Step({{2, 1}}, 1, 10);
  shortStep.m_vKeys.resize(3);
  cNpc& npc = WithKeyFlow({shortStep});
  Press(kRight);
  EXPECT_TRUE(Check(npc));
  EXPECT_TRUE(CheckKeyCondition(KeyInputList[0], shortStep));
}

TEST_F(KeyCommandTest, PresentStateCountsAnUnknownRequirementAsUnmet) {
  Press(kRight);
  struct Case {
    int mode;
    bool expected;
  };
  // Right held and a slot asking for state 3, which no key state meets.
  for (Case c : {Case{0, false}, Case{1, true}, Case{2, true}}) {
    cKeyCondition step = Step({{2, 1}, {4, 3}}, 1, 10, c.mode);
    EXPECT_EQ(CheckKeyCondition(KeyInputList[0], step), c.expected) << c.mode;
  }
}
