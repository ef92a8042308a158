#include "stage/Effect.h"

#include <algorithm>

#include "gamedata/Database.h"
#include "library/draw/Draw.h"
#include "library/draw/SurfaceTables.h"
#include "library/util/Convert.h"
#include "library/util/Random.h"
#include "stage/SpriteSource.h"
#include "stage/StagePlayScene.h"

namespace {

const cDbEffect& EffectEntry(int number) { return Database->Effect.VecAt(number); }

DDSURFACEDATA* EffectSurface(int index) {
  if (index < 0 || index >= static_cast<int>(EffectSD.size())) return nullptr;
  return &EffectSD[static_cast<size_t>(index)];
}

// The overlap of two rectangles, or all zeros when they do not meet.
RectD Overlap(const RectD& a, const RectD& b) {
  RectD r{std::max(a.dLeft, b.dLeft), std::max(a.dTop, b.dTop), std::min(a.dRight, b.dRight),
          std::min(a.dBottom, b.dBottom)};
  if (r.dLeft > r.dRight || r.dTop > r.dBottom) return {};
  return r;
}

}  // namespace

cEffect::cEffect(int number, double x, double y, int width, int height, int bRunsWhilePaused)
    : m_nNumber(number), m_dX(x), m_dY(y), m_nWidth(width), m_nHeight(height), m_bRunsWhilePaused(bRunsWhilePaused) {
  m_bStretched = EffectEntry(number).m_nCellWidth != width;
  SetEffectFrames(number);
}

cEffect cEffect::MakeHitEffect(int number, const RectD& a, const RectD& b, int scale) {
  cEffect e;
  e.m_nNumber = number & 0xFFFF;
  const cDbEffect& entry = EffectEntry(number);
  const int k = entry.m_bScale ? static_cast<signed char>(scale) : 1;
  if (entry.m_bScale && k > 1) {
    e.m_bStretched = 1;
    e.m_nWidth = k * entry.m_nCellWidth;
    e.m_nHeight = k * entry.m_nCellHeight;
  } else {
    e.m_nWidth = entry.m_nCellWidth;
    e.m_nHeight = entry.m_nCellHeight;
  }
  const RectD r = Overlap(a, b);
  e.m_dX = r.dLeft + (DoubleToInt(r.dRight - r.dLeft + 1) >> 1) - (e.m_nWidth >> 1);
  e.m_dY = r.dTop + (DoubleToInt(r.dBottom - r.dTop + 1) >> 1) - (e.m_nHeight >> 1);
  // A scale of 0 or below leaves a single value to draw from, not a negative range.
  const int range = std::max(8 * k + 1, 1);
  e.m_dX += crt::rand() % range - 4 * k;
  e.m_dY += crt::rand() % range - 4 * k;
  e.SetEffectFrames(number);
  return e;
}

void cEffect::SetEffectFrames(int number) {
  m_Anime.SetAnimeTable(AnimeTable{EffectSequences.VecAt(number)});
  m_Anime.SetAnime(0, 1);
}

int cEffect::DrawEffect(const cStagePlayScene& scene, DDSURFACEDATA* target, int paused) {
  const cDbEffect& entry = EffectEntry(m_nNumber);
  if (entry.m_Frames.empty()) return 1;
  if ((m_bRunsWhilePaused || !paused) && m_Anime.UpdateAnime() == ANIME_END) return 1;
  const int pattern = m_Anime.GetAnimePattern();
  const int x = DoubleToInt(m_dX - scene.m_ScrollX.dPos), y = DoubleToInt(m_dY - scene.m_ScrollY.dPos);
  const int sheet = 2 * m_nNumber - 2;
  if (m_bStretched) {
    const int fw = entry.m_nCellWidth, fh = entry.m_nCellHeight;
    DDSURFACEDATA* src = EffectSurface(FirstModeSheets() ? sheet : sheet + 1);
    if (src) DDBltStretch(target, x, y, m_nWidth, m_nHeight, src, pattern * fw, 0, fw, fh, 1);
  } else if (DDSURFACEDATA* src = EffectSurface(sheet)) {
    DDBlt(target, x, y, m_nWidth, m_nHeight, src, pattern * m_nWidth, 0, 1);
  }
  return 0;
}

void MakeHitEffect(cStagePlayScene& scene, int number, const RectD& victim, const RectD& attacker, int scale) {
  scene.m_EffectList.push_back(cEffect::MakeHitEffect(number, victim, attacker, scale));
}

cPicture::cPicture(const PictureSettings& settings, DDSURFACEDATA* surface)
    : m_Set(settings), m_bStretched(settings.nPercent != 100), m_pSurface(surface) {}

cPicture::~cPicture() { Remove(); }

void cPicture::Remove() {
  if (m_pSurface) DDDeleteSurface(PictureSD, PictureDesc, m_pSurface);
  m_pSurface = nullptr;
  m_bRemoved = 1;
}

int cPicture::DrawPicture(const cStagePlayScene& scene, DDSURFACEDATA* target, int paused) {
  if (m_bRemoved) return 1;
  if (m_Set.nDisplayMode == PICDISPLAY_TIME && (m_Set.bStopGame || !paused) && --m_Set.nFrames < 0) return 1;
  int x = 0, y = 0;
  ScreenPosition(scene, x, y);
  if (!m_pSurface) return 0;
  if (m_bStretched)
    DDBltStretch(target, x, y, m_Set.nWidth, m_Set.nHeight, m_pSurface, 0, 0, m_pSurface->nWidth, m_pSurface->nHeight,
                 1);
  else
    DDBlt(target, x, y, m_Set.nWidth, m_Set.nHeight, m_pSurface, 0, 0, 1);
  return 0;
}

void cPicture::ScreenPosition(const cStagePlayScene& scene, int& x, int& y) {
  x = DoubleToInt(m_Set.dX) - DoubleToInt(scene.m_ScrollX.dPos);
  y = DoubleToInt(m_Set.dY) - DoubleToInt(scene.m_ScrollY.dPos);
  if (!m_Set.bFixOnScreen) return;
  if (!m_bPositionStored) m_nStoredX = x, m_nStoredY = y, m_bPositionStored = 1;
  x = m_nStoredX, y = m_nStoredY;
}

DDSURFACEDATA* LoadPictureSurface(const std::string& file, int bSystemMemory) {
  SURFACEDESCDATA& desc = PictureDesc.emplace_back();
  SetSurfaceDesc(&desc, file, 1, bSystemMemory, 0, 0, 0, 0, 0, 0, 0, 0);
  DDSURFACEDATA& sd = PictureSD.emplace_back();
  if (DDCheckSurfaceError(DDCreateSurfaceFromFile(&sd, file, 1, nBpp, bSystemMemory, 0, 0, 0, 0, 0, 0))) return &sd;
  // Nothing of a failed load stays behind: the lists keep their step.
  DDDeleteSurface(PictureSD, PictureDesc, &sd);
  return nullptr;
}
