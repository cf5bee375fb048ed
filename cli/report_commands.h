// steps and evaluate: the text reports of the developer tools.
#pragma once

namespace masuvo::cli {

int RunSteps();
// Evaluates the puzzle files named on the command line (argv[2..]).
int RunEvaluate(int argc, char** argv);

}  // namespace masuvo::cli
