#pragma once
// A shot or a sword of a running stage. Both are built from a command's shot
// settings and live in the scene's shot list until the play frame or the hit
// resolution removes them; a sword follows its wielder through the parts of
// its sword type. The shooter, the target and the characters already hit are
// held as object numbers, so nothing dangles when a character leaves.
#include <cstdint>
#include <vector>

#include "records/EdSettings.h"
#include "stage/Chara.h"

struct DDSURFACEDATA;
class cDbSwordPart;

constexpr int kShotCommand = 11;
constexpr int kSwordCommand = 12;

// What travels from a firing (or a summon) through the pattern to each object
// it creates. Speeds and velocities are in dots per frame.
struct SHOTFIREDATA {
  std::int16_t nRepeat = 0;
  double dSpeed = 0;
  int nAngle = 0;
  int nDistance = 0;  // hbl
  int nLifetime = 0;  // tenths of a second
  double dVx = 0, dVy = 0;
  int nX = 0, nY = 0;
  int nStartX = 0, nStartY = 0;
  int nStepX = 0, nStepY = 0;
  int nColumnStepX = 0, nColumnStepY = 0;
  int nCellW = 0, nCellH = 0;
  std::int8_t nScale = 0;
  int nOffsetX = 0, nOffsetY = 0;
  int nDirection = 0;
};

class cShot final : public cGameObject {
 public:
  void ScaleBoxes(int scale) override;
  void AdjustForScale(int newScale, int oldScale) override;
  void UpdateRectX() override;
  void UpdateRectY() override;

  // Builds the shot (commandType 11) or sword (12) from the settings and the
  // fire record. A settings size of 0 is turned into 1 in the settings passed in.
  void SetupShot(int serial, const cChara& shooter, int commandType, cEdShot& settings, const SHOTFIREDATA& fire);
  // The acceleration split along the direction (dx, dy).
  void DirToVelocity(double& outX, double& outY, double dx, double dy) const;
  // Keeps the shot inside the world; 3 when it had to move it, else 0.
  int ClampShotX();
  int MoveShotX();
  int MoveShotY();
  // One logic step: 1 when the shot (or sword) must be removed.
  int UpdateShot();
  int UpdateSword();
  // 1 when a map block stops the shot.
  int ShotHitsBlock() const;
  void DrawShot(DDSURFACEDATA* target, int paused);

  bool IsShot() const { return m_bIsShot != 0; }
  // The list of m_ShotByFaction this shot is filed in.
  int FactionList() const;

  int m_nShooterNo = kNoTarget;
  int m_bIsShot = 1;  // 0 for a sword
  int m_nRangeSteps = 0;
  int m_nLifeCounter = 0;
  int m_nStepCount = 0;  // shots: steps of the trajectory; swords: steps of the current part
  int m_nSwordPart = 0;
  double m_dAccel = 0;
  double m_dTrajSpeed = 0;
  double m_dOwnVx = 0, m_dOwnVy = 0;
  int m_bAccel = 0;
  int m_nTrajStart = 0, m_nTrajEnd = 0;
  int m_bTrajDone = 0;
  double m_dWavePhase = 0;
  double m_dWaveSin = 0, m_dWaveCos = 0;
  RectD m_rcHit{};
  BoxI m_boxHit{}, m_boxHitBase{};
  std::vector<int> m_vHitList;  // object numbers of the characters already hit
  // Hit a character it does not pierce: it goes once the hit pass is done with that character's faction.
  bool m_bSpent = false;
  cEdShot m_Settings;
  int m_nTargetNo = kNoTarget;

 private:
  void SetupRange(const SHOTFIREDATA& fire);
  void CarryWithScroll();
  void StopAtRange();
  void AttachToWielder(const cChara& wielder, const cDbSwordPart& part);
};

// The trajectory of the shot's settings, once per logic step before its velocity applies.
void RunTrajectory(cShot& shot);
// Turns the shot toward the character (a homing step).
void AimShotAtChara(cShot& shot, const cChara& chara);

// Part `part` of sword type `type` (guarded: a bad index is reported and entry 0 used).
const cDbSwordPart& SwordPart(int type, int part);
int SwordPartCount(int type);

// The two animations every shot and sword shares: 0 cells 0, 1, 2 once, 1 cells 0 and 1 looping.
const AnimeTable& ShotAnimeTable();
