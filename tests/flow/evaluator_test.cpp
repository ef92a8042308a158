// The code-execution statements: values, precedence, assignment, the system
// members and rand, and malformed statements that each end in one clean
// error box with nothing assigned.
#include <functional>
#include <string>
#include <vector>

#include "flow/ObjectCommands.h"
#include "gamedata/SaveData.h"
#include "library/util/Random.h"
#include "library/util/Text.h"
#include "platform/MessageBox.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

class EvaluatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageBoxSink([this](std::string_view text, std::string_view, UINT) {
      boxes.emplace_back(text);
      return IDOK;
    });
    hero.m_nHp = 10;
    npc.m_Def.m_nMaxHp = 120;
    npc.m_nHp = 50;
    npc.m_nTargetNo = hero.m_nNo;
    npc.m_vVars[1] = 1;
    scene.Record().nLife = 3;
  }
  void TearDown() override { platform::SetMessageBoxSink(nullptr); }

  TinyStage stage;
  cStagePlayScene& scene = stage.scene;
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& npc = stage.AddNpc(5, 5);
  std::vector<std::string> boxes;
};

}  // namespace

TEST_F(EvaluatorTest, StatementsAndTheirResults) {
  struct Case {
    const char* statement;
    std::function<int()> read;
    int expected;
  };
  auto v1 = [this] { return npc.m_vVars[1]; };
  const Case cases[] = {
      {"my.hp = my.hp + 10 * 2", [this] { return npc.m_nHp; }, 70},
      {"my.hp = my.hp + 100 * 2", [this] { return npc.m_nHp; }, 120},  // clamped to max HP
      {"C3 = 7", [this] { return scene.Record().GameValue[3]; }, 7},
      {"S0 = S0 + 1", [this] { return scene.m_StageVar[0]; }, 1},
      {"my.v1 = (5 + 3) * 2", v1, 16},
      {"my.v1 = 5 + 3 * 2", v1, 11},
      {"my.v1 = 10 - 3 - 2", v1, 5},  // left to right
      {"my.v1 = 100 / 10 / 5", v1, 2},
      {"my.v1 = 7 % 4 * 3", v1, 9},
      {"my.v1 = 5 - (-3)", v1, 8},  // a group's value joins the word it stands in
      {"my.v1 = (-2) * (2 - 5)", v1, 6},
      {"my.v1 = ((1 + 2) * (3 + 4))", v1, 21},
      {"v1 = 4", v1, 4},  // the object is "my" unless named
      {"my.v1 = tg.hp + pl.hp", v1, 20},
      {"my.v1 = my.v2 + 1 * 3", v1, 3},
      {"my.v1 = 65536 * 65536", v1, 999999},
      {"my.v1 = -2147483648 / -1", v1, 999999},
      {"my.v1 = -2147483648 % -1", v1, 0},
      {"my.v1 = 0 - 99999999999999999999999", v1, -999999},  // the number saturates
      {"my.v1 = 9223372036854775807 + 9223372036854775807", v1, 999999},
      {"my.v1 = rand(-9223372036854775808, 9223372036854775807)", v1, -999999},
      {"my.cid = 300", [this] { return static_cast<int>(npc.m_Def.m_nCharaId); }, 99},
      {"my.z = -3", [this] { return static_cast<int>(npc.m_Def.m_nZ); }, 0},
      {"my.imp = 77", [this] { return static_cast<int>(npc.m_Def.m_nBodyImpact); }, 20},
      {"my.mhp = 2000000", [this] { return npc.m_Def.m_nMaxHp; }, 999999},
      {"sys.score = 1234", [this] { return scene.Record().nScore; }, 1234},
      {"my.v1 = score + 1", v1, 1},
      {"sys.time = 5000", [this] { return scene.m_nTimeLeft; }, 999},
      {"sys.life = 500", [this] { return scene.Record().nLife; }, 99},
      {"my.hp=5", [this] { return npc.m_nHp; }, 50},                      // one word: the number 0, nothing assigned
      {"my.v1 = 3 my.v2 = my.v1", [this] { return npc.m_vVars[2]; }, 1},  // operands are read first
      {"my.v1 = 1.5", v1, 5},  // after a completed operand an unknown object name is dropped
  };
  for (const Case& c : cases) {
    SetUp();
    scene.Record().nScore = 0;
    npc.m_vVars.assign(kCharaVars, 0);
    npc.m_vVars[1] = 1;
    EXPECT_EQ(ExecuteCode(c.statement, npc), 1) << c.statement;
    EXPECT_EQ(c.read(), c.expected) << c.statement;
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(EvaluatorTest, RandDrawsInOrderBetweenEitherBounds) {
  // Seed 1 draws 41, 18467, 6334: rand(0,99) gives 41, rand(99,0) then 67.
  crt::srand(1);
  ASSERT_EQ(ExecuteCode("my.v1 = rand(0,99) * 100 + rand(99, 0)", npc), 1);
  EXPECT_EQ(npc.m_vVars[1], 4167);
  ASSERT_EQ(ExecuteCode("my.v2 = rand(1, 1 + rand(2,2))", npc), 1);  // the inner call draws first
  EXPECT_EQ(npc.m_vVars[2], 1 + 26500 % 3);
}

TEST_F(EvaluatorTest, SideEffectsOfAssignments) {
  // Another character's HP at 0 asks for the hero's death test; one's own does not.
  ASSERT_EQ(ExecuteCode("my.hp = 0", hero), 1);
  EXPECT_EQ(scene.m_bCheckHero, 0);
  hero.m_nHp = 10;
  ASSERT_EQ(ExecuteCode("pl.hp = 0", npc), 1);
  EXPECT_EQ(hero.m_nHp, 0);
  EXPECT_EQ(scene.m_bCheckHero, 1);

  // The maxima keep HP and SP within 1 and themselves.
  npc.m_Def.m_nMaxSp = 30;
  npc.m_nSp = 0;
  ASSERT_EQ(ExecuteCode("my.mhp = 0 my.msp = 20", npc), 1);
  EXPECT_EQ(npc.m_Def.m_nMaxHp, 1);
  EXPECT_EQ(npc.m_nHp, 1);
  EXPECT_EQ(npc.m_Def.m_nMaxSp, 20);
  EXPECT_EQ(npc.m_nSp, 1);

  // Unlimited lives read 0 and stay unlimited.
  scene.Record().nLife = 999999;
  ASSERT_EQ(ExecuteCode("sys.life = 5 my.v3 = life", npc), 1);
  EXPECT_EQ(scene.Record().nLife, 999999);
  EXPECT_EQ(npc.m_vVars[3], 0);

  // Scroll speeds reach the axis when its switch is on.
  scene.m_bStageAutoScrollX = 1;
  ASSERT_EQ(ExecuteCode("sys.scrlx = -1000", npc), 1);
  EXPECT_EQ(scene.m_nStageScrollSpeedX, -480);
  EXPECT_DOUBLE_EQ(scene.m_ScrollX.dAutoSpeed, -48.0 / stage.N());

  // The hero's sight range sets its light.
  ASSERT_EQ(ExecuteCode("pl.sight = 3", npc), 1);
  EXPECT_EQ(hero.m_nLightRadius, 48);

  // A change of the acting character's HP starts its gauge.
  npc.m_Def.m_nMaxHp = 100;
  npc.m_nHp = 100;
  ASSERT_EQ(ExecuteCode("my.hp = my.hp - 40", npc), 1);
  EXPECT_EQ(npc.m_nHp, 60);
  EXPECT_GT(npc.m_HpGauge.nFramesLeft, 0);
}

TEST_F(EvaluatorTest, MalformedStatementsEndInOneBoxWithNothingAssigned) {
  struct Case {
    std::string statement;
    const char* message;  // UTF-8
  };
  const std::string deep = std::string(70, '(') + "1" + std::string(70, ')');
  const Case cases[] = {
      {"my.v1 = (1 + 2", "\")\"が見つかりません！"},
      {"my.v1 = rand(1,2", "関数 rand で\")\"が見つかりません！"},
      {"my.v1 = rand(1)", "関数 rand の引数が不正です！"},
      {"my.v1 = rand(1,2,3)", "関数 rand の引数が不正です！"},
      {"foo.v1 = 3", "オブジェクト \"foo.\" が認識できません！"},
      {"my.foo.v1 = 3", "オブジェクト \"foo.\" が認識できません！"},
      {"my.v1 = 7 / 0", "0除算が行われました！(my.v1 = 7 / 0)"},
      {"my.v1 = (7 % (1 - 1))", "0除算が行われました！(7 % 0)"},
      {"5 = 3", "数値には代入できません！"},
      {"= 3", "演算子 \"=\" の前後に値がありません！"},
      {"my.v1 = 2 *", "演算子 \"*\" の前後に値がありません！"},
      {"my.v1 = 2 + + 3", "演算子 \"+\" の前後に値がありません！"},
      {"sys.hp = 3", "オブジェクト \"sys.\" にメンバ \"hp\" はありません！"},
      {"C256 = 1", "変数 \"C256\" の番号は 0 から 255 までです！"},
      {"S-1 = 1", "変数 \"S-1\" の番号は 0 から 254 までです！"},
      {"my.v1 = " + deep, "括弧または関数の入れ子が深すぎます！"},
      {"my.v1 = 1 " + std::string(5120, ' '), "コードが長すぎます！(5119 バイトまで)"},
  };
  for (const Case& c : cases) {
    boxes.clear();
    npc.m_vVars[1] = 1;
    EXPECT_EQ(ExecuteCode(c.statement, npc), 0) << c.statement;
    ASSERT_EQ(boxes.size(), 1u) << c.statement;
    EXPECT_EQ(boxes[0], Sjis(c.message)) << c.statement;
    EXPECT_EQ(npc.m_vVars[1], 1) << c.statement;
    EXPECT_EQ(scene.Record().GameValue[255], 0);
  }
  // Statements that fit, nesting that stays within bounds, and text after a NUL that is not read.
  boxes.clear();
  EXPECT_EQ(ExecuteCode("my.v1 = " + std::string(60, '(') + "2" + std::string(60, ')'), npc), 1);
  EXPECT_EQ(npc.m_vVars[1], 2);
  EXPECT_EQ(ExecuteCode("my.v1 = 3 " + std::string(5100, ' '), npc), 1);
  EXPECT_EQ(npc.m_vVars[1], 3);
  EXPECT_EQ(ExecuteCode(std::string("my.v1 = 4\0 / 0", 14), npc), 1);
  EXPECT_EQ(npc.m_vVars[1], 4);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(EvaluatorTest, ErrorsStopWhereTheyAreAndQuoteBoundedText) {
  // Without a target the statement ends silently.
  npc.m_nTargetNo = kNoTarget;
  EXPECT_EQ(ExecuteCode("tg.hp = 0", npc), 0);
  EXPECT_TRUE(boxes.empty());
  // An assignment made before the error stays.
  npc.m_vVars[1] = 9;
  EXPECT_EQ(ExecuteCode("my.v1 = 1 = 2", npc), 0);
  EXPECT_EQ(npc.m_vVars[1], 1);
  EXPECT_EQ(ExecuteCode("(my.v2 = 6) + 1 / 0", npc), 0);  // the group ran before the division
  EXPECT_EQ(npc.m_vVars[2], 6);
  // A long statement is quoted in part, cut between characters.
  boxes.clear();
  const std::string wide = Sjis("あ");
  std::string statement = "my.v1 = 1 / 0 ";
  for (int i = 0; i < 200; ++i) statement += wide;
  EXPECT_EQ(ExecuteCode(statement, npc), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_LT(boxes[0].size(), 300u);
  EXPECT_EQ(boxes[0].substr(boxes[0].size() - 4), "...)");
}
