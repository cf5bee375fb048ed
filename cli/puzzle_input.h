// Puzzles on standard input, one per line, with the tool's rules for what is
// skipped and what is reported as bad input.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "engine/board.h"

namespace masuvo::cli {

// Calls handle for every puzzle line of input; reports bad lines on standard
// error. Returns false when any line was bad.
bool ForEachPuzzle(std::FILE* input, const std::function<void(const KR_base&)>& handle);

// Writes text to standard output as it is (UTF-8).
void Write(const std::string& text);

}  // namespace masuvo::cli
