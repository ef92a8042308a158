#pragma once
// The editor's choice lists for the members of block, character, item and
// shot definitions. The player never shows them; their order is the order of
// the stored values. Labels are UTF-8; Cp932Labels (records/Labels.h) gives
// their stored form.
#include <array>
#include <string_view>

#include "records/EffectParams.h"

namespace proplabels {
using namespace std::string_view_literals;

inline constexpr std::array InheritSource = {"継承しない"sv, "コモンパレット"sv, "ステージパレット"sv};
inline constexpr std::array GraphicSource = {"ブロック"sv, "キャラ"sv, "アイテム"sv, "ショット"sv, "専用bmp"sv};
inline constexpr std::array HitKind = {"当たらない"sv, "当たる"sv, "主人公が当たると即死"sv};
// Stored as the position less 1, as a signed byte: 255 (-1) none, 0 to 7 the groups.
inline constexpr std::array PassThroughGroup = {"なし"sv, "0"sv, "1"sv, "2"sv, "3"sv, "4"sv, "5"sv, "6"sv, "7"sv};
inline constexpr std::array BlockEffect = {"なし"sv,
                                           "ジャンプ X=高さ(hbl)"sv,
                                           "ジャンプ禁止"sv,
                                           "移動速度変更 X=％"sv,
                                           "左移動 X=移動速度"sv,
                                           "右移動 X=移動速度"sv};
inline constexpr std::array ItemSource = {"なし"sv, "コモンパレット"sv, "ステージパレット"sv};

inline constexpr std::array Operator = {"プレイヤー"sv, "コンピューター"sv};
inline constexpr std::array PlayerNumber = {"1"sv};
inline constexpr std::array Flying = {"OFF"sv, "ON (ブロックをすり抜ける)"sv, "ON (ブロックに当たる)"sv,
                                      "ON (ブロックに当たると即死)"sv};
inline constexpr std::array Invincible = {"OFF"sv, "ON (ショットが当たる)"sv, "ON (ショットがすり抜ける)"sv};
inline constexpr std::array OffOn = {"OFF"sv, "ON"sv};
// Stored as the position plus 1.
inline constexpr std::array Giant = {"しない"sv, "×4"sv,  "×9"sv,  "×16"sv, "×25"sv,
                                     "×36"sv,    "×49"sv, "×64"sv, "×81"sv, "×100"sv};
inline constexpr std::array SightShape = {"画面内全て"sv, "キャラを中心とした円形"sv, "キャラの前方に円形"sv,
                                          "キャラを中心とした正方形"sv, "キャラの前方に正方形"sv};
inline constexpr std::array BoxChoice = {"キャラ対キャラの当たり判定範囲（推奨）"sv,
                                         "キャラ対ショットの当たり判定範囲"sv, "ショット対キャラの当たり判定範囲"sv,
                                         "32×32"sv};
inline constexpr std::array ActiveRange = {"画面内"sv, "X座標のみ画面内"sv, "Y座標のみ画面内"sv, "全範囲"sv};
inline constexpr std::array ActivationRule = {"範囲かグループが真なら成立"sv,
                                              "一度範囲かグループが真になると、以後無条件で成立"sv,
                                              "範囲とグループが偽なら成立"sv};

inline constexpr std::array PickUpMode = {"1回だけ取れる"sv, "何回でも取れる"sv, "取れない"sv};

inline constexpr std::array FiringPattern = {"直進A"sv, "直進B"sv, "拡散"sv, "落雷"sv, "爆発"sv, "包囲"sv};
inline constexpr std::array Trajectory = {"直進"sv,
                                          "主人公を狙う"sv,
                                          "近いキャラを狙う"sv,
                                          "ターゲットを狙う"sv,
                                          "主人公へ誘導"sv,
                                          "近いキャラへ誘導（対象死亡時、誘導を無効化）"sv,
                                          "ターゲットへ誘導"sv,
                                          "近いキャラへ誘導（対象死亡時、対象を変更）"sv,
                                          "ウェーブ"sv,
                                          "落下"sv};
inline constexpr std::array ReferenceObject = {"ターゲット"sv, "主人公"sv, "自分"sv};
inline constexpr std::array SummonPalette = {"コモンパレット"sv, "ステージパレット"sv};
inline constexpr std::array BlockSummonMode = {"ブロックを召喚"sv, "ブロックを消す"sv,
                                               "ブロックがなければ召喚、ブロックがあれば消す"sv};
inline constexpr std::array SummonGroupMode = {"パレットの設定に準ずる"sv, "使用者と同じ"sv, "番号で指定"sv};

// Choices whose stored value the player keeps but never interprets.
inline constexpr std::array PaletteChoice = {"ステージパレット"sv, "コモンパレット"sv};
inline constexpr std::array InheritSourceCommonOnly = {"継承しない"sv, "コモンパレット"sv};
inline constexpr std::array InheritSourceStageOnly = {"継承しない"sv, "ステージパレット"sv};
inline constexpr std::array InheritSourceNone = {"継承しない"sv};
inline constexpr std::array BlockDisplay = {"表示しない"sv, "表示する"sv, "エディターでのみ表示"sv};
inline constexpr std::array ItemSourceCommonOnly = {"なし"sv, "コモンパレット"sv};
inline constexpr std::array SizeFactor = {"×4"sv,  "×9"sv,  "×16"sv, "×25"sv, "×36"sv,
                                          "×49"sv, "×64"sv, "×81"sv, "×100"sv};
inline constexpr std::array SummonPaletteCommonOnly = {"コモンパレット"sv};

}  // namespace proplabels

// Editor descriptors of the three pattern parameters of each firing pattern
// and the three parameters of each shot trajectory; an empty label marks a
// parameter that is not used.
constexpr int kShotSubParams = 3;
extern const std::array<std::array<PARAMDATA, kShotSubParams>, 6> ShotPatternParamTable;
extern const std::array<std::array<PARAMDATA, kShotSubParams>, 10> ShotTrajectoryParamTable;
