// count, rate, log and hint: one line of output per puzzle of standard input.
#pragma once

namespace masuvo::cli {

int RunCount();
int RunRate();
int RunLog();
int RunHint();

}  // namespace masuvo::cli
