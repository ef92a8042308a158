// Items placed by their drawing offsets, the defeat score kept by the play
// record, healing by the most negative power, and a clear reported once.
#include <climits>

#include "gamedata/SaveData.h"
#include "stage/StagePlay.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

class CountingHooks : public cStagePlayHooks {
 public:
  // A stage clear begins with its sound, 14.
  void RequestSe(int sound) override {
    sounds.push_back(sound);
    if (sound == 14) ++clears;
  }
  std::vector<int> sounds;
  int clears = 0;
};

// Puts a play record in place for one test.
class RecordInPlace {
 public:
  RecordInPlace() { PlayData = &record; }
  ~RecordInPlace() { PlayData = nullptr; }
  RecordInPlace(const RecordInPlace&) = delete;
  RecordInPlace& operator=(const RecordInPlace&) = delete;
  cSaveData record;
};

}  // namespace

TEST(ItemPlacementTest, DrawingOffsetsMoveSpawnedAndSummonedItems) {
  struct Offset {
    int dx, dy;
  };
  for (Offset o : {Offset{0, 0}, Offset{7, -5}, Offset{-12, 20}}) {
    TinyStage stage;
    cItemDef def;
    def.m_nDrawOffsetX = static_cast<std::int16_t>(o.dx);
    def.m_nDrawOffsetY = static_cast<std::int16_t>(o.dy);
    int counter = 0;
    SpawnItems(5, 5, counter, cItemDef{});
    SpawnItems(5, 5, counter, def);
    ASSERT_EQ(stage.scene.ItemList.size(), 2u);
    const cItem& plain = stage.scene.ItemList.front();
    const cItem& moved = stage.scene.ItemList.back();
    EXPECT_EQ(moved.m_dX, plain.m_dX + o.dx) << o.dx;
    EXPECT_EQ(moved.m_dY, plain.m_dY + o.dy) << o.dy;
    EXPECT_EQ(moved.m_dRight, plain.m_dRight + o.dx);
    EXPECT_EQ(moved.m_dBottom, plain.m_dBottom + o.dy);

    const double x = 15 * 32 + 0.25, y = 14 * 32;
    SummonItemAt(x, y, 1, cEdShot{}, def, counter);
    ASSERT_EQ(stage.scene.ItemList.size(), 3u);
    const cItem& summoned = stage.scene.ItemList.back();
    EXPECT_EQ(summoned.m_dX, x + o.dx);
    EXPECT_EQ(summoned.m_dY, y + o.dy);
    EXPECT_EQ(summoned.m_dRight, x + o.dx + summoned.m_nWidth - 1);
    EXPECT_EQ(counter, 3);
  }
}

TEST(DefeatScoreTest, ThePlayRecordKeepsTheStageScore) {
  TinyStage stage;
  RecordInPlace play;
  stage.AddHero(2, 5);
  cCharaDef def = TinyStage::WalkerDef();
  def.m_nScore = 700;
  struct Case {
    int before, expected;
  };
  for (Case c : {Case{100, 800}, Case{999500, 999999}}) {
    play.record.nStageScore = c.before;
    KillChara(stage.AddNpc(5, 5, def));
    EXPECT_EQ(play.record.nStageScore, c.expected);
  }
}

TEST(DamageTest, TheMostNegativePowerHealsInsteadOfKilling) {
  TinyStage stage;
  cNpc& victim = stage.AddNpc(5, 5);
  cCharaDef healerDef = TinyStage::WalkerDef();
  healerDef.m_nBodyPower = INT_MIN;
  healerDef.m_nDefence = 0;
  cNpc& healer = stage.AddNpc(6, 5, healerDef);
  victim.m_nHp = 3;
  EXPECT_EQ(TakeCharaDamage(victim, healer), 0);
  EXPECT_EQ(victim.m_nHp, victim.m_Def.m_nMaxHp);
}

TEST(StageClearTest, ADeathThatClearsTheStageIsReportedOnce) {
  TinyStage stage;
  CountingHooks hooks;
  stage.scene.SetHooks(&hooks);
  stage.AddHero(2, 5);
  // A block character (stepped before the hero) whose HP is gone when its
  // flows step, while a clear is requested.
  cCharaDef def = TinyStage::WalkerDef();
  def.m_bBlockChara = 1;
  def.m_vFlows.push_back(MakeFlow(TRG_ALWAYS, {MakeCommand(CMD_WAIT, 1)}));
  cNpc& npc = stage.AddNpc(5, 5, def);
  npc.m_nHp = 0;
  stage.scene.m_nEndRequest = 1;
  const int no = npc.m_nNo;
  EXPECT_EQ(RunPlayFrame(stage.scene), 1);
  EXPECT_EQ(stage.scene.FindCharaById(no), nullptr);  // defeated and freed with the frame
  EXPECT_EQ(hooks.clears, 1);
  stage.scene.SetHooks(nullptr);
}

TEST(StageClearTest, AHeroLostIntoAClearIsKilledOnce) {
  TinyStage stage;
  CountingHooks hooks;
  stage.scene.SetHooks(&hooks);
  cPlayer& hero = stage.AddHero(2, 5);
  stage.scene.m_nEndRequest = 1;
  EXPECT_EQ(DefeatChara(hero), 1);  // the caller clears the stage
  EXPECT_EQ(hooks.sounds, std::vector<int>{8});
  EXPECT_EQ(hooks.clears, 0);
  stage.scene.SetHooks(nullptr);
}
