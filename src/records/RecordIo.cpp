#include "records/RecordIo.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>

#include "library/util/Log.h"
#include "library/util/Text.h"
#include "platform/HostPath.h"
#include "records/DataRecord.h"

namespace {

std::string StrFormatted(const char* format, ...) ZANDREL_PRINTF(1, 2);
std::string StrFormatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text;
  StrAppendFormatV(text, format, args);
  va_end(args);
  return text;
}

std::mutex sinkMutex;
std::function<void(std::string_view)> logSink;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The whole file, or none when it cannot be opened, read or is over-large.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  FilePtr file(platform::OpenFile(path, "rb"));
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  while (std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get())) {
    if (bytes.size() + got > kMaxRecordFileBytes) {
      RecordLog(StrFormatted("%s: file larger than %zu bytes", path.c_str(), kMaxRecordFileBytes));
      return std::nullopt;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (std::ferror(file.get())) {
    RecordLog(StrFormatted("%s: read error", path.c_str()));
    return std::nullopt;
  }
  return bytes;
}

bool RunLoad(cRecordReader& in, const std::function<void(cRecordReader&)>& load) {
  try {
    in.SetVersion(in.ReadI32());
    nFileVersion = in.Version();
    load(in);
    return true;
  } catch (const cLoadError& error) {
    RecordLog(StrFormatted("%s: offset %zu: %s", in.Name().c_str(), error.Offset(), error.what()));
    return false;
  }
}

}  // namespace

cRecordReader::cRecordReader(std::vector<std::uint8_t> bytes, std::string name)
    : m_bytes(std::move(bytes)), m_name(std::move(name)) {}

std::optional<cRecordReader> cRecordReader::Open(std::string_view path) {
  // An empty path names the file "err", as it always has.
  std::string name = path.empty() ? std::string("err") : std::string(path);
  auto bytes = ReadWholeFile(name);
  if (!bytes) return std::nullopt;
  return cRecordReader(std::move(*bytes), std::move(name));
}

void cRecordReader::Fail(const std::string& reason) const { throw cLoadError(m_offset, reason); }

void cRecordReader::FailF(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  std::string reason;
  StrAppendFormatV(reason, format, args);
  va_end(args);
  Fail(reason);
}

void cRecordReader::ReadBytes(void* out, std::size_t count) {
  if (count > Remaining()) FailF("read of %zu bytes past the end (%zu left)", count, Remaining());
  if (count) std::memcpy(out, m_bytes.data() + m_offset, count);
  m_offset += count;
}

std::uint32_t cRecordReader::ReadCount(std::size_t minElementBytes, const char* what) {
  std::uint32_t count = ReadU32();
  if (minElementBytes && count > Remaining() / minElementBytes)
    FailF("%s count %u beyond what the %zu bytes left can hold", what, count, Remaining());
  return count;
}

std::string cRecordReader::ReadString() {
  std::uint32_t length = ReadU32();
  // Length 1 is the empty string, stored without bytes; a length of 0 (which
  // no writer produces) is read as the empty string too.
  if (length <= 1) return {};
  if (length > kMaxStringBytes) FailF("string length %u beyond the limit", length);
  if (length > Remaining()) FailF("string length %u beyond the %zu bytes left", length, Remaining());
  const char* text = reinterpret_cast<const char*>(m_bytes.data() + m_offset);
  m_offset += length;
  return std::string(text, strnlen(text, length));
}

cRecordReader::cNesting::cNesting(cRecordReader& in, int limit, const char* what) : m_in(in) {
  if (in.m_depth >= limit) in.FailF("%s nested deeper than %d", what, limit);
  ++in.m_depth;
}

void cRecordWriter::WriteBytes(const void* data, std::size_t count) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  m_bytes.insert(m_bytes.end(), bytes, bytes + count);
}

void cRecordWriter::WriteCount(std::size_t count) { WriteU32(static_cast<std::uint32_t>(count)); }

void cRecordWriter::WriteString(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  WriteU32(static_cast<std::uint32_t>(text.size() + 1));
  if (text.empty()) return;
  WriteBytes(text.data(), text.size());
  WriteBytes("", 1);
}

bool LoadDataFile(std::string_view path, const std::function<void(cRecordReader&)>& load) {
  auto in = cRecordReader::Open(path);
  return in && RunLoad(*in, load);
}

bool LoadDataBytes(std::vector<std::uint8_t> bytes, std::string name, const std::function<void(cRecordReader&)>& load) {
  cRecordReader in(std::move(bytes), std::move(name));
  return RunLoad(in, load);
}

bool SaveDataFile(std::string_view path, const std::function<void(cRecordWriter&)>& save) {
  cRecordWriter out;
  out.WriteI32(nCurVersion);
  save(out);
  return WriteFileAtomically(path, out.Bytes());
}

bool WriteFileAtomically(std::string_view path, const std::vector<std::uint8_t>& bytes) {
  namespace fs = std::filesystem;
  fs::path target = platform::ToHostPath(path.empty() ? std::string_view("err") : path);
  fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  thread_local std::mt19937 names{std::random_device{}()};
  fs::path temp =
      folder / StrFormatted(".zandrel-tmp-%d-%08x.tmp", static_cast<int>(getpid()), static_cast<unsigned>(names()));
  FilePtr file(std::fopen(temp.c_str(), "wb"));
  if (!file) return false;
  // The first step that fails gives the reason; the clean-up after it must not.
  int why = 0;
  auto step = [&why](bool done) {
    if (!done && why == 0) why = errno ? errno : EIO;
  };
  step(std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size());
  step(std::fflush(file.get()) == 0);
  step(fsync(fileno(file.get())) == 0);
  step(std::fclose(file.release()) == 0);
  std::error_code error;
  if (why == 0) {
    fs::rename(temp, target, error);
    why = error.value();
  }
  if (why == 0) return true;
  fs::remove(temp, error);
  errno = why;
  return false;
}

void SetRecordLogSink(std::function<void(std::string_view)> sink) {
  std::lock_guard lock(sinkMutex);
  logSink = std::move(sink);
}

void RecordLog(std::string_view line) {
  std::function<void(std::string_view)> sink;
  {
    std::lock_guard lock(sinkMutex);
    sink = logSink;
  }
  if (sink)
    sink(line);
  else
    ReportLogText(line);
}
