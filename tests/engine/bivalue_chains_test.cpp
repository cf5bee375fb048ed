// 二択連鎖n: the link list, the chosen chain with its removals and marks,
// replay, agreement with a plain transcription kept here, soundness on hard
// puzzles and independence of the thread count.
#include <gtest/gtest.h>
#include <omp.h>

#include <cstring>
#include <utility>

#include "engine/brute_force.h"
#include "engine/chain_links.h"
#include "engine/step_search.h"
#include "engine/techniques.h"
#include "engine/text_format.h"
#include "tests/engine/fixtures.h"

namespace masuvo {
namespace {

const std::string kEmptyGrid(81, '.');

// Sets the OpenMP thread count for the rest of a scope, and lets every link
// list run in parallel so that more than one thread really takes part.
class ThreadCount {
public:
    explicit ThreadCount(int threads) : saved_(omp_get_max_threads()), savedLinks_(ChainParallelLinkCount()) {
        Set(threads);
    }
    ~ThreadCount() {
        omp_set_num_threads(saved_);
        SetChainParallelLinkCount(savedLinks_);
    }
    void Set(int threads) {
        omp_set_num_threads(threads);
        SetChainParallelLinkCount(threads > 1 ? 1 : savedLinks_);
    }

private:
    int saved_;
    int savedLinks_;
};

// Leaves digit d as a candidate exactly in the given cells (row, col).
void DigitOnlyAt(KR_solver& board, int d, std::initializer_list<std::pair<int, int>> cells) {
    for (int k = 0; k < 81; ++k) board.cand[k][d] = 0;
    for (auto [r, c] : cells) board.cand[CellIndex(r, c)][d] = 1;
    CountCandidates(board);
}

struct Place {
    int band, stack, rowInBlock, colInBlock, digit, groupMask;
};

void ExpectPlace(const ChainEndpoint& e, const Place& p, const std::string& where) {
    EXPECT_EQ(e.place.band, p.band) << where;
    EXPECT_EQ(e.place.stack, p.stack) << where;
    EXPECT_EQ(e.place.rowInBlock, p.rowInBlock) << where;
    EXPECT_EQ(e.place.colInBlock, p.colInBlock) << where;
    EXPECT_EQ(e.place.digit, p.digit) << where;
    EXPECT_EQ(e.place.groupMask, p.groupMask) << where;
}

// Every kind of link once: digit 5 in a block pair and a row pair, digit 3
// as an empty rectangle in block 4 that leaves row 5 and column 5 with two
// full segments, and a bivalue cell.
KR_solver LinkKindsBoard() {
    KR_solver board = test::BoardFrom(kEmptyGrid);
    DigitOnlyAt(board, 5, {{0, 0}, {1, 1}, {0, 4}});
    for (int i = 0; i < 9; ++i) board.cand[BlockCell(4, i)][3] = 0;
    board.cand[CellIndex(3, 3)][3] = board.cand[CellIndex(3, 4)][3] = board.cand[CellIndex(4, 3)][3] = 1;
    CountCandidates(board);
    test::KeepCandidates(board, 4, 4, {2, 7});
    return board;
}

TEST(BivalueChainLinks, ListOrderKindsAndEndpoints) {
    struct Expected {
        ChainKind kind;
        Place end0, end1;
        bool groupsOnly;  // listed only when groups are allowed (n = 9)
    };
    const Expected all[] = {
        {ChainKind::kBlock, {0, 0, 0, 0, 5, 0}, {0, 0, 1, 1, 5, 0}, false},
        {ChainKind::kRow, {0, 0, 0, 0, 5, 0}, {0, 1, 0, 1, 5, 0}, false},
        {ChainKind::kRow, {1, 0, 2, -1, 3, 7}, {1, 2, 2, -1, 3, 7}, true},
        {ChainKind::kColumn, {0, 1, -1, 2, 3, 7}, {2, 1, -1, 2, 3, 7}, true},
        {ChainKind::kCell, {1, 1, 1, 1, 2, 0}, {1, 1, 1, 1, 7, 0}, false},
        {ChainKind::kEmptyRectangle, {1, 1, -1, 0, 3, 3}, {1, 1, 0, -1, 3, 3}, false},
        {ChainKind::kBlockRows, {1, 1, 0, -1, 3, 3}, {1, 1, 1, -1, 3, 1}, false},
        {ChainKind::kBlockColumns, {1, 1, -1, 0, 3, 3}, {1, 1, -1, 1, 3, 1}, false},
    };
    const KR_solver board = LinkKindsBoard();
    for (int n : {1, 2, 9}) {
        ChainLinkSet set;
        BuildChainLinks(board, n, set);
        size_t index = 0;
        for (const Expected& e : all) {
            if (e.groupsOnly && n != 9) continue;
            ASSERT_LT(index, set.links.size()) << "n=" << n;
            const KR_chain& link = set.links[index];
            const std::string where = "n=" + std::to_string(n) + " link " + std::to_string(index);
            EXPECT_EQ(link.kind, e.kind) << where;
            ExpectPlace(set.endpoints[link.end[0]], e.end0, where + " endpoint 0");
            ExpectPlace(set.endpoints[link.end[1]], e.end1, where + " endpoint 1");
            ++index;
        }
        EXPECT_EQ(set.links.size(), index) << "n=" << n;
        // The rectangle's groups are the same nodes as the block-row and block-column groups.
        const size_t er = n == 9 ? 5 : 3;
        EXPECT_EQ(set.links[er].end[0], set.links[er + 2].end[0]);
        EXPECT_EQ(set.links[er].end[1], set.links[er + 1].end[0]);
    }
}

TEST(BivalueChainLinks, WhichEndpointsATrueEndpointMakesFalse) {
    const KR_solver board = LinkKindsBoard();
    ChainLinkSet set;
    BuildChainLinks(board, 9, set);
    auto end = [&](int link, int side) { return set.endpoints[set.links[link].end[side]]; };
    const ChainEndpoint r0c0 = end(0, 0), r1c1 = end(0, 1), r0c4 = end(1, 1);
    const ChainEndpoint row5Left = end(2, 0), erColumn = end(5, 0), erRow = end(5, 1);
    const ChainEndpoint row4Group = end(6, 1), col4Group = end(7, 1), two = end(4, 0), seven = end(4, 1);
    struct Case {
        const char* what;
        ChainEndpoint current, f;
        bool expected;
    };
    const Case cases[] = {
        {"same block", r0c0, r1c1, true},
        {"same row", r0c0, r0c4, true},
        {"no common unit", r1c1, r0c4, false},
        {"same cell, other digit", two, seven, true},
        {"same endpoint", two, two, false},
        {"groups sharing the cross cell", erColumn, erRow, false},
        {"one-cell group inside the other group", row4Group, erColumn, false},
        {"two groups in one block", row4Group, col4Group, true},
        {"groups in different rows and blocks", row5Left, erRow, false},
        {"other digit, different cells", two, r0c0, false},
    };
    for (const Case& c : cases) EXPECT_EQ(MakesFalse(c.current, c.f), c.expected) << c.what;
}

TEST(BivalueChain, NoLinkNoChain) {
    KR_solver board = test::BoardFrom(kEmptyGrid);
    const KR_solver before = board;
    for (int n : {1, 2, 9}) {
        EXPECT_FALSE(BivalueChain(board, n));
        EXPECT_EQ(std::memcmp(board.cand, before.cand, sizeof board.cand), 0);
        EXPECT_EQ(std::memcmp(board.hint.candMark, before.hint.candMark, sizeof board.hint.candMark), 0);
        EXPECT_EQ(std::memcmp(board.hint.cellMark, before.hint.cellMark, sizeof board.hint.cellMark), 0);
    }
}

// Pivot r1c1 {1,2} with wings r1c5 {1,3} and r2c2 {2,3}: both sides of the
// pivot exclude 3 from the cells that see both wings.
KR_solver WingBoard() {
    KR_solver board = test::BoardFrom(kEmptyGrid);
    test::KeepCandidates(board, 0, 0, {1, 2});
    test::KeepCandidates(board, 0, 4, {1, 3});
    test::KeepCandidates(board, 1, 1, {2, 3});
    return board;
}

const std::pair<int, int> kWingRemovals[] = {{0, 1}, {0, 2}, {1, 3}, {1, 4}, {1, 5}};

struct Mark {
    int row, col, digit;
    uint8_t candMark;
};

// candMark of every candidate the chain touches; any other candidate must be 0.
void ExpectMarks(const KR_solver& board, const std::vector<Mark>& marks, const char* what) {
    uint8_t expected[81][10] = {};
    for (const Mark& m : marks) expected[CellIndex(m.row, m.col)][m.digit] = m.candMark;
    for (int k = 0; k < 81; ++k)
        for (int d = 0; d <= 9; ++d)
            EXPECT_EQ(board.hint.candMark[k][d], expected[k][d])
                << what << ": candMark of r" << k / 9 + 1 << "c" << k % 9 + 1 << " digit " << d;
}

std::vector<Mark> WingMarks() {
    std::vector<Mark> marks = {
        {0, 0, 1, 0xF1}, {0, 0, 2, 0xF2},  // the start link: true on side 0 and side 1
        {0, 4, 3, 0x01}, {0, 4, 1, 0x10},  // side 0 goes on through the wing r1c5
        {1, 1, 3, 0x02}, {1, 1, 2, 0x20},  // side 1 through the wing r2c2
    };
    for (auto [r, c] : kWingRemovals) marks.push_back({r, c, 3, 4});
    return marks;
}

TEST(BivalueChain, WingRemovesWhatBothSidesExclude) {
    KR_solver board = WingBoard();
    ASSERT_TRUE(BivalueChain(board, 1));
    EXPECT_EQ(board.stepText, "二択連鎖1。");
    EXPECT_EQ(board.stepTechnique, 27);
    for (auto [r, c] : kWingRemovals) EXPECT_EQ(board.cand[CellIndex(r, c)][3], 0) << r << "," << c;
    EXPECT_EQ(board.cand[CellIndex(0, 3)][3], 1);
    ExpectMarks(board, WingMarks(), "wing");
    for (int k = 0; k < 81; ++k) {
        const bool inChain = k == CellIndex(0, 0) || k == CellIndex(0, 4) || k == CellIndex(1, 1);
        EXPECT_EQ(board.hint.cellMark[k], inChain ? 1 : 0) << k;
        for (int d = 0; d <= 9; ++d) EXPECT_EQ(board.hint.candFlags[k][d], 0) << k << " " << d;
    }
    // Nothing is left for a second application.
    ResetHint(board.hint);
    CountCandidates(board);
    EXPECT_FALSE(BivalueChain(board, 1));
}

// With n = 2 each wing also reaches the other wing through the pivot, a chain
// of the same size; the pivot comes first in the list and wins whatever
// thread evaluates it.
TEST(BivalueChain, EqualSizeKeepsTheEarlierStartLink) {
    ThreadCount count(1);
    for (int threads : {1, 2}) {
        count.Set(threads);
        KR_solver board = WingBoard();
        ASSERT_TRUE(BivalueChain(board, 2));
        EXPECT_EQ(board.stepText, "二択連鎖2。");
        EXPECT_EQ(board.stepTechnique, 28);
        ExpectMarks(board, WingMarks(), threads == 1 ? "one thread" : "two threads");
    }
}

TEST(BivalueChain, ReplayRemovesOnlyWhatTheMaskAllows) {
    KR_solver board = WingBoard();
    board.replayMode = true;
    std::memset(board.replayMask, 0, sizeof board.replayMask);
    board.replayMask[CellIndex(0, 2)][3] = 1;
    board.replayMask[CellIndex(1, 4)][3] = 1;
    board.replayMask[CellIndex(0, 3)][3] = 1;  // allowed, but not a removal of the chain
    ASSERT_TRUE(BivalueChain(board, 1));
    for (auto [r, c] : kWingRemovals) {
        const bool allowed = (r == 0 && c == 2) || (r == 1 && c == 4);
        EXPECT_EQ(board.cand[CellIndex(r, c)][3], allowed ? 0 : 1) << r << "," << c;
        EXPECT_EQ(board.hint.candMark[CellIndex(r, c)][3], allowed ? 4 : 0) << r << "," << c;
    }
    EXPECT_EQ(board.cand[CellIndex(0, 3)][3], 1);

    // A mask that allows none of its removals leaves the chain unused.
    KR_solver closed = WingBoard();
    closed.replayMode = true;
    std::memset(closed.replayMask, 0, sizeof closed.replayMask);
    closed.replayMask[CellIndex(0, 3)][3] = 1;
    EXPECT_FALSE(BivalueChain(closed, 1));
    EXPECT_EQ(closed.cand[CellIndex(0, 1)][3], 1);
}

// Digit 5 in column 1: a two-cell group in block 1 against r8c1. If the
// group holds the 5, the rest of block 1 outside column 1 loses it; if r8c1
// does, r9c3 (same block) does not, so r3c3 (same column) does and block 1
// loses it again. Without the grouped link (n = 1, 2) the sides never meet.
// The block pair r8c1-r9c3, earlier in the list, reaches the same removals
// with four nodes; the grouped link as start needs three and wins.
KR_solver GroupBoard() {
    KR_solver board = test::BoardFrom(kEmptyGrid);
    DigitOnlyAt(board, 5, {{0, 0}, {1, 0}, {7, 0}, {2, 2}, {8, 2}, {0, 1}, {1, 1}, {2, 1}});
    return board;
}

TEST(BivalueChain, GroupedLinksOnlyForNine) {
    for (int n : {1, 2}) {
        KR_solver board = GroupBoard();
        EXPECT_FALSE(BivalueChain(board, n)) << n;
    }
    KR_solver board = GroupBoard();
    ASSERT_TRUE(BivalueChain(board, 9));
    EXPECT_EQ(board.stepText, "二択連鎖9。");
    EXPECT_EQ(board.stepTechnique, 29);
    ExpectMarks(board,
                {
                    {0, 0, 5, 0xF1},  // side 0, the group, is the start endpoint;
                    {1, 0, 5, 0xF1},  // 0x20: side 1 made it false
                    {7, 0, 5, 0xF2},  // side 1; 0x10: side 0 made it false
                    {2, 2, 5, 0x02},  // side 1 goes on to r3c3 ...
                    {8, 2, 5, 0x20},  // ... through r9c3
                    {0, 1, 5, 4},
                    {1, 1, 5, 4},
                    {2, 1, 5, 4},
                },
                "group");
    for (int k = 0; k < 81; ++k) {
        for (int d = 1; d <= 9; ++d) {
            // A column group: true on side 0 (0x20), made false on side 1 (0x80).
            const bool group = d == 5 && (k == CellIndex(0, 0) || k == CellIndex(1, 0));
            EXPECT_EQ(board.hint.candFlags[k][d], group ? 0xA0 : 0) << k << " " << d;
        }
        const bool inChain = k == CellIndex(0, 0) || k == CellIndex(1, 0) || k == CellIndex(7, 0) ||
                             k == CellIndex(2, 2) || k == CellIndex(8, 2);
        EXPECT_EQ(board.hint.cellMark[k], inChain ? 1 : 0) << k;
    }
}

// Unique puzzles of the hard sets with their solutions, solved once.
const std::vector<std::pair<std::string, KR_base>>& HardPuzzles() {
    static const auto puzzles = [] {
        std::vector<std::pair<std::string, KR_base>> list;
        for (const char* file : {"hardest11.txt", "top95.txt"}) {
            for (const auto& line : test::ReadDataLines(file)) {
                KR_solver board = test::BoardFrom(line.puzzle);
                KR_base solution;
                if (CountSolutions(board, &solution) == 1) list.emplace_back(line.puzzle, solution);
            }
        }
        return list;
    }();
    return puzzles;
}

bool RemovedSolutionDigit(const KR_solver& board, const KR_base& solution, std::string& where) {
    for (int k = 0; k < 81; ++k) {
        if (board.value[k / 9][k % 9] != 0) continue;
        if (board.cand[k][solution.value[k / 9][k % 9]] == 0) {
            where = Format("r%dc%d", k / 9 + 1, k % 9 + 1);
            return true;
        }
    }
    return false;
}

// A plain transcription of the technique kept beside the routine: byte
// colour records, every link tested at every tree node, removals counted
// cell by cell. The routine must choose the same chain and leave the same
// candidates and marks.
namespace reference {

struct End {
    int band, stack, rowInBlock, colInBlock, digit, mask;
    bool single() const { return rowInBlock >= 0 && colInBlock >= 0; }
    bool rowGroup() const { return colInBlock < 0; }
    struct Cells {
        int k[3];
        int n = 0;
        void push_back(int cell) { k[n++] = cell; }
        const int* begin() const { return k; }
        const int* end() const { return k + n; }
        int operator[](int i) const { return k[i]; }
    };
    Cells cells() const {
        Cells out;
        if (single()) {
            out.push_back(CellIndex(3 * band + rowInBlock, 3 * stack + colInBlock));
        } else if (rowGroup()) {
            for (int i = 0; i < 3; ++i)
                if (mask & (1 << i)) out.push_back(CellIndex(3 * band + rowInBlock, 3 * stack + i));
        } else {
            for (int i = 0; i < 3; ++i)
                if (mask & (1 << i)) out.push_back(CellIndex(3 * band + i, 3 * stack + colInBlock));
        }
        return out;
    }
    int key() const { return (((band * 3 + stack) * 4 + rowInBlock + 1) * 4 + colInBlock + 1) * 10 + digit; }
};

End Single(int cell, int digit) { return {cell / 27, cell % 9 / 3, cell / 9 % 3, cell % 3, digit, 0}; }

struct Link {
    ChainKind kind;
    End e[2];
};

struct Colour {
    uint8_t off[81][10];
    uint8_t cellValue[81];
    uint8_t flags[81][10];
};

bool SameUnit(const int* cells, int count) {
    bool row = true, col = true, block = true;
    for (int i = 0; i < count; ++i) {
        const int k = cells[i];
        row = row && k / 9 == cells[0] / 9;
        col = col && k % 9 == cells[0] % 9;
        block = block && BlockOf(k / 9, k % 9) == BlockOf(cells[0] / 9, cells[0] % 9);
    }
    return row || col || block;
}

bool False(const End& f, const End& current) {
    if (f.digit != current.digit) return f.single() && current.single() && f.cells()[0] == current.cells()[0];
    int all[6], count = 0;
    for (int k : f.cells()) all[count++] = k;
    for (int k : current.cells()) {
        for (int j : f.cells())
            if (j == k) return false;
        all[count++] = k;
    }
    return SameUnit(all, count);
}

std::vector<Link> BuildLinks(const KR_solver& b, int n) {
    std::vector<Link> links;
    for (int blk = 0; blk < 9; ++blk)
        for (int d = 1; d <= 9; ++d) {
            if (b.blockCand[blk][d] != 2) continue;
            std::vector<int> cells;
            for (int i = 0; i < 9; ++i)
                if (b.cand[BlockCell(blk, i)][d]) cells.push_back(BlockCell(blk, i));
            links.push_back({ChainKind::kBlock, {Single(cells[0], d), Single(cells[1], d)}});
        }
    for (int pass = 0; pass < 2; ++pass) {
        const bool rows = pass == 0;
        for (int line = 0; line < 9; ++line)
            for (int d = 1; d <= 9; ++d) {
                std::vector<int> seg[3];
                for (int i = 0; i < 9; ++i) {
                    const int k = rows ? CellIndex(line, i) : CellIndex(i, line);
                    if (b.cand[k][d]) seg[i / 3].push_back(i % 3);
                }
                int empty = 0;
                std::vector<End> ends;
                bool ok = true;
                for (int s = 0; s < 3; ++s) {
                    if (seg[s].empty()) {
                        ++empty;
                        continue;
                    }
                    if (seg[s].size() == 1) {
                        ends.push_back(
                            Single(rows ? CellIndex(line, 3 * s + seg[s][0]) : CellIndex(3 * s + seg[s][0], line), d));
                    } else {
                        if (n != 9) ok = false;
                        int mask = 0;
                        for (int p : seg[s]) mask |= 1 << p;
                        ends.push_back(rows ? End{line / 3, s, line % 3, -1, d, mask}
                                            : End{s, line / 3, -1, line % 3, d, mask});
                    }
                }
                if (empty == 1 && ok)
                    links.push_back({rows ? ChainKind::kRow : ChainKind::kColumn, {ends[0], ends[1]}});
            }
    }
    for (int k = 0; k < 81; ++k) {
        if (b.cellCand[k] != 2) continue;
        std::vector<int> digits;
        for (int d = 1; d <= 9; ++d)
            if (b.cand[k][d]) digits.push_back(d);
        links.push_back({ChainKind::kCell, {Single(k, digits[0]), Single(k, digits[1])}});
    }
    auto has = [&](int blk, int r, int c, int d) {
        return b.cand[CellIndex(3 * (blk / 3) + r, 3 * (blk % 3) + c)][d] != 0;
    };
    auto rowMask = [&](int blk, int r, int d) {
        int m = 0;
        for (int c = 0; c < 3; ++c)
            if (has(blk, r, c, d)) m |= 1 << c;
        return m;
    };
    auto colMask = [&](int blk, int c, int d) {
        int m = 0;
        for (int r = 0; r < 3; ++r)
            if (has(blk, r, c, d)) m |= 1 << r;
        return m;
    };
    auto count = [&](int blk, int d, int& rowsUsed, int& colsUsed) {
        int total = 0;
        rowsUsed = colsUsed = 0;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                if (has(blk, r, c, d)) {
                    ++total;
                    rowsUsed |= 1 << r;
                    colsUsed |= 1 << c;
                }
        return total;
    };
    auto bits = [](int m) { return (m & 1) + (m >> 1 & 1) + (m >> 2 & 1); };
    for (int blk = 0; blk < 9; ++blk)
        for (int d = 1; d <= 9; ++d) {
            int rowsUsed, colsUsed;
            if (count(blk, d, rowsUsed, colsUsed) <= 2 || bits(rowsUsed) < 2 || bits(colsUsed) < 2) continue;
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c) {
                    bool covers = true;
                    for (int rr = 0; rr < 3; ++rr)
                        for (int cc = 0; cc < 3; ++cc)
                            if (has(blk, rr, cc, d) && rr != r && cc != c) covers = false;
                    if (!covers) continue;
                    links.push_back({ChainKind::kEmptyRectangle,
                                     {End{blk / 3, blk % 3, -1, c, d, colMask(blk, c, d)},
                                      End{blk / 3, blk % 3, r, -1, d, rowMask(blk, r, d)}}});
                }
        }
    for (int pass = 0; pass < 2; ++pass)
        for (int blk = 0; blk < 9; ++blk)
            for (int d = 1; d <= 9; ++d) {
                int rowsUsed, colsUsed;
                if (count(blk, d, rowsUsed, colsUsed) <= 2) continue;
                const int used = pass == 0 ? rowsUsed : colsUsed;
                if (bits(used) != 2) continue;
                std::vector<End> ends;
                for (int i = 0; i < 3; ++i) {
                    if (!(used & (1 << i))) continue;
                    ends.push_back(pass == 0 ? End{blk / 3, blk % 3, i, -1, d, rowMask(blk, i, d)}
                                             : End{blk / 3, blk % 3, -1, i, d, colMask(blk, i, d)});
                }
                links.push_back({pass == 0 ? ChainKind::kBlockRows : ChainKind::kBlockColumns, {ends[0], ends[1]}});
            }
    return links;
}

void Apply(const Link& link, int side, Colour& colour, bool isStart) {
    const End& t = link.e[side];
    const End& o = link.e[1 - side];
    const uint8_t trueFlag = static_cast<uint8_t>((t.single() ? 1 : t.rowGroup() ? 3 : 5) | (isStart ? 8 : 0));
    for (int k : t.cells()) colour.flags[k][t.digit] |= trueFlag;
    if (t.single()) colour.cellValue[t.cells()[0]] = static_cast<uint8_t>(t.digit);
    for (int k : o.cells()) colour.flags[k][o.digit] |= o.single() ? 0x10 : o.rowGroup() ? 0x30 : 0x50;
    const int row = 3 * t.band + t.rowInBlock, col = 3 * t.stack + t.colInBlock, blk = 3 * t.band + t.stack;
    const int self = t.single() ? t.cells()[0] : -1;
    for (int k = 0; k < 81; ++k) {
        const int r = k / 9, c = k % 9;
        const bool inBlock = BlockOf(r, c) == blk;
        bool mark = false;
        switch (link.kind) {
            case ChainKind::kBlock:
                mark = r == row || c == col;
                break;
            case ChainKind::kCell:
                mark = r == row || c == col || inBlock;
                break;
            case ChainKind::kRow:
                mark = t.single() ? inBlock || c == col : inBlock && r != row;
                break;
            case ChainKind::kColumn:
                mark = t.single() ? inBlock || r == row : inBlock && c != col;
                break;
            case ChainKind::kEmptyRectangle:
                mark = !inBlock && (t.rowGroup() ? r == row : c == col);
                break;
            case ChainKind::kBlockRows:
                mark = !inBlock && r == row;
                break;
            case ChainKind::kBlockColumns:
                mark = !inBlock && c == col;
                break;
        }
        if (mark && k != self) colour.off[k][t.digit] = 1;
    }
}

struct Node {
    int link, side, parent, children;
    bool active;
};

bool Removal(const KR_solver& b, const Colour& a, const Colour& o, int k, int d) {
    if (!b.cand[k][d] || (b.replayMode && !b.replayMask[k][d])) return false;
    if (a.off[k][d] && o.off[k][d]) return true;
    if (a.cellValue[k] && a.cellValue[k] != d && o.off[k][d]) return true;
    return o.cellValue[k] && o.cellValue[k] != d && a.off[k][d];
}

int CountAll(const KR_solver& b, const Colour& a, const Colour& o) {
    int count = 0;
    for (int k = 0; k < 81; ++k)
        for (int d = 1; d <= 9; ++d) count += Removal(b, a, o, k, d);
    return count;
}

struct Start {
    std::vector<Node> nodes[2];
    Colour colour[2];
    int size = 0;
};

void Expand(const std::vector<Link>& links, int n, std::vector<Node>& nodes, std::vector<bool>& visited, int depth,
            const End& current, int index) {
    if (depth >= n) return;
    int appended = 0;
    for (size_t i = 0; i < links.size(); ++i) {
        int side = -1;
        if (False(links[i].e[0], current))
            side = 1;
        else if (False(links[i].e[1], current))
            side = 0;
        if (side < 0 || visited[links[i].e[side].key()]) continue;
        nodes.push_back({static_cast<int>(i), side, index, 0, true});
        visited[links[i].e[side].key()] = true;
        ++appended;
        Expand(links, n, nodes, visited, depth + 1, links[i].e[side], static_cast<int>(nodes.size()) - 1);
    }
    nodes[index].children = appended;
}

Start Evaluate(const KR_solver& b, const std::vector<Link>& links, int n, int start) {
    Start s;
    std::vector<bool> visited(3 * 3 * 4 * 4 * 10, false);
    for (int side = 0; side < 2; ++side) {
        s.nodes[side].push_back({start, side, -1, 0, true});
        visited[links[start].e[side].key()] = true;
        Expand(links, n, s.nodes[side], visited, 0, links[start].e[side], 0);
        std::memset(&s.colour[side], 0, sizeof(Colour));
        for (size_t i = 0; i < s.nodes[side].size(); ++i)
            Apply(links[s.nodes[side][i].link], s.nodes[side][i].side, s.colour[side], i == 0);
    }
    if (CountAll(b, s.colour[0], s.colour[1]) == 0) return s;
    for (int side = 0; side < 2; ++side) {
        std::vector<Node>& nodes = s.nodes[side];
        Colour& colour = s.colour[side];
        std::memset(&colour, 0, sizeof(Colour));
        bool counted[81][10] = {};
        int best = 0;
        for (size_t i = 0; i < nodes.size(); ++i) {
            Apply(links[nodes[i].link], nodes[i].side, colour, i == 0);
            int fresh = 0;
            for (int k = 0; k < 81; ++k)
                for (int d = 1; d <= 9; ++d)
                    if (!counted[k][d] && Removal(b, colour, s.colour[1 - side], k, d)) {
                        counted[k][d] = true;
                        ++fresh;
                    }
            if (fresh > best) {
                best = fresh;
                nodes[i].children = -1;
            }
            if (nodes[i].children == 0) {
                nodes[i].active = false;
                for (int p = nodes[i].parent; p >= 0; p = nodes[p].parent) {
                    if (nodes[p].children == -1) break;
                    if (nodes[p].children > 1) {
                        --nodes[p].children;
                        break;
                    }
                    nodes[p].active = false;
                }
            }
        }
        std::memset(&colour, 0, sizeof(Colour));
        bool first = true;
        for (const Node& node : nodes) {
            if (!node.active) continue;
            Apply(links[node.link], node.side, colour, first && &node == &nodes[0]);
            first = false;
        }
    }
    if (CountAll(b, s.colour[0], s.colour[1]) == 0) return s;
    for (int side = 0; side < 2; ++side)
        for (const Node& node : s.nodes[side]) s.size += node.active;
    return s;
}

bool BivalueChain(KR_solver& b, int n) {
    const std::vector<Link> links = BuildLinks(b, n);
    Start best;
    for (size_t i = 0; i < links.size(); ++i) {
        Start s = Evaluate(b, links, n, static_cast<int>(i));
        if (s.size > 0 && (best.size == 0 || s.size < best.size)) best = s;
    }
    if (best.size == 0) return false;
    const KR_solver before = b;
    for (int k = 0; k < 81; ++k)
        for (int d = 1; d <= 9; ++d)
            if (Removal(before, best.colour[0], best.colour[1], k, d)) {
                b.cand[k][d] = 0;
                b.hint.candMark[k][d] = 4;
            }
    for (int k = 0; k < 81; ++k)
        for (int d = 1; d <= 9; ++d)
            for (int side = 0; side < 2; ++side) {
                const uint8_t f = best.colour[side].flags[k][d];
                if (f) b.hint.cellMark[k] = 1;
                if (f & 0x10) {
                    b.hint.candMark[k][d] |= side == 0 ? 0x10 : 0x20;
                    b.hint.candFlags[k][d] |= (f & 0xE0) << 1;
                }
                if (f & 1) {
                    if ((b.hint.candMark[k][d] & 0x0F) != 4) b.hint.candMark[k][d] |= side == 0 ? 1 : 2;
                    b.hint.candFlags[k][d] |= (f & 6) << 3;
                }
                if (f & 8) b.hint.candMark[k][d] |= 0xF0;
            }
    b.stepText = "二択連鎖" + std::to_string(n) + "。";
    b.stepTechnique = n == 1 ? 27 : n == 2 ? 28 : 29;
    return true;
}

}  // namespace reference

void ExpectSameApplication(const KR_solver& expected, const KR_solver& actual, const std::string& what) {
    EXPECT_EQ(std::memcmp(expected.cand, actual.cand, sizeof expected.cand), 0) << what << ": candidates";
    EXPECT_EQ(std::memcmp(expected.hint.cellMark, actual.hint.cellMark, sizeof expected.hint.cellMark), 0)
        << what << ": cellMark";
    EXPECT_EQ(std::memcmp(expected.hint.candMark, actual.hint.candMark, sizeof expected.hint.candMark), 0)
        << what << ": candMark";
    EXPECT_EQ(std::memcmp(expected.hint.candFlags, actual.hint.candFlags, sizeof expected.hint.candFlags), 0)
        << what << ": candFlags";
    EXPECT_EQ(expected.stepText, actual.stepText) << what;
    EXPECT_EQ(expected.stepTechnique, actual.stepTechnique) << what;
}

// Board states along the limited search of some hard puzzles, each applied
// up to three times in a row by both, in plain and in replay mode with a
// mask that allows every other candidate.
TEST(BivalueChainReference, SameChainRemovalsAndMarks) {
    const ThreadCount one(1);  // the thread count is BivalueChainThreads' concern
    const auto& puzzles = HardPuzzles();
    int applied = 0;
    for (size_t p = 0; p < puzzles.size(); p += 10) {
        KR_solver board = test::BoardFrom(puzzles[p].first);
        for (int placement = 0; placement < 60; ++placement) {
            if (placement % 12 == 0) {
                for (int n : {1, 2, 9}) {
                    for (bool replay : {false, true}) {
                        KR_solver fast = board;
                        PrepareBoard(fast);
                        if (replay) {
                            fast.replayMode = true;
                            for (int k = 0; k < 81; ++k)
                                for (int d = 0; d <= 9; ++d) fast.replayMask[k][d] = (k + d) % 2;
                        }
                        KR_solver slow = fast;
                        for (int round = 0; round < 3; ++round) {
                            const std::string what = Format("%s n=%d%s round %d", puzzles[p].first.c_str(), n,
                                                            replay ? " replay" : "", round);
                            ResetHint(fast.hint);
                            ResetHint(slow.hint);
                            const bool expected = reference::BivalueChain(slow, n);
                            ASSERT_EQ(BivalueChain(fast, n), expected) << what;
                            if (!expected) break;
                            ++applied;
                            ExpectSameApplication(slow, fast, what);
                            if (testing::Test::HasFailure()) return;
                            CountCandidates(fast);
                            CountCandidates(slow);
                        }
                    }
                }
            }
            if (StepSearchLimited(board, 6) != 1) break;
        }
    }
    EXPECT_GT(applied, 20);
}

// The continuation lists are built from the pairs of endpoints; they must
// equal a scan of the whole link list from every endpoint.
TEST(BivalueChainLinks, FollowListsMatchAScanOfAllLinks) {
    const ThreadCount one(1);
    const auto& puzzles = HardPuzzles();
    int checked = 0;
    for (size_t p = 0; p < puzzles.size(); p += 5) {
        KR_solver board = test::BoardFrom(puzzles[p].first);
        for (int placement = 0; placement < 50; ++placement) {
            if (placement % 10 == 0) {
                PrepareBoard(board);
                for (int n : {1, 9}) {
                    ChainLinkSet set;
                    BuildChainLinks(board, n, set);
                    for (size_t e = 0; e < set.endpoints.size(); ++e) {
                        std::vector<uint16_t> expected;
                        for (size_t i = 0; i < set.links.size(); ++i) {
                            if (MakesFalse(set.endpoints[e], set.endpoints[set.links[i].end[0]]))
                                expected.push_back(static_cast<uint16_t>(i << 1 | 1));
                            else if (MakesFalse(set.endpoints[e], set.endpoints[set.links[i].end[1]]))
                                expected.push_back(static_cast<uint16_t>(i << 1));
                        }
                        const std::vector<uint16_t> actual(set.follow.begin() + set.followStart[e],
                                                           set.follow.begin() + set.followStart[e + 1]);
                        ASSERT_EQ(actual, expected) << puzzles[p].first << " n=" << n << " endpoint " << e;
                        ++checked;
                    }
                }
            }
            if (StepSearchLimited(board, 6) != 1) break;
        }
    }
    EXPECT_GT(checked, 1000);
}

// The limited search places digit by digit; at every placement each chain
// size is applied again and again to the reduced board, and every step of
// the search itself is checked as well. Chains from a false assumption often
// contradict themselves, so a removed candidate can also be marked true or
// made false on a side; it must still read as removed.
TEST(BivalueChainSoundness, NeverRemovesASolutionDigit) {
    // One thread: the thread count cannot change the result (see
    // BivalueChainThreads), and a second thread only slows the many short
    // calls here down when the machine is busy.
    const ThreadCount one(1);
    const auto& puzzles = HardPuzzles();
    ASSERT_GT(puzzles.size(), 90u);
    int applications[3] = {0, 0, 0};
    for (size_t p = 0; p < puzzles.size(); p += 3) {
        const auto& [puzzle, solution] = puzzles[p];
        KR_solver board = test::BoardFrom(puzzle);
        for (int placement = 0; placement < 81; ++placement) {
            for (int i = 0; i < 3; ++i) {
                const int n = i == 0 ? 1 : i == 1 ? 2 : 9;
                KR_solver trial = board;
                PrepareBoard(trial);
                for (int round = 0; round < 4; ++round) {
                    ResetHint(trial.hint);
                    const KR_solver before = trial;
                    if (!BivalueChain(trial, n)) break;
                    ++applications[i];
                    std::string where;
                    ASSERT_FALSE(RemovedSolutionDigit(trial, solution, where))
                        << puzzle << ": 二択連鎖" << n << " removed the solution digit of " << where;
                    // Pruning and replay find the removals by the low four bits of
                    // candMark, whatever chain bits were added to them.
                    for (int k = 0; k < 81; ++k) {
                        for (int d = 1; d <= 9; ++d) {
                            const bool removed = before.cand[k][d] == 1 && trial.cand[k][d] == 0;
                            ASSERT_EQ((trial.hint.candMark[k][d] & 0x0F) == 4, removed)
                                << puzzle << ": 二択連鎖" << n << " cell " << k << " digit " << d;
                        }
                    }
                    CountCandidates(trial);
                }
            }
            const int result = StepSearchLimited(board, 6);
            for (const Step& step : board.steps) {
                for (int k = 0; k < 81; ++k) {
                    const int digit = solution.value[k / 9][k % 9];
                    ASSERT_NE(step.hint.candMark[k][digit] & 0x0F, 4)
                        << puzzle << ": technique " << step.technique << " removed the solution digit of cell " << k;
                }
            }
            if (result != 1) break;
            ASSERT_EQ(board.value[board.placeRow][board.placeCol], solution.value[board.placeRow][board.placeCol])
                << puzzle;
        }
    }
    for (int count : applications) EXPECT_GT(count, 0);
}

// The chosen chain is the smallest (size, start index), however the start
// links were shared out among the threads.
TEST(BivalueChainThreads, ResultDoesNotDependOnTheThreadCount) {
    const auto& puzzles = HardPuzzles();
    ThreadCount count(1);
    int found = 0;
    for (size_t p = 0; p < puzzles.size(); p += 12) {
        KR_solver board = test::BoardFrom(puzzles[p].first);
        for (int placement = 0; placement < 40; ++placement) {
            if (placement % 10 == 0) {
                for (int n : {1, 2, 9}) {
                    KR_solver one = board, two = board;
                    PrepareBoard(one);
                    PrepareBoard(two);
                    for (int round = 0; round < 3; ++round) {
                        ResetHint(one.hint);
                        ResetHint(two.hint);
                        count.Set(1);
                        const bool a = BivalueChain(one, n);
                        count.Set(2);
                        const bool b = BivalueChain(two, n);
                        ASSERT_EQ(a, b) << puzzles[p].first << " n=" << n;
                        if (!a) break;
                        ++found;
                        ASSERT_EQ(std::memcmp(one.cand, two.cand, sizeof one.cand), 0) << puzzles[p].first;
                        ASSERT_EQ(std::memcmp(one.hint.cellMark, two.hint.cellMark, sizeof one.hint.cellMark), 0);
                        ASSERT_EQ(std::memcmp(one.hint.candMark, two.hint.candMark, sizeof one.hint.candMark), 0);
                        ASSERT_EQ(std::memcmp(one.hint.candFlags, two.hint.candFlags, sizeof one.hint.candFlags), 0);
                        CountCandidates(one);
                        CountCandidates(two);
                    }
                }
            }
            count.Set(1);
            if (StepSearchLimited(board, 6) != 1) break;
        }
    }
    EXPECT_GT(found, 10);
}

}  // namespace
}  // namespace masuvo
