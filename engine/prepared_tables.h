// The derived tables of a grid as the preparation makes them, kept beside a
// search so that the next grid's tables follow from them: internal to the
// step search and the step-solving runs.
#pragma once

#include <cstdint>

#include "engine/board.h"

namespace masuvo {

struct PreparedTables {
    int32_t blockCount[9][10];
    int32_t rowCount[9][10];
    int32_t colCount[9][10];
    uint8_t cand[81][10];
    int32_t blockCand[9][10];
    int32_t rowCand[9][10];
    int32_t colCand[9][10];
    int32_t cellCand[81];

    // The board's digit counts, candidates and candidate counts, and back.
    void Save(const KR_solver& board);
    void Restore(KR_solver& board) const;

    // From the tables of a grid to those of the same grid with digit placed
    // in the empty cell (row, col): exactly what preparing that grid gives.
    void Place(int row, int col, int digit);
};

// The step search on a board whose tables are already those of its grid,
// saved in `start` (the same search as StepSearch, without its preparation).
int StepSearchFrom(KR_solver& board, bool target, const PreparedTables& start);

}  // namespace masuvo
