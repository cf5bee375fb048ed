// The player's technique profile: per catalogue technique, how the judged
// moves of the finished copies and the drills of the practice record went.
// Plain data; the profile builder fills it, the practice choice and the
// windows read it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/catalogue.h"

namespace masuvo {

// A ratio, hint rate or median that has nothing to be computed from.
constexpr double kNoFigure = -1.0;

// The figures of a stretch of moves or drills (the first or last ten).
struct FigureStretch {
    int count = 0;
    int hinted = 0;                // with a hint, 詳細 or ヒント実行 (drills: or not solved)
    double medianRatio = kNoFigure;  // seconds ÷ estimated seconds
};

struct TechniqueFigures {
    int moves = 0;                 // judged moves whose needed steps used it
    int hinted = 0;                // of them, with a hint, 詳細 or ヒント実行 before the placement
    double medianRatio = kNoFigure;  // median of seconds ÷ estimated seconds over the moves with an estimate
    std::string lastMet;           // "YYYY/MM/DD" of the latest move or drill; empty: never met
    int box = 0;                   // practice box 0–5
    int drills = 0;                // entries in the practice record
    std::vector<int> drillNumbers;  // the numbers in the practice record, ascending, once each
    // Progress: the first and the last ten moves and drills, in date order
    // (they overlap when there are fewer than twenty).
    FigureStretch first;
    FigureStretch last;

    bool Met() const { return moves > 0 || drills > 0; }
    double HintRate() const { return moves > 0 ? static_cast<double>(hinted) / moves : kNoFigure; }
};

struct TechniqueProfile {
    std::array<TechniqueFigures, kTechniqueCount> techniques;
    int filesRead = 0;
    int filesSkipped = 0;     // damaged or foreign files
    int recordLinesSkipped = 0;  // unreadable lines of the practice record
    bool cancelled = false;   // the builder stopped early; the figures are partial
};

}  // namespace masuvo
