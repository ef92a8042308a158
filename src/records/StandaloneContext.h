#pragma once
// A load context for loading outside a running player (tools, fuzz targets,
// tests): the defaults, or a project's common palette loaded with the database
// sizes its owner puts in (the databases themselves belong to the game data).
// While the common palette itself loads, its stage is a start-up stage with
// one entry per list, as at start-up.
#include <filesystem>
#include <memory>
#include <optional>

#include "records/LoadContext.h"

class cPalette;
class cStageData;

class cStandaloneContext {
 public:
  // Default database sizes and a default common palette.
  cStandaloneContext();
  ~cStandaloneContext();
  cStandaloneContext(const cStandaloneContext&) = delete;
  cStandaloneContext& operator=(const cStandaloneContext&) = delete;

  // The project folder holding `file` (the nearest folder above it with a
  // "data" folder), if any.
  static std::optional<std::filesystem::path> FindProjectRoot(const std::filesystem::path& file);
  // Loads the common palette of the project in `root` with this context; true
  // when the project has none, false when it does not load.
  bool LoadCommonPalette(const std::filesystem::path& root);

  const cLoadContext& Get() const { return m_ctx; }
  cLoadContext& Get() { return m_ctx; }
  const cPalette& CommonPalette() const { return *m_palette; }

 private:
  std::unique_ptr<cPalette> m_palette;
  std::unique_ptr<cStageData> m_startupStage;
  cLoadContext m_ctx;
};
