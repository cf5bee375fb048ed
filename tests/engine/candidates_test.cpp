#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "engine/brute_force.h"
#include "engine/candidates.h"
#include "engine/prepared_tables.h"
#include "engine/text_format.h"
#include "tests/engine/fixtures.h"
#include "tests/engine/reference_search.h"

namespace masuvo {
namespace {

const std::string kEmpty(81, '.');

std::string WithDigits(std::initializer_list<std::tuple<int, int, int>> cells) {
    std::string grid = kEmpty;
    for (auto [r, c, d] : cells) grid[CellIndex(r, c)] = static_cast<char>('0' + d);
    return grid;
}

TEST(Candidates, EmptyGridHasEveryCandidate) {
    KR_solver board = test::BoardFrom(kEmpty);
    for (int k = 0; k < 81; ++k) {
        EXPECT_EQ(board.cand[k][0], 0);
        for (int d = 1; d <= 9; ++d) EXPECT_EQ(board.cand[k][d], 1);
        EXPECT_EQ(board.cellCand[k], 9);
    }
    for (int u = 0; u < 9; ++u) {
        EXPECT_EQ(board.blockCand[u][0], 0);
        for (int d = 1; d <= 9; ++d) {
            EXPECT_EQ(board.blockCand[u][d], 9);
            EXPECT_EQ(board.rowCand[u][d], 9);
            EXPECT_EQ(board.colCand[u][d], 9);
        }
    }
    EXPECT_TRUE(CheckDuplicates(board));
    EXPECT_TRUE(CheckCandidates(board));
}

TEST(Candidates, PlacementClearsPeersAndMarksPlacedDigits) {
    KR_solver board = test::BoardFrom(WithDigits({{4, 4, 7}}));
    EXPECT_EQ(board.cellCand[CellIndex(4, 4)], -1);
    EXPECT_EQ(board.cand[CellIndex(4, 4)][0], 1);
    EXPECT_EQ(board.cand[CellIndex(4, 0)][7], 0);
    EXPECT_EQ(board.cand[CellIndex(0, 4)][7], 0);
    EXPECT_EQ(board.cand[CellIndex(3, 3)][7], 0);
    EXPECT_EQ(board.cand[CellIndex(3, 0)][7], 1);
    EXPECT_EQ(board.blockCand[4][7], -1);
    EXPECT_EQ(board.rowCand[4][7], -1);
    EXPECT_EQ(board.colCand[4][7], -1);
    EXPECT_EQ(board.blockCand[4][0], 1);
    EXPECT_EQ(board.rowCand[0][7], 8);
    EXPECT_EQ(board.blockCount[4][7], 1);
    EXPECT_EQ(board.blockCount[4][0], 8);
}

struct FaultCase {
    const char* name;
    std::string grid;
    std::string message;
};

TEST(Candidates, DuplicateMessagesInScanOrder) {
    const std::vector<FaultCase> cases = {
        {"row", WithDigits({{3, 0, 5}, {3, 8, 5}}), Format("行%dに、%d が重複します。", 4, 5)},
        {"column", WithDigits({{0, 6, 2}, {8, 6, 2}}), Format("列%dに、%d が重複します。", 7, 2)},
        // Unit 2 is examined before unit 3, and a block before a row of the same unit.
        {"block first", WithDigits({{3, 0, 5}, {3, 8, 5}, {0, 6, 5}, {1, 7, 5}}),
         Format("ブロック%dに、%d が重複します。", 3, 5)},
        {"lower digit first", WithDigits({{0, 0, 8}, {0, 1, 8}, {0, 3, 3}, {0, 4, 3}}),
         Format("行%dに、%d が重複します。", 1, 3)},
    };
    for (const FaultCase& test : cases) {
        KR_solver board = test::BoardFrom(test.grid);
        EXPECT_FALSE(CheckDuplicates(board)) << test.name;
        EXPECT_EQ(board.errorText, test.message) << test.name;
    }
}

TEST(Candidates, MissingCandidateMessagesInScanOrder) {
    {
        // 7s in rows 0, 1 and 2 outside block 0 leave it no place for 7.
        KR_solver board = test::BoardFrom(WithDigits({{1, 3, 7}, {2, 6, 7}, {0, 5, 7}, {3, 0, 7}, {6, 1, 7}}));
        EXPECT_FALSE(CheckCandidates(board));
        EXPECT_EQ(board.errorText, Format("ブロック%dに、%d の候補がありません。", 1, 7));
    }
    {
        // Cell (2,5) sees every digit but has no fault in any unit.
        KR_solver board = test::BoardFrom(WithDigits({{2, 0, 1}, {2, 1, 2}, {2, 2, 3}, {2, 3, 4}, {0, 5, 5},
                                                      {1, 5, 6}, {5, 5, 7}, {8, 5, 8}, {2, 8, 9}}));
        EXPECT_FALSE(CheckCandidates(board));
        EXPECT_EQ(board.errorText, Format("セル(%d,%d)に、候補がありません。", 3, 6));
    }
    {
        // A row fault comes before any column fault: 9 blocked in every empty cell of row 8.
        std::string grid = WithDigits({{8, 0, 1}, {8, 1, 2}, {8, 2, 3}, {8, 3, 4}, {8, 4, 5}, {8, 5, 6}, {8, 6, 7},
                                       {6, 7, 9}, {3, 8, 9}});
        KR_solver board = test::BoardFrom(grid);
        EXPECT_FALSE(CheckCandidates(board));
        EXPECT_EQ(board.errorText, Format("行%dに、%d の候補がありません。", 9, 9));
    }
}

TEST(Candidates, ComputeCandidatesMatchesBoard) {
    const std::string puzzle = "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";
    KR_solver board = test::BoardFrom(puzzle);
    int32_t grid[81];
    for (int k = 0; k < 81; ++k) grid[k] = board.value[k / 9][k % 9];
    uint8_t cand[81][10];
    EXPECT_EQ(ComputeCandidates(grid, cand), 64);
    EXPECT_EQ(std::memcmp(cand, board.cand, sizeof cand), 0);
}

// Which derived table of two boards differs, or empty.
std::string TableDifference(const KR_solver& a, const KR_solver& b) {
    if (std::memcmp(a.blockCount, b.blockCount, sizeof a.blockCount) != 0) return "block digit counts";
    if (std::memcmp(a.rowCount, b.rowCount, sizeof a.rowCount) != 0) return "row digit counts";
    if (std::memcmp(a.colCount, b.colCount, sizeof a.colCount) != 0) return "column digit counts";
    if (std::memcmp(a.cand, b.cand, sizeof a.cand) != 0) return "candidates";
    if (std::memcmp(a.blockCand, b.blockCand, sizeof a.blockCand) != 0) return "block counts";
    if (std::memcmp(a.rowCand, b.rowCand, sizeof a.rowCand) != 0) return "row counts";
    if (std::memcmp(a.colCand, b.colCand, sizeof a.colCand) != 0) return "column counts";
    if (std::memcmp(a.cellCand, b.cellCand, sizeof a.cellCand) != 0) return "cell counts";
    return "";
}

// Grids from the data sets filled towards their solutions, some with a digit
// twice in a unit (the state check rates such boards too).
std::vector<KR_base> VariedGrids() {
    std::mt19937 random(3);
    std::vector<KR_base> grids;
    const auto lines = test::ReadDataLines("top95.txt");
    for (size_t p = 0; p < lines.size(); p += 4) {
        KR_solver solver = test::BoardFrom(lines[p].puzzle);
        KR_base solution;
        if (CountSolutions(solver, &solution) != 1) continue;
        KR_base grid;
        ParseGrid(lines[p].puzzle, grid);
        for (int round = 0; round < 6; ++round) {
            grids.push_back(grid);
            KR_base clash = grid;
            const int k = static_cast<int>(random() % 81);
            clash.value[k / 9][k % 9] = static_cast<int32_t>(1 + random() % 9);
            grids.push_back(clash);
            for (int fill = 0; fill < 10; ++fill) {
                const int cell = static_cast<int>(random() % 81);
                grid.value[cell / 9][cell % 9] = solution.value[cell / 9][cell % 9];
            }
        }
    }
    return grids;
}

TEST(Candidates, PreparationAgreesWithThePlainLoops) {
    std::mt19937 random(9);
    for (const KR_base& grid : VariedGrids()) {
        SCOPED_TRACE(GridText(grid));
        KR_solver fast, plain;
        std::memcpy(fast.value, grid.value, sizeof grid.value);
        std::memcpy(plain.value, grid.value, sizeof grid.value);
        PrepareBoard(fast);
        reference::PrepareBoard(plain);
        ASSERT_EQ(TableDifference(fast, plain), "");

        // Rebuilding over changed candidates, and counting after removals.
        for (int k = 0; k < 81; ++k)
            for (int d = 1; d <= 9; ++d)
                if (random() % 3 == 0) fast.cand[k][d] = plain.cand[k][d] = 0;
        CountCandidates(fast);
        reference::CountCandidates(plain);
        ASSERT_EQ(TableDifference(fast, plain), "");
        RebuildCandidates(fast);
        reference::RebuildCandidates(plain);
        ASSERT_EQ(TableDifference(fast, plain), "");
    }
}

// The rating run carries the tables from grid to grid; after any placement
// in an empty cell they must be what preparing the new grid gives.
TEST(Candidates, TablesCarriedToTheNextGridEqualAFreshPreparation) {
    std::mt19937 random(11);
    int placements = 0;
    for (const KR_base& start : VariedGrids()) {
        KR_solver board;
        std::memcpy(board.value, start.value, sizeof start.value);
        PrepareBoard(board);
        PreparedTables tables;
        tables.Save(board);
        for (int step = 0; step < 12; ++step) {
            std::vector<int> empty;
            for (int k = 0; k < 81; ++k)
                if (board.value[k / 9][k % 9] == 0) empty.push_back(k);
            if (empty.empty()) break;
            const int k = empty[random() % empty.size()];
            const int digit = static_cast<int>(1 + random() % 9);
            board.value[k / 9][k % 9] = digit;
            tables.Place(k / 9, k % 9, digit);
            KR_solver carried;
            std::memcpy(carried.value, board.value, sizeof board.value);
            tables.Restore(carried);
            KR_solver fresh;
            std::memcpy(fresh.value, board.value, sizeof board.value);
            reference::PrepareBoard(fresh);
            ASSERT_EQ(TableDifference(carried, fresh), "") << GridText(start) << " then " << k << "=" << digit;
            ++placements;
        }
    }
    EXPECT_GT(placements, 1000);
}

}  // namespace
}  // namespace masuvo
