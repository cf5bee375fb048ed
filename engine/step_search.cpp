#include "engine/step_search.h"

#include <cstring>

#include "engine/candidates.h"
#include "engine/prepared_tables.h"
#include "engine/step_pruning.h"

namespace masuvo {

namespace {

struct Placement {
    int row = 0;
    int col = 0;
    int digit = 0;
};

Placement CurrentPlacement(const KR_solver& board) { return {board.placeRow, board.placeCol, board.placeDigit}; }

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

// What phase 2 can take over from phase 1, which started from the same
// candidates: the routines that failed in phase 1's first pass, and the run
// of applications of the routine that succeeded in it, when that routine is
// one of phase 2's (its phase 2 chain repeats them step for step).
class LeadingRun {
public:
    enum class Start { kFresh, kFails, kResume };

    void Begin() {
        firstPass_ = true;
        firstPosition_ = kPhase1Count;
        technique_ = -1;
        open_ = false;
        endPosition_ = kPhase1Count;
        sameChain_ = false;
        steps_.clear();
    }

    // A pass of phase 1 ended at `position` of the order (kPhase1Count: none applied).
    void Pass(const KR_solver& board, int position) {
        if (firstPass_) {
            firstPass_ = false;
            firstPosition_ = position;
            if (position < kPhase1Count && InPhase2(kPhase1Order[position])) {
                technique_ = kPhase1Order[position];
                open_ = true;
            }
            return;
        }
        if (!open_) return;
        if (position < kPhase1Count && kPhase1Order[position] == technique_) return;
        // The run ends: keep its steps (every step but the one just found).
        open_ = false;
        endPosition_ = position;
        const size_t kept = board.steps.size() - (position < kPhase1Count ? 1 : 0);
        steps_.assign(board.steps.begin(), board.steps.begin() + static_cast<std::ptrdiff_t>(kept));
    }

    // The run's routine removed candidates and the board passed its checks.
    void Removed(const KR_solver& board) {
        if (open_) std::memcpy(cand_, board.cand, sizeof cand_);
    }

    // Phase 1 placed a digit while the run was going on: the run is its chain.
    void Placed(const KR_solver&) {
        if (open_) sameChain_ = true;
    }

    Start StartOf(int index) const {
        int position = 0;
        while (kPhase1Order[position] != index) ++position;
        if (position < firstPosition_) return Start::kFails;
        if (index != technique_) return Start::kFresh;
        // The same chain gives the same placement and pruning, which phase 1
        // has already had; it was not two steps long, or the search had ended.
        return sameChain_ ? Start::kFails : Start::kResume;
    }

    // The board where the run ended, with its steps and counts.
    void Resume(KR_solver& board) const {
        board.steps.assign(steps_.begin(), steps_.end());
        std::memcpy(board.cand, cand_, sizeof cand_);
        CountCandidates(board);
    }

    // Whether the run's routine was tried at the end of the run and failed.
    bool FailsAtEnd() const {
        int position = 0;
        while (kPhase1Order[position] != technique_) ++position;
        return position < endPosition_;
    }

private:
    static bool InPhase2(int index) {
        for (int entry : kPhase2List)
            if (entry == index) return true;
        return false;
    }

    bool firstPass_ = true;
    int firstPosition_ = kPhase1Count;  // where the first pass applied, or kPhase1Count
    int technique_ = -1;                // the routine of the run, a phase 2 routine
    bool open_ = false;
    int endPosition_ = kPhase1Count;    // where the pass after the run applied
    bool sameChain_ = false;
    std::vector<Step> steps_;
    uint8_t cand_[81][10];
};

// TryTechnique for the catalogue's entries. A catalogue technique writes
// into the hint only when it succeeds, so after a failure the hint is still
// reset and need not be cleared again: a search tries dozens of techniques
// for every one that applies.
class CatalogueTrials {
public:
    explicit CatalogueTrials(KR_solver& board) : board_(board) {}

    bool Try(int index) {
        if (!hintClear_) ResetHint(board_.hint);
        hintClear_ = false;
        const TechniqueRoutine routine = Technique(index).routine;
        if (!routine(board_)) {
            hintClear_ = true;
            return false;
        }
        Step& step = board_.steps.emplace_back();
        step.text = board_.stepText;
        step.routine = routine;
        step.technique = board_.stepTechnique;
        step.hint = board_.hint;
        step.needed = 1;
        return true;
    }

    // Entries 2, 3, 4: the placements an elimination can have made possible.
    bool TrySinglePlacements() {
        for (int index = 2; index <= 4; ++index)
            if (Try(index)) return true;
        return false;
    }

    // Someone else wrote into the hint (pruning replays the chain).
    void HintWritten() { hintClear_ = false; }

private:
    KR_solver& board_;
    bool hintClear_ = false;
};

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
    thread_local PreparedTables start;
    PrepareBoard(board);
    start.Save(board);
    return StepSearchFrom(board, target, start);
}

int StepSearchFrom(KR_solver& board, bool target, const PreparedTables& prepared) {
    // The fallback chain: the first that phase 1 or 2 found, pruned only once
    // it is known to be the answer (a two-step chain of phase 2 replaces it).
    // Reused per thread, so a search copies steps without allocating.
    thread_local std::vector<Step> best;
    thread_local LeadingRun lead;
    best.clear();
    bool bestPruned = false;
    Placement bestPlace;
    CatalogueTrials trials(board);
    if (target) board.targetMode = true;
    board.steps.clear();

    // Phase 1: the basic techniques, then eliminations until a placement.
    for (int index = 0; index <= 4; ++index)
        if (trials.Try(index)) return EndWithPlacement(board, target);

    lead.Begin();
    for (;;) {
        int position = 0;
        while (position < kPhase1Count && !trials.Try(kPhase1Order[position])) ++position;
        lead.Pass(board, position);
        if (position == kPhase1Count) break;
        CountCandidates(board);
        if (!CheckCandidates(board)) return EndWithContradiction(board, target);
        lead.Removed(board);
        if (!trials.TrySinglePlacements()) continue;
        lead.Placed(board);
        trials.HintWritten();
        if (PruneChain(board, true)) {
            if (CountNeeded(board) == 2) return EndWithPlacement(board, target);
            bestPruned = true;
        }
        best.swap(board.steps);
        if (!target) bestPlace = CurrentPlacement(board);
        break;
    }

    // Phase 2: chains of one technique, each from the unreduced candidates,
    // looking for a placement that needs a single elimination. Phase 1 began
    // from the same candidates: a routine that failed there fails again, and
    // the routine that led phase 1 repeats its steps as far as they went.
    for (int index : kPhase2List) {
        const LeadingRun::Start start = lead.StartOf(index);
        if (start == LeadingRun::Start::kFails) continue;
        board.steps.clear();
        if (start == LeadingRun::Start::kResume) {
            lead.Resume(board);
            trials.HintWritten();
            if (lead.FailsAtEnd()) continue;
        } else {
            prepared.Restore(board);
        }
        while (trials.Try(index)) {
            CountCandidates(board);
            if (!CheckCandidates(board)) return EndWithContradiction(board, target);
            if (!trials.TrySinglePlacements()) continue;
            trials.HintWritten();
            if (best.empty()) {
                PruneChain(board, false);
                if (CountNeeded(board) == 2) return EndWithPlacement(board, target);
                best.swap(board.steps);
                bestPruned = true;
                if (!target) bestPlace = CurrentPlacement(board);
            } else if (PruneChain(board, true) && CountNeeded(board) == 2) {
                return EndWithPlacement(board, target);
            }
            break;
        }
    }

    if (best.empty()) {
        if (target) board.targetMode = false;
        return 0;
    }
    board.steps.swap(best);
    if (!target) {
        board.placeRow = bestPlace.row;
        board.placeCol = bestPlace.col;
        board.placeDigit = bestPlace.digit;
    }
    if (!bestPruned) PruneSteps(board);
    if (target) {
        board.targetMode = false;
    } else {
        board.value[bestPlace.row][bestPlace.col] = bestPlace.digit;
    }
    return 1;
}

int StepSearchLimited(KR_solver& board, int ceiling) {
    CatalogueTrials trials(board);
    board.steps.clear();
    PrepareBoard(board);
    for (int index = 0; index <= 4; ++index)
        if (trials.Try(index)) return EndWithPlacement(board, false);

    for (;;) {
        bool eliminated = false;
        for (int index : kPhase1Order) {
            if (Technique(index).ceiling > ceiling) continue;
            if (trials.Try(index)) {
                eliminated = true;
                break;
            }
        }
        if (!eliminated) return 0;
        CountCandidates(board);
        if (!CheckCandidates(board)) return -1;
        if (trials.TrySinglePlacements()) return EndWithPlacement(board, false);
    }
}

}  // namespace masuvo
