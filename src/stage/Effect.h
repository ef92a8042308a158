#pragma once
// Short-lived images over the stage: animated effects of the Effect database
// (placed by the effect command, or a hit effect where two rectangles meet)
// and still pictures of the Picture database. A picture owns its surface in
// the picture surface list `PictureSD`, released on every path that ends it.
#include <string>

#include "library/util/AnimeCtrl.h"
#include "stage/GameObject.h"

struct DDSURFACEDATA;
class cStagePlayScene;

class cEffect {
 public:
  cEffect(int number, double x, double y, int width, int height, int bRunsWhilePaused);
  // A hit effect centred on the overlap of the two rectangles, jittered with
  // two draws of the replayable generator.
  static cEffect MakeHitEffect(int number, const RectD& a, const RectD& b, int scale);

  // One drawn frame; 1 when the effect has ended.
  int DrawEffect(const cStagePlayScene& scene, DDSURFACEDATA* target, int paused);

  int Number() const { return m_nNumber; }
  double X() const { return m_dX; }
  double Y() const { return m_dY; }
  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  int Stretched() const { return m_bStretched; }
  int m_bRemoved = 0;

 private:
  cEffect() = default;
  void SetEffectFrames(int number);

  int m_nNumber = 0;
  double m_dX = 0, m_dY = 0;
  int m_nWidth = 0, m_nHeight = 0;
  int m_bStretched = 0;
  cAnimeCtrl m_Anime;
  int m_bRunsWhilePaused = 0;
};

// The hit effect of a body or shot hit, added to the scene's effects.
void MakeHitEffect(cStagePlayScene& scene, int number, const RectD& victim, const RectD& attacker, int scale);

enum PictureDisplay : int { PICDISPLAY_BUTTON = 0, PICDISPLAY_STAGE = 1, PICDISPLAY_TIME = 2 };

struct PictureSettings {
  int nNumber = 0;
  double dX = 0, dY = 0;
  int nWidth = 0, nHeight = 0;
  int bFixOnScreen = 0;
  int nPass = 0;  // 0 behind the blocks, 1 in front
  int nPercent = 100;
  int nDisplayMode = PICDISPLAY_BUTTON;
  int nFrames = 0;
  int bStopGame = 0;
  int bHasId = 0, nId = 0;
};

class cPicture {
 public:
  // Takes ownership of the surface record (in PictureSD).
  cPicture(const PictureSettings& settings, DDSURFACEDATA* surface);
  ~cPicture();
  cPicture(const cPicture&) = delete;
  cPicture& operator=(const cPicture&) = delete;

  // One drawn frame; 1 when the picture has ended.
  int DrawPicture(const cStagePlayScene& scene, DDSURFACEDATA* target, int paused);
  // Its screen position this frame: its place of the stage, or where it first
  // appeared when it is fixed on the screen.
  void ScreenPosition(const cStagePlayScene& scene, int& x, int& y);
  // Releases the surface (once) and takes the picture out of every pass.
  void Remove();

  const PictureSettings& Settings() const { return m_Set; }
  DDSURFACEDATA* Surface() const { return m_pSurface; }
  bool Removed() const { return m_bRemoved != 0; }
  int Serial() const { return m_nSerial; }
  void SetSerial(int serial) { m_nSerial = serial; }

 private:
  PictureSettings m_Set;
  int m_bStretched = 0;
  int m_bPositionStored = 0;
  int m_nStoredX = 0, m_nStoredY = 0;
  DDSURFACEDATA* m_pSurface = nullptr;
  int m_bRemoved = 0;
  int m_nSerial = 0;
};

// A new picture surface loaded from a file with the colour key, appended to
// the picture surface lists; null (and nothing left in the lists) on failure.
DDSURFACEDATA* LoadPictureSurface(const std::string& file, int bSystemMemory);
