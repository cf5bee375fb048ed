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

// The blocks (bits 0..2) in which a row of nine cells has a candidate.
constexpr std::array<uint8_t, 512> kBlocksOfRow = [] {
    std::array<uint8_t, 512> table{};
    for (uint32_t row = 0; row < 512; ++row)
        for (int block = 0; block < 3; ++block)
            if ((row >> (3 * block)) & 7) table[row] |= static_cast<uint8_t>(1u << block);
    return table;
}();

// What a row of nine cells holds for a digit: bits 0..2 the blocks with a
// candidate, bits 3..5 the blocks with exactly one, kRowAlone for one cell
// in the whole row, kRowFilled for at least one.
constexpr unsigned kRowAlone = 1u << 6;
constexpr unsigned kRowFilled = 1u << 7;
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
        if (row) shape |= kRowFilled;
        table[row] = static_cast<uint8_t>(shape);
    }
    return table;
}();

// The cells of a row that lie in the given blocks (bits 0..2).
constexpr std::array<uint32_t, 8> kBlockCellsOfRow = {0, 7, 070, 077, 0700, 0707, 0770, 0777};

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
                const int pair = 3 * row + order[row];
                if (!((pairs >> pair) & 1)) fits = false;
                cells |= 7u << (9 * row + 3 * order[row]);
            }
            if (fits) table[pairs] |= cells;
        }
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

}  // namespace

bool BitBoard::Load(const int32_t grid[9][9]) {
    for (int i = 0; i < 27; ++i) {
        planes_[i] = kBandBits;
        settled_[i] = ~0u;  // never a plane: every band is restricted once
    }
    for (uint32_t& cells : emptyCells_) cells = kBandBits;
    for (int k = 0; k < 81; ++k) {
        const int v = grid[k / 9][k % 9];
        if (v == 0) continue;
        if (v < 0 || v > 9) return false;
        const int band = k / 27, p = k % 27;
        if (!(planes_[3 * (v - 1) + band] & (1u << p))) return false;
        Fix(band, p, v - 1);
    }
    return true;
}

void BitBoard::Fix(int band, int p, int d) {
    const uint32_t bit = 1u << p;
    for (int i = band; i < 27; i += 3) planes_[i] &= ~bit;
    planes_[3 * d + band] |= bit;
    planes_[3 * d + band] &= ~kBandPeers[p];
    const uint32_t column = kColumnBits << (p % 9);
    for (int b = 0; b < 3; ++b)
        if (b != band) planes_[3 * d + b] &= ~column;
    emptyCells_[band] &= ~bit;
}

// Cells left with one candidate get it; -1 when a cell has none.
int BitBoard::NakedSingles(bool exact) {
    int found = 0;
    for (int b = 0; b < 3; ++b) {
        uint32_t once = 0, twice = 0;
        for (int i = b; i < 27; i += 3) {
            twice |= once & planes_[i];
            once |= planes_[i];
        }
        if (emptyCells_[b] & ~once) return -1;
        for (uint32_t singles = emptyCells_[b] & ~twice; singles != 0; singles &= singles - 1) {
            const int p = Lowest(singles);
            const uint32_t bit = 1u << p;
            int d = 0;
            while (d < 9 && !(planes_[3 * d + b] & bit)) ++d;
            if (d == 9) return -1;  // an earlier single of this pass took its digit
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
// unit has no place left for a digit it lacks. Digits whose planes did not
// change since their last scan are skipped. The units of a band are read
// from its three rows through kRowShape.
int BitBoard::HiddenSingles(uint32_t scanned[27]) {
    int found = 0;
    for (int d = 0; d < 9; ++d) {
        const uint32_t* plane = planes_ + 3 * d;
        const uint32_t words[3] = {plane[0], plane[1], plane[2]};
        // Cells alone in a unit, gathered without branching; a placed digit
        // is alone in its units too and drops out with the filled cells.
        uint32_t alone[3] = {0, 0, 0};
        bool changed = false;
        for (int b = 0; b < 3; ++b) {
            // Rows and blocks of a band only change with its plane.
            if (words[b] == scanned[3 * d + b]) continue;
            scanned[3 * d + b] = words[b];
            changed = true;
            const uint32_t w = words[b];
            const uint32_t rows[3] = {w & kRowBits, (w >> 9) & kRowBits, w >> 18};
            const unsigned shape[3] = {kRowShape[rows[0]], kRowShape[rows[1]], kRowShape[rows[2]]};
            if ((shape[0] & shape[1] & shape[2] & kRowFilled) == 0 || ((shape[0] | shape[1] | shape[2]) & 7) != 7)
                return -1;
            uint32_t cells = 0;
            for (int r = 0; r < 3; ++r) {
                const unsigned others = shape[(r + 1) % 3] | shape[(r + 2) % 3];
                const unsigned blocks = (shape[r] >> 3) & ~others & 7;
                const uint32_t rowAlone = (shape[r] & kRowAlone) ? kRowBits : 0;
                cells |= (rows[r] & (kBlockCellsOfRow[blocks] | rowAlone)) << (9 * r);
            }
            alone[b] = cells;
        }
        if (!changed) continue;
        // Columns: present in one band only, and in one row of it.
        uint32_t present[3], several[3];
        for (int b = 0; b < 3; ++b) {
            const uint32_t w = words[b];
            const uint32_t r0 = w & kRowBits, r1 = (w >> 9) & kRowBits, r2 = w >> 18;
            present[b] = r0 | r1 | r2;
            several[b] = (r0 & r1) | (r0 & r2) | (r1 & r2);
        }
        if ((present[0] | present[1] | present[2]) != kRowBits) return -1;
        for (int b = 0; b < 3; ++b) {
            const uint32_t columns = present[b] & ~several[b] & ~present[(b + 1) % 3] & ~present[(b + 2) % 3];
            alone[b] |= words[b] & (columns | columns << 9 | columns << 18);
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
    for (uint32_t& s : scanned) s = ~0u;
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
// changes. A digit is settled in all three bands before the next, since its
// own columns tie its bands together most.
bool BitBoard::SettleBands() {
    for (bool changed = true; changed;) {
        changed = false;
        for (int d = 0; d < 9; ++d) {
            uint32_t* plane = planes_ + 3 * d;
            uint32_t* settled = settled_ + 3 * d;
            while (plane[0] != settled[0] || plane[1] != settled[1] || plane[2] != settled[2]) {
                changed = true;
                for (int b = 0; b < 3; ++b) {
                    uint32_t w = plane[b];
                    if (w == settled[b]) continue;
                    const uint32_t rows[3] = {w & kRowBits, (w >> 9) & kRowBits, w >> 18};
                    const uint32_t pairs = (kRowShape[rows[0]] & 7u) | (kRowShape[rows[1]] & 7u) << 3 |
                                           (kRowShape[rows[2]] & 7u) << 6;
                    w &= kBandShape[pairs];
                    if (w == 0) return false;
                    plane[b] = settled[b] = w;
                    // Rows down to one cell: after the restriction the rest of
                    // the block is clear of the digit too.
                    uint32_t alone = 0;
                    for (int r = 0; r < 3; ++r) {
                        const uint32_t row = (w >> (9 * r)) & kRowBits;
                        if (kRowShape[row] & kRowAlone) alone |= row << (9 * r);
                    }
                    const uint32_t placed = alone & emptyCells_[b];
                    if (placed == 0) continue;
                    emptyCells_[b] &= ~placed;
                    for (int i = b; i < 27; i += 3)
                        if (i != 3 * d + b) planes_[i] &= ~placed;
                    const uint32_t columns = (placed | placed >> 9 | placed >> 18) & kRowBits;
                    const uint32_t cleared = columns | columns << 9 | columns << 18;
                    plane[(b + 1) % 3] &= ~cleared;
                    plane[(b + 2) % 3] &= ~cleared;
                }
            }
        }
    }
    return true;
}

// A digit's column with one place left, in a cell still empty, gets it; -1
// when a column has no place for it at all. The places are gathered as
// masks first: most columns hold the placed digit, alone too.
int BitBoard::ColumnSingles() {
    int found = 0;
    for (int d = 0; d < 9; ++d) {
        uint32_t* plane = planes_ + 3 * d;
        uint32_t present[3], several[3];
        for (int b = 0; b < 3; ++b) {
            const uint32_t r0 = plane[b] & kRowBits, r1 = (plane[b] >> 9) & kRowBits, r2 = plane[b] >> 18;
            present[b] = r0 | r1 | r2;
            several[b] = (r0 & r1) | ((r0 | r1) & r2);
        }
        if ((present[0] | present[1] | present[2]) != kRowBits) return -1;
        uint32_t places[3];
        for (int b = 0; b < 3; ++b) {
            const uint32_t columns = present[b] & ~several[b] & ~present[(b + 1) % 3] & ~present[(b + 2) % 3];
            places[b] = plane[b] & (columns | columns << 9 | columns << 18) & emptyCells_[b];
        }
        for (int b = 0; b < 3; ++b) {
            for (uint32_t cells = places[b]; cells != 0; cells &= cells - 1) {
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
    for (;;) {
        if (!SettleBands()) return false;
        int found = NakedSingles(false);
        if (found < 0) return false;
        if (found > 0) continue;
        found = ColumnSingles();
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
        for (int i = b; i < 27; i += 3) {
            more |= thrice & planes_[i];
            thrice |= twice & planes_[i];
            twice |= once & planes_[i];
            once |= planes_[i];
        }
        const uint32_t pairs = emptyCells_[b] & twice & ~thrice;
        if (pairs) return 27 * b + Lowest(pairs);
        const uint32_t triples = emptyCells_[b] & thrice & ~more;
        if (three < 0 && triples) three = 27 * b + Lowest(triples);
    }
    return three >= 0 ? three : FirstEmptyCell();
}

unsigned BitBoard::Candidates(int cell) const {
    const int band = cell / 27;
    const uint32_t bit = 1u << (cell % 27);
    unsigned digits = 0;
    for (int d = 0; d < 9; ++d)
        if (planes_[3 * d + band] & bit) digits |= 1u << d;
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
