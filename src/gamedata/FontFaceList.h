#pragma once
// The font faces the system data's font index selects (CP932 names).
#include <span>
#include <string>

constexpr int FONT_FACE_COUNT = 123;
constexpr int DEFAULT_FONT_INDEX = 60;  // "ＭＳ Ｐゴシック"

std::span<const std::string> FontFaceList();
