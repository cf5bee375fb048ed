// Helpers shared by the engine tests: boards from text, candidate edits,
// and the puzzle sets under tests/data.
#pragma once

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/board.h"
#include "engine/candidates.h"

namespace masuvo::test {

inline std::string DataPath(const std::string& name) { return std::string(MASUVO_TEST_DATA) + "/" + name; }

// A board holding the 81-character grid, prepared (counts and candidates).
inline KR_solver BoardFrom(const std::string& grid) {
    KR_solver board;
    KR_base parsed;
    if (!ParseGrid(grid, parsed)) throw std::runtime_error("bad grid: " + grid);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) board.value[r][c] = parsed.value[r][c];
    PrepareBoard(board);
    return board;
}

// Leaves only the given digits as candidates of the empty cell (row, col),
// then recounts. Use it to shape fixture boards.
inline void KeepCandidates(KR_solver& board, int row, int col, std::initializer_list<int> digits) {
    uint8_t* cell = board.cand[CellIndex(row, col)];
    for (int d = 1; d <= 9; ++d) cell[d] = 0;
    for (int d : digits) cell[d] = 1;
    CountCandidates(board);
}

// Removes one candidate and recounts.
inline void RemoveCandidate(KR_solver& board, int row, int col, int digit) {
    board.cand[CellIndex(row, col)][digit] = 0;
    CountCandidates(board);
}

// The first field of every puzzle line of a data file (header, blank and '#'
// lines skipped); with withSecond, also the second field (':', tab or ',' separated).
struct DataLine {
    std::string puzzle;
    std::string second;
    std::string third;
};

inline std::vector<DataLine> ReadDataLines(const std::string& name, size_t limit = SIZE_MAX) {
    std::ifstream in(DataPath(name));
    if (!in) throw std::runtime_error("cannot read " + name);
    std::vector<DataLine> lines;
    std::string line;
    while (lines.size() < limit && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 81 || line[0] == '#') continue;
        KR_base probe;
        if (!ParseGrid(line, probe)) continue;  // header line
        DataLine entry;
        entry.puzzle = line.substr(0, 81);
        std::vector<std::string> fields;
        std::string field;
        for (size_t i = 82; i <= line.size(); ++i) {
            if (i == line.size() || line[i] == ':' || line[i] == '\t' || line[i] == ',' || line[i] == ' ') {
                if (!field.empty()) fields.push_back(field);
                field.clear();
                if (i < line.size() && line[i] == ' ') break;  // a comment follows
            } else {
                field.push_back(line[i]);
            }
        }
        if (fields.size() > 0) entry.second = fields[0];
        if (fields.size() > 1) entry.third = fields[1];
        lines.push_back(entry);
    }
    return lines;
}

}  // namespace masuvo::test
