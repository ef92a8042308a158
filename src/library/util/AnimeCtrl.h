#pragma once
// Steps frame animations: a table of animations, each a list of frames closed
// by a terminator that holds the last frame, loops, jumps or ends. The
// sequencer only yields the pattern (cell) number; drawing is the caller's.
#include "library/util/CheckedVector.h"
#include "platform/WinTypes.h"

// Terminator patterns. ANIME_END closes the one-shot sequences built from the
// databases: it is entered like a frame and returned as the pattern.
constexpr int ANIME_HOLD = -1;
constexpr int ANIME_LOOP = -2;
constexpr int ANIME_JUMP = -3;
constexpr int ANIME_END = -4;

struct ANIMEFRAMEDATA {
  int nPattern = 0;   // cell to draw; negative: a terminator
  int nDuration = 0;  // ticks shown; for ANIME_JUMP the animation to switch to
  int bLock = 0;      // nonzero: a non-forced change of animation is refused
  bool operator==(const ANIMEFRAMEDATA&) const = default;
};

// One entry of the static frame arrays that game objects hand to SetAnimeTable:
// each array is ended by its first entry with a negative pattern.
struct ANIMESOURCEFRAME {
  int nPattern;
  int nDuration;
  BYTE bLock;
};

using AnimeSequence = cCheckedVector<ANIMEFRAMEDATA>;
using AnimeTable = cCheckedVector<AnimeSequence>;

class cAnimeCtrl {
 public:
  // Rebuilds the table from a list of frame arrays ended by a null pointer;
  // a null list changes nothing.
  void SetAnimeTable(const ANIMESOURCEFRAME* const* lists);
  // Takes ready-made sequences (each with its terminator stored last).
  void SetAnimeTable(AnimeTable table);

  int SetAnime(int anime, int force);
  int ChangeAnime(int anime, int force);
  int UpdateAnime();
  int GetAnimePattern() const;
  // Moves the current frame's tick count on by n (an animation started part-way).
  void SkipTicks(int n) { m_nTick += n; }

  const AnimeTable& Table() const { return m_Table; }
  int CurrentAnime() const { return m_nAnime; }
  int CurrentFrame() const { return m_nFrame; }
  int CurrentTick() const { return m_nTick; }

 private:
  const ANIMEFRAMEDATA& CurrentFrameData() const;

  AnimeTable m_Table;
  int m_nAnime = 0;
  int m_nFrame = 0;
  int m_nTick = 0;
};
