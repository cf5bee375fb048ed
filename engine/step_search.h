// The step search: the next placement and the shortest chain that justifies
// it, and the step-solving runs built on it.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/board.h"
#include "engine/catalogue.h"

namespace masuvo {

// How often each technique was needed, and how many needed applications
// followed it within the same placement's chain.
struct Usage {
    int32_t count[kTechniqueCount] = {};
    int32_t follow[kTechniqueCount] = {};
};

void AddUsage(const Usage& source, Usage& destination);
void CopyUsage(const Usage& source, Usage& destination);
void TallyUsage(const KR_solver& board, Usage& usage);

bool TryTechnique(KR_solver& board, TechniqueRoutine routine);

// 1 placement found (written into value unless target), 0 none, -1 contradiction.
int StepSearch(KR_solver& board, bool target);
// Only the entries the ceiling admits; no pruning, no shortcut search.
int StepSearchLimited(KR_solver& board, int ceiling);

// 1 solved, 0 stuck, -1 contradiction; fills logText and usageOut. A set
// cancel flag ends the run at the next placement with 0.
int SolveByLogic(KR_solver& board, Usage& usageOut, const std::atomic<bool>* cancel = nullptr);
int SolveByLogicLimited(KR_solver& board, Usage& usageOut, int ceiling, const std::atomic<bool>* cancel = nullptr);

// The hints of the needed steps of the current chain, each marking what the
// earlier ones eliminated.
void BuildHintList(const KR_solver& board, std::vector<KR_hint>& list);

// Internal to the step search, exposed for tests.
void PruneSteps(KR_solver& board);
bool ReplaySteps(KR_solver& board, int digit, int col, int row, bool storeHints);

}  // namespace masuvo
