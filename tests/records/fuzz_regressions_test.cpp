// The record files kept from fuzzing and the hostile files written for it
// (tests/data/fuzz/record_file): start-up makes each usable without losing
// a byte, the history list reads, sorts and deletes in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/cp932.h"
#include "files/text_file.h"
#include "records/list_sort.h"
#include "records/record_file.h"
#include "records/record_list.h"
#include "tests/files/temp_folder.h"
#include "tests/fuzz_fixtures.h"

namespace masuvo {
namespace {

std::vector<std::string> LinesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::string_view line : SplitLines(bytes)) lines.emplace_back(line);
    return lines;
}

// Sorting every column both ways keeps every row once; deleting the first
// record marks its line and nothing else.
void ExerciseList(const std::string& path) {
    RecordList list;
    std::string message;
    if (!list.Load(path, message)) {
        EXPECT_FALSE(message.empty());
        return;
    }
    std::vector<int> order(list.Rows().size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    for (int column = 0; column < kRecordColumnCount; ++column) {
        for (bool descending : {false, true}) {
            SortRows(order, [&](int row) -> const std::string& { return list.Rows()[row].columns[column]; },
                     RecordList::ColumnSortKind(column), descending);
            std::vector<int> sorted = order;
            std::sort(sorted.begin(), sorted.end());
            for (size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(static_cast<int>(i), sorted[i]) << "column " << column;
        }
    }
    if (list.Rows().empty()) return;
    const std::vector<std::string> before = LinesOf(test::ReadBytes(path));
    const int line = list.Rows().front().line;
    ASSERT_TRUE(list.Delete(line));
    ASSERT_TRUE(list.Save(message)) << message;
    std::vector<std::string> expected = before;
    expected[static_cast<size_t>(line)].insert(0, "#");
    EXPECT_EQ(expected, LinesOf(test::ReadBytes(path)));
}

TEST(RecordFileFuzzRegressions, StartUpMakesEveryKeptFileUsableAndKeepsItsContent) {
    const auto fixtures = test::FuzzFixtures("record_file");
    ASSERT_FALSE(fixtures.empty()) << test::FuzzFixtureFolder("record_file");
    const std::string header = Utf8ToCp932(RecordHeader());
    for (const auto& fixture : fixtures) {
        SCOPED_TRACE(fixture.filename().string());
        test::TempFolder folder;
        const std::string path = folder / "達成記録.csv";
        const std::string input = test::FuzzFixtureBytes(fixture);
        test::WriteBytes(path, input);
        ExerciseList(path);

        test::WriteBytes(path, input);
        std::string message;
        ASSERT_TRUE(PrepareRecordFile(path, message)) << message;
        const std::vector<std::string> oldLines = LinesOf(input);
        const std::string after = test::ReadBytes(path);
        const auto commas = oldLines.empty() ? 0 : std::count(oldLines[0].begin(), oldLines[0].end(), ',');
        if (oldLines.empty()) {
            EXPECT_EQ(header + "\r\n", after);
        } else if (commas == 78) {
            EXPECT_EQ(input, after);
        } else if (commas == 76) {
            const std::vector<std::string> newLines = LinesOf(after);
            ASSERT_EQ(oldLines.size(), newLines.size());
            EXPECT_EQ(header, newLines[0]);
        } else {
            EXPECT_EQ(header + "\r\n", after);
            EXPECT_EQ(input, test::ReadBytes(path + ".bak"));
        }
        ExerciseList(path);
    }
}

// The 時:分 column shows the record's own hour and minute fields, so a
// hand-edited record can put any number there; sorting by it once
// multiplied such a number by 60 beyond 64 bits.
TEST(RecordFileFuzzRegressions, TimesBeyond64BitsOfSecondsSortAtTheEnds) {
    const std::vector<std::string> texts = {"900000000000000000:07", "-900000000000000000:-900000000000000000",
                                            "9:05", "12:30", "-1:-5"};
    std::vector<int> order = {0, 1, 2, 3, 4};
    SortRows(order, [&](int row) -> const std::string& { return texts[row]; }, SortKind::Time, false);
    EXPECT_EQ((std::vector<int>{1, 4, 2, 3, 0}), order);
    EXPECT_EQ(1, CompareListTexts(SortKind::Time, texts[0], texts[3]));
    EXPECT_EQ(-1, CompareListTexts(SortKind::Time, texts[1], texts[4]));
}

}  // namespace
}  // namespace masuvo
