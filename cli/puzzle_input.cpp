#include "cli/puzzle_input.h"

namespace masuvo::cli {

namespace {

// The 81 characters of a puzzle and what a message quotes of a bad line;
// the rest of a line is ignored and need not be held.
constexpr size_t kKeptBytes = 128;

// Reads one line, keeping its first kKeptBytes bytes (a CR before the line
// end included). False at the end of the input.
bool ReadLine(std::FILE* input, std::string& line) {
    line.clear();
    bool any = false;
    int c;
    while ((c = std::fgetc(input)) != EOF) {
        any = true;
        if (c == '\n') return true;
        if (line.size() < kKeptBytes) line.push_back(static_cast<char>(c));
    }
    return any;
}

// The start of a bad line as a message may show it: a control byte (a NUL
// would cut the message, an escape sequence would drive the terminal)
// becomes "?".
std::string Quoted(const std::string& line) {
    std::string text = line.substr(0, 100);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

}  // namespace

bool ForEachPuzzle(std::FILE* input, const std::function<void(const KR_base&)>& handle, std::FILE* errors) {
    bool allGood = true;
    std::string line;
    long lineNumber = 0;
    while (ReadLine(input, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        KR_base grid;
        if (!ParseGrid(line, grid)) {
            std::fprintf(errors, "line %ld: not a puzzle (81 characters of 1-9, '.' or '0' expected): %s\n",
                         lineNumber, Quoted(line).c_str());
            allGood = false;
            continue;
        }
        handle(grid);
    }
    return allGood;
}

void Write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace masuvo::cli
