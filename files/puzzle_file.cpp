#include "files/puzzle_file.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <string_view>
#include <vector>

#include "files/atomic_file.h"
#include "files/comma_fields.h"
#include "files/cp932.h"
#include "files/text_file.h"
#include "files/user_error_text.h"

namespace masuvo {

namespace {

constexpr std::string_view kProductName = "マスヴォ";
constexpr std::string_view kVer2 = "File format ver.2";
constexpr std::string_view kVer3Short = "File format ver.3";
constexpr std::string_view kVersion3 = "File format version 3";

constexpr const char* kOpenFailed = "読込ファイルをオープンできません。：\n";
constexpr const char* kUnreadable = "ファイルを読込めません。";
constexpr const char* kSaveFailed = "保存ファイルをオープンできません。：\n";

// A finished puzzle with a long log stays far below a megabyte; anything
// this large is not a puzzle file and is not worth holding in memory.
constexpr size_t kMaxFileBytes = size_t{16} << 20;

// The technique counted at index 26 did not exist in "File format ver.3".
constexpr int kIndexMissingInVer3 = 26;

enum class Version { kVer2, kVer3Short, kVersion3 };

class LineReader {
public:
    explicit LineReader(std::vector<std::string_view> lines) : lines_(std::move(lines)) {}

    bool Next(std::string_view& line) {
        if (pos_ >= lines_.size()) return false;
        line = lines_[pos_++];
        return true;
    }

    // The blank line after a block, or lines the version does not use: their
    // content is not looked at, but the file must not end there.
    bool Skip(int count = 1) {
        std::string_view ignored;
        for (int i = 0; i < count; ++i)
            if (!Next(ignored)) return false;
        return true;
    }

private:
    std::vector<std::string_view> lines_;
    size_t pos_ = 0;
};

bool InRange(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

// Nine lines of nine numbers, one line per row, then the blank line. The
// range guards the cell values the session uses as digits and flags.
bool ReadNumberBlock(LineReader& in, int32_t (&cells)[81], int32_t low, int32_t high) {
    for (int row = 0; row < 9; ++row) {
        std::string_view line;
        if (!in.Next(line)) return false;
        std::vector<std::string_view> fields = SplitCommaFields(line);
        if (fields.size() != 9) return false;
        for (int col = 0; col < 9; ++col) {
            int32_t value;
            if (!LenientInt(fields[col], value) || !InRange(value, low, high)) return false;
            cells[row * 9 + col] = value;
        }
    }
    return in.Skip();
}

// A group of digit characters, each its own value no larger than highest.
bool ReadDigitGroup(std::string_view field, size_t length, char highest, auto&& store) {
    std::string_view group = TrimSpaces(field);
    if (group.size() != length) return false;
    for (size_t k = 0; k < length; ++k) {
        if (group[k] < '0' || group[k] > highest) return false;
        store(k, group[k] - '0');
    }
    return true;
}

// Nine lines of nine ten-character groups (candidate marks or memos).
bool ReadGroupBlock(LineReader& in, uint8_t (&cells)[81][10], char highest) {
    for (int row = 0; row < 9; ++row) {
        std::string_view line;
        if (!in.Next(line)) return false;
        std::vector<std::string_view> fields = SplitCommaFields(line);
        if (fields.size() != 9) return false;
        for (int col = 0; col < 9; ++col) {
            uint8_t* cell = cells[row * 9 + col];
            if (!ReadDigitGroup(fields[col], 10, highest, [&](size_t k, int v) { cell[k] = static_cast<uint8_t>(v); }))
                return false;
        }
    }
    return in.Skip();
}

// One counter line: a single number. An empty or doubled line would shift
// every later counter, so it makes the file malformed.
bool ReadCounter(LineReader& in, int32_t& value) {
    std::string_view line;
    if (!in.Next(line)) return false;
    std::vector<std::string_view> fields = SplitCommaFields(line);
    return fields.size() == 1 && LenientInt(fields[0], value);
}

// A technique line: values at consecutive catalogue indices from 0. An
// empty line leaves every count 0; a short line leaves the rest 0.
bool ReadTechniqueLine(LineReader& in, Version version, int32_t (&counts)[kCatalogueSize]) {
    std::string_view line;
    if (!in.Next(line)) return false;
    std::vector<std::string_view> fields = SplitCommaFields(line);
    size_t field = 0;
    // Version 2 files begin the line with a one-character value that is not
    // a count.
    if (version == Version::kVer2 && !fields.empty() && fields[0].size() == 1) field = 1;
    for (int index = 0; field < fields.size() && index < kCatalogueSize; ++field, ++index) {
        if (version == Version::kVer3Short && index == kIndexMissingInVer3) {
            counts[index] = 0;
            if (++index == kCatalogueSize) break;
        }
        if (!LenientInt(fields[field], counts[index])) return false;
    }
    return true;
}

// One log line: the text up to the first comma, then 27 fields. The text is
// cut at the first comma rather than by the field rules, so that an empty
// text is read as empty instead of shifting every field after it.
bool ParseLog(std::string_view line, Log& log) {
    size_t comma = line.find(',');
    if (comma == std::string_view::npos) return false;
    log.text.assign(line.substr(0, comma));
    std::replace(log.text.begin(), log.text.end(), '\\', ',');

    std::vector<std::string_view> fields = SplitCommaFields(line.substr(comma + 1));
    if (fields.size() != 27) return false;
    int32_t numbers[9];
    for (int i = 0; i < 9; ++i)
        if (!LenientInt(fields[i], numbers[i])) return false;
    log.seconds = numbers[0];
    log.points = numbers[1];
    log.hinted = numbers[2] != 0;
    log.detailed = numbers[3] != 0;
    log.executed = numbers[4] != 0;
    log.candidatesShown = numbers[5] != 0;
    log.row = numbers[6];
    log.col = numbers[7];
    log.digit = numbers[8];
    // Either a cell of the board or the completion entry's −1, −1: the review
    // indexes the board with them.
    bool onBoard = InRange(log.row, 0, 8) && InRange(log.col, 0, 8);
    bool completion = log.row == -1 && log.col == -1;
    if (!(onBoard || completion) || !InRange(log.digit, 0, 9)) return false;

    for (int row = 0; row < 9; ++row) {
        if (!ReadDigitGroup(fields[9 + row], 9, '9', [&](size_t k, int v) { log.values[row * 9 + k] = v; }))
            return false;
        if (!ReadDigitGroup(fields[18 + row], 9, '2', [&](size_t k, int v) { log.origin[row * 9 + k] = v; }))
            return false;
    }
    return true;
}

bool Parse(std::string_view text, PuzzleFileData& data) {
    LineReader in(SplitLines(text));
    std::string_view line;
    if (!in.Next(line) || TrimSpaces(line) != kProductName) return false;
    if (!in.Next(line)) return false;
    std::string_view versionText = TrimSpaces(line);
    Version version;
    if (versionText == kVer2)
        version = Version::kVer2;
    else if (versionText == kVer3Short)
        version = Version::kVer3Short;
    else if (versionText == kVersion3)
        version = Version::kVersion3;
    else
        return false;
    if (!in.Skip()) return false;

    if (!ReadNumberBlock(in, data.values, 0, 9)) return false;
    if (version == Version::kVer2 && !in.Skip(10)) return false;
    if (!ReadNumberBlock(in, data.origin, 0, 2)) return false;
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    if (!ReadNumberBlock(in, data.colour, kMin, kMax)) return false;
    if (!ReadGroupBlock(in, data.candMarks, '3')) return false;
    if (version != Version::kVer2 && !ReadGroupBlock(in, data.memo, '1')) return false;

    // Clock, counters and penalties are taken as they are: the session only
    // adds to them and shows them. The mode selects behaviour and is checked.
    int32_t elapsed = 0;
    bool countersRead;
    if (version == Version::kVer2) {
        countersRead = ReadCounter(in, data.mode) && ReadCounter(in, data.targetTime) &&
                       ReadCounter(in, elapsed) && ReadCounter(in, data.hintCount) &&
                       ReadCounter(in, data.execCount) && ReadCounter(in, data.candidateEase) &&
                       ReadCounter(in, data.penalty);
    } else {
        countersRead = ReadCounter(in, data.mode) && ReadCounter(in, data.targetTime) &&
                       ReadCounter(in, elapsed) && ReadCounter(in, data.hintCount) &&
                       ReadCounter(in, data.detailCount) && ReadCounter(in, data.execCount) &&
                       ReadCounter(in, data.candidateEase) && ReadCounter(in, data.penalty) &&
                       ReadCounter(in, data.execution);
    }
    if (!countersRead || !InRange(data.mode, 0, 3)) return false;
    data.elapsed = elapsed;
    if (!in.Skip()) return false;

    if (!ReadTechniqueLine(in, version, data.usageStartCount)) return false;
    if (version == Version::kVer2) return true;
    if (!ReadTechniqueLine(in, version, data.usagePlayedCount)) return false;

    // The blank line before the log; a file cut right after the technique
    // lines simply has no log.
    in.Skip();
    while (in.Next(line)) {
        // A blank line cannot be a move; it is an editing leftover, not data.
        if (TrimSpaces(line).empty()) continue;
        Log log;
        if (!ParseLog(line, log)) return false;
        data.log.push_back(std::move(log));
    }
    return true;
}

void AppendNumberLine(std::string& out, const int32_t* numbers, int count) {
    for (int i = 0; i < count; ++i) {
        if (i > 0) out += ',';
        out += std::to_string(numbers[i]);
    }
    out += "\r\n";
}

void AppendGroupBlock(std::string& out, const uint8_t (&cells)[81][10], bool memo) {
    for (int row = 0; row < 9; ++row) {
        for (int col = 0; col < 9; ++col) {
            if (col > 0) out += ',';
            const uint8_t* cell = cells[row * 9 + col];
            for (int k = 0; k < 10; ++k) out += static_cast<char>('0' + (memo ? cell[k] != 0 : cell[k] & 3));
        }
        out += "\r\n";
    }
    out += "\r\n";
}

void AppendLog(std::string& out, const Log& log) {
    // A comma would end the text early; a line end would end the entry.
    for (char c : log.text) out += c == ',' ? '\\' : (c == '\r' || c == '\n') ? ' ' : c;
    int32_t numbers[9] = {log.seconds, log.points,  log.hinted, log.detailed, log.executed,
                          log.candidatesShown, log.row, log.col, log.digit};
    for (int32_t n : numbers) out += ',' + std::to_string(n);
    for (const int32_t* board : {log.values, log.origin}) {
        for (int row = 0; row < 9; ++row) {
            out += ',';
            for (int col = 0; col < 9; ++col) out += std::to_string(board[row * 9 + col]);
        }
    }
    out += "\r\n";
}

std::string FormatPuzzleText(const PuzzleFileData& data) {
    std::string out;
    out.reserve(8192 + data.log.size() * 512);
    out += kProductName;
    out += "\r\n";
    out += kVersion3;
    out += "\r\n\r\n";
    for (const int32_t* cells : {data.values, data.origin, data.colour}) {
        for (int row = 0; row < 9; ++row) AppendNumberLine(out, cells + row * 9, 9);
        out += "\r\n";
    }
    AppendGroupBlock(out, data.candMarks, false);
    AppendGroupBlock(out, data.memo, true);
    // The file holds 32-bit numbers; a clock beyond that would not read back.
    int32_t elapsed = static_cast<int32_t>(std::clamp<int64_t>(data.elapsed, std::numeric_limits<int32_t>::min(),
                                                               std::numeric_limits<int32_t>::max()));
    int32_t counters[9] = {data.mode,      data.targetTime,    elapsed,       data.hintCount, data.detailCount,
                           data.execCount, data.candidateEase, data.penalty, data.execution};
    for (int32_t counter : counters) AppendNumberLine(out, &counter, 1);
    out += "\r\n";
    AppendNumberLine(out, data.usageStartCount, kCatalogueSize);
    AppendNumberLine(out, data.usagePlayedCount, kCatalogueSize);
    out += "\r\n";
    for (const Log& log : data.log) AppendLog(out, log);
    return out;
}

}  // namespace

bool ReadPuzzleData(const std::string& path, PuzzleFileData& data, std::string& message) {
    std::string bytes;
    int error;
    if (!ReadFileBytes(path, bytes, error, kMaxFileBytes)) {
        message = error == EFBIG ? std::string(kUnreadable) : kOpenFailed + UserErrorText(error);
        return false;
    }
    std::string text;
    PuzzleFileData parsed;
    if (!Cp932ToUtf8(bytes, text) || !Parse(text, parsed)) {
        message = kUnreadable;
        return false;
    }
    data = std::move(parsed);
    return true;
}

bool WritePuzzleData(const std::string& path, const PuzzleFileData& data, std::string& message) {
    std::string error;
    if (!WriteFileAtomically(path, Utf8ToCp932(FormatPuzzleText(data)), error)) {
        message = kSaveFailed + error;
        return false;
    }
    return true;
}

}  // namespace masuvo
