// ほぼ確定n(二組), ほぼ確定(三組) and the almost-locked-set list they share.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/almost_locked_sets.h"
#include "engine/brute_force.h"
#include "engine/candidates.h"
#include "engine/catalogue.h"
#include "engine/elimination.h"
#include "engine/techniques.h"
#include "engine/text_format.h"
#include "tests/engine/fixtures.h"

namespace masuvo {
namespace {

const std::string kEmptyGrid(81, '.');

struct Shape {
    int row;
    int col;
    std::initializer_list<int> digits;
};

// An empty grid whose listed cells keep only the listed candidates.
KR_solver Shaped(std::initializer_list<Shape> shapes, const std::string& grid = kEmptyGrid) {
    KR_solver board = test::BoardFrom(grid);
    for (const Shape& shape : shapes) test::KeepCandidates(board, shape.row, shape.col, shape.digits);
    return board;
}

int CellOfSet(const KR_ALS& set, int i) {
    return CellIndex(3 * set.band[i] + set.rowInBlock[i], 3 * set.stack[i] + set.colInBlock[i]);
}

std::vector<int> CellsOf(const KR_ALS& set) {
    std::vector<int> cells;
    for (int i = 0; i < set.cellCount; ++i) cells.push_back(CellOfSet(set, i));
    return cells;
}

// What one application is expected to do. Marks are written over the removals'
// 4, in the order given.
struct CellMarks {
    int row;
    int col;
    std::vector<std::pair<int, int>> digitMarks;  // (digit, candMark)
};

struct Removal {
    int row;
    int col;
    std::vector<int> digits;
};

// The same digits removed from each of the cells.
std::vector<Removal> Removals(std::initializer_list<std::pair<int, int>> cells, std::vector<int> digits) {
    std::vector<Removal> removals;
    for (auto [r, c] : cells) removals.push_back({r, c, digits});
    return removals;
}

struct Expected {
    std::string text;
    int technique;
    std::vector<Removal> removed;
    std::vector<CellMarks> marks;  // every marked cell, with each of its marks
};

template <typename Routine>
void ExpectApplication(KR_solver& board, Routine routine, const Expected& expected) {
    uint8_t candidates[81][10];
    uint8_t candMark[81][10] = {};
    uint8_t cellMark[81] = {};
    std::memcpy(candidates, board.cand, sizeof candidates);
    for (const auto& [r, c, digits] : expected.removed) {
        for (int d : digits) {
            ASSERT_EQ(candidates[CellIndex(r, c)][d], 1) << "fixture lacks " << d << " at " << r << "," << c;
            candidates[CellIndex(r, c)][d] = 0;
            candMark[CellIndex(r, c)][d] = 4;
        }
    }
    for (const CellMarks& cell : expected.marks) {
        cellMark[CellIndex(cell.row, cell.col)] = 1;
        for (auto [d, mark] : cell.digitMarks) candMark[CellIndex(cell.row, cell.col)][d] = static_cast<uint8_t>(mark);
    }

    ResetHint(board.hint);
    ASSERT_TRUE(routine(board));
    EXPECT_EQ(board.stepText, expected.text);
    EXPECT_EQ(board.stepTechnique, expected.technique);
    for (int k = 0; k < 81; ++k) {
        EXPECT_EQ(board.hint.cellMark[k], cellMark[k]) << "cellMark of cell " << k;
        for (int d = 0; d <= 9; ++d) {
            EXPECT_EQ(board.cand[k][d], candidates[k][d]) << "candidate " << d << " of cell " << k;
            EXPECT_EQ(board.hint.candMark[k][d], candMark[k][d]) << "candMark " << d << " of cell " << k;
        }
    }
}

template <typename Routine>
void ExpectNothing(KR_solver board, Routine routine, const char* what) {
    const KR_solver before = board;
    ResetHint(board.hint);
    EXPECT_FALSE(routine(board)) << what;
    EXPECT_EQ(std::memcmp(board.cand, before.cand, sizeof board.cand), 0) << what;
    const KR_hint clean;
    EXPECT_EQ(std::memcmp(board.hint.candMark, clean.candMark, sizeof clean.candMark), 0) << what;
    EXPECT_EQ(std::memcmp(board.hint.cellMark, clean.cellMark, sizeof clean.cellMark), 0) << what;
}

bool TwoSets2(KR_solver& board) { return TwoAlmostLockedSets(board, 2); }

// ---- The list of sets ----

TEST(AlmostLockedSetsList, CellsFirstThenSizesThenBlocksRowsColumnsInCombinationOrder) {
    // Block 0: (0,0)={1,2} (0,1)={1,3} (0,2)={2,3} (1,1)={1,4}, and the given 9
    // at (2,2), which must never stand in for a cell of a set.
    std::string grid = kEmptyGrid;
    grid[CellIndex(2, 2)] = '9';
    const KR_solver board = Shaped({{0, 0, {1, 2}}, {0, 1, {1, 3}}, {0, 2, {2, 3}}, {1, 1, {1, 4}}}, grid);
    const int a = CellIndex(0, 0), b = CellIndex(0, 1), c = CellIndex(0, 2), d = CellIndex(1, 1);
    const std::vector<std::vector<int>> cellsAndPairs = {
        {a}, {b}, {c}, {d},                                   // cells with two candidates
        {a, b}, {a, c}, {a, d}, {b, c}, {b, d},               // pairs of block 0 ({c, d} has four digits)
        {a, b}, {a, c}, {b, c},                               // the same groups again in row 0
        {b, d},                                               // and in column 1
    };
    std::vector<std::vector<int>> withTriples = cellsAndPairs;
    withTriples.insert(withTriples.end(), {{a, b, d}, {a, c, d}, {b, c, d}});  // block 0; row 0's triple has 3 digits

    for (int maxSize = 1; maxSize <= 4; ++maxSize) {
        std::vector<KR_ALS> list;
        BuildALSList(maxSize, board, list);
        std::vector<std::vector<int>> cells;
        for (const KR_ALS& set : list) cells.push_back(CellsOf(set));
        const auto& expected = maxSize == 1   ? std::vector<std::vector<int>>(cellsAndPairs.begin(), cellsAndPairs.begin() + 4)
                               : maxSize == 2 ? cellsAndPairs
                                              : withTriples;  // no four cells of block 0 hold five digits
        EXPECT_EQ(cells, expected) << "maxSize " << maxSize;
    }

    std::vector<KR_ALS> list;
    BuildALSList(3, board, list);
    const KR_ALS& triple = list[13];  // {a, b, d}
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(triple.cellCands[i][0], 0);
        for (int digit = 1; digit <= 9; ++digit)
            EXPECT_EQ(triple.cellCands[i][digit], board.cand[CellOfSet(triple, i)][digit]) << i << "," << digit;
    }
}

KR_ALS SetOf(std::initializer_list<Shape> cells) {
    KR_ALS set;
    for (const Shape& cell : cells) {
        const int i = set.cellCount++;
        set.band[i] = cell.row / 3;
        set.stack[i] = cell.col / 3;
        set.rowInBlock[i] = cell.row % 3;
        set.colInBlock[i] = cell.col % 3;
        for (int d : cell.digits) set.cellCands[i][d] = 1;
    }
    return set;
}

TEST(AlmostLockedSetsList, RestrictedCommonDigitsNeedOneUnitForAllTheirCells) {
    struct Case {
        const char* what;
        KR_ALS a;
        KR_ALS b;
        std::vector<int> digits;
    };
    const Case cases[] = {
        {"both digits in row 0", SetOf({{0, 0, {1, 2}}}), SetOf({{0, 4, {1, 2}}}), {1, 2}},
        {"one shared digit", SetOf({{0, 0, {1, 2}}}), SetOf({{0, 6, {1, 3}}}), {1}},
        {"shared digits whose cells meet in no unit", SetOf({{0, 0, {1, 2}}}),
         SetOf({{1, 3, {1, 5}}, {1, 4, {2, 5}}}), {}},
        {"only the digit confined to one cell of the set", SetOf({{0, 0, {1, 3}}, {1, 1, {2, 3}}}),
         SetOf({{4, 1, {2, 5}}, {4, 0, {3, 5}}}), {2}},
        {"a digit spread over the block of one set", SetOf({{0, 0, {1, 2}}, {1, 1, {1, 2, 3}}}),
         SetOf({{0, 5, {1, 4}}}), {}},
    };
    for (const Case& test : cases) {
        const std::vector<KR_ALS> list = {test.a, test.b};
        int out[9];
        const int count = RestrictedCommon(list, 0, 1, out);
        EXPECT_EQ(std::vector<int>(out, out + count), test.digits) << test.what;
        EXPECT_EQ(RestrictedCommon(list, 1, 0, out), count) << test.what;
    }
}

TEST(AlmostLockedSetsList, UnitPeersAreTheWholeUnitsOfTheDigitsCells) {
    const KR_ALS set = SetOf({{0, 0, {1, 2}}, {0, 1, {1, 3}}});
    auto peers = [&](int z, bool& applied) {
        uint8_t map[81] = {};
        applied = UnitPeers(set, z, map);
        std::vector<int> cells;
        for (int k = 0; k < 81; ++k)
            if (map[k]) cells.push_back(k);
        return cells;
    };
    auto unitsOf = [](std::initializer_list<int> rows, std::initializer_list<int> cols, bool block0) {
        std::vector<int> cells;
        for (int k = 0; k < 81; ++k) {
            bool in = block0 && BlockOf(k / 9, k % 9) == 0;
            for (int r : rows) in = in || k / 9 == r;
            for (int c : cols) in = in || k % 9 == c;
            if (in && k != CellIndex(0, 0) && k != CellIndex(0, 1)) cells.push_back(k);
        }
        return cells;
    };
    bool applied = false;
    EXPECT_EQ(peers(1, applied), unitsOf({0}, {}, true));  // both cells: block 0 and row 0
    EXPECT_TRUE(applied);
    EXPECT_EQ(peers(2, applied), unitsOf({0}, {0}, true));  // one cell: all three of its units
    EXPECT_TRUE(applied);
    EXPECT_EQ(peers(3, applied), unitsOf({0}, {1}, true));
    EXPECT_TRUE(applied);
    EXPECT_TRUE(peers(5, applied).empty());
    EXPECT_FALSE(applied);
}

// ---- ほぼ確定n(二組) ----

TEST(AlmostLockedSetsTwoSets, DoubleLinkedPairClearsOnlyItsRestrictedDigitsFromTheCommonUnits) {
    // Two cells of row 0 in different blocks holding only {1, 2}: the first pair
    // of the list for every n, reported with the entry's own n.
    for (int n = 2; n <= 4; ++n) {
        KR_solver board = Shaped({{0, 0, {1, 2}}, {0, 4, {1, 2}}});
        ExpectApplication(board, Technique(n + 21).routine,
                          {Format("ほぼ確定%d(二組ダブル)。", n),
                           n + 21,
                           Removals({{0, 1}, {0, 2}, {0, 3}, {0, 5}, {0, 6}, {0, 7}, {0, 8}}, {1, 2}),
                           {{0, 0, {{1, 3}, {2, 3}}}, {0, 4, {{1, 3}, {2, 3}}}}});
    }
    {
        // The second set also holds 3, which stays in the row; the set is the
        // block 1 listing of (0,4),(0,5), and row 0 alone holds all the 1s and 2s.
        KR_solver board = Shaped({{0, 0, {1, 2}}, {0, 4, {1, 2, 3}}, {0, 5, {1, 2, 3}}});
        ExpectApplication(board, TwoSets2,
                          {"ほぼ確定2(二組ダブル)。",
                           23,
                           Removals({{0, 1}, {0, 2}, {0, 3}, {0, 6}, {0, 7}, {0, 8}}, {1, 2}),
                           {{0, 0, {{1, 3}, {2, 3}}},
                            {0, 4, {{1, 3}, {2, 3}, {3, 2}}},
                            {0, 5, {{1, 3}, {2, 3}, {3, 2}}}}});
    }
}

TEST(AlmostLockedSetsTwoSets, SingleRestrictedDigitClearsTheOtherCommonDigitWhereBothSetsSeeIt) {
    // (0,0)={1,2} and the set (0,6)={1,3}, (1,6)={2,3}: 1 is restricted along
    // row 0, so one of (0,0) and (1,6) is 2. The earlier pairs of single cells
    // share only their restricted digit and remove nothing; the pair that
    // removes uses the block 2 listing, which comes before those of row 0 and column 6.
    KR_solver board = Shaped({{0, 0, {1, 2}}, {0, 6, {1, 3}}, {1, 6, {2, 3}}});
    ExpectApplication(board, TwoSets2,
                      {"ほぼ確定2(二組)。",
                       23,
                       Removals({{0, 7}, {0, 8}, {1, 0}, {1, 1}, {1, 2}}, {2}),
                       {{0, 0, {{1, 3}, {2, 1}}}, {0, 6, {{1, 3}, {3, 2}}}, {1, 6, {{2, 2}, {3, 2}}}}});
}

TEST(AlmostLockedSetsTwoSets, PairsThatRemoveNothingOrShareACellAreNotReported) {
    // One restricted digit and no other common digit.
    ExpectNothing(Shaped({{0, 0, {1, 2}}, {0, 6, {1, 3}}}), TwoSets2, "single restricted digit");
    // (0,0) and the set (0,0),(0,1) would have 1 and 2 restricted in row 0 and
    // block 0, but they share a cell; so do the block and row listings of the pair.
    const KR_solver shared = Shaped({{0, 0, {1, 2}}, {0, 1, {1, 2, 3}}});
    for (int n = 2; n <= 4; ++n)
        ExpectNothing(shared, [n](KR_solver& board) { return TwoAlmostLockedSets(board, n); }, "shared cell");
    ExpectNothing(shared, ThreeAlmostLockedSets, "shared cell, three sets");
}

TEST(AlmostLockedSetsTwoSets, ReplayRemovesOnlyWhatTheMaskAllows) {
    KR_solver board = Shaped({{0, 0, {1, 2}}, {0, 4, {1, 2}}});
    board.replayMode = true;
    std::memset(board.replayMask, 0, sizeof board.replayMask);
    ExpectNothing(board, TwoSets2, "empty mask");

    board.replayMask[CellIndex(0, 8)][2] = 1;
    ExpectApplication(board, TwoSets2,
                      {"ほぼ確定2(二組ダブル)。",
                       23,
                       Removals({{0, 8}}, {2}),
                       {{0, 0, {{1, 3}, {2, 3}}}, {0, 4, {{1, 3}, {2, 3}}}}});
}

// ---- ほぼ確定(三組) ----

TEST(AlmostLockedSetsThreeSets, PivotFirstInTheListJoinsTwoWings) {
    // Pivot (0,0)={1,2}, wings (0,4)={1,3} and (4,0)={2,3}: 3 leaves (4,4).
    KR_solver board = Shaped({{0, 0, {1, 2}}, {0, 4, {1, 3}}, {4, 0, {2, 3}}});
    ExpectApplication(board, ThreeAlmostLockedSets,
                      {"ほぼ確定(三組)。",
                       26,
                       Removals({{4, 4}}, {3}),
                       {{0, 0, {{1, 3}, {2, 3}}}, {0, 4, {{1, 3}, {3, 1}}}, {4, 0, {{2, 3}, {3, 2}}}}});
}

TEST(AlmostLockedSetsThreeSets, PivotAfterBothWingsIsNeverUsed) {
    // The same three cells with the pivot at (4,4), after both wings in the
    // list; 3 could leave (0,0), but only through the pair routine.
    const KR_solver board = Shaped({{0, 4, {1, 3}}, {4, 0, {2, 3}}, {4, 4, {1, 2}}});
    ExpectNothing(board, ThreeAlmostLockedSets, "pivot last");
}

TEST(AlmostLockedSetsThreeSets, MarksAreTheRecordedCandidatesWrittenAfterTheRemovals) {
    // Pivot (0,0),(0,1)={1,2,3}; wing B = column 0 rows 1,5,6 with 1 restricted
    // in block 0; wing C = column 0 rows 2,7,8 with 2 restricted in block 0.
    // Both wings hold 3 and 8 only in column 0, so both leave the rest of the
    // column, including the pivot's (0,0), whose removed 3 is then marked as a
    // pivot candidate.
    KR_solver board = Shaped({{0, 0, {1, 2, 3}},
                              {0, 1, {1, 2, 3}},
                              {1, 0, {1, 6, 8}},
                              {5, 0, {3, 6, 8}},
                              {6, 0, {3, 6, 8}},
                              {2, 0, {2, 7, 8}},
                              {7, 0, {3, 7, 8}},
                              {8, 0, {3, 7, 8}}});
    ExpectApplication(board, ThreeAlmostLockedSets,
                      {"ほぼ確定(三組)。",
                       26,
                       {{0, 0, {3}}, {3, 0, {3, 8}}, {4, 0, {3, 8}}},
                       {{0, 0, {{1, 3}, {2, 3}, {3, 5}}},
                        {0, 1, {{1, 3}, {2, 3}, {3, 5}}},
                        {1, 0, {{1, 3}, {6, 1}, {8, 1}}},
                        {5, 0, {{3, 1}, {6, 1}, {8, 1}}},
                        {6, 0, {{3, 1}, {6, 1}, {8, 1}}},
                        {2, 0, {{2, 3}, {7, 2}, {8, 2}}},
                        {7, 0, {{3, 2}, {7, 2}, {8, 2}}},
                        {8, 0, {{3, 2}, {7, 2}, {8, 2}}}}});
}

// ---- Against the literal reading, on real puzzles ----

// The routines as the loops read, without masks or filters: every pair or
// triple in list order, maps of 81 cells, restricted digits recomputed.
namespace literal {

bool Share(const KR_ALS& a, const KR_ALS& b) {
    for (int i = 0; i < a.cellCount; ++i)
        for (int j = 0; j < b.cellCount; ++j)
            if (a.band[i] == b.band[j] && a.stack[i] == b.stack[j] && a.rowInBlock[i] == b.rowInBlock[j] &&
                a.colInBlock[i] == b.colInBlock[j])
                return true;
    return false;
}

// The cells of the sets holding d; count 0 when a set lacks it.
int CellsHolding(const KR_ALS& set, int d, int cells[]) {
    int count = 0;
    for (int i = 0; i < set.cellCount; ++i)
        if (set.cellCands[i][d]) cells[count++] = CellOfSet(set, i);
    return count;
}

bool Same(const int cells[], int count, int (*unit)(int)) {
    for (int i = 1; i < count; ++i)
        if (unit(cells[i]) != unit(cells[0])) return false;
    return true;
}

int BlockOfCell(int k) { return BlockOf(k / 9, k % 9); }
int RowOfCell(int k) { return k / 9; }
int ColOfCell(int k) { return k % 9; }

int Restricted(const KR_ALS& a, const KR_ALS& b, int out[]) {
    int m = 0;
    for (int d = 1; d <= 9; ++d) {
        int cells[8];
        const int inA = CellsHolding(a, d, cells);
        const int inB = CellsHolding(b, d, cells + inA);
        if (inA == 0 || inB == 0) continue;
        const int count = inA + inB;
        if (Same(cells, count, BlockOfCell) || Same(cells, count, RowOfCell) || Same(cells, count, ColOfCell))
            out[m++] = d;
    }
    return m;
}

bool InSet(const KR_ALS& set, int k) {
    for (int i = 0; i < set.cellCount; ++i)
        if (CellOfSet(set, i) == k) return true;
    return false;
}

bool Peers(const KR_ALS& set, int z, uint8_t map[81]) {
    int cells[4];
    const int count = CellsHolding(set, z, cells);
    if (count == 0) return false;
    bool applied = false;
    for (int (*unit)(int) : {BlockOfCell, RowOfCell, ColOfCell}) {
        if (!Same(cells, count, unit)) continue;
        applied = true;
        for (int k = 0; k < 81; ++k)
            if (unit(k) == unit(cells[0]) && !InSet(set, k)) map[k] = 1;
    }
    return applied;
}

bool EliminateSeenByBoth(KR_solver& board, const KR_ALS& first, const KR_ALS& second, int z) {
    uint8_t mapFirst[81] = {};
    uint8_t mapSecond[81] = {};
    const bool seenFirst = Peers(first, z, mapFirst);
    const bool seenSecond = Peers(second, z, mapSecond);
    bool removed = false;
    if (seenFirst && seenSecond)
        for (int k = 0; k < 81; ++k)
            if (mapFirst[k] && mapSecond[k]) removed |= Eliminate(board, k, z);
    return removed;
}

void MarkSet(KR_hint& hint, const KR_ALS& set, uint8_t role) {
    for (int i = 0; i < set.cellCount; ++i) {
        hint.cellMark[CellOfSet(set, i)] = 1;
        for (int d = 1; d <= 9; ++d)
            if (set.cellCands[i][d]) hint.candMark[CellOfSet(set, i)][d] = role;
    }
}

void MarkDigit(KR_hint& hint, const KR_ALS& set, int d) {
    for (int i = 0; i < set.cellCount; ++i)
        if (set.cellCands[i][d]) hint.candMark[CellOfSet(set, i)][d] = 3;
}

bool TwoSets(KR_solver& board, int n) {
    std::vector<KR_ALS> list;
    BuildALSList(n, board, list);
    for (size_t i = 0; i < list.size(); ++i) {
        for (size_t k = i + 1; k < list.size(); ++k) {
            const KR_ALS& a = list[i];
            const KR_ALS& b = list[k];
            if (Share(a, b)) continue;
            int x[9];
            const int m = Restricted(a, b, x);
            bool removed = false;
            if (m == 1) {
                for (int z = 1; z <= 9; ++z)
                    if (z != x[0]) removed |= EliminateSeenByBoth(board, a, b, z);
            } else if (m == 2) {
                for (int r = 0; r < 2; ++r) {
                    int cells[8];
                    const int inA = CellsHolding(a, x[r], cells);
                    const int count = inA + CellsHolding(b, x[r], cells + inA);
                    for (int (*unit)(int) : {BlockOfCell, RowOfCell, ColOfCell}) {
                        if (!Same(cells, count, unit)) continue;
                        for (int k2 = 0; k2 < 81; ++k2)
                            if (unit(k2) == unit(cells[0]) && !InSet(a, k2) && !InSet(b, k2))
                                removed |= Eliminate(board, k2, x[r]);
                    }
                }
            }
            if (!removed) continue;
            MarkSet(board.hint, a, 1);
            MarkSet(board.hint, b, 2);
            for (int r = 0; r < m; ++r) {
                MarkDigit(board.hint, a, x[r]);
                MarkDigit(board.hint, b, x[r]);
            }
            board.stepText = Format(m == 1 ? "ほぼ確定%d(二組)。" : "ほぼ確定%d(二組ダブル)。", n);
            board.stepTechnique = n + 21;
            return true;
        }
    }
    return false;
}

bool ThreeSets(KR_solver& board) {
    std::vector<KR_ALS> list;
    BuildALSList(4, board, list);
    const size_t count = list.size();
    // The single restricted digit of each pair (0 for none, -1 for shared cells),
    // computed once: the triple loop asks for it again and again.
    std::vector<int> single(count * count, 0);
    for (size_t i = 0; i < count; ++i) {
        for (size_t k = i + 1; k < count; ++k) {
            int x[9];
            single[i * count + k] = Share(list[i], list[k]) ? -1 : Restricted(list[i], list[k], x) == 1 ? x[0] : 0;
        }
    }
    for (size_t i = 0; i < count; ++i) {
        for (size_t k = i + 1; k < count; ++k) {
            const int x = single[i * count + k];
            if (x <= 0) continue;
            for (size_t j = k + 1; j < count; ++j) {
                const int y = single[i * count + j];
                if (y <= 0 || Share(list[k], list[j]) || y == x) continue;
                bool removed = false;
                for (int z = 1; z <= 9; ++z)
                    if (z != x && z != y) removed |= EliminateSeenByBoth(board, list[k], list[j], z);
                if (!removed) continue;
                MarkSet(board.hint, list[i], 5);
                MarkSet(board.hint, list[k], 1);
                MarkSet(board.hint, list[j], 2);
                MarkDigit(board.hint, list[i], x);
                MarkDigit(board.hint, list[k], x);
                MarkDigit(board.hint, list[i], y);
                MarkDigit(board.hint, list[j], y);
                board.stepText = "ほぼ確定(三組)。";
                board.stepTechnique = 26;
                return true;
            }
        }
    }
    return false;
}

}  // namespace literal

bool SameOutcome(const KR_solver& a, const KR_solver& b) {
    return std::memcmp(a.cand, b.cand, sizeof a.cand) == 0 &&
           std::memcmp(a.hint.candMark, b.hint.candMark, sizeof a.hint.candMark) == 0 &&
           std::memcmp(a.hint.cellMark, b.hint.cellMark, sizeof a.hint.cellMark) == 0 && a.stepText == b.stepText &&
           a.stepTechnique == b.stepTechnique;
}

// The public relations of the list against their literal reading, on every
// pair of the first sets and every digit.
void CompareRelations(const KR_solver& board, const std::string& puzzle) {
    std::vector<KR_ALS> list;
    BuildALSList(4, board, list);
    const size_t limit = std::min<size_t>(list.size(), 120);
    for (size_t i = 0; i < limit; ++i) {
        for (int z = 1; z <= 9; ++z) {
            uint8_t fast[81] = {};
            uint8_t slow[81] = {};
            ASSERT_EQ(UnitPeers(list[i], z, fast), literal::Peers(list[i], z, slow)) << puzzle;
            ASSERT_EQ(std::memcmp(fast, slow, sizeof fast), 0) << puzzle << " set " << i << " digit " << z;
        }
        for (size_t k = i + 1; k < limit; ++k) {
            int fast[9];
            int slow[9];
            const int m = RestrictedCommon(list, static_cast<int>(i), static_cast<int>(k), fast);
            ASSERT_EQ(m, literal::Restricted(list[i], list[k], slow)) << puzzle << " sets " << i << "," << k;
            ASSERT_EQ(std::vector<int>(fast, fast + m), std::vector<int>(slow, slow + m)) << puzzle;
        }
    }
}

// Solves each unique puzzle with the single placements and the four routines
// alone, one application at a time. At every state each routine must do
// exactly what its literal reading does, and no application may remove a
// digit of the solution.
TEST(AlmostLockedSetsTop95, SameAsTheLiteralLoopsAndNeverRemovesASolutionDigit) {
    const auto lines = test::ReadDataLines("top95.txt");
    ASSERT_FALSE(lines.empty());
    int applications[27] = {};
    for (const auto& line : lines) {
        KR_base solution;
        {
            KR_solver counting = test::BoardFrom(line.puzzle);
            if (CountSolutions(counting, &solution) != 1) continue;
        }
        KR_solver board = test::BoardFrom(line.puzzle);
        for (int state = 0;; ++state) {
            CountCandidates(board);
            ResetHint(board.hint);
            if (BlockSinglePlace(board) || LineSinglePlace(board) || CellCompletion(board)) {
                ASSERT_EQ(board.placeDigit, solution.value[board.placeRow][board.placeCol]) << line.puzzle;
                board.value[board.placeRow][board.placeCol] = board.placeDigit;
                Place(board, board.placeRow, board.placeCol, board.placeDigit);
                CountDigits(board);
                continue;
            }
            if (state % 4 == 0) CompareRelations(board, line.puzzle);
            if (testing::Test::HasFatalFailure()) return;

            bool applied = false;
            for (int technique = 23; technique <= 26 && !applied; ++technique) {
                KR_solver fast = board;
                KR_solver slow = board;
                const bool fastApplied = Technique(technique).routine(fast);
                const bool slowApplied = technique == 26 ? literal::ThreeSets(slow)
                                                         : literal::TwoSets(slow, technique - 21);
                ASSERT_EQ(fastApplied, slowApplied) << line.puzzle << " technique " << technique;
                ASSERT_TRUE(SameOutcome(fast, slow)) << line.puzzle << " technique " << technique;
                if (!fastApplied) continue;
                applied = true;
                ++applications[technique];
                board = fast;
                for (int k = 0; k < 81; ++k) {
                    if (board.value[k / 9][k % 9] != 0) continue;
                    ASSERT_EQ(board.cand[k][solution.value[k / 9][k % 9]], 1)
                        << line.puzzle << ": technique " << technique << " removed the solution digit of cell " << k;
                }
            }
            if (!applied) break;
        }
    }
    // Every routine must have been exercised for the comparison to mean much.
    for (int technique = 23; technique <= 26; ++technique)
        EXPECT_GT(applications[technique], 0) << "technique " << technique << " never applied";
}

}  // namespace
}  // namespace masuvo
