#pragma once
// The block, character and item definitions of the sample project: the
// common palette's entries, which stages copy into their own palettes and
// place on their maps.
#include <cstdint>

#include "records/Palette.h"

namespace mkproject {

// Entries of every palette list (0 is the fixed empty entry).
enum PaletteBlock { kGroundBlock = 1, kHazardBlock, kJumpBlock, kBridgeBlock, kBlockEntries };
enum PaletteChara { kHeroChara = 1, kSlowEnemy, kHoppingEnemy, kLiftChara, kShooterEnemy, kCharaEntries };
enum PaletteItem { kCoinItem = 1, kGoalItem, kItemEntries };
// Entries of the CharaEffect database.
enum CharaEffectEntry { kBlinkEffect = 1, kTurningVanish, kMosaicVanish, kTintVanish };
// Entries of the ScrEffect, Effect and Picture databases.
enum ScrEffectEntry { kShakeEffect = 1, kOpeningCircle };
constexpr int kSparkEffect = 1;
constexpr int kSignPicture = 1;
// The opening circle grows from radius 0 to kOpeningRadius dots in
// kOpeningTenths, in bands of kOpeningBand rows.
constexpr int kOpeningTenths = 10;
constexpr int kOpeningRadius = 640;
constexpr int kOpeningBand = 8;

// The time limit of the stages that have one, in seconds, and how long into
// such a stage the bridge blocks over its pit appear (they stay once there).
constexpr int kStageTimeLimit = 200;
constexpr int kBridgeSeconds = 3;

// The lift over the first stage's pit: it flies kLiftSpeed tenths of a dot a
// frame for kLiftTenths to the right, as long back (60 dots each way), then
// rests kLiftRestTenths at the pit's left edge.
constexpr int kLiftSpeed = 20;
constexpr int kLiftTenths = 5;
constexpr int kLiftRestTenths = 40;
// What a coin adds to the score, and the common variable that counts the coins taken.
constexpr int kCoinScore = 50;
constexpr int kCoinCountVariable = 1;

// Sound database entries the definitions play.
constexpr int kJumpSound = 1;
constexpr int kCoinSound = 2;
constexpr int kShotSound = 3;

// The shooter enemy fires one shot aimed at the hero, waits kShooterPause
// tenths of a second, and fires again; its shots fly kShooterShotSpeed tenths
// of a dot a frame and pass through whom they hit.
constexpr int kShooterPause = 20;
constexpr int kShooterShotSpeed = 30;
constexpr int kShooterShotGraphic = 4;
// The hero's forward shot on button 3.
constexpr int kHeroShotSpeed = 60;
constexpr int kHeroShotGraphic = 1;

void FillPalette(cPalette& palette);

// A copy of a palette definition placed on map cell (x, y).
template <typename Def>
Def PlacedAt(const Def& definition, int x, int y) {
  Def placed = definition;
  placed.m_nMapX = static_cast<std::int16_t>(x);
  placed.m_nMapY = static_cast<std::int16_t>(y);
  return placed;
}

}  // namespace mkproject
