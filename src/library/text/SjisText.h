#pragma once
// Walking CP932 text held in string views (not NUL-terminated).
#include <string_view>

#include "library/util/Sjis.h"

// Bytes of the character at pos: 2 for a lead byte followed by a trail byte, else 1.
constexpr size_t SjisCharLength(std::string_view text, size_t pos) {
  bool pair = pos + 1 < text.size() && IsSjisLeadByte(static_cast<BYTE>(text[pos])) &&
              IsSjisTrailByte(static_cast<BYTE>(text[pos + 1]));
  return pair ? 2 : 1;
}

// Calls visit(character) for every character of the text, in order.
template <typename Visit>
constexpr void ForEachSjisChar(std::string_view text, Visit visit) {
  for (size_t pos = 0; pos < text.size();) {
    size_t length = SjisCharLength(text, pos);
    visit(text.substr(pos, length));
    pos += length;
  }
}

// Characters of the text, line feeds not counted (as CountSjisChars).
constexpr int CountSjisChars(std::string_view text) {
  int count = 0;
  ForEachSjisChar(text, [&](std::string_view c) { count += c != "\n"; });
  return count;
}
