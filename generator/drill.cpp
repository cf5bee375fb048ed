#include "generator/drill.h"

#include <algorithm>

#include "engine/rating.h"
#include "engine/step_search.h"
#include "generator/kr_generator.h"

namespace masuvo {

bool FindDrillPosition(const KR_base& puzzle, int technique, Drill& drill) {
    KR_base grid = puzzle;
    // Each placement is searched from its own board, as the hint searches it,
    // so the position found is one on which the hint names the technique.
    for (int placed = 0; placed < 81; ++placed) {
        KR_solver board;
        for (int r = 0; r < 9; ++r)
            for (int c = 0; c < 9; ++c) board.value[r][c] = grid.value[r][c];
        if (StepSearch(board, false) != 1) return false;
        bool uses = false;
        std::vector<int> techniques;
        std::string texts;
        for (const Step& step : board.steps) {
            if (step.needed == 0) continue;
            techniques.push_back(step.technique);
            texts += step.text;
            uses = uses || step.technique == technique;
        }
        if (uses) {
            drill.position = grid;
            drill.row = board.placeRow;
            drill.col = board.placeCol;
            drill.digit = board.placeDigit;
            drill.texts = texts;
            drill.techniques = techniques;
            return true;
        }
        grid.value[board.placeRow][board.placeCol] = board.placeDigit;
    }
    return false;
}

DrillOutcome CreateDrill(const DrillRequest& request) {
    DrillOutcome outcome;
    // The lowest rank that allows the technique first; where its search finds
    // nothing (a rank may allow a technique its puzzles seldom need), the next
    // rank that allows it, so every technique gets its drills.
    for (int rank = LowestRankAllowing(request.technique); rank >= 0 && rank < kRankCount; ++rank) {
        if (!RankAllowsTechnique(rank, request.technique)) continue;
        CreationRequest creation;
        creation.number = request.number;
        creation.rank = rank;
        creation.symmetry = kPointSymmetry;
        creation.technique = request.technique;
        creation.threads = request.threads;
        creation.cancel = request.cancel;
        creation.progress = request.progress;
        const CreationOutcome created = CreateRated(creation);
        outcome.status = created.status;
        if (created.status == CreationStatus::Cancelled) return outcome;
        if (created.status != CreationStatus::Found) continue;
        outcome.drill.puzzle = created.puzzle;
        outcome.drill.rank = rank;
        // The rating run used the technique, so its step-by-step walk meets it.
        if (FindDrillPosition(created.puzzle, request.technique, outcome.drill)) return outcome;
        outcome.status = CreationStatus::Failed;
    }
    return outcome;
}

}  // namespace masuvo
