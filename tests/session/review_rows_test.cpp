// The review list's rows, sort kinds and help topics.
#include <gtest/gtest.h>

#include "session/review_rows.h"

namespace masuvo {
namespace {

TEST(ReviewRows, ColumnsOfAMove) {
    Log entry;
    entry.text = "隠れた数字。ブロック内の配置。";
    entry.points = 75;
    entry.seconds = 130;
    entry.hinted = true;
    entry.candidatesShown = true;
    const ReviewRow row = ReviewRowOf(entry, 4);
    EXPECT_EQ(row, (ReviewRow{"", "5", "隠れた数字。ブロック内の配置。", "1:15", "2:10", "-55", "○", "－", "－", "○"}));
}

TEST(ReviewRows, TheCompletionEntryIsNotListed) {
    std::vector<Log> log(3);
    EXPECT_EQ(ReviewedMoveCount(log), 3);
    log.back().text = "-";
    EXPECT_EQ(ReviewedMoveCount(log), 2);
    EXPECT_EQ(ReviewedMoveCount({}), 0);
}

TEST(ReviewRows, SortKindsPerColumn) {
    const SortKind expected[kReviewColumns] = {SortKind::Number, SortKind::Number, SortKind::Text, SortKind::Time,
                                               SortKind::Time,   SortKind::Number, SortKind::Text, SortKind::Text,
                                               SortKind::Text,   SortKind::Text};
    for (int column = 0; column < kReviewColumns; ++column) EXPECT_EQ(ReviewSortKind(column), expected[column]) << column;
}

TEST(ReviewRows, HelpTopicsOfAMove) {
    const struct {
        const char* text;
        std::vector<std::string> names;
    } cases[] = {
        {"ブロックの完成です。定員確定3(行)。", {"ブロックの完成", "定員確定"}},
        {"定員確定2(行)。定員確定3(列)。", {"定員確定"}},
        {"隠れた数字。", {"隠れた数字"}},
        {"推定できません。", {"推定できません"}},
        {"", {}},
        {"。。セルの完成です。", {"セルの完成"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names;
        for (const HelpTopic& topic : ReviewHelpTopics(c.text)) {
            names.push_back(topic.name);
            EXPECT_EQ(topic.page, "問題の解法_" + topic.name + ".htm");
        }
        EXPECT_EQ(names, c.names) << c.text;
    }
}

}  // namespace
}  // namespace masuvo
