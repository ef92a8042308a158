#pragma once
// The program's fixed surface table and the surface lists that scenes and stage
// play fill at run time, each with its descriptor list. The lists are what a
// recovery after lost surfaces walks.
#include <list>
#include <vector>

#include "library/draw/DrawTypes.h"

constexpr int kUserSurfaceCount = 71;

extern DDSURFACEDATA UserSD[kUserSurfaceCount];
extern std::vector<DDSURFACEDATA> SpecialBmpSD, SwordSD, EffectSD, MenuSD;
extern std::vector<SURFACEDESCDATA> SpecialBmpDesc, SwordDesc, EffectDesc, MenuDesc;
extern std::list<DDSURFACEDATA> PictureSD, Off_Msg;
extern std::list<SURFACEDESCDATA> PictureDesc, MsgDesc;

// Releases every surface of the list and empties it and its descriptors.
void ClearSurfaceList(std::vector<DDSURFACEDATA>& surfaces, std::vector<SURFACEDESCDATA>& descs);
