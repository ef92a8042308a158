#include "records/EffectParams.h"

namespace {

using namespace std::string_view_literals;

constexpr PARAMDATA kUnused{};

// Building blocks shared by many types.
constexpr PARAMDATA Time(short defaultValue) { return {"実行時間(1/10s)"sv, 1, 9999, defaultValue}; }

using Row = std::array<PARAMDATA, kEffectParamsPerType>;

constexpr Row kNoEffect{};

constexpr Row kCharaSplit{
    Time(5), {"開始位置(dot)"sv, 0, 999, 0}, {"終了位置(dot)"sv, 0, 999, 32}, {"分割数"sv, 2, 16, 4}};
constexpr Row kCharaWave{Time(5),
                         {"開始幅(dot)"sv, 0, 999, 0},
                         {"終了幅(dot)"sv, 0, 999, 32},
                         {"波の数"sv, 2, 16, 2},
                         {"波の粗さ(dot)"sv, 1, 4, 2}};
constexpr Row kCharaRotate{Time(10), {"開始角度"sv, 0, 9999, 0}, {"終了角度"sv, 0, 9999, 1440}};

constexpr std::array<Row, kCharaEffectTypeCount> kCharaRows = {
    kNoEffect,
    Row{Time(5), {"開始位置(dot)"sv, 0, 999, 0}, {"終了位置(dot)"sv, 0, 999, 32}},
    kCharaSplit,
    kCharaSplit,
    kCharaWave,
    kCharaWave,
    Row{Time(10), {"点滅間隔(1/60s)"sv, 1, 9999, 2}},
    kCharaRotate,
    kCharaRotate,
    Row{Time(10), {"開始位置(dot)"sv, 0, 9999, 0}, {"終了位置(dot)"sv, 0, 9999, 256}},
    Row{Time(5), {"開始半径(dot)"sv, 0, 32, 32}, {"終了半径(dot)"sv, 0, 32, 0}, {"円の粗さ(dot)"sv, 1, 4, 2}},
    Row{Time(10), {"開始幅(dot)"sv, 0, 320, 32}, {"終了幅(dot)"sv, 0, 320, 64}},
    Row{Time(10),
        {"開始距離"sv, 0, 100, 100},
        {"終了距離"sv, 0, 100, 5},
        {"ズレX(dot)"sv, -16, 16, 0},
        {"ズレY(dot)"sv, -16, 16, 0}},
    Row{Time(10), {"開始合成度"sv, 1, 4, 1}, {"終了合成度"sv, 1, 4, 1}, {"色"sv, 16, 207, 16}},
    Row{Time(10), {"点滅間隔(1/60s)"sv, 1, 9999, 9999}},
    Row{Time(10), {"開始強度"sv, 1, 16, 1}, {"終了強度"sv, 1, 16, 8}},
    Row{Time(10), {"開始強度"sv, 1, 1, 1}, {"終了強度"sv, 1, 4, 4}},
};

constexpr std::array<Row, kScrEffectTypeCount> kScrRows = {
    kNoEffect,
    Row{Time(10),
        {"開始座標X(dot)"sv, -640, 640, 0},
        {"開始座標Y(dot)"sv, -480, 480, 0},
        {"終了座標X(dot)"sv, -640, 640, 640},
        {"終了座標Y(dot)"sv, -480, 480, 0}},
    Row{Time(10), {"振動幅(dot)"sv, 1, 640, 4}, {"振動回数"sv, 1, 9999, 4}},
    Row{Time(10), {"振動幅(dot)"sv, 1, 480, 4}, {"振動回数"sv, 1, 9999, 4}},
    Row{Time(10), {"開始位置(dot)"sv, 0, 640, 0}, {"終了位置(dot)"sv, 0, 640, 640}, {"分割数"sv, 2, 240, 15}},
    Row{Time(10), {"開始位置(dot)"sv, 0, 480, 0}, {"終了位置(dot)"sv, 0, 480, 480}, {"分割数"sv, 2, 320, 20}},
    Row{Time(10),
        {"開始幅(dot)"sv, 0, 640, 0},
        {"終了幅(dot)"sv, 0, 640, 640},
        {"波の数"sv, 2, 240, 4},
        {"波の粗さ(dot)"sv, 1, 48, 8}},
    Row{Time(10),
        {"開始幅(dot)"sv, 0, 480, 0},
        {"終了幅(dot)"sv, 0, 480, 480},
        {"波の数"sv, 2, 320, 4},
        {"波の粗さ(dot)"sv, 1, 64, 10}},
    Row{Time(10), {"点滅間隔(1/60s)"sv, 1, 9999, 10}},
    Row{Time(10), {"開始角度"sv, 0, 9999, 0}, {"終了角度"sv, 0, 9999, 1440}},
    Row{Time(10), {"開始半径(dot)"sv, 0, 640, 640}, {"終了半径(dot)"sv, 0, 640, 0}, {"円の粗さ(dot)"sv, 1, 48, 8}},
    Row{Time(10), {"開始幅(dot)"sv, 0, 6400, 640}, {"終了幅(dot)"sv, 0, 6400, 1280}},
    Row{Time(10),
        {"開始距離"sv, 0, 1500, 1500},
        {"終了距離"sv, 0, 1500, 5},
        {"ズレX(dot)"sv, -320, 320, 0},
        {"ズレY(dot)"sv, -240, 240, 0}},
    Row{Time(10), {"開始強度"sv, 1, 240, 1}, {"終了強度"sv, 1, 240, 60}},
};

template <size_t Types>
constexpr auto Flatten(const std::array<Row, Types>& rows) {
  std::array<PARAMDATA, Types * kEffectParamsPerType> table{};
  for (size_t type = 0; type < Types; ++type)
    for (size_t param = 0; param < kEffectParamsPerType; ++param)
      table[type * kEffectParamsPerType + param] = rows[type][param];
  return table;
}

template <size_t Size>
const PARAMDATA& Lookup(const std::array<PARAMDATA, Size>& table, int type, int param) {
  if (type < 0 || param < 0 || param >= kEffectParamsPerType) return kUnused;
  size_t index = static_cast<size_t>(type) * kEffectParamsPerType + static_cast<size_t>(param);
  return index < Size ? table[index] : kUnused;
}

}  // namespace

const std::array<PARAMDATA, kCharaEffectTypeCount* kEffectParamsPerType> CharaEffectParamTable = Flatten(kCharaRows);
const std::array<PARAMDATA, kScrEffectTypeCount* kEffectParamsPerType> ScrEffectParamTable = Flatten(kScrRows);

const std::array<std::string_view, kCharaEffectTypeCount> CharaEffectNameTable = {
    "破裂"sv,   "分割（横）"sv, "分割（縦）"sv, "波（横）"sv, "波（縦）"sv, "点滅"sv,
    "回転A"sv,  "回転B"sv,      "回転（奥）"sv, "円"sv,       "拡大"sv,     "レンズ"sv,
    "色変化"sv, "半透明"sv,     "モザイク"sv,   "ぼかし"sv,   ""sv};
const std::array<std::string_view, kScrEffectTypeCount> ScrEffectNameTable = {
    "移動"sv, "振動（横）"sv, "振動（縦）"sv, "分割（横）"sv, "分割（縦）"sv, "波（横）"sv, "波（縦）"sv,
    "点滅"sv, "回転"sv,       "円"sv,         "拡大"sv,       "レンズ"sv,     "モザイク"sv, ""sv};

const PARAMDATA& CharaEffectParam(int type, int param) { return Lookup(CharaEffectParamTable, type, param); }
const PARAMDATA& ScrEffectParam(int type, int param) { return Lookup(ScrEffectParamTable, type, param); }
