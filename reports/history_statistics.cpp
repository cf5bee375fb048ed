#include "reports/history_statistics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <utility>

#include "engine/catalogue.h"
#include "engine/rating.h"
#include "engine/text_format.h"
#include "files/comma_fields.h"
#include "reports/text_columns.h"

namespace masuvo {

namespace {

// The ranks that have pages of their own: 基本 … 究極激難問.
constexpr int kReportRanks = 7;

constexpr const char* kKindLabels[kSetKinds] = {
    "問題数",         "平均実効解答時間", "平均難易度",         "平均実行度",
    "平均解答秒数",   "ペナルティ",       "平均余力度",         "平均余力率",
    "平均ヒント回数", "平均詳細ヒント回数", "平均ヒント実行回数", "平均候補表示容易度",
};

// Where the fields before the first ",," go: the rank name of column 7 is
// not in the file.
constexpr int kFirstPartColumns[] = {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};

// A bar never runs past the chart's full width, even for a rate above 100 %
// (only reachable with negative solving times written by hand), so a damaged
// record cannot ask for billions of hyphens.
constexpr long long kBarLimit = 50;

// Techniques after which the count table leaves a blank line between families.
constexpr bool IsFamilyEnd(int technique) {
    switch (technique) {
        case 1: case 3: case 4: case 6: case 9: case 12: case 15: case 18: case 20: case 22: case 26:
            return true;
        default:
            return false;
    }
}

// The fields of part (starting at offset in the row's text), in order, into
// the given columns; fields beyond them are dropped.
template <size_t N>
void FillColumns(std::string_view text, size_t from, size_t to, const int (&columns)[N],
                 std::array<uint32_t, kRecordColumns>& begin, std::array<uint32_t, kRecordColumns>& end) {
    size_t field = 0;
    size_t i = from;
    while (i < to && field < N) {
        if (text[i] == ',') {
            ++i;
            continue;
        }
        size_t stop = text.find(',', i);
        if (stop == std::string_view::npos || stop > to) stop = to;
        begin[columns[field]] = static_cast<uint32_t>(i);
        end[columns[field]] = static_cast<uint32_t>(stop);
        ++field;
        i = stop;
    }
}

template <int First, int Count>
struct ColumnRange {
    int columns[Count];
    constexpr ColumnRange() : columns() {
        for (int i = 0; i < Count; ++i) columns[i] = First + i;
    }
};
constexpr ColumnRange<kExpectedColumn, kTechniqueCount> kExpectedColumns;
constexpr ColumnRange<kEstimatedColumn, kTechniqueCount> kEstimatedColumns;

// The integer sums of one group before averaging, indexed like the kinds.
struct Sums {
    int64_t count = 0;
    int64_t sum[kSetKinds] = {};
};

void AddRow(const RecordTableRow& row, Sums& sums) {
    ++sums.count;
    sums.sum[2] += RecordNumber(row[8]);
    sums.sum[3] += RecordNumber(row[9]);
    sums.sum[5] += RecordNumber(row[10]);
    sums.sum[4] += RecordNumber(row[11]);
    sums.sum[8] += RecordNumber(row[12]);
    sums.sum[9] += RecordNumber(row[13]);
    sums.sum[10] += RecordNumber(row[14]);
    sums.sum[11] += RecordNumber(row[15]);
}

Set Average(std::string name, const Sums& sums) {
    Set set;
    set.name = std::move(name);
    double* v = set.value;
    for (int kind : {2, 3, 4, 5, 8, 9, 10, 11}) v[kind] = static_cast<double>(sums.sum[kind]);
    v[0] = static_cast<double>(sums.count);
    v[1] = static_cast<double>(sums.sum[4] - sums.sum[5]);
    v[6] = static_cast<double>(sums.sum[2] - sums.sum[4]);
    // The rate of the sums, not the mean of the records' rates; without any
    // difficulty there is nothing to relate the spare time to.
    v[7] = sums.sum[2] > 0 ? v[6] / (static_cast<double>(sums.sum[2]) * 0.01) : 0.0;
    if (sums.count > 0) {
        const double count = static_cast<double>(sums.count);
        for (int kind : {1, 2, 3, 4, 5, 6, 8, 9, 10, 11}) v[kind] /= count;
    }
    return set;
}

// printf's "%<width>.<precision>f", with "." whatever the process locale.
void AppendFixed(std::string& out, double value, int precision, int width) {
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    const size_t length = result.ec == std::errc() ? static_cast<size_t>(result.ptr - buffer) : 0;
    if (static_cast<int>(length) < width) out.append(static_cast<size_t>(width) - length, ' ');
    out.append(buffer, length);
}

// Whole minutes and seconds of a mean time, "%d:%02d"; a negative time
// (penalties above the solving time, written by hand) as "-m:ss".
std::string MinutesSeconds(double value) {
    constexpr double kLimit = 9.0e18;
    const double whole = std::trunc(std::clamp(value, -kLimit, kLimit));
    const long long seconds = static_cast<long long>(whole);
    const unsigned long long magnitude =
        seconds < 0 ? 0ULL - static_cast<unsigned long long>(seconds) : static_cast<unsigned long long>(seconds);
    return Format("%s%llu:%02llu", seconds < 0 ? "-" : "", magnitude / 60, magnitude % 60);
}

long long BarLength(double value, double scale) {
    const double n = scale < 50 ? std::trunc(value) : std::trunc(value * 50 / scale + 0.9999);
    if (!(n > 0)) return 0;
    return n >= static_cast<double>(kBarLimit) ? kBarLimit : static_cast<long long>(n);
}

bool RowInRank(const RecordTableRow& row, const std::string& rank) { return rank.empty() || row[kRankColumn] == rank; }

const std::string& Stars(int count) {
    static const std::string stars62(62, '*');
    static const std::string stars50(50, '*');
    return count == 62 ? stars62 : stars50;
}

std::string Title(const char* kind, const std::string& group) {
    return std::string("◆ ") + kind + "(" + group + ") " + Stars(50) + "\r\n\r\n";
}

const std::string kOverall = "全体　　　";

}  // namespace

int32_t RecordNumber(std::string_view field) {
    int32_t value = 0;
    if (LenientInt(field, value)) return value;
    const std::string_view text = TrimSpaces(field);
    return !text.empty() && text.front() == '-' ? std::numeric_limits<int32_t>::min()
                                                : std::numeric_limits<int32_t>::max();
}

RecordTableRow::RecordTableRow(std::string_view line) {
    // Offsets are 32 bits: no record line comes near 4 GiB.
    text_.assign(line.substr(0, std::numeric_limits<uint32_t>::max()));
    const std::string_view text = text_;
    size_t firstEnd = text.size();
    size_t secondBegin = text.size();
    size_t secondEnd = text.size();
    size_t thirdBegin = text.size();
    if (const size_t at = text.find(",,"); at != std::string_view::npos) {
        firstEnd = at;
        secondBegin = at + 2;
        if (const size_t next = text.find(",,", secondBegin); next != std::string_view::npos) {
            secondEnd = next;
            thirdBegin = next + 2;
        }
    }
    FillColumns(text, 0, firstEnd, kFirstPartColumns, begin_, end_);
    FillColumns(text, secondBegin, secondEnd, kExpectedColumns.columns, begin_, end_);
    FillColumns(text, thirdBegin, text.size(), kEstimatedColumns.columns, begin_, end_);
}

std::string_view RecordTableRow::operator[](int column) const {
    if (column == kRankColumn) return rank_;
    if (column < 0 || column >= kRecordColumns) return std::string_view();
    return std::string_view(text_).substr(begin_[column], end_[column] - begin_[column]);
}

RecordTable BuildRecordTable(const std::vector<std::string>& lines) {
    RecordTable table;
    table.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (i > 0 && ((!line.empty() && line.front() == '#') || TrimSpaces(line).empty())) continue;
        RecordTableRow& row = table.emplace_back(line);
        if (i == 0) continue;
        const int32_t difficulty = RecordNumber(row[8]);
        if (difficulty > 0) row.SetRankName(RankName(difficulty));
    }
    return table;
}

const char* SetKindLabel(int kind) { return kind >= 0 && kind < kSetKinds ? kKindLabels[kind] : ""; }

Set ScaleOf(const std::vector<Set>& groups) {
    Set scale;
    for (double& value : scale.value) value = std::numeric_limits<double>::lowest();
    for (const Set& group : groups)
        for (int kind = 0; kind < kSetKinds; ++kind) scale.value[kind] = std::max(scale.value[kind], group.value[kind]);
    // Times, the spare and 候補表示容易度 are all seconds: one scale for all of them.
    double common = std::numeric_limits<double>::lowest();
    for (int kind : {1, 2, 3, 4, 5, 6, 11}) common = std::max(common, scale.value[kind]);
    for (int kind : {1, 2, 3, 4, 5, 6, 11}) scale.value[kind] = common;
    scale.value[7] = 100;
    return scale;
}

GroupTable GroupByRank(const RecordTable& table) {
    Sums sums[kReportRanks];
    for (size_t i = 1; i < table.size(); ++i) {
        const std::string_view name = table[i][kRankColumn];
        if (name.empty()) continue;
        for (int rank = 0; rank < kReportRanks; ++rank) {
            if (name == RankNameOfIndex(rank)) {
                AddRow(table[i], sums[rank]);
                break;
            }
        }
    }
    GroupTable result;
    result.groups.reserve(kReportRanks);
    for (int rank = 0; rank < kReportRanks; ++rank) result.groups.push_back(Average(RankNameOfIndex(rank), sums[rank]));
    result.scale = ScaleOf(result.groups);
    return result;
}

GroupTable GroupByMonth(const RecordTable& table, const std::string& rank) {
    std::vector<std::string> names;
    std::vector<Sums> sums;
    std::unordered_map<std::string, size_t> index;
    std::string month;
    for (size_t i = 1; i < table.size(); ++i) {
        const RecordTableRow& row = table[i];
        if (!RowInRank(row, rank)) continue;
        month.assign(row[1]).append(".").append(row[2]);
        auto [at, inserted] = index.try_emplace(month, names.size());
        if (inserted) {
            names.push_back(month);
            sums.emplace_back();
        }
        AddRow(row, sums[at->second]);
    }
    GroupTable result;
    result.groups.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) result.groups.push_back(Average(std::move(names[i]), sums[i]));
    result.scale = ScaleOf(result.groups);
    return result;
}

std::string FormatGroupTable(const std::vector<Set>& groups, const Set& scale) {
    std::string text;
    text.reserve((groups.size() + 2) * kSetKinds * 96 + 16);
    for (int kind = 0; kind < kSetKinds; ++kind) {
        text += "○";
        text += kKindLabels[kind];
        text += "\r\n";
        for (const Set& group : groups) {
            const double value = group.value[kind];
            text += PadRight(group.name, 10);
            text += ':';
            if (kind == 0) {
                AppendFixed(text, value, 0, 8);
            } else if (kind == 1) {
                const std::string time = MinutesSeconds(value);
                if (time.size() < 8) text.append(8 - time.size(), ' ');
                text += time;
            } else if (kind == 7) {
                AppendFixed(text, value, 1, 6);
                text += "％";
            } else {
                AppendFixed(text, value, 1, 8);
            }
            text += '|';
            text.append(static_cast<size_t>(BarLength(value, scale.value[kind])), '-');
            text += "\r\n";
        }
        text += "\r\n";
    }
    text += "\r\n";
    return text;
}

std::string FormatTechniqueCounts(const RecordTable& table, const std::string& rank) {
    int64_t expected[kTechniqueCount] = {};
    int64_t estimated[kTechniqueCount] = {};
    for (size_t i = 1; i < table.size(); ++i) {
        const RecordTableRow& row = table[i];
        if (!RowInRank(row, rank)) continue;
        for (int t = 0; t < kTechniqueCount; ++t) {
            expected[t] += RecordNumber(row[kExpectedColumn + t]);
            estimated[t] += RecordNumber(row[kEstimatedColumn + t]);
        }
    }
    std::string text;
    text.reserve(64 * (kTechniqueCount + 16));
    text += std::string(23, ' ') + "   想定回数  推定回数\r\n";
    for (int t = 0; t < kTechniqueCount; ++t) {
        text += PadRight(TechniqueName(t), 23);
        text += Format(" : %8lld  %8lld\r\n", static_cast<long long>(expected[t]), static_cast<long long>(estimated[t]));
        if (IsFamilyEnd(t)) text += "\r\n";
    }
    text += "\r\n\r\n";
    return text;
}

std::string StatisticsPageHeader(const std::string& date) {
    const std::string stars(70, '*');
    return stars + "\r\n* マスヴォ\r\n* 履歴統計　　" + date + "\r\n" + stars + "\r\n\r\n";
}

std::string LocalDateText(std::time_t when) {
    std::tm local{};
    if (!::localtime_r(&when, &local)) return std::string();
    char buffer[64];
    const size_t length = std::strftime(buffer, sizeof buffer, "%Y.%m.%d", &local);
    return std::string(buffer, length);
}

HistoryStatistics::HistoryStatistics(const std::vector<std::string>& lines, std::string date)
    : table_(BuildRecordTable(lines)), header_(StatisticsPageHeader(date)) {}

std::string HistoryStatistics::Page(int index) const {
    if (index < 0 || index >= kPageCount) return std::string();
    std::string page = header_;
    if (index == 0) {
        page += "◆ 階級 " + Stars(62) + "\r\n\r\n";
        page += FormatGroupTable(GroupByRank(table_));
    } else if (index <= kReportRanks) {
        const std::string rank = RankNameOfIndex(index - 1);
        page += Title("推移", PadRight(rank, 10));
        page += FormatGroupTable(GroupByMonth(table_, rank));
    } else if (index == kReportRanks + 1) {
        page += Title("推移", kOverall);
        page += FormatGroupTable(GroupByMonth(table_, std::string()));
    } else if (index <= 2 * kReportRanks + 1) {
        const std::string rank = RankNameOfIndex(index - kReportRanks - 2);
        page += Title("解法", PadRight(rank, 10));
        page += FormatTechniqueCounts(table_, rank);
    } else {
        page += Title("解法", kOverall);
        page += FormatTechniqueCounts(table_, std::string());
    }
    return page;
}

}  // namespace masuvo
