#pragma once
// A small JSON writer: objects, arrays, numbers and strings (CP932 text
// written as UTF-8), indented two spaces per level.
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class cJsonWriter {
 public:
  cJsonWriter() = default;
  // Hands the text to `sink` as it grows, so that a large file's JSON is never
  // held whole; Flush hands over the rest.
  explicit cJsonWriter(std::ostream& sink) : m_sink(&sink) {}
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  // The key of the next value inside an object.
  void Key(std::string_view key);
  void Number(long long value);
  void Number(double value);
  // CP932 text.
  void Text(std::string_view cp932);
  void Null();
  // The text not handed to a sink yet (all of it without a sink).
  const std::string& Result() const { return m_out; }
  void Flush();

 private:
  void Open(char bracket);
  void Close(char bracket);
  void BeforeValue();
  void NewLine();
  void Quoted(std::string_view utf8);

  std::ostream* m_sink = nullptr;
  std::string m_out;
  std::vector<bool> m_hasItems;  // per open level
  bool m_afterKey = false;
};
