#pragma once
// The Anime and AnimeSet databases: animations as lists of frames, and the
// sets of basic animations that characters take.
#include <string>

#include "library/util/AnimeCtrl.h"
#include "records/DataRecord.h"

class cDbAnimeFrame : public cDataRecord {
 public:
  cDbAnimeFrame();
  void RegisterFields(int nVersion) override;
  void SetDefault();

  int m_nPattern = 0;
  int m_nDuration = 1;  // tenths of a second
  int m_nFlag = 0;      // locks this and every later frame of a played animation
};

class cDbAnime : public cDataRecord {
 public:
  cDbAnime();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();

  std::string m_Name;
  cCheckedVector<cDbAnimeFrame> m_Frames;
  // The editor's settings; the player keeps and writes them.
  short m_nEditorValue1 = 0;
  BYTE m_byEditorValue2 = 1;
  short m_nEditorValue3 = 0;
};

void LoadAnimeFrames(cCheckedVector<cDbAnimeFrame>& frames, cRecordReader& in, const cLoadContext& ctx);

// Basic animations of a set, by number.
constexpr int BASIC_ANIME_COUNT = 4;

class cDbAnimeSet : public cDataRecord {
 public:
  cDbAnimeSet();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& in, const cLoadContext& ctx) override;
  void Save(cRecordWriter& out, const cLoadContext& ctx) override;
  void SetDefault();

  std::string m_Name;
  int m_nPatternOffset1 = 4;  // while invincible
  int m_nPatternOffset2 = 8;  // while a block character
  int m_nPatternOffset3 = 0;  // while flying
  cCheckedVector<cDbAnime> m_Animes;

 private:
  void ResizeAnimes(size_t count);
};

// Tenths of a second as frames (6 each), saturated to the int range.
int TenthsToFrames(int tenths);

// One sequence per database entry, index for index: entry 0 (none) becomes an
// endless, locked loop of zero-length frames, every other entry plays once and
// ends on ANIME_END. Frames that carry a lock flag lock themselves and every
// later frame of their sequence.
template <typename Entry>
void BuildOneShotSequences(const cCheckedVector<Entry>& entries, AnimeTable& table) {
  table.resize(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto& frames = entries[i].m_Frames;
    AnimeSequence& sequence = table[i];
    sequence.assign(frames.size() + 1, ANIMEFRAMEDATA{});
    bool locked = false;
    for (size_t k = 0; k < frames.size(); ++k) {
      if (i == 0) {
        sequence[k] = {frames[k].m_nPattern, 0, 1};
        continue;
      }
      if constexpr (requires { frames[k].m_nFlag; }) locked = locked || frames[k].m_nFlag != 0;
      sequence[k] = {frames[k].m_nPattern, TenthsToFrames(frames[k].m_nDuration), locked ? 1 : 0};
    }
    sequence.back() = i == 0 ? ANIMEFRAMEDATA{ANIME_LOOP, 0, 1} : ANIMEFRAMEDATA{ANIME_END, 0, 0};
  }
}

inline void BuildAnimeSequences(const cCheckedVector<cDbAnime>& animes, AnimeTable& table) {
  BuildOneShotSequences(animes, table);
}
