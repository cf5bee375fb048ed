// Board texts kept from fuzzing the paste and the hostile ones written for
// it (tests/data/fuzz/paste): a text is taken exactly when its first 81
// bytes are digits or "."; anything else leaves the board as it was.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/fuzz_fixtures.h"
#include "tests/session/session_fixture.h"

namespace masuvo {
namespace {

class PasteFuzzRegressions : public test::SessionTest {};

// Whether each kept text is board text.
const std::map<std::string, bool> kTaken = {
    {"hostile_80_characters.txt", false},
    {"hostile_all_dots.txt", true},               // an empty board: 複解, nothing completes
    {"hostile_duplicates.txt", true},             // two 1s in a row: taken, and the check calls it 不良
    {"hostile_empty.txt", false},
    {"hostile_fullwidth_digits.txt", false},      // "４" is three bytes of UTF-8, none a digit
    {"hostile_line_break_inside.txt", false},
    {"hostile_nul_inside.txt", false},
    {"hostile_two_solutions_broken.txt", true},   // 79 digits of a solution: two cells open, one way to fill them
};

TEST_F(PasteFuzzRegressions, EveryKeptTextIsTakenWholeOrNotAtAll) {
    const auto fixtures = test::FuzzFixtures("paste");
    ASSERT_FALSE(fixtures.empty()) << test::FuzzFixtureFolder("paste");
    const std::string before = "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";
    for (const auto& fixture : fixtures) {
        SCOPED_TRACE(fixture.filename().string());
        const auto expected = kTaken.find(fixture.filename().string());
        ASSERT_NE(expected, kTaken.end()) << "every kept text says whether it is board text";
        session.ResetSession();
        Paste(before);
        const std::string text = test::FuzzFixtureBytes(fixture);
        EXPECT_EQ(expected->second, session.PasteBoardText(text));
        const std::string& board = expected->second ? text : before;
        for (int k = 0; k < 81; ++k) {
            const int digit = board[k] >= '1' && board[k] <= '9' ? board[k] - '0' : 0;
            EXPECT_EQ(digit, session.values[k]) << "cell " << k;
            EXPECT_EQ(digit != 0 ? 1 : 0, session.origin[k]) << "cell " << k;
        }
    }
}

}  // namespace
}  // namespace masuvo
