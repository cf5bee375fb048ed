#include "engine/board.h"

#include <cstring>

namespace masuvo {

void KR_base::Clear() { std::memset(value, 0, sizeof value); }

void ResetHint(KR_hint& hint) {
    std::memset(hint.cellMark, 0, sizeof hint.cellMark);
    std::memset(hint.candFlags, 0, sizeof hint.candFlags);
    std::memset(hint.candMark, 0, sizeof hint.candMark);
    hint.setList1.clear();
    hint.setList2.clear();
}

void CopyHint(KR_hint& destination, const KR_hint& source) { destination = source; }

KR_solver::KR_solver() {
    std::memset(blockCount, 0, sizeof blockCount);
    std::memset(rowCount, 0, sizeof rowCount);
    std::memset(colCount, 0, sizeof colCount);
    std::memset(cand, 0, sizeof cand);
    std::memset(blockCand, 0, sizeof blockCand);
    std::memset(rowCand, 0, sizeof rowCand);
    std::memset(colCand, 0, sizeof colCand);
    std::memset(cellCand, 0, sizeof cellCand);
    std::memset(replayMask, 0, sizeof replayMask);
}

namespace {
// value, cand and the four candidate count tables, between boards and save areas.
template <typename Destination, typename Source>
void CopyStateFields(Destination& destination, const Source& source) {
    std::memcpy(destination.value, source.value, sizeof source.value);
    std::memcpy(destination.cand, source.cand, sizeof source.cand);
    std::memcpy(destination.blockCand, source.blockCand, sizeof source.blockCand);
    std::memcpy(destination.rowCand, source.rowCand, sizeof source.rowCand);
    std::memcpy(destination.colCand, source.colCand, sizeof source.colCand);
    std::memcpy(destination.cellCand, source.cellCand, sizeof source.cellCand);
}
}  // namespace

void CopyState(KR_solver& destination, const KR_solver& source) { CopyStateFields(destination, source); }
void SaveState(SolverState& destination, const KR_solver& source) { CopyStateFields(destination, source); }
void RestoreState(KR_solver& destination, const SolverState& source) { CopyStateFields(destination, source); }

bool ParseGrid(const std::string& text, KR_base& grid) {
    if (text.size() < 81) return false;
    KR_base parsed;
    for (int k = 0; k < 81; ++k) {
        const char c = text[k];
        if (c >= '1' && c <= '9') {
            parsed.value[k / 9][k % 9] = c - '0';
        } else if (c == '.' || c == '0') {
            parsed.value[k / 9][k % 9] = 0;
        } else {
            return false;
        }
    }
    grid = parsed;
    return true;
}

std::string GridText(const KR_base& grid) {
    std::string text(81, '.');
    for (int k = 0; k < 81; ++k) {
        const int v = grid.value[k / 9][k % 9];
        if (v != 0) text[k] = static_cast<char>('0' + v);
    }
    return text;
}

}  // namespace masuvo
