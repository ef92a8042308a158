#include "library/util/AnimeCtrl.h"

#include <utility>

void cAnimeCtrl::SetAnimeTable(const ANIMESOURCEFRAME* const* lists) {
  if (!lists) return;
  AnimeTable table;
  for (const ANIMESOURCEFRAME* const* list = lists; *list; ++list) {
    const ANIMESOURCEFRAME* frames = *list;
    size_t count = 0;
    while (frames[count].nPattern >= 0) ++count;
    AnimeSequence& sequence = table.emplace_back();
    sequence.reserve(count + 1);
    for (size_t k = 0; k <= count; ++k)
      sequence.push_back({frames[k].nPattern, frames[k].nDuration, static_cast<int>(frames[k].bLock)});
  }
  SetAnimeTable(std::move(table));
}

void cAnimeCtrl::SetAnimeTable(AnimeTable table) {
  m_Table = std::move(table);
  m_nAnime = m_nFrame = m_nTick = 0;
}

const ANIMEFRAMEDATA& cAnimeCtrl::CurrentFrameData() const { return m_Table.VecAt(m_nAnime).VecAt(m_nFrame); }

int cAnimeCtrl::SetAnime(int anime, int force) {
  if (!force && !m_Table.empty() && CurrentFrameData().bLock) return 0;
  m_nAnime = anime;
  m_nFrame = 0;
  m_nTick = 0;
  return 1;
}

int cAnimeCtrl::ChangeAnime(int anime, int force) {
  if (anime == m_nAnime) return 1;
  return SetAnime(anime, force);
}

int cAnimeCtrl::UpdateAnime() {
  if (m_Table.empty()) return 0;
  const ANIMEFRAMEDATA& current = CurrentFrameData();
  // A sequence that stands on its terminator (one that ended, or that holds no
  // frame at all) stays there: stepping on would leave the sequence.
  if (current.nPattern < 0) return current.nPattern;
  if (++m_nTick >= current.nDuration) {
    m_nTick = 0;
    ++m_nFrame;
    const ANIMEFRAMEDATA& next = CurrentFrameData();
    switch (next.nPattern) {
      case ANIME_JUMP:
        SetAnime(next.nDuration, 1);
        break;
      case ANIME_LOOP:
        m_nFrame = 0;
        break;
      case ANIME_HOLD:
        --m_nFrame;
        break;
      default:
        break;
    }
  }
  return GetAnimePattern();
}

int cAnimeCtrl::GetAnimePattern() const {
  if (m_Table.empty()) return 0;
  return CurrentFrameData().nPattern;
}
