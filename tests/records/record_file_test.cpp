#include "records/record_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "files/user_error_text.h"
#include "engine/catalogue.h"
#include "files/cp932.h"
#include "tests/files/temp_folder.h"

namespace masuvo {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

constexpr const char* kOpenFailed = "達成記録ファイルをオープンできません。：\n";

std::string Cp932Line(const std::string& utf8) { return Utf8ToCp932(utf8) + "\r\n"; }

// A record line as completion writes it: the seventeen fields, the empty
// field, the expected counts, the empty field, the estimated counts.
std::string RecordLine(const std::string& name, const std::vector<std::string>& expected,
                       const std::vector<std::string>& estimated) {
    std::string line = "version 3.1.0,2024,03,09,7,05," + name + ",1200,850,60,1140,1,0,0,0,60,5.0,,";
    for (const std::string& count : expected) line += count + ",";
    line += ",";
    for (const std::string& count : estimated) line += count + ",";
    line.pop_back();
    return line;
}

std::vector<std::string> Counts(int from, int count) {
    std::vector<std::string> counts;
    for (int i = 0; i < count; ++i) {
        char text[8];
        std::snprintf(text, sizeof text, "%2d", from + i);
        counts.push_back(text);
    }
    return counts;
}

// The header of the previous format: the same, without technique 26.
std::string PreviousHeader() {
    std::string header = RecordHeader();
    const std::string name = std::string(",") + TechniqueName(26);
    for (size_t at; (at = header.find(name)) != std::string::npos;) header.erase(at, name.size());
    return header;
}

TEST(RecordHeader, NamesEveryColumn) {
    std::string header = RecordHeader();
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), 78);
    std::vector<std::string> fields = SplitRecordFields(header);
    ASSERT_EQ(fields.size(), 77u);  // 79 columns, two of them empty
    EXPECT_EQ(fields[0], "バージョン");
    EXPECT_EQ(fields[6], "名称");
    EXPECT_EQ(fields[16], "余力率(%)");
    for (int i = 0; i < kTechniqueCount; ++i) {
        EXPECT_EQ(fields[17 + i], TechniqueName(i));
        EXPECT_EQ(fields[47 + i], TechniqueName(i));
    }
    EXPECT_NE(header.find("余力率(%),,ブロックの完成,"), std::string::npos);
    EXPECT_NE(header.find("二択連鎖9,,ブロックの完成,"), std::string::npos);
    EXPECT_EQ(header.substr(header.size() - std::strlen("二択連鎖9")), "二択連鎖9");
}

TEST(PrepareRecordFile, CreatesAMissingFileWithItsHeader) {
    TempFolder folder;
    std::string path = folder / "達成記録.csv";
    std::string message;
    ASSERT_TRUE(PrepareRecordFile(path, message)) << message;
    EXPECT_EQ(ReadBytes(path), Cp932Line(RecordHeader()));
}

TEST(PrepareRecordFile, StartsAnEmptyFileWithItsHeader) {
    TempFolder folder;
    std::string path = folder / "達成記録.csv";
    WriteBytes(path, "");
    std::string message;
    ASSERT_TRUE(PrepareRecordFile(path, message)) << message;
    EXPECT_EQ(ReadBytes(path), Cp932Line(RecordHeader()));
    EXPECT_FALSE(fs::exists(path + ".bak"));
}

TEST(PrepareRecordFile, LeavesACurrentFileAlone) {
    TempFolder folder;
    std::string path = folder / "達成記録.csv";
    // Whatever follows a current header is not looked at, not even bytes
    // outside the code page or a missing last line end.
    std::string bytes = Cp932Line(RecordHeader()) + Cp932Line(RecordLine("問題1", Counts(0, 30), Counts(5, 30))) +
                        "#deleted\r\n\xFF odd";
    WriteBytes(path, bytes);
    std::string message;
    ASSERT_TRUE(PrepareRecordFile(path, message)) << message;
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST(PrepareRecordFile, UpgradesThePreviousFormat) {
    TempFolder folder;
    std::string path = folder / "達成記録.csv";
    std::string previous = PreviousHeader();
    ASSERT_EQ(std::count(previous.begin(), previous.end(), ','), 76);
    std::string record = RecordLine("～例題～", Counts(0, 29), Counts(40, 29));
    WriteBytes(path, Cp932Line(previous) + Cp932Line(record + "  \t") + Cp932Line("#" + record) + "short,line \r\n");

    std::string message;
    ASSERT_TRUE(PrepareRecordFile(path, message)) << message;

    auto upgraded = [](std::vector<std::string> counts) {
        counts.insert(counts.begin() + 26, " *");
        return counts;
    };
    std::string expected = RecordLine("～例題～", upgraded(Counts(0, 29)), upgraded(Counts(40, 29)));
    EXPECT_EQ(ReadBytes(path),
              Cp932Line(RecordHeader()) + Cp932Line(expected) + Cp932Line("#" + expected) + "short,line\r\n");
    std::vector<std::string> fields = SplitRecordFields(expected);
    ASSERT_EQ(fields.size(), 77u);
    EXPECT_EQ(fields[17 + 25], "25");
    EXPECT_EQ(fields[17 + 26], " *");
    EXPECT_EQ(fields[17 + 27], "26");
    EXPECT_EQ(fields[47 + 26], " *");
    EXPECT_EQ(fields[47 + 29], "68");
}

TEST(PrepareRecordFile, SetsAForeignFileAsideAndStartsANewOne) {
    TempFolder folder;
    std::string path = folder / "達成記録.csv";
    const std::string first = "名前,点数\r\n山田,80\r\n";
    const std::string second = "not a record file";
    WriteBytes(path, first);
    std::string message;
    ASSERT_TRUE(PrepareRecordFile(path, message)) << message;
    EXPECT_EQ(ReadBytes(path + ".bak"), first);
    EXPECT_EQ(ReadBytes(path), Cp932Line(RecordHeader()));

    WriteBytes(path, second);
    ASSERT_TRUE(PrepareRecordFile(path, message)) << message;
    EXPECT_EQ(ReadBytes(path + ".bak"), first);
    EXPECT_EQ(ReadBytes(path + ".bak2"), second);
    EXPECT_EQ(ReadBytes(path), Cp932Line(RecordHeader()));
    EXPECT_EQ(test::FolderEntries(folder.path()),
              (std::vector<std::string>{"達成記録.csv", "達成記録.csv.bak", "達成記録.csv.bak2", "達成記録.csv.lock"}));
}

TEST(PrepareRecordFile, ReportsAFileThatCannotBeCreated) {
    TempFolder folder;
    std::string message;
    EXPECT_FALSE(PrepareRecordFile(folder / "missing/達成記録.csv", message));
    EXPECT_EQ(message, kOpenFailed + UserErrorText(ENOENT));
}

TEST(AppendRecordLine, AppendsToTheExistingFileOnly) {
    TempFolder folder;
    std::string path = folder / "達成記録.csv";
    std::string message;
    EXPECT_FALSE(AppendRecordLine(path, "version 3.1.0,2024", message));
    EXPECT_EQ(message, kOpenFailed + UserErrorText(ENOENT));
    EXPECT_FALSE(fs::exists(path));

    ASSERT_TRUE(PrepareRecordFile(path, message));
    std::string line = RecordLine("数独－１", Counts(0, 30), Counts(0, 30));
    ASSERT_TRUE(AppendRecordLine(path, line, message)) << message;
    EXPECT_EQ(ReadBytes(path), Cp932Line(RecordHeader()) + Cp932Line(line));
}

TEST(AppendRecordLine, KeepsTheRecordOnALineOfItsOwn) {
    TempFolder folder;
    std::string path = folder / "達成記録.csv";
    std::string header = Utf8ToCp932(RecordHeader());
    WriteBytes(path, header);  // edited by hand: no last line end
    std::string message;
    ASSERT_TRUE(AppendRecordLine(path, "a\r\nb", message)) << message;
    EXPECT_EQ(ReadBytes(path), header + "\r\na  b\r\n");
}

TEST(RecordLines, DeletionMarksTheLineAndKeepsIt) {
    TempFolder folder;
    std::string path = folder / "達成記録.csv";
    std::string message;
    ASSERT_TRUE(PrepareRecordFile(path, message));
    std::vector<std::string> records;
    for (const char* name : {"一", "二,三", "表示"}) {
        records.push_back(RecordLine(name, Counts(0, 30), Counts(1, 30)));
        ASSERT_TRUE(AppendRecordLine(path, records.back(), message));
    }

    std::vector<std::string> lines;
    ASSERT_TRUE(ReadRecordLines(path, lines, message)) << message;
    ASSERT_EQ(lines, (std::vector<std::string>{RecordHeader(), records[0], records[1], records[2]}));
    lines[2].insert(0, "#");
    ASSERT_TRUE(RewriteRecordFile(path, lines, message)) << message;
    EXPECT_EQ(ReadBytes(path), Cp932Line(RecordHeader()) + Cp932Line(records[0]) + Cp932Line("#" + records[1]) +
                                   Cp932Line(records[2]));
    std::vector<std::string> again;
    ASSERT_TRUE(ReadRecordLines(path, again, message));
    EXPECT_EQ(again, lines);
    EXPECT_EQ(test::FolderEntries(folder.path()), (std::vector<std::string>{"達成記録.csv", "達成記録.csv.lock"}));
}

TEST(RecordLines, ReadingShowsUndecodableBytesAndKeepsTheRest) {
    TempFolder folder;
    std::string path = folder / "達成記録.csv";
    WriteBytes(path, Cp932Line("見出し") + "a\xFF" "b," + Utf8ToCp932("表") + "\nlast");
    std::vector<std::string> lines;
    std::string message;
    ASSERT_TRUE(ReadRecordLines(path, lines, message));
    EXPECT_EQ(lines, (std::vector<std::string>{"見出し", "a\uFFFDb,表", "last"}));
}

TEST(RecordLines, ReportsFilesThatCannotBeOpened) {
    TempFolder folder;
    std::vector<std::string> lines = {"kept"};
    std::string message;
    EXPECT_FALSE(ReadRecordLines(folder / "none.csv", lines, message));
    EXPECT_EQ(message, kOpenFailed + UserErrorText(ENOENT));
    EXPECT_FALSE(RewriteRecordFile(folder / "none/x.csv", lines, message));
    EXPECT_EQ(message, kOpenFailed + UserErrorText(ENOENT));
}

TEST(SplitRecordFields, RunsOfCommasSeparateOnce) {
    struct Case {
        const char* line;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"", {}},
        {",,,", {}},
        {"a", {"a"}},
        {"a,b", {"a", "b"}},
        {",a,,b,", {"a", "b"}},
        {"5.0,, 1, 2,,3", {"5.0", " 1", " 2", "3"}},
        {"名前,,表", {"名前", "表"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(SplitRecordFields(c.line), c.fields);
    }
}

}  // namespace
}  // namespace masuvo
