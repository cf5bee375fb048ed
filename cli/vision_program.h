// masuvo-cli recognize runs in a program of its own, masuvo-recognize: the
// picture decoder and OpenCV cost a hundred milliseconds and a hundred
// shared libraries to load, which the engine commands should not pay.
#pragma once

namespace masuvo::cli {

// The environment variable through which masuvo-recognize learns the
// masuvo-cli that started it: its folder is where the model is looked for.
constexpr const char* kCliPathVariable = "MASUVO_CLI_PATH";

// Replaces this process with masuvo-recognize (beside masuvo-cli, else in
// ../libexec/masuvo from it), with the same arguments. Returns only when it
// cannot be started, after saying so; the exit status is then 1.
int RunVisionProgram(int argc, char** argv);

}  // namespace masuvo::cli
