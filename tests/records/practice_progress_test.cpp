#include "records/practice_progress.h"

#include <gtest/gtest.h>

namespace masuvo {
namespace {

PracticeEntry At(const char* when, int technique, int seconds, int estimate, int hints = 0) {
    PracticeEntry e;
    e.when = when;
    e.technique = technique;
    e.number = 1;
    e.seconds = seconds;
    e.hints = hints;
    e.solved = true;
    e.estimatedSeconds = estimate;
    return e;
}

TEST(DrillWeeks, GroupsTheLastDrillsByWeekFromMonday) {
    const std::vector<PracticeEntry> record = {
        At("2026/11/20 10:00:00", 5, 99, 10),  // dropped: beyond the last four drills
        At("2026/11/29 23:59:59", 5, 30, 10),  // Sunday: the week of Monday 11/23
        At("2026/11/30 00:00:00", 5, 10, 10),  // Monday
        At("2026/11/30 12:00:00", 7, 50, 10),  // another technique
        At("2026/12/06 08:00:00", 5, 20, 10, 1),
        At("2027/01/01 09:00:00", 5, 5, 0),  // across the year end, without an estimate
    };
    const std::vector<DrillWeek> weeks = DrillWeeks(record, 5, 4);
    ASSERT_EQ(weeks.size(), 3u);
    EXPECT_EQ(weeks[0].monday, "2026/11/23");
    EXPECT_EQ(weeks[0].drills, 1);
    EXPECT_DOUBLE_EQ(weeks[0].medianRatio, 3.0);
    EXPECT_EQ(weeks[1].monday, "2026/11/30");
    EXPECT_EQ(weeks[1].drills, 2);
    EXPECT_EQ(weeks[1].helped, 1);
    EXPECT_DOUBLE_EQ(weeks[1].medianRatio, 1.5);
    EXPECT_EQ(weeks[2].monday, "2026/12/28");
    EXPECT_DOUBLE_EQ(weeks[2].medianRatio, -1.0);

    EXPECT_EQ(FormatDrillWeeks(weeks),
              "2026/11/23 ■■■■■■■■■■■■■■■■■■■■■■■■■■■■■■ 3.00 (1問)\n"
              "2026/11/30 ■■■■■■■■■■■■■■■ 1.50 (2問)\n"
              "2026/12/28 - (1問)\n");
    EXPECT_TRUE(DrillWeeks(record, 29).empty());
}

}  // namespace
}  // namespace masuvo
