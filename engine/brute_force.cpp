#include "engine/brute_force.h"

#include <cstring>

#include "engine/bit_board.h"
#include "engine/candidates.h"
#include "engine/techniques.h"

namespace masuvo {

namespace {

// The basic techniques in catalogue order; their first success is placed.
// They never touch the hint, so it needs no reset between calls.
bool PlaceBySingles(KR_solver& board) {
    if (BlockCompletion(board) || LineCompletion(board) || BlockSinglePlace(board) || LineSinglePlace(board) ||
        CellCompletion(board)) {
        board.value[board.placeRow][board.placeCol] = board.placeDigit;
        return true;
    }
    return false;
}

}  // namespace

namespace {

int FilledCells(const KR_solver& board) {
    int filled = 0;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c)
            if (board.value[r][c] != 0) ++filled;
    return filled;
}

// The earlier counter on unit masks, kept as the speed baseline of the
// benchmarks and a third opinion in the tests. Guesses take the first empty
// cell in row-major order and its digits in increasing order, as the
// reference does, and between guesses singles are placed until none is
// left, every cell rescanned after each placement.
class RescanCounter {
public:
    explicit RescanCounter(const KR_solver& board) {
        for (int k = 0; k < 81; ++k) grid_.value[k] = static_cast<uint8_t>(board.value[k / 9][k % 9]);
    }

    // False when the givens already repeat a digit in a unit.
    bool Start() {
        for (int k = 0; k < 81; ++k) {
            const int v = grid_.value[k];
            if (v == 0) continue;
            const uint16_t bit = static_cast<uint16_t>(1u << v);
            if ((grid_.row[k / 9] | grid_.col[k % 9] | grid_.box[BoxOf(k)]) & bit) return false;
            Mark(grid_, k, v);
        }
        return true;
    }

    // Propagates the top level; false on a contradiction.
    bool PropagateTop() { return Propagate(grid_); }

    void Search(int& count, KR_base* solutionOut) { Search(grid_, count, solutionOut); }

    void WriteTopLevel(KR_solver& board) const {
        for (int k = 0; k < 81; ++k) board.value[k / 9][k % 9] = grid_.value[k];
    }

private:
    struct Grid {
        uint8_t value[81] = {};
        uint16_t row[9] = {};
        uint16_t col[9] = {};
        uint16_t box[9] = {};
    };

    static constexpr uint16_t kAllDigits = 0x3FE;

    static int BoxOf(int k) { return BlockOf(k / 9, k % 9); }

    static void Mark(Grid& g, int k, int d) {
        const uint16_t bit = static_cast<uint16_t>(1u << d);
        g.value[k] = static_cast<uint8_t>(d);
        g.row[k / 9] |= bit;
        g.col[k % 9] |= bit;
        g.box[BoxOf(k)] |= bit;
    }

    static uint16_t Candidates(const Grid& g, int k) {
        return static_cast<uint16_t>(kAllDigits & ~(g.row[k / 9] | g.col[k % 9] | g.box[BoxOf(k)]));
    }

    static int OnlyDigit(uint16_t bits) { return __builtin_ctz(bits); }

    // Places naked and hidden singles until none is left; false when a cell
    // or a unit runs out of candidates.
    static bool Propagate(Grid& g) {
        for (bool placed = true; placed;) {
            placed = false;
            uint16_t cands[81];
            for (int k = 0; k < 81; ++k) {
                if (g.value[k]) {
                    cands[k] = 0;
                    continue;
                }
                cands[k] = Candidates(g, k);
                if (cands[k] == 0) return false;
                if ((cands[k] & (cands[k] - 1)) == 0) {
                    Mark(g, k, OnlyDigit(cands[k]));
                    cands[k] = 0;
                    placed = true;
                }
            }
            if (placed) continue;
            // Hidden singles: a digit missing from a unit with one place left.
            for (int u = 0; u < 27 && !placed; ++u) {
                uint16_t once = 0;
                uint16_t twice = 0;
                int cells[9];
                for (int i = 0; i < 9; ++i) {
                    const int k = u < 9 ? CellIndex(u, i) : u < 18 ? CellIndex(i, u - 9) : BlockCell(u - 18, i);
                    cells[i] = k;
                    twice |= once & cands[k];
                    once |= cands[k];
                }
                const uint16_t used = u < 9 ? g.row[u] : u < 18 ? g.col[u - 9] : g.box[u - 18];
                if ((once | used) != kAllDigits) return false;
                const uint16_t singles = once & ~twice;
                if (singles == 0) continue;
                const int d = OnlyDigit(singles);
                for (int i = 0; i < 9; ++i) {
                    if (cands[cells[i]] & (1u << d)) {
                        Mark(g, cells[i], d);
                        placed = true;
                        break;
                    }
                }
            }
        }
        return true;
    }

    static void Search(Grid& g, int& count, KR_base* solutionOut) {
        int cell = 0;
        while (cell < 81 && g.value[cell] != 0) ++cell;
        if (cell == 81) {
            if (solutionOut)
                for (int k = 0; k < 81; ++k) solutionOut->value[k / 9][k % 9] = g.value[k];
            ++count;
            return;
        }
        for (uint16_t bits = Candidates(g, cell); bits != 0; bits &= static_cast<uint16_t>(bits - 1)) {
            Grid next = g;
            Mark(next, cell, OnlyDigit(bits));
            if (Propagate(next)) Search(next, count, solutionOut);
            if (count > 1) return;
        }
    }

    Grid grid_;
};

}  // namespace

namespace {

// Decides between no, one and several solutions, branching on a cell with
// the fewest candidates: the solutions are the same whatever the order, so
// the count is, and the tree is many times smaller than in row-major order.
struct Decision {
    int count = 0;
    BitBoard first;  // the first solution met
};

void Decide(BitBoard& board, Decision& decision) {
    const int cell = board.BranchCell();
    unsigned digits = board.Candidates(cell);
    while (digits != 0) {
        const int digit = __builtin_ctz(digits) + 1;
        digits &= digits - 1;
        // The last candidate works on the board itself: nothing reads it after.
        BitBoard copy;
        BitBoard* next = &board;
        if (digits != 0) {
            copy = board;
            next = &copy;
        }
        next->Assign(cell, digit);
        if (!next->Propagate()) continue;
        if (next->Solved()) {
            if (++decision.count == 1) decision.first = *next;
        } else {
            Decide(*next, decision);
        }
        if (decision.count > 1) return;
    }
}

// The reference's order: the first empty cell in row-major order, its
// digits increasing. All solutions below a guess share every cell before
// the guessed one, so they are met in lexicographic order whatever sound
// propagation runs between guesses; the second one met is the one kept.
void SearchInOrder(const BitBoard& board, int& count, KR_base& solution) {
    const int cell = board.FirstEmptyCell();
    for (unsigned digits = board.Candidates(cell); digits != 0; digits &= digits - 1) {
        BitBoard next = board;
        next.Assign(cell, __builtin_ctz(digits) + 1);
        if (!next.Propagate()) continue;
        if (next.Solved()) {
            ++count;
            next.WriteGrid(solution.value);
        } else {
            SearchInOrder(next, count, solution);
        }
        if (count > 1) return;
    }
}

}  // namespace

int CountSolutions(KR_solver& board, KR_base* solutionOut) {
    if (FilledCells(board) <= 16) return -1;
    BitBoard top;
    // A board that contradicts itself before the first guess is left to the
    // reference, so that the digits it leaves behind are exactly the same.
    if (!top.Load(board.value) || !top.PropagateSingles()) return CountSolutionsReference(board, solutionOut);
    // The grid keeps what the reference leaves in it: the singles of the
    // top level. The derived tables are left alone; the reference leaves
    // them as its last search node had them, which no caller reads.
    top.WriteGrid(board.value);

    if (!top.Propagate()) return 0;
    if (top.Solved()) {
        if (solutionOut) top.WriteGrid(solutionOut->value);
        return 1;
    }
    Decision decision;
    BitBoard start = top;
    Decide(start, decision);
    if (solutionOut && decision.count == 1) decision.first.WriteGrid(solutionOut->value);
    if (solutionOut && decision.count > 1) {
        int count = 0;
        SearchInOrder(top, count, *solutionOut);
    }
    return decision.count;
}

int CountSolutionsRescan(KR_solver& board, KR_base* solutionOut) {
    if (FilledCells(board) <= 16) return -1;
    RescanCounter counter(board);
    if (!counter.Start() || !counter.PropagateTop()) return CountSolutionsReference(board, solutionOut);
    counter.WriteTopLevel(board);
    int count = 0;
    counter.Search(count, solutionOut);
    PrepareBoard(board);
    return count;
}

int CountSolutionsReference(KR_solver& board, KR_base* solutionOut) {
    if (FilledCells(board) <= 16) return -1;
    int count = 0;
    SearchSolutions(board, 0, count, solutionOut);
    return count;
}

void SearchSolutions(KR_solver& board, int depth, int& count, KR_base* solutionOut) {
    SolverState saved;
    do {
        PrepareBoard(board);
        if (!CheckDuplicates(board) || !CheckCandidates(board)) return;
    } while (PlaceBySingles(board));

    while (depth <= 80) {
        const int cell = depth++;
        if (board.cellCand[cell] == -1) continue;
        if (board.cellCand[cell] == 0) return;
        for (int d = 1; d <= 9; ++d) {
            if (!board.cand[cell][d]) continue;
            SaveState(saved, board);
            board.value[cell / 9][cell % 9] = d;
            SearchSolutions(board, depth, count, solutionOut);
            RestoreState(board, saved);
            if (count > 1) return;
        }
        return;
    }

    // Every cell is filled.
    if (CheckDuplicates(board)) {
        if (solutionOut) std::memcpy(solutionOut->value, board.value, sizeof board.value);
        ++count;
    }
}

}  // namespace masuvo
