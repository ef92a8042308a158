#include "Json.h"

#include <cmath>
#include <cstdio>

#include "platform/TextCodec.h"

namespace {

// Text held before it goes to the sink.
constexpr std::size_t kSinkChunk = 1 << 16;

}  // namespace

void cJsonWriter::Flush() {
  if (!m_sink) return;
  m_sink->write(m_out.data(), static_cast<std::streamsize>(m_out.size()));
  m_out.clear();
}

void cJsonWriter::NewLine() {
  if (m_out.size() >= kSinkChunk) Flush();
  m_out += '\n';
  m_out.append(2 * m_hasItems.size(), ' ');
}

void cJsonWriter::BeforeValue() {
  if (m_afterKey) {
    m_afterKey = false;
    return;
  }
  if (m_hasItems.empty()) return;
  if (m_hasItems.back()) m_out += ',';
  m_hasItems.back() = true;
  NewLine();
}

void cJsonWriter::Open(char bracket) {
  BeforeValue();
  m_out += bracket;
  m_hasItems.push_back(false);
}

void cJsonWriter::Close(char bracket) {
  bool hadItems = m_hasItems.back();
  m_hasItems.pop_back();
  if (hadItems) NewLine();
  m_out += bracket;
  if (m_hasItems.empty()) m_out += '\n';
}

void cJsonWriter::Key(std::string_view key) {
  BeforeValue();
  Quoted(key);
  m_out += ": ";
  m_afterKey = true;
}

void cJsonWriter::Number(long long value) {
  BeforeValue();
  m_out += std::to_string(value);
}

void cJsonWriter::Number(double value) {
  BeforeValue();
  if (!std::isfinite(value)) {
    // JSON has no infinities or NaN: write them as text.
    Quoted(std::isnan(value) ? "NaN" : value > 0 ? "Infinity" : "-Infinity");
    return;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  m_out += text;
}

void cJsonWriter::Text(std::string_view cp932) {
  BeforeValue();
  Quoted(platform::Cp932ToUtf8(cp932));
}

void cJsonWriter::Null() {
  BeforeValue();
  m_out += "null";
}

void cJsonWriter::Quoted(std::string_view utf8) {
  m_out += '"';
  for (char c : utf8) {
    switch (c) {
      case '"':
        m_out += "\\\"";
        break;
      case '\\':
        m_out += "\\\\";
        break;
      case '\n':
        m_out += "\\n";
        break;
      case '\r':
        m_out += "\\r";
        break;
      case '\t':
        m_out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          m_out += escaped;
        } else {
          m_out += c;
        }
    }
  }
  m_out += '"';
}
