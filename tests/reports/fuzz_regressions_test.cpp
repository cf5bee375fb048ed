// The history statistics over the record files kept from fuzzing and the
// hostile files written for it (tests/data/fuzz/record_file): every page is
// made, and numbers beyond 32 bits saturate instead of wrapping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/cp932.h"
#include "files/text_file.h"
#include "tests/fuzz_fixtures.h"
#include "reports/history_statistics.h"

namespace masuvo {
namespace {

std::vector<std::string> Utf8Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::string_view raw : SplitLines(bytes)) {
        std::string text;
        Cp932ToUtf8(raw, text);
        lines.push_back(std::move(text));
    }
    return lines;
}

TEST(HistoryStatisticsFuzzRegressions, EveryKeptFileGivesEveryPage) {
    const auto fixtures = test::FuzzFixtures("record_file");
    ASSERT_FALSE(fixtures.empty()) << test::FuzzFixtureFolder("record_file");
    for (const auto& fixture : fixtures) {
        SCOPED_TRACE(fixture.filename().string());
        HistoryStatistics statistics(Utf8Lines(test::FuzzFixtureBytes(fixture)), "2025.01.01");
        for (int page = 0; page < statistics.PageCount(); ++page)
            EXPECT_NE(std::string::npos, statistics.Page(page).find("履歴統計")) << "page " << page;
    }
}

TEST(HistoryStatisticsFuzzRegressions, HugeCountsSaturate) {
    HistoryStatistics statistics(
        Utf8Lines(test::FuzzFixtureBytes(test::FuzzFixtureFolder("record_file") / "hostile_huge_numbers.csv")),
        "2025.01.01");
    // Two records with expected counts of 2147483647 and 1, estimated counts
    // beyond 32 bits (taken as 2147483647) and 0.
    const std::string techniques = statistics.Page(HistoryStatistics::kPageCount - 1);
    EXPECT_NE(std::string::npos, techniques.find("2147483648  2147483647")) << techniques;
}

}  // namespace
}  // namespace masuvo
