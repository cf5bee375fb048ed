#include "reports/evaluation_report.h"

#include <algorithm>

#include "engine/rating.h"
#include "engine/text_format.h"
#include "reports/solution_steps_report.h"
#include "reports/text_columns.h"

namespace masuvo {

namespace {

const char* SolutionText(int count) {
    switch (count) {
        case 0: return "無解";
        case 1: return "単解";
        default: return "複解";
    }
}

const char* SolvableText(int solvable) {
    switch (solvable) {
        case 1: return "可解";
        case 0: return "不可解";
        default: return "不良";
    }
}

const std::string kAsterisks = "\r\n" + std::string(89, '*') + "\r\n\r\n";

}  // namespace

std::string EvaluationReport(const std::vector<EvaluatedFile>& files) {
    int titleWidth = 0;
    for (const EvaluatedFile& file : files) titleWidth = std::max(titleWidth, DisplayWidth(file.title));

    std::string list;
    std::string detail;
    Usage overall;
    Usage perRank[kRankCount];
    int filesPerRank[kRankCount] = {};
    int number = 0;
    int readable = 0;
    for (const EvaluatedFile& file : files) {
        ++number;
        if (!file.readable) {
            list += Format("%3d  ", number) + PadRight(file.title, titleWidth) + "  ファイルを読込めません。\r\n";
            continue;
        }
        ++readable;
        const std::string line = Format("%3d  ", number) + PadRight(file.title, titleWidth) + "  状態：" +
                                 PadRight(SolutionText(file.solutionCount), 4) + "　" +
                                 PadRight(SolvableText(file.solvable), 6) + "　　難易度：" +
                                 PadLeft(WithSeparators(file.difficulty), 7) + "　　" +
                                 PadRight(RankName(file.difficulty), 10) + "\r\n";
        list += line;
        detail += kAsterisks + line + "\r\n" + TechniqueSummary(file.usage, "\r\n", 2);
        if (file.difficulty != 0) {
            const int rank = RankOfScore(file.difficulty);
            ++filesPerRank[rank];
            AddUsage(file.usage, perRank[rank]);
        }
        AddUsage(file.usage, overall);
    }

    std::string report = list + detail;
    for (int rank = 0; rank < kRankCount; ++rank) {
        if (filesPerRank[rank] == 0) continue;
        report += kAsterisks + Format("○ 解法合計 %s[%d]\r\n\r\n", RankNameOfIndex(rank), filesPerRank[rank]);
        report += TechniqueSummary(perRank[rank], "\r\n", 5);
    }
    report += kAsterisks + Format("● 解法合計 全体[%d]\r\n\r\n", readable);
    report += TechniqueSummary(overall, "\r\n", 5);
    return report;
}

}  // namespace masuvo
