#include "records/StandaloneContext.h"

#include <optional>

#include "platform/HostPath.h"
#include "records/Palette.h"
#include "records/StageData.h"

namespace fs = std::filesystem;

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

bool cStandaloneContext::LoadCommonPalette(const fs::path& root) {
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
