// Hit resolution of shots and swords: against characters by faction, with
// piercing, invincibility, the hit-step mask, damage, knock-back, defeats and
// items, and shots against shots.
#include <vector>

#include "library/util/Convert.h"
#include "records/StageData.h"
#include "stage/StagePlay.h"
#include "stage/StageSetup.h"
#include "support/HitStage.h"
#include "support/ShotSupport.h"

using namespace stagetest;

namespace {

// The sample fight: the hero far away, shots of a given faction laid over a
// character's damage box.
class ShotStage : public HitStage {
 public:
  explicit ShotStage(int level = 1) : HitStage(level) { hero = &AddFightingHero(20, 0); }

  static cEdShot Power(int power, int faction) {
    cEdShot s = Straight();
    s.m_bUserFaction = 0;
    s.m_nFaction = static_cast<std::int8_t>(faction);
    s.m_nPower = power;
    return s;
  }
  // A shot (or sword) whose hit box starts at the top-left corner of the
  // victim's damage box, flying at vx dots a frame.
  cShot& ShootAt(const cChara& victim, const cEdShot& settings, double vx = -1.0, int command = kShotCommand) {
    cShot& shot =
        AddShot(*this, *hero, settings,
                Fired(vx, 0, DoubleToInt(victim.m_rcDamage.dLeft), DoubleToInt(victim.m_rcDamage.dTop)), command);
    shot.m_bOnScreen = 1;
    return shot;
  }
  bool Live(int shotNo) { return scene.FindShotByNo(shotNo) != nullptr; }

  cPlayer* hero = nullptr;
};

}  // namespace

TEST(ShotHitTest, AShotHitsOnlyCharactersOfOtherFactions) {
  struct Case {
    int shot, chara;
    bool hit;
  };
  for (Case c : {Case{1, 1, false}, Case{0, 0, false}, Case{7, 7, false}, Case{0, 1, true}, Case{1, 0, true},
                 Case{7, 2, true}}) {
    ShotStage stage;
    cNpc& victim = stage.AddFighter(5, c.chara, 0);
    const int no = stage.ShootAt(victim, ShotStage::Power(10, c.shot)).m_nNo;
    EXPECT_EQ(ResolveHits(), 0);
    EXPECT_EQ(victim.m_nHp, c.hit ? 990 : 1000) << c.shot << " " << c.chara;
    EXPECT_EQ(stage.Live(no), !c.hit) << "a shot that hit goes";
    EXPECT_EQ(stage.hooks.sounds, c.hit ? std::vector<int>{7} : std::vector<int>{});
  }
}

TEST(ShotHitTest, InvincibilityAndWhatTakesPart) {
  struct Case {
    const char* name;
    void (*setup)(cNpc& victim, cShot& shot);
    bool triggered, hurt, spent;
  };
  const Case cases[] = {
      {"plain hit", [](cNpc&, cShot&) {}, true, true, true},
      {"setting 1: hit, spent, no HP lost", [](cNpc& v, cShot&) { v.m_Def.m_nInvincible = 1; }, true, false, true},
      {"setting 2: passes through", [](cNpc& v, cShot&) { v.m_Def.m_nInvincible = 2; }, false, false, false},
      {"invincibility timer runs", [](cNpc& v, cShot&) { v.m_nInvincible = 3; }, true, false, false},
      {"a shot of no power, impact or item", [](cNpc&, cShot& s) { s.m_Settings.m_nPower = 0; }, true, false, false},
      {"impact only", [](cNpc&, cShot& s) { s.m_Settings.m_nPower = 0, s.m_Settings.m_nImpact = 2; }, true, false,
       true},
      {"victim off screen", [](cNpc& v, cShot&) { v.m_bOnScreen = 0; }, false, false, false},
      {"shot off screen", [](cNpc&, cShot& s) { s.m_bOnScreen = 0; }, false, false, false},
      {"dying", [](cNpc& v, cShot&) { v.m_bDying = 1; }, false, false, false},
      {"already hit", [](cNpc& v, cShot& s) { s.m_vHitList.push_back(v.m_nNo); }, false, false, false},
      {"beside the damage box", [](cNpc& v, cShot& s) { s.m_rcHit.dLeft = v.m_rcDamage.dRight + 1; }, false, false,
       false},
      {"edge on edge", [](cNpc& v, cShot& s) { s.m_rcHit.dLeft = v.m_rcDamage.dRight; }, true, true, true},
  };
  for (const Case& c : cases) {
    ShotStage stage;
    cCharaDef def = HitStage::Fighter(1, 0);
    def.m_vFlows.push_back(MakeFlow(TRG_HIT_BY_SHOT, {MakeCommand(CMD_WAIT, 10)}));
    cNpc& victim = stage.AddFighter(5, def);
    cShot& shot = stage.ShootAt(victim, ShotStage::Power(10, 0));
    const int no = shot.m_nNo;
    c.setup(victim, shot);
    EXPECT_EQ(ResolveHits(), 0);
    EXPECT_EQ(victim.m_vFlows.VecAt(0).bRunning, c.triggered ? 1 : 0) << c.name;
    EXPECT_EQ(victim.m_nHp, c.hurt ? 990 : 1000) << c.name;
    EXPECT_EQ(stage.Live(no), !c.spent) << c.name;
  }
}

TEST(ShotHitTest, ANonPiercingShotGoesAfterTheFactionItFirstDamaged) {
  struct Case {
    const char* name;
    int pierce;
    int secondFaction;
    bool secondHurt, live;
  };
  for (Case c : {Case{"one faction", 0, 1, true, false}, Case{"two factions", 0, 2, false, false},
                 Case{"piercing, two factions", 1, 2, true, true}}) {
    ShotStage stage;
    cNpc& first = stage.AddFighter(5, 1, 0);
    cNpc& second = stage.AddFighter(5, c.secondFaction, 0);
    cEdShot settings = ShotStage::Power(10, 0);
    settings.m_bPierceChara = static_cast<std::int8_t>(c.pierce);
    const int no = stage.ShootAt(first, settings).m_nNo;
    EXPECT_EQ(ResolveHits(), 0);
    EXPECT_EQ(first.m_nHp, 990) << c.name;
    EXPECT_EQ(second.m_nHp, c.secondHurt ? 990 : 1000) << c.name;
    EXPECT_EQ(stage.Live(no), c.live) << c.name;
    // A piercing shot hits each character once.
    EXPECT_EQ(ResolveHits(), 0);
    EXPECT_EQ(first.m_nHp, 990) << c.name;
  }
}

TEST(ShotHitTest, PiercingFollowsWhetherTheCharacterIsABlockCharacter) {
  struct Case {
    int pierceChara, pierceBlock;
    bool block, live;
  };
  for (Case c : {Case{1, 0, false, true}, Case{1, 0, true, false}, Case{0, 1, true, true}, Case{0, 1, false, false}}) {
    ShotStage stage;
    cNpc& victim = stage.AddFighter(5, 1, 0);
    victim.m_Def.m_bBlockChara = c.block ? 1 : 0;
    cEdShot settings = ShotStage::Power(10, 0);
    settings.m_bPierceChara = static_cast<std::int8_t>(c.pierceChara);
    settings.m_bPierceBlockChara = static_cast<std::int8_t>(c.pierceBlock);
    const int no = stage.ShootAt(victim, settings).m_nNo;
    EXPECT_EQ(ResolveHits(), 0);
    EXPECT_EQ(victim.m_nHp, 990);
    EXPECT_EQ(stage.Live(no), c.live) << c.pierceChara << c.pierceBlock << c.block;
  }
}

TEST(ShotHitTest, ASpentShotLeavesEveryListAtOnceAndIsFreedAfterTheFrame) {
  ShotStage stage;
  cNpc& victim = stage.AddFighter(5, 1, 0);
  const int no = stage.ShootAt(victim, ShotStage::Power(10, 0)).m_nNo;
  ASSERT_EQ(ResolveHits(), 0);
  EXPECT_TRUE(stage.scene.m_ShotByFaction[0].empty());
  EXPECT_EQ(stage.scene.FindShotByNo(no), nullptr);
  EXPECT_EQ(stage.scene.m_ShotList.size(), 1u);
  stage.scene.CollectRemoved();
  EXPECT_TRUE(stage.scene.m_ShotList.empty());
}

TEST(ShotHitTest, ASwordHitsEachCharacterOnceAndItsKillsScore) {
  ShotStage stage;
  stage.db.SwordType.resize(1);
  stage.db.SwordType[0].m_Parts.resize(1);
  stage.db.SwordType[0].m_Parts[0].m_nWidth = 32;
  stage.db.SwordType[0].m_Parts[0].m_nHeight = 32;
  cCharaDef weak = HitStage::Fighter(1, 0);
  weak.m_nMaxHp = 15;
  weak.m_nScore = 120;
  cNpc& a = stage.AddFighter(5, weak);
  cNpc& b = stage.AddFighter(5, weak);
  const int no = stage.ShootAt(a, ShotStage::Power(10, 0), 0, kSwordCommand).m_nNo;
  for (int step = 0; step < 3; ++step) ASSERT_EQ(ResolveHits(), 0);
  EXPECT_EQ(a.m_nHp, 5);  // once in three steps, however long it overlaps
  EXPECT_EQ(b.m_nHp, 5);
  EXPECT_TRUE(stage.Live(no)) << "a sword is never spent";
  EXPECT_EQ(stage.hooks.sounds, (std::vector<int>{7, 7}));

  // A second swing kills both: each scores once, and the dying take no more hits.
  stage.hooks.sounds.clear();
  stage.ShootAt(a, ShotStage::Power(10, 0), 0, kSwordCommand);
  stage.ShootAt(a, ShotStage::Power(10, 0), 0, kSwordCommand);
  EXPECT_EQ(ResolveHits(), 0);
  EXPECT_EQ(a.m_bDying, 1);
  EXPECT_EQ(b.m_bDying, 1);
  EXPECT_EQ(stage.record.nStageScore, 240);
  EXPECT_EQ(stage.hooks.sounds, (std::vector<int>{9, 9}));
}

TEST(ShotHitTest, TheHeroKilledByAShotIsLost) {
  ShotStage stage;
  stage.hero->m_nHp = 10;
  const int no = stage.ShootAt(*stage.hero, ShotStage::Power(10, 1)).m_nNo;
  EXPECT_EQ(ResolveHits(), 2);
  EXPECT_EQ(stage.hero->m_nHp, 0);
  EXPECT_TRUE(stage.hooks.sounds.empty()) << "the play frame sounds the hero's loss";
  EXPECT_TRUE(stage.Live(no)) << "nothing more of the hit happens";
}

TEST(ShotHitTest, DamageEffectAndKnockBack) {
  struct Case {
    const char* name;
    int power, defence, hpBefore, hp;
  };
  for (Case c : {Case{"power below the defence", 10, 25, 1000, 1000}, Case{"power less defence", 30, 25, 1000, 995},
                 Case{"a negative power heals", -20, 0, 980, 1000}, Case{"a huge power", 2000000, 0, 1000, 0}}) {
    ShotStage stage;
    cNpc& victim = stage.AddFighter(5, 1, 0);
    victim.m_Def.m_nDefence = c.defence;
    victim.m_nHp = c.hpBefore;
    cEdShot settings = ShotStage::Power(c.power, 0);
    settings.m_nHitEffect = 12;
    settings.m_nScale = 2;
    settings.m_nImpact = 5;
    cShot& shot = stage.ShootAt(victim, settings, -2.0);
    shot.UpdateShot();  // its velocity of the step, as the shot pass sets it before the hits
    EXPECT_EQ(TakeShotDamage(victim, shot), c.hp == 0 ? 1 : 0) << c.name;
    EXPECT_EQ(victim.m_nHp, c.hp) << c.name;
    ASSERT_EQ(stage.scene.m_EffectList.size(), 1u) << c.name;
    EXPECT_EQ(stage.scene.m_EffectList.front().Width(), 2 * 32) << "the shot's size scales its effect";
    EXPECT_LT(victim.m_dImpactVx, 0) << "pushed along the shot's flight, to the left";
    EXPECT_EQ(victim.m_dImpactVy, 0);
  }
}

TEST(ShotHitTest, ASwordPushesStraightAheadOfItsFacing) {
  for (double vx : {-1.0, 1.0}) {
    ShotStage stage;
    stage.db.SwordType.resize(1);
    stage.db.SwordType[0].m_Parts.resize(1);
    cNpc& victim = stage.AddFighter(5, 1, 0);
    cEdShot settings = ShotStage::Power(0, 0);
    settings.m_nImpact = 5;
    cShot& sword = stage.ShootAt(victim, settings, vx, kSwordCommand);
    sword.m_dVy = 3;  // a sword's own motion plays no part
    victim.ApplyImpactFromShot(sword);
    EXPECT_EQ(victim.m_dImpactVx > 0, vx > 0);
    EXPECT_NE(victim.m_dImpactVx, 0);
    EXPECT_EQ(victim.m_dImpactVy, 0);
  }
}

TEST(ShotHitTest, AShotThatCarriesAnItemGivesItToTheHero) {
  cStageData stage;
  cItemDef item;
  item.m_nSound = 5;
  stage.m_PaletteItems = {cItemDef(), item};
  StageData = &stage;
  for (int index : {1, 2}) {
    ShotStage play;
    cNpc& victim = play.AddFighter(5, 1, 0);
    cEdShot settings = ShotStage::Power(0, 0);
    settings.m_nItemSource = 2;
    settings.m_nItemIndex = static_cast<std::int16_t>(index);
    const int no = play.ShootAt(victim, settings).m_nNo;
    EXPECT_EQ(ResolveHits(), 0);
    // Index 2 is beyond the stage's palette: the hit lands, no item comes.
    EXPECT_EQ(play.hooks.dbSounds, index == 1 ? std::vector<int>{5} : std::vector<int>{});
    EXPECT_FALSE(play.Live(no));
    EXPECT_EQ(victim.m_nHp, 1000);
  }
  StageData = nullptr;
}

TEST(ShotHitTest, ShotsAreTestedOnlyInTheStepsOfTheHitStepMask) {
  // N 6, R 2: d = 3, so steps 1 and 4 test shots.
  const std::vector<int> expected = {1, 0, 0, 1, 0, 0};
  std::vector<int> tested;
  for (int step = 1; step <= 6; ++step) {
    ShotStage stage(6);
    stage.scene.m_Rules.nHitChecks = 2;
    stage.scene.m_HitStepMask = MakeHitStepMask(6, 2);
    stage.scene.m_nLogicStep = step;
    cNpc& victim = stage.AddFighter(5, 1, 0);
    stage.ShootAt(victim, ShotStage::Power(10, 0));
    EXPECT_EQ(ResolveHits(), 0);
    tested.push_back(victim.m_nHp < 1000 ? 1 : 0);
  }
  EXPECT_EQ(tested, expected);

  // A shot that overlaps from step 2 is first tested in step 4; with R = 0 at once.
  for (int checks : {2, 0}) {
    ShotStage stage(6);
    stage.scene.m_Rules.nHitChecks = checks;
    stage.scene.m_HitStepMask = MakeHitStepMask(6, checks);
    cNpc& victim = stage.AddFighter(5, 1, 0);
    stage.ShootAt(victim, ShotStage::Power(10, 0));
    int hitAt = 0;
    for (int step = 2; step <= 6 && !hitAt; ++step) {
      stage.scene.m_nLogicStep = step;
      ASSERT_EQ(ResolveHits(), 0);
      if (victim.m_nHp < 1000) hitAt = step;
    }
    EXPECT_EQ(hitAt, checks ? 4 : 2);
  }
}

TEST(ShotClashTest, CancelableShotsOfOtherFactionsCancelByStrength) {
  struct Case {
    const char* name;
    int uCancel, uStrength, sCancel, sStrength;
    bool uLives, sLives;
    int sFaction = 2;
  };
  const Case cases[] = {
      {"equal strengths: both go", 1, 3, 1, 3, false, false},
      {"u weaker", 1, 2, 1, 3, false, true},
      {"s weaker", 1, 3, 1, 2, true, false},
      {"only u cancelable", 1, 9, 0, 0, false, true},
      {"only s cancelable", 0, 0, 1, 9, true, false},
      {"neither", 0, 0, 0, 0, true, true},
      {"one faction", 1, 3, 1, 3, true, true, 1},
  };
  for (const Case& c : cases) {
    ShotStage stage;
    cNpc& spot = stage.AddFighter(5, 3, 0);
    spot.m_bActive = 0;  // only marks the place
    cEdShot u = ShotStage::Power(0, 1), s = ShotStage::Power(0, c.sFaction);
    u.m_bCancelable = static_cast<std::int8_t>(c.uCancel);
    u.m_nStrength = static_cast<std::int8_t>(c.uStrength);
    s.m_bCancelable = static_cast<std::int8_t>(c.sCancel);
    s.m_nStrength = static_cast<std::int8_t>(c.sStrength);
    const int uNo = stage.ShootAt(spot, u).m_nNo;
    const int sNo = stage.ShootAt(spot, s).m_nNo;
    EXPECT_EQ(ResolveHits(), 0);
    EXPECT_EQ(stage.Live(uNo), c.uLives) << c.name;
    EXPECT_EQ(stage.Live(sNo), c.sLives) << c.name;
  }
}

TEST(ShotClashTest, ADestroyedShotStillMeetsEveryShotOfTheOtherFaction) {
  ShotStage stage;
  cNpc& spot = stage.AddFighter(5, 3, 0);
  spot.m_bActive = 0;
  cEdShot u = ShotStage::Power(0, 1), strong = ShotStage::Power(0, 2), weak = ShotStage::Power(0, 2);
  u.m_bCancelable = strong.m_bCancelable = weak.m_bCancelable = 1;
  u.m_nStrength = 5;
  strong.m_nStrength = 7;
  weak.m_nStrength = 1;
  const int uNo = stage.ShootAt(spot, u).m_nNo;
  const int strongNo = stage.ShootAt(spot, strong).m_nNo;
  const int weakNo = stage.ShootAt(spot, weak).m_nNo;
  EXPECT_EQ(ResolveHits(), 0);
  EXPECT_FALSE(stage.Live(uNo));
  EXPECT_TRUE(stage.Live(strongNo));
  EXPECT_FALSE(stage.Live(weakNo)) << "met after u was marked";
}
