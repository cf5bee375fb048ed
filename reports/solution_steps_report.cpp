#include "reports/solution_steps_report.h"

#include <cstring>

#include "engine/catalogue.h"
#include "engine/text_format.h"
#include "reports/text_columns.h"

namespace masuvo {

namespace {

// The last technique of each group; a blank line follows it.
bool EndsGroup(int technique) {
    for (int last : {1, 3, 4, 6, 9, 12, 15, 18, 20, 22, 26})
        if (technique == last) return true;
    return false;
}

// Every sentence on its own line, the next one of the same step indented.
std::string SentencePerLine(const std::string& log) {
    static const std::string kFullStop = "。";
    std::string out;
    size_t start = 0;
    for (size_t at = log.find(kFullStop); at != std::string::npos; at = log.find(kFullStop, start)) {
        out.append(log, start, at - start);
        out += "\r\n    ";
        start = at + kFullStop.size();
    }
    out.append(log, start, std::string::npos);
    return out;
}

}  // namespace

std::string TechniqueSummary(const Usage& usage, const std::string& separator, int width) {
    std::string text;
    for (int i = 0; i < kTechniqueCount; ++i) {
        text += PadRight(TechniqueName(i), 23);
        text += Format("  : %*d    (%*d)", width, usage.count[i], width, usage.follow[i]);
        text += separator;
        if (EndsGroup(i)) text += separator;
    }
    return text;
}

std::string SolutionStepsReport(const std::string& name, const KR_base& grid) {
    std::string text = name + "\r\n\r\n" + "\r\n◆ 解答手順 ********************************\r\n\r\n";
    KR_solver board;
    std::memcpy(board.value, grid.value, sizeof board.value);
    Usage usage;
    const int result = SolveByLogic(board, usage);
    text += SentencePerLine(board.logText);
    if (result == 0) text += "完成しません。\r\n\r\n";
    if (result < 0) text += "エラー：" + board.errorText + "\r\n\r\n";
    text += "\r\n◆ サマリ **********************************\r\n\r\n";
    text += TechniqueSummary(usage, "\r\n", 2);
    return text;
}

}  // namespace masuvo
