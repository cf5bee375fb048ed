// 隠れた数字, 波及効果 and the four subset families.
#include "engine/techniques.h"

namespace masuvo {

bool BlockConfinedToLine(KR_solver&) { return false; }
bool LineConfinedToBlock(KR_solver&) { return false; }
bool ConfinedDigitsInBlock(KR_solver&, int) { return false; }
bool ConfinedDigitsInLine(KR_solver&, int) { return false; }
bool ClosedCellsInBlock(KR_solver&, int) { return false; }
bool ClosedCellsInLine(KR_solver&, int) { return false; }

}  // namespace masuvo
