#include "vision/rule_check.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/board.h"
#include "engine/brute_force.h"

namespace masuvo {

namespace {

// The other readings tried: the least costly ones over the whole board, and
// fewer of them for three changes at once unless digits clash (a set must
// then undo every clash, which is checked before any count), so that a
// hopeless reading costs a few hundred counts at most.
constexpr size_t kChangesTried = 16;
constexpr int kChangesTriedInThrees = 10;
constexpr size_t kClashingReadings = 3;
constexpr size_t kMostChanges = 48;
// Readings far less likely than this share of the voted one are no
// alternative: on the tuning photos, mends through readings the classifier
// all but ruled out gave boards with one solution that were still wrong.
constexpr double kLeastShare = 0.05;
constexpr double kEmptyShare = 0.25;

struct Change {
    int cell;
    int digit;
    double cost;  // log of how much less likely than the voted digit
};

struct ChangeSet {
    int members[kMaxMendedCells];
    int size;
    double cost;
};

int CountOf(const std::array<int, kReadingCells>& digits, KR_solver& board) {
    for (int cell = 0; cell < kReadingCells; ++cell) board.value[cell / 9][cell % 9] = digits[cell];
    return CountSolutions(board, nullptr);
}

// The other readings to try. Where digits clash, one of the clashing cells
// must be misread, however sure the classifier was of it: their three most
// likely other readings all come first. Then the least costly other
// readings of the whole board.
std::vector<Change> OtherReadings(const std::array<int, kReadingCells>& read, const ReadingLikelihoods& likelihoods,
                                  const std::array<bool, kReadingCells>& conflict) {
    std::vector<Change> clashing, elsewhere;
    for (int cell = 0; cell < kReadingCells; ++cell) {
        const std::array<double, 10>& l = likelihoods[cell];
        const double voted = l[read[cell]];
        if (!(voted > 0.0)) continue;
        std::vector<Change> own;
        for (int d = 0; d <= 9; ++d) {
            if (d == read[cell] || !(l[d] > kLeastShare * voted)) continue;
            // Emptying a cell mends any clash, so it is tried only where
            // many runs found no ink; a cell read empty may gain any digit.
            if (d == 0 && !(l[0] >= kEmptyShare * voted)) continue;
            own.push_back({cell, d, std::log(voted / l[d])});
        }
        std::stable_sort(own.begin(), own.end(), [](const Change& a, const Change& b) { return a.cost < b.cost; });
        if (conflict[cell] && own.size() > kClashingReadings) own.resize(kClashingReadings);
        (conflict[cell] ? clashing : elsewhere).insert((conflict[cell] ? clashing : elsewhere).end(), own.begin(),
                                                       own.end());
    }
    const auto byCost = [](const Change& a, const Change& b) { return a.cost < b.cost; };
    std::stable_sort(clashing.begin(), clashing.end(), byCost);
    std::stable_sort(elsewhere.begin(), elsewhere.end(), byCost);
    if (elsewhere.size() > kChangesTried) elsewhere.resize(kChangesTried);
    clashing.insert(clashing.end(), elsewhere.begin(), elsewhere.end());
    if (clashing.size() > kMostChanges) clashing.resize(kMostChanges);
    return clashing;
}

// Every set of `size` (1 to 3) changes of distinct cells among the first
// `limit`, the most likely first.
std::vector<ChangeSet> SetsOfSize(const std::vector<Change>& changes, int size, int limit) {
    const int n = std::min<int>(limit, static_cast<int>(changes.size()));
    const auto cell = [&changes](int k) { return changes[k].cell; };
    std::vector<ChangeSet> sets;
    for (int a = 0; a < n; ++a) {
        if (size == 1) {
            sets.push_back({{a, 0, 0}, 1, changes[a].cost});
            continue;
        }
        for (int b = a + 1; b < n; ++b) {
            if (cell(b) == cell(a)) continue;
            if (size == 2) {
                sets.push_back({{a, b, 0}, 2, changes[a].cost + changes[b].cost});
                continue;
            }
            for (int c = b + 1; c < n; ++c) {
                if (cell(c) == cell(a) || cell(c) == cell(b)) continue;
                sets.push_back({{a, b, c}, 3, changes[a].cost + changes[b].cost + changes[c].cost});
            }
        }
    }
    std::stable_sort(sets.begin(), sets.end(), [](const ChangeSet& x, const ChangeSet& y) { return x.cost < y.cost; });
    return sets;
}

}  // namespace

bool UnitsHoldDistinctDigits(const std::array<int, kReadingCells>& digits, std::array<bool, kReadingCells>* conflict) {
    if (conflict) conflict->fill(false);
    bool distinct = true;
    for (int unit = 0; unit < 27; ++unit) {
        int cells[9];
        for (int k = 0; k < 9; ++k) {
            const int u = unit % 9;
            cells[k] = unit < 9    ? 9 * u + k
                       : unit < 18 ? 9 * k + u
                                   : 9 * (3 * (u / 3) + k / 3) + 3 * (u % 3) + k % 3;
        }
        for (int a = 0; a < 9; ++a) {
            for (int b = a + 1; b < 9; ++b) {
                const int d = digits[cells[a]];
                if (d == 0 || d != digits[cells[b]]) continue;
                distinct = false;
                if (!conflict) return false;
                (*conflict)[cells[a]] = (*conflict)[cells[b]] = true;
            }
        }
    }
    return distinct;
}

RuleCheck CheckReadingRules(const std::array<int, kReadingCells>& read, const ReadingLikelihoods& likelihoods) {
    RuleCheck check;
    check.digits = read;
    KR_solver board;
    const bool distinct = UnitsHoldDistinctDigits(read, &check.conflict);
    const int count = distinct ? CountOf(read, board) : 0;
    if (count == 1) return check;
    check.outcome = distinct && count != 0 ? RuleOutcome::kSeveral : RuleOutcome::kBroken;

    const std::vector<Change> changes = OtherReadings(read, likelihoods, check.conflict);
    for (int size = 1; size <= kMaxMendedCells; ++size) {
        const int limit = size == kMaxMendedCells && distinct ? kChangesTriedInThrees : static_cast<int>(changes.size());
        for (const ChangeSet& set : SetsOfSize(changes, size, limit)) {
            std::array<int, kReadingCells> tried = read;
            for (int m = 0; m < set.size; ++m) tried[changes[set.members[m]].cell] = changes[set.members[m]].digit;
            if (!UnitsHoldDistinctDigits(tried) || CountOf(tried, board) != 1) continue;
            check.digits = tried;
            check.conflict.fill(false);
            for (int m = 0; m < set.size; ++m) check.changed[changes[set.members[m]].cell] = true;
            check.outcome = RuleOutcome::kMended;
            return check;
        }
    }
    return check;
}

}  // namespace masuvo
