#include "engine/rating.h"

namespace masuvo {

const int32_t kDifficultyWeight[kTechniqueCount] = {
    10,   20,   30,   60,   300,  240,  360,  600,  900,  1200, 720,  1080, 1440, 1200, 1800,
    2400, 1440, 2160, 2880, 1800, 1800, 3600, 4800, 3600, 4800, 6000, 5400, 3600, 4800, 6000,
};

const int32_t kCandidateDisplayWeight[kTechniqueCount] = {
    0,    0,   0,    0,    240,  60,   120,  120,  180,  240,  120,  180,  240,  900,  1350,
    1800, 900, 1350, 1800, 900,  900,  1800, 2400, 1800, 2400, 3000, 2700, 1800, 2400, 3000,
};

const int32_t kRankLowerBound[kRankCount] = {0, 450, 900, 1800, 2700, 3600, 7200, 14400, 28800, 57600};

namespace {

const char* const kRankNames[kRankCount] = {
    "基本", "初級", "中級", "上級", "超上級", "超絶難問", "究極激難問", "神", "主神", "最高神",
};

int32_t WeightedSum(const Usage& usage, const int32_t weights[kTechniqueCount]) {
    int32_t sum = 0;
    for (int i = 0; i < kTechniqueCount; ++i) sum += usage.count[i] * weights[i];
    return sum;
}

}  // namespace

int32_t DifficultyScore(const Usage& usage) { return WeightedSum(usage, kDifficultyWeight); }
int32_t CandidateDisplayScore(const Usage& usage) { return WeightedSum(usage, kCandidateDisplayWeight); }

int RankOfScore(int32_t score) {
    if (score == 0) return -1;
    int rank = 0;
    for (int i = 1; i < kRankCount; ++i)
        if (score >= kRankLowerBound[i]) rank = i;
    return rank;
}

const char* RankName(int32_t score) { return RankNameOfIndex(RankOfScore(score)); }

const char* RankNameOfIndex(int rank) {
    if (rank < 0 || rank >= kRankCount) return "";
    return kRankNames[rank];
}

}  // namespace masuvo
