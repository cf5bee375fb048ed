// The soundness walk shared by the technique tests: entries applied alone at
// states along real solves, checked against the brute-force solution.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/brute_force.h"
#include "engine/candidates.h"
#include "engine/catalogue.h"
#include "engine/step_search.h"
#include "tests/engine/fixtures.h"

namespace masuvo::test {

// At every stride-th state along a solve of each puzzle, applies each entry alone until it
// stops, and drives the solve itself through the limited step search: no
// application may remove a solution digit, succeed without removing, or mark
// anything but its removals as eliminated.
inline void ExpectSoundAcrossTop95(const std::vector<int>& entries, int ceiling, int stride) {
    int fired[kTechniqueCount] = {};
    const auto lines = test::ReadDataLines("top95.txt");
    ASSERT_FALSE(lines.empty());
    for (const auto& line : lines) {
        SCOPED_TRACE(line.puzzle);
        KR_solver counter = BoardFrom(line.puzzle);
        KR_base solution;
        ASSERT_EQ(CountSolutions(counter, &solution), 1);
        auto solutionDigit = [&](int k) { return solution.value[k / 9][k % 9]; };

        KR_solver board = BoardFrom(line.puzzle);
        for (int state = 0;; ++state) {
            if (state % stride == 0) {
                for (int entry : entries) {
                    KR_solver probe;
                    std::memcpy(probe.value, board.value, sizeof probe.value);
                    PrepareBoard(probe);
                    for (int application = 0; application < 200; ++application) {
                        uint8_t before[81][10];
                        std::memcpy(before, probe.cand, sizeof before);
                        ResetHint(probe.hint);
                        const bool applied = Technique(entry).routine(probe);
                        bool removedAny = false;
                        for (int k = 0; k < 81; ++k) {
                            for (int d = 1; d <= 9; ++d) {
                                const bool removed = before[k][d] && !probe.cand[k][d];
                                ASSERT_FALSE(!before[k][d] && probe.cand[k][d]);
                                ASSERT_EQ(removed, (probe.hint.candMark[k][d] & 0x0F) == 4) << "entry " << entry;
                                if (removed) {
                                    ASSERT_NE(d, solutionDigit(k)) << "entry " << entry << " cell " << k;
                                    removedAny = true;
                                }
                            }
                        }
                        ASSERT_EQ(applied, removedAny) << "entry " << entry;
                        if (!applied) break;
                        EXPECT_EQ(probe.stepTechnique, entry);
                        ++fired[entry];
                        CountCandidates(probe);
                    }
                }
            }

            const int result = StepSearchLimited(board, ceiling);
            ASSERT_NE(result, -1) << board.errorText;
            if (result == 1) {
                for (const Step& step : board.steps) {
                    for (int k = 0; k < 81; ++k) {
                        for (int d = 1; d <= 9; ++d) {
                            if ((step.hint.candMark[k][d] & 0x0F) != 4) continue;
                            ASSERT_NE(d, solutionDigit(k)) << "entry " << step.technique << " cell " << k;
                        }
                    }
                    ++fired[step.technique];
                }
                ASSERT_EQ(board.value[board.placeRow][board.placeCol], solution.value[board.placeRow][board.placeCol]);
                continue;
            }
            // Stuck: take the next solution digit and go on.
            int k = 0;
            while (k < 81 && board.value[k / 9][k % 9] != 0) ++k;
            if (k == 81) break;
            board.value[k / 9][k % 9] = solutionDigit(k);
        }
    }
    for (int entry : entries) EXPECT_GT(fired[entry], 0) << "entry " << entry << " never applied";
}

}  // namespace masuvo::test
