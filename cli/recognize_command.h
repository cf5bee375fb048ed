// recognize: the board printed in pictures, read by the digit classifier.
#pragma once

#include <string>

namespace masuvo::cli {

// masuvo-cli recognize [--model PATH] IMAGE...: one line per picture,
// "IMAGE<TAB>board" (81 characters, '.' for an empty cell) or "IMAGE<TAB>-"
// with the reason on standard error. The model is Masuvo.dat beside the
// program, else in ../share/masuvo from it, unless --model names one.
// Exit status 0 when every picture was read, 1 otherwise (also without a
// usable model), 2 for bad arguments.
int RunRecognize(int argc, char** argv);

// The folder of the masuvo-cli that started this program (else of the
// running executable), empty when it cannot be found.
std::string ProgramFolder();

}  // namespace masuvo::cli
