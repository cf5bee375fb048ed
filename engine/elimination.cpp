#include "engine/elimination.h"

namespace masuvo {

bool NextCombination(int n, int out[], int& counter) {
    if (n < 2 || n > 4) return false;
    int combination[4];
    for (int i = 0; i < n; ++i) combination[i] = i;
    // Step forward from the first combination to the counter-th.
    for (int index = 0; index < counter; ++index) {
        int i = n - 1;
        while (i >= 0 && combination[i] == 9 - n + i) --i;
        if (i < 0) return false;
        ++combination[i];
        for (int j = i + 1; j < n; ++j) combination[j] = combination[j - 1] + 1;
    }
    for (int i = 0; i < n; ++i) out[i] = combination[i];
    ++counter;
    return true;
}

}  // namespace masuvo
