#pragma once
// The one bounded reader and the one writer of record files. Every read is
// checked against the end of the data, every count against the bytes left, so
// a damaged or hostile file fails its load with a cLoadError naming the offset
// and the reason, never reading, allocating or recursing without bound.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "library/util/Text.h"

static_assert(std::endian::native == std::endian::little, "record files are little-endian, as their members in memory");

// Whole files above this size are refused before they are read.
constexpr std::size_t kMaxRecordFileBytes = std::size_t{256} << 20;
// A stored string longer than this is refused.
constexpr std::uint32_t kMaxStringBytes = std::uint32_t{16} << 20;
// The fewest bytes a nested record body takes: its field and string counts.
constexpr std::size_t kMinRecordBodyBytes = 8;

class cLoadError : public std::runtime_error {
 public:
  cLoadError(std::size_t offset, const std::string& reason) : std::runtime_error(reason), m_offset(offset) {}
  std::size_t Offset() const { return m_offset; }

 private:
  std::size_t m_offset;
};

class cRecordReader {
 public:
  // Over bytes already in memory (fuzz targets, tests); `name` labels log lines.
  cRecordReader(std::vector<std::uint8_t> bytes, std::string name);
  // Reads a whole file and its version word; none when it cannot be opened or
  // read (the reason is logged when the file exists but is unusable).
  static std::optional<cRecordReader> Open(std::string_view path);

  const std::string& Name() const { return m_name; }
  std::size_t Offset() const { return m_offset; }
  std::size_t Remaining() const { return m_bytes.size() - m_offset; }
  std::size_t Size() const { return m_bytes.size(); }
  const std::uint8_t* Data() const { return m_bytes.data(); }
  // The data version of the file, which decides what its records register.
  int Version() const { return m_version; }
  void SetVersion(int version) { m_version = version; }

  [[noreturn]] void Fail(const std::string& reason) const;
  [[noreturn]] void FailF(const char* format, ...) const ZANDREL_PRINTF(2, 3);

  void ReadBytes(void* out, std::size_t count);
  template <typename T>
  T Read() {
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    ReadBytes(&value, sizeof value);
    return value;
  }
  std::uint32_t ReadU32() { return Read<std::uint32_t>(); }
  std::int32_t ReadI32() { return Read<std::int32_t>(); }
  // A list count whose elements take at least minElementBytes each: a count the
  // rest of the data cannot hold fails here, before anything is allocated.
  std::uint32_t ReadCount(std::size_t minElementBytes, const char* what);
  // A stored string (u32 length with its NUL, then the bytes); the text up to
  // its first NUL.
  std::string ReadString();

  // Scope of one nesting level of recursive records; deeper than `limit` fails.
  class cNesting {
   public:
    cNesting(cRecordReader& in, int limit, const char* what);
    ~cNesting() { --m_in.m_depth; }
    cNesting(const cNesting&) = delete;
    cNesting& operator=(const cNesting&) = delete;

   private:
    cRecordReader& m_in;
  };

 private:
  std::vector<std::uint8_t> m_bytes;
  std::string m_name;
  std::size_t m_offset = 0;
  int m_version = 0;
  int m_depth = 0;
};

class cRecordWriter {
 public:
  const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

  void WriteBytes(const void* data, std::size_t count);
  template <typename T>
  void Write(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    WriteBytes(&value, sizeof value);
  }
  void WriteU32(std::uint32_t value) { Write(value); }
  void WriteI32(std::int32_t value) { Write(value); }
  void WriteCount(std::size_t count);
  // The text up to its first NUL, whole, whatever its length.
  void WriteString(std::string_view text);

 private:
  std::vector<std::uint8_t> m_bytes;
};

// Runs `load` over a whole record file (the version word already read into the
// reader and nFileVersion). A damaged file is logged as one line naming the
// file, offset and reason. False when the file cannot be opened or is damaged.
bool LoadDataFile(std::string_view path, const std::function<void(cRecordReader&)>& load);
// The same over bytes in memory, labelled `name` in the log.
bool LoadDataBytes(std::vector<std::uint8_t> bytes, std::string name, const std::function<void(cRecordReader&)>& load);
// Writes the current version word and what `save` writes, through a temporary
// file renamed over `path`. False (old file untouched) when that fails.
bool SaveDataFile(std::string_view path, const std::function<void(cRecordWriter&)>& save);
// Atomically replaces the file at a stored path with `bytes`. On failure errno
// holds the reason the first failing step gave.
bool WriteFileAtomically(std::string_view path, const std::vector<std::uint8_t>& bytes);

// Where the record files' failure lines go: the report log unless a tool or a
// test installs its own sink (null restores the report log).
void SetRecordLogSink(std::function<void(std::string_view)> sink);
void RecordLog(std::string_view line);
