#include <array>

#include "library/draw/Draw.h"
#include "library/util/Text.h"

namespace {

struct TableEntry {
  SURFACEDESCDATA desc;
  int linkedTo = -1;
};

std::array<TableEntry, 71> BuildTable() {
  std::array<TableEntry, 71> t;
  auto file = [&](int i, std::string_view name, int transmit, int system, int linked, int optional, int mirror,
                  int linkedTo) {
    SetSurfaceDesc(&t[i].desc, name, transmit, system, 0, linked, 0, optional, mirror, 0, 0, 0);
    t[i].linkedTo = linkedTo;
  };
  auto blank = [&](int i, int transmit, int system, int memoryType, int linked, int w, int h, int linkedTo) {
    SetSurfaceDesc(&t[i].desc, "E", transmit, system, memoryType, linked, 0, 0, 0, 0, w, h);
    t[i].linkedTo = linkedTo;
  };
  file(0, "bmp\\plt\\Palette.bmp", 0, 1, 0, 0, 0, -1);
  file(1, "bmp\\Debug.bmp", 1, 0, 0, 0, 0, -1);
  file(2, "bmp\\Block.bmp", 1, 0, 0, 0, 0, -1);
  file(3, "bmp\\Block.bmp", 1, 1, 1, 0, 0, 2);
  file(4, "bmp\\Character1.bmp", 1, 0, 0, 0, 0, -1);
  file(5, "bmp\\Character1.bmp", 1, 0, 1, 0, 32, 4);
  for (int n = 2; n <= 8; ++n) {
    const std::string name = "bmp\\Character" + std::to_string(n) + ".bmp";
    const int sheet = 6 + 2 * (n - 2);
    file(sheet, name, 1, 0, 0, 1, 0, -1);
    file(sheet + 1, name, 1, 0, 1, 1, 32, sheet);
    file(24 + 2 * (n - 2), name, 1, 1, 1, 1, 0, sheet);
    file(25 + 2 * (n - 2), name, 1, 1, 1, 1, 32, sheet);
  }
  file(20, "bmp\\Shot.bmp", 1, 0, 0, 0, 0, -1);
  file(21, "bmp\\Shot.bmp", 1, 0, 1, 0, 16, 20);
  file(22, "bmp\\Character1.bmp", 1, 1, 1, 0, 0, 4);
  file(23, "bmp\\Character1.bmp", 1, 1, 1, 0, 32, 4);
  file(38, "bmp\\Shot.bmp", 1, 1, 1, 0, 0, 20);
  file(39, "bmp\\Shot.bmp", 1, 1, 1, 0, 16, 20);
  file(40, "bmp\\Item.bmp", 1, 0, 0, 0, 0, -1);
  file(41, "bmp\\Item.bmp", 1, 1, 1, 0, 0, 40);
  file(42, "bmp\\Item_Mini.bmp", 1, 0, 0, 0, 0, -1);
  file(43, "bmp\\Mark.bmp", 1, 0, 0, 0, 0, -1);
  file(44, "bmp\\Mark.bmp", 1, 1, 1, 0, 0, 43);
  file(45, "bmp\\Window.bmp", 0, 0, 0, 0, 0, -1);
  file(46, "bmp\\StatusWindow.bmp", 1, 0, 0, 0, 0, -1);
  file(47, "bmp\\Title.bmp", 0, 0, 0, 0, 0, -1);
  file(48, "bmp\\GameMode.bmp", 1, 0, 0, 1, 0, -1);
  file(49, "bmp\\Accessory.bmp", 1, 0, 0, 0, 0, -1);
  file(50, "bmp\\Symbol.bmp", 1, 0, 0, 0, 0, -1);
  file(51, "bmp\\Word.bmp", 1, 0, 0, 0, 0, -1);
  file(52, "bmp\\WorldMapChip.bmp", 1, 0, 0, 0, 0, -1);
  file(53, "bmp\\WorldEvent.bmp", 1, 1, 0, 0, 0, -1);
  file(54, "bmp\\WorldBack.bmp", 0, 1, 0, 1, 0, -1);
  static const char* const kBackgrounds[] = {"背景その1.bmp", "背景その2.bmp", "背景その3.bmp", "背景その4.bmp",
                                             "背景その5.bmp", "背景その6.bmp", "背景その7.bmp", "背景その8.bmp"};
  for (int n = 0; n < 8; ++n) file(55 + n, Sjis(kBackgrounds[n]), 1, 0, 0, 1, 0, -1);
  blank(63, 1, 1, 0, 0, 256, 960, -1);
  blank(64, 1, 1, 0, 0, 256, 960, -1);
  blank(65, 1, 1, 0, 0, 640, 480, -1);
  blank(66, 0, 1, 0, 0, 640, 480, -1);
  blank(67, 1, 0, 0, 0, 640, 480, -1);
  blank(68, 1, 1, 0, 1, 640, 480, 67);
  blank(69, 1, 0, 2, 0, 1024, 1024, -1);
  blank(70, 1, 1, 1, 0, 1024, 1024, -1);
  return t;
}

const std::array<TableEntry, 71>& Table() {
  static const auto table = BuildTable();
  return table;
}

std::array<SURFACEDESCDATA, 71> Descriptors() {
  std::array<SURFACEDESCDATA, 71> out;
  for (int i = 0; i < 71; ++i) out[i] = Table()[i].desc;
  return out;
}

}  // namespace

SURFACEDESCDATA SurfaceDesc[71] = {};

namespace {
// Fills the table before start-up, as its static initialiser always did.
const bool kSurfaceDescFilled = [] {
  const auto descriptors = Descriptors();
  std::copy(descriptors.begin(), descriptors.end(), SurfaceDesc);
  return true;
}();
}  // namespace

void LinkUserSurfaces(DDSURFACEDATA* userSD) {
  for (int i = 0; i < 71; ++i) userSD[i].lpLinkSD = Table()[i].linkedTo >= 0 ? &userSD[Table()[i].linkedTo] : nullptr;
}
