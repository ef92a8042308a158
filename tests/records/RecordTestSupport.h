#pragma once
// Shared by the record tests: a builder for hand-made file bytes (written from
// the layout tables, independent of our Save), and a capture of the records'
// log lines.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "records/RecordIo.h"

namespace recordtest {

using Bytes = std::vector<std::uint8_t>;

class ByteBuilder {
 public:
  template <typename T>
  ByteBuilder& Put(T value) {
    std::uint8_t raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    m_bytes.insert(m_bytes.end(), raw, raw + sizeof(T));
    return *this;
  }
  ByteBuilder& U8(int v) { return Put(static_cast<std::uint8_t>(v)); }
  ByteBuilder& I16(int v) { return Put(static_cast<std::int16_t>(v)); }
  ByteBuilder& I32(std::int32_t v) { return Put(v); }
  ByteBuilder& U32(std::uint32_t v) { return Put(v); }
  ByteBuilder& F64(double v) { return Put(v); }
  // A stored string: length with its NUL, then the text and NUL unless empty.
  ByteBuilder& Str(std::string_view text) {
    U32(static_cast<std::uint32_t>(text.size() + 1));
    if (!text.empty()) {
      m_bytes.insert(m_bytes.end(), text.begin(), text.end());
      m_bytes.push_back(0);
    }
    return *this;
  }
  ByteBuilder& Append(const Bytes& bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
  }
  const Bytes& Get() const { return m_bytes; }
  std::size_t Size() const { return m_bytes.size(); }

 private:
  Bytes m_bytes;
};

inline std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Collects the records' log lines for the lifetime of the object.
class LogCapture {
 public:
  LogCapture() {
    SetRecordLogSink([this](std::string_view line) { m_lines.emplace_back(line); });
  }
  ~LogCapture() { SetRecordLogSink(nullptr); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  const std::vector<std::string>& Lines() const { return m_lines; }
  void Clear() { m_lines.clear(); }

 private:
  std::vector<std::string> m_lines;
};

}  // namespace recordtest
