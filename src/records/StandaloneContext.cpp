#include "records/StandaloneContext.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/HostPath.h"
#include "records/Palette.h"
#include "records/StageData.h"

namespace fs = std::filesystem;

namespace {

// Entry count of a database file: the word after its version. None when the
// file is missing or too short.
std::optional<int> DatabaseEntryCount(const fs::path& file) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> handle(std::fopen(file.c_str(), "rb"), std::fclose);
  if (!handle) return std::nullopt;
  std::uint32_t words[2];
  if (std::fread(words, sizeof words[0], 2, handle.get()) != 2 || words[1] > INT32_MAX) return std::nullopt;
  return static_cast<int>(words[1]);
}

}  // namespace

cStandaloneContext::cStandaloneContext()
    : m_palette(std::make_unique<cPalette>()), m_startupStage(std::make_unique<cStageData>()) {
  m_ctx.commonPalette = m_palette->Lists();
  m_ctx.stagePalette = m_startupStage->Palette();
}

cStandaloneContext::~cStandaloneContext() = default;

std::optional<fs::path> cStandaloneContext::FindProjectRoot(const fs::path& file) {
  std::error_code error;
  fs::path folder = fs::absolute(file, error).parent_path();
  for (; !folder.empty(); folder = folder.parent_path()) {
    if (fs::is_directory(folder / "data", error)) return folder;
    if (folder == folder.root_path()) break;
  }
  return std::nullopt;
}

bool cStandaloneContext::LoadProject(const fs::path& root) {
  const fs::path databases = root / "data" / "database";
  struct Size {
    const char* file;
    int DatabaseSizes::*count;
  };
  static constexpr Size sizes[] = {
      {"AnimeSet.dat", &DatabaseSizes::nAnimeSet},
      {"Anime.dat", &DatabaseSizes::nAnime},
      {"Bmp_CharaExc.dat", &DatabaseSizes::nBmpCharaExc},
      {"SwordType.dat", &DatabaseSizes::nSwordType},
      {"Effect.dat", &DatabaseSizes::nEffect},
      {"CharaEffect.dat", &DatabaseSizes::nCharaEffect},
      {"ScrEffect.dat", &DatabaseSizes::nScrEffect},
      {"Picture.dat", &DatabaseSizes::nPicture},
      {"Sound.dat", &DatabaseSizes::nSound},
      {"Bgm.dat", &DatabaseSizes::nBgm},
  };
  for (const Size& size : sizes)
    if (auto count = DatabaseEntryCount(databases / size.file)) m_ctx.db.*size.count = *count;

  const fs::path palette = root / "data" / "CommonPalette.cplt4";
  std::error_code error;
  if (!fs::exists(palette, error)) return true;
  auto stored = platform::FromHostPath(palette);
  // The palette loads with this context: its entries inherit from itself.
  cPalette loaded;
  if (!stored || !loaded.LoadFromFile(*stored, m_ctx)) return false;
  *m_palette = std::move(loaded);
  return true;
}
