#pragma once
// The project's game-wide settings: title, lives and carried status, menus and
// texts, the status line, front-end music and system sounds, the defaults of
// the start-up settings, and the compatibility switches of older projects.
#include <string>

#include "platform/WinTypes.h"
#include "records/DataRecord.h"

// One item of the in-play status line.
class cGaugeData : public cDataRecord {
 public:
  cGaugeData();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;

  int m_bShown = 0;
  int m_bIcon = 0;
  std::string m_Label;
  int m_bShowValue = 0;
  int m_nValueWidth = 0;  // 16-pixel cells
  int m_nWarningLevel = 0;
  int m_bPercent = 0;
};

class cMenuEntryData : public cDataRecord {
 public:
  cMenuEntryData();
  void RegisterFields(int nVersion) override;

  int m_bShown = 1;
  std::string m_Label;
};

constexpr int RANKING_GENRE_COUNT = 5;

// The ranking switches of one game mode: one genre byte per ranking genre.
class cModeRankingData : public cDataRecord {
 public:
  cModeRankingData();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;

  int m_bRankingOn = 0;
  cCheckedVector<BYTE> m_Genres;
};

enum SettingKind : int { SETTINGKIND_INT = 0, SETTINGKIND_TEXT = 1 };

// The default of one "System.ini" key.
class cIniKeyData : public cDataRecord {
 public:
  cIniKeyData();
  void RegisterFields(int nVersion) override;
  void SetInt(const std::string& key, int value);
  void SetText(const std::string& key, const std::string& text);

  int m_nKind = SETTINGKIND_INT;
  std::string m_Key;
  int m_nValue = 0;
  std::string m_Text;
};

// List lengths the program indexes.
constexpr int CARRY_ITEM_COUNT = 25;
constexpr int STATUS_ITEM_COUNT = 5;
constexpr int GAME_MODE_COUNT = 4;
constexpr int TITLE_MENU_COUNT = 7;
constexpr int SAVE_MENU_COUNT = 4;
constexpr int OPTION_MENU_COUNT = 6;
constexpr int RANKING_MODE_COUNT = 4;
constexpr int UI_TEXT_COUNT = 28;
constexpr int SYSTEM_SOUND_COUNT = 17;
constexpr int FRONT_BGM_COUNT = 4;
constexpr int INI_KEY_COUNT = 10;
constexpr int COMPAT_SWITCH_COUNT = 15;
constexpr int UNLIMITED_LIVES = 999999;
// Challenge stages a project may have: every save holds one record per stage.
constexpr int MAX_CHALLENGE_COUNT = 999;

class cSystemData : public cDataRecord {
 public:
  cSystemData();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();

  // 0 when the mode's rankings are off, else the genres it ranks.
  int CountRankingGenres(int mode) const;
  int IsGaugeLow(int item, int value, int maximum) const;
  // The left edge that centres the UI texts first .. first + count - 1.
  int GetMenuTextLeft(int centreX, int first, int count, int cursorColumn) const;
  // Front-end music beyond the Bgm database becomes 0 (no music).
  void ClampBgmIndices(int bgmCount);

  std::string m_GameTitle;
  cCheckedVector<BYTE> m_CarryFlags;
  cCheckedVector<BYTE> m_DropOnMissFlags;
  int m_bExtraLife = 0;
  int m_nExtraLifeStep = 0;
  int m_bPauseBackdrop = 0;
  int m_bFontSwitchA = 0;
  int m_nFontIndex = 0;
  int m_bFontSwitchB = 0;
  int m_bReplayRecording = 0;
  int m_bKeepMarkedFlows = 0;
  cCheckedVector<cGaugeData> m_StatusItems;
  int m_bTitleGraphic = 0;
  cCheckedVector<cMenuEntryData> m_TitleMenu;
  cCheckedVector<cMenuEntryData> m_SaveMenu;
  cCheckedVector<cMenuEntryData> m_OptionMenu;
  cCheckedVector<std::string> m_RankingModeNames;
  int m_bLifeCarry = 0;
  int m_bContinueMenu = 0;
  int m_bWorldMapLives = 0;
  int m_nChallengeCount = 0;
  int m_bAllChallenges = 0;
  cCheckedVector<int> m_InitialLives;
  cCheckedVector<int> m_UnlimitedLives;
  cCheckedVector<cModeRankingData> m_ModeRankings;
  int m_bStorySwitch[4] = {};
  int m_bChallengeSwitch[4] = {};
  int m_bFreeRestore = 0;
  int m_bTestRestore = 0;
  int m_nTransmitMode = 0;
  BYTE m_byTransmitRed = 0;
  BYTE m_byTransmitGreen = 0;
  BYTE m_byTransmitBlue = 0;
  cCheckedVector<std::string> m_SystemSounds;
  cCheckedVector<int> m_FrontBgm;
  cCheckedVector<BYTE> m_FrontBgmLoop;
  cCheckedVector<std::string> m_UiTexts;
  cCheckedVector<cIniKeyData> m_IniKeys;
  int m_nCompat[COMPAT_SWITCH_COUNT] = {};

 private:
  void MigrateOldFile(int version);
  void PadLists();
};

// The project's system data, set by the application shell at start-up.
extern cSystemData* SystemData;
// SystemData, or the defaults where none is set (tools, tests).
const cSystemData& CurrentSystemData();
