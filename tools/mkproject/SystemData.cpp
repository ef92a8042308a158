#include "gamedata/SystemData.h"

#include <array>

#include "Project.h"
#include "app/Scene.h"
#include "gamedata/PathTable.h"
#include "library/util/Text.h"

namespace mkproject {

namespace {

// The file of every system sound, by its number in the sound list.
constexpr std::array<const char*, SYSTEM_SOUND_COUNT> kSystemSounds = {
    "wave\\Cursor.wav",   // 0 cursor
    "wave\\Decide.wav",   // 1 decide
    "wave\\Cancel.wav",   // 2 cancel
    "wave\\Cursor.wav",   // 3
    "wave\\Pause.wav",    // 4 pause
    "wave\\Decide.wav",   // 5
    "wave\\Cursor.wav",   // 6 ranking genre switch
    "wave\\Cancel.wav",   // 7
    "wave\\Miss.wav",     // 8 hero lost
    "wave\\Crush.wav",    // 9 character crushed or down
    "wave\\Jump.wav",     // 10 jump block
    "wave\\Coin.wav",     // 11
    "wave\\Decide.wav",   // 12 message closed
    "wave\\Warning.wav",  // 13 low time
    "wave\\Clear.wav",    // 14 stage clear
    "wave\\Coin.wav",     // 15 extra life
    "wave\\Clear.wav",    // 16 ranking registered
};

constexpr int kFreePlayLives = 2;
constexpr int kStoryLives = 3;

// The options screen's items by kind: palette variant, music, volume, ranking
// mode, ranking name, back.
constexpr std::array<const char*, OPTION_MENU_COUNT> kOptionLabels = {
    "パレット", "BGM", "SE音量", "ランキング登録", "ランキング登録名", "もどる"};

// An extra life for every 100 points: the score of one defeated enemy.
constexpr int kExtraLifeStep = 100;

// Front-end music (title, world map, challenge select, options): Bgm entries.
constexpr std::array<int, FRONT_BGM_COUNT> kFrontBgm = {1, 2, 1, 0};

}  // namespace

void WriteSystemData(const cLoadContext& ctx) {
  cSystemData system;
  system.SetDefault();
  system.m_GameTitle = Sjis("ザンドレル サンプル");
  for (int i = 0; i < SYSTEM_SOUND_COUNT; ++i) system.m_SystemSounds[i] = kSystemSounds[static_cast<std::size_t>(i)];
  for (int i = 0; i < FRONT_BGM_COUNT; ++i) system.m_FrontBgm[i] = kFrontBgm[static_cast<std::size_t>(i)];
  // The challenge stages open one after the other as each is cleared.
  system.m_nChallengeCount = 2;
  system.m_bAllChallenges = 0;
  system.m_UnlimitedLives.VecAt(GAMEMODE_STORY) = 0;
  system.m_InitialLives.VecAt(GAMEMODE_STORY) = kStoryLives;
  for (int kind = 0; kind < OPTION_MENU_COUNT; ++kind)
    system.m_OptionMenu.VecAt(kind).m_Label = Sjis(kOptionLabels[static_cast<std::size_t>(kind)]);
  // Free play from the title counts lives, so that a lost hero can end the game.
  system.m_UnlimitedLives.VecAt(GAMEMODE_FREE) = 0;
  system.m_InitialLives.VecAt(GAMEMODE_FREE) = kFreePlayLives;
  system.m_bExtraLife = 1;
  system.m_nExtraLifeStep = kExtraLifeStep;
  system.m_bReplayRecording = 1;
  SaveRecordFile(PathTable[PATH_SYSTEM], system.SaveToFile(PathTable[PATH_SYSTEM], ctx) != 0);
}

}  // namespace mkproject
