// A technique's progress in practice: the time ratio (seconds ÷ estimated
// seconds) of its last drills, week by week.
#pragma once

#include <string>
#include <vector>

#include "records/practice_record.h"

namespace masuvo {

struct DrillWeek {
    std::string monday;  // "YYYY/MM/DD", the week's first day
    int drills = 0;
    int helped = 0;             // with a hint, 詳細, ヒント実行 or not solved
    double medianRatio = -1.0;  // -1: no drill of the week had an estimate
};

// The weeks (Monday to Sunday, oldest first) of the technique's last
// lastDrills entries in record order; weeks without a drill are left out.
std::vector<DrillWeek> DrillWeeks(const std::vector<PracticeEntry>& record, int technique, int lastDrills = 50);

// The weeks as text bars for a fixed-width font, one line per week:
// "2026/11/30 ■■■■■■■■■■ 1.00 (3問)" — ten ■ stand for the estimate, at
// most thirty are drawn; "-" for a week without a ratio. Lines end in "\n".
std::string FormatDrillWeeks(const std::vector<DrillWeek>& weeks);

}  // namespace masuvo
