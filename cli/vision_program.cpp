#include "cli/vision_program.h"

#include <cstdlib>

#include "launcher/sibling_program.h"

namespace masuvo::cli {

int RunVisionProgram(int argc, char** argv) {
    (void)argc;
    // masuvo-recognize looks for the model from masuvo-cli's folder.
    if (*OwnProgramPath() != '\0') setenv(kCliPathVariable, OwnProgramPath(), 1);
    RunSiblingProgram("masuvo-cli", "masuvo-recognize", argv);
    return 1;
}

}  // namespace masuvo::cli
