#include "gamedata/panels/Panels.h"

#include <algorithm>

#include "gamedata/NumberText.h"
#include "library/draw/Draw.h"
#include "library/text/Font.h"
#include "library/text/SjisText.h"
#include "library/util/Text.h"

namespace {

constexpr int kRow = 16;
constexpr int kLineColour = 240;
constexpr int kSlotListWidth = 320;
constexpr int kGenreLabelText = 5;  // UI text 5 + genre is the genre's label
constexpr int kGenreHintText = 24;
constexpr int kClearTimeGenre = 2;

Font& PanelFont() { return Fonts[1]; }

const std::string& UiText(int index) { return CurrentSystemData().m_UiTexts.VecAt(index); }

void DrawMarker(DDSURFACEDATA* surface, int x, int y) {
  if (!lpUserSD || ACCESSORY_SURFACE >= nUserSD) return;
  DDBlt(surface, x, y, 16, 16, &lpUserSD[ACCESSORY_SURFACE], 16, 48, 1);
}

// Prints with the font's symbol letters off while the system data asks for it,
// so that names and English captions keep their lowercase letters.
template <typename Print>
void WithLettersIfSwitchA(Print print) {
  Font& font = PanelFont();
  bool plain = CurrentSystemData().m_bFontSwitchA == 1;
  if (plain) font.bSymbols = 0;
  print();
  if (plain) font.bSymbols = 1;
}

int GenreValue(const cSaveData& play, int genre) {
  switch (genre) {
    case 0:
      return play.nScore;
    case 1:
      return play.nTimeLeftTotal;
    case 2:
      return play.nClearTimeTotal;
    case 3:
      return play.nHpLeftTotal;
    default:
      return play.nSpLeftTotal;
  }
}

void PrintGenreValue(DDSURFACEDATA* surface, int x, int y, int genre, int value) {
  if (genre == kClearTimeGenre) {
    std::string time;
    FormatTimeText(time, value);
    PanelFont().Printf(surface, x, y, "%s", time.c_str());
  } else {
    PanelFont().Printf(surface, x, y, "%d", value);
  }
}

}  // namespace

void DrawMenuText(int x, int y, int first, int count, int cursorColumn) {
  if (count <= 0) return;
  std::string text;
  int longest = 0;
  for (int i = first; i < first + count; ++i) {
    const std::string& line = UiText(i);
    longest = std::max(longest, CountSjisChars(line));
    StrAppendFormat(text, cursorColumn ? " %s\n" : "%s\n", line.c_str());
  }
  int width = (longest + (cursorColumn ? 1 : 0)) * kRow;
  // The texts come from the project's data: they are printed, never used as a format.
  PanelFont().PrintfInWindow(&BackBuffer, x, y, width, count * kRow, "%s", text.c_str());
}

void DrawSaveSlotList(DDSURFACEDATA* surface, int x, int y, SaveSlotVector& list, int first, int rows) {
  Font& font = PanelFont();
  font.DrawWindow(surface, x, y, kSlotListWidth, rows * kRow);
  for (int r = 0; r < rows; ++r) {
    int top = y + kRow * r;
    if (r != rows - 1) DDFillRect(surface, x, top + kRow - 1, kSlotListWidth, 1, kLineColour);
    if (list.empty() || first + r >= static_cast<int>(list.size())) break;
    font.Printf(surface, x + 16, top, "%d", first + r + 1);
    const cSaveSlot& slot = list.VecAt(first + r);
    if (!slot.bUsed) continue;
    const SYSTEMTIME& t = slot.SaveTime;
    // A damaged file that ended before its time stamp still marks its slot as taken.
    if (!slot.HasSaveTime())
      font.Printf(surface, x + 64, top, "----/--/-- --:--\n");
    else
      font.Printf(surface, x + 64, top, "%04d/%02d/%02d %02d:%02d\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
  }
}

void DrawRanking(cRanking& ranking, DDSURFACEDATA* surface, int x, int y, int genre, int marked, int gameMode,
                 int bEnglish) {
  DrawRankingTable(ranking.Tables.VecAt(genre), surface, x, y, genre, marked, gameMode, bEnglish);
}

void DrawRankingTable(cRankingTable& table, DDSURFACEDATA* surface, int x, int y, int genre, int marked, int gameMode,
                      int bEnglish) {
  Font& font = PanelFont();
  font.DrawWindow(surface, x + 1, y + 1, 270, 350);
  const std::string& label = UiText(kGenreLabelText + genre);
  if (bEnglish) {
    WithLettersIfSwitchA([&] { font.Printf(surface, x, y, "Ranking     %s", label.c_str()); });
  } else {
    static const std::string caption = Sjis("ランキング    %s");
    font.Printf(surface, x, y, caption.c_str(), label.c_str());
  }
  int entries = static_cast<int>(table.Entries.size());
  // A stored table may hold no entries at all: its column is that of a 0.
  int column = genre == kClearTimeGenre ? 8 : CountDigits(entries ? table.Entries.VecAt(0).nValue : 0);
  for (int i = 0; i < entries; ++i) {
    const cRankingEntry& entry = table.Entries.VecAt(i);
    if (!entry.bValid) continue;
    int row = y + kRow * (i + 1);
    font.Printf(surface, x + 16, row, "%d", i + 1);
    WithLettersIfSwitchA([&] { font.Printf(surface, x + 64, row, "%s", entry.EntryName.c_str()); });
    if (genre == kClearTimeGenre) {
      PrintGenreValue(surface, x + 144, row, genre, entry.nValue);
    } else if (genre >= 0 && genre < RANKING_GENRE_COUNT) {
      // Right-aligned: every value's last digit ends in the same column.
      PrintGenreValue(surface, x + (column - CountDigits(entry.nValue) + 9) * kRow, row, genre, entry.nValue);
    }
  }
  if (CurrentSystemData().CountRankingGenres(gameMode) >= 2) {
    const std::string& hint = UiText(kGenreHintText);
    font.Print(surface, x + 136 - CountSjisChars(hint) * kRow / 2, y + kRow * (entries + 1), hint);
  }
  if (marked != -1) DrawMarker(surface, x, y + kRow * (marked + 1));
}

void DrawStatusPanel(DDSURFACEDATA* surface, int x, int y, std::span<const int> places, const cSaveData& play,
                     const StatusPanelInputs& inputs) {
  const cSystemData& system = CurrentSystemData();
  std::array<int, RANKING_GENRE_COUNT> shown{};
  for (int i = 0; i < RANKING_GENRE_COUNT; ++i) {
    bool ranked = inputs.bFreeStageStart || system.m_ModeRankings.VecAt(inputs.nGameMode).m_Genres.VecAt(i) != 0;
    shown[static_cast<size_t>(i)] = inputs.counterSwitches[static_cast<size_t>(i)] && ranked;
  }
  int rows = CountEqual(shown, 1);
  if (rows == 0) return;
  int labelWidth = 1;
  int valueWidth = shown[0] ? CountDigits(play.nScore) : 1;
  for (int i = 0; i < RANKING_GENRE_COUNT; ++i) {
    if (!shown[static_cast<size_t>(i)]) continue;
    labelWidth = std::max(labelWidth, CountSjisChars(UiText(kGenreLabelText + i)));
    int digits = i == kClearTimeGenre ? 8 : CountDigits(GenreValue(play, i));
    if (i != 0) valueWidth = std::max(valueWidth, digits);
  }
  Font& font = PanelFont();
  font.DrawWindow(surface, x, y, (valueWidth + labelWidth + 3) * kRow, rows * kRow);
  int row = y;
  for (int i = 0; i < RANKING_GENRE_COUNT; ++i) {
    if (!shown[static_cast<size_t>(i)]) continue;
    font.Printf(surface, x + 16, row, "%s", UiText(kGenreLabelText + i).c_str());
    PrintGenreValue(surface, x + 32 + kRow * labelWidth, row, i, GenreValue(play, i));
    // The marker goes on the row of the genre that placed.
    size_t genre = static_cast<size_t>(i);
    if (genre < places.size() && places[genre] != -1) DrawMarker(surface, x, row);
    row += kRow;
  }
}
