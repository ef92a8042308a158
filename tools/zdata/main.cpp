// zdata: looks inside a project's record files.
//   zdata show FILE        prints a record file of a project as JSON: a stage
//                          file, the common palette, a database, System.dat,
//                          WorldMap.dat, Option.dat, a save or a ranking file
//   zdata resave FILE OUT  loads it and saves it again
// The load context comes from the loaded databases and common palette of the
// project folder holding FILE, or the defaults outside a project. Every value validation resets is told on standard
// error; a damaged file prints its error line there and exits with 1.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "GameDataJson.h"
#include "RecordJson.h"
#include "gamedata/ProjectContext.h"
#include "platform/HostPath.h"
#include "platform/TextCodec.h"

namespace fs = std::filesystem;

namespace {

enum class FileKind { kStage, kCommonPalette, kUnknown };

FileKind KindOf(const fs::path& file) {
  std::string extension = file.extension().string();
  if (extension.rfind(".stg4_", 0) == 0 || extension == ".stg4") return FileKind::kStage;
  if (extension == ".cplt4") return FileKind::kCommonPalette;
  return FileKind::kUnknown;
}

int Usage() {
  std::cerr << "usage: zdata show FILE\n       zdata resave FILE OUT\n";
  return 2;
}

struct Loaded {
  std::unique_ptr<cStageData> stage;
  std::unique_ptr<cPalette> palette;
  std::unique_ptr<cGameDataFile> gameData;
  cDataRecord& Record() { return stage ? static_cast<cDataRecord&>(*stage) : *palette; }
  bool Load(const std::string& path, const cLoadContext& ctx) {
    return gameData ? gameData->Load(path, ctx) : Record().LoadFromFile(path, ctx) != 0;
  }
  bool Save(const std::string& path, const cLoadContext& ctx) {
    return gameData ? gameData->Save(path, ctx) : Record().SaveToFile(path, ctx) != 0;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string_view command = argv[1];
  const fs::path file = argv[2];
  if ((command == "show" && argc != 3) || (command == "resave" && argc != 4) ||
      (command != "show" && command != "resave"))
    return Usage();
  Loaded loaded;
  loaded.gameData = OpenGameDataFile(file);
  const FileKind kind = KindOf(file);
  if (kind == FileKind::kUnknown && !loaded.gameData) {
    std::cerr << file.string() << ": not a record file of a project\n";
    return 2;
  }

  SetRecordLogSink([](std::string_view line) { std::cerr << platform::Cp932ToUtf8(line) << '\n'; });
  // Made absolute before the current folder may change to the project's.
  const fs::path absoluteFile = fs::absolute(file);
  const fs::path out = command == "resave" ? fs::absolute(argv[3]) : fs::path();
  cStandaloneContext context;
  if (auto root = cStandaloneContext::FindProjectRoot(absoluteFile)) {
    // The project's data paths are relative to its folder.
    std::error_code error;
    fs::current_path(*root, error);
    if (error) {
      std::cerr << root->string() << ": " << error.message() << '\n';
      return 1;
    }
    if (!LoadProjectContext(context)) return 1;
  }
  context.Get().onReset = [](std::string_view field, long oldValue, long newValue) {
    std::cerr << "reset " << field << ": " << oldValue << " -> " << newValue << '\n';
  };

  auto stored = platform::FromHostPath(absoluteFile);
  if (!stored) {
    std::cerr << file.string() << ": a name code page 932 cannot hold\n";
    return 1;
  }
  if (!loaded.gameData && kind == FileKind::kStage) loaded.stage = std::make_unique<cStageData>();
  if (!loaded.gameData && kind == FileKind::kCommonPalette) loaded.palette = std::make_unique<cPalette>();
  if (!loaded.Load(*stored, context.Get())) {
    // A damaged file has told its line through the log sink already.
    if (fs::exists(absoluteFile)) return 1;
    std::cerr << file.string() << ": cannot be opened\n";
    return 1;
  }

  if (command == "show") {
    cJsonWriter json(std::cout);
    if (loaded.gameData)
      loaded.gameData->WriteJson(json);
    else if (loaded.stage)
      WriteStageJson(json, *loaded.stage);
    else
      WritePaletteJson(json, *loaded.palette);
    json.Flush();
    return 0;
  }
  auto storedOut = platform::FromHostPath(out);
  if (!storedOut || !loaded.Save(*storedOut, context.Get())) {
    std::cerr << argv[3] << ": cannot be written\n";
    return 1;
  }
  return 0;
}
