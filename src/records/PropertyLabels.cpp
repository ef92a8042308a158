#include "records/PropertyLabels.h"

namespace {
using namespace std::string_view_literals;
using Row = std::array<PARAMDATA, kShotSubParams>;

constexpr PARAMDATA kSpacing{"間隔(hbl)"sv, 0, 40, 0};
constexpr PARAMDATA kCourseChange{"軌道変更(hbl)"sv, 0, 40, 0};
constexpr PARAMDATA kHomingStart{"誘導開始(hbl)"sv, 0, 40, 0};
constexpr PARAMDATA kHomingEnd{"誘導終了(hbl)"sv, 0, 999, 999};
constexpr PARAMDATA kTargetGroup{"対象勢力"sv, 0, 7, 0};
}  // namespace

const std::array<Row, 6> ShotPatternParamTable = {
    Row{kSpacing},
    Row{kSpacing},
    Row{PARAMDATA{"角度"sv, 0, 180, 30}},
    Row{kSpacing, PARAMDATA{"列の数"sv, 1, 50, 1}, PARAMDATA{"列の間隔(hbl)"sv, 0, 40, 0}},
    Row{},
    Row{PARAMDATA{"距離(hbl)"sv, 0, 40, 6}},
};

const std::array<Row, 10> ShotTrajectoryParamTable = {
    Row{},
    Row{kCourseChange},
    Row{kCourseChange, kTargetGroup},
    Row{kCourseChange},
    Row{kHomingStart, kHomingEnd},
    Row{kHomingStart, kHomingEnd, kTargetGroup},
    Row{kHomingStart, kHomingEnd},
    Row{kHomingStart, kHomingEnd, kTargetGroup},
    Row{PARAMDATA{"波の最大(hbl)"sv, 0, 100, 4}, PARAMDATA{"波の速度"sv, 0, 100, 4},
        PARAMDATA{"開始角度"sv, 0, 359, 0}},
    Row{kCourseChange},
};
