// mkproject DIR: writes the sample game project into DIR (made when
// missing): databases, system data, world map, common palette, stages,
// bitmaps, the 8-bit blend tables, sounds, music, System.ini and the
// default\ copy of data\. The output depends on nothing but this program, so
// two runs write the same bytes.
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string_view>

#include "Project.h"
#include "gamedata/Database.h"
#include "gamedata/DefaultData.h"
#include "gamedata/PathTable.h"
#include "platform/HostPath.h"
#include "platform/TextCodec.h"
#include "records/Palette.h"
#include "records/RecordIo.h"

namespace fs = std::filesystem;

namespace {

void WriteRecords() {
  cLoadContext ctx;
  cDatabase db;
  mkproject::WriteDatabases(db, ctx);
  FillLoadContext(db, ctx);
  cPalette palette;
  mkproject::WriteCommonPalette(palette, ctx);
  ctx.commonPalette = palette.Lists();
  mkproject::WriteSystemData(ctx);
  mkproject::WriteWorldMap(ctx);
  mkproject::WriteStages(palette, ctx);
}

// default\ holds what a fresh project copies into data\ on its first run.
void CopyDefaultData() {
  const fs::path data = platform::ToHostPath(PathTable[PATH_DATA]);
  const fs::path defaults = platform::ToHostPath(PathTable[PATH_DEFAULT]);
  fs::remove_all(defaults);
  fs::copy(data, defaults, fs::copy_options::recursive);
}

constexpr const char* kUsage =
    "usage: mkproject DIR\n"
    "Writes the sample game project into DIR (made when missing).\n"
    "A folder whose name starts with '-' is given as ./-NAME.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::string_view argument = argc == 2 ? argv[1] : "";
  if (argument == "--help" || argument == "-h") {
    std::cout << kUsage;
    return 0;
  }
  // Options are not folder names: an unknown one writes nothing.
  if (argc != 2 || argument.empty() || argument.front() == '-') {
    if (argument.size() > 1 && argument.front() == '-') std::cerr << "mkproject: unknown option " << argument << '\n';
    std::cerr << kUsage;
    return 2;
  }
  SetRecordLogSink([](std::string_view line) { std::cerr << platform::Cp932ToUtf8(line) << '\n'; });
  try {
    fs::create_directories(argv[1]);
    fs::current_path(argv[1]);
    CreateFolderList();
    WriteRecords();
    mkproject::WriteBitmaps();
    mkproject::WriteBlendTables();
    mkproject::WriteSounds();
    mkproject::WriteMusic();
    mkproject::WriteSystemIni();
    CopyDefaultData();
  } catch (const std::exception& error) {
    std::cerr << "mkproject: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
