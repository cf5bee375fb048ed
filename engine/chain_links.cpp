#include "engine/chain_links.h"

#include <algorithm>

namespace masuvo {

namespace {

struct UnitCells {
    CellSet row[9];
    CellSet col[9];
    CellSet block[9];
    UnitCells() {
        for (int k = 0; k < 81; ++k) {
            row[k / 9].Add(k);
            col[k % 9].Add(k);
            block[BlockOf(k / 9, k % 9)].Add(k);
        }
    }
};

const UnitCells& Units() {
    static const UnitCells units;
    return units;
}

bool OneBit(uint16_t mask) { return mask != 0 && (mask & (mask - 1)) == 0; }

int KeyOf(const KR_set& p) {
    return (((p.band * 3 + p.stack) * 4 + p.rowInBlock + 1) * 4 + p.colInBlock + 1) * 10 + p.digit;
}

// The unit masks, needed only once an endpoint joins the list.
void AddUnitMasks(ChainEndpoint& e) {
    e.cells.ForEach([&](int k) {
        e.rows |= uint16_t(1u << (k / 9));
        e.cols |= uint16_t(1u << (k % 9));
        e.blocks |= uint16_t(1u << BlockOf(k / 9, k % 9));
    });
}

ChainEndpoint Finish(ChainEndpoint e) {
    e.digit = e.place.digit;
    e.key = KeyOf(e.place);
    return e;
}

ChainEndpoint SingleCell(int cell, int digit) {
    ChainEndpoint e;
    const int r = cell / 9, c = cell % 9;
    e.place = {r / 3, c / 3, r % 3, c % 3, digit, 0};
    e.shape = EndpointShape::kCell;
    e.cell = cell;
    e.cells.Add(cell);
    return Finish(e);
}

// The cells of row `row` inside block column `stack` at the positions of mask (bits 1, 2, 4).
ChainEndpoint RowGroup(int row, int stack, int mask, int digit) {
    ChainEndpoint e;
    e.place = {row / 3, stack, row % 3, -1, digit, mask};
    e.shape = EndpointShape::kRowGroup;
    for (int i = 0; i < 3; ++i)
        if (mask & (1 << i)) e.cells.Add(CellIndex(row, 3 * stack + i));
    return Finish(e);
}

ChainEndpoint ColumnGroup(int col, int band, int mask, int digit) {
    ChainEndpoint e;
    e.place = {band, col / 3, -1, col % 3, digit, mask};
    e.shape = EndpointShape::kColumnGroup;
    for (int i = 0; i < 3; ++i)
        if (mask & (1 << i)) e.cells.Add(CellIndex(3 * band + i, col));
    return Finish(e);
}

// The cells where the digit of t becomes false when t is the true endpoint of a link of this kind.
CellSet OffCells(ChainKind kind, const ChainEndpoint& t) {
    const UnitCells& u = Units();
    const int block = 3 * t.place.band + t.place.stack;
    const int row = 3 * t.place.band + t.place.rowInBlock;   // meaningful unless a column group
    const int col = 3 * t.place.stack + t.place.colInBlock;  // meaningful unless a row group
    CellSet self;
    if (t.cell >= 0) self.Add(t.cell);
    const CellSet others = ~self;
    switch (kind) {
        case ChainKind::kBlock:
            return (u.row[row] | u.col[col]) & others;
        case ChainKind::kCell:
            return (u.row[row] | u.col[col] | u.block[block]) & others;
        case ChainKind::kRow:
            if (t.shape == EndpointShape::kCell) return (u.block[block] | u.col[col]) & others;
            return u.block[block] & ~u.row[row];
        case ChainKind::kColumn:
            if (t.shape == EndpointShape::kCell) return (u.block[block] | u.row[row]) & others;
            return u.block[block] & ~u.col[col];
        case ChainKind::kEmptyRectangle:
            if (t.shape == EndpointShape::kColumnGroup) return u.col[col] & ~u.block[block];
            return u.row[row] & ~u.block[block];
        case ChainKind::kBlockRows:
            return u.row[row] & ~u.block[block];
        case ChainKind::kBlockColumns:
            return u.col[col] & ~u.block[block];
    }
    return {};
}

// Buffers of the continuation lists, kept per thread between calls so that
// building the lists does not allocate once they have grown.
struct FollowScratch {
    std::vector<uint64_t> falseBy;     // bit matrix of the continuation test
    std::vector<uint16_t> byUnit;      // endpoints by digit and unit
    std::vector<uint32_t> unitStart;   // where each digit and unit starts in byUnit
    std::vector<uint32_t> place;       // write positions while filling
};

class Builder {
public:
    Builder(const KR_solver& board, int n, ChainLinkSet& set, FollowScratch& scratch)
        : board_(board), n_(n), set_(set), scratch_(scratch) {}

    void Build(bool followLists) {
        for (int b = 0; b < 9; ++b) {
            for (int d = 1; d <= 9; ++d) pattern_[b][d] = 0;
            for (int i = 0; i < 9; ++i) {
                const uint8_t* cell = board_.cand[BlockCell(b, i)];
                for (int d = 1; d <= 9; ++d)
                    if (cell[d]) pattern_[b][d] |= static_cast<uint16_t>(1 << i);
            }
        }
        set_.endpoints.clear();
        set_.links.clear();
        std::fill(std::begin(set_.idOfKey), std::end(set_.idOfKey), int16_t{-1});
        BlockLinks();
        LineLinks(true);
        LineLinks(false);
        CellLinks();
        EmptyRectangleLinks();
        BlockLineLinks(true);
        BlockLineLinks(false);
        if (followLists)
            FollowLists();
        else
            Index();
    }

private:
    bool Has(int cell, int digit) const { return board_.cand[cell][digit] != 0; }

    uint16_t Endpoint(const ChainEndpoint& e) {
        int16_t& id = set_.idOfKey[e.key];
        if (id < 0) {
            id = static_cast<int16_t>(set_.endpoints.size());
            set_.endpoints.push_back(e);
            AddUnitMasks(set_.endpoints.back());
        }
        return static_cast<uint16_t>(id);
    }

    void Add(ChainKind kind, const ChainEndpoint& e0, const ChainEndpoint& e1) {
        KR_chain link;
        link.kind = kind;
        link.end[0] = Endpoint(e0);
        link.end[1] = Endpoint(e1);
        link.off[0] = OffCells(kind, e0);
        link.off[1] = OffCells(kind, e1);
        set_.links.push_back(link);
    }

    void BlockLinks() {
        for (int b = 0; b < 9; ++b) {
            for (int d = 1; d <= 9; ++d) {
                if (board_.blockCand[b][d] != 2) continue;
                int found[2], count = 0;
                for (int i = 0; i < 9 && count < 2; ++i)
                    if (Has(BlockCell(b, i), d)) found[count++] = BlockCell(b, i);
                if (count == 2) Add(ChainKind::kBlock, SingleCell(found[0], d), SingleCell(found[1], d));
            }
        }
    }

    // Row links (rows) or column links: the digit in exactly two of the
    // line's three block segments.
    void LineLinks(bool rows) {
        for (int line = 0; line < 9; ++line) {
            for (int d = 1; d <= 9; ++d) {
                int mask[3];
                for (int s = 0; s < 3; ++s) {
                    mask[s] = rows ? RowMask(pattern_[3 * (line / 3) + s][d], line % 3)
                                   : ColMask(pattern_[3 * s + line / 3][d], line % 3);
                }
                int segment[2], used = 0, empty = 0;
                for (int s = 0; s < 3; ++s) {
                    if (mask[s] == 0)
                        ++empty;
                    else if (used < 2)
                        segment[used++] = s;
                }
                if (empty != 1) continue;
                ChainEndpoint ends[2];
                bool usable = true;
                for (int j = 0; j < 2; ++j) {
                    const int s = segment[j];
                    const int m = mask[s];
                    if (OneBit(static_cast<uint16_t>(m))) {
                        const int pos = 3 * s + std::countr_zero(static_cast<unsigned>(m));
                        ends[j] = SingleCell(rows ? CellIndex(line, pos) : CellIndex(pos, line), d);
                    } else if (n_ == 9) {
                        ends[j] = rows ? RowGroup(line, s, m, d) : ColumnGroup(line, s, m, d);
                    } else {
                        usable = false;
                    }
                }
                if (usable) Add(rows ? ChainKind::kRow : ChainKind::kColumn, ends[0], ends[1]);
            }
        }
    }

    void CellLinks() {
        for (int k = 0; k < 81; ++k) {
            if (board_.cellCand[k] != 2) continue;
            int digits[2], count = 0;
            for (int d = 1; d <= 9 && count < 2; ++d)
                if (Has(k, d)) digits[count++] = d;
            if (count == 2) Add(ChainKind::kCell, SingleCell(k, digits[0]), SingleCell(k, digits[1]));
        }
    }

    static int RowsOf(int pattern) {
        int rows = 0;
        for (int i = 0; i < 9; ++i)
            if (pattern & (1 << i)) rows |= 1 << (i / 3);
        return rows;
    }
    static int ColsOf(int pattern) {
        int cols = 0;
        for (int i = 0; i < 9; ++i)
            if (pattern & (1 << i)) cols |= 1 << (i % 3);
        return cols;
    }
    // Positions (bits 1, 2, 4) of the pattern in row r of the block, or in column c.
    static int RowMask(int pattern, int r) { return (pattern >> (3 * r)) & 7; }
    static int ColMask(int pattern, int c) {
        int mask = 0;
        for (int r = 0; r < 3; ++r)
            if (pattern & (1 << (3 * r + c))) mask |= 1 << r;
        return mask;
    }

    void EmptyRectangleLinks() {
        for (int b = 0; b < 9; ++b) {
            for (int d = 1; d <= 9; ++d) {
                const int pattern = pattern_[b][d];
                if (CountBits(pattern) <= 2) continue;
                if (CountBits(RowsOf(pattern)) < 2) continue;
                if (CountBits(ColsOf(pattern)) < 2) continue;
                for (int r = 0; r < 3; ++r) {
                    for (int c = 0; c < 3; ++c) {
                        const int cross = (7 << (3 * r)) | (0x49 << c);
                        if ((pattern & ~cross) != 0) continue;
                        Add(ChainKind::kEmptyRectangle, ColumnGroup(3 * (b % 3) + c, b / 3, ColMask(pattern, c), d),
                            RowGroup(3 * (b / 3) + r, b % 3, RowMask(pattern, r), d));
                    }
                }
            }
        }
    }

    void BlockLineLinks(bool rows) {
        for (int b = 0; b < 9; ++b) {
            for (int d = 1; d <= 9; ++d) {
                const int pattern = pattern_[b][d];
                if (CountBits(pattern) <= 2) continue;
                const int lines = rows ? RowsOf(pattern) : ColsOf(pattern);
                if (CountBits(lines) != 2) continue;
                const int first = std::countr_zero(static_cast<unsigned>(lines));
                const int second = 31 - std::countl_zero(static_cast<unsigned>(lines));
                if (rows) {
                    Add(ChainKind::kBlockRows, RowGroup(3 * (b / 3) + first, b % 3, RowMask(pattern, first), d),
                        RowGroup(3 * (b / 3) + second, b % 3, RowMask(pattern, second), d));
                } else {
                    Add(ChainKind::kBlockColumns,
                        ColumnGroup(3 * (b % 3) + first, b / 3, ColMask(pattern, first), d),
                        ColumnGroup(3 * (b % 3) + second, b / 3, ColMask(pattern, second), d));
                }
            }
        }
    }

    // The continuation test depends only on the two endpoints, so it is done
    // once per call here instead of once per tree node. It is symmetric and
    // holds only between endpoints of one digit that share a row, column or
    // block without sharing a cell, or between single cells of one cell; so
    // it is tested only for the pairs of endpoints of a digit that lie in one
    // unit. The lists are then filled link by link, which puts them in list
    // order as they are written.
    void FollowLists() {
        const auto& ends = set_.endpoints;
        const size_t count = ends.size();
        const size_t words = (count + 63) / 64;
        std::vector<uint64_t>& falseBy = scratch_.falseBy;
        falseBy.assign(count * words, 0);
        auto relate = [&](size_t a, size_t b) {
            falseBy[a * words + b / 64] |= uint64_t{1} << (b % 64);
            falseBy[b * words + a / 64] |= uint64_t{1} << (a % 64);
        };

        // Endpoints by digit and unit (blocks 0..8, rows 9..17, columns
        // 18..26; an endpoint inside one unit of each kind is in three
        // lists), and single cells by cell.
        std::vector<uint16_t>& byUnit = scratch_.byUnit;
        std::vector<uint32_t>& unitStart = scratch_.unitStart;
        unitStart.assign(10 * 27 + 1, 0);
        auto unitsOf = [](const ChainEndpoint& e, int out[3]) {
            int size = 0;
            if (OneBit(e.blocks)) out[size++] = std::countr_zero(static_cast<unsigned>(e.blocks));
            if (OneBit(e.rows)) out[size++] = 9 + std::countr_zero(static_cast<unsigned>(e.rows));
            if (OneBit(e.cols)) out[size++] = 18 + std::countr_zero(static_cast<unsigned>(e.cols));
            return size;
        };
        for (const ChainEndpoint& e : ends) {
            int units[3];
            const int size = unitsOf(e, units);
            for (int i = 0; i < size; ++i) ++unitStart[27 * e.digit + units[i] + 1];
        }
        for (size_t i = 0; i < 10 * 27; ++i) unitStart[i + 1] += unitStart[i];
        byUnit.resize(unitStart[10 * 27]);
        {
            std::vector<uint32_t>& place = scratch_.place;
            place.assign(unitStart.begin(), unitStart.end() - 1);
            for (size_t e = 0; e < count; ++e) {
                int units[3];
                const int size = unitsOf(ends[e], units);
                for (int i = 0; i < size; ++i) byUnit[place[27 * ends[e].digit + units[i]]++] = static_cast<uint16_t>(e);
            }
        }
        for (size_t list = 0; list < 10 * 27; ++list)
            for (uint32_t i = unitStart[list]; i < unitStart[list + 1]; ++i)
                for (uint32_t j = i + 1; j < unitStart[list + 1]; ++j)
                    if ((ends[byUnit[i]].cells & ends[byUnit[j]].cells).Empty()) relate(byUnit[i], byUnit[j]);
        uint16_t cellMembers[81][9];
        uint8_t cellCount[81] = {};
        for (size_t e = 0; e < count; ++e)
            if (ends[e].cell >= 0) cellMembers[ends[e].cell][cellCount[ends[e].cell]++] = static_cast<uint16_t>(e);
        for (int k = 0; k < 81; ++k)
            for (int i = 0; i < cellCount[k]; ++i)
                for (int j = i + 1; j < cellCount[k]; ++j) relate(cellMembers[k][i], cellMembers[k][j]);

        // Link by link, each endpoint that makes endpoint 0 false continues
        // into endpoint 1; one that makes only endpoint 1 false continues into
        // endpoint 0. First the lengths, then the entries.
        std::vector<uint32_t>& start = set_.followStart;
        start.assign(count + 1, 0);
        auto forEachFollower = [&](auto visit) {
            for (size_t i = 0; i < set_.links.size(); ++i) {
                const size_t e0 = set_.links[i].end[0];
                const size_t e1 = set_.links[i].end[1];
                const uint64_t* row0 = &falseBy[e0 * words];
                const uint64_t* row1 = &falseBy[e1 * words];
                for (size_t w = 0; w < words; ++w) {
                    for (uint64_t bits = row0[w]; bits != 0; bits &= bits - 1)
                        visit(64 * w + static_cast<size_t>(std::countr_zero(bits)), static_cast<uint16_t>(i << 1 | 1));
                    for (uint64_t bits = row1[w] & ~row0[w]; bits != 0; bits &= bits - 1)
                        visit(64 * w + static_cast<size_t>(std::countr_zero(bits)), static_cast<uint16_t>(i << 1));
                }
            }
        };
        forEachFollower([&](size_t e, uint16_t) { ++start[e + 1]; });
        for (size_t e = 0; e < count; ++e) start[e + 1] += start[e];
        set_.follow.resize(start[count]);
        std::vector<uint32_t>& place = scratch_.place;
        place.assign(start.begin(), start.end() - 1);
        forEachFollower([&](size_t e, uint16_t entry) { set_.follow[place[e]++] = entry; });
        set_.followEnd.assign(start.begin() + 1, start.end());
    }

    // For lists made one endpoint at a time: every list empty and unmade,
    // the endpoints by digit, the single cells by cell, the links of each endpoint.
    void Index() {
        const auto& ends = set_.endpoints;
        const size_t count = ends.size();
        set_.followStart.assign(count, 0);
        set_.followEnd.assign(count, 0);
        set_.followMade.assign(count, 0);
        set_.follow.clear();

        std::fill(std::begin(set_.digitStart), std::end(set_.digitStart), uint16_t{0});
        std::fill(std::begin(set_.cellStart), std::end(set_.cellStart), uint16_t{0});
        for (const ChainEndpoint& e : ends) {
            ++set_.digitStart[e.digit + 1];
            if (e.cell >= 0) ++set_.cellStart[e.cell + 1];
        }
        for (int d = 0; d < 10; ++d) set_.digitStart[d + 1] = static_cast<uint16_t>(set_.digitStart[d + 1] + set_.digitStart[d]);
        for (int k = 0; k < 81; ++k) set_.cellStart[k + 1] = static_cast<uint16_t>(set_.cellStart[k + 1] + set_.cellStart[k]);
        set_.byDigit.resize(count);
        set_.byCell.resize(set_.cellStart[81]);
        {
            uint16_t digitFill[10];
            uint16_t cellFill[81];
            std::copy(set_.digitStart, set_.digitStart + 10, digitFill);
            std::copy(set_.cellStart, set_.cellStart + 81, cellFill);
            for (size_t e = 0; e < count; ++e) {
                set_.byDigit[digitFill[ends[e].digit]++] = static_cast<uint16_t>(e);
                if (ends[e].cell >= 0) set_.byCell[cellFill[ends[e].cell]++] = static_cast<uint16_t>(e);
            }
        }

        std::vector<uint32_t>& start = set_.linksStart;
        start.assign(count + 1, 0);
        for (const KR_chain& link : set_.links) {
            ++start[link.end[0] + 1];
            ++start[link.end[1] + 1];
        }
        for (size_t e = 0; e < count; ++e) start[e + 1] += start[e];
        set_.linksOf.resize(start[count]);
        std::vector<uint32_t>& place = scratch_.place;
        place.assign(start.begin(), start.end() - 1);
        for (size_t i = 0; i < set_.links.size(); ++i)
            for (int side = 0; side < 2; ++side)
                set_.linksOf[place[set_.links[i].end[side]]++] = static_cast<uint16_t>(i << 1 | side);
    }

    const KR_solver& board_;
    const int n_;
    // The digit's cells of each block as a 3x3 bit grid: bit 3 * row + col.
    uint16_t pattern_[9][10];
    ChainLinkSet& set_;
    FollowScratch& scratch_;
};

}  // namespace

bool MakesFalse(const ChainEndpoint& current, const ChainEndpoint& f) {
    if (f.digit != current.digit) return f.cell >= 0 && f.cell == current.cell;
    if (!(f.cells & current.cells).Empty()) return false;
    return OneBit(f.rows | current.rows) || OneBit(f.cols | current.cols) || OneBit(f.blocks | current.blocks);
}

void BuildChainLinks(const KR_solver& board, int n, ChainLinkSet& set, bool followLists) {
    thread_local FollowScratch scratch;
    Builder(board, n, set, scratch).Build(followLists);
}

void MakeFollowList(ChainLinkSet& set, int e) {
    const size_t at = static_cast<size_t>(e);
    if (set.followMade[at]) return;
    set.followMade[at] = 1;
    // The links of every endpoint that e makes false, the other side becoming
    // true, in list order; a link with both endpoints made false continues
    // into endpoint 1.
    std::vector<uint16_t>& found = set.scratch;
    found.clear();
    ForEachMadeFalse(set, e, [&](int f) {
        for (uint32_t j = set.linksStart[static_cast<size_t>(f)]; j < set.linksStart[static_cast<size_t>(f) + 1]; ++j)
            found.push_back(set.linksOf[j] ^ 1);
    });
    std::sort(found.begin(), found.end());
    set.followStart[at] = static_cast<uint32_t>(set.follow.size());
    for (size_t j = 0; j < found.size(); ++j) {
        if (j + 1 < found.size() && (found[j + 1] >> 1) == (found[j] >> 1)) continue;
        set.follow.push_back(found[j]);
    }
    set.followEnd[at] = static_cast<uint32_t>(set.follow.size());
}

}  // namespace masuvo
