#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <string>

#include "Definitions.h"
#include "Project.h"
#include "gamedata/Database.h"
#include "library/util/Text.h"
#include "records/RecordIo.h"

namespace mkproject {

namespace {

template <typename Frame>
cCheckedVector<Frame> Frames(std::initializer_list<int> patterns, int tenths) {
  cCheckedVector<Frame> frames;
  for (int pattern : patterns) {
    Frame frame;
    frame.m_nPattern = pattern;
    frame.m_nDuration = tenths;
    frames.push_back(frame);
  }
  return frames;
}

cDbAnime Anime(const char* name, std::initializer_list<int> patterns, int tenths) {
  cDbAnime anime;
  anime.m_Name = Sjis(name);
  anime.m_Frames = Frames<cDbAnimeFrame>(patterns, tenths);
  return anime;
}

// The walkers' set: standing, walking, and the same two in flight, from the
// character cells 0 to 3.
void FillAnimations(cDatabase& db) {
  cDbAnimeSet walker;
  walker.m_Name = Sjis("歩くキャラ");
  walker.m_Animes[0] = Anime("立ち", {0}, 10);
  walker.m_Animes[1] = Anime("立ち移動", {0, 1, 2, 3}, 1);
  walker.m_Animes[2] = Anime("飛行", {0, 1}, 2);
  walker.m_Animes[3] = Anime("飛行移動", {0, 1, 2, 3}, 1);
  db.AnimeSet.push_back(walker);
  db.Anime.push_back(Anime("回転", {4, 5, 6, 7}, 1));
}

template <typename Media>
Media MediaFile(const char* name, const char* file) {
  Media media;
  media.m_Name = Sjis(name);
  media.m_File = file;
  return media;
}

void FillGraphics(cDatabase& db) {
  cDbBmpCharaExc& special = db.Bmp_CharaExc[1];
  special.m_Name = Sjis("大きなキャラ");
  special.m_File = "bmp\\chara_sp\\Special.bmp";
  special.m_bLargeCell = 1;
  special.m_nCellSize = 2;

  cDbSwordType& sword = db.SwordType[0];
  sword.m_Name = Sjis("剣");
  sword.m_Image[0] = "bmp\\sword\\SwordL.bmp";
  sword.m_Image[1] = "bmp\\sword\\SwordR.bmp";
  cDbSwordPart swing;
  swing.m_nWidth = 32;
  swing.m_nHeight = 32;
  swing.m_nDuration = 3;
  sword.m_Parts.assign(1, swing);

  cDbEffect& spark = db.Effect[kSparkEffect];
  spark.m_Name = Sjis("火花");
  spark.m_File = "bmp\\effect\\Spark.bmp";
  spark.m_Frames = Frames<cDbEffectFrame>({0, 1, 2, 3}, 1);

  db.Picture[1] = MediaFile<cDbPicture>("看板", "bmp\\picture\\Picture.bmp");
}

// An effect entry's parameters: the time in tenths of a second, then by kind
// the start and end value (or the blink interval in frames) and the further values.
struct EffectEntry {
  int entry;
  const char* name;
  int kind;
  std::array<int, 5> params;
};

template <typename List>
void FillEffects(List& list, std::initializer_list<EffectEntry> entries) {
  for (const EffectEntry& e : entries) {
    if (list.size() <= static_cast<std::size_t>(e.entry)) list.resize(static_cast<std::size_t>(e.entry) + 1);
    auto& effect = list[static_cast<std::size_t>(e.entry)];
    effect.m_Name = Sjis(e.name);
    effect.m_nKind = e.kind;
    std::copy(e.params.begin(), e.params.end(), effect.m_nParam);
  }
}

void FillCharaEffects(cDatabase& db) {
  FillEffects(db.CharaEffect,
              {
                  {kBlinkEffect, "点滅", 6, {20, 4}},               // blink every 4 frames for 2 s
                  {kTurningVanish, "回転消滅", 8, {10, 0, 720}},    // two turns in 1 s
                  {kMosaicVanish, "モザイク消滅", 15, {5, 1, 12}},  // blocks of 1 to 12 dots in 0.5 s
                  {kTintVanish, "色変化", 13, {10, 1, 4, 4}},       // toward white (palette 4), levels 1 to 4
              });
}

// The hero's hit shakes the screen sideways; a story stage opens from a
// circle around the hero.
void FillScreenEffects(cDatabase& db) {
  FillEffects(db.ScrEffect, {
                                {kShakeEffect, "揺れ", 2, {5, 6, 3}},  // kind 2: 3 swings of 6 dots either way in 0.5 s
                                {kOpeningCircle, "開く円", 10, {kOpeningTenths, 0, kOpeningRadius, kOpeningBand}},
                            });
}

void FillSounds(cDatabase& db) {
  db.Sound[1] = MediaFile<cDbSound>("ジャンプ", "wave\\Jump.wav");
  db.Sound.push_back(MediaFile<cDbSound>("コイン", "wave\\Coin.wav"));
  db.Sound.push_back(MediaFile<cDbSound>("ショット", "wave\\Shot.wav"));
  db.Bgm[1] = MediaFile<cDbBgm>("MIDIの曲", "bgm\\Sample.mid");
  db.Bgm.push_back(MediaFile<cDbBgm>("OGGの曲", "bgm\\Sample.ogg"));
}

}  // namespace

void WriteDatabases(cDatabase& db, const cLoadContext& ctx) {
  db.SetDefault();
  FillAnimations(db);
  FillGraphics(db);
  FillCharaEffects(db);
  FillScreenEffects(db);
  FillSounds(db);
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
    const auto file = static_cast<DatabaseFile>(i);
    const std::string_view path = DatabasePath(file);
    SaveRecordFile(path, SaveDataFile(path, [&](cRecordWriter& out) { SaveDatabaseList(db, file, out, ctx); }));
  }
}

}  // namespace mkproject
