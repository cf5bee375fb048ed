// Handing a created puzzle to the session.
#include "session/play_session.h"

namespace masuvo {

void LoadCreatedPuzzle(PlaySession& session, const KR_base& puzzle, const std::string& name) {
    session.ResetSession();
    for (int k = 0; k < 81; ++k) {
        const int32_t digit = puzzle.value[k / 9][k % 9];
        if (digit < 1 || digit > 9) continue;
        session.values[k] = digit;
        session.origin[k] = 1;
    }
    // Named before the check, so that everything the check files carries the
    // new name.
    session.SetName(name);
    session.CheckState(true, "");
}

}  // namespace masuvo
