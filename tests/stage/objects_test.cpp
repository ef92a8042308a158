// Characters and items on a tiny stage: waking and sleeping by view and
// group, damage with invincibility and immunity, death, summons and removal.
#include <cmath>

#include "gamedata/SaveData.h"
#include "support/TinyStage.h"

using namespace stagetest;

namespace {

// Records what stage play asks of later work.
class RecordingHooks : public cStagePlayHooks {
 public:
  // A stage clear begins with its sound, 14.
  void RequestSe(int sound) override {
    sounds.push_back(sound);
    if (sound == 14) ++clears;
  }
  void RequestDbSe(int sound) override { dbSounds.push_back(sound); }
  std::vector<int> sounds, dbSounds;
  int clears = 0;
};

void ActivityPass(cStagePlayScene& scene) {
  scene.m_GroupAwake.assign(kWakeGroups, 0);
  for (cNpc& c : scene.CharaList) c.UpdateInView(scene.m_GroupAwake);
  for (cNpc& c : scene.CharaList) c.m_bAwake = c.IsAwake(scene.m_GroupAwake);
}

}  // namespace

TEST(WakeTest, ViewAndGroupDecideWhoActs) {
  TinyStage stage;
  // The view covers map x 320..959: stage columns 0..19.
  cNpc& near = stage.AddNpc(5, 5);
  cNpc& far = stage.AddNpc(30, 5);
  cCharaDef grouped = TinyStage::WalkerDef();
  grouped.m_bGroupActivation = 1;
  grouped.m_nActivationGroup = 7;
  cNpc& groupInView = stage.AddNpc(6, 5, grouped);
  cNpc& groupFar = stage.AddNpc(35, 5, grouped);
  cCharaDef xOnly = TinyStage::WalkerDef();
  xOnly.m_nActiveRange = 1;  // horizontally in view is enough
  cNpc& below = stage.AddNpc(8, 14, xOnly);
  stage.scene.m_ScrollY.dPos = 100;  // the view covers map y 100..579: stage rows up to 7
  ActivityPass(stage.scene);
  EXPECT_EQ(near.m_bAwake, 1);
  EXPECT_EQ(far.m_bAwake, 0);
  EXPECT_EQ(groupInView.m_bAwake, 1);
  EXPECT_EQ(groupFar.m_bAwake, 1);
  EXPECT_EQ(below.m_bAwake, 1);

  // A walker that was awake keeps acting while airborne out of view; a flyer sleeps.
  stage.scene.m_ScrollX.dPos = 2000;
  near.m_bAirborne = 1;
  cCharaDef flyer = TinyStage::WalkerDef();
  flyer.m_nFlying = 2;
  cNpc& bird = stage.AddNpc(7, 5, flyer);
  bird.m_bWasAwake = 1;
  ActivityPass(stage.scene);
  EXPECT_EQ(near.m_bAwake, 1);
  EXPECT_EQ(bird.m_bAwake, 0);
  near.m_bAirborne = 0;
  ActivityPass(stage.scene);
  EXPECT_EQ(near.m_bAwake, 0);
}

TEST(DamageTest, DefenceClampsAndInvincibilityRefusesLoss) {
  TinyStage stage;
  cNpc& victim = stage.AddNpc(5, 5);
  cNpc& attacker = stage.AddNpc(6, 5);
  victim.m_Def.m_nMaxHp = victim.m_nHp = 100;
  victim.m_Def.m_nDefence = 25;
  attacker.m_Def.m_nBodyPower = 10;
  EXPECT_EQ(TakeCharaDamage(victim, attacker), 0);
  EXPECT_EQ(victim.m_nHp, 100);  // 10 - 25 is clamped to 0
  attacker.m_Def.m_nBodyPower = 40;
  TakeCharaDamage(victim, attacker);
  EXPECT_EQ(victim.m_nHp, 85);
  EXPECT_EQ(victim.m_HpGauge.nFramesLeft, 120);
  EXPECT_EQ(victim.m_HpGauge.nBarLength, 85 * 50 / 100);
  victim.m_Def.m_nInvincible = 1;
  TakeCharaDamage(victim, attacker);
  EXPECT_EQ(victim.m_nHp, 85);
  victim.m_Def.m_nInvincible = 0;
  attacker.m_Def.m_nBodyPower = 2000000;
  victim.m_Def.m_nDefence = 0;
  EXPECT_EQ(TakeCharaDamage(victim, attacker), 1);
  EXPECT_EQ(victim.m_nHp, 0);
  // A negative power heals, up to the maximum.
  victim.m_nHp = 95;
  attacker.m_Def.m_nBodyPower = -10;
  TakeCharaDamage(victim, attacker);
  EXPECT_EQ(victim.m_nHp, 100);
}

TEST(DamageTest, ImmunityIsPerAttackerAndCountsDownPerStep) {
  for (int level : {1, 2, 4}) {
    TinyStage stage(level);
    stage.scene.m_Rules.nCharaInvincible = 3;
    cNpc& victim = stage.AddNpc(5, 5);
    AddImmunity(victim, 42);
    int n = stage.N();
    EXPECT_EQ(victim.m_nInvincible, 3 * n);
    for (int step = 0; step < 3 * n; ++step) {
      EXPECT_TRUE(IsImmuneTo(victim, 7));
      UpdateInvincibility(victim);
    }
    EXPECT_FALSE(IsInvincible(victim));
    EXPECT_FALSE(IsImmuneTo(victim, 7));
    for (int step = 3 * n; step < 30 * n; ++step) {
      EXPECT_TRUE(IsImmuneTo(victim, 42));
      UpdateInvincibility(victim);
    }
    EXPECT_FALSE(IsImmuneTo(victim, 42));
  }
}

TEST(DeathTest, KillAddsScoreReleasesLinksAndStartsTheVanish) {
  RecordingHooks hooks;
  TinyStage stage;
  stage.scene.SetHooks(&hooks);
  cPlayer& hero = stage.AddHero(2, 5);
  cCharaDef def = TinyStage::WalkerDef();
  def.m_nScore = 700;
  def.m_nVanishEffect = 5;
  cCheckedVector<cDbCharaEffect> effects(6);
  effects[5].m_nParam[0] = 10;
  cCheckedVector<cDbCharaEffect> reversed = effects;
  SetupCharaEffects(effects, reversed, CharaEffectRuns, CharaEffectRunsRev);
  cNpc& enemy = stage.AddNpc(5, 5, def);
  cNpc& follower = stage.AddNpc(6, 5);
  follower.m_nTargetNo = enemy.m_nNo;
  enemy.m_vTargetedBy.push_back(follower.m_nNo);
  ASSERT_EQ(enemy.m_nTargetNo, hero.m_nNo);
  stage.scene.Record().nStageScore = 999500;
  EXPECT_EQ(KillChara(enemy), 0);
  EXPECT_EQ(stage.scene.Record().nStageScore, 999999);
  EXPECT_EQ(enemy.m_bDying, 1);
  EXPECT_EQ(follower.m_nTargetNo, kNoTarget);
  EXPECT_EQ(std::count(hero.m_vTargetedBy.begin(), hero.m_vTargetedBy.end(), enemy.m_nNo), 0);
  EXPECT_EQ(enemy.m_CharaEffect.nIndex, 5);
  // A pending stage clear keeps the links and the dying flag untouched.
  stage.scene.m_nEndRequest = 1;
  cNpc& other = stage.AddNpc(7, 5, def);
  EXPECT_EQ(KillChara(other), 1);
  EXPECT_EQ(other.m_bDying, 0);
  EXPECT_EQ(other.m_nTargetNo, hero.m_nNo);
}

TEST(DeathTest, TheHeroIsLostAndComputerCharactersAreDefeated) {
  RecordingHooks hooks;
  TinyStage stage;
  stage.scene.SetHooks(&hooks);
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& enemy = stage.AddNpc(5, 5);
  EXPECT_EQ(LoseChara(hero), 2);
  EXPECT_EQ(DefeatChara(hero), 2);
  EXPECT_EQ(hooks.sounds, std::vector<int>{8});
  EXPECT_EQ(hero.m_bDying, 1);
  EXPECT_EQ(DefeatChara(enemy), 0);
  EXPECT_EQ(enemy.m_bDying, 1);
  EXPECT_EQ(LoseChara(enemy), 0);  // already dying: not killed twice
}

TEST(SpawnTest, CopiesStepApartAndMirrorWithFacing) {
  TinyStage stage;
  cCharaDef def = TinyStage::WalkerDef();
  def.m_nExtraCopies = 2;
  def.m_nStepX = 32;
  def.m_bMirrorX = 1;
  def.m_nFacing = 0;
  int counter = 0;
  SpawnCharas(10, 5, counter, def, nullptr);
  ASSERT_EQ(stage.scene.CharaList.size(), 3u);
  EXPECT_EQ(counter, 3);
  double x0 = stage.scene.CharaList.front().m_dX;
  int i = 0;
  for (const cNpc& c : stage.scene.CharaList) {
    EXPECT_EQ(c.m_dX, x0 + 32 * i);
    EXPECT_EQ(c.m_nTag, i);
    ++i;
  }
  def.m_nFacing = 1;  // mirrored: the copies go left
  SpawnCharas(10, 8, counter, def, nullptr);
  auto it = std::next(stage.scene.CharaList.begin(), 4);
  EXPECT_EQ(it->m_dX, x0 - 32);
}

TEST(SpawnTest, SummonedCharactersLiveTheirTimeAndLeaveBlocks) {
  TinyStage stage(2);
  cEdShot settings;
  settings.m_bRange = 1;
  settings.m_nRange = 10;
  int counter = 0;
  SummonCharaAt(15 * 32, 15 * 32, 3, 1, 1, settings, TinyStage::WalkerDef(), counter);
  ASSERT_EQ(stage.scene.CharaList.size(), 1u);
  EXPECT_EQ(stage.scene.CharaList.back().m_nLifeSteps, 10 * 2 * 6);
  EXPECT_EQ(stage.scene.m_CharaByFaction[3].size(), 1u);
  stage.SetBlock(10, 10, kBlockHitSolid);
  SummonCharaAt(20 * 32, 20 * 32, 3, 1, 1, settings, TinyStage::WalkerDef(), counter);
  EXPECT_EQ(stage.scene.CharaList.size(), 1u);
  EXPECT_EQ(counter, 1);
}

TEST(SpawnTest, BlockSummonsToggleOnceAndStayInsideTheMap) {
  TinyStage stage;
  cBlockDef block;
  block.m_nChip = 3;
  block.m_nHitKind = kBlockHitSolid;
  cEdShot settings;
  settings.m_nBlockSummonMode = 2;
  double x = (10 + 4) * 32, y = (10 + 4) * 32;
  int index = stage.scene.CellIndex(14, 14);
  SetBlockAt(x, y, 0, settings, block);
  SetBlockAt(x, y, 0, settings, block);
  EXPECT_EQ(stage.scene.CellAt(index).block.m_nChip, 3);
  stage.scene.m_BlockToggle.clear();
  SetBlockAt(x, y, 0, settings, block);
  EXPECT_EQ(stage.scene.CellAt(index).block.m_nChip, 0);
  // Far outside the map: refused, nothing written anywhere.
  settings.m_nBlockSummonMode = 0;
  SetBlockAt(-1000, 5, 0, settings, block);
  SetBlockAt(100000, 100000, 0, settings, block);
  int placed = 0;
  for (const MAPCELL& cell : stage.scene.MapCellList) placed += cell.block.m_nChip != 0;
  EXPECT_EQ(placed, 0);
  // A block placed over the hero gives it the crush grace count.
  cPlayer& hero = stage.AddHero(4, 4);
  SetBlockAt(x, y, 0, settings, block);
  EXPECT_EQ(hero.m_nCountdown, 2);
}

TEST(RemovalTest, AnErasedCharacterLeavesListsAndSearchesAtOnce) {
  TinyStage stage;
  cPlayer& hero = stage.AddHero(2, 5);
  cNpc& a = stage.AddNpc(5, 5);
  cNpc& b = stage.AddNpc(6, 5);
  b.m_nTargetNo = a.m_nNo;
  a.m_vTargetedBy.push_back(b.m_nNo);
  int no = a.m_nNo;
  stage.scene.EraseChara(a);
  EXPECT_EQ(stage.scene.FindCharaById(no), nullptr);
  EXPECT_EQ(b.m_nTargetNo, kNoTarget);
  for (const auto& faction : stage.scene.m_CharaByFaction) EXPECT_EQ(std::count(faction.begin(), faction.end(), no), 0);
  EXPECT_EQ(std::count(hero.m_vTargetedBy.begin(), hero.m_vTargetedBy.end(), no), 0);
  CharaFilter all;
  EXPECT_EQ(FindChara(stage.scene.CharaList, all), &b);
  stage.scene.CollectRemoved();
  EXPECT_EQ(stage.scene.CharaList.size(), 1u);
}

TEST(ItemTest, PickupKindsAndTheTouchedList) {
  TinyStage stage;
  cPlayer& hero = stage.AddHero(5, 5);
  cItemDef once;
  once.m_nPickUpMode = 0;
  cItemDef keep;
  keep.m_nPickUpMode = 1;
  int counter = 0;
  SpawnItems(5, 5, counter, once);
  SpawnItems(5, 5, counter, keep);
  for (cItem& item : stage.scene.ItemList) item.m_bActive = 1;
  EXPECT_EQ(PickUpItems(hero), 0);
  EXPECT_TRUE(stage.scene.ItemList.front().m_bRemoved);
  cItem& kept = stage.scene.ItemList.back();
  EXPECT_FALSE(kept.m_bRemoved);
  EXPECT_EQ(hero.IsItemUntouched(kept.m_nNo), 0);
  hero.m_dX += 200;  // leaves the item: it works again on the next touch
  hero.OnMoveX();
  PickUpItems(hero);
  EXPECT_EQ(hero.IsItemUntouched(kept.m_nNo), 1);
}

// An item object that InitItem never set up (a character's empty item slot)
// does nothing when used; the same item once set up plays its sound.
TEST(ItemTest, AnItemThatIsNotSetUpIsNotUsed) {
  RecordingHooks hooks;
  TinyStage stage;
  stage.scene.SetHooks(&hooks);
  cPlayer& hero = stage.AddHero(5, 5);
  cItemDef def;
  def.m_nSound = 4;
  cItem item;
  item.m_Def = def;
  item.m_bActive = 1;
  EXPECT_EQ(UseTouchedItem(&item, hero), 0);
  EXPECT_TRUE(hooks.dbSounds.empty());
  item.InitItem(0, def, 1);
  EXPECT_EQ(UseTouchedItem(&item, hero), 0);
  EXPECT_EQ(hooks.dbSounds, std::vector<int>{4});
}

// A copy of a character runs its flows on its own flow list: changing the
// source's list afterwards does not reach the copy's running flows.
TEST(CopyTest, CopiedRunningFlowsPointIntoTheCopysOwnList) {
  TinyStage stage;
  cCharaDef def = TinyStage::WalkerDef();
  def.m_nMaxHp = 7;
  for (int time : {3, 5}) def.m_vFlows.push_back(MakeFlow(TRG_ALWAYS, {MakeCommand(CMD_WAIT, time)}));
  cNpc& source = stage.AddNpc(5, 5, def);
  source.m_vFlows[1].nCurrent = 1;  // a flow part-way through
  cNpc& copy = stage.AddNpc(9, 9);
  copy.CopyFrom(source);
  EXPECT_EQ(copy.m_dX, source.m_dX);
  EXPECT_EQ(copy.m_Def.m_nMaxHp, 7);
  ASSERT_EQ(copy.m_vFlows.size(), 2u);
  EXPECT_EQ(copy.m_vFlows[1].nCurrent, 1);
  for (int i = 0; i < 2; ++i) {
    const cRunningFlow& flow = copy.m_vFlows[static_cast<size_t>(i)];
    ASSERT_EQ(flow.pFlow, &copy.m_Def.m_vFlows[static_cast<size_t>(i)]) << i;
    ASSERT_EQ(flow.Commands[0].pDef, &copy.m_Def.m_vFlows[static_cast<size_t>(i)].m_vCommands[0]) << i;
  }
  source.DeleteFlows(0);
  EXPECT_EQ(copy.m_vFlows[0].pFlow->m_vCommands[0].m_nTime, 3);
}

// Running flows taken from another character keep their state and point into
// the taker's own flow list, flow i to its flow i.
TEST(CopyTest, AssignedRunningFlowsAreRelinkedToTheTakersFlows) {
  TinyStage stage;
  cCharaDef def = TinyStage::WalkerDef();
  for (int time : {3, 5}) def.m_vFlows.push_back(MakeFlow(TRG_ALWAYS, {MakeCommand(CMD_WAIT, time)}));
  cNpc& source = stage.AddNpc(5, 5, def);
  cNpc& taker = stage.AddNpc(9, 9, def);
  source.m_vFlows[0].nSteps = 11;
  taker.AssignRunningFlows(source);
  ASSERT_EQ(taker.m_vFlows.size(), 2u);
  EXPECT_EQ(taker.m_vFlows[0].nSteps, 11);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(taker.m_vFlows[static_cast<size_t>(i)].nIndex, i);
    EXPECT_EQ(taker.m_vFlows[static_cast<size_t>(i)].pFlow, &taker.m_Def.m_vFlows[static_cast<size_t>(i)]) << i;
  }
}

TEST(ImpactTest, AKnockBackCoversItsStrengthInHbl) {
  for (int level : {1, 2, 4}) {
    TinyStage stage(level);
    cNpc& npc = stage.AddNpc(5, 5);
    npc.m_Def.m_nImpactResist = 0;
    npc.m_dMoveVx = -1;
    npc.ApplyImpact(5, 1, 0);
    EXPECT_EQ(npc.m_dMoveVx, 0.0);  // own motion against the push is cancelled
    EXPECT_EQ(npc.m_bKnocked, 1);
    double distance = 0;
    for (int s = 0; s < 10000 && npc.m_dImpactVx != 0; ++s) {
      distance += npc.m_dImpactVx;
      npc.DecayImpactX();
    }
    EXPECT_NEAR(distance, 5 * 16.0, 1.0 / stage.N()) << level;  // up to the last partial step
    // Resistance above the strength leaves nothing to push with.
    cNpc& heavy = stage.AddNpc(6, 5);
    heavy.m_Def.m_nImpactResist = 9;
    heavy.ApplyImpact(5, 1, 0);
    EXPECT_EQ(heavy.m_dImpactVx, 0.0);
    EXPECT_EQ(heavy.m_bKnocked, 1);
  }
}
