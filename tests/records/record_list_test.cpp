#include "records/record_list.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "files/user_error_text.h"
#include "engine/rating.h"
#include "files/cp932.h"
#include "records/list_sort.h"
#include "records/record_file.h"
#include "tests/files/temp_folder.h"

namespace masuvo {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

constexpr const char* kOpenFailed = "達成記録ファイルをオープンできません。：\n";

std::string Crlf(const std::string& utf8) { return Utf8ToCp932(utf8) + "\r\n"; }

// A record line as completion writes it, with the counts all 1.
std::string Record(const std::string& name, int difficulty = 1200, int penalty = 60, int seconds = 1140,
                   const std::string& date = "2024,03,09,7,05") {
    std::string line = "version 3.1.0," + date + "," + name + "," + std::to_string(difficulty) + ",850," +
                       std::to_string(penalty) + "," + std::to_string(seconds) + ",1,2,3,40,60,5.0,,";
    for (int list = 0; list < 2; ++list) {
        for (int i = 0; i < 30; ++i) line += " 1,";
        line += ",";
    }
    line.resize(line.size() - 2);
    return line;
}

std::string Header() { return Crlf(RecordHeader()); }

// A deleted record's line.
std::string Marked(const std::string& line) {
    std::string marked = "#";
    marked += line;
    return marked;
}

// ---------------------------------------------------------------- sorting

struct Ordered {
    SortKind kind;
    const char* lower;
    const char* higher;
};

TEST(CompareListTexts, OrdersEachKindBothWays) {
    const Ordered cases[] = {
        {SortKind::Time, "9:05", "12:30"},
        {SortKind::Time, "0:59", "1:00"},
        {SortKind::Time, "7:05", "17:05"},
        {SortKind::Time, "-1:-5", "0:00"},   // penalty above the solving time
        {SortKind::Time, "0:-5", "0:00"},
        {SortKind::Time, "-1:-5", "-0:-59"},
        {SortKind::Time, "99:59", "100:00"},
        {SortKind::Number, "95", "120"},
        {SortKind::Number, "5.0", "12.5"},
        {SortKind::Number, "-3", "0"},
        {SortKind::Number, "abc", "1"},       // no number reads as 0
        {SortKind::Number, "0.5", "1e3x"},    // 1, no exponent
        {SortKind::Number, "1", "99999999999999999999"},
        {SortKind::Text, "B", "a"},
        {SortKind::Text, "ab", "abc"},
        {SortKind::Text, "", "a"},
        {SortKind::Text, "問題1", "問題２"},
        // A character above U+FFFF is a surrogate pair (D83D DE00), below ～ (FF5E).
        {SortKind::Text, "\U0001F600", "\uFF5E"},
        {SortKind::Text, "x\U0001F600", "x\uFF5E"},
        {SortKind::Text, "\uFF5E", "\uFFFD"},
    };
    for (const Ordered& c : cases) {
        SCOPED_TRACE(std::string(c.lower) + " < " + c.higher);
        EXPECT_EQ(CompareListTexts(c.kind, c.lower, c.higher), -1);
        EXPECT_EQ(CompareListTexts(c.kind, c.higher, c.lower), 1);
        EXPECT_EQ(CompareListTexts(c.kind, c.lower, c.lower), 0);
    }
}

TEST(CompareListTexts, EqualWhereTheValueIsEqual) {
    const Ordered cases[] = {
        {SortKind::Time, "9:05", " 9:05"},  {SortKind::Time, "1:00", "0:60"},  {SortKind::Time, "", "0:00"},
        {SortKind::Number, " 7", "7"},      {SortKind::Number, "7.0", "7"},    {SortKind::Number, "", "x"},
        {SortKind::Number, "inf", "0"},     {SortKind::Number, "+2", "2"},     {SortKind::Number, "-0", "0"},
    };
    for (const Ordered& c : cases) {
        SCOPED_TRACE(std::string(c.lower) + " = " + c.higher);
        EXPECT_EQ(CompareListTexts(c.kind, c.lower, c.higher), 0);
        EXPECT_EQ(CompareListTexts(c.kind, c.higher, c.lower), 0);
    }
}

TEST(SortRows, IsStableBothWaysAndMatchesTheComparison) {
    // Rows 0..7 with keys that repeat; equal keys must keep the order they
    // had before each sort, ascending and descending alike.
    const std::vector<std::string> texts = {"12:30", "9:05", "12:30", "0:00", "9:05", "-1:-5", "12:30", "9:05"};
    auto text = [&](int row) -> const std::string& { return texts[row]; };

    std::vector<int> order = {0, 1, 2, 3, 4, 5, 6, 7};
    SortRows(order, text, SortKind::Time, false);
    EXPECT_EQ(order, (std::vector<int>{5, 3, 1, 4, 7, 0, 2, 6}));
    SortRows(order, text, SortKind::Time, true);
    EXPECT_EQ(order, (std::vector<int>{0, 2, 6, 1, 4, 7, 3, 5}));

    // From a shuffled start, equal keys keep that start's order.
    order = {7, 6, 5, 4, 3, 2, 1, 0};
    SortRows(order, text, SortKind::Time, false);
    EXPECT_EQ(order, (std::vector<int>{5, 3, 7, 4, 1, 6, 2, 0}));

    // Every kind agrees with its comparison on neighbours.
    const std::vector<std::string> mixed = {"120", "95", "abc", "ｱ", "\U0001F600", "9:05", "", "-2", "95.0"};
    auto mixedText = [&](int row) -> const std::string& { return mixed[row]; };
    for (SortKind kind : {SortKind::Time, SortKind::Number, SortKind::Text}) {
        for (bool descending : {false, true}) {
            std::vector<int> rows = {0, 1, 2, 3, 4, 5, 6, 7, 8};
            SortRows(rows, mixedText, kind, descending);
            for (size_t i = 1; i < rows.size(); ++i) {
                int c = CompareListTexts(kind, mixed[rows[i - 1]], mixed[rows[i]]);
                EXPECT_LE(descending ? -c : c, 0) << static_cast<int>(kind) << " at " << i;
                if (c == 0) {
                    EXPECT_LT(rows[i - 1], rows[i]);
                }
            }
        }
    }
}

TEST(RecordList, SortKindOfEachColumn) {
    const SortKind expected[kRecordColumnCount] = {
        SortKind::Number, SortKind::Text,   SortKind::Text,   SortKind::Time,   SortKind::Text,   SortKind::Time,
        SortKind::Text,   SortKind::Number, SortKind::Number, SortKind::Number, SortKind::Number, SortKind::Number,
        SortKind::Number, SortKind::Number, SortKind::Number, SortKind::Number, SortKind::Number,
    };
    for (int column = 0; column < kRecordColumnCount; ++column)
        EXPECT_EQ(RecordList::ColumnSortKind(column), expected[column]) << column;
}

// ---------------------------------------------------------------- rows

TEST(RecordList, BuildsTheColumnsOfEachListedLine) {
    TempFolder folder;
    std::string path = folder / "達成記録.csv";
    WriteBytes(path, Header() + Crlf(Record("例題～１")) + Crlf(Marked(Record("消した"))) + "  \t\r\n" +
                         Crlf(Record("二,三", 95)) + "\r\n" + Crlf(Record("罰", 0, 125, 60, "2023,12,31,23,59")) +
                         Crlf("version 3.0.0,2024,01") + Crlf(Record("負", -40)));
    RecordList list;
    std::string message;
    ASSERT_TRUE(list.Load(path, message)) << message;
    EXPECT_EQ(list.LineCount(), 9);

    const std::vector<RecordListRow>& rows = list.Rows();
    ASSERT_EQ(rows.size(), 5u);
    using Columns = std::array<std::string, kRecordColumnCount>;
    EXPECT_EQ(rows[0].columns, (Columns{"1", "version 3.1.0", "2024.03.09", "7:05", "例題～１", "18:00",
                                        RankName(1200), "1200", "850", "1140", "60", "1", "2", "3", "40", "60",
                                        "5.0"}));
    // A comma in the name: everything after it moves one column on, and the
    // computed columns use what then stands there.
    EXPECT_EQ(rows[1].columns, (Columns{"4", "version 3.1.0", "2024.03.09", "7:05", "二", "-13:-10", "", "三", "95",
                                        "60", "850", "1140", "1", "2", "3", "40", "60"}));
    // Penalty above the solving time; no rank for a difficulty of 0.
    EXPECT_EQ(rows[2].columns[0], "6");
    EXPECT_EQ(rows[2].columns[2], "2023.12.31");
    EXPECT_EQ(rows[2].columns[3], "23:59");
    EXPECT_EQ(rows[2].columns[5], "-1:-5");
    EXPECT_EQ(rows[2].columns[6], "");
    // A short line fills what it has.
    EXPECT_EQ(rows[3].columns, (Columns{"7", "version 3.0.0", "2024.01", "", "", "0:00", "", "", "", "", "", "", "",
                                        "", "", "", ""}));
    // A negative difficulty has no rank either.
    EXPECT_EQ(rows[4].columns[7], "-40");
    EXPECT_EQ(rows[4].columns[6], "");
}

TEST(RecordList, ShowsUndecodableBytesAndSaturatesHugeNumbers) {
    RecordListRow row = BuildRecordListRow(3, "v\xFF,2024,03,09,7,05,a\x81,99999999999,0,0,99999999999,1,1,1,1,1,1.0");
    EXPECT_EQ(row.columns[1], "v\uFFFD");
    EXPECT_EQ(row.columns[4], "a\uFFFD");
    EXPECT_EQ(row.columns[6], RankName(INT32_MAX));
    EXPECT_EQ(row.columns[5], "35791394:07");  // INT32_MAX seconds
}

TEST(RecordList, RefusesFilesItCannotOpenOrDoesNotKnow) {
    TempFolder folder;
    RecordList list;
    std::string message;
    EXPECT_FALSE(list.Load(folder / "none.csv", message));
    EXPECT_EQ(message, kOpenFailed + UserErrorText(ENOENT));
    EXPECT_TRUE(list.Rows().empty());

    // Whatever is not the current header (foreign, damaged, empty, the
    // previous format) is listed as nothing and never written.
    std::string previous = RecordHeader();
    previous.erase(previous.rfind(','));
    previous.erase(previous.find(",二択連鎖9,"), std::strlen(",二択連鎖9"));
    ASSERT_EQ(std::count(previous.begin(), previous.end(), ','), 76);
    const std::string files[] = {"名前,点数\r\n山田,80\r\n", "", previous + "\r\n" + Record("x") + "\r\n"};
    for (const std::string& bytes : files) {
        std::string path = folder / "foreign.csv";
        WriteBytes(path, bytes);
        message.clear();
        EXPECT_FALSE(list.Load(path, message));
        EXPECT_EQ(message, kOpenFailed + std::string("達成記録の形式ではありません（見出し行が違います）。"));
        EXPECT_TRUE(list.Rows().empty());
        EXPECT_FALSE(list.Delete(1));
        EXPECT_TRUE(list.Save(message));
        EXPECT_EQ(ReadBytes(path), bytes);
    }
}

// ---------------------------------------------------------------- deletion

class RecordDeletion : public testing::Test {
protected:
    TempFolder folder_;
    std::string path_ = folder_ / "達成記録.csv";
    RecordList list_;
    std::string message_;
    // Line 2 holds bytes that are not code page 932; line 3 a deleted record.
    std::string lines_[5] = {Header(), Crlf(Record("一")), Utf8ToCp932(Record("二")) + "\xFF\x80\xA0\r\n",
                             Crlf(Marked(Record("三"))), Crlf(Record("四"))};

    std::string Original() const { return lines_[0] + lines_[1] + lines_[2] + lines_[3] + lines_[4]; }
    void SetUp() override {
        WriteBytes(path_, Original());
        ASSERT_TRUE(list_.Load(path_, message_)) << message_;
        ASSERT_EQ(list_.Rows().size(), 3u);
    }
};

TEST_F(RecordDeletion, OkMarksTheLineAndKeepsEveryByteOfTheOthers) {
    ASSERT_TRUE(list_.Delete(4));
    ASSERT_TRUE(list_.Save(message_)) << message_;
    EXPECT_EQ(ReadBytes(path_), lines_[0] + lines_[1] + lines_[2] + lines_[3] + "#" + lines_[4]);
    EXPECT_EQ(test::FolderEntries(folder_.path()), (std::vector<std::string>{"達成記録.csv", "達成記録.csv.lock"}));

    // The undecodable line itself can be deleted too, byte for byte.
    ASSERT_TRUE(list_.Load(path_, message_));
    ASSERT_EQ(list_.Rows().size(), 2u);
    ASSERT_TRUE(list_.Delete(2));
    ASSERT_TRUE(list_.Save(message_)) << message_;
    EXPECT_EQ(ReadBytes(path_), lines_[0] + lines_[1] + "#" + lines_[2] + lines_[3] + "#" + lines_[4]);
}

TEST_F(RecordDeletion, KeepsWhatAnotherInstanceWroteMeanwhile) {
    ASSERT_TRUE(list_.Delete(1));
    ASSERT_TRUE(list_.Delete(2));
    // Another running program completes a puzzle, and someone edits line 2.
    ASSERT_TRUE(AppendRecordLine(path_, Record("五"), message_));
    std::string edited = Crlf(Record("二（直した）"));
    WriteBytes(path_, lines_[0] + lines_[1] + edited + lines_[3] + lines_[4] + Crlf(Record("五")));
    ASSERT_TRUE(list_.Save(message_)) << message_;
    EXPECT_EQ(ReadBytes(path_), lines_[0] + "#" + lines_[1] + edited + lines_[3] + lines_[4] + Crlf(Record("五")));
}

TEST_F(RecordDeletion, NothingIsWrittenWithoutOk) {
    ASSERT_TRUE(list_.Delete(1));
    EXPECT_TRUE(list_.IsDeleted(1));
    // キャンセル: the list is dropped without saving.
    list_ = RecordList();
    EXPECT_EQ(ReadBytes(path_), Original());
}

TEST_F(RecordDeletion, OkWithoutDeletionWritesNothing) {
    struct stat before;
    ASSERT_EQ(::stat(path_.c_str(), &before), 0);
    // LF line ends would become CR LF if the file were rewritten.
    WriteBytes(path_, Utf8ToCp932(RecordHeader()) + "\n" + Utf8ToCp932(Record("一")));
    ASSERT_TRUE(list_.Load(path_, message_));
    EXPECT_TRUE(list_.Save(message_));
    EXPECT_EQ(ReadBytes(path_), Utf8ToCp932(RecordHeader()) + "\n" + Utf8ToCp932(Record("一")));
    struct stat after;
    ASSERT_EQ(::stat(path_.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // not replaced by a rewrite
}

TEST_F(RecordDeletion, RefusesLinesWithoutARow) {
    for (int line : {-1, 0, 3, 5, 99}) EXPECT_FALSE(list_.Delete(line)) << line;
    EXPECT_TRUE(list_.Delete(1));
    EXPECT_FALSE(list_.Delete(1));  // once only: a second "#" would be a change of its own
    EXPECT_TRUE(list_.IsDeleted(3));
    EXPECT_FALSE(list_.IsDeleted(4));
}

TEST_F(RecordDeletion, DeletingEveryVisibleRecordLeavesAnEmptyList) {
    for (const RecordListRow& row : std::vector<RecordListRow>(list_.Rows())) ASSERT_TRUE(list_.Delete(row.line));
    ASSERT_TRUE(list_.Save(message_)) << message_;
    EXPECT_EQ(ReadBytes(path_), lines_[0] + "#" + lines_[1] + "#" + lines_[2] + lines_[3] + "#" + lines_[4]);
    ASSERT_TRUE(list_.Load(path_, message_));
    EXPECT_TRUE(list_.Rows().empty());
    EXPECT_EQ(list_.LineCount(), 5);
}

TEST_F(RecordDeletion, AFileReplacedMeanwhileIsNotOverwritten) {
    ASSERT_TRUE(list_.Delete(1));
    const std::string foreign = "名前,点数\r\n山田,80\r\n";
    WriteBytes(path_, foreign);
    EXPECT_FALSE(list_.Save(message_));
    EXPECT_EQ(message_, kOpenFailed + std::string("達成記録の形式ではありません（見出し行が違います）。"));
    EXPECT_EQ(ReadBytes(path_), foreign);

    fs::remove(path_);
    EXPECT_FALSE(list_.Save(message_));
    EXPECT_EQ(message_, kOpenFailed + UserErrorText(ENOENT));
    EXPECT_FALSE(fs::exists(path_));
}

// A write that fails half-way (here: the file size limit, which binds even
// the superuser) leaves the old file whole and the deletion pending.
TEST_F(RecordDeletion, AFailedRewriteLeavesTheFileIntact) {
    ASSERT_TRUE(list_.Delete(4));
    struct sigaction ignore = {}, old = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &old), 0);
    struct rlimit limit, saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    limit = saved;
    limit.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    bool saved_ok = list_.Save(message_);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &old, nullptr);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(message_, kOpenFailed + UserErrorText(EFBIG));
    EXPECT_EQ(ReadBytes(path_), Original());
    EXPECT_EQ(test::FolderEntries(folder_.path()), (std::vector<std::string>{"達成記録.csv", "達成記録.csv.lock"}));

    // The deletion is still there for a second try.
    EXPECT_TRUE(list_.IsDeleted(4));
    ASSERT_TRUE(list_.Save(message_)) << message_;
    EXPECT_EQ(ReadBytes(path_), lines_[0] + lines_[1] + lines_[2] + lines_[3] + "#" + lines_[4]);
}

TEST_F(RecordDeletion, AReadOnlyFolderLeavesTheFileIntact) {
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
    ASSERT_TRUE(list_.Delete(1));
    fs::permissions(folder_.path(), fs::perms::owner_read | fs::perms::owner_exec);
    bool saved = list_.Save(message_);
    fs::permissions(folder_.path(), fs::perms::owner_all);
    EXPECT_FALSE(saved);
    EXPECT_EQ(message_, kOpenFailed + UserErrorText(EACCES));
    EXPECT_EQ(ReadBytes(path_), Original());
}

}  // namespace
}  // namespace masuvo
