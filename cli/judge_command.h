// judge: the moves of a play, each judged as the window judges a typed digit.
#pragma once

namespace masuvo::cli {

// masuvo-cli judge [FILE...]: lines "puzzle<TAB>row,col,digit;..." from the
// files, or standard input without any.
int RunJudge(int argc, char** argv);

}  // namespace masuvo::cli
