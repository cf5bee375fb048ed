// The step search, its pruning and the preparation of a board written out
// plainly: every replay rebuilds the candidates and reruns every step, every
// search prepares its board from the grid. The engine's own search takes
// shortcuts; the tests hold it to exactly these results.
#pragma once

#include <cstring>
#include <vector>

#include "engine/board.h"
#include "engine/candidates.h"
#include "engine/catalogue.h"
#include "engine/step_search.h"

namespace masuvo::reference {

inline void CountDigits(KR_solver& board) {
    std::memset(board.blockCount, 0, sizeof board.blockCount);
    std::memset(board.rowCount, 0, sizeof board.rowCount);
    std::memset(board.colCount, 0, sizeof board.colCount);
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            const int v = board.value[r][c];
            ++board.blockCount[BlockOf(r, c)][v];
            ++board.rowCount[r][v];
            ++board.colCount[c][v];
        }
    }
}

// Every digit allowed, then each placed digit in row-major order clears its
// cell and its peers.
inline void RebuildCandidates(KR_solver& board) {
    for (int k = 0; k < 81; ++k) {
        board.cand[k][0] = 0;
        for (int d = 1; d <= 9; ++d) board.cand[k][d] = 1;
    }
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            const int v = board.value[r][c];
            if (v == 0) continue;
            uint8_t* cell = board.cand[CellIndex(r, c)];
            cell[0] = 1;
            for (int d = 1; d <= 9; ++d) cell[d] = 0;
            for (int i = 0; i < 9; ++i) {
                board.cand[CellIndex(r, i)][v] = 0;
                board.cand[CellIndex(i, c)][v] = 0;
                board.cand[BlockCell(BlockOf(r, c), i)][v] = 0;
            }
        }
    }
}

inline void CountCandidates(KR_solver& board) {
    std::memset(board.blockCand, 0, sizeof board.blockCand);
    std::memset(board.rowCand, 0, sizeof board.rowCand);
    std::memset(board.colCand, 0, sizeof board.colCand);
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            for (int d = 0; d <= 9; ++d) {
                const int x = board.cand[CellIndex(r, c)][d];
                board.blockCand[BlockOf(r, c)][d] += x;
                board.rowCand[r][d] += x;
                board.colCand[c][d] += x;
            }
        }
    }
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            const int v = board.value[r][c];
            if (v == 0) continue;
            board.blockCand[BlockOf(r, c)][v] = -1;
            board.rowCand[r][v] = -1;
            board.colCand[c][v] = -1;
        }
    }
    for (int k = 0; k < 81; ++k) {
        int count = 0;
        for (int d = 1; d <= 9; ++d) count += board.cand[k][d];
        board.cellCand[k] = board.cand[k][0] ? -1 : count;
    }
}

inline void PrepareBoard(KR_solver& board) {
    reference::CountDigits(board);
    reference::RebuildCandidates(board);
    reference::CountCandidates(board);
}

inline bool IsEliminated(uint8_t mark) { return (mark & 0x0F) == 4; }

inline bool TryTechnique(KR_solver& board, TechniqueRoutine routine) {
    ResetHint(board.hint);
    if (!routine(board)) return false;
    Step& step = board.steps.emplace_back();
    step.text = board.stepText;
    step.routine = routine;
    step.technique = board.stepTechnique;
    step.hint = board.hint;
    step.needed = 1;
    return true;
}

inline bool ReplaySteps(KR_solver& board, int digit, int col, int row, bool storeHints) {
    if (!board.targetMode) {
        board.placeDigit = 0;
        board.placeCol = -1;
        board.placeRow = -1;
    }
    reference::RebuildCandidates(board);
    bool result = false;
    for (Step& step : board.steps) {
        if (step.needed == 1) {
            for (int k = 0; k < 81; ++k)
                for (int d = 0; d < 10; ++d)
                    board.replayMask[k][d] = reference::IsEliminated(step.hint.candMark[k][d]) ? 1 : 0;
            reference::CountCandidates(board);
            ResetHint(board.hint);
            result = step.routine(board);
            if (result && storeHints) step.hint = board.hint;
        } else if (step.needed == 2) {
            for (int k = 0; k < 81; ++k)
                for (int d = 1; d <= 9; ++d)
                    if (reference::IsEliminated(step.hint.candMark[k][d])) board.cand[k][d] = 0;
        }
    }
    if (board.targetMode) return result;
    return board.placeDigit == digit && board.placeCol == col && board.placeRow == row;
}

inline void PruneSteps(KR_solver& board) {
    const int n = static_cast<int>(board.steps.size());
    const int digit = board.placeDigit;
    const int col = board.placeCol;
    const int row = board.placeRow;
    board.replayMode = true;
    for (int i = 0; i < n; ++i) board.steps[i].needed = (i == n - 1) ? 1 : 2;
    for (int i = n - 2; i >= 0; --i) {
        for (int k = 0; k < 81; ++k) {
            for (int d = 1; d <= 9; ++d) {
                uint8_t& mark = board.steps[i].hint.candMark[k][d];
                if (!reference::IsEliminated(mark)) continue;
                mark ^= 4;
                if (!reference::ReplaySteps(board, digit, col, row, false)) mark ^= 4;
            }
        }
        board.steps[i].needed = 1;
    }
    for (int j = 0; j <= n - 3; ++j) {
        board.steps[j].needed = 0;
        if (!reference::ReplaySteps(board, digit, col, row, false)) board.steps[j].needed = 2;
    }
    for (int j = 0; j <= n - 3; ++j)
        if (board.steps[j].needed == 2) board.steps[j].needed = 1;
    reference::ReplaySteps(board, digit, col, row, true);
    board.placeCol = col;
    board.placeRow = row;
    board.placeDigit = digit;
    board.replayMode = false;
}

inline int CountNeeded(const KR_solver& board) {
    int needed = 0;
    for (const Step& step : board.steps)
        if (step.needed != 0) ++needed;
    return needed;
}

inline bool TrySinglePlacements(KR_solver& board) {
    for (int index = 2; index <= 4; ++index)
        if (reference::TryTechnique(board, Technique(index).routine)) return true;
    return false;
}

inline int StepSearch(KR_solver& board, bool target) {
    auto placed = [&] {
        if (target)
            board.targetMode = false;
        else
            board.value[board.placeRow][board.placeCol] = board.placeDigit;
        return 1;
    };
    auto contradiction = [&] {
        if (target) board.targetMode = false;
        return -1;
    };
    std::vector<Step> best;
    int bestRow = 0, bestCol = 0, bestDigit = 0;
    if (target) board.targetMode = true;
    board.steps.clear();
    reference::PrepareBoard(board);
    for (int index = 0; index <= 4; ++index)
        if (reference::TryTechnique(board, Technique(index).routine)) return placed();
    for (;;) {
        bool eliminated = false;
        for (int index : kPhase1Order) {
            if (reference::TryTechnique(board, Technique(index).routine)) {
                eliminated = true;
                break;
            }
        }
        if (!eliminated) break;
        reference::CountCandidates(board);
        if (!CheckCandidates(board)) return contradiction();
        if (!reference::TrySinglePlacements(board)) continue;
        reference::PruneSteps(board);
        if (reference::CountNeeded(board) == 2) return placed();
        best = board.steps;
        bestRow = board.placeRow, bestCol = board.placeCol, bestDigit = board.placeDigit;
        break;
    }
    for (int index : kPhase2List) {
        const TechniqueRoutine routine = Technique(index).routine;
        board.steps.clear();
        reference::RebuildCandidates(board);
        reference::CountCandidates(board);
        while (reference::TryTechnique(board, routine)) {
            reference::CountCandidates(board);
            if (!CheckCandidates(board)) return contradiction();
            if (!reference::TrySinglePlacements(board)) continue;
            reference::PruneSteps(board);
            if (reference::CountNeeded(board) == 2) return placed();
            if (best.empty()) {
                best = board.steps;
                bestRow = board.placeRow, bestCol = board.placeCol, bestDigit = board.placeDigit;
            }
            break;
        }
    }
    if (target) board.targetMode = false;
    if (best.empty()) return 0;
    board.steps = std::move(best);
    if (!target) {
        board.placeRow = bestRow;
        board.placeCol = bestCol;
        board.placeDigit = bestDigit;
        board.value[bestRow][bestCol] = bestDigit;
    }
    return 1;
}

// The step-solving run over the plain search: the log and the result.
inline int SolveByLogic(KR_solver& board, Usage& usageOut) {
    Usage local;
    usageOut = Usage();
    board.logText.clear();
    int k = 0;
    int r = reference::StepSearch(board, false);
    while (r > 0) {
        char number[16];
        std::snprintf(number, sizeof number, "%2d: ", ++k);
        board.logText += number;
        for (const Step& step : board.steps)
            if (step.needed != 0) board.logText += step.text.view();
        board.logText += "\r\n";
        TallyUsage(board, local);
        AddUsage(local, usageOut);
        r = reference::StepSearch(board, false);
    }
    if (r < 0) return -1;
    reference::PrepareBoard(board);
    if (!CheckDuplicates(board) || !CheckCandidates(board)) return -1;
    for (int b = 0; b < 9; ++b)
        if (board.blockCount[b][0] != 0) return 0;
    return 1;
}

}  // namespace masuvo::reference
