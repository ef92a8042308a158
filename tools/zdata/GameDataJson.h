#pragma once
// The game-data record files zdata opens besides stages and palettes: the ten
// databases, System.dat, WorldMap.dat, Option.dat, story and challenge saves
// and ranking files, told apart by their names.
#include <filesystem>
#include <memory>
#include <string>

#include "Json.h"
#include "records/LoadContext.h"

class cGameDataFile {
 public:
  virtual ~cGameDataFile() = default;
  // Stored paths (CP932); false when the file cannot be read whole or written.
  virtual bool Load(const std::string& path, const cLoadContext& ctx) = 0;
  virtual bool Save(const std::string& path, const cLoadContext& ctx) = 0;
  virtual void WriteJson(cJsonWriter& json) = 0;
};

// The file's kind by its name; null when it is none of these.
std::unique_ptr<cGameDataFile> OpenGameDataFile(const std::filesystem::path& file);
