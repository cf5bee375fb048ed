// Puzzles on standard input, one per line, with the tool's rules for what is
// skipped and what is reported as bad input.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "engine/board.h"

namespace masuvo::cli {

// Calls handle for every puzzle line of input; reports bad lines on errors
// (standard error by default). Returns false when any line was bad. Only the
// start of a line matters, so a line of any length (even one that never
// ends) is read in constant memory.
bool ForEachPuzzle(std::FILE* input, const std::function<void(const KR_base&)>& handle, std::FILE* errors = stderr);

// Writes text to standard output as it is (UTF-8).
void Write(const std::string& text);

}  // namespace masuvo::cli
