#include "library/util/Sjis.h"

int IsSjisDoubleByte(const char* text) {
  auto lead = static_cast<BYTE>(text[0]);
  if (!IsSjisLeadByte(lead)) return 0;
  return IsSjisTrailByte(static_cast<BYTE>(text[1])) ? 1 : 0;
}

int CountSjisChars(const char* text) {
  int count = 0;
  for (const char* p = text; *p; ++p) {
    if (IsSjisDoubleByte(p)) {
      ++count;
      ++p;
    } else if (*p != '\n') {
      ++count;
    }
  }
  return count;
}
