// Difficulty in seconds, the candidate-display score and the ten ranks.
#pragma once

#include <cstdint>

#include "engine/step_search.h"

namespace masuvo {

constexpr int kRankCount = 10;

extern const int32_t kDifficultyWeight[kTechniqueCount];
extern const int32_t kCandidateDisplayWeight[kTechniqueCount];
// Lower score limit of each rank; rank-targeted creation aims at these bands.
extern const int32_t kRankLowerBound[kRankCount];

int32_t DifficultyScore(const Usage& usage);
int32_t CandidateDisplayScore(const Usage& usage);
// -1 for a score of 0.
int RankOfScore(int32_t score);
// Empty for a score of 0.
const char* RankName(int32_t score);
const char* RankNameOfIndex(int rank);

}  // namespace masuvo
