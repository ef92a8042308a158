#include "Definitions.h"
#include "Project.h"
#include "gamedata/PathTable.h"

namespace mkproject {

void WriteCommonPalette(cPalette& palette, const cLoadContext& ctx) {
  FillPalette(palette);
  // Its entries refer to the palette itself while it is saved.
  const cLoadContext own = palette.AsCommonPalette(ctx);
  SaveRecordFile(PathTable[PATH_COMMON_PALETTE], palette.SaveToFile(PathTable[PATH_COMMON_PALETTE], own) != 0);
}

}  // namespace mkproject
