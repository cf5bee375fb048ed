// 履歴管理 without its window: the record file's lines, the rows of the list
// with their seventeen column texts, deletion and the rewrite on OK.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "records/list_sort.h"

namespace masuvo {

constexpr int kRecordColumnCount = 17;

// One record of the list. The column texts are UTF-8 for display; bytes the
// code page lacks show as U+FFFD.
struct RecordListRow {
    int line = 0;  // index of the record's line in the file, the header being 0
    std::array<std::string, kRecordColumnCount> columns;
};

class RecordList {
public:
    // Reads the file and builds a row for every record line (deleted lines
    // and blank lines get none). On failure the list is empty and message is
    // "達成記録ファイルをオープンできません。：\n" plus the reason; a file whose
    // first line is not the current header is refused the same way, so that
    // it can never be overwritten from here.
    bool Load(const std::string& path, std::string& message);

    // The rows in file order.
    const std::vector<RecordListRow>& Rows() const { return rows_; }
    // The line of the file as read, without its line end.
    const std::string& Line(int line) const { return lines_[line]; }
    int LineCount() const { return static_cast<int>(lines_.size()); }

    // Text for 1, 2, 4 and 6; time for 3 and 5; number for the others.
    static SortKind ColumnSortKind(int column);

    // Marks the record on this line for deletion. False for a line that has
    // no row or is marked already.
    bool Delete(int line);
    bool HasDeletions() const { return !deleted_.empty(); }
    bool IsDeleted(int line) const;

    // OK. Nothing is written without a deletion. Otherwise the file is read
    // again, each deleted line whose bytes are still those read gets "#" in
    // front, every other line stays as it is now (another instance may have
    // appended records since), and the file is replaced through a temporary
    // file. On failure nothing changes, the deletions stay pending and
    // message says why, as for Load.
    bool Save(std::string& message);

private:
    std::string path_;
    std::vector<std::string> lines_;  // raw code page 932 bytes
    std::vector<RecordListRow> rows_;
    std::vector<int> deleted_;
};

// The texts of a record line's columns by the shared reading rules, with
// 実行時間 and 階級 computed; column 0 is the line index.
RecordListRow BuildRecordListRow(int line, const std::string& bytes);

}  // namespace masuvo
