#include "engine/catalogue.h"

#include "engine/techniques.h"

namespace masuvo {

namespace {

template <bool (*Family)(KR_solver&, int), int N>
bool Bound(KR_solver& board) {
    return Family(board, N);
}

const TechniqueEntry kCatalogue[kTechniqueCount] = {
    {"ブロックの完成", BlockCompletion, 0},
    {"ラインの完成", LineCompletion, 0},
    {"ブロック内の配置", BlockSinglePlace, 0},
    {"ライン内の配置", LineSinglePlace, 0},
    {"セルの完成", CellCompletion, 0},
    {"隠れた数字", BlockConfinedToLine, 2},
    {"波及効果", LineConfinedToBlock, 2},
    {"定員確定2(ブロック)", Bound<ConfinedDigitsInBlock, 2>, 3},
    {"定員確定3(ブロック)", Bound<ConfinedDigitsInBlock, 3>, 3},
    {"定員確定4(ブロック)", Bound<ConfinedDigitsInBlock, 4>, 4},
    {"定員確定2(ライン)", Bound<ConfinedDigitsInLine, 2>, 3},
    {"定員確定3(ライン)", Bound<ConfinedDigitsInLine, 3>, 3},
    {"定員確定4(ライン)", Bound<ConfinedDigitsInLine, 4>, 4},
    {"陰の定員確定2(ブロック)", Bound<ClosedCellsInBlock, 2>, 3},
    {"陰の定員確定3(ブロック)", Bound<ClosedCellsInBlock, 3>, 3},
    {"陰の定員確定4(ブロック)", Bound<ClosedCellsInBlock, 4>, 4},
    {"陰の定員確定2(ライン)", Bound<ClosedCellsInLine, 2>, 3},
    {"陰の定員確定3(ライン)", Bound<ClosedCellsInLine, 3>, 3},
    {"陰の定員確定4(ライン)", Bound<ClosedCellsInLine, 4>, 4},
    {"対角線", TwoLinePattern, 4},
    {"三すくみ", ThreeBivalueCells, 4},
    {"マトリックス3", Bound<LinePattern, 3>, 6},
    {"マトリックス4", Bound<LinePattern, 4>, 6},
    {"ほぼ確定2(二組)", Bound<TwoAlmostLockedSets, 2>, 5},
    {"ほぼ確定3(二組)", Bound<TwoAlmostLockedSets, 3>, 6},
    {"ほぼ確定4(二組)", Bound<TwoAlmostLockedSets, 4>, 6},
    {"ほぼ確定(三組)", ThreeAlmostLockedSets, 6},
    {"二択連鎖1", Bound<BivalueChain, 1>, 5},
    {"二択連鎖2", Bound<BivalueChain, 2>, 6},
    {"二択連鎖9", Bound<BivalueChain, 9>, 6},
};

}  // namespace

const TechniqueEntry& Technique(int index) { return kCatalogue[index]; }

const char* TechniqueName(int index) {
    if (index < 0 || index >= kTechniqueCount) return "";
    return kCatalogue[index].name;
}

}  // namespace masuvo
