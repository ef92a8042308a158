#pragma once
// Shared by the game-data tests: whole files in memory through our own Save,
// and loads of hand-built bytes.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>

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

// Whether this build runs under the address sanitizer, whose shadow memory
// cannot be held under an address-space bound.
constexpr bool kUnderAddressSanitizer =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    true;
#else
    false;
#endif
#else
    false;
#endif

// Bytes of address space the process holds now.
inline std::size_t AddressSpaceBytes() {
  std::size_t pages = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm && std::fscanf(statm, "%zu", &pages) != 1) pages = 0;
  if (statm) std::fclose(statm);
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// How a load ran under an address-space bound: its process's exit code.
enum BoundedLoad { kLoaded = 0, kRefused = 1, kOutOfMemory = 2 };

// Runs `load` (in a child process of a death test) with the address space held
// to what the process has plus `factor` times `fileBytes`, and exits with
// what became of it.
[[noreturn]] inline void LoadWithinBound(std::size_t fileBytes, std::size_t factor, const std::function<bool()>& load) {
  struct rlimit bound {};
  bound.rlim_cur = bound.rlim_max = AddressSpaceBytes() + factor * fileBytes;
  setrlimit(RLIMIT_AS, &bound);
  BoundedLoad result = kRefused;
  try {
    result = load() ? kLoaded : kRefused;
  } catch (const std::bad_alloc&) {
    result = kOutOfMemory;
  }
  std::_Exit(result);
}

}  // namespace gamedatatest
