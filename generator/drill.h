// 一問練習: a position that asks for one technique. A drill of technique t and
// number n comes from the technique-targeted puzzle of (n, the lowest rank
// that allows t and finds one, point symmetry): the board just before the first placement
// of its logical solution whose needed steps use t, every earlier placement
// turned into a given.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "engine/board.h"
#include "generator/creation.h"

namespace masuvo {

struct DrillRequest {
    int technique = 0;
    int number = 1;
    int threads = 0;  // 0: OpenMP's default
    const std::atomic<bool>* cancel = nullptr;
    std::function<void(int)> progress;  // as CreationRequest::progress
};

struct Drill {
    KR_base puzzle;    // the created puzzle the drill comes from
    int rank = 0;
    KR_base position;  // the drill's givens
    int row = 0;       // the answer, 0-based
    int col = 0;
    int digit = 0;
    std::string texts;            // the needed steps' texts of the answer
    std::vector<int> techniques;  // their catalogue indices, in order
};

struct DrillOutcome {
    CreationStatus status = CreationStatus::Failed;
    Drill drill;
};

DrillOutcome CreateDrill(const DrillRequest& request);

// Walks the logical solution of a puzzle to the first placement whose needed
// steps use the technique; false when none does.
bool FindDrillPosition(const KR_base& puzzle, int technique, Drill& drill);

}  // namespace masuvo
