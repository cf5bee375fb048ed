// A long scripted run of random but legal play over many puzzles: typing,
// erasing, undo and redo, hints and their execution, candidates, pause and
// resume, saving and loading, to the end of each puzzle. After every step
// the session's invariants are checked; the figures of the run are printed
// at the end. MASUVO_SOAK_PLAYS sets the number of plays (default 24).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "files/puzzle_file.h"
#include "records/record_file.h"
#include "session/play_session.h"
#include "tests/files/temp_folder.h"
#include "tests/session/fake_view.h"

namespace masuvo::test {
namespace {

struct Puzzle {
    std::string givens;
    std::string solution;
};

// Puzzles of every level of the graded set, spread over the file.
std::vector<Puzzle> GradedPuzzles(size_t count) {
    std::ifstream file(MASUVO_TEST_DATA "/graded_5000.csv");
    std::string line;
    std::getline(file, line);  // header
    std::vector<Puzzle> all;
    while (std::getline(file, line)) {
        const size_t comma = line.find(',');
        if (comma != 81 || line.size() < 163) continue;
        all.push_back({line.substr(0, 81), line.substr(82, 81)});
    }
    std::vector<Puzzle> chosen;
    for (size_t k = 0; k < count && !all.empty(); ++k) chosen.push_back(all[(k * 997) % all.size()]);
    return chosen;
}

long ResidentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class Soak {
public:
    Soak(FakeView& view, PlaySession& session, const std::string& folder)
        : view_(view), session_(session), folder_(folder) {}

    long steps = 0;
    long checks = 0;
    long saves = 0;
    long loads = 0;
    long completions = 0;

    // The invariants that hold after any step.
    void Check(const std::string& step) {
        ++checks;
        SCOPED_TRACE(step);
        int given = 0, assisted = 0, solved = 0, remaining = 0;
        for (int cell = 0; cell < 81; ++cell) {
            const int v = session_.values[cell], o = session_.origin[cell];
            ASSERT_GE(v, 0);
            ASSERT_LE(v, 9);
            // Givens stay the puzzle's digits. (An executed hint follows the
            // board as it stands, wrong digits included, so an assisted cell
            // need not hold the solution's digit.)
            if (o == 1) {
                ASSERT_EQ(v, givens_[cell] - '0') << "given changed at " << cell;
            }
            if (o == 2) {
                ASSERT_NE(v, 0) << "assisted cell empty at " << cell;
            }
            if (givens_[cell] != '.') {
                ASSERT_EQ(o, 1) << "given lost at " << cell;
            }
            if (v == 0) {
                ASSERT_EQ(o, 0) << "empty cell with an origin at " << cell;
                ++remaining;
            } else {
                (o == 1 ? given : o == 2 ? assisted : solved)++;
            }
            // A candidate shown in an empty cell is never a digit of one of its peers.
            if (v != 0) continue;
            for (int d = 1; d <= 9; ++d) {
                if (!(session_.candMarks[cell][d] & 1)) continue;
                for (int peer = 0; peer < 81; ++peer) {
                    const bool seen = peer != cell && (peer / 9 == cell / 9 || peer % 9 == cell % 9 ||
                                                       (peer / 27 == cell / 27 && peer % 9 / 3 == cell % 9 / 3));
                    if (seen) {
                        ASSERT_NE(session_.values[peer], d) << "candidate " << d << " at " << cell;
                    }
                }
            }
        }
        char counts[160];
        std::snprintf(counts, sizeof counts, "問題：%2d　　アシスト：%2d　　解答：%2d　　残り：%2d", given, assisted,
                      solved, remaining);
        ASSERT_EQ(view_.Text(Field::Counts), counts);
        ASSERT_GE(session_.mode, 0);
        ASSERT_LE(session_.mode, 3);
        ASSERT_EQ(view_.hintDialog, session_.hintDialogOpen);
        ASSERT_GE(session_.penalty, 0);
        ASSERT_LE(static_cast<int>(session_.undoStack.size()), 10000);
    }

    // A saved file reads back to what was saved, and writes out the same bytes.
    void SaveAndCompare() {
        const std::string path = folder_ + "/soak.kzd";
        ASSERT_TRUE(session_.WritePuzzleFile(path));
        ++saves;
        PuzzleFileData read;
        std::string message;
        ASSERT_TRUE(ReadPuzzleData(path, read, message)) << message;
        const PuzzleFileData now = session_.FileData();
        ASSERT_EQ(std::memcmp(read.values, now.values, sizeof now.values), 0);
        ASSERT_EQ(std::memcmp(read.origin, now.origin, sizeof now.origin), 0);
        ASSERT_EQ(std::memcmp(read.candMarks, now.candMarks, sizeof now.candMarks), 0);
        ASSERT_EQ(std::memcmp(read.memo, now.memo, sizeof now.memo), 0);
        ASSERT_EQ(read.log.size(), now.log.size());
        ASSERT_EQ(read.penalty, now.penalty);
        ASSERT_EQ(read.hintCount, now.hintCount);
        const std::string again = folder_ + "/again.kzd";
        ASSERT_TRUE(WritePuzzleData(again, read, message)) << message;
        ASSERT_EQ(ReadBytes(path), ReadBytes(again));
    }

    void Play(const Puzzle& puzzle, std::mt19937& random) {
        givens_ = puzzle.givens;
        solution_ = puzzle.solution;
        // The scripted window keeps every call; only the session's own
        // memory should show in the figures.
        view_.ClearRecords();
        view_.calls.shrink_to_fit();
        view_.sounds.shrink_to_fit();
        session_.ResetSession();
        ASSERT_TRUE(session_.PasteBoardText(puzzle.givens));
        // A puzzle beyond the techniques asks whether the assist should run
        // first; the soak plays it without.
        view_.answers.push_back(Answer::No);
        session_.StartSolving();
        view_.answers.clear();
        ASSERT_EQ(session_.mode, 1);
        Check("start");
        for (int guard = 0; session_.mode != 3 && guard < 2000; ++guard) {
            ++steps;
            view_.monotonic += static_cast<int>(random() % 20);
            session_.Tick();
            const int choice = static_cast<int>(random() % 100);
            std::string step;
            if (choice < 55) {
                step = Type(random);
            } else if (choice < 62) {
                step = "erase";
                const int cell = WrongCell(random);
                if (cell >= 0) Key(cell, {KeyKind::Delete, 0});
            } else if (choice < 70) {
                step = "undo";
                session_.UndoMove();
            } else if (choice < 75) {
                step = "redo";
                session_.RedoMove();
            } else if (choice < 80) {
                step = "hint";
                session_.RequestHint();
                if (session_.hintDialogOpen && random() % 2 == 0) session_.SetDetail(true);
                if (session_.hintDialogOpen) session_.HintDialogClosed();
            } else if (choice < 83) {
                // Only on a board without mistakes: a hint executed on a wrong
                // board places what follows from the mistake, and the
                // assisted digit cannot be erased, only undone.
                step = "execute hint";
                if (!HasWrongDigit()) session_.ExecuteHint();
                if (session_.hintDialogOpen) session_.HintDialogClosed();
            } else if (choice < 87) {
                step = "candidates";
                session_.ToggleCandidates(!session_.candidatesShown);
            } else if (choice < 89) {
                step = "reset candidates";
                session_.ResetCandidates();
            } else if (choice < 92) {
                step = "pause";
                session_.PauseSolving();
                Check(step);
                session_.StartSolving();
            } else if (choice < 96) {
                step = "save";
                SaveAndCompare();
            } else {
                step = "save and load";
                SaveAndCompare();
                ASSERT_TRUE(session_.LoadPuzzleCommand(folder_ + "/soak.kzd"));
                ++loads;
                Check(step);
                if (session_.mode == 2) session_.StartSolving();
            }
            Check(step);
            if (HasFatalFailure()) return;
        }
        ASSERT_EQ(session_.mode, 3) << "the play did not end: " << session_.BoardText() << " of " << givens_
                                    << " solution " << solution_;
        ++completions;
        SaveAndCompare();
    }

private:
    static bool HasFatalFailure() { return testing::Test::HasFatalFailure(); }

    void Key(int cell, masuvo::Key key) {
        session_.selRow = cell / 9;
        session_.selCol = cell % 9;
        session_.HandleKey(key, false);
    }
    // An empty cell, mostly with its solution digit, sometimes a wrong one.
    std::string Type(std::mt19937& random) {
        std::vector<int> empty;
        for (int cell = 0; cell < 81; ++cell)
            if (session_.values[cell] == 0) empty.push_back(cell);
        if (empty.empty()) return "type (board full)";
        const int cell = empty[random() % empty.size()];
        const int digit = random() % 10 == 0 ? static_cast<int>(random() % 9) + 1 : solution_[cell] - '0';
        Key(cell, {KeyKind::Digit, digit});
        return "type " + std::to_string(digit) + " at " + std::to_string(cell);
    }
    bool HasWrongDigit() const {
        for (int cell = 0; cell < 81; ++cell)
            if (session_.values[cell] != 0 && session_.values[cell] != solution_[cell] - '0') return true;
        return false;
    }
    // A cell the player or a hint filled, a wrong one first: the play must
    // be able to reach its end.
    int WrongCell(std::mt19937& random) {
        std::vector<int> wrong, filled;
        for (int cell = 0; cell < 81; ++cell) {
            if (session_.values[cell] == 0 || session_.origin[cell] == 1) continue;
            filled.push_back(cell);
            if (session_.values[cell] != solution_[cell] - '0') wrong.push_back(cell);
        }
        const std::vector<int>& from = wrong.empty() ? filled : wrong;
        return from.empty() ? -1 : from[random() % from.size()];
    }

    FakeView& view_;
    PlaySession& session_;
    std::string folder_;
    std::string givens_, solution_;
};

TEST(SessionSoak, RandomLegalPlayKeepsTheSessionConsistent) {
    setenv("TZ", "UTC", 1);
    tzset();
    const char* setting = std::getenv("MASUVO_SOAK_PLAYS");
    const size_t plays = setting != nullptr ? std::strtoul(setting, nullptr, 10) : 24;
    TempFolder folder;
    FakeView view;
    DataFolders folders;
    folders.dataFolder = folder.path().string();
    folders.finishedFolder = folder / "完成問題";
    folders.tempFolder = folder / ".tmp";
    folders.recordPath = folder / "達成記録.csv";
    std::filesystem::create_directories(folders.finishedFolder);
    std::string message;
    ASSERT_TRUE(PrepareRecordFile(folders.recordPath, message)) << message;
    PlaySession session(view, folders);
    Soak soak(view, session, folder.path().string());

    std::mt19937 random(20261210);
    const long memoryAtStart = ResidentKilobytes();
    const auto start = std::chrono::steady_clock::now();
    for (const Puzzle& puzzle : GradedPuzzles(plays)) {
        soak.Play(puzzle, random);
        if (testing::Test::HasFatalFailure()) break;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long memoryAtEnd = ResidentKilobytes();
    EXPECT_EQ(soak.completions, static_cast<long>(plays));
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadRecordLines(folders.recordPath, lines, message)) << message;
    EXPECT_EQ(lines.size(), static_cast<size_t>(soak.completions) + 1);  // and the header
    std::printf("soak: %ld plays, %ld steps, %ld invariant checks, %ld saves, %ld loads, %.1f s, "
                "resident memory %ld KB at start, %ld KB at end\n",
                soak.completions, soak.steps, soak.checks, soak.saves, soak.loads, seconds, memoryAtStart,
                memoryAtEnd);
}

}  // namespace
}  // namespace masuvo::test
