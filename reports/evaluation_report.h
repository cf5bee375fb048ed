// The report of the batch evaluation (全ファイル評価): one line per file, the
// technique summary of each, and totals per rank and overall. A file that
// could not be read keeps its number in the list and adds to no total.
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
    bool readable = true;  // false: listed as unreadable, counted nowhere
};

std::string EvaluationReport(const std::vector<EvaluatedFile>& files);

}  // namespace masuvo
