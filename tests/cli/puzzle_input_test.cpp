// masuvo-cli's puzzle lines, replayed from the inputs kept from fuzzing and
// the hostile ones written for it (tests/data/fuzz/puzzle_lines): every line
// is skipped, reported or handed over, and a report never carries a control
// byte to the terminal.
#include "cli/puzzle_input.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "tests/fuzz_fixtures.h"

namespace masuvo::cli {
namespace {

struct Outcome {
    int puzzles = 0;
    std::string errors;
    bool good = true;
};

Outcome ReadPuzzles(const std::string& input) {
    Outcome outcome;
    std::FILE* in = ::fmemopen(const_cast<char*>(input.data()), input.size(), "rb");
    if (input.empty()) in = std::fopen("/dev/null", "rb");
    std::FILE* errors = std::tmpfile();
    outcome.good = ForEachPuzzle(in, [&](const KR_base&) { ++outcome.puzzles; }, errors);
    std::fclose(in);
    std::rewind(errors);
    int c;
    while ((c = std::fgetc(errors)) != EOF) outcome.errors += static_cast<char>(c);
    std::fclose(errors);
    return outcome;
}

int CountLines(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

// Puzzles handed over and bad lines reported for each kept input.
const std::map<std::string, std::pair<int, int>> kExpected = {
    {"hostile_contradiction.txt", {2, 0}},       // puzzles by their characters; counting tells the rest
    {"hostile_cr_without_lf.txt", {1, 0}},       // one line: the first 81 characters are a puzzle
    {"hostile_empty_board.txt", {2, 0}},
    {"hostile_escape_sequence.txt", {0, 1}},
    {"hostile_invalid_utf8.txt", {0, 1}},
    {"hostile_no_final_newline.txt", {1, 0}},
    {"hostile_nul_bytes.txt", {0, 2}},
    {"hostile_short_and_long.txt", {1, 2}},
};

TEST(PuzzleLinesFuzzRegressions, EveryKeptInputIsHandedOverOrReported) {
    const auto fixtures = test::FuzzFixtures("puzzle_lines");
    ASSERT_FALSE(fixtures.empty()) << test::FuzzFixtureFolder("puzzle_lines");
    for (const auto& fixture : fixtures) {
        SCOPED_TRACE(fixture.filename().string());
        const auto expected = kExpected.find(fixture.filename().string());
        ASSERT_NE(expected, kExpected.end()) << "every kept input says what it holds";
        const Outcome outcome = ReadPuzzles(test::FuzzFixtureBytes(fixture));
        EXPECT_EQ(expected->second.first, outcome.puzzles);
        EXPECT_EQ(expected->second.second, CountLines(outcome.errors)) << outcome.errors;
        EXPECT_EQ(expected->second.second == 0, outcome.good);
        for (char c : outcome.errors)
            EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << "a control byte reached the report";
    }
}

TEST(PuzzleLinesFuzzRegressions, AReportQuotesTheLineWithControlBytesAsQuestionMarks) {
    const Outcome outcome = ReadPuzzles("\x1b[2Jnot\ta puzzle\n");
    EXPECT_EQ("line 1: not a puzzle (81 characters of 1-9, '.' or '0' expected): ?[2Jnot?a puzzle\n", outcome.errors);
}

// Only the start of a line matters; a line of megabytes costs no more
// memory than a short one, and its puzzle is still read.
TEST(PuzzleLinesFuzzRegressions, AVeryLongLineIsReadByItsStart) {
    const std::string puzzle = "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";
    const Outcome good = ReadPuzzles(puzzle + std::string(1 << 20, 'x') + "\n" + puzzle + "\n");
    EXPECT_EQ(2, good.puzzles);
    EXPECT_TRUE(good.good);
    const Outcome bad = ReadPuzzles(std::string(1 << 20, 'x') + "\n");
    EXPECT_EQ(0, bad.puzzles);
    EXPECT_EQ("line 1: not a puzzle (81 characters of 1-9, '.' or '0' expected): " + std::string(100, 'x') + "\n",
              bad.errors);
}

}  // namespace
}  // namespace masuvo::cli
