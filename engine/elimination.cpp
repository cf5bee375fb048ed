#include "engine/elimination.h"

#include <array>
#include <atomic>
#include <cstring>

#include "engine/techniques.h"

namespace masuvo {

namespace {

// The high bit of every byte of x that is not zero.
constexpr uint64_t NonZeroBytes(uint64_t x) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    return (((x & kLow7) + kLow7) | x) & ~kLow7;
}

}  // namespace

namespace {
std::atomic<bool> g_replayShortcuts{true};
}  // namespace

void SetReplayShortcuts(bool on) { g_replayShortcuts.store(on); }
bool ReplayShortcuts() { return g_replayShortcuts.load(std::memory_order_relaxed); }

Removable::Removable(const KR_solver& board) : any(!board.replayMode || !ReplayShortcuts()) {
    if (any) return;
    for (uint16_t& u : unit) u = 0;
    for (int k = 0; k < 81; ++k) {
        // Most cells have nothing the mask allows: eight entries at a time.
        uint64_t candLow, maskLow;
        uint16_t candHigh, maskHigh;
        std::memcpy(&candLow, board.cand[k], 8);
        std::memcpy(&maskLow, board.replayMask[k], 8);
        std::memcpy(&candHigh, board.cand[k] + 8, 2);
        std::memcpy(&maskHigh, board.replayMask[k] + 8, 2);
        if ((NonZeroBytes(candLow) & NonZeroBytes(maskLow)) == 0 &&
            (NonZeroBytes(candHigh) & NonZeroBytes(maskHigh)) == 0) {
            cell[k] = 0;
            continue;
        }
        uint16_t bits = 0;
        for (int d = 1; d <= 9; ++d)
            if (board.cand[k][d] && board.replayMask[k][d]) bits |= static_cast<uint16_t>(1u << d);
        cell[k] = bits;
        if (bits == 0) continue;
        digits |= bits;
        const int row = k / 9;
        const int col = k % 9;
        unit[BlockOf(row, col)] |= bits;
        unit[9 + row] |= bits;
        unit[18 + col] |= bits;
    }
}

bool NextCombination(int n, int out[], int& counter) {
    const CombinationList list = Combinations(n);
    if (counter < 0 || counter >= list.count) return false;
    for (int i = 0; i < n; ++i) out[i] = list.table[counter][i];
    ++counter;
    return true;
}

}  // namespace masuvo
