// The system data: the default file byte for byte from the layout tables, the
// migration of old files step by step, and the small queries.
#include <gtest/gtest.h>

#include <climits>

#include "GameDataTestSupport.h"
#include "gamedata/SystemData.h"
#include "library/util/Text.h"

using namespace gamedatatest;

namespace {

std::vector<std::string> Texts(std::initializer_list<const char*> utf8) {
  std::vector<std::string> out;
  for (const char* text : utf8) out.push_back(Sjis(text));
  return out;
}

const std::vector<std::string>& DefaultUiTexts() {
  static const auto texts = Texts({"ワールド",
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
  return texts;
}

void Menu(ByteBuilder& b, const std::vector<std::string>& labels) {
  b.U32(labels.size());
  for (const auto& label : labels) b.U32(1).I32(1).U32(1).Str(label);
}

TEST(SystemDataGolden, DefaultFile) {
  ByteBuilder b;
  b.I32(696).U32(43);
  for (int v : {0, 100, 1, 0, 60, 0, 0, 1, 1, 1, 1, 1, 40, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0}) b.I32(v);
  b.U8(0).U8(0).U8(0);
  for (int v : {0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}) b.I32(v);
  b.U32(1).Str("");
  b.U32(25);
  for (int v : {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 0, 0}) b.U8(v);
  b.U32(25);
  for (int i = 0; i < 25; ++i) b.U8(i == 11 || i == 12);
  b.U32(5);
  const std::pair<int, std::string> items[] = {
      {4, Sjis("スコア")}, {3, Sjis("スコア")}, {0, "HP"}, {0, "SP"}, {2, Sjis("人")}};
  for (const auto& [width, label] : items) b.U32(6).I32(1).I32(1).I32(width).I32(0).I32(0).I32(0).U32(1).Str(label);
  b.U32(4).I32(5).I32(5).I32(5).I32(99);
  b.U32(4).I32(1).I32(1).I32(1).I32(1);
  b.U32(4);
  for (int mode = 0; mode < 4; ++mode) {
    b.U32(1).I32(mode < 3).U32(0).U32(5);
    for (int g = 0; g < 5; ++g) b.U8(mode < 3);
  }
  b.U32(28);
  for (const auto& text : DefaultUiTexts()) b.Str(text);
  b.U32(17);
  for (int i = 0; i < 17; ++i) b.Str("");
  b.U32(4).I32(0).I32(0).I32(0).I32(0);
  b.U32(4).U8(1).U8(1).U8(1).U8(1);
  Menu(b, Texts({"はじめから", "つづきから", "チャレンジ", "フリー", "リプレイ", "オプション", "しゅうりょう"}));
  Menu(b, Texts({"セーブ", "オートセーブ", "もどる", "タイトルへ"}));
  Menu(b, Texts({"BGM", "SE", "ランキング登録", "ランキング登録名", "もどる", ""}));
  b.U32(4);
  for (const auto& name :
       Texts({"手動登録（登録名入力）", "手動登録（登録名固定）", "自動登録（登録名入力）", "自動登録（登録名固定）"}))
    b.Str(name);
  b.U32(10);
  const std::pair<const char*, int> keys[] = {
      {"Direct3D", 2},     {"WindowMode", 0},      {"Bpp", 0},     {"VSync", 2},     {"D3D_FontCache", 0},
      {"DD_FontCache", 1}, {"DD_VideoStretch", 0}, {"ShowFps", 1}, {"FreeStage", 0}, {"English", 0}};
  for (const auto& [key, value] : keys)
    b.U32(2).I32(std::string_view(key) == "FreeStage").I32(value).U32(2).Str(key).Str("");

  cSystemData system;
  EXPECT_EQ(SavedRecord(system), b.Get());
  cSystemData loaded;
  ASSERT_TRUE(LoadRecord(loaded, b.Get()));
  EXPECT_EQ(SavedRecord(loaded), b.Get());
}

// The numeric fields of the system data's record body in registration order:
// the first version that stores each, and the last plus one where one was dropped.
struct SystemField {
  int from = 0;
  int size = 4;
  int below = INT_MAX;
  bool compat9 = false;
  bool StoredIn(int version) const { return version >= from && version < below; }
};
const SystemField kSystemFields[] = {
    {185},
    {},
    {},
    {},
    {205},
    {170},
    {113},
    {184},
    {157},
    {},
    {191},
    {191},
    {},
    {},  // 1-14
    {167},
    {167},
    {188},
    {224},
    {167},
    {167},
    {188},
    {224},
    {188},
    {192},
    {187},  // 15-25
    {187, 1},
    {187, 1},
    {187, 1},  // 26-28: transmit colour
    {214},
    {221, 4, 260},
    {261},
    {272},
    {287},
    {515},
    {289},
    {525},
    {555},  // 29-37
    {637, 4, INT_MAX, true},
    {669},
    {677},
    {695},
    {696},
    {670},
    {670},  // 38-44
};

// An old System.dat written from the layout of its version.
struct OldSystemFile {
  int version;
  std::vector<BYTE> carry;
  std::vector<std::string> uiTexts;
  std::vector<std::string> saveMenu;
  std::vector<std::pair<std::string, int>> iniKeys;
  int compat9 = 5;
  int frontBgm = 0;

  Bytes Build() const {
    std::uint32_t count = 0;
    for (const SystemField& field : kSystemFields) count += field.StoredIn(version);
    ByteBuilder b;
    b.I32(version).U32(count);
    for (const SystemField& field : kSystemFields) {
      if (!field.StoredIn(version)) continue;
      int value = field.compat9 ? compat9 : 0;
      field.size == 1 ? b.U8(value) : b.I32(value);
    }
    b.U32(1).Str("old");
    b.U32(carry.size());
    for (BYTE flag : carry) b.U8(flag);
    if (version >= 501) b.U32(25).Append(Bytes(25, 0));
    b.U32(0);  // status items
    b.U32(4).I32(3).I32(3).I32(3).I32(3);
    if (version >= 191) b.U32(0);
    if (version >= 186) b.U32(0);
    b.U32(uiTexts.size());
    for (const auto& text : uiTexts) b.Str(text);
    b.U32(0);  // system sounds
    b.U32(4).I32(frontBgm).I32(0).I32(0).I32(0);
    if (version >= 202) b.U32(0);
    b.U32(0);
    b.U32(saveMenu.size());
    for (const auto& label : saveMenu) b.U32(1).I32(1).U32(1).Str(label);
    b.U32(0);
    if (version >= 674) b.U32(0);
    b.U32(iniKeys.size());
    for (const auto& [key, value] : iniKeys) b.U32(2).I32(0).I32(value).U32(2).Str(key).Str("");
    return b.Get();
  }
};

std::vector<std::string> Numbered(int count) {
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) texts.push_back("t" + std::to_string(i));
  return texts;
}

TEST(SystemDataMigration, CarryFlagsOfVersion167) {
  OldSystemFile file{167, {}, Numbered(28), {}, {}};
  for (int i = 0; i < 20; ++i) file.carry.push_back(static_cast<BYTE>(i + 10));
  cSystemData system;
  ASSERT_TRUE(LoadRecord(system, file.Build()));
  std::vector<BYTE> expected;
  for (int i = 0; i <= 8; ++i) expected.push_back(i + 10);
  expected.push_back(0);
  for (int i = 9; i <= 13; ++i) expected.push_back(i + 10);
  expected.push_back(0);
  expected.push_back(24);
  expected.push_back(25);
  expected.push_back(1);
  for (int i = 16; i <= 19; ++i) expected.push_back(i + 10);
  expected.push_back(0);
  expected.push_back(0);
  EXPECT_EQ(std::vector<BYTE>(system.m_CarryFlags.begin(), system.m_CarryFlags.end()), expected);
  EXPECT_EQ(system.m_UnlimitedLives, (cCheckedVector<int>{0, 0, 0, 1}));
  EXPECT_EQ(system.m_nCompat[8], 1);
  EXPECT_EQ(system.m_nFontIndex, 60);
}

TEST(SystemDataMigration, UiTextsOfVersion180AndSaveMenuOf168) {
  OldSystemFile file{180, std::vector<BYTE>(25, 0), Numbered(26), {}, {}};
  cSystemData system;
  ASSERT_TRUE(LoadRecord(system, file.Build()));
  ASSERT_EQ(system.m_UiTexts.size(), 28u);
  EXPECT_EQ(system.m_UiTexts[7], "t7");
  EXPECT_EQ(system.m_UiTexts[8], Sjis("残りHP"));
  EXPECT_EQ(system.m_UiTexts[9], Sjis("残りSP"));
  EXPECT_EQ(system.m_UiTexts[10], "t8");
  EXPECT_EQ(system.m_UiTexts[21], "t19");
  EXPECT_EQ(system.m_UiTexts[22], Sjis("リトライ"));  // the step of 193
  EXPECT_EQ(system.m_UiTexts[23], Sjis("マップへ戻る"));
  EXPECT_EQ(system.m_UiTexts[27], "t23");  // the two last of the file are lost

  OldSystemFile menu{168, std::vector<BYTE>(20, 0), Numbered(12), Texts({"セーブ", "もどる", "タイトルへ"}), {}};
  ASSERT_TRUE(LoadRecord(system, menu.Build()));
  ASSERT_EQ(system.m_SaveMenu.size(), 4u);
  const auto labels = Texts({"セーブ", "オートセーブ", "もどる", "タイトルへ"});
  for (int i = 0; i < 4; ++i) EXPECT_EQ(system.m_SaveMenu[i].m_Label, labels[i]);
  // Inserted at 12 to 14, then moved two places up by the steps of 181.
  EXPECT_EQ(system.m_UiTexts[14], Sjis("オートセーブＯＮ"));
  EXPECT_EQ(system.m_UiTexts[15], Sjis("オートセーブＯＦＦ"));
  EXPECT_EQ(system.m_UiTexts[16], Sjis("保存先が不明です！一度は「セーブ」して下さい！"));
}

TEST(SystemDataMigration, StartUpSettingsOfVersion285) {
  OldSystemFile file{285, std::vector<BYTE>(25, 0), Numbered(28), {}, {}};
  for (const char* key : {"WindowMode", "Bpp", "VSync", "ShowFps", "FreeStage", "x", "y", "z", "w"})
    file.iniKeys.push_back({key, std::string_view(key) == "VSync" ? 3 : 0});
  cSystemData system;
  ASSERT_TRUE(LoadRecord(system, file.Build()));
  ASSERT_EQ(system.m_IniKeys.size(), 10u);
  EXPECT_EQ(system.m_IniKeys[0].m_Key, "Direct3D");
  EXPECT_EQ(system.m_IniKeys[0].m_nValue, 1);
  EXPECT_EQ(system.m_IniKeys[3].m_Key, "VSync");
  EXPECT_EQ(system.m_IniKeys[3].m_nValue, 2);
  EXPECT_EQ(system.m_IniKeys[4].m_Key, "D3D_FontCache");
  EXPECT_EQ(system.m_IniKeys[5].m_Key, "DD_FontCache");
  EXPECT_EQ(system.m_IniKeys[5].m_nValue, 1);
  EXPECT_EQ(system.m_IniKeys[6].m_Key, "DD_VideoStretch");
  EXPECT_EQ(system.m_IniKeys[9].m_Key, "English");
}

TEST(SystemDataMigration, CompatibilitySwitch9ByVersion) {
  const std::pair<int, int> cases[] = {{640, 5}, {620, 0}, {600, 1}};
  for (auto [version, expected] : cases) {
    OldSystemFile file{version, std::vector<BYTE>(25, 0), Numbered(28), {}, {}};
    cSystemData system;
    ASSERT_TRUE(LoadRecord(system, file.Build()));
    EXPECT_EQ(system.m_nCompat[8], expected) << version;
  }
}

TEST(SystemDataMigration, OutOfRangeValuesAreClamped) {
  cSystemData source;
  source.m_nFontIndex = 500;
  source.m_nChallengeCount = 2000000000;  // a save would hold a record per stage
  cSystemData system;
  ASSERT_TRUE(LoadRecord(system, SavedRecord(source)));
  EXPECT_EQ(system.m_nFontIndex, 122);
  EXPECT_EQ(system.m_nChallengeCount, MAX_CHALLENGE_COUNT);
}

TEST(SystemDataMigration, FrontMusicBeyondTheBgmDatabase) {
  OldSystemFile file{696, std::vector<BYTE>(25, 0), Numbered(28), {}, {}};
  file.frontBgm = 7;
  cLoadContext ctx;
  ctx.db.nBgm = 5;
  cSystemData system;
  ASSERT_TRUE(LoadRecord(system, file.Build(), ctx));
  EXPECT_EQ(system.m_FrontBgm[0], 0);
  system.m_FrontBgm = {-2, 4, 5, 1};
  system.ClampBgmIndices(5);
  EXPECT_EQ(system.m_FrontBgm, (cCheckedVector<int>{0, 4, 0, 1}));
  // Short lists are padded to what the program indexes.
  EXPECT_EQ(system.m_StatusItems.size(), 5u);
  EXPECT_EQ(system.m_SystemSounds.size(), 17u);
  EXPECT_EQ(system.m_ModeRankings.size(), 4u);
}

TEST(SystemDataQueries, DefaultsAndQueries) {
  cSystemData system;
  EXPECT_EQ(system.m_IniKeys[0].m_nValue, 2);
  EXPECT_EQ(system.m_IniKeys[7].m_nValue, 1);
  EXPECT_EQ(system.CountRankingGenres(0), 5);
  system.m_ModeRankings[1].m_bRankingOn = 0;
  EXPECT_EQ(system.CountRankingGenres(1), 0);
  system.m_StatusItems[2].m_nWarningLevel = 33;
  system.m_StatusItems[2].m_bPercent = 1;
  EXPECT_EQ(system.IsGaugeLow(2, 33, 100), 1);
  EXPECT_EQ(system.IsGaugeLow(2, 34, 100), 0);
  EXPECT_EQ(system.IsGaugeLow(2, 5, 0), 0);
  system.m_UiTexts[10] = Sjis("あいうえ");
  system.m_UiTexts[11] = Sjis("あいうえおか");
  EXPECT_EQ(system.GetMenuTextLeft(320, 10, 2, 1), 264);
}

}  // namespace
