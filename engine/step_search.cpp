#include "engine/step_search.h"

#include <cstring>

#include "engine/candidates.h"

namespace masuvo {

namespace {

bool IsEliminated(uint8_t mark) { return (mark & 0x0F) == 4; }

struct Placement {
    int row = 0;
    int col = 0;
    int digit = 0;
};

Placement CurrentPlacement(const KR_solver& board) { return {board.placeRow, board.placeCol, board.placeDigit}; }

// Entries 2, 3, 4: the placements an elimination can have made possible.
bool TrySinglePlacements(KR_solver& board) {
    for (int index = 2; index <= 4; ++index)
        if (TryTechnique(board, Technique(index).routine)) return true;
    return false;
}

int CountNeeded(const KR_solver& board) {
    int needed = 0;
    for (const Step& step : board.steps)
        if (step.needed != 0) ++needed;
    return needed;
}

int EndWithPlacement(KR_solver& board, bool target) {
    if (target)
        board.targetMode = false;
    else
        board.value[board.placeRow][board.placeCol] = board.placeDigit;
    return 1;
}

int EndWithContradiction(KR_solver& board, bool target) {
    if (target) board.targetMode = false;
    return -1;
}

}  // namespace

bool TryTechnique(KR_solver& board, TechniqueRoutine routine) {
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

int StepSearch(KR_solver& board, bool target) {
    std::vector<Step> best;
    Placement bestPlace;
    if (target) board.targetMode = true;

    board.steps.clear();
    PrepareBoard(board);

    // Phase 1: the basic techniques, then eliminations until a placement.
    for (int index = 0; index <= 4; ++index)
        if (TryTechnique(board, Technique(index).routine)) return EndWithPlacement(board, target);

    for (;;) {
        bool eliminated = false;
        for (int index : kPhase1Order) {
            if (TryTechnique(board, Technique(index).routine)) {
                eliminated = true;
                break;
            }
        }
        if (!eliminated) break;
        CountCandidates(board);
        if (!CheckCandidates(board)) return EndWithContradiction(board, target);
        if (!TrySinglePlacements(board)) continue;
        PruneSteps(board);
        if (CountNeeded(board) == 2) return EndWithPlacement(board, target);
        best = board.steps;
        if (!target) bestPlace = CurrentPlacement(board);
        break;
    }

    // Phase 2: chains of one technique, each from the unreduced candidates,
    // looking for a placement that needs a single elimination.
    for (int index : kPhase2List) {
        const TechniqueRoutine routine = Technique(index).routine;
        board.steps.clear();
        RebuildCandidates(board);
        CountCandidates(board);
        while (TryTechnique(board, routine)) {
            CountCandidates(board);
            if (!CheckCandidates(board)) return EndWithContradiction(board, target);
            if (!TrySinglePlacements(board)) continue;
            PruneSteps(board);
            if (CountNeeded(board) == 2) return EndWithPlacement(board, target);
            if (best.empty()) {
                best = board.steps;
                if (!target) bestPlace = CurrentPlacement(board);
            }
            break;
        }
    }

    if (target) board.targetMode = false;
    if (best.empty()) return 0;
    board.steps = std::move(best);
    if (!target) {
        board.placeRow = bestPlace.row;
        board.placeCol = bestPlace.col;
        board.placeDigit = bestPlace.digit;
        board.value[bestPlace.row][bestPlace.col] = bestPlace.digit;
    }
    return 1;
}

int StepSearchLimited(KR_solver& board, int ceiling) {
    board.steps.clear();
    PrepareBoard(board);
    for (int index = 0; index <= 4; ++index)
        if (TryTechnique(board, Technique(index).routine)) return EndWithPlacement(board, false);

    for (;;) {
        bool eliminated = false;
        for (int index : kPhase1Order) {
            if (Technique(index).ceiling > ceiling) continue;
            if (TryTechnique(board, Technique(index).routine)) {
                eliminated = true;
                break;
            }
        }
        if (!eliminated) return 0;
        CountCandidates(board);
        if (!CheckCandidates(board)) return -1;
        if (TrySinglePlacements(board)) return EndWithPlacement(board, false);
    }
}

bool ReplaySteps(KR_solver& board, int digit, int col, int row, bool storeHints) {
    if (!board.targetMode) {
        board.placeDigit = 0;
        board.placeCol = -1;
        board.placeRow = -1;
    }
    RebuildCandidates(board);
    bool result = false;
    for (Step& step : board.steps) {
        if (step.needed == 1) {
            for (int k = 0; k < 81; ++k)
                for (int d = 0; d < 10; ++d) board.replayMask[k][d] = IsEliminated(step.hint.candMark[k][d]) ? 1 : 0;
            CountCandidates(board);
            ResetHint(board.hint);
            result = step.routine(board);
            if (result && storeHints) step.hint = board.hint;
        } else if (step.needed == 2) {
            for (int k = 0; k < 81; ++k)
                for (int d = 1; d <= 9; ++d)
                    if (IsEliminated(step.hint.candMark[k][d])) board.cand[k][d] = 0;
        }
    }
    if (board.targetMode) return result;
    return board.placeDigit == digit && board.placeCol == col && board.placeRow == row;
}

void PruneSteps(KR_solver& board) {
    const int n = static_cast<int>(board.steps.size());
    const int digit = board.placeDigit;
    const int col = board.placeCol;
    const int row = board.placeRow;

    board.replayMode = true;
    for (int i = 0; i < n; ++i) board.steps[i].needed = (i == n - 1) ? 1 : 2;

    // Keep only the removals of each elimination that the placement still needs.
    for (int i = n - 2; i >= 0; --i) {
        for (int k = 0; k < 81; ++k) {
            for (int d = 1; d <= 9; ++d) {
                uint8_t& mark = board.steps[i].hint.candMark[k][d];
                if (!IsEliminated(mark)) continue;
                mark ^= 4;
                if (!ReplaySteps(board, digit, col, row, false)) mark ^= 4;
            }
        }
        board.steps[i].needed = 1;
    }

    // Drop whole steps that the placement does without; the last elimination stays.
    for (int j = 0; j <= n - 3; ++j) {
        board.steps[j].needed = 0;
        if (!ReplaySteps(board, digit, col, row, false)) board.steps[j].needed = 2;
    }
    for (int j = 0; j <= n - 3; ++j)
        if (board.steps[j].needed == 2) board.steps[j].needed = 1;

    ReplaySteps(board, digit, col, row, true);

    board.placeCol = col;
    board.placeRow = row;
    board.placeDigit = digit;
    board.replayMode = false;
}

}  // namespace masuvo
