// --help and --version of the desktop program, answered before anything
// else starts, so that they work without a display and at once.
#pragma once

namespace masuvo {

// Answers --help, -h or --version when it is the first argument (any other
// first argument is the file to open) and returns true; false otherwise.
bool AnswerInformationOption(int argc, char** argv);

}  // namespace masuvo
