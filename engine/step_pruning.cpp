// Pruning: which removals and which steps a placement really needs.
//
// Pruning asks, for every removal of every step and then for every whole
// step, whether the placement still follows without it; each question is a
// replay of the chain. Replayed literally, every question rebuilds the
// candidates and reruns every technique of the chain, which made pruning most
// of a rating's time. The answers here are the same, found with less work:
//  - the candidates before each step are kept, so a question is replayed from
//    the step it changes, not from the beginning;
//  - while a step's removals are being reduced the step is a plain removal,
//    so the board after it is known without running anything;
//  - a candidate that stays to the end (no later step may remove it) and that
//    the placing technique cannot have beside the placement answers the
//    question at once: the placement no longer follows.
#include "engine/step_pruning.h"

#include <cstring>
#include <vector>

#include "engine/candidates.h"
#include "engine/catalogue.h"
#include "engine/step_search.h"

namespace masuvo {

namespace {

bool IsEliminated(uint8_t mark) { return (mark & 0x0F) == 4; }

struct CandTable {
    uint8_t at[81][10];
};

// Clears the candidates a step marked as removed, as a replay applies a step
// it does not rerun.
void RemoveMarked(uint8_t cand[81][10], const CandTable& mask) {
    for (int k = 0; k < 81; ++k)
        for (int d = 1; d <= 9; ++d)
            if (mask.at[k][d]) cand[k][d] = 0;
}

// Whether some candidate 1..9 is both on the board and in the mask.
bool AnyAllowed(const uint8_t cand[81][10], const CandTable& mask) {
    for (int k = 0; k < 81; ++k) {
        uint8_t both = 0;
        for (int d = 1; d <= 9; ++d) both |= static_cast<uint8_t>(cand[k][d] & mask.at[k][d]);
        if (both) return true;
    }
    return false;
}

// The catalogue's eliminating techniques succeed only by removing a
// candidate; with nothing their mask allows they are known to fail.
bool IsCatalogueElimination(TechniqueRoutine routine) {
    for (int index = 5; index < kTechniqueCount; ++index)
        if (Technique(index).routine == routine) return true;
    return false;
}

// The ways the placing technique can report the placement, each with the
// candidates that keep it from doing so. A candidate is a (cell, digit) pair.
struct Routes {
    int count = 0;
    int size[2] = {0, 0};
    uint8_t cell[2][9];
    uint8_t digit[2][9];

    void Add(int route, int k, int d) {
        cell[route][size[route]] = static_cast<uint8_t>(k);
        digit[route][size[route]] = static_cast<uint8_t>(d);
        ++size[route];
    }
};

// Only the catalogue's own placing techniques are known here; for any other
// routine every question is replayed.
Routes RoutesOf(TechniqueRoutine placer, int row, int col, int digit) {
    Routes routes;
    if (row < 0 || row > 8 || col < 0 || col > 8 || digit < 1 || digit > 9) return routes;
    const int target = CellIndex(row, col);
    if (placer == Technique(2).routine) {  // the digit's only cell of its block
        routes.count = 1;
        const int block = BlockOf(row, col);
        for (int i = 0; i < 9; ++i)
            if (BlockCell(block, i) != target) routes.Add(0, BlockCell(block, i), digit);
    } else if (placer == Technique(3).routine) {  // ... of its row, or of its column
        routes.count = 2;
        for (int i = 0; i < 9; ++i) {
            if (i != col) routes.Add(0, CellIndex(row, i), digit);
            if (i != row) routes.Add(1, CellIndex(i, col), digit);
        }
    } else if (placer == Technique(4).routine) {  // the cell's only digit
        routes.count = 1;
        for (int d = 1; d <= 9; ++d)
            if (d != digit) routes.Add(0, target, d);
    }
    return routes;
}

// Reused per thread: once grown, pruning allocates nothing.
struct Scratch {
    std::vector<CandTable> masks;   // per step: the removals its marks allow
    std::vector<CandTable> before;  // per step: the candidates before it, earlier steps as marked
    std::vector<uint8_t> needed;    // the flags on entry, given back when pruning gives up
    std::vector<uint8_t> eliminates;  // per step: a catalogue elimination
    CandTable state;
    uint8_t lastMarks[81][10];      // the last elimination's marks on entry
};

class Pruning {
public:
    Pruning(KR_solver& board, Scratch& scratch)
        : board_(board),
          steps_(board.steps),
          n_(static_cast<int>(board.steps.size())),
          digit_(board.placeDigit),
          col_(board.placeCol),
          row_(board.placeRow),
          s_(scratch) {}

    bool Run(bool onlyTwo) {
        if (n_ == 0) {
            Finish();
            return true;
        }
        s_.needed.resize(static_cast<size_t>(n_));
        for (int i = 0; i < n_; ++i) s_.needed[static_cast<size_t>(i)] = steps_[static_cast<size_t>(i)].needed;
        if (n_ >= 2) std::memcpy(s_.lastMarks, steps_[static_cast<size_t>(n_ - 2)].hint.candMark, sizeof s_.lastMarks);
        routes_ = RoutesOf(steps_[static_cast<size_t>(n_ - 1)].routine, row_, col_, digit_);

        board_.replayMode = true;
        for (int i = 0; i < n_; ++i) steps_[static_cast<size_t>(i)].needed = (i == n_ - 1) ? 1 : 2;

        s_.eliminates.resize(static_cast<size_t>(n_));
        for (int i = 0; i < n_; ++i)
            s_.eliminates[static_cast<size_t>(i)] = IsCatalogueElimination(steps_[static_cast<size_t>(i)].routine);
        s_.masks.resize(static_cast<size_t>(n_));
        s_.before.resize(static_cast<size_t>(n_));
        for (int i = 0; i < n_; ++i) {
            CandTable& mask = s_.masks[static_cast<size_t>(i)];
            const KR_hint& hint = steps_[static_cast<size_t>(i)].hint;
            for (int k = 0; k < 81; ++k)
                for (int d = 0; d < 10; ++d) mask.at[k][d] = IsEliminated(hint.candMark[k][d]) ? 1 : 0;
        }
        RebuildCandidates(board_);
        std::memcpy(s_.before[0].at, board_.cand, sizeof board_.cand);
        for (int i = 1; i < n_; ++i) {
            s_.before[static_cast<size_t>(i)] = s_.before[static_cast<size_t>(i - 1)];
            RemoveMarked(s_.before[static_cast<size_t>(i)].at, s_.masks[static_cast<size_t>(i - 1)]);
        }

        // Keep only the removals of each elimination that the placement still
        // needs. Steps before i are still plain removals of their marks, so
        // the candidates before step i are those kept above.
        for (int i = n_ - 2; i >= 0; --i) {
            ReduceRemovals(i);
            steps_[static_cast<size_t>(i)].needed = 1;
            // A chain of two needed steps is the last elimination alone: if
            // that does not lead to the placement, nothing can.
            if (onlyTwo && i == n_ - 2 && n_ >= 3 && !Question(n_ - 2, s_.before[0])) {
                GiveUp();
                return false;
            }
        }

        // Drop whole steps that the placement does without; the last elimination stays.
        CandTable& kept = s_.state;
        kept = s_.before[0];
        for (int j = 0; j <= n_ - 3; ++j) {
            Step& step = steps_[static_cast<size_t>(j)];
            step.needed = 0;
            if (!Question(j + 1, kept)) {
                step.needed = 2;
                RemoveMarked(kept.at, s_.masks[static_cast<size_t>(j)]);
            }
        }
        for (int j = 0; j <= n_ - 3; ++j)
            if (steps_[static_cast<size_t>(j)].needed == 2) steps_[static_cast<size_t>(j)].needed = 1;

        ReplaySteps(board_, digit_, col_, row_, true);
        Finish();
        return true;
    }

private:
    // Takes out each marked removal of step i in turn and keeps it out when
    // the placement still follows.
    void ReduceRemovals(int i) {
        const size_t at = static_cast<size_t>(i);
        CandTable& mask = s_.masks[at];
        const CandTable& before = s_.before[at];
        CandTable& after = s_.state;
        after = before;
        RemoveMarked(after.at, mask);
        uint8_t(&marks)[81][10] = steps_[at].hint.candMark;
        for (int k = 0; k < 81; ++k) {
            for (int d = 1; d <= 9; ++d) {
                uint8_t& mark = marks[k][d];
                if (!IsEliminated(mark)) continue;
                mark ^= 4;
                mask.at[k][d] = 0;
                const uint8_t present = before.at[k][d];
                after.at[k][d] = present;
                if (!Question(i + 1, after)) {
                    mark ^= 4;
                    mask.at[k][d] = 1;
                    after.at[k][d] = 0;
                }
            }
        }
    }

    // Whether the placement follows when the steps from `from` on run, as
    // their flags say, on the candidates `start`: the answer of ReplaySteps
    // for the same flags and marks.
    bool Question(int from, const CandTable& start) {
        FindLastRemovers(from);
        if (Blocked(start.at, from - 1)) return false;
        std::memcpy(board_.cand, start.at, sizeof board_.cand);
        if (!board_.targetMode) {
            board_.placeDigit = 0;
            board_.placeCol = -1;
            board_.placeRow = -1;
        }
        bool result = false;
        for (int j = from; j < n_; ++j) {
            Step& step = steps_[static_cast<size_t>(j)];
            if (step.needed == 1) {
                const CandTable& mask = s_.masks[static_cast<size_t>(j)];
                if (s_.eliminates[static_cast<size_t>(j)] && !AnyAllowed(board_.cand, mask)) {
                    result = false;
                } else {
                    std::memcpy(board_.replayMask, mask.at, sizeof board_.replayMask);
                    CountCandidates(board_);
                    ResetHint(board_.hint);
                    result = step.routine(board_);
                }
            } else if (step.needed == 2) {
                RemoveMarked(board_.cand, s_.masks[static_cast<size_t>(j)]);
            } else {
                continue;
            }
            // A step that left a candidate only it could remove has settled
            // the question as surely as one there from the start.
            if (j < n_ - 1 && Blocked(board_.cand, j)) return false;
        }
        if (board_.targetMode) return result;
        return board_.placeDigit == digit_ && board_.placeCol == col_ && board_.placeRow == row_;
    }

    // For each candidate that can shut a route: the last step from `from` on
    // that may remove it (from - 1 for none). Removals happen only where a
    // step's mask allows them and candidates never come back.
    void FindLastRemovers(int from) {
        for (int route = 0; route < routes_.count; ++route) {
            for (int m = 0; m < routes_.size[route]; ++m) {
                const int k = routes_.cell[route][m];
                const int d = routes_.digit[route][m];
                int last = from - 1;
                for (int j = n_ - 1; j >= from; --j) {
                    if (steps_[static_cast<size_t>(j)].needed != 0 && s_.masks[static_cast<size_t>(j)].at[k][d]) {
                        last = j;
                        break;
                    }
                }
                lastRemover_[route][m] = last;
            }
        }
    }

    // True when, with the steps up to `done` applied, every route of the
    // placing technique is shut by a candidate of cand that no later step
    // may remove: it is still there when the placing step runs.
    bool Blocked(const uint8_t cand[81][10], int done) const {
        if (routes_.count == 0) return false;
        for (int route = 0; route < routes_.count; ++route) {
            bool shut = false;
            for (int m = 0; m < routes_.size[route] && !shut; ++m)
                shut = cand[routes_.cell[route][m]][routes_.digit[route][m]] && lastRemover_[route][m] <= done;
            if (!shut) return false;
        }
        return true;
    }

    // Back to the chain as it came: only the last elimination's marks and the
    // flags have changed so far.
    void GiveUp() {
        std::memcpy(steps_[static_cast<size_t>(n_ - 2)].hint.candMark, s_.lastMarks, sizeof s_.lastMarks);
        for (int i = 0; i < n_; ++i) steps_[static_cast<size_t>(i)].needed = s_.needed[static_cast<size_t>(i)];
        Finish();
    }

    void Finish() {
        board_.placeCol = col_;
        board_.placeRow = row_;
        board_.placeDigit = digit_;
        board_.replayMode = false;
    }

    KR_solver& board_;
    std::vector<Step>& steps_;
    const int n_;
    const int digit_;
    const int col_;
    const int row_;
    Scratch& s_;
    Routes routes_;
    int lastRemover_[2][9] = {};
};

}  // namespace

bool PruneChain(KR_solver& board, bool onlyTwo) {
    thread_local Scratch scratch;
    return Pruning(board, scratch).Run(onlyTwo);
}

void PruneSteps(KR_solver& board) { PruneChain(board, false); }

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

}  // namespace masuvo
