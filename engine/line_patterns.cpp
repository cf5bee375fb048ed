// 対角線, マトリックスn and 三すくみ.
#include <bit>

#include "engine/elimination.h"
#include "engine/techniques.h"

namespace masuvo {

namespace {

// One pass of the line patterns: base lines are rows (cover lines columns)
// or, transposed, columns (cover lines rows).
using CountTable = const int32_t (*)[10];

struct Orientation {
    bool byColumns;
    int Cell(int base, int cover) const { return byColumns ? CellIndex(cover, base) : CellIndex(base, cover); }
    CountTable Counts(const KR_solver& board) const { return byColumns ? board.colCand : board.rowCand; }
};

constexpr Orientation kRowPass{false};
constexpr Orientation kColumnPass{true};

void MarkCell(KR_solver& board, int cell, int digit) {
    board.hint.cellMark[cell] = 1;
    board.hint.candMark[cell][digit] = 1;
}

bool TwoLinePass(KR_solver& board, const Orientation& pass) {
    const CountTable counts = pass.Counts(board);
    for (int d = 1; d <= 9; ++d) {
        for (int b1 = 0; b1 < 8; ++b1) {
            if (counts[b1][d] != 2) continue;
            int x1 = -1;
            int x2 = -1;
            for (int x = 0; x < 9; ++x) {
                if (!board.cand[pass.Cell(b1, x)][d]) continue;
                if (x1 < 0)
                    x1 = x;
                else
                    x2 = x;
            }
            if (x2 < 0) continue;  // counts out of step with the candidates
            for (int b2 = b1 + 1; b2 < 9; ++b2) {
                if (counts[b2][d] != 2 || !board.cand[pass.Cell(b2, x1)][d] || !board.cand[pass.Cell(b2, x2)][d])
                    continue;
                bool removed = false;
                for (int x : {x1, x2})
                    for (int b = 0; b < 9; ++b)
                        if (b != b1 && b != b2) removed |= Eliminate(board, pass.Cell(b, x), d);
                // Within one band (or stack) the two base lines hold d in the
                // blocks of both cover lines, so the third line of the band
                // cannot hold d in those blocks.
                if (b1 / 3 == b2 / 3) {
                    const int first = 3 * (b1 / 3);
                    const int b3 = first + 3 - (b1 - first) - (b2 - first);
                    for (int x : {x1, x2}) {
                        const int low = 3 * (x / 3);
                        for (int y = low; y < low + 3; ++y) removed |= Eliminate(board, pass.Cell(b3, y), d);
                    }
                }
                if (!removed) continue;
                for (int b : {b1, b2})
                    for (int x : {x1, x2}) MarkCell(board, pass.Cell(b, x), d);
                board.stepText = "対角線。";
                board.stepTechnique = 19;
                return true;
            }
        }
    }
    return false;
}

bool LinePatternPass(KR_solver& board, const Orientation& pass, int n) {
    const CountTable counts = pass.Counts(board);
    for (int d = 1; d <= 9; ++d) {
        int combination[4];
        int counter = 0;
        while (NextCombination(n, combination, counter)) {
            unsigned chosen = 0;
            bool usable = true;
            for (int i = 0; i < n; ++i) {
                const int32_t count = counts[combination[i]][d];
                if (count == -1 || count > n) usable = false;
                chosen |= 1u << combination[i];
            }
            if (!usable) continue;

            unsigned cover = 0;
            for (int i = 0; i < n; ++i)
                for (int x = 0; x < 9; ++x)
                    if (board.cand[pass.Cell(combination[i], x)][d]) cover |= 1u << x;
            if (std::popcount(cover) != n) continue;

            bool removed = false;
            for (int b = 0; b < 9; ++b) {
                if (chosen & (1u << b)) continue;
                for (int x = 0; x < 9; ++x)
                    if (cover & (1u << x)) removed |= Eliminate(board, pass.Cell(b, x), d);
            }
            if (!removed) continue;

            // Every empty crossing belongs to the pattern, even where d is
            // already gone: it shows the whole n-by-n frame.
            for (int i = 0; i < n; ++i) {
                for (int x = 0; x < 9; ++x) {
                    if (!(cover & (1u << x))) continue;
                    const int k = pass.Cell(combination[i], x);
                    if (board.value[k / 9][k % 9] == 0) MarkCell(board, k, d);
                }
            }
            board.stepText.Format("マトリックス%d。", n);
            board.stepTechnique = n + 18;
            return true;
        }
    }
    return false;
}

// Pivot and pincers bivalue, and each of three digits in exactly two of the
// three cells; z receives the digit the pincers share.
bool IsThreeCellPattern(const KR_solver& board, int pivot, int pincer1, int pincer2, int& z) {
    if (board.cellCand[pivot] != 2 || board.cellCand[pincer1] != 2 || board.cellCand[pincer2] != 2) return false;
    int pairs = 0;
    for (int d = 1; d <= 9; ++d) {
        const int count = board.cand[pivot][d] + board.cand[pincer1][d] + board.cand[pincer2][d];
        if (count == 2) ++pairs;
    }
    if (pairs != 3) return false;
    for (int d = 1; d <= 9; ++d) {
        if (board.cand[pincer1][d] && board.cand[pincer2][d]) {
            z = d;
            return true;
        }
    }
    return false;
}

}  // namespace

bool TwoLinePattern(KR_solver& board) { return TwoLinePass(board, kRowPass) || TwoLinePass(board, kColumnPass); }

bool LinePattern(KR_solver& board, int n) {
    return LinePatternPass(board, kRowPass, n) || LinePatternPass(board, kColumnPass, n);
}

bool ThreeBivalueCells(KR_solver& board) {
    for (int r1 = 0; r1 < 8; ++r1) {
        for (int c1 = 0; c1 < 8; ++c1) {
            for (int r2 = r1 + 1; r2 < 9; ++r2) {
                for (int c2 = c1 + 1; c2 < 9; ++c2) {
                    const int a = CellIndex(r1, c1);
                    const int b = CellIndex(r1, c2);
                    const int c = CellIndex(r2, c1);
                    const int d = CellIndex(r2, c2);
                    // Pivot, the pincer in its row or column, the other pincer, target.
                    const int configurations[4][4] = {{d, b, c, a}, {c, a, d, b}, {b, a, d, c}, {a, b, c, d}};
                    for (const auto& corners : configurations) {
                        int z = 0;
                        if (!IsThreeCellPattern(board, corners[0], corners[1], corners[2], z)) continue;
                        if (Eliminate(board, corners[3], z)) {
                            for (int i = 0; i < 3; ++i) {
                                board.hint.cellMark[corners[i]] = 1;
                                for (int digit = 1; digit <= 9; ++digit)
                                    if (board.cand[corners[i]][digit]) board.hint.candMark[corners[i]][digit] = 1;
                            }
                            board.stepText = "三すくみ。";
                            board.stepTechnique = 20;
                            return true;
                        }
                        // The rectangle has had its one pattern.
                        break;
                    }
                }
            }
        }
    }
    return false;
}

}  // namespace masuvo
