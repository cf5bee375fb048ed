#include "reports/history_statistics.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <clocale>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "engine/text_format.h"

namespace masuvo {
namespace {

// One completed puzzle as completion writes it.
struct Record {
    std::string date;  // "2024,12,28"
    std::string name;
    int difficulty = 0;
    int execution = 0;
    int penalty = 0;
    int seconds = 0;
    int hints = 0;
    int detailedHints = 0;
    int hintExecutions = 0;
    int candidateDisplay = 0;
    std::array<int, kTechniqueCount> expected{};
    std::array<int, kTechniqueCount> estimated{};
};

std::string Header() {
    std::string header =
        "バージョン,年,月,日,時,分,名称,難易度,実行度,ペナルティ,解答秒数,ヒント回数,詳細ヒント回数,"
        "ヒント実行回数,候補表示容易度,余力度,余力率(%),,";
    for (int list = 0; list < 2; ++list) {
        for (int t = 0; t < kTechniqueCount; ++t) header += std::string(TechniqueName(t)) + ",";
        header += ",";
    }
    header.resize(header.size() - 2);
    return header;
}

std::string Line(const Record& r) {
    const int spare = r.difficulty - r.seconds;
    std::string line = "version 3.1.0," + r.date + ",21,05," + r.name +
                       Format(",%d,%d,%d,%d,%d,%d,%d,%d,%d,%.1f,,", r.difficulty, r.execution, r.penalty, r.seconds,
                              r.hints, r.detailedHints, r.hintExecutions, r.candidateDisplay, spare,
                              r.difficulty < 1 ? 0.0 : spare * 100.0 / r.difficulty);
    for (int count : r.expected) line += Format("%2d,", count);
    line += ",";
    for (int count : r.estimated) line += Format("%2d,", count);
    line.pop_back();
    return line;
}

// The file's lines with CR LF turned into the "\r\n" the report writes.
std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + 2;
    }
    lines.push_back(text.substr(start));
    return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The hand-written history used by most tests: two ranks across a year end,
// a deleted record, a 神 record, a name with a comma, a blank line.
std::vector<std::string> History() {
    Record r1{"2024,12,28", "朝の一問", 300, 250, 0, 200, 0, 0, 0, 0};
    r1.expected[0] = 3, r1.expected[2] = 5;
    r1.estimated[0] = 2, r1.estimated[2] = 6, r1.estimated[3] = 1;
    Record r2{"2024,12,30", "夜の一問", 600, 500, 60, 720, 1, 0, 1, 120};
    r2.expected[5] = 2, r2.estimated[5] = 1;
    Record deleted{"2024,12,31", "消した問題", 900, 900, 0, 100, 0, 0, 0, 0};
    deleted.expected[0] = 40, deleted.estimated[0] = 40;
    Record r4{"2025,01,02", "例題_基本", 420, 400, 0, 300, 0, 0, 0, 0};
    r4.expected[0] = 1, r4.expected[4] = 1, r4.estimated[4] = 1;
    Record god{"2025,01,03", "神の問題", 15000, 14000, 120, 9000, 2, 1, 1, 3000};
    god.expected[29] = 1, god.estimated[29] = 1, god.estimated[13] = 2;
    Record comma{"2025,01,05", "問題,その2", 1000, 900, 0, 800, 0, 0, 0, 0};
    comma.expected[1] = 7, comma.estimated[1] = 7;
    Record r8{"2025,02,14", "究極", 8000, 7000, 0, 6000, 0, 0, 0, 900};
    r8.expected[13] = 3, r8.estimated[13] = 2;
    std::string removed = "#";
    removed += Line(deleted);
    return {Header(), Line(r1), Line(r2), removed, Line(r4), Line(god), Line(comma), "  ", Line(r8)};
}

const std::string kDate = "2025.03.14";

TEST(RecordTable, FixedColumnsFromTheThreeParts) {
    Record r{"2024,03,09", "問題1", 1200, 850, 60, 1140, 1, 2, 3, 4};
    for (int t = 0; t < kTechniqueCount; ++t) r.expected[t] = t, r.estimated[t] = 40 + t;
    const RecordTableRow row = SplitRecordRow(Line(r));
    const std::vector<std::string> first = {"version 3.1.0", "2024", "03", "09", "21", "05", "問題1", "",
                                            "1200", "850", "60", "1140", "1", "2", "3", "4", "60", "5.0"};
    for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(row[i], first[i]) << "column " << i;
    EXPECT_EQ(row[kExpectedColumn], " 0");
    EXPECT_EQ(row[kExpectedColumn + 29], "29");
    EXPECT_EQ(row[kEstimatedColumn], "40");
    EXPECT_EQ(row[kEstimatedColumn + 29], "69");
}

TEST(RecordTable, ACommaInTheNameShiftsTheFirstPartOnly) {
    Record r{"2025,01,05", "問題,その2", 1000, 900, 0, 800, 0, 0, 0, 0};
    r.expected[0] = 7, r.estimated[0] = 8;
    const RecordTableRow row = SplitRecordRow(Line(r));
    EXPECT_EQ(row[6], "問題");
    EXPECT_EQ(row[8], "その2");  // read as the difficulty: 0, so no rank
    EXPECT_EQ(row[9], "1000");
    EXPECT_EQ(row[17], "200");  // 余力度 moves here; 余力率 falls off the end
    EXPECT_EQ(row[kExpectedColumn], " 7");
    EXPECT_EQ(row[kEstimatedColumn], " 8");
    const RecordTable table = BuildRecordTable({Header(), Line(r)});
    EXPECT_EQ(table[1][kRankColumn], "");
}

TEST(RecordTable, ShortAndOddLines) {
    RecordTableRow row = SplitRecordRow("version 3.1.0,2024");
    EXPECT_EQ(row[1], "2024");
    EXPECT_EQ(row[2], "");
    EXPECT_EQ(row[77], "");
    // No second ",,": everything after the first goes to the expected counts.
    row = SplitRecordRow("a,b,,1,2,3");
    EXPECT_EQ(row[1], "b");
    EXPECT_EQ(row[kExpectedColumn + 2], "3");
    EXPECT_EQ(row[kEstimatedColumn], "");
    // Runs of commas are one separator; more than thirty counts are dropped.
    std::string longCounts = "v,,,";
    for (int i = 0; i < 35; ++i) longCounts += "1,";
    longCounts += ",,,9";
    row = SplitRecordRow(longCounts);
    EXPECT_EQ(row[kExpectedColumn + 29], "1");
    EXPECT_EQ(row[kEstimatedColumn], "9");
}

TEST(RecordTable, SkipsDeletedAndBlankLinesAndNamesTheRank) {
    const RecordTable table = BuildRecordTable(History());
    ASSERT_EQ(table.size(), 7u);  // header and six records
    EXPECT_EQ(table[0][0], "バージョン");
    EXPECT_EQ(table[0][kRankColumn], "");
    const std::vector<std::string> ranks = {"基本", "初級", "基本", "神", "", "究極激難問"};
    for (size_t i = 0; i < ranks.size(); ++i) EXPECT_EQ(table[i + 1][kRankColumn], ranks[i]) << "row " << i + 1;
    for (const RecordTableRow& row : table) EXPECT_NE(row[6], "消した問題");

    // The header is the first line whatever it holds; no difficulty, or a
    // negative one, has no rank.
    const RecordTable odd = BuildRecordTable({"#not a header", "v,2024,01,01,0,00,a,0", "v,2024,01,01,0,00,b,-5",
                                              "v,2024,01,01,0,00,c,450", "v,2024,01,01,0,00,d,99999999999"});
    ASSERT_EQ(odd.size(), 5u);
    EXPECT_EQ(odd[0][0], "#not a header");
    EXPECT_EQ(odd[1][kRankColumn], "");
    EXPECT_EQ(odd[2][kRankColumn], "");
    EXPECT_EQ(odd[3][kRankColumn], "初級");
    EXPECT_EQ(odd[4][kRankColumn], "最高神");
}

TEST(RecordTable, NumbersAreLenientAndSaturate) {
    const struct {
        const char* field;
        int32_t value;
    } cases[] = {
        {"1200", 1200},  {" 7", 7},  {"-5", -5},  {" *", 0},   {"", 0},  {"abc", 0},  {"12ab", 12}, {"3.9", 3},
        {"2147483647", std::numeric_limits<int32_t>::max()}, {"99999999999", std::numeric_limits<int32_t>::max()},
        {" -99999999999", std::numeric_limits<int32_t>::min()}, {"-2147483648", std::numeric_limits<int32_t>::min()},
    };
    for (const auto& c : cases) EXPECT_EQ(RecordNumber(c.field), c.value) << c.field;
}

TEST(Groups, RanksAverageTheirRecords) {
    const GroupTable groups = GroupByRank(BuildRecordTable(History()));
    ASSERT_EQ(groups.groups.size(), 7u);
    const Set& basic = groups.groups[0];
    EXPECT_EQ(basic.name, "基本");
    EXPECT_EQ(groups.groups[6].name, "究極激難問");
    EXPECT_DOUBLE_EQ(basic.value[0], 2);
    EXPECT_DOUBLE_EQ(basic.value[1], 250);
    EXPECT_DOUBLE_EQ(basic.value[2], 360);
    EXPECT_DOUBLE_EQ(basic.value[6], 110);
    // 220 spare seconds of 720: the rate of the sums.
    EXPECT_DOUBLE_EQ(basic.value[7], 220 / 7.2);
    // The 神 record and the shifted one are in no rank group.
    double ranked = 0;
    for (const Set& set : groups.groups) ranked += set.value[0];
    EXPECT_EQ(ranked, 4);
    // One scale for the time-like kinds: the largest of them, 8000.
    for (int kind : {1, 2, 3, 4, 5, 6, 11}) EXPECT_DOUBLE_EQ(groups.scale.value[kind], 8000) << kind;
    EXPECT_DOUBLE_EQ(groups.scale.value[7], 100);
    EXPECT_DOUBLE_EQ(groups.scale.value[0], 2);
    EXPECT_DOUBLE_EQ(groups.scale.value[8], 1);
    EXPECT_DOUBLE_EQ(groups.scale.value[9], 0);
}

TEST(Groups, TheRateIsARatioOfSumsAndZeroWithoutDifficulty) {
    // Rates 50 % and 0 %: their mean would be 25 %, the ratio of sums is 500 / 1100.
    Record a{"2024,05,01", "a", 1000, 0, 0, 500};
    Record b{"2024,05,02", "b", 100, 0, 0, 100};
    // Difficulty 0 (an unrated puzzle): a spare of -100 and a rate of 0.
    Record c{"2024,06,01", "c", 0, 0, 0, 100};
    const RecordTable table = BuildRecordTable({Header(), Line(a), Line(b), Line(c)});
    const GroupTable months = GroupByMonth(table, "");
    ASSERT_EQ(months.groups.size(), 2u);
    EXPECT_NEAR(months.groups[0].value[7], 500.0 * 100 / 1100, 1e-9);
    EXPECT_DOUBLE_EQ(months.groups[1].value[6], -100);
    EXPECT_DOUBLE_EQ(months.groups[1].value[7], 0);
    EXPECT_TRUE(Contains(FormatGroupTable(months), "2024.06   :   0.0％|\r\n"));
}

TEST(Groups, SumsAreWiderThanTheRecordsNumbers) {
    Record a{"2024,05,01", "a", 2000000000, 0, 0, 2000000000};
    const RecordTable table = BuildRecordTable({Header(), Line(a), Line(a)});
    const GroupTable months = GroupByMonth(table, "");
    ASSERT_EQ(months.groups.size(), 1u);
    EXPECT_DOUBLE_EQ(months.groups[0].value[4], 2e9);
    EXPECT_DOUBLE_EQ(months.groups[0].value[7], 0);
    EXPECT_TRUE(Contains(FormatGroupTable(months), "2024.05   :2000000000.0|"));
    EXPECT_TRUE(Contains(FormatGroupTable(months), "2024.05   :33333333:20|"));
}

TEST(Groups, MonthsFollowTheFileAcrossAYearEnd) {
    const RecordTable table = BuildRecordTable(History());
    const GroupTable all = GroupByMonth(table, "");
    ASSERT_EQ(all.groups.size(), 3u);
    EXPECT_EQ(all.groups[0].name, "2024.12");
    EXPECT_EQ(all.groups[1].name, "2025.01");
    EXPECT_EQ(all.groups[2].name, "2025.02");
    EXPECT_DOUBLE_EQ(all.groups[0].value[0], 2);  // the deleted record of 2024.12 is not counted
    EXPECT_DOUBLE_EQ(all.groups[1].value[0], 3);  // with the 神 record and the shifted one

    const GroupTable basic = GroupByMonth(table, "基本");
    ASSERT_EQ(basic.groups.size(), 2u);
    EXPECT_EQ(basic.groups[0].name, "2024.12");
    EXPECT_EQ(basic.groups[1].name, "2025.01");
    EXPECT_TRUE(GroupByMonth(table, "中級").groups.empty());
    EXPECT_TRUE(GroupByMonth(table, "神").groups.size() == 1);  // asked for by name it exists, but no page asks

    // Out of order in the file, out of order in the report; a month met again joins its group.
    Record early{"2024,11,30", "x", 300, 0, 0, 100};
    Record late{"2025,01,01", "y", 300, 0, 0, 100};
    const GroupTable mixed = GroupByMonth(BuildRecordTable({Header(), Line(late), Line(early), Line(late)}), "");
    ASSERT_EQ(mixed.groups.size(), 2u);
    EXPECT_EQ(mixed.groups[0].name, "2025.01");
    EXPECT_EQ(mixed.groups[1].name, "2024.11");
    EXPECT_DOUBLE_EQ(mixed.groups[0].value[0], 2);
}

// A group table of one kind's values, for the bar lengths.
std::vector<std::string> KindLines(const std::vector<double>& values, int kind) {
    std::vector<Set> groups;
    for (size_t i = 0; i < values.size(); ++i) {
        Set set;
        set.name = "g";
        set.name += std::to_string(i);
        set.value[kind] = values[i];
        groups.push_back(set);
    }
    const std::vector<std::string> lines = Lines(FormatGroupTable(groups, ScaleOf(groups)));
    const size_t first = static_cast<size_t>(kind) * (values.size() + 2) + 1;
    return std::vector<std::string>(lines.begin() + first, lines.begin() + first + values.size());
}

size_t BarOf(const std::string& line) {
    const size_t bar = line.find('|');
    return bar == std::string::npos ? std::string::npos : line.size() - bar - 1;
}

TEST(GroupTableText, BarLengths) {
    // Up to 49 records at most: one hyphen per record.
    auto lines = KindLines({49, 3, 0}, 0);
    EXPECT_EQ(lines[0], "g0        :      49|" + std::string(49, '-'));
    EXPECT_EQ(BarOf(lines[1]), 3u);
    EXPECT_EQ(lines[2], "g2        :       0|");
    // From 50 on the bars are scaled to 50 and rounded up.
    lines = KindLines({100, 37, 1}, 0);
    EXPECT_EQ(BarOf(lines[0]), 50u);
    EXPECT_EQ(BarOf(lines[1]), 19u);
    EXPECT_EQ(BarOf(lines[2]), 1u);
    // A negative spare has no bar, on any scale.
    lines = KindLines({300, -120, -0.5}, 6);
    EXPECT_EQ(lines[0], "g0        :   300.0|" + std::string(50, '-'));
    EXPECT_EQ(lines[1], "g1        :  -120.0|");
    EXPECT_EQ(lines[2], "g2        :    -0.5|");
    lines = KindLines({-20, 12.5, 0}, 7);
    EXPECT_EQ(lines[0], "g0        : -20.0％|");
    EXPECT_EQ(lines[1], "g1        :  12.5％|-------");
    EXPECT_EQ(lines[2], "g2        :   0.0％|");
    // A rate far above 100 % (only from hand-edited times) stops at the full width.
    lines = KindLines({1e9}, 7);
    EXPECT_EQ(lines[0], "g0        :1000000000.0％|" + std::string(50, '-'));
    // Mean times: whole seconds as minutes and seconds, negative ones signed once.
    lines = KindLines({59.9, 125, -75, 6000}, 1);
    EXPECT_EQ(lines[0], "g0        :    0:59|-");
    EXPECT_EQ(lines[1], "g1        :    2:05|--");
    EXPECT_EQ(lines[2], "g2        :   -1:15|");
    EXPECT_EQ(lines[3], "g3        :  100:00|" + std::string(50, '-'));
}

TEST(GroupTableText, NamesArePaddedToTenColumnsAndNeverCut) {
    std::vector<Set> groups(3);
    groups[0].name = "基本";
    groups[1].name = "究極激難問";
    groups[2].name = "20245.123";
    const std::vector<std::string> lines = Lines(FormatGroupTable(groups, ScaleOf(groups)));
    EXPECT_EQ(lines[1], "基本      :       0|");
    EXPECT_EQ(lines[2], "究極激難問:       0|");
    EXPECT_EQ(lines[3], "20245.123 :       0|");
}

// A locale that writes numbers with a decimal comma: an installed one, or one
// compiled for this test when the system has the locale sources.
const char* DecimalCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_NUMERIC, name)) return name;
    const std::string folder = testing::TempDir() + "masuvo_locales_" + std::to_string(::getpid());
    const std::string command = "mkdir -p '" + folder + "' && localedef -i de_DE -f UTF-8 '" + folder +
                                "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return nullptr;
    ::setenv("LOCPATH", folder.c_str(), 1);
    const char* found = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") ? "de_DE.UTF-8 (compiled)" : nullptr;
    ::unsetenv("LOCPATH");
    std::system(("rm -rf '" + folder + "'").c_str());
    return found;
}

TEST(GroupTableText, DecimalPointWhateverTheLocale) {
    const char* chosen = DecimalCommaLocale();
    if (!chosen) GTEST_SKIP() << "no locale with a decimal comma is available";
    ASSERT_EQ(Format("%.1f", 1.5), "1,5");  // the locale is in force
    std::vector<Set> groups(1);
    groups[0].name = "x";
    groups[0].value[2] = 12.5;
    groups[0].value[7] = 3.25;
    const std::string text = FormatGroupTable(groups, ScaleOf(groups));
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_TRUE(Contains(text, "x         :    12.5|")) << chosen;
    EXPECT_TRUE(Contains(text, "x         :   3.2％|")) << chosen;
}

const char* const kRankPage = R"(**********************************************************************
* マスヴォ
* 履歴統計　　2025.03.14
**********************************************************************

◆ 階級 **************************************************************

○問題数
基本      :       2|--
初級      :       1|-
中級      :       0|
上級      :       0|
超上級    :       0|
超絶難問  :       0|
究極激難問:       1|-

○平均実効解答時間
基本      :    4:10|--
初級      :   11:00|-----
中級      :    0:00|
上級      :    0:00|
超上級    :    0:00|
超絶難問  :    0:00|
究極激難問:  100:00|--------------------------------------

○平均難易度
基本      :   360.0|---
初級      :   600.0|----
中級      :     0.0|
上級      :     0.0|
超上級    :     0.0|
超絶難問  :     0.0|
究極激難問:  8000.0|--------------------------------------------------

○平均実行度
基本      :   325.0|---
初級      :   500.0|----
中級      :     0.0|
上級      :     0.0|
超上級    :     0.0|
超絶難問  :     0.0|
究極激難問:  7000.0|--------------------------------------------

○平均解答秒数
基本      :   250.0|--
初級      :   720.0|-----
中級      :     0.0|
上級      :     0.0|
超上級    :     0.0|
超絶難問  :     0.0|
究極激難問:  6000.0|--------------------------------------

○ペナルティ
基本      :     0.0|
初級      :    60.0|-
中級      :     0.0|
上級      :     0.0|
超上級    :     0.0|
超絶難問  :     0.0|
究極激難問:     0.0|

○平均余力度
基本      :   110.0|-
初級      :  -120.0|
中級      :     0.0|
上級      :     0.0|
超上級    :     0.0|
超絶難問  :     0.0|
究極激難問:  2000.0|-------------

○平均余力率
基本      :  30.6％|----------------
初級      : -20.0％|
中級      :   0.0％|
上級      :   0.0％|
超上級    :   0.0％|
超絶難問  :   0.0％|
究極激難問:  25.0％|-------------

○平均ヒント回数
基本      :     0.0|
初級      :     1.0|-
中級      :     0.0|
上級      :     0.0|
超上級    :     0.0|
超絶難問  :     0.0|
究極激難問:     0.0|

○平均詳細ヒント回数
基本      :     0.0|
初級      :     0.0|
中級      :     0.0|
上級      :     0.0|
超上級    :     0.0|
超絶難問  :     0.0|
究極激難問:     0.0|

○平均ヒント実行回数
基本      :     0.0|
初級      :     1.0|-
中級      :     0.0|
上級      :     0.0|
超上級    :     0.0|
超絶難問  :     0.0|
究極激難問:     0.0|

○平均候補表示容易度
基本      :     0.0|
初級      :   120.0|-
中級      :     0.0|
上級      :     0.0|
超上級    :     0.0|
超絶難問  :     0.0|
究極激難問:   900.0|------


)";

const char* const kBasicTechniquePage = R"(**********************************************************************
* マスヴォ
* 履歴統計　　2025.03.14
**********************************************************************

◆ 解法(基本      ) **************************************************

                          想定回数  推定回数
ブロックの完成          :        4         2
ラインの完成            :        0         0

ブロック内の配置        :        5         6
ライン内の配置          :        0         1

セルの完成              :        1         1

隠れた数字              :        0         0
波及効果                :        0         0

定員確定2(ブロック)     :        0         0
定員確定3(ブロック)     :        0         0
定員確定4(ブロック)     :        0         0

定員確定2(ライン)       :        0         0
定員確定3(ライン)       :        0         0
定員確定4(ライン)       :        0         0

陰の定員確定2(ブロック) :        0         0
陰の定員確定3(ブロック) :        0         0
陰の定員確定4(ブロック) :        0         0

陰の定員確定2(ライン)   :        0         0
陰の定員確定3(ライン)   :        0         0
陰の定員確定4(ライン)   :        0         0

対角線                  :        0         0
三すくみ                :        0         0

マトリックス3           :        0         0
マトリックス4           :        0         0

ほぼ確定2(二組)         :        0         0
ほぼ確定3(二組)         :        0         0
ほぼ確定4(二組)         :        0         0
ほぼ確定(三組)          :        0         0

二択連鎖1               :        0         0
二択連鎖2               :        0         0
二択連鎖9               :        0         0


)";

TEST(Report, RankPageInFull) {
    const HistoryStatistics report(History(), kDate);
    EXPECT_EQ(report.Page(0), Crlf(kRankPage));
}

TEST(Report, TechniquePageInFull) {
    const HistoryStatistics report(History(), kDate);
    EXPECT_EQ(report.Page(9), Crlf(kBasicTechniquePage));
}

TEST(Report, SeventeenPagesInOrder) {
    const HistoryStatistics report(History(), kDate);
    ASSERT_EQ(report.PageCount(), 17);
    const std::string header = StatisticsPageHeader(kDate);
    const std::string stars(50, '*');
    const std::vector<std::string> titles = {
        "◆ 階級 " + std::string(62, '*'),
        "◆ 推移(基本      ) " + stars,
        "◆ 推移(初級      ) " + stars,
        "◆ 推移(中級      ) " + stars,
        "◆ 推移(上級      ) " + stars,
        "◆ 推移(超上級    ) " + stars,
        "◆ 推移(超絶難問  ) " + stars,
        "◆ 推移(究極激難問) " + stars,
        "◆ 推移(全体　　　) " + stars,
        "◆ 解法(基本      ) " + stars,
        "◆ 解法(初級      ) " + stars,
        "◆ 解法(中級      ) " + stars,
        "◆ 解法(上級      ) " + stars,
        "◆ 解法(超上級    ) " + stars,
        "◆ 解法(超絶難問  ) " + stars,
        "◆ 解法(究極激難問) " + stars,
        "◆ 解法(全体　　　) " + stars,
    };
    for (int page = 0; page < 17; ++page) {
        const std::string text = report.Page(page);
        ASSERT_EQ(text.compare(0, header.size(), header), 0) << page;
        EXPECT_EQ(text.substr(header.size(), titles[page].size() + 4), titles[page] + "\r\n\r\n") << page;
        // Every line ends in CR LF.
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
            ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << "page " << page << " offset " << at;
    }
    EXPECT_EQ(report.Page(17), "");
    EXPECT_EQ(report.Page(-1), "");
}

TEST(Report, MonthPagesAndTheOverallPages) {
    const HistoryStatistics report(History(), kDate);
    // 基本: the two months of its records, across the year end.
    const std::string basic = report.Page(1);
    EXPECT_TRUE(Contains(basic, "○問題数\r\n2024.12   :       1|-\r\n2025.01   :       1|-\r\n\r\n○平均実効解答時間\r\n"));
    EXPECT_TRUE(Contains(basic, "2024.12   :    3:20|"));
    // 中級 has no records: the labels and nothing else.
    std::string empty;
    for (int kind = 0; kind < kSetKinds; ++kind) empty += std::string("○") + SetKindLabel(kind) + "\r\n\r\n";
    empty += "\r\n";
    const std::string middle = report.Page(3);
    EXPECT_EQ(middle.substr(middle.size() - empty.size()), empty);
    // 全体 counts the 神 record and the shifted one, never the deleted one.
    const std::string overall = report.Page(8);
    EXPECT_TRUE(Contains(overall, "○問題数\r\n2024.12   :       2|--\r\n2025.01   :       3|---\r\n"
                                  "2025.02   :       1|-\r\n\r\n"));
    // 2025.01: 420 + 15000 + 0 difficulty over three records.
    EXPECT_TRUE(Contains(overall, "2025.01   :  5140.0|"));
    // The 神 record's techniques appear on the overall page only.
    const std::string techniques = report.Page(16);
    EXPECT_TRUE(Contains(techniques, "\r\nブロックの完成          :        4         2\r\n"));
    EXPECT_TRUE(Contains(techniques, "\r\nラインの完成            :        7         7\r\n"));
    EXPECT_TRUE(Contains(techniques, "\r\n陰の定員確定2(ブロック) :        3         4\r\n"));
    EXPECT_TRUE(Contains(techniques, "\r\n二択連鎖9               :        1         1\r\n"));
    for (int page = 9; page < 16; ++page) {
        EXPECT_TRUE(Contains(report.Page(page), "\r\n二択連鎖9               :        0         0\r\n")) << page;
        EXPECT_TRUE(Contains(report.Page(page), "\r\nラインの完成            :        0         0\r\n")) << page;
    }
    EXPECT_TRUE(Contains(report.Page(15), "\r\n陰の定員確定2(ブロック) :        3         2\r\n"));
}

TEST(Report, AnEmptyHistory) {
    for (const std::vector<std::string>& lines :
         {std::vector<std::string>{Header()}, std::vector<std::string>{}, std::vector<std::string>{Header(), "#x", ""}}) {
        const HistoryStatistics report(lines, kDate);
        const std::vector<std::string> rankLines = Lines(report.Page(0));
        // Seven lines of zeros under every kind.
        for (int kind = 0; kind < kSetKinds; ++kind) {
            const size_t first = 7 + static_cast<size_t>(kind) * 9;
            EXPECT_EQ(rankLines[first], std::string("○") + SetKindLabel(kind));
            for (size_t g = 1; g <= 7; ++g) {
                const std::string& line = rankLines[first + g];
                const std::string value = line.substr(line.find(':') + 1);
                EXPECT_TRUE(value == "       0|" || value == "    0:00|" || value == "     0.0|" || value == "   0.0％|")
                    << line;
            }
        }
        for (int page = 1; page <= 8; ++page) {
            const std::string text = report.Page(page);
            EXPECT_EQ(text.find("|"), std::string::npos) << page;  // no month lines
        }
        for (int page = 9; page <= 16; ++page) {
            const std::vector<std::string> lines = Lines(report.Page(page));
            int zeros = 0;
            for (const std::string& line : lines)
                if (line.ends_with(" :        0         0")) ++zeros;
            EXPECT_EQ(zeros, kTechniqueCount) << page;
        }
    }
}

TEST(Report, PageHeaderAndLocalDate) {
    EXPECT_EQ(StatisticsPageHeader("2024.01.02"), std::string(70, '*') + "\r\n* マスヴォ\r\n* 履歴統計　　2024.01.02\r\n" +
                                                      std::string(70, '*') + "\r\n\r\n");
    const char* saved = std::getenv("TZ");
    const std::string previous = saved ? saved : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(LocalDateText(0), "1970.01.01");
    EXPECT_EQ(LocalDateText(1735689599), "2024.12.31");
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    EXPECT_EQ(LocalDateText(1735689599), "2025.01.01");
    if (saved)
        ::setenv("TZ", previous.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
}  // namespace masuvo
