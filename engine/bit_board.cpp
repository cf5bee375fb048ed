#include "engine/bit_board.h"

#include <algorithm>
#include <array>

namespace masuvo {

namespace {

constexpr uint32_t kBandBits = 0x7FFFFFF;
constexpr uint32_t kRowBits = 0x1FF;
constexpr uint32_t kBlockBits = 0x1C0E07;  // the three cells of a block in each row of a band
constexpr uint32_t kColumnBits = 0x40201;  // one column in each row of a band

constexpr bool Single(uint32_t bits) { return (bits & (bits - 1)) == 0; }
inline int Lowest(uint32_t bits) { return __builtin_ctz(bits); }

// The three rows of a band's plane, each nine bits.
inline uint32_t Row0(uint32_t plane) { return plane & kRowBits; }
inline uint32_t Row1(uint32_t plane) { return (plane >> 9) & kRowBits; }
inline uint32_t Row2(uint32_t plane) { return plane >> 18; }

// Columns (bits 0..8) to every row of a band. The fields do not overlap, so
// the product carries nothing.
inline uint32_t Spread(uint32_t columns) { return columns * kColumnBits; }

// What a row of nine cells holds for a digit: bits 0..2 the blocks with a
// candidate, bits 3..5 the blocks with exactly one, kRowAlone for one cell
// in the whole row.
constexpr unsigned kRowAlone = 1u << 6;
constexpr std::array<uint8_t, 512> kRowShape = [] {
    std::array<uint8_t, 512> table{};
    for (uint32_t row = 0; row < 512; ++row) {
        unsigned shape = 0;
        for (int block = 0; block < 3; ++block) {
            const uint32_t cells = (row >> (3 * block)) & 7;
            if (cells) shape |= 1u << block;
            if (cells && Single(cells)) shape |= 8u << block;
        }
        if (row && Single(row)) shape |= kRowAlone;
        table[row] = static_cast<uint8_t>(shape);
    }
    return table;
}();

// A row with one cell left: that cell; otherwise 0.
constexpr std::array<uint16_t, 512> kAloneInRow = [] {
    std::array<uint16_t, 512> table{};
    for (uint32_t row = 1; row < 512; ++row)
        if (Single(row)) table[row] = static_cast<uint16_t>(row);
    return table;
}();

// The cells of a row that lie in the given blocks (bits 0..2).
constexpr std::array<uint32_t, 8> kBlockCellsOfRow = {0, 07, 070, 077, 0700, 0707, 0770, 0777};

// For the row-block pairs of a band that hold a digit (bit 3 * row + block),
// the cells of the pairs that some assignment of the three rows to three
// different blocks uses; 0 when no such assignment exists.
constexpr std::array<uint32_t, 512> kBandShape = [] {
    constexpr int kOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    std::array<uint32_t, 512> table{};
    for (uint32_t pairs = 0; pairs < 512; ++pairs) {
        for (const auto& order : kOrders) {
            bool fits = true;
            uint32_t cells = 0;
            for (int row = 0; row < 3; ++row) {
                if (!((pairs >> (3 * row + order[row])) & 1)) fits = false;
                cells |= 7u << (9 * row + 3 * order[row]);
            }
            if (fits) table[pairs] |= cells;
        }
    }
    return table;
}();

// The same for a stack, read across: for the band-column pairs that hold a
// digit (bit 3 * band + column in the stack), those that some assignment of
// the three columns to three different bands uses; 0 when none exists.
constexpr std::array<uint16_t, 512> kStackShape = [] {
    std::array<uint16_t, 512> table{};
    for (uint32_t pairs = 0; pairs < 512; ++pairs) {
        const uint32_t cells = kBandShape[pairs];
        for (int pair = 0; pair < 9; ++pair)
            if ((cells >> (9 * (pair / 3) + 3 * (pair % 3))) & 1) table[pairs] |= static_cast<uint16_t>(1u << pair);
    }
    return table;
}();

// The other cells of a position's row and block inside its band (the
// column's cells in the band lie in the block).
constexpr std::array<uint32_t, 27> kBandPeers = [] {
    std::array<uint32_t, 27> table{};
    for (int p = 0; p < 27; ++p) {
        const uint32_t row = kRowBits << (9 * (p / 9));
        const uint32_t block = kBlockBits << (3 * (p % 9 / 3));
        table[p] = (row | block) & ~(1u << p);
    }
    return table;
}();

// The cells of a plane alone in their row.
inline uint32_t AloneInRows(uint32_t plane) {
    return kAloneInRow[Row0(plane)] | uint32_t{kAloneInRow[Row1(plane)]} << 9 |
           uint32_t{kAloneInRow[Row2(plane)]} << 18;
}

// Columns of one band: those with a candidate, those with more than one.
struct ColumnFold {
    uint32_t present;
    uint32_t several;
};

inline ColumnFold Fold(uint32_t plane) {
    const uint32_t r0 = Row0(plane), r1 = Row1(plane), r2 = Row2(plane);
    return {r0 | r1 | r2, (r0 & r1) | ((r0 | r1) & r2)};
}

// The cells of a digit's three band planes alone in their column; false
// when a column has none at all.
inline bool AloneInColumns(const uint32_t plane[3], uint32_t alone[3]) {
    const ColumnFold f0 = Fold(plane[0]), f1 = Fold(plane[1]), f2 = Fold(plane[2]);
    if ((f0.present | f1.present | f2.present) != kRowBits) return false;
    alone[0] = plane[0] & Spread(f0.present & ~f0.several & ~(f1.present | f2.present));
    alone[1] = plane[1] & Spread(f1.present & ~f1.several & ~(f0.present | f2.present));
    alone[2] = plane[2] & Spread(f2.present & ~f2.several & ~(f0.present | f1.present));
    return true;
}

}  // namespace

bool BitBoard::Load(const int32_t grid[9][9]) {
    std::fill(std::begin(planes_), std::end(planes_), kBandBits);
    std::fill(std::begin(settled_), std::end(settled_), ~0u);  // never a plane: every band is restricted once
    std::fill(std::begin(emptyCells_), std::end(emptyCells_), kBandBits);
    // The givens gathered per digit and band first (slot 0 takes the empty
    // cells), then placed digit by digit.
    const int32_t* cells = &grid[0][0];
    uint32_t givens[10][3] = {};
    for (int band = 0; band < 3; ++band) {
        for (int p = 0; p < 27; ++p) {
            const uint32_t v = static_cast<uint32_t>(cells[27 * band + p]);
            if (v > 9) return false;
            givens[v][band] |= 1u << p;
        }
    }
    for (int d = 0; d < 9; ++d) {
        for (int band = 0; band < 3; ++band) {
            for (uint32_t bits = givens[d + 1][band]; bits != 0; bits &= bits - 1) {
                const int p = Lowest(bits);
                // A given that an earlier given of the digit already sees.
                if (!(planes_[3 * d + band] >> p & 1)) return false;
                Fix(band, p, d);
            }
        }
    }
    return true;
}

void BitBoard::Fix(int band, int p, int d) {
    const uint32_t bit = 1u << p;
#pragma GCC unroll 9
    for (int e = 0; e < 9; ++e) planes_[3 * e + band] &= ~bit;
    uint32_t* plane = planes_ + 3 * d;
    plane[band] = (plane[band] | bit) & ~kBandPeers[p];
    const uint32_t column = kColumnBits << (p % 9);
    plane[band == 0 ? 1 : 0] &= ~column;
    plane[band == 2 ? 1 : 2] &= ~column;
    emptyCells_[band] &= ~bit;
}

// Cells left with one candidate get it; -1 when a cell has none.
int BitBoard::NakedSingles(bool exact) {
    int found = 0;
    for (int b = 0; b < 3; ++b) {
        uint32_t once = 0, twice = 0;
#pragma GCC unroll 9
        for (int d = 0; d < 9; ++d) {
            twice |= once & planes_[3 * d + b];
            once |= planes_[3 * d + b];
        }
        if (emptyCells_[b] & ~once) return -1;
        for (uint32_t singles = emptyCells_[b] & ~twice; singles != 0; singles &= singles - 1) {
            const int p = Lowest(singles);
            unsigned digits = 0;
#pragma GCC unroll 9
            for (int e = 0; e < 9; ++e) digits |= ((planes_[3 * e + b] >> p) & 1u) << e;
            if (digits == 0) return -1;  // an earlier single of this pass took its digit
            const int d = Lowest(digits);
            if (exact) {
                Fix(b, p, d);
            } else {
                // The band restriction places it with the rest of its row.
                planes_[3 * d + b] &= ~kBandPeers[p];
            }
            ++found;
        }
    }
    return found;
}

// Digits left with one place in a row, block or column get it; -1 when a
// unit has no place left for a digit it lacks. A band's rows and blocks are
// read again only when its plane changed since the last scan.
int BitBoard::HiddenSingles(uint32_t scanned[27]) {
    int found = 0;
    for (int d = 0; d < 9; ++d) {
        const uint32_t plane[3] = {planes_[3 * d], planes_[3 * d + 1], planes_[3 * d + 2]};
        uint32_t* last = scanned + 3 * d;
        if (plane[0] == last[0] && plane[1] == last[1] && plane[2] == last[2]) continue;
        // Cells alone in a unit, gathered as masks; a placed digit is alone
        // in its units too and drops out with the filled cells.
        uint32_t alone[3];
        if (!AloneInColumns(plane, alone)) return -1;
        for (int b = 0; b < 3; ++b) {
            const uint32_t w = plane[b];
            if (w == last[b]) continue;
            last[b] = w;
            const unsigned s0 = kRowShape[Row0(w)], s1 = kRowShape[Row1(w)], s2 = kRowShape[Row2(w)];
            if (!Row0(w) || !Row1(w) || !Row2(w) || ((s0 | s1 | s2) & 7) != 7) return -1;
            // A block alone: one cell in one row, absent from the others.
            const uint32_t blocks = kBlockCellsOfRow[(s0 >> 3) & ~(s1 | s2) & 7] |
                                    kBlockCellsOfRow[(s1 >> 3) & ~(s0 | s2) & 7] << 9 |
                                    kBlockCellsOfRow[(s2 >> 3) & ~(s0 | s1) & 7] << 18;
            alone[b] |= AloneInRows(w) | (w & blocks);
        }
        for (int b = 0; b < 3; ++b) {
            for (uint32_t cells = alone[b] & emptyCells_[b]; cells != 0; cells &= cells - 1) {
                const int p = Lowest(cells);
                // A placement just made may have taken this place; the
                // emptied unit is then caught by the next scan.
                if ((emptyCells_[b] & planes_[3 * d + b]) >> p & 1) {
                    Fix(b, p, d);
                    ++found;
                }
            }
        }
    }
    return found;
}

bool BitBoard::PropagateSingles() {
    uint32_t scanned[27];
    std::fill(std::begin(scanned), std::end(scanned), ~0u);
    for (;;) {
        const int naked = NakedSingles(true);
        if (naked < 0) return false;
        if (naked > 0) continue;
        const int hidden = HiddenSingles(scanned);
        if (hidden < 0) return false;
        if (hidden == 0) return true;
    }
}

// Restricts every changed plane to its band's row-block assignments, and
// places the digit where a row is down to one empty cell, until nothing
// changes. A digit is settled in all three bands at once, since its own
// columns tie its bands together most; the digits whose planes a placement
// changes are queued again.
bool BitBoard::SettleBands(unsigned& changed) {
    unsigned queued = 0;
    for (int d = 0; d < 9; ++d) {
        const uint32_t* plane = planes_ + 3 * d;
        const uint32_t* settled = settled_ + 3 * d;
        if ((plane[0] ^ settled[0]) | (plane[1] ^ settled[1]) | (plane[2] ^ settled[2])) queued |= 1u << d;
    }
    while (queued != 0) {
        const int d = Lowest(queued);
        queued &= queued - 1;
        changed |= 1u << d;
        uint32_t* plane = planes_ + 3 * d;
        uint32_t* settled = settled_ + 3 * d;
        for (;;) {
            const int b = plane[0] != settled[0] ? 0 : plane[1] != settled[1] ? 1 : plane[2] != settled[2] ? 2 : -1;
            if (b < 0) break;
            const uint32_t before = plane[b];
            const uint32_t r0 = Row0(before), r1 = Row1(before), r2 = Row2(before);
            const unsigned s0 = kRowShape[r0], s1 = kRowShape[r1], s2 = kRowShape[r2];
            const uint32_t w = before & kBandShape[(s0 & 7u) | (s1 & 7u) << 3 | (s2 & 7u) << 6];
            if (w == 0) return false;
            plane[b] = settled[b] = w;
            // A row down to one cell places the digit; the restriction
            // already cleared the rest of its block. Unless the restriction
            // cut the plane, the rows read for it tell which are alone.
            const uint32_t alone = w != before ? AloneInRows(w)
                                               : (s0 & kRowAlone ? r0 : 0) | (s1 & kRowAlone ? r1 : 0) << 9 |
                                                     (s2 & kRowAlone ? r2 : 0) << 18;
            const uint32_t placed = alone & emptyCells_[b];
            if (placed == 0) continue;
            emptyCells_[b] &= ~placed;
#pragma GCC unroll 9
            for (int e = 0; e < 9; ++e) {
                uint32_t& other = planes_[3 * e + b];
                if (other & placed) queued |= 1u << e;
                other &= ~placed;
            }
            plane[b] = w;
            queued &= ~(1u << d);
            const uint32_t columns = Spread(Fold(placed).present);
            plane[b == 0 ? 1 : 0] &= ~columns;
            plane[b == 2 ? 1 : 2] &= ~columns;
        }
    }
    return true;
}

// The columns' side of the band restriction, for the given digits (the
// others are as they were at their last check): a stack's three columns
// take a digit in three different bands, which covers the block-column
// interactions; then a column down to one place, in a cell still empty,
// gets the digit. -1 when a stack or a column has no room for it.
int BitBoard::SettleColumns(unsigned digits) {
    int found = 0;
    for (; digits != 0; digits &= digits - 1) {
        const int d = Lowest(digits);
        uint32_t* plane = planes_ + 3 * d;
        const ColumnFold fold[3] = {Fold(plane[0]), Fold(plane[1]), Fold(plane[2])};
        uint32_t kept[3] = {0, 0, 0};
        for (int s = 0; s < 3; ++s) {
            const uint32_t pairs = ((fold[0].present >> (3 * s)) & 7) | ((fold[1].present >> (3 * s)) & 7) << 3 |
                                   ((fold[2].present >> (3 * s)) & 7) << 6;
            const uint32_t allowed = kStackShape[pairs];
            if (allowed == 0) return -1;
            for (int b = 0; b < 3; ++b) kept[b] |= ((allowed >> (3 * b)) & 7) << (3 * s);
        }
        if ((fold[0].present & ~kept[0]) | (fold[1].present & ~kept[1]) | (fold[2].present & ~kept[2])) {
            // The band restriction goes first; the digit is checked again.
            for (int b = 0; b < 3; ++b) plane[b] &= Spread(kept[b]);
            ++found;
            continue;
        }
        // Columns present in one band only, and in one row of it; most hold
        // the placed digit, alone too.
        uint32_t alone[3];
        for (int b = 0; b < 3; ++b) {
            const uint32_t elsewhere = fold[(b + 1) % 3].present | fold[(b + 2) % 3].present;
            alone[b] = plane[b] & Spread(fold[b].present & ~fold[b].several & ~elsewhere) & emptyCells_[b];
        }
        if ((alone[0] | alone[1] | alone[2]) == 0) continue;
        for (int b = 0; b < 3; ++b) {
            for (uint32_t cells = alone[b]; cells != 0; cells &= cells - 1) {
                const int p = Lowest(cells);
                // A place cleared by the one before it: the next pass finds
                // the column empty.
                if (!(plane[b] >> p & 1)) continue;
                plane[b] &= ~kBandPeers[p];
                ++found;
            }
        }
    }
    return found;
}

bool BitBoard::Propagate() {
    // The digits changed since their columns were last checked: every
    // propagation that succeeds ends with all of them checked.
    unsigned changed = 0;
    for (;;) {
        if (!SettleBands(changed)) return false;
        int found = NakedSingles(false);
        if (found < 0) return false;
        if (found > 0) continue;
        found = SettleColumns(changed);
        changed = 0;
        if (found < 0) return false;
        if (found == 0) return true;
    }
}

void BitBoard::Assign(int cell, int digit) {
    const int band = cell / 27, p = cell % 27;
    // The band restriction finishes the placement from the row left alone.
    planes_[3 * (digit - 1) + band] &= ~kBandPeers[p];
}

int BitBoard::FirstEmptyCell() const {
    for (int b = 0; b < 3; ++b)
        if (emptyCells_[b]) return 27 * b + Lowest(emptyCells_[b]);
    return -1;
}

int BitBoard::BranchCell() const {
    int three = -1;
    for (int b = 0; b < 3; ++b) {
        uint32_t once = 0, twice = 0, thrice = 0, more = 0;
#pragma GCC unroll 9
        for (int d = 0; d < 9; ++d) {
            const uint32_t w = planes_[3 * d + b];
            more |= thrice & w;
            thrice |= twice & w;
            twice |= once & w;
            once |= w;
        }
        const uint32_t pairs = emptyCells_[b] & twice & ~thrice;
        if (pairs) return 27 * b + Lowest(pairs);
        const uint32_t triples = emptyCells_[b] & thrice & ~more;
        if (three < 0 && triples) three = 27 * b + Lowest(triples);
    }
    return three >= 0 ? three : FirstEmptyCell();
}

unsigned BitBoard::Candidates(int cell) const {
    const int band = cell / 27, p = cell % 27;
    unsigned digits = 0;
#pragma GCC unroll 9
    for (int d = 0; d < 9; ++d) digits |= ((planes_[3 * d + band] >> p) & 1u) << d;
    return digits;
}

void BitBoard::WriteGrid(int32_t grid[9][9]) const {
    // Band b starts at cell 27 * b, and a position in a band counts cells
    // row-major as the grid does.
    int32_t* cells = &grid[0][0];
    std::fill(cells, cells + 81, 0);
    for (int b = 0; b < 3; ++b) {
        const uint32_t filled = kBandBits & ~emptyCells_[b];
        for (int d = 0; d < 9; ++d)
            for (uint32_t bits = planes_[3 * d + b] & filled; bits != 0; bits &= bits - 1)
                cells[27 * b + Lowest(bits)] = d + 1;
    }
}

}  // namespace masuvo
