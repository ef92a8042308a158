#pragma once
// The record of one game in progress (`PlayData`), which is also the content
// of a story save slot and of the challenge save.
#include <string>
#include <string_view>

#include "platform/WinTypes.h"
#include "records/CharaDef.h"
#include "records/DataRecord.h"

class cWorld;
class cWorldStage;
class cStageData;

// The player's live values a clear carries besides its character definition.
struct CarryLiveValues {
  int nHp = 0;
  int nSp = 0;
  std::int16_t nCharaEffect = 0;  // the running chara effect, its mode and parameter
  std::int8_t nCharaEffectMode = 0;
  std::int8_t nCharaEffectParam = 0;
  int nTimeLeft = 0;
  int nLives = 0;
  int nBgm = 0;
};

// A local time stamp, eight 16-bit values as saves store it.
struct SYSTEMTIME {
  WORD wYear = 0;
  WORD wMonth = 0;
  WORD wDayOfWeek = 0;
  WORD wDay = 0;
  WORD wHour = 0;
  WORD wMinute = 0;
  WORD wSecond = 0;
  WORD wMilliseconds = 0;
};
static_assert(sizeof(SYSTEMTIME) == 16);

// The hero status carried from stage to stage, per player.
class cHeroStatus : public cDataRecord {
 public:
  cHeroStatus();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;

  cCharaDef Chara;
  int nHpCarry = 0;
  int nSpCarry = 0;
  int nTimeCarry = 0;
  int nLifeCarry = 0;
  int nBgmCarry = 0;
};

class cStageScore : public cDataRecord {
 public:
  cStageScore();
  void RegisterFields(int nVersion) override;

  std::string m_StageName;  // stage base name
  int m_nScore = 0;
};

class cClearRecord : public cDataRecord {
 public:
  cClearRecord();
  void RegisterFields(int nVersion) override;

  int bCleared = 0;
  int nBest = 0;
};

constexpr int SWITCH_COUNT = 1000;
constexpr int STORY_SLOT_COUNT = 99;
constexpr int GAME_VALUE_COUNT = 256;

class cSaveData : public cDataRecord {
 public:
  cSaveData();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;

  void ResetPlaySession();
  void NormalizeSaveData();
  void SetStageFileName(const char* name);
  void UpdateStageScore(const std::string& name, int score);
  int GetStageScore(const std::string& name) const;
  void CalcTotalScore();
  // The score and the four totals of the results back to 0.
  void ClearPlayTotals();
  void StoreStageStartState();
  // full 1: a restart; 0: after a lost life, where the game mode's switch (or
  // the test switch in a free-stage start) decides whether the values return.
  int RestoreStageStartState(int full, int gameMode, bool freeStageStart);
  // The hero status items whose carry flag is on, stored at a clear from the
  // player's live definition and values, and restored at the next stage's set-up.
  void StoreHeroStatus(int player, const cCharaDef& chara, const CarryLiveValues& live);
  void RestoreHeroStatus(int player, cCharaDef& chara, cStageData& stage);
  void RestoreHeroExtra(int player, int& hp, int& sp);
  void ResetCarryOnMiss();
  void EnterNextRound();
  void SelectRankingGenre(int mode, int step);

  // Story slots 0..98 and the challenge save; 1 on success. A slot loads into a
  // scratch record first, so a failed load leaves the play untouched. A failed
  // story save leaves the slot's old file and list entry as they were and gives
  // the reason as an errno value.
  int SaveStory(int slot, const cLoadContext& ctx, int* error = nullptr);
  int LoadStory(int slot, const cLoadContext& ctx);
  int LoadChallenge(const cLoadContext& ctx);
  int SaveChallenge(const cLoadContext& ctx);

  int bHeroCarried = 0;
  cCheckedVector<int> CarrySwitch;
  cCheckedVector<cHeroStatus> HeroStatus;
  int nMapX = 0;
  int nMapY = 0;
  const cWorldStage* lpWorldStage = nullptr;
  cCheckedVector<int> Switch;
  int nLap = 0;
  cCheckedVector<int> GameValue;
  std::string StageName;
  int nStageNo = 0;
  int nSeriesNo = 0;
  int nEntryLife = 0;
  int nLife = 0;
  int nStageScore = 0;
  int nScore = 0;
  int nBestTotal = 0;
  int nTimeLeftTotal = 0;
  int nClearTimeTotal = 0;
  int nHpLeftTotal = 0;
  int nSpLeftTotal = 0;
  int bSeriesStart = 0;
  int nBgmNo = 0;
  int nBgmParam = 0;
  // The world map's figure facing (0 down, 1 up, 2 left, 3 right); a stage
  // clear that moves the figure elsewhere on the map turns it to face down.
  int nStageCursor = 0;
  int bReenter = 0;
  int nReturnX = 0;
  int nReturnY = 0;
  cCheckedVector<cStageScore> StageScore;
  int nChallengeOpen = 0;
  cCheckedVector<cClearRecord> ClearList;
  cCheckedVector<int> StartValue;
  int nStartLife = 0;
  int nStartScore = 0;
  int nSaveSlot = -1;
  int bAutoSave = 0;
  SYSTEMTIME SaveTime;
  std::string RankName;
  int bShowRanking = 0;
  int nRankGenre = 0;
  int bStartPos = 0;
  int nStartX = 0;
  int nStartY = 0;
  int nStartDir = 0;

 private:
  void MigrateOldFile(int version);
  void AdoptLoadedLives(int mode);
  bool IsCarried(int item) const;
  // The 4-byte place of the world-stage reference in the file; always written 0.
  int m_nWorldStageSlot = 0;
};

extern cSaveData* PlayData;
extern cSaveData* PlayDataAtStart;
extern cSaveData* PlayDataAtStartPrev;

bool IsStageOnWorldMap(const std::string& baseName);
// A world's current entry: its first stage entry whose switch, game-value and
// best-total conditions hold for the play; null when none does.
const cWorldStage* FindCurrentStage(const cWorld& world, const cSaveData& play);
