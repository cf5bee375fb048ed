// The step-solving runs, the usage tally and the display form of a chain.
#include <atomic>
#include <cstring>
#include <string>

#include "engine/candidates.h"
#include "engine/prepared_tables.h"
#include "engine/step_search.h"

namespace masuvo {

void AddUsage(const Usage& source, Usage& destination) {
    for (int i = 0; i < kTechniqueCount; ++i) {
        destination.count[i] += source.count[i];
        destination.follow[i] += source.follow[i];
    }
}

void CopyUsage(const Usage& source, Usage& destination) { destination = source; }

void TallyUsage(const KR_solver& board, Usage& usage) {
    usage = Usage();
    int needed = 0;
    for (const Step& step : board.steps)
        if (step.needed != 0) ++needed;
    int j = 0;
    for (const Step& step : board.steps) {
        if (step.needed == 0) continue;
        ++j;
        usage.count[step.technique] += 1;
        usage.follow[step.technique] += needed - j;
    }
}

namespace {

// k as "%2d" writes it: right-aligned in two columns, longer when it needs to be.
void AppendNumber(std::string& text, int k) {
    char digits[12];
    int size = 0;
    unsigned magnitude = k < 0 ? 0u - static_cast<unsigned>(k) : static_cast<unsigned>(k);
    do {
        digits[size++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (k < 0) digits[size++] = '-';
    for (int pad = size; pad < 2; ++pad) text += ' ';
    while (size > 0) text += digits[--size];
}

template <typename Search>
int SolveStepByStep(KR_solver& board, Usage& usageOut, const std::atomic<bool>* cancel, Search search) {
    Usage local;
    usageOut = Usage();
    board.logText.clear();
    int k = 0;
    int r = search(board);
    while (r > 0) {
        // A creation being cancelled stops between placements: the run of a
        // hard board is long enough to hold a cancel up by seconds.
        if (cancel && cancel->load(std::memory_order_relaxed)) return 0;
        // "%2d: " and the texts of the needed steps, appended in place.
        AppendNumber(board.logText, ++k);
        board.logText += ": ";
        for (const Step& step : board.steps)
            if (step.needed != 0) board.logText += step.text.view();
        board.logText += "\r\n";
        TallyUsage(board, local);
        AddUsage(local, usageOut);
        r = search(board);
    }
    if (r < 0) return -1;
    PrepareBoard(board);
    if (!CheckDuplicates(board) || !CheckCandidates(board)) return -1;
    for (int b = 0; b < 9; ++b)
        if (board.blockCount[b][0] != 0) return 0;
    return 1;
}

}  // namespace

int SolveByLogic(KR_solver& board, Usage& usageOut, const std::atomic<bool>* cancel) {
    // Each search starts from the tables of its grid, which is the last grid
    // with one more digit: they follow from the last search's start instead
    // of being prepared from the grid again.
    thread_local PreparedTables tables;
    bool first = true;
    return SolveStepByStep(board, usageOut, cancel, [&](KR_solver& b) {
        if (first) {
            first = false;
            PrepareBoard(b);
            tables.Save(b);
        } else {
            tables.Place(b.placeRow, b.placeCol, b.placeDigit);
            tables.Restore(b);
        }
        return StepSearchFrom(b, false, tables);
    });
}

int SolveByLogicLimited(KR_solver& board, Usage& usageOut, int ceiling, const std::atomic<bool>* cancel) {
    return SolveStepByStep(board, usageOut, cancel, [ceiling](KR_solver& b) { return StepSearchLimited(b, ceiling); });
}

void BuildHintList(const KR_solver& board, std::vector<KR_hint>& list) {
    list.clear();
    for (const Step& step : board.steps)
        if (step.needed != 0) list.push_back(step.hint);
    for (size_t k = 0; k + 1 < list.size(); ++k)
        for (int cell = 0; cell < 81; ++cell)
            for (int d = 0; d < 10; ++d)
                if (list[k].candMark[cell][d] == 4)
                    for (size_t later = k + 1; later < list.size(); ++later) list[later].candFlags[cell][d] |= 2;
}

}  // namespace masuvo
