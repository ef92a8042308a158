#pragma once
// What each of the five parameters of every chara-effect and screen-effect
// type is: the editor's label, range and default. The player reads only the
// defaults that effect entries of old files lack (the roughness parameters).
#include <array>
#include <span>
#include <string_view>

struct PARAMDATA {
  std::string_view label;  // UTF-8; empty for a parameter the type does not use
  short minimum = 0;
  short maximum = 0;
  short defaultValue = 0;
};

constexpr int kEffectParamsPerType = 5;
constexpr int kCharaEffectTypeCount = 17;
constexpr int kScrEffectTypeCount = 14;

// Indexed by type x 5 + parameter number; type 0 (no effect) is all empty.
extern const std::array<PARAMDATA, kCharaEffectTypeCount * kEffectParamsPerType> CharaEffectParamTable;
extern const std::array<PARAMDATA, kScrEffectTypeCount * kEffectParamsPerType> ScrEffectParamTable;

// Names of types 1 to N, then an empty string.
extern const std::array<std::string_view, kCharaEffectTypeCount> CharaEffectNameTable;
extern const std::array<std::string_view, kScrEffectTypeCount> ScrEffectNameTable;

// The descriptor of (type, parameter), or the empty descriptor for a pair outside the table.
const PARAMDATA& CharaEffectParam(int type, int param);
const PARAMDATA& ScrEffectParam(int type, int param);
