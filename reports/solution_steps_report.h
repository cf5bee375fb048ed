// The solution-steps report (解答手順) and the technique summary shared with
// the batch evaluation.
#pragma once

#include <string>

#include "engine/board.h"
#include "engine/step_search.h"

namespace masuvo {

// Every technique with its count and follow count, names padded to 23 columns,
// groups separated by an extra separator. width is 2 (narrow) or 5 (wide).
std::string TechniqueSummary(const Usage& usage, const std::string& separator, int width);

// Solves the grid with the rating run and writes every step and the summary.
std::string SolutionStepsReport(const std::string& name, const KR_base& grid);

}  // namespace masuvo
