#pragma once
// The stage-play scene's data: one stage attempt's run-time state (scroll axes,
// the block map, the hero, the other characters, items, the per-faction lists,
// counters) that every game object and flow command reads through
// `CurrentPlayScene`. The scene's operations (states, set-up, the play frame,
// drawing, resources) live in the other files of this folder; this header is
// the reference for its members.
//
// Objects live in node-stable lists and refer to each other by object number,
// never by pointers that could outlive their target. A removed object is
// flagged and leaves the faction lists, every pass and every search at once;
// its node is freed later, at a safe point (`CollectRemoved`).
#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/util/AnimeCtrl.h"
#include "library/util/CheckedVector.h"
#include "records/BlockDef.h"
#include "stage/BlockChara.h"
#include "stage/Chara.h"
#include "stage/Effect.h"
#include "stage/Item.h"
#include "stage/Shot.h"
#include "stage/Message.h"

class cSaveData;
class cStageShell;
struct cLoadContext;

// Logic-step results of the per-step rules: go on, the stage was cleared, the hero is lost.
constexpr int RULE_GO_ON = 0;
constexpr int RULE_CLEAR = 1;
constexpr int RULE_HERO_LOST = 2;

constexpr int kFactions = 8;
constexpr int kStageVars = 255;
constexpr int kWakeGroups = 60;
constexpr int kMapMarginCells = 10;
constexpr int kCellDots = 32;

enum PlayState : int {
  PLAYSTATE_FADEIN,
  PLAYSTATE_START,
  PLAYSTATE_PLAY,
  PLAYSTATE_PAUSE,
  PLAYSTATE_CLEAR,
  PLAYSTATE_CONTINUE,
  PLAYSTATE_GAMEOVER,
  PLAYSTATE_FADEOUT,
};

// One scroll axis (x: m_ScrollX, y: m_ScrollY).
struct SCROLLDATA {
  double dPos = 0;      // left (top) edge of the view in map dots
  int bAtEdge = 0;      // the last clamp hit a bound
  int nAxis = 0;        // 0 x, 1 y
  int nView = 640;      // 640 or 480
  int nLower = 0;       // smallest allowed dPos
  int nUpper = 0;       // largest allowed dPos + nView
  int nMarginPx = 320;  // the 10-cell margin in dots: where the stage span starts
  int nFullUpper = 0;   // (cells - 10) x 32: where the stage span ends
  int nMarginCells = 10;
  int nActiveRange = 0;   // the active world is [0, nActiveRange)
  int nCells = 0;         // map cells with both margins
  int nStride = 0;        // x: 1 << nShift; y: nCells
  int nShift = 0;         // x: the bit length of (map width + 19); y: 0
  double dAutoSpeed = 0;  // automatic scroll in dots per logic step
  int bAutoScroll = 0;

  void ClampScroll();
  void StepAutoScroll();
  // n is in tenths of a dot per frame; steps is the logic steps per frame.
  void SetAutoScroll(int bOn, int n, int steps);
  void SetScrollLimits(int startCell, int endCell, int bStart, int bEnd);
  // The automatic speed as objects see it: 0 while the axis rests on a bound.
  double EffectiveAutoSpeed() const { return bAtEdge ? 0.0 : dAutoSpeed; }
};

struct PAUSEREQUEST {
  int nKind = 0;  // 0 game wait, 1 message, 2 effect wait, 3 picture, 4 extra-life notice
  int nDelay = 0;
  int bWaitButton = 0;
  int nFrames = 0;
  int nSpare = 0;
};

// The screen-colour command's state: the colour laid over the screen, or
// taken back, over a duration, with an optional flash.
struct SCREENCOLOR {
  int bPending = 0;
  BYTE byRed = 0, byGreen = 0, byBlue = 0;
  int nStrength = 0;  // percent
  int nMode = 0;      // 0 lays the colour, otherwise takes it back
  int nDuration = 0;  // frames
  int bFlash = 0;
  int nFlashCount = 0;
  int bActive = 0;
  int nFrame = 0;
  int nFlashFrame = 0;
  int nAlpha = 0;
  BYTE byPrevRed = 0, byPrevGreen = 0, byPrevBlue = 0;
  int nPrevStrength = 0;
  int nPrevAlpha = 255;
};

// An out-of-area rule: per edge a switch and a margin in cells.
struct OutAreaRule {
  int bLeft = 0, bRight = 0, bTop = 0, bBottom = 0;
  int nLeft = 0, nRight = 0, nTop = 0, nBottom = 0;
};
// 0 characters, 1 block characters, 2 items, 3 the player side's shots, 4 other shots.
constexpr int kOutAreaRuleCount = 5;

// How the box overlay shows one of the hero's boxes.
struct BoxOverlayRule {
  int nMode = 0;    // 0 not drawn, 1 filled, 2 one-dot frame
  int nColour = 0;  // colour choice 0..7
};

struct SizeRule {
  int nWidth = 0;
  int nHeight = 0;
  int bBottom = 0;  // the box stands on the cell's bottom edge, else it is centred
};

// The values of the stage, its collision level and the project's system data
// that objects and flows read during play. The set-up fills them from the
// stage data and the system data; tests build them directly.
struct cStageRules {
  // Pace, from the collision level: N logic steps per frame and the physics per step.
  int nSteps = 1;
  double dSteps = 1.0;
  double dSteps2 = 1.0;          // N squared
  double dGravity = 0.4;         // the stage's gravity per frame squared
  double dGravityPerStep = 0.4;  // dGravity / N squared
  double dMaxSpeedPerStep = 6.0;
  int nMapWidth = 0;  // cells, without margins
  int nMapHeight = 0;
  // Object sizes; index 0 with flight off, 1 with flight on.
  std::array<SizeRule, 2> HeroBody{};
  std::array<SizeRule, 2> HeroContact{};
  SizeRule HeroDamage{};
  SizeRule HeroContact2{};
  SizeRule HeroItemBox{};
  std::array<SizeRule, 2> CharaBody{};
  std::array<SizeRule, 2> CharaContact{};
  SizeRule CharaDamage{};
  SizeRule CharaContact2{};
  SizeRule ItemBody{};
  // Shot hit boxes: index 0 for the shots of player-controlled shooters, 1 for the others.
  std::array<SizeRule, 2> ShotBox{SizeRule{16, 16, 0}, SizeRule{16, 16, 0}};
  // The hero's box overlay, indexed by BOXPARTKIND.
  std::array<BoxOverlayRule, BOXPART_KINDS> HeroBoxOverlay{};
  // Hit times in frames.
  int nHeroInvincible = 0;
  int nHeroImmune = 30;
  int nCharaInvincible = 0;
  int nCharaImmune = 30;
  int bHitsOnScreenOnly = 1;  // only objects on screen take part in body and shot hits
  int nHitChecks = 0;         // shot tests per frame, in the steps m_HitStepMask marks; 0 every step
  int bAimOnScreenOnly = 0;
  // Switches of the project's system data.
  int bLandWhileRising = 0;
  int bScrollRelativeMove = 0;
  int bScaleFromBody = 0;
  int bPaletteAnimation = 0;
  int bThunderNoGap = 0;  // the shots of a thunder column follow each other without the spacing  // on an 8-bit display
                          // the overlay colours then hold still
  int bKeepDefeated = 0;  // the death display: a defeated character stays for its vanish effect
  int bStrictProtect = 0;
  int bTriggerEveryStep = 0;
  int bAllowKeyStepOverlap = 0;
  int bKeepNegativeMoveTime = 0;
  int bKeepTestPlayFlows = 0;

  // Derives the pace from the collision level L (N = L for L <= 10 or L >= 20, else L - 10).
  void SetCollisionLevel(int level, double gravity);
};

// One basic animation set of the AnimeSet database as the characters read it:
// per animation its frames {pattern, duration in tenths of a second}.
struct AnimeSetRecord {
  cCheckedVector<cCheckedVector<ANIMEFRAMEDATA>> vAnimes;
};

// What stage play asks of work that completes it later (sound, effects, the
// stage clear, messages). The scene's set-up installs the real one; the base
// does only what the callers' observable behaviour needs here.
class cStagePlayHooks {
 public:
  virtual ~cStagePlayHooks() = default;
  virtual void RequestSe(int /*sound*/) {}
  virtual void RequestDbSe(int /*sound*/) {}
  // The window thread plays stage tune n (0 stops the music) before this returns.
  virtual void PlayStageBgm(int /*tune*/) {}
  // The pulsing colour pair of a flash kind (1..9) from the shell's colour
  // animation; false leaves the character uncoloured.
  virtual bool FlashColor(int /*kind*/, DWORD& /*color*/, int& /*colorOp*/) { return false; }
  // The shell's play mode (4 plays a replay back), the load context of the
  // project and the orderly close of the program.
  virtual int PlayMode() const { return 0; }
  virtual const cLoadContext& LoadContext() const;
  virtual void PostClose() {}
};

class cStagePlayScene {
 public:
  cStagePlayScene();
  ~cStagePlayScene();
  cStagePlayScene(const cStagePlayScene&) = delete;
  cStagePlayScene& operator=(const cStagePlayScene&) = delete;

  int m_nState = -1;
  int m_nStep = 0;
  int m_nSavedState = 0;
  int m_nSavedStep = 0;
  int m_nEndRequest = 0;  // 0 none, 1 stage clear, 2 hero lost
  SCROLLDATA m_ScrollX{};
  SCROLLDATA m_ScrollY{};
  // Per faction, the object numbers of its characters (the hero included) in list order.
  std::array<std::vector<int>, kFactions> m_CharaByFaction{};
  EFFECTPROGRESS m_ScrEffect{};  // entry 0: no screen effect
  SCREENCOLOR m_ScreenColor{};
  PAUSEREQUEST m_PauseReq{};
  // Set by the window thread when a close request meets a modal loop: the
  // loop ends, and the scene's next frame asks for the close again.
  std::atomic<int> m_bQuit{0};
  cChara* m_pActChara = nullptr;  // only while its flows are triggered or stepped
  cRunningFlow* m_pActFlow = nullptr;
  cRunningCommand* m_pActCommand = nullptr;
  int m_bItemMsgShown = 0;
  int m_nPlayers = 1;
  int m_nLogicStep = 0;
  cCheckedVector<int> m_HitStepMask;
  int m_nTimeLeft = 999;
  int m_bNoTimeLimit = 1;
  int m_nPlayFrames = 0;
  int m_nClearTime = 0;
  int m_nCaption1 = 0;
  int m_nCaption2 = 0;
  int m_nSeed = 0;
  int m_bButtonHold = 0;
  int m_bCheckHero = 0;
  cCheckedVector<int> m_StageVar = cCheckedVector<int>(kStageVars, 0);
  cCheckedVector<BYTE> m_GroupAwake = cCheckedVector<BYTE>(kWakeGroups, 0);
  int m_nFps = 0;
  int m_nNextCharaId = 0;
  int m_nNextItemId = 0;
  int m_nNextShotId = 0;
  // Per out-of-area rule: whether any of its edges is switched on.
  std::array<int, kOutAreaRuleCount> m_bOutRule{};
  cCheckedVector<int> m_BlockToggle;
  int m_nFrame = 0;
  int m_nNextStage = 0;  // the series' next stage the stage-clear command chose; 0 none
  // The result's place in each ranking genre (-1 none) and the value ranked there.
  int m_bRanked = 0;
  std::array<int, 5> m_RankPos{0, 0, 0, 0, 0};
  std::array<int, 5> m_RankValue{0, 0, 0, 0, 0};
  std::string m_strRankName;
  int m_bRegistered = 0;
  int m_bShowStatus = 0;
  // The replay-save keys F1 and F2 as they were at the last look: they act
  // when pressed, not while held.
  int m_bReplayKeysHeld = 0;
  int m_nReplayRefusal = 0;  // frames before an empty slot's refusal sounds again
  // The program around the scene while its states run; the modal loops that
  // flow commands start inside a logic step reach it here.
  cStageShell* m_pShell = nullptr;
  // A test play started directly on a stage file: every attempt starts its totals at 0.
  int m_bTestPlayOnFile = 0;

  // The block map with a 10-cell margin on every side: cell (cx, cy) of the
  // stage is MapCellList[(cx + 10) + ((cy + 10) << m_ScrollX.nShift)].
  cCheckedVector<MAPCELL> MapCellList;
  std::deque<cPlayer> Player;  // element 0 is the hero; built in place
  std::list<cNpc> CharaList;
  cBlockCharas BlockCharas{CharaList};
  std::list<cItem> ItemList;
  // Every live shot and sword in firing order; per faction the object numbers of its shots.
  std::list<cShot> m_ShotList;
  std::array<std::vector<int>, kFactions> m_ShotByFaction{};
  // Messages, effects and pictures on screen, drawn in list order. A removed
  // one has already released its surface; its node goes at CollectRemoved.
  std::list<cMessage> m_MessageList;
  std::list<cEffect> m_EffectList;
  std::list<cPicture> m_PictureList;
  int m_nNextDisplaySerial = 0;

  cStageRules m_Rules;
  std::array<OutAreaRule, kOutAreaRuleCount> m_OutAreaRules{};
  // The AnimeSet database and the prepared animation table, as the set-up loads them.
  cCheckedVector<AnimeSetRecord> AnimeSets;
  AnimeTable AnimeFrameTable;
  int m_nStageScrollSpeedX = 0;  // the stage's automatic-scroll speeds and switches (0.1 dots per frame)
  int m_nStageScrollSpeedY = 0;
  int m_bStageAutoScrollX = 0;
  int m_bStageAutoScrollY = 0;

  // The play record that flows, the status bar and the rules read and write:
  // `PlayData` while the program runs, else one of the scene's own (tests,
  // tools). Its 256 game values, score, stage score and lives are the ones
  // saves, stage-start snapshots and the world map read.
  cSaveData& Record();
  // Adds to the score or the stage score, held to 0..999999.
  void AddScore(long long points);
  void AddStageScore(long long points);

  cStagePlayHooks& Hooks() { return *m_pHooks; }
  void SetHooks(cStagePlayHooks* hooks) { m_pHooks = hooks ? hooks : &m_DefaultHooks; }

  cPlayer& Hero() { return Player.front(); }
  bool HasHero() const { return !Player.empty(); }
  // The hero or the live character with this object number; null when gone.
  cChara* FindCharaById(int no);
  cItem* FindItemByNo(int no);
  // The live shot or sword with this object number; null when gone.
  cShot* FindShotByNo(int no);
  // Map cell access: index of column c, row r (both with the margin).
  int CellIndex(int column, int row) const { return column + (row << m_ScrollX.nShift); }
  int MapRows() const { return m_ScrollY.nCells; }
  MAPCELL& CellAt(int index) { return MapCellList.VecAt(index); }
  // Block 0 of the common palette: what a removed block leaves in its cell.
  const cBlockDef& EmptyBlock() const { return m_EmptyBlock; }
  void SetEmptyBlock(const cBlockDef& block) { m_EmptyBlock = block; }
  // Builds an empty map for the rules' width and height and the two scroll axes over it.
  void BuildEmptyMap();

  // Removal: the character leaves its faction list, its links are cut and
  // every pass and search skips it from now on; CollectRemoved frees it.
  void EraseChara(cNpc& chara);
  void EraseItem(cItem& item);
  // A new element at the end of m_ShotList, to be set up in place and then
  // filed with PushShot.
  cShot& NewShot() { return m_ShotList.emplace_back(); }
  // Files a set-up shot of m_ShotList under the faction of its settings; a
  // faction outside 0..7 is reported and filed under 0.
  void PushShot(cShot& shot);
  // The shot leaves its faction list and its target's list at once; CollectRemoved frees it.
  void EraseShot(cShot& shot);
  // Every shot aimed at the character loses its target.
  void ReleaseShotTargets(cChara& chara);
  // Empties the shot list and the shot faction lists.
  void ClearShots();
  void CollectRemoved();
  void AddToFactionList(const cChara& chara);

  // The request the modal pause loop reads; a message that waits for a
  // button (kind 1) counts the button only after 10 frames unless it continues another.
  void SetPauseRequest(int kind, int bWaitButton, int frames, int extra);
  // Adds a message set up with these settings before `before` (at the end by
  // default); it gets a serial of its own.
  cMessage& AddMessage(const MessageSettings& settings);
  cMessage& AddMessage(const MessageSettings& settings, std::list<cMessage>::iterator before);
  // The live message or picture with this serial; null when it has ended.
  cMessage* FindMessage(int serial);
  cPicture* FindPicture(int serial);
  // Every picture ends and the picture surface lists are emptied.
  void ReleasePictures();
  // Every message ends and the message-surface lists are emptied.
  void ReleaseMessageSurfaces();

 private:
  cBlockDef m_EmptyBlock = [] {
    cBlockDef empty;
    empty.m_nChip = 0;
    empty.m_nHitKind = 0;
    return empty;
  }();
  std::unordered_map<int, cShot*> m_ShotIndex;  // object number to its node in m_ShotList
  std::unique_ptr<cSaveData> m_pOwnRecord;
  cStagePlayHooks m_DefaultHooks;
  cStagePlayHooks* m_pHooks = &m_DefaultHooks;
};

// The live scene; set while the scene exists (tests set it around their stage).
extern cStagePlayScene* CurrentPlayScene;
inline cStagePlayScene& Scene() { return *CurrentPlayScene; }
