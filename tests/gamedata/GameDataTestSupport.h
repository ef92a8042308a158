#pragma once
// Shared by the game-data tests: whole files in memory through our own Save,
// and loads of hand-built bytes.
#include <functional>

#include "records/DataRecord.h"
#include "records/RecordTestSupport.h"

namespace gamedatatest {

using recordtest::ByteBuilder;
using recordtest::Bytes;

// The bytes SaveToFile would write: the version word, then what `save` writes.
inline Bytes SavedBytes(const std::function<void(cRecordWriter&)>& save) {
  cRecordWriter out;
  out.WriteI32(nCurVersion);
  save(out);
  return out.Bytes();
}

inline Bytes SavedRecord(cDataRecord& record, const cLoadContext& ctx = {}) {
  return SavedBytes([&](cRecordWriter& out) { record.Save(out, ctx); });
}

inline bool LoadBytes(const Bytes& bytes, const std::function<void(cRecordReader&)>& load) {
  return LoadDataBytes(bytes, "test", load);
}

inline bool LoadRecord(cDataRecord& record, const Bytes& bytes, const cLoadContext& ctx = {}) {
  return LoadBytes(bytes, [&](cRecordReader& in) { record.Load(in, ctx); });
}

}  // namespace gamedatatest
