// Status operations: the operators with their clamps, the right-hand values,
// the HP modes and the widths of the stored values.
#include <climits>

#include "flow/ObjectCommands.h"
#include "flow/Status.h"
#include "gamedata/SaveData.h"
#include "library/util/Random.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

enum Op { kSet, kAdd, kSub, kMul, kDiv, kRem, kPercent };

// A status operation on the character status `selector` of `whose` (0 self,
// 1 target, 2 system) with a constant right-hand value.
cFlowCommand StatusOp(int whose, int selector, int op, int value) {
  cFlowCommand c = MakeCommand(CMD_STATUS_OPERATION, 0);
  c.m_vParams.assign(18, 0);
  c.m_vParams[3] = whose;
  c.m_vParams[4] = selector;
  c.m_vParams[5] = op;
  c.m_vParams[7] = value;
  return c;
}

}  // namespace

TEST(StatusOperationTest, OperatorsComputeExactlyThenClamp) {
  struct Case {
    int v, a, op, low, high, expected;
  };
  const Case cases[] = {
      {500000, 5000, kMul, 0, 999999, 999999},          // the true product lies above the range
      {-500000, 5000, kMul, -999999, 999999, -999999},  // ... and below it
      {65536, 65536, kMul, -999999, 999999, 999999},    // wraps to 0 in 32 bits
      {-65536, 65536, kMul, -999999, 999999, -999999},  // wraps to 0 in 32 bits
      {7, 0, kDiv, -999999, 999999, 7},                 // by 0: unchanged
      {7, 0, kRem, -999999, 999999, 7},
      {-17, 5, kDiv, -999999, 999999, -3},  // toward zero
      {-17, 5, kRem, -999999, 999999, -2},  // the sign of v
      {INT_MIN, -1, kDiv, -999999, 999999, 999999},
      {INT_MIN, -1, kRem, -999999, 999999, 0},
      {INT_MAX, INT_MAX, kAdd, -999999, 999999, 999999},
      {INT_MIN, INT_MAX, kSub, -999999, 999999, -999999},
      {7, 50, kPercent, -999999, 999999, 4},  // 3.5 away from zero
      {-7, 50, kPercent, -999999, 999999, -4},
      {1500, 3, 99, 0, 999, 999},  // an unknown operator only clamps
      {5, -20, kSet, 0, 99, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ApplyOperation(c.v, c.a, c.op, c.low, c.high), c.expected) << c.v << " op " << c.op << " " << c.a;
}

TEST(StatusOperationTest, VariablesSystemValuesAndRandomOperands) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  cNpc& npc = stage.AddNpc(5, 5);
  scene.Record().GameValue[3] = 7;
  cFlowCommand half = MakeVariableOp(0, 3, kSet, 50);
  half.m_vParams[14] = 1;  // 50 % of the current 7
  DoStatusOperation(npc, half);
  EXPECT_EQ(scene.Record().GameValue[3], 4);
  DoStatusOperation(npc, MakeVariableOp(1, 2, kSub, 2000000));
  EXPECT_EQ(scene.m_StageVar[2], -999999);

  // Random bounds 10 and 3 in either order: 3 + draw % 8, draws of seed 1 being 41, 18467, 6334.
  cFlowCommand random = MakeVariableOp(0, 5, kSet, 0);
  random.m_vParams[6] = 1;
  random.m_vParams[8] = 10;
  random.m_vParams[9] = 3;
  crt::srand(1);
  for (int expected : {3 + 41 % 8, 3 + 18467 % 8, 3 + 6334 % 8}) {
    DoStatusOperation(npc, random);
    EXPECT_EQ(scene.Record().GameValue[5], expected);
  }
  // Bounds as far apart as an int allows: the span is taken in 64 bits.
  random.m_vParams[8] = INT_MIN;
  random.m_vParams[9] = INT_MAX;
  DoStatusOperation(npc, random);
  EXPECT_EQ(scene.Record().GameValue[5], -999999);  // INT_MIN + 26500, clamped

  scene.Record().nScore = 500000;
  DoStatusOperation(npc, StatusOp(2, 3, kMul, 5000));
  EXPECT_EQ(scene.Record().nScore, 999999);
  scene.Record().nLife = 999999;  // unlimited
  DoStatusOperation(npc, StatusOp(2, 4, kAdd, 1));
  EXPECT_EQ(scene.Record().nLife, 999999);
  scene.Record().nLife = 3;
  DoStatusOperation(npc, StatusOp(2, 4, kAdd, 200));
  EXPECT_EQ(scene.Record().nLife, 99);
  DoStatusOperation(npc, StatusOp(2, 0, kAdd, 5000));
  EXPECT_EQ(scene.m_nTimeLeft, 999);

  // Scroll speeds stop at 48 dots a frame; with the switch on the axis takes the speed per step.
  scene.m_bStageAutoScrollX = 1;
  DoStatusOperation(npc, StatusOp(2, 1, kSet, 1000));
  EXPECT_EQ(scene.m_nStageScrollSpeedX, 480);
  EXPECT_DOUBLE_EQ(scene.m_ScrollX.dAutoSpeed, 48.0 / stage.N());
  DoStatusOperation(npc, StatusOp(2, 2, kSet, -1000));
  EXPECT_EQ(scene.m_nStageScrollSpeedY, -480);
  EXPECT_EQ(scene.m_ScrollY.bAutoScroll, 0);  // its switch is off
}

TEST(StatusOperationTest, RightHandStatusValues) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& npc = stage.AddNpc(5, 5);
  hero.m_Def.m_nDefence = 25;
  cFlowCommand fromTarget = MakeVariableOp(0, 1, kSet, 0);
  fromTarget.m_vParams[6] = 2;
  fromTarget.m_vParams[12] = 1;  // the target's defence
  fromTarget.m_vParams[13] = 11;
  npc.m_nTargetNo = hero.m_nNo;
  EXPECT_EQ(DoStatusOperation(npc, fromTarget), 1);
  EXPECT_EQ(scene.Record().GameValue[1], 25);
  npc.m_nTargetNo = kNoTarget;
  scene.Record().GameValue[1] = 0;
  EXPECT_EQ(DoStatusOperation(npc, fromTarget), 0);
  EXPECT_EQ(scene.Record().GameValue[1], 0);

  // A computer character's sight range is no right-hand value; unlimited lives count 0.
  cFlowCommand sight = fromTarget;
  sight.m_vParams[12] = 0;
  sight.m_vParams[13] = 8;
  EXPECT_EQ(DoStatusOperation(npc, sight), 0);
  cFlowCommand lives = fromTarget;
  lives.m_vParams[12] = 2;
  lives.m_vParams[13] = 4;
  scene.Record().nLife = 999999;
  scene.Record().GameValue[1] = 9;
  DoStatusOperation(npc, lives);
  EXPECT_EQ(scene.Record().GameValue[1], 0);
}

TEST(StatusOperationTest, HpModesAndMaxima) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  cNpc& npc = stage.AddNpc(5, 5);
  npc.m_Def.m_nMaxHp = 120;
  struct Case {
    int op, mode, r, hp, expected;
  };
  const Case cases[] = {
      {kAdd, 1, 50, 30, 90},                           // 50 % of max HP 120 added
      {kSet, 1, 50, 30, 60},                           // ... or set
      {kAdd, 2, 50, 30, 45},                           // 50 % of the current HP
      {kAdd, 0, 500, 30, 120},                         // never above max HP
      {kSub, 0, 500, 30, 0},   {kAdd, 7, 50, 30, 30},  // an unknown mode leaves HP
  };
  for (const Case& c : cases) {
    npc.m_nHp = c.hp;
    cFlowCommand hp = StatusOp(0, 1, c.op, c.r);
    hp.m_vParams[15] = c.mode;
    DoStatusOperation(npc, hp);
    EXPECT_EQ(npc.m_nHp, c.expected) << "op " << c.op << " mode " << c.mode;
  }
  // An invincible character still loses HP unless the operation spares it.
  npc.m_nHp = 100;
  npc.m_Def.m_nInvincible = 1;
  cFlowCommand hurt = StatusOp(0, 1, kSub, 10);
  DoStatusOperation(npc, hurt);
  EXPECT_EQ(npc.m_nHp, 90);
  hurt.m_vParams[17] = 1;
  EXPECT_EQ(DoStatusOperation(npc, hurt), 0);
  EXPECT_EQ(npc.m_nHp, 90);
  npc.m_Def.m_nInvincible = 0;

  DoStatusOperation(npc, StatusOp(0, 3, kSet, 40));
  EXPECT_EQ(npc.m_Def.m_nMaxHp, 40);
  EXPECT_EQ(npc.m_nHp, 40);
  npc.m_Def.m_nMaxSp = 50;
  npc.m_nSp = 50;
  DoStatusOperation(npc, StatusOp(0, 4, kDiv, 2));
  EXPECT_EQ(npc.m_Def.m_nMaxSp, 25);
  EXPECT_EQ(npc.m_nSp, 25);
  EXPECT_EQ(scene.m_bCheckHero, 0);
}

TEST(StatusOperationTest, AnotherCharactersHpAtZeroAsksForTheHerosDeathTest) {
  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& npc = stage.AddNpc(5, 5);
  npc.m_nTargetNo = hero.m_nNo;
  npc.m_nHp = hero.m_nHp = 10;
  DoStatusOperation(npc, StatusOp(0, 1, kSet, 0));  // its own HP
  EXPECT_EQ(npc.m_nHp, 0);
  EXPECT_EQ(scene.m_bCheckHero, 0);
  DoStatusOperation(npc, StatusOp(1, 1, kSub, 4));  // the target's, still alive
  EXPECT_EQ(hero.m_nHp, 6);
  EXPECT_EQ(scene.m_bCheckHero, 0);
  DoStatusOperation(npc, StatusOp(1, 1, kSub, 40));
  EXPECT_EQ(hero.m_nHp, 0);
  EXPECT_EQ(scene.m_bCheckHero, 1);
  scene.m_bCheckHero = 0;
  DoStatusOperation(npc, StatusOp(1, 3, kSet, 0));  // the target's max HP
  EXPECT_EQ(scene.m_bCheckHero, 1);
}

TEST(StatusOperationTest, ByteAndShortValuesTakeTheLowBits) {
  TinyStage stage;
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& npc = stage.AddNpc(5, 5);
  struct Case {
    int selector, op, r, start, expected;
  };
  const Case cases[] = {
      {5, kSet, 300, 0, 44},  // 300 cut to a byte, within 0..99
      {5, kSet, 200, 0, 0},   // 200 is -56 as a byte
      {5, kMul, 16, 16, 99},  // 256 does not fit a byte: clamped, not wrapped to 0
      {7, kSet, 65536 + 100, 0, 100},
      {7, kSet, 70000, 0, 119},  // 70000 cut to 16 bits is 4464
      {6, kAdd, 9, 3, 7},
      {10, kSub, 50, 0, -20},
      {9, kSet, -2000000, 0, -999999},
      {14, kSub, 5, 0, -5},
  };
  for (const Case& c : cases) {
    StatusSlot slot = CharaStatusSlot(npc, c.selector, 0);
    slot.Write(c.start);
    DoStatusOperation(npc, StatusOp(0, c.selector, c.op, c.r));
    EXPECT_EQ(slot.Read(), c.expected) << "selector " << c.selector << " r " << c.r;
  }
  // Sight range: the hero's light follows it; a computer character's stays.
  npc.m_Def.m_nSight = 3;
  EXPECT_EQ(DoStatusOperation(npc, StatusOp(0, 8, kSet, 10)), 0);
  EXPECT_EQ(npc.m_Def.m_nSight, 3);
  DoStatusOperation(hero, StatusOp(0, 8, kSet, 100));
  EXPECT_EQ(hero.m_Def.m_nSight, 40);
  EXPECT_EQ(hero.m_nLightRadius, 40 * 16);
  // Stopping ease: the friction follows.
  DoStatusOperation(npc, StatusOp(0, 13, kSet, 150));
  EXPECT_EQ(npc.m_Def.m_nStopEase, 150);
  EXPECT_DOUBLE_EQ(npc.m_dMoveDecel, 150 * 0.01 / (stage.N() * stage.N()));
  // A character variable by its number.
  DoStatusOperation(npc, [] {
    cFlowCommand v = StatusOp(0, 0, kSet, 77);
    v.m_vParams[2] = 4;
    return v;
  }());
  EXPECT_EQ(npc.m_vVars[4], 77);
}
