// 対角線, マトリックスn and 三すくみ.
#include "engine/techniques.h"

namespace masuvo {

bool TwoLinePattern(KR_solver&) { return false; }
bool ThreeBivalueCells(KR_solver&) { return false; }
bool LinePattern(KR_solver&, int) { return false; }

}  // namespace masuvo
