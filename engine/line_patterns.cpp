// 対角線, マトリックスn and 三すくみ.

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

bool TwoLinePass(KR_solver& board, const Orientation& pass, const Removable& removable) {
    const CountTable counts = pass.Counts(board);
    for (int d = 1; d <= 9; ++d) {
        if (!removable.Digit(d)) continue;
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

bool LinePatternPass(KR_solver& board, const Orientation& pass, int n, const Removable& removable) {
    const CountTable counts = pass.Counts(board);
    for (int d = 1; d <= 9; ++d) {
        if (!removable.Digit(d)) continue;
        // A line with d placed, or with more than n candidates of it, cannot be one of the n.
        unsigned usable = 0;
        for (int b = 0; b < 9; ++b)
            if (counts[b][d] != -1 && counts[b][d] <= n) usable |= 1u << b;
        if (CountBits(usable) < n) continue;
        unsigned lines[9];  // per base line, the cover positions that hold d
        for (int b = 0; b < 9; ++b) {
            lines[b] = 0;
            for (int x = 0; x < 9; ++x)
                if (board.cand[pass.Cell(b, x)][d]) lines[b] |= 1u << x;
        }
        const bool found = ForEachCombinationOf(usable, n, [&](const int* combination) {
            unsigned chosen = 0;
            unsigned cover = 0;
            for (int i = 0; i < n; ++i) {
                chosen |= 1u << combination[i];
                cover |= lines[combination[i]];
            }
            if (CountBits(cover) != n) return false;
            // Only the other lines' candidates in the cover can go.
            unsigned others = 0;
            for (int b = 0; b < 9; ++b)
                if (!(chosen & (1u << b))) others |= lines[b];
            if ((others & cover) == 0) return false;

            bool removed = false;
            for (int b = 0; b < 9; ++b) {
                if (chosen & (1u << b)) continue;
                for (int x = 0; x < 9; ++x)
                    if (cover & (1u << x)) removed |= Eliminate(board, pass.Cell(b, x), d);
            }
            if (!removed) return false;

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
        });
        if (found) return true;
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

bool TwoLinePattern(KR_solver& board) {
    const Removable removable(board);
    return TwoLinePass(board, kRowPass, removable) || TwoLinePass(board, kColumnPass, removable);
}

bool LinePattern(KR_solver& board, int n) {
    const Removable removable(board);
    return LinePatternPass(board, kRowPass, n, removable) || LinePatternPass(board, kColumnPass, n, removable);
}

bool ThreeBivalueCells(KR_solver& board) {
    const Removable removable(board);
    // Every configuration needs three bivalue corners.
    unsigned bivalue[9];
    for (int r = 0; r < 9; ++r) {
        bivalue[r] = 0;
        for (int c = 0; c < 9; ++c)
            if (board.cellCand[CellIndex(r, c)] == 2) bivalue[r] |= 1u << c;
    }
    for (int r1 = 0; r1 < 8; ++r1) {
        for (int c1 = 0; c1 < 8; ++c1) {
            for (int r2 = r1 + 1; r2 < 9; ++r2) {
                if (CountBits(bivalue[r1] | bivalue[r2]) < 2) continue;
                for (int c2 = c1 + 1; c2 < 9; ++c2) {
                    const unsigned corners = 1u << c1 | 1u << c2;
                    if (CountBits(bivalue[r1] & corners) + CountBits(bivalue[r2] & corners) < 3) continue;
                    const int a = CellIndex(r1, c1);
                    const int b = CellIndex(r1, c2);
                    const int c = CellIndex(r2, c1);
                    const int d = CellIndex(r2, c2);
                    // Every configuration removes from one corner, and a
                    // rectangle is done after its first pattern, so only a
                    // whole rectangle can be skipped.
                    if (!removable.Cell(a) && !removable.Cell(b) && !removable.Cell(c) && !removable.Cell(d)) continue;
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
