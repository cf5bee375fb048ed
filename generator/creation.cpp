#include "generator/creation.h"

#include <climits>
#include <cstring>

#include "engine/brute_force.h"
#include "engine/rating.h"
#include "engine/text_format.h"
#include "generator/kr_generator.h"
#include "generator/ordered_search.h"

namespace masuvo {

namespace {

bool Used(const Usage& usage, int technique) { return usage.count[technique] >= 1; }

bool AnyUsed(const Usage& usage, std::initializer_list<int> techniques) {
    for (int t : techniques)
        if (Used(usage, t)) return true;
    return false;
}

KR_base GridOf(const int board[9][9]) {
    KR_base grid;
    std::memcpy(grid.value, board, sizeof grid.value);
    return grid;
}

}  // namespace

int32_t RatedSeed(int number, int symmetry, int rank, int iteration) {
    const uint32_t sum = static_cast<uint32_t>(number) * 937u + static_cast<uint32_t>(symmetry) * 807371u +
                         static_cast<uint32_t>(rank) * 540691u + static_cast<uint32_t>(iteration) * 99709u;
    return static_cast<int32_t>(sum);
}

int32_t UnsolvableSeed(int number, int symmetry, int iteration) {
    const uint32_t sum = static_cast<uint32_t>(iteration) * 100043u + static_cast<uint32_t>(symmetry) * 100019u +
                         static_cast<uint32_t>(number);
    return static_cast<int32_t>(sum);
}

int32_t TargetedSeed(int number, int symmetry, int rank, int technique, int iteration) {
    // The term is odd and far from the other factors, so a technique's seeds
    // do not line up with the untargeted seeds of nearby numbers.
    const uint32_t term = technique < 0 ? 0u : static_cast<uint32_t>(technique + 1) * 2654435761u;
    return static_cast<int32_t>(static_cast<uint32_t>(RatedSeed(number, symmetry, rank, iteration)) + term);
}

bool MeetsRankCondition(int rank, const Usage& usage) {
    switch (rank) {
        case 1: return Used(usage, 3);
        case 2: return AnyUsed(usage, {5, 6}) && !AnyUsed(usage, {7, 8, 10, 11});
        case 3: return AnyUsed(usage, {7, 8, 10, 11}) && !AnyUsed(usage, {19, 20});
        case 4: return AnyUsed(usage, {19, 20}) && !AnyUsed(usage, {21, 22, 23, 24, 25, 27, 28, 29});
        case 5: return AnyUsed(usage, {23, 27}) && !AnyUsed(usage, {21, 22, 24, 25, 28, 29});
        default: return true;
    }
}

bool RankAllowsTechnique(int rank, int technique) {
    if (rank < 0 || rank >= kRankCount || technique < 0 || technique >= kTechniqueCount) return false;
    // The digging ceiling of a rank is its index; ceilings above 6 admit everything.
    if (Technique(technique).ceiling > rank) return false;
    Usage usage;
    usage.count[technique] = 1;
    switch (rank) {
        case 2: return !AnyUsed(usage, {7, 8, 10, 11});
        case 3: return !AnyUsed(usage, {19, 20});
        case 4: return !AnyUsed(usage, {21, 22, 23, 24, 25, 27, 28, 29});
        case 5: return !AnyUsed(usage, {21, 22, 24, 25, 28, 29});
        default: return true;
    }
}

int LowestRankAllowing(int technique) {
    for (int rank = 0; rank < kRankCount; ++rank)
        if (RankAllowsTechnique(rank, technique)) return rank;
    return -1;
}

CreationOutcome CreateRated(const CreationRequest& request) {
    const int rank = request.rank;
    const int technique = request.technique;
    if (technique >= 0 && !RankAllowsTechnique(rank, technique)) {
        // Refused at once: no seed could ever meet the condition.
        CreationOutcome refused;
        refused.status = CreationStatus::Failed;
        return refused;
    }
    const int32_t lo = kRankLowerBound[rank];
    const int32_t hi = rank + 1 < kRankCount ? kRankLowerBound[rank + 1] : INT_MAX;
    return SearchInOrder(request, [&](int i, KR_base& puzzle) {
        KR_generator generator;
        generator.Reset();
        generator.Seed(SeedValue(TargetedSeed(request.number, request.symmetry, rank, technique, i)));
        generator.DigRated(rank, hi, request.symmetry, request.cancel);
        // A dig cut short by a cancel is not worth rating: the rating of a
        // hard board is the other long step of an iteration.
        if (Cancelled(request)) return false;

        KR_solver rater;
        std::memcpy(rater.value, generator.saved, sizeof rater.value);
        Usage usage;
        SolveByLogic(rater, usage, request.cancel);
        if (Cancelled(request)) return false;
        const int32_t score = DifficultyScore(usage);
        if (score < lo || score >= hi || !MeetsRankCondition(rank, usage)) return false;
        if (technique >= 0 && usage.count[technique] < 1) return false;

        KR_solver counter;
        std::memcpy(counter.value, generator.saved, sizeof counter.value);
        if (CountSolutions(counter, nullptr) != 1) return false;
        puzzle = GridOf(generator.saved);
        return true;
    });
}

CreationOutcome CreateUnsolvable(const CreationRequest& request) {
    return SearchInOrder(request, [&](int i, KR_base& puzzle) {
        KR_generator generator;
        generator.Reset();
        generator.Seed(SeedValue(UnsolvableSeed(request.number, request.symmetry, i)));
        if (!generator.DigUnsolvable(request.symmetry, request.cancel)) return false;
        puzzle = GridOf(generator.board);
        return true;
    });
}

std::string RatedPuzzleName(int rank, int symmetry, int number, int technique) {
    if (technique >= 0)
        return Format("自動作成(%s・%s)[%s]_%d", RankNameOfIndex(rank), TechniqueName(technique),
                      SymmetryName(symmetry), number);
    return Format("自動作成(%s)[%s]_%d", RankNameOfIndex(rank), SymmetryName(symmetry), number);
}

std::string UnsolvablePuzzleName(int symmetry, int number) {
    return Format("自動作成(解けない問題)[%s]_%d", SymmetryName(symmetry), number);
}

}  // namespace masuvo
