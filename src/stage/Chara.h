#pragma once
// Characters: `cChara` holds what the hero (`cPlayer`) and every other
// character (`cNpc`) share: its own copy of its definition with the flows that
// run on it, hit and special points, boxes, knock-back, the jump and landing
// state and the links between characters. Links are object numbers (the
// target, who targets it, its shots) and map cells are indices into the map,
// so nothing dangles when a character or the map goes away.
#include <cstdint>
#include <list>
#include <vector>

#include "flow/RunningFlow.h"
#include "gamedata/EffectRun.h"
#include "library/util/CheckedVector.h"
#include "records/CharaDef.h"
#include "stage/GameObject.h"
#include "stage/Item.h"

struct SizeRule;

class cKeyInput;
class cShot;

constexpr int kLetterSlots = 27;
constexpr int kCharaVars = 9;
constexpr int kNoTarget = -1;
constexpr int kNoCell = -1;

struct GaugeAnime {
  int nFramesLeft = 0;
  double dChange = 0;
  double dChangePerFrame = 0;
  int nBarLength = 0;
};

struct HitByEntry {
  int nAttacker = 0;
  int nStepsLeft = 0;
};

// An animation a flow command started on the character. A command's own
// animation has priority: its counter runs down the frames of its lead-in and
// its length is the command's time, so it holds the drawing while it matters.
// The animation command's entries have priority, counter and length 0.
struct FlowAnimeEntry {
  cAnimeCtrl Anime;
  int bPriority = 0;
  int nCounter = 0;  // frames left to show before the command; lowered each frame
  int nLength = 0;   // the command's time in frames
  int nSerial = 0;   // the running flow that started it
  int bPaused = 0;
};

class cChara : public cGameObject {
 public:
  cChara() = default;
  ~cChara() override = default;
  // The running flows point into this object's own flow list: a character is
  // built in its final place and copied only through CopyFrom, which re-links them.
  cChara(const cChara&) = delete;

  void AdjustForScale(int newScale, int oldScale) override;
  virtual void CentreAt(int x, int y) { CentreX(x), CentreY(y); }
  virtual void CentreX(int x);
  virtual void CentreY(int y);
  void CentreAtAndStop(int x, int y, cRunningCommand& cmd);
  void CentreXAndStop(int x, cRunningCommand& cmd);
  void CentreYAndStop(int y, cRunningCommand& cmd);
  virtual cItem* GetItem() { return nullptr; }
  virtual int OnMoveX() { return 0; }
  virtual int OnMoveY() { return 0; }
  virtual int MoveStepX() { return 0; }
  virtual int MoveStepY() { return 0; }
  virtual int RunFlows(int /*deathOnly*/) { return 0; }
  virtual int Jump(cRunningCommand& /*cmd*/) { return 0; }
  virtual bool IsPlayer() const { return false; }

  void ResetChara(const cCharaDef* def, double x, double y, int copyIndex);
  int InstallFlows(const cCheckedVector<cFlow>& flows, int facing, int insert, int index);
  void RelinkFlows();
  void RemoveRunningFlow(int i);
  int DeleteFlows(int id);
  void AssignRunningFlows(const cChara& source);
  // The whole character part of source, its running flows re-linked to this copy's own flow list.
  void CopyFrom(const cChara& source);
  void SetAnimeSet(int set, int force);
  void SetContactBox(int bottomAligned, int w, int h);
  // The contact box by the definition's box choice: the stage's contact size,
  // the damage-box size, the second contact size or the whole 32 x 32 graphic.
  void SetContactBoxByChoice(const SizeRule& contact, const SizeRule& damage, const SizeRule& second);
  void SetBlockX(int column);
  void SetBlockY(int row);
  void SetBlockXY(int column, int row) { SetBlockX(column), SetBlockY(row); }

  // Physics.
  void ClearBlockContactFlags() { m_bHitLeft = m_bHitRight = m_bHitTop = m_bHitBottom = 0; }
  void ApplyGravity();
  bool IsOnGround();
  void LandOnBlock();
  void BumpBlockAbove();
  void StopRiding(int pushed);
  void SavePreviousBounds() { m_rcPrev = {m_dX, m_dY, m_dRight, m_dBottom}; }
  void RestorePreviousBounds();
  // Status.
  int ChangeHp(int delta, int force, int animate);
  void StartHpGaugeAnime(int delta);
  int ChangeSp(int delta, int animate);
  void StartSpGaugeAnime(int delta);
  // Knock-back.
  void ApplyImpact(int strength, double dirX, double dirY);
  void ApplyImpactFromChara(const cChara& attacker);
  // A shot pushes along its flight, a sword straight ahead of its facing.
  void ApplyImpactFromShot(const cShot& shot);
  void ApplyVerticalImpact();
  void DecayImpactX();
  void DecayImpactY();

  // Running the flows of one logic step (the interpreter's part of RunFlows):
  // 1 when the stepping ended because HP is gone or the character vanished.
  int StepFlows(int deathOnly);
  void ClearEndedLetters();
  // The player whose key input the flows read.
  cKeyInput* FlowKeyInput() const;

  int m_nTargetNo = kNoTarget;
  std::vector<int> m_vTargetedBy;  // object numbers
  std::vector<int> m_vShots;       // shot numbers
  cCharaDef m_Def;
  int m_nFlowSerial = 0;
  cCheckedVector<cRunningFlow> m_vFlows;
  cCheckedVector<BYTE> m_vLetterRunning = cCheckedVector<BYTE>(kLetterSlots, 0);
  cCheckedVector<BYTE> m_vLetterEnded = cCheckedVector<BYTE>(kLetterSlots, 0);
  cCheckedVector<BYTE> m_vLetterStarted = cCheckedVector<BYTE>(kLetterSlots, 0);
  int m_bLettersEnded = 0;
  int m_bFlowsDeleted = 0;
  double m_dSpawnX = 0, m_dSpawnY = 0;
  int m_bMovedByCommand = 0;
  double m_dImpactVx = 0, m_dImpactVy = 0;
  int m_bKnocked = 0;
  double m_dImpactApplied = 0;
  int m_bHeld = 0;
  int m_nLastContactSide = -1;
  int m_bAirborne = 1;
  int m_bJumpStarted = 0, m_bJumping = 0;
  int m_bHeadBumped = 0;
  int m_nFloorlessSteps = 0;
  int m_nFootCell = kNoCell;  // map cell indices
  int m_nLandedCell = kNoCell;
  int m_nPrevLandedCell = kNoCell;
  int m_nCountdown = 0;
  int m_bPinnedX = 0, m_bPinnedY = 0;
  int m_nPinnedX = 0, m_nPinnedY = 0;
  int m_bDying = 0;
  int m_nDeathWait = 0;
  EFFECTPROGRESS m_CharaEffect{};
  int m_bHitLeft = 0, m_bHitRight = 0, m_bHitTop = 0, m_bHitBottom = 0;
  int m_bPushed = 0;
  int m_bRiding = 0;
  int m_nRiddenNo = 0;
  RectD m_rcRidden{};
  RectD m_rcPrev{};
  int m_nHp = 0;
  GaugeAnime m_HpGauge{};
  int m_nSp = 0;
  GaugeAnime m_SpGauge{};
  cCheckedVector<int> m_vVars = cCheckedVector<int>(kCharaVars, 0);
  int m_nInvincible = 0;
  std::list<HitByEntry> m_lHitBy;
  std::list<FlowAnimeEntry> m_lAnimes;
  int m_bVanished = 0;
  int m_nLightRadius = 0;
  RectD m_rcContact{};
  BoxI m_boxContact{}, m_boxContactBase{};
  RectD m_rcDamage{};
  BoxI m_boxDamage{}, m_boxDamageBase{};

 private:
  cChara& operator=(const cChara&) = default;
};

// A number that no other character made in this process has had.
std::uint64_t NewNpcSerial();

class cNpc final : public cChara {
 public:
  void ScaleBoxes(int scale) override;
  void UpdateRectX() override;
  void UpdateRectY() override;
  cItem* GetItem() override { return &m_Item; }
  int OnMoveX() override { return ClampX(2), 0; }
  int OnMoveY() override { return ClampY(2), 0; }
  int MoveStepX() override;
  int MoveStepY() override;
  int RunFlows(int deathOnly) override;
  int Jump(cRunningCommand& cmd) override;

  void InitNpc(int no, cCharaDef& def, const cItem* item, double x, double y, int copyIndex);
  void PlaceOnCell(int column, int row);
  int UpdateInView(cCheckedVector<BYTE>& groupAwake);
  int IsAwake(cCheckedVector<BYTE>& groupAwake);
  int OverlapsRect(double left, double top, double right, double bottom) const;

  int m_bInView = 0;
  int m_bAwake = 0;
  cItem m_Item;
  int m_nItemHintTimer = 0;
  int m_bIgnoreViewX = 0, m_bIgnoreViewY = 0;
  int m_bWasAwake = 0;
  // Tells this node apart from any node that takes its place in the list later.
  const std::uint64_t m_nSerial = NewNpcSerial();
};

// The hero's boxes by kind, as the overlay numbers them.
enum BOXPARTKIND { BOXPART_BODY, BOXPART_CONTACT, BOXPART_ITEM, BOXPART_DAMAGE, BOXPART_KINDS };

// One of the hero's boxes as the box overlay draws it.
struct BoxPart {
  int nKind = BOXPART_BODY;
  int nMode = 0;  // 0 not drawn, 1 filled, 2 one-dot frame
  int nColour = 0;
  int nX = 0, nY = 0;  // screen position, refreshed when drawn
  int nW = 0, nH = 0;
  int nBlink = 0;  // 0..31
};

class cPlayer final : public cChara {
 public:
  void ScaleBoxes(int scale) override;
  void UpdateRectX() override;
  void UpdateRectY() override;
  int OnMoveX() override;
  int OnMoveY() override;
  int MoveStepX() override;
  int MoveStepY() override;
  int RunFlows(int deathOnly) override;
  int Jump(cRunningCommand& cmd) override;
  bool IsPlayer() const override { return true; }

  void PlaceHero(int no, cCharaDef& def, double x, double y);
  void GetHeroBodyLayout(int& offX, int& offY, int& w, int& h) const;
  void SetHeroFlight(int setting, int applyScale);
  void UpdateHeroScreenRect();
  // The box overlay's parts, larger boxes first so that smaller ones stay visible.
  void BuildPartList();
  // The box of a part relative to the position (the body box has no offset).
  BoxI PartBox(int kind) const;
  int RunItemCommands(const cCheckedVector<cFlowCommand>& commands);
  int IsItemUntouched(int itemNo) const;
  void ForgetTouchedItem(int itemNo);
  void SavePrevLandedCell() { m_nPrevLandedCell = m_nLandedCell; }
  void SavePrevFacing() { m_nPrevFacing = m_bRight; }

  cKeyInput* m_pKeyInput = nullptr;
  int m_nJumpHold = 0;
  int m_bJumpReady = 0;
  int m_bJumpForbidden = 0;
  double m_dFloorSpeedStep = 0;
  int m_bJumpDone = 0;
  int m_bDirBlocked = 0, m_bButtonBlocked = 0;
  int m_nPrevFacing = 0;
  std::vector<int> m_lTouchedItems;  // object numbers of the items touched and not yet left
  int m_nFloorEffect = 0;
  double m_dFloorFactor = 0;
  int m_nFloorTimer = 0;
  int m_nItemBlockCooldown = 0;
  RectD m_rcItem{};
  BoxI m_boxItem{}, m_boxItemBase{};
  std::vector<cFlowCommand> m_vPendingChangeFlows;
  std::vector<BoxPart> m_vBoxParts;
};

// The start of a character's action: it becomes the acting character, takes
// its base velocity from the automatic scroll and clears its per-step flags.
void BeginCharaAction(cChara& chara, bool heroRules);
// The standing animation when no movement command drove the character.
void SelectStandingAnime(cChara& chara);

// Jump arithmetic with the stage's gravity per step.
double JumpSpeedForDots(const cChara& chara, double h);
double JumpSpeedForHeight(const cChara& chara, int n);
int JumpStepsForSpeed(double v);
int JumpTimeForHeight(const cChara& chara, int n);
int HblToDot(int n);
double SpeedToDot(int n);
