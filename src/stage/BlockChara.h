#pragma once
// Block characters: characters that act as moving blocks. The others collide
// with them, land and ride on them, are pushed and carried by them, and are
// crushed between them.
#include <list>

#include "stage/Chara.h"

// Keeps `c` out of the block characters after its map collision: lands it,
// pushes it, keeps its ride. 2 when it is crushed (or, flying in mode 2,
// touched one), else 0.
int ResolveBlockCharas(cChara& c, std::list<cNpc>& list);
// One axis of the resolution (0 horizontal, else vertical), for a flier whose
// other axis was left alone.
void ResolveBlockCharasOtherAxis(cChara& c, std::list<cNpc>& list, int axis);
// 1 when every corner of `c`, now or at `entry`, lies in a block character.
int IsCrushedByBlockCharas(const cChara& c, const RectD& entry, std::list<cNpc>& list);
// Moves a rider by what its carrier moved since the ride record; called before the rider moves.
int CarryRider(cChara& c, std::list<cNpc>& list);
int IsStillOnRiddenChara(const cChara& c, std::list<cNpc>& list);
cNpc* FindBlockCharaBelow(const cChara& c, std::list<cNpc>& list);
// 1 when a block character other than `c` overlaps it (never for a mode-0 flier).
int OverlapsBlockChara(const cChara& c, std::list<cNpc>& list);
// 1 when a block character other than `selfNo` and `skipNo` overlaps `rect`.
int OverlapsOtherBlockChara(const RectD& rect, int selfNo, int skipNo, std::list<cNpc>& list);
