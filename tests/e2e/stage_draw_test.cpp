// A whole-program screenshot of the sample project's free stage once its
// captions are over: the hero, an enemy, the coins and the status bar show in
// the colours of the project's own sheets, at places computed from the stage
// file and the system data.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>

#include "PlayerRun.h"
#include "library/text/SjisText.h"
#include "platform/HostPath.h"
#include "records/StageData.h"
#include "records/StandaloneContext.h"

namespace {

using e2e::HeroAt;
using e2e::PlayerRun;
using platform::display::Bitmap;

constexpr int kCell = 32, kMargin = 10 * kCell;
// Fade-in, two 79-frame captions, then some play frames.
constexpr int kShotFrame = 200;

bool Near(std::uint32_t a, std::uint32_t b) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > 8) return false;
  return true;
}

class StageDrawRun : public PlayerRun {
 protected:
  Bitmap Picture(const std::string& relative) {
    auto bitmap = platform::display::LoadBitmapFile(platform::FromHostPath(project / relative).value());
    EXPECT_TRUE(bitmap.has_value()) << relative;
    return bitmap ? *bitmap : Bitmap{};
  }
  // The most frequent colour of a sheet's cell that is not the colour key: a
  // figure's body, an item's disc.
  std::uint32_t MainColour(const Bitmap& sheet, int x, int y, int w, int h, std::uint32_t key) {
    std::map<std::uint32_t, int> count;
    for (int py = y; py < y + h; ++py)
      for (int px = x; px < x + w; ++px)
        if (sheet.Colour(px, py) != key) ++count[sheet.Colour(px, py)];
    return std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
  }
  // Pixels of the colour inside the given stage cells (the view starts at
  // stage cell (0, 0)), leaving out cells that hold a block.
  int CountInCells(const Bitmap& shot, std::uint32_t colour, int cx0, int cy0, int cx1, int cy1) {
    int n = 0;
    for (int cy = cy0; cy <= cy1; ++cy)
      for (int cx = cx0; cx <= cx1; ++cx) {
        if (blockCells.count({cx, cy}) || cx < 0 || cy < 0 || cx >= 20 || cy >= 15) continue;
        for (int y = cy * kCell; y < (cy + 1) * kCell; ++y)
          for (int x = cx * kCell; x < (cx + 1) * kCell; ++x) n += Near(shot.Colour(x, y), colour);
      }
    return n;
  }

  std::set<std::pair<int, int>> blockCells;
};

TEST_F(StageDrawRun, FreeStageFrameShowsCharactersItemsAndTheStatusBar) {
  UseSampleProject();
  env["ZANDREL_FRAMES"] = std::to_string(kShotFrame + 10);
  env["ZANDREL_SHOT"] = std::to_string(kShotFrame) + ":" + (project / "shot.bmp").string();
  ASSERT_EQ(Run("data\\stg4\\Default.stg4"), 0) << Read("Report_Game.txt");
  const std::vector<HeroAt> track = e2e::HeroTrack(Read("trace.txt"));
  ASSERT_FALSE(track.empty()) << "no play frame before the shot";

  cStandaloneContext context;
  cStageData stage;
  ASSERT_EQ(stage.LoadFromFile(platform::FromHostPath(project / "data/stg4/Default.stg4_696").value(), context.Get()),
            1);
  cSystemData system;
  ASSERT_EQ(system.LoadFromFile(platform::FromHostPath(project / "data/System.dat").value(), context.Get()), 1);
  for (const cBlockDef& block : stage.m_PlacedBlocks) blockCells.insert({block.m_nMapX, block.m_nMapY});

  const Bitmap shot = Picture("shot.bmp");
  ASSERT_EQ(shot.width, 640);
  const std::uint32_t key = Picture("bmp/plt/Palette.bmp").Colour(0, 0);
  const Bitmap characters = Picture("bmp/Character1.bmp");
  const Bitmap items = Picture("bmp/Item.bmp");

  // The view rests on the stage's top-left corner while the hero stands near it.
  const HeroAt hero = track.back();
  ASSERT_LT(hero.x, kMargin + 320);
  int charactersSeen = 0;
  for (const cCharaDef& c : stage.m_PlacedCharas) {
    const std::uint32_t body = MainColour(characters, 0, c.m_nGraphic % 15 * kCell, 20 * kCell, kCell, key);
    const bool isHero = c.m_nOperator == 0;
    const int cx = isHero ? static_cast<int>(hero.x - kMargin) / kCell : c.m_nMapX;
    if (cx > 18) continue;  // off screen
    // Computer characters walk; look a few cells to both sides of where they started.
    const int reach = isHero ? 1 : 3;
    EXPECT_GE(CountInCells(shot, body, cx - reach, c.m_nMapY - 1, cx + reach, c.m_nMapY), 100)
        << "character " << c.m_nGraphic << " at column " << cx;
    // The same rows where no object stands do not show that colour.
    EXPECT_LT(CountInCells(shot, body, 5, c.m_nMapY - 1, 7, c.m_nMapY), 20) << "character " << c.m_nGraphic;
    ++charactersSeen;
  }
  EXPECT_GE(charactersSeen, 2);

  int itemsSeen = 0;
  for (const cItemDef& item : stage.m_PlacedItems) {
    if (item.m_nMapX > 19) continue;
    const int a = item.m_nGraphic;
    const std::uint32_t disc = MainColour(items, a / 15 * 2 * kCell, a % 15 * kCell, kCell, kCell, key);
    EXPECT_GE(CountInCells(shot, disc, item.m_nMapX, item.m_nMapY, item.m_nMapX, item.m_nMapY), 100)
        << "item at " << item.m_nMapX << "," << item.m_nMapY;
    EXPECT_LT(CountInCells(shot, disc, 0, item.m_nMapY, 3, item.m_nMapY), 20) << "item " << a;
    ++itemsSeen;
  }
  EXPECT_GE(itemsSeen, 1);

  // The status bar: the shown items spread with equal gaps over 638 dots; the
  // HP gauge of a hero at full HP is filled over its 50 dots.
  ASSERT_TRUE(stage.m_bShowStatus);
  const Bitmap bar = Picture("bmp/StatusWindow.bmp");
  const Bitmap accessory = Picture("bmp/Accessory.bmp");
  std::array<int, 5> width{};
  int total = 0, shown = 0;
  for (int i = 0; i < 5; ++i) {
    const cGaugeData& item = system.m_StatusItems.VecAt(i);
    width[static_cast<size_t>(i)] =
        (item.m_bIcon ? 16 : 16 * CountSjisChars(item.m_Label)) + (i == 2 || i == 3 ? 50 : 16 * item.m_nValueWidth);
    if (item.m_bShown) total += width[static_cast<size_t>(i)], ++shown;
  }
  ASSERT_GT(shown, 0);
  const int gap = (638 - total) / (shown + 1);
  EXPECT_TRUE(Near(shot.Colour(gap / 2, 10), bar.Colour(gap / 2, 10)));
  int x = gap;
  for (int i = 0; i < 5; ++i) {
    const cGaugeData& item = system.m_StatusItems.VecAt(i);
    if (!item.m_bShown) continue;
    if (item.m_bIcon) {
      // The icon's own pixels, where it has any.
      const int sx = i * 16;
      for (int py = 0; py < 16; ++py)
        for (int px = 0; px < 16; ++px)
          if (accessory.Colour(sx + px, 32 + py) != key) {
            ASSERT_TRUE(Near(shot.Colour(x + px, 3 + py), accessory.Colour(sx + px, 32 + py)))
                << "status icon " << i << " pixel " << px << "," << py;
          }
    }
    if (i == 2) {
      const int gaugeX = x + (item.m_bIcon ? 16 : 16 * CountSjisChars(item.m_Label));
      for (int px : {1, 25, 48}) EXPECT_TRUE(Near(shot.Colour(gaugeX + px, 11), accessory.Colour(px, 152))) << px;
    }
    x += width[static_cast<size_t>(i)] + gap;
  }
}

}  // namespace
