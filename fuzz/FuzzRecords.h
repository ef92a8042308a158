#pragma once
// What the record fuzz targets share: a quiet log, the default context, and
// the check that whatever loads saves into a file that loads to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "records/DataRecord.h"
#include "records/StandaloneContext.h"

namespace fuzzrecords {

inline const cLoadContext& Context() {
  static cStandaloneContext context;
  static bool quiet = (SetRecordLogSink([](std::string_view) {}), true);
  (void)quiet;
  return context.Get();
}

template <typename Record>
std::vector<std::uint8_t> Save(Record& record) {
  cRecordWriter out;
  out.WriteI32(nCurVersion);
  record.Save(out, Context());
  return out.Bytes();
}

template <typename Record>
bool Load(Record& record, const std::uint8_t* data, std::size_t size) {
  return LoadDataBytes(std::vector<std::uint8_t>(data, data + size), "fuzz",
                       [&](cRecordReader& in) { record.Load(in, Context()); });
}

// Loads the input; when it loads, what Save writes must load again and save
// to the same bytes.
template <typename Record>
void LoadAndResave(const std::uint8_t* data, std::size_t size) {
  Record record;
  if (!Load(record, data, size)) return;
  std::vector<std::uint8_t> saved = Save(record);
  Record again;
  if (!Load(again, saved.data(), saved.size())) std::abort();
  if (Save(again) != saved) std::abort();
}

}  // namespace fuzzrecords
