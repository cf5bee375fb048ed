// Puzzle files written out line by line from the file layout, and the
// comparison of two play states.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/cp932.h"
#include "files/play_record.h"
#include "tests/files/temp_folder.h"

namespace masuvo::test {

using Lines = std::vector<std::string>;

// Line indices (from 0) of a version-3 file.
constexpr int kValuesLine = 3;
constexpr int kOriginLine = 13;
constexpr int kColourLine = 23;
constexpr int kCandLine = 33;
constexpr int kMemoLine = 43;
constexpr int kModeLine = 53;
constexpr int kStartUsageLine = 63;
constexpr int kPlayedUsageLine = 64;
constexpr int kFirstLogLine = 66;

inline std::string JoinCrLf(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

inline void WriteFixture(const std::string& path, const Lines& lines) { WriteBytes(path, Utf8ToCp932(JoinCrLf(lines))); }

// A block: its first row, eight further rows alike, and the blank line.
inline void AddBlock(Lines& lines, const std::string& first, const std::string& rest) {
    lines.push_back(first);
    for (int i = 0; i < 8; ++i) lines.push_back(rest);
    lines.push_back("");
}

inline std::string Sequence(int from, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += (i ? "," : "") + std::to_string(from + i);
    return text;
}

// A log line: text, the nine numbers, then the boards with only their
// first row set.
inline std::string LogLine(const std::string& text, const std::string& numbers, const std::string& valuesRow,
                           const std::string& originRow) {
    std::string line = text + "," + numbers + "," + valuesRow;
    for (int i = 0; i < 8; ++i) line += ",000000000";
    line += "," + originRow;
    for (int i = 0; i < 8; ++i) line += ",000000000";
    return line;
}

inline constexpr const char* kZeroRow = "0,0,0,0,0,0,0,0,0";

inline Lines CellBlocks(const char* version) {
    Lines lines = {"マスヴォ", version, ""};
    AddBlock(lines, "5,0,0,3,0,0,0,0,1", kZeroRow);
    AddBlock(lines, "1,0,0,1,0,0,0,0,2", kZeroRow);
    AddBlock(lines, "-1,553582592,536920064,536871167,-1,-1,-1,-1,-1", "-1,-1,-1,-1,-1,-1,-1,-1,-1");
    AddBlock(lines,
             "1000000000,0111111111,0311111111,1000000000,0000000000,0123012301,0111111111,0111111111,1000000000",
             "0111111111,0111111111,0111111111,0111111111,0111111111,0111111111,0111111111,0111111111,0111111111");
    return lines;
}

// A puzzle in progress, saved while solving, with two moves in its log.
inline Lines Version3Fixture(const char* version = "File format version 3") {
    Lines lines = CellBlocks(version);
    AddBlock(lines,
             "0000000000,0100000001,0000000000,0000000000,0111111111,0000000000,0000000000,0000000000,0000000000",
             "0000000000,0000000000,0000000000,0000000000,0000000000,0000000000,0000000000,0000000000,0000000000");
    for (const char* counter : {"1", "1200", "345", "2", "1", "0", "150", "400", "-25"}) lines.push_back(counter);
    lines.push_back("");
    lines.push_back(Sequence(100, 30));
    lines.push_back(Sequence(200, 30));
    lines.push_back("");
    lines.push_back(LogLine("ブロック内の配置\\波及効果。", "12,90,1,0,0,1,0,1,4", "540300001", "100100002"));
    lines.push_back(LogLine("-", "30,0,0,0,0,0,-1,-1,0", "540300001", "100100002"));
    return lines;
}

inline testing::AssertionResult SameData(const PuzzleFileData& a, const PuzzleFileData& b) {
    auto differ = [](const char* what) { return testing::AssertionFailure() << what << " differs"; };
    if (!std::equal(std::begin(a.values), std::end(a.values), b.values)) return differ("values");
    if (!std::equal(std::begin(a.origin), std::end(a.origin), b.origin)) return differ("origin");
    if (!std::equal(std::begin(a.colour), std::end(a.colour), b.colour)) return differ("colour");
    for (int i = 0; i < 81; ++i) {
        if (!std::equal(a.candMarks[i], a.candMarks[i] + 10, b.candMarks[i])) return differ("candMarks");
        if (!std::equal(a.memo[i], a.memo[i] + 10, b.memo[i])) return differ("memo");
    }
    if (a.mode != b.mode || a.targetTime != b.targetTime || a.elapsed != b.elapsed || a.hintCount != b.hintCount ||
        a.detailCount != b.detailCount || a.execCount != b.execCount || a.candidateEase != b.candidateEase ||
        a.penalty != b.penalty || a.execution != b.execution)
        return differ("a counter");
    if (!std::equal(std::begin(a.usageStartCount), std::end(a.usageStartCount), b.usageStartCount))
        return differ("usageStart");
    if (!std::equal(std::begin(a.usagePlayedCount), std::end(a.usagePlayedCount), b.usagePlayedCount))
        return differ("usagePlayed");
    if (a.log.size() != b.log.size()) return differ("log length");
    for (size_t i = 0; i < a.log.size(); ++i) {
        const Log& x = a.log[i];
        const Log& y = b.log[i];
        if (x.text != y.text) return testing::AssertionFailure() << "log text " << x.text << " vs " << y.text;
        if (x.seconds != y.seconds || x.points != y.points || x.hinted != y.hinted || x.detailed != y.detailed ||
            x.executed != y.executed || x.candidatesShown != y.candidatesShown || x.row != y.row ||
            x.col != y.col || x.digit != y.digit || !std::equal(x.values, x.values + 81, y.values) ||
            !std::equal(x.origin, x.origin + 81, y.origin))
            return testing::AssertionFailure() << "log entry " << i << " differs";
    }
    return testing::AssertionSuccess();
}

}  // namespace masuvo::test
