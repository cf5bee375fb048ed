// The report of the batch evaluation (全ファイル評価): one line per file, the
// technique summary of each, and totals per rank and overall.
#pragma once

#include <string>
#include <vector>

#include "engine/step_search.h"

namespace masuvo {

struct EvaluatedFile {
    std::string title;      // file name without folder and extension
    int solutionCount = 0;  // 0, 1, 2
    int solvable = 0;       // 1, 0, -1
    int difficulty = 0;
    Usage usage;
};

std::string EvaluationReport(const std::vector<EvaluatedFile>& files);

}  // namespace masuvo
