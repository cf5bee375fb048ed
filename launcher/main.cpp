// masuvo: the command that starts マスヴォ. It answers --help and --version
// itself and otherwise becomes the window program, masuvo-window, with the
// same arguments and the same process: the window program loads Qt and the
// picture-reading libraries before its first line runs, which a question
// about the version should not wait for.
#include <cstdio>

#include "launcher/information_options.h"
#include "launcher/sibling_program.h"

int main(int argc, char** argv) {
    if (masuvo::AnswerInformationOption(argc, argv)) return std::fflush(stdout) == 0 ? 0 : 1;
    masuvo::RunSiblingProgram("masuvo", "masuvo-window", argv);
    return 1;
}
