// masuvo-recognize: masuvo-cli's recognize command in its own program,
// started by masuvo-cli with the same arguments (vision_program.h).
#include <cstdio>
#include <cstring>

#include "cli/recognize_command.h"

int main(int argc, char** argv) {
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    if (argc < 2 || std::strcmp(argv[1], "recognize") != 0) {
        std::fputs("masuvo-recognize is started by masuvo-cli: masuvo-cli recognize [--model PATH] IMAGE...\n", stderr);
        return 2;
    }
    return masuvo::cli::RunRecognize(argc, argv);
}
