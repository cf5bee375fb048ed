// The thirty techniques, their order of preference and the technique ceiling.
#pragma once

#include "engine/board.h"

namespace masuvo {

constexpr int kTechniqueCount = 30;

struct TechniqueEntry {
    const char* name;
    TechniqueRoutine routine;  // with its size n bound
    int ceiling;               // the smallest ceiling of the limited search that admits it
};

const TechniqueEntry& Technique(int index);
const char* TechniqueName(int index);

// The eliminating entries in the order the step search tries them.
constexpr int kPhase1Count = 25;
constexpr int kPhase1Order[kPhase1Count] = {5,  6,  7,  10, 13, 16, 8,  11, 14, 17, 9,  12, 15,
                                  18, 19, 20, 23, 27, 28, 21, 22, 24, 25, 26, 29};
// The entries of the shortcut search.
constexpr int kPhase2List[9] = {7, 10, 13, 16, 19, 20, 23, 27, 21};

}  // namespace masuvo
