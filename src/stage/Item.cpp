#include "stage/Item.h"

#include "stage/StagePlayScene.h"

const AnimeTable& ItemAnimeTable() {
  static const AnimeTable table = {AnimeSequence{{0, 15, 1}, {1, 15, 1}, {ANIME_LOOP, 0, 1}}};
  return table;
}

void cItem::AdjustForScale(int newScale, int oldScale) {
  if (newScale == oldScale) return;
  m_dY -= (newScale - oldScale) * (m_nBaseHeight + m_rcGfxBase.nY);
  ClampY(2);
}

int cItem::InitItem(int no, cItemDef& def, int carried) {
  if (def.m_nSize == 0) def.m_nSize = 1;
  m_Def = def;
  const SizeRule& body = Scene().m_Rules.ItemBody;
  int w = body.nWidth, h = body.nHeight;
  SetupObject(no, 0, 0, 0, m_Def.m_nGraphic, &ItemAnimeTable(), 0, 16 - (w >> 1), 16 - (h >> 1), w, h, 32, 32, 0, 1, 0);
  m_nGraphicKind = m_Def.m_nGraphicSrc;
  m_bScrollCarried = 0;
  m_bCarried = carried;
  if (!carried) {
    SetScale(m_Def.m_nSize, 1);
    return 0;
  }
  m_bActive = 1;
  return carried;
}

void cItem::PlaceItemOnCell(int column, int row) {
  const cStagePlayScene& scene = Scene();
  m_dX = (scene.m_ScrollX.nMarginCells + column) * 32 + m_rcGfxBase.nX + 0.5;
  m_dY = (scene.m_ScrollY.nMarginCells + row) * 32 + m_rcGfxBase.nY;
  ApplyScaleChange(m_Def.m_nSize, 1);
  ClampX(2);
  ClampY(2);
}
