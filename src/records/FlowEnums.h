#pragma once
// The small numbers that flow records store (command types, triggers,
// condition kinds, operators, directions and command settings) and the
// editor's labels for them, in the order the editor lists them: the stored
// number is the position in the list.
#include <array>
#include <string_view>

enum FlowTrigger : int {
  TRG_ALWAYS,
  TRG_DAMAGED,
  TRG_IMPACT,
  TRG_DEATH,
  TRG_TOUCH_CHARA,
  TRG_TOUCH_BLOCK_CHARA,
  TRG_ON_BLOCK_CHARA,
  TRG_HIT_BY_SHOT,
  TRG_TOUCH_ITEM,
  TRG_BLOCK_HIT,
  TRG_BLOCK_HIT_SIDES,
  TRG_BLOCK_HIT_LEFT,
  TRG_BLOCK_HIT_RIGHT,
  TRG_BLOCK_HIT_VERTICAL,
  TRG_BLOCK_HIT_TOP,
  TRG_BLOCK_HIT_BOTTOM,
  TRG_RIDDEN_BY_HERO,
  TRG_RIDDEN_BY_CHARA,
  TRG_BEFORE_STAGE_START,
  TRG_NONE,
  TRG_COUNT
};

enum ConditionKind : int {
  COND_NONE,
  COND_COMMON_VAR,
  COND_STAGE_VAR,
  COND_CHARA_VAR,
  COND_STATUS,
  COND_STATUS2,
  COND_STATUS3,
  COND_DISTANCE,
  COND_COUNT
};

// Left operand first: "a CMP_GREATER b" holds when a > b.
enum CompareOp : int {
  CMP_EQUAL,
  CMP_NOT_EQUAL,
  CMP_GREATER_EQUAL,
  CMP_LESS_EQUAL,
  CMP_GREATER,
  CMP_LESS,
  CMP_MULTIPLE,
  CMP_NOT_MULTIPLE,
  CMP_COUNT
};

enum FlowCommandType : int {
  CMD_NONE,
  CMD_WAIT,
  CMD_STRAIGHT_MOVE,
  CMD_GROUND_TURN_MOVE,
  CMD_CIRCLE_MOVE,
  CMD_CHARGE_MOVE,
  CMD_HOMING_MOVE,
  CMD_OFFSCREEN_AVOID_MOVE,
  CMD_DISABLE_MOVE,
  CMD_TURN,
  CMD_JUMP,
  CMD_SHOT,
  CMD_SWORD,
  CMD_SUMMON_BLOCK,
  CMD_SUMMON_CHARA,
  CMD_SUMMON_ITEM,
  CMD_FLOW_OPERATION,
  CMD_STAGE_CLEAR,
  CMD_GAME_WAIT,
  CMD_MESSAGE,
  CMD_WARP,
  CMD_SET_TARGET,
  CMD_STATUS_OPERATION,
  CMD_STATUS_OPERATION2,
  CMD_ITEM_GET,
  CMD_GRAPHIC_CHANGE,
  CMD_BASE_ANIME_SET_CHANGE,
  CMD_ANIME,
  CMD_EFFECT,
  CMD_CHARA_EFFECT,
  CMD_SCREEN_EFFECT,
  CMD_PICTURE,
  CMD_SCREEN_COLOR,
  CMD_BACKGROUND,
  CMD_SOUND_EFFECT,
  CMD_BGM,
  CMD_CODE_EXECUTION,
  CMD_COUNT
};

// Item command k >= 2 is flow command k + 15, with the same label and parameters.
enum ItemCommandType : int {
  ITEMCMD_NONE,
  ITEMCMD_CHANGE_FLOW,
  ITEMCMD_STAGE_CLEAR,
  ITEMCMD_GAME_WAIT,
  ITEMCMD_MESSAGE,
  ITEMCMD_WARP,
  ITEMCMD_SET_TARGET,
  ITEMCMD_STATUS_OPERATION,
  ITEMCMD_STATUS_OPERATION2,
  ITEMCMD_ITEM_GET,
  ITEMCMD_GRAPHIC_CHANGE,
  ITEMCMD_BASE_ANIME_SET_CHANGE,
  ITEMCMD_ANIME,
  ITEMCMD_EFFECT,
  ITEMCMD_CHARA_EFFECT,
  ITEMCMD_SCREEN_EFFECT,
  ITEMCMD_PICTURE,
  ITEMCMD_SCREEN_COLOR,
  ITEMCMD_BACKGROUND,
  ITEMCMD_SOUND_EFFECT,
  ITEMCMD_BGM,
  ITEMCMD_CODE_EXECUTION,
  ITEMCMD_COUNT
};

constexpr int kItemCommandTypeOffset = 15;

inline constexpr std::array<int, CMD_COUNT> CommandParamCounts = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 5, 0, 0, 0, 0, 0, 3, 9, 1, 17, 0, 10, 18, 3, 2, 3, 1, 1, 8, 3, 3, 14, 8, 2, 1, 2, 0};

inline constexpr std::array<int, ITEMCMD_COUNT> ItemCommandParamCounts = [] {
  std::array<int, ITEMCMD_COUNT> counts{0, 2};
  for (int type = ITEMCMD_STAGE_CLEAR; type < ITEMCMD_COUNT; ++type)
    counts[type] = CommandParamCounts[type + kItemCommandTypeOffset];
  return counts;
}();

// The flow command type an item command stands for, or -1 (none, change flow, out of range).
constexpr int FlowTypeOfItemCommand(int itemType) {
  return itemType >= ITEMCMD_STAGE_CLEAR && itemType < ITEMCMD_COUNT ? itemType + kItemCommandTypeOffset : -1;
}

// Parameter count of a command type, or -1 for a type byte outside its table.
constexpr int CommandParamCount(bool itemCommand, int type) {
  if (type < 0) return -1;
  if (itemCommand) return type < ITEMCMD_COUNT ? ItemCommandParamCounts[type] : -1;
  return type < CMD_COUNT ? CommandParamCounts[type] : -1;
}

// Labels, UTF-8; Cp932Labels (records/Labels.h) gives their stored form.
namespace flowlabels {
using namespace std::string_view_literals;

inline constexpr std::array<std::string_view, CMD_COUNT> FlowCommand = {
    ""sv,
    "ウエイト"sv,
    "直線移動"sv,
    "地上折り返し移動"sv,
    "円移動"sv,
    "突撃移動"sv,
    "誘導移動"sv,
    "画面外回避移動"sv,
    "移動の無効化"sv,
    "向き変更"sv,
    "ジャンプ"sv,
    "ショット"sv,
    "ソード"sv,
    "ブロック召喚"sv,
    "キャラ召喚"sv,
    "アイテム召喚"sv,
    "フローの操作"sv,
    "ステージクリア"sv,
    "ゲームウエイト"sv,
    "メッセージ"sv,
    "ワープ"sv,
    "ターゲットの設定"sv,
    "ステータスの操作"sv,
    "ステータスの操作2"sv,
    "アイテムの取得"sv,
    "グラフィックの変更"sv,
    "基本アニメセットの変更"sv,
    "アニメの実行"sv,
    "エフェクトの実行"sv,
    "キャラエフェクトの実行"sv,
    "画面エフェクトの実行"sv,
    "ピクチャーの表示"sv,
    "画面の色を変更"sv,
    "背景の変更"sv,
    "効果音の再生"sv,
    "BGMの再生"sv,
    "コードの実行"sv,
};

inline constexpr std::array<std::string_view, ITEMCMD_COUNT> ItemCommand = [] {
  std::array<std::string_view, ITEMCMD_COUNT> labels{""sv, "フローの変更"sv};
  for (int type = ITEMCMD_STAGE_CLEAR; type < ITEMCMD_COUNT; ++type)
    labels[type] = FlowCommand[type + kItemCommandTypeOffset];
  return labels;
}();

inline constexpr std::array<std::string_view, TRG_COUNT> Trigger = {
    "常時"sv,
    "ダメージを受けた時"sv,
    "衝撃を受けた時"sv,
    "死亡した時"sv,
    "キャラに当たった時"sv,
    "ブロックキャラに当たった時"sv,
    "ブロックキャラに乗っている時"sv,
    "ショットに当たった時"sv,
    "アイテムに当たった時"sv,
    "ブロックに当たった時"sv,
    "自分の左右にブロックが当たった時"sv,
    "自分の左にブロックが当たった時"sv,
    "自分の右にブロックが当たった時"sv,
    "自分の上下にブロックが当たった時"sv,
    "自分の上にブロックが当たった時"sv,
    "自分の下にブロックが当たった時"sv,
    "主人公に乗られている時"sv,
    "キャラに乗られている時"sv,
    "ステージ開始前"sv,
    "なし（フローの操作コマンドで実行）"sv,
};

inline constexpr std::array<std::string_view, COND_COUNT> ConditionKind = {
    ""sv,
    "コモン変数条件"sv,
    "ステージ変数条件"sv,
    "キャラ変数条件"sv,
    "ステータス条件"sv,
    "ステータス条件2"sv,
    "ステータス条件3"sv,
    "距離条件"sv,
};

inline constexpr std::array<std::string_view, CMP_COUNT> CompareOp = {
    "である"sv, "でない"sv, "以上"sv, "以下"sv, "より上"sv, "より下"sv, "の倍数である"sv, "の倍数でない"sv,
};
inline constexpr std::array Status3Inversion = {"なら"sv, "でないなら"sv};

// Flow ID and letter: 0 "-", then "A".."Z" / "a".."z".
inline constexpr std::array<std::string_view, 27> FlowId = {
    "-"sv, "A"sv, "B"sv, "C"sv, "D"sv, "E"sv, "F"sv, "G"sv, "H"sv, "I"sv, "J"sv, "K"sv, "L"sv, "M"sv,
    "N"sv, "O"sv, "P"sv, "Q"sv, "R"sv, "S"sv, "T"sv, "U"sv, "V"sv, "W"sv, "X"sv, "Y"sv, "Z"sv};
inline constexpr std::array<std::string_view, 27> FlowLetter = {
    "-"sv, "a"sv, "b"sv, "c"sv, "d"sv, "e"sv, "f"sv, "g"sv, "h"sv, "i"sv, "j"sv, "k"sv, "l"sv, "m"sv,
    "n"sv, "o"sv, "p"sv, "q"sv, "r"sv, "s"sv, "t"sv, "u"sv, "v"sv, "w"sv, "x"sv, "y"sv, "z"sv};
inline constexpr std::string_view ChangeFlowDeleteAll = "全て削除"sv;

inline constexpr std::array FlowOperation = {"開始"sv, "終了"sv, "一時停止"sv, "再開"sv, "削除"sv, "永久停止"sv};
inline constexpr std::array FlowOperationTarget = {"このフロー"sv, "このフロー以外全て"sv, "IDで指定"sv};
inline constexpr std::array ChangeFlowMode = {"追加"sv, "変更"sv, "削除"sv};
inline constexpr std::array ConditionMode = {"全ての条件が真なら成立"sv, "1つ以上の条件が真なら成立"sv};
inline constexpr std::array StatusOperator = {"＝"sv, "＋"sv, "－"sv, "×"sv, "÷"sv, "÷ X の余り"sv, "X ％"sv};

inline constexpr std::array SubjectSelfTarget = {"自分"sv, "ターゲット"sv};
inline constexpr std::array SubjectSelfTargetSystem = {"自分"sv, "ターゲット"sv, "システム"sv};
inline constexpr std::array SubjectHeroTarget = {"主人公"sv, "ターゲット"sv};
inline constexpr std::array SubjectHeroTargetSystem = {"主人公"sv, "ターゲット"sv, "システム"sv};

inline constexpr std::array ValueClass = {"ステータス"sv, "変数"sv};
inline constexpr std::array RightValueSource = {"定数"sv, "乱数"sv, "ステータス"sv, "変数"sv};
inline constexpr std::array VariableKind = {"コモン変数"sv, "ステージ変数"sv};
inline constexpr std::array CalculationMode = {"通常の計算"sv, "最大値に対する％で指定"sv, "現在値に対する％で指定"sv};
inline constexpr std::array SwitchOn = {"ON"sv};
inline constexpr std::array CharaVariable = {"1 キャラ変数-1"sv, "2 キャラ変数-2"sv, "3 キャラ変数-3"sv,
                                             "4 キャラ変数-4"sv, "5 キャラ変数-5"sv, "6 キャラ変数-6"sv,
                                             "7 キャラ変数-7"sv, "8 キャラ変数-8"sv};

// Status selectors of subjects 0 and 1, and of the system (subject 2).
inline constexpr std::array CharaStatus = {
    "キャラ変数"sv,     "HP"sv,     "SP"sv,         "最大HP"sv,        "最大SP"sv,
    "キャラID"sv,       "Z座標"sv,  "マーク番号"sv, "視界範囲(hbl)"sv, "体当たりの威力"sv,
    "体当たりの衝撃"sv, "防御力"sv, "衝撃耐性"sv,   "止まりやすさ"sv,  "倒したら獲得するスコア"sv};
inline constexpr std::array SystemStatus = {"時間"sv, "横スクロール速度"sv, "縦スクロール速度"sv, "スコア"sv,
                                            "残り人数"sv};

// Items of status operation 2 (and status condition 2), with their value labels.
inline constexpr std::array StateItem = {
    "消滅"sv, "透明"sv, "向き固定"sv, "飛行"sv, "無敵"sv, "巨大化"sv, "オートスクロールとシンクロ"sv};
inline constexpr std::array StateOffOn = {"OFF"sv, "ON"sv};
inline constexpr std::array StateFlying = {"OFF"sv, "ON (ブロックをすり抜ける)"sv, "ON (ブロックに当たる)"sv,
                                           "ON (ブロックに当たると即死)"sv};
inline constexpr std::array StateInvincible = {"OFF"sv, "ON (ショットが当たる)"sv, "ON (ショットがすり抜ける)"sv};
// Values 1 to 10.
inline constexpr std::array StateGiant = {"しない"sv, "×4"sv,  "×9"sv,  "×16"sv, "×25"sv,
                                          "×36"sv,    "×49"sv, "×64"sv, "×81"sv, "×100"sv};
inline constexpr std::array Status3Item = {"左向き"sv, "右向き"sv, "ブロックに乗っている(ブロックキャラも含む)"sv,
                                           "画面内にいる"sv};

inline constexpr std::array DistanceShape = {"横"sv, "前"sv, "後"sv, "縦"sv, "前Y"sv, "後Y"sv, "円"sv};
inline constexpr std::array DistanceInside = {"以内"sv, "外"sv};

inline constexpr std::array KeyConditionMode = {"全てのキーが真なら成立"sv, "1つ以上のキーが真なら成立"sv,
                                                "1つだけキーが真なら成立"sv};
inline constexpr std::array KeyState = {"--"sv, "押"sv, "離"sv};

inline constexpr std::array Direction = {"前"sv, "後"sv,   "左"sv,   "右"sv,   "前Y"sv,  "後Y"sv,     "上"sv,
                                         "下"sv, "左上"sv, "左下"sv, "右上"sv, "右下"sv, "入力方向"sv};

// Movement settings.
inline constexpr std::array MoveTarget = {"方向で指定"sv, "目標座標で指定"sv};
inline constexpr std::array WarpTarget = {"方向と距離で指定"sv, "ターゲットからの方向と距離で指定"sv,
                                          "目標座標で指定"sv};
inline constexpr std::array Coordinates = {"配置位置からの相対座標"sv, "相対座標"sv, "絶対座標"sv, "画面座標"sv};
inline constexpr std::array Coordinates3 = {"相対座標"sv, "絶対座標"sv, "画面座標"sv};
inline constexpr std::array Turning = {"右回り"sv, "左回り"sv, "左向きなら右回り、右向きなら左回り"sv,
                                       "左向きなら左回り、右向きなら右回り"sv};
inline constexpr std::array TimeMode = {"時間と速度を指定"sv, "時間と距離を指定"sv, "速度と距離を指定"sv};
inline constexpr std::array CircleTimeMode = {"時間を指定"sv, "速度を指定"sv};
inline constexpr std::array DistanceUnit = {"(hbl)で指定"sv, "(dot)で指定"sv};

// Command settings held in integer parameters.
inline constexpr std::array Turn = {"左を向く"sv,
                                    "右を向く"sv,
                                    "ターゲットがいる方を向く"sv,
                                    "ターゲットがいる方の逆を向く"sv,
                                    "最後にブロックが当たった方を向く"sv,
                                    "最後にブロックが当たった方の逆を向く"sv};
inline constexpr std::array Jump = {"高さがキーで調節できない"sv, "高さがキーで調節できる(主人公のみ有効)"sv,
                                    "慣性移動速度に応じて高さを決定(主人公のみ有効)"sv};
inline constexpr std::array StageClearNext = {"次のステージへ"sv, "番号で指定"sv, "ワールドクリア"sv};
inline constexpr std::array StageClearFacing = {"左向き"sv, "右向き"sv, "ステージクリア時の向きと同じ"sv};
inline constexpr std::array MessagePosition = {"画面中央に表示"sv,     "自分の上に表示"sv,   "自分の下に表示"sv,
                                               "自分の中心に表示"sv,   "主人公の上に表示"sv, "主人公の下に表示"sv,
                                               "主人公の中心に表示"sv, "画面座標で指定"sv,   "ステージ座標で指定"sv};
inline constexpr std::array DisplayDuration = {"進行キーが押されるまで表示"sv, "ステージ終了まで表示"sv,
                                               "時間で指定"sv};
inline constexpr std::array SetTarget = {"主人公"sv, "自分"sv, "最も近いキャラ"sv, "キャラ(キャラIDで指定)"sv};
inline constexpr std::array SearchRange = {"全範囲（画面内のキャラ優先）"sv, "全範囲"sv, "画面内のみ"sv};
inline constexpr std::array Palette = {"コモンパレット"sv, "ステージパレット"sv};
inline constexpr std::array PaletteCommonOnly = {"コモンパレット"sv};
inline constexpr std::array EffectPosition = {"画面中央に表示"sv, "キャラの中心に表示"sv, "主人公の中心に表示"sv,
                                              "画面座標で指定"sv, "ステージ座標で指定"sv};
inline constexpr std::array EffectRun = {"通常実行"sv, "反転実行"sv, "往復実行"sv};
inline constexpr std::array PictureShow = {"表示"sv, "非表示"sv, "反転(表示⇔非表示)"sv};

}  // namespace flowlabels
