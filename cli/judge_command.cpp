#include "cli/judge_command.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/puzzle_input.h"
#include "session/headless_view.h"
#include "session/play_session.h"

namespace masuvo::cli {

namespace {

// The window of a judged play: it starts solving whatever the state check
// found (errors, several solutions, a board the logic cannot finish) and
// never runs the assist, so the board is played as given; the clock stands
// still, so nothing depends on when the command runs.
class JudgeView : public HeadlessView {
public:
    JudgeView() : HeadlessView(nullptr) {}
    bool AskYesNo(const std::string&) override { return true; }
    Answer AskYesNoCancel(const std::string&) override { return Answer::No; }
    int64_t MonotonicSeconds() override { return 0; }
    int64_t WallClockSeconds() override { return 0; }
};

// A play of every empty cell takes under a kilobyte; a line is held only up
// to this length, so input that never ends a line is read in bounded memory.
constexpr size_t kLongestLine = 16384;

// Reads one line; `whole` is false when it was longer than kLongestLine (the
// rest is skipped). False at the end of the input.
bool ReadLine(std::FILE* input, std::string& line, bool& whole) {
    line.clear();
    whole = true;
    bool any = false;
    int c;
    while ((c = std::fgetc(input)) != EOF) {
        any = true;
        if (c == '\n') return true;
        if (line.size() < kLongestLine)
            line.push_back(static_cast<char>(c));
        else
            whole = false;
    }
    return any;
}

struct Move {
    int row = 0;
    int col = 0;
    int digit = 0;
};

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "row,col,digit" with row and col 0..8 and digit 1..9; spaces are ignored.
bool ParseMove(const std::string& spaced, Move& move) {
    std::string text;
    for (char c : spaced)
        if (c != ' ') text.push_back(c);
    int values[3];
    size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        if (at >= text.size() || text[at] < '0' || text[at] > '9') return false;
        values[i] = text[at++] - '0';
        if (i < 2) {
            if (at >= text.size() || text[at] != ',') return false;
            ++at;
        }
    }
    if (at != text.size()) return false;
    move = {values[0], values[1], values[2]};
    return move.row <= 8 && move.col <= 8 && move.digit >= 1 && move.digit <= 9;
}

std::string MoveText(const Move& move) {
    return std::to_string(move.row) + ',' + std::to_string(move.col) + ',' + std::to_string(move.digit);
}

std::string Indices(const std::vector<int>& techniques) {
    if (techniques.empty()) return "-";
    std::string text;
    for (int technique : techniques) {
        if (!text.empty()) text += ',';
        text += std::to_string(technique);
    }
    return text;
}

class Judge {
public:
    // where: the prefix of every message about this input ("line 3" or "file: line 3").
    void Line(const std::string& rawLine, bool whole, const std::string& where) {
        std::string line = rawLine;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (Trimmed(line).empty() || line[0] == '#') return;
        if (!whole) {
            Bad(where + ": longer than " + std::to_string(kLongestLine) + " bytes: " + Excerpt(line));
            return;
        }

        const size_t tab = line.find('\t');
        KR_base grid;
        if (tab == std::string::npos) {
            Bad(where + ": expected a puzzle, a tab and moves row,col,digit separated by ';': " + Excerpt(line));
            return;
        }
        const std::string puzzle = Trimmed(line.substr(0, tab));
        if (puzzle.size() != 81 || !ParseGrid(puzzle, grid)) {
            Bad(where + ": not a puzzle (81 characters of 1-9, '.' or '0' expected): " + Excerpt(puzzle));
            return;
        }
        std::vector<Move> moves;
        const std::string list = line.substr(tab + 1);
        size_t start = 0;
        int number = 0;
        while (start <= list.size()) {
            const size_t end = std::min(list.find(';', start), list.size());
            const std::string text = Trimmed(list.substr(start, end - start));
            start = end + 1;
            if (text.empty()) continue;
            ++number;
            Move move;
            if (!ParseMove(text, move)) {
                Bad(where + ", move " + std::to_string(number) + ": not a move row,col,digit (0-8, 0-8, 1-9): " +
                    Excerpt(text));
                return;
            }
            if (grid.value[move.row][move.col] != 0) {
                Bad(where + ", move " + std::to_string(number) + " (" + MoveText(move) +
                    "): the cell holds a given digit");
                return;
            }
            moves.push_back(move);
        }
        Play(grid, moves, where);
    }

    bool AllGood() const { return allGood_; }

private:
    // The puzzle becomes the board's givens, solving starts, and each move is
    // typed into its cell as a player types it.
    void Play(const KR_base& grid, const std::vector<Move>& moves, const std::string& where) {
        JudgeView view;
        PlaySession session(view, DataFolders());
        session.fileCompletions = false;
        LoadCreatedPuzzle(session, grid, "judge");
        session.StartSolving();
        if (session.mode != 1) {
            if (!moves.empty()) Bad(where + ": the puzzle is already complete; there is nothing to judge");
            return;
        }
        for (size_t i = 0; i < moves.size(); ++i) {
            const Move& move = moves[i];
            const std::string number = std::to_string(i + 1);
            session.LeftClickCell(move.row, move.col, 0, false);
            const int64_t judged = session.lastJudgement.serial;
            session.HandleKey(Key{KeyKind::Digit, move.digit}, false);
            if (session.lastJudgement.serial == judged) {
                Bad(where + ", move " + number + " (" + MoveText(move) + "): not judged, " +
                    (session.mode == 3 ? "the puzzle was already complete" : "the cell already holds that digit"));
                continue;
            }
            const MoveJudgement& result = session.lastJudgement;
            Write(number + '\t' + MoveText(move) + '\t' + result.text + '\t' + std::to_string(result.points) + '\t' +
                  Indices(result.techniques) + '\n');
        }
    }

    // The start of bad input as a message shows it: a control byte (a NUL
    // would cut the message, an escape would drive the terminal) becomes "?".
    static std::string Excerpt(const std::string& text) {
        std::string excerpt = text.substr(0, 100);
        for (char& c : excerpt)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
        return excerpt;
    }

    void Bad(const std::string& message) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", message.c_str());
        allGood_ = false;
    }

    bool allGood_ = true;
};

}  // namespace

int RunJudge(int argc, char** argv) {
    Judge judge;
    bool allRead = true;
    auto judgeStream = [&](std::FILE* in, const std::string& name) {
        std::string line;
        bool whole = true;
        long number = 0;
        while (ReadLine(in, line, whole)) {
            ++number;
            judge.Line(line, whole, (name.empty() ? "" : name + ": ") + "line " + std::to_string(number));
        }
    };
    if (argc <= 2) {
        judgeStream(stdin, "");
    } else {
        for (int i = 2; i < argc; ++i) {
            std::FILE* in = std::fopen(argv[i], "rb");
            if (in == nullptr) {
                std::fflush(stdout);
                std::fprintf(stderr, "masuvo-cli judge: cannot read %s\n", argv[i]);
                allRead = false;
                continue;
            }
            judgeStream(in, argv[i]);
            if (std::ferror(in)) {
                std::fflush(stdout);
                std::fprintf(stderr, "masuvo-cli judge: error while reading %s\n", argv[i]);
                allRead = false;
            }
            std::fclose(in);
        }
    }
    return judge.AllGood() && allRead ? 0 : 1;
}

}  // namespace masuvo::cli
