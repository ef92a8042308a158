#pragma once
// Walking code page 932 (Shift-JIS) text.
#include "platform/WinTypes.h"

constexpr bool IsSjisLeadByte(BYTE b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool IsSjisTrailByte(BYTE b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// 1 when text[0] is a lead byte and text[1] a trail byte.
int IsSjisDoubleByte(const char* text);
// Characters of a NUL-terminated text; line feeds count nothing.
int CountSjisChars(const char* text);
