#include "records/practice_choice.h"

#include <algorithm>

namespace masuvo {

namespace {

constexpr int kMostOfOneTechnique = 4;
// The box from which a basic technique counts as learnt enough to move on.
constexpr int kIntroductionBox = 2;

}  // namespace

int NextPracticeBox(int box, const PracticeEntry& entry) {
    const bool helped = entry.hints > 0 || entry.details > 0 || entry.hintExecutions > 0 || !entry.solved;
    const bool timed = entry.estimatedSeconds > 0;
    // The record file may hold any non-negative int, so the doubling is done wide.
    if (helped || (timed && entry.seconds > 2LL * entry.estimatedSeconds)) return 1;
    if (!timed || entry.seconds <= entry.estimatedSeconds) return std::min(box + 1, kTopBox);
    return std::max(box, 1);
}

int PracticeBox(const std::vector<PracticeEntry>& record, int technique) {
    int box = 0;
    for (const PracticeEntry& entry : record)
        if (entry.technique == technique) box = NextPracticeBox(box, entry);
    return box;
}

bool IsBasicTechnique(int technique) { return technique >= 0 && technique < kTechniqueCount && Technique(technique).ceiling == 0; }

std::vector<int> NextDrillNumbers(const std::vector<int>& used, int count) {
    std::vector<int> numbers;
    for (int n = 1; static_cast<int>(numbers.size()) < count; ++n)
        if (std::find(used.begin(), used.end(), n) == used.end()) numbers.push_back(n);
    return numbers;
}

std::vector<DrillChoice> RecommendDrills(const TechniqueProfile& profile, int count) {
    const auto& figures = profile.techniques;
    bool basicsLearnt = true;
    for (int t = 0; t < kTechniqueCount; ++t)
        if (IsBasicTechnique(t) && figures[t].box < kIntroductionBox) basicsLearnt = false;

    std::vector<int> offered;
    std::vector<int> newcomers;  // not met yet, in catalogue order
    for (int t = 0; t < kTechniqueCount; ++t) {
        if (figures[t].Met() || figures[t].box > 0 || IsBasicTechnique(t))
            offered.push_back(t);
        else
            newcomers.push_back(t);
    }
    std::stable_sort(offered.begin(), offered.end(), [&](int a, int b) {
        const TechniqueFigures& x = figures[a];
        const TechniqueFigures& y = figures[b];
        if (x.box != y.box) return x.box < y.box;
        if (x.HintRate() != y.HintRate()) return x.HintRate() > y.HintRate();
        if (x.medianRatio != y.medianRatio) return x.medianRatio > y.medianRatio;
        return a < b;
    });

    std::vector<DrillChoice> drills;
    const auto take = [&](int t) {
        const int n = std::min(kMostOfOneTechnique, count - static_cast<int>(drills.size()));
        for (int number : NextDrillNumbers(figures[t].drillNumbers, n)) drills.push_back({t, number});
    };
    // One new technique per set, among the box-0 ones it belongs with;
    // more only while the set would otherwise stay short.
    size_t nextNewcomer = 0;
    if (basicsLearnt && !newcomers.empty()) {
        const auto firstAbove = std::find_if(offered.begin(), offered.end(), [&](int t) { return figures[t].box > 0; });
        offered.insert(firstAbove, newcomers[nextNewcomer++]);
    }
    for (int t : offered) {
        if (static_cast<int>(drills.size()) >= count) break;
        take(t);
    }
    while (basicsLearnt && static_cast<int>(drills.size()) < count && nextNewcomer < newcomers.size())
        take(newcomers[nextNewcomer++]);
    return drills;
}

}  // namespace masuvo
