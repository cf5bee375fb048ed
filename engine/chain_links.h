// The strong links of a board that 二択連鎖 walks: their endpoints, the order
// in which they are listed, which links continue a chain from an endpoint,
// and what each kind of link makes false when one of its endpoints is true.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "engine/board.h"

namespace masuvo {

// A set of cells of the grid, bit k for cell k (row-major).
struct CellSet {
    uint64_t low = 0;   // cells 0..63
    uint64_t high = 0;  // cells 64..80

    static constexpr uint64_t kHighMask = (uint64_t{1} << 17) - 1;

    void Add(int cell) {
        if (cell < 64)
            low |= uint64_t{1} << cell;
        else
            high |= uint64_t{1} << (cell - 64);
    }
    void Remove(int cell) {
        if (cell < 64)
            low &= ~(uint64_t{1} << cell);
        else
            high &= ~(uint64_t{1} << (cell - 64));
    }
    bool Has(int cell) const {
        return cell < 64 ? ((low >> cell) & 1) != 0 : ((high >> (cell - 64)) & 1) != 0;
    }
    bool Empty() const { return (low | high) == 0; }
    int Count() const { return CountBits(low) + CountBits(high); }

    friend CellSet operator&(CellSet a, CellSet b) { return {a.low & b.low, a.high & b.high}; }
    friend CellSet operator|(CellSet a, CellSet b) { return {a.low | b.low, a.high | b.high}; }
    friend CellSet operator~(CellSet a) { return {~a.low, ~a.high & kHighMask}; }
    CellSet& operator|=(CellSet b) {
        low |= b.low;
        high |= b.high;
        return *this;
    }
    CellSet& operator&=(CellSet b) {
        low &= b.low;
        high &= b.high;
        return *this;
    }
    friend bool operator==(CellSet a, CellSet b) = default;

    // Calls f(cell) for every member in increasing order.
    template <typename F>
    void ForEach(F f) const {
        for (uint64_t w = low; w != 0; w &= w - 1) f(std::countr_zero(w));
        for (uint64_t w = high; w != 0; w &= w - 1) f(64 + std::countr_zero(w));
    }
};

enum class EndpointShape : uint8_t { kCell, kRowGroup, kColumnGroup };

// One side of a strong link: a single candidate, or a digit confined to the
// cells of one row (or column) segment of a block.
struct ChainEndpoint {
    KR_set place;  // band, stack, row/column in block (-1 for the group's free axis), digit, group mask
    EndpointShape shape = EndpointShape::kCell;
    int digit = 0;
    int cell = -1;  // the cell of a single-cell endpoint, -1 for a group
    CellSet cells;
    // The rows, columns and blocks its cells touch, one bit each; two
    // endpoints lie in one unit when the union of their masks has one bit.
    uint16_t rows = 0;
    uint16_t cols = 0;
    uint16_t blocks = 0;
    int key = 0;  // the visited-map index; groups and single cells never share one
};

// The number of distinct visited-map indices: band, stack, row in block + 1,
// column in block + 1, digit.
constexpr int kEndpointKeyCount = 3 * 3 * 4 * 4 * 10;

enum class ChainKind : uint8_t {
    kBlock,         // a digit with two cells in a block
    kRow,           // a digit in two segments of a row
    kColumn,        // a digit in two segments of a column
    kCell,          // a cell with two digits
    kEmptyRectangle,
    kBlockRows,     // a digit in two rows of a block
    kBlockColumns,  // a digit in two columns of a block
};

// A strong link: at least one of its two endpoints is true.
struct KR_chain {
    ChainKind kind = ChainKind::kBlock;
    uint16_t end[2] = {0, 0};  // endpoint ids in ChainLinkSet::endpoints
    // The cells where the digit of end[s] becomes false when end[s] is true.
    CellSet off[2];
};

struct ChainLinkSet {
    // One per visited-map index in use. A group always holds every cell of its
    // segment that has the digit, so one index never names two sets of cells.
    std::vector<ChainEndpoint> endpoints;
    std::vector<KR_chain> links;           // in start order
    // For endpoint id e, the entries follow[followStart[e] .. followEnd[e])
    // are (link << 1 | s): the links, in list order, that a true e continues
    // into, s being the side that becomes true. Built in full, the lists lie
    // in endpoint order and followStart[e + 1] is followEnd[e].
    std::vector<uint32_t> followStart;
    std::vector<uint32_t> followEnd;
    std::vector<uint16_t> follow;
    int16_t idOfKey[kEndpointKeyCount];

    // Built without the lists: which have been made, the endpoints by digit,
    // the single cells by cell and the links of each endpoint.
    std::vector<uint8_t> followMade;
    uint16_t digitStart[11] = {};
    std::vector<uint16_t> byDigit;
    uint16_t cellStart[82] = {};
    std::vector<uint16_t> byCell;
    std::vector<uint32_t> linksStart;
    std::vector<uint16_t> linksOf;  // (link << 1 | side) of each endpoint
    std::vector<uint16_t> scratch;
};

// Whether endpoint f is made false by endpoint current being true.
bool MakesFalse(const ChainEndpoint& current, const ChainEndpoint& f);

// Lists the strong links of the board for chains of depth n (row and column
// links join groups of cells only for n = 9), and which links continue from
// each endpoint. Reads cand and the blockCand and cellCand tables. Without
// followLists, every continuation list stays empty until MakeFollowList makes
// it: for a search that grows trees from a few endpoints only.
void BuildChainLinks(const KR_solver& board, int n, ChainLinkSet& set, bool followLists = true);

// In a set built without the lists: makes endpoint e's list, once.
void MakeFollowList(ChainLinkSet& set, int e);

// In a set built without the lists: calls visit(x) for every endpoint x that
// e makes false (the relation is symmetric), in no particular order.
template <typename Visit>
void ForEachMadeFalse(const ChainLinkSet& set, int e, Visit visit) {
    const ChainEndpoint& current = set.endpoints[static_cast<size_t>(e)];
    // Endpoints of the same digit, and single cells of the same cell.
    for (int i = set.digitStart[current.digit]; i < set.digitStart[current.digit + 1]; ++i) {
        const int x = set.byDigit[static_cast<size_t>(i)];
        if (MakesFalse(current, set.endpoints[static_cast<size_t>(x)])) visit(x);
    }
    if (current.cell < 0) return;
    for (int i = set.cellStart[current.cell]; i < set.cellStart[current.cell + 1]; ++i) {
        const int x = set.byCell[static_cast<size_t>(i)];
        if (set.endpoints[static_cast<size_t>(x)].digit != current.digit) visit(x);
    }
}

}  // namespace masuvo
