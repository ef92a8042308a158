#include "library/draw/SurfaceTables.h"

#include "library/draw/Draw.h"

DDSURFACEDATA UserSD[kUserSurfaceCount];
std::vector<DDSURFACEDATA> SpecialBmpSD, SwordSD, EffectSD, MenuSD;
std::vector<SURFACEDESCDATA> SpecialBmpDesc, SwordDesc, EffectDesc, MenuDesc;
std::list<DDSURFACEDATA> PictureSD, Off_Msg;
std::list<SURFACEDESCDATA> PictureDesc, MsgDesc;

void ClearSurfaceList(std::vector<DDSURFACEDATA>& surfaces, std::vector<SURFACEDESCDATA>& descs) {
  DDReleaseSurfaces(surfaces);
  surfaces.clear();
  descs.clear();
}
