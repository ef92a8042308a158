#include "gamedata/ProjectContext.h"

#include <filesystem>

#include "gamedata/Database.h"

bool LoadProjectContext(cStandaloneContext& context) {
  cDatabase database;
  if (!LoadDatabase(database, context.Get(), MissingDatabase::KeepsDefault)) return false;
  FillLoadContext(database, context.Get());
  return context.LoadCommonPalette(std::filesystem::current_path());
}
