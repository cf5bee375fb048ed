#include "records/record_list.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string_view>

#include "engine/rating.h"
#include "files/atomic_file.h"
#include "files/comma_fields.h"
#include "files/cp932.h"
#include "files/text_file.h"
#include "files/user_error_text.h"
#include "records/record_lock.h"

namespace masuvo {

namespace {

constexpr const char* kOpenFailed = "達成記録ファイルをオープンできません。：\n";
// The reason shown for a file whose first line is not the current header:
// start-up sets such a file aside, so it was replaced while the program ran.
constexpr const char* kNotRecordFile = "達成記録の形式ではありません（見出し行が違います）。";
constexpr int kCurrentCommas = 78;
// Far beyond any record file (a line is some 200 bytes), small enough not
// to exhaust memory on a stray huge file.
constexpr size_t kMaxFileBytes = size_t{256} << 20;

// The ten fields after the name go to these columns, in this order.
constexpr int kNumberColumns[10] = {7, 8, 10, 9, 11, 12, 13, 14, 15, 16};

bool Fail(std::string& message, const std::string& reason) {
    message = kOpenFailed + reason;
    return false;
}

// Reads the file and checks its header; lines are raw bytes.
bool ReadLines(const std::string& path, std::vector<std::string>& lines, std::string& message) {
    std::string bytes;
    int error = 0;
    if (!ReadFileBytes(path, bytes, error, kMaxFileBytes)) return Fail(message, UserErrorText(error));
    std::vector<std::string_view> views = SplitLines(bytes);
    if (views.empty() || std::count(views[0].begin(), views[0].end(), ',') != kCurrentCommas)
        return Fail(message, kNotRecordFile);
    lines.assign(views.begin(), views.end());
    return true;
}

// A column's number: lenient, and a value beyond 32 bits saturates instead
// of turning into 0.
int64_t ColumnInt(std::string_view text) {
    int32_t value = 0;
    if (LenientInt(text, value)) return value;
    std::string_view trimmed = TrimSpaces(text);
    return !trimmed.empty() && trimmed.front() == '-' ? INT32_MIN : INT32_MAX;
}

std::string Decode(std::string_view bytes) {
    std::string text;
    Cp932ToUtf8(bytes, text);  // undecodable bytes show as U+FFFD
    return text;
}

}  // namespace

RecordListRow BuildRecordListRow(int line, const std::string& bytes) {
    RecordListRow row;
    row.line = line;
    auto& columns = row.columns;
    columns[0] = std::to_string(line);

    std::vector<std::string_view> fields = SplitCommaFields(bytes);
    size_t next = 0;
    // The next count fields joined by the separator; fewer when the line
    // ends early.
    auto take = [&](size_t count, const char* separator) {
        std::string text;
        for (size_t i = 0; i < count && next < fields.size(); ++i, ++next) {
            if (i > 0) text += separator;
            text += Decode(fields[next]);
        }
        return text;
    };
    columns[1] = take(1, "");
    columns[2] = take(3, ".");
    columns[3] = take(2, ":");
    columns[4] = take(1, "");
    for (int column : kNumberColumns) columns[column] = take(1, "");

    // 実行時間: solving time without the penalties, as minutes and seconds
    // the way C prints a quotient and remainder ("-1:-5" when negative).
    int64_t seconds = ColumnInt(columns[9]) - ColumnInt(columns[10]);
    char time[48];
    std::snprintf(time, sizeof time, "%" PRId64 ":%02" PRId64, seconds / 60, seconds % 60);
    columns[5] = time;
    // A difficulty of 0 or less is no rank at all.
    int64_t difficulty = ColumnInt(columns[7]);
    columns[6] = difficulty > 0 ? RankName(static_cast<int32_t>(difficulty)) : "";
    return row;
}

bool RecordList::Load(const std::string& path, std::string& message) {
    path_ = path;
    lines_.clear();
    rows_.clear();
    deleted_.clear();
    if (!ReadLines(path, lines_, message)) {
        lines_.clear();
        return false;
    }
    for (size_t n = 1; n < lines_.size(); ++n) {
        const std::string& line = lines_[n];
        if (line.empty() || line.front() == '#' || TrimSpaces(line).empty()) continue;
        rows_.push_back(BuildRecordListRow(static_cast<int>(n), line));
    }
    return true;
}

SortKind RecordList::ColumnSortKind(int column) {
    switch (column) {
        case 1:
        case 2:
        case 4:
        case 6:
            return SortKind::Text;
        case 3:
        case 5:
            return SortKind::Time;
        default:
            return SortKind::Number;
    }
}

bool RecordList::IsDeleted(int line) const {
    if (std::find(deleted_.begin(), deleted_.end(), line) != deleted_.end()) return true;
    return line >= 0 && line < LineCount() && !lines_[line].empty() && lines_[line].front() == '#';
}

bool RecordList::Delete(int line) {
    auto row = std::lower_bound(rows_.begin(), rows_.end(), line,
                                [](const RecordListRow& r, int value) { return r.line < value; });
    if (row == rows_.end() || row->line != line || IsDeleted(line)) return false;
    deleted_.push_back(line);
    return true;
}

bool RecordList::Save(std::string& message) {
    if (deleted_.empty()) return true;
    // Held from the re-read to the rename: an append in between would be lost.
    const RecordFileLock lock(path_);
    if (!lock.locked()) return Fail(message, lock.reason());
    std::vector<std::string> current;
    if (!ReadLines(path_, current, message)) return false;
    for (int line : deleted_) {
        // A line that changed since it was listed is no longer the record
        // the user deleted; leave it to whoever changed it.
        if (line < static_cast<int>(current.size()) && current[line] == lines_[line])
            current[line].insert(current[line].begin(), '#');
    }
    std::string bytes;
    size_t size = 0;
    for (const std::string& line : current) size += line.size() + 2;
    bytes.reserve(size);
    for (const std::string& line : current) {
        bytes += line;
        bytes += "\r\n";
    }
    std::string error;
    if (!WriteFileAtomically(path_, bytes, error)) return Fail(message, error);
    lines_ = std::move(current);
    deleted_.clear();
    return true;
}

}  // namespace masuvo
