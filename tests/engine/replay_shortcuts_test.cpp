// In a replay the techniques pass over what cannot remove a candidate their
// mask allows. With the shortcuts off they scan as outside a replay; both
// must make the same application: result, removals, marks and message.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/brute_force.h"
#include "engine/candidates.h"
#include "engine/catalogue.h"
#include "engine/techniques.h"
#include "tests/engine/fixtures.h"

namespace masuvo {
namespace {

class ShortcutsOff {
public:
    ShortcutsOff() { SetReplayShortcuts(false); }
    ~ShortcutsOff() { SetReplayShortcuts(true); }
};

struct Outcome {
    bool applied = false;
    KR_solver board;
};

Outcome Apply(const KR_solver& start, int entry) {
    Outcome outcome;
    outcome.board = start;
    ResetHint(outcome.board.hint);
    outcome.applied = Technique(entry).routine(outcome.board);
    return outcome;
}

std::string Difference(const Outcome& a, const Outcome& b) {
    if (a.applied != b.applied) return "result";
    if (std::memcmp(a.board.cand, b.board.cand, sizeof a.board.cand) != 0) return "removals";
    if (std::memcmp(a.board.hint.cellMark, b.board.hint.cellMark, sizeof a.board.hint.cellMark) != 0) return "cells";
    if (std::memcmp(a.board.hint.candMark, b.board.hint.candMark, sizeof a.board.hint.candMark) != 0) return "marks";
    if (std::memcmp(a.board.hint.candFlags, b.board.hint.candFlags, sizeof a.board.hint.candFlags) != 0) return "flags";
    if (a.applied && (a.board.stepText != b.board.stepText || a.board.stepTechnique != b.board.stepTechnique))
        return "message";
    return "";
}

// The masks a replay meets: what the technique removes itself, that less one
// candidate (as pruning asks), single candidates, and a scatter of many.
std::vector<std::vector<std::pair<int, int>>> Masks(const KR_solver& board, int entry, std::mt19937& random) {
    std::vector<std::pair<int, int>> present;
    for (int k = 0; k < 81; ++k)
        for (int d = 1; d <= 9; ++d)
            if (board.cand[k][d]) present.emplace_back(k, d);
    std::vector<std::vector<std::pair<int, int>>> masks;
    if (present.empty()) return masks;
    const Outcome own = Apply(board, entry);
    std::vector<std::pair<int, int>> removed;
    for (int k = 0; k < 81; ++k)
        for (int d = 1; d <= 9; ++d)
            if ((own.board.hint.candMark[k][d] & 0x0F) == 4) removed.emplace_back(k, d);
    if (!removed.empty()) {
        masks.push_back(removed);
        removed.erase(removed.begin() + static_cast<std::ptrdiff_t>(random() % removed.size()));
        masks.push_back(removed);
    }
    for (int single = 0; single < 2; ++single) masks.push_back({present[random() % present.size()]});
    std::vector<std::pair<int, int>> scatter;
    for (const auto& candidate : present)
        if (random() % 4 == 0) scatter.push_back(candidate);
    masks.push_back(scatter);
    return masks;
}

TEST(ReplayShortcuts, EveryEliminationAppliesAsThePlainScan) {
    std::mt19937 random(5);
    int compared = 0;
    int applied[kTechniqueCount] = {};
    const auto lines = test::ReadDataLines("top95.txt");
    for (size_t p = 0; p < lines.size(); p += 6) {
        KR_solver solver = test::BoardFrom(lines[p].puzzle);
        KR_base solution;
        ASSERT_EQ(CountSolutions(solver, &solution), 1);
        KR_base grid;
        ASSERT_TRUE(ParseGrid(lines[p].puzzle, grid));
        for (int state = 0; state < 5; ++state) {
            KR_solver board;
            std::memcpy(board.value, grid.value, sizeof board.value);
            PrepareBoard(board);
            for (int entry = 5; entry < kTechniqueCount; ++entry) {
                for (const auto& mask : Masks(board, entry, random)) {
                    KR_solver replay = board;
                    replay.replayMode = true;
                    std::memset(replay.replayMask, 0, sizeof replay.replayMask);
                    for (auto [k, d] : mask) replay.replayMask[k][d] = 1;
                    const Outcome quick = Apply(replay, entry);
                    Outcome plain;
                    {
                        const ShortcutsOff off;
                        plain = Apply(replay, entry);
                    }
                    ASSERT_EQ(Difference(quick, plain), "")
                        << lines[p].puzzle << " state " << state << " entry " << entry << " mask of " << mask.size();
                    ++compared;
                    applied[entry] += quick.applied;
                }
            }
            // Further along the solution: the next dozen empty cells filled.
            int filled = 0;
            for (int k = 0; k < 81 && filled < 12; ++k) {
                if (grid.value[k / 9][k % 9] != 0) continue;
                grid.value[k / 9][k % 9] = solution.value[k / 9][k % 9];
                ++filled;
            }
        }
    }
    EXPECT_GT(compared, 1000);
    // The comparisons are not idle: every family applied in a replay.
    for (int entry : {5, 6, 7, 10, 13, 16, 19, 23, 26, 27, 28, 29}) EXPECT_GT(applied[entry], 0) << "entry " << entry;
}

}  // namespace
}  // namespace masuvo
