// The history statistics report (履歴統計): averages per rank with text bar
// charts, monthly trends per rank and overall, and technique counts per rank
// and overall, built from the lines of the achievement record. Seventeen
// pages of plain text with CR LF line ends, for a fixed-width font.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace masuvo {

// Columns of a record row: 0-6 the version, date, time and name, 7 the rank
// name, 8-17 the scores and counts of the record line, 18-47 the expected
// counts and 48-77 the estimated counts of the thirty techniques.
constexpr int kRecordColumns = 78;
constexpr int kRankColumn = 7;
constexpr int kExpectedColumn = 18;
constexpr int kEstimatedColumn = 48;

// One line of the record file cut into its fixed columns: the part before
// the first ",," fills columns 0-6 and 8-17 (fields beyond them are
// dropped), the part up to the next ",," columns 18-47, the rest columns
// 48-77; empty fields are skipped, missing ones are empty. Column 7, the
// rank name, is not in the line and is set afterwards. The row keeps its own
// copy of the line; columns are views into it.
class RecordTableRow {
public:
    RecordTableRow() = default;
    explicit RecordTableRow(std::string_view line);

    // Empty for a column out of range.
    std::string_view operator[](int column) const;
    // name must outlive the row (the rank names are static texts).
    void SetRankName(const char* name) { rank_ = name ? name : ""; }

private:
    std::string text_;
    std::array<uint32_t, kRecordColumns> begin_{};
    std::array<uint32_t, kRecordColumns> end_{};
    const char* rank_ = "";
};

// Row 0 is the header line; every further row a record that is not deleted.
using RecordTable = std::vector<RecordTableRow>;

inline RecordTableRow SplitRecordRow(std::string_view line) { return RecordTableRow(line); }

// The record lines (UTF-8) as a table. The first line is the header and
// always row 0; further lines that begin with "#" (deleted) or are blank get
// no row. Column 7 of every record row holds the rank name of its
// difficulty, empty for a difficulty of 0 or less.
RecordTable BuildRecordTable(const std::vector<std::string>& lines);

// A field as a number: leading blanks skipped, then an optional sign and
// digits; text gives 0 and values beyond 32 bits saturate.
int32_t RecordNumber(std::string_view field);

// The report's twelve value kinds: 問題数, 平均実効解答時間, 平均難易度 … 平均候補表示容易度.
constexpr int kSetKinds = 12;
const char* SetKindLabel(int kind);

// A group of records (a rank or a month) and its values, averaged.
struct Set {
    std::string name;
    double value[kSetKinds] = {};
};

// The groups of one table and its scale record: per kind the largest value
// over the groups, then one common maximum for the time-like kinds and
// 候補表示容易度, and 100 for the rate.
struct GroupTable {
    std::vector<Set> groups;
    Set scale;
};

// The seven ranks 基本 … 究極激難問 in rank order; records of higher ranks or
// without a rank are in none of them.
GroupTable GroupByRank(const RecordTable& table);
// The months (year "." month) in the order they first occur in the file,
// over the records of one rank, or over every record when rank is empty.
GroupTable GroupByMonth(const RecordTable& table, const std::string& rank);
// The scale record of a list of groups.
Set ScaleOf(const std::vector<Set>& groups);

// For each kind: its label, one line per group with the value and a bar of
// hyphens, and a blank line; then a final blank line.
std::string FormatGroupTable(const std::vector<Set>& groups, const Set& scale);
inline std::string FormatGroupTable(const GroupTable& table) { return FormatGroupTable(table.groups, table.scale); }

// The sums of the expected and estimated counts of every technique over the
// records of one rank, or over every record when rank is empty.
std::string FormatTechniqueCounts(const RecordTable& table, const std::string& rank);

// The five lines at the top of every page; date is the text of the local
// date as "%Y.%m.%d".
std::string StatisticsPageHeader(const std::string& date);
// "%Y.%m.%d" of the local date at the given time.
std::string LocalDateText(std::time_t when);

// The whole report. The table is built once; each page is made when asked
// for, so a window can show page 0 at once and append the others.
class HistoryStatistics {
public:
    static constexpr int kPageCount = 17;

    HistoryStatistics(const std::vector<std::string>& lines, std::string date);

    int PageCount() const { return kPageCount; }
    // Page index 0 … 16: 0 the ranks, 1-7 the months of each rank, 8 the
    // months of every record, 9-15 the techniques of each rank, 16 the
    // techniques of every record.
    std::string Page(int index) const;

    const RecordTable& Table() const { return table_; }

private:
    RecordTable table_;
    std::string header_;
};

}  // namespace masuvo
