// ほぼ確定n(二組) and ほぼ確定(三組).
//
// Both routines run inside every step search, and the three-set loop is cubic
// in a list of up to several hundred sets. So every set is summarised once per
// call as bit masks (its cells, its digits and, per digit, the units that hold
// all of its cells with that digit); the overlap test, the restricted common
// digits and the cells that see a digit are then a few mask operations, and
// the scan order, hence the instance reported, stays the plain loop order.
#include "engine/almost_locked_sets.h"

#include <bit>

#include "engine/elimination.h"
#include "engine/techniques.h"

namespace masuvo {

namespace {

// The 81 cells as bits; bit order is row-major order.
struct CellSet {
    uint64_t low = 0;   // cells 0..63
    uint64_t high = 0;  // cells 64..80

    constexpr void Add(int cell) {
        if (cell < 64)
            low |= uint64_t{1} << cell;
        else
            high |= uint64_t{1} << (cell - 64);
    }
    constexpr bool Empty() const { return (low | high) == 0; }
    constexpr bool Meets(const CellSet& other) const { return ((low & other.low) | (high & other.high)) != 0; }
    constexpr CellSet operator&(const CellSet& other) const { return {low & other.low, high & other.high}; }
    constexpr CellSet operator|(const CellSet& other) const { return {low | other.low, high | other.high}; }
    constexpr CellSet Without(const CellSet& other) const { return {low & ~other.low, high & ~other.high}; }
};

// Calls visit(cell) for every cell of the set in row-major order.
template <typename Visit>
void ForEachCell(CellSet cells, Visit visit) {
    while (cells.low != 0) {
        visit(std::countr_zero(cells.low));
        cells.low &= cells.low - 1;
    }
    while (cells.high != 0) {
        visit(64 + std::countr_zero(cells.high));
        cells.high &= cells.high - 1;
    }
}

// Units as bits of a mask: blocks 0..8, rows 9..17, columns 18..26.
constexpr uint32_t kAllUnits = (uint32_t{1} << 27) - 1;

constexpr uint32_t UnitsOfCell(int cell) {
    const int row = cell / 9;
    const int col = cell % 9;
    return (uint32_t{1} << BlockOf(row, col)) | (uint32_t{1} << (9 + row)) | (uint32_t{1} << (18 + col));
}

struct UnitCells {
    CellSet of[27];
};

constexpr UnitCells MakeUnitCells() {
    UnitCells units;
    for (int cell = 0; cell < 81; ++cell) {
        uint32_t mask = UnitsOfCell(cell);
        for (int unit = 0; unit < 27; ++unit)
            if (mask & (uint32_t{1} << unit)) units.of[unit].Add(cell);
    }
    return units;
}

constexpr UnitCells kUnitCells = MakeUnitCells();

CellSet CellsOfUnits(uint32_t units) {
    CellSet cells;
    while (units != 0) {
        cells = cells | kUnitCells.of[std::countr_zero(units)];
        units &= units - 1;
    }
    return cells;
}

int CellOf(const KR_ALS& set, int i) {
    return CellIndex(3 * set.band[i] + set.rowInBlock[i], 3 * set.stack[i] + set.colInBlock[i]);
}

// What the scans ask of a set, derived once from its record.
struct SetSummary {
    CellSet cells;
    uint32_t digits = 0;      // bit d: some cell of the set holds d
    uint32_t units[10] = {};  // per digit held: the units containing every cell of the set that holds it
};

SetSummary Summarise(const KR_ALS& set) {
    SetSummary summary;
    for (int d = 1; d <= 9; ++d) summary.units[d] = kAllUnits;
    for (int i = 0; i < set.cellCount; ++i) {
        const int cell = CellOf(set, i);
        summary.cells.Add(cell);
        const uint32_t units = UnitsOfCell(cell);
        for (int d = 1; d <= 9; ++d) {
            if (!set.cellCands[i][d]) continue;
            summary.digits |= uint32_t{1} << d;
            summary.units[d] &= units;
        }
    }
    for (int d = 1; d <= 9; ++d)
        if (!(summary.digits & (uint32_t{1} << d))) summary.units[d] = 0;
    return summary;
}

// A digit is restricted common when one unit holds all its cells in both sets.
int RestrictedDigits(const SetSummary& a, const SetSummary& b, int out[]) {
    int count = 0;
    for (uint32_t common = a.digits & b.digits; common != 0; common &= common - 1) {
        const int d = std::countr_zero(common);
        if (a.units[d] & b.units[d]) out[count++] = d;
    }
    return count;
}

bool PeersOfDigit(const SetSummary& set, int z, CellSet& out) {
    const uint32_t units = set.units[z];  // 0 when the set has no z
    if (units == 0) return false;
    out = CellsOfUnits(units).Without(set.cells);
    return true;
}

// Eliminate on every cell of the set; true when anything was removed.
bool EliminateIn(KR_solver& board, CellSet cells, int digit) {
    bool removed = false;
    ForEachCell(cells, [&](int cell) { removed |= Eliminate(board, cell, digit); });
    return removed;
}

// Eliminate z from the cells that see, through whole units, every z of both sets.
bool EliminateSeenByBoth(KR_solver& board, const SetSummary& first, const SetSummary& second, int z,
                         const CellSet candidateCells[10]) {
    CellSet seenFirst;
    CellSet seenSecond;
    if (!PeersOfDigit(first, z, seenFirst) || !PeersOfDigit(second, z, seenSecond)) return false;
    return EliminateIn(board, seenFirst & seenSecond & candidateCells[z], z);
}

void MarkSet(KR_hint& hint, const KR_ALS& set, uint8_t role) {
    for (int i = 0; i < set.cellCount; ++i) {
        const int cell = CellOf(set, i);
        hint.cellMark[cell] = 1;
        for (int d = 1; d <= 9; ++d)
            if (set.cellCands[i][d]) hint.candMark[cell][d] = role;
    }
}

void MarkRestricted(KR_hint& hint, const KR_ALS& set, int digit) {
    for (int i = 0; i < set.cellCount; ++i)
        if (set.cellCands[i][digit]) hint.candMark[CellOf(set, i)][digit] = 3;
}

// A wing candidate of the three-set scan: a later set joined to the pivot by
// exactly one restricted common digit.
struct Wing {
    int index;
    int digit;
};

// Reused by every call on the thread, so a step search allocates only while
// the lists first grow.
struct Scratch {
    std::vector<KR_ALS> list;
    std::vector<SetSummary> summaries;
    std::vector<Wing> wings;
    CellSet candidateCells[10];  // per digit, the cells holding it when the call began

    Scratch() {
        list.reserve(1024);
        summaries.reserve(1024);
        wings.reserve(1024);
    }
};

Scratch& ThreadScratch() {
    thread_local Scratch scratch;
    return scratch;
}

void BuildSets(int maxSize, const KR_solver& board, std::vector<KR_ALS>& list, uint32_t wanted);

// The sets in list order, leaving out those that hold none of the wanted
// digits (the others keep their order).
void Collect(int maxSize, const KR_solver& board, Scratch& scratch, uint32_t wanted) {
    scratch.list.clear();
    BuildSets(maxSize, board, scratch.list, wanted);
    scratch.summaries.resize(scratch.list.size());
    for (size_t i = 0; i < scratch.list.size(); ++i) scratch.summaries[i] = Summarise(scratch.list[i]);
    // Candidates only disappear during a call, so these stay a superset.
    for (int d = 1; d <= 9; ++d) scratch.candidateCells[d] = CellSet{};
    for (int cell = 0; cell < 81; ++cell)
        for (int d = 1; d <= 9; ++d)
            if (board.cand[cell][d]) scratch.candidateCells[d].Add(cell);
}

void AppendSet(const KR_solver& board, const int cells[], int count, std::vector<KR_ALS>& list) {
    KR_ALS set;
    set.cellCount = count;
    for (int i = 0; i < count; ++i) {
        const int row = cells[i] / 9;
        const int col = cells[i] % 9;
        set.band[i] = row / 3;
        set.stack[i] = col / 3;
        set.rowInBlock[i] = row % 3;
        set.colInBlock[i] = col % 3;
        for (int d = 1; d <= 9; ++d) set.cellCands[i][d] = board.cand[cells[i]][d];
    }
    list.push_back(set);
}

// The combinations of size cells of one unit, in lexicographic order of their
// positions. A prefix with a filled cell or with more than size + 1 digits
// cannot complete to a set, so it is cut without changing the order.
struct UnitScan {
    const KR_solver& board;
    const uint32_t* digitsOf;  // per cell, the candidate digits as bits
    std::vector<KR_ALS>& list;
    uint32_t wanted;  // a set without any of these digits is left out
    int unitCells[9];
    int size = 0;  // 2..4
    int chosen[4] = {};

    void Extend(int depth, int from, uint32_t digits) {
        if (depth == size || depth == 4) {
            if (CountBits(digits) == size + 1 && (digits & wanted) != 0) AppendSet(board, chosen, size, list);
            return;
        }
        for (int position = from; position <= 9 - (size - depth); ++position) {
            const int cell = unitCells[position];
            if (board.value[cell / 9][cell % 9] != 0) continue;
            const uint32_t next = digits | digitsOf[cell];
            if (CountBits(next) > size + 1) continue;
            chosen[depth] = cell;
            Extend(depth + 1, position + 1, next);
        }
    }
};

void BuildSets(int maxSize, const KR_solver& board, std::vector<KR_ALS>& list, uint32_t wanted) {
    uint32_t digitsOf[81];
    for (int cell = 0; cell < 81; ++cell) {
        digitsOf[cell] = 0;
        for (int d = 1; d <= 9; ++d)
            if (board.cand[cell][d]) digitsOf[cell] |= uint32_t{1} << d;
    }
    for (int cell = 0; cell < 81; ++cell)
        if (board.cellCand[cell] == 2 && board.value[cell / 9][cell % 9] == 0 && (digitsOf[cell] & wanted) != 0)
            AppendSet(board, &cell, 1, list);

    UnitScan scan{board, digitsOf, list, wanted, {}, 0, {}};
    const int largest = maxSize < 4 ? maxSize : 4;
    for (int size = 2; size <= largest; ++size) {
        scan.size = size;
        for (int kind = 0; kind < 3; ++kind) {  // blocks, rows, columns
            for (int unit = 0; unit < 9; ++unit) {
                for (int position = 0; position < 9; ++position)
                    scan.unitCells[position] = kind == 0   ? BlockCell(unit, position)
                                               : kind == 1 ? CellIndex(unit, position)
                                                           : CellIndex(position, unit);
                scan.Extend(0, 0, 0);
            }
        }
    }
}

}  // namespace

void BuildALSList(int maxSize, const KR_solver& board, std::vector<KR_ALS>& list) {
    BuildSets(maxSize, board, list, ~uint32_t{0});
}

int RestrictedCommon(const std::vector<KR_ALS>& list, int a, int b, int out[]) {
    return RestrictedDigits(Summarise(list[a]), Summarise(list[b]), out);
}

bool UnitPeers(const KR_ALS& set, int z, uint8_t map[81]) {
    CellSet seen;
    if (!PeersOfDigit(Summarise(set), z, seen)) return false;
    ForEachCell(seen, [&](int cell) { map[cell] = 1; });
    return true;
}

bool TwoAlmostLockedSets(KR_solver& board, int n) {
    // A pair removes only digits both sets hold.
    const Removable removable(board);
    const uint32_t wanted = removable.any ? ~uint32_t{0} : removable.digits;
    Scratch& scratch = ThreadScratch();
    Collect(n, board, scratch, wanted);
    const std::vector<KR_ALS>& list = scratch.list;
    const std::vector<SetSummary>& summaries = scratch.summaries;
    const int count = static_cast<int>(list.size());

    for (int i = 0; i < count; ++i) {
        const SetSummary& a = summaries[i];
        if ((a.digits & wanted) == 0) continue;
        for (int k = i + 1; k < count; ++k) {
            const SetSummary& b = summaries[k];
            if ((a.digits & b.digits & wanted) == 0 || a.cells.Meets(b.cells)) continue;
            int restricted[9];
            const int m = RestrictedDigits(a, b, restricted);
            bool removed = false;
            if (m == 1) {
                // Every z is tried before the pair is judged.
                const uint32_t others = a.digits & b.digits & ~(uint32_t{1} << restricted[0]);
                for (uint32_t zs = others; zs != 0; zs &= zs - 1)
                    removed |= EliminateSeenByBoth(board, a, b, std::countr_zero(zs), scratch.candidateCells);
            } else if (m == 2) {
                const CellSet both = a.cells | b.cells;
                for (int r = 0; r < 2; ++r) {
                    const int x = restricted[r];
                    const CellSet targets = CellsOfUnits(a.units[x] & b.units[x]).Without(both);
                    removed |= EliminateIn(board, targets & scratch.candidateCells[x], x);
                }
            }
            if (!removed) continue;

            MarkSet(board.hint, list[i], 1);
            MarkSet(board.hint, list[k], 2);
            for (int r = 0; r < m; ++r) {
                MarkRestricted(board.hint, list[i], restricted[r]);
                MarkRestricted(board.hint, list[k], restricted[r]);
            }
            board.stepText.Format(m == 1 ? "ほぼ確定%d(二組)。" : "ほぼ確定%d(二組ダブル)。", n);
            board.stepTechnique = n + 21;
            return true;
        }
    }
    return false;
}

bool ThreeAlmostLockedSets(KR_solver& board) {
    // The wings remove only digits both of them hold; the pivot may hold any.
    const Removable removable(board);
    const uint32_t wanted = removable.any ? ~uint32_t{0} : removable.digits;
    Scratch& scratch = ThreadScratch();
    Collect(4, board, scratch, ~uint32_t{0});
    const std::vector<KR_ALS>& list = scratch.list;
    const std::vector<SetSummary>& summaries = scratch.summaries;
    std::vector<Wing>& wings = scratch.wings;
    const int count = static_cast<int>(list.size());

    for (int i = 0; i < count; ++i) {
        const SetSummary& a = summaries[i];
        // Both wings must come after the pivot and meet its conditions alone,
        // so they are drawn, in list order, from the sets that do.
        wings.clear();
        for (int k = i + 1; k < count; ++k) {
            const SetSummary& b = summaries[k];
            if ((b.digits & wanted) == 0 || (a.digits & b.digits) == 0 || a.cells.Meets(b.cells)) continue;
            int restricted[9];
            if (RestrictedDigits(a, b, restricted) == 1) wings.push_back({k, restricted[0]});
        }
        const int wingCount = static_cast<int>(wings.size());
        for (int p = 0; p < wingCount; ++p) {
            const int x = wings[p].digit;
            const SetSummary& b = summaries[wings[p].index];
            for (int q = p + 1; q < wingCount; ++q) {
                const int y = wings[q].digit;
                if (y == x) continue;
                const SetSummary& c = summaries[wings[q].index];
                if ((b.digits & c.digits & wanted) == 0 || b.cells.Meets(c.cells)) continue;
                const uint32_t others = b.digits & c.digits & ~(uint32_t{1} << x) & ~(uint32_t{1} << y);
                bool removed = false;
                for (uint32_t zs = others; zs != 0; zs &= zs - 1)
                    removed |= EliminateSeenByBoth(board, b, c, std::countr_zero(zs), scratch.candidateCells);
                if (!removed) continue;

                // The marks are the recorded candidates, written after the
                // removals; a z removed from a pivot cell shows as the pivot's.
                const KR_ALS& setA = list[i];
                const KR_ALS& setB = list[wings[p].index];
                const KR_ALS& setC = list[wings[q].index];
                MarkSet(board.hint, setA, 5);
                MarkSet(board.hint, setB, 1);
                MarkSet(board.hint, setC, 2);
                MarkRestricted(board.hint, setA, x);
                MarkRestricted(board.hint, setB, x);
                MarkRestricted(board.hint, setA, y);
                MarkRestricted(board.hint, setC, y);
                board.stepText = "ほぼ確定(三組)。";
                board.stepTechnique = 26;
                return true;
            }
        }
    }
    return false;
}

}  // namespace masuvo
