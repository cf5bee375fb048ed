// The puzzle files kept from fuzzing and the hostile files written for it
// (tests/data/fuzz/puzzle_file): each is refused with the reader's message
// or read whole, saved and read back unchanged, and loaded by a session.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "files/cp932.h"
#include "files/puzzle_file.h"
#include "session/headless_view.h"
#include "session/play_session.h"
#include "tests/files/temp_folder.h"
#include "tests/fuzz_fixtures.h"

namespace masuvo {
namespace {

constexpr const char* kUnreadable = "ファイルを読込めません。";

void ExpectSameData(const PuzzleFileData& a, const PuzzleFileData& b) {
    EXPECT_EQ(0, std::memcmp(a.values, b.values, sizeof a.values));
    EXPECT_EQ(0, std::memcmp(a.origin, b.origin, sizeof a.origin));
    EXPECT_EQ(0, std::memcmp(a.colour, b.colour, sizeof a.colour));
    EXPECT_EQ(0, std::memcmp(a.candMarks, b.candMarks, sizeof a.candMarks));
    EXPECT_EQ(0, std::memcmp(a.memo, b.memo, sizeof a.memo));
    EXPECT_EQ(a.mode, b.mode);
    EXPECT_EQ(a.targetTime, b.targetTime);
    EXPECT_EQ(a.elapsed, b.elapsed);
    EXPECT_EQ(a.penalty, b.penalty);
    EXPECT_EQ(a.execution, b.execution);
    EXPECT_EQ(0, std::memcmp(a.usageStartCount, b.usageStartCount, sizeof a.usageStartCount));
    EXPECT_EQ(0, std::memcmp(a.usagePlayedCount, b.usagePlayedCount, sizeof a.usagePlayedCount));
    ASSERT_EQ(a.log.size(), b.log.size());
    for (size_t i = 0; i < a.log.size(); ++i) {
        EXPECT_EQ(a.log[i].text, b.log[i].text) << "log entry " << i;
        EXPECT_EQ(a.log[i].seconds, b.log[i].seconds);
        EXPECT_EQ(a.log[i].row, b.log[i].row);
        EXPECT_EQ(a.log[i].col, b.log[i].col);
        EXPECT_EQ(0, std::memcmp(a.log[i].values, b.log[i].values, sizeof a.log[i].values));
    }
}

// Whether each fixture is a puzzle file the reader takes.
const std::map<std::string, bool> kAccepted = {
    {"crash_log_text_with_nul.kzd", true},          // NUL bytes in a log text: kept, and saved as NUL
    {"hostile_commas_only.kzd", false},             // a row of commas has no numbers
    {"hostile_cr_without_lf.kzd", false},           // CR alone ends no line: one long first line
    {"hostile_header_only.kzd", false},
    {"hostile_huge_counts.kzd", true},              // 2147483647 fits: taken as it is
    {"hostile_invalid_cp932.kzd", false},
    {"hostile_log_empty_text.kzd", true},           // an empty text is an empty text, nothing shifts
    {"hostile_log_row_out_of_range.kzd", false},    // row 9 is off the board the review indexes
    {"hostile_lone_lead_byte_at_end.kzd", false},   // half a character
    {"hostile_long_technique_line.kzd", true},      // values beyond index 29 are not read
    {"hostile_mode_7.kzd", false},
    {"hostile_negative_counts.kzd", true},          // -2147483648 fits as well
    {"hostile_nul_bytes.kzd", true},                // a NUL where a digit belongs ends the number: 0
    {"hostile_overflowing_numbers.kzd", false},     // beyond 32 bits
    {"hostile_truncated_in_log.kzd", false},        // the last entry lacks its board
    {"hostile_truncated_in_values.kzd", false},
    {"hostile_value_out_of_range.kzd", false},      // a cell holding 10
};

TEST(PuzzleFileFuzzRegressions, EveryKeptInputIsRefusedOrReadWhole) {
    const auto fixtures = test::FuzzFixtures("puzzle_file");
    ASSERT_FALSE(fixtures.empty()) << test::FuzzFixtureFolder("puzzle_file");
    test::TempFolder folder;
    for (const auto& path : fixtures) {
        SCOPED_TRACE(path.filename().string());
        PuzzleFileData read;
        std::string message;
        const bool accepted = ReadPuzzleData(path.string(), read, message);
        const auto expected = kAccepted.find(path.filename().string());
        ASSERT_NE(expected, kAccepted.end()) << "every kept input says whether it is a puzzle file";
        EXPECT_EQ(expected->second, accepted) << message;
        if (!accepted) {
            EXPECT_EQ(kUnreadable, message);
            continue;
        }

        const std::string again = folder / "again.kzd";
        ASSERT_TRUE(WritePuzzleData(again, read, message)) << message;
        PuzzleFileData reread;
        ASSERT_TRUE(ReadPuzzleData(again, reread, message)) << message;
        ExpectSameData(read, reread);

        DataFolders folders;
        folders.dataFolder = folder.path().string();
        folders.finishedFolder = folder / "finished";
        folders.tempFolder = folder / "tmp";
        folders.recordPath = folder / "records.csv";
        std::string shown;
        HeadlessView view([&](const std::string& text) { shown = text; });
        PlaySession session(view, folders);
        session.ResetSession();
        EXPECT_TRUE(session.ReadPuzzleFile(path.string())) << shown;
        EXPECT_NE(1, session.mode) << "a loaded file is never running";
    }
}

// A NUL is a character of the code page like any other: it was written as
// "?" once, so a file changed by merely saving it.
TEST(PuzzleFileFuzzRegressions, NulBytesInALogTextSurviveASave) {
    EXPECT_EQ(std::string("a\0b", 3), Utf8ToCp932(std::string("a\0b", 3)));
    PuzzleFileData read;
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(test::FuzzFixtureFolder("puzzle_file") / "crash_log_text_with_nul.kzd", read, message));
    ASSERT_FALSE(read.log.empty());
    const std::string text = std::string(115, '\0') + "-";
    EXPECT_EQ(text, read.log.back().text);

    test::TempFolder folder;
    const std::string again = folder / "again.kzd";
    ASSERT_TRUE(WritePuzzleData(again, read, message)) << message;
    PuzzleFileData reread;
    ASSERT_TRUE(ReadPuzzleData(again, reread, message)) << message;
    EXPECT_EQ(text, reread.log.back().text);
}

TEST(PuzzleFileFuzzRegressions, NumbersAtTheEdgesOf32BitsAreTakenAsTheyAre) {
    PuzzleFileData huge;
    PuzzleFileData negative;
    std::string message;
    const auto folder = test::FuzzFixtureFolder("puzzle_file");
    ASSERT_TRUE(ReadPuzzleData(folder / "hostile_huge_counts.kzd", huge, message));
    ASSERT_TRUE(ReadPuzzleData(folder / "hostile_negative_counts.kzd", negative, message));
    EXPECT_EQ(INT32_MAX, huge.targetTime);
    EXPECT_EQ(INT32_MAX, huge.elapsed);
    EXPECT_EQ(INT32_MAX, huge.usagePlayedCount[29]);
    EXPECT_EQ(INT32_MIN, negative.penalty);
    EXPECT_EQ(INT32_MIN, negative.log.front().seconds);
}

}  // namespace
}  // namespace masuvo
