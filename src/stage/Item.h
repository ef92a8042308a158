#pragma once
// An item of a running stage: placed, summoned or carried by a character. It
// flies through blocks, does not fall, and runs its commands on the hero who
// takes it.
#include "records/ItemDef.h"
#include "stage/GameObject.h"

class cItem final : public cGameObject {
 public:
  void AdjustForScale(int newScale, int oldScale) override;

  int InitItem(int no, cItemDef& def, int carried);
  // InitItem gives every item the shared animation: an item without it was never set up.
  bool IsSetUp() const { return !m_Anime.Table().empty(); }
  void PlaceItemOnCell(int column, int row);

  cItemDef m_Def;
  int m_bCarried = 0;
};

// The two-frame animation every item shares.
const AnimeTable& ItemAnimeTable();
