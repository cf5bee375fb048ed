#include "cli/puzzle_input.h"

namespace masuvo::cli {

namespace {

bool ReadLine(std::FILE* input, std::string& line) {
    line.clear();
    int c;
    while ((c = std::fgetc(input)) != EOF) {
        if (c == '\n') return true;
        line.push_back(static_cast<char>(c));
    }
    return !line.empty();
}

}  // namespace

bool ForEachPuzzle(std::FILE* input, const std::function<void(const KR_base&)>& handle) {
    bool allGood = true;
    std::string line;
    long lineNumber = 0;
    while (ReadLine(input, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        KR_base grid;
        if (!ParseGrid(line, grid)) {
            std::fprintf(stderr, "line %ld: not a puzzle (81 characters of 1-9, '.' or '0' expected): %.100s\n",
                         lineNumber, line.c_str());
            allGood = false;
            continue;
        }
        handle(grid);
    }
    return allGood;
}

void Write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace masuvo::cli
