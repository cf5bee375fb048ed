// Practice boxes and the おすすめ set: which drills the player's own record
// asks for next.
#pragma once

#include <vector>

#include "records/practice_record.h"
#include "records/technique_profile.h"

namespace masuvo {

struct DrillChoice {
    int technique;
    int number;
};

constexpr int kTopBox = 5;

// The box 0–5 of one drill's result applied to the box before it: solved
// without any hint, 詳細 or ヒント実行 within the estimate moves up one; any
// help, an unsolved drill or more than twice the estimate goes back to 1;
// anything else keeps the box (a first drill lands in 1 at least). An
// estimate of 0 or less judges by the help alone.
int NextPracticeBox(int box, const PracticeEntry& entry);

// The box of a technique: NextPracticeBox folded over its entries in record
// order, from 0.
int PracticeBox(const std::vector<PracticeEntry>& record, int technique);

// The basic techniques (the completions and single placements): the ones
// every player starts with.
bool IsBasicTechnique(int technique);

// Up to count drills: techniques from the lowest box up, within a box the
// weakest first (highest hint rate, then highest time ratio, then catalogue
// order), at most four drills of one technique. The basic techniques are
// always on offer; once every one of them is in box 2 or higher, the
// techniques not met yet join in catalogue order, one per set. Each drill
// takes the next number that is not in the record.
std::vector<DrillChoice> RecommendDrills(const TechniqueProfile& profile, int count = 10);

// The next count numbers of a technique that are not among used (ascending).
std::vector<int> NextDrillNumbers(const std::vector<int>& used, int count);

}  // namespace masuvo
