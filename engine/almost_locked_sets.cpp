// ほぼ確定n(二組) and ほぼ確定(三組).
#include "engine/techniques.h"

namespace masuvo {

bool TwoAlmostLockedSets(KR_solver&, int) { return false; }
bool ThreeAlmostLockedSets(KR_solver&) { return false; }

}  // namespace masuvo
