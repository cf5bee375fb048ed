#include <gtest/gtest.h>

#include "reports/evaluation_report.h"
#include "reports/solution_steps_report.h"
#include "reports/text_columns.h"

namespace masuvo {
namespace {

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

TEST(TextColumns, WidthsPaddingAndSeparators) {
    EXPECT_EQ(DisplayWidth("陰の定員確定2(ブロック)"), 23);
    EXPECT_EQ(DisplayWidth("定員確定2(ブロック)"), 19);
    EXPECT_EQ(PadRight("単解", 4), "単解");
    EXPECT_EQ(PadRight("可解", 6), "可解  ");
    EXPECT_EQ(PadLeft("1,500", 7), "  1,500");
    const struct {
        long long value;
        const char* text;
    } cases[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"}, {-1234, "-1,234"}};
    for (const auto& c : cases) EXPECT_EQ(WithSeparators(c.value), c.text);
}

TEST(Reports, TechniqueSummaryAlignsEveryColon) {
    Usage usage;
    usage.count[2] = 12;
    usage.follow[5] = 3;
    const auto lines = Lines(TechniqueSummary(usage, "\r\n", 2));
    // 30 technique lines, 11 group breaks, and the text after the last separator.
    ASSERT_EQ(lines.size(), 30u + 11u + 1u);
    EXPECT_EQ(lines[0], "ブロックの完成           :  0    ( 0)");
    EXPECT_EQ(lines[2], "");  // after ラインの完成
    EXPECT_EQ(lines[3], "ブロック内の配置         : 12    ( 0)");
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        const size_t colon = line.find("  : ");
        ASSERT_NE(colon, std::string::npos) << line;
        EXPECT_EQ(DisplayWidth(line.substr(0, colon)), 23) << line;
    }
    const std::string wide = TechniqueSummary(usage, "\n", 5);
    EXPECT_NE(wide.find("隠れた数字" + std::string(13, ' ') + "  :     0    (    3)\n"), std::string::npos);
}

TEST(Reports, SolutionStepsPutsEverySentenceOnItsOwnLine) {
    KR_base grid;
    // Two cells missing: two block completions.
    ASSERT_TRUE(ParseGrid("534678912672195348198342567859761423426853791713924856961537284287419635345286179", grid));
    grid.value[0][0] = 0;
    grid.value[8][8] = 0;
    const std::string report = SolutionStepsReport("例題1", grid);
    EXPECT_EQ(report.rfind("例題1\r\n\r\n\r\n◆ 解答手順 ********************************\r\n\r\n", 0), 0u);
    EXPECT_NE(report.find(" 1: ブロックの完成です\r\n    \r\n 2: ブロックの完成です\r\n    \r\n"), std::string::npos);
    EXPECT_NE(report.find("\r\n◆ サマリ **********************************\r\n\r\nブロックの完成           :  2    ( 0)"),
              std::string::npos);
    EXPECT_EQ(report.find("完成しません。"), std::string::npos);
}

TEST(Reports, SolutionStepsOfStuckAndContradictoryBoards) {
    KR_base empty;
    EXPECT_NE(SolutionStepsReport("", empty).find("完成しません。\r\n\r\n"), std::string::npos);
    KR_base duplicate;
    duplicate.value[0][0] = 5;
    duplicate.value[0][1] = 5;
    // Two 5s in block 0 leave block 7 no place for 5 once the techniques run.
    EXPECT_NE(SolutionStepsReport("x", duplicate).find("エラー：ブロック7に、5 の候補がありません。\r\n\r\n"),
              std::string::npos);
}

TEST(Reports, EvaluationPadsTitlesAndTotalsPerRank) {
    EvaluatedFile easy{"例題1", 1, 1, 300, {}};
    easy.usage.count[2] = 10;
    EvaluatedFile stuck{"b", 1, 0, 0, {}};
    EvaluatedFile hard{"c", 2, 1, 12345, {}};
    hard.usage.count[27] = 1;
    const std::string report = EvaluationReport({easy, stuck, hard});
    const auto lines = Lines(report);
    EXPECT_EQ(lines[0], "  1  例題1  状態：単解　可解  　　難易度：    300　　基本      ");
    EXPECT_EQ(lines[1], "  2  b      状態：単解　不可解　　難易度：      0　　          ");
    EXPECT_EQ(lines[2], "  3  c      状態：複解　可解  　　難易度： 12,345　　究極激難問");
    EXPECT_NE(report.find("○ 解法合計 基本[1]\r\n\r\n"), std::string::npos);
    EXPECT_NE(report.find("○ 解法合計 究極激難問[1]\r\n\r\n"), std::string::npos);
    EXPECT_NE(report.find("● 解法合計 全体[3]\r\n\r\nブロックの完成           :     0    (    0)"), std::string::npos);
    EXPECT_NE(report.find(std::string(89, '*')), std::string::npos);
}

TEST(Reports, EvaluationListsAnUnreadableFileAndCountsItNowhere) {
    EvaluatedFile easy{"a", 1, 1, 300, {}};
    easy.usage.count[2] = 10;
    EvaluatedFile broken{"壊れたファイル", 0, 0, 0, {}, false};
    const std::string report = EvaluationReport({broken, easy});
    const auto lines = Lines(report);
    EXPECT_EQ(lines[0], "  1  壊れたファイル  ファイルを読込めません。");
    EXPECT_EQ(lines[1], "  2  a               状態：単解　可解  　　難易度：    300　　基本      ");
    EXPECT_EQ(report.find("壊れたファイル", 10), std::string::npos) << "no summary of the unreadable file";
    EXPECT_NE(report.find("● 解法合計 全体[1]\r\n\r\n"), std::string::npos);
    EXPECT_NE(report.find("● 解法合計 全体[1]\r\n\r\nブロックの完成           :     0    (    0)\r\n"
                          "ラインの完成             :     0    (    0)\r\n\r\n"
                          "ブロック内の配置         :    10    (    0)"),
              std::string::npos);
}

}  // namespace
}  // namespace masuvo
