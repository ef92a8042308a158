// Database files from anywhere (the first byte picks which of the ten): loading
// never crashes, hangs or allocates without bound, and what loads saves back
// consistently.
#include "FuzzRecords.h"
#include "gamedata/Database.h"

namespace {

// One database file as a record of its own, for the shared load-and-resave check.
template <DatabaseFile File>
struct cDatabaseFile {
  cDatabase db;
  void Load(cRecordReader& in, const cLoadContext& ctx) { LoadDatabaseList(db, File, in, ctx); }
  void Save(cRecordWriter& out, const cLoadContext& ctx) { SaveDatabaseList(db, File, out, ctx); }
};

template <int... Files>
void LoadFile(int which, const std::uint8_t* data, std::size_t size, std::integer_sequence<int, Files...>) {
  ((which == Files ? fuzzrecords::LoadAndResave<cDatabaseFile<static_cast<DatabaseFile>(Files)>>(data, size) : void()),
   ...);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  LoadFile(data[0] % DATABASE_FILE_COUNT, data + 1, size - 1, std::make_integer_sequence<int, DATABASE_FILE_COUNT>{});
  return 0;
}
