#pragma once
// Block characters: characters that act as moving blocks. The others collide
// with them, land and ride on them, are pushed and carried by them, and are
// crushed between them.
#include <cstddef>
#include <cstdint>
#include <list>
#include <span>
#include <vector>

#include "stage/Chara.h"

// The block characters of a character list, in list order, so that each
// character's collisions walk only them and not every character. The list
// only grows at its end, loses nodes at safe points, and a character's kind
// is fixed when it is placed: its size and its last node tell whether it
// changed since the index was built.
class cBlockCharas {
 public:
  explicit cBlockCharas(std::list<cNpc>& charas) : m_charas(charas) {}
  cBlockCharas(const cBlockCharas&) = delete;
  cBlockCharas& operator=(const cBlockCharas&) = delete;

  // Walks the index's characters as references.
  class Range {
   public:
    class Iterator {
     public:
      explicit Iterator(cNpc* const* at) : m_at(at) {}
      cNpc& operator*() const { return **m_at; }
      Iterator& operator++() { return ++m_at, *this; }
      bool operator!=(const Iterator& other) const { return m_at != other.m_at; }

     private:
      cNpc* const* m_at;
    };
    explicit Range(std::span<cNpc* const> blocks) : m_blocks(blocks) {}
    Iterator begin() const { return Iterator(m_blocks.data()); }
    Iterator end() const { return Iterator(m_blocks.data() + m_blocks.size()); }

   private:
    std::span<cNpc* const> m_blocks;
  };

  // The block characters now in the list, removed ones included (the passes skip them).
  Range Current();

 private:
  std::list<cNpc>& m_charas;
  std::vector<cNpc*> m_blocks;
  std::size_t m_size = 0;
  std::uint64_t m_lastSerial = 0;
};

// Keeps `c` out of the block characters after its map collision: lands it,
// pushes it, keeps its ride. 2 when it is crushed (or, flying in mode 2,
// touched one), else 0.
int ResolveBlockCharas(cChara& c, cBlockCharas& blocks);
// One axis of the resolution (0 horizontal, else vertical), for a flier whose
// other axis was left alone.
void ResolveBlockCharasOtherAxis(cChara& c, cBlockCharas& blocks, int axis);
// 1 when every corner of `c`, now or at `entry`, lies in a block character.
int IsCrushedByBlockCharas(const cChara& c, const RectD& entry, cBlockCharas& blocks);
// Moves a rider by what its carrier moved since the ride record; called before the rider moves.
int CarryRider(cChara& c, cBlockCharas& blocks);
int IsStillOnRiddenChara(const cChara& c, cBlockCharas& blocks);
cNpc* FindBlockCharaBelow(const cChara& c, cBlockCharas& blocks);
// 1 when a block character other than `c` overlaps it (never for a mode-0 flier).
int OverlapsBlockChara(const cChara& c, cBlockCharas& blocks);
// 1 when a block character other than `selfNo` and `skipNo` overlaps `rect`.
int OverlapsOtherBlockChara(const RectD& rect, int selfNo, int skipNo, cBlockCharas& blocks);
