// The technique routines of the catalogue. Each takes the board, returns true
// when it applied, and then has written stepText and stepTechnique.
#pragma once

#include "engine/board.h"

namespace masuvo {

// Placing techniques (entries 0..4). They report the placement in
// placeRow/placeCol/placeDigit and never write value or the hint.
bool BlockCompletion(KR_solver& board);   // 0 ブロックの完成
bool LineCompletion(KR_solver& board);    // 1 ラインの完成
bool BlockSinglePlace(KR_solver& board);  // 2 ブロック内の配置
bool LineSinglePlace(KR_solver& board);   // 3 ライン内の配置
bool CellCompletion(KR_solver& board);    // 4 セルの完成

// Eliminating techniques (entries 5..29), each through Eliminate.
bool BlockConfinedToLine(KR_solver& board);            // 5 隠れた数字
bool LineConfinedToBlock(KR_solver& board);            // 6 波及効果
bool ConfinedDigitsInBlock(KR_solver& board, int n);   // 7..9 定員確定n(ブロック)
bool ConfinedDigitsInLine(KR_solver& board, int n);    // 10..12 定員確定n(ライン)
bool ClosedCellsInBlock(KR_solver& board, int n);      // 13..15 陰の定員確定n(ブロック)
bool ClosedCellsInLine(KR_solver& board, int n);       // 16..18 陰の定員確定n(ライン)
bool TwoLinePattern(KR_solver& board);                 // 19 対角線
bool ThreeBivalueCells(KR_solver& board);              // 20 三すくみ
bool LinePattern(KR_solver& board, int n);             // 21, 22 マトリックスn
bool TwoAlmostLockedSets(KR_solver& board, int n);     // 23..25 ほぼ確定n(二組)
bool ThreeAlmostLockedSets(KR_solver& board);          // 26 ほぼ確定(三組)
bool BivalueChain(KR_solver& board, int n);            // 27..29 二択連鎖n

// During a replay the techniques pass over what cannot remove a candidate
// the mask allows (it could not succeed). The result never depends on it;
// tests turn it off to compare with the plain scans.
void SetReplayShortcuts(bool on);
bool ReplayShortcuts();

// Link lists at least this long are searched on several threads (outside
// the creation search). The result never depends on it; tests lower it to
// exercise the parallel path.
void SetChainParallelLinkCount(int links);
int ChainParallelLinkCount();

}  // namespace masuvo
