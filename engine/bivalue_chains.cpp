// 二択連鎖n.
#include "engine/techniques.h"

namespace masuvo {

bool BivalueChain(KR_solver&, int) { return false; }

}  // namespace masuvo
