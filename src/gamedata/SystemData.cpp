#include "gamedata/SystemData.h"

#include <algorithm>
#include <vector>

#include "gamedata/FontFaceList.h"
#include "library/util/Sjis.h"
#include "library/util/Text.h"

namespace {

// The list made exactly `length` long, then `value` stored at p with every
// element from p to the second-last moved one place up (the last is lost).
template <typename T>
void InsertAt(cCheckedVector<T>& list, size_t length, size_t p, const T& value) {
  list.resize(length);
  for (size_t i = length - 1; i > p; --i) list[i] = list[i - 1];
  list[p] = value;
}

template <typename T>
void PadTo(cCheckedVector<T>& list, size_t length) {
  if (list.size() < length) list.resize(length);
}

void ReadByteList(cRecordReader& in, cCheckedVector<BYTE>& list) {
  std::uint32_t count = in.ReadCount(1, "byte list");
  list.assign(count, 0);
  if (count) in.ReadBytes(list.data(), count);
}

void ReadIntList(cRecordReader& in, cCheckedVector<int>& list) {
  std::uint32_t count = in.ReadCount(4, "int list");
  list.assign(count, 0);
  if (count) in.ReadBytes(list.data(), count * sizeof(int));
}

void ReadStringList(cRecordReader& in, cCheckedVector<std::string>& list) {
  std::uint32_t count = in.ReadCount(4, "string list");
  // Grown as read: a count the file does not hold costs nothing.
  cCheckedVector<std::string>().swap(list);
  for (std::uint32_t i = 0; i < count; ++i) list.push_back(in.ReadString());
}

void WriteByteList(cRecordWriter& out, const cCheckedVector<BYTE>& list) {
  out.WriteCount(list.size());
  if (!list.empty()) out.WriteBytes(list.data(), list.size());
}

void WriteIntList(cRecordWriter& out, const cCheckedVector<int>& list) {
  out.WriteCount(list.size());
  if (!list.empty()) out.WriteBytes(list.data(), list.size() * sizeof(int));
}

void WriteStringList(cRecordWriter& out, const cCheckedVector<std::string>& list) {
  out.WriteCount(list.size());
  for (const auto& text : list) out.WriteString(text);
}

cIniKeyData IntSetting(const char* key, int value) {
  cIniKeyData setting;
  setting.SetInt(key, value);
  return setting;
}

cMenuEntryData MenuEntry(const std::string& label) {
  cMenuEntryData entry;
  entry.m_Label = label;
  return entry;
}

// Japanese literals as CP932, converted once by the caller's static.
std::vector<std::string> SjisList(std::initializer_list<const char*> texts) {
  std::vector<std::string> converted;
  for (const char* text : texts) converted.push_back(Sjis(text));
  return converted;
}

void SetLabels(cCheckedVector<cMenuEntryData>& menu, const std::vector<std::string>& labels) {
  menu.assign(labels.size(), cMenuEntryData());
  for (size_t i = 0; i < labels.size(); ++i) menu[i].m_Label = labels[i];
}

}  // namespace

cSystemData* SystemData = nullptr;

const cSystemData& CurrentSystemData() {
  static const cSystemData defaults;
  return SystemData ? *SystemData : defaults;
}

cGaugeData::cGaugeData() { ResetFields(); }

void cGaugeData::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_bShown);
  AddField4(m_bIcon);
  AddStrField(m_Label);
  AddField4(m_nValueWidth);
  AddField4(m_bShowValue, 204);
  AddField4(m_nWarningLevel, 587);
  AddField4(m_bPercent, 587);
}

void cGaugeData::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  if (in.Version() < 204) m_bShowValue = 1;
}

cMenuEntryData::cMenuEntryData() {
  ResetFields();
  m_bShown = 1;
}

void cMenuEntryData::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_bShown);
  AddStrField(m_Label);
}

cModeRankingData::cModeRankingData() : m_Genres(RANKING_GENRE_COUNT, 0) { ResetFields(); }

void cModeRankingData::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_bRankingOn);
}

void cModeRankingData::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  ReadByteList(in, m_Genres);
}

void cModeRankingData::Save(cRecordWriter& out, const cLoadContext& ctx) {
  cDataRecord::Save(out, ctx);
  WriteByteList(out, m_Genres);
}

cIniKeyData::cIniKeyData() { ResetFields(); }

void cIniKeyData::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddField4(m_nKind);
  AddStrField(m_Key);
  AddField4(m_nValue);
  AddStrField(m_Text);
}

void cIniKeyData::SetInt(const std::string& key, int value) {
  m_nKind = SETTINGKIND_INT;
  m_Key = key;
  m_nValue = value;
}

void cIniKeyData::SetText(const std::string& key, const std::string& text) {
  m_nKind = SETTINGKIND_TEXT;
  m_Key = key;
  m_Text = text;
}

cSystemData::cSystemData() { SetDefault(); }

void cSystemData::RegisterFields(int nVersion) {
  ClearFields(nVersion);
  AddStrField(m_GameTitle);
  AddField4(m_bExtraLife, 185);
  AddField4(m_nExtraLifeStep);
  AddField4(m_bPauseBackdrop);
  AddField4(m_bFontSwitchA);
  AddField4(m_nFontIndex, 205);
  AddField4(m_bFontSwitchB, 170);
  AddField4(m_bKeepMarkedFlows, 113);
  AddField4(m_bReplayRecording, 184);
  AddField4(m_bTitleGraphic, 157);
  AddField4(m_bLifeCarry);
  AddField4(m_bContinueMenu, 191);
  AddField4(m_bWorldMapLives, 191);
  AddField4(m_nChallengeCount);
  AddField4(m_bAllChallenges);
  AddField4(m_bStorySwitch[0], 167);
  AddField4(m_bStorySwitch[1], 167);
  AddField4(m_bStorySwitch[2], 188);
  AddField4(m_bStorySwitch[3], 224);
  AddField4(m_bChallengeSwitch[0], 167);
  AddField4(m_bChallengeSwitch[1], 167);
  AddField4(m_bChallengeSwitch[2], 188);
  AddField4(m_bChallengeSwitch[3], 224);
  AddField4(m_bFreeRestore, 188);
  AddField4(m_bTestRestore, 192);
  AddField4(m_nTransmitMode, 187);
  AddField1(m_byTransmitRed, 187);
  AddField1(m_byTransmitGreen, 187);
  AddField1(m_byTransmitBlue, 187);
  AddField4(m_nCompat[0], 214);
  // Versions 221 to 259 stored one more int here that nothing reads.
  if (nVersion >= 221) AddScratch4(1, 260);
  static constexpr int kFrom[COMPAT_SWITCH_COUNT] = {214, 261, 272, 287, 515, 289, 525, 555,
                                                     637, 669, 677, 695, 696, 670, 670};
  for (int i = 1; i < COMPAT_SWITCH_COUNT; ++i) AddField4(m_nCompat[i], kFrom[i]);
}

void cSystemData::SetDefault() {
  ResetFields();
  m_nExtraLifeStep = 100;
  m_bPauseBackdrop = 1;
  m_bFontSwitchA = 0;
  m_nFontIndex = DEFAULT_FONT_INDEX;
  m_bReplayRecording = 1;
  m_bTitleGraphic = 1;
  m_bStorySwitch[2] = m_bStorySwitch[3] = 1;
  m_bChallengeSwitch[2] = m_bChallengeSwitch[3] = 1;
  m_bFreeRestore = 1;
  m_nCompat[4] = 16;

  static constexpr BYTE kCarry[CARRY_ITEM_COUNT] = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                    1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 0, 0};
  m_CarryFlags.assign(std::begin(kCarry), std::end(kCarry));
  m_DropOnMissFlags.assign(CARRY_ITEM_COUNT, 0);
  m_DropOnMissFlags[11] = m_DropOnMissFlags[12] = 1;

  m_StatusItems.assign(STATUS_ITEM_COUNT, cGaugeData());
  static const std::string score = Sjis("スコア"), person = Sjis("人");
  const std::string labels[STATUS_ITEM_COUNT] = {score, score, "HP", "SP", person};
  static constexpr int kValueWidth[STATUS_ITEM_COUNT] = {4, 3, 0, 0, 2};
  for (int i = 0; i < STATUS_ITEM_COUNT; ++i) {
    m_StatusItems[i].m_bShown = 1;
    m_StatusItems[i].m_bIcon = 1;
    m_StatusItems[i].m_nValueWidth = kValueWidth[i];
    m_StatusItems[i].m_Label = labels[i];
  }

  m_ModeRankings.assign(GAME_MODE_COUNT, cModeRankingData());
  for (int mode = 0; mode < 3; ++mode) {
    m_ModeRankings[mode].m_bRankingOn = 1;
    m_ModeRankings[mode].m_Genres.assign(RANKING_GENRE_COUNT, 1);
  }

  static const auto titleMenu =
      SjisList({"はじめから", "つづきから", "チャレンジ", "フリー", "リプレイ", "オプション", "しゅうりょう"});
  static const auto saveMenu = SjisList({"セーブ", "オートセーブ", "もどる", "タイトルへ"});
  static const auto optionMenu = SjisList({"BGM", "SE", "ランキング登録", "ランキング登録名", "もどる", ""});
  SetLabels(m_TitleMenu, titleMenu);
  SetLabels(m_SaveMenu, saveMenu);
  SetLabels(m_OptionMenu, optionMenu);
  static const auto rankingModes = SjisList(
      {"手動登録（登録名入力）", "手動登録（登録名固定）", "自動登録（登録名入力）", "自動登録（登録名固定）"});
  m_RankingModeNames.assign(rankingModes.begin(), rankingModes.end());

  m_bLifeCarry = 1;
  m_bContinueMenu = 1;
  m_bWorldMapLives = 1;
  m_nChallengeCount = 40;
  m_bAllChallenges = 1;
  m_InitialLives = {5, 5, 5, 99};
  m_UnlimitedLives = {1, 1, 1, 1};
  m_bStorySwitch[0] = m_bStorySwitch[1] = 1;
  m_bChallengeSwitch[0] = m_bChallengeSwitch[1] = 1;

  static const auto uiTexts = SjisList({"ワールド",
                                        "ステージ",
                                        "スコア",
                                        "ハイスコア",
                                        "トータルスコア",
                                        "スコア",
                                        "残り時間",
                                        "クリア時間",
                                        "残りHP",
                                        "残りSP",
                                        "ステージに挑む",
                                        "やっぱりやめる",
                                        "セーブする",
                                        "やっぱりやめる",
                                        "オートセーブＯＮ",
                                        "オートセーブＯＦＦ",
                                        "保存先が不明です！一度は「セーブ」して下さい！",
                                        "タイトルへ戻る",
                                        "やっぱりやめる",
                                        "しゅうりょう",
                                        "つづける",
                                        "リトライ",
                                        "リトライ",
                                        "マップへ戻る",
                                        "Vキーでジャンルの切り替え",
                                        "スペースキーでタイトルへ戻る",
                                        "スペースキーで終了",
                                        "F3キーでランキングへ登録"});
  m_UiTexts.assign(uiTexts.begin(), uiTexts.end());

  m_SystemSounds.assign(SYSTEM_SOUND_COUNT, std::string());
  m_FrontBgm.assign(FRONT_BGM_COUNT, 0);
  m_FrontBgmLoop.assign(FRONT_BGM_COUNT, 1);

  m_IniKeys.assign(INI_KEY_COUNT, cIniKeyData());
  static constexpr std::pair<const char*, int> kIniDefaults[INI_KEY_COUNT] = {
      {"Direct3D", 2},     {"WindowMode", 0},      {"Bpp", 0},     {"VSync", 2},     {"D3D_FontCache", 0},
      {"DD_FontCache", 1}, {"DD_VideoStretch", 0}, {"ShowFps", 1}, {"FreeStage", 0}, {"English", 0}};
  for (int i = 0; i < INI_KEY_COUNT; ++i) {
    if (i == 8)
      m_IniKeys[i].SetText(kIniDefaults[i].first, "");
    else
      m_IniKeys[i].SetInt(kIniDefaults[i].first, kIniDefaults[i].second);
  }

  m_nCompat[13] = 0;
  m_nCompat[14] = 2;
}

void cSystemData::Load(cRecordReader& in, const cLoadContext& ctx) {
  cDataRecord::Load(in, ctx);
  int version = in.Version();
  ReadByteList(in, m_CarryFlags);
  if (version >= 501) ReadByteList(in, m_DropOnMissFlags);
  LoadRecordList(in, ctx, m_StatusItems, cGaugeData(), kMinRecordBodyBytes, "status item");
  ReadIntList(in, m_InitialLives);
  if (version >= 191) ReadIntList(in, m_UnlimitedLives);
  if (version >= 186)
    LoadRecordList(in, ctx, m_ModeRankings, cModeRankingData(), kMinRecordBodyBytes + 4, "mode ranking");
  ReadStringList(in, m_UiTexts);
  ReadStringList(in, m_SystemSounds);
  ReadIntList(in, m_FrontBgm);
  if (version >= 202) ReadByteList(in, m_FrontBgmLoop);
  LoadRecordList(in, ctx, m_TitleMenu, cMenuEntryData(), kMinRecordBodyBytes, "title menu entry");
  LoadRecordList(in, ctx, m_SaveMenu, cMenuEntryData(), kMinRecordBodyBytes, "save menu entry");
  LoadRecordList(in, ctx, m_OptionMenu, cMenuEntryData(), kMinRecordBodyBytes, "options menu entry");
  if (version >= 674) ReadStringList(in, m_RankingModeNames);
  LoadRecordList(in, ctx, m_IniKeys, cIniKeyData(), kMinRecordBodyBytes, "start-up setting");
  if (version < 696) MigrateOldFile(version);
  PadLists();
  ClampBgmIndices(ctx.db.nBgm);
}

void cSystemData::MigrateOldFile(int version) {
  if (version < 113) m_bKeepMarkedFlows = 0;
  if (version < 157) m_bTitleGraphic = 0;
  if (version < 167) m_bStorySwitch[0] = m_bStorySwitch[1] = m_bChallengeSwitch[0] = m_bChallengeSwitch[1] = 1;
  if (version < 168) InsertAt<BYTE>(m_CarryFlags, CARRY_ITEM_COUNT, 16, 1);
  if (version < 169) {
    static const std::string autoSave = Sjis("オートセーブ");
    InsertAt(m_SaveMenu, SAVE_MENU_COUNT, 1, MenuEntry(autoSave));
    static const auto texts =
        SjisList({"保存先が不明です！一度は「セーブ」して下さい！", "オートセーブＯＦＦ", "オートセーブＯＮ"});
    for (const auto& text : texts) InsertAt(m_UiTexts, UI_TEXT_COUNT, 12, text);
  }
  if (version < 170) m_bFontSwitchB = 0;
  if (version < 181) {
    PadTo(m_ModeRankings, GAME_MODE_COUNT);
    for (int mode = 0; mode < GAME_MODE_COUNT; ++mode) {
      auto& genres = m_ModeRankings[mode].m_Genres;
      genres.resize(RANKING_GENRE_COUNT, 0);
      genres[3] = genres[4] = 0;
    }
    static const auto texts = SjisList({"残りHP", "残りSP"});
    InsertAt(m_UiTexts, UI_TEXT_COUNT, 8, texts[0]);
    InsertAt(m_UiTexts, UI_TEXT_COUNT, 9, texts[1]);
  }
  if (version < 184) m_bReplayRecording = 1;
  if (version < 185) m_bExtraLife = 1;
  if (version < 187) {
    m_nTransmitMode = 0;
    m_byTransmitRed = 0;
    m_byTransmitGreen = 177;
    m_byTransmitBlue = 0;
  }
  if (version < 188) m_bStorySwitch[2] = m_bChallengeSwitch[2] = m_bFreeRestore = 1;
  if (version < 191) {
    m_UnlimitedLives = {0, 0, 0, 1};
    m_bContinueMenu = 0;
    m_bWorldMapLives = 0;
  }
  if (version < 192) m_bTestRestore = 1;
  if (version < 193) {
    static const auto texts = SjisList({"リトライ", "マップへ戻る"});
    InsertAt(m_UiTexts, UI_TEXT_COUNT, 22, texts[0]);
    InsertAt(m_UiTexts, UI_TEXT_COUNT, 23, texts[1]);
  }
  if (version < 201) InsertAt<BYTE>(m_CarryFlags, CARRY_ITEM_COUNT, 14, 0);
  if (version < 202) m_FrontBgmLoop.assign(FRONT_BGM_COUNT, 1);
  if (version < 205) m_nFontIndex = DEFAULT_FONT_INDEX;
  if (version < 210) InsertAt<BYTE>(m_CarryFlags, CARRY_ITEM_COUNT, 9, 0);
  if (version < 214) m_nCompat[0] = 1;
  if (version < 224) m_bStorySwitch[3] = m_bChallengeSwitch[3] = 0;
  if (version < 261) m_nCompat[1] = 1;
  if (version < 272) m_nCompat[2] = 0;
  if (version < 286) {
    InsertAt(m_IniKeys, INI_KEY_COUNT, 0, IntSetting("Direct3D", 1));
    if (m_IniKeys[3].m_nValue >= 3) m_IniKeys[3].m_nValue = 2;
  }
  if (version < 287) m_nCompat[3] = 0;
  if (version < 289) m_nCompat[5] = m_nTransmitMode == 0 ? 1 : 0;
  if (version < 501) m_DropOnMissFlags.assign(CARRY_ITEM_COUNT, 0);
  if (version < 515) m_nCompat[4] = 16;
  if (version < 525) m_nCompat[6] = 1;
  if (version < 555) m_nCompat[7] = 1;
  if (version < 567) InsertAt(m_IniKeys, INI_KEY_COUNT, 4, IntSetting("DD_VideoStretch", 0));
  if (version < 568) {
    InsertAt(m_IniKeys, INI_KEY_COUNT, 4, IntSetting("D3D_FontCache", 0));
    InsertAt(m_IniKeys, INI_KEY_COUNT, 5, IntSetting("DD_FontCache", 1));
  }
  if (version < 587) {
    m_StatusItems.resize(STATUS_ITEM_COUNT);
    for (int item : {2, 3}) {
      m_StatusItems[item].m_nWarningLevel = 33;
      m_StatusItems[item].m_bPercent = 1;
    }
  }
  if (version < 637) m_nCompat[8] = version <= 616 ? 1 : 0;
  if (version < 669) m_nCompat[9] = 1;
  if (version < 670) {
    m_nCompat[13] = 0;
    m_nCompat[14] = 2;
  }
  if (version < 672) {
    m_IniKeys.resize(INI_KEY_COUNT);
    m_IniKeys[9] = IntSetting("English", 0);
  }
  if (version < 677) m_nCompat[10] = 1;
  if (version < 695) m_nCompat[11] = 1;
  if (version < 696) m_nCompat[12] = 1;
}

// Lists shorter than the program indexes them are padded with new elements;
// the font index is kept inside the face list, the challenge count within
// what a save can hold.
void cSystemData::PadLists() {
  PadTo(m_CarryFlags, CARRY_ITEM_COUNT);
  PadTo(m_DropOnMissFlags, CARRY_ITEM_COUNT);
  PadTo(m_StatusItems, STATUS_ITEM_COUNT);
  PadTo(m_InitialLives, GAME_MODE_COUNT);
  PadTo(m_UnlimitedLives, GAME_MODE_COUNT);
  PadTo(m_ModeRankings, GAME_MODE_COUNT);
  for (auto& mode : m_ModeRankings) PadTo(mode.m_Genres, RANKING_GENRE_COUNT);
  PadTo(m_TitleMenu, TITLE_MENU_COUNT);
  PadTo(m_SaveMenu, SAVE_MENU_COUNT);
  PadTo(m_OptionMenu, OPTION_MENU_COUNT);
  PadTo(m_RankingModeNames, RANKING_MODE_COUNT);
  PadTo(m_UiTexts, UI_TEXT_COUNT);
  PadTo(m_SystemSounds, SYSTEM_SOUND_COUNT);
  PadTo(m_FrontBgm, FRONT_BGM_COUNT);
  PadTo(m_FrontBgmLoop, FRONT_BGM_COUNT);
  PadTo(m_IniKeys, INI_KEY_COUNT);
  m_nFontIndex = std::clamp(m_nFontIndex, 0, FONT_FACE_COUNT - 1);
  m_nChallengeCount = std::clamp(m_nChallengeCount, 0, MAX_CHALLENGE_COUNT);
}

void cSystemData::Save(cRecordWriter& out, const cLoadContext& ctx) {
  ClampBgmIndices(ctx.db.nBgm);
  cDataRecord::Save(out, ctx);
  WriteByteList(out, m_CarryFlags);
  WriteByteList(out, m_DropOnMissFlags);
  SaveRecordList(out, ctx, m_StatusItems);
  WriteIntList(out, m_InitialLives);
  WriteIntList(out, m_UnlimitedLives);
  SaveRecordList(out, ctx, m_ModeRankings);
  WriteStringList(out, m_UiTexts);
  WriteStringList(out, m_SystemSounds);
  WriteIntList(out, m_FrontBgm);
  WriteByteList(out, m_FrontBgmLoop);
  SaveRecordList(out, ctx, m_TitleMenu);
  SaveRecordList(out, ctx, m_SaveMenu);
  SaveRecordList(out, ctx, m_OptionMenu);
  WriteStringList(out, m_RankingModeNames);
  SaveRecordList(out, ctx, m_IniKeys);
}

void cSystemData::ClampBgmIndices(int bgmCount) {
  // A negative index names no entry either.
  for (int& bgm : m_FrontBgm)
    if (bgm < 0 || bgm >= bgmCount) bgm = 0;
}

int cSystemData::CountRankingGenres(int mode) const {
  const cModeRankingData& rankings = m_ModeRankings.VecAt(mode);
  if (!rankings.m_bRankingOn) return 0;
  return static_cast<int>(std::count_if(rankings.m_Genres.begin(), rankings.m_Genres.end(), [](BYTE b) { return b; }));
}

int cSystemData::IsGaugeLow(int item, int value, int maximum) const {
  const cGaugeData& gauge = m_StatusItems.VecAt(item);
  if (!gauge.m_bPercent) return gauge.m_nWarningLevel >= value ? 1 : 0;
  // In doubles, as the share is meant: a maximum of 0 divides without a trap.
  return gauge.m_nWarningLevel >= value * 100.0 / maximum ? 1 : 0;
}

int cSystemData::GetMenuTextLeft(int centreX, int first, int count, int cursorColumn) const {
  int longest = 0;
  for (int i = first; i < first + count; ++i) longest = std::max(longest, CountSjisChars(m_UiTexts.VecAt(i).c_str()));
  if (cursorColumn) ++longest;
  return centreX - (longest * 16) / 2;
}
