#include "records/practice_record.h"

#include <gtest/gtest.h>

#include "files/cp932.h"
#include "records/record_lock.h"
#include "tests/files/temp_folder.h"

namespace masuvo {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

PracticeEntry Entry(int technique, int number, int seconds, int hints, bool solved, int estimate) {
    PracticeEntry e;
    e.when = "2026/12/01 09:05:07";
    e.technique = technique;
    e.number = number;
    e.seconds = seconds;
    e.hints = hints;
    e.details = hints > 1 ? 1 : 0;
    e.hintExecutions = hints > 2 ? 1 : 0;
    e.solved = solved;
    e.estimatedSeconds = estimate;
    return e;
}

void ExpectSame(const PracticeEntry& a, const PracticeEntry& b) {
    EXPECT_EQ(a.when, b.when);
    EXPECT_EQ(a.technique, b.technique);
    EXPECT_EQ(a.number, b.number);
    EXPECT_EQ(a.seconds, b.seconds);
    EXPECT_EQ(a.hints, b.hints);
    EXPECT_EQ(a.details, b.details);
    EXPECT_EQ(a.hintExecutions, b.hintExecutions);
    EXPECT_EQ(a.solved, b.solved);
    EXPECT_EQ(a.estimatedSeconds, b.estimatedSeconds);
}

TEST(PracticeRecord, AppendStartsTheFileWithItsHeaderAndReadsBack) {
    TempFolder folder;
    const std::string path = folder / kPracticeRecordName;
    const std::vector<PracticeEntry> written = {Entry(19, 1, 42, 0, true, 60), Entry(3, 7, 200, 3, false, 12)};
    for (const PracticeEntry& e : written) {
        std::string error;
        ASSERT_TRUE(AppendPracticeEntry(path, e, &error)) << error;
    }
    EXPECT_EQ(ReadBytes(path), Utf8ToCp932("日時,解法,番号,秒数,ヒント,詳細,ヒント実行,正解,想定秒数\r\n") +
                                   "2026/12/01 09:05:07,19,1,42,0,0,0,1,60\r\n"
                                   "2026/12/01 09:05:07,3,7,200,3,1,1,0,12\r\n");
    int skipped = -1;
    const std::vector<PracticeEntry> read = ReadPracticeRecord(path, &skipped);
    EXPECT_EQ(skipped, 0);
    ASSERT_EQ(read.size(), written.size());
    for (size_t i = 0; i < read.size(); ++i) ExpectSame(read[i], written[i]);
}

TEST(PracticeRecord, ADamagedFileIsReadLenientlyAndKeepsItsBytes) {
    TempFolder folder;
    const std::string path = folder / kPracticeRecordName;
    // Every damaged line below is skipped; the good ones are read.
    const std::string damaged = Utf8ToCp932("日時,解法,番号,秒数,ヒント,詳細,ヒント実行,正解,想定秒数\r\n") +
                                "2026/12/01 09:05:07,5,1,10,0,0,0,1,20\r\n"
                                "garbage\r\n"
                                "2026/12/01 09:05:07,5,2,10,0,0,0,1\r\n"         // a field short
                                "2026/12/01 09:05:07,5,2,10,0,0,0,1,20,9\r\n"    // a field over
                                "2026/12/1 09:05:07,5,2,10,0,0,0,1,20\r\n"       // a short date
                                "2026/12/01 09:05:07,30,2,10,0,0,0,1,20\r\n"     // no such technique
                                "2026/12/01 09:05:07,5,0,10,0,0,0,1,20\r\n"      // drill number 0
                                "2026/12/01 09:05:07,5,2,-4,0,0,0,1,20\r\n"      // negative seconds
                                "2026/12/01 09:05:07,5,2,10,0,0,0,2,20\r\n"      // solved is 0 or 1
                                "2026/12/01 09:05:07,5,2,1x,0,0,0,1,20\r\n" +
                                Utf8ToCp932("2026/12/01 09:05:07,５,2,10,0,0,0,1,20\r\n") +
                                "\r\n"
                                "#2026/12/01 09:05:07,5,3,10,0,0,0,1,20\r\n"     // deleted: not counted
                                "2026/12/02 10:00:00,6,1,30,1,0,0,1,20";         // no final line end
    WriteBytes(path, damaged);
    int skipped = 0;
    std::vector<PracticeEntry> read = ReadPracticeRecord(path, &skipped);
    EXPECT_EQ(skipped, 10);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].number, 1);
    EXPECT_EQ(read[1].technique, 6);
    EXPECT_EQ(ReadBytes(path), damaged);

    std::string error;
    ASSERT_TRUE(AppendPracticeEntry(path, Entry(7, 1, 5, 0, true, 9), &error)) << error;
    EXPECT_EQ(ReadBytes(path), damaged + "\r\n2026/12/01 09:05:07,7,1,5,0,0,0,1,9\r\n");
    read = ReadPracticeRecord(path, &skipped);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[2].technique, 7);
}

TEST(PracticeRecord, AMissingFileReadsAsEmptyAndAFailedAppendSaysWhy) {
    TempFolder folder;
    int skipped = -1;
    EXPECT_TRUE(ReadPracticeRecord(folder / "none.csv", &skipped).empty());
    EXPECT_EQ(skipped, 0);
    std::string error;
    EXPECT_FALSE(AppendPracticeEntry(folder / "no folder/練習記録.csv", Entry(0, 1, 1, 0, true, 1), &error));
    EXPECT_EQ(error.rfind("練習記録ファイルをオープンできません。：\n", 0), 0u) << error;
    EXPECT_GT(error.size(), std::string("練習記録ファイルをオープンできません。：\n").size());
}

// Another program appending: the wait (five seconds) ends in a message that
// names this file, and nothing is written.
TEST(PracticeRecord, ABusyRecordIsLeftAloneWithAMessage) {
    TempFolder folder;
    const std::string path = folder / kPracticeRecordName;
    std::string error;
    ASSERT_TRUE(AppendPracticeEntry(path, Entry(0, 1, 1, 0, true, 1), &error)) << error;
    const std::string before = ReadBytes(path);
    const RecordFileLock held(path);
    ASSERT_TRUE(held.locked());
    EXPECT_FALSE(AppendPracticeEntry(path, Entry(0, 2, 1, 0, true, 1), &error));
    EXPECT_EQ(error, "練習記録ファイルをオープンできません。：\n"
                     "別のマスヴォが練習記録を書き込み中です。しばらくしてからもう一度お試しください。");
    EXPECT_EQ(ReadBytes(path), before);
}

}  // namespace
}  // namespace masuvo
