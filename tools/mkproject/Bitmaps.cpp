#include "Bitmaps.h"

#include <functional>
#include <string>

#include "Project.h"
#include "library/util/Text.h"

namespace mkproject {

namespace {

struct Sheet {
  std::string path;
  std::function<cCanvas()> paint;
};

std::vector<Sheet> Sheets() {
  std::vector<Sheet> sheets = {
      {"bmp\\plt\\Palette.bmp", PaintPalette},
      {"bmp\\Debug.bmp", PaintDebugFont},
      {"bmp\\Block.bmp", PaintBlocks},
      {"bmp\\Shot.bmp", PaintShots},
      {"bmp\\Item.bmp", PaintItems},
      {"bmp\\Item_Mini.bmp", PaintItemMinis},
      {"bmp\\Mark.bmp", PaintMarks},
      {"bmp\\Window.bmp", PaintWindow},
      {"bmp\\StatusWindow.bmp", PaintStatusWindow},
      {"bmp\\Title.bmp", PaintTitle},
      {"bmp\\GameMode.bmp", PaintGameMode},
      {"bmp\\Accessory.bmp", PaintAccessory},
      {"bmp\\Symbol.bmp", PaintSymbols},
      {"bmp\\Word.bmp", PaintWords},
      {"bmp\\WorldMapChip.bmp", PaintWorldMapChips},
      {"bmp\\WorldEvent.bmp", PaintWorldEvents},
      {"bmp\\WorldBack.bmp", PaintWorldBack},
      {"bmp\\sword\\SwordL.bmp", [] { return PaintSword(0); }},
      {"bmp\\sword\\SwordR.bmp", [] { return PaintSword(1); }},
      {"bmp\\chara_sp\\Special.bmp", PaintSpecial},
      {"bmp\\effect\\Spark.bmp", PaintEffect},
      {"bmp\\picture\\Picture.bmp", PaintPicture},
  };
  for (int sheet = 0; sheet < 8; ++sheet)
    sheets.push_back(
        {"bmp\\Character" + std::to_string(sheet + 1) + ".bmp", [sheet] { return PaintCharacters(sheet); }});
  // The eight background layers' default files lie in the project folder itself.
  for (int layer = 0; layer < 8; ++layer)
    sheets.push_back(
        {Sjis("背景その") + std::to_string(layer + 1) + ".bmp", [layer] { return PaintBackground(layer); }});
  return sheets;
}

}  // namespace

void WriteBitmaps() {
  for (const Sheet& sheet : Sheets()) WriteFile(sheet.path, sheet.paint().EncodeBmp());
}

}  // namespace mkproject
