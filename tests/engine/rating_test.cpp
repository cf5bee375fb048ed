#include <gtest/gtest.h>

#include "engine/rating.h"

namespace masuvo {
namespace {

TEST(Rating, ScoresAreWeightedCounts) {
    Usage usage;
    usage.count[2] = 50;
    EXPECT_EQ(DifficultyScore(usage), 1500);
    EXPECT_STREQ(RankName(DifficultyScore(usage)), "中級");
    EXPECT_EQ(CandidateDisplayScore(usage), 0);

    usage.count[4] = 2;
    usage.count[29] = 1;
    usage.follow[29] = 100;  // follow counts do not score
    EXPECT_EQ(DifficultyScore(usage), 1500 + 600 + 6000);
    EXPECT_EQ(CandidateDisplayScore(usage), 480 + 3000);
}

TEST(Rating, RankBands) {
    const struct {
        int32_t score;
        int rank;
        const char* name;
    } cases[] = {
        {0, -1, ""},          {1, 0, "基本"},        {449, 0, "基本"},         {450, 1, "初級"},
        {899, 1, "初級"},     {900, 2, "中級"},      {1800, 3, "上級"},        {2700, 4, "超上級"},
        {3600, 5, "超絶難問"}, {7200, 6, "究極激難問"}, {14399, 6, "究極激難問"}, {14400, 7, "神"},
        {28800, 8, "主神"},   {57599, 8, "主神"},    {57600, 9, "最高神"},     {1000000, 9, "最高神"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RankOfScore(c.score), c.rank) << c.score;
        EXPECT_STREQ(RankName(c.score), c.name) << c.score;
    }
}

}  // namespace
}  // namespace masuvo
