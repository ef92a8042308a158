// Hit resolution between factions (body contact here; shots in shot_hit_test)
// and the death test after status changes.
#include <algorithm>
#include <vector>

#include "stage/StagePlay.h"
#include "support/HitStage.h"

using namespace stagetest;

TEST(BodyHitTest, OnlyDifferentFactionsHurtEachOther) {
  struct Case {
    int a, b;
    bool hurt;
  };
  for (Case c : {Case{0, 0, false}, Case{3, 3, false}, Case{7, 7, false}, Case{0, 1, true}, Case{1, 0, true},
                 Case{2, 7, true}, Case{6, 5, true}}) {
    HitStage stage;
    stage.AddFightingHero(20, 0);  // far away
    cNpc& a = stage.AddFighter(5, c.a, 10);
    cNpc& b = stage.AddFighter(5, c.b, 10);
    ASSERT_TRUE(Overlap(a.m_rcContact, b.m_rcContact));
    EXPECT_EQ(ResolveHits(), 0);
    const int lost = c.hurt ? 10 : 0;
    EXPECT_EQ(a.m_nHp, 1000 - lost) << c.a << " " << c.b;
    EXPECT_EQ(b.m_nHp, 1000 - lost) << c.a << " " << c.b;
    // Both powers land in one step with one sound.
    EXPECT_EQ(stage.hooks.sounds, c.hurt ? std::vector<int>{7} : std::vector<int>{});
  }
}

TEST(BodyHitTest, WhoTakesPart) {
  struct Case {
    const char* name;
    void (*setup)(cNpc& victim);
    bool hurt;
  };
  const Case cases[] = {
      {"both on screen", [](cNpc&) {}, true},
      {"off screen", [](cNpc& v) { v.m_bOnScreen = 0; }, false},
      {"off screen, switch off",
       [](cNpc& v) {
         v.m_bOnScreen = 0;
         Scene().m_Rules.bHitsOnScreenOnly = 0;
       },
       true},
      {"inactive", [](cNpc& v) { v.m_bActive = 0; }, false},
      {"dying", [](cNpc& v) { v.m_bDying = 1; }, false},
      {"block character", [](cNpc& v) { v.m_Def.m_bBlockChara = 1; }, false},
      {"apart", [](cNpc& v) { v.m_rcContact.dLeft = v.m_rcContact.dRight = 2000; }, false},
  };
  for (const Case& c : cases) {
    HitStage stage;
    stage.AddFightingHero(20, 0);
    cNpc& victim = stage.AddFighter(5, 1, 0);
    stage.AddFighter(5, 2, 10);
    c.setup(victim);
    EXPECT_EQ(ResolveHits(), 0);
    EXPECT_EQ(victim.m_nHp, c.hurt ? 990 : 1000) << c.name;
  }
}

TEST(BodyHitTest, InvincibilityKeepsTheHpButNotTheRestOfTheHit) {
  for (int setting : {1, 2}) {
    HitStage stage;
    stage.AddFightingHero(20, 0);
    cNpc& victim = stage.AddFighter(5, 1, 0);
    cCharaDef def = HitStage::Fighter(2, 10);
    def.m_nEffect = 4;
    def.m_nBodyImpact = 3;
    cNpc& attacker = stage.AddFighter(5, def);
    attacker.m_dVx = 1;
    victim.m_Def.m_nInvincible = static_cast<std::int8_t>(setting);
    EXPECT_EQ(ResolveHits(), 0);
    EXPECT_EQ(victim.m_nHp, 1000) << setting;
    ASSERT_EQ(stage.scene.m_EffectList.size(), 1u);
    EXPECT_NE(victim.m_dImpactVx, 0);  // knocked back all the same
    EXPECT_EQ(stage.hooks.sounds, std::vector<int>{7});
    EXPECT_EQ(IsImmuneTo(victim, attacker.m_nNo), 1);
  }
}

TEST(BodyHitTest, TheHitEffectShowsWhereTheBodiesMet) {
  HitStage stage;
  stage.AddFightingHero(20, 0);
  cNpc& victim = stage.AddFighter(5, 1, 0);
  cCharaDef def = HitStage::Fighter(2, 10);
  def.m_nEffect = 12;
  def.m_nGiant = 2;
  const cNpc& attacker = stage.AddFighter(5, def);
  ASSERT_TRUE(Overlap(victim.m_rcContact, attacker.m_rcContact));
  EXPECT_EQ(ResolveHits(), 0);
  ASSERT_EQ(stage.scene.m_EffectList.size(), 1u);  // the victim has no effect of its own
  const cEffect& effect = stage.scene.m_EffectList.front();
  EXPECT_EQ(effect.Number(), 12);
  EXPECT_EQ(effect.Width(), 2 * 32);  // size 2 doubles a scaling effect
  // Centred on the overlap of the two contact boxes, give or take its jitter of 4 dots.
  const double left = std::max(victim.m_rcContact.dLeft, attacker.m_rcContact.dLeft);
  const double right = std::min(victim.m_rcContact.dRight, attacker.m_rcContact.dRight);
  const double centreX = effect.X() + (effect.Width() >> 1);
  EXPECT_GE(centreX, left - 4);
  EXPECT_LE(centreX, right + 5);
}

TEST(BodyHitTest, EachAttackerHitsAgainOnlyAfterItsImmunityRunsOut) {
  // Default stage times: 30 frames of immunity against each attacker, none in general.
  for (int n : {1, 2}) {
    HitStage stage(n);
    cPlayer& hero = stage.AddFightingHero(5, 0);
    stage.AddFighter(5, 1, 1);
    cNpc& late = stage.AddFighter(5, 2, 100);
    late.m_bActive = 0;  // joins at step 10
    std::vector<int> hitsByFirst, hitsByLate;
    for (int step = 1; step <= 60 * n + 12; ++step) {
      UpdateInvincibility(hero);  // as every logic step begins
      if (step == 10) late.m_bActive = 1;
      const int before = hero.m_nHp;
      ASSERT_EQ(ResolveHits(), 0);
      const int lost = before - hero.m_nHp;
      if (lost % 100 == 1) hitsByFirst.push_back(step);
      if (lost >= 100) hitsByLate.push_back(step);
    }
    EXPECT_EQ(hitsByFirst, (std::vector<int>{1, 1 + 30 * n, 1 + 60 * n})) << n;
    EXPECT_EQ(hitsByLate, (std::vector<int>{10, 10 + 30 * n, 10 + 60 * n})) << n;
  }
}

TEST(BodyHitTest, ADefeatedCharacterScoresOnceAndTheLostHeroEndsTheStep) {
  HitStage stage;
  cPlayer& hero = stage.AddFightingHero(5, 50);
  cCharaDef weak = HitStage::Fighter(1, 0);
  weak.m_nMaxHp = 40;
  weak.m_nScore = 300;
  cNpc& first = stage.AddFighter(5, weak);
  cNpc& second = stage.AddFighter(5, weak);
  EXPECT_EQ(ResolveHits(), 0);
  EXPECT_EQ(first.m_bDying, 1);
  EXPECT_EQ(second.m_bDying, 1);
  EXPECT_EQ(stage.record.nStageScore, 600);
  EXPECT_EQ(stage.hooks.sounds, (std::vector<int>{7, 9, 7, 9}));
  // Dying characters take part in no further hits: the score stays.
  EXPECT_EQ(ResolveHits(), 0);
  EXPECT_EQ(stage.record.nStageScore, 600);

  stage.AddFighter(5, 2, 5000);
  EXPECT_EQ(ResolveHits(), 2);
  EXPECT_EQ(hero.m_nHp, 0);
}

TEST(HeroDeathTest, TheHeroDiesWhenAnotherCharacterTookItsHp) {
  HitStage stage;
  cPlayer& hero = stage.AddFightingHero(5, 0);
  hero.m_nHp = 0;
  EXPECT_EQ(CheckHeroDeath(), 2);
  EXPECT_EQ(hero.m_bDying, 1);
  EXPECT_EQ(stage.hooks.sounds, std::vector<int>{8});
}

TEST(HeroDeathTest, OtherCharactersAreDefeatedOrVanish) {
  for (int keep : {0, 1}) {
    HitStage stage;
    stage.scene.m_Rules.bKeepDefeated = keep;
    stage.AddFightingHero(5, 0);
    cNpc& defeated = stage.AddFighter(10, 1, 0);
    cNpc& vanished = stage.AddFighter(12, 1, 0);
    cNpc& dying = stage.AddFighter(14, 1, 0);
    defeated.m_Def.m_nScore = 70;
    defeated.m_nHp = 0;
    vanished.m_bVanished = 1;
    dying.m_nHp = 0;
    dying.m_bDying = 1;
    EXPECT_EQ(CheckHeroDeath(), 0);
    EXPECT_EQ(defeated.m_bDying, 1);
    EXPECT_EQ(defeated.m_bRemoved, keep == 0) << keep;  // without the death display it goes at once
    EXPECT_TRUE(vanished.m_bRemoved);
    EXPECT_FALSE(dying.m_bRemoved);  // already handled when its HP ran out
    EXPECT_EQ(stage.record.nStageScore, 70);
    EXPECT_EQ(stage.hooks.sounds, keep ? std::vector<int>{9} : std::vector<int>{}) << keep;
  }
}

TEST(HeroDeathTest, ADeathThatClearsTheStageIsReportedAsAClear) {
  HitStage stage;
  stage.AddFightingHero(5, 0);
  cNpc& boss = stage.AddFighter(10, 1, 0);
  boss.m_nHp = 0;
  stage.scene.m_nEndRequest = 1;
  EXPECT_EQ(CheckHeroDeath(), 1);
  EXPECT_TRUE(boss.m_bRemoved);
}
