// The achievement record 達成記録.csv and its readers: the start-up upgrade
// (current, previous and foreign headers), the 履歴管理 list with its sorting,
// a deletion written back, and the 履歴統計 report over the same lines.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "files/cp932.h"
#include "files/text_file.h"
#include "fuzz/fuzz_support.h"
#include "records/list_sort.h"
#include "records/record_file.h"
#include "records/record_list.h"
#include "reports/history_statistics.h"

namespace {

using namespace masuvo;

constexpr size_t kMaxInput = 64 * 1024;

std::vector<std::string> LinesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::string_view line : SplitLines(bytes)) lines.emplace_back(line);
    return lines;
}

void CheckStatistics(const std::string& path) {
    std::vector<std::string> lines;
    std::string message;
    if (!ReadRecordLines(path, lines, message)) return;
    HistoryStatistics statistics(lines, "2025.01.01");
    for (int page = 0; page < statistics.PageCount(); ++page) {
        const std::string text = statistics.Page(page);
        fuzz::Require(!text.empty(), "every page of the report has a text");
    }
}

void CheckList(const std::string& path) {
    RecordList list;
    std::string message;
    if (!list.Load(path, message)) {
        fuzz::Require(!message.empty(), "a refused record file says why");
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
            for (size_t i = 0; i < sorted.size(); ++i)
                fuzz::Require(sorted[i] == static_cast<int>(i), "sorting keeps every row once");
        }
    }
    if (list.Rows().empty()) return;

    // Deleting the first record marks exactly that line and keeps the rest.
    const std::vector<std::string> before = LinesOf(fuzz::ReadWholeFile(path));
    const int line = list.Rows().front().line;
    fuzz::Require(list.Delete(line), "a listed record can be deleted");
    fuzz::Require(list.Save(message), "the deletion is written");
    std::vector<std::string> expected = before;
    expected[static_cast<size_t>(line)].insert(0, "#");
    fuzz::Require(LinesOf(fuzz::ReadWholeFile(path)) == expected, "a deletion changes only its own line");
}

void CheckPrepare(const std::string& path, const std::string& input) {
    std::string message;
    fuzz::Require(PrepareRecordFile(path, message), "an existing record file is always made usable");
    const std::string after = fuzz::ReadWholeFile(path);
    const std::vector<std::string> oldLines = LinesOf(input);
    const std::string header = Utf8ToCp932(RecordHeader());
    if (oldLines.empty()) {
        fuzz::Require(after == header + "\r\n", "an empty file gets the header");
        return;
    }
    const auto commas = std::count(oldLines[0].begin(), oldLines[0].end(), ',');
    if (commas == 78) {
        fuzz::Require(after == input, "a current file is left alone");
    } else if (commas == 76) {
        const std::vector<std::string> newLines = LinesOf(after);
        fuzz::Require(newLines.size() == oldLines.size() && newLines[0] == header,
                      "an upgrade keeps every line under the new header");
    } else {
        fuzz::Require(after == header + "\r\n", "a foreign file is replaced by a fresh one");
        fuzz::Require(fuzz::ReadWholeFile(path + ".bak") == input, "a foreign file is kept whole beside it");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput) return 0;
    fuzz::ClearScratchFolder();
    const std::string path = fuzz::ScratchFolder() + "/records.csv";
    const std::string input(reinterpret_cast<const char*>(data), size);

    // The readers first see the file as it is, as when it was replaced while
    // the program ran; then start-up brings it up to date and they read again.
    fuzz::WriteScratchFile(path, input);
    CheckStatistics(path);
    CheckList(path);
    fuzz::WriteScratchFile(path, input);
    CheckPrepare(path, input);
    CheckStatistics(path);
    CheckList(path);
    return 0;
}
