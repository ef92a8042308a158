#pragma once
// The base of every object of a running stage: position and extent in map
// dots (the map is the stage with a 10-cell margin on every side), velocities
// per logic step, facing, flight, the activity flags and the animation. Also
// the free functions all objects share: clamping, screen and area tests, wave
// motion, aiming, knock-back speeds and the character searches.
#include <cstdint>
#include <list>
#include <vector>

#include "library/util/AnimeCtrl.h"

struct RectD {
  double dLeft = 0, dTop = 0, dRight = 0, dBottom = 0;
};
struct RectI {
  int nLeft = 0, nTop = 0, nRight = 0, nBottom = 0;
};
// A box relative to the position: x offset, y offset, width, height.
struct BoxI {
  int nX = 0, nY = 0, nW = 0, nH = 0;
};

constexpr int kUnlimitedLife = 2147483647;

class cChara;

class cGameObject {
 public:
  cGameObject() = default;
  virtual ~cGameObject() = default;
  cGameObject(const cGameObject&) = default;
  cGameObject& operator=(const cGameObject&) = default;

  virtual void SetScale(int newScale, int oldScale);
  virtual void ScaleBoxes(int /*scale*/) {}
  virtual void AdjustForScale(int /*newScale*/, int /*oldScale*/) {}
  virtual void UpdateRectX() {}
  virtual void UpdateRectY() {}

  void SetupObject(int no, int controller, int playerNo, int faction, int graphic, const AnimeTable* frameTable,
                   int animeNo, int gfxOffX, int gfxOffY, int width, int height, int gfxWidth, int gfxHeight, int right,
                   int flight, int tag);
  void SetMoveType(int type);
  int ClampX(int mode);
  int ClampY(int mode);
  int ApplySpeedX(int mode);
  int ApplySpeedY(int mode);
  void AddGravity();
  void ApplyFriction(double& value, int enabled) const;
  void UpdateScreenRect();
  int IsOnScreen() const;
  int IsOnScreenAxis(int ignoreX, int ignoreY) const;
  int IsInArea(int whole) const;
  int IsOutOfArea(int rule) const;
  int IsInBlock() const;
  int GetFacingSign() const { return m_bRight ? 1 : -1; }
  void ApplyScaleChange(int newScale, int oldScale);
  void RecentreXForScale(int newScale, int oldScale);
  // Screen centre of the drawn graphic (the screen rectangle as last computed).
  int ScreenCentreX() const { return m_rcScreen.nLeft + (m_rcGfx.nW >> 1); }
  int ScreenCentreY() const { return m_rcScreen.nTop + (m_rcGfx.nH >> 1); }
  // The nearest character worth aiming at among the object numbers of a
  // faction list (the hero included), from this object's screen centre.
  cChara* FindNearestCharaFrom(const std::vector<int>& list) const;

  int m_nNo = 0;
  int m_nLifeSteps = kUnlimitedLife;
  int m_bRight = 0;
  std::int16_t m_nTag = 0;
  int m_nGraphic = 0;
  int m_nGraphicKind = 0;
  cAnimeCtrl m_Anime;
  RectI m_rcScreen{};
  BoxI m_rcGfx{};
  BoxI m_rcGfxBase{};
  int m_nController = 0;  // 0 the player, 1 the computer
  int m_nPlayerNo = 0;
  int m_nFaction = 0;
  double m_dX = 0, m_dY = 0, m_dRight = 0, m_dBottom = 0;
  int m_nCellLeft = 0, m_nCellTop = 0, m_nCellRight = 0, m_nCellBottom = 0;
  double m_dVx = 0, m_dVy = 0;
  double m_dMoveVx = 0, m_dMoveVy = 0;
  double m_dMoveDecel = 0;
  int m_bDecelX = 0, m_bDecelY = 0;
  int m_bScrollCarried = 0;
  int m_nWidth = 0, m_nHeight = 0;
  int m_nBaseWidth = 0, m_nBaseHeight = 0;
  int m_bFlying = 0;
  std::uint8_t m_nFlightMode = 0;  // 0 passes blocks, 1 collides, 2 dies on a block
  int m_bActive = 0;
  int m_bOnScreen = 0;
  std::uint8_t m_bAppeared = 0;
  // Removed from the stage: skipped by every pass and search until freed.
  bool m_bRemoved = false;
};

// Per-second value to per step: value / N / 60.
double PerSecondToPerFrame(double value);
// Knock-back start speeds for a signed strength along (dirX, dirY); nothing for strength 0.
void CalcImpactSpeed(double& outVx, double& outVy, int strength, double dirX, double dirY);
int IsInRange(int pos, int size, int lo, int hi, int margin, int back, int front, int exact);
double WaveOffset(double amplitude, double frequency, double& phase, double step, double offset);
double WaveAcceleration(double amplitude, double frequency, double& phase, double step, double offset);

// The velocity from (curX, curY) toward (tgtX, tgtY) at speed; see AimVelocity in GameObject.cpp.
int AimVelocity(double& outVx, double& outVy, int& outDir, const cGameObject* chara, double curX, double curY,
                double tgtX, double tgtY, double speed, int keepCarry, int noFlee, int arriveTest);
int StepTowardX(double& outVx, double& outVy, int& outDir, const cGameObject* chara, double cur, double tgt,
                double speed, int keepCarry, int arriveTest);
int StepTowardY(double& outVx, double& outVy, int& outDir, const cGameObject* chara, double cur, double tgt,
                double speed, int keepCarry, int arriveTest);

class cNpc;
struct CharaFilter {
  int useId = 0, id = 0, excludeSelf = 0, skipInvincible = 0, skipShotProof = 0, skipBlockCharas = 0, selfNo = 0;
};
cNpc* FindChara(std::list<cNpc>& list, const CharaFilter& filter);
// The same searches over a list of object numbers (a faction list).
cChara* FindChara(const std::vector<int>& list, const CharaFilter& filter);
cChara* FindNearestChara(int x, int y, const std::vector<int>& list, int mode, const CharaFilter& filter);
cNpc* FindNearestChara(int x, int y, std::list<cNpc>& list, int mode, const CharaFilter& filter);
cNpc* FindNearestTarget(int x, int y, std::list<cNpc>& list);
