#include "files/puzzle_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "files/user_error_text.h"
#include "files/text_file.h"
#include "tests/files/puzzle_fixtures.h"

namespace masuvo {
namespace {

using test::Lines;
using test::ReadBytes;
using test::TempFolder;
using test::WriteFixture;

constexpr const char* kUnreadable = "ファイルを読込めません。";
constexpr const char* kOpenFailed = "読込ファイルをオープンできません。：\n";
constexpr const char* kSaveFailed = "保存ファイルをオープンできません。：\n";

// Every field set to something that would show a mix-up of fields,
// including a negative execution and texts with commas and with characters
// whose second byte is a backslash.
PuzzleFileData FullData() {
    PuzzleFileData data;
    const int32_t colours[5] = {-1, 553582592, 536920064, 536871167, -123456};
    for (int i = 0; i < 81; ++i) {
        data.values[i] = i % 10;
        data.origin[i] = i % 3;
        data.colour[i] = colours[i % 5];
        for (int k = 0; k < 10; ++k) {
            data.candMarks[i][k] = static_cast<uint8_t>((i + k) % 4);
            data.memo[i][k] = static_cast<uint8_t>((i * k + 1) % 2);
        }
    }
    data.mode = 3;
    data.targetTime = 1234;
    data.elapsed = 98765;
    data.hintCount = 3;
    data.detailCount = 2;
    data.execCount = 1;
    data.candidateEase = 456;
    data.penalty = 789;
    data.execution = -321;
    for (int i = 0; i < kCatalogueSize; ++i) {
        data.usageStartCount[i] = i * 7;
        data.usagePlayedCount[i] = 100 + i;
    }
    const char* texts[4] = {"定員確定2(ブロック)。ブロック内の配置,その後,,続き", "表示ソフト～－①", "", "-"};
    for (int n = 0; n < 4; ++n) {
        Log log;
        log.text = texts[n];
        log.seconds = 10 + n;
        log.points = n == 1 ? -40 : 90 * n;
        log.hinted = n & 1;
        log.detailed = n & 2;
        log.executed = n == 2;
        log.candidatesShown = n != 0;
        for (int i = 0; i < 81; ++i) {
            log.values[i] = (i + n) % 10;
            log.origin[i] = (i * n) % 3;
        }
        log.row = n == 3 ? -1 : n + 4;
        log.col = n == 3 ? -1 : 8 - n;
        log.digit = n == 3 ? 0 : n + 1;
        data.log.push_back(log);
    }
    return data;
}

TEST(PuzzleFileRoundTrip, EveryFieldComesBack) {
    TempFolder folder;
    std::string path = folder / "全部.kzd";
    PuzzleFileData saved = FullData();
    std::string message;
    ASSERT_TRUE(WritePuzzleData(path, saved, message)) << message;
    PuzzleFileData loaded;
    ASSERT_TRUE(ReadPuzzleData(path, loaded, message)) << message;
    EXPECT_TRUE(test::SameData(saved, loaded));
    EXPECT_EQ(loaded.log[0].text, "定員確定2(ブロック)。ブロック内の配置,その後,,続き");
}

TEST(PuzzleFileRoundTrip, SavingAgainReplacesTheFileAndLeavesNothingElse) {
    TempFolder folder;
    std::string path = folder / "a.kzd";
    PuzzleFileData first = FullData();
    PuzzleFileData second;
    second.values[40] = 9;
    std::string message;
    ASSERT_TRUE(WritePuzzleData(path, first, message));
    ASSERT_TRUE(WritePuzzleData(path, second, message));
    PuzzleFileData loaded = first;
    ASSERT_TRUE(ReadPuzzleData(path, loaded, message));
    EXPECT_TRUE(test::SameData(second, loaded));
    EXPECT_EQ(test::FolderEntries(folder.path()), std::vector<std::string>{"a.kzd"});
}

TEST(PuzzleFileWriting, WritesTheVersion3LayoutInCodePage932) {
    TempFolder folder;
    std::string path = folder / "layout.kzd";
    PuzzleFileData data;
    data.values[0] = 5;
    data.values[3] = 3;
    data.origin[0] = 1;
    data.origin[3] = 2;
    for (int i = 0; i < 81; ++i) data.colour[i] = -1;
    data.colour[1] = 553582592;
    for (int k = 1; k <= 9; ++k) data.candMarks[1][k] = 1;
    data.candMarks[0][0] = 1;
    data.candMarks[2][5] = 7;  // only the two low bits are stored
    data.candMarks[2][6] = 4;
    data.memo[1][9] = 1;
    data.mode = 1;
    data.targetTime = 600;
    data.elapsed = 75;
    data.execution = -12;
    data.usageStartCount[0] = 12;
    data.usageStartCount[29] = 1;
    Log log;
    log.text = "ブロック内の配置,波及効果。";
    log.seconds = 7;
    log.points = 33;
    log.hinted = true;
    log.candidatesShown = true;
    log.row = 0;
    log.col = 3;
    log.digit = 3;
    log.values[0] = 5;
    log.values[3] = 3;
    log.origin[0] = 1;
    data.log.push_back(log);

    std::string message;
    ASSERT_TRUE(WritePuzzleData(path, data, message)) << message;
    std::string bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_EQ(bytes[i - 1], '\r') << "bare line feed at byte " << i;
        }
    }
    EXPECT_EQ(bytes.substr(0, 10), "\x83\x7D\x83\x58\x83\x94\x83\x48\r\n");

    std::string text;
    ASSERT_TRUE(Cp932ToUtf8(bytes, text));
    std::vector<std::string_view> lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 67u);
    EXPECT_EQ(lines[1], "File format version 3");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[test::kValuesLine], "5,0,0,3,0,0,0,0,0");
    EXPECT_EQ(lines[test::kValuesLine + 9], "");
    EXPECT_EQ(lines[test::kOriginLine], "1,0,0,2,0,0,0,0,0");
    EXPECT_EQ(lines[test::kColourLine], "-1,553582592,-1,-1,-1,-1,-1,-1,-1");
    EXPECT_EQ(lines[test::kCandLine],
              "1000000000,0111111111,0000030000,0000000000,0000000000,0000000000,0000000000,0000000000,0000000000");
    EXPECT_EQ(lines[test::kMemoLine],
              "0000000000,0000000001,0000000000,0000000000,0000000000,0000000000,0000000000,0000000000,0000000000");
    Lines counters(lines.begin() + test::kModeLine, lines.begin() + test::kModeLine + 10);
    EXPECT_EQ(counters, (Lines{"1", "600", "75", "0", "0", "0", "0", "0", "-12", ""}));
    EXPECT_EQ(lines[test::kStartUsageLine], "12,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1");
    EXPECT_EQ(lines[test::kPlayedUsageLine], "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(lines[test::kPlayedUsageLine + 1], "");
    EXPECT_EQ(lines[test::kFirstLogLine],
              "ブロック内の配置\\波及効果。,7,33,1,0,0,1,0,3,3,"
              "500300000,000000000,000000000,000000000,000000000,000000000,000000000,000000000,000000000,"
              "100000000,000000000,000000000,000000000,000000000,000000000,000000000,000000000,000000000");
}

TEST(PuzzleFileWriting, StoresJapaneseTextsInCodePage932) {
    TempFolder folder;
    std::string path = folder / "text.kzd";
    PuzzleFileData data;
    const char* texts[] = {"推定できません。", "〜−", "表ソ,①"};
    for (const char* text : texts) {
        Log log;
        log.text = text;
        data.log.push_back(log);
    }
    std::string message;
    ASSERT_TRUE(WritePuzzleData(path, data, message));
    std::string bytes = ReadBytes(path);
    // The look-alikes are stored as ～ and －; the comma after ソ as a backslash.
    for (const char* expected : {"\r\n\x90\x84\x92\xE8\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42,",
                                 "\r\n\x81\x60\x81\x7C,", "\r\n\x95\x5C\x83\x5C\x5C\x87\x40,"})
        EXPECT_NE(bytes.find(expected), std::string::npos) << testing::PrintToString(expected);
    PuzzleFileData loaded;
    ASSERT_TRUE(ReadPuzzleData(path, loaded, message));
    EXPECT_EQ(loaded.log[1].text, "～－");
    // The backslash bytes inside 表 and ソ are parts of characters, not commas.
    EXPECT_EQ(loaded.log[2].text, "表ソ,①");
}

TEST(PuzzleFileWriting, TextsThatWouldBreakTheLineAreKeptOnIt) {
    TempFolder folder;
    std::string path = folder / "lines.kzd";
    PuzzleFileData data;
    Log log;
    log.text = "一\r\n二";
    data.log.push_back(log);
    std::string message;
    ASSERT_TRUE(WritePuzzleData(path, data, message));
    PuzzleFileData loaded;
    ASSERT_TRUE(ReadPuzzleData(path, loaded, message)) << message;
    ASSERT_EQ(loaded.log.size(), 1u);
    EXPECT_EQ(loaded.log[0].text, "一  二");
}

TEST(PuzzleFileReading, ReadsVersion3) {
    TempFolder folder;
    std::string path = folder / "v3.kzd";
    WriteFixture(path, test::Version3Fixture());
    PuzzleFileData data;
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(path, data, message)) << message;

    EXPECT_EQ(data.values[0], 5);
    EXPECT_EQ(data.values[3], 3);
    EXPECT_EQ(data.values[8], 1);
    EXPECT_EQ(data.values[9], 0);
    EXPECT_EQ(data.origin[8], 2);
    EXPECT_EQ(data.colour[0], -1);
    EXPECT_EQ(data.colour[1], 553582592);
    EXPECT_EQ(data.colour[2], 536920064);
    EXPECT_EQ(data.colour[3], 536871167);
    EXPECT_EQ(data.candMarks[0][0], 1);
    EXPECT_EQ(data.candMarks[2][1], 3);
    const uint8_t mixed[10] = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1};
    EXPECT_TRUE(std::equal(mixed, mixed + 10, data.candMarks[5]));
    EXPECT_EQ(data.candMarks[80][9], 1);
    EXPECT_EQ(data.memo[1][1], 1);
    EXPECT_EQ(data.memo[1][9], 1);
    EXPECT_EQ(data.memo[1][5], 0);
    EXPECT_EQ(data.memo[4][0], 0);
    EXPECT_EQ(data.memo[4][9], 1);
    // The mode comes back as saved: pausing a solving file is the session's.
    EXPECT_EQ(data.mode, 1);
    EXPECT_EQ(data.targetTime, 1200);
    EXPECT_EQ(data.elapsed, 345);
    EXPECT_EQ(data.hintCount, 2);
    EXPECT_EQ(data.detailCount, 1);
    EXPECT_EQ(data.execCount, 0);
    EXPECT_EQ(data.candidateEase, 150);
    EXPECT_EQ(data.penalty, 400);
    EXPECT_EQ(data.execution, -25);
    for (int i = 0; i < kCatalogueSize; ++i) {
        EXPECT_EQ(data.usageStartCount[i], 100 + i);
        EXPECT_EQ(data.usagePlayedCount[i], 200 + i);
    }
    ASSERT_EQ(data.log.size(), 2u);
    const Log& move = data.log[0];
    EXPECT_EQ(move.text, "ブロック内の配置,波及効果。");
    EXPECT_EQ(move.seconds, 12);
    EXPECT_EQ(move.points, 90);
    EXPECT_TRUE(move.hinted);
    EXPECT_FALSE(move.detailed);
    EXPECT_FALSE(move.executed);
    EXPECT_TRUE(move.candidatesShown);
    EXPECT_EQ(move.row, 0);
    EXPECT_EQ(move.col, 1);
    EXPECT_EQ(move.digit, 4);
    EXPECT_EQ(move.values[0], 5);
    EXPECT_EQ(move.values[1], 4);
    EXPECT_EQ(move.values[8], 1);
    EXPECT_EQ(move.values[9], 0);
    EXPECT_EQ(move.origin[3], 1);
    EXPECT_EQ(move.origin[8], 2);
    EXPECT_EQ(data.log[1].text, "-");
    EXPECT_EQ(data.log[1].row, -1);
    EXPECT_EQ(data.log[1].col, -1);
    EXPECT_EQ(data.log[1].digit, 0);
}

TEST(PuzzleFileReading, Ver3TechniqueLinesSkipIndex26) {
    TempFolder folder;
    std::string path = folder / "ver3.kzd";
    Lines lines = test::Version3Fixture("File format ver.3");
    lines[test::kStartUsageLine] = test::Sequence(1, 29);
    lines[test::kPlayedUsageLine] = test::Sequence(101, 29);
    WriteFixture(path, lines);
    PuzzleFileData data;
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(path, data, message)) << message;
    for (int i = 0; i < kCatalogueSize; ++i) {
        int expected = i < 26 ? i + 1 : i == 26 ? 0 : i;
        EXPECT_EQ(data.usageStartCount[i], expected) << i;
        EXPECT_EQ(data.usagePlayedCount[i], expected ? expected + 100 : 0) << i;
    }
    EXPECT_EQ(data.log.size(), 2u);
}

// A version-2 file: an extra block after the values, no memo block, seven
// counters and one technique line, and nothing read after it.
Lines Version2Fixture(const std::string& techniqueLine) {
    Lines lines = {"マスヴォ", "File format ver.2", ""};
    test::AddBlock(lines, "5,0,0,3,0,0,0,0,1", test::kZeroRow);
    test::AddBlock(lines, "not read", "not read either");
    Lines cells = test::CellBlocks("File format ver.2");
    lines.insert(lines.end(), cells.begin() + test::kOriginLine, cells.end());
    for (const char* counter : {"2", "900", "480", "3", "1", "70", "250"}) lines.push_back(counter);
    lines.push_back("");
    lines.push_back(techniqueLine);
    lines.push_back("");
    lines.push_back("these lines follow the technique line,1,2,3");
    lines.push_back(test::Sequence(500, 30));
    return lines;
}

TEST(PuzzleFileReading, ReadsVersion2) {
    TempFolder folder;
    std::string path = folder / "v2.kzd";
    WriteFixture(path, Version2Fixture("7," + test::Sequence(1, 30)));
    PuzzleFileData data;
    data.memo[4][4] = 1;
    data.detailCount = 9;
    data.log.resize(1);
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(path, data, message)) << message;
    EXPECT_EQ(data.values[0], 5);
    EXPECT_EQ(data.origin[8], 2);
    EXPECT_EQ(data.colour[1], 553582592);
    EXPECT_EQ(data.candMarks[2][1], 3);
    EXPECT_EQ(data.candMarks[80][9], 1);
    EXPECT_EQ(data.memo[4][4], 0);
    EXPECT_EQ(data.mode, 2);
    EXPECT_EQ(data.targetTime, 900);
    EXPECT_EQ(data.elapsed, 480);
    EXPECT_EQ(data.hintCount, 3);
    EXPECT_EQ(data.detailCount, 0);
    EXPECT_EQ(data.execCount, 1);
    EXPECT_EQ(data.candidateEase, 70);
    EXPECT_EQ(data.penalty, 250);
    EXPECT_EQ(data.execution, 0);
    for (int i = 0; i < kCatalogueSize; ++i) {
        EXPECT_EQ(data.usageStartCount[i], i + 1) << i;
        EXPECT_EQ(data.usagePlayedCount[i], 0) << i;
    }
    EXPECT_TRUE(data.log.empty());
}

TEST(PuzzleFileReading, Version2KeepsALongerFirstTechniqueValue) {
    TempFolder folder;
    std::string path = folder / "v2.kzd";
    WriteFixture(path, Version2Fixture("12," + test::Sequence(1, 30)));
    PuzzleFileData data;
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(path, data, message)) << message;
    EXPECT_EQ(data.usageStartCount[0], 12);
    for (int i = 1; i < kCatalogueSize; ++i) EXPECT_EQ(data.usageStartCount[i], i) << i;
}

TEST(PuzzleFileReading, ForgivesBlanksStrayCommasAndLooseNumbers) {
    TempFolder folder;
    std::string path = folder / "loose.kzd";
    Lines lines = test::Version3Fixture();
    lines[0] = " \tマスヴォ  ";
    lines[1] = "  File format version 3 ";
    lines[test::kValuesLine] = ",5,,0,0, 3,+0,0x,0,,0,1,";
    lines[test::kModeLine + 1] = " 1200s";
    lines[test::kStartUsageLine] = "";
    lines[test::kPlayedUsageLine] = "4,,5";
    lines.insert(lines.begin() + test::kFirstLogLine + 1, "   ");
    lines.push_back("");
    // Line feeds without carriage returns are read the same.
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    test::WriteBytes(path, Utf8ToCp932(text));

    PuzzleFileData data;
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(path, data, message)) << message;
    const int32_t row[9] = {5, 0, 0, 3, 0, 0, 0, 0, 1};
    EXPECT_TRUE(std::equal(row, row + 9, data.values));
    EXPECT_EQ(data.targetTime, 1200);
    for (int i = 0; i < kCatalogueSize; ++i) EXPECT_EQ(data.usageStartCount[i], 0);
    EXPECT_EQ(data.usagePlayedCount[0], 4);
    EXPECT_EQ(data.usagePlayedCount[1], 5);
    EXPECT_EQ(data.usagePlayedCount[2], 0);
    EXPECT_EQ(data.log.size(), 2u);
}

TEST(PuzzleFileReading, AnEmptyLogTextStaysEmpty) {
    TempFolder folder;
    std::string path = folder / "empty-text.kzd";
    Lines lines = test::Version3Fixture();
    lines[test::kFirstLogLine] = test::LogLine("", "12,90,1,0,0,1,0,1,4", "540300001", "100100002");
    WriteFixture(path, lines);
    PuzzleFileData data;
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(path, data, message)) << message;
    EXPECT_EQ(data.log[0].text, "");
    EXPECT_EQ(data.log[0].seconds, 12);
    EXPECT_EQ(data.log[0].digit, 4);
}

TEST(PuzzleFileReading, AFileCutAfterTheTechniqueLinesHasNoLog) {
    TempFolder folder;
    std::string path = folder / "no-log.kzd";
    Lines lines = test::Version3Fixture();
    lines.resize(test::kPlayedUsageLine + 1);
    WriteFixture(path, lines);
    PuzzleFileData data;
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(path, data, message)) << message;
    EXPECT_TRUE(data.log.empty());
    EXPECT_EQ(data.usagePlayedCount[29], 229);
}

struct Damage {
    const char* what;
    std::function<void(Lines&)> apply;
};

void Set(Lines& lines, int index, const std::string& text) { lines[index] = text; }

std::string LogWith(const std::string& numbers, const std::string& valuesRow = "540300001",
                    const std::string& originRow = "100100002") {
    return test::LogLine("推定できません。", numbers, valuesRow, originRow);
}

TEST(PuzzleFileReading, RefusesDamagedFilesAndKeepsThePlay) {
    const int log = test::kFirstLogLine;
    const std::string allCands = ",0111111111,0111111111,0111111111,0111111111,0111111111,0111111111,0111111111,0111111111";
    const std::vector<Damage> damages = {
        {"empty file", [](Lines& l) { l.clear(); }},
        {"only the name", [](Lines& l) { l.resize(1); }},
        {"other product", [](Lines& l) { Set(l, 0, "マスヴォ２"); }},
        {"version in lower case", [](Lines& l) { Set(l, 1, "file format version 3"); }},
        {"unknown version", [](Lines& l) { Set(l, 1, "File format version 4"); }},
        {"version with a doubled blank", [](Lines& l) { Set(l, 1, "File format  version 3"); }},
        {"short values row", [](Lines& l) { Set(l, test::kValuesLine, "5,0,0,3,0,0,0,1"); }},
        {"long values row", [](Lines& l) { Set(l, test::kValuesLine, "5,0,0,3,0,0,0,0,1,0"); }},
        {"digit 10", [](Lines& l) { Set(l, test::kValuesLine + 4, "0,0,0,0,10,0,0,0,0"); }},
        {"digit -1", [](Lines& l) { Set(l, test::kValuesLine + 8, "0,0,0,0,0,0,0,0,-1"); }},
        {"origin 3", [](Lines& l) { Set(l, test::kOriginLine + 2, "0,3,0,0,0,0,0,0,0"); }},
        {"colour beyond 32 bits",
         [](Lines& l) { Set(l, test::kColourLine, "4294967296,-1,-1,-1,-1,-1,-1,-1,-1"); }},
        {"candidate mark 4", [&](Lines& l) { Set(l, test::kCandLine + 1, "0411111111" + allCands); }},
        {"candidate mark letter", [&](Lines& l) { Set(l, test::kCandLine + 1, "01a1111111" + allCands); }},
        {"candidate group of 9", [&](Lines& l) { Set(l, test::kCandLine + 1, "011111111" + allCands); }},
        {"candidate group of 11", [&](Lines& l) { Set(l, test::kCandLine + 1, "01111111110" + allCands); }},
        {"eight candidate groups", [](Lines& l) { Set(l, test::kCandLine + 1, l[test::kCandLine + 1].substr(11)); }},
        {"memo 2", [](Lines& l) { Set(l, test::kMemoLine + 3, "0200000000" + l[test::kMemoLine + 3].substr(10)); }},
        {"mode 4", [](Lines& l) { Set(l, test::kModeLine, "4"); }},
        {"mode -1", [](Lines& l) { Set(l, test::kModeLine, "-1"); }},
        {"empty counter line", [](Lines& l) { Set(l, test::kModeLine + 3, ""); }},
        {"two numbers on a counter line", [](Lines& l) { Set(l, test::kModeLine + 1, "1200,5"); }},
        {"counter beyond 32 bits", [](Lines& l) { Set(l, test::kModeLine + 2, "2147483648"); }},
        {"technique count beyond 32 bits",
         [](Lines& l) { Set(l, test::kStartUsageLine, "1,99999999999," + test::Sequence(0, 28)); }},
        {"ends inside the colour block", [](Lines& l) { l.resize(test::kColourLine + 5); }},
        {"ends without the blank line after the memos", [](Lines& l) { l.resize(test::kModeLine - 1); }},
        {"ends inside the counters", [](Lines& l) { l.resize(test::kModeLine + 8); }},
        {"ends before the technique lines", [](Lines& l) { l.resize(test::kStartUsageLine); }},
        {"ends before the second technique line", [](Lines& l) { l.resize(test::kPlayedUsageLine); }},
        {"log line without a comma", [=](Lines& l) { Set(l, log, "推定できません。"); }},
        {"log line missing a group", [=](Lines& l) { Set(l, log, l[log].substr(0, l[log].size() - 10)); }},
        {"log line with an extra field", [=](Lines& l) { Set(l, log, l[log] + ",000000000"); }},
        {"log row 9", [=](Lines& l) { Set(l, log, LogWith("1,2,0,0,0,0,9,1,4")); }},
        {"log column -2", [=](Lines& l) { Set(l, log, LogWith("1,2,0,0,0,0,0,-2,4")); }},
        {"log row -1 with a column", [=](Lines& l) { Set(l, log, LogWith("1,2,0,0,0,0,-1,3,0")); }},
        {"log digit 10", [=](Lines& l) { Set(l, log, LogWith("1,2,0,0,0,0,0,1,10")); }},
        {"log digit -1", [=](Lines& l) { Set(l, log, LogWith("1,2,0,0,0,0,0,1,-1")); }},
        {"log value letter", [=](Lines& l) { Set(l, log, LogWith("1,2,0,0,0,0,0,1,4", "54030000x")); }},
        {"log origin 3", [=](Lines& l) { Set(l, log, LogWith("1,2,0,0,0,0,0,1,4", "540300001", "300000000")); }},
        {"log group of 8", [=](Lines& l) { Set(l, log, LogWith("1,2,0,0,0,0,0,1,4", "54030000")); }},
        {"log seconds beyond 32 bits", [=](Lines& l) { Set(l, log, LogWith("3000000000,2,0,0,0,0,0,1,4")); }},
    };

    TempFolder folder;
    const PuzzleFileData before = [] {
        PuzzleFileData data;
        data.values[0] = 7;
        data.mode = 2;
        data.elapsed = 99;
        data.log.resize(1);
        data.log[0].text = "kept";
        return data;
    }();
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        Lines lines = test::Version3Fixture();
        damage.apply(lines);
        std::string path = folder / "damaged.kzd";
        WriteFixture(path, lines);
        PuzzleFileData data = before;
        std::string message;
        EXPECT_FALSE(ReadPuzzleData(path, data, message));
        EXPECT_EQ(message, kUnreadable);
        EXPECT_TRUE(test::SameData(data, before));
    }

    // Byte-level damage the line edits above cannot express.
    std::string good = Utf8ToCp932(test::JoinCrLf(test::Version3Fixture()));
    std::string utf8Name = test::JoinCrLf(test::Version3Fixture());
    std::string badByte = good;
    badByte.insert(good.rfind("\r\n-,") + 2, "\xFF");
    for (const std::string& bytes : {utf8Name, badByte}) {
        std::string path = folder / "bytes.kzd";
        test::WriteBytes(path, bytes);
        PuzzleFileData data = before;
        std::string message;
        EXPECT_FALSE(ReadPuzzleData(path, data, message));
        EXPECT_EQ(message, kUnreadable);
        EXPECT_TRUE(test::SameData(data, before));
    }
}

TEST(PuzzleFileReading, ReportsFilesThatCannotBeOpened) {
    TempFolder folder;
    PuzzleFileData data;
    data.values[0] = 7;
    std::string message;
    EXPECT_FALSE(ReadPuzzleData(folder / "missing.kzd", data, message));
    EXPECT_EQ(message, kOpenFailed + UserErrorText(ENOENT));
    EXPECT_FALSE(ReadPuzzleData(folder.path().string(), data, message));
    EXPECT_EQ(message, kOpenFailed + UserErrorText(EISDIR));
    EXPECT_EQ(data.values[0], 7);
}

TEST(PuzzleFileSaving, ReportsAFolderThatCannotHoldTheFile) {
    TempFolder folder;
    test::WriteBytes(folder / "plain", "a file, not a folder");
    PuzzleFileData data = FullData();
    std::string message;
    EXPECT_FALSE(WritePuzzleData(folder / "plain/x.kzd", data, message));
    EXPECT_EQ(message, kSaveFailed + UserErrorText(ENOTDIR));
    EXPECT_FALSE(WritePuzzleData(folder / "missing/x.kzd", data, message));
    EXPECT_EQ(message, kSaveFailed + UserErrorText(ENOENT));
    EXPECT_EQ(test::FolderEntries(folder.path()), std::vector<std::string>{"plain"});
}

// Limits the size of files this process may write, for one scope: a save
// then fails halfway through, whatever the permissions of the user.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_;
    sighandler_t oldHandler_;
};

TEST(PuzzleFileSaving, AFailedSaveLeavesTheOldFileWhole) {
    TempFolder folder;
    std::string path = folder / "old.kzd";
    PuzzleFileData old;
    old.values[0] = 4;
    std::string message;
    ASSERT_TRUE(WritePuzzleData(path, old, message));
    const std::string oldBytes = ReadBytes(path);

    PuzzleFileData large = FullData();
    large.log.resize(200, large.log[0]);
    {
        FileSizeLimit limit(oldBytes.size() + 100);
        EXPECT_FALSE(WritePuzzleData(path, large, message));
    }
    EXPECT_EQ(message, kSaveFailed + UserErrorText(EFBIG));
    EXPECT_EQ(ReadBytes(path), oldBytes);
    EXPECT_EQ(test::FolderEntries(folder.path()), std::vector<std::string>{"old.kzd"});

    // Without root rights a read-only folder refuses the save as well.
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
        EXPECT_FALSE(WritePuzzleData(path, large, message));
        chmod(folder.path().c_str(), 0755);
        EXPECT_EQ(message, kSaveFailed + UserErrorText(EACCES));
        EXPECT_EQ(ReadBytes(path), oldBytes);
    }
}

}  // namespace
}  // namespace masuvo
