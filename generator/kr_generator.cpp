#include "generator/kr_generator.h"

#include <cstring>
#include <utility>

#include "engine/brute_force.h"
#include "engine/rating.h"
#include "engine/step_search.h"

namespace masuvo {

namespace {

constexpr int kBaseGrid[9][9] = {
    {4, 1, 9, 2, 8, 6, 7, 5, 3}, {3, 6, 5, 7, 1, 4, 8, 2, 9}, {2, 7, 8, 5, 3, 9, 6, 1, 4},
    {1, 3, 6, 9, 2, 7, 4, 8, 5}, {8, 4, 2, 3, 6, 5, 9, 7, 1}, {5, 9, 7, 1, 4, 8, 3, 6, 2},
    {9, 5, 1, 6, 7, 3, 2, 4, 8}, {7, 2, 4, 8, 9, 1, 5, 3, 6}, {6, 8, 3, 4, 5, 2, 1, 9, 7},
};

constexpr uint64_t kSeedMultiplier = 0x422E19E1D95D2F0DULL;
constexpr uint64_t kSeedMask = 0x841575BA5A1A91F9ULL;

void SwapRows(int board[9][9], int a, int b) {
    for (int c = 0; c < 9; ++c) std::swap(board[a][c], board[b][c]);
}

void SwapCols(int board[9][9], int a, int b) {
    for (int r = 0; r < 9; ++r) std::swap(board[r][a], board[r][b]);
}

// The pairs exchanged by each group of three swap bits: 0↔1, 0↔2, 1↔2.
constexpr int kPairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};

void LoadInto(KR_solver& solver, const int board[9][9]) {
    std::memcpy(solver.value, board, sizeof solver.value);
}

}  // namespace

const char* SymmetryName(int symmetry) {
    switch (symmetry) {
        case kPointSymmetry: return "点対称";
        case kLineSymmetry: return "線対称";
        case kNoSymmetry: return "非対称";
        default: return "";
    }
}

void KR_generator::Reset() { std::memcpy(board, kBaseGrid, sizeof board); }

void KR_generator::Seed(uint64_t v) {
    const uint64_t x = v * kSeedMultiplier;
    state = (x == kSeedMask) ? ~kSeedMask : (x ^ kSeedMask);
}

uint64_t KR_generator::Next() {
    uint64_t x = state;
    x ^= x << 14;
    x ^= x >> 29;
    x ^= x << 11;
    state = x;
    return x;
}

void KR_generator::Permute(uint32_t mask) {
    for (int bit = 0; bit < 24; ++bit) {
        if (!(mask & (1u << bit))) continue;
        const int group = bit / 3;
        const int a = kPairs[bit % 3][0];
        const int b = kPairs[bit % 3][1];
        switch (group) {
            case 0:  // bands
                for (int i = 0; i < 3; ++i) SwapRows(board, 3 * a + i, 3 * b + i);
                break;
            case 1:  // stacks
                for (int i = 0; i < 3; ++i) SwapCols(board, 3 * a + i, 3 * b + i);
                break;
            case 2: case 3: case 4:  // rows within band 0, 1, 2
                SwapRows(board, 3 * (group - 2) + a, 3 * (group - 2) + b);
                break;
            default:  // columns within stack 0, 1, 2
                SwapCols(board, 3 * (group - 5) + a, 3 * (group - 5) + b);
                break;
        }
    }
}

void KR_generator::StartDigging() {
    Reset();
    Permute(static_cast<uint32_t>(Next() & 0xFFFFFF));
    Permute(static_cast<uint32_t>(Next() & 0xFFFFFF));
}

void KR_generator::EmptyDrawnCell(int symmetry) {
    int row;
    int col;
    do {
        row = static_cast<int>(Next() % 9);
        col = static_cast<int>(Next() % 9);
    } while (board[row][col] == 0);
    board[row][col] = 0;
    if (symmetry == kPointSymmetry)
        board[8 - row][8 - col] = 0;
    else if (symmetry == kLineSymmetry)
        board[row][8 - col] = 0;
}

namespace {

bool IsSet(const std::atomic<bool>* flag) { return flag && flag->load(std::memory_order_relaxed); }

}  // namespace

void KR_generator::DigRated(int ceiling, int32_t ceilingScore, int symmetry, const std::atomic<bool>* cancel) {
    StartDigging();
    KR_solver solver;
    Usage usage;
    int failures = 0;
    int32_t score = 0;
    do {
        if (IsSet(cancel)) break;
        std::memcpy(saved, board, sizeof saved);
        EmptyDrawnCell(symmetry);
        LoadInto(solver, board);
        if (SolveByLogicLimited(solver, usage, ceiling, cancel) == 1) {
            failures = 0;
            score = DifficultyScore(usage);
        } else {
            if (++failures >= 5) break;
            std::memcpy(board, saved, sizeof board);
        }
    } while (score < ceilingScore);
}

bool KR_generator::DigUnsolvable(int symmetry, const std::atomic<bool>* cancel) {
    StartDigging();
    // The counter leaves propagated digits on its board, so every attempt
    // loads all 81 cells again into this one instead of building a board
    // (several kilobytes to clear) for each.
    KR_solver counter;
    for (int attempts = 0;;) {
        if (IsSet(cancel)) return false;
        std::memcpy(saved, board, sizeof saved);
        EmptyDrawnCell(symmetry);
        LoadInto(counter, board);
        const int solutions = CountSolutions(counter, nullptr);
        if (solutions == -1) return false;
        if (solutions == 1) {
            KR_solver solver;
            LoadInto(solver, board);
            Usage usage;
            if (SolveByLogicLimited(solver, usage, 7, cancel) != 1) return !IsSet(cancel);
        } else {
            std::memcpy(board, saved, sizeof board);
        }
        if (++attempts >= 1000) return false;
    }
}

}  // namespace masuvo
