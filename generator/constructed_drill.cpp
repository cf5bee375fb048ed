// Drill puzzles built to order.
//
// Some techniques are the first to move only in positions that play rarely
// reaches: a naked four in a unit is found by the hidden subsets first
// unless the whole unit is empty, and a four-line fish comes after the
// chains and the two-set almost-locked rule in the step search's order.
// Digging a random grid meets those positions once in tens of thousands of
// puzzles at best, so they are built instead: from a seeded solution grid,
// a set of givens is annealed (a given taken out or put back per move, never
// leaving one solution) until the run of every technique tried before the
// target stalls on a position where the target applies, with the cells that
// must stay empty for it still empty, and its removals leave a single at
// once. Everything follows from the technique and the attempt number.
#include "generator/constructed_drill.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstring>
#include <vector>

#include "engine/brute_force.h"
#include "engine/candidates.h"
#include "engine/catalogue.h"
#include "engine/step_search.h"
#include "generator/kr_generator.h"

namespace masuvo {

namespace {

// Catalogue entries whose positions need cells kept empty.
constexpr int kNakedSubsetsInBlock[] = {13, 14, 15};
constexpr int kNakedSubsetsInLine[] = {16, 17, 18};
constexpr int kFourLineFish = 22;

bool IsOneOf(int technique, const int (&entries)[3]) {
    return std::find(std::begin(entries), std::end(entries), technique) != std::end(entries);
}

struct Random {
    uint64_t state;
    uint64_t Next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
};

// The eliminating techniques the step search tries before the target.
std::vector<int> TriedBefore(int technique) {
    std::vector<int> before;
    for (int index : kPhase1Order) {
        if (index == technique) break;
        before.push_back(index);
    }
    return before;
}

// The cells that have to stay empty: a block for the block form of the
// naked subsets, a row or column for the line form, and for the four-line
// fish every cell of one digit (with a digit placed twice, the fish of the
// other five lines is a smaller one on the columns, tried first).
std::vector<int> KeptEmpty(int technique, const KR_base& solution, Random& random) {
    std::vector<int> cells;
    if (IsOneOf(technique, kNakedSubsetsInBlock)) {
        const int block = random.Below(9);
        for (int i = 0; i < 9; ++i) cells.push_back(BlockCell(block, i));
    } else if (IsOneOf(technique, kNakedSubsetsInLine)) {
        const int line = random.Below(9);
        const bool column = random.Below(2) == 1;
        for (int i = 0; i < 9; ++i) cells.push_back(column ? CellIndex(i, line) : CellIndex(line, i));
    } else if (technique == kFourLineFish) {
        const int digit = 1 + random.Below(9);
        for (int c = 0; c < 81; ++c)
            if (solution.value[c / 9][c % 9] == digit) cells.push_back(c);
    }
    return cells;
}

bool TryIndex(KR_solver& board, int index) {
    board.steps.clear();
    return TryTechnique(board, Technique(index).routine);
}

// One placement of the run limited to the techniques tried before the
// target, as the limited step search makes it; 0 when it stalls, leaving
// the stalled candidates on the board. `hardest` keeps the furthest entry of
// `before` that was needed, `eliminations` counts the removals' steps.
int LimitedStep(KR_solver& board, const std::vector<int>& before, int& hardest, int& eliminations) {
    PrepareBoard(board);
    for (int index = 0; index <= 4; ++index)
        if (TryIndex(board, index)) {
            board.value[board.placeRow][board.placeCol] = board.placeDigit;
            return 1;
        }
    for (;;) {
        bool eliminated = false;
        for (size_t i = 0; i < before.size(); ++i)
            if (TryIndex(board, before[i])) {
                eliminated = true;
                hardest = std::max(hardest, static_cast<int>(i));
                ++eliminations;
                break;
            }
        if (!eliminated) return 0;
        CountCandidates(board);
        if (!CheckCandidates(board)) return -1;
        for (int index = 2; index <= 4; ++index)
            if (TryIndex(board, index)) {
                board.value[board.placeRow][board.placeCol] = board.placeDigit;
                return 1;
            }
    }
}

// How far the candidates of one digit are from a fish of four lines that
// removes something: the fewest columns (rows) beyond four that four rows
// (columns) of the digit cover, plus one when nothing would be removed.
int FishShortfall(const KR_solver& board) {
    int best = 99;
    for (int d = 1; d <= 9; ++d)
        for (int columns = 0; columns < 2; ++columns) {
            unsigned lines[9];
            int used[9];
            int count = 0;
            for (int a = 0; a < 9; ++a) {
                lines[a] = 0;
                for (int b = 0; b < 9; ++b) {
                    const int cell = columns ? CellIndex(b, a) : CellIndex(a, b);
                    if (board.value[cell / 9][cell % 9] == 0 && board.cand[cell][d]) lines[a] |= 1u << b;
                }
                if (lines[a] != 0) used[count++] = a;
            }
            for (int i = 0; i < count; ++i)
                for (int j = i + 1; j < count; ++j)
                    for (int k = j + 1; k < count; ++k)
                        for (int l = k + 1; l < count; ++l) {
                            const unsigned cover = lines[used[i]] | lines[used[j]] | lines[used[k]] | lines[used[l]];
                            bool removes = false;
                            for (int m = 0; m < count; ++m)
                                if (m != i && m != j && m != k && m != l && (lines[used[m]] & cover)) removes = true;
                            best = std::min(best, std::max(0, CountBits(cover) - 4) + (removes ? 0 : 1));
                        }
        }
    return best;
}

// Whether the target applies to the grid's own candidates, or after one
// application of a technique tried before it: the removals the rest of the
// stalled run made may not all be needed, and a chain that needs many of
// them teaches the target poorly.
bool AppliesWithinOneStep(const KR_solver& grid, int technique, const std::vector<int>& before) {
    KR_solver trial;
    auto fresh = [&] {
        std::memcpy(trial.value, grid.value, sizeof trial.value);
        PrepareBoard(trial);
    };
    fresh();
    if (TryIndex(trial, technique)) return true;
    for (int index : before) {
        fresh();
        if (!TryIndex(trial, index)) continue;
        CountCandidates(trial);
        if (TryIndex(trial, technique)) return true;
    }
    return false;
}

struct Judgement {
    double cost = 0;
    bool unique = false;
    bool accepted = false;
};

// Lower is nearer a position where the target is the first to move; only
// givens with one solution are judged.
Judgement Judge(const int (&givens)[81], const KR_base& solution, int technique, const std::vector<int>& before,
                const std::vector<int>& empty) {
    Judgement j;
    KR_solver board;
    for (int c = 0; c < 81; ++c) board.value[c / 9][c % 9] = givens[c] ? solution.value[c / 9][c % 9] : 0;
    KR_solver counter;
    std::memcpy(counter.value, board.value, sizeof counter.value);
    j.unique = CountSolutions(counter, nullptr) == 1;
    if (!j.unique) return j;
    int r;
    int hardest = -1, eliminations = 0;
    while ((r = LimitedStep(board, before, hardest, eliminations)) == 1) {
    }
    int open = 0;
    for (int c = 0; c < 81; ++c) open += board.value[c / 9][c % 9] == 0;
    int filled = 0;
    for (int c : empty) filled += board.value[c / 9][c % 9] != 0;
    if (r < 0 || open == 0) {
        // Solved by the simpler techniques: the harder the techniques it
        // needed and the more of their removals, the nearer a stall.
        j.cost = 40 - 1.0 * hardest - 0.2 * std::min(eliminations, 50);
        return j;
    }
    KR_solver stalled;
    std::memcpy(stalled.value, board.value, sizeof stalled.value);
    const bool applies = TryIndex(board, technique);
    // The target's removals should leave a single at once: its chain is
    // then as short as an elimination's can be, and no later technique's
    // chain is shorter.
    bool follows = false;
    if (applies) {
        CountCandidates(board);
        for (int index = 2; index <= 4 && !follows; ++index) follows = TryIndex(board, index);
    }
    const double missing = !applies && technique == kFourLineFish ? 2.0 * FishShortfall(board) : (applies ? 0 : 6);
    j.cost = 4.0 * filled + missing + (follows ? 0 : 3);
    if (applies && follows && filled == 0) {
        j.accepted = AppliesWithinOneStep(stalled, technique, before);
        if (!j.accepted) j.cost += 2;
    }
    return j;
}

}  // namespace

bool ConstructDrillPuzzle(int technique, int attempt, KR_base& puzzle) {
    if (technique < 5 || technique >= kTechniqueCount) return false;
    KR_generator generator;
    generator.Reset();
    generator.Seed(0x5eed0000u + static_cast<uint64_t>(technique) * 1000003u + static_cast<uint64_t>(attempt) * 7919u);
    generator.StartDigging();
    KR_base solution;
    std::memcpy(solution.value, generator.board, sizeof solution.value);
    Random random{generator.Next() | 1};
    const std::vector<int> before = TriedBefore(technique);
    const std::vector<int> empty = KeptEmpty(technique, solution, random);
    int givens[81];
    for (int c = 0; c < 81; ++c) givens[c] = 1;
    for (int c : empty) givens[c] = 0;
    std::vector<int> free;
    for (int c = 0; c < 81; ++c)
        if (givens[c]) free.push_back(c);
    Judgement current = Judge(givens, solution, technique, before, empty);
    constexpr int kMoves = 6000;
    for (int move = 0; move < kMoves && !current.accepted; ++move) {
        const double temperature = 3.0 * (1.0 - static_cast<double>(move) / kMoves) + 0.05;
        const int cell = free[static_cast<size_t>(random.Below(static_cast<int>(free.size())))];
        givens[cell] ^= 1;
        const Judgement next = Judge(givens, solution, technique, before, empty);
        // Givens with several solutions are never a step on the way.
        if (next.unique && (next.cost <= current.cost || random.Unit() < std::exp((current.cost - next.cost) / temperature)))
            current = next;
        else
            givens[cell] ^= 1;
    }
    if (!current.accepted) return false;
    for (int c = 0; c < 81; ++c) puzzle.value[c / 9][c % 9] = givens[c] ? solution.value[c / 9][c % 9] : 0;
    return true;
}

}  // namespace masuvo
